#pragma once

#include <QList>
#include <QObject>
#include <QPointF>

#include <memory>

namespace quor::platform {

// One button press or release anywhere on the display.
struct MouseButtonEvent {
    enum class Kind { press, release };

    Kind kind = Kind::press;
    int button = 0;
    // For a release, the count of the press it ends.
    int clickCount = 1;
    // X server time in milliseconds (the clock every X event is stamped with).
    unsigned long serverTime = 0;
    // Pointer position on the root window, in device pixels, read when the event arrived.
    QPointF position;
    // The process (_NET_WM_PID) of the window under the pointer at a press, when the monitor was
    // asked for it and the window says; 0 otherwise.
    qint64 windowProcess = 0;

    double timestampSeconds() const { return static_cast<double>(serverTime) / 1000.0; }
    bool operator==(const MouseButtonEvent& other) const = default;
};

// A press of one of the keys a monitor was asked to report, typed into any window.
struct KeyPressEvent {
    // The X keysym of the key's first level (XK_Escape is 0xff1b), whatever modifiers were held.
    unsigned long keysym = 0;
    // X server time in milliseconds.
    unsigned long serverTime = 0;

    bool operator==(const KeyPressEvent& other) const = default;
};

// The desktop's global input monitor: XInput2 raw button (and, on request, key) events on the
// root window, read on a private X connection by a worker thread, so they arrive whatever window
// has the pointer, the keyboard or a grab. Raw events are copies: the focused application still
// receives every key and click. Raw button events carry no position, so the pointer is queried as
// each one is read. Wheel "buttons" (4 to 7) are left out. Key presses are resolved to keysyms
// and filtered in the worker, so only the few keys asked for ever leave it; auto-repeats of a held
// key are not reported. Signals are emitted on the thread that owns the monitor.
class GlobalMouseMonitor : public QObject {
    Q_OBJECT
public:
    struct Options {
        qint64 doubleClickIntervalMs = 400;
        double doubleClickRadius = 5.0;
        // Keysyms whose presses keyPressed() reports. With none, key events are not even selected.
        QList<unsigned long> reportedKeysyms;
        // Whether presses name the process of the window they landed in (a few round trips each).
        bool reportsWindowProcess = false;
    };

    explicit GlobalMouseMonitor(QObject* parent = nullptr);
    ~GlobalMouseMonitor() override;

    // False when there is no display or it lacks XInput 2. Restarts a running monitor.
    bool start(const Options& options);
    void stop();
    bool isRunning() const;

signals:
    void buttonEvent(const quor::platform::MouseButtonEvent& event);
    void keyPressed(const quor::platform::KeyPressEvent& event);

private:
    class Worker;
    std::unique_ptr<Worker> m_worker;
};

} // namespace quor::platform
