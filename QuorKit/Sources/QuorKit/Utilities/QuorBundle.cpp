#include "QuorKit/Utilities/QuorBundle.h"

#include "QuorBuildInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
std::optional<QString> locateResources()
{
    const QString fromEnvironment = qEnvironmentVariable("QUORZUB_RESOURCES");
    if (!fromEnvironment.isEmpty() && QFileInfo(fromEnvironment).isDir()) {
        return QDir::cleanPath(fromEnvironment);
    }
    QString executableDir;
    if (QCoreApplication::instance() != nullptr) {
        executableDir = QCoreApplication::applicationDirPath();
    } else {
        executableDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        executableDir = QFileInfo(executableDir).absolutePath();
    }
    const QString installed = QDir::cleanPath(executableDir + QStringLiteral("/../share/quorzub"));
    if (QFileInfo(installed).isDir()) {
        return installed;
    }
    return std::nullopt;
}
} // namespace

QuorBundle::QuorBundle(QVariantMap infoDictionary, std::optional<QString> resourceDirectory)
    : m_info(std::move(infoDictionary)), m_resourceDirectory(std::move(resourceDirectory))
{
}

const QuorBundle& QuorBundle::main()
{
    static const QuorBundle bundle(
        QVariantMap{
            {QStringLiteral("CFBundleIdentifier"), QStringLiteral(QUOR_BUNDLE_IDENTIFIER)},
            {QStringLiteral("CFBundleName"), QStringLiteral(QUOR_BUNDLE_NAME)},
            {QStringLiteral("CFBundleDisplayName"), QStringLiteral(QUOR_BUNDLE_DISPLAY_NAME)},
            {QStringLiteral("CFBundleShortVersionString"), QStringLiteral(QUOR_VERSION_STRING)},
            {QStringLiteral("CFBundleVersion"), QStringLiteral(QUOR_BUILD_NUMBER)},
        },
        locateResources());
    return bundle;
}

QString QuorBundle::bundleIdentifier() const
{
    return m_info.value(QStringLiteral("CFBundleIdentifier")).toString();
}

std::optional<QString> QuorBundle::pathForResource(const QString& name, const QString& extension,
                                                   const QString& subdirectory) const
{
    if (!m_resourceDirectory) {
        return std::nullopt;
    }
    QString path = *m_resourceDirectory;
    if (!subdirectory.isEmpty()) {
        path += QLatin1Char('/') + subdirectory;
    }
    path += QLatin1Char('/') + name;
    if (!extension.isEmpty()) {
        path += QLatin1Char('.') + extension;
    }
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    return path;
}
