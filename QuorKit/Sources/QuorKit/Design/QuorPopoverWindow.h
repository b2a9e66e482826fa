#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

// A small frameless window that opens next to a control and closes when the user turns elsewhere
// (another window takes the focus) or presses Escape, as a popup does; but a real window, not a
// popup: screen readers list it among the application's windows with its title and report the
// focus inside it, and it keeps the keyboard focus it is given. Closing honours
// Qt::WA_DeleteOnClose. With a parent it stays above the parent's window. A window opened from one
// of its controls (a notice) may take the focus without closing it; leaving that one for another
// window leaves both. Escape hands the keyboard back to the control it was opened from, and a
// popover that gets it back is the user's again at once: turning elsewhere then leaves it. Closed
// in any other way (the window manager), it leaves the popover it came from too unless the focus
// comes back there.
class QuorPopoverWindow : public QWidget {
    Q_OBJECT
public:
    explicit QuorPopoverWindow(const QString& title, QWidget* parent = nullptr);

    // Whether another window took the focus and so closed it a moment ago: the click on the
    // control that opens it, which did so, must not open it again.
    bool closedJustNow() const;
    // Shows it, brings it forward and gives the keyboard focus to `first`, else to its first
    // control, which wears its ring from the start when `byKeyboard`.
    void present(bool byKeyboard, QWidget* first = nullptr);

signals:
    // Closing because another window took the focus (a click outside it).
    void leftByFocus();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Closing { unasked, byEscape, handedBack, byLeaving };

    void leave();
    // Escape: goes, and hands the focus back to the control it was opened from (first, when that
    // is in a popover).
    void escape();
    // The focus has moved while Escape handed it back: gone, or left with the window it came from.
    void handedBack();
    // A window opened from `opener`, one of its controls, has gone: the focus may come back here,
    // as asked (`asked`, Escape) or as the window manager chooses; wherever else it goes, the
    // user has left.
    void awaitFocus(QWidget* opener, bool asked);
    void followFocus();

    QElapsedTimer m_focusGrace;
    QElapsedTimer m_sinceLeft;
    Closing m_closing = Closing::unasked;
    bool m_awaitingFocus = false;
    bool m_askedForFocus = false;
    bool m_askedAgain = false;
    QTimer m_focusDeadline;
    QTimer m_handBackDeadline;
};
