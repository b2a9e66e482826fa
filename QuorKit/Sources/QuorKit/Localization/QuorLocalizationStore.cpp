#include "QuorKit/Localization/QuorLocalizationStore.h"

#include "QuorBuildInfo.h"
#include "QuorKit/Localization/QuorLocalizationPack.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorKit/Utilities/QuorRegularFile.h"
#include "QuorPlatform/Compression/QuorLzfseDecoder.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

std::size_t slot(QuorLanguage language)
{
    return static_cast<std::size_t>(language);
}

bool isCompressed(const QString& path)
{
    return QFileInfo(path).suffix().toLower() == QLatin1String("lzfse");
}

// A pack is a regular file of modest size; anything else in its place (a FIFO, a device, a
// folder, a huge file) is passed over rather than waited on or read without end.
std::optional<QByteArray> readFile(const QString& path)
{
    constexpr qint64 maxPackBytes = 32 * 1024 * 1024;
    QuorRegularFile::ReadResult read = QuorRegularFile::read(path, maxPackBytes);
    if (!read.ok()) {
        return std::nullopt;
    }
    return std::move(read.bytes);
}

// Lays `from` over `into`; an empty text never hides one from below.
void mergeNonEmpty(QuorTextMap&& from, QuorTextMap& into)
{
    if (into.empty()) {
        into = std::move(from);
        std::erase_if(into, [](const auto& entry) { return entry.second.isEmpty(); });
        return;
    }
    for (auto& [key, text] : from) {
        if (!text.isEmpty()) {
            into.insert_or_assign(key, std::move(text));
        }
    }
}

// Merges one pack file over what lower-priority folders gave. False when the file is missing,
// unreadable, badly compressed or in neither pack shape, so the next name is tried.
bool mergePackFile(const QString& path, QuorTextMap& strings, QuorTextMap& templates)
{
    if (!QFileInfo::exists(path)) {
        return false;
    }
    std::optional<QByteArray> bytes = readFile(path);
    if (!bytes) {
        return false;
    }
    if (isCompressed(path)) {
        try {
            bytes = quor::platform::LzfseDecoder::decode(*bytes);
        } catch (const quor::platform::LzfseError&) {
            return false;
        }
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return false;
    }
    const QJsonObject object = document.object();
    try {
        QuorLocalizationPack pack = QuorLocalizationPack::fromJson(object);
        if (!pack.strings.empty() || !pack.templates.empty()) {
            mergeNonEmpty(std::move(pack.strings), strings);
            mergeNonEmpty(std::move(pack.templates), templates);
            return true;
        }
    } catch (const QuorDecodingError&) {
        // Not a pack; it may still be a flat file.
    }
    if (auto flat = QuorLocalizationPack::flatStrings(object)) {
        mergeNonEmpty(std::move(*flat), strings);
        return true;
    }
    return false;
}

} // namespace

QuorLanguagePackReadError::QuorLanguagePackReadError(const QString& path)
    : QuorError(QStringLiteral("The language pack “%1” could not be read.").arg(path),
                QStringLiteral("“%1” dil paketi okunamadı.").arg(path))
{
}

QuorLocalizationStore& QuorLocalizationStore::shared()
{
    static QuorLocalizationStore store;
    return store;
}

QuorLocalizationStore::QuorLocalizationStore(const QStringList& searchDirectories)
{
    for (const QString& directory : searchDirectories) {
        m_extraSearchDirectories.append(QDir::cleanPath(directory));
    }
}

QString QuorLocalizationStore::sharedSuiteLocalizationsDirectory()
{
    return QuorPaths::tallowmerDirectory() + QStringLiteral("/Localizations");
}

QString QuorLocalizationStore::customLanguagePacksDirectory()
{
    return sharedSuiteLocalizationsDirectory() + QStringLiteral("/Custom");
}

QStringList QuorLocalizationStore::extraSearchDirectories() const
{
    const std::lock_guard lock(m_lock);
    return m_extraSearchDirectories;
}

QStringList QuorLocalizationStore::candidateDirectories() const
{
    QStringList directories = extraSearchDirectories();
    directories.append(customLanguagePacksDirectory());
    if (const auto resources = QuorBundle::main().resourceDirectory()) {
        directories.append(*resources + QStringLiteral("/Localizations"));
    }
    directories.append(sharedSuiteLocalizationsDirectory());
#ifdef QUOR_DEVELOPMENT_BUILD
    // Packs being worked on in the source tree; a release build never looks there.
    directories.append(QStringLiteral(QUOR_SOURCE_DIR "/QuorKit/Resources/Localizations"));
#endif
    return directories;
}

void QuorLocalizationStore::preloadIfNeeded(QuorLanguage language)
{
    if (language == QuorLanguage::en || language == QuorLanguage::tr) {
        return;
    }
    catalog(language);
}

std::shared_ptr<const LoadedLanguageCatalog> QuorLocalizationStore::catalog(QuorLanguage language)
{
    std::uint64_t generation = 0;
    {
        const std::lock_guard lock(m_lock);
        if (auto cached = m_loadedCatalogs[slot(language)]) {
            return cached;
        }
        generation = m_cacheGeneration;
    }
    // Two threads that miss at once may both load; either result is right to keep. A load that a
    // reload or a new folder overtook has read what is now out of date: it is used once, not kept.
    auto loaded = loadCatalogFromDisk(language);
    const std::lock_guard lock(m_lock);
    if (generation == m_cacheGeneration) {
        m_loadedCatalogs[slot(language)] = loaded;
    }
    return loaded;
}

std::shared_ptr<const LoadedLanguageCatalog> QuorLocalizationStore::loadCatalogFromDisk(QuorLanguage language) const
{
    const QString code = QuorLanguages::rawValue(language);
    const QStringList directories = candidateDirectories();
    QuorTextMap strings;
    QuorTextMap templates;
    // Lowest priority first, so a folder earlier in the list overwrites key by key.
    for (auto directory = directories.crbegin(); directory != directories.crend(); ++directory) {
        const QString base = *directory + QLatin1Char('/') + code;
        // In one folder a good compressed pack hides the plain one.
        if (!mergePackFile(base + QStringLiteral(".json.lzfse"), strings, templates)) {
            mergePackFile(base + QStringLiteral(".json"), strings, templates);
        }
    }
    if (strings.empty() && templates.empty()) {
        return LoadedLanguageCatalog::empty();
    }
    return std::make_shared<const LoadedLanguageCatalog>(std::move(strings), templates);
}

std::optional<QString> QuorLocalizationStore::overrideText(const std::optional<QString>& key, const QString& en) const
{
    const std::lock_guard lock(m_lock);
    if (m_customOverrides.empty()) {
        return std::nullopt;
    }
    if (key) {
        if (const auto found = m_customOverrides.find(*key); found != m_customOverrides.end() && !found->second.isEmpty()) {
            return found->second;
        }
    }
    if (const auto found = m_customOverrides.find(en); found != m_customOverrides.end() && !found->second.isEmpty()) {
        return found->second;
    }
    return std::nullopt;
}

QString QuorLocalizationStore::resolve(const std::optional<QString>& key, const QString& en, const QString& tr,
                                       QuorLanguage language)
{
    if (auto overridden = overrideText(key, en)) {
        return *overridden;
    }
    if (language == QuorLanguage::en) {
        return en;
    }
    if (language == QuorLanguage::tr) {
        return tr.isEmpty() ? en : tr;
    }
    if (auto found = catalog(language)->lookup(key, en)) {
        return *found;
    }
    if (const auto parent = QuorLanguages::fallbackParent(language)) {
        if (auto found = catalog(*parent)->lookup(key, en)) {
            return *found;
        }
    }
    return en;
}

QString QuorLocalizationStore::string(const std::optional<QString>& key, const QString& en, const QString& tr,
                                      QuorLanguage language)
{
    return resolve(key, en, tr, language);
}

void QuorLocalizationStore::registerSearchDirectory(const QString& directory)
{
    const QString cleaned = QDir::cleanPath(directory);
    const std::lock_guard lock(m_lock);
    if (!m_extraSearchDirectories.contains(cleaned)) {
        m_extraSearchDirectories.prepend(cleaned);
    }
    m_loadedCatalogs.fill(nullptr);
    ++m_cacheGeneration;
}

void QuorLocalizationStore::loadJSONPack(const QString& path)
{
    std::optional<QByteArray> bytes = readFile(path);
    if (!bytes) {
        throw QuorLanguagePackReadError(path);
    }
    if (isCompressed(path)) {
        bytes = quor::platform::LzfseDecoder::decode(*bytes);
    }
    const QJsonObject object = QuorJson::parseObject(*bytes);
    QuorTextMap overrides;
    if (auto flat = QuorLocalizationPack::flatStrings(object)) {
        overrides = std::move(*flat);
    } else {
        overrides = QuorLocalizationPack::fromJson(object).strings;
    }
    const std::lock_guard lock(m_lock);
    m_customOverrides = std::move(overrides);
}

void QuorLocalizationStore::clearCustomPack()
{
    const std::lock_guard lock(m_lock);
    m_customOverrides.clear();
}

void QuorLocalizationStore::reloadCatalogs()
{
    const std::lock_guard lock(m_lock);
    m_loadedCatalogs.fill(nullptr);
    ++m_cacheGeneration;
}
