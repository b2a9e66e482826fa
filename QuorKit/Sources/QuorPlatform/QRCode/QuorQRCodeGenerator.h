#pragma once

#include <QByteArray>

#include <optional>

namespace quor::platform {

// Draws QR codes (error correction level M) as PNG images.
class QRCodeGenerator {
public:
    virtual ~QRCodeGenerator() = default;
    // A PNG of `data` encoded as bytes, each module `moduleSize` pixels square, black on white
    // with a quiet zone; nothing when the data does not fit in a QR code or cannot be drawn.
    virtual std::optional<QByteArray> pngData(const QByteArray& data, int moduleSize) = 0;
};

} // namespace quor::platform
