#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Localization/QuorLocalizationPack.h"
#include "QuorKit/Localization/QuorLocalizationStore.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorPlatform/Compression/QuorLzfseDecoder.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

const QString copy = QStringLiteral("Copy");
const QString paste = QStringLiteral("Paste");

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

QByteArray sample(const QString& name)
{
    QFile file(quorTestDataPath(QStringLiteral("lzfse/") + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray pack(const QByteArray& strings, const QByteArray& templates = "{}")
{
    return R"j({"code": "x", "isRTL": false, "strings": )j" + strings + R"j(, "templates": )j" + templates + "}";
}

QString text(QuorLocalizationStore& store, const QString& en, QuorLanguage language,
             const std::optional<QString>& key = std::nullopt)
{
    return store.resolve(key, en, QStringLiteral("TR:") + en, language);
}

} // namespace

class TestQuorLocalizationStore : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_high;
    QTemporaryDir m_low;

    QString high(const QString& name) const { return m_high.filePath(name); }
    QString low(const QString& name) const { return m_low.filePath(name); }

private slots:
    void init()
    {
        for (const QString& folder : {m_high.path(), m_low.path(), QuorLocalizationStore::sharedSuiteLocalizationsDirectory()}) {
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
        }
        QuorLocalizationStore::shared().clearCustomPack();
        QuorLocalizationStore::shared().reloadCatalogs();
    }

    void packsDecodeWithDefaultsAndRoundTrip()
    {
        const QuorLocalizationPack decoded = QuorLocalizationPack::fromJson(
            QuorJson::parseObject(R"j({"code": "de", "nativeName": null, "strings": {"Copy": "Kopieren"}, "extra": 1})j"));
        QCOMPARE(decoded.code, QStringLiteral("de"));
        QVERIFY(decoded.nativeName.isEmpty() && !decoded.isRTL && decoded.templates.empty());
        QCOMPARE(decoded.strings.at(copy), QStringLiteral("Kopieren"));
        const QJsonObject encoded = decoded.toJson();
        QCOMPARE(encoded.keys(), (QStringList{"code", "englishName", "isRTL", "nativeName", "strings", "templates"}));
        QCOMPARE(QuorLocalizationPack::fromJson(encoded), decoded);
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorLocalizationPack::fromJson(QuorJson::parseObject(R"j({"templates": []})j")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorLocalizationPack::fromJson(QuorJson::parseObject(R"j({"strings": {"a": null}})j")));
    }

    void foldersMergeKeyByKey()
    {
        writeFile(QuorLocalizationStore::customLanguagePacksDirectory() + QStringLiteral("/de.json"),
                  pack(R"j({"Copy": "Kopieren!", "Cut": ""})j"));
        writeFile(QuorLocalizationStore::sharedSuiteLocalizationsDirectory() + QStringLiteral("/de.json"),
                  pack(R"j({"Copy": "Kopieren", "Paste": "Einfügen", "Cut": "Ausschneiden", "Undo": "Rückgängig"})j"));
        writeFile(high(QStringLiteral("de.json")), pack(R"j({"Undo": "Widerrufen"})j"));
        QuorLocalizationStore store({m_high.path()});
        QCOMPARE(text(store, copy, QuorLanguage::de), QStringLiteral("Kopieren!"));
        QCOMPARE(text(store, paste, QuorLanguage::de), QStringLiteral("Einfügen"));
        // An empty text in a higher folder does not hide the lower folder's text.
        QCOMPARE(text(store, QStringLiteral("Cut"), QuorLanguage::de), QStringLiteral("Ausschneiden"));
        QCOMPARE(text(store, QStringLiteral("Undo"), QuorLanguage::de), QStringLiteral("Widerrufen"));
        QCOMPARE(text(store, QStringLiteral("Redo"), QuorLanguage::de), QStringLiteral("Redo"));
    }

    void candidateFoldersAreInPriorityOrder()
    {
        QuorLocalizationStore store({m_high.path(), m_low.path()});
        QStringList expected{m_high.path(), m_low.path(), QuorLocalizationStore::customLanguagePacksDirectory()};
        if (const auto resources = QuorBundle::main().resourceDirectory()) {
            expected << *resources + QStringLiteral("/Localizations");
        }
        expected << QuorLocalizationStore::sharedSuiteLocalizationsDirectory();
        QCOMPARE(store.candidateDirectories().mid(0, expected.size()), expected);
        QVERIFY(QuorLocalizationStore::sharedSuiteLocalizationsDirectory().endsWith(QStringLiteral("/Tallowmer/Localizations")));
    }

    void compressedPackHidesThePlainOneUnlessCorrupt()
    {
        writeFile(high(QStringLiteral("de.json.lzfse")), sample(QStringLiteral("de-flat.json.lzfse")));
        writeFile(high(QStringLiteral("de.json")), pack(R"j({"Copy": "Plain", "Only plain": "Nur"})j"));
        writeFile(low(QStringLiteral("de.json")), pack(R"j({"Lower": "Tiefer"})j"));
        {
            QuorLocalizationStore store({m_high.path(), m_low.path()});
            QCOMPARE(text(store, copy, QuorLanguage::de), QStringLiteral("Kopieren"));
            QCOMPARE(text(store, QStringLiteral("Only plain"), QuorLanguage::de), QStringLiteral("Only plain"));
            QCOMPARE(text(store, QStringLiteral("Lower"), QuorLanguage::de), QStringLiteral("Tiefer"));
        }
        for (const char* corrupt : {"corrupt-truncated.json.lzfse", "corrupt-flipped.json.lzfse"}) {
            writeFile(high(QStringLiteral("de.json.lzfse")), sample(QString::fromLatin1(corrupt)));
            QuorLocalizationStore store({m_high.path(), m_low.path()});
            QCOMPARE(text(store, copy, QuorLanguage::de), QStringLiteral("Plain"));
            QCOMPARE(text(store, QStringLiteral("Only plain"), QuorLanguage::de), QStringLiteral("Nur"));
        }
        // A compressed pack object, right-to-left texts included.
        writeFile(high(QStringLiteral("ar.json.lzfse")), sample(QStringLiteral("ar-pack.json.lzfse")));
        QuorLocalizationStore store({m_high.path()});
        QCOMPARE(text(store, QStringLiteral("History"), QuorLanguage::ar), QStringLiteral("السجل"));
    }

    void flatFilesCountAndWrongTypesContributeNothing()
    {
        writeFile(high(QStringLiteral("de.json")), R"j({"Copy": "Kopieren"})j");
        writeFile(high(QStringLiteral("fr.json")), pack(R"j({"Copy": "Copier"})j").replace("false", "\"yes\""));
        writeFile(low(QStringLiteral("fr.json")), pack(R"j({"Copy": "Copier (bas)", "Paste": "Coller"})j"));
        writeFile(high(QStringLiteral("it.json")), "not json at all");
        writeFile(high(QStringLiteral("es.json")), R"j({"Copy": "Copiar", "Count": 3})j");
        writeFile(high(QStringLiteral("nl.json")), pack(R"j({"Copy": 1})j"));
        QuorLocalizationStore store({m_high.path(), m_low.path()});
        QCOMPARE(text(store, copy, QuorLanguage::de), QStringLiteral("Kopieren"));
        QCOMPARE(text(store, copy, QuorLanguage::fr), QStringLiteral("Copier (bas)"));
        QCOMPARE(text(store, paste, QuorLanguage::fr), QStringLiteral("Coller"));
        QCOMPARE(text(store, copy, QuorLanguage::it), copy);
        QCOMPARE(text(store, copy, QuorLanguage::es), copy);
        QCOMPARE(text(store, copy, QuorLanguage::nl), copy);
    }

    void templatesComeFromPacks()
    {
        writeFile(low(QStringLiteral("de.json")), pack("{}", R"j({"Deleted {0} items": "{0} Elemente gelöscht"})j"));
        writeFile(high(QStringLiteral("de.json")), pack(R"j({"Deleted 1 items": "Ein Element gelöscht"})j"));
        QuorLocalizationStore store({m_high.path(), m_low.path()});
        QCOMPARE(text(store, QStringLiteral("Deleted 7 items"), QuorLanguage::de), QStringLiteral("7 Elemente gelöscht"));
        QCOMPARE(text(store, QStringLiteral("Deleted 1 items"), QuorLanguage::de), QStringLiteral("Ein Element gelöscht"));
    }

    void cachedCatalogsChangeOnlyOnReloadOrRegistration()
    {
        QuorLocalizationStore store({m_low.path()});
        QCOMPARE(text(store, copy, QuorLanguage::de), copy);
        writeFile(low(QStringLiteral("de.json")), pack(R"j({"Copy": "Kopieren"})j"));
        QCOMPARE(text(store, copy, QuorLanguage::de), copy); // the empty catalog stays cached
        store.reloadCatalogs();
        QCOMPARE(text(store, copy, QuorLanguage::de), QStringLiteral("Kopieren"));

        // A new folder goes first and drops the cache.
        writeFile(high(QStringLiteral("de.json")), pack(R"j({"Copy": "Kopieren!"})j"));
        store.registerSearchDirectory(m_high.path());
        QCOMPARE(store.extraSearchDirectories(), (QStringList{m_high.path(), m_low.path()}));
        QCOMPARE(text(store, copy, QuorLanguage::de), QStringLiteral("Kopieren!"));

        // Registering a folder again keeps the order and still drops the cache.
        writeFile(low(QStringLiteral("de.json")), pack(R"j({"Copy": "Kopieren", "Paste": "Einfügen"})j"));
        QCOMPARE(text(store, paste, QuorLanguage::de), paste);
        store.registerSearchDirectory(m_low.path() + QLatin1Char('/'));
        QCOMPARE(store.extraSearchDirectories(), (QStringList{m_high.path(), m_low.path()}));
        QCOMPARE(text(store, paste, QuorLanguage::de), QStringLiteral("Einfügen"));
        QCOMPARE(text(store, copy, QuorLanguage::de), QStringLiteral("Kopieren!"));
    }

    void fallbackParentsAreOneLevelDeep()
    {
        writeFile(high(QStringLiteral("pt-BR.json")), pack(R"j({"Copy": "Copiar (BR)"})j"));
        writeFile(high(QStringLiteral("pt-PT.json")), pack(R"j({"Paste": "Colar (PT)"})j"));
        writeFile(high(QStringLiteral("zh-Hans.json")), pack(R"j({"Copy": "复制"})j"));
        QuorLocalizationStore store({m_high.path()});
        QCOMPARE(text(store, copy, QuorLanguage::ptPT), QStringLiteral("Copiar (BR)"));
        QCOMPARE(text(store, paste, QuorLanguage::ptPT), QStringLiteral("Colar (PT)"));
        QCOMPARE(text(store, paste, QuorLanguage::ptBR), paste);
        QCOMPARE(text(store, copy, QuorLanguage::zhHant), QStringLiteral("复制"));
        QCOMPARE(text(store, copy, QuorLanguage::zhHans), QStringLiteral("复制"));
        QCOMPARE(text(store, copy, QuorLanguage::ja), copy);
        QCOMPARE(store.resolve(std::nullopt, copy, QString(), QuorLanguage::tr), copy);
        QCOMPARE(store.resolve(std::nullopt, copy, QStringLiteral("Kopyala"), QuorLanguage::tr), QStringLiteral("Kopyala"));
    }

    void keysComeBeforeEnglishTexts()
    {
        writeFile(high(QStringLiteral("de.json")), pack(R"j({"menu.copy": "Kopieren (Menü)", "Copy": "Kopieren"})j"));
        QuorLocalizationStore store({m_high.path()});
        QCOMPARE(text(store, copy, QuorLanguage::de, QStringLiteral("menu.copy")), QStringLiteral("Kopieren (Menü)"));
        QCOMPARE(text(store, copy, QuorLanguage::de, QStringLiteral("menu.missing")), QStringLiteral("Kopieren"));
    }

    void overridePackWinsInEveryLanguage()
    {
        writeFile(high(QStringLiteral("de.json")), pack(R"j({"Copy": "Kopieren", "Paste": "Einfügen"})j"));
        QuorLocalizationStore store({m_high.path()});
        writeFile(low(QStringLiteral("flat.json")), R"j({"Copy": "Kopyala!", "code": "Kod", "key.paste": "Yapıştır!"})j");
        store.loadJSONPack(low(QStringLiteral("flat.json")));
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr, QuorLanguage::de}) {
            QCOMPARE(text(store, copy, language), QStringLiteral("Kopyala!"));
        }
        QCOMPARE(text(store, QStringLiteral("code"), QuorLanguage::en), QStringLiteral("Kod"));
        QCOMPARE(text(store, paste, QuorLanguage::en, QStringLiteral("key.paste")), QStringLiteral("Yapıştır!"));
        QCOMPARE(text(store, copy, QuorLanguage::en, QStringLiteral("key.unknown")), QStringLiteral("Kopyala!"));

        // A pack object gives its strings only, and replaces the earlier overrides as a whole.
        writeFile(low(QStringLiteral("pack.json")), pack(R"j({"Paste": "Yapıştır"})j", R"j({"Saved {0}": "{0} kaydedildi"})j"));
        store.loadJSONPack(low(QStringLiteral("pack.json")));
        QCOMPARE(text(store, copy, QuorLanguage::de), QStringLiteral("Kopieren"));
        QCOMPARE(text(store, paste, QuorLanguage::de), QStringLiteral("Yapıştır"));
        QCOMPARE(text(store, QStringLiteral("Saved 3"), QuorLanguage::en), QStringLiteral("Saved 3"));

        // Failures throw and keep what is in force.
        writeFile(low(QStringLiteral("bad.json")), pack(R"j({"Copy": 1})j"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, store.loadJSONPack(low(QStringLiteral("bad.json"))));
        QVERIFY_THROWS_EXCEPTION(QuorLanguagePackReadError, store.loadJSONPack(low(QStringLiteral("missing.json"))));
        writeFile(low(QStringLiteral("bad.json.LZFSE")), sample(QStringLiteral("corrupt-truncated.json.lzfse")));
        QVERIFY_THROWS_EXCEPTION(quor::platform::LzfseError, store.loadJSONPack(low(QStringLiteral("bad.json.LZFSE"))));
        QCOMPARE(text(store, paste, QuorLanguage::en), QStringLiteral("Yapıştır"));

        writeFile(low(QStringLiteral("good.json.lzfse")), sample(QStringLiteral("de-flat.json.lzfse")));
        store.loadJSONPack(low(QStringLiteral("good.json.lzfse")));
        QCOMPARE(text(store, paste, QuorLanguage::tr), QStringLiteral("Einfügen"));
        store.clearCustomPack();
        QCOMPARE(text(store, paste, QuorLanguage::tr), QStringLiteral("TR:Paste"));
    }

    // A pack dropped into the user's Custom folder changes the texts of quorText() once the
    // catalogs are reloaded.
    void customFolderFeedsQuorText()
    {
        QCOMPARE(quorText(copy, QStringLiteral("Kopyala"), {}, QuorLanguage::sv), copy);
        writeFile(QuorLocalizationStore::customLanguagePacksDirectory() + QStringLiteral("/sv.json.lzfse"),
                  sample(QStringLiteral("de-flat.json.lzfse")));
        QCOMPARE(quorText(copy, QStringLiteral("Kopyala"), {}, QuorLanguage::sv), copy);
        QuorLocalizationStore::shared().reloadCatalogs();
        QCOMPARE(quorText(copy, QStringLiteral("Kopyala"), {}, QuorLanguage::sv), QStringLiteral("Kopieren"));
    }

    // A load that began before reloadCatalogs() has read the old pack; it must not put that back in
    // the cache after the reload.
    void reloadIsNeverUndoneByALoadInFlight()
    {
        QByteArray filler;
        for (int i = 0; i < 3000; ++i) {
            filler += "\"k" + QByteArray::number(i) + "\": \"Wert " + QByteArray::number(i) + "\", ";
        }
        const auto writeRound = [&](int round) {
            writeFile(high(QStringLiteral("de.json")), "{" + filler + "\"Copy\": \"v" + QByteArray::number(round) + "\"}");
        };
        writeRound(0);
        QuorLocalizationStore store({m_high.path()});
        std::atomic<bool> stop = false;
        std::vector<std::thread> readers;
        for (int i = 0; i < 3; ++i) {
            readers.emplace_back([&store, &stop] {
                while (!stop) {
                    text(store, copy, QuorLanguage::de);
                }
            });
        }
        QStringList stale;
        for (int round = 1; round <= 60; ++round) {
            writeRound(round);
            store.reloadCatalogs();
            const QString expected = QStringLiteral("v%1").arg(round);
            if (const QString seen = text(store, copy, QuorLanguage::de); seen != expected) {
                stale << seen + QStringLiteral(" for ") + expected;
            }
        }
        stop = true;
        for (std::thread& reader : readers) {
            reader.join();
        }
        QCOMPARE(stale, QStringList());
    }

    void lookupsSurviveConcurrentReloads()
    {
        writeFile(high(QStringLiteral("de.json.lzfse")), sample(QStringLiteral("de-pack.json.lzfse")));
        writeFile(high(QStringLiteral("pt-BR.json")), pack(R"j({"Copy": "Copiar"})j"));
        QuorLocalizationStore store({m_high.path()});
        std::atomic<bool> stop = false;
        std::atomic<int> wrong = 0;
        std::vector<std::thread> readers;
        for (int i = 0; i < 4; ++i) {
            readers.emplace_back([&store, &stop, &wrong] {
                while (!stop) {
                    if (text(store, copy, QuorLanguage::ptPT) != QStringLiteral("Copiar")) {
                        ++wrong;
                    }
                }
            });
        }
        for (int i = 0; i < 200; ++i) {
            store.reloadCatalogs();
            store.registerSearchDirectory(m_high.path());
            store.preloadIfNeeded(QuorLanguage::de);
        }
        stop = true;
        for (std::thread& reader : readers) {
            reader.join();
        }
        QCOMPARE(wrong.load(), 0);
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorLocalizationStore)
#include "tst_quorlocalizationstore.moc"
