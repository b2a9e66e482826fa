#pragma once

#include "QuorPlatform/Dictionary/QuorDictionaryService.h"
#include "QuorPlatform/LanguageRecognition/QuorLanguageRecognizer.h"
#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"
#include "QuorZubCore/Services/ZubAIChatClient.h"
#include "QuorZubCore/Services/ZubSecretStore.h"

#include <QList>
#include <QMap>

#include <memory>
#include <optional>

// An AI client that records each call and answers as scripted.
class FakeAIClient : public ZubAIChatClient {
public:
    struct Call {
        QString systemPrompt;
        QString userPrompt;
        QuorAIConfig config;
        std::optional<QString> apiKey;
    };

    QCoro::Task<QString> complete(QString systemPrompt, QString userPrompt, QuorAIConfig config,
                                  std::optional<QString> apiKey, QuorCancellationToken) override
    {
        calls.append({systemPrompt, userPrompt, config, apiKey});
        if (failure) {
            throw *failure;
        }
        co_return QString(reply); // QCoro 0.8 moves from a co_returned non-const lvalue
    }

    QList<Call> calls;
    QString reply = QStringLiteral("  the AI's reply\n");
    std::optional<QuorError> failure;
};

// The keyring as a map; remembers what was asked of it.
class FakeSecretStore : public ZubSecretStore {
public:
    QCoro::Task<> save(QString secret, QString service, QString account) override
    {
        log.append(QStringLiteral("save ") + account);
        if (failure) {
            throw *failure;
        }
        items.insert(service + u'/' + account, secret);
        co_return;
    }
    QCoro::Task<std::optional<QString>> load(QString service, QString account) override
    {
        log.append(QStringLiteral("load ") + account);
        const auto found = items.constFind(service + u'/' + account);
        co_return found == items.constEnd() ? std::nullopt : std::optional<QString>(*found);
    }
    QCoro::Task<> remove(QString service, QString account) override
    {
        log.append(QStringLiteral("remove ") + account);
        items.remove(service + u'/' + account);
        co_return;
    }

    QMap<QString, QString> items;
    QStringList log;
    std::optional<QuorError> failure;
};

// Offline engine services with fixed answers: one language for every text ("un" for none) and a
// small dictionary.
class FixedLanguage : public quor::platform::LanguageRecognizer {
public:
    explicit FixedLanguage(QString code) : m_code(std::move(code)) {}
    quor::platform::LanguageGuess dominantLanguage(const QString&) override { return {m_code, true}; }

private:
    QString m_code;
};

class FixedDictionary : public quor::platform::DictionaryService {
public:
    explicit FixedDictionary(QMap<QString, QString> entries) : m_entries(std::move(entries)) {}
    std::optional<QString> definition(const QString& term) override
    {
        const auto found = m_entries.constFind(term);
        return found == m_entries.constEnd() ? std::nullopt : std::optional<QString>(*found);
    }

private:
    QMap<QString, QString> m_entries;
};

inline void useFixedEngine(const QString& languageCode, QMap<QString, QString> dictionary = {})
{
    ZubOfflineTextEngine::Services services;
    services.languageRecognizer = std::make_shared<FixedLanguage>(languageCode);
    services.dictionary = std::make_shared<FixedDictionary>(std::move(dictionary));
    ZubOfflineTextEngine::setServices(services);
}

inline ZubActionDefinition actionOf(ZubActionKind kind, std::optional<QString> customPrompt = std::nullopt)
{
    return ZubActionDefinition::make(QUuid::createUuid(), kind, std::nullopt, std::nullopt, std::nullopt, true,
                                     customPrompt, 0);
}

inline ZubConfig configWith(ZubTranslationBackend backend, QuorAIProvider provider = QuorAIProvider::ollamaLocal)
{
    ZubConfig config = ZubConfig::defaultConfig();
    config.translationBackend = backend;
    config.aiConfig = QuorAIConfig(provider);
    return config;
}
