#include "QuorZubAppTests/StudioViewModel/FakeStudioEnvironment.h"

#include "QuorKit/Cloud/QuorAIClient.h"
#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorAIModelRegistry.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorKeychainStore.h"
#include "QuorKit/Design/QuorGroundBackground.h"
#include "QuorKit/UI/AI/QuorAIModelCatalogSection.h"
#include "QuorKit/UI/AI/QuorAIModelRowButton.h"
#include "QuorKit/UI/AI/QuorAIUnifiedSettingsCard.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/Studio/ZubSettingsView.h"
#include "QuorZubCore/Services/ZubConfigStore.h"
#include "QuorZubCore/Services/ZubKeychainSecretStore.h"
#include "QuorZubCore/Services/ZubQuorAIChatClient.h"
#include "QuorZubCore/Services/ZubTranslationAndAIService.h"
#include "Support/QuorAcmeCatalogEntries.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <memory>

namespace {
const QColor accent(0xF4, 0x72, 0xD0);

// The desktop keyring under a service of this run's own, so parallel tests never share an item.
class IsolatedKeyring : public ZubSecretStore {
public:
    explicit IsolatedKeyring(QString suffix) : m_suffix(std::move(suffix)) {}

    QCoro::Task<> save(QString secret, QString service, QString account) override
    {
        return m_keyring.save(std::move(secret), service + m_suffix, std::move(account));
    }
    QCoro::Task<std::optional<QString>> load(QString service, QString account) override
    {
        return m_keyring.load(service + m_suffix, std::move(account));
    }
    QCoro::Task<> remove(QString service, QString account) override
    {
        return m_keyring.remove(service + m_suffix, std::move(account));
    }

private:
    ZubKeychainSecretStore m_keyring;
    QString m_suffix;
};

// The scripted desktop, except that actions and keys go through the application's real action
// service: its AI client posts to whatever the configuration names, with the key from the keyring.
class ServiceEnvironment : public FakeStudioEnvironment {
public:
    explicit ServiceEnvironment(ZubTranslationAndAIService service) : m_service(std::move(service)) {}

    QCoro::Task<ZubExecutionResult> execute(ZubActionDefinition action, QString inputText, ZubConfig config,
                                            QuorLanguage language, QuorCancellationToken cancel) override
    {
        return m_service.execute(std::move(action), std::move(inputText), std::move(config), language, std::move(cancel));
    }
    QCoro::Task<> saveAPIKey(QString key, QuorAIProvider provider, QString endpointURL) override
    {
        return m_service.saveAPIKey(std::move(key), provider, std::move(endpointURL));
    }
    QCoro::Task<std::optional<QString>> loadAPIKey(QuorAIProvider provider) override
    {
        return m_service.loadAPIKey(provider);
    }
    QCoro::Task<std::optional<QString>> savedAPIKeyHost(QuorAIProvider provider, QString endpointURL) override
    {
        return m_service.savedAPIKeyHost(provider, std::move(endpointURL));
    }
    QCoro::Task<> deleteAPIKey(QuorAIProvider provider) override { return m_service.deleteAPIKey(provider); }

private:
    ZubTranslationAndAIService m_service;
};

// The application's view model over stores that talk only to the local test server.
class RoadViewModel : public ZubStudioViewModel {
public:
    RoadViewModel(std::unique_ptr<ZubStudioEnvironment> environment, const QString& folder,
                  QuorCreditsAccountStore& credits, QuorAIModelCatalogStore& catalog)
        : ZubStudioViewModel(std::move(environment), folder), m_credits(credits), m_catalog(catalog)
    {
    }
    QuorCreditsAccountStore& creditsStore() const override { return m_credits; }
    QuorAIModelCatalogStore& catalogStore() const override { return m_catalog; }

private:
    QuorCreditsAccountStore& m_credits;
    QuorAIModelCatalogStore& m_catalog;
};

ZubActionDefinition summarize()
{
    for (const ZubActionDefinition& action : ZubActionDefinition::defaultActions()) {
        if (action.kind == ZubActionKind::summarize) {
            return action;
        }
    }
    return {};
}

// One local server playing the parts on this computer: the published catalog, Ollama, LM Studio
// (under "/lmstudio/v1") and the credits gateway; a second one on another address plays an
// OpenAI-compatible cloud provider (under "/v1"), a host of its own.
struct Road {
    QTemporaryDir folder;
    QuorTestHttpServer server;
    QuorTestHttpServer cloud{"127.0.0.2"};
    QNetworkAccessManager network;
    std::unique_ptr<QuorCreditsAccountManager> manager;
    std::unique_ptr<QuorCreditsAccountStore> credits;
    std::unique_ptr<QuorAIModelRegistry> registry;
    std::unique_ptr<QuorAIModelCatalogStore> catalog;
    QString keyringSuffix = QStringLiteral(".road-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<RoadViewModel> model;
    std::unique_ptr<ZubSettingsView> view;

    Road()
    {
        QVERIFY(server.start());
        QVERIFY(cloud.start());
        const QString base = server.baseUrl().toString();
        manager = std::make_unique<QuorCreditsAccountManager>(folder.filePath(QStringLiteral("account")), std::nullopt, base);
        credits = std::make_unique<QuorCreditsAccountStore>(*manager);
        registry = std::make_unique<QuorAIModelRegistry>(folder.filePath(QStringLiteral("ai")),
                                                         server.url(QStringLiteral("/catalog.json")).toString());
        catalog = std::make_unique<QuorAIModelCatalogStore>(registry.get(), base, base + QStringLiteral("/lmstudio/v1"));
        serve();

        ZubTranslationAndAIService service(
            std::make_shared<ZubQuorAIChatClient>(QuorAIClient(&network, manager.get())),
            std::make_shared<IsolatedKeyring>(keyringSuffix), server.url(QStringLiteral("/translate")), &network);
        model = std::make_unique<RoadViewModel>(std::make_unique<ServiceEnvironment>(service),
                                                folder.filePath(QStringLiteral("zub")), *credits, *catalog);
        view = std::make_unique<ZubSettingsView>(*model, accent);
    }

    ~Road()
    {
        view.reset();
        model.reset();
        for (const QString& account : {ZubTranslationAndAIService::keychainAccount(QuorAIProvider::openAI),
                                       ZubTranslationAndAIService::keychainHostAccount(QuorAIProvider::openAI)}) {
            quorAwait(QuorKeychainStore::deleteItem(ZubTranslationAndAIService::keychainService + keyringSuffix, account));
        }
    }

    void serve()
    {
        QuorAIModelCatalogDocument document = catalog->document();
        document.catalogVersion = QStringLiteral("2025.07-road");
        for (QuorAIProviderSpec& provider : document.providers) {
            if (provider.id == QStringLiteral("lmstudio")) {
                provider.defaultBaseUrl = server.url(QStringLiteral("/lmstudio/v1")).toString();
            }
        }
        quorAddAcmeCatalogEntries(document, cloud.url(QStringLiteral("/v1")).toString());

        server.route("GET", "/catalog.json", QuorTestHttpResponse::json(QJsonDocument(document.toJson()).toJson()));
        server.route("GET", "/api/tags", QuorTestHttpResponse::json(R"({"models":[{"name":"phi3:mini","size":2300000000}]})"));
        server.route("GET", "/lmstudio/v1/models", QuorTestHttpResponse::json(R"({"data":[{"id":"qwen-local-7b"}]})"));
        cloud.route("POST", "/v1/chat/completions",
                    QuorTestHttpResponse::json(R"({"choices":[{"message":{"role":"assistant","content":"Cloud summary."}}]})"));
        server.route("POST", "/lmstudio/v1/chat/completions",
                     QuorTestHttpResponse::json(R"({"choices":[{"message":{"role":"assistant","content":"Studio summary."}}]})"));
        server.route("POST", "/api/chat",
                     QuorTestHttpResponse::json(R"({"message":{"role":"assistant","content":"Local summary."},"done":true})"));
    }

    QuorAIUnifiedSettingsCard& card() const { return *view->aiCard(); }

    QAbstractButton* button(const QString& name) const { return card().findChild<QAbstractButton*>(name); }
    QLineEdit* field(const QString& name) const { return card().findChild<QLineEdit*>(name); }
    QuorAIModelRowButton* row(const QString& id) const
    {
        for (QuorAIModelRowButton* button : card().catalogSection()->rowButtons()) {
            if (button->row().item.id == id) {
                return button;
            }
        }
        return nullptr;
    }

    void showAndWaitForTheCatalog()
    {
        view->resize(1000, 900);
        view->show();
        QUOR_TRY_COMPARE(catalog->discoveredLocalModels().size(), 2);
        QUOR_TRY_VERIFY(!catalog->isSyncing() && !credits->isRefreshing());
        QCOMPARE(catalog->document().catalogVersion, QStringLiteral("2025.07-road"));
    }

    // Runs Summarize from the playground; `chat` receives the one chat request it made, on `host`
    // (the local server when none).
    void summarizeThrough(const QByteArray& path, const QString& expectedOutput, QuorTestHttpRequest& chat,
                          QuorTestHttpServer* host = nullptr)
    {
        server.clearRequests();
        cloud.clearRequests();
        model->setPlaygroundText(QStringLiteral("The committee met twice this week. It approved the budget and "
                                                "postponed the vote on the new building until spring."));
        model->runPlaygroundAction(summarize());
        QUOR_TRY_VERIFY(!model->isPlaygroundBusy() && model->playgroundResult());
        QVERIFY2(!model->playgroundResult()->isError, qPrintable(model->playgroundResult()->outputText));
        QCOMPARE(model->playgroundResult()->outputText, expectedOutput);
        const QList<QuorTestHttpRequest> chats = (host != nullptr ? host : &server)->requests(path);
        QCOMPARE(chats.size(), 1);
        QCOMPARE(server.requests(path).size() + cloud.requests(path).size(), 1);
        chat = chats.first();
    }
};

QJsonObject bodyOf(const QuorTestHttpRequest& request)
{
    return QJsonDocument::fromJson(request.body).object();
}

// The whole settings tab, at a height that shows every card in full, over the studio's ground.
void saveTabScreenshot(ZubSettingsView& view, const QString& name)
{
    auto* area = view.findChild<QScrollArea*>();
    for (int pass = 0; pass < 3; ++pass) {
        view.resize(1000, area->widget()->layout()->totalHeightForWidth(1000) + 4);
        for (int turn = 0; turn < 8; ++turn) {
            QCoreApplication::processEvents();
        }
    }
    const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QuorGroundBackground::paint(painter, QRectF(image.rect()), QuorProductPalette::deepCoral);
    view.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.end();
    image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
} // namespace

// In the settings tab the user picks a provider and a model (from the catalog or a server found on
// this computer), saves a key, and the next AI action uses exactly them.
class TestZubSettingsAIRoad : public QObject {
    Q_OBJECT
private slots:
    void init() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void aCatalogModelAndAKeyCarryTheNextAction()
    {
        Road road;
        road.showAndWaitForTheCatalog();

        road.button(QStringLiteral("provider:openAI"))->click();
        QCOMPARE(road.model->config().aiConfig.provider, QuorAIProvider::openAI);
        QTest::keyClicks(road.field(QStringLiteral("modelSearchField")), QStringLiteral("acme"));
        QVERIFY(road.row(QStringLiteral("acme/acme-writer")) != nullptr);
        road.row(QStringLiteral("acme/acme-writer"))->click();
        const QuorAIConfig chosen(QuorAIProvider::openAI, road.cloud.url(QStringLiteral("/v1/chat/completions")).toString(),
                                  QStringLiteral("acme-writer"));
        QCOMPARE(road.model->config().aiConfig, chosen);
        // Saved in the configuration file as well, for the next start.
        road.model->flushConfig();
        QCOMPARE(ZubConfigStore(road.folder.filePath(QStringLiteral("zub"))).loadConfig().aiConfig, chosen);

        QTest::keyClicks(road.field(QStringLiteral("apiKeyField")), QStringLiteral("  sk-road-123 "));
        road.button(QStringLiteral("saveKey"))->click();
        QUOR_TRY_VERIFY(road.card().uiState()->apiKeyFeedback().has_value());
        QCOMPARE(road.card().uiState()->apiKeyFeedback()->text, QStringLiteral("API key saved."));
        QVERIFY(road.model->hasSavedAPIKey());
        QVERIFY(!road.card().findChild<QWidget*>(QStringLiteral("savedLabel"))->isHidden());

        QuorTestHttpRequest chat;
        road.summarizeThrough("/v1/chat/completions", QStringLiteral("Cloud summary."), chat, &road.cloud);
        if (QTest::currentTestFailed()) {
            return;
        }
        QCOMPARE(chat.method, QByteArray("POST"));
        QCOMPARE(chat.header("host"), road.cloud.baseUrl().authority().toUtf8());
        QCOMPARE(chat.header("authorization"), QByteArray("Bearer sk-road-123"));
        const QJsonObject body = bodyOf(chat);
        QCOMPARE(body.value(QStringLiteral("model")).toString(), QStringLiteral("acme-writer"));
        QVERIFY(body.value(QStringLiteral("messages")).toArray().last().toObject().value(QStringLiteral("content"))
                    .toString()
                    .startsWith(QStringLiteral("The committee met twice")));
    }

    // The key saved for the cloud provider goes to its host and nowhere else: not to LM Studio on
    // this computer, which the catalog reaches through the same provider and which needs none.
    void modelsFoundOnThisComputerCarryTheNextAction()
    {
        Road road;
        road.showAndWaitForTheCatalog();
        road.button(QStringLiteral("provider:openAI"))->click();
        QLineEdit* search = road.field(QStringLiteral("modelSearchField"));
        QTest::keyClicks(search, QStringLiteral("acme"));
        road.row(QStringLiteral("acme/acme-writer"))->click();
        QTest::keyClicks(road.field(QStringLiteral("apiKeyField")), QStringLiteral("sk-cloud"));
        road.button(QStringLiteral("saveKey"))->click();
        QUOR_TRY_VERIFY(road.model->hasSavedAPIKey());

        search->selectAll();
        QTest::keyClick(search, Qt::Key_Backspace);
        road.button(QStringLiteral("category:installed"))->click();
        QVERIFY(road.row(QStringLiteral("lmstudio/qwen-local-7b")) != nullptr);
        QVERIFY(road.row(QStringLiteral("ollama/phi3:mini")) != nullptr);

        // LM Studio speaks the OpenAI-compatible protocol at the address the catalog gives it.
        road.row(QStringLiteral("lmstudio/qwen-local-7b"))->click();
        QCOMPARE(road.model->config().aiConfig,
                 QuorAIConfig(QuorAIProvider::openAI, road.server.url(QStringLiteral("/lmstudio/v1/chat/completions")).toString(),
                              QStringLiteral("qwen-local-7b")));
        QVERIFY(!road.model->hasSavedAPIKey());
        QuorTestHttpRequest chat;
        road.summarizeThrough("/lmstudio/v1/chat/completions", QStringLiteral("Studio summary."), chat);
        if (QTest::currentTestFailed()) {
            return;
        }
        QCOMPARE(bodyOf(chat).value(QStringLiteral("model")).toString(), QStringLiteral("qwen-local-7b"));
        QCOMPARE(chat.header("host"), road.server.baseUrl().authority().toUtf8());
        QVERIFY(chat.header("authorization").isEmpty());

        // Back on the cloud model the key goes with it again, to its own host.
        road.button(QStringLiteral("category:all"))->click();
        QTest::keyClicks(search, QStringLiteral("acme"));
        road.row(QStringLiteral("acme/acme-writer"))->click();
        QVERIFY(road.model->hasSavedAPIKey());
        road.summarizeThrough("/v1/chat/completions", QStringLiteral("Cloud summary."), chat, &road.cloud);
        if (QTest::currentTestFailed()) {
            return;
        }
        QCOMPARE(chat.header("host"), road.cloud.baseUrl().authority().toUtf8());
        QCOMPARE(chat.header("authorization"), QByteArray("Bearer sk-cloud"));
        search->selectAll();
        QTest::keyClick(search, Qt::Key_Backspace);
        road.button(QStringLiteral("category:installed"))->click();

        // Ollama runs on its fixed loopback port; here it listens elsewhere, so the user types the
        // address into the manual endpoint field, which changes nothing else.
        road.row(QStringLiteral("ollama/phi3:mini"))->click();
        QCOMPARE(road.model->config().aiConfig,
                 QuorAIConfig(QuorAIProvider::ollamaLocal, QStringLiteral("http://127.0.0.1:11434/api/chat"),
                              QStringLiteral("phi3:mini")));
        QLineEdit* endpoint = road.field(QStringLiteral("endpointField"));
        endpoint->selectAll();
        QTest::keyClicks(endpoint, road.server.url(QStringLiteral("/api/chat")).toString());
        QCOMPARE(road.model->config().aiConfig,
                 QuorAIConfig(QuorAIProvider::ollamaLocal, road.server.url(QStringLiteral("/api/chat")).toString(),
                              QStringLiteral("phi3:mini")));
        QVERIFY(road.row(QStringLiteral("ollama/phi3:mini"))->row().isSelected);

        road.summarizeThrough("/api/chat", QStringLiteral("Local summary."), chat);
        if (QTest::currentTestFailed()) {
            return;
        }
        QCOMPARE(bodyOf(chat).value(QStringLiteral("model")).toString(), QStringLiteral("phi3:mini"));
        QCOMPARE(bodyOf(chat).value(QStringLiteral("stream")), QJsonValue(false));
        QVERIFY(chat.header("authorization").isEmpty());
    }

    void screenshots()
    {
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            Road road;
            road.model->setLanguage(language);
            road.showAndWaitForTheCatalog();
            road.button(QStringLiteral("provider:openAI"))->click();
            road.row(QStringLiteral("acme/acme-writer"))->click();
            QTest::keyClicks(road.field(QStringLiteral("apiKeyField")), QStringLiteral("sk-road-123"));
            road.button(QStringLiteral("saveKey"))->click();
            QUOR_TRY_VERIFY(road.model->hasSavedAPIKey());
            saveTabScreenshot(*road.view, QStringLiteral("settings-aicard-") + QuorLanguages::rawValue(language));
        }
    }
};

QUOR_TEST_MAIN(TestZubSettingsAIRoad)
#include "tst_zubsettingsairoad.moc"
