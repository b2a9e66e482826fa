#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "Support/QuorTestSupport.h"

#include <QUrlQuery>
#include <QtTest>

// Plays the browser: receives the addresses handed to it.
struct UrlRecorder {
    QList<QUrl> opened;
    UrlRecorder()
    {
        QuorBrowserHandOff::setDefaultOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }
    ~UrlRecorder() { QuorBrowserHandOff::setDefaultOpener({}); }
};

class TestQuorFeedbackService : public QObject {
    Q_OBJECT

    static QList<QPair<QString, QString>> items(const QUrl& url)
    {
        return QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    }

private slots:
    void init()
    {
        qunsetenv("TALLOWMER_FEEDBACK_BASE_URL");
        QuorSettings::standard().remove(QuorFeedbackService::baseURLDefaultsKey);
    }

    void kindsKeepTheirWireValues()
    {
        QStringList raw;
        for (const QuorFeedbackKind kind : QuorFeedbackKinds::allCases()) {
            raw << QuorFeedbackKinds::rawValue(kind);
            QCOMPARE(QuorFeedbackKinds::fromRawValue(QuorFeedbackKinds::rawValue(kind)), kind);
        }
        QCOMPARE(raw, (QStringList{"bug", "feature", "new_app", "general"}));
        QCOMPARE(QuorFeedbackKinds::fromRawValue(QStringLiteral("newApp")), std::nullopt);
        QCOMPARE(QuorFeedbackKinds::fromRawValue(QStringLiteral("Bug")), std::nullopt);
        QCOMPARE(QuorFeedbackKinds::title(QuorFeedbackKind::newApp, QuorLanguage::tr), QStringLiteral("Yeni Program Fikri"));
        QCOMPARE(QuorFeedbackKinds::title(QuorFeedbackKind::feature, QuorLanguage::en),
                 QStringLiteral("Feature & Improvement"));
        QCOMPARE(QuorFeedbackKinds::symbolName(QuorFeedbackKind::bug), QStringLiteral("ladybug.fill"));
    }

    void baseAddressTakesTheFirstNonBlankSource()
    {
        using QuorFeedbackService::resolvedBaseURL;
        QCOMPARE(resolvedBaseURL(), QStringLiteral("https://tallowmer.com"));
        QCOMPARE(resolvedBaseURL(QStringLiteral("  https://example.test/sub/ \n")), QStringLiteral("https://example.test/sub"));

        QuorSettings::standard().setValue(QuorFeedbackService::baseURLDefaultsKey, QStringLiteral("https://settings.test//"));
        QCOMPARE(resolvedBaseURL(QStringLiteral("   ")), QStringLiteral("https://settings.test"));
        qputenv("TALLOWMER_FEEDBACK_BASE_URL", " ");
        QCOMPARE(resolvedBaseURL(), QStringLiteral("https://settings.test"));
        qputenv("TALLOWMER_FEEDBACK_BASE_URL", "https://env.test/");
        QCOMPARE(resolvedBaseURL(std::nullopt), QStringLiteral("https://env.test"));
        QCOMPARE(resolvedBaseURL(QStringLiteral("https://override.test")), QStringLiteral("https://override.test"));
    }

    void slugKeepsLettersMarksAndDigits()
    {
        using QuorFeedbackService::normalizedAppSlug;
        QCOMPARE(normalizedAppSlug(QStringLiteral("QuorZub")), QStringLiteral("quorzub"));
        QCOMPARE(normalizedAppSlug(QStringLiteral("Quor Zub 2")), QStringLiteral("quorzub2"));
        QCOMPARE(normalizedAppSlug(QStringLiteral("Çeviri-İş!")), QStringLiteral("çeviri") + QStringLiteral("i̇ş"));
        QCOMPARE(normalizedAppSlug(QStringLiteral("?!.- ")), QString());
    }

    void osDescriptionNamesTheDistribution()
    {
        using QuorFeedbackService::osDescription;
        const QString debian = QStringLiteral("PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n"
                                              "VERSION_ID=\"12\"\n# a comment\nID=debian\n");
        QCOMPARE(osDescription(debian, "6.1.0", "x86_64"), QStringLiteral("Debian GNU/Linux 12 (x86_64)"));
        QCOMPARE(osDescription(QStringLiteral("NAME='Arch Linux'\nPRETTY_NAME=\"Arch Linux\"\n"), "6.9", "x86_64"),
                 QStringLiteral("Arch Linux (x86_64)"));
        QCOMPARE(osDescription(QString(), "6.1.0-18-amd64", "arm64"), QStringLiteral("Linux 6.1.0-18-amd64 (arm64)"));
        QCOMPARE(osDescription(QStringLiteral("garbage\n=\nNAME=\n"), "", ""), QStringLiteral("Linux"));
        QVERIFY(!QuorFeedbackService::currentOSDescription().isEmpty());
    }

    void formAddressForEachLanguageAndKind()
    {
        const QuorAppVersion version{QStringLiteral("1.4.2"), QStringLiteral("57")};
        const QString os = QuorFeedbackService::currentOSDescription();
        const auto english = QuorFeedbackService::webFeedbackURL("QuorZub", version, QuorFeedbackKind::bug, QuorLanguage::en);
        QVERIFY(english);
        QCOMPARE(english->scheme() + "://" + english->host() + english->path(), QStringLiteral("https://tallowmer.com/en/feedback"));
        QCOMPARE(items(*english), (QList<QPair<QString, QString>>{{"type", "bug"}, {"source", "desktop_app"}, {"os", os},
                                                                  {"app", "quorzub"}, {"version", "1.4.2"}}));
        // Spaces of the system's name travel as %20.
        QVERIFY(english->toString(QUrl::FullyEncoded).contains(QStringLiteral("os=") + QString(os).replace(" ", "%20")));

        const auto turkish = QuorFeedbackService::webFeedbackURL("QuorZub", version, QuorFeedbackKind::newApp, QuorLanguage::tr);
        QCOMPARE(turkish->path(), QStringLiteral("/tr/geri-bildirim"));
        QCOMPARE(items(*turkish).first().second, QStringLiteral("new_app"));
        for (const QuorLanguage language : {QuorLanguage::ptBR, QuorLanguage::zhHans, QuorLanguage::de}) {
            const auto url = QuorFeedbackService::webFeedbackURL("QuorZub", version, QuorFeedbackKind::general, language);
            QCOMPARE(url->path(), QLatin1Char('/') + QuorLanguages::rawValue(language) + QStringLiteral("/feedback"));
        }

        // A base with a path keeps it; no app slug and no version leave their items out.
        const auto sub = QuorFeedbackService::webFeedbackURL("?!", QuorAppVersion{QString(), "9"}, QuorFeedbackKind::feature,
                                                             QuorLanguage::de, QStringLiteral(" https://example.test/sub/ "));
        QCOMPARE(sub->toString(QUrl::RemoveQuery), QStringLiteral("https://example.test/sub/de/feedback"));
        QCOMPARE(items(*sub), (QList<QPair<QString, QString>>{{"type", "feature"}, {"source", "desktop_app"}, {"os", os}}));

        QCOMPARE(QuorFeedbackService::webFeedbackURL("QuorZub", version, QuorFeedbackKind::bug, QuorLanguage::en,
                                                     QStringLiteral("not a url")),
                 std::nullopt);
    }

    void onlyWebAddressesOpen()
    {
        UrlRecorder recorder;
        const QuorAppVersion version{QStringLiteral("1.0.0"), QStringLiteral("100")};
        QuorFeedbackService::openInBrowser("QuorZub", version, QuorFeedbackKind::feature, QuorLanguage::tr);
        QCOMPARE(recorder.opened.size(), 1);
        QCOMPARE(recorder.opened.first().path(), QStringLiteral("/tr/geri-bildirim"));
        qputenv("TALLOWMER_FEEDBACK_BASE_URL", "file:///etc");
        QuorFeedbackService::openInBrowser("QuorZub", version, QuorFeedbackKind::feature, QuorLanguage::en);
        QCOMPARE(recorder.opened.size(), 1);
    }

    void currentAppNameTakesTheFirstNonBlankSource()
    {
        using QuorFeedbackService::resolvedCurrentAppName;
        const QuorBundle display(QVariantMap{{"CFBundleDisplayName", "  Quor Zub \n"}, {"CFBundleName", "QuorZub"}},
                                 std::nullopt);
        QCOMPARE(resolvedCurrentAppName(display, "fallback"), QStringLiteral("Quor Zub"));

        const QuorBundle blankDisplay(QVariantMap{{"CFBundleDisplayName", " \t"}, {"CFBundleName", " QuorZub"}},
                                      std::nullopt);
        QCOMPARE(resolvedCurrentAppName(blankDisplay, "fallback"), QStringLiteral("QuorZub"));

        // Not a text: skipped; then the process's own name.
        const QuorBundle numbers(QVariantMap{{"CFBundleDisplayName", 7}}, std::nullopt);
        QCOMPARE(resolvedCurrentAppName(numbers, "fallback"), QStringLiteral("tst_quorfeedbackservice"));

        QCoreApplication::setApplicationName(QStringLiteral("  "));
        const QString fromProc = resolvedCurrentAppName(QuorBundle(), " fallback ");
        QVERIFY(fromProc.startsWith(QStringLiteral("tst_quorfeedbac"))); // the kernel keeps 15 characters
    }
};

QUOR_TEST_GUI_MAIN(TestQuorFeedbackService)
#include "tst_quorfeedbackservice.moc"
