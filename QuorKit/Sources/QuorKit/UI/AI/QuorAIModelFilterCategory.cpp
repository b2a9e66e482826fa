#include "QuorKit/UI/AI/QuorAIModelFilterCategory.h"

#include "QuorKit/Localization/QuorLocalization.h"

namespace QuorAIModelFilterCategories {

const QList<QuorAIModelFilterCategory>& allCases()
{
    static const QList<QuorAIModelFilterCategory> cases{
        QuorAIModelFilterCategory::all,       QuorAIModelFilterCategory::tallowmer, QuorAIModelFilterCategory::cloud,
        QuorAIModelFilterCategory::local,     QuorAIModelFilterCategory::installed, QuorAIModelFilterCategory::reasoning,
        QuorAIModelFilterCategory::vision,
    };
    return cases;
}

QString rawValue(QuorAIModelFilterCategory category)
{
    switch (category) {
    case QuorAIModelFilterCategory::all:
        return QStringLiteral("all");
    case QuorAIModelFilterCategory::tallowmer:
        return QStringLiteral("tallowmer");
    case QuorAIModelFilterCategory::cloud:
        return QStringLiteral("cloud");
    case QuorAIModelFilterCategory::local:
        return QStringLiteral("local");
    case QuorAIModelFilterCategory::installed:
        return QStringLiteral("installed");
    case QuorAIModelFilterCategory::reasoning:
        return QStringLiteral("reasoning");
    case QuorAIModelFilterCategory::vision:
        break;
    }
    return QStringLiteral("vision");
}

std::optional<QuorAIModelFilterCategory> fromRawValue(const QString& text)
{
    for (const QuorAIModelFilterCategory category : allCases()) {
        if (rawValue(category) == text) {
            return category;
        }
    }
    return std::nullopt;
}

QString title(QuorAIModelFilterCategory category, QuorLanguage language)
{
    switch (category) {
    case QuorAIModelFilterCategory::all:
        return quorText(QStringLiteral("All"), QStringLiteral("Tümü"), {}, language);
    case QuorAIModelFilterCategory::tallowmer:
        return QStringLiteral("Tallowmer");
    case QuorAIModelFilterCategory::cloud:
        return quorText(QStringLiteral("Cloud"), QStringLiteral("Bulut"), {}, language);
    case QuorAIModelFilterCategory::local:
        return quorText(QStringLiteral("Local"), QStringLiteral("Yerel"), {}, language);
    case QuorAIModelFilterCategory::installed:
        return quorText(QStringLiteral("Installed"), QStringLiteral("Yüklü"), {}, language);
    case QuorAIModelFilterCategory::reasoning:
        return quorText(QStringLiteral("Reasoning"), QStringLiteral("Akıl Yürütme"), {}, language);
    case QuorAIModelFilterCategory::vision:
        break;
    }
    return quorText(QStringLiteral("Vision"), QStringLiteral("Görsel"), {}, language);
}

} // namespace QuorAIModelFilterCategories
