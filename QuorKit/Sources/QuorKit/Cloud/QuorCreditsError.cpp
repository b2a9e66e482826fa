#include "QuorKit/Cloud/QuorCreditsError.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorServerErrorSummary.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QUrl>

namespace {
QString portalHost()
{
    return QUrl(QuorCreditsAccountManager::defaultPortalURL).host();
}
} // namespace

QuorCreditsError QuorCreditsError::insufficientCredits(std::optional<qint64> availableMicros)
{
    QuorCreditsError error(Kind::insufficientCredits);
    error.m_availableMicros = availableMicros;
    return error;
}

QuorCreditsError QuorCreditsError::serverError(int status, const QString& message)
{
    QuorCreditsError error(Kind::serverError);
    error.m_status = status;
    error.m_message = message;
    return error;
}

QuorCreditsError QuorCreditsError::serverAnswer(int status, const QByteArray& body)
{
    QuorCreditsError error(Kind::serverError);
    error.m_status = status;
    error.m_message = QuorServerErrorSummary::serverMessage(body).value_or(QString());
    error.m_fromServer = true;
    return error;
}

QuorCreditsError QuorCreditsError::tokenNotSaved(const QString& folder)
{
    QuorCreditsError error(Kind::tokenNotSaved);
    error.m_message = folder;
    return error;
}

QuorCreditsError QuorCreditsError::signInFailed(const QString& message)
{
    QuorCreditsError error(Kind::signInFailed);
    error.m_message = message;
    return error;
}

QuorCreditsError QuorCreditsError::invalidGatewayURL() { return QuorCreditsError(Kind::invalidGatewayURL); }
QuorCreditsError QuorCreditsError::notSignedIn() { return QuorCreditsError(Kind::notSignedIn); }
QuorCreditsError QuorCreditsError::unauthorized() { return QuorCreditsError(Kind::unauthorized); }
QuorCreditsError QuorCreditsError::signInTimedOut() { return QuorCreditsError(Kind::signInTimedOut); }
QuorCreditsError QuorCreditsError::signInCancelled() { return QuorCreditsError(Kind::signInCancelled); }

QString QuorCreditsError::englishDescription() const
{
    switch (m_kind) {
    case Kind::insufficientCredits:
        return QStringLiteral("Insufficient Tallowmer Credits. Top up at ") + portalHost()
            + QStringLiteral(" or switch to your own API key / local Ollama.");
    case Kind::serverError:
        if (m_fromServer && m_message.isEmpty()) {
            return QuorServerErrorSummary::statusSentence(m_status, QuorLanguage::en);
        }
        return QStringLiteral("HTTP ") + QString::number(m_status) + QStringLiteral(": ") + m_message;
    case Kind::signInFailed:
        return m_message;
    case Kind::tokenNotSaved:
        return QStringLiteral("Signed in, but the account token could not be saved in ") + m_message
            + QStringLiteral(". Make sure this folder can be written, then connect again.");
    case Kind::invalidGatewayURL:
        return QStringLiteral("Invalid Tallowmer API gateway URL.");
    case Kind::notSignedIn:
        return QStringLiteral("Connect your ") + portalHost() + QStringLiteral(" account first to use Tallowmer Credits.");
    case Kind::unauthorized:
        return QStringLiteral("Your Tallowmer session expired. Please reconnect your ") + portalHost()
            + QStringLiteral(" account.");
    case Kind::signInTimedOut:
        return QStringLiteral("Browser sign-in timed out. Please try connecting again.");
    case Kind::signInCancelled:
        return QStringLiteral("Sign-in was cancelled.");
    }
    return {};
}

QString QuorCreditsError::turkishDescription() const
{
    switch (m_kind) {
    case Kind::insufficientCredits:
        return QStringLiteral("Tallowmer Krediniz yetersiz. ") + portalHost()
            + QStringLiteral(" üzerinden kredi yükleyebilir veya kendi API anahtarınıza / yerel Ollama'ya geçebilirsiniz.");
    case Kind::serverError:
        if (m_fromServer && m_message.isEmpty()) {
            return QuorServerErrorSummary::statusSentence(m_status, QuorLanguage::tr);
        }
        return englishDescription();
    case Kind::signInFailed:
        return englishDescription();
    case Kind::tokenNotSaved:
        return QStringLiteral("Oturum açıldı, ancak hesap jetonu ") + m_message
            + QStringLiteral(" klasörüne kaydedilemedi. Bu klasöre yazılabildiğinden emin olup yeniden bağlanın.");
    case Kind::invalidGatewayURL:
        return QStringLiteral("Geçersiz Tallowmer API geçit adresi.");
    case Kind::notSignedIn:
        return QStringLiteral("Tallowmer Kredisi kullanmak için önce ") + portalHost() + QStringLiteral(" hesabınızı bağlayın.");
    case Kind::unauthorized:
        return QStringLiteral("Tallowmer oturumunuzun süresi doldu. Lütfen ") + portalHost()
            + QStringLiteral(" hesabınızı yeniden bağlayın.");
    case Kind::signInTimedOut:
        return QStringLiteral("Tarayıcı bağlantısı zaman aşımına uğradı. Lütfen yeniden bağlanmayı deneyin.");
    case Kind::signInCancelled:
        return QStringLiteral("Hesap bağlantısı iptal edildi.");
    }
    return {};
}

QString QuorCreditsError::errorDescription(std::optional<QuorLanguage> language) const
{
    if ((m_kind == Kind::serverError && !(m_fromServer && m_message.isEmpty())) || m_kind == Kind::signInFailed) {
        return englishDescription();
    }
    return quorText(englishDescription(), turkishDescription(), {}, language);
}

QString QuorCreditsError::describe(const std::exception& error)
{
    if (const auto* credits = dynamic_cast<const QuorCreditsError*>(&error)) {
        return credits->errorDescription();
    }
    if (dynamic_cast<const QuorDecodingError*>(&error) != nullptr) {
        return quorText(QStringLiteral("The server's answer could not be read. Please try again later."),
                        QStringLiteral("Sunucunun yanıtı okunamadı. Lütfen daha sonra yeniden deneyin."));
    }
    return localizedDescription(error);
}
