#include "QuorKit/Localization/QuorLocalizationPack.h"

#include "QuorKit/Utilities/QuorJson.h"

namespace {

QuorTextMap stringMap(const QJsonObject& object, const QString& key)
{
    QuorTextMap result;
    const auto members = QuorJson::optionalObject(object, key);
    if (!members) {
        return result;
    }
    result.reserve(static_cast<std::size_t>(members->size()));
    for (auto it = members->constBegin(); it != members->constEnd(); ++it) {
        if (!it.value().isString()) {
            throw QuorDecodingError(QStringLiteral("\"%1\" of \"%2\" is not a string").arg(it.key(), key));
        }
        result.insert_or_assign(it.key(), it.value().toString());
    }
    return result;
}

QJsonObject jsonObject(const QuorTextMap& map)
{
    QJsonObject object;
    for (const auto& [key, text] : map) {
        object.insert(key, text);
    }
    return object;
}

} // namespace

QuorLocalizationPack QuorLocalizationPack::fromJson(const QJsonObject& object)
{
    QuorLocalizationPack pack;
    pack.code = QuorJson::optionalString(object, QStringLiteral("code")).value_or(QString());
    pack.nativeName = QuorJson::optionalString(object, QStringLiteral("nativeName")).value_or(QString());
    pack.englishName = QuorJson::optionalString(object, QStringLiteral("englishName")).value_or(QString());
    pack.isRTL = QuorJson::optionalBool(object, QStringLiteral("isRTL")).value_or(false);
    pack.strings = stringMap(object, QStringLiteral("strings"));
    pack.templates = stringMap(object, QStringLiteral("templates"));
    return pack;
}

QJsonObject QuorLocalizationPack::toJson() const
{
    return QJsonObject{
        {QStringLiteral("code"), code},
        {QStringLiteral("nativeName"), nativeName},
        {QStringLiteral("englishName"), englishName},
        {QStringLiteral("isRTL"), isRTL},
        {QStringLiteral("strings"), jsonObject(strings)},
        {QStringLiteral("templates"), jsonObject(templates)},
    };
}

std::optional<QuorTextMap> QuorLocalizationPack::flatStrings(const QJsonObject& object)
{
    QuorTextMap result;
    result.reserve(static_cast<std::size_t>(object.size()));
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isString()) {
            return std::nullopt;
        }
        result.insert_or_assign(it.key(), it.value().toString());
    }
    return result;
}
