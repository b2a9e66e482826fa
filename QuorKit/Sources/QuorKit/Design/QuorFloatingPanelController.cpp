#include "QuorKit/Design/QuorFloatingPanelController.h"

#include "QuorKit/Design/QuorFloatingNSPanel.h"
#include "QuorPlatform/MouseMonitor/QuorGlobalMouseMonitor.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>
#include <cmath>

#include <X11/keysym.h>

namespace {
constexpr int kLeftButton = 1;
constexpr int kRightButton = 3;
constexpr int kAboveCentre = 40;
constexpr int kBottomMargin = 24;

QScreen* screenUnderPointer()
{
    if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) {
        return screen;
    }
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        return primary;
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    return screens.isEmpty() ? nullptr : screens.first();
}
} // namespace

QuorFloatingPanelController::QuorFloatingPanelController(QSize size, bool dismissOnResignKey,
                                                         std::function<void()> onDismiss, QObject* parent)
    : QObject(parent), size(size), dismissOnResignKey(dismissOnResignKey), onDismiss(std::move(onDismiss))
{
}

QuorFloatingPanelController::~QuorFloatingPanelController()
{
    if (m_monitor) {
        m_monitor->stop();
    }
}

bool QuorFloatingPanelController::isVisible() const
{
    return m_panel && m_panel->isVisible();
}

QPoint QuorFloatingPanelController::centredOrigin(QSize size, const QRect& visibleFrame)
{
    const double centreX = visibleFrame.x() + visibleFrame.width() / 2.0;
    const double centreY = visibleFrame.y() + visibleFrame.height() / 2.0;
    const double x = centreX - size.width() / 2.0;
    const double raised = centreY - size.height() / 2.0 - kAboveCentre;
    const double lowest = visibleFrame.y() + visibleFrame.height() - kBottomMargin - size.height();
    return {static_cast<int>(std::floor(x)), static_cast<int>(std::floor(std::min(raised, lowest)))};
}

QuorFloatingNSPanel* QuorFloatingPanelController::ensurePanel()
{
    if (!m_panel) {
        m_panel = std::make_unique<QuorFloatingNSPanel>();
        const QPointer<QuorFloatingPanelController> self(this);
        m_panel->onEscapePressed = [self] {
            if (self) {
                self->hide();
            }
        };
    }
    return m_panel.get();
}

void QuorFloatingPanelController::show(bool centeredOnActiveScreen, std::optional<QRect> anchorFrame,
                                       const ContentBuilder& content)
{
    QuorFloatingNSPanel* panel = ensurePanel();
    panel->setContent(content ? content() : new QWidget);
    panel->resize(size);
    if (anchorFrame) {
        panel->move(anchorFrame->topLeft());
    } else if (centeredOnActiveScreen) {
        if (const QScreen* screen = screenUnderPointer()) {
            panel->move(centredOrigin(size, screen->availableGeometry()));
        }
    }
    panel->show();
    panel->raise();
    startMonitoring();
}

void QuorFloatingPanelController::toggle(bool centeredOnActiveScreen, std::optional<QRect> anchorFrame,
                                         const ContentBuilder& content)
{
    if (isVisible()) {
        hide();
        return;
    }
    show(centeredOnActiveScreen, anchorFrame, content);
}

void QuorFloatingPanelController::hide()
{
    if (m_panel) {
        m_panel->hide();
    }
    qApp->removeEventFilter(this);
    if (onDismiss) {
        onDismiss();
    }
}

void QuorFloatingPanelController::windowDidResignKey()
{
    if (dismissOnResignKey) {
        hide();
    }
}

void QuorFloatingPanelController::startMonitoring()
{
    // Escape typed into this application's own windows.
    qApp->removeEventFilter(this);
    qApp->installEventFilter(this);
    // Escape and clicks in other applications. Kept running between showings: starting it costs a
    // connection and a thread.
    if (!m_monitor) {
        m_monitor = std::make_unique<quor::platform::GlobalMouseMonitor>();
        connect(m_monitor.get(), &quor::platform::GlobalMouseMonitor::buttonEvent, this,
                &QuorFloatingPanelController::handleGlobalPress);
        connect(m_monitor.get(), &quor::platform::GlobalMouseMonitor::keyPressed, this,
                &QuorFloatingPanelController::handleGlobalKey);
        quor::platform::GlobalMouseMonitor::Options options;
        options.reportedKeysyms = {XK_Escape};
        m_monitor->start(options);
    }
}

void QuorFloatingPanelController::handleGlobalPress(const quor::platform::MouseButtonEvent& event)
{
    if (!isVisible() || event.kind != quor::platform::MouseButtonEvent::Kind::press
        || (event.button != kLeftButton && event.button != kRightButton)) {
        return;
    }
    // The monitor reports device pixels; the panel lives in logical coordinates.
    const QScreen* screen = m_panel->screen();
    const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    if (!m_panel->frameGeometry().contains((event.position / ratio).toPoint())) {
        windowDidResignKey();
    }
}

void QuorFloatingPanelController::handleGlobalKey(const quor::platform::KeyPressEvent& event)
{
    // With one of this application's windows focused the event filter has seen the same key.
    if (isVisible() && event.keysym == XK_Escape && QGuiApplication::focusWindow() == nullptr) {
        hide();
    }
}

bool QuorFloatingPanelController::eventFilter(QObject* watched, QEvent* event)
{
    // A modal dialog owns its Escape.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && isVisible()
        && QApplication::activeModalWidget() == nullptr) {
        hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
