#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <optional>

// The process killer's live status: process counts, unresponsive and leaking applications, what it
// froze, the focus profile and listening ports.
struct DrummetLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    qint64 totalProcessCount = 0;
    qint64 unresponsiveCount = 0;
    qint64 problematicCount = 0;
    QStringList unresponsiveAppNames;
    qint64 memoryLeakCount = 0;
    QList<qint32> autoFrozenPIDs;
    std::optional<QString> activeFocusProfileName;
    qint64 reclaimedFocusBytes = 0;
    qint64 listeningPortCount = 0;

    bool operator==(const DrummetLiveStatus& other) const = default;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    QJsonObject toJson() const;
    static DrummetLiveStatus fromJson(const QJsonObject& object);
};
