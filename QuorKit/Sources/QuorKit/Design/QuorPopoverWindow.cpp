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
// How long after the popover opened a lost focus is still the opening click's doing: that click
// may hand the focus back to the window it came from once the button goes up.
constexpr qint64 kFocusGraceMs = 600;
// How long a window closing by Escape waits for the window manager to give the focus back to the
// popover it was opened from before it goes all the same.
constexpr int kHandBackMs = 1000;
// How long the focus may take to come back once a window opened from the popover has gone: asked
// back (Escape, when the focus was not back before it went), the window manager's reply to the
// request; not asked (the window manager closed that window), the window it picks as that one
// disappears, which it does at once.
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

// Back to `opener`'s window, on `opener` when it takes the keyboard.
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
    m_handBackDeadline.setSingleShot(true);
    // The window manager did not answer: gone all the same, and the focus asked back once it is.
    connect(&m_handBackDeadline, &QTimer::timeout, this, [this] { close(); });
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
        m_handBackDeadline.stop();
        QWidget* opener = parentWidget();
        // Leaving, or with the focus handed back, it has already seen to the window it came from.
        if (how == Closing::byLeaving || how == Closing::handedBack || opener == nullptr
            || !opener->window()->isVisible()) {
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
        }
        break;
    case QEvent::WindowDeactivate:
        // Hiding takes the focus away at once; that is the window going, not the user leaving.
        if (isVisible() && !isHidden()) {
            if (m_closing == Closing::byEscape) {
                handedBack();
                break;
            }
            // A window opened from inside it that takes the focus is not the user leaving either;
            // and the opening click is over by then.
            if (opensFrom(QApplication::activeWindow(), this)) {
                m_focusGrace.invalidate();
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
        escape();
        return;
    }
    QWidget::keyPressEvent(event);
}

void QuorPopoverWindow::escape()
{
    if (m_closing == Closing::byEscape) {
        return;
    }
    m_closing = Closing::byEscape;
    QWidget* opener = parentWidget();
    const auto* outer = opener != nullptr ? qobject_cast<QuorPopoverWindow*>(opener->window()) : nullptr;
    if (outer == nullptr || !outer->isVisible() || QApplication::activeWindow() != this) {
        // The focus is asked back, if at all, once it is gone (see the Hide event).
        close();
        return;
    }
    // Back to a popover, handed back while this one still shows: a focused window that disappears
    // leaves the window manager to pick another one, at times after the request and over it, and
    // the popover would take that for the user leaving. Gone once the focus has moved (see the
    // WindowDeactivate event).
    giveBack(opener);
    m_handBackDeadline.start(kHandBackMs);
}

void QuorPopoverWindow::handedBack()
{
    m_handBackDeadline.stop();
    QWidget* opener = parentWidget();
    if (opener != nullptr && holdsFocus(opener->window())) {
        m_closing = Closing::handedBack;
        close();
        return;
    }
    // The focus went elsewhere in the meantime (a click on another window, another window
    // brought forward): the user has turned away from it and from the window it came from.
    leave();
}
