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

    ArdenwickLiveStatus() = default;
    // Counts not below 0, at least one second per period, the score within 0...100, productive
    // time not below 0 (not a number counts as 0).
    ArdenwickLiveStatus(QDateTime timestamp, qint32 senderPID, bool isRunning, bool isBreak, QString sessionModeRaw,
                        qint64 remainingSeconds, qint64 totalSeconds, QString currentIntention,
                        std::optional<QString> activeTaskID, std::optional<QString> activeTaskTitle,
                        std::optional<QString> activeProjectName, bool isShieldActive, qint64 lockedAppsCount,
                        qint64 blockedDomainsCount, bool isStrictMode, bool isAmbientPlaying, qint64 focusScorePercent,
                        qint64 completedSessionsToday, qint64 currentStreakDays, double todayProductiveSeconds,
                        bool isDockedInsidePellory);

    bool operator==(const ArdenwickLiveStatus& other) const = default;

    // The status as the initializer makes it from these values.
    ArdenwickLiveStatus normalized() const;
    // The elapsed share of the current period, 0...1.
    double progress() const;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    QJsonObject toJson() const;
    // Lenient: only the timestamp and the sender are required; a missing or null key takes the
    // default above, and present values are normalized. A value of the wrong type still fails.
    static ArdenwickLiveStatus fromJson(const QJsonObject& object);
};
