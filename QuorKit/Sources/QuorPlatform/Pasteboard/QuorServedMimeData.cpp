#include "QuorPlatform/Pasteboard/QuorServedMimeData.h"

#include "QuorPlatform/Pasteboard/QuorClipboard.h"

#include <QMetaObject>

#include <chrono>

namespace quor::platform {

qint64 ServedMimeData::steadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ServedMimeData::ServedMimeData() = default;

ServedMimeData::~ServedMimeData() = default;

void ServedMimeData::arm()
{
    m_armed = true;
}

QVariant ServedMimeData::retrieveData(const QString& mimeType, QMetaType type) const
{
    // retrieveData is const for Qt's sake; the signal changes nothing of the content.
    auto* self = const_cast<ServedMimeData*>(this);
    // Qt asks for the format while it handles the request, which the clipboard has just heard.
    const unsigned long requestor = Clipboard::shared().requestorBeingServed();
    const bool afterArm = m_armed;
    const qint64 servedAt = steadyMilliseconds();
    QMetaObject::invokeMethod(
        self, [self, requestor, afterArm, servedAt] { emit self->served(requestor, afterArm, servedAt); },
        Qt::QueuedConnection);
    return QMimeData::retrieveData(mimeType, type);
}

} // namespace quor::platform
