#include "QuorKit/Windowing/QuorFloatingPanelController.h"

#include "QuorKit/Windowing/QuorFloatingNSPanel.h"
#include "QuorPlatform/MouseMonitor/QuorGlobalMouseMonitor.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
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

QList<QuorFloatingPanelController::ScreenScale> screenScales()
{
    QList<QuorFloatingPanelController::ScreenScale> scales;
    for (const QScreen* screen : QGuiApplication::screens()) {
        scales.append({screen->geometry(), screen->devicePixelRatio()});
    }
    return scales;
}
} // namespace

QuorFloatingPanelController::QuorFloatingPanelController(QSize size, bool dismissOnResignKey,
                                                         std::function<void()> onDismiss, QObject* parent)
    : QObject(parent), size(size), dismissOnResignKey(dismissOnResignKey), onDismiss(std::move(onDismiss))
{
}

QuorFloatingPanelController::~QuorFloatingPanelController()
{
    stopMonitoring();
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

QPointF QuorFloatingPanelController::logicalPosition(QPointF devicePosition, const QList<ScreenScale>& screens)
{
    if (screens.isEmpty()) {
        return devicePosition;
    }
    const ScreenScale* on = &screens.first();
    for (const ScreenScale& screen : screens) {
        const QRectF device(screen.geometry.topLeft(), QSizeF(screen.geometry.size()) * screen.devicePixelRatio);
        if (device.contains(devicePosition)) {
            on = &screen;
            break;
        }
    }
    const QPointF origin = on->geometry.topLeft();
    const qreal ratio = on->devicePixelRatio > 0 ? on->devicePixelRatio : 1.0;
    return origin + (devicePosition - origin) / ratio;
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
        // Monitoring follows the panel, whoever shows or hides it (Hide puts panels away too).
        m_panel->installEventFilter(this);
    }
    return m_panel.get();
}

void QuorFloatingPanelController::show(bool centeredOnActiveScreen, std::optional<QRect> anchorFrame,
                                       const ContentBuilder& content)
{
    QuorFloatingNSPanel* panel = ensurePanel();
    panel->setTakesKeyboard(takesKeyboard);
    panel->setContent(content ? content() : new QWidget);
    panel->resize(size);
    if (anchorFrame) {
        panel->move(anchorFrame->topLeft());
    } else if (centeredOnActiveScreen) {
        if (const QScreen* screen = screenUnderPointer()) {
            panel->move(centredOrigin(size, screen->availableGeometry()));
        }
    }
    m_isKey = true;
    panel->show();
    panel->raise();
    if (takesKeyboard) {
        panel->activateWindow();
    }
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
    m_isKey = false;
    // The host may delete this controller from its handler: call through a copy.
    if (const std::function<void()> dismissed = onDismiss) {
        dismissed();
    }
}

void QuorFloatingPanelController::windowDidResignKey()
{
    m_isKey = false;
    if (dismissOnResignKey) {
        hide();
    }
}

void QuorFloatingPanelController::startMonitoring()
{
    if (isMonitoring()) {
        return;
    }
    // Escape typed into this application's own windows.
    qApp->installEventFilter(this);
    // Escape and clicks in other applications.
    if (!m_monitor) {
        m_monitor = std::make_unique<quor::platform::GlobalMouseMonitor>();
        connect(m_monitor.get(), &quor::platform::GlobalMouseMonitor::buttonEvent, this,
                &QuorFloatingPanelController::handleGlobalPress);
        connect(m_monitor.get(), &quor::platform::GlobalMouseMonitor::keyPressed, this,
                &QuorFloatingPanelController::handleGlobalKey);
    }
    quor::platform::GlobalMouseMonitor::Options options;
    options.reportedKeysyms = {XK_Escape};
    m_monitor->start(options);
    m_monitoring = true;
}

void QuorFloatingPanelController::stopMonitoring()
{
    if (!m_monitoring) {
        return;
    }
    m_monitoring = false;
    qApp->removeEventFilter(this);
    if (m_monitor) {
        m_monitor->stop();
    }
}

void QuorFloatingPanelController::handleGlobalPress(const quor::platform::MouseButtonEvent& event)
{
    if (!isVisible() || event.kind != quor::platform::MouseButtonEvent::Kind::press
        || (event.button != kLeftButton && event.button != kRightButton)) {
        return;
    }
    // The monitor reports device pixels; the panel lives in logical coordinates.
    const QPointF position = logicalPosition(event.position, screenScales());
    if (m_panel->frameGeometry().contains(position.toPoint())) {
        m_isKey = true;
        return;
    }
    windowDidResignKey();
}

void QuorFloatingPanelController::handleGlobalKey(const quor::platform::KeyPressEvent& event)
{
    // With one of this application's windows focused the event filter decides.
    if (isVisible() && m_isKey && event.keysym == XK_Escape && QGuiApplication::focusWindow() == nullptr) {
        hide();
    }
}

bool QuorFloatingPanelController::takesEscapeFrom(QObject* receiver) const
{
    if (!isVisible() || !m_isKey || !receiver->isWidgetType()) {
        return false;
    }
    // The window sees a key its focused widget and every parent below it left unused: a field that
    // uses Escape keeps it.
    const auto* window = static_cast<const QWidget*>(receiver);
    if (!window->isWindow() || window == m_panel.get()) {
        return false;
    }
    // Popups and dialogs close on their own Escape.
    if (QApplication::activePopupWidget() != nullptr || QApplication::activeModalWidget() != nullptr
        || qobject_cast<const QDialog*>(window) != nullptr) {
        return false;
    }
    const Qt::WindowType type = window->windowType();
    return type != Qt::Dialog && type != Qt::Sheet && type != Qt::Popup;
}

bool QuorFloatingPanelController::eventFilter(QObject* watched, QEvent* event)
{
    if (m_panel && watched == m_panel.get()) {
        if (event->type() == QEvent::Show) {
            m_isKey = true;
            startMonitoring();
        } else if (event->type() == QEvent::Hide) {
            stopMonitoring();
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
        && takesEscapeFrom(watched)) {
        hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
