#include "Support/QuorTestSupport.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Vision/QuorVisionServices.h"
#include "QuorPlatform/Ocr/QuorTesseractTextRecognizer.h"
#include "QuorPlatform/Ocr/QuorTextRecognitionError.h"

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <stdexcept>

using quor::platform::TesseractTextRecognizer;
using quor::platform::TextRecognitionError;

namespace {

const QString tessdata = QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");

// Text drawn as a screen shows it: DejaVu Sans at `pixelSize`, one line under the other.
QImage renderLines(const QStringList& lines, int pixelSize, QColor ink = Qt::black, QColor paper = Qt::white)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString& line : lines) {
        width = std::max(width, metrics.horizontalAdvance(line));
    }
    QImage image(width + 2 * pixelSize, int(metrics.lineSpacing() * lines.size()) + 2 * pixelSize, QImage::Format_RGB32);
    image.fill(paper);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(ink);
    int baseline = pixelSize + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(pixelSize, baseline, line);
        baseline += metrics.lineSpacing();
    }
    return image;
}

QStringList texts(const QuorOCRResult& result)
{
    QStringList out;
    for (const QuorOCRLine& line : result.lines) {
        out << line.text;
    }
    return out;
}

// Points TESSDATA_PREFIX at a folder for the lifetime of the object.
class TessdataOverride {
public:
    explicit TessdataOverride(const QString& folder) { qputenv("TESSDATA_PREFIX", QFile::encodeName(folder)); }
    ~TessdataOverride() { qunsetenv("TESSDATA_PREFIX"); }
    TessdataOverride(const TessdataOverride&) = delete;
    TessdataOverride& operator=(const TessdataOverride&) = delete;
};

const QString turkishLine = QStringLiteral("İstanbul'da güzel bir gün");
const QString englishLine = QStringLiteral("The quick brown fox jumps over the lazy dog");

} // namespace

class TestQuorVisionServices : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qunsetenv("TESSDATA_PREFIX");
        QVERIFY2(QFile::exists(tessdata + QStringLiteral("/eng.traineddata")), "tesseract-ocr-eng is missing");
        QVERIFY2(QFile::exists(tessdata + QStringLiteral("/tur.traineddata")), "tesseract-ocr-tur is missing");
    }

    void readsRenderedText_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<QColor>("ink");
        QTest::addColumn<QColor>("paper");
        QTest::addColumn<bool>("accurate");

        const QStringList screenLanguages{"tr-TR", "en-US", "de-DE", "fr-FR", "es-ES"};
        const QStringList both{turkishLine, englishLine};
        QTest::newRow("turkish and english, screen languages") << both << screenLanguages << 24 << QColor(Qt::black)
                                                               << QColor(Qt::white) << true;
        // Turkish alone reads "quick" as "guick", English alone "İstanbul" as "istanbul": each line
        // has to keep the reading of its own language, whichever language leads.
        QTest::newRow("each line in its own language") << both << QStringList{"tr-TR", "en-US"} << 28
                                                       << QColor(Qt::black) << QColor(Qt::white) << true;
        QTest::newRow("english leading") << both << QStringList{"en-US", "tr-TR"} << 28 << QColor(Qt::black)
                                         << QColor(Qt::white) << true;
        QTest::newRow("small screen text") << both << screenLanguages << 13 << QColor(Qt::black) << QColor(Qt::white)
                                           << true;
        QTest::newRow("light text on a dark theme")
            << both << QStringList{"tr-TR", "en-US"} << 14 << QColor(235, 235, 235) << QColor(35, 30, 45) << true;
        QTest::newRow("turkish letters, turkish alone")
            << QStringList{QStringLiteral("Işık, çiçek, öğle; Şişli'de güneşli bir gün.")} << QStringList{"tr"} << 22
            << QColor(Qt::black) << QColor(Qt::white) << true;
        // Fast reads with the first language only.
        QTest::newRow("fast level") << QStringList{englishLine} << QStringList{"en-US", "tr-TR"} << 24
                                    << QColor(Qt::black) << QColor(Qt::white) << false;
    }

    void readsRenderedText()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, languages);
        QFETCH(int, pixelSize);
        QFETCH(QColor, ink);
        QFETCH(QColor, paper);
        QFETCH(bool, accurate);

        const QImage image = renderLines(lines, pixelSize, ink, paper);
        const QuorOCRResult result = QuorVisionServices::recognizeText(image, languages, accurate);
        QCOMPARE(texts(result), lines);
        QCOMPARE(result.fullText(), lines.join(QLatin1Char('\n')));
        for (const QuorOCRLine& line : result.lines) {
            QVERIFY2(line.confidence > 0.5F && line.confidence <= 1.0F, qPrintable(QString::number(line.confidence)));
            const QRectF unit(0, 0, 1, 1);
            QVERIFY(unit.contains(line.boundingBox));
            QVERIFY(line.boundingBox.width() > 0.3 && line.boundingBox.height() > 0.01);
        }
        if (result.lines.size() == 2) {
            // Boxes measure from the bottom: the first line sits higher.
            QVERIFY(result.lines[0].boundingBox.y() > result.lines[1].boundingBox.bottom() - 0.01);
        }
    }

    void lineBoxesAreNormalizedFromTheBottomLeft()
    {
        QImage image(800, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(30);
            painter.setFont(font);
            painter.drawText(QRect(400, 300, 400, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Corner text"));
        }
        const QuorOCRResult result = QuorVisionServices::recognizeText(image, {"en"}, true);
        QCOMPARE(texts(result), QStringList{QStringLiteral("Corner text")});
        const QRectF box = result.lines.first().boundingBox;
        QVERIFY2(box.left() > 0.49 && box.left() < 0.53, qPrintable(QString::number(box.left())));
        // Drawn 300 to 360 pixels from the top of 400: 0.1 to 0.25 from the bottom.
        QVERIFY2(box.top() > 0.08 && box.bottom() < 0.25, qPrintable(QString::number(box.top())));
    }

    void imageWithoutTextHasNoLines()
    {
        QImage blank(400, 200, QImage::Format_RGB32);
        blank.fill(QColor(240, 240, 240));
        const QuorOCRResult result = QuorVisionServices::recognizeText(blank, {"tr-TR", "en-US"}, true);
        QVERIFY(result.lines.isEmpty());
        QCOMPARE(result.fullText(), QString());
    }

    void transparentPicturesReadOverWhite()
    {
        QImage image = renderLines({englishLine}, 24);
        QImage transparent(image.size(), QImage::Format_ARGB32);
        transparent.fill(Qt::transparent);
        {
            QPainter painter(&transparent);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(24);
            painter.setFont(font);
            painter.drawText(transparent.rect(), Qt::AlignCenter, englishLine);
        }
        QCOMPARE(texts(QuorVisionServices::recognizeText(transparent, {"en"}, true)), QStringList{englishLine});
    }

    void emptyImageFailsAfterTheRetries()
    {
        try {
            QuorVisionServices::recognizeText(QImage(), {"en"}, true);
            QFAIL("an empty image was recognized");
        } catch (const TextRecognitionError& error) {
            QCOMPARE(error.kind(), TextRecognitionError::Kind::invalidImage);
        }
    }

    void missingLanguagesAreSkipped()
    {
        QTemporaryDir onlyEnglish;
        QVERIFY(QFile::link(tessdata + QStringLiteral("/eng.traineddata"), onlyEnglish.filePath("eng.traineddata")));
        const TessdataOverride override(onlyEnglish.path());
        const QImage english = renderLines({englishLine}, 24);

        QCOMPARE(texts(QuorVisionServices::recognizeText(english, {"tr-TR", "de-DE", "en-US"}, true)),
                 QStringList{englishLine});
        // Nothing requested is installed: English stands in rather than failing.
        QCOMPARE(texts(QuorVisionServices::recognizeText(english, {"ja-JP", "xx"}, true)), QStringList{englishLine});
        QCOMPARE(texts(QuorVisionServices::recognizeText(english, {}, true)), QStringList{englishLine});
    }

    void noRecognitionDataIsAClearError()
    {
        QTemporaryDir empty;
        const TessdataOverride override(empty.path());
        try {
            QuorVisionServices::recognizeText(renderLines({englishLine}, 24), {"en-US"}, true);
            QFAIL("recognition ran without data");
        } catch (const TextRecognitionError& error) {
            QCOMPARE(error.kind(), TextRecognitionError::Kind::noLanguageData);
            QVERIFY(localizedDescription(error, QuorLanguage::en).contains(QStringLiteral("tesseract-ocr-eng")));
            QVERIFY(localizedDescription(error, QuorLanguage::tr).contains(QStringLiteral("kurulu değil")));
        }
    }

    void tesseractCodes_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("code");
        QTest::newRow("tr-TR") << "tr-TR" << "tur";
        QTest::newRow("en_US") << "en_US" << "eng";
        QTest::newRow("upper case") << "DE-de" << "deu";
        QTest::newRow("nb") << "nb" << "nor";
        QTest::newRow("pt-BR") << "pt-BR" << "por";
        QTest::newRow("zh-Hans") << "zh-Hans" << "chi_sim";
        QTest::newRow("zh-Hant") << "zh-Hant" << "chi_tra";
        QTest::newRow("zh-TW") << "zh-TW" << "chi_tra";
        QTest::newRow("sr-Latn") << "sr-Latn" << "srp_latn";
        QTest::newRow("tesseract code") << "tur" << "tur";
        QTest::newRow("tesseract script code") << "chi_sim" << "chi_sim";
        QTest::newRow("unknown") << "xx-YY" << "";
        QTest::newRow("empty") << "" << "";
    }

    void tesseractCodes()
    {
        QFETCH(QString, identifier);
        QFETCH(QString, code);
        QCOMPARE(TesseractTextRecognizer::tesseractCode(identifier).value_or(QString()), code);
    }

    void languagesKeepTheCallersOrderWithoutRepeats()
    {
        QTemporaryDir folder;
        for (const char* name : {"tur", "eng", "osd"}) {
            QFile file(folder.filePath(QString::fromLatin1(name) + QStringLiteral(".traineddata")));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const TesseractTextRecognizer recognizer(folder.path());
        QCOMPARE(recognizer.installedLanguages(), (QStringList{"eng", "tur"}));
        QCOMPARE(recognizer.resolveLanguages({"en-GB", "de", "tr-TR", "eng", "tur"}), (QStringList{"eng", "tur"}));
        QCOMPARE(recognizer.resolveLanguages({"tr", "en"}), (QStringList{"tur", "eng"}));
        QCOMPARE(recognizer.resolveLanguages({"fr"}), QStringList{"eng"});
        QFile::remove(folder.filePath("eng.traineddata"));
        QCOMPARE(TesseractTextRecognizer(folder.path()).resolveLanguages({"fr"}), QStringList{"tur"});
    }

    // The retry ladder, with attempts that fail on demand.
    void laterAttemptRescuesAFailedOne()
    {
        QList<std::pair<QuorRecognitionLevel, bool>> calls;
        const QuorOCRResult second{{{QStringLiteral("b"), QRectF(0, 0.5, 1, 0.5), 0.9F},
                                    {QStringLiteral("a"), QRectF(0, 0, 1, 0.5), 0.8F}}};
        const QuorOCRResult result = QuorVisionServices::recognizeWithRetries(
            true, [&](QuorRecognitionLevel level, bool cpuOnly) -> QuorOCRResult {
                calls.append({level, cpuOnly});
                if (calls.size() == 1) {
                    throw std::runtime_error("first attempt fails");
                }
                return second;
            });
        // Kept as the recognizer gave them, even where that is not top to bottom.
        QCOMPARE(result, second);
        QCOMPARE(calls, (QList<std::pair<QuorRecognitionLevel, bool>>{{QuorRecognitionLevel::accurate, false},
                                                                        {QuorRecognitionLevel::accurate, true}}));
    }

    void everyAttemptFailingThrowsTheLastError()
    {
        QList<std::pair<QuorRecognitionLevel, bool>> calls;
        try {
            QuorVisionServices::recognizeWithRetries(false, [&](QuorRecognitionLevel level, bool cpuOnly) -> QuorOCRResult {
                calls.append({level, cpuOnly});
                throw std::runtime_error("attempt " + std::to_string(calls.size()));
            });
            QFAIL("no error");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QByteArray(error.what()), QByteArray("attempt 3"));
        }
        QCOMPARE(calls, (QList<std::pair<QuorRecognitionLevel, bool>>{{QuorRecognitionLevel::fast, false},
                                                                        {QuorRecognitionLevel::fast, true},
                                                                        {QuorRecognitionLevel::fast, true}}));

        // Both accurate attempts fail: the fast one on the processor answers.
        calls.clear();
        const QuorOCRResult fast{{{QStringLiteral("fast"), {}, 0.5F}}};
        const QuorOCRResult result = QuorVisionServices::recognizeWithRetries(
            true, [&](QuorRecognitionLevel level, bool cpuOnly) -> QuorOCRResult {
                calls.append({level, cpuOnly});
                if (level == QuorRecognitionLevel::accurate) {
                    throw std::runtime_error("accurate fails");
                }
                return fast;
            });
        QCOMPARE(result, fast);
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls.last(), std::make_pair(QuorRecognitionLevel::fast, true));
    }

    void emptyResultEndsTheLadder()
    {
        int attempts = 0;
        const QuorOCRResult result = QuorVisionServices::recognizeWithRetries(true, [&](QuorRecognitionLevel, bool) {
            ++attempts;
            return QuorOCRResult{};
        });
        QCOMPARE(attempts, 1);
        QVERIFY(result.lines.isEmpty());
    }

    void fullTextJoinsLinesWithLineFeeds()
    {
        const QuorOCRResult three{{{"a", {}, 1}, {"b", {}, 1}, {"c", {}, 1}}};
        QCOMPARE(three.fullText(), QStringLiteral("a\nb\nc"));
        QCOMPARE(QuorOCRResult{}.fullText(), QString());
    }
};

QUOR_TEST_GUI_MAIN(TestQuorVisionServices)
#include "tst_quorvisionservices.moc"
