#pragma once

#include "QuorPlatform/QRCode/QuorQRCodeGenerator.h"

#include <QImage>

namespace quor::platform {

// QR codes from libqrencode in 8-bit mode (any bytes, NUL included), drawn into a QImage with the
// standard four-module quiet zone. Any thread.
class QrencodeGenerator : public QRCodeGenerator {
public:
    static constexpr int quietZoneModules = 4;
    static constexpr int maximumModuleSize = 64;

    std::optional<QByteArray> pngData(const QByteArray& data, int moduleSize) override;

    // The drawn code; a null image when the data does not fit. `moduleSize` is clamped to
    // 1...maximumModuleSize.
    static QImage render(const QByteArray& data, int moduleSize);
};

} // namespace quor::platform
