#include "QuorZubCore/Models/ZubTargetLanguage.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <QHash>

namespace {
struct TargetInfo {
    ZubTargetLanguage language;
    QString rawValue;
    QString code;
    QString englishName;
    QString badge;
    QString displayEN;
    QString displayTR;
};

const QList<TargetInfo>& table()
{
    static const QList<TargetInfo> rows{
        {ZubTargetLanguage::autoFlipTREN, QStringLiteral("autoFlipTREN"), QStringLiteral("auto"),
         QStringLiteral("Turkish or English"), QStringLiteral("TR↔EN"), QStringLiteral("Auto Flip (TR ↔ EN)"),
         QStringLiteral("Otomatik (TR ↔ EN)")},
        {ZubTargetLanguage::turkish, QStringLiteral("turkish"), QStringLiteral("tr"), QStringLiteral("Turkish"),
         QStringLiteral("TR"), QStringLiteral("Turkish (TR)"), QStringLiteral("Türkçe (TR)")},
        {ZubTargetLanguage::english, QStringLiteral("english"), QStringLiteral("en"), QStringLiteral("English"),
         QStringLiteral("EN"), QStringLiteral("English (EN)"), QStringLiteral("İngilizce (EN)")},
        {ZubTargetLanguage::german, QStringLiteral("german"), QStringLiteral("de"), QStringLiteral("German"),
         QStringLiteral("DE"), QStringLiteral("German (DE)"), QStringLiteral("Almanca (DE)")},
        {ZubTargetLanguage::french, QStringLiteral("french"), QStringLiteral("fr"), QStringLiteral("French"),
         QStringLiteral("FR"), QStringLiteral("French (FR)"), QStringLiteral("Fransızca (FR)")},
        {ZubTargetLanguage::spanish, QStringLiteral("spanish"), QStringLiteral("es"), QStringLiteral("Spanish"),
         QStringLiteral("ES"), QStringLiteral("Spanish (ES)"), QStringLiteral("İspanyolca (ES)")},
        {ZubTargetLanguage::japanese, QStringLiteral("japanese"), QStringLiteral("ja"), QStringLiteral("Japanese"),
         QStringLiteral("JA"), QStringLiteral("Japanese (JA)"), QStringLiteral("Japonca (JA)")},
    };
    return rows;
}

const TargetInfo& info(ZubTargetLanguage language)
{
    return table().at(static_cast<qsizetype>(language));
}
} // namespace

namespace ZubTargetLanguages {

const QList<ZubTargetLanguage>& allCases()
{
    static const QList<ZubTargetLanguage> cases = [] {
        QList<ZubTargetLanguage> result;
        for (const auto& row : table()) {
            result.append(row.language);
        }
        return result;
    }();
    return cases;
}

QString rawValue(ZubTargetLanguage language)
{
    return info(language).rawValue;
}

std::optional<ZubTargetLanguage> fromRawValue(const QString& text)
{
    for (const auto& row : table()) {
        if (row.rawValue == text) {
            return row.language;
        }
    }
    return std::nullopt;
}

QString languageCode(ZubTargetLanguage language)
{
    return info(language).code;
}

QString englishName(ZubTargetLanguage language)
{
    return info(language).englishName;
}

QString shortBadge(ZubTargetLanguage language)
{
    return info(language).badge;
}

QString displayName(ZubTargetLanguage language, std::optional<QuorLanguage> interfaceLanguage)
{
    return quorText(info(language).displayEN, info(language).displayTR, {}, interfaceLanguage);
}

} // namespace ZubTargetLanguages

size_t qHash(ZubTargetLanguage language, size_t seed) noexcept
{
    return ::qHash(static_cast<int>(language), seed);
}
