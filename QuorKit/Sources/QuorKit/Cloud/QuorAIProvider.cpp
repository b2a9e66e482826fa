#include "QuorKit/Cloud/QuorAIProvider.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QHash>
#include <QUrl>

namespace {
struct ProviderInfo {
    QuorAIProvider provider;
    QString rawValue;
    QString defaultModel;
};

const QList<ProviderInfo>& table()
{
    static const QList<ProviderInfo> rows{
        {QuorAIProvider::ollamaLocal, QStringLiteral("ollamaLocal"), QStringLiteral("llama3.2")},
        {QuorAIProvider::openAI, QStringLiteral("openAI"), QStringLiteral("gpt-4o-mini")},
        {QuorAIProvider::tallowmerCredits, QStringLiteral("tallowmerCredits"), QStringLiteral("tallowmer-auto")},
    };
    return rows;
}

const ProviderInfo& info(QuorAIProvider provider)
{
    return table().at(static_cast<qsizetype>(provider));
}

// The account portal's host, as the credits provider's name shows it.
QString portalHost()
{
    return QUrl(QuorCreditsAccountManager::defaultPortalURL).host();
}
} // namespace

namespace QuorAIProviders {

const QList<QuorAIProvider>& allCases()
{
    static const QList<QuorAIProvider> cases = [] {
        QList<QuorAIProvider> result;
        for (const auto& row : table()) {
            result.append(row.provider);
        }
        return result;
    }();
    return cases;
}

QString rawValue(QuorAIProvider provider)
{
    return info(provider).rawValue;
}

std::optional<QuorAIProvider> fromRawValue(const QString& text)
{
    for (const auto& row : table()) {
        if (row.rawValue == text) {
            return row.provider;
        }
    }
    return std::nullopt;
}

QString displayName(QuorAIProvider provider, std::optional<QuorLanguage> language)
{
    switch (provider) {
    case QuorAIProvider::ollamaLocal:
        return quorText(QStringLiteral("Local Ollama (100% Offline)"), QStringLiteral("Yerel Ollama (%100 Çevrimdışı)"), {},
                        language);
    case QuorAIProvider::openAI:
        return quorText(QStringLiteral("OpenAI-Compatible (BYO Key)"), QStringLiteral("OpenAI Uyumlu (Kendi Anahtarın)"), {},
                        language);
    case QuorAIProvider::tallowmerCredits:
        return quorText(QStringLiteral("Tallowmer Credits (%1)").arg(portalHost()),
                        QStringLiteral("Tallowmer Kredisi (%1)").arg(portalHost()), {}, language);
    }
    return {};
}

QString defaultEndpoint(QuorAIProvider provider)
{
    switch (provider) {
    case QuorAIProvider::ollamaLocal:
        return QStringLiteral("http://127.0.0.1:11434/api/chat");
    case QuorAIProvider::openAI:
        return QStringLiteral("https://api.openai.com/v1/chat/completions");
    case QuorAIProvider::tallowmerCredits:
        return QuorCreditsAccountManager::resolvedGatewayURL() + QStringLiteral("/v1/ai/chat/completions");
    }
    return {};
}

QString defaultModel(QuorAIProvider provider)
{
    return info(provider).defaultModel;
}

QuorAIProvider fromJson(const QJsonValue& value, const QString& context)
{
    const QString text = QuorJson::stringValue(value, context);
    const auto provider = fromRawValue(text);
    if (!provider) {
        throw QuorDecodingError(QStringLiteral("\"%1\" names no AI provider: %2").arg(context, text));
    }
    return *provider;
}

QJsonValue toJson(QuorAIProvider provider)
{
    return rawValue(provider);
}

} // namespace QuorAIProviders

size_t qHash(QuorAIProvider provider, size_t seed) noexcept
{
    return ::qHash(static_cast<int>(provider), seed);
}
