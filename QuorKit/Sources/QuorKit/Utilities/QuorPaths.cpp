#include "QuorKit/Utilities/QuorPaths.h"

#include <QDir>
#include <QtGlobal>

namespace {
QString xdgFolder(const char* variable, const QString& fallbackInHome)
{
    const QString value = qEnvironmentVariable(variable).trimmed();
    // The XDG rules ignore relative values.
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) {
        return QDir::cleanPath(value);
    }
    return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + fallbackInHome);
}
} // namespace

namespace QuorPaths {

QString applicationSupportDirectory()
{
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString tallowmerDirectory()
{
    return applicationSupportDirectory() + QStringLiteral("/Tallowmer");
}

QString appDirectory(const QString& appName)
{
    return tallowmerDirectory() + QLatin1Char('/') + appName;
}

QString configDirectory()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString cacheDirectory()
{
    return xdgFolder("XDG_CACHE_HOME", QStringLiteral(".cache"));
}

} // namespace QuorPaths
