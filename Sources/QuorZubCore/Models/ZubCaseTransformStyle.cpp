#include "QuorZubCore/Models/ZubCaseTransformStyle.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <QHash>

namespace {
struct StyleInfo {
    ZubCaseTransformStyle style;
    QString rawValue;
    QString displayEN;
    QString displayTR;
};

const QList<StyleInfo>& table()
{
    static const QList<StyleInfo> rows{
        {ZubCaseTransformStyle::titleCase, QStringLiteral("titleCase"), QStringLiteral("Title Case"),
         QStringLiteral("Başlık Düzeni")},
        {ZubCaseTransformStyle::uppercase, QStringLiteral("uppercase"), QStringLiteral("UPPERCASE"),
         QStringLiteral("BÜYÜK HARF")},
        {ZubCaseTransformStyle::lowercase, QStringLiteral("lowercase"), QStringLiteral("lowercase"),
         QStringLiteral("küçük harf")},
        {ZubCaseTransformStyle::trimAndCollapseWhitespace, QStringLiteral("trimAndCollapseWhitespace"),
         QStringLiteral("Trim & Collapse Spaces"), QStringLiteral("Boşlukları Temizle")},
        {ZubCaseTransformStyle::stripMarkdown, QStringLiteral("stripMarkdown"), QStringLiteral("Strip Markdown"),
         QStringLiteral("Markdown Temizle")},
    };
    return rows;
}

const StyleInfo& info(ZubCaseTransformStyle style)
{
    return table().at(static_cast<qsizetype>(style));
}
} // namespace

namespace ZubCaseTransformStyles {

const QList<ZubCaseTransformStyle>& allCases()
{
    static const QList<ZubCaseTransformStyle> cases = [] {
        QList<ZubCaseTransformStyle> result;
        for (const auto& row : table()) {
            result.append(row.style);
        }
        return result;
    }();
    return cases;
}

QString rawValue(ZubCaseTransformStyle style)
{
    return info(style).rawValue;
}

std::optional<ZubCaseTransformStyle> fromRawValue(const QString& text)
{
    for (const auto& row : table()) {
        if (row.rawValue == text) {
            return row.style;
        }
    }
    return std::nullopt;
}

QString displayName(ZubCaseTransformStyle style, std::optional<QuorLanguage> language)
{
    return quorText(info(style).displayEN, info(style).displayTR, {}, language);
}

} // namespace ZubCaseTransformStyles

size_t qHash(ZubCaseTransformStyle style, size_t seed) noexcept
{
    return ::qHash(static_cast<int>(style), seed);
}
