#pragma once

#include "Support/QuorTestWaiting.h"

#include <QObject>
#include <QPoint>

// Notes the mouse events this application receives, so a test that drives the real pointer can
// wait for each step to arrive before it makes the next: the toolkit merges moves that queue up,
// and a busy machine queues them. Only events this application gets count (the pointer over one
// of its windows, or any move while a button held down in one of them grabs the pointer).
class QuorPointerWitness : public QObject {
public:
    QuorPointerWitness();
    ~QuorPointerWitness() override;

    // Waits until a mouse event at the global point `at` has arrived since the witness was made
    // or last waited.
    bool waitForEventAt(QPoint at, std::chrono::milliseconds timeout = quorPatience);
    // Waits until a press (or a release) has arrived since the witness was made or last waited.
    bool waitForButton(bool down, std::chrono::milliseconds timeout = quorPatience);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPoint> m_points;
    int m_presses = 0;
    int m_releases = 0;
};
