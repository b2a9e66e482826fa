#include "QuorKit/Design/QuorPopoverWindow.h"

#include "QuorKit/Design/QuorKeyboardReach.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {
// A click on the opening control that closed the popover (as a click outside it) must not reopen it.
constexpr qint64 kReopenGuardMs = 250;
// How long after opening a lost focus is still the opening click's doing.
constexpr qint64 kOpeningClickMs = 600;
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
    const Qt::FocusReason reason = byKeyboard ? Qt::ShortcutFocusReason : Qt::OtherFocusReason;
    if (first != nullptr && first->isVisible() && first->isEnabled()) {
        first->setFocus(reason);
        return;
    }
    // The first control as the layouts place it, which a screen reader then announces.
    for (QWidget* stop : QuorKeyboardReach::tabStops(this)) {
        if (stop->isVisible() && stop->isEnabled()) {
            stop->setFocus(reason);
            return;
        }
    }
}

bool QuorPopoverWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        m_sinceShown.start();
        break;
    case QEvent::WindowDeactivate:
        if (isVisible()) {
            // A window opened from inside it that takes the focus is not the user leaving either.
            if (opensFrom(QApplication::activeWindow(), this)) {
                break;
            }
            // The click that opened it may still hand the focus back to the window it came from
            // once the button goes up; that is not the user leaving.
            if (m_sinceShown.isValid() && m_sinceShown.elapsed() < kOpeningClickMs) {
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
    emit leftByFocus();
    close();
    // Opened from another popover that has lost the focus as well: the user left both.
    auto* outer = parentWidget() != nullptr ? qobject_cast<QuorPopoverWindow*>(parentWidget()->window()) : nullptr;
    if (outer != nullptr && outer->isVisible() && QApplication::activeWindow() != outer
        && !opensFrom(QApplication::activeWindow(), outer)) {
        outer->leave();
    }
}

void QuorPopoverWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // Back to the window it opened from, where the focus was, if that one still shows (a menu
        // a notice came from has closed; asked to take the focus, it would take it when it next
        // opens). Asked before this one goes, or the window manager hands the focus to a window of
        // its own choosing as this one disappears.
        if (QWidget* opener = parentWidget(); opener != nullptr && opener->window()->isVisible()) {
            opener->window()->activateWindow();
        }
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
