#include "QuorKit/Windowing/QuorAppMenuController.h"
#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include "OtherClientSupport.h"
#include "Support/QuorTestSupport.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QWindow>
#include <QtTest>

using quor::platform::X11Workspace::isMinimized;

namespace {

QAction* itemTitled(QMenu* menu, const QString& title)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == title) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

class TestQuorApplicationHiding : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QuorAppMenuController> m_controller;
    std::unique_ptr<QMainWindow> m_window;
    std::unique_ptr<QWidget> m_panel;

    void trigger(const QString& title)
    {
        QAction* item = itemTitled(m_controller->mainMenu()->actions().at(0)->menu(), title);
        QVERIFY(item != nullptr);
        item->trigger();
    }

private slots:
    void init()
    {
        m_controller = std::make_unique<QuorAppMenuController>(QStringLiteral("Quor Notes"), [] { return QuorLanguage::en; },
                                                               nullptr, nullptr, QList<QuorMenuElement>{}, std::nullopt,
                                                               QList<QuorCustomMenu>{}, QString(), Qt::NoModifier);
        m_window = std::make_unique<QMainWindow>();
        m_window->setMenuBar(m_controller->mainMenu());
        m_window->setGeometry(100, 100, 500, 300);
        m_panel = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        m_panel->setAttribute(Qt::WA_ShowWithoutActivating);
        m_panel->setGeometry(700, 200, 200, 100);
    }

    void cleanup()
    {
        m_panel.reset();
        m_window.reset();
        m_controller.reset();
    }

    void showAllUndoesExactlyWhatHidingPutAway()
    {
        OtherClient other;
        QVERIFY(other.waitUntilReady());
        m_window->showMaximized();
        m_panel->show();
        QUOR_TRY_VERIFY(m_window->windowHandle()->isExposed() && m_panel->windowHandle()->isExposed());
        QUOR_TRY_VERIFY(hasNetWmState(m_window->winId(), "_NET_WM_STATE_MAXIMIZED_HORZ"));
        QVERIFY(isMinimized(other.minimized));

        // Hide Others: only the other application's windows that have a taskbar entry to come back from.
        trigger(QStringLiteral("Hide Others"));
        QUOR_TRY_VERIFY(isMinimized(other.normal));
        quorSpin(std::chrono::milliseconds(300));
        QVERIFY(!isMinimized(other.utility));
        QVERIFY(!isMinimized(other.skipTaskbar));
        QVERIFY(!isMinimized(m_window->winId()));
        QVERIFY(m_panel->isVisible());

        // Hide: this application's windows, and its panel with them.
        trigger(QStringLiteral("Hide Quor Notes"));
        QUOR_TRY_VERIFY(isMinimized(m_window->winId()));
        QVERIFY(!m_panel->isVisible());

        // Show All: each window back in its own state; what the user had minimized stays minimized.
        trigger(QStringLiteral("Show All"));
        QUOR_TRY_VERIFY(!isMinimized(other.normal) && !isMinimized(m_window->winId()));
        QVERIFY(hasNetWmState(other.normal, "_NET_WM_STATE_MAXIMIZED_VERT"));
        QVERIFY(hasNetWmState(other.normal, "_NET_WM_STATE_MAXIMIZED_HORZ"));
        QUOR_TRY_VERIFY(hasNetWmState(m_window->winId(), "_NET_WM_STATE_MAXIMIZED_HORZ"));
        QUOR_TRY_VERIFY(m_window->isMaximized() && !m_window->isMinimized());
        QVERIFY(m_panel->isVisible());
        quorSpin(std::chrono::milliseconds(300));
        QVERIFY(isMinimized(other.minimized));
    }

    void panelsReturnWithTheApplication()
    {
        m_window->show();
        m_panel->show();
        QUOR_TRY_VERIFY(m_window->windowHandle()->isExposed() && m_panel->windowHandle()->isExposed());
        trigger(QStringLiteral("Hide Quor Notes"));
        QUOR_TRY_VERIFY(isMinimized(m_window->winId()));
        QVERIFY(!m_panel->isVisible());
        QUOR_TRY_VERIFY(QGuiApplication::applicationState() != Qt::ApplicationActive);

        // Brought back from the taskbar, the application brings its panel too.
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                                   {QStringLiteral("windowactivate"), QString::number(m_window->winId())}),
                 0);
        QUOR_TRY_VERIFY(!isMinimized(m_window->winId()));
        QUOR_TRY_VERIFY(m_panel->isVisible());
    }
};

QUOR_TEST_MAIN(TestQuorApplicationHiding)
#include "tst_quorapplicationhiding.moc"
