#include "QuorKit/System/QuorLaunchAtLogin.h"

#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorPlatform/LoginItem/QuorAutostartEntry.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace QuorLaunchAtLogin {
namespace {
QString entryPath()
{
    return quor::platform::AutostartEntry::path(QuorPaths::configDirectory(), QuorBundle::main().bundleIdentifier());
}

QString executablePath()
{
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationFilePath();
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}
} // namespace

bool isEnabled()
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return quor::platform::AutostartEntry::isActive(file.read(1024 * 1024));
}

bool setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled) {
        return QFile::exists(path) && QFile::remove(path);
    }
    const QuorBundle& bundle = QuorBundle::main();
    const QString name = bundle.infoDictionary().value(QStringLiteral("CFBundleDisplayName")).toString();
    const QByteArray contents =
        quor::platform::AutostartEntry::contents(name, executablePath(), bundle.bundleIdentifier());
    return static_cast<bool>(QuorAtomicFile::write(path, contents));
}

} // namespace QuorLaunchAtLogin
