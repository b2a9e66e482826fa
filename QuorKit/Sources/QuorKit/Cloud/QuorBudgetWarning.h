#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// One warning the gateway attaches to the account profile.
struct QuorBudgetWarning {
    QString kind;
    QString severity;
    std::optional<QString> app;
    QString message;

    // kind|severity|app|message, a missing app counting as empty.
    QString id() const;
    bool isCritical() const;

    // "kind", "severity" and "message" are required; throws QuorDecodingError.
    static QuorBudgetWarning fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    bool operator==(const QuorBudgetWarning& other) const = default;
};
