#include "QuorKit/Cloud/QuorAILocalizedList.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

QStringList QuorAILocalizedList::resolved(QuorLanguage language) const
{
    if (language == QuorLanguage::tr) {
        return tr.isEmpty() ? en : tr;
    }
    return en.isEmpty() ? tr : en;
}

QuorAILocalizedList QuorAILocalizedList::fromJson(const QJsonObject& object)
{
    QuorAILocalizedList list;
    list.tr = QuorAICatalogCoding::requireStringList(object, QStringLiteral("tr"));
    list.en = QuorAICatalogCoding::requireStringList(object, QStringLiteral("en"));
    return list;
}

QJsonObject QuorAILocalizedList::toJson() const
{
    return QJsonObject{{QStringLiteral("tr"), QuorAICatalogCoding::toJsonArray(tr)},
                       {QStringLiteral("en"), QuorAICatalogCoding::toJsonArray(en)}};
}

std::size_t qHash(const QuorAILocalizedList& list, std::size_t seed) noexcept
{
    return QuorAICatalogCoding::hashMembers(seed, list.tr, list.en);
}
