#include "QuorKit/Suite/PelloryLiveStatus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <algorithm>

PelloryLiveStatus PelloryLiveStatus::normalized() const
{
    PelloryLiveStatus status = *this;
    for (qint64* count : {&status.openTodayCount, &status.completedTodayCount, &status.overdueCount,
                          &status.inProgressCount, &status.plannedMinutesToday}) {
        *count = std::max<qint64>(*count, 0);
    }
    status.dailyCapacityMinutes = std::max<qint64>(dailyCapacityMinutes, 30);
    status.nextBestTaskMinutes = std::max<qint64>(nextBestTaskMinutes, 5);
    return status;
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
