#pragma once

#include "QuorZubApp/Views/ZubFloatingBarDismissSource.h"

#include <memory>

namespace quor::platform {
class GlobalMouseMonitor;
struct MouseButtonEvent;
} // namespace quor::platform

// The floating bar's outside clicks from the desktop's global mouse monitor: every left or right
// press anywhere on the display, in logical coordinates. X11 offers no way to hear Escape in other
// applications short of grabbing the key, which would take it from them, so Escape is heard only
// by this application's own windows. GUI thread only.
class ZubGlobalMouseDismissSource : public ZubFloatingBarDismissSource {
    Q_OBJECT
public:
    explicit ZubGlobalMouseDismissSource(QObject* parent = nullptr);
    ~ZubGlobalMouseDismissSource() override;

    void start() override;
    void stop() override;

private:
    void handle(const quor::platform::MouseButtonEvent& event);

    std::unique_ptr<quor::platform::GlobalMouseMonitor> m_monitor;
    bool m_active = false;
};
