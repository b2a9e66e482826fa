#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

class QWidget;
class QuorFocusRing;

// Keyboard use of every window that takes focus, in one place rather than per widget: the kit's
// and the application's buttons join the Tab chain (clicks still leave the focus where it was),
// Enter presses a focused button as Space does, Tab follows the order in which the layouts place
// the controls, a control the keyboard reaches is scrolled into view, a focus ring in the glass
// style follows the focus while the keyboard is in use, and screen readers get names and roles for
// the buttons. Windows that never take focus (the floating bar) are left alone. Install once, on
// the GUI thread.
class QuorKeyboardAccess : public QObject {
    Q_OBJECT
public:
    struct RingLook {
        QColor color;
        double width = 0;
        double cornerRadius = 0;
        // How far the ring stands outside the control's edge.
        int outset = 0;
        bool operator==(const RingLook& other) const = default;
    };
    // The ring around a control of `size`: a capsule for pills, rounded corners otherwise.
    static RingLook ringLook(QSize size);

    // Idempotent.
    static void install();
    static QuorKeyboardAccess* instance();

    // The control the ring is drawn around now (none while the pointer is in use).
    QWidget* ringTarget() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit QuorKeyboardAccess(QObject* parent);
    void setKeyboardInUse(bool inUse);
    void updateRing();

    bool m_keyboardInUse = false;
    QPointer<QuorFocusRing> m_ring;
};
