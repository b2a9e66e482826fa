#include "QuorKit/Utilities/QuorAppVersion.h"

#include "QuorKit/Utilities/QuorBundle.h"

#include <QMetaType>
#include <QVariant>

namespace {
QString infoText(const QuorBundle& bundle, const QString& key, const QString& fallback)
{
    const QVariant value = bundle.infoDictionary().value(key);
    if (value.metaType().id() != QMetaType::QString) {
        return fallback;
    }
    const QString trimmed = value.toString().trimmed();
    return trimmed.isEmpty() ? fallback : trimmed;
}
} // namespace

QString QuorAppVersion::tag() const
{
    return QStringLiteral("v") + shortVersion;
}

QString QuorAppVersion::detailedDisplay() const
{
    return tag() + QStringLiteral(" (") + buildNumber + QLatin1Char(')');
}

std::optional<QuorSemVer> QuorAppVersion::semVer() const
{
    return QuorSemVer::fromString(shortVersion);
}

QuorAppVersion QuorAppVersion::current(const QuorBundle& bundle, const QString& fallbackVersion,
                                       const QString& fallbackBuild)
{
    return {infoText(bundle, QStringLiteral("CFBundleShortVersionString"), fallbackVersion),
            infoText(bundle, QStringLiteral("CFBundleVersion"), fallbackBuild)};
}
