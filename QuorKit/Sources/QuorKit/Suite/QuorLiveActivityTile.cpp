#include "QuorKit/Suite/QuorLiveActivityTile.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <algorithm>
#include <cmath>

namespace {
std::optional<double> withinZeroAndOne(std::optional<double> progress)
{
    if (!progress) {
        return std::nullopt;
    }
    return std::isnan(*progress) ? 0.0 : std::clamp(*progress, 0.0, 1.0);
}
} // namespace

QuorLiveActivityTile::QuorLiveActivityTile(QuorSuiteApp app, QDateTime timestamp, qint32 senderPID, QString titleEN,
                                           QString titleTR, QString primaryMetric,
                                           std::optional<QString> secondaryMetric, std::optional<double> progress,
                                           const std::optional<QString>& symbolName, Tone tone, qint64 priority)
    : app(app), timestamp(std::move(timestamp)), senderPID(senderPID), titleEN(std::move(titleEN)),
      titleTR(std::move(titleTR)), primaryMetric(std::move(primaryMetric)), secondaryMetric(std::move(secondaryMetric)),
      progress(withinZeroAndOne(progress)), symbolName(symbolName.value_or(QuorSuiteApps::symbolName(app))), tone(tone),
      priority(priority)
{
}

QuorLiveActivityTile QuorLiveActivityTile::normalized() const
{
    return {app, timestamp, senderPID, titleEN, titleTR, primaryMetric, secondaryMetric, progress, symbolName, tone,
            priority};
}

bool QuorLiveActivityTile::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return QuorSuiteFolder::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

const QList<QuorLiveActivityTile::Tone>& QuorLiveActivityTile::allTones()
{
    static const QList<Tone> tones{Tone::neutral, Tone::active, Tone::success, Tone::warning, Tone::danger};
    return tones;
}

QString QuorLiveActivityTile::rawValue(Tone tone)
{
    switch (tone) {
    case Tone::neutral: return QStringLiteral("neutral");
    case Tone::active: return QStringLiteral("active");
    case Tone::success: return QStringLiteral("success");
    case Tone::warning: return QStringLiteral("warning");
    case Tone::danger: return QStringLiteral("danger");
    }
    return QStringLiteral("neutral");
}

std::optional<QuorLiveActivityTile::Tone> QuorLiveActivityTile::toneFromRawValue(const QString& raw)
{
    for (const Tone tone : allTones()) {
        if (rawValue(tone) == raw) {
            return tone;
        }
    }
    return std::nullopt;
}

QJsonObject QuorLiveActivityTile::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    QJsonObject object{
        {QStringLiteral("app"), QuorSuiteApps::toJson(app)},
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("senderPID"), senderPID},
        {QStringLiteral("titleEN"), titleEN},
        {QStringLiteral("titleTR"), titleTR},
        {QStringLiteral("primaryMetric"), primaryMetric},
        {QStringLiteral("symbolName"), symbolName},
        {QStringLiteral("tone"), rawValue(tone)},
        {QStringLiteral("priority"), priority},
    };
    insertIfPresent(object, QStringLiteral("secondaryMetric"), secondaryMetric);
    insertIfPresent(object, QStringLiteral("progress"), progress);
    return object;
}

QuorLiveActivityTile QuorLiveActivityTile::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorLiveActivityTile tile;
    tile.app = QuorSuiteApps::fromJson(object.value(QStringLiteral("app")));
    tile.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    tile.senderPID = requireInt(object, QStringLiteral("senderPID"));
    tile.titleEN = requireString(object, QStringLiteral("titleEN"));
    tile.titleTR = requireString(object, QStringLiteral("titleTR"));
    tile.primaryMetric = requireString(object, QStringLiteral("primaryMetric"));
    tile.secondaryMetric = optionalString(object, QStringLiteral("secondaryMetric"));
    tile.progress = optionalDouble(object, QStringLiteral("progress"));
    tile.symbolName = requireString(object, QStringLiteral("symbolName"));
    const QString tone = requireString(object, QStringLiteral("tone"));
    const std::optional<Tone> known = toneFromRawValue(tone);
    if (!known) {
        throw QuorDecodingError(QStringLiteral("\"%1\" is no tile tone").arg(tone));
    }
    tile.tone = *known;
    tile.priority = requireInt64(object, QStringLiteral("priority"));
    return tile;
}
