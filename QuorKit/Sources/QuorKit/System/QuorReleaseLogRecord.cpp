#include "QuorKit/System/QuorReleaseLogRecord.h"

#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QJsonArray>

#include <functional>
#include <optional>

namespace {
QStringList stringList(const QJsonArray& array, const QString& key)
{
    QStringList result;
    result.reserve(array.size());
    for (const QJsonValue& value : array) {
        result.append(QuorJson::stringValue(value, key));
    }
    return result;
}

QMap<QString, QString> stringMap(const QJsonObject& object, const QString& key)
{
    QMap<QString, QString> result;
    for (auto it = object.begin(); it != object.end(); ++it) {
        result.insert(it.key(), QuorJson::stringValue(it.value(), key + QLatin1Char('.') + it.key()));
    }
    return result;
}

QMap<QString, QStringList> listMap(const QJsonObject& object, const QString& key)
{
    QMap<QString, QStringList> result;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString context = key + QLatin1Char('.') + it.key();
        if (!it.value().isArray()) {
            throw QuorDecodingError(QStringLiteral("\"%1\" is not an array").arg(context));
        }
        result.insert(it.key(), stringList(it.value().toArray(), context));
    }
    return result;
}

// The language's own entry, its parent's for pt-PT and zh-Hant, then English; `usable` decides
// which entries count.
template <typename T>
std::optional<T> localized(const QMap<QString, T>& entries, QuorLanguage language,
                           const std::function<bool(const T&)>& usable)
{
    QStringList codes{QuorLanguages::rawValue(language)};
    if (language == QuorLanguage::ptPT) {
        codes.append(QStringLiteral("pt-BR"));
    } else if (language == QuorLanguage::zhHant) {
        codes.append(QStringLiteral("zh-Hans"));
    }
    codes.append(QStringLiteral("en"));
    for (const QString& code : codes) {
        const auto found = entries.constFind(code);
        if (found != entries.constEnd() && usable(*found)) {
            return *found;
        }
    }
    return std::nullopt;
}
} // namespace

QString QuorReleaseLogRecord::id() const
{
    return timestamp + QLatin1Char('-') + app + QLatin1Char('-') + toVersion + QLatin1Char('-')
        + QString::number(toBuild);
}

QString QuorReleaseLogRecord::shortDate() const
{
    return QuorGraphemes::prefix(timestamp, 10);
}

QString QuorReleaseLogRecord::localizedSummary(QuorLanguage language) const
{
    return localized<QString>(summaryI18n, language, [](const QString& text) { return !text.isEmpty(); })
        .value_or(summary);
}

QStringList QuorReleaseLogRecord::localizedDetails(QuorLanguage language) const
{
    return localized<QStringList>(detailsI18n, language, [](const QStringList& lines) { return !lines.isEmpty(); })
        .value_or(details);
}

QuorReleaseLogRecord QuorReleaseLogRecord::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorReleaseLogRecord record;
    record.timestamp = optionalString(object, QStringLiteral("timestamp")).value_or(record.timestamp);
    record.app = optionalString(object, QStringLiteral("app")).value_or(record.app);
    record.fromVersion = optionalString(object, QStringLiteral("fromVersion")).value_or(record.fromVersion);
    record.toVersion = optionalString(object, QStringLiteral("toVersion")).value_or(record.toVersion);
    record.fromBuild = optionalInt64(object, QStringLiteral("fromBuild")).value_or(record.fromBuild);
    record.toBuild = optionalInt64(object, QStringLiteral("toBuild")).value_or(record.toBuild);
    record.bumpKind = optionalString(object, QStringLiteral("bumpKind")).value_or(record.bumpKind);
    record.section = optionalString(object, QStringLiteral("section")).value_or(record.section);
    record.summary = optionalString(object, QStringLiteral("summary")).value_or(record.summary);
    if (const auto details = optionalArray(object, QStringLiteral("details"))) {
        record.details = stringList(*details, QStringLiteral("details"));
    }
    if (const auto summaries = optionalObject(object, QStringLiteral("summary_i18n"))) {
        record.summaryI18n = stringMap(*summaries, QStringLiteral("summary_i18n"));
    }
    if (const auto detailLists = optionalObject(object, QStringLiteral("details_i18n"))) {
        record.detailsI18n = listMap(*detailLists, QStringLiteral("details_i18n"));
    }
    record.gitCommit = optionalString(object, QStringLiteral("gitCommit")).value_or(record.gitCommit);
    return record;
}

QJsonObject QuorReleaseLogRecord::toJson() const
{
    QJsonObject summaries;
    for (auto it = summaryI18n.begin(); it != summaryI18n.end(); ++it) {
        summaries.insert(it.key(), it.value());
    }
    QJsonObject detailLists;
    for (auto it = detailsI18n.begin(); it != detailsI18n.end(); ++it) {
        detailLists.insert(it.key(), QJsonArray::fromStringList(it.value()));
    }
    return {
        {QStringLiteral("timestamp"), timestamp},
        {QStringLiteral("app"), app},
        {QStringLiteral("fromVersion"), fromVersion},
        {QStringLiteral("toVersion"), toVersion},
        {QStringLiteral("fromBuild"), fromBuild},
        {QStringLiteral("toBuild"), toBuild},
        {QStringLiteral("bumpKind"), bumpKind},
        {QStringLiteral("section"), section},
        {QStringLiteral("summary"), summary},
        {QStringLiteral("details"), QJsonArray::fromStringList(details)},
        {QStringLiteral("gitCommit"), gitCommit},
        {QStringLiteral("summary_i18n"), summaries},
        {QStringLiteral("details_i18n"), detailLists},
    };
}
