#include "QuorPlatform/Dictionary/QuorDictionaryService.h"
#include "QuorPlatform/LanguageRecognition/QuorLanguageRecognizer.h"
#include "QuorZubCore/Engine/ZubLinkDetector.h"
#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"
#include "Support/QuorTestSupport.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QtTest>

#include <cmath>
#include <limits>

using quor::platform::LanguageGuess;

namespace {
// Answers what the test tells it to, whatever the text.
class FixedRecognizer : public quor::platform::LanguageRecognizer {
public:
    explicit FixedRecognizer(QString code) : m_code(std::move(code)) {}
    LanguageGuess dominantLanguage(const QString&) override { return LanguageGuess{m_code, false}; }

private:
    QString m_code;
};

class FixedDictionary : public quor::platform::DictionaryService {
public:
    explicit FixedDictionary(std::optional<QString> answer) : m_answer(std::move(answer)) {}
    std::optional<QString> definition(const QString& term) override
    {
        lastTerm = term;
        return m_answer;
    }
    QString lastTerm;

private:
    std::optional<QString> m_answer;
};

void useRecognizer(const QString& code)
{
    ZubOfflineTextEngine::Services services;
    services.languageRecognizer = std::make_shared<FixedRecognizer>(code);
    ZubOfflineTextEngine::setServices(services);
}

QString words(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i) {
        list.append(QStringLiteral("word"));
    }
    return list.join(u' ');
}

QByteArray decodeWithZbar(const QByteArray& png)
{
    const QString path = quorTestSandboxPath() + QStringLiteral("/engine-qr.png");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size()) {
        return {};
    }
    file.close();
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), QStringLiteral("-Sbinary"), path});
    return zbar.waitForFinished(20000) && zbar.exitCode() == 0 ? zbar.readAllStandardOutput() : QByteArray();
}
} // namespace

class TestZubOfflineTextEngine : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ZubOfflineTextEngine::setServices({}); }

    void detectsWithTheRealRecognizer()
    {
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("The weather is lovely today, isn't it?")),
                 QStringLiteral("en"));
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("  Bugün hava çok güzel, değil mi?  ")),
                 QStringLiteral("tr"));
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("你好世界，今天天气很好")), QStringLiteral("zh"));
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("   ")), std::nullopt);
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("12345")), std::nullopt);
    }

    void strongTurkishLettersDecideShortTexts()
    {
        useRecognizer(QStringLiteral("az"));
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("şu")), QStringLiteral("tr"));
        // 25 characters: too long for a single letter to overrule the recognizer.
        const QString longer = QStringLiteral("şabcdefghijklmnopqrstuvwx");
        QCOMPARE(longer.size(), 25);
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(longer), QStringLiteral("az"));
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(longer.chopped(1)), QStringLiteral("tr"));

        useRecognizer(QStringLiteral("un"));
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("çok güzel ölçü")), std::nullopt);
        // Written with a combining cedilla, it is still the Turkish letter.
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("s\u0327u")), QStringLiteral("tr"));
        // A dotless i with an accent on it is another character.
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("ı\u0301")), std::nullopt);

        useRecognizer(QStringLiteral("zh-Hant"));
        QCOMPARE(ZubOfflineTextEngine::detectLanguage(QStringLiteral("x")), QStringLiteral("zh"));
    }

    void resolvesTargets()
    {
        using Target = ZubOfflineTextEngine::ResolvedTarget;
        useRecognizer(QStringLiteral("tr"));
        QCOMPARE(ZubOfflineTextEngine::resolveTargetLanguage(QStringLiteral("x"), ZubTargetLanguage::autoFlipTREN),
                 (Target{QStringLiteral("tr"), QStringLiteral("en"), QStringLiteral("English")}));
        QCOMPARE(ZubOfflineTextEngine::resolveTargetLanguage(QStringLiteral("x"), ZubTargetLanguage::german),
                 (Target{QStringLiteral("tr"), QStringLiteral("de"), QStringLiteral("German")}));
        useRecognizer(QStringLiteral("un"));
        QCOMPARE(ZubOfflineTextEngine::resolveTargetLanguage(QStringLiteral("x"), ZubTargetLanguage::autoFlipTREN),
                 (Target{std::nullopt, QStringLiteral("tr"), QStringLiteral("Turkish")}));
        useRecognizer(QStringLiteral("en"));
        QCOMPARE(ZubOfflineTextEngine::resolveTargetLanguage(QStringLiteral("x"), ZubTargetLanguage::autoFlipTREN).targetCode,
                 QStringLiteral("tr"));
    }

    void cleansSingleAddresses_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("cleaned");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("one tracker") << QStringLiteral("https://example.com/a?utm_source=x&id=3")
                                     << QStringLiteral("https://example.com/a?id=3") << QStringList{QStringLiteral("utm_source")};
        QTest::newRow("names as written") << QStringLiteral("  HTTPS://example.com/?UTM_Medium=m&fbclid=z&page=2  ")
                                          << QStringLiteral("HTTPS://example.com/?page=2")
                                          << QStringList{QStringLiteral("UTM_Medium"), QStringLiteral("fbclid")};
        QTest::newRow("question mark goes") << QStringLiteral("https://example.com/watch?si=abc#t=5")
                                            << QStringLiteral("https://example.com/watch#t=5")
                                            << QStringList{QStringLiteral("si")};
        QTest::newRow("encoded name") << QStringLiteral("http://example.com/?utm%5Fsource=1")
                                      << QStringLiteral("http://example.com/") << QStringList{QStringLiteral("utm_source")};
        // Kept items keep their exact text: no "%2B" turned into "+", no "%26" splitting an item.
        QTest::newRow("kept items untouched")
            << QStringLiteral("https://example.com/s?q=a%2Bb&gclid=1&t=%26x%3D1&u=a+b&&flag&e=%E2%82%AC#frag?x")
            << QStringLiteral("https://example.com/s?q=a%2Bb&t=%26x%3D1&u=a+b&&flag&e=%E2%82%AC#frag?x")
            << QStringList{QStringLiteral("gclid")};
        QTest::newRow("nothing to remove") << QStringLiteral("https://example.com/?id=3")
                                           << QStringLiteral("https://example.com/?id=3") << QStringList();
        QTest::newRow("ftp left alone") << QStringLiteral("ftp://example.com/?gclid=1")
                                        << QStringLiteral("ftp://example.com/?gclid=1") << QStringList();
        QTest::newRow("no question mark") << QStringLiteral("  plain text\n") << QStringLiteral("  plain text\n")
                                          << QStringList();
        QTest::newRow("tracker in fragment only") << QStringLiteral("https://example.com/#?utm_source=x")
                                                  << QStringLiteral("https://example.com/#?utm_source=x") << QStringList();
    }

    void cleansSingleAddresses()
    {
        QFETCH(QString, input);
        QFETCH(QString, cleaned);
        QFETCH(QStringList, keys);
        const auto result = ZubOfflineTextEngine::cleanTrackingParameters(input);
        QCOMPARE(result.cleanedText, cleaned);
        QCOMPARE(result.removedKeys, keys);
        QCOMPARE(result.removedCount, keys.size());
    }

    void cleansAddressesInProse()
    {
        const QString text =
            QStringLiteral("See https://a.example/?fbclid=1&x=%2B2. And (https://b.example/p?gclid=9&utm_term=t) or "
                           "https://c.example/?id=1, done?");
        const auto result = ZubOfflineTextEngine::cleanTrackingParameters(text);
        QCOMPARE(result.cleanedText, QStringLiteral("See https://a.example/?x=%2B2. And (https://b.example/p) or "
                                                    "https://c.example/?id=1, done?"));
        QCOMPARE(result.removedCount, 3);
        QCOMPARE(result.removedKeys,
                 (QStringList{QStringLiteral("gclid"), QStringLiteral("utm_term"), QStringLiteral("fbclid")}));

        const QString untouched = QStringLiteral(" Is this ok? https://example.com/?id=1 ");
        QCOMPARE(ZubOfflineTextEngine::cleanTrackingParameters(untouched),
                 (ZubURLCleanResult{untouched, 0, {}}));
    }

    void findsLinksWithoutTheirPunctuation()
    {
        const auto found = [](const QString& text) {
            QStringList links;
            for (const auto& match : ZubLinkDetector::links(text)) {
                links.append(text.mid(match.start, match.length));
            }
            return links;
        };
        QCOMPARE(found(QStringLiteral("Read https://en.example.org/wiki/Foo_(bar), then (http://x.example/a?b=1).")),
                 (QStringList{QStringLiteral("https://en.example.org/wiki/Foo_(bar)"), QStringLiteral("http://x.example/a?b=1")}));
        QCOMPARE(found(QStringLiteral("<https://x.example/p>\"HTTPS://Y.example/q\"…")),
                 (QStringList{QStringLiteral("https://x.example/p"), QStringLiteral("HTTPS://Y.example/q")}));
        QVERIFY(found(QStringLiteral("nothttps://x.example ftp://y.example https://. https://")).isEmpty());
    }

    void countsCharactersLinesAndWords()
    {
        const auto crlf = ZubOfflineTextEngine::analyzeStats(QStringLiteral("a\r\nb"));
        QCOMPARE(crlf.characters, 3);
        QCOMPARE(crlf.charactersWithoutSpaces, 2);
        QCOMPARE(crlf.lines, 2);
        QCOMPARE(crlf.words, 2);

        QCOMPARE(ZubOfflineTextEngine::analyzeStats(QString()), ZubTextStats());

        const auto turkish = ZubOfflineTextEngine::analyzeStats(
            QStringLiteral("Dr. Ayşe Ankara'da. Yarın 3,5 saat çalışacak 👨‍👩‍👧!\u2028Son satır…"));
        QCOMPARE(turkish.words, 9);
        QCOMPARE(turkish.sentences, 3);
        QCOMPARE(turkish.lines, 2);
        QCOMPARE(turkish.characters, 58);
        QCOMPARE(turkish.utf8Bytes, QStringLiteral("Dr. Ayşe Ankara'da. Yarın 3,5 saat çalışacak 👨‍👩‍👧!\u2028Son satır…")
                                        .toUtf8()
                                        .size());

        const QString lone = QStringLiteral("a") + QChar(0xD800);
        QCOMPARE(ZubOfflineTextEngine::analyzeStats(lone).utf8Bytes, 4);
    }

    void readingTimeRoundsUp()
    {
        QCOMPARE(ZubOfflineTextEngine::analyzeStats(words(1)).estimatedReadingSeconds, 1);
        QCOMPARE(ZubOfflineTextEngine::analyzeStats(words(10)).estimatedReadingSeconds, 3);
        QCOMPARE(ZubOfflineTextEngine::analyzeStats(words(200)).estimatedReadingSeconds, 60);
        QCOMPARE(ZubOfflineTextEngine::analyzeStats(words(201)).estimatedReadingSeconds, 61);
        QCOMPARE(ZubOfflineTextEngine::analyzeStats(QStringLiteral(" ... ")).estimatedReadingSeconds, 0);
    }

    void reportsInBothLanguages()
    {
        const ZubTextStats stats{1234, 1000, 201, 12, 7, 1500, 61};
        QCOMPARE(ZubOfflineTextEngine::formatStats(stats, QuorLanguage::en),
                 QStringLiteral("Words: 201\nCharacters: 1234 (no spaces: 1000)\nSentences: 12 · Lines: 7\n"
                                "UTF-8 Size: 1.5 KB · Est. Reading Time: 01:01"));
        QCOMPARE(ZubOfflineTextEngine::formatStats(stats, QuorLanguage::tr),
                 QStringLiteral("Kelime: 201\nKarakter: 1234 (boşluksuz: 1000)\nCümle: 12 · Satır: 7\n"
                                "UTF-8 Boyut: 1.5 KB · Tahmini Okuma: 01:01"));
        QVERIFY(ZubOfflineTextEngine::formatStats(stats, QuorLanguage::de).startsWith(QStringLiteral("Words: ")));
    }

    void collapsesWhiteSpace()
    {
        QCOMPARE(ZubOfflineTextEngine::trimAndCollapseWhitespace(QStringLiteral("a  \t b\n\n\n\nc ")),
                 QStringLiteral("a b\n\nc"));
        QCOMPARE(ZubOfflineTextEngine::trimAndCollapseWhitespace(
                     QStringLiteral("\u00A0 one\u3000\r\n\r\n\r\n\rtwo\u00A0x\u00A0 \r")),
                 QStringLiteral("one\n\ntwo\u00A0x"));
        QCOMPARE(ZubOfflineTextEngine::trimAndCollapseWhitespace(QStringLiteral(" \n\t ")), QString());
    }

    void stripsMarkdown()
    {
        QCOMPARE(ZubOfflineTextEngine::stripMarkdown(QStringLiteral("# Title\n**bold** and [link](https://x.example)")),
                 QStringLiteral("Title\nbold and link"));
        const QString document = QStringLiteral(
            "## Notes\r\n> quoted *text*\r\n- item `code`\r\n2. second __strong__ ~~gone~~\r\n```python\r\nlet x = 1\r\n"
            "```\r\n![alt text](img.png) _it_");
        QCOMPARE(ZubOfflineTextEngine::stripMarkdown(document),
                 QStringLiteral("Notes\nquoted text\nitem code\nsecond strong gone\n\nlet x = 1\n\nalt text it"));
    }

    void serverTextLosesItsControls()
    {
        // Tabs and line ends stay; codes that ring, erase, recolour or reorder go.
        const QString dirty = QStringLiteral("a\tb\r\nc") + QChar(0) + QStringLiteral("\u001B[31mred\u0007\u007F\u009B")
            + QStringLiteral("\u202Etxt.exe\u202C \u2067x\u2069 one\u0085two \u200Dש\u200F");
        QCOMPARE(ZubOfflineTextEngine::removeControlCharacters(dirty),
                 QStringLiteral("a\tb\r\nc[31mredtxt.exe x one\ntwo \u200Dש\u200F"));
        const QString clean = QStringLiteral("Merhaba dünya 👨‍👩‍👧\n");
        QCOMPARE(ZubOfflineTextEngine::removeControlCharacters(clean).constData(), clean.constData()); // not copied
    }

    void transformsCaseInTheUsersLocale()
    {
        const QLocale original;
        QLocale::setDefault(QLocale(QStringLiteral("tr_TR")));
        QCOMPARE(ZubOfflineTextEngine::transformCase(QStringLiteral("istanbul'DA ılık bir GÜN"), ZubCaseTransformStyle::titleCase),
                 QStringLiteral("İstanbul'da Ilık Bir Gün"));
        QCOMPARE(ZubOfflineTextEngine::transformCase(QStringLiteral("iyi akşamlar"), ZubCaseTransformStyle::uppercase),
                 QStringLiteral("İYİ AKŞAMLAR"));
        QCOMPARE(ZubOfflineTextEngine::transformCase(QStringLiteral("IŞIK"), ZubCaseTransformStyle::lowercase),
                 QStringLiteral("ışık"));
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        QCOMPARE(ZubOfflineTextEngine::transformCase(QStringLiteral("iyi akşamlar"), ZubCaseTransformStyle::uppercase),
                 QStringLiteral("IYI AKŞAMLAR"));
        QCOMPARE(ZubOfflineTextEngine::transformCase(QStringLiteral(" a  b "), ZubCaseTransformStyle::trimAndCollapseWhitespace),
                 QStringLiteral("a b"));
        QCOMPARE(ZubOfflineTextEngine::transformCase(QStringLiteral("**x**"), ZubCaseTransformStyle::stripMarkdown),
                 QStringLiteral("x"));
        QLocale::setDefault(original);
    }

    void looksUpTheInstalledDictionary()
    {
        const auto apple = ZubOfflineTextEngine::lookupDictionary(QStringLiteral("  apple\n"));
        QVERIFY(apple.has_value());
        QVERIFY(apple->contains(QStringLiteral("fruit with red or yellow or green skin")));
        QVERIFY(!apple->endsWith(u'\n'));
        QVERIFY(!ZubOfflineTextEngine::lookupDictionary(QStringLiteral(" \t ")));
    }

    void blankDefinitionsAreNone()
    {
        const auto blank = std::make_shared<FixedDictionary>(QStringLiteral(" \n "));
        ZubOfflineTextEngine::Services services;
        services.dictionary = blank;
        ZubOfflineTextEngine::setServices(services);
        QVERIFY(!ZubOfflineTextEngine::lookupDictionary(QStringLiteral(" serendipity ")));
        QCOMPARE(blank->lastTerm, QStringLiteral("serendipity"));
    }

    void drawsReadableQRCodes()
    {
        const QString text = QStringLiteral("Merhaba dünya — https://example.com/?q=%2B");
        const auto png = ZubOfflineTextEngine::generateQRCodePNG(text, 8);
        QVERIFY(png.has_value());
        QCOMPARE(decodeWithZbar(*png), text.toUtf8());

        // "hello" is a version 1 code: 21 modules and a quiet zone of four on each side.
        const auto small = ZubOfflineTextEngine::generateQRCodePNG(QStringLiteral("hello"), 1);
        const auto large = ZubOfflineTextEngine::generateQRCodePNG(QStringLiteral("hello"), 100);
        const auto nan = ZubOfflineTextEngine::generateQRCodePNG(QStringLiteral("hello"),
                                                                std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(QImage::fromData(*small).width(), 29 * 2);
        QCOMPARE(QImage::fromData(*large).width(), 29 * 24);
        QCOMPARE(QImage::fromData(*nan).width(), 29 * 2);

        QVERIFY(!ZubOfflineTextEngine::generateQRCodePNG(QString(), 4));
        QVERIFY(!ZubOfflineTextEngine::generateQRCodePNG(QStringLiteral("a") + QChar(0xDC00), 4));
        QVERIFY(!ZubOfflineTextEngine::generateQRCodePNG(QString(5000, u'x'), 4));
    }

    void passesMathThrough()
    {
        QCOMPARE(ZubOfflineTextEngine::evaluateMathExpression(QStringLiteral("12,5 × (3 + 4) =")).formatted,
                 QStringLiteral("87.5"));
        QVERIFY_THROWS_EXCEPTION(ZubMathEvaluator::MathError, ZubOfflineTextEngine::evaluateMathExpression(QStringLiteral("x")));
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubOfflineTextEngine)
#include "tst_zubofflinetextengine.moc"
