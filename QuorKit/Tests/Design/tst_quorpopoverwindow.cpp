#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorPopoverWindow.h"
#include "QuorKit/Design/QuorUnopenedPageNotice.h"
#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

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

// The popover open with the keyboard, then the notice opened from it with the keyboard.
QPointer<QWidget> openNotice(Popover& popover)
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
    quorSpin(700ms);
    return notice;
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
};

QUOR_TEST_MAIN(TestQuorPopoverWindow)
#include "tst_quorpopoverwindow.moc"
