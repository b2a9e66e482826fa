#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <unordered_map>

// Texts by key or English text, in a standard hash map with Qt's unseeded string hash. Qt's seeded
// string hash (what QHash uses) is SipHash in the distribution's build, some fifteen times slower,
// and a language's first text pays for hashing all of its pack. Packs are the user's own files, so
// there is nothing to gain from a secret seed.
struct QuorTextHash {
    std::size_t operator()(const QString& text) const noexcept { return qHash(text, 0); }
};
using QuorTextMap = std::unordered_map<QString, QString, QuorTextHash>;

// One language pack file: texts of one interface language by key or English text, and translation
// templates. Every member is optional in JSON; a member of the wrong type fails the whole pack.
struct QuorLocalizationPack {
    QString code;
    QString nativeName;
    QString englishName;
    bool isRTL = false;
    QuorTextMap strings;
    QuorTextMap templates;

    bool operator==(const QuorLocalizationPack& other) const = default;

    // Throws QuorDecodingError.
    static QuorLocalizationPack fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    // A pack's other shape: a flat object whose every value is a string. Nothing otherwise.
    static std::optional<QuorTextMap> flatStrings(const QJsonObject& object);
};
