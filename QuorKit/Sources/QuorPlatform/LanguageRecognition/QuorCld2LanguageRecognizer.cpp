#include "QuorPlatform/LanguageRecognition/QuorCld2LanguageRecognizer.h"

// CLD2's headers use FILE without including <cstdio>.
#include <cstdio>

#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>

#include <QList>

#include <limits>
#include <utility>

namespace quor::platform {

namespace {
QString modernCode(const char* cldCode)
{
    const QString code = QString::fromLatin1(cldCode).toLower();
    if (code.isEmpty() || code == QLatin1String("xxx") || code.startsWith(QLatin1String("xx-"))) {
        return QStringLiteral("un");
    }
    static const QList<std::pair<QString, QString>> legacy{
        {QStringLiteral("iw"), QStringLiteral("he")},
        {QStringLiteral("in"), QStringLiteral("id")},
        {QStringLiteral("ji"), QStringLiteral("yi")},
        {QStringLiteral("jw"), QStringLiteral("jv")},
    };
    for (const auto& [old, current] : legacy) {
        if (code == old) {
            return current;
        }
    }
    return code;
}
} // namespace

LanguageGuess Cld2LanguageRecognizer::dominantLanguage(const QString& text)
{
    // QString's UTF-8 is always well formed (a lone surrogate becomes U+FFFD).
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() > std::numeric_limits<int>::max()) {
        utf8.truncate(std::numeric_limits<int>::max());
    }
    CLD2::CLDHints hints{nullptr, nullptr, CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE};
    CLD2::Language top3[3];
    int percents[3] = {};
    double scores[3] = {};
    int textBytes = 0;
    bool reliable = false;
    int validPrefix = 0;
    const CLD2::Language language = CLD2::ExtDetectLanguageSummaryCheckUTF8(
        utf8.constData(), static_cast<int>(utf8.size()), true, &hints, 0, top3, percents, scores, nullptr, &textBytes,
        &reliable, &validPrefix);
    LanguageGuess guess{modernCode(CLD2::LanguageCode(language)), reliable};
    if (guess.isUnknown()) {
        guess.isReliable = false;
    }
    return guess;
}

} // namespace quor::platform
