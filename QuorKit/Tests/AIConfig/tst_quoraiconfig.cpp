#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "Support/QuorTestSupport.h"

#include <QtTest>

class TestQuorAIConfig : public QObject {
    Q_OBJECT
private slots:
    void absentTextsTakeTheProviderDefaults()
    {
        const QuorAIConfig ollama(QuorAIProvider::ollamaLocal);
        QCOMPARE(ollama.endpointURL, QStringLiteral("http://127.0.0.1:11434/api/chat"));
        QCOMPARE(ollama.model, QStringLiteral("llama3.2"));
        QCOMPARE(QuorAIConfig(), ollama);

        const QuorAIConfig openAI(QuorAIProvider::openAI);
        QCOMPARE(openAI.endpointURL, QStringLiteral("https://api.openai.com/v1/chat/completions"));
        QCOMPARE(openAI.model, QStringLiteral("gpt-4o-mini"));

        const QuorAIConfig credits(QuorAIProvider::tallowmerCredits);
        QVERIFY(credits.endpointURL.endsWith(QStringLiteral("/v1/ai/chat/completions")));
        QCOMPARE(credits.model, QStringLiteral("tallowmer-auto"));

        const QuorAIConfig empty(QuorAIProvider::openAI, QString(), QString());
        QCOMPARE(empty.endpointURL, QString());
        QCOMPARE(empty.model, QString());
    }

    void rawValuesAreExact()
    {
        QCOMPARE(QuorAIProviders::allCases(),
                 (QList<QuorAIProvider>{QuorAIProvider::ollamaLocal, QuorAIProvider::openAI, QuorAIProvider::tallowmerCredits}));
        for (const auto provider : QuorAIProviders::allCases()) {
            QCOMPARE(QuorAIProviders::fromRawValue(QuorAIProviders::rawValue(provider)), provider);
        }
        QVERIFY(!QuorAIProviders::fromRawValue(QString()));
        QVERIFY(!QuorAIProviders::fromRawValue(QStringLiteral("OpenAI")));
        QVERIFY(!QuorAIProviders::fromRawValue(QStringLiteral("ollama")));
    }

    void displayNamesFollowTheLanguage()
    {
        QCOMPARE(QuorAIProviders::displayName(QuorAIProvider::openAI, QuorLanguage::tr),
                 QStringLiteral("OpenAI Uyumlu (Kendi Anahtarın)"));
        QCOMPARE(QuorAIProviders::displayName(QuorAIProvider::openAI, QuorLanguage::en),
                 QStringLiteral("OpenAI-Compatible (BYO Key)"));
        QVERIFY(QuorAIProviders::displayName(QuorAIProvider::tallowmerCredits, QuorLanguage::en)
                    .startsWith(QStringLiteral("Tallowmer Credits (")));
    }

    void jsonRoundTripsAndIsStrict()
    {
        for (const auto provider : QuorAIProviders::allCases()) {
            const QuorAIConfig config(provider, QStringLiteral("http://h/x"), QStringLiteral("m"));
            QCOMPARE(QuorAIConfig::fromJson(QuorJson::parseObject(QuorJson::compact(config.toJson()))), config);
        }
        const auto decoded = QuorAIConfig::fromJson(QJsonObject{
            {QStringLiteral("provider"), QStringLiteral("openAI")},
            {QStringLiteral("endpointURL"), QString()},
            {QStringLiteral("model"), QStringLiteral("x")}});
        QCOMPARE(decoded.endpointURL, QString());

        const QJsonObject good{{QStringLiteral("provider"), QStringLiteral("openAI")},
                               {QStringLiteral("endpointURL"), QStringLiteral("e")},
                               {QStringLiteral("model"), QStringLiteral("m")}};
        const QList<QPair<QString, QJsonValue>> breakages{
            {QStringLiteral("model"), QJsonValue(QJsonValue::Undefined)},
            {QStringLiteral("endpointURL"), QJsonValue(QJsonValue::Null)},
            {QStringLiteral("model"), QJsonValue(3)},
            {QStringLiteral("provider"), QJsonValue(QStringLiteral("openai"))},
            {QStringLiteral("provider"), QJsonValue(QStringLiteral("open"))},
            {QStringLiteral("provider"), QJsonValue(QJsonValue::Undefined)},
        };
        for (const auto& [key, value] : breakages) {
            QJsonObject broken = good;
            if (value.isUndefined()) {
                broken.remove(key);
            } else {
                broken.insert(key, value);
            }
            QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorAIConfig::fromJson(broken));
        }
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorAIConfig)
#include "tst_quoraiconfig.moc"
