#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QList>
#include <QString>

#include <optional>

// The chips that narrow the AI card's model list.
enum class QuorAIModelFilterCategory { all, tallowmer, cloud, local, installed, reasoning, vision };

namespace QuorAIModelFilterCategories {

// In declaration order: all, tallowmer, cloud, local, installed, reasoning, vision.
const QList<QuorAIModelFilterCategory>& allCases();
// "all", "tallowmer", "cloud", "local", "installed", "reasoning", "vision".
QString rawValue(QuorAIModelFilterCategory category);
// Exact, case-sensitive match of a raw value.
std::optional<QuorAIModelFilterCategory> fromRawValue(const QString& text);
// The chip's label; the brand chip reads the same in every language.
QString title(QuorAIModelFilterCategory category, QuorLanguage language);

} // namespace QuorAIModelFilterCategories
