#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// The focus timer's live status: the running session, its shield, the day's statistics and whether
// its small window is docked inside the task planner.
struct ArdenwickLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    bool isRunning = false;
    bool isBreak = false;
    QString sessionModeRaw = QStringLiteral("pomodoro25");
    qint64 remainingSeconds = 1500;
    qint64 totalSeconds = 1500;
    QString currentIntention;
    std::optional<QString> activeTaskID;
    std::optional<QString> activeTaskTitle;
    std::optional<QString> activeProjectName;
    bool isShieldActive = false;
    qint64 lockedAppsCount = 0;
    qint64 blockedDomainsCount = 0;
    bool isStrictMode = false;
    bool isAmbientPlaying = false;
    qint64 focusScorePercent = 0;
    qint64 completedSessionsToday = 0;
    qint64 currentStreakDays = 0;
    double todayProductiveSeconds = 0;
    bool isDockedInsidePellory = false;

    bool operator==(const ArdenwickLiveStatus& other) const = default;

    // Counts not below 0, at least one second per period, the score within 0...100.
    ArdenwickLiveStatus normalized() const;
    // The elapsed share of the current period, 0...1.
    double progress() const;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    QJsonObject toJson() const;
    // Lenient: only the timestamp and the sender are required; a missing or null key takes the
    // default above, and present values are normalized. A value of the wrong type still fails.
    static ArdenwickLiveStatus fromJson(const QJsonObject& object);
};
