#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// The system monitor's live status: load, temperatures, fan, power and storage health.
struct KestrineLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    double cpuTotalPercent = 0;
    double gpuTotalPercent = 0;
    double memoryUsedPercent = 0;
    qint64 swapUsedBytes = 0;
    std::optional<double> cpuTempCelsius;
    std::optional<double> gpuTempCelsius;
    std::optional<double> socTempCelsius;
    std::optional<qint64> fanMaxRPM;
    std::optional<double> systemWatts;
    qint64 healthScore = 0;
    QString thermalState;
    std::optional<qint64> nvmeHealthPercent;

    bool operator==(const KestrineLiveStatus& other) const = default;

    // The processor's temperature, else the system-on-chip's, else the graphics processor's.
    std::optional<double> headlineTempCelsius() const;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    QJsonObject toJson() const;
    static KestrineLiveStatus fromJson(const QJsonObject& object);
};
