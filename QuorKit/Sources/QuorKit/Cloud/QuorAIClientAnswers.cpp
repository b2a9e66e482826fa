#include "QuorKit/Cloud/QuorAIClient.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorServerErrorSummary.h"
#include "QuorKit/Cloud/QuorSendOnce.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QStringDecoder>

#include <QCoro/QCoroSignal>

#include <chrono>
#include <cmath>

namespace {

// ---------------------------------------------------------------------------------------------------
// Reading JSON leniently: a member of another type counts as absent.

std::optional<QString> stringMember(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

std::optional<QJsonObject> objectMember(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    return value.isObject() ? std::optional<QJsonObject>(value.toObject()) : std::nullopt;
}

// An array only counts when every element is an object.
std::optional<QList<QJsonObject>> objectsMember(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isArray()) {
        return std::nullopt;
    }
    QList<QJsonObject> objects;
    for (const QJsonValue& element : value.toArray()) {
        if (!element.isObject()) {
            return std::nullopt;
        }
        objects.append(element.toObject());
    }
    return objects;
}

// The "text" strings of the elements that have one, joined by `separator`.
QString joinedTexts(const QList<QJsonObject>& parts, const QString& separator)
{
    QStringList texts;
    for (const QJsonObject& part : parts) {
        if (const auto text = stringMember(part, QStringLiteral("text"))) {
            texts.append(*text);
        }
    }
    return texts.join(separator);
}

std::optional<QJsonObject> parseObject(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

std::optional<double> finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// A JSON number, or a text that reads as a decimal number; never infinite or NaN.
std::optional<double> finiteNumber(const QJsonValue& value)
{
    if (value.isDouble()) {
        return finite(value.toDouble());
    }
    if (value.isString()) {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        return ok ? finite(number) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}
} // namespace

QuorAIClientError QuorAIClient::parseHTTPError(int statusCode, const QByteArray& data)
{
    const QString raw = strictUtf8(data).value_or(QString()).trimmed();
    std::optional<QString> code;
    std::optional<QString> message;
    std::optional<QString> app;
    if (const auto object = parseObject(data)) {
        const auto errorObject = objectMember(*object, QStringLiteral("error"));
        const QJsonObject inner = errorObject.value_or(QJsonObject());
        for (const auto& candidate : {stringMember(*object, QStringLiteral("error")), stringMember(inner, QStringLiteral("code")),
                                      stringMember(inner, QStringLiteral("type")), stringMember(*object, QStringLiteral("code"))}) {
            if (candidate) {
                code = candidate;
                break;
            }
        }
        message = stringMember(*object, QStringLiteral("message"));
        if (!message) {
            message = stringMember(inner, QStringLiteral("message"));
        }
        app = stringMember(*object, QStringLiteral("app"));
        if (!app) {
            app = stringMember(inner, QStringLiteral("app"));
        }
    }

    if (statusCode == 402) {
        const QString budgetCode = QStringLiteral("app_budget_exceeded");
        if ((code && code->toLower() == budgetCode) || raw.toLower().contains(budgetCode)) {
            return QuorAIClientError::appBudgetExceeded(app, message);
        }
        return QuorAIClientError::insufficientCredits(message);
    }
    // The server's words from a JSON error or a plain-text answer ("model not loaded"); an HTML page
    // or other markup is the log's, and the error then reads as a sentence with the status.
    std::optional<QString> words = QuorServerErrorSummary::serverMessage(data);
    if (!words) {
        words = QuorServerErrorSummary::plainTextMessage(data);
    }
    return QuorAIClientError::httpError(statusCode, words.value_or(QString()));
}

QuorAIBillingBalance QuorAIClient::extractBillingBalance(const QNetworkReply* http,
                                                         const std::optional<QJsonObject>& jsonObject)
{
    QuorAIBillingBalance balance;
    if (jsonObject) {
        if (const auto billing = objectMember(*jsonObject, QStringLiteral("tallowmer_billing"))) {
            balance.availableUSD = finiteNumber(billing->value(QStringLiteral("available_usd")));
            if (!balance.availableUSD) {
                if (const auto micros = finiteNumber(billing->value(QStringLiteral("available_micros")))) {
                    balance.availableUSD = *micros / 1'000'000.0;
                }
            }
            balance.creditsAvailable = finiteNumber(billing->value(QStringLiteral("credits_available")));
        }
    }
    if (http) {
        const auto header = [http](const QByteArray& name) -> std::optional<double> {
            if (!http->hasRawHeader(name)) {
                return std::nullopt;
            }
            return finiteNumber(QJsonValue(QString::fromUtf8(http->rawHeader(name))));
        };
        if (!balance.availableUSD) {
            balance.availableUSD = header("X-Quorbel-Available-Usd");
        }
        if (!balance.creditsAvailable) {
            balance.creditsAvailable = header("X-Quorbel-Credits-Available");
        }
    }
    return balance;
}

QCoro::Task<> QuorAIClient::notifyBillingUpdate(QuorAIClient client, QuorAIBillingBalance balance, quint64 epoch)
{
    if (client.onBillingUpdate) {
        co_await client.onBillingUpdate(balance.availableUSD, balance.creditsAvailable);
        co_return;
    }
    QuorCreditsAccountStore::shared().applyLiveBillingBalance(balance.availableUSD, balance.creditsAvailable, epoch);
}

std::optional<QString> QuorAIClient::extractNonStreamingContent(const QJsonObject& object)
{
    const auto choices = objectsMember(object, QStringLiteral("choices"));
    if (choices && !choices->isEmpty()) {
        if (const auto message = objectMember(choices->first(), QStringLiteral("message"))) {
            if (const auto content = stringMember(*message, QStringLiteral("content"))) {
                return content->trimmed();
            }
            if (const auto parts = objectsMember(*message, QStringLiteral("content"))) {
                const QString joined = joinedTexts(*parts, QStringLiteral("\n"));
                if (!joined.isEmpty()) {
                    return joined.trimmed();
                }
            }
        }
    }
    if (const auto message = objectMember(object, QStringLiteral("message"))) {
        if (const auto content = stringMember(*message, QStringLiteral("content"))) {
            return content->trimmed();
        }
    }
    if (const auto response = stringMember(object, QStringLiteral("response"))) {
        return response->trimmed();
    }
    return std::nullopt;
}

std::optional<QString> QuorAIClient::extractOllamaStreamDelta(const QJsonObject& object)
{
    if (const auto message = objectMember(object, QStringLiteral("message"))) {
        if (auto content = stringMember(*message, QStringLiteral("content"))) {
            return content;
        }
    }
    return stringMember(object, QStringLiteral("response"));
}

std::optional<QString> QuorAIClient::extractOpenAIStreamDelta(const QJsonObject& object)
{
    const auto choices = objectsMember(object, QStringLiteral("choices"));
    if (!choices || choices->isEmpty()) {
        return std::nullopt;
    }
    const QJsonObject& first = choices->first();
    if (const auto delta = objectMember(first, QStringLiteral("delta"))) {
        if (auto content = stringMember(*delta, QStringLiteral("content"))) {
            return content;
        }
        if (const auto parts = objectsMember(*delta, QStringLiteral("content"))) {
            const QString joined = joinedTexts(*parts, QString());
            return joined.isEmpty() ? std::nullopt : std::optional<QString>(joined);
        }
    }
    if (const auto message = objectMember(first, QStringLiteral("message"))) {
        if (auto content = stringMember(*message, QStringLiteral("content"))) {
            return content;
        }
    }
    if (first.contains(QStringLiteral("text"))) {
        return stringMember(first, QStringLiteral("text"));
    }
    return std::nullopt;
}
