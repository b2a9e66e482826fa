#include "QuorZubCore/Models/ZubTranslationBackend.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <QHash>

namespace {
struct BackendInfo {
    ZubTranslationBackend backend;
    QString rawValue;
    QString displayEN;
    QString displayTR;
    QString badgeEN;
    QString badgeTR;
};

const QList<BackendInfo>& table()
{
    static const QList<BackendInfo> rows{
        {ZubTranslationBackend::aiProvider, QStringLiteral("aiProvider"),
         QStringLiteral("AI Provider (Ollama / BYO Key / Credits)"), QStringLiteral("AI Sağlayıcı (Ollama / BYO / Kredi)"),
         QStringLiteral("AI"), QStringLiteral("AI")},
        {ZubTranslationBackend::freeWebTranslate, QStringLiteral("freeWebTranslate"),
         QStringLiteral("Fast Keyless Web Translate"), QStringLiteral("Hızlı Anahtarsız Web Çeviri"), QStringLiteral("Web"),
         QStringLiteral("Web")},
        {ZubTranslationBackend::offlineOnly, QStringLiteral("offlineOnly"), QStringLiteral("100% Offline Only (Zero Network)"),
         QStringLiteral("%100 Çevrimdışı (Sıfır Ağ)"), QStringLiteral("Offline"), QStringLiteral("Çevrimdışı")},
    };
    return rows;
}

const BackendInfo& info(ZubTranslationBackend backend)
{
    return table().at(static_cast<qsizetype>(backend));
}
} // namespace

namespace ZubTranslationBackends {

const QList<ZubTranslationBackend>& allCases()
{
    static const QList<ZubTranslationBackend> cases = [] {
        QList<ZubTranslationBackend> result;
        for (const auto& row : table()) {
            result.append(row.backend);
        }
        return result;
    }();
    return cases;
}

QString rawValue(ZubTranslationBackend backend)
{
    return info(backend).rawValue;
}

std::optional<ZubTranslationBackend> fromRawValue(const QString& text)
{
    for (const auto& row : table()) {
        if (row.rawValue == text) {
            return row.backend;
        }
    }
    return std::nullopt;
}

QString displayName(ZubTranslationBackend backend, std::optional<QuorLanguage> language)
{
    return quorText(info(backend).displayEN, info(backend).displayTR, {}, language);
}

QString shortBadge(ZubTranslationBackend backend, std::optional<QuorLanguage> language)
{
    // The AI badge reads the same in every language and is not handed to the packs.
    if (backend == ZubTranslationBackend::aiProvider) {
        return info(backend).badgeEN;
    }
    return quorText(info(backend).badgeEN, info(backend).badgeTR, {}, language);
}

} // namespace ZubTranslationBackends

size_t qHash(ZubTranslationBackend backend, size_t seed) noexcept
{
    return ::qHash(static_cast<int>(backend), seed);
}
