#include "QuorKit/Suite/VaskelOffloadLiveProgress.h"

#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <algorithm>
#include <cmath>

VaskelOffloadLiveProgress::VaskelOffloadLiveProgress(QDateTime timestamp, bool isRunning, bool isCompletedSummary,
                                                     qint64 stepIndex, qint64 totalSteps, double fractionCompleted,
                                                     QString phaseTitleEN, QString phaseTitleTR, QString detailEN,
                                                     QString detailTR, qint64 allocatedBytes, qint64 targetBytes,
                                                     QStringList frozenAppNames, QString livePressure)
    : timestamp(std::move(timestamp)), isRunning(isRunning), isCompletedSummary(isCompletedSummary),
      stepIndex(stepIndex), totalSteps(std::max<qint64>(totalSteps, 1)),
      fractionCompleted(std::isnan(fractionCompleted) ? 0.0 : std::clamp(fractionCompleted, 0.0, 1.0)),
      phaseTitleEN(std::move(phaseTitleEN)), phaseTitleTR(std::move(phaseTitleTR)), detailEN(std::move(detailEN)),
      detailTR(std::move(detailTR)), allocatedBytes(allocatedBytes), targetBytes(targetBytes),
      frozenAppNames(std::move(frozenAppNames)), livePressure(std::move(livePressure))
{
}

VaskelOffloadLiveProgress VaskelOffloadLiveProgress::normalized() const
{
    return {timestamp,    isRunning, isCompletedSummary, stepIndex,      totalSteps,  fractionCompleted, phaseTitleEN,
            phaseTitleTR, detailEN,  detailTR,           allocatedBytes, targetBytes, frozenAppNames,    livePressure};
}

QJsonObject VaskelOffloadLiveProgress::toJson() const
{
    return {
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("isRunning"), isRunning},
        {QStringLiteral("isCompletedSummary"), isCompletedSummary},
        {QStringLiteral("stepIndex"), stepIndex},
        {QStringLiteral("totalSteps"), totalSteps},
        {QStringLiteral("fractionCompleted"), fractionCompleted},
        {QStringLiteral("phaseTitleEN"), phaseTitleEN},
        {QStringLiteral("phaseTitleTR"), phaseTitleTR},
        {QStringLiteral("detailEN"), detailEN},
        {QStringLiteral("detailTR"), detailTR},
        {QStringLiteral("allocatedBytes"), allocatedBytes},
        {QStringLiteral("targetBytes"), targetBytes},
        {QStringLiteral("frozenAppNames"), QuorAICatalogCoding::toJsonArray(frozenAppNames)},
        {QStringLiteral("livePressure"), livePressure},
    };
}

VaskelOffloadLiveProgress VaskelOffloadLiveProgress::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    VaskelOffloadLiveProgress progress;
    progress.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    progress.isRunning = requireBool(object, QStringLiteral("isRunning"));
    progress.isCompletedSummary = requireBool(object, QStringLiteral("isCompletedSummary"));
    progress.stepIndex = requireInt64(object, QStringLiteral("stepIndex"));
    progress.totalSteps = requireInt64(object, QStringLiteral("totalSteps"));
    progress.fractionCompleted = requireDouble(object, QStringLiteral("fractionCompleted"));
    progress.phaseTitleEN = requireString(object, QStringLiteral("phaseTitleEN"));
    progress.phaseTitleTR = requireString(object, QStringLiteral("phaseTitleTR"));
    progress.detailEN = requireString(object, QStringLiteral("detailEN"));
    progress.detailTR = requireString(object, QStringLiteral("detailTR"));
    progress.allocatedBytes = requireInt64(object, QStringLiteral("allocatedBytes"));
    progress.targetBytes = requireInt64(object, QStringLiteral("targetBytes"));
    progress.frozenAppNames = QuorAICatalogCoding::requireStringList(object, QStringLiteral("frozenAppNames"));
    progress.livePressure = requireString(object, QStringLiteral("livePressure"));
    return progress;
}
