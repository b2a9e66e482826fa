#include "QuorKit/UI/AI/QuorAIUnifiedSettingsUIState.h"

void QuorAIUnifiedSettingsUIState::setSearchQuery(const QString& query)
{
    assign(m_searchQuery, query);
}

void QuorAIUnifiedSettingsUIState::setSelectedCategory(QuorAIModelFilterCategory category)
{
    assign(m_selectedCategory, category);
}

void QuorAIUnifiedSettingsUIState::setApiKeyInput(const QString& input)
{
    assign(m_apiKeyInput, input);
}

void QuorAIUnifiedSettingsUIState::setApiKeyFeedback(const std::optional<QuorAPIKeyFeedback>& feedback)
{
    assign(m_apiKeyFeedback, feedback);
}

void QuorAIUnifiedSettingsUIState::setWorkingOnKey(bool working)
{
    assign(m_isWorkingOnKey, working);
}
