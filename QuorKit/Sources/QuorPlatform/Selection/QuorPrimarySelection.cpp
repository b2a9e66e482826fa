#include "QuorPlatform/Selection/QuorPrimarySelection.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QPromise>
#include <QSocketNotifier>
#include <QTimer>

#include <QCoro/QCoroFuture>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xfixes.h>

namespace quor::platform {
namespace {
// A selection larger than this is not "selected text" worth showing; the transfer is abandoned.
constexpr qsizetype maximumTransferBytes = 16 * 1024 * 1024;
constexpr const char* transferProperty = "QUOR_PRIMARY_TRANSFER";

bool thisProcessOwnsPrimary()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr && clipboard->supportsSelection() && clipboard->ownsSelection();
}
} // namespace

PrimarySelection::PrimarySelection(QObject* parent)
    : QObject(parent), m_timeout(new QTimer(this))
{
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, [this] { finishTransfer(std::nullopt); });
}

PrimarySelection::~PrimarySelection()
{
    if (m_promise) {
        finishTransfer(std::nullopt);
    }
    delete m_notifier;
    if (m_connection && m_window != None) {
        XDestroyWindow(m_connection->display(), m_window);
    }
}

bool PrimarySelection::start()
{
    if (m_connection) {
        return true;
    }
    auto connection = X11Connection::open();
    if (!connection) {
        return false;
    }
    Display* display = connection->display();
    int fixesError = 0;
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (!XFixesQueryExtension(display, &m_xfixesEventBase, &fixesError)
        || !XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError)) {
        return false;
    }
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2) {
        return false;
    }
    m_xiOpcode = opcode;

    // Requestor of conversions; also receives the XFixes notices. Never mapped.
    m_window = XCreateSimpleWindow(display, connection->root(), -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(display, m_window, PropertyChangeMask);
    XFixesSelectSelectionInput(display, m_window, XA_PRIMARY,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                   | XFixesSelectionClientCloseNotifyMask);
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof bits;
    mask.mask = bits;
    XISelectEvents(display, connection->root(), &mask, 1);
    XSync(display, False);

    m_connection = std::move(connection);
    m_notifier = new QSocketNotifier(m_connection->fileDescriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { drainEvents(); });
    drainEvents();
    return true;
}

QCoro::Task<std::optional<QString>> PrimarySelection::readFreshText(std::chrono::milliseconds timeout)
{
    if (!m_connection || thisProcessOwnsPrimary()) {
        co_return std::nullopt;
    }
    if (!m_promise) {
        beginTransfer(timeout);
    }
    QFuture<std::optional<QString>> future = m_future;
    co_await future;
    co_return future.result();
}

void PrimarySelection::drainEvents()
{
    if (!m_connection) {
        return;
    }
    Display* display = m_connection->display();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        handleEvent(&event);
    }
}

void PrimarySelection::handleEvent(void* rawEvent)
{
    auto* event = static_cast<XEvent*>(rawEvent);
    Display* display = m_connection->display();
    if (event->type == m_xfixesEventBase + XFixesSelectionNotify) {
        const auto* notice = reinterpret_cast<const XFixesSelectionNotifyEvent*>(event);
        if (notice->selection == XA_PRIMARY) {
            m_claimedSincePress = notice->subtype == XFixesSetSelectionOwnerNotify && notice->owner != None;
        }
    } else if (event->type == GenericEvent && event->xcookie.extension == m_xiOpcode) {
        XGenericEventCookie* cookie = &event->xcookie;
        if (XGetEventData(display, cookie)) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            // Wheel steps arrive as buttons 4 to 7 and are no clicks.
            if (cookie->evtype == XI_RawButtonPress && raw->detail >= 1 && raw->detail <= 3) {
                m_pressSeen = true;
                m_claimedSincePress = false;
            }
            XFreeEventData(display, cookie);
        }
    } else if (event->type == SelectionNotify && event->xselection.requestor == m_window) {
        if (m_promise && !m_incremental) {
            handleSelectionNotify(event->xselection.property);
        } else if (event->xselection.property != None) {
            XDeleteProperty(display, m_window, event->xselection.property);
        }
    } else if (event->type == PropertyNotify && event->xproperty.window == m_window) {
        if (m_promise && m_incremental && event->xproperty.state == PropertyNewValue
            && event->xproperty.atom == m_connection->atom(transferProperty)) {
            handleIncrementalChunk();
        }
    }
}

void PrimarySelection::beginTransfer(std::chrono::milliseconds timeout)
{
    m_promise = std::make_shared<QPromise<std::optional<QString>>>();
    m_promise->start();
    m_future = m_promise->future();

    // A round trip first: every notice the server generated until now is then in our queue, so the
    // freshness below reflects the latest press and claim.
    Display* display = m_connection->display();
    XSync(display, False);
    drainEvents();
    if ((m_pressSeen && !m_claimedSincePress) || XGetSelectionOwner(display, XA_PRIMARY) == None) {
        finishTransfer(std::nullopt);
        return;
    }
    m_buffer.clear();
    m_incremental = false;
    m_timeout->start(timeout);
    requestConversion(Target::utf8);
}

void PrimarySelection::requestConversion(Target target)
{
    m_target = target;
    Display* display = m_connection->display();
    const Atom targetAtom = target == Target::utf8 ? m_connection->atom("UTF8_STRING") : XA_STRING;
    XConvertSelection(display, XA_PRIMARY, targetAtom, m_connection->atom(transferProperty), m_window, CurrentTime);
    XFlush(display);
}

namespace {
struct PropertyBytes {
    Atom type = None;
    QByteArray bytes;
    bool ok = false;
};

PropertyBytes takeProperty(Display* display, Window window, Atom property)
{
    PropertyBytes result;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, maximumTransferBytes / 4, True,
                                          AnyPropertyType, &result.type, &format, &count, &remaining, &data);
    if (status == Success) {
        result.ok = remaining == 0;
        if (data != nullptr && format == 8) {
            result.bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        } else if (data != nullptr && format != 8 && result.type != None) {
            result.ok = result.type == XInternAtom(display, "INCR", False);
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return result;
}
} // namespace

void PrimarySelection::handleSelectionNotify(unsigned long property)
{
    if (property == None) {
        // The owner refused this target; older clients may still offer Latin-1.
        if (m_target == Target::utf8) {
            requestConversion(Target::latin1);
        } else {
            finishTransfer(std::nullopt);
        }
        return;
    }
    Display* display = m_connection->display();
    const PropertyBytes taken = takeProperty(display, m_window, property);
    if (taken.ok && taken.type == m_connection->atom("INCR")) {
        // Deleting the property (done by taking it) asks the owner for the first chunk.
        m_incremental = true;
        m_buffer.clear();
        XFlush(display);
        return;
    }
    finishTransfer(taken.ok ? std::optional<QString>(decode(taken.bytes)) : std::nullopt);
}

void PrimarySelection::handleIncrementalChunk()
{
    const PropertyBytes taken = takeProperty(m_connection->display(), m_window, m_connection->atom(transferProperty));
    XFlush(m_connection->display());
    if (!taken.ok) {
        finishTransfer(std::nullopt);
    } else if (taken.bytes.isEmpty()) {
        finishTransfer(decode(m_buffer));
    } else if (m_buffer.size() + taken.bytes.size() > maximumTransferBytes) {
        finishTransfer(std::nullopt);
    } else {
        m_buffer.append(taken.bytes);
    }
}

void PrimarySelection::finishTransfer(std::optional<QString> text)
{
    m_timeout->stop();
    m_incremental = false;
    m_buffer.clear();
    if (auto promise = std::exchange(m_promise, nullptr)) {
        promise->addResult(std::move(text));
        promise->finish();
    }
}

QString PrimarySelection::decode(const QByteArray& bytes) const
{
    QByteArray text = bytes;
    while (text.endsWith('\0')) {
        text.chop(1);
    }
    return m_target == Target::utf8 ? QString::fromUtf8(text) : QString::fromLatin1(text);
}

} // namespace quor::platform
