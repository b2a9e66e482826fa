#include "QuorKit/Suite/VaskelLiveStatus.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorPlatform/Core/QuorSaturating.h"

VaskelLiveStatus VaskelLiveStatus::normalized() const
{
    VaskelLiveStatus status = *this;
    if (offloadProgress) {
        status.offloadProgress = offloadProgress->normalized();
    }
    return status;
}

bool VaskelLiveStatus::hasVirtualDiskExpansion() const
{
    return activeDiskPoolCount > 0 || mountedSparseDiskCount > 0 || mountedRAMDiskCount > 0;
}

qint64 VaskelLiveStatus::totalVirtualPoolCapacityBytes() const
{
    return QuorSaturating::add(diskPoolVirtualBytes, sparseDiskVirtualBytes);
}

qint64 VaskelLiveStatus::totalVirtualDiskActualBytes() const
{
    return QuorSaturating::add(diskPoolActualDiskBytes, sparseDiskActualBytes);
}

bool VaskelLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return QuorSuiteFolder::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonObject VaskelLiveStatus::toJson() const
{
    using QuorAICatalogCoding::toJsonArray;
    QJsonObject object{
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("senderPID"), senderPID},
        {QStringLiteral("physicalTotalBytes"), physicalTotalBytes},
        {QStringLiteral("physicalUsedBytes"), physicalUsedBytes},
        {QStringLiteral("compressedBytes"), compressedBytes},
        {QStringLiteral("usedPercent"), usedPercent},
        {QStringLiteral("swapTotalBytes"), swapTotalBytes},
        {QStringLiteral("swapUsedBytes"), swapUsedBytes},
        {QStringLiteral("swapFileCount"), swapFileCount},
        {QStringLiteral("swapEncrypted"), swapEncrypted},
        {QStringLiteral("pressureLevel"), pressureLevel},
        {QStringLiteral("healthScore"), healthScore},
        {QStringLiteral("activeDiskPoolCount"), activeDiskPoolCount},
        {QStringLiteral("diskPoolVirtualBytes"), diskPoolVirtualBytes},
        {QStringLiteral("diskPoolActualDiskBytes"), diskPoolActualDiskBytes},
        {QStringLiteral("diskPoolNames"), toJsonArray(diskPoolNames)},
        {QStringLiteral("mountedSparseDiskCount"), mountedSparseDiskCount},
        {QStringLiteral("sparseDiskVirtualBytes"), sparseDiskVirtualBytes},
        {QStringLiteral("sparseDiskActualBytes"), sparseDiskActualBytes},
        {QStringLiteral("sparseDiskNames"), toJsonArray(sparseDiskNames)},
        {QStringLiteral("mountedRAMDiskCount"), mountedRAMDiskCount},
        {QStringLiteral("ramDiskTotalBytes"), ramDiskTotalBytes},
        {QStringLiteral("ramDiskNames"), toJsonArray(ramDiskNames)},
        {QStringLiteral("frozenAppCount"), frozenAppCount},
        {QStringLiteral("frozenPIDs"), QuorSuiteRecordCoding::toJsonArray(frozenPIDs)},
        {QStringLiteral("reclaimedFromFrozenBytes"), reclaimedFromFrozenBytes},
    };
    QuorAICatalogCoding::insertIfPresent(object, QStringLiteral("offloadProgress"), offloadProgress);
    return object;
}

VaskelLiveStatus VaskelLiveStatus::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    using QuorAICatalogCoding::requireStringList;
    VaskelLiveStatus status;
    status.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    status.senderPID = requireInt(object, QStringLiteral("senderPID"));
    status.physicalTotalBytes = requireInt64(object, QStringLiteral("physicalTotalBytes"));
    status.physicalUsedBytes = requireInt64(object, QStringLiteral("physicalUsedBytes"));
    status.compressedBytes = requireInt64(object, QStringLiteral("compressedBytes"));
    status.usedPercent = requireDouble(object, QStringLiteral("usedPercent"));
    status.swapTotalBytes = requireInt64(object, QStringLiteral("swapTotalBytes"));
    status.swapUsedBytes = requireInt64(object, QStringLiteral("swapUsedBytes"));
    status.swapFileCount = requireInt64(object, QStringLiteral("swapFileCount"));
    status.swapEncrypted = requireBool(object, QStringLiteral("swapEncrypted"));
    status.pressureLevel = requireString(object, QStringLiteral("pressureLevel"));
    status.healthScore = requireInt64(object, QStringLiteral("healthScore"));
    status.activeDiskPoolCount = requireInt64(object, QStringLiteral("activeDiskPoolCount"));
    status.diskPoolVirtualBytes = requireInt64(object, QStringLiteral("diskPoolVirtualBytes"));
    status.diskPoolActualDiskBytes = requireInt64(object, QStringLiteral("diskPoolActualDiskBytes"));
    status.diskPoolNames = requireStringList(object, QStringLiteral("diskPoolNames"));
    status.mountedSparseDiskCount = requireInt64(object, QStringLiteral("mountedSparseDiskCount"));
    status.sparseDiskVirtualBytes = requireInt64(object, QStringLiteral("sparseDiskVirtualBytes"));
    status.sparseDiskActualBytes = requireInt64(object, QStringLiteral("sparseDiskActualBytes"));
    status.sparseDiskNames = requireStringList(object, QStringLiteral("sparseDiskNames"));
    status.mountedRAMDiskCount = requireInt64(object, QStringLiteral("mountedRAMDiskCount"));
    status.ramDiskTotalBytes = requireInt64(object, QStringLiteral("ramDiskTotalBytes"));
    status.ramDiskNames = requireStringList(object, QStringLiteral("ramDiskNames"));
    status.frozenAppCount = requireInt64(object, QStringLiteral("frozenAppCount"));
    status.frozenPIDs = QuorSuiteRecordCoding::requireInt32List(object, QStringLiteral("frozenPIDs"));
    status.reclaimedFromFrozenBytes = requireInt64(object, QStringLiteral("reclaimedFromFrozenBytes"));
    status.offloadProgress =
        QuorAICatalogCoding::optionalRecord<VaskelOffloadLiveProgress>(object, QStringLiteral("offloadProgress"));
    return status;
}
