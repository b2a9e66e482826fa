#pragma once

#include "QuorZubApp/Views/ZubFloatingBarDismissSource.h"

// Stands in for the desktop's global input monitor: the test emits the events itself.
class FakeDismissSource : public ZubFloatingBarDismissSource {
public:
    using ZubFloatingBarDismissSource::ZubFloatingBarDismissSource;
    void start() override { running = true; }
    void stop() override { running = false; }
    bool running = false;
};
