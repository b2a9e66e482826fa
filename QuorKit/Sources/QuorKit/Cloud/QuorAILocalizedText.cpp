#include "QuorKit/Cloud/QuorAILocalizedText.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

QString QuorAILocalizedText::resolved(QuorLanguage language) const
{
    if (language == QuorLanguage::tr) {
        return tr.isEmpty() ? en : tr;
    }
    return en.isEmpty() ? tr : en;
}

QuorAILocalizedText QuorAILocalizedText::fromJson(const QJsonObject& object)
{
    QuorAILocalizedText text;
    text.tr = QuorJson::requireString(object, QStringLiteral("tr"));
    text.en = QuorJson::requireString(object, QStringLiteral("en"));
    return text;
}

QJsonObject QuorAILocalizedText::toJson() const
{
    return QJsonObject{{QStringLiteral("tr"), tr}, {QStringLiteral("en"), en}};
}

std::size_t qHash(const QuorAILocalizedText& text, std::size_t seed) noexcept
{
    return QuorAICatalogCoding::hashMembers(seed, text.tr, text.en);
}
