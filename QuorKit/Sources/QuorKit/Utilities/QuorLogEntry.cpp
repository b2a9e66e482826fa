#include "QuorKit/Utilities/QuorLogEntry.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <QJsonDocument>

QuorLogEntry QuorLogEntry::fromJson(const QJsonObject& object)
{
    using QuorJson::requireString;
    const QString levelText = requireString(object, QStringLiteral("level"));
    const auto level = QuorLogLevels::fromRawValue(levelText);
    if (!level) {
        throw QuorDecodingError(QStringLiteral("unknown log level \"%1\"").arg(levelText));
    }
    return {requireString(object, QStringLiteral("id")),
            requireString(object, QStringLiteral("timestamp")),
            *level,
            requireString(object, QStringLiteral("category")),
            requireString(object, QStringLiteral("message")),
            requireString(object, QStringLiteral("version")),
            requireString(object, QStringLiteral("build"))};
}

QJsonObject QuorLogEntry::toJson() const
{
    return {
        {QStringLiteral("id"), id},
        {QStringLiteral("timestamp"), timestamp},
        {QStringLiteral("level"), QuorLogLevels::rawValue(level)},
        {QStringLiteral("category"), category},
        {QStringLiteral("message"), message},
        {QStringLiteral("version"), version},
        {QStringLiteral("build"), build},
    };
}

QByteArray QuorLogEntry::encodedLine() const
{
    // QJsonObject keeps its keys sorted. A "/" can only occur inside a JSON string, so escaping
    // every one keeps the text valid and matches the lines other tools of the suite write.
    QByteArray line = QJsonDocument(toJson()).toJson(QJsonDocument::Compact);
    line.replace('/', "\\/");
    return line;
}

QuorLogEntry QuorLogEntry::decodeLine(const QByteArray& line)
{
    return fromJson(QuorJson::parseObject(line));
}
