#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Localization/QuorLocalizationStore.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "QuorPlatform/Core/QuorError.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QtTest>

#include <thread>

using namespace QuorLanguages;

class TestQuorLanguage : public QObject {
    Q_OBJECT
private:
    void store(const QString& value) { QuorSettings::standard().setValue(defaultsKey, value); }

    static void writePack(const QString& code, const QByteArray& copyText)
    {
        const QString folder = QuorLocalizationStore::sharedSuiteLocalizationsDirectory();
        QDir().mkpath(folder);
        QFile file(folder + QLatin1Char('/') + code + QStringLiteral(".json"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(R"({"Copy": ")" + copyText + R"("})");
    }

private slots:
    void init()
    {
        QuorSettings::standard().remove(defaultsKey);
        qputenv("LANGUAGE", "en");
    }

    void tagsMatchTheirLanguage_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("expected");
        const QList<QPair<const char*, const char*>> rows{
            {"no", "nb"}, {"nn-NO", "nb"}, {"nb_NO", "nb"}, {"iw-IL", "he"}, {"in", "id"},
            {"zh-HK", "zh-Hant"}, {"zh_TW", "zh-Hant"}, {"zh-MO", "zh-Hant"}, {"zh-Hant-CN", "zh-Hant"},
            {"zh-hans-tw", "zh-Hant"}, {"zh", "zh-Hans"}, {"zh-CN", "zh-Hans"}, {"zh-SG", "zh-Hans"},
            {"pt", "pt-BR"}, {"pt-ao", "pt-BR"}, {"pt_PT", "pt-PT"}, {"pt-br", "pt-BR"}, {"en-us", "en"},
            {"de_DE", "de"}, {"fr-CA", "fr"}, {"", ""}, {"   ", ""}, {"klingon", ""}, {"sr", ""}, {"xx-yy", ""},
        };
        for (const auto& [tag, expected] : rows) {
            QTest::newRow(tag) << QString::fromUtf8(tag) << QString::fromUtf8(expected);
        }
    }

    void tagsMatchTheirLanguage()
    {
        QFETCH(QString, tag);
        QFETCH(QString, expected);
        const auto matched = match(tag);
        QCOMPARE(matched ? rawValue(*matched) : QString(), expected);
    }

    void namesAndCodes()
    {
        QCOMPARE(allCases().size(), 37);
        QCOMPARE(shortCode(QuorLanguage::ptBR), QStringLiteral("PT"));
        QCOMPARE(shortCode(QuorLanguage::zhHant), QStringLiteral("ZH-TW"));
        QCOMPARE(shortCode(QuorLanguage::de), QStringLiteral("DE"));
        QCOMPARE(displayName(QuorLanguage::en), QStringLiteral("English"));
        QCOMPARE(displayName(QuorLanguage::tr), QStringLiteral("Türkçe (Turkish)"));
        QCOMPARE(sortedCases().first(), QuorLanguage::ar);
        QCOMPARE(sortedCases().at(1), QuorLanguage::az);
        QVERIFY(!fromRawValue(QStringLiteral("pt-br")).has_value());
    }

    void storedPreferenceDecidesCurrent()
    {
        store(QStringLiteral("  de "));
        QCOMPARE(current(), QuorLanguage::de);
        store(QStringLiteral("SYSTEM"));
        QVERIFY(isFollowingSystem());
        store(QStringLiteral("tlh"));
        QCOMPARE(current(), QuorLanguage::en);
        QVERIFY(!isFollowingSystem());
        qputenv("LANGUAGE", "tr");
        QCOMPARE(current(), QuorLanguage::tr);
    }

    void aChoiceStoredOnAnotherThreadIsSeenAtOnce()
    {
        store(QStringLiteral("fi"));
        QCOMPARE(current(), QuorLanguage::fi);
        std::thread([this] { store(QStringLiteral("sv")); }).join();
        QCOMPARE(current(), QuorLanguage::sv);
        QuorSettings::standard().remove(defaultsKey);
        QCOMPARE(current(), QuorLanguage::en);
    }

    // Another process replaces the settings file as QSettings does: a new file renamed into place.
    void aChoiceStoredByAnotherProcessIsSeenAtOnce()
    {
        store(QStringLiteral("de"));
        QCOMPARE(current(), QuorLanguage::de);
        const QString path = QuorSettings::standard().fileName();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray contents = file.readAll();
        file.close();
        QVERIFY(contents.contains("=de"));
        contents.replace("=de", "=pt-BR");
        QSaveFile replaced(path);
        QVERIFY(replaced.open(QIODevice::WriteOnly));
        replaced.write(contents);
        QVERIFY(replaced.commit());
        QCOMPARE(current(), QuorLanguage::ptBR);
    }

    void systemLanguageComesFromTheEnvironment()
    {
        qputenv("LANGUAGE", "sr_RS:pt_PT:en");
        QCOMPARE(systemResolved(), QuorLanguage::ptPT);
        qputenv("LANGUAGE", "sr");
        QCOMPARE(systemResolved(), QuorLanguage::en);
        qputenv("LANGUAGE", "");
        qputenv("LC_ALL", "C");
        QCOMPARE(systemResolved(), QuorLanguage::en);
        qputenv("LC_ALL", "de_AT.UTF-8");
        QCOMPARE(systemResolved(), QuorLanguage::de);
        // Without LC_ALL, LC_MESSAGES decides before LANG, as for the C library; POSIX there means
        // untranslated messages, whatever LANG says.
        qunsetenv("LC_ALL");
        qputenv("LC_MESSAGES", "fi_FI.UTF-8");
        qputenv("LANG", "de_DE.UTF-8");
        QCOMPARE(systemResolved(), QuorLanguage::fi);
        qputenv("LC_MESSAGES", "POSIX");
        QCOMPARE(systemResolved(), QuorLanguage::en);
        qunsetenv("LC_MESSAGES");
        qputenv("LANG", "sv_SE.UTF-8");
        QCOMPARE(systemResolved(), QuorLanguage::sv);
        qputenv("LC_ALL", "C.UTF-8");
    }

    void followSystemSuppressesPersistenceInsideTheBody()
    {
        QObject context;
        QList<QuorLanguage> announced;
        QuorNotificationCenter::defaultCenter().addObserver(quorLanguageDidChange, &context, [&](const QuorNotification& note) {
            announced << note.object.value<QuorLanguage>();
        });
        applyFollowSystem([] { setCurrent(QuorLanguage::de); });
        QCOMPARE(storedPreferenceCode(), QStringLiteral("system"));
        QCOMPARE(announced, QList<QuorLanguage>({QuorLanguage::en, QuorLanguage::de}));
        setCurrent(QuorLanguage::de);
        QCOMPARE(storedPreferenceCode(), QStringLiteral("de"));
        setCurrent(QuorLanguage::en);
        setCurrent(QuorLanguage::en);
        QCOMPARE(announced.size(), 5);
    }

    // Choosing a language loads its packs at once: a later change on disk is not seen until the
    // catalogs are reloaded.
    void choosingALanguagePreloadsItsCatalog()
    {
        QuorLocalizationStore::shared().reloadCatalogs();
        writePack(QStringLiteral("da"), "Kopier");
        setCurrent(QuorLanguage::da);
        writePack(QStringLiteral("da"), "Changed");
        QCOMPARE(quorText(QStringLiteral("Copy"), QStringLiteral("Kopyala")), QStringLiteral("Kopier"));

        qputenv("LANGUAGE", "fi_FI");
        writePack(QStringLiteral("fi"), "Kopioi");
        setFollowSystem();
        writePack(QStringLiteral("fi"), "Changed");
        QCOMPARE(quorText(QStringLiteral("Copy"), QStringLiteral("Kopyala")), QStringLiteral("Kopioi"));
        QuorLocalizationStore::shared().reloadCatalogs();
        QCOMPARE(quorText(QStringLiteral("Copy"), QStringLiteral("Kopyala")), QStringLiteral("Changed"));
    }

    void selectionsCompareAndHashByWhatTheyMean()
    {
        const auto german = QuorLanguageSelection::explicitLanguage(QuorLanguage::de);
        QCOMPARE(german, QuorLanguageSelection::explicitLanguage(QuorLanguage::de));
        QVERIFY(german != QuorLanguageSelection::system());
        QCOMPARE(qHash(german), qHash(QuorLanguageSelection::explicitLanguage(QuorLanguage::de)));
        store(QStringLiteral("System"));
        QVERIFY(QuorLanguageSelection::current().isSystem());
        store(QStringLiteral("pt_pt"));
        QCOMPARE(QuorLanguageSelection::current(), QuorLanguageSelection::explicitLanguage(QuorLanguage::ptPT));
    }

    void decodingFallsBackToTheSystem()
    {
        QCOMPARE(fromJson(QJsonValue(5)), QuorLanguage::en);
        QCOMPARE(fromJson(QJsonValue(QStringLiteral("pt_br"))), QuorLanguage::ptBR);
        QCOMPARE(fromJson(QJsonValue(QStringLiteral(" System "))), QuorLanguage::en);
        QCOMPARE(toJson(QuorLanguage::zhHant), QJsonValue(QStringLiteral("zh-Hant")));
    }

    void textsResolveForEnglishAndTurkish()
    {
        QCOMPARE(quorText(QStringLiteral("Copy"), QStringLiteral("Kopyala"), {}, QuorLanguage::tr), QStringLiteral("Kopyala"));
        QCOMPARE(quorText(QStringLiteral("Copy"), QString(), {}, QuorLanguage::tr), QStringLiteral("Copy"));
        QCOMPARE(quorText(QStringLiteral("Copy"), QStringLiteral("Kopyala"), {}, QuorLanguage::de), QStringLiteral("Copy"));
        const QuorError error(QStringLiteral("Broken"), QStringLiteral("Bozuk"));
        QCOMPARE(localizedDescription(error, QuorLanguage::tr), QStringLiteral("Bozuk"));
        QCOMPARE(localizedDescription(std::runtime_error("plain"), QuorLanguage::tr), QStringLiteral("plain"));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorLanguage)
#include "tst_quorlanguage.moc"
