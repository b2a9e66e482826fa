#include "QuorKit/Suite/BlintarLiveStatus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <algorithm>
#include <cmath>

BlintarAudioAppItem::BlintarAudioAppItem(QString id, QString bundleID, QString appName, bool isPlayingAudio,
                                         bool isMuted, double volume, float rmsLevel)
    : id(std::move(id)), bundleID(std::move(bundleID)), appName(std::move(appName)), isPlayingAudio(isPlayingAudio),
      isMuted(isMuted), volume(std::isnan(volume) ? 2.0 : std::max(std::min(volume, 2.0), 0.0)),
      rmsLevel(std::isnan(rmsLevel) || rmsLevel < 0 ? 0.0F : rmsLevel)
{
}

BlintarAudioAppItem BlintarAudioAppItem::normalized() const
{
    return {id, bundleID, appName, isPlayingAudio, isMuted, volume, rmsLevel};
}

QJsonObject BlintarAudioAppItem::toJson() const
{
    return {
        {QStringLiteral("id"), id},
        {QStringLiteral("bundleID"), bundleID},
        {QStringLiteral("appName"), appName},
        {QStringLiteral("isPlayingAudio"), isPlayingAudio},
        {QStringLiteral("isMuted"), isMuted},
        {QStringLiteral("volume"), volume},
        {QStringLiteral("rmsLevel"), static_cast<double>(rmsLevel)},
    };
}

BlintarAudioAppItem BlintarAudioAppItem::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    BlintarAudioAppItem item;
    item.id = requireString(object, QStringLiteral("id"));
    item.bundleID = requireString(object, QStringLiteral("bundleID"));
    item.appName = requireString(object, QStringLiteral("appName"));
    item.isPlayingAudio = requireBool(object, QStringLiteral("isPlayingAudio"));
    item.isMuted = requireBool(object, QStringLiteral("isMuted"));
    item.volume = requireDouble(object, QStringLiteral("volume"));
    item.rmsLevel = QuorSuiteRecordCoding::requireFloat(object, QStringLiteral("rmsLevel"));
    return item;
}

BlintarLiveStatus::BlintarLiveStatus(QDateTime timestamp, qint32 senderPID, double masterVolume,
                                     QString outputDeviceName, QList<BlintarAudioAppItem> channels)
    : timestamp(std::move(timestamp)), senderPID(senderPID),
      masterVolume(std::isnan(masterVolume) ? 1.0 : std::max(std::min(masterVolume, 1.0), 0.0)),
      outputDeviceName(std::move(outputDeviceName)), channels(std::move(channels))
{
    for (BlintarAudioAppItem& channel : this->channels) {
        channel = channel.normalized();
    }
}

BlintarLiveStatus BlintarLiveStatus::normalized() const
{
    return {timestamp, senderPID, masterVolume, outputDeviceName, channels};
}

qint64 BlintarLiveStatus::activePlayingCount() const
{
    return std::count_if(channels.cbegin(), channels.cend(),
                         [](const BlintarAudioAppItem& channel) { return channel.isPlayingAudio && !channel.isMuted; });
}

qint64 BlintarLiveStatus::mutedCount() const
{
    return std::count_if(channels.cbegin(), channels.cend(),
                         [](const BlintarAudioAppItem& channel) { return channel.isMuted; });
}

bool BlintarLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return QuorSuiteFolder::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonObject BlintarLiveStatus::toJson() const
{
    return {
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("senderPID"), senderPID},
        {QStringLiteral("masterVolume"), masterVolume},
        {QStringLiteral("outputDeviceName"), outputDeviceName},
        {QStringLiteral("channels"), QuorAICatalogCoding::toJsonArray(channels)},
    };
}

BlintarLiveStatus BlintarLiveStatus::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    BlintarLiveStatus status;
    status.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    status.senderPID = requireInt(object, QStringLiteral("senderPID"));
    status.masterVolume = requireDouble(object, QStringLiteral("masterVolume"));
    status.outputDeviceName = requireString(object, QStringLiteral("outputDeviceName"));
    status.channels = QuorAICatalogCoding::requireRecordList<BlintarAudioAppItem>(object, QStringLiteral("channels"));
    return status;
}
