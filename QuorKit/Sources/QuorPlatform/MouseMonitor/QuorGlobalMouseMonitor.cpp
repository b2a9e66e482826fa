#include "QuorPlatform/MouseMonitor/QuorGlobalMouseMonitor.h"

#include "QuorPlatform/MouseMonitor/QuorClickCounter.h"
#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QMetaObject>
#include <QSet>
#include <QVector>

#include <atomic>
#include <cerrno>
#include <optional>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace quor::platform {

class GlobalMouseMonitor::Worker {
public:
    Worker(GlobalMouseMonitor* owner, std::unique_ptr<X11Connection> connection, int xiOpcode,
           const Options& options)
        : m_owner(owner), m_connection(std::move(connection)), m_xiOpcode(xiOpcode),
          m_counter(options.doubleClickIntervalMs, options.doubleClickRadius),
          m_reportedKeysyms(options.reportedKeysyms.cbegin(), options.reportedKeysyms.cend()),
          m_reportsWindowProcess(options.reportsWindowProcess),
          m_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
        readButtonMap();
        m_thread = std::thread([this] { run(); });
    }

    ~Worker()
    {
        m_stopping.store(true);
        const quint64 one = 1;
        if (m_wake >= 0) {
            [[maybe_unused]] const auto written = ::write(m_wake, &one, sizeof one);
        }
        m_thread.join();
        if (m_wake >= 0) {
            ::close(m_wake);
        }
    }

private:
    void readButtonMap()
    {
        unsigned char map[256];
        const int count = XGetPointerMapping(m_connection->display(), map, sizeof map);
        for (int index = 0; index < count; ++index) {
            m_buttonMap.append(map[index]);
        }
    }

    // Raw events report the device's button; the pointer mapping makes it the logical one (a
    // left-handed mapping swaps 1 and 3).
    int logicalButton(int raw) const
    {
        return raw >= 1 && raw <= m_buttonMap.size() ? m_buttonMap.at(raw - 1) : raw;
    }

    void run()
    {
        Display* display = m_connection->display();
        pollfd fds[2] = {{m_connection->fileDescriptor(), POLLIN, 0}, {m_wake, POLLIN, 0}};
        while (!m_stopping.load()) {
            while (XPending(display) > 0 && !m_stopping.load()) {
                XEvent event;
                XNextEvent(display, &event);
                handle(event);
            }
            if (m_stopping.load()) {
                break;
            }
            // Without the wake descriptor (eventfd refused) only a bounded wait lets a stop be seen.
            const bool canBeWoken = m_wake >= 0;
            if (::poll(fds, canBeWoken ? 2 : 1, canBeWoken ? -1 : 200) < 0 && errno != EINTR) {
                break;
            }
        }
    }

    void handle(XEvent& event)
    {
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_xiOpcode
            || !XGetEventData(m_connection->display(), cookie)) {
            return;
        }
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        if (cookie->evtype == XI_RawButtonPress || cookie->evtype == XI_RawButtonRelease) {
            deliver(cookie->evtype == XI_RawButtonPress, logicalButton(raw->detail), raw->time);
        } else if (cookie->evtype == XI_RawKeyPress) {
            deliverKey(*raw);
        }
        XFreeEventData(m_connection->display(), cookie);
    }

    // Every key typed anywhere passes through here: all but the few reported ones stop at once.
    // Xlib keeps the connection's keyboard map current by itself, so a key remapped while we run
    // (Caps Lock made an Escape) resolves to its new keysym.
    void deliverKey(const XIRawEvent& raw)
    {
        if ((raw.flags & XIKeyRepeat) != 0) {
            return;
        }
        const KeySym keysym =
            XkbKeycodeToKeysym(m_connection->display(), static_cast<KeyCode>(raw.detail), 0, 0);
        if (keysym == NoSymbol || !m_reportedKeysyms.contains(keysym)) {
            return;
        }
        KeyPressEvent event;
        event.keysym = keysym;
        event.serverTime = raw.time;
        GlobalMouseMonitor* owner = m_owner;
        QMetaObject::invokeMethod(
            owner, [owner, event] { emit owner->keyPressed(event); }, Qt::QueuedConnection);
    }

    void deliver(bool pressed, int button, Time time)
    {
        if (button >= 4 && button <= 7) {
            return;
        }
        MouseButtonEvent event;
        event.kind = pressed ? MouseButtonEvent::Kind::press : MouseButtonEvent::Kind::release;
        event.button = button;
        event.serverTime = time;
        event.position = pointerPosition();
        if (pressed) {
            m_pressCount = m_counter.press(button, static_cast<qint64>(time), event.position);
            if (m_reportsWindowProcess) {
                event.windowProcess = processUnderPointer();
            }
        }
        event.clickCount = m_pressCount;
        // Queued to the owner's thread; Qt drops the call if the owner is gone by then.
        GlobalMouseMonitor* owner = m_owner;
        QMetaObject::invokeMethod(
            owner, [owner, event] { emit owner->buttonEvent(event); }, Qt::QueuedConnection);
    }

    struct PointerOver {
        // The child of `window` that holds the pointer; None when it is over `window` itself.
        Window child = None;
        QPointF rootPosition;
    };

    std::optional<PointerOver> queryPointer(Window window) const
    {
        PointerOver over;
        Window rootReturn = None;
        int rootX = 0;
        int rootY = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(m_connection->display(), window, &rootReturn, &over.child, &rootX, &rootY, &windowX,
                           &windowY, &mask)) {
            return std::nullopt;
        }
        over.rootPosition = QPointF(rootX, rootY);
        return over;
    }

    QPointF pointerPosition() const
    {
        const std::optional<PointerOver> over = queryPointer(m_connection->root());
        return over ? over->rootPosition : QPointF();
    }

    // Follows the pointer down the window tree from the root to the first window that names its
    // process: a window manager's frame holds the application's window, which does.
    qint64 processUnderPointer() const
    {
        Window window = m_connection->root();
        for (int depth = 0; depth < 16; ++depth) {
            const std::optional<PointerOver> over = queryPointer(window);
            if (!over || over->child == None) {
                return 0;
            }
            if (const auto pid = m_connection->cardinalProperty(over->child, "_NET_WM_PID")) {
                return *pid;
            }
            window = over->child;
        }
        return 0;
    }

    GlobalMouseMonitor* m_owner;
    std::unique_ptr<X11Connection> m_connection;
    int m_xiOpcode;
    ClickCounter m_counter;
    int m_pressCount = 1;
    QVector<int> m_buttonMap;
    const QSet<unsigned long> m_reportedKeysyms;
    const bool m_reportsWindowProcess;
    int m_wake;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

GlobalMouseMonitor::GlobalMouseMonitor(QObject* parent)
    : QObject(parent)
{
}

GlobalMouseMonitor::~GlobalMouseMonitor()
{
    stop();
}

bool GlobalMouseMonitor::start(const Options& options)
{
    stop();
    auto connection = X11Connection::open();
    if (!connection) {
        return false;
    }
    Display* display = connection->display();
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError)) {
        return false;
    }
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2) {
        return false;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    if (!options.reportedKeysyms.isEmpty()) {
        XISetMask(bits, XI_RawKeyPress);
    }
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof bits;
    mask.mask = bits;
    XISelectEvents(display, connection->root(), &mask, 1);
    XSync(display, False);
    m_worker = std::make_unique<Worker>(this, std::move(connection), opcode, options);
    return true;
}

void GlobalMouseMonitor::stop()
{
    m_worker.reset();
}

bool GlobalMouseMonitor::isRunning() const
{
    return m_worker != nullptr;
}

} // namespace quor::platform
