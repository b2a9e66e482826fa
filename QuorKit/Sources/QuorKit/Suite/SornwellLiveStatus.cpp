#include "QuorKit/Suite/SornwellLiveStatus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <algorithm>
#include <cmath>

namespace {
double notNegative(double value)
{
    return std::isnan(value) || value < 0 ? 0.0 : value;
}
} // namespace

SornwellLiveStatus::SornwellLiveStatus(QDateTime timestamp, qint32 senderPID, QString title, QString artist,
                                       QString album, QString qualityBadge, bool isPlaying, double elapsedSeconds,
                                       double durationSeconds, double volume)
    : timestamp(std::move(timestamp)), senderPID(senderPID), title(std::move(title)), artist(std::move(artist)),
      album(std::move(album)), qualityBadge(std::move(qualityBadge)), isPlaying(isPlaying),
      elapsedSeconds(notNegative(elapsedSeconds)), durationSeconds(notNegative(durationSeconds)),
      volume(std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0))
{
}

SornwellLiveStatus SornwellLiveStatus::normalized() const
{
    return {timestamp, senderPID, title, artist, album, qualityBadge, isPlaying, elapsedSeconds, durationSeconds, volume};
}

double SornwellLiveStatus::progress() const
{
    if (!(durationSeconds > 0)) {
        return 0;
    }
    const double share = elapsedSeconds / durationSeconds;
    return std::isnan(share) ? 0.0 : std::clamp(share, 0.0, 1.0);
}

bool SornwellLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return QuorSuiteFolder::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonObject SornwellLiveStatus::toJson() const
{
    return {
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("senderPID"), senderPID},
        {QStringLiteral("title"), title},
        {QStringLiteral("artist"), artist},
        {QStringLiteral("album"), album},
        {QStringLiteral("qualityBadge"), qualityBadge},
        {QStringLiteral("isPlaying"), isPlaying},
        {QStringLiteral("elapsedSeconds"), elapsedSeconds},
        {QStringLiteral("durationSeconds"), durationSeconds},
        {QStringLiteral("volume"), volume},
    };
}

SornwellLiveStatus SornwellLiveStatus::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    SornwellLiveStatus status;
    status.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    status.senderPID = requireInt(object, QStringLiteral("senderPID"));
    status.title = requireString(object, QStringLiteral("title"));
    status.artist = requireString(object, QStringLiteral("artist"));
    status.album = requireString(object, QStringLiteral("album"));
    status.qualityBadge = requireString(object, QStringLiteral("qualityBadge"));
    status.isPlaying = requireBool(object, QStringLiteral("isPlaying"));
    status.elapsedSeconds = requireDouble(object, QStringLiteral("elapsedSeconds"));
    status.durationSeconds = requireDouble(object, QStringLiteral("durationSeconds"));
    status.volume = requireDouble(object, QStringLiteral("volume"));
    return status;
}
