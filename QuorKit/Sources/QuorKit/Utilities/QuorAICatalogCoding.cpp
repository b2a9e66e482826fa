#include "QuorKit/Utilities/QuorAICatalogCoding.h"

namespace QuorAICatalogCoding {

namespace {
QStringList stringsOf(const QJsonArray& array, const QString& key)
{
    QStringList strings;
    strings.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
        strings.append(QuorJson::stringValue(array.at(index), key + QLatin1Char('[') + QString::number(index) + QLatin1Char(']')));
    }
    return strings;
}
} // namespace

QStringList requireStringList(const QJsonObject& object, const QString& key)
{
    return stringsOf(QuorJson::requireArray(object, key), key);
}

std::optional<QStringList> optionalStringList(const QJsonObject& object, const QString& key)
{
    const std::optional<QJsonArray> array = QuorJson::optionalArray(object, key);
    if (!array) {
        return std::nullopt;
    }
    return stringsOf(*array, key);
}

QJsonArray toJsonArray(const QStringList& list)
{
    return QJsonArray::fromStringList(list);
}

} // namespace QuorAICatalogCoding
