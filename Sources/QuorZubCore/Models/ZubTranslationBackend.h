#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QList>
#include <QString>

#include <optional>

// Which route the AI-powered actions take: the AI provider, the keyless web translator (translate
// only; the other AI actions still use the provider), or no network at all.
enum class ZubTranslationBackend { aiProvider, freeWebTranslate, offlineOnly };

namespace ZubTranslationBackends {

const QList<ZubTranslationBackend>& allCases();
QString rawValue(ZubTranslationBackend backend);
inline QString id(ZubTranslationBackend backend) { return rawValue(backend); }
std::optional<ZubTranslationBackend> fromRawValue(const QString& text);

QString displayName(ZubTranslationBackend backend, std::optional<QuorLanguage> language = std::nullopt);
QString shortBadge(ZubTranslationBackend backend, std::optional<QuorLanguage> language = std::nullopt);

} // namespace ZubTranslationBackends

size_t qHash(ZubTranslationBackend backend, size_t seed = 0) noexcept;
