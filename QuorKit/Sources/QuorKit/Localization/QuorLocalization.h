#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QString>

#include <exception>
#include <optional>

// The interface text of an English/Turkish pair in `language` (the current interface language when
// none is given): an override pack first, then the literals for English and Turkish, then the
// language's packs, its fallback parent, and finally the English literal. Never fails.
QString quorText(const QString& en, const QString& tr, const QString& key = {},
                 std::optional<QuorLanguage> language = std::nullopt);

// The text of an error in the interface language: QuorError's English/Turkish pair through
// quorText(), what() for anything else.
QString localizedDescription(const std::exception& error, std::optional<QuorLanguage> language = std::nullopt);
