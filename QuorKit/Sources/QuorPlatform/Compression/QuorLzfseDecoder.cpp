#include "QuorPlatform/Compression/QuorLzfseDecoder.h"

namespace quor::platform {

LzfseError::LzfseError(const QString& detail)
    : QuorError(QStringLiteral("The compressed language pack is damaged (%1).").arg(detail),
                QStringLiteral("Sıkıştırılmış dil paketi bozuk (%1).").arg(detail))
{
}

QByteArray LzfseDecoder::decode(const QByteArray&, qsizetype)
{
    throw LzfseError(QStringLiteral("decoder not available"));
}

} // namespace quor::platform
