#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// One AI provider behind the credits gateway.
struct QuorGatewayAIProvider {
    QString id;
    QString name;
    QString description;
    QString status;
    double priceMultiplier = 0;
    double holdUSD = 0;
    QStringList models;

    // Every member is required; throws QuorDecodingError.
    static QuorGatewayAIProvider fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    bool operator==(const QuorGatewayAIProvider& other) const = default;
};

// The gateway's answer to "/v1/ai/models".
struct QuorGatewayAIModelsResponse {
    qint64 creditUnitMicros = 0;
    QList<QuorGatewayAIProvider> providers;
    QStringList aliases;

    // Every member is required; throws QuorDecodingError.
    static QuorGatewayAIModelsResponse fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    bool operator==(const QuorGatewayAIModelsResponse& other) const = default;
};
