#include "QuorKit/Design/QuorPopoverWindow.h"

#include "QuorKit/Design/QuorKeyboardReach.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

#include <utility>

namespace {
// A click on the opening control that closed the popover (as a click outside it) must not reopen it.
constexpr qint64 kReopenGuardMs = 250;
// How long after the popover opened, or got the focus back, a lost focus is still not the user's
// doing: the opening click may hand the focus back to the window it came from once the button
// goes up, and the window manager may give it to a window of its own choosing once more as a
// window opened from the popover disappears.
constexpr qint64 kFocusGraceMs = 600;
// How long the focus may take to come back once a window opened from the popover has gone: asked
// back (Escape), the window manager's reply to the request; not asked (the window manager closed
// that window), the window it picks as that one disappears, which it does at once.
constexpr int kAskedFocusMs = 4000;
constexpr int kUnaskedFocusMs = 600;
// Read as a window with its title, not as a nameless pane.
QAccessibleInterface* windowFactory(const QString& /*className*/, QObject* object)
{
    auto* window = qobject_cast<QuorPopoverWindow*>(object);
    return window != nullptr ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

// Whether `window` is another window opened from one of `popover`'s controls (a notice under a button).
bool opensFrom(const QWidget* window, const QWidget* popover)
{
    for (const QWidget* w = window != nullptr ? window->parentWidget() : nullptr; w != nullptr; w = w->parentWidget()) {
        if (w == popover) {
            return true;
        }
    }
    return false;
}

// Whether the application's active window is `popover` or a window opened from it.
bool holdsFocus(const QWidget* popover)
{
    const QWidget* active = QApplication::activeWindow();
    return active == popover || opensFrom(active, popover);
}

// Back to `opener`'s window, on `opener` when it takes the keyboard. Asked only once the window
// that goes is unmapped: the window manager first gives the focus to a window of its own choosing
// as that one disappears, and a request sent before then would lose to that choice.
void giveBack(QWidget* opener)
{
    if (opener->isVisible() && opener->isEnabled() && (opener->focusPolicy() & Qt::TabFocus) != 0) {
        // The window's focus, which it takes up when it is active again.
        opener->setFocus(Qt::OtherFocusReason);
    }
    opener->window()->activateWindow();
}
} // namespace

QuorPopoverWindow::QuorPopoverWindow(const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&windowFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setWindowTitle(title);
    m_sinceLeft.invalidate();
    m_focusDeadline.setSingleShot(true);
    connect(&m_focusDeadline, &QTimer::timeout, this, [this] {
        m_awaitingFocus = false;
        if (isVisible() && !holdsFocus(this)) {
            leave();
        }
    });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &QuorPopoverWindow::followFocus);
}

bool QuorPopoverWindow::closedJustNow() const
{
    return m_sinceLeft.isValid() && m_sinceLeft.elapsed() < kReopenGuardMs;
}

void QuorPopoverWindow::present(bool byKeyboard, QWidget* first)
{
    show();
    raise();
    activateWindow();
    if (first == nullptr || !first->isVisible() || !first->isEnabled()) {
        // The first control as the layouts place it, which a screen reader then announces.
        first = nullptr;
        for (QWidget* stop : QuorKeyboardReach::tabStops(this)) {
            if (stop->isVisible() && stop->isEnabled()) {
                first = stop;
                break;
            }
        }
    }
    if (first == nullptr) {
        return;
    }
    // The focus it takes up when the window manager has made it the active window.
    first->setFocus(Qt::OtherFocusReason);
    if (byKeyboard) {
        QuorKeyboardReach::ringOnOpening(this, first);
    }
}

bool QuorPopoverWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        m_focusGrace.start();
        m_closing = Closing::unasked;
        break;
    case QEvent::Hide: {
        // After the window is unmapped, so that what follows reaches the window manager after it.
        const Closing how = std::exchange(m_closing, Closing::unasked);
        m_awaitingFocus = false;
        m_focusDeadline.stop();
        QWidget* opener = parentWidget();
        // Leaving, it has already seen to the window it came from.
        if (how == Closing::byLeaving || opener == nullptr || !opener->window()->isVisible()) {
            break;
        }
        if (auto* outer = qobject_cast<QuorPopoverWindow*>(opener->window())) {
            outer->awaitFocus(opener, how == Closing::byEscape);
        } else if (how == Closing::byEscape) {
            giveBack(opener);
        }
        break;
    }
    case QEvent::WindowActivate:
        if (m_awaitingFocus) {
            // Back, as awaited.
            m_awaitingFocus = false;
            m_focusDeadline.stop();
            m_focusGrace.start();
        }
        break;
    case QEvent::WindowDeactivate:
        // Hiding takes the focus away at once; that is the window going, not the user leaving.
        if (isVisible() && !isHidden()) {
            // A window opened from inside it that takes the focus is not the user leaving either.
            if (opensFrom(QApplication::activeWindow(), this)) {
                break;
            }
            if (m_focusGrace.isValid() && m_focusGrace.elapsed() < kFocusGraceMs) {
                QTimer::singleShot(0, this, [this] { activateWindow(); });
            } else {
                leave();
            }
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void QuorPopoverWindow::leave()
{
    m_sinceLeft.start();
    m_awaitingFocus = false;
    m_focusDeadline.stop();
    m_closing = Closing::byLeaving;
    emit leftByFocus();
    close();
    // Opened from another popover that has lost the focus as well: the user left both.
    auto* outer = parentWidget() != nullptr ? qobject_cast<QuorPopoverWindow*>(parentWidget()->window()) : nullptr;
    if (outer != nullptr && outer->isVisible() && !holdsFocus(outer)) {
        outer->leave();
    }
}

void QuorPopoverWindow::awaitFocus(QWidget* opener, bool asked)
{
    if (!isVisible()) {
        return;
    }
    m_awaitingFocus = true;
    m_askedForFocus = asked;
    m_askedAgain = false;
    m_focusDeadline.start(asked ? kAskedFocusMs : kUnaskedFocusMs);
    if (asked) {
        giveBack(opener);
    } else if (opener->isVisible() && opener->isEnabled() && (opener->focusPolicy() & Qt::TabFocus) != 0) {
        // Should the focus come back, it comes to the control the window was opened from.
        opener->setFocus(Qt::OtherFocusReason);
    }
    followFocus();
}

void QuorPopoverWindow::followFocus()
{
    if (!m_awaitingFocus || !isVisible()) {
        return;
    }
    QWidget* active = QApplication::activeWindow();
    if (holdsFocus(this)) {
        m_awaitingFocus = false;
        m_focusDeadline.stop();
        m_focusGrace.start();
        return;
    }
    // None of the application's windows has it (yet): the deadline decides.
    if (active == nullptr) {
        return;
    }
    if (!m_askedForFocus) {
        leave();
        return;
    }
    // The window manager's pick as the other window went, before it turned to the request; asked
    // again in case the request came first.
    if (!m_askedAgain) {
        m_askedAgain = true;
        activateWindow();
    }
}

void QuorPopoverWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // The focus goes back to the control it was opened from once it is gone (see the Hide
        // event).
        m_closing = Closing::byEscape;
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
