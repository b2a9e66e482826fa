#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/Design/QuorFlowLayout.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorGroundBackground.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorToastBanner.h"

#include "Support/QuorTestSupport.h"

#include <QAccessible>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

namespace {
QImage render(const std::function<void(QPainter&)>& draw, int side = 64)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    return image;
}
} // namespace

class TestQuorGlassComponents : public QObject {
    Q_OBJECT

private slots:
    void flowMeasuring()
    {
        const QList<QSizeF> items{{60, 20}, {30, 24}, {30, 10}};
        // The second item ends exactly at 100, which does not exceed it; the third wraps.
        QCOMPARE(QuorFlowLayout::measure(items, 100.0, 10, 6), QSizeF(100, 24 + 6 + 10));
        // No proposal: one line as wide as the items and the gaps between them.
        QCOMPARE(QuorFlowLayout::measure(items, std::nullopt, 10, 6), QSizeF(60 + 10 + 30 + 10 + 30, 24));
        // A first item wider than the proposal stays on the first line.
        QCOMPARE(QuorFlowLayout::measure({{150, 20}, {10, 10}}, 100.0, 10, 6), QSizeF(100, 20 + 6 + 10));
        QCOMPARE(QuorFlowLayout::measure({}, 80.0, 10, 6), QSizeF(80, 0));
        QCOMPARE(QuorFlowLayout::measure({}, std::nullopt, 10, 6), QSizeF(0, 0));
    }

    void flowPlacing()
    {
        const QList<QRectF> frames =
            QuorFlowLayout::place({{60, 20}, {30, 24}, {30, 10}}, QRectF(5, 7, 100, 200), 10, 6);
        QCOMPARE(frames[0], QRectF(5, 7, 60, 20));
        QCOMPARE(frames[1], QRectF(75, 7, 30, 24));
        QCOMPARE(frames[2], QRectF(5, 7 + 24 + 6, 30, 10));
        // Placing tolerates an overshoot of half a point; measuring does not.
        const QList<QSizeF> tight{{60, 20}, {30.5, 20}};
        QCOMPARE(QuorFlowLayout::place(tight, QRectF(0, 0, 100, 100), 10, 6)[1].y(), 0.0);
        QCOMPARE(QuorFlowLayout::measure(tight, 100.0, 10, 6).height(), 46.0);
        QCOMPARE(QuorFlowLayout::place({{60, 20}, {31, 20}}, QRectF(0, 0, 100, 100), 10, 6)[1].topLeft(), QPointF(0, 26));
        // A wide first item is not shrunk and does not wrap before itself.
        QCOMPARE(QuorFlowLayout::place({{150, 20}}, QRectF(0, 0, 100, 100), 10, 6)[0], QRectF(0, 0, 150, 20));
    }

    void flowLayoutArrangesWidgets()
    {
        QWidget host;
        auto* layout = new QuorFlowLayout(4, 3, &host);
        QList<QWidget*> children;
        for (int i = 0; i < 5; ++i) {
            auto* child = new QWidget;
            child->setFixedSize(40, 12);
            layout->addWidget(child);
            children << child;
        }
        QCOMPARE(layout->sizeHint(), QSize(5 * 40 + 4 * 4, 12));
        QCOMPARE(layout->heightForWidth(100), 12 + 3 + 12 + 3 + 12);
        host.resize(100, 60);
        host.show();
        layout->activate();
        QCOMPARE(children[1]->geometry().topLeft(), QPoint(44, 0));
        QCOMPARE(children[2]->geometry().topLeft(), QPoint(0, 15));
    }

    void buttonLooks()
    {
        const QuorButtonLook primary = QuorPrimaryButtonStyle{}.look(false);
        const QuorButtonLook primaryPressed = QuorPrimaryButtonStyle{}.look(true);
        QCOMPARE(primary.fill, QColor::fromRgbF(1, 1, 1, 0.96f));
        QCOMPARE(primaryPressed.fill, QColor::fromRgbF(1, 1, 1, 0.82f));
        QCOMPARE(primaryPressed.scale, 0.98);
        QCOMPARE(primaryPressed.pressAnimationMs, 120);
        QCOMPARE(primaryPressed.opacity, 1.0);

        const QuorButtonLook glass = QuorGlassButtonStyle{false}.look(false);
        const QuorButtonLook glassPressed = QuorGlassButtonStyle{false}.look(true);
        const QuorButtonLook active = QuorGlassButtonStyle{true}.look(false);
        QCOMPARE(glass.fill, QuorGlassTokens::surface2());
        QCOMPARE(glass.border, QuorGlassTokens::borderSubtle());
        QCOMPARE(active.fill, QuorGlassTokens::surface3());
        QCOMPARE(active.border, QuorGlassTokens::borderStrong());
        QCOMPARE(glassPressed.opacity, 0.78);
        QCOMPARE(glassPressed.scale, 1.0); // keeps its size
        QCOMPARE(glassPressed.pressAnimationMs, 0);
    }

    void styledButtonPressesAndClicks()
    {
        QuorStyledButton button(QStringLiteral("Copy"), QStringLiteral("doc.on.doc"), QuorPrimaryButtonStyle{});
        const QSize hint = button.sizeHint();
        QVERIFY(hint.width() > 2 * 14 + 20);
        QuorStyledButton noSymbol(QStringLiteral("Copy"), QString(), QuorPrimaryButtonStyle{});
        QVERIFY(noSymbol.sizeHint().width() < hint.width());
        button.resize(hint);
        QSignalSpy clicked(&button, &QAbstractButton::clicked);
        QTest::mousePress(&button, Qt::LeftButton);
        QCOMPARE(button.currentLook().scale, 0.98); // animations are off in tests: lands at once
        QTest::mouseRelease(&button, Qt::LeftButton);
        QCOMPARE(button.currentLook().scale, 1.0);
        QCOMPARE(clicked.count(), 1);
    }

    void toastIcons()
    {
        QCOMPARE(QuorToastBanner::iconFor(true),
                 (QuorToastBanner::Icon{QStringLiteral("exclamationmark.triangle.fill"), QuorGlassTokens::warning()}));
        QCOMPARE(QuorToastBanner::iconFor(false),
                 (QuorToastBanner::Icon{QStringLiteral("checkmark.circle.fill"), QuorGlassTokens::success()}));
        QuorToastBanner toast(QStringLiteral("Copied."), false);
        QVERIFY(toast.sizeHint().height() >= 20 + 12);
        // It paints its message: a screen reader hears it as a notification with that text.
        QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(&toast);
        QCOMPARE(heard->role(), QAccessible::Notification);
        QCOMPARE(heard->text(QAccessible::Name), QStringLiteral("Copied."));
    }

    // However long, a toast's message shows whole: it wraps inside the width it is given, on
    // lines that together are the message and each fit the banner; a banner of one line is a
    // capsule, one of more keeps the capsule's rounded ends.
    void toastWrapsWhatDoesNotFit_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("maxWidth");
        const QString sentence = QStringLiteral("Your settings could not be saved: the folder /home/someone/.local/share/"
                                                "Tallowmer/QuorZub cannot be written. They stay in effect until QuorZub "
                                                "quits, and the next change tries again.");
        QTest::newRow("short, on one line") << QStringLiteral("Copied.") << 1120;
        QTest::newRow("a sentence in a studio window") << sentence + QLatin1Char(' ') + sentence << 1120;
        QTest::newRow("a sentence in a narrow window") << sentence << 300;
        QTest::newRow("an address without spaces")
            << QStringLiteral("https://tallowmer.com/quorzub/releases/2026/12/linux-build-notes?version=1&utm_source=x"
                              "&fbclid=IwAR2abcDEFghiJKLmnoPQRstuVWXyz0123456789#features-and-known-limits")
            << 320;
    }

    void toastWrapsWhatDoesNotFit()
    {
        QFETCH(QString, message);
        QFETCH(int, maxWidth);
        const QuorToastBanner::Layout oneLine = QuorToastBanner::layout(message);
        const QuorToastBanner::Layout laid = QuorToastBanner::layout(message, maxWidth);
        QCOMPARE(oneLine.lines, QStringList{message});
        QVERIFY(laid.size.width() <= maxWidth);
        QCOMPARE(laid.lines.join(QString()), message);
        QCOMPARE(laid.lines.size() > 1, oneLine.size.width() > maxWidth);
        for (const QString& line : laid.lines) {
            QVERIFY2(QuorToastBanner::layout(line.trimmed()).size.width() <= laid.size.width(), qPrintable(line));
        }
        QVERIFY(laid.text.height() >= laid.lineHeight * laid.lines.size());
        QVERIFY(QRectF(QPointF(), QSizeF(laid.size)).contains(laid.text));
        // Drawn at the width it asked for, it breaks the same lines.
        QCOMPARE(QuorToastBanner::layout(message, laid.size.width()).lines, laid.lines);
        const double capsule = QuorToastBanner::layout(QStringLiteral("x")).size.height() / 2.0;
        QCOMPARE(laid.cornerRadius, laid.lines.size() == 1 ? laid.size.height() / 2.0 : capsule);

        QuorToastBanner toast(message, true);
        toast.setMaximumBannerWidth(maxWidth);
        QCOMPARE(toast.sizeHint(), laid.size);
    }

    void brandMarkChoosesItsDrawing()
    {
        using Style = QuorBrandMarkStyle;
        QCOMPARE(QuorBrandMark::emblemFor(Style::app(QuorAppIdentity::quorWave), std::nullopt), QuorAppIdentity::quorWave);
        QCOMPARE(QuorBrandMark::emblemFor(Style::currentApp(), QuorAppIdentity::quorZub), QuorAppIdentity::quorZub);
        QCOMPARE(QuorBrandMark::emblemFor(Style::currentApp(), std::nullopt), std::nullopt); // suite mark
        QCOMPARE(QuorBrandMark::emblemFor(Style::quorbelSuite(), QuorAppIdentity::quorZub), std::nullopt);

        // In this program the current application's mark is its own emblem, not the suite mark.
        const auto draw = [](const Style& style) {
            return render([&](QPainter& p) { QuorBrandMark::paint(p, QRectF(0, 0, 64, 64), style); });
        };
        const QImage current = draw(Style::currentApp());
        QVERIFY(current == draw(Style::app(QuorAppIdentity::quorZub)));
        const QImage suite = draw(Style::quorbelSuite());
        QVERIFY(suite != current);
        // The suite mark's left piece covers (10, 40) in the 64-unit box; the gap between pieces does not.
        QVERIFY(suite.pixelColor(10, 40).alpha() > 240);
        QCOMPARE(suite.pixelColor(31, 37).alpha(), 0);
    }

    void surfacesPaint()
    {
        const QImage ground = render([](QPainter& p) {
            QuorGroundBackground::paint(p, QRectF(0, 0, 64, 64), QuorProductPalette::deepCoral);
        });
        QCOMPARE(ground.pixelColor(63, 63).alpha(), 255);
        // The bottom-right corner is the darkest stop.
        QVERIFY(ground.pixelColor(63, 63).lightness() < ground.pixelColor(0, 0).lightness());

        auto* label = new QLabel(QStringLiteral("content"));
        QuorGlassCard card(12, 10, label);
        card.resize(200, 80);
        card.show();
        QCOMPARE(label->geometry().topLeft(), QPoint(12, 12));
    }
};

QUOR_TEST_MAIN(TestQuorGlassComponents)
#include "tst_quorglasscomponents.moc"
