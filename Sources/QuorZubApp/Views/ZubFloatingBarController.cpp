#include "QuorZubApp/Views/ZubFloatingBarController.h"

#include "QuorZubApp/Views/ZubFloatingBarContentView.h"
#include "QuorZubApp/Views/ZubFloatingBarDismissSource.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubApp/Views/ZubFloatingPanel.h"

#include "QuorKit/Design/QuorAnimation.h"
#include "QuorZubCore/Engine/ZubFloatingBarLayoutMetrics.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVariantAnimation>

#include <algorithm>

namespace {
constexpr double kMargin = 12;
constexpr int kHideCleanupMs = 150;
constexpr int kFrameAnimationMs = 200;
constexpr int kContainsSlack = 6;
constexpr double kLongestHideDelaySeconds = 24.0 * 3600.0;
} // namespace

ZubFloatingBarController::ZubFloatingBarController(QObject* parent)
    : QObject(parent), m_state(new ZubFloatingBarState(this))
{
    for (QTimer* timer : {&m_autoHideTimer, &m_hideCleanupTimer, &m_presentTimer}) {
        timer->setSingleShot(true);
    }
    m_hideCleanupTimer.setInterval(kHideCleanupMs);
    m_presentTimer.setInterval(0);

    connect(&m_presentTimer, &QTimer::timeout, this, [this] {
        // Only the presentation that started this turn may spring in.
        if (m_presentToken == m_presentationToken) {
            m_state->setIsPresented(true);
        }
    });
    connect(&m_hideCleanupTimer, &QTimer::timeout, this, [this] {
        // A show since this hide started owns the panel now.
        if (m_hideCleanupToken == m_presentationToken) {
            orderOut();
            resetTransientState();
        }
    });
    connect(&m_autoHideTimer, &QTimer::timeout, this, [this] {
        if (!m_state->isExpanded() && !m_state->isHovering()) {
            hide(true);
        }
    });
}

ZubFloatingBarController::~ZubFloatingBarController()
{
    removeDismissMonitors();
    // The panel goes first: tearing it down may still report hover changes to this controller.
    m_panel.reset();
}

QWidget* ZubFloatingBarController::panel() const
{
    return m_panel.get();
}

ZubFloatingPanel* ZubFloatingBarController::ensurePanel()
{
    if (m_panel) {
        return m_panel.get();
    }
    auto panel = std::make_unique<ZubFloatingPanel>();
    const QPointer<ZubFloatingBarController> self(this);
    panel->onEscapePressed = [self] {
        if (self) {
            self->hide(true);
        }
    };
    // Each callback holds the controller weakly and does nothing once it or its target is gone.
    ZubFloatingBarContentView::Callbacks callbacks;
    callbacks.onSelectAction = [self](const ZubActionDefinition& action) {
        if (self && self->onSelectAction) {
            self->onSelectAction(action);
        }
    };
    callbacks.onCopyResult = [self](const ZubExecutionResult& result) {
        if (self && self->onCopyResult) {
            self->onCopyResult(result);
        }
    };
    callbacks.onReplaceSelection = [self](const QString& text) {
        if (self && self->onReplaceSelection) {
            self->onReplaceSelection(text);
        }
    };
    callbacks.onSpeakResult = [self](const ZubExecutionResult& result) {
        if (self && self->onSpeakResult) {
            self->onSpeakResult(result);
        }
    };
    callbacks.onSaveQRImage = [self](const QByteArray& png) {
        if (self && self->onSaveQRImage) {
            self->onSaveQRImage(png);
        }
    };
    callbacks.onCycleTargetLanguage = [self] {
        if (self && self->onCycleTargetLanguage) {
            self->onCycleTargetLanguage();
        }
    };
    callbacks.onHoverChanged = [self](bool hovering) {
        if (self) {
            self->setHovering(hovering);
        }
    };
    callbacks.onDismiss = [self] {
        if (self) {
            self->hide(true);
        }
    };
    panel->setContent(new ZubFloatingBarContentView(m_state, std::move(callbacks), QuorProductPalette::deepCoral));
    m_panel = std::move(panel);
    return m_panel.get();
}

QSize ZubFloatingBarController::computePanelSize() const
{
    const bool hasQRCode = m_state->result() && m_state->result()->qrPNGData.has_value();
    const QSizeF size = ZubFloatingBarLayoutMetrics::computePanelSize(
        static_cast<int>(m_state->actions().size()), m_state->isExpanded(), m_state->isExecuting(), hasQRCode);
    return size.toSize();
}

QRect ZubFloatingBarController::anchoredFrame(QSize size, QPoint anchor, const QList<ScreenArea>& screens,
                                              int primaryIndex, std::optional<int> keepTopEdge)
{
    QRect available(0, 0, 1440, 900);
    const auto holder = std::find_if(screens.begin(), screens.end(),
                                     [anchor](const ScreenArea& screen) { return screen.frame.contains(anchor); });
    if (holder != screens.end()) {
        available = holder->available;
    } else if (primaryIndex >= 0 && primaryIndex < screens.size()) {
        available = screens[primaryIndex].available;
    } else if (!screens.isEmpty()) {
        available = screens.first().available;
    }
    // The metrics think y-up; screens here are y-down. Negating y flips once, and keeps every
    // screen's own origin.
    const QRectF visibleUp(available.x(), -(available.y() + available.height()), available.width(), available.height());
    const QPointF anchorUp(anchor.x(), -anchor.y());
    std::optional<double> keepTopUp;
    if (keepTopEdge) {
        keepTopUp = -static_cast<double>(*keepTopEdge);
    }
    const QRectF frameUp = ZubFloatingBarLayoutMetrics::computeAnchoredFrame(QSizeF(size), anchorUp, visibleUp,
                                                                             keepTopUp, kMargin);
    const int top = static_cast<int>(-(frameUp.y() + frameUp.height()));
    return {static_cast<int>(frameUp.x()), top, size.width(), size.height()};
}

QRect ZubFloatingBarController::computeAnchoredFrame(QSize size, std::optional<int> keepTopEdge) const
{
    QList<ScreenArea> screens;
    const QList<QScreen*> all = QGuiApplication::screens();
    for (const QScreen* screen : all) {
        screens.append({screen->geometry(), screen->availableGeometry()});
    }
    const int primary = static_cast<int>(all.indexOf(QGuiApplication::primaryScreen()));
    return anchoredFrame(size, m_anchorPoint, screens, primary, keepTopEdge);
}

void ZubFloatingBarController::setPanelFrame(const QRect& frame, bool animated)
{
    if (m_frameAnimation) {
        m_frameAnimation->stop();
        m_frameAnimation->deleteLater();
    }
    if (!animated || !QuorAnimation::enabled() || m_panel->geometry() == frame) {
        m_panel->setGeometry(frame);
        return;
    }
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(m_panel->geometry());
    animation->setEndValue(frame);
    animation->setDuration(kFrameAnimationMs);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (m_panel) {
            m_panel->setGeometry(value.toRect());
        }
    });
    m_frameAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ZubFloatingBarController::show(const QString& text, const std::optional<QString>& detectedLanguageCode,
                                    const QList<ZubActionDefinition>& actions, QuorLanguage language,
                                    ZubTargetLanguage targetLanguage, QPoint near, bool canReplaceInPlace,
                                    double hideDelaySeconds)
{
    // A hide still fading out is abandoned and will not order the panel out.
    m_hideCleanupTimer.stop();
    m_presentTimer.stop();
    ++m_presentationToken;
    m_anchorPoint = near;
    m_currentHideDelay = hideDelaySeconds;

    m_state->setIsPresented(false);
    m_state->setSourceText(text);
    m_state->setDetectedLanguageCode(detectedLanguageCode);
    m_state->setActions(actions);
    m_state->setLanguage(language);
    m_state->setTargetLanguage(targetLanguage);
    m_state->setCanReplaceInPlace(canReplaceInPlace);
    m_state->setActiveActionID(std::nullopt);
    m_state->setIsExecuting(false);
    m_state->setResult(std::nullopt);
    m_state->setCachedQRImage(std::nullopt);
    m_state->setIsSpeaking(false);
    m_state->setIsHovering(false);

    ZubFloatingPanel* panel = ensurePanel();
    setPanelFrame(computeAnchoredFrame(computePanelSize(), std::nullopt), false);
    if (!panel->isVisible()) {
        panel->refreshShape();
        panel->show();
    }
    panel->raise();

    installDismissMonitors();
    scheduleAutoHideIfIdle();

    // The content springs in one event-loop turn after the panel is on screen.
    m_presentToken = m_presentationToken;
    m_presentTimer.start();
}

bool ZubFloatingBarController::isUp() const
{
    return (m_panel && m_panel->isVisible()) || m_state->isPresented();
}

void ZubFloatingBarController::hide(bool animated)
{
    const bool active = isUp();
    if (!m_monitorsInstalled && !m_autoHideTimer.isActive() && !m_hideCleanupTimer.isActive()
        && !m_presentTimer.isActive() && !active) {
        return;
    }
    m_autoHideTimer.stop();
    m_hideCleanupTimer.stop();
    m_presentTimer.stop();
    removeDismissMonitors();
    if (!active) {
        return;
    }
    ++m_presentationToken;
    if (onDismiss) {
        onDismiss();
    }
    m_state->setIsPresented(false);
    if (animated) {
        m_hideCleanupToken = m_presentationToken;
        m_hideCleanupTimer.start();
    } else {
        orderOut();
        resetTransientState();
    }
}

void ZubFloatingBarController::orderOut()
{
    if (m_frameAnimation) {
        m_frameAnimation->stop();
    }
    if (m_panel) {
        m_panel->hide();
    }
}

void ZubFloatingBarController::resetTransientState()
{
    m_state->setIsExecuting(false);
    m_state->setActiveActionID(std::nullopt);
    m_state->setResult(std::nullopt);
    m_state->setCachedQRImage(std::nullopt);
    m_state->setIsHovering(false);
}

void ZubFloatingBarController::beginExecution(const ZubActionDefinition& action)
{
    m_autoHideTimer.stop();
    m_state->setActiveActionID(action.id);
    m_state->setIsExecuting(true);
    m_state->setResult(std::nullopt);
    m_state->setCachedQRImage(std::nullopt);
    resizeForState();
}

void ZubFloatingBarController::presentResult(const ZubExecutionResult& result)
{
    m_autoHideTimer.stop();
    m_state->setIsExecuting(false);
    std::optional<QImage> qrImage;
    if (result.qrPNGData) {
        const QImage decoded = QImage::fromData(*result.qrPNGData, "PNG");
        if (!decoded.isNull()) {
            qrImage = decoded;
        }
    }
    m_state->setCachedQRImage(qrImage);
    m_state->setResult(result);
    resizeForState();
}

void ZubFloatingBarController::resizeForState()
{
    if (!m_panel || !m_panel->isVisible()) {
        return;
    }
    // Grows downwards from the current top edge, unless the bottom margin pushes it up.
    const int top = m_frameAnimation ? m_frameAnimation->endValue().toRect().top() : m_panel->geometry().top();
    setPanelFrame(computeAnchoredFrame(computePanelSize(), top), true);
}

void ZubFloatingBarController::updateTargetLanguage(ZubTargetLanguage language)
{
    m_state->setTargetLanguage(language);
}

bool ZubFloatingBarController::containsScreenPoint(QPoint point) const
{
    if (!m_panel || !m_panel->isVisible() || !m_state->isPresented()) {
        return false;
    }
    return m_panel->geometry()
        .adjusted(-kContainsSlack, -kContainsSlack, kContainsSlack, kContainsSlack)
        .contains(point);
}

void ZubFloatingBarController::setHovering(bool hovering)
{
    if (hovering == m_state->isHovering()) {
        return;
    }
    m_state->setIsHovering(hovering);
    if (hovering) {
        m_autoHideTimer.stop();
    } else if (m_state->isPresented()) {
        scheduleAutoHideIfIdle();
    }
}

void ZubFloatingBarController::scheduleAutoHideIfIdle()
{
    m_autoHideTimer.stop();
    // Zero or less turns auto-hide off (so does a delay that is not a number).
    if (!(m_currentHideDelay > 0) || m_state->isExpanded() || m_state->isHovering()) {
        return;
    }
    // A short positive delay still leaves time to reach the bar; a huge one must not overflow
    // the timer's milliseconds into an immediate hide.
    const double seconds = std::min(std::max(m_currentHideDelay, 1.5), kLongestHideDelaySeconds);
    m_autoHideTimer.start(static_cast<int>(seconds * 1000.0));
}

void ZubFloatingBarController::setDismissEventSource(ZubFloatingBarDismissSource* source)
{
    const bool wasInstalled = m_monitorsInstalled;
    removeDismissMonitors();
    m_dismissSource = source;
    if (wasInstalled) {
        installDismissMonitors();
    }
}

void ZubFloatingBarController::installDismissMonitors()
{
    removeDismissMonitors();
    if (m_dismissSource) {
        m_sourceConnections << connect(m_dismissSource, &ZubFloatingBarDismissSource::mouseDown, this,
                                       &ZubFloatingBarController::handleOutsideClick);
        m_sourceConnections << connect(m_dismissSource, &ZubFloatingBarDismissSource::escapePressed, this,
                                       [this] { hide(true); });
        m_dismissSource->start();
    }
    // Escape typed into this application's own windows.
    qApp->installEventFilter(this);
    m_monitorsInstalled = true;
}

void ZubFloatingBarController::removeDismissMonitors()
{
    if (!m_monitorsInstalled) {
        return;
    }
    for (const QMetaObject::Connection& connection : std::as_const(m_sourceConnections)) {
        disconnect(connection);
    }
    m_sourceConnections.clear();
    if (m_dismissSource) {
        m_dismissSource->stop();
    }
    if (qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
    m_monitorsInstalled = false;
}

void ZubFloatingBarController::handleOutsideClick(QPoint point)
{
    if (m_panel && m_panel->isVisible() && m_state->isPresented() && !containsScreenPoint(point)) {
        hide(true);
    }
}

bool ZubFloatingBarController::eventFilter(QObject* watched, QEvent* event)
{
    const bool escape = (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
                        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (!escape) {
        return QObject::eventFilter(watched, event);
    }
    // An open popup of ours (a combo box's list, a context menu) takes Escape first. A combo box's
    // list closes on the key's shortcut override, before the key itself arrives; the override and
    // the key (each seen once per receiver, window and widget) carry the same time stamp.
    const quint64 timestamp = static_cast<QKeyEvent*>(event)->timestamp();
    if (event->type() == QEvent::ShortcutOverride) {
        if (QApplication::activePopupWidget() != nullptr) {
            m_popupEscapeTimestamp = timestamp;
        } else if (m_popupEscapeTimestamp != timestamp) {
            m_popupEscapeTimestamp.reset();
        }
        return QObject::eventFilter(watched, event);
    }
    const bool takenByPopup = m_popupEscapeTimestamp == timestamp || QApplication::activePopupWidget() != nullptr;
    // A modal dialog (saving a QR image) owns its Escape too: it cancels the dialog, not the bar.
    if (!takenByPopup && m_panel && m_panel->isVisible() && m_state->isPresented()
        && QApplication::activeModalWidget() == nullptr) {
        hide(true);
        return true; // consumed
    }
    return QObject::eventFilter(watched, event);
}
