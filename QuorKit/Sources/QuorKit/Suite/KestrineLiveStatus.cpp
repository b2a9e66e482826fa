#include "QuorKit/Suite/KestrineLiveStatus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

std::optional<double> KestrineLiveStatus::headlineTempCelsius() const
{
    if (cpuTempCelsius) {
        return cpuTempCelsius;
    }
    return socTempCelsius ? socTempCelsius : gpuTempCelsius;
}

bool KestrineLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return QuorSuiteFolder::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonObject KestrineLiveStatus::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    QJsonObject object{
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("senderPID"), senderPID},
        {QStringLiteral("cpuTotalPercent"), cpuTotalPercent},
        {QStringLiteral("gpuTotalPercent"), gpuTotalPercent},
        {QStringLiteral("memoryUsedPercent"), memoryUsedPercent},
        {QStringLiteral("swapUsedBytes"), swapUsedBytes},
        {QStringLiteral("healthScore"), healthScore},
        {QStringLiteral("thermalState"), thermalState},
    };
    insertIfPresent(object, QStringLiteral("cpuTempCelsius"), cpuTempCelsius);
    insertIfPresent(object, QStringLiteral("gpuTempCelsius"), gpuTempCelsius);
    insertIfPresent(object, QStringLiteral("socTempCelsius"), socTempCelsius);
    insertIfPresent(object, QStringLiteral("fanMaxRPM"), fanMaxRPM);
    insertIfPresent(object, QStringLiteral("systemWatts"), systemWatts);
    insertIfPresent(object, QStringLiteral("nvmeHealthPercent"), nvmeHealthPercent);
    return object;
}

KestrineLiveStatus KestrineLiveStatus::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    KestrineLiveStatus status;
    status.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    status.senderPID = requireInt(object, QStringLiteral("senderPID"));
    status.cpuTotalPercent = requireDouble(object, QStringLiteral("cpuTotalPercent"));
    status.gpuTotalPercent = requireDouble(object, QStringLiteral("gpuTotalPercent"));
    status.memoryUsedPercent = requireDouble(object, QStringLiteral("memoryUsedPercent"));
    status.swapUsedBytes = requireInt64(object, QStringLiteral("swapUsedBytes"));
    status.cpuTempCelsius = optionalDouble(object, QStringLiteral("cpuTempCelsius"));
    status.gpuTempCelsius = optionalDouble(object, QStringLiteral("gpuTempCelsius"));
    status.socTempCelsius = optionalDouble(object, QStringLiteral("socTempCelsius"));
    status.fanMaxRPM = optionalInt64(object, QStringLiteral("fanMaxRPM"));
    status.systemWatts = optionalDouble(object, QStringLiteral("systemWatts"));
    status.healthScore = requireInt64(object, QStringLiteral("healthScore"));
    status.thermalState = requireString(object, QStringLiteral("thermalState"));
    status.nvmeHealthPercent = optionalInt64(object, QStringLiteral("nvmeHealthPercent"));
    return status;
}
