#pragma once

#include "QuorKit/UI/AI/QuorAIModelFilterCategory.h"
#include "QuorKit/UI/Credits/QuorLanguageAwareUIState.h"

#include <QString>

#include <optional>

// The line under the API key field after Save or Clear, kept as text resolved when it was made.
struct QuorAPIKeyFeedback {
    QString text;
    bool isError = false; // the keyring refused
    bool operator==(const QuorAPIKeyFeedback& other) const = default;
};

// The AI card's transient state: the model search, the chosen chip, the typed key, the line about
// the last key operation, and whether one is still waiting on the keyring. Nothing is persisted.
class QuorAIUnifiedSettingsUIState : public QuorLanguageAwareUIState {
    Q_OBJECT
public:
    explicit QuorAIUnifiedSettingsUIState(QObject* parent = nullptr) : QuorLanguageAwareUIState(parent) {}

    QString searchQuery() const { return m_searchQuery; }
    void setSearchQuery(const QString& query);
    QuorAIModelFilterCategory selectedCategory() const { return m_selectedCategory; }
    void setSelectedCategory(QuorAIModelFilterCategory category);
    QString apiKeyInput() const { return m_apiKeyInput; }
    void setApiKeyInput(const QString& input);
    const std::optional<QuorAPIKeyFeedback>& apiKeyFeedback() const { return m_apiKeyFeedback; }
    void setApiKeyFeedback(const std::optional<QuorAPIKeyFeedback>& feedback);
    bool isWorkingOnKey() const { return m_isWorkingOnKey; }
    void setWorkingOnKey(bool working);

private:
    QString m_searchQuery;
    QuorAIModelFilterCategory m_selectedCategory = QuorAIModelFilterCategory::all;
    QString m_apiKeyInput;
    std::optional<QuorAPIKeyFeedback> m_apiKeyFeedback;
    bool m_isWorkingOnKey = false;
};
