#include "QuorZubApp/App/QuorZubApp.h"

#include "QuorKit/Design/QuorAppActivationDelegate.h"
#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorZubApp/App/ZubDesktopNotifier.h"
#include "QuorZubApp/App/ZubMenuBarExtra.h"
#include "QuorZubApp/App/ZubStudioWindow.h"
#include "QuorZubApp/ViewModels/ZubStudioEnvironment.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"

QuorZubApp::QuorZubApp(std::unique_ptr<ZubStudioEnvironment> environment, QObject* parent)
    : QObject(parent),
      m_delegate(std::make_unique<QuorAppActivationDelegate>()),
      m_viewModel(std::make_unique<ZubStudioViewModel>(std::move(environment)))
{
    QuorKeyboardAccess::install();
    const QColor accent = QuorProductPalettes::accentColor(QuorProductPalette::deepCoral);
    m_studioWindow = std::make_unique<ZubStudioWindow>(m_viewModel.get(), accent);
    const auto opener = [this] { openStudioWindow(); };
    m_menuBarExtra = std::make_unique<ZubMenuBarExtra>(m_viewModel.get(), opener, accent);
    // Bound before either window appears, so a reopen finds the opener even if the studio never showed.
    m_viewModel->bindStudioWindowOpener(opener);
    m_notifier = std::make_unique<ZubDesktopNotifier>(
        [this] { return m_studioWindow->isVisible() && !m_studioWindow->isMinimized(); },
        m_menuBarExtra->trayIcon());
    connect(m_viewModel.get(), &ZubStudioViewModel::toastRaised, m_notifier.get(), &ZubDesktopNotifier::toastRaised);
    m_studioWindow->show();
}

QuorZubApp::~QuorZubApp()
{
    // Windows go before the view model they observe.
    m_notifier.reset();
    m_menuBarExtra.reset();
    m_studioWindow.reset();
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
    if (m_studioWindow->isMinimized()) {
        m_studioWindow->setWindowState(m_studioWindow->windowState() & ~Qt::WindowMinimized);
    }
    m_studioWindow->show();
    QuorAppActivationDelegate::bringStudioWindowToFront();
}
