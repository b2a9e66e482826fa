#include "QuorZubCore/Engine/ZubFloatingBarLayoutMetrics.h"

#include "Support/QuorTestSupport.h"

#include <QtTest>

using namespace ZubFloatingBarLayoutMetrics;

class TestZubFloatingBarLayoutMetrics : public QObject {
    Q_OBJECT

private slots:
    void widthTable_data()
    {
        QTest::addColumn<int>("pills");
        QTest::addColumn<double>("collapsed");
        QTest::addColumn<double>("expanded");
        QTest::newRow("-3") << -3 << 340.0 << 500.0;
        QTest::newRow("0") << 0 << 340.0 << 500.0;
        QTest::newRow("1") << 1 << 340.0 << 500.0;
        QTest::newRow("2") << 2 << 340.0 << 500.0;
        QTest::newRow("3") << 3 << 350.0 << 500.0;
        QTest::newRow("4") << 4 << 436.0 << 500.0;
        QTest::newRow("5") << 5 << 522.0 << 522.0;
        QTest::newRow("6") << 6 << 608.0 << 608.0;
        QTest::newRow("7") << 7 << 660.0 << 660.0;
        QTest::newRow("20") << 20 << 660.0 << 660.0;
    }

    void widthTable()
    {
        QFETCH(int, pills);
        QFETCH(double, collapsed);
        QFETCH(double, expanded);
        QCOMPARE(computePanelSize(pills, false, false, false), QSizeF(collapsed, 50));
        QCOMPARE(computePanelSize(pills, true, false, false).width(), expanded);
    }

    void heightsByPhase()
    {
        QCOMPARE(computePanelSize(4, true, true, true).height(), 140.0); // running wins over QR
        QCOMPARE(computePanelSize(4, true, true, false).height(), 140.0);
        QCOMPARE(computePanelSize(4, true, false, true).height(), 348.0);
        QCOMPARE(computePanelSize(4, true, false, false).height(), 294.0);
        QCOMPARE(computePanelSize(4, false, true, true).height(), 50.0); // only expansion grows it
    }

    void placementAboveAndBelowThePoint()
    {
        const QRectF screen(0, 0, 1440, 900);
        const QSizeF size(500, 50);
        // Middle of the screen: bottom edge 20 above the point.
        const QRectF middle = computeAnchoredFrame(size, {700, 400}, screen, std::nullopt, 12);
        QCOMPARE(middle, QRectF(450, 420, 500, 50));
        // Near the top: the top edge sits 18 below the point.
        const QRectF top = computeAnchoredFrame(size, {700, 850}, screen, std::nullopt, 12);
        QCOMPARE(top.y() + top.height(), 850.0 - 18.0);
        // Exactly at the limit (maxY - m == py + 20 + h) still goes above.
        const QRectF limit = computeAnchoredFrame(size, {700, 818}, screen, std::nullopt, 12);
        QCOMPARE(limit.y(), 838.0);
    }

    void horizontalClamping()
    {
        const QRectF screen(100, 50, 1440, 900);
        const QRectF nearLeft = computeAnchoredFrame({500, 50}, {110, 400}, screen, std::nullopt, 12);
        QCOMPARE(nearLeft.x(), 112.0);
        const QRectF nearRight = computeAnchoredFrame({500, 50}, {1530, 400}, screen, std::nullopt, 12);
        QCOMPARE(nearRight.x() + nearRight.width(), 1540.0 - 12.0);
        // Wider than the frame less both margins: the left edge wins and it overflows to the right.
        const QRectF tooWide = computeAnchoredFrame({660, 50}, {300, 400}, QRectF(0, 0, 670, 900), std::nullopt, 12);
        QCOMPARE(tooWide.x(), 12.0);
        QCOMPARE(tooWide.width(), 660.0);
    }

    void keptTopEdgeAndBottomMargin()
    {
        const QRectF screen(0, 0, 1440, 900);
        const QRectF collapsed = computeAnchoredFrame({500, 50}, {700, 400}, screen, std::nullopt, 12);
        const double top = collapsed.y() + collapsed.height();
        const QRectF grown = computeAnchoredFrame({500, 294}, {700, 400}, screen, top, 12);
        QCOMPARE(grown.y() + grown.height(), top);
        // Near the bottom the grown panel is pushed up to the margin, so its top edge moves.
        const QRectF low = computeAnchoredFrame({500, 50}, {700, 30}, screen, std::nullopt, 12);
        const QRectF lowGrown = computeAnchoredFrame({500, 294}, {700, 30}, screen, low.y() + low.height(), 12);
        QCOMPARE(lowGrown.y(), 12.0);
        QVERIFY(lowGrown.y() + lowGrown.height() > low.y() + low.height());
        // Taller than the area: the bottom edge sits at the lower margin.
        const QRectF tall = computeAnchoredFrame({500, 348}, {700, 100}, QRectF(0, 0, 1440, 300), std::nullopt, 12);
        QCOMPARE(tall.y(), 12.0);
    }

    void roundsHalvesAwayFromZero()
    {
        // x = px - 250 ends in .5 in both signs.
        const QRectF positive = computeAnchoredFrame({500, 50}, {350.5, 400.5}, QRectF(0, 0, 2000, 2000), std::nullopt, 0);
        QCOMPARE(positive.x(), 101.0);
        QCOMPARE(positive.y(), 421.0);
        const QRectF negative = computeAnchoredFrame({500, 50}, {149.5, -500.5}, QRectF(-3000, -3000, 6000, 6000),
                                                     std::nullopt, 0);
        QCOMPARE(negative.x(), -101.0);
        QCOMPARE(negative.y(), -481.0);
    }

    void dismissKey()
    {
        QVERIFY(isDismissKeyCode(escapeKeyCode));
        QVERIFY(!isDismissKeyCode(53));
        QVERIFY(!isDismissKeyCode(0xFF0D)); // Return
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubFloatingBarLayoutMetrics)
#include "tst_zubfloatingbarlayoutmetrics.moc"
