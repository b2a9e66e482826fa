#include "QuorZubApp/App/QuorZubApp.h"

#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorKit/Windowing/QuorAppActivationDelegate.h"
#include "QuorPlatform/Memory/QuorProcessHeap.h"
#include "QuorZubApp/App/ZubDesktopNotifier.h"
#include "QuorZubApp/App/ZubMenuBarExtra.h"
#include "QuorZubApp/App/ZubStudioWindow.h"
#include "QuorZubApp/ViewModels/ZubStudioEnvironment.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

QuorZubApp::QuorZubApp(std::unique_ptr<ZubStudioEnvironment> environment, QObject* parent)
    : QObject(parent),
      m_delegate(std::make_unique<QuorAppActivationDelegate>()),
      m_viewModel(std::make_unique<ZubStudioViewModel>(std::move(environment))),
      m_accent(QuorProductPalettes::accentColor(QuorProductPalette::deepCoral))
{
    QuorKeyboardAccess::install();
    const auto opener = [this] { openStudioWindow(); };
    m_menuBarExtra = std::make_unique<ZubMenuBarExtra>(m_viewModel.get(), opener, m_accent);
    // Bound before either window appears, so a reopen finds the opener even if the studio never showed.
    m_viewModel->bindStudioWindowOpener(opener);
    m_notifier = std::make_unique<ZubDesktopNotifier>(
        [this] { return m_studioWindow && m_studioWindow->isVisible() && !m_studioWindow->isMinimized(); },
        m_menuBarExtra->trayIcon());
    connect(m_viewModel.get(), &ZubStudioViewModel::toastRaised, m_notifier.get(), &ZubDesktopNotifier::toastRaised);
    // The tray icon goes up first: the studio window, the larger part of starting, is built once the
    // event loop runs and the tray's request is on its way.
    QTimer::singleShot(0, this, [this] { studioWindowCreatingIt().show(); });
}

QuorZubApp::~QuorZubApp()
{
    // Windows go before the view model they observe.
    m_notifier.reset();
    m_menuBarExtra.reset();
    m_studioWindow.reset();
    for (const QPointer<ZubStudioWindow>& closed : std::as_const(m_closedStudioWindows)) {
        if (closed) {
            closed->disconnect(this);
            delete closed;
        }
    }
    m_viewModel.reset();
}

void QuorZubApp::didFinishLaunching()
{
    m_delegate->applicationDidFinishLaunching();
}

void QuorZubApp::reopen()
{
    m_delegate->applicationShouldHandleReopen(QuorAppActivationDelegate::hasVisibleWindows());
}

void QuorZubApp::openStudioWindow()
{
    ZubStudioWindow& window = studioWindowCreatingIt();
    if (window.isMinimized()) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    }
    window.show();
    QuorAppActivationDelegate::bringStudioWindowToFront();
}

ZubStudioWindow& QuorZubApp::studioWindowCreatingIt()
{
    if (!m_studioWindow) {
        if (!m_residentBeforeStudio) {
            m_residentBeforeStudio = quor::platform::ResidentProgramPages::current();
        }
        m_studioWindow = std::make_unique<ZubStudioWindow>(m_viewModel.get(), m_accent);
        if (!m_studioGeometry.isEmpty()) {
            m_studioWindow->restoreGeometry(m_studioGeometry);
        }
        connect(m_studioWindow.get(), &ZubStudioWindow::closed, this, &QuorZubApp::releaseStudioWindow);
    }
    return *m_studioWindow;
}

void QuorZubApp::releaseStudioWindow()
{
    if (!m_studioWindow) {
        return;
    }
    m_studioGeometry = m_studioWindow->saveGeometry();
    // The close may come from inside one of the window's own handlers: it is deleted once they have
    // returned to the event loop.
    ZubStudioWindow* closed = m_studioWindow.release();
    m_closedStudioWindows.removeAll(nullptr);
    m_closedStudioWindows.append(closed);
    connect(closed, &QObject::destroyed, this, [this] {
        // Once the window's own teardown has finished.
        QTimer::singleShot(0, this, &QuorZubApp::returnStudioMemory);
    });
    closed->deleteLater();
}

void QuorZubApp::returnStudioMemory()
{
    // Unmapping pages takes tens of milliseconds: it is done away from the GUI thread. A studio
    // opened again in the meantime uses its pages: they stay.
    std::optional<quor::platform::ResidentProgramPages> before;
    if (!m_studioWindow) {
        before = m_residentBeforeStudio;
    }
    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcher<void>::finished, this, [this, watcher] {
        watcher->deleteLater();
        emit studioWindowReleased();
    });
    watcher->setFuture(QtConcurrent::run([before] {
        if (before) {
            quor::platform::ResidentProgramPages::releaseAddedSince(*before);
        }
        quor::platform::ProcessHeap::returnFreedMemory();
    }));
}
