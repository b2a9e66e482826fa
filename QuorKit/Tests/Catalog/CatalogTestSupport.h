#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// Small, complete catalog entries for tests; callers change single keys to probe the decoder.
namespace CatalogTest {

inline QJsonObject texts(const QString& en, const QString& tr)
{
    return QJsonObject{{QStringLiteral("en"), en}, {QStringLiteral("tr"), tr}};
}

inline QJsonObject lists(const QJsonArray& en, const QJsonArray& tr)
{
    return QJsonObject{{QStringLiteral("en"), en}, {QStringLiteral("tr"), tr}};
}

inline QJsonObject capabilities(bool tools = true, bool vision = false)
{
    QJsonObject object;
    for (const char* key : {"toolCalling", "parallelToolCalling", "vision", "reasoning", "structuredOutputs", "jsonMode",
                            "streaming", "systemPrompt", "promptCaching", "webSearch", "computerUse", "codeExecution",
                            "pdfInput", "audioInput", "audioOutput"}) {
        object.insert(QLatin1String(key), false);
    }
    object.insert(QStringLiteral("toolCalling"), tools);
    object.insert(QStringLiteral("vision"), vision);
    return object;
}

inline QJsonObject provider(const QString& id, const QString& deployment = QStringLiteral("cloud"))
{
    return QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), id + QStringLiteral(" name")},
        {QStringLiteral("shortName"), id},
        {QStringLiteral("deployment"), deployment},
        {QStringLiteral("apiFormat"), QStringLiteral("openai")},
        {QStringLiteral("defaultBaseUrl"), QStringLiteral("https://api.example.test/v1")},
        {QStringLiteral("chatPath"), QStringLiteral("/chat/completions")},
        {QStringLiteral("modelsPath"), QStringLiteral("/models")},
        {QStringLiteral("authType"), QStringLiteral("bearer")},
        {QStringLiteral("authHeader"), QStringLiteral("Authorization")},
        {QStringLiteral("requiresApiKey"), true},
        {QStringLiteral("apiKeyPrefix"), QStringLiteral("sk-")},
        {QStringLiteral("website"), QStringLiteral("https://example.test")},
        {QStringLiteral("apiKeyUrl"), QStringLiteral("https://example.test/keys")},
        {QStringLiteral("docsUrl"), QStringLiteral("https://example.test/docs")},
        {QStringLiteral("status"), QStringLiteral("active")},
        {QStringLiteral("accentColor"), QStringLiteral("#123456")},
        {QStringLiteral("sortOrder"), 1},
        {QStringLiteral("description"), texts(QStringLiteral("A provider"), QStringLiteral("Bir sağlayıcı"))},
    };
}

inline QJsonObject model(const QString& id, const QString& providerId = QStringLiteral("cloudco"),
                         const QString& deployment = QStringLiteral("cloud"))
{
    const QString apiModelId = id.section(QLatin1Char('/'), -1);
    return QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("providerId"), providerId},
        {QStringLiteral("apiModelId"), apiModelId},
        {QStringLiteral("aliases"), QJsonArray{}},
        {QStringLiteral("displayName"), QStringLiteral("Display ") + apiModelId},
        {QStringLiteral("family"), QStringLiteral("family")},
        {QStringLiteral("vendor"), QStringLiteral("Vendor")},
        {QStringLiteral("tier"), QStringLiteral("small")},
        {QStringLiteral("deployment"), deployment},
        {QStringLiteral("status"), QStringLiteral("active")},
        {QStringLiteral("contextWindow"), 32768},
        {QStringLiteral("maxOutputTokens"), 8192},
        {QStringLiteral("defaultMaxOutputTokens"), 2048},
        {QStringLiteral("defaultTemperature"), 0.7},
        {QStringLiteral("supportsTemperature"), true},
        {QStringLiteral("usesMaxCompletionTokens"), false},
        {QStringLiteral("modalities"), QJsonObject{{QStringLiteral("input"), QJsonArray{QStringLiteral("text")}},
                                                   {QStringLiteral("output"), QJsonArray{QStringLiteral("text")}}}},
        {QStringLiteral("capabilities"), capabilities()},
        {QStringLiteral("reasoningEffortLevels"), QJsonArray{}},
        {QStringLiteral("recommendedFor"), QJsonArray{QStringLiteral("chat")}},
        {QStringLiteral("tags"), QJsonArray{QStringLiteral("tag")}},
        {QStringLiteral("sortOrder"), 10},
        {QStringLiteral("summary"), texts(QStringLiteral("Summary"), QStringLiteral("Özet"))},
        {QStringLiteral("strengths"), lists(QJsonArray{QStringLiteral("fast")}, QJsonArray{QStringLiteral("hızlı")})},
        {QStringLiteral("limitations"), lists(QJsonArray{}, QJsonArray{})},
    };
}

inline QJsonObject document(const QJsonArray& models, const QString& catalogVersion = QStringLiteral("test-1"),
                            qint64 ttlSeconds = 3600)
{
    return QJsonObject{
        {QStringLiteral("schemaVersion"), 1},
        {QStringLiteral("catalogVersion"), catalogVersion},
        {QStringLiteral("updatedAt"), QStringLiteral("2025-01-01T00:00:00Z")},
        {QStringLiteral("ttlSeconds"), ttlSeconds},
        {QStringLiteral("source"), QStringLiteral("tests")},
        {QStringLiteral("providers"), QJsonArray{provider(QStringLiteral("cloudco")),
                                                 provider(QStringLiteral("ollama"), QStringLiteral("local"))}},
        {QStringLiteral("models"), models},
    };
}

inline QByteArray bytes(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace CatalogTest
