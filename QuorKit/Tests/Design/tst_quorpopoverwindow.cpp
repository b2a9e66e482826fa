#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorPopoverWindow.h"
#include "QuorKit/Design/QuorUnopenedPageNotice.h"
#include "QuorPlatform/X11/QuorX11Connection.h"
#include "Support/QuorTestSupport.h"
#include "Support/QuorX11Input.h"

#include "../Windowing/OtherClientSupport.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>
#include <optional>

namespace {
using namespace std::chrono_literals;

const QUrl kPage(QStringLiteral("https://tallowmer.com/feedback/quorzub"));

// A window of the application that is neither the popover nor opened from it (the studio).
struct OtherWindow {
    QWidget window;
    OtherWindow()
    {
        window.setWindowTitle(QStringLiteral("Other"));
        window.resize(300, 200);
        window.move(900, 500);
        new QPushButton(QStringLiteral("Elsewhere"), &window);
    }
};

// A popover with two controls, the second opening a notice, as the tray window's feedback button does.
struct Popover {
    std::unique_ptr<QuorPopoverWindow> window = std::make_unique<QuorPopoverWindow>(QStringLiteral("Popover"));
    QPushButton* first = new QPushButton(QStringLiteral("First"), window.get());
    QPushButton* opener = new QPushButton(QStringLiteral("Opener"), window.get());
    Popover()
    {
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(first);
        layout->addWidget(opener);
        window->move(200, 200);
    }
};

bool isActive(const QWidget* window)
{
    return window != nullptr && window->isVisible() && QApplication::activeWindow() == window;
}

// The popover open with the keyboard, then the notice opened from it with the keyboard; read for
// a while unless `read` is false.
QPointer<QWidget> openNotice(Popover& popover, bool read = true)
{
    popover.window->present(false, popover.first);
    if (!quorWaitFor([&] { return isActive(popover.window.get()); })) {
        return nullptr;
    }
    QPointer<QWidget> notice = QuorUnopenedPageNotice::popUp(kPage, QuorLanguage::en, popover.opener);
    if (!quorWaitFor([&] { return isActive(notice); })) {
        return nullptr;
    }
    // A popover that loses the focus right after it opened takes it back (the opening click's
    // doing); a person reads the notice for longer than that before turning elsewhere.
    if (read) {
        quorSpin(700ms);
    }
    return notice;
}

// The window another application keeps active on the display, as the X server reports it.
unsigned long activeWindowOfTheDisplay()
{
    quor::platform::X11Connection* x = quor::platform::X11Connection::forCurrentThread();
    return x->windowProperty(x->root(), "_NET_ACTIVE_WINDOW").value_or(0);
}

void clickAt(QPoint point)
{
    quorPerform(quor::platform::X11Connection::forCurrentThread()->display(), PointerGesture().click(point));
}
} // namespace

// A popover (the tray window) and a notice opened from one of its controls, under a real window
// manager: Escape on the notice closes it alone and hands the keyboard back to the control that
// opened it; leaving the notice for any other window leaves both.
class TestQuorPopoverWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QuorKeyboardAccess::install(); }

    void escapeClosesOnlyTheNotice_data()
    {
        QTest::addColumn<bool>("otherWindowOpen");
        QTest::newRow("alone") << false;
        QTest::newRow("another window of the application open") << true;
    }

    void escapeClosesOnlyTheNotice()
    {
        QFETCH(bool, otherWindowOpen);
        OtherWindow other;
        if (otherWindowOpen) {
            other.window.show();
            QVERIFY(quorWaitFor([&] { return isActive(&other.window); }));
        }
        Popover popover;
        QPointer<QWidget> notice = openNotice(popover);
        QVERIFY(notice);
        // It opens with the keyboard on Copy Address, which wears its ring before any Tab.
        auto* copy = notice->findChild<QWidget*>(QStringLiteral("copyAddress"));
        QCOMPARE(QApplication::focusWidget(), copy);
        QVERIFY(QuorKeyboardReach::showsFocusRing(copy));
        QVERIFY(notice->testAttribute(Qt::WA_KeyboardFocusChange));
        QCOMPARE(QuorKeyboardAccess::instance()->ringTarget(), copy);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QUOR_TRY_VERIFY(!notice || !notice->isVisible());
        QUOR_TRY_VERIFY(isActive(popover.window.get()));
        QCOMPARE(QApplication::focusWidget(), popover.opener);
        // And it stays so: the window manager's own choice of a window to focus once the notice
        // has gone does not close it afterwards.
        QVERIFY(!quorWaitFor([&] { return !isActive(popover.window.get()); }, 1500ms));
        QCOMPARE(QApplication::focusWidget(), popover.opener);
    }

    void leavingTheNoticeLeavesBoth_data()
    {
        QTest::addColumn<bool>("closedFirst");
        QTest::newRow("another window takes the focus") << false;
        QTest::newRow("closed by the window manager, then another window takes the focus") << true;
    }

    void leavingTheNoticeLeavesBoth()
    {
        QFETCH(bool, closedFirst);
        OtherWindow other;
        other.window.show();
        QVERIFY(quorWaitFor([&] { return isActive(&other.window); }));
        Popover popover;
        QPointer<QWidget> notice = openNotice(popover);
        QVERIFY(notice);

        if (closedFirst) {
            notice->windowHandle()->close();
            QUOR_TRY_VERIFY(!notice || !notice->isVisible());
        }
        other.window.activateWindow();
        QUOR_TRY_VERIFY(isActive(&other.window));
        QUOR_TRY_VERIFY(!popover.window->isVisible());
        QVERIFY(!notice || !notice->isVisible());
    }

    void turningElsewhereAfterEscapeLeaves_data()
    {
        QTest::addColumn<bool>("byClick");
        QTest::addColumn<int>("afterMs");
        QTest::addColumn<bool>("noticeRead");
        QTest::newRow("a click on another application at once") << true << 0 << true;
        QTest::newRow("a click on another application 300 ms after") << true << 300 << true;
        QTest::newRow("a click on another application 500 ms after") << true << 500 << true;
        QTest::newRow("a click at once, the notice closed as soon as it opened") << true << 0 << false;
        QTest::newRow("another window brought forward at once") << false << 0 << true;
        QTest::newRow("another window brought forward 200 ms after") << false << 200 << true;
        QTest::newRow("another window brought forward 450 ms after") << false << 450 << true;
    }

    // Once Escape has handed the keyboard back, the popover is the user's like any other window:
    // turning elsewhere leaves it, however soon, though the window that takes the focus is the
    // very one the window manager would pick as the notice goes.
    void turningElsewhereAfterEscapeLeaves()
    {
        QFETCH(bool, byClick);
        QFETCH(int, afterMs);
        QFETCH(bool, noticeRead);
        std::optional<OtherClient> otherApplication;
        OtherWindow other;
        // Clear of the popover and the notice, on the other application's maximized window.
        const QPoint elsewhere(1500, 800);
        if (byClick) {
            otherApplication.emplace();
            QVERIFY(otherApplication->waitUntilReady());
            // Clicked again, as a person would, should a busy desktop lose the click.
            QVERIFY(quorRetryUntil([&] { clickAt(elsewhere); },
                                   [&] { return activeWindowOfTheDisplay() == otherApplication->normal; }));
        } else {
            other.window.show();
            QVERIFY(quorWaitFor([&] { return isActive(&other.window); }));
        }
        Popover popover;
        QPointer<QWidget> notice = openNotice(popover, noticeRead);
        QVERIFY(notice);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTimer::singleShot(afterMs, &other.window, [&] {
            if (byClick) {
                clickAt(elsewhere);
            } else {
                other.window.activateWindow();
            }
        });
        QUOR_TRY_VERIFY(!popover.window->isVisible());
        QVERIFY(!notice || !notice->isVisible());
        if (byClick) {
            QUOR_TRY_COMPARE(activeWindowOfTheDisplay(), otherApplication->normal);
        } else {
            QUOR_TRY_VERIFY(isActive(&other.window));
        }
    }
};

QUOR_TEST_MAIN(TestQuorPopoverWindow)
#include "tst_quorpopoverwindow.moc"
