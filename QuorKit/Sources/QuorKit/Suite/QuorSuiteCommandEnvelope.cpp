#include "QuorKit/Suite/QuorSuiteCommandEnvelope.h"

#include "QuorKit/Suite/QuorSuiteRecordCoding.h"
#include "QuorKit/Utilities/QuorAICatalogCoding.h"
#include "QuorKit/Utilities/QuorJson.h"

QJsonObject QuorSuiteCommandEnvelope::toJson() const
{
    QJsonObject object{
        {QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("timestamp"), QuorJson::isoDate(timestamp)},
        {QStringLiteral("sourceApp"), QuorSuiteApps::toJson(sourceApp)},
        {QStringLiteral("targetApp"), QuorSuiteApps::toJson(targetApp)},
        {QStringLiteral("kind"), QuorSuiteCommandKinds::toJson(kind)},
    };
    QuorAICatalogCoding::insertIfPresent(object, QStringLiteral("targetPID"), targetPID);
    QuorAICatalogCoding::insertIfPresent(object, QStringLiteral("targetName"), targetName);
    QuorAICatalogCoding::insertIfPresent(object, QStringLiteral("payload"), payload);
    return object;
}

QuorSuiteCommandEnvelope QuorSuiteCommandEnvelope::fromJson(const QJsonObject& object)
{
    QuorSuiteCommandEnvelope envelope;
    const QString idText = QuorJson::requireString(object, QStringLiteral("id"));
    envelope.id = QUuid::fromString(idText);
    if (envelope.id.isNull() || idText.size() != 36) {
        throw QuorDecodingError(QStringLiteral("\"id\" is not a UUID"));
    }
    envelope.timestamp = QuorSuiteRecordCoding::requireDate(object, QStringLiteral("timestamp"));
    envelope.sourceApp = QuorSuiteApps::fromJson(object.value(QStringLiteral("sourceApp")));
    envelope.targetApp = QuorSuiteApps::fromJson(object.value(QStringLiteral("targetApp")));
    envelope.kind = QuorSuiteCommandKinds::fromJson(object.value(QStringLiteral("kind")));
    envelope.targetPID = QuorJson::optionalInt(object, QStringLiteral("targetPID"));
    envelope.targetName = QuorJson::optionalString(object, QStringLiteral("targetName"));
    envelope.payload = QuorJson::optionalString(object, QStringLiteral("payload"));
    return envelope;
}
