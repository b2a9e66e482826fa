#include "QuorPlatform/Pasteboard/QuorClipboard.h"

#include "QuorPlatform/Pasteboard/QuorServedMimeData.h"
#include "QuorPlatform/Selection/QuorSelectionTooLargeError.h"
#include "QuorPlatform/Selection/QuorSelectionTransfer.h"

#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSet>
#include <QTimer>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroSignal>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace quor::platform {
namespace {
// Not content: Qt's in-process image (the owner's real image formats carry the same picture as
// bytes), and the selection protocol's own targets, which Qt lists under their atom names.
bool isContentFormat(const QString& format)
{
    static const QSet<QString> excluded{
        QStringLiteral("application/x-qt-image"), QStringLiteral("TARGETS"), QStringLiteral("TIMESTAMP"),
        QStringLiteral("MULTIPLE"), QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE"),
        QStringLiteral("INSERT_SELECTION"), QStringLiteral("INSERT_PROPERTY"),
    };
    return !excluded.contains(format);
}

QClipboard* systemClipboard()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return nullptr;
    }
    return QGuiApplication::clipboard();
}

// Watches the toolkit's own X events for the property change that carries the time we asked for.
// The toolkit takes its time from that event right after the filters have seen it.
class PropertyChangeWatch : public QAbstractNativeEventFilter {
public:
    PropertyChangeWatch(unsigned long window, unsigned long property) : m_window(window), m_property(property)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~PropertyChangeWatch() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) == XCB_PROPERTY_NOTIFY) {
            const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
            if (change->window == m_window && change->atom == m_property) {
                // Queued: the toolkit sets its time once this filter has returned.
                QMetaObject::invokeMethod(&relay, &quor::detail::SignalRelay::fire, Qt::QueuedConnection);
            }
        }
        return false;
    }

    quor::detail::SignalRelay relay;

private:
    unsigned long m_window;
    unsigned long m_property;
};

QList<Clipboard::Entry> localEntries(const QClipboard& clipboard)
{
    QList<Clipboard::Entry> result;
    const QMimeData* data = clipboard.mimeData(QClipboard::Clipboard);
    if (data == nullptr) {
        return result;
    }
    for (const QString& format : data->formats()) {
        if (isContentFormat(format)) {
            result.append({format, data->data(format)});
        }
    }
    return result;
}
} // namespace

// Hears the requests for our clipboard content on the toolkit's own connection, before the toolkit
// serves them: which client asks now, and who has asked for data of the latest content.
class Clipboard::RequestLog : public QAbstractNativeEventFilter {
public:
    RequestLog(X11Connection& connection, QSet<unsigned long>& readers)
        : m_connection(connection), m_readers(readers), m_clipboardAtom(connection.atom("CLIPBOARD")),
          m_targetsAtom(connection.atom("TARGETS")), m_timestampAtom(connection.atom("TIMESTAMP"))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~RequestLog() override
    {
        if (QCoreApplication* application = QCoreApplication::instance()) {
            application->removeNativeEventFilter(this);
        }
    }
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        m_requestor = 0;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_SELECTION_REQUEST) {
            return false;
        }
        const auto* request = static_cast<const xcb_selection_request_event_t*>(message);
        if (request->selection != m_clipboardAtom) {
            return false;
        }
        m_requestor = request->requestor;
        const QClipboard* clipboard = systemClipboard();
        if (request->target != m_targetsAtom && request->target != m_timestampAtom && clipboard != nullptr
            && clipboard->ownsClipboard()) {
            m_readers.insert(m_connection.resourceBase(request->requestor));
        }
        return false;
    }

    // The window of the CLIPBOARD request being handled; 0 outside one.
    unsigned long requestor() const { return m_requestor; }

private:
    X11Connection& m_connection;
    QSet<unsigned long>& m_readers;
    unsigned long m_clipboardAtom;
    unsigned long m_targetsAtom;
    unsigned long m_timestampAtom;
    unsigned long m_requestor = 0;
};

Clipboard& Clipboard::shared()
{
    static Clipboard* instance = new Clipboard();
    return *instance;
}

bool Clipboard::readsLocally()
{
    const QClipboard* clipboard = systemClipboard();
    // Off X11, Qt's clipboard is this process's own.
    return clipboard != nullptr &&
           (QGuiApplication::platformName() != QLatin1String("xcb") || clipboard->ownsClipboard());
}

Clipboard::Clipboard()
{
    if (QClipboard* clipboard = systemClipboard()) {
        connect(clipboard, &QClipboard::changed, this, [this, clipboard](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard) {
                ++m_changeCount;
                // A claim of ours starts a new list of readers; one by another program ends the
                // list of the latest content we offered.
                if (clipboard->ownsClipboard()) {
                    m_ownContentReaders.clear();
                }
                emit changed();
            }
        });
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            if (X11Connection* connection = X11Connection::forCurrentThread()) {
                m_requestLog = std::make_unique<RequestLog>(*connection, m_ownContentReaders);
            }
        }
    }
}

Clipboard::~Clipboard() = default;

unsigned long Clipboard::requestorBeingServed() const
{
    return m_requestLog ? m_requestLog->requestor() : 0;
}

QCoro::Task<Clipboard::Content> Clipboard::content() const
{
    const QClipboard* clipboard = systemClipboard();
    if (clipboard == nullptr) {
        co_return Content{};
    }
    if (readsLocally()) {
        co_return Content{localEntries(*clipboard), true};
    }
    const SelectionLimits limits{std::chrono::milliseconds(1000), contentReadLimit, maximumContentBytes};
    QFuture<SelectionContentRead> read = SelectionTransfer::readContent(X11Selection::clipboard, limits);
    co_await read;
    const SelectionContentRead result = read.result();
    co_return Content{result.entries, result.complete};
}

QCoro::Task<std::optional<QString>> Clipboard::text() const
{
    const QClipboard* clipboard = systemClipboard();
    if (clipboard == nullptr) {
        co_return std::nullopt;
    }
    if (readsLocally()) {
        const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
        if (data == nullptr || !data->hasText()) {
            co_return std::nullopt;
        }
        co_return data->text();
    }
    const SelectionLimits limits{std::chrono::milliseconds(1000), std::chrono::milliseconds(5000), maximumTextBytes};
    QFuture<SelectionTextRead> read = SelectionTransfer::readText(X11Selection::clipboard, limits);
    co_await read;
    const SelectionTextRead result = read.result();
    if (result.outcome == SelectionTextRead::Outcome::tooLarge) {
        throw SelectionTooLargeError(SelectionTooLargeError::Source::clipboard, maximumTextBytes);
    }
    co_return result.outcome == SelectionTextRead::Outcome::text ? std::optional<QString>(result.text) : std::nullopt;
}

QCoro::Task<> Clipboard::learnServerTime()
{
    if (systemClipboard() == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        co_return;
    }
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        co_return;
    }
    // Every toolkit client hears property changes of the root window; an empty append changes
    // nothing but is stamped with the server's time.
    const unsigned long property = connection->atom("QUOR_CLIPBOARD_TIME");
    PropertyChangeWatch watch(connection->root(), property);
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &watch.relay, &quor::detail::SignalRelay::fire);
    bound.start(200);
    XChangeProperty(connection->display(), connection->root(), property, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XSync(connection->display(), False);
    co_await qCoro(&watch.relay, &quor::detail::SignalRelay::fired);
}

void Clipboard::clear()
{
    if (QClipboard* clipboard = systemClipboard()) {
        clipboard->clear(QClipboard::Clipboard);
    }
}

void Clipboard::write(const QList<Entry>& entries)
{
    QClipboard* clipboard = systemClipboard();
    if (clipboard == nullptr) {
        return;
    }
    auto* data = new QMimeData();
    for (const auto& [format, bytes] : entries) {
        data->setData(format, bytes);
    }
    clipboard->setMimeData(data, QClipboard::Clipboard);
}

QPointer<ServedMimeData> Clipboard::writeTrackedText(const QString& text)
{
    QClipboard* clipboard = systemClipboard();
    if (clipboard == nullptr) {
        return nullptr;
    }
    auto* data = new ServedMimeData();
    data->setText(text);
    QPointer<ServedMimeData> tracked(data);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    return tracked;
}

} // namespace quor::platform
