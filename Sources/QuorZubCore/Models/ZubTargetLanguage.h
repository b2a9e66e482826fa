#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QList>
#include <QString>

#include <optional>

// The language translations go into; autoFlipTREN sends Turkish to English and everything else to
// Turkish.
enum class ZubTargetLanguage { autoFlipTREN, turkish, english, german, french, spanish, japanese };

namespace ZubTargetLanguages {

const QList<ZubTargetLanguage>& allCases();
QString rawValue(ZubTargetLanguage language);
inline QString id(ZubTargetLanguage language) { return rawValue(language); }
std::optional<ZubTargetLanguage> fromRawValue(const QString& text);

// "auto" for autoFlipTREN, else the two-letter code.
QString languageCode(ZubTargetLanguage language);
QString englishName(ZubTargetLanguage language);
// Not localized: "TR↔EN", "TR", "EN", ...
QString shortBadge(ZubTargetLanguage language);
QString displayName(ZubTargetLanguage language, std::optional<QuorLanguage> interfaceLanguage = std::nullopt);

} // namespace ZubTargetLanguages

size_t qHash(ZubTargetLanguage language, size_t seed = 0) noexcept;
