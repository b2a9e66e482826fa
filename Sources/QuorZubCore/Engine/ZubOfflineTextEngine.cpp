#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"

#include "QuorKit/Utilities/QuorByteFormatter.h"
#include "QuorKit/Utilities/QuorGraphemeBoundaries.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorPlatform/CaseMapping/QuorLocaleCaseMapper.h"
#include "QuorPlatform/Dictionary/QuorDictdDictionaryService.h"
#include "QuorPlatform/LanguageRecognition/QuorCld2LanguageRecognizer.h"
#include "QuorPlatform/QRCode/QuorQrencodeGenerator.h"
#include "QuorPlatform/Tokenization/QuorIcuTextTokenizer.h"
#include "QuorZubCore/Engine/ZubLinkDetector.h"

#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QUrl>

#include <unicode/uchar.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace quor::platform;

namespace {

// ---- services ----

struct Registry {
    QMutex mutex;
    ZubOfflineTextEngine::Services services;
};

Registry& registry()
{
    static Registry shared;
    return shared;
}

// The service in `slot`, made with `make` when none is in place.
template <typename Service, typename Make>
std::shared_ptr<Service> service(std::shared_ptr<Service> ZubOfflineTextEngine::Services::*slot, Make make)
{
    Registry& shared = registry();
    QMutexLocker locker(&shared.mutex);
    auto& current = shared.services.*slot;
    if (!current) {
        current = make();
    }
    return current;
}

std::shared_ptr<LanguageRecognizer> recognizer()
{
    return service(&ZubOfflineTextEngine::Services::languageRecognizer,
                   [] { return std::make_shared<Cld2LanguageRecognizer>(); });
}

std::shared_ptr<TextTokenizer> wordTokenizer()
{
    return service(&ZubOfflineTextEngine::Services::wordTokenizer,
                   [] { return std::make_shared<IcuTextTokenizer>(TokenUnit::word); });
}

std::shared_ptr<TextTokenizer> sentenceTokenizer()
{
    return service(&ZubOfflineTextEngine::Services::sentenceTokenizer,
                   [] { return std::make_shared<IcuTextTokenizer>(TokenUnit::sentence); });
}

std::shared_ptr<DictionaryService> dictionary()
{
    return service(&ZubOfflineTextEngine::Services::dictionary, [] { return std::make_shared<DictdDictionaryService>(); });
}

std::shared_ptr<QRCodeGenerator> qrCodeGenerator()
{
    return service(&ZubOfflineTextEngine::Services::qrCodeGenerator, [] { return std::make_shared<QrencodeGenerator>(); });
}

// The recognizer and the tokenizers keep state per text: one caller at a time.
QMutex& recognizerLock()
{
    static QMutex mutex;
    return mutex;
}

QMutex& tokenizerLock()
{
    static QMutex mutex;
    return mutex;
}

// ---- characters ----

bool isLineBreak(char32_t scalar)
{
    return (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028 || scalar == 0x2029;
}

bool isWhiteSpace(char32_t scalar)
{
    return u_isUWhiteSpace(static_cast<UChar32>(scalar));
}

bool isLetterOrNumber(char32_t scalar)
{
    const auto c = static_cast<UChar32>(scalar);
    return u_isUAlphabetic(c) || u_getIntPropertyValue(c, UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

bool containsLetterOrNumber(QStringView token)
{
    for (qsizetype i = 0; i < token.size(); ++i) {
        char32_t scalar = token[i].unicode();
        if (token[i].isHighSurrogate() && i + 1 < token.size() && token[i + 1].isLowSurrogate()) {
            scalar = QChar::surrogateToUcs4(token[i], token[i + 1]);
            ++i;
        }
        if (isLetterOrNumber(scalar)) {
            return true;
        }
    }
    return false;
}

// Letters only Turkish uses among the languages a recognizer confuses it with. The letters it shares
// with others (ç, ö, ü) say nothing.
bool containsStrongTurkishDiacritics(const QString& text)
{
    static const QString strong = QStringLiteral("ğĞşŞıİ");
    // Decomposed forms reach these letters through a combining breve, cedilla or dot above.
    static const QString combining = QStringLiteral("\u0306\u0327\u0307");
    const bool candidate = std::any_of(text.begin(), text.end(),
                                       [](QChar c) { return strong.contains(c) || combining.contains(c); });
    if (!candidate) {
        return false;
    }
    // Compared per character and by canonical equivalence: "s" + cedilla is "ş", "ş" + acute is not.
    const QString composed = text.normalized(QString::NormalizationForm_C);
    bool found = false;
    QuorGraphemeBoundaries::forEach(composed, [&](QStringView character) {
        found = found || (character.size() == 1 && strong.contains(character[0]));
    });
    return found;
}

bool hasBrokenSurrogates(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isSurrogate()) {
            return true;
        }
    }
    return false;
}

qint64 utf8Length(const QString& text)
{
    qint64 bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            bytes += 1;
        } else if (unit < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            bytes += 4;
            ++i;
        } else {
            // A lone surrogate is written as U+FFFD.
            bytes += 3;
        }
    }
    return bytes;
}

// ---- addresses ----

struct CleanedAddress {
    QString text;
    qint64 removedCount = 0;
    QStringList removedKeys;
};

bool isTrackingKey(const QString& name)
{
    const QString lower = name.toLower();
    return lower.startsWith(QLatin1String("utm_")) || ZubOfflineTextEngine::trackingQueryKeys().contains(lower);
}

// An http or https address written as one piece of text: a scheme, and nothing a URL parser would
// refuse outright (white space, control characters).
bool isWebAddress(QStringView address)
{
    const qsizetype colon = address.indexOf(u':');
    if (colon <= 0) {
        return false;
    }
    const QString scheme = address.first(colon).toString().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        return false;
    }
    return std::none_of(address.begin(), address.end(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
    });
}

// Removes the tracking items from one address's query. Only the removed items change: every kept
// item stays byte for byte as written ("%2B" stays "%2B", "%26" stays "%26"), and so does the rest
// of the address. Nothing when the text is not an http or https address.
std::optional<CleanedAddress> cleanSingleURLString(const QString& address)
{
    if (!isWebAddress(address)) {
        return std::nullopt;
    }
    const qsizetype hash = address.indexOf(u'#');
    const qsizetype question = address.indexOf(u'?');
    const qsizetype queryEnd = hash < 0 ? address.size() : hash;
    if (question < 0 || question > queryEnd || question + 1 == queryEnd) {
        return CleanedAddress{address, 0, {}};
    }
    const QStringView query = QStringView(address).sliced(question + 1, queryEnd - question - 1);
    QStringList kept;
    QStringList removed;
    for (const QStringView item : query.split(u'&')) {
        const qsizetype equals = item.indexOf(u'=');
        const QString name = QUrl::fromPercentEncoding((equals < 0 ? item : item.first(equals)).toUtf8());
        if (isTrackingKey(name)) {
            removed.append(name);
        } else {
            kept.append(item.toString());
        }
    }
    if (removed.isEmpty()) {
        return CleanedAddress{address, 0, {}};
    }
    QString cleaned = address.left(question);
    if (!kept.isEmpty()) {
        cleaned += u'?' + kept.join(u'&');
    }
    cleaned += QStringView(address).sliced(queryEnd);
    return CleanedAddress{cleaned, removed.size(), removed};
}

// ---- white space and markdown ----

bool isLineTerminator(QChar c)
{
    const char16_t unit = c.unicode();
    return (unit >= 0x0A && unit <= 0x0D) || unit == 0x85 || unit == 0x2028 || unit == 0x2029;
}

bool isHorizontalEdgeSpace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString normalizeLineEnds(QString text)
{
    if (text.contains(u'\r')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
    }
    return text;
}

// Every run of spaces and tabs becomes one space.
QString collapseHorizontalSpaces(const QString& text)
{
    QString result;
    result.reserve(text.size());
    bool inRun = false;
    for (const QChar c : text) {
        const bool horizontal = c == u' ' || c == u'\t';
        if (!horizontal) {
            result.append(c);
        } else if (!inRun) {
            result.append(u' ');
        }
        inRun = horizontal;
    }
    return result;
}

// Space separators and tabs at the start and end of every line go. Done by hand rather than with
// an alternation of anchored patterns, which rescans long runs of spaces from every position.
QString trimLineEdges(const QString& text)
{
    QString result;
    result.reserve(text.size());
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text.size() && !isLineTerminator(text[lineEnd])) {
            ++lineEnd;
        }
        qsizetype first = lineStart;
        qsizetype last = lineEnd;
        while (first < last && isHorizontalEdgeSpace(text[first])) {
            ++first;
        }
        while (last > first && isHorizontalEdgeSpace(text[last - 1])) {
            --last;
        }
        result.append(QStringView(text).sliced(first, last - first));
        if (lineEnd < text.size()) {
            result.append(text[lineEnd]);
        }
        lineStart = lineEnd + 1;
    }
    return result;
}

// Three or more line feeds in a row become two.
QString limitBlankLines(const QString& text)
{
    QString result;
    result.reserve(text.size());
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c == u'\n' ? run + 1 : 0;
        if (run <= 2) {
            result.append(c);
        }
    }
    return result;
}

struct RegexReplacementRule {
    QRegularExpression regex;
    QString replacement;
};

const std::vector<RegexReplacementRule>& markdownStripRules()
{
    static const std::vector<RegexReplacementRule> rules = [] {
        const auto options = QRegularExpression::UseUnicodePropertiesOption;
        const auto lines = options | QRegularExpression::MultilineOption;
        std::vector<RegexReplacementRule> list{
            {QRegularExpression(QStringLiteral(R"(^```[a-zA-Z0-9_-]*\s*$)"), lines), QString()},      // code fences
            {QRegularExpression(QStringLiteral(R"(!\[([^\]]*)\]\([^\)]+\))"), options), QStringLiteral("\\1")}, // images
            {QRegularExpression(QStringLiteral(R"(\[([^\]]+)\]\([^\)]+\))"), options), QStringLiteral("\\1")},  // links
            {QRegularExpression(QStringLiteral(R"(^\s{0,3}#{1,6}\s+)"), lines), QString()},           // headings
            {QRegularExpression(QStringLiteral(R"(^\s*>+\s?)"), lines), QString()},                   // quotes
            {QRegularExpression(QStringLiteral(R"(^\s*[-*+]\s+)"), lines), QString()},                // bullets
            {QRegularExpression(QStringLiteral(R"(^\s*\d+\.\s+)"), lines), QString()},                // numbered items
            {QRegularExpression(QStringLiteral(R"((\*\*|__|~~)(.*?)\1)"), options), QStringLiteral("\\2")}, // bold, strike
            {QRegularExpression(QStringLiteral(R"((\*|_)(.*?)\1)"), options), QStringLiteral("\\2")},      // italics
            {QRegularExpression(QStringLiteral(R"(`([^`]+)`)"), options), QStringLiteral("\\1")},          // inline code
        };
        for (auto& rule : list) {
            // A fixed pattern that fails to compile is a programming error.
            Q_ASSERT(rule.regex.isValid());
            rule.regex.optimize();
        }
        return list;
    }();
    return rules;
}

QString formatCount(qint64 value)
{
    return QString::number(value);
}

} // namespace

void ZubOfflineTextEngine::setServices(const Services& services)
{
    Registry& shared = registry();
    QMutexLocker locker(&shared.mutex);
    shared.services = services;
}

const QSet<QString>& ZubOfflineTextEngine::trackingQueryKeys()
{
    static const QSet<QString> keys{
        QStringLiteral("fbclid"), QStringLiteral("gclid"), QStringLiteral("yclid"),   QStringLiteral("mc_eid"),
        QStringLiteral("si"),     QStringLiteral("igsh"),  QStringLiteral("ref"),     QStringLiteral("ref_src"),
        QStringLiteral("feature"), QStringLiteral("spm"),
    };
    return keys;
}

std::optional<QString> ZubOfflineTextEngine::detectLanguage(const QString& text)
{
    // A long text's language shows in its start; weighing megabytes would only hold up the caller
    // (the bar appears after this answer).
    constexpr qsizetype sampleLength = 64 * 1024;
    const QString trimmed = (text.size() > sampleLength ? text.left(sampleLength) : text).trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    const auto languageRecognizer = recognizer();
    LanguageGuess guess;
    {
        QMutexLocker locker(&recognizerLock());
        guess = languageRecognizer->dominantLanguage(trimmed);
    }
    if (guess.code.isEmpty() || guess.isUnknown()) {
        return containsStrongTurkishDiacritics(trimmed) ? std::optional<QString>(QStringLiteral("tr")) : std::nullopt;
    }
    const QString code = guess.code.toLower().section(u'-', 0, 0);
    if (code == QLatin1String("tr")) {
        return code;
    }
    // A short text with a letter only Turkish has is Turkish, whatever the statistics say.
    if (containsStrongTurkishDiacritics(trimmed) && QuorGraphemes::count(trimmed) <= 24) {
        return QStringLiteral("tr");
    }
    return code;
}

ZubOfflineTextEngine::ResolvedTarget ZubOfflineTextEngine::resolveTargetLanguage(const QString& text,
                                                                               ZubTargetLanguage preference)
{
    const std::optional<QString> detected = detectLanguage(text);
    if (preference == ZubTargetLanguage::autoFlipTREN) {
        return detected == QStringLiteral("tr") ? ResolvedTarget{detected, QStringLiteral("en"), QStringLiteral("English")}
                                                : ResolvedTarget{detected, QStringLiteral("tr"), QStringLiteral("Turkish")};
    }
    return ResolvedTarget{detected, ZubTargetLanguages::languageCode(preference), ZubTargetLanguages::englishName(preference)};
}

ZubURLCleanResult ZubOfflineTextEngine::cleanTrackingParameters(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !trimmed.contains(u'?')) {
        return ZubURLCleanResult{text, 0, {}};
    }
    if (std::none_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isSpace(); })) {
        if (const auto single = cleanSingleURLString(trimmed)) {
            return ZubURLCleanResult{single->text, single->removedCount, single->removedKeys};
        }
    }
    QString result = text;
    qint64 total = 0;
    QStringList keys;
    const QList<ZubLinkDetector::Match> links = ZubLinkDetector::links(text);
    // From the last to the first, so earlier ranges stay where they were.
    for (auto it = links.crbegin(); it != links.crend(); ++it) {
        if (it->start < 0 || it->length <= 0 || it->start + it->length > result.size()) {
            continue;
        }
        const auto cleaned = cleanSingleURLString(result.mid(it->start, it->length));
        if (cleaned && cleaned->removedCount > 0) {
            result.replace(it->start, it->length, cleaned->text);
            total += cleaned->removedCount;
            keys.append(cleaned->removedKeys);
        }
    }
    return ZubURLCleanResult{result, total, keys};
}

ZubTextStats ZubOfflineTextEngine::analyzeStats(const QString& text)
{
    ZubTextStats stats;
    if (text.isEmpty()) {
        return stats;
    }
    stats.lines = 1;
    QuorGraphemeBoundaries::forEach(text, [&stats](QStringView character) {
        ++stats.characters;
        const char32_t scalar = QuorGraphemes::firstScalar(character);
        if (isLineBreak(scalar)) {
            ++stats.lines;
        } else if (!isWhiteSpace(scalar)) {
            ++stats.charactersWithoutSpaces;
        }
    });
    stats.utf8Bytes = utf8Length(text);

    const auto words = wordTokenizer();
    const auto sentences = sentenceTokenizer();
    {
        QMutexLocker locker(&tokenizerLock());
        words->enumerateTokens(text, [&stats](QStringView token) {
            stats.words += containsLetterOrNumber(token) ? 1 : 0;
        });
        sentences->enumerateTokens(text, [&stats](QStringView token) {
            stats.sentences += token.trimmed().isEmpty() ? 0 : 1;
        });
    }
    // 200 words a minute, rounded up to whole seconds; exact in integers.
    stats.estimatedReadingSeconds = stats.words == 0 ? 0 : std::max<qint64>(1, (stats.words * 60 + 199) / 200);
    return stats;
}

QString ZubOfflineTextEngine::formatStats(const ZubTextStats& stats, QuorLanguage language)
{
    const QString size = QuorByteFormatter::format(stats.utf8Bytes);
    const QString reading = QuorByteFormatter::formatDuration(static_cast<double>(stats.estimatedReadingSeconds));
    if (language == QuorLanguage::tr) {
        return QStringLiteral("Kelime: ") + formatCount(stats.words) + QStringLiteral("\nKarakter: ") +
               formatCount(stats.characters) + QStringLiteral(" (boşluksuz: ") + formatCount(stats.charactersWithoutSpaces) +
               QStringLiteral(")\nCümle: ") + formatCount(stats.sentences) + QStringLiteral(" · Satır: ") +
               formatCount(stats.lines) + QStringLiteral("\nUTF-8 Boyut: ") + size + QStringLiteral(" · Tahmini Okuma: ") +
               reading;
    }
    return QStringLiteral("Words: ") + formatCount(stats.words) + QStringLiteral("\nCharacters: ") +
           formatCount(stats.characters) + QStringLiteral(" (no spaces: ") + formatCount(stats.charactersWithoutSpaces) +
           QStringLiteral(")\nSentences: ") + formatCount(stats.sentences) + QStringLiteral(" · Lines: ") +
           formatCount(stats.lines) + QStringLiteral("\nUTF-8 Size: ") + size + QStringLiteral(" · Est. Reading Time: ") +
           reading;
}

QString ZubOfflineTextEngine::transformCase(const QString& text, ZubCaseTransformStyle style)
{
    const QString locale = QLocale().name();
    switch (style) {
    case ZubCaseTransformStyle::titleCase:
        return LocaleCaseMapper::titlecaseWords(text, locale);
    case ZubCaseTransformStyle::uppercase:
        return LocaleCaseMapper::uppercase(text, locale);
    case ZubCaseTransformStyle::lowercase:
        return LocaleCaseMapper::lowercase(text, locale);
    case ZubCaseTransformStyle::trimAndCollapseWhitespace:
        return trimAndCollapseWhitespace(text);
    case ZubCaseTransformStyle::stripMarkdown:
        return stripMarkdown(text);
    }
    return text;
}

QString ZubOfflineTextEngine::trimAndCollapseWhitespace(const QString& text)
{
    return limitBlankLines(trimLineEdges(collapseHorizontalSpaces(normalizeLineEnds(text)))).trimmed();
}

QString ZubOfflineTextEngine::stripMarkdown(const QString& text)
{
    QString result = normalizeLineEnds(text);
    for (const auto& rule : markdownStripRules()) {
        result.replace(rule.regex, rule.replacement);
    }
    return trimAndCollapseWhitespace(result);
}

QString ZubOfflineTextEngine::removeControlCharacters(const QString& text)
{
    constexpr char16_t nextLine = 0x85;
    const auto dropped = [](QChar c) {
        const char16_t unit = c.unicode();
        if (unit == u'\t' || unit == u'\n' || unit == u'\r') {
            return false;
        }
        return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || (unit >= 0x202A && unit <= 0x202E)
               || (unit >= 0x2066 && unit <= 0x2069);
    };
    // Answers are mostly clean and may be megabytes: they are copied only when something goes.
    if (std::none_of(text.cbegin(), text.cend(), dropped)) {
        return text;
    }
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() == nextLine) {
            kept.append(u'\n');
        } else if (!dropped(c)) {
            kept.append(c);
        }
    }
    return kept;
}

std::optional<QString> ZubOfflineTextEngine::lookupDictionary(const QString& term)
{
    const QString trimmed = term.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    const auto definition = dictionary()->definition(trimmed);
    if (!definition) {
        return std::nullopt;
    }
    const QString cleaned = definition->trimmed();
    return cleaned.isEmpty() ? std::nullopt : std::optional<QString>(cleaned);
}

std::optional<QByteArray> ZubOfflineTextEngine::generateQRCodePNG(const QString& text, double scale)
{
    if (text.isEmpty() || hasBrokenSurrogates(text)) {
        return std::nullopt;
    }
    const double clamped = std::isnan(scale) ? 2.0 : std::clamp(scale, 2.0, 24.0);
    return qrCodeGenerator()->pngData(text.toUtf8(), static_cast<int>(std::lround(clamped)));
}

ZubMathEvaluator::EvaluationOutput ZubOfflineTextEngine::evaluateMathExpression(const QString& expression)
{
    return ZubMathEvaluator::evaluate(expression);
}
