#pragma once

#include "QuorKit/Suite/QuorScreenRect.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// The task planner's live status: the day's counts, planned time against capacity, the next task,
// and where its two windows stand on screen.
struct PelloryLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    qint64 openTodayCount = 0;
    qint64 completedTodayCount = 0;
    qint64 overdueCount = 0;
    qint64 inProgressCount = 0;
    qint64 plannedMinutesToday = 0;
    qint64 dailyCapacityMinutes = 360;
    std::optional<QString> nextBestTaskID;
    std::optional<QString> nextBestTaskTitle;
    qint64 nextBestTaskMinutes = 25;
    std::optional<QuorScreenRect> miniPanelFrame;
    std::optional<QuorScreenRect> studioWindowFrame;
    bool isFocusDockedInside = false;

    PelloryLiveStatus() = default;
    // Counts not below 0, a capacity of at least 30 minutes, a next task of at least 5; the frames
    // as they come (each was made by its own initializer).
    PelloryLiveStatus(QDateTime timestamp, qint32 senderPID, qint64 openTodayCount, qint64 completedTodayCount,
                      qint64 overdueCount, qint64 inProgressCount, qint64 plannedMinutesToday,
                      qint64 dailyCapacityMinutes, std::optional<QString> nextBestTaskID,
                      std::optional<QString> nextBestTaskTitle, qint64 nextBestTaskMinutes,
                      std::optional<QuorScreenRect> miniPanelFrame, std::optional<QuorScreenRect> studioWindowFrame,
                      bool isFocusDockedInside);

    bool operator==(const PelloryLiveStatus& other) const = default;

    // The status as the initializer makes it from these values.
    PelloryLiveStatus normalized() const;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    QJsonObject toJson() const;
    // Lenient like the focus timer's status; a present frame is decoded strictly.
    static PelloryLiveStatus fromJson(const QJsonObject& object);
};
