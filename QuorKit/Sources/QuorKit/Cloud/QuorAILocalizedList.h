#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QJsonObject>
#include <QStringList>

#include <cstddef>

// A catalog list (strengths, limitations) in Turkish and English, resolved like QuorAILocalizedText:
// an empty list falls back to the other language's items.
struct QuorAILocalizedList {
    QStringList tr;
    QStringList en;

    QStringList resolved(QuorLanguage language) const;

    bool operator==(const QuorAILocalizedList&) const = default;

    // {"tr", "en"}, both required string arrays; throws QuorDecodingError.
    static QuorAILocalizedList fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAILocalizedList& list, std::size_t seed = 0) noexcept;
