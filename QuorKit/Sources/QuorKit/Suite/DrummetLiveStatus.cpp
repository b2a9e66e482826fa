#include "QuorKit/Suite/DrummetLiveStatus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

bool DrummetLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return QuorSuiteFolder::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonObject DrummetLiveStatus::toJson() const
{
    QJsonObject object{
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("senderPID"), senderPID},
        {QStringLiteral("totalProcessCount"), totalProcessCount},
        {QStringLiteral("unresponsiveCount"), unresponsiveCount},
        {QStringLiteral("problematicCount"), problematicCount},
        {QStringLiteral("unresponsiveAppNames"), QuorAICatalogCoding::toJsonArray(unresponsiveAppNames)},
        {QStringLiteral("memoryLeakCount"), memoryLeakCount},
        {QStringLiteral("autoFrozenPIDs"), QuorSuiteRecordCoding::toJsonArray(autoFrozenPIDs)},
        {QStringLiteral("reclaimedFocusBytes"), reclaimedFocusBytes},
        {QStringLiteral("listeningPortCount"), listeningPortCount},
    };
    QuorAICatalogCoding::insertIfPresent(object, QStringLiteral("activeFocusProfileName"), activeFocusProfileName);
    return object;
}

DrummetLiveStatus DrummetLiveStatus::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    DrummetLiveStatus status;
    status.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    status.senderPID = requireInt(object, QStringLiteral("senderPID"));
    status.totalProcessCount = requireInt64(object, QStringLiteral("totalProcessCount"));
    status.unresponsiveCount = requireInt64(object, QStringLiteral("unresponsiveCount"));
    status.problematicCount = requireInt64(object, QStringLiteral("problematicCount"));
    status.unresponsiveAppNames = QuorAICatalogCoding::requireStringList(object, QStringLiteral("unresponsiveAppNames"));
    status.memoryLeakCount = requireInt64(object, QStringLiteral("memoryLeakCount"));
    status.autoFrozenPIDs = QuorSuiteRecordCoding::requireInt32List(object, QStringLiteral("autoFrozenPIDs"));
    status.activeFocusProfileName = optionalString(object, QStringLiteral("activeFocusProfileName"));
    status.reclaimedFocusBytes = requireInt64(object, QStringLiteral("reclaimedFocusBytes"));
    status.listeningPortCount = requireInt64(object, QStringLiteral("listeningPortCount"));
    return status;
}
