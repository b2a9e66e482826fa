#pragma once

#include <QList>
#include <QPoint>

#include <chrono>

struct _XDisplay;

// Pointer steps timed by the X server: each comes `after` the one before it, and all are sent at
// once, so the pauses of a gesture (a double click's gap, a press within a delay) hold however
// long this process waits for a CPU.
class PointerGesture {
public:
    PointerGesture& move(QPoint point, std::chrono::milliseconds after = {});
    PointerGesture& press(std::chrono::milliseconds after = {}, int button = 1);
    PointerGesture& release(std::chrono::milliseconds after = {}, int button = 1);
    PointerGesture& click(QPoint point, std::chrono::milliseconds after = {});
    // Press at `from`, move there in steps, release at `to`.
    PointerGesture& drag(QPoint from, QPoint to, std::chrono::milliseconds after = {});

    struct Step {
        enum class Kind { move, press, release } kind;
        QPoint point;
        int button = 1;
        std::chrono::milliseconds after;
    };
    QList<Step> steps;
};

// Plays `gesture` with XTest on `display`; returns once the server has played its last step.
void quorPerform(_XDisplay* display, const PointerGesture& gesture);

// Whether another client holds the pointer grabbed, as a screen-region picker does while it waits
// for a drag. Asks by grabbing it on `display` and letting go at once: a picker that retries its
// own grab (they do) does not mind.
bool quorPointerGrabbedElsewhere(_XDisplay* display);
