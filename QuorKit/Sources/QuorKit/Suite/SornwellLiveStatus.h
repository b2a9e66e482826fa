#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

// The music player's now-playing status.
struct SornwellLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    QString title;
    QString artist;
    QString album;
    QString qualityBadge;
    bool isPlaying = false;
    double elapsedSeconds = 0;
    double durationSeconds = 0;
    double volume = 1; // 0...1

    SornwellLiveStatus() = default;
    // Times not below 0 and the volume within 0...1 (not a number counts as 0). A decoded status
    // keeps the values as published.
    SornwellLiveStatus(QDateTime timestamp, qint32 senderPID, QString title, QString artist, QString album,
                       QString qualityBadge, bool isPlaying, double elapsedSeconds, double durationSeconds, double volume);

    bool operator==(const SornwellLiveStatus& other) const = default;

    // The status as the initializer makes it from these values.
    SornwellLiveStatus normalized() const;
    // The position as a share of the track, 0...1; 0 for a track without a length.
    double progress() const;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    QJsonObject toJson() const;
    static SornwellLiveStatus fromJson(const QJsonObject& object);
};
