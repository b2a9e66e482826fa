#include "QuorPlatform/Pasteboard/QuorServedMimeData.h"

#include <QMetaObject>

namespace quor::platform {

QVariant ServedMimeData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (m_armed) {
        // retrieveData is const for Qt's sake; the signal changes nothing of the content.
        auto* self = const_cast<ServedMimeData*>(this);
        QMetaObject::invokeMethod(self, [self] { emit self->served(); }, Qt::QueuedConnection);
    }
    return QMimeData::retrieveData(mimeType, type);
}

} // namespace quor::platform
