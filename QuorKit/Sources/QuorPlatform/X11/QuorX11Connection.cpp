#include "QuorPlatform/X11/QuorX11Connection.h"

#include "QuorPlatform/X11/QuorX11ErrorTrap.h"

#include <QList>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
// The display's resource-id mask, which Xlib offers no call for.
#include <X11/Xlibint.h>
#undef min
#undef max

#include <unistd.h>

namespace quor::platform {

std::unique_ptr<X11Connection> X11Connection::open(const QByteArray& displayName)
{
    Display* display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (display == nullptr) {
        return nullptr;
    }
    X11ErrorTrap::adopt(display);
    return std::unique_ptr<X11Connection>(new X11Connection(display));
}

X11Connection* X11Connection::forCurrentThread()
{
    // Opened again after a failure only when asked again, so a display that appears later is found.
    thread_local std::unique_ptr<X11Connection> connection;
    if (!connection) {
        connection = open();
    }
    return connection.get();
}

X11Connection::X11Connection(Display* display)
    : m_display(display)
{
}

X11Connection::~X11Connection()
{
    XCloseDisplay(m_display);
    X11ErrorTrap::release(m_display);
}

unsigned long X11Connection::root() const
{
    return DefaultRootWindow(m_display);
}

int X11Connection::fileDescriptor() const
{
    return ConnectionNumber(m_display);
}

unsigned long X11Connection::atom(const char* name)
{
    const QByteArray key(name);
    const auto found = m_atoms.constFind(key);
    if (found != m_atoms.constEnd()) {
        return found.value();
    }
    const Atom value = XInternAtom(m_display, name, False);
    m_atoms.insert(key, value);
    return value;
}

namespace {
// The process the server names for the client that made `id`. An id of 0 would ask about every
// client.
std::optional<qint64> serverProcessOf(Display* display, XID id)
{
    if (id == None) {
        return std::nullopt;
    }
    XResClientIdSpec spec{id, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* values = nullptr;
    if (XResQueryClientIds(display, 1, &spec, &count, &values) != Success) {
        return std::nullopt;
    }
    std::optional<qint64> process;
    for (long index = 0; index < count; ++index) {
        if (XResGetClientIdType(&values[index]) == XRES_CLIENT_ID_PID) {
            const pid_t pid = XResGetClientPid(&values[index]);
            if (pid > 0) {
                process = pid;
            }
        }
    }
    XResClientIdsDestroy(count, values);
    return process;
}

// Reads a whole property of the given format (8 or 32); nothing when absent or of another format.
struct RawProperty {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned char* data = nullptr;
    ~RawProperty()
    {
        if (data != nullptr) {
            XFree(data);
        }
    }
};

bool readProperty(Display* display, Window window, Atom property, RawProperty& out)
{
    if (window == None || property == None) {
        return false;
    }
    // A vanished window answers BadWindow, which our connections' error handler swallows.
    unsigned long remaining = 0;
    const int status = XGetWindowProperty(display, window, property, 0, 1 << 20, False, AnyPropertyType,
                                          &out.type, &out.format, &out.count, &remaining, &out.data);
    return status == Success && out.type != None && out.data != nullptr;
}
} // namespace

std::optional<QByteArray> X11Connection::property8(unsigned long window, unsigned long property)
{
    RawProperty raw;
    if (!readProperty(m_display, window, property, raw) || raw.format != 8) {
        return std::nullopt;
    }
    return QByteArray(reinterpret_cast<const char*>(raw.data), static_cast<qsizetype>(raw.count));
}

std::optional<QList<unsigned long>> X11Connection::property32(unsigned long window, unsigned long property)
{
    RawProperty raw;
    if (!readProperty(m_display, window, property, raw) || raw.format != 32) {
        return std::nullopt;
    }
    // Format 32 data arrives as an array of C longs, whatever the size of long.
    const auto* values = reinterpret_cast<const unsigned long*>(raw.data);
    return QList<unsigned long>(values, values + raw.count);
}

std::optional<unsigned long> X11Connection::windowProperty(unsigned long window, const char* name)
{
    const auto values = property32(window, atom(name));
    if (!values || values->isEmpty() || values->first() == None) {
        return std::nullopt;
    }
    return values->first();
}

std::optional<qint64> X11Connection::cardinalProperty(unsigned long window, const char* name)
{
    const auto values = property32(window, atom(name));
    if (!values || values->isEmpty()) {
        return std::nullopt;
    }
    return static_cast<qint64>(values->first());
}

std::optional<QString> X11Connection::stringProperty(unsigned long window, const char* name)
{
    const auto bytes = property8(window, atom(name));
    if (!bytes) {
        return std::nullopt;
    }
    QByteArray text = *bytes;
    while (text.endsWith('\0')) {
        text.chop(1);
    }
    return QString::fromUtf8(text);
}

QStringList X11Connection::windowClass(unsigned long window)
{
    const auto bytes = property8(window, XA_WM_CLASS);
    if (!bytes) {
        return {};
    }
    QStringList parts;
    for (const QByteArray& part : bytes->split('\0')) {
        if (!part.isEmpty()) {
            parts.append(QString::fromLocal8Bit(part));
        }
    }
    return parts;
}

unsigned long X11Connection::resourceBase(unsigned long id) const
{
    return id & ~m_display->resource_mask;
}

std::optional<qint64> X11Connection::clientProcess(unsigned long id)
{
    if (!serverNumbersProcessesAsWeDo()) {
        return std::nullopt;
    }
    return serverProcessOf(m_display, id);
}

bool X11Connection::serverNumbersProcessesAsWeDo()
{
    if (!m_serverNumbersProcessesAsWeDo) {
        int eventBase = 0;
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        // Asked first: a request to a missing extension would print a complaint of Xlib's.
        const bool clientIds = XResQueryExtension(m_display, &eventBase, &errorBase) != 0
                               && XResQueryVersion(m_display, &major, &minor) != 0
                               && (major > 1 || (major == 1 && minor >= 2));
        m_serverNumbersProcessesAsWeDo =
            clientIds && serverProcessOf(m_display, m_display->resource_base) == ::getpid();
    }
    return *m_serverNumbersProcessesAsWeDo;
}

} // namespace quor::platform
