#include "QuorKit/Cloud/QuorAIModelCapabilities.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

#include <array>
#include <utility>

namespace {
using Flag = bool QuorAIModelCapabilities::*;

// Keys in the order they are read (and hashed): the first missing one names the failure.
const std::array<std::pair<const char*, Flag>, 15>& flags()
{
    static const std::array<std::pair<const char*, Flag>, 15> table{{
        {"toolCalling", &QuorAIModelCapabilities::toolCalling},
        {"parallelToolCalling", &QuorAIModelCapabilities::parallelToolCalling},
        {"vision", &QuorAIModelCapabilities::vision},
        {"reasoning", &QuorAIModelCapabilities::reasoning},
        {"structuredOutputs", &QuorAIModelCapabilities::structuredOutputs},
        {"jsonMode", &QuorAIModelCapabilities::jsonMode},
        {"streaming", &QuorAIModelCapabilities::streaming},
        {"systemPrompt", &QuorAIModelCapabilities::systemPrompt},
        {"promptCaching", &QuorAIModelCapabilities::promptCaching},
        {"webSearch", &QuorAIModelCapabilities::webSearch},
        {"computerUse", &QuorAIModelCapabilities::computerUse},
        {"codeExecution", &QuorAIModelCapabilities::codeExecution},
        {"pdfInput", &QuorAIModelCapabilities::pdfInput},
        {"audioInput", &QuorAIModelCapabilities::audioInput},
        {"audioOutput", &QuorAIModelCapabilities::audioOutput},
    }};
    return table;
}
} // namespace

QuorAIModelCapabilities QuorAIModelCapabilities::fromJson(const QJsonObject& object)
{
    QuorAIModelCapabilities capabilities;
    for (const auto& [key, flag] : flags()) {
        capabilities.*flag = QuorJson::requireBool(object, QLatin1String(key));
    }
    return capabilities;
}

QJsonObject QuorAIModelCapabilities::toJson() const
{
    QJsonObject object;
    for (const auto& [key, flag] : flags()) {
        object.insert(QLatin1String(key), this->*flag);
    }
    return object;
}

std::size_t qHash(const QuorAIModelCapabilities& capabilities, std::size_t seed) noexcept
{
    for (const auto& entry : flags()) {
        seed = QuorAICatalogCoding::combine(seed, capabilities.*entry.second);
    }
    return seed;
}
