#include "QuorKit/System/QuorBinaryLocator.h"

#include "QuorKit/Utilities/QuorBundle.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList candidates(const QString& name, const QuorBundle& bundle, const QStringList& extraSearchDirectories)
{
    QStringList list;
    const auto add = [&](const QString& folder) { list.append(folder + QLatin1Char('/') + name); };
    if (const std::optional<QString> resources = bundle.resourceDirectory()) {
        add(*resources + QStringLiteral("/bin"));
        add(*resources);
    }
    for (const QString& folder : extraSearchDirectories) {
        add(folder);
    }
    for (const char* folder : {"/usr/local/bin", "/usr/bin", "/bin"}) {
        add(QString::fromLatin1(folder));
    }
    if (qEnvironmentVariableIsSet("PATH")) {
        const QStringList pieces = qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
        for (const QString& folder : pieces) {
            add(folder);
        }
    }
    return list;
}

// A directory carries execute bits too, but it is no tool.
bool isExecutableFile(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status {};
    return ::stat(encoded.constData(), &status) == 0 && S_ISREG(status.st_mode)
        && ::access(encoded.constData(), X_OK) == 0;
}

} // namespace

std::optional<QString> QuorBinaryLocator::locate(const QString& name, const QuorBundle& bundle,
                                                 const QStringList& extraSearchDirectories)
{
    for (const QString& candidate : candidates(name, bundle, extraSearchDirectories)) {
        if (isExecutableFile(candidate)) {
            return QDir::isAbsolutePath(candidate) ? candidate : QDir::currentPath() + QLatin1Char('/') + candidate;
        }
    }
    return std::nullopt;
}
