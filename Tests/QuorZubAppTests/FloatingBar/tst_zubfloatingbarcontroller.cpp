#include "FakeDismissSource.h"
#include "FloatingBarFixtures.h"

#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"

#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

#include <limits>

using Area = ZubFloatingBarController::ScreenArea;

class TestZubFloatingBarController : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ZubFloatingBarController> m_bar;
    FakeDismissSource* m_source = nullptr;
    int m_dismissed = 0;
    const QPoint m_point{400, 300};

    void showBar(double hideDelay = 0, int pills = 4)
    {
        m_bar->show(QStringLiteral("The quick brown fox"), QStringLiteral("en"), fixtures::actions(pills), QuorLanguage::en,
                    ZubTargetLanguage::turkish, m_point, true, hideDelay);
    }

    void showAndWait(double hideDelay = 0)
    {
        showBar(hideDelay);
        QUOR_TRY_VERIFY(m_bar->state()->isPresented());
    }

    bool panelVisible() const { return m_bar->panel() != nullptr && m_bar->panel()->isVisible(); }

    // Waits for the bar to hide by itself and checks when: not before the idle delay of 1.5 s
    // counted from `since` (a coarse timer may fire up to 5% early), and not long after it in the
    // time this thread ran, however long a busy machine kept it waiting.
    void expectHiddenAfterTheIdleDelay(const QElapsedTimer& since, const QuorHeldClock& held)
    {
        QUOR_TRY_VERIFY(!panelVisible());
        QVERIFY2(since.elapsed() >= 1400, qPrintable(QStringLiteral("hid after %1 ms").arg(since.elapsed())));
        QVERIFY2(held.elapsedMs() < 3100, qPrintable(QStringLiteral("hid after %1 ms").arg(held.elapsedMs())));
    }

private slots:
    void init()
    {
        m_bar = std::make_unique<ZubFloatingBarController>();
        m_source = new FakeDismissSource(m_bar.get());
        m_bar->setDismissEventSource(m_source);
        m_dismissed = 0;
        m_bar->onDismiss = [this] { ++m_dismissed; };
    }

    void cleanup() { m_bar.reset(); }

    void showPlacesThePanelAndPresentsOneTurnLater()
    {
        showBar();
        QVERIFY(!m_bar->state()->isPresented());
        QVERIFY(panelVisible());
        QVERIFY(m_source->running);
        QCOMPARE(m_bar->panel()->size(), QSize(436, 50));
        QCOMPARE(m_bar->panel()->geometry().bottom() + 1, m_point.y() - 20);
        QCOMPARE(m_bar->panel()->geometry().center().x(), m_point.x() - 1);
        QUOR_TRY_VERIFY(m_bar->state()->isPresented());
        QCOMPARE(m_bar->state()->sourceText(), QStringLiteral("The quick brown fox"));
        QCOMPARE(m_bar->state()->targetLanguage(), ZubTargetLanguage::turkish);
        m_bar->updateTargetLanguage(ZubTargetLanguage::german);
        QCOMPARE(m_bar->state()->targetLanguage(), ZubTargetLanguage::german);
    }

    void reShowingNeverDismisses()
    {
        const quint64 before = m_bar->presentationToken();
        showBar();
        showBar();
        QCOMPARE(m_bar->presentationToken(), before + 2);
        QUOR_TRY_VERIFY(m_bar->state()->isPresented());
        QCOMPARE(m_dismissed, 0);
        // A re-show over a result starts a fresh collapsed bar.
        m_bar->presentResult(fixtures::translation());
        showBar();
        QVERIFY(!m_bar->state()->result());
        QCOMPARE(m_bar->panel()->height(), 50);
        QCOMPARE(m_dismissed, 0);
    }

    void hidingNothingDoesNothing()
    {
        const quint64 before = m_bar->presentationToken();
        m_bar->hide(true);
        m_bar->hide(false);
        QCOMPARE(m_dismissed, 0);
        QCOMPARE(m_bar->presentationToken(), before);
    }

    void lateCleanUpOfAnOldHideIsHarmless()
    {
        showAndWait();
        m_bar->hide(true);
        QCOMPARE(m_dismissed, 1);
        QVERIFY(!m_bar->state()->isPresented());
        showBar(); // within the 0.15 s fade
        quorSpin(std::chrono::milliseconds(400));
        QVERIFY(panelVisible());
        QVERIFY(m_bar->state()->isPresented());
        QCOMPARE(m_dismissed, 1);
    }

    void hidingTwiceDuringTheFade()
    {
        showAndWait();
        const quint64 before = m_bar->presentationToken();
        m_bar->hide(true);
        m_bar->hide(true); // the panel is still visible: a second real hide
        QCOMPARE(m_dismissed, 2);
        QCOMPARE(m_bar->presentationToken(), before + 2);
        QUOR_TRY_VERIFY(!panelVisible());
        m_bar->hide(true);
        QCOMPARE(m_dismissed, 2);
        QVERIFY(!m_source->running);
    }

    void immediateHideKeepsTextButDropsTheResult()
    {
        showAndWait();
        m_bar->beginExecution(m_bar->state()->actions()[0]);
        m_bar->presentResult(fixtures::translation());
        m_bar->state()->setIsSpeaking(true);
        m_bar->hide(false);
        QVERIFY(!panelVisible());
        QVERIFY(!m_bar->state()->result());
        QVERIFY(!m_bar->state()->activeActionID());
        QCOMPARE(m_bar->state()->sourceText(), QStringLiteral("The quick brown fox"));
        QVERIFY(m_bar->state()->isSpeaking()); // until the next show
        showBar();
        QVERIFY(!m_bar->state()->isSpeaking());
    }

    void growsForARunAndAResultKeepingItsTopEdge()
    {
        showAndWait();
        const int top = m_bar->panel()->geometry().top();
        const ZubActionDefinition action = m_bar->state()->actions()[0];
        m_bar->beginExecution(action);
        QVERIFY(m_bar->state()->isExecuting());
        QCOMPARE(m_bar->state()->activeActionID(), action.id);
        QCOMPARE(m_bar->panel()->size(), QSize(500, 140));
        QCOMPARE(m_bar->panel()->geometry().top(), top);

        m_bar->presentResult(fixtures::translation());
        QVERIFY(!m_bar->state()->isExecuting());
        QCOMPARE(m_bar->state()->activeActionID(), action.id); // the pill stays lit
        QCOMPARE(m_bar->panel()->size(), QSize(500, 294));
        QCOMPARE(m_bar->panel()->geometry().top(), top);

        m_bar->presentResult(fixtures::qrResult());
        QCOMPARE(m_bar->panel()->height(), 348);
        QCOMPARE(m_bar->state()->cachedQRImage()->size(), QSize(25, 25));
        m_bar->presentResult(fixtures::qrResult(QByteArray("broken")));
        QVERIFY(!m_bar->state()->cachedQRImage());
        QVERIFY(m_bar->state()->result());
    }

    void resultsWhileHiddenOnlyUpdateTheState()
    {
        m_bar->beginExecution(fixtures::actions(1)[0]);
        m_bar->presentResult(fixtures::translation());
        QVERIFY(m_bar->state()->result());
        QVERIFY(!panelVisible());
    }

    void idleDelay()
    {
        QElapsedTimer shown;
        shown.start();
        const QuorHeldClock held;
        showAndWait(0.5); // below the floor: acts as 1.5 s
        expectHiddenAfterTheIdleDelay(shown, held);
        QCOMPARE(m_dismissed, 1);

        showAndWait(0); // never hides by itself
        quorSpin(std::chrono::milliseconds(1800));
        QVERIFY(panelVisible());

        // Delays too large for the timer, or not numbers, never hide the bar at once.
        for (const double delay : {1e12, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
            showAndWait(delay);
            quorSpin(std::chrono::milliseconds(200));
            QVERIFY(panelVisible());
        }
        QCOMPARE(m_dismissed, 1);
    }

    void hoverHoldsTheBar()
    {
        showAndWait(0.5);
        m_bar->setHovering(true);
        quorSpin(std::chrono::milliseconds(1800));
        QVERIFY(panelVisible());
        QElapsedTimer left;
        left.start();
        const QuorHeldClock held;
        m_bar->setHovering(false); // a full new delay
        expectHiddenAfterTheIdleDelay(left, held);

        // An expanded bar never hides by itself, hovered or not.
        showAndWait(0.5);
        m_bar->beginExecution(m_bar->state()->actions()[0]);
        m_bar->setHovering(true);
        m_bar->setHovering(false);
        quorSpin(std::chrono::milliseconds(1800));
        QVERIFY(panelVisible());
    }

    void outsideClicks()
    {
        showAndWait();
        const QRect frame = m_bar->panel()->geometry();
        emit m_source->mouseDown(frame.topLeft() - QPoint(6, 6)); // within the 6-point slack
        emit m_source->mouseDown(frame.bottomRight() + QPoint(6, 6));
        QVERIFY(panelVisible());
        QVERIFY(m_bar->containsScreenPoint(frame.center()));
        QVERIFY(!m_bar->containsScreenPoint(frame.topLeft() - QPoint(7, 0)));
        emit m_source->mouseDown(frame.topLeft() - QPoint(7, 0));
        QCOMPARE(m_dismissed, 1);
        QVERIFY(!m_bar->containsScreenPoint(frame.center())); // no longer presented
        QUOR_TRY_VERIFY(!panelVisible());
        QVERIFY(!m_source->running);
    }

    void escapeFromElsewhere()
    {
        showAndWait();
        emit m_source->escapePressed();
        QCOMPARE(m_dismissed, 1);
        QUOR_TRY_VERIFY(!panelVisible());
    }

    void escapeInOwnWindowsIsConsumedOnlyWhileTheBarIsUp()
    {
        QLineEdit field;
        field.show();
        int escapesSeen = 0;
        struct Counter : QObject {
            int* seen;
            explicit Counter(int* s) : seen(s) {}
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                    ++*seen;
                }
                return false;
            }
        } counter(&escapesSeen);
        field.installEventFilter(&counter);

        showAndWait();
        QTest::keyClick(&field, Qt::Key_Escape);
        QCOMPARE(m_dismissed, 1);
        QCOMPARE(escapesSeen, 0);
        QUOR_TRY_VERIFY(!panelVisible());
        QTest::keyClick(&field, Qt::Key_Escape);
        QCOMPARE(escapesSeen, 1);
        QCOMPARE(m_dismissed, 1);
    }

    void escapeInAModalDialogIsTheDialogs()
    {
        showAndWait();
        QDialog dialog;
        auto* field = new QLineEdit(&dialog);
        dialog.setModal(true);
        dialog.show();
        QVERIFY(QApplication::activeModalWidget() == &dialog);
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible()); // the dialog's own reject
        QCOMPARE(m_dismissed, 0);
        QVERIFY(panelVisible());
    }

    void callbacksReachTheOwner()
    {
        QList<ZubActionDefinition> selected;
        m_bar->onSelectAction = [&selected](const ZubActionDefinition& action) { selected << action; };
        showAndWait();
        auto* pill = m_bar->panel()->findChild<QAbstractButton*>(
            QStringLiteral("pill:") + m_bar->state()->actions()[1].id.toString(QUuid::WithoutBraces));
        QVERIFY(pill != nullptr);
        pill->click();
        QCOMPARE(selected, QList<ZubActionDefinition>{m_bar->state()->actions()[1]});
        m_bar->panel()->findChild<QAbstractButton*>(QStringLiteral("dismissIcon"))->click();
        QCOMPARE(m_dismissed, 1);
    }

    void placementOnScreens()
    {
        const QList<Area> screens{{QRect(0, 0, 1920, 1080), QRect(0, 27, 1920, 1053)},
                                  {QRect(1920, 200, 1280, 1024), QRect(1920, 200, 1280, 990)},
                                  {QRect(-1280, 0, 1280, 1024), QRect(-1280, 0, 1280, 1024)}};
        // On the second screen: its own origin counts.
        const QRect second = ZubFloatingBarController::anchoredFrame({500, 50}, {3150, 700}, screens, 0, std::nullopt);
        QCOMPARE(second, QRect(1920 + 1280 - 12 - 500, 700 - 20 - 50, 500, 50));
        // Near the top of the second screen the bar goes below the point.
        const QRect below = ZubFloatingBarController::anchoredFrame({500, 50}, {2500, 230}, screens, 0, std::nullopt);
        QCOMPARE(below.top(), 230 + 18);
        // A screen left of the primary, at negative coordinates.
        const QRect left = ZubFloatingBarController::anchoredFrame({500, 50}, {-100, 500}, screens, 0, std::nullopt);
        QCOMPARE(left.right() + 1, -12);
        // Outside every screen: the primary's area.
        const QRect lost = ZubFloatingBarController::anchoredFrame({500, 50}, {5000, 5000}, screens, 0, std::nullopt);
        QVERIFY(QRect(0, 27, 1920, 1053).contains(lost));
        // No screens at all: a 1440 x 900 area at the origin.
        const QRect none = ZubFloatingBarController::anchoredFrame({500, 50}, {5000, 5000}, {}, -1, std::nullopt);
        QCOMPARE(none, QRect(1440 - 12 - 500, 900 - 12 - 50, 500, 50));
        // Growing keeps the top edge; near the bottom it is pushed up by the margin.
        const QRect grown = ZubFloatingBarController::anchoredFrame({500, 294}, {800, 500}, screens, 0, 430);
        QCOMPARE(grown.top(), 430);
        const QRect pushed = ZubFloatingBarController::anchoredFrame({500, 294}, {800, 1000}, screens, 0, 930);
        QCOMPARE(pushed.bottom() + 1, 1080 - 12);
    }
};

QUOR_TEST_MAIN(TestZubFloatingBarController)
#include "tst_zubfloatingbarcontroller.moc"
