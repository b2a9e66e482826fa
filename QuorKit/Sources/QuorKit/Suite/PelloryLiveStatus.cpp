#include "QuorKit/Suite/PelloryLiveStatus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <algorithm>

PelloryLiveStatus::PelloryLiveStatus(QDateTime timestamp, qint32 senderPID, qint64 openTodayCount,
                                     qint64 completedTodayCount, qint64 overdueCount, qint64 inProgressCount,
                                     qint64 plannedMinutesToday, qint64 dailyCapacityMinutes,
                                     std::optional<QString> nextBestTaskID, std::optional<QString> nextBestTaskTitle,
                                     qint64 nextBestTaskMinutes, std::optional<QuorScreenRect> miniPanelFrame,
                                     std::optional<QuorScreenRect> studioWindowFrame, bool isFocusDockedInside)
    : timestamp(std::move(timestamp)), senderPID(senderPID), openTodayCount(std::max<qint64>(openTodayCount, 0)),
      completedTodayCount(std::max<qint64>(completedTodayCount, 0)), overdueCount(std::max<qint64>(overdueCount, 0)),
      inProgressCount(std::max<qint64>(inProgressCount, 0)),
      plannedMinutesToday(std::max<qint64>(plannedMinutesToday, 0)),
      dailyCapacityMinutes(std::max<qint64>(dailyCapacityMinutes, 30)), nextBestTaskID(std::move(nextBestTaskID)),
      nextBestTaskTitle(std::move(nextBestTaskTitle)), nextBestTaskMinutes(std::max<qint64>(nextBestTaskMinutes, 5)),
      miniPanelFrame(miniPanelFrame), studioWindowFrame(studioWindowFrame), isFocusDockedInside(isFocusDockedInside)
{
}

PelloryLiveStatus PelloryLiveStatus::normalized() const
{
    return {timestamp,           senderPID,           openTodayCount,      completedTodayCount, overdueCount,
            inProgressCount,     plannedMinutesToday, dailyCapacityMinutes, nextBestTaskID,     nextBestTaskTitle,
            nextBestTaskMinutes, miniPanelFrame,      studioWindowFrame,   isFocusDockedInside};
}

bool PelloryLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return QuorSuiteFolder::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonObject PelloryLiveStatus::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    QJsonObject object{
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("senderPID"), senderPID},
        {QStringLiteral("openTodayCount"), openTodayCount},
        {QStringLiteral("completedTodayCount"), completedTodayCount},
        {QStringLiteral("overdueCount"), overdueCount},
        {QStringLiteral("inProgressCount"), inProgressCount},
        {QStringLiteral("plannedMinutesToday"), plannedMinutesToday},
        {QStringLiteral("dailyCapacityMinutes"), dailyCapacityMinutes},
        {QStringLiteral("nextBestTaskMinutes"), nextBestTaskMinutes},
        {QStringLiteral("isFocusDockedInside"), isFocusDockedInside},
    };
    insertIfPresent(object, QStringLiteral("nextBestTaskID"), nextBestTaskID);
    insertIfPresent(object, QStringLiteral("nextBestTaskTitle"), nextBestTaskTitle);
    insertIfPresent(object, QStringLiteral("miniPanelFrame"), miniPanelFrame);
    insertIfPresent(object, QStringLiteral("studioWindowFrame"), studioWindowFrame);
    return object;
}

PelloryLiveStatus PelloryLiveStatus::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    using QuorAICatalogCoding::optionalRecord;
    PelloryLiveStatus status; // the defaults of every key that may be missing
    status.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    status.senderPID = requireInt(object, QStringLiteral("senderPID"));
    const auto count = [&](const char* key, qint64& field) {
        field = optionalInt64(object, QLatin1String(key)).value_or(field);
    };
    count("openTodayCount", status.openTodayCount);
    count("completedTodayCount", status.completedTodayCount);
    count("overdueCount", status.overdueCount);
    count("inProgressCount", status.inProgressCount);
    count("plannedMinutesToday", status.plannedMinutesToday);
    count("dailyCapacityMinutes", status.dailyCapacityMinutes);
    status.nextBestTaskID = optionalString(object, QStringLiteral("nextBestTaskID"));
    status.nextBestTaskTitle = optionalString(object, QStringLiteral("nextBestTaskTitle"));
    count("nextBestTaskMinutes", status.nextBestTaskMinutes);
    status.miniPanelFrame = optionalRecord<QuorScreenRect>(object, QStringLiteral("miniPanelFrame"));
    status.studioWindowFrame = optionalRecord<QuorScreenRect>(object, QStringLiteral("studioWindowFrame"));
    status.isFocusDockedInside = optionalBool(object, QStringLiteral("isFocusDockedInside")).value_or(false);
    return status.normalized();
}
