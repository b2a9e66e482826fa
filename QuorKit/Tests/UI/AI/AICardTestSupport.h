#pragma once

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorAIModelRegistry.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorKeychainStore.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/AI/QuorAIUnifiedSettingsCard.h"
#include "QuorKit/UI/AI/QuorAPIKeyOutcome.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QPainter>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

#include <memory>

#include <QCoro/QCoroTask>

// The keyring operations an application would hand the AI card: straight to the desktop keyring,
// each reporting what the keyring really did.
namespace ai_card_test {

inline const QString keyringService = QStringLiteral("com.tallowmer.quorzub");
inline const QColor accent(0xF4, 0x72, 0xD0);

inline QCoro::Task<QuorAPIKeyOutcome> keyringSave(QString account, QString key)
{
    std::optional<QString> refusal;
    try {
        co_await QuorKeychainStore::save(key, keyringService, account);
    } catch (const QuorKeychainError& error) {
        refusal = localizedDescription(error);
    }
    co_return refusal ? QuorAPIKeyOutcome::failed(*refusal) : QuorAPIKeyOutcome::done();
}

inline QCoro::Task<QuorAPIKeyOutcome> keyringDelete(QString account)
{
    std::optional<QString> refusal;
    try {
        co_await QuorKeychainStore::deleteItem(keyringService, account);
    } catch (const QuorKeychainError& error) {
        refusal = localizedDescription(error);
    }
    co_return refusal ? QuorAPIKeyOutcome::failed(*refusal) : QuorAPIKeyOutcome::done();
}

// A dark studio-like ground for grabs of the translucent card.
class Backdrop : public QWidget {
public:
    explicit Backdrop(QWidget* content)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(20, 20, 20, 20);
        layout->addWidget(content);
        layout->addStretch(1);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        QLinearGradient ground(0, 0, width(), height());
        ground.setColorAt(0, QColor(0x2A, 0x14, 0x2E));
        ground.setColorAt(1, QColor(0x14, 0x10, 0x22));
        painter.fillRect(rect(), ground);
    }
};

// Writes a grab into the build tree's screenshots folder once pending layout passes have run.
inline void saveScreenshot(QWidget* widget, const QString& name)
{
    for (int turn = 0; turn < 8; ++turn) {
        QCoreApplication::processEvents();
    }
    const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Everything a card is built over: a configuration it edits through its binding, a key flag the
// "application" keeps, and stores that talk only to the local test server.
struct Bench {
    QTemporaryDir folder;
    QuorTestHttpServer server;
    QString closed; // an address where nothing listens
    std::unique_ptr<QuorCreditsAccountManager> manager;
    std::unique_ptr<QuorCreditsAccountStore> credits;
    std::unique_ptr<QuorAIModelRegistry> registry;
    std::unique_ptr<QuorAIModelCatalogStore> catalog;
    QuorAIConfig config{QuorAIProvider::openAI, QStringLiteral("https://llm.example.test/v1/chat"),
                        QStringLiteral("my-model")};
    QList<QuorAIConfig> written;

    Bench()
    {
        QVERIFY(server.start());
        QuorTestHttpServer gone;
        QVERIFY(gone.start());
        closed = gone.baseUrl().toString();
        server.route("GET", "/catalog.json", QuorTestHttpResponse::text("", 503));
        server.route("GET", "/api/tags", QuorTestHttpResponse::json(R"({"models":[{"name":"llama3.2:3b","size":2019393189}]})"));
        manager = std::make_unique<QuorCreditsAccountManager>(folder.filePath(QStringLiteral("account")), std::nullopt,
                                                              server.baseUrl().toString());
        credits = std::make_unique<QuorCreditsAccountStore>(*manager);
        registry = std::make_unique<QuorAIModelRegistry>(folder.filePath(QStringLiteral("ai")),
                                                         server.url(QStringLiteral("/catalog.json")).toString());
        catalog = std::make_unique<QuorAIModelCatalogStore>(registry.get(), server.baseUrl().toString(), closed);
    }

    // The published catalog the next sync fetches.
    void serveCatalog(const QuorAIModelCatalogDocument& document)
    {
        server.route("GET", "/catalog.json",
                     QuorTestHttpResponse::json(QJsonDocument(document.toJson()).toJson(QJsonDocument::Compact)));
    }

    // Signs the credits store in: a saved token and a gateway profile of 1250 credits.
    void signIn()
    {
        server.route("GET", "/v1/ai/models", QuorTestHttpResponse::json(R"({"providers":[]})"));
        server.route("GET", "/v1/me",
                     QuorTestHttpResponse::json(R"({"email":"ada@example.com","available_micros":12500000,)"
                                                R"("held_micros":0,"credit_unit_micros":10000})"));
        quorAwait(manager->saveToken(QStringLiteral("tok")));
        quorAwait(credits->refresh());
    }

    QuorAIUnifiedSettingsCard::ConfigBinding binding()
    {
        return {[this] { return config; },
                [this](const QuorAIConfig& value) {
                    config = value;
                    written.append(value);
                }};
    }

    std::unique_ptr<QuorAIUnifiedSettingsCard> card(QuorAIUnifiedSettingsCard::SaveAPIKey save,
                                                    QuorAIUnifiedSettingsCard::ClearAPIKey clear = {},
                                                    std::optional<QuorLanguage> language = QuorLanguage::en,
                                                    bool hasSavedAPIKey = false)
    {
        return std::make_unique<QuorAIUnifiedSettingsCard>(binding(), hasSavedAPIKey, std::move(save), std::move(clear),
                                                           std::function<void()>(), accent, language, *credits, *catalog);
    }
};

} // namespace ai_card_test
