#include "QuorKit/Design/QuorKeyboardAccess.h"

#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorKeyboardReach.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace {
bool takesFocus(const QWidget* widget)
{
    const QWidget* window = widget->window();
    return !window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus)
        && !window->testAttribute(Qt::WA_ShowWithoutActivating);
}

// Menus draw their own highlight.
bool wantsRing(const QWidget* widget)
{
    return widget != nullptr && !widget->isWindow() && takesFocus(widget) && qobject_cast<const QMenu*>(widget) == nullptr
        && qobject_cast<const QMenuBar*>(widget) == nullptr;
}

// The part of `widget` its ancestors leave visible, in `window` coordinates.
QRect visibleRectIn(const QWidget* widget, const QWidget* window)
{
    QRect visible(widget->mapTo(window, QPoint(0, 0)), widget->size());
    for (const QWidget* ancestor = widget->parentWidget(); ancestor != nullptr && ancestor != window;
         ancestor = ancestor->parentWidget()) {
        visible &= QRect(ancestor->mapTo(window, QPoint(0, 0)), ancestor->size());
    }
    return visible;
}
} // namespace

// Paints the ring around its target; a child of the target's window above everything else, which
// lets every click through.
class QuorFocusRing : public QWidget {
public:
    QuorFocusRing() : QWidget(nullptr)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("quorFocusRing"));
    }

    void follow(QWidget* target)
    {
        if (m_target != target) {
            for (QWidget* watched = m_target; watched != nullptr && !watched->isWindow(); watched = watched->parentWidget()) {
                watched->removeEventFilter(this);
            }
            m_target = target;
            // Scrolling moves an ancestor, not the target itself.
            for (QWidget* watched = m_target; watched != nullptr && !watched->isWindow(); watched = watched->parentWidget()) {
                watched->installEventFilter(this);
            }
        }
        place();
    }

    QWidget* target() const { return m_target; }

    void place()
    {
        if (!m_target) {
            hide();
            return;
        }
        QWidget* window = m_target->window();
        if (parentWidget() != window) {
            setParent(window);
        }
        if (!m_target->isVisible()) {
            hide();
            return;
        }
        m_look = QuorKeyboardAccess::ringLook(m_target->size());
        const QRect target(m_target->mapTo(window, QPoint(0, 0)), m_target->size());
        const QRect frame = target.adjusted(-m_look.outset, -m_look.outset, m_look.outset, m_look.outset);
        // Clipped where a scroll area hides part of the control.
        const QRect visible = visibleRectIn(m_target, window).adjusted(-m_look.outset, -m_look.outset, m_look.outset,
                                                                       m_look.outset);
        setGeometry(frame);
        setMask(QRegion(visible.translated(-frame.topLeft())));
        show();
        raise();
        update();
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            place();
            break;
        default:
            break;
        }
        return false;
    }

    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(m_look.color, m_look.width));
        painter.setBrush(Qt::NoBrush);
        const double inset = m_look.width / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), m_look.cornerRadius,
                                m_look.cornerRadius);
    }

private:
    QPointer<QWidget> m_target;
    QuorKeyboardAccess::RingLook m_look;
};

QuorKeyboardAccess::RingLook QuorKeyboardAccess::ringLook(QSize size)
{
    RingLook look;
    look.color = QColor(0x8F, 0xB8, 0xFF, 235);
    look.width = 2;
    look.outset = 3;
    const double height = size.height() + 2 * look.outset;
    look.cornerRadius = std::min(height / 2, 9.0 + look.outset);
    return look;
}

QuorKeyboardAccess::QuorKeyboardAccess(QObject* parent) : QObject(parent) {}

QuorKeyboardAccess* QuorKeyboardAccess::instance()
{
    return qApp != nullptr ? qApp->findChild<QuorKeyboardAccess*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void QuorKeyboardAccess::install()
{
    if (qApp == nullptr || instance() != nullptr) {
        return;
    }
    QAccessible::installFactory(&QuorAccessibleButton::factory);
    auto* access = new QuorKeyboardAccess(qApp);
    qApp->installEventFilter(access);
}

QWidget* QuorKeyboardAccess::ringTarget() const
{
    return m_ring && m_ring->isVisible() ? m_ring->target() : nullptr;
}

void QuorKeyboardAccess::setKeyboardInUse(bool inUse)
{
    if (inUse != m_keyboardInUse) {
        m_keyboardInUse = inUse;
        updateRing();
    }
}

void QuorKeyboardAccess::updateRing()
{
    QWidget* focus = QApplication::focusWidget();
    if (!m_keyboardInUse || !wantsRing(focus)) {
        if (m_ring) {
            m_ring->follow(nullptr);
        }
        return;
    }
    if (!m_ring) {
        // Owned by the window it is drawn in, which it joins at once.
        m_ring = new QuorFocusRing;
    }
    m_ring->follow(focus);
}

bool QuorKeyboardAccess::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Polish:
        // Buttons of focus-taking windows join the Tab chain; a click still leaves the focus alone.
        if (auto* button = qobject_cast<QAbstractButton*>(watched);
            button != nullptr && button->focusPolicy() == Qt::NoFocus && takesFocus(button)) {
            button->setFocusPolicy(Qt::TabFocus);
        }
        break;
    case QEvent::Show:
        // The first focus a window gives goes to its first control as it stands.
        if (auto* window = qobject_cast<QWidget*>(watched); window != nullptr && window->isWindow() && takesFocus(window)) {
            QuorKeyboardReach::followLayoutOrder(window);
        }
        break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0 && widget != nullptr
            && (widget == QApplication::focusWidget() || widget->isWindow()) && takesFocus(widget)) {
            // Blocks built after their window joined the Tab chain at its end; Tab meets them where they stand.
            QuorKeyboardReach::followLayoutOrder(widget->window());
        }
        auto* button = qobject_cast<QAbstractButton*>(watched);
        // A control busy with the last press keeps the focus: the next press is its own, not a neighbour's.
        if (button != nullptr && !button->isEnabled() && button->hasFocus()
            && (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            return true;
        }
        if (button != nullptr && qobject_cast<QPushButton*>(button) == nullptr && button->hasFocus()
            && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (button->isEnabled() && !key->isAutoRepeat()) {
                button->animateClick();
            }
            return true;
        }
        if (key->key() != Qt::Key_Shift && key->key() != Qt::Key_Control && key->key() != Qt::Key_Alt) {
            setKeyboardInUse(true);
        }
        break;
    }
    case QEvent::MouseButtonPress:
        setKeyboardInUse(false);
        break;
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            m_keyboardInUse = true;
        }
        // A control the keyboard or the program moved to shows; a click or a returning window
        // leaves the view where the user put it.
        if (auto* focused = qobject_cast<QWidget*>(watched);
            focused != nullptr && reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason
            && reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason && watched == QApplication::focusWidget()) {
            QuorKeyboardReach::bringIntoView(focused);
        }
        if (watched == QApplication::focusWidget()) {
            updateRing();
        }
        break;
    }
    case QEvent::FocusOut:
        if (m_ring && watched == m_ring->target()) {
            updateRing();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
