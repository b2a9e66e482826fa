#pragma once

#include "QuorKit/Cloud/QuorAIProvider.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubConfig.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"
#include "QuorZubCore/Services/ZubAIChatClient.h"
#include "QuorZubCore/Services/ZubSecretStore.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

class QNetworkAccessManager;

// Runs one action on one text and returns one result: offline tools, arithmetic, QR codes, the
// dictionary, the keyless web translation and AI chat completions. Failures never escape: every
// one comes back as a result whose isError is true and whose output is a message in the interface
// language. Also keeps the per-provider API key in the system keyring.
//
// A copyable value. execute() may be awaited from the GUI thread: the offline work runs on a
// worker thread and network requests are awaited without blocking. Each call copies what it needs,
// so the service may be destroyed while a call is still running.
class ZubTranslationAndAIService {
public:
    // What the web translator returned for a text: the translation and, when it said so, the
    // source language as it spells it.
    struct WebTranslation {
        QString translated;
        std::optional<QString> detectedLanguage;
        bool operator==(const WebTranslation& other) const = default;
    };

    // Keyring items: service "com.tallowmer.quorzub", account "ai-api-key-" + the provider's raw value;
    // beside it, account + "-host" holds the host the key was saved for.
    static const QString keychainService;
    static QString keychainAccount(QuorAIProvider provider);
    static QString keychainHostAccount(QuorAIProvider provider);

    // Web translation limits, in user-perceived characters.
    static constexpr qsizetype webMaxChunkLength = 3500;
    static constexpr qsizetype webMaxTotalCharacters = 24000;
    static constexpr qsizetype webMinimumChunkLength = 64;
    // A request that receives nothing for this long ends.
    static constexpr std::chrono::seconds webRequestTimeout{15};
    // The longest one whole web translation may take, all its chunks together, as long as an AI
    // answer may: a server that sends a byte now and then cannot keep the action pending.
    static constexpr std::chrono::seconds webTranslationDeadline{90};

    // https://translate.googleapis.com
    static QUrl defaultWebTranslationBaseURL();

    // `network` (not owned; the application's shared one) carries the web translation requests;
    // without one each translation makes its own. Tests point `webTranslationBaseURL` at a local server.
    ZubTranslationAndAIService(std::shared_ptr<ZubAIChatClient> aiClient, std::shared_ptr<ZubSecretStore> secretStore,
                               QUrl webTranslationBaseURL = defaultWebTranslationBaseURL(),
                               QNetworkAccessManager* network = nullptr);

    // Tests shorten the whole translation's deadline.
    void setWebTranslationDeadline(std::chrono::milliseconds deadline) { m_webTranslationDeadline = deadline; }

    // Titles and messages in `language`. A cancelled network step ends in an error result like any
    // other failure; the caller drops it.
    QCoro::Task<ZubExecutionResult> execute(ZubActionDefinition action, QString inputText, ZubConfig config,
                                            QuorLanguage language, QuorCancellationToken cancel = {}) const;

    // Saves the trimmed key for the host of `endpointURL`: AI requests carry it only to that host. A
    // key that trims to nothing deletes the stored one instead. Throws the keyring's error.
    QCoro::Task<> saveAPIKey(QString key, QuorAIProvider provider, QString endpointURL) const;
    // The stored key, whatever host it belongs to.
    QCoro::Task<std::optional<QString>> loadAPIKey(QuorAIProvider provider) const;
    // The host the stored key belongs to (lower-cased); nothing without a key. A key kept from before
    // keys carried their host belongs to `endpointURL` (the endpoint in the settings) when that is a
    // public https address, else to the provider's default endpoint; that host is recorded with it.
    QCoro::Task<std::optional<QString>> savedAPIKeyHost(QuorAIProvider provider, QString endpointURL) const;
    QCoro::Task<> deleteAPIKey(QuorAIProvider provider) const;

    // Cuts a text for the web translator: at most `maxTotalCharacters` are kept, chunks are at most
    // max(64, maxChunkLength) characters and end after a blank line, a line feed or white space
    // where one lies in reach. A text that fits is one chunk, unchanged; longer texts give trimmed,
    // non-empty chunks.
    static QStringList splitTextForWebTranslation(const QString& text, qsizetype maxChunkLength,
                                                  qsizetype maxTotalCharacters);

    // Reads the translator's nested array: the first strings of the first element's segments,
    // concatenated and trimmed, and the third element as the detected language. Nothing for
    // anything else or an empty translation.
    static std::optional<WebTranslation> parseGoogleTranslatePayload(const QByteArray& body);

    // https address of a web search for the text; the query is percent-encoded strictly.
    static QString webSearchURL(const QString& text);

private:
    static QCoro::Task<ZubExecutionResult> run(std::shared_ptr<ZubAIChatClient> aiClient,
                                               std::shared_ptr<ZubSecretStore> secretStore, QUrl webBaseURL,
                                               QPointer<QNetworkAccessManager> network,
                                               std::chrono::milliseconds webDeadline, ZubActionDefinition action,
                                               QString inputText, ZubConfig config, QuorLanguage language,
                                               QuorCancellationToken cancel);

    // The chunks one after another, all within `deadline`; any failure fails the whole translation.
    // Throws ZubTranslationServiceError, transport errors (a timed-out one past the deadline) and
    // QuorCancelledError.
    static QCoro::Task<WebTranslation> fetchFreeWebTranslation(QPointer<QNetworkAccessManager> network, QUrl baseURL,
                                                               QString text, QString targetCode,
                                                               QuorCancellationToken cancel,
                                                               std::chrono::milliseconds deadline);
    static QCoro::Task<WebTranslation> fetchSingleWebTranslationChunk(QNetworkAccessManager* network, QUrl baseURL,
                                                                      QString text, QString targetCode,
                                                                      QuorCancellationToken cancel,
                                                                      QDeadlineTimer deadline);

    std::shared_ptr<ZubAIChatClient> m_aiClient;
    std::shared_ptr<ZubSecretStore> m_secretStore;
    QUrl m_webTranslationBaseURL;
    QPointer<QNetworkAccessManager> m_network;
    std::chrono::milliseconds m_webTranslationDeadline = webTranslationDeadline;
};
