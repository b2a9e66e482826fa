#include "QuorKit/Utilities/QuorImageDecoder.h"

#include <QBuffer>
#include <QImageReader>

namespace QuorImageDecoder {

std::optional<QImage> decode(const QByteArray& data, std::optional<QSize> fill)
{
    QByteArray bytes = data; // shares the data; QBuffer wants a non-const array
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QImageReader reader(&buffer);
    // Decoded pixels of maxPixels at 4 bytes each, in megabytes, with room for a scaling copy.
    reader.setAllocationLimit(static_cast<int>(maxPixels * 4 * 2 / (1024 * 1024)));
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty()
        || static_cast<qint64>(declared.width()) * declared.height() > maxPixels) {
        return std::nullopt;
    }
    if (fill && fill->isValid() && !fill->isEmpty()) {
        reader.setScaledSize(declared.scaled(*fill, Qt::KeepAspectRatioByExpanding).expandedTo(QSize(1, 1)));
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    return image;
}

} // namespace QuorImageDecoder
