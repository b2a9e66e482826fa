#pragma once

#include <QObject>
#include <QPoint>

// Input the floating bar must see while it is up although it never has the keyboard: mouse presses
// and Escape in other applications. The desktop's global input monitor provides it; tests inject
// their own. Signals may come from any thread.
class ZubFloatingBarDismissSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Deliver events from now on / stop delivering them.
    virtual void start() = 0;
    virtual void stop() = 0;

signals:
    // A left or right button went down in another application (global coordinates).
    void mouseDown(QPoint globalPosition);
    // Escape was pressed in another application.
    void escapePressed();
};
