#include "QuorKit/Cloud/QuorBudgetWarning.h"

#include "QuorKit/Utilities/QuorJson.h"

QString QuorBudgetWarning::id() const
{
    return kind + QLatin1Char('|') + severity + QLatin1Char('|') + app.value_or(QString()) + QLatin1Char('|') + message;
}

bool QuorBudgetWarning::isCritical() const
{
    return severity.toLower() == QLatin1String("critical");
}

QuorBudgetWarning QuorBudgetWarning::fromJson(const QJsonObject& object)
{
    QuorBudgetWarning warning;
    warning.kind = QuorJson::requireString(object, QStringLiteral("kind"));
    warning.severity = QuorJson::requireString(object, QStringLiteral("severity"));
    warning.app = QuorJson::optionalString(object, QStringLiteral("app"));
    warning.message = QuorJson::requireString(object, QStringLiteral("message"));
    return warning;
}

QJsonObject QuorBudgetWarning::toJson() const
{
    QJsonObject object{
        {QStringLiteral("kind"), kind},
        {QStringLiteral("severity"), severity},
        {QStringLiteral("message"), message},
    };
    if (app) {
        object.insert(QStringLiteral("app"), *app);
    }
    return object;
}
