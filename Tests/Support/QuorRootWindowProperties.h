#pragma once

#include <optional>

namespace quor::platform {
class X11Connection;
}

// The window manager's properties on the root window, as a test changes them: put back as found
// when it goes. Only the private test desktop's window manager may be told so (onTestDesktop()).
class QuorRootWindowProperties {
public:
    static constexpr const char* check = "_NET_SUPPORTING_WM_CHECK";
    static constexpr const char* active = "_NET_ACTIVE_WINDOW";

    QuorRootWindowProperties();
    ~QuorRootWindowProperties();
    QuorRootWindowProperties(const QuorRootWindowProperties&) = delete;
    QuorRootWindowProperties& operator=(const QuorRootWindowProperties&) = delete;

    bool onTestDesktop() const { return m_onTestDesktop; }
    // The window manager's check window.
    std::optional<unsigned long> checkWindow() const { return m_check; }

    std::optional<unsigned long> read(const char* name);
    // Nothing deletes the property.
    void write(const char* name, std::optional<unsigned long> window);

private:
    quor::platform::X11Connection* m_connection;
    std::optional<unsigned long> m_check;
    std::optional<unsigned long> m_active;
    bool m_onTestDesktop = false;
    bool m_written = false;
};
