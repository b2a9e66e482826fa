#pragma once

#include <QJsonValue>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <optional>

// The interface language. The current choice is kept in the program's settings under
// "com.tallowmer.preferredLanguage"; "system" (or nothing) follows the system.
enum class QuorLanguage {
    ar, az, bg, ca, cs, da, de, el, en, es, fa, fi, fr, he, hi, hr, hu, id, it, ja, ko, ms, nb, nl, pl,
    ptBR, ptPT, ro, ru, sk, sv, th, tr, uk, vi, zhHans, zhHant
};

// "com.tallowmer.languageDidChange": posted with the language now in force as its object.
inline const QString quorLanguageDidChange = QStringLiteral("com.tallowmer.languageDidChange");

namespace QuorLanguages {

inline constexpr std::size_t caseCount = 37;

inline const QString defaultsKey = QStringLiteral("com.tallowmer.preferredLanguage");
inline const QString systemPreferenceCode = QStringLiteral("system");

const QList<QuorLanguage>& allCases();
// All cases by English name, case-insensitively (Arabic, Azerbaijani, Bulgarian, ...).
const QList<QuorLanguage>& sortedCases();

QString rawValue(QuorLanguage language);
// Exact, case-sensitive match of a code.
std::optional<QuorLanguage> fromRawValue(const QString& code);

QString nativeName(QuorLanguage language);
QString englishName(QuorLanguage language);
QString displayName(QuorLanguage language);
QString shortCode(QuorLanguage language);
bool isRTL(QuorLanguage language);
std::optional<QuorLanguage> fallbackParent(QuorLanguage language);
QLocale locale(QuorLanguage language);

// Maps a language tag (en-US, pt_PT, zh-Hant-TW, iw, no ...) to a case.
std::optional<QuorLanguage> match(const QString& tag);
// The first tag that match() maps, else English.
QuorLanguage resolve(const QStringList& tags);

// The system's preferred language tags: LANGUAGE, then LC_ALL, LC_MESSAGES, LANG (C and POSIX skipped).
QStringList systemPreferredTags();
QuorLanguage systemResolved();

QString storedPreferenceCode();
bool isFollowingSystem();
QuorLanguage current();

void setCurrent(QuorLanguage language);
void setFollowSystem();
// Follows the system, then runs `body` while setCurrent() does not overwrite the stored "system".
void applyFollowSystem(const std::function<void()>& body);

// A single JSON string value; anything unusable decodes as the system language.
QuorLanguage fromJson(const QJsonValue& value);
QJsonValue toJson(QuorLanguage language);

} // namespace QuorLanguages

// One explicit language, or following the system.
class QuorLanguageSelection {
public:
    static QuorLanguageSelection system() { return QuorLanguageSelection(std::nullopt); }
    static QuorLanguageSelection explicitLanguage(QuorLanguage language) { return QuorLanguageSelection(language); }
    static QuorLanguageSelection current();

    bool isSystem() const { return !m_language.has_value(); }
    std::optional<QuorLanguage> explicitValue() const { return m_language; }
    QuorLanguage resolvedLanguage() const;

    bool operator==(const QuorLanguageSelection& other) const = default;

private:
    explicit QuorLanguageSelection(std::optional<QuorLanguage> language) : m_language(language) {}
    std::optional<QuorLanguage> m_language;
};

size_t qHash(QuorLanguage language, size_t seed = 0) noexcept;
// Following the system hashes as 0; an explicit language as 1 and its code.
size_t qHash(const QuorLanguageSelection& selection, size_t seed = 0) noexcept;
