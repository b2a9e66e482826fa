#include "../StudioViewModel/FakeStudioEnvironment.h"

#include "QuorKit/Design/QuorToastBanner.h"
#include "QuorZubApp/App/MenuBarZubPopoverView.h"
#include "QuorZubApp/App/QuorZubApp.h"
#include "QuorZubApp/App/ZubMenuBarExtra.h"
#include "QuorZubApp/App/ZubStudioWindow.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/Studio/MainZubStudioView.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubCore/Services/ZubConfigStore.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

namespace {

ZubHistoryRecord record(int n)
{
    ZubHistoryRecord r;
    r.id = QUuid::createUuid();
    r.actionKind = ZubActionKind::translate;
    r.actionTitle = QStringLiteral("Translate %1").arg(n);
    r.inputText = QStringLiteral("input %1").arg(n);
    r.outputText = QStringLiteral("output %1").arg(n);
    r.createdAt = QDateTime::currentDateTimeUtc();
    return r;
}

MainZubStudioView& rootView(ZubStudioWindow& window)
{
    return *qobject_cast<MainZubStudioView*>(window.centralWidget());
}

QScrollBar& tabScrollBar(ZubStudioWindow& window)
{
    return *rootView(window).tabScrollArea()->verticalScrollBar();
}

} // namespace

// The studio window lives only while it is open: closed, it goes with all it drew; opened again, it
// is built from the view model and shows what it showed.
class TestZubStudioWindowLifecycle : public QObject {
    Q_OBJECT

private slots:
    void aClosedStudioGoesAndComesBackAsItWas()
    {
        QList<ZubHistoryRecord> history;
        for (int n = 0; n < 120; ++n) {
            history.append(record(n));
        }
        ZubConfigStore(std::nullopt, ZubStudioViewModel::historyLimit).saveHistory(history);
        auto environment = std::make_unique<FakeStudioEnvironment>();
        FakeStudioEnvironment& desktop = *environment;
        QuorZubApp app(std::move(environment));
        QTRY_VERIFY(app.studioWindow() != nullptr && app.studioWindow()->isVisible());
        ZubStudioViewModel& model = *app.viewModel();
        QVERIFY(desktop.monitoring);

        // Scrolled past the history's first batch of cards, so the new view must build more to get there.
        model.setSelectedTab(ZubStudioTab::history);
        QScrollBar* bar = &tabScrollBar(*app.studioWindow());
        QTRY_VERIFY(bar->maximum() > 0);
        const int firstBatch = bar->maximum();
        bar->setValue(firstBatch);
        QTRY_VERIFY(bar->maximum() > firstBatch);
        const int offset = firstBatch + (bar->maximum() - firstBatch) / 2;
        bar->setValue(offset);
        const QRect frame = app.studioWindow()->geometry().translated(12, 6);
        app.studioWindow()->setGeometry(frame);

        QSignalSpy released(&app, &QuorZubApp::studioWindowReleased);
        const QPointer<ZubStudioWindow> closed = app.studioWindow();
        QVERIFY(closed->close());
        QVERIFY(app.studioWindow() == nullptr);
        QTRY_COMPARE(released.count(), 1);
        QVERIFY(closed.isNull());
        // The tray's side of the application goes on without it.
        QVERIFY(desktop.monitoring);
        model.showToast(QStringLiteral("while closed"), false);

        // A second start of the program asks for it.
        QElapsedTimer clock;
        clock.start();
        app.reopen();
        QTRY_VERIFY(app.studioWindow() != nullptr);
        ZubStudioWindow* reopened = app.studioWindow();
        QVERIFY(QTest::qWaitForWindowExposed(reopened));
        QCOMPARE(rootView(*reopened).shownTab(), std::optional<ZubStudioTab>(ZubStudioTab::history));
        QTRY_COMPARE(tabScrollBar(*reopened).value(), offset);
        qInfo("studio built again, on screen and scrolled back in %lld ms", static_cast<long long>(clock.elapsed()));
        QCOMPARE(reopened->geometry(), frame);
        // Taken back once: a tab opened later starts at its top.
        QVERIFY(!model.keptScrollPosition().has_value());

        // Opened again before the closed window is deleted: the new one stays, the old one goes.
        const QPointer<ZubStudioWindow> second = reopened;
        QVERIFY(second->close());
        app.openStudioWindow();
        QVERIFY(app.studioWindow() != nullptr && app.studioWindow() != second);
        QTRY_VERIFY(second.isNull());
        QVERIFY(app.studioWindow()->isVisible());
    }

    void theTrayBringsBackThePlaygroundAndTheRestWorksMeanwhile()
    {
        auto environment = std::make_unique<FakeStudioEnvironment>();
        FakeStudioEnvironment& desktop = *environment;
        QuorZubApp app(std::move(environment));
        QTRY_VERIFY(app.studioWindow() != nullptr && app.studioWindow()->isVisible());
        ZubStudioViewModel& model = *app.viewModel();
        model.setSelectedTab(ZubStudioTab::playground);
        auto* editor = app.studioWindow()->findChild<QPlainTextEdit*>(QStringLiteral("editor"));
        QVERIFY(editor != nullptr);
        editor->setPlainText(QStringLiteral("typed before closing"));

        QSignalSpy released(&app, &QuorZubApp::studioWindowReleased);
        QVERIFY(app.studioWindow()->close());
        QTRY_COMPARE(released.count(), 1);

        // The hot key still reads the selection into the bar.
        QVERIFY(!desktop.hotkeys.isEmpty());
        desktop.capturedText = QStringLiteral("picked while closed");
        desktop.hotkeys[0].action();
        ZubFloatingBarController& bar = *model.floatingBarController();
        QTRY_VERIFY(bar.panel() != nullptr && bar.panel()->isVisible());
        QCOMPARE(bar.state()->sourceText(), QStringLiteral("picked while closed"));
        bar.hide(false);

        ZubMenuBarExtra& tray = *app.menuBarExtra();
        tray.togglePopup();
        QTRY_VERIFY(tray.popup() != nullptr && tray.popup()->isVisible());
        tray.popoverView()->openStudioButton()->click();
        QTRY_VERIFY(app.studioWindow() != nullptr && app.studioWindow()->isVisible());
        ZubStudioWindow& reopened = *app.studioWindow();
        QCOMPARE(rootView(reopened).shownTab(), std::optional<ZubStudioTab>(ZubStudioTab::playground));
        QCOMPARE(reopened.findChild<QPlainTextEdit*>(QStringLiteral("editor"))->toPlainText(),
                 QStringLiteral("typed before closing"));

        // Toasts reach the window built anew.
        model.showToast(QStringLiteral("after reopening"), false);
        QTRY_VERIFY(rootView(reopened).toastBanner() != nullptr);
        QCOMPARE(rootView(reopened).toastBanner()->message(), QStringLiteral("after reopening"));
    }
};

QUOR_TEST_MAIN(TestZubStudioWindowLifecycle)
#include "tst_zubstudiowindowlifecycle.moc"
