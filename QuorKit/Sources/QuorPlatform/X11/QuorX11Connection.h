#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Xlib stays out of headers: its macros (None, Bool, Status, KeyPress ...) collide with Qt.
struct _XDisplay;

namespace quor::platform {

// One Xlib connection of our own, closed with the object. A connection belongs to the thread that
// uses it; Qt's own connection is never touched, so nothing here can disturb its event handling.
// Unexpected protocol errors on our connections (a window that vanished between two requests)
// are swallowed instead of ending the process as Xlib's default handler would.
class X11Connection {
public:
    // Nothing when no display is reachable. `displayName` empty means $DISPLAY.
    static std::unique_ptr<X11Connection> open(const QByteArray& displayName = {});
    // A connection kept for the calling thread (opened on first use); nullptr without a display.
    static X11Connection* forCurrentThread();

    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;
    ~X11Connection();

    _XDisplay* display() const { return m_display; }
    unsigned long root() const;
    int fileDescriptor() const;

    // Interned once per connection.
    unsigned long atom(const char* name);

    // Window properties; nothing when the property is missing, of another format, or the window
    // is gone.
    std::optional<QByteArray> property8(unsigned long window, unsigned long property);
    std::optional<QList<unsigned long>> property32(unsigned long window, unsigned long property);
    std::optional<unsigned long> windowProperty(unsigned long window, const char* name);
    std::optional<qint64> cardinalProperty(unsigned long window, const char* name);
    std::optional<QString> stringProperty(unsigned long window, const char* name);
    // WM_CLASS as {instance, class}; empty when the window has none.
    QStringList windowClass(unsigned long window);

    // The part of a resource id (a window, a pixmap) that names the client that made it. The
    // server gives every client the same mask, so two ids come from one client exactly when their
    // bases agree. Asks the server nothing.
    unsigned long resourceBase(unsigned long id) const;
    // The process of the client that made resource `id`, as the X server knows it (X-Resource):
    // nothing without the extension, for a client whose process the server cannot tell (one on
    // another machine), or when the server numbers processes otherwise than we do (it or we run in
    // a process namespace of our own). A window's own _NET_WM_PID may name a process of a sandbox.
    std::optional<qint64> clientProcess(unsigned long id);

private:
    explicit X11Connection(_XDisplay* display);
    // Whether the server's process numbers are ours: it names this process for this connection.
    bool serverNumbersProcessesAsWeDo();

    _XDisplay* m_display;
    QHash<QByteArray, unsigned long> m_atoms;
    std::optional<bool> m_serverNumbersProcessesAsWeDo;
};

} // namespace quor::platform
