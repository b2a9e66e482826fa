#include "QuorKit/Suite/ArdenwickLiveStatus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <algorithm>
#include <cmath>

ArdenwickLiveStatus::ArdenwickLiveStatus(QDateTime timestamp, qint32 senderPID, bool isRunning, bool isBreak,
                                         QString sessionModeRaw, qint64 remainingSeconds, qint64 totalSeconds,
                                         QString currentIntention, std::optional<QString> activeTaskID,
                                         std::optional<QString> activeTaskTitle,
                                         std::optional<QString> activeProjectName, bool isShieldActive,
                                         qint64 lockedAppsCount, qint64 blockedDomainsCount, bool isStrictMode,
                                         bool isAmbientPlaying, qint64 focusScorePercent, qint64 completedSessionsToday,
                                         qint64 currentStreakDays, double todayProductiveSeconds,
                                         bool isDockedInsidePellory)
    : timestamp(std::move(timestamp)), senderPID(senderPID), isRunning(isRunning), isBreak(isBreak),
      sessionModeRaw(std::move(sessionModeRaw)), remainingSeconds(std::max<qint64>(remainingSeconds, 0)),
      totalSeconds(std::max<qint64>(totalSeconds, 1)), currentIntention(std::move(currentIntention)),
      activeTaskID(std::move(activeTaskID)), activeTaskTitle(std::move(activeTaskTitle)),
      activeProjectName(std::move(activeProjectName)), isShieldActive(isShieldActive),
      lockedAppsCount(std::max<qint64>(lockedAppsCount, 0)), blockedDomainsCount(std::max<qint64>(blockedDomainsCount, 0)),
      isStrictMode(isStrictMode), isAmbientPlaying(isAmbientPlaying),
      focusScorePercent(std::clamp<qint64>(focusScorePercent, 0, 100)),
      completedSessionsToday(std::max<qint64>(completedSessionsToday, 0)),
      currentStreakDays(std::max<qint64>(currentStreakDays, 0)),
      todayProductiveSeconds(std::isnan(todayProductiveSeconds) || todayProductiveSeconds < 0 ? 0.0
                                                                                            : todayProductiveSeconds),
      isDockedInsidePellory(isDockedInsidePellory)
{
}

ArdenwickLiveStatus ArdenwickLiveStatus::normalized() const
{
    return {timestamp,
            senderPID,
            isRunning,
            isBreak,
            sessionModeRaw,
            remainingSeconds,
            totalSeconds,
            currentIntention,
            activeTaskID,
            activeTaskTitle,
            activeProjectName,
            isShieldActive,
            lockedAppsCount,
            blockedDomainsCount,
            isStrictMode,
            isAmbientPlaying,
            focusScorePercent,
            completedSessionsToday,
            currentStreakDays,
            todayProductiveSeconds,
            isDockedInsidePellory};
}

double ArdenwickLiveStatus::progress() const
{
    const double total = static_cast<double>(std::max<qint64>(totalSeconds, 1));
    return std::clamp(1.0 - static_cast<double>(remainingSeconds) / total, 0.0, 1.0);
}

bool ArdenwickLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return QuorSuiteFolder::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonObject ArdenwickLiveStatus::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    QJsonObject object{
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("senderPID"), senderPID},
        {QStringLiteral("isRunning"), isRunning},
        {QStringLiteral("isBreak"), isBreak},
        {QStringLiteral("sessionModeRaw"), sessionModeRaw},
        {QStringLiteral("remainingSeconds"), remainingSeconds},
        {QStringLiteral("totalSeconds"), totalSeconds},
        {QStringLiteral("currentIntention"), currentIntention},
        {QStringLiteral("isShieldActive"), isShieldActive},
        {QStringLiteral("lockedAppsCount"), lockedAppsCount},
        {QStringLiteral("blockedDomainsCount"), blockedDomainsCount},
        {QStringLiteral("isStrictMode"), isStrictMode},
        {QStringLiteral("isAmbientPlaying"), isAmbientPlaying},
        {QStringLiteral("focusScorePercent"), focusScorePercent},
        {QStringLiteral("completedSessionsToday"), completedSessionsToday},
        {QStringLiteral("currentStreakDays"), currentStreakDays},
        {QStringLiteral("todayProductiveSeconds"), todayProductiveSeconds},
        {QStringLiteral("isDockedInsidePellory"), isDockedInsidePellory},
    };
    insertIfPresent(object, QStringLiteral("activeTaskID"), activeTaskID);
    insertIfPresent(object, QStringLiteral("activeTaskTitle"), activeTaskTitle);
    insertIfPresent(object, QStringLiteral("activeProjectName"), activeProjectName);
    return object;
}

ArdenwickLiveStatus ArdenwickLiveStatus::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    ArdenwickLiveStatus status; // the defaults of every key that may be missing
    status.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    status.senderPID = requireInt(object, QStringLiteral("senderPID"));
    const auto flag = [&](const char* key, bool& field) {
        field = optionalBool(object, QLatin1String(key)).value_or(field);
    };
    const auto count = [&](const char* key, qint64& field) {
        field = optionalInt64(object, QLatin1String(key)).value_or(field);
    };
    flag("isRunning", status.isRunning);
    flag("isBreak", status.isBreak);
    status.sessionModeRaw = optionalString(object, QStringLiteral("sessionModeRaw")).value_or(status.sessionModeRaw);
    count("remainingSeconds", status.remainingSeconds);
    count("totalSeconds", status.totalSeconds);
    status.currentIntention = optionalString(object, QStringLiteral("currentIntention")).value_or(QString());
    status.activeTaskID = optionalString(object, QStringLiteral("activeTaskID"));
    status.activeTaskTitle = optionalString(object, QStringLiteral("activeTaskTitle"));
    status.activeProjectName = optionalString(object, QStringLiteral("activeProjectName"));
    flag("isShieldActive", status.isShieldActive);
    count("lockedAppsCount", status.lockedAppsCount);
    count("blockedDomainsCount", status.blockedDomainsCount);
    flag("isStrictMode", status.isStrictMode);
    flag("isAmbientPlaying", status.isAmbientPlaying);
    count("focusScorePercent", status.focusScorePercent);
    count("completedSessionsToday", status.completedSessionsToday);
    count("currentStreakDays", status.currentStreakDays);
    status.todayProductiveSeconds =
        optionalDouble(object, QStringLiteral("todayProductiveSeconds")).value_or(status.todayProductiveSeconds);
    flag("isDockedInsidePellory", status.isDockedInsidePellory);
    return status.normalized();
}
