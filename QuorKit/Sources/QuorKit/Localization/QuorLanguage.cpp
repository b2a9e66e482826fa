#include "QuorKit/Localization/QuorLanguage.h"

#include "QuorKit/Localization/QuorLocalizationStore.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorKit/Utilities/QuorSettings.h"

#include <QCollator>
#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <array>
#include <mutex>

#include <sys/stat.h>

namespace {

struct LanguageRow {
    QuorLanguage language;
    const char* code;
    const char* nativeName;
    const char* englishName;
    bool rtl;
};

const std::array<LanguageRow, QuorLanguages::caseCount>& table()
{
    static const std::array<LanguageRow, QuorLanguages::caseCount> rows{{
        {QuorLanguage::ar, "ar", "العربية", "Arabic", true},
        {QuorLanguage::az, "az", "Azərbaycanca", "Azerbaijani", false},
        {QuorLanguage::bg, "bg", "Български", "Bulgarian", false},
        {QuorLanguage::ca, "ca", "Català", "Catalan", false},
        {QuorLanguage::cs, "cs", "Čeština", "Czech", false},
        {QuorLanguage::da, "da", "Dansk", "Danish", false},
        {QuorLanguage::de, "de", "Deutsch", "German", false},
        {QuorLanguage::el, "el", "Ελληνικά", "Greek", false},
        {QuorLanguage::en, "en", "English", "English", false},
        {QuorLanguage::es, "es", "Español", "Spanish", false},
        {QuorLanguage::fa, "fa", "فارسی", "Persian", true},
        {QuorLanguage::fi, "fi", "Suomi", "Finnish", false},
        {QuorLanguage::fr, "fr", "Français", "French", false},
        {QuorLanguage::he, "he", "עברית", "Hebrew", true},
        {QuorLanguage::hi, "hi", "हिन्दी", "Hindi", false},
        {QuorLanguage::hr, "hr", "Hrvatski", "Croatian", false},
        {QuorLanguage::hu, "hu", "Magyar", "Hungarian", false},
        {QuorLanguage::id, "id", "Bahasa Indonesia", "Indonesian", false},
        {QuorLanguage::it, "it", "Italiano", "Italian", false},
        {QuorLanguage::ja, "ja", "日本語", "Japanese", false},
        {QuorLanguage::ko, "ko", "한국어", "Korean", false},
        {QuorLanguage::ms, "ms", "Bahasa Melayu", "Malay", false},
        {QuorLanguage::nb, "nb", "Norsk Bokmål", "Norwegian Bokmål", false},
        {QuorLanguage::nl, "nl", "Nederlands", "Dutch", false},
        {QuorLanguage::pl, "pl", "Polski", "Polish", false},
        {QuorLanguage::ptBR, "pt-BR", "Português (Brasil)", "Portuguese (Brazil)", false},
        {QuorLanguage::ptPT, "pt-PT", "Português (Portugal)", "Portuguese (Portugal)", false},
        {QuorLanguage::ro, "ro", "Română", "Romanian", false},
        {QuorLanguage::ru, "ru", "Русский", "Russian", false},
        {QuorLanguage::sk, "sk", "Slovenčina", "Slovak", false},
        {QuorLanguage::sv, "sv", "Svenska", "Swedish", false},
        {QuorLanguage::th, "th", "ไทย", "Thai", false},
        {QuorLanguage::tr, "tr", "Türkçe", "Turkish", false},
        {QuorLanguage::uk, "uk", "Українська", "Ukrainian", false},
        {QuorLanguage::vi, "vi", "Tiếng Việt", "Vietnamese", false},
        {QuorLanguage::zhHans, "zh-Hans", "简体中文", "Chinese (Simplified)", false},
        {QuorLanguage::zhHant, "zh-Hant", "繁體中文", "Chinese (Traditional)", false},
    }};
    return rows;
}

const LanguageRow& row(QuorLanguage language)
{
    return table()[static_cast<size_t>(language)];
}

// While depth is above zero, setCurrent() leaves the stored preference alone.
struct PersistenceGuard {
    std::mutex lock;
    int suppressDepth = 0;
};

PersistenceGuard& persistenceGuard()
{
    static PersistenceGuard guard;
    return guard;
}

void preloadAndAnnounce(QuorLanguage language)
{
    QuorLocalizationStore::shared().preloadIfNeeded(language);
    QuorNotificationCenter::defaultCenter().post(quorLanguageDidChange, QVariant::fromValue(language));
}

bool isSkippedLocaleTag(const QString& tag)
{
    const QString base = tag.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    return base.isEmpty() || base == QLatin1String("C") || base == QLatin1String("POSIX");
}

// What the settings file looks like from outside: another process that stores a new preference
// replaces the file (new inode) or at least changes its size or times.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    static FileStamp of(const QByteArray& path)
    {
        struct stat info {};
        if (path.isEmpty() || ::stat(path.constData(), &info) != 0) {
            return {};
        }
        return {static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino), static_cast<qint64>(info.st_size),
                static_cast<qint64>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
                static_cast<qint64>(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec};
    }
    bool operator==(const FileStamp&) const = default;
};

// Everything the current language is derived from. Reading the stored preference opens the
// settings file (tens of microseconds), and every interface text asks for the current language, so
// the answer is kept per thread until one of these inputs changes: a write made here, the settings
// file as another process left it, the application's name or the locale environment.
struct CurrentLanguageInputs {
    quint64 settingsGeneration = 0;
    QString applicationName;
    FileStamp settingsFile;
    std::array<QByteArray, 4> environment;

    bool operator==(const CurrentLanguageInputs&) const = default;
};

struct CurrentLanguageCache {
    std::optional<CurrentLanguageInputs> inputs;
    QuorLanguage language = QuorLanguage::en;
    // Where the settings of `settingsFileFor` live; asking QSettings costs as much as a read.
    QString settingsFileFor;
    QByteArray settingsFile;

    CurrentLanguageInputs read()
    {
        const quint64 generation = QuorSettings::writeGeneration();
        QString application = QCoreApplication::applicationName();
        if (settingsFile.isEmpty() || settingsFileFor != application) {
            settingsFileFor = application;
            settingsFile = QFile::encodeName(QuorSettings::standard().fileName());
        }
        return {generation, std::move(application), FileStamp::of(settingsFile),
                {qgetenv("LANGUAGE"), qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")}};
    }
};
} // namespace

namespace QuorLanguages {

const QList<QuorLanguage>& allCases()
{
    static const QList<QuorLanguage> cases = [] {
        QList<QuorLanguage> result;
        for (const LanguageRow& entry : table()) {
            result.append(entry.language);
        }
        return result;
    }();
    return cases;
}

const QList<QuorLanguage>& sortedCases()
{
    static const QList<QuorLanguage> sorted = [] {
        QList<QuorLanguage> result = allCases();
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::stable_sort(result.begin(), result.end(), [&collator](QuorLanguage a, QuorLanguage b) {
            return collator.compare(englishName(a), englishName(b)) < 0;
        });
        return result;
    }();
    return sorted;
}

QString rawValue(QuorLanguage language) { return QString::fromUtf8(row(language).code); }

std::optional<QuorLanguage> fromRawValue(const QString& code)
{
    for (const LanguageRow& entry : table()) {
        if (code == QLatin1String(entry.code)) {
            return entry.language;
        }
    }
    return std::nullopt;
}

QString nativeName(QuorLanguage language) { return QString::fromUtf8(row(language).nativeName); }
QString englishName(QuorLanguage language) { return QString::fromUtf8(row(language).englishName); }

QString displayName(QuorLanguage language)
{
    const QString native = nativeName(language);
    const QString english = englishName(language);
    if (native.compare(english, Qt::CaseInsensitive) == 0) {
        return native;
    }
    return native + QStringLiteral(" (") + english + QLatin1Char(')');
}

QString shortCode(QuorLanguage language)
{
    switch (language) {
    case QuorLanguage::ptBR: return QStringLiteral("PT");
    case QuorLanguage::ptPT: return QStringLiteral("PT-PT");
    case QuorLanguage::zhHans: return QStringLiteral("ZH");
    case QuorLanguage::zhHant: return QStringLiteral("ZH-TW");
    default: return rawValue(language).toUpper();
    }
}

bool isRTL(QuorLanguage language) { return row(language).rtl; }

std::optional<QuorLanguage> fallbackParent(QuorLanguage language)
{
    switch (language) {
    case QuorLanguage::ptPT: return QuorLanguage::ptBR;
    case QuorLanguage::zhHant: return QuorLanguage::zhHans;
    default: return std::nullopt;
    }
}

QLocale locale(QuorLanguage language) { return QLocale(rawValue(language)); }

std::optional<QuorLanguage> match(const QString& rawTag)
{
    QString tag = rawTag.trimmed();
    tag.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (tag.isEmpty()) {
        return std::nullopt;
    }
    for (const LanguageRow& entry : table()) {
        if (tag.compare(QLatin1String(entry.code), Qt::CaseInsensitive) == 0) {
            return entry.language;
        }
    }
    const QString lower = tag.toLower();
    auto isOrStartsWith = [&lower](const char* base) {
        const QLatin1String prefix(base);
        return lower == prefix || lower.startsWith(prefix + QLatin1Char('-'));
    };
    if (isOrStartsWith("zh")) {
        const bool traditional = lower.contains(QLatin1String("hant")) || lower.contains(QLatin1String("-tw"))
            || lower.contains(QLatin1String("-hk")) || lower.contains(QLatin1String("-mo"));
        return traditional ? QuorLanguage::zhHant : QuorLanguage::zhHans;
    }
    if (isOrStartsWith("pt")) {
        return lower.startsWith(QLatin1String("pt-pt")) ? QuorLanguage::ptPT : QuorLanguage::ptBR;
    }
    if (isOrStartsWith("no") || isOrStartsWith("nb") || isOrStartsWith("nn")) {
        return QuorLanguage::nb;
    }
    const QStringList pieces = lower.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    const QString base = pieces.isEmpty() ? lower : pieces.first();
    if (base == QLatin1String("iw")) {
        return QuorLanguage::he;
    }
    if (base == QLatin1String("in")) {
        return QuorLanguage::id;
    }
    for (const LanguageRow& entry : table()) {
        if (QString::fromUtf8(entry.code).toLower() == base) {
            return entry.language;
        }
    }
    return std::nullopt;
}

QuorLanguage resolve(const QStringList& tags)
{
    for (const QString& tag : tags) {
        if (const auto language = match(tag)) {
            return *language;
        }
    }
    return QuorLanguage::en;
}

QStringList systemPreferredTags()
{
    QStringList tags;
    // LANGUAGE is a priority list ("tr:en"); the others hold one locale name ("tr_TR.UTF-8").
    const QString languageList = qEnvironmentVariable("LANGUAGE");
    for (const QString& piece : languageList.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (!isSkippedLocaleTag(piece)) {
            tags.append(piece.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0));
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (value.isEmpty()) {
            continue;
        }
        // The first of these that is set decides, as for the C library.
        if (!isSkippedLocaleTag(value)) {
            tags.append(value.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0));
        }
        break;
    }
    return tags;
}

QuorLanguage systemResolved()
{
    return resolve(systemPreferredTags());
}

QString storedPreferenceCode()
{
    const auto stored = QuorSettings::standard().string(defaultsKey);
    const QString trimmed = stored ? stored->trimmed() : QString();
    return trimmed.isEmpty() ? systemPreferenceCode : trimmed;
}

bool isFollowingSystem()
{
    return storedPreferenceCode().compare(systemPreferenceCode, Qt::CaseInsensitive) == 0;
}

QuorLanguage current()
{
    thread_local CurrentLanguageCache cache;
    CurrentLanguageInputs inputs = cache.read();
    if (cache.inputs == inputs) {
        return cache.language;
    }
    const QString stored = storedPreferenceCode();
    const std::optional<QuorLanguage> chosen = stored.compare(systemPreferenceCode, Qt::CaseInsensitive) != 0
        ? match(stored)
        : std::nullopt;
    cache.language = chosen ? *chosen : systemResolved();
    cache.inputs = std::move(inputs);
    return cache.language;
}

void setCurrent(QuorLanguage language)
{
    int depth = 0;
    {
        PersistenceGuard& guard = persistenceGuard();
        const std::lock_guard lock(guard.lock);
        depth = guard.suppressDepth;
    }
    if (depth <= 0) {
        QuorSettings::standard().setValue(defaultsKey, rawValue(language));
    }
    preloadAndAnnounce(language);
}

void setFollowSystem()
{
    QuorSettings::standard().setValue(defaultsKey, systemPreferenceCode);
    preloadAndAnnounce(systemResolved());
}

void applyFollowSystem(const std::function<void()>& body)
{
    setFollowSystem();
    PersistenceGuard& guard = persistenceGuard();
    {
        const std::lock_guard lock(guard.lock);
        ++guard.suppressDepth;
    }
    struct Release {
        PersistenceGuard& guard;
        ~Release()
        {
            const std::lock_guard lock(guard.lock);
            guard.suppressDepth = std::max(0, guard.suppressDepth - 1);
        }
    } release{guard};
    if (body) {
        body();
    }
}

QuorLanguage fromJson(const QJsonValue& value)
{
    const QString text = value.isString() ? value.toString().trimmed() : QString();
    if (text.isEmpty() || text.compare(systemPreferenceCode, Qt::CaseInsensitive) == 0) {
        return systemResolved();
    }
    if (const auto exact = fromRawValue(text)) {
        return *exact;
    }
    if (const auto matched = match(text)) {
        return *matched;
    }
    return systemResolved();
}

QJsonValue toJson(QuorLanguage language)
{
    return rawValue(language);
}

} // namespace QuorLanguages

QuorLanguageSelection QuorLanguageSelection::current()
{
    if (QuorLanguages::isFollowingSystem()) {
        return system();
    }
    return explicitLanguage(QuorLanguages::current());
}

QuorLanguage QuorLanguageSelection::resolvedLanguage() const
{
    return m_language ? *m_language : QuorLanguages::systemResolved();
}

size_t qHash(QuorLanguage language, size_t seed) noexcept
{
    return qHash(QLatin1String(row(language).code), seed);
}

size_t qHash(const QuorLanguageSelection& selection, size_t seed) noexcept
{
    if (const auto language = selection.explicitValue()) {
        return qHashMulti(seed, 1, QLatin1String(row(*language).code));
    }
    return qHash(0, seed);
}
