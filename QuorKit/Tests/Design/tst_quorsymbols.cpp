#include "QuorKit/Design/QuorSymbols.h"

#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QtTest>

namespace {
// Every symbol name the action pills, the floating bar, the toast, the menu-bar window and the
// credits views use.
const QStringList kRequired{
    QStringLiteral("globe"), QStringLiteral("wand.and.stars"), QStringLiteral("text.alignleft"),
    QStringLiteral("lightbulb.fill"), QStringLiteral("doc.on.clipboard"), QStringLiteral("link.badge.plus"),
    QStringLiteral("function"), QStringLiteral("chart.bar.doc.horizontal"), QStringLiteral("qrcode"),
    QStringLiteral("book.closed.fill"), QStringLiteral("textformat"), QStringLiteral("magnifyingglass"),
    QStringLiteral("waveform.and.mic"), QStringLiteral("sparkles"), QStringLiteral("exclamationmark.triangle.fill"),
    QStringLiteral("checkmark.circle.fill"), QStringLiteral("xmark"), QStringLiteral("square.and.arrow.down"),
    QStringLiteral("doc.on.doc"), QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("stop.fill"),
    QStringLiteral("speaker.wave.2.fill"), QStringLiteral("sparkles.rectangle.stack.fill"),
    QStringLiteral("viewfinder"), QStringLiteral("macwindow"), QStringLiteral("power"),
    QStringLiteral("chevron.right"), QStringLiteral("gauge.with.dots.needle.33percent"),
    QStringLiteral("exclamationmark.octagon.fill"),
};

int inkedPixels(const QImage& image, QRgb* sample)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 255) {
                *sample = pixel.rgba();
                ++count;
            }
        }
    }
    return count;
}
} // namespace

class TestQuorSymbols : public QObject {
    Q_OBJECT

private slots:
    void everyUsedNameHasAGlyphInTheBundledFont()
    {
        const QFont font = QuorSymbols::font(12);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Material Icons"));
        const QFontMetricsF metrics(font);
        QSet<char32_t> codepoints;
        for (const QString& name : kRequired) {
            QVERIFY2(QuorSymbols::isKnown(name), qPrintable(name));
            const char32_t point = QuorSymbols::codepoint(name);
            QVERIFY2(point != QuorSymbols::fallbackCodepoint(), qPrintable(name));
            QVERIFY2(metrics.inFontUcs4(point), qPrintable(name));
            codepoints.insert(point);
        }
        QCOMPARE(codepoints.size(), kRequired.size()); // no two names share a glyph
        QVERIFY(metrics.inFontUcs4(QuorSymbols::fallbackCodepoint()));
    }

    void unknownNamesDrawTheFallback()
    {
        QVERIFY(!QuorSymbols::isKnown(QStringLiteral("no.such.symbol")));
        QCOMPARE(QuorSymbols::codepoint(QStringLiteral("no.such.symbol")), QuorSymbols::fallbackCodepoint());
        QCOMPARE(QuorSymbols::codepoint(QString()), QuorSymbols::fallbackCodepoint());
        QRgb sample = 0;
        QVERIFY(inkedPixels(QuorSymbols::pixmap(QStringLiteral("no.such.symbol"), 16, Qt::white).toImage(), &sample) > 10);
    }

    void drawsTintedGlyphs()
    {
        const QImage globe = QuorSymbols::pixmap(QStringLiteral("globe"), 16, QColor(0xF4, 0x72, 0xD0)).toImage();
        QCOMPARE(globe.size(), QSize(40, 40)); // 16 * 1.25 logical pixels at ratio 2
        QRgb sample = 0;
        QVERIFY(inkedPixels(globe, &sample) > 50);
        QCOMPARE(QColor(sample).rgb(), QColor(0xF4, 0x72, 0xD0).rgb());
        const QImage close = QuorSymbols::pixmap(QStringLiteral("xmark"), 16, Qt::white).toImage();
        QVERIFY(close != globe);
    }
};

QUOR_TEST_MAIN(TestQuorSymbols)
#include "tst_quorsymbols.moc"
