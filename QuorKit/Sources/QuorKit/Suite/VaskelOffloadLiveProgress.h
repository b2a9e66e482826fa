#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// One snapshot of a memory offload run of the memory application, carried in its live status.
struct VaskelOffloadLiveProgress {
    QDateTime timestamp;
    bool isRunning = false;
    bool isCompletedSummary = false;
    qint64 stepIndex = 0; // counted from 1
    qint64 totalSteps = 1;
    double fractionCompleted = 0; // 0...1
    QString phaseTitleEN;
    QString phaseTitleTR;
    QString detailEN;
    QString detailTR;
    qint64 allocatedBytes = 0;
    qint64 targetBytes = 0;
    QStringList frozenAppNames;
    QString livePressure; // "normal", "warning" or "critical"

    VaskelOffloadLiveProgress() = default;
    // What a publisher builds: at least one step, and the fraction within 0...1 (not a number
    // counts as 0). A decoded record keeps the values as published.
    VaskelOffloadLiveProgress(QDateTime timestamp, bool isRunning, bool isCompletedSummary, qint64 stepIndex,
                              qint64 totalSteps, double fractionCompleted, QString phaseTitleEN, QString phaseTitleTR,
                              QString detailEN, QString detailTR, qint64 allocatedBytes, qint64 targetBytes,
                              QStringList frozenAppNames, QString livePressure);

    bool operator==(const VaskelOffloadLiveProgress& other) const = default;

    // The record as the initializer makes it from these values (for one changed field by field).
    VaskelOffloadLiveProgress normalized() const;

    QJsonObject toJson() const;
    // Throws QuorDecodingError when a key is missing or of the wrong type.
    static VaskelOffloadLiveProgress fromJson(const QJsonObject& object);
};
