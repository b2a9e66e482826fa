#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorZubCore/Engine/ZubMathEvaluator.h"
#include "QuorZubCore/Models/ZubCaseTransformStyle.h"
#include "QuorZubCore/Models/ZubTargetLanguage.h"
#include "QuorZubCore/Models/ZubTextStats.h"
#include "QuorZubCore/Models/ZubURLCleanResult.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace quor::platform {
class DictionaryService;
class LanguageRecognizer;
class QRCodeGenerator;
class TextTokenizer;
} // namespace quor::platform

// The text tools that need no network: language detection and the translation target, statistics,
// tracking-parameter removal, case and white-space transforms, markdown stripping, QR images,
// dictionary look-up and arithmetic. Every operation is synchronous and may run on any thread; the
// shared recognizer and tokenizers are used one caller at a time.
class ZubOfflineTextEngine {
public:
    struct ResolvedTarget {
        std::optional<QString> detectedCode;
        QString targetCode;
        // The target's English name, as translation prompts name it.
        QString targetEnglishName;
        bool operator==(const ResolvedTarget& other) const = default;
    };

    // The platform services behind the engine. An empty member means the installed default (CLD2,
    // ICU, the dictd databases, libqrencode), made on first use.
    struct Services {
        std::shared_ptr<quor::platform::LanguageRecognizer> languageRecognizer;
        std::shared_ptr<quor::platform::TextTokenizer> wordTokenizer;
        std::shared_ptr<quor::platform::TextTokenizer> sentenceTokenizer;
        std::shared_ptr<quor::platform::DictionaryService> dictionary;
        std::shared_ptr<quor::platform::QRCodeGenerator> qrCodeGenerator;
    };
    // Puts other services in place (tests use fakes); Services{} restores the defaults.
    static void setServices(const Services& services);

    // The query keys that only track where a visitor came from (utm_* keys count as well).
    static const QSet<QString>& trackingQueryKeys();

    // A lower-case code such as "en" or "tr", or nothing for blank or unplaceable text.
    static std::optional<QString> detectLanguage(const QString& text);
    static ResolvedTarget resolveTargetLanguage(const QString& text, ZubTargetLanguage preference);

    // Removes tracking parameters from the web addresses in a text. Everything else, kept query
    // items included, stays exactly as written.
    static ZubURLCleanResult cleanTrackingParameters(const QString& text);

    static ZubTextStats analyzeStats(const QString& text);
    static QString formatStats(const ZubTextStats& stats, QuorLanguage language);

    // Title case and upper/lower case follow the user's locale (Turkish dotted and dotless i).
    static QString transformCase(const QString& text, ZubCaseTransformStyle style);
    static QString trimAndCollapseWhitespace(const QString& text);
    static QString stripMarkdown(const QString& text);
    // A server's text without the characters that must not reach the screen, the history or a paste:
    // control codes other than tab, line feed and carriage return (a next-line code becomes a line
    // feed), and the bidirectional embeddings, overrides and isolates, which reorder what follows.
    static QString removeControlCharacters(const QString& text);

    // The definition of the whole trimmed term in the installed dictionaries, or nothing.
    static std::optional<QString> lookupDictionary(const QString& term);

    // A PNG of the text's QR code, `scale` pixels per module (clamped to 2...24); nothing for empty
    // text, text with broken characters, or text too long for a QR code.
    static std::optional<QByteArray> generateQRCodePNG(const QString& text, double scale);

    // The math evaluator; throws its MathError unchanged.
    static ZubMathEvaluator::EvaluationOutput evaluateMathExpression(const QString& expression);

    ZubOfflineTextEngine() = delete;
};
