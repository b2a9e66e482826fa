#include "QuorZubCore/Models/ZubHistoryRecord.h"

#include "QuorZubCore/Models/ZubJsonSupport.h"

#include <QRegularExpression>

namespace {
const QString idKey = QStringLiteral("id");
const QString kindKey = QStringLiteral("actionKind");
const QString titleKey = QStringLiteral("actionTitle");
const QString inputKey = QStringLiteral("inputText");
const QString outputKey = QStringLiteral("outputText");
const QString detectedKey = QStringLiteral("detectedLanguageCode");
const QString targetKey = QStringLiteral("targetLanguageCode");
const QString durationKey = QStringLiteral("durationMs");
const QString isErrorKey = QStringLiteral("isError");
const QString isPinnedKey = QStringLiteral("isPinned");
const QString createdAtKey = QStringLiteral("createdAt");

// The internet date-time form without fractional seconds.
QDateTime requireWholeSecondDate(const QJsonObject& object)
{
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(Z|[+-]\\d{2}:\\d{2})$"));
    const QString text = QuorJson::requireString(object, createdAtKey);
    const auto date = form.match(text).hasMatch() ? QuorJson::parseIsoDate(text) : std::nullopt;
    if (!date) {
        throw QuorDecodingError(QStringLiteral("\"createdAt\" is not an ISO 8601 date: %1").arg(text));
    }
    return *date;
}
} // namespace

ZubHistoryRecord ZubHistoryRecord::fromResult(const ZubExecutionResult& result)
{
    ZubHistoryRecord record;
    record.id = result.id;
    record.actionKind = result.actionKind;
    record.actionTitle = result.actionTitle;
    record.inputText = result.inputText;
    record.outputText = result.outputText;
    record.detectedLanguageCode = result.detectedLanguageCode;
    record.targetLanguageCode = result.targetLanguageCode;
    record.durationMs = result.durationMs;
    record.isError = result.isError;
    record.isPinned = false;
    record.createdAt = result.createdAt;
    return record;
}

ZubHistoryRecord ZubHistoryRecord::fromJson(const QJsonObject& object)
{
    ZubHistoryRecord record;
    record.id = ZubJsonSupport::requireUuid(object, idKey);
    record.actionKind = ZubJsonSupport::requireEnum<ZubActionKind>(object, kindKey, ZubActionKinds::fromRawValue);
    record.actionTitle = QuorJson::requireString(object, titleKey);
    record.inputText = QuorJson::requireString(object, inputKey);
    record.outputText = QuorJson::requireString(object, outputKey);
    record.detectedLanguageCode = QuorJson::optionalString(object, detectedKey);
    record.targetLanguageCode = QuorJson::optionalString(object, targetKey);
    record.durationMs = QuorJson::requireInt64(object, durationKey);
    record.isError = QuorJson::requireBool(object, isErrorKey);
    record.isPinned = QuorJson::requireBool(object, isPinnedKey);
    record.createdAt = requireWholeSecondDate(object);
    return record;
}

QJsonObject ZubHistoryRecord::toJson() const
{
    QJsonObject object{
        {idKey, ZubJsonSupport::uuidText(id)},
        {kindKey, ZubActionKinds::rawValue(actionKind)},
        {titleKey, actionTitle},
        {inputKey, inputText},
        {outputKey, outputText},
        {durationKey, durationMs},
        {isErrorKey, isError},
        {isPinnedKey, isPinned},
        {createdAtKey, QuorJson::isoDate(createdAt)},
    };
    if (detectedLanguageCode) {
        object.insert(detectedKey, *detectedLanguageCode);
    }
    if (targetLanguageCode) {
        object.insert(targetKey, *targetLanguageCode);
    }
    return object;
}
