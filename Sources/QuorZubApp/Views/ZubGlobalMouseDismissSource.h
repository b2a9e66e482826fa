#pragma once

#include "QuorZubApp/Views/ZubFloatingBarDismissSource.h"

#include <memory>

namespace quor::platform {
class GlobalMouseMonitor;
struct KeyPressEvent;
struct MouseButtonEvent;
} // namespace quor::platform

// The floating bar's outside clicks and Escape from the desktop's global input monitor: every left
// or right press on the display outside this application's own windows, in logical coordinates,
// and every Escape typed into another application. The monitor only overhears the key: the application it was typed into still
// receives it. Escape typed into this application's own windows is left to the bar's event filter,
// which keeps it from the window. GUI thread only.
class ZubGlobalMouseDismissSource : public ZubFloatingBarDismissSource {
    Q_OBJECT
public:
    explicit ZubGlobalMouseDismissSource(QObject* parent = nullptr);
    ~ZubGlobalMouseDismissSource() override;

    void start() override;
    void stop() override;
    // Whether the global input monitor runs (from start to stop).
    bool isMonitoring() const;

private:
    void handle(const quor::platform::MouseButtonEvent& event);
    void handleKey(const quor::platform::KeyPressEvent& event);

    std::unique_ptr<quor::platform::GlobalMouseMonitor> m_monitor;
};
