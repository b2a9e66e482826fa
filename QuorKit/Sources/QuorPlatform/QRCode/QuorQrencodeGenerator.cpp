#include "QuorPlatform/QRCode/QuorQrencodeGenerator.h"

#include <QBuffer>

#include <qrencode.h>

#include <algorithm>
#include <memory>

namespace quor::platform {

QImage QrencodeGenerator::render(const QByteArray& data, int moduleSize)
{
    if (data.isEmpty()) {
        return {};
    }
    const int scale = std::clamp(moduleSize, 1, maximumModuleSize);
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(static_cast<int>(data.size()), reinterpret_cast<const unsigned char*>(data.constData()), 0,
                          QR_ECLEVEL_M),
        &QRcode_free);
    if (!code) {
        return {};
    }
    const int modules = code->width;
    const int side = (modules + 2 * quietZoneModules) * scale;
    QImage image(side, side, QImage::Format_Grayscale8);
    if (image.isNull()) {
        return {};
    }
    image.fill(255);
    for (int y = 0; y < modules; ++y) {
        const int top = (y + quietZoneModules) * scale;
        for (int row = top; row < top + scale; ++row) {
            uchar* line = image.scanLine(row);
            for (int x = 0; x < modules; ++x) {
                // Bit 0 of each module byte is "dark"; the other bits describe its role.
                if ((code->data[y * modules + x] & 1) != 0) {
                    std::fill_n(line + (x + quietZoneModules) * scale, scale, uchar(0));
                }
            }
        }
    }
    return image;
}

std::optional<QByteArray> QrencodeGenerator::pngData(const QByteArray& data, int moduleSize)
{
    const QImage image = render(data, moduleSize);
    if (image.isNull()) {
        return std::nullopt;
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        return std::nullopt;
    }
    return png;
}

} // namespace quor::platform
