#include "QuorZubCore/Models/ZubJsonSupport.h"

namespace ZubJsonSupport {

QString uuidText(const QUuid& uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

QUuid requireUuid(const QJsonObject& object, const QString& key)
{
    const QString text = QuorJson::requireString(object, key);
    // QUuid also reads braced and brace-less forms of other lengths; the stored form is exact.
    const QUuid uuid = text.size() == 36 ? QUuid::fromString(text) : QUuid();
    if (uuid.isNull() && text != QStringLiteral("00000000-0000-0000-0000-000000000000")) {
        throw QuorDecodingError(QStringLiteral("\"%1\" is not a UUID: %2").arg(key, text));
    }
    return uuid;
}

} // namespace ZubJsonSupport
