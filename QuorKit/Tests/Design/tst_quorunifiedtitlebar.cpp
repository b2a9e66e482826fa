#include "QuorKit/Design/QuorUnifiedTitlebar.h"
#include "Support/QuorTestSupport.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

using Metrics = QuorUnifiedTitlebarMetrics;

class TestQuorUnifiedTitlebar : public QObject {
    Q_OBJECT
private slots:
    void metricsFromMeasuredButtons()
    {
        // Full screen: the leading margin alone, whatever the buttons say.
        QCOMPARE(Metrics::calculate(70, 12, 20, true, 16, 14, 14), (Metrics{16, 26, 0, 16, true}));
        // No buttons measured: the fallbacks.
        QCOMPARE(Metrics::calculate(0, 0, 0, false, 16, 14, 14), (Metrics{93, 26, 23, 37, false}));
        QCOMPARE(Metrics::calculate(69.5, 18, 25, false, 16, 14, 14).leadingClearance, 84.0);
        QCOMPARE(Metrics::calculate(69.5, 18, 25.5, false, 16, 14, 14).sidebarTopClearance, 40.0);
        QCOMPARE(Metrics(), (Metrics{93, 26, 33, 37, false}));
        // The window manager keeps the buttons in its frame: only the small leading margin.
        QCOMPARE(Metrics::forDecoratedWindow(false, 16, 14), (Metrics{16, 26, 0, 16, false}));
        QCOMPARE(Metrics::forDecoratedWindow(true, 16, 14).isFullScreen, true);
    }

    void headerRowsFollowTheWindowsMetrics()
    {
        QWidget root;
        QuorTitlebarMetricsStore* store = quorUnifiedTitlebarWindow(&root, QuorUnifiedTitlebarMode::unifiedHeader, 16, 14);
        QCOMPARE(QuorTitlebarMetricsStore::find(&root), store);
        auto* header = new QWidget(&root);
        auto* layout = new QHBoxLayout(header);
        auto* title = new QLabel(QStringLiteral("QuorZub"), header);
        layout->addWidget(title);
        quorUnifiedHeaderBar(header, 52, 20, 8, Qt::transparent);
        QCOMPARE(QuorTitlebarMetricsStore::find(title), store);
        QCOMPARE(layout->contentsMargins(), QMargins(16, 8, 20, 8));
        QCOMPARE(header->minimumHeight(), 52);

        QSignalSpy changed(store, &QuorTitlebarMetricsStore::metricsChanged);
        root.resize(400, 300);
        root.show();
        root.resize(500, 300);
        // Nothing that matters changed: no report.
        QCOMPARE(changed.count(), 0);
        root.showFullScreen();
        QUOR_TRY_VERIFY(store->metrics().isFullScreen);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(layout->contentsMargins().left(), 16);
        root.showNormal();
        QUOR_TRY_VERIFY(!store->metrics().isFullScreen);
        QCOMPARE(changed.count(), 2);

        // A header outside any such window keeps the default clearance.
        QWidget loose;
        auto* looseLayout = new QHBoxLayout(&loose);
        quorUnifiedHeaderBar(&loose, 40, 10, 4, Qt::black);
        QCOMPARE(looseLayout->contentsMargins(), QMargins(93, 4, 10, 4));
    }

    void doubleClickZoomsAndAnyOtherPressDrags()
    {
        using QuorWindowDragArea::Action;
        QCOMPARE(QuorWindowDragArea::actionForClick(2), Action::zoom);
        QCOMPARE(QuorWindowDragArea::actionForClick(1), Action::drag);
        QCOMPARE(QuorWindowDragArea::actionForClick(3), Action::drag);
    }
};

QUOR_TEST_MAIN(TestQuorUnifiedTitlebar)
#include "tst_quorunifiedtitlebar.moc"
