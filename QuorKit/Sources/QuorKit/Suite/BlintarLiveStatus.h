#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

// One application's channel in the audio mixer.
struct BlintarAudioAppItem {
    QString id;
    QString bundleID;
    QString appName;
    bool isPlayingAudio = false;
    bool isMuted = false;
    double volume = 1;     // 0...2
    float rmsLevel = 0;    // 0 or more

    BlintarAudioAppItem() = default;
    // Volume within 0...2 (not a number counts as 2), level not below 0 (not a number counts as 0).
    // A decoded channel keeps the values as published.
    BlintarAudioAppItem(QString id, QString bundleID, QString appName, bool isPlayingAudio, bool isMuted, double volume,
                        float rmsLevel);

    bool operator==(const BlintarAudioAppItem& other) const = default;

    // The channel as the initializer makes it from these values.
    BlintarAudioAppItem normalized() const;

    QJsonObject toJson() const;
    static BlintarAudioAppItem fromJson(const QJsonObject& object);
};

// The audio mixer's live status: output volume and device, and one channel per application.
struct BlintarLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    double masterVolume = 1; // 0...1
    QString outputDeviceName;
    QList<BlintarAudioAppItem> channels;

    BlintarLiveStatus() = default;
    // The master volume within 0...1 (not a number counts as 1), and every channel as its
    // initializer makes it. A decoded status keeps the values as published.
    BlintarLiveStatus(QDateTime timestamp, qint32 senderPID, double masterVolume, QString outputDeviceName,
                      QList<BlintarAudioAppItem> channels);

    bool operator==(const BlintarLiveStatus& other) const = default;

    // The status as the initializer makes it from these values.
    BlintarLiveStatus normalized() const;

    // Channels playing and not muted.
    qint64 activePlayingCount() const;
    qint64 mutedCount() const;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    QJsonObject toJson() const;
    // Strict: every channel must decode in full; values are kept as published.
    static BlintarLiveStatus fromJson(const QJsonObject& object);
};
