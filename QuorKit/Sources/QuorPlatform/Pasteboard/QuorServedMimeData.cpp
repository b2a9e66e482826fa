#include "QuorPlatform/Pasteboard/QuorServedMimeData.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>

#include <xcb/xcb.h>

namespace quor::platform {

// Notes the requestor of the CLIPBOARD request Qt is about to serve: native event filters see each
// event before Qt handles it, and Qt asks the mime data for the format while handling it.
class ServedMimeData::RequestWatch : public QAbstractNativeEventFilter {
public:
    explicit RequestWatch(unsigned long clipboardAtom) : m_clipboardAtom(clipboardAtom)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~RequestWatch() override
    {
        // The clipboard may let go of its content while the application is going.
        if (QCoreApplication* application = QCoreApplication::instance()) {
            application->removeNativeEventFilter(this);
        }
    }
    RequestWatch(const RequestWatch&) = delete;
    RequestWatch& operator=(const RequestWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        m_requestor = 0;
        if ((event->response_type & ~0x80) == XCB_SELECTION_REQUEST) {
            const auto* request = static_cast<const xcb_selection_request_event_t*>(message);
            if (request->selection == m_clipboardAtom) {
                m_requestor = request->requestor;
            }
        }
        return false;
    }

    // The requestor of the request being handled; 0 outside one (our own process reading).
    unsigned long requestor() const { return m_requestor; }

private:
    unsigned long m_clipboardAtom;
    unsigned long m_requestor = 0;
};

qint64 ServedMimeData::steadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ServedMimeData::ServedMimeData()
{
    // Watched from the claim on, so that a client reading before the keys is known as such. Atoms
    // are the server's: ours name the same as the toolkit's connection.
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    if (X11Connection* connection = X11Connection::forCurrentThread()) {
        m_watch = std::make_unique<RequestWatch>(connection->atom("CLIPBOARD"));
    }
}

ServedMimeData::~ServedMimeData() = default;

void ServedMimeData::arm()
{
    m_armed = true;
}

QVariant ServedMimeData::retrieveData(const QString& mimeType, QMetaType type) const
{
    // retrieveData is const for Qt's sake; the signal changes nothing of the content.
    auto* self = const_cast<ServedMimeData*>(this);
    const unsigned long requestor = m_watch ? m_watch->requestor() : 0;
    const bool afterArm = m_armed;
    const qint64 servedAt = steadyMilliseconds();
    QMetaObject::invokeMethod(
        self, [self, requestor, afterArm, servedAt] { emit self->served(requestor, afterArm, servedAt); },
        Qt::QueuedConnection);
    return QMimeData::retrieveData(mimeType, type);
}

} // namespace quor::platform
