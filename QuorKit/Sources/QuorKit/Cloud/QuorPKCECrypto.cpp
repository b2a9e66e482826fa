#include "QuorKit/Cloud/QuorPKCECrypto.h"

#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorPlatform/Loopback/SecureRandom.h"

#include <QCryptographicHash>

namespace {
QString base64URL(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}
} // namespace

namespace QuorPKCECrypto {

QString randomBase64URL(int byteCount)
{
    const auto bytes = quor::platform::secureRandomBytes(byteCount);
    if (!bytes) {
        throw QuorCreditsError::signInFailed(quorText(QStringLiteral("Could not create a secure sign-in key."),
                                                      QStringLiteral("Güvenli bağlantı anahtarı oluşturulamadı.")));
    }
    return base64URL(*bytes);
}

QString sha256Base64URL(const QString& text)
{
    return base64URL(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256));
}

} // namespace QuorPKCECrypto
