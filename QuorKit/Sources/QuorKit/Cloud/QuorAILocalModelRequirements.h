#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>

// What running a model on this computer takes. Memory figures are in GB of 2^30 bytes.
struct QuorAILocalModelSpecs {
    std::optional<double> parameterSizeB;
    std::optional<double> activeParametersB;
    std::optional<QString> architecture;
    std::optional<QString> quantizationDefault;
    std::optional<QStringList> quantizations;
    std::optional<double> minRamGb;
    std::optional<double> recommendedRamGb;
    std::optional<double> diskSizeGb;
    std::optional<qint64> kvCacheMbPer4k;
    std::optional<bool> appleSiliconOptimized;
    std::optional<QString> ollamaTag;
    std::optional<QString> lmStudioId;
    std::optional<QString> mlxRepo;
    std::optional<QString> huggingFaceRepo;

    bool operator==(const QuorAILocalModelSpecs&) const = default;

    // Every key optional; present ones must have the right type. Throws QuorDecodingError.
    static QuorAILocalModelSpecs fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAILocalModelSpecs& specs, std::size_t seed = 0) noexcept;
