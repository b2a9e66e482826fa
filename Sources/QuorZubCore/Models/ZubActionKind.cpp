#include "QuorZubCore/Models/ZubActionKind.h"

#include <QHash>

namespace {
struct KindInfo {
    ZubActionKind kind;
    QString rawValue;
    QString titleEN;
    QString titleTR;
    QString symbol;
};

const QList<KindInfo>& table()
{
    static const QList<KindInfo> rows{
        {ZubActionKind::translate, QStringLiteral("translate"), QStringLiteral("Translate"), QStringLiteral("Çevir"),
         QStringLiteral("globe")},
        {ZubActionKind::fixGrammar, QStringLiteral("fixGrammar"), QStringLiteral("Fix Grammar"), QStringLiteral("Düzelt"),
         QStringLiteral("wand.and.stars")},
        {ZubActionKind::summarize, QStringLiteral("summarize"), QStringLiteral("Summarize"), QStringLiteral("Özetle"),
         QStringLiteral("text.alignleft")},
        {ZubActionKind::explain, QStringLiteral("explain"), QStringLiteral("Explain"), QStringLiteral("Açıkla"),
         QStringLiteral("lightbulb.fill")},
        {ZubActionKind::plainCopy, QStringLiteral("plainCopy"), QStringLiteral("Plain Copy"), QStringLiteral("Düz Kopyala"),
         QStringLiteral("doc.on.clipboard")},
        {ZubActionKind::cleanURL, QStringLiteral("cleanURL"), QStringLiteral("Clean URL"), QStringLiteral("URL Temizle"),
         QStringLiteral("link.badge.plus")},
        {ZubActionKind::calculate, QStringLiteral("calculate"), QStringLiteral("Calculate"), QStringLiteral("Hesapla"),
         QStringLiteral("function")},
        {ZubActionKind::wordStats, QStringLiteral("wordStats"), QStringLiteral("Word Stats"), QStringLiteral("İstatistik"),
         QStringLiteral("chart.bar.doc.horizontal")},
        {ZubActionKind::qrCode, QStringLiteral("qrCode"), QStringLiteral("QR Code"), QStringLiteral("QR Kod"),
         QStringLiteral("qrcode")},
        {ZubActionKind::dictionary, QStringLiteral("dictionary"), QStringLiteral("Dictionary"), QStringLiteral("Sözlük"),
         QStringLiteral("book.closed.fill")},
        {ZubActionKind::caseTransform, QStringLiteral("caseTransform"), QStringLiteral("Case"), QStringLiteral("Harf Biçimi"),
         QStringLiteral("textformat")},
        {ZubActionKind::openWebSearch, QStringLiteral("openWebSearch"), QStringLiteral("Web Search"),
         QStringLiteral("Web'de Ara"), QStringLiteral("magnifyingglass")},
        {ZubActionKind::speak, QStringLiteral("speak"), QStringLiteral("Speak"), QStringLiteral("Seslendir"),
         QStringLiteral("waveform.and.mic")},
        {ZubActionKind::customAI, QStringLiteral("customAI"), QStringLiteral("Custom AI"), QStringLiteral("Özel AI"),
         QStringLiteral("sparkles")},
    };
    return rows;
}

const KindInfo& info(ZubActionKind kind)
{
    return table().at(static_cast<qsizetype>(kind));
}

bool maskHas(quint32 mask, int position)
{
    return position >= 0 && position < 14 && ((mask >> position) & 1U) != 0;
}
} // namespace

namespace ZubActionKinds {

const QList<ZubActionKind>& allCases()
{
    static const QList<ZubActionKind> cases = [] {
        QList<ZubActionKind> result;
        for (const auto& row : table()) {
            result.append(row.kind);
        }
        return result;
    }();
    return cases;
}

QString rawValue(ZubActionKind kind)
{
    return info(kind).rawValue;
}

std::optional<ZubActionKind> fromRawValue(const QString& text)
{
    for (const auto& row : table()) {
        if (row.rawValue == text) {
            return row.kind;
        }
    }
    return std::nullopt;
}

QString defaultTitleEN(ZubActionKind kind)
{
    return info(kind).titleEN;
}

QString defaultTitleTR(ZubActionKind kind)
{
    return info(kind).titleTR;
}

QString defaultSymbolName(ZubActionKind kind)
{
    return info(kind).symbol;
}

bool isAIPowered(ZubActionKind kind)
{
    return isAIPoweredAt(static_cast<int>(kind));
}

bool supportsInPlaceReplace(ZubActionKind kind)
{
    return supportsInPlaceReplaceAt(static_cast<int>(kind));
}

bool isAIPoweredAt(int position)
{
    return maskHas(aiPoweredMask, position);
}

bool supportsInPlaceReplaceAt(int position)
{
    return maskHas(inPlaceReplaceMask, position);
}

} // namespace ZubActionKinds

size_t qHash(ZubActionKind kind, size_t seed) noexcept
{
    return ::qHash(static_cast<int>(kind), seed);
}
