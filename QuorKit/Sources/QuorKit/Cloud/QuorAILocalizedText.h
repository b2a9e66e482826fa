#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QJsonObject>
#include <QString>

#include <cstddef>

// A catalog text in Turkish and English. The catalog carries only these two: Turkish readers get
// the Turkish text, everyone else the English one, each falling back to the other when empty.
struct QuorAILocalizedText {
    QString tr;
    QString en;

    QString resolved(QuorLanguage language) const;

    bool operator==(const QuorAILocalizedText&) const = default;

    // {"tr", "en"}, both required strings; throws QuorDecodingError.
    static QuorAILocalizedText fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAILocalizedText& text, std::size_t seed = 0) noexcept;
