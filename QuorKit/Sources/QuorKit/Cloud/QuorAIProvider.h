#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

// The AI backends the chat client can reach: a local Ollama server, any OpenAI-compatible endpoint
// used with the user's own key, and the credits gateway of the signed-in account.
enum class QuorAIProvider { ollamaLocal, openAI, tallowmerCredits };

namespace QuorAIProviders {

// In declaration order: ollamaLocal, openAI, tallowmerCredits.
const QList<QuorAIProvider>& allCases();

// "ollamaLocal", "openAI", "tallowmerCredits"; also the key of the provider's keyring item.
QString rawValue(QuorAIProvider provider);
inline QString id(QuorAIProvider provider) { return rawValue(provider); }
// Exact, case-sensitive match of a raw value.
std::optional<QuorAIProvider> fromRawValue(const QString& text);

// The provider's name in `language` (the interface language when none is given).
QString displayName(QuorAIProvider provider, std::optional<QuorLanguage> language = std::nullopt);

// The full chat address used when a configuration names none. Worked out on every call: the
// credits gateway's base follows whatever override is in force at that moment.
QString defaultEndpoint(QuorAIProvider provider);
QString defaultModel(QuorAIProvider provider);

// The raw value as a JSON string; anything else fails with QuorDecodingError.
QuorAIProvider fromJson(const QJsonValue& value, const QString& context = QStringLiteral("provider"));
QJsonValue toJson(QuorAIProvider provider);

} // namespace QuorAIProviders

size_t qHash(QuorAIProvider provider, size_t seed = 0) noexcept;
