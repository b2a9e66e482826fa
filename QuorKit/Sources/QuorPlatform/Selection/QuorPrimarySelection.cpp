#include "QuorPlatform/Selection/QuorPrimarySelection.h"

#include "QuorPlatform/Selection/QuorSelectionTooLargeError.h"
#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <QCoro/QCoroFuture>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xfixes.h>

namespace quor::platform {
namespace {
// An owner that does not answer within the idle time is not waited for: the selection is then
// read as absent and the caller may try its copy instead.
SelectionLimits primaryLimits()
{
    return {std::chrono::milliseconds(500), std::chrono::milliseconds(5000), PrimarySelection::maximumTextBytes};
}

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
    : QObject(parent)
{
}

PrimarySelection::~PrimarySelection()
{
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

    // Receives the XFixes notices. Never mapped.
    m_window = XCreateSimpleWindow(display, connection->root(), -10, -10, 1, 1, 0, 0, 0);
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

    // The baseline: whatever PRIMARY holds now was selected before we watched.
    m_claimedSinceBaseline = false;
    m_connection = std::move(connection);
    m_notifier = new QSocketNotifier(m_connection->fileDescriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { drainEvents(); });
    drainEvents();
    return true;
}

QCoro::Task<std::optional<QString>> PrimarySelection::readFreshText()
{
    if (!m_connection || thisProcessOwnsPrimary()) {
        co_return std::nullopt;
    }
    if (!m_transfer || m_transfer->isFinished()) {
        if (!isFresh()) {
            co_return std::nullopt;
        }
        m_transfer = SelectionTransfer::readText(X11Selection::primary, primaryLimits());
    }
    QFuture<SelectionTextRead> transfer = *m_transfer;
    co_await transfer;
    const SelectionTextRead read = transfer.result();
    if (read.outcome == SelectionTextRead::Outcome::tooLarge) {
        throw SelectionTooLargeError(SelectionTooLargeError::Source::selection, maximumTextBytes);
    }
    co_return read.outcome == SelectionTextRead::Outcome::text ? std::optional<QString>(read.text) : std::nullopt;
}

bool PrimarySelection::isFresh()
{
    // A round trip first: every notice the server generated until now is then in our queue, so the
    // freshness reflects the latest press and claim.
    Display* display = m_connection->display();
    XSync(display, False);
    drainEvents();
    return m_claimedSinceBaseline && XGetSelectionOwner(display, XA_PRIMARY) != None;
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
            m_claimedSinceBaseline = notice->subtype == XFixesSetSelectionOwnerNotify && notice->owner != None;
        }
    } else if (event->type == GenericEvent && event->xcookie.extension == m_xiOpcode) {
        XGenericEventCookie* cookie = &event->xcookie;
        if (XGetEventData(display, cookie)) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            // Wheel steps arrive as buttons 4 to 7 and are no clicks.
            if (cookie->evtype == XI_RawButtonPress && raw->detail >= 1 && raw->detail <= 3) {
                m_claimedSinceBaseline = false;
            }
            XFreeEventData(display, cookie);
        }
    }
}

} // namespace quor::platform
