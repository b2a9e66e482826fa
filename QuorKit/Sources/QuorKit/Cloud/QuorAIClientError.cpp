#include "QuorKit/Cloud/QuorAIClientError.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorServerErrorSummary.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QUrl>

namespace {
QString portalHost()
{
    return QUrl(QuorCreditsAccountManager::defaultPortalURL).host();
}

// " (detail)" when the trimmed detail says anything; the detail is the server's and not translated.
QString detailSuffix(const std::optional<QString>& detail)
{
    const QString trimmed = detail.value_or(QString()).trimmed();
    return trimmed.isEmpty() ? QString() : QStringLiteral(" (") + trimmed + QLatin1Char(')');
}

std::optional<QString> trimmedName(const std::optional<QString>& app)
{
    const QString trimmed = app.value_or(QString()).trimmed();
    return trimmed.isEmpty() ? std::nullopt : std::optional<QString>(trimmed);
}
} // namespace

QuorAIClientError QuorAIClientError::appBudgetExceeded(std::optional<QString> app, std::optional<QString> detail)
{
    QuorAIClientError error(Kind::appBudgetExceeded);
    error.m_app = std::move(app);
    error.m_detail = std::move(detail);
    return error;
}

QuorAIClientError QuorAIClientError::insufficientCredits(std::optional<QString> detail)
{
    QuorAIClientError error(Kind::insufficientCredits);
    error.m_detail = std::move(detail);
    return error;
}

QuorAIClientError QuorAIClientError::httpError(int statusCode, QString message)
{
    QuorAIClientError error(Kind::httpError);
    error.m_statusCode = statusCode;
    error.m_message = std::move(message);
    return error;
}

QuorAIClientError QuorAIClientError::invalidEndpoint() { return QuorAIClientError(Kind::invalidEndpoint); }
QuorAIClientError QuorAIClientError::missingAPIKey() { return QuorAIClientError(Kind::missingAPIKey); }
QuorAIClientError QuorAIClientError::emptyResponse() { return QuorAIClientError(Kind::emptyResponse); }
QuorAIClientError QuorAIClientError::insecureEndpoint() { return QuorAIClientError(Kind::insecureEndpoint); }

QuorAIClientError QuorAIClientError::foreignCreditsEndpoint(QString gatewayHost)
{
    QuorAIClientError error(Kind::foreignCreditsEndpoint);
    error.m_message = std::move(gatewayHost);
    return error;
}

QString QuorAIClientError::englishDescription() const
{
    switch (m_kind) {
    case Kind::appBudgetExceeded: {
        const auto name = trimmedName(m_app);
        return (name ? *name : QStringLiteral("This app"))
            + QStringLiteral(" reached its Tallowmer credit spending limit. Increase or remove the limit from the "
                             "Credits menu or ")
            + portalHost() + QStringLiteral("/en/usage, or switch to your own API key / local Ollama.")
            + detailSuffix(m_detail);
    }
    case Kind::insufficientCredits:
        return QStringLiteral("Insufficient Tallowmer Credits. Top up at ") + portalHost()
            + QStringLiteral("/en/credits or switch to your own API key / local Ollama.") + detailSuffix(m_detail);
    case Kind::httpError:
        return QuorServerErrorSummary::describe(m_statusCode, m_message, QuorLanguage::en);
    case Kind::invalidEndpoint:
        return QStringLiteral("Invalid AI endpoint URL.");
    case Kind::missingAPIKey:
        return QStringLiteral("API key or Tallowmer credit token is required for this provider.");
    case Kind::emptyResponse:
        return QStringLiteral("Provider returned an empty response.");
    case Kind::insecureEndpoint:
        return QStringLiteral("API keys and tokens are not sent over plain http, except to this computer or your "
                              "private network. Use an https:// endpoint address.");
    case Kind::foreignCreditsEndpoint:
        return QStringLiteral("The Tallowmer credit token is sent only to the credits gateway (") + m_message
            + QStringLiteral("). Choose Tallowmer Credits again in Settings to restore its endpoint.");
    }
    return {};
}

QString QuorAIClientError::turkishDescription() const
{
    switch (m_kind) {
    case Kind::appBudgetExceeded: {
        const auto name = trimmedName(m_app);
        return (name ? *name + QStringLiteral(" için") : QStringLiteral("Bu uygulama için"))
            + QStringLiteral(" belirlediğiniz Tallowmer kredi harcama limitine ulaşıldı. Üst çubuktaki Kredi "
                             "menüsünden veya ")
            + portalHost()
            + QStringLiteral("/kullanim sayfasından limiti artırabilir ya da kendi API anahtarınıza / yerel "
                             "Ollama'ya geçebilirsiniz.")
            + detailSuffix(m_detail);
    }
    case Kind::insufficientCredits:
        return QStringLiteral("Tallowmer Krediniz yetersiz. ") + portalHost()
            + QStringLiteral("/kredi üzerinden kredi yükleyebilir veya kendi API anahtarınıza / yerel Ollama'ya "
                             "geçebilirsiniz.")
            + detailSuffix(m_detail);
    case Kind::httpError:
        return QuorServerErrorSummary::describe(m_statusCode, m_message, QuorLanguage::tr);
    case Kind::invalidEndpoint:
        return QStringLiteral("Geçersiz AI uç noktası adresi.");
    case Kind::missingAPIKey:
        return QStringLiteral("Bu sağlayıcı için API anahtarı veya Tallowmer kredi jetonu gereklidir.");
    case Kind::emptyResponse:
        return QStringLiteral("Sağlayıcı boş yanıt döndürdü.");
    case Kind::insecureEndpoint:
        return QStringLiteral("API anahtarları ve jetonlar, bu bilgisayar ve özel ağınız dışında düz http üzerinden "
                              "gönderilmez. https:// ile başlayan bir uç nokta adresi kullanın.");
    case Kind::foreignCreditsEndpoint:
        return QStringLiteral("Tallowmer kredi jetonu yalnızca kredi geçidine (") + m_message
            + QStringLiteral(") gönderilir. Uç noktasını geri yüklemek için Ayarlar'da Tallowmer Kredisi'ni yeniden seçin.");
    }
    return {};
}

QString QuorAIClientError::localizedDescription(QuorLanguage language) const
{
    if (m_kind == Kind::httpError && !m_message.isEmpty()) {
        return englishDescription(); // the server's words, the same in every language
    }
    return quorText(englishDescription(), turkishDescription(), {}, language);
}

QString QuorAIClientError::errorDescription() const
{
    return localizedDescription(QuorLanguages::current());
}
