#include "QuorKit/Cloud/QuorAILocalModelRequirements.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

QuorAILocalModelSpecs QuorAILocalModelSpecs::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorAILocalModelSpecs specs;
    specs.parameterSizeB = optionalDouble(object, QStringLiteral("parameterSizeB"));
    specs.activeParametersB = optionalDouble(object, QStringLiteral("activeParametersB"));
    specs.architecture = optionalString(object, QStringLiteral("architecture"));
    specs.quantizationDefault = optionalString(object, QStringLiteral("quantizationDefault"));
    specs.quantizations = QuorAICatalogCoding::optionalStringList(object, QStringLiteral("quantizations"));
    specs.minRamGb = optionalDouble(object, QStringLiteral("minRamGb"));
    specs.recommendedRamGb = optionalDouble(object, QStringLiteral("recommendedRamGb"));
    specs.diskSizeGb = optionalDouble(object, QStringLiteral("diskSizeGb"));
    specs.kvCacheMbPer4k = optionalInt64(object, QStringLiteral("kvCacheMbPer4k"));
    specs.appleSiliconOptimized = optionalBool(object, QStringLiteral("appleSiliconOptimized"));
    specs.ollamaTag = optionalString(object, QStringLiteral("ollamaTag"));
    specs.lmStudioId = optionalString(object, QStringLiteral("lmStudioId"));
    specs.mlxRepo = optionalString(object, QStringLiteral("mlxRepo"));
    specs.huggingFaceRepo = optionalString(object, QStringLiteral("huggingFaceRepo"));
    return specs;
}

QJsonObject QuorAILocalModelSpecs::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    QJsonObject object;
    insertIfPresent(object, QStringLiteral("parameterSizeB"), parameterSizeB);
    insertIfPresent(object, QStringLiteral("activeParametersB"), activeParametersB);
    insertIfPresent(object, QStringLiteral("architecture"), architecture);
    insertIfPresent(object, QStringLiteral("quantizationDefault"), quantizationDefault);
    insertIfPresent(object, QStringLiteral("quantizations"), quantizations);
    insertIfPresent(object, QStringLiteral("minRamGb"), minRamGb);
    insertIfPresent(object, QStringLiteral("recommendedRamGb"), recommendedRamGb);
    insertIfPresent(object, QStringLiteral("diskSizeGb"), diskSizeGb);
    insertIfPresent(object, QStringLiteral("kvCacheMbPer4k"), kvCacheMbPer4k);
    insertIfPresent(object, QStringLiteral("appleSiliconOptimized"), appleSiliconOptimized);
    insertIfPresent(object, QStringLiteral("ollamaTag"), ollamaTag);
    insertIfPresent(object, QStringLiteral("lmStudioId"), lmStudioId);
    insertIfPresent(object, QStringLiteral("mlxRepo"), mlxRepo);
    insertIfPresent(object, QStringLiteral("huggingFaceRepo"), huggingFaceRepo);
    return object;
}

std::size_t qHash(const QuorAILocalModelSpecs& specs, std::size_t seed) noexcept
{
    return QuorAICatalogCoding::hashMembers(seed, specs.parameterSizeB, specs.activeParametersB, specs.architecture,
                                            specs.quantizationDefault, specs.quantizations, specs.minRamGb,
                                            specs.recommendedRamGb, specs.diskSizeGb, specs.kvCacheMbPer4k,
                                            specs.appleSiliconOptimized, specs.ollamaTag, specs.lmStudioId,
                                            specs.mlxRepo, specs.huggingFaceRepo);
}
