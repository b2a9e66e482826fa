#include "AICardTestSupport.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/UI/AI/QuorAIModelCatalogSection.h"
#include "QuorKit/UI/AI/QuorAIModelRowButton.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "Support/QuorAcmeCatalogEntries.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace ai_card_test;
using namespace std::chrono_literals;
using C = QuorAIModelCatalogPresentation;

namespace {
QCoro::Task<QuorAPIKeyOutcome> unused()
{
    co_return QuorAPIKeyOutcome::failed(QStringLiteral("unused"));
}

QuorAIUnifiedSettingsCard::SaveAPIKey noSave()
{
    return [](QString) { return unused(); };
}

QuorUnifiedModelRowItem item(const QString& id, const QString& apiModelId, const QString& providerId)
{
    QuorUnifiedModelRowItem row;
    row.id = id;
    row.apiModelId = apiModelId;
    row.displayName = apiModelId;
    row.providerId = providerId;
    row.vendor = QStringLiteral("Vendor");
    return row;
}

QuorUnifiedModelRowItem localRow(const QString& providerId, const QString& name)
{
    QuorUnifiedModelRowItem row = item(providerId + QLatin1Char('/') + name, name, providerId);
    row.isLocal = true;
    row.isInstalledLocally = true;
    return row;
}

QuorAIProviderSpec providerSpec(const QString& id, const QString& apiFormat, const QString& base, const QString& path)
{
    QuorAIProviderSpec provider;
    provider.id = id;
    provider.name = id;
    provider.apiFormat = apiFormat;
    provider.defaultBaseUrl = base;
    provider.chatPath = path;
    return provider;
}

// The kit's fallback catalog plus one OpenAI-compatible provider of our own and its model, served by
// the bench's server. The provider's address is written loosely (trailing slash, path without its
// leading one), as hand-made catalogs are.
QuorAIModelCatalogDocument acmeCatalog(const Bench& bench)
{
    QuorAIModelCatalogDocument document = bench.catalog->document();
    document.catalogVersion = QStringLiteral("2025.07-test");
    quorAddAcmeCatalogEntries(document, bench.server.url(QStringLiteral("/v1/")).toString());
    document.providers.last().chatPath = QStringLiteral("chat/completions");
    document.models.last().pricing->inputPer1M = 1.5;
    document.models.last().pricing->outputPer1M = 6;
    return document;
}

QStringList rowIds(const QuorAIUnifiedSettingsCard& card)
{
    QStringList ids;
    for (const QuorAIModelRowButton* button : card.catalogSection()->rowButtons()) {
        ids << button->row().item.id;
    }
    return ids;
}

QuorAIModelRowButton* rowButton(const QuorAIUnifiedSettingsCard& card, const QString& id)
{
    for (QuorAIModelRowButton* button : card.catalogSection()->rowButtons()) {
        if (button->row().item.id == id) {
            return button;
        }
    }
    return nullptr;
}

QAbstractButton* button(const QWidget& card, const QString& name)
{
    return card.findChild<QAbstractButton*>(name);
}

QLineEdit* field(const QWidget& card, const QString& name)
{
    return card.findChild<QLineEdit*>(name);
}
} // namespace

class TestQuorAIModelCatalogSection : public QObject {
    Q_OBJECT
private slots:
    void init() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void theSectionTextsFollowTheState()
    {
        C::Inputs in;
        in.config = QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("  http://x  "), QString());
        in.catalogVersion = QStringLiteral("2025.06");
        in.allRowCount = 14;
        in.localModelCount = 2;
        in.accent = accent;
        C p = C::make(in);
        QCOMPARE(p.title, QStringLiteral("Tallowmer AI Model Catalog"));
        QCOMPARE(p.countLine, QStringLiteral("2025.06 · 14 models · 2 local installed"));
        QVERIFY(p.updateEnabled && !p.showsUpdateProgress);
        QCOMPARE(p.updateSymbol, QStringLiteral("arrow.triangle.2.circlepath"));
        QVERIFY(!p.showsClearSearch);
        QVERIFY(p.showsEmptyText);
        QCOMPARE(p.emptyText, QStringLiteral("No models match this filter."));
        // The fields show the configuration exactly, blanks and all; the hints follow the provider.
        QCOMPARE(p.endpointText, QStringLiteral("  http://x  "));
        QCOMPARE(p.endpointPlaceholder, QStringLiteral("https://api.openai.com/v1/chat/completions"));
        QCOMPARE(p.modelPlaceholder, QStringLiteral("gpt-4o-mini"));

        // The chip row: the chosen one filled with the accent and without a border.
        QCOMPARE(p.categories.size(), 7);
        QVERIFY(p.categories[0].isSelected);
        QCOMPARE(p.categories[0].fill, accent);
        QVERIFY(!p.categories[0].border);
        QCOMPARE(p.categories[0].weight, QFont::DemiBold);
        QCOMPARE(p.categories[2].fill, QuorGlassTokens::surface2());
        QCOMPARE(*p.categories[2].border, QuorGlassTokens::borderSubtle());
        QCOMPARE(p.categories[2].textColor, QuorGlassTokens::textPrimary());

        in.language = QuorLanguage::tr;
        in.isSyncing = true;
        in.searchQuery = QStringLiteral("q");
        in.selectedCategory = QuorAIModelFilterCategory::vision;
        in.config = QuorAIConfig(QuorAIProvider::ollamaLocal);
        in.filteredRows = {localRow(QStringLiteral("ollama"), QStringLiteral("phi"))};
        p = C::make(in);
        QCOMPARE(p.countLine, QStringLiteral("2025.06 · 14 model · 2 yerel yüklü"));
        QCOMPARE(p.updateTitle, QStringLiteral("Kataloğu Güncelle"));
        QVERIFY(!p.updateEnabled && p.showsUpdateProgress);
        QVERIFY(p.showsClearSearch);
        QVERIFY(!p.showsEmptyText);
        QVERIFY(p.categories[6].isSelected && !p.categories[0].isSelected);
        QCOMPARE(p.categories[1].title, QStringLiteral("Tallowmer"));
        QCOMPARE(p.categories[6].title, QStringLiteral("Görsel"));
        QCOMPARE(p.overrideHeading, QStringLiteral("Manuel Uç Nokta & Model Ayarı"));
        QCOMPARE(p.modelPlaceholder, QStringLiteral("llama3.2"));
        QCOMPARE(p.endpointPlaceholder, QStringLiteral("http://127.0.0.1:11434/api/chat"));
        QCOMPARE(C::defaultModelHint(QuorAIProvider::tallowmerCredits), QStringLiteral("tallowmer-auto"));
    }

    void rowsShowTheirBadgesAndChipsInOrder()
    {
        QuorUnifiedModelRowItem cloud = item(QStringLiteral("acme/writer"), QStringLiteral("writer"), QStringLiteral("acme"));
        cloud.contextWindow = 128000;
        cloud.pricing = QuorAIModelPricing{};
        cloud.pricing->inputPer1M = 1.5;
        cloud.pricing->outputPer1M = 6;
        cloud.supportsReasoning = cloud.supportsVision = cloud.supportsTools = true;
        cloud.summaryText = QStringLiteral("Writes.");
        C::Row row = C::row(cloud, QString(), accent, QuorLanguage::en);
        QCOMPARE(row.details, (QList<C::Chip>{C::chip(QStringLiteral("128K ctx"), QuorGlassTokens::textSecondary()),
                                              C::chip(QStringLiteral("$1.50/$6.00 / 1M"), QuorGlassTokens::textSecondary()),
                                              C::chip(QStringLiteral("Reasoning"), accent),
                                              C::chip(QStringLiteral("Vision"), QuorGlassTokens::textSecondary()),
                                              C::chip(QStringLiteral("Tools"), QuorGlassTokens::textSecondary())}));
        QVERIFY(std::abs(row.details[0].fill.alphaF() - QuorGlassTokens::textSecondary().alphaF() * 0.14F) < 0.001F);
        QVERIFY(!row.recommended && !row.installed);
        QVERIFY(!row.isSelected);
        QCOMPARE(row.fill, QuorGlassTokens::surface1());
        QCOMPARE(row.border, QuorGlassTokens::borderSubtle());
        QCOMPARE(row.summary, QStringLiteral("Writes."));

        // A local catalog model: free in the success colour, no context chip for an unknown window,
        // its memory need rounded (7.5 -> 8) and tinted by how it fits, not its size on disk.
        QuorUnifiedModelRowItem local = localRow(QStringLiteral("ollama"), QStringLiteral("qwen3:8b"));
        local.minRamGb = 7.5;
        local.localSizeBytes = 5000000000LL;
        local.ramFit = QuorAIRamFit::tight;
        local.summaryText = QStringLiteral("  ");
        row = C::row(local, QStringLiteral(" QWEN3:8B\n"), accent, QuorLanguage::tr);
        QCOMPARE(row.details, (QList<C::Chip>{C::chip(QStringLiteral("Ücretsiz · Yerel"), QuorGlassTokens::success()),
                                              C::chip(QStringLiteral("8+ GB RAM"), QuorGlassTokens::warning())}));
        QCOMPARE(row.installed, std::optional(C::chip(QStringLiteral("Yüklü"), QuorGlassTokens::success())));
        QVERIFY(row.summary.isEmpty());
        QVERIFY(row.isSelected);
        QCOMPARE(row.fill, QuorGlassTokens::surface3());
        QVERIFY(std::abs(row.border.alphaF() - 0.8F) < 0.001F);

        // Without a memory figure the size on disk shows; without either, nothing.
        local.minRamGb.reset();
        QCOMPARE(C::row(local, {}, accent, QuorLanguage::en).details.last(),
                 C::chip(QStringLiteral("4.7 GB"), QuorGlassTokens::success()));
        local.minRamGb = std::numeric_limits<double>::quiet_NaN();
        local.localSizeBytes = 0;
        QCOMPARE(C::row(local, {}, accent, QuorLanguage::en).details.size(), 1);
        for (const QuorAIRamFit fit : {QuorAIRamFit::comfortable, QuorAIRamFit::exceeds, QuorAIRamFit::cloud}) {
            local.minRamGb = 1e300;
            local.ramFit = fit;
            const C::Chip ram = C::row(local, {}, accent, QuorLanguage::en).details.last();
            QVERIFY(ram.text.endsWith(QStringLiteral("+ GB RAM")));
            QCOMPARE(ram.tint, fit == QuorAIRamFit::comfortable ? QuorGlassTokens::success()
                               : fit == QuorAIRamFit::exceeds ? QuorGlassTokens::danger()
                                                              : QuorGlassTokens::textSecondary());
        }

        QuorUnifiedModelRowItem router = item(QStringLiteral("tallowmer/tallowmer-auto"), QStringLiteral("tallowmer-auto"),
                                              QStringLiteral("tallowmer"));
        router.isManagedAutoRouter = router.isTallowmerManaged = true;
        row = C::row(router, {}, accent, QuorLanguage::en);
        QCOMPARE(row.recommended, std::optional(C::chip(QStringLiteral("Recommended"), accent)));
        QCOMPARE(row.details, (QList<C::Chip>{C::chip(QStringLiteral("Auto · Credits"), QuorGlassTokens::textSecondary())}));
    }

    void theConfiguredModelMarksEveryRowItNames()
    {
        QuorUnifiedModelRowItem byApi = item(QStringLiteral("openai/gpt-4o-mini"), QStringLiteral("gpt-4o-mini"),
                                             QStringLiteral("openai"));
        QuorUnifiedModelRowItem byId = item(QStringLiteral("GPT-4O-MINI"), QStringLiteral("other"), QStringLiteral("x"));
        QuorUnifiedModelRowItem byTag = localRow(QStringLiteral("ollama"), QStringLiteral("catalog-name"));
        byTag.ollamaTag = QStringLiteral("Gpt-4o-Mini");
        QuorUnifiedModelRowItem none = item(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
        const QString model = QStringLiteral("  GPT-4O-MINI \n");
        QVERIFY(C::isRowSelected(byApi, model));
        QVERIFY(C::isRowSelected(byId, model));
        QVERIFY(C::isRowSelected(byTag, model));
        QVERIFY(!C::isRowSelected(none, model));
        // A blank model names nothing, not even a row whose own name is blank.
        QuorUnifiedModelRowItem blank = item(QString(), QString(), QStringLiteral("c"));
        blank.ollamaTag = QString();
        QVERIFY(!C::isRowSelected(blank, QStringLiteral("  ")));
    }

    void pickingARowWritesTheWholeConfiguration()
    {
        const QString gateway = QuorCreditsAccountManager::resolvedGatewayURL() + QStringLiteral("/v1/ai/chat/completions");
        const QuorAIConfig ollama(QuorAIProvider::ollamaLocal);
        const QuorAIConfig credits(QuorAIProvider::tallowmerCredits);
        QuorAIModelCatalogDocument document;
        document.providers = {providerSpec(QStringLiteral("Acme"), QStringLiteral("openai-compatible"),
                                           QStringLiteral(" https://llm.acme.test/v1/ "), QStringLiteral("chat")),
                              providerSpec(QStringLiteral("plainai"), QStringLiteral("openai"),
                                           QStringLiteral("https://plain.test/v1"), QStringLiteral("/chat/completions")),
                              providerSpec(QStringLiteral("emptyai"), QStringLiteral("openai-compatible"),
                                           QStringLiteral("/"), QStringLiteral("/chat/completions")),
                              providerSpec(QStringLiteral("lmstudio"), QStringLiteral("openai"),
                                           QStringLiteral("http://127.0.0.1:4321/v1/"), QString())};

        QuorUnifiedModelRowItem managed = item(QStringLiteral("tallowmer/tallowmer-doc-fast"),
                                               QStringLiteral("tallowmer-doc-fast"), QStringLiteral("tallowmer"));
        managed.isTallowmerManaged = true;
        QCOMPARE(C::applyModelSelection(managed, ollama, document),
                 QuorAIConfig(QuorAIProvider::tallowmerCredits, gateway, QStringLiteral("tallowmer-doc-fast")));

        QuorUnifiedModelRowItem tagged = localRow(QStringLiteral("Ollama"), QStringLiteral("llama3.2:3b"));
        tagged.ollamaTag = QStringLiteral("llama3.2");
        QCOMPARE(C::applyModelSelection(tagged, credits, document),
                 QuorAIConfig(QuorAIProvider::ollamaLocal, QStringLiteral("http://127.0.0.1:11434/api/chat"),
                              QStringLiteral("llama3.2")));
        tagged.ollamaTag = QStringLiteral(" ");
        QCOMPARE(C::applyModelSelection(tagged, credits, document).model, QStringLiteral("llama3.2:3b"));

        // LM Studio: the catalog's address (the path defaults when the catalog names none), or the
        // loopback default without a catalog entry.
        const QuorUnifiedModelRowItem studio = localRow(QStringLiteral("lmstudio"), QStringLiteral("qwen3-8b"));
        QCOMPARE(C::applyModelSelection(studio, ollama, document),
                 QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("http://127.0.0.1:4321/v1/chat/completions"),
                              QStringLiteral("qwen3-8b")));
        QCOMPARE(C::applyModelSelection(studio, ollama, {}).endpointURL,
                 QStringLiteral("http://127.0.0.1:1234/v1/chat/completions"));
        // A catalog cannot point a local runtime, and the key sent to it, at another computer.
        document.providers.last().defaultBaseUrl = QStringLiteral("https://collector.example.test/v1");
        QCOMPARE(C::applyModelSelection(studio, ollama, document).endpointURL,
                 QStringLiteral("http://127.0.0.1:1234/v1/chat/completions"));

        // Cloud models: kept on the gateway while it is in use, by catalog id.
        QuorUnifiedModelRowItem cloud = item(QStringLiteral("acme/writer"), QStringLiteral("writer-1"), QStringLiteral("acme"));
        QCOMPARE(C::applyModelSelection(cloud, credits, document),
                 QuorAIConfig(QuorAIProvider::tallowmerCredits, gateway, QStringLiteral("acme/writer")));
        // Otherwise on the provider's OpenAI-compatible address, joined with one slash.
        for (const QuorAIConfig& current : {ollama, QuorAIConfig(QuorAIProvider::openAI)}) {
            QCOMPARE(C::applyModelSelection(cloud, current, document),
                     QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("https://llm.acme.test/v1/chat"),
                                  QStringLiteral("writer-1")));
        }
        // Another format, a blank address or no catalog entry: the public OpenAI endpoint.
        const QString publicOpenAI = QStringLiteral("https://api.openai.com/v1/chat/completions");
        for (const QString& provider : {QStringLiteral("plainai"), QStringLiteral("emptyai"), QStringLiteral("unknown")}) {
            cloud.providerId = provider;
            QCOMPARE(C::applyModelSelection(cloud, ollama, document),
                     QuorAIConfig(QuorAIProvider::openAI, publicOpenAI, QStringLiteral("writer-1")));
        }
    }

    void searchChipsAndRowsDriveTheList()
    {
        Bench bench;
        bench.serveCatalog(acmeCatalog(bench));
        bench.config = QuorAIConfig(QuorAIProvider::ollamaLocal);
        const auto card = bench.card(noSave());
        quorAwait(bench.catalog->refresh(false, true));
        QCOMPARE(rowIds(*card).size(), card->rows().size());
        QVERIFY(rowIds(*card).contains(QStringLiteral("acme/acme-writer")));
        QCOMPARE(card->findChild<QLabel*>(QStringLiteral("catalogCountLine"))->text(),
                 QStringLiteral("2025.07-test · %1 models · 1 local installed").arg(card->rows().size()));
        // The discovered copy of the catalog's Llama is marked installed.
        QuorAIModelRowButton* llama = rowButton(*card, QStringLiteral("ollama/llama3.2:3b"));
        QVERIFY(llama && llama->row().installed.has_value());

        auto* search = field(*card, QStringLiteral("modelSearchField"));
        QVERIFY(button(*card, QStringLiteral("clearModelSearch"))->isHidden());
        QTest::keyClicks(search, QStringLiteral("ACME"));
        QCOMPARE(card->uiState()->searchQuery(), QStringLiteral("ACME"));
        QCOMPARE(rowIds(*card), QStringList{QStringLiteral("acme/acme-writer")});
        QVERIFY(!button(*card, QStringLiteral("clearModelSearch"))->isHidden());

        // Picking the row writes the whole configuration once; the row and the fields follow.
        bench.written.clear();
        rowButton(*card, QStringLiteral("acme/acme-writer"))->click();
        const QuorAIConfig expected(QuorAIProvider::openAI,
                                    bench.server.url(QStringLiteral("/v1/chat/completions")).toString(),
                                    QStringLiteral("acme-writer"));
        QCOMPARE(bench.written, QList<QuorAIConfig>{expected});
        QVERIFY(rowButton(*card, QStringLiteral("acme/acme-writer"))->row().isSelected);
        QCOMPARE(field(*card, QStringLiteral("endpointField"))->text(), expected.endpointURL);
        QCOMPARE(field(*card, QStringLiteral("modelField"))->text(), QStringLiteral("acme-writer"));
        QCOMPARE(card->uiState()->searchQuery(), QStringLiteral("ACME"));

        button(*card, QStringLiteral("clearModelSearch"))->click();
        QCOMPARE(card->uiState()->searchQuery(), QString());
        QCOMPARE(search->text(), QString());
        QVERIFY(button(*card, QStringLiteral("clearModelSearch"))->isHidden());

        button(*card, QStringLiteral("category:local"))->click();
        QCOMPARE(card->uiState()->selectedCategory(), QuorAIModelFilterCategory::local);
        QVERIFY(card->catalogPresentation().categories[3].isSelected);
        QVERIFY(!rowIds(*card).isEmpty());
        for (const QuorAIModelRowButton* row : card->catalogSection()->rowButtons()) {
            QVERIFY(row->row().item.isLocal);
        }
        // A chip and a query that leave nothing: the line instead of the list.
        QTest::keyClicks(search, QStringLiteral("acme"));
        QVERIFY(rowIds(*card).isEmpty());
        QVERIFY(card->findChild<QScrollArea*>(QStringLiteral("modelList"))->isHidden());
        QVERIFY(!card->findChild<QLabel*>(QStringLiteral("noModelsText"))->isHidden());
        QCOMPARE(bench.written.size(), 1);
    }

    void theOverrideFieldsWriteAsTyped()
    {
        Bench bench;
        const auto card = bench.card(noSave());
        auto* endpoint = field(*card, QStringLiteral("endpointField"));
        auto* model = field(*card, QStringLiteral("modelField"));
        QCOMPARE(endpoint->text(), QStringLiteral("https://llm.example.test/v1/chat"));
        endpoint->clear();
        QCOMPARE(bench.written.size(), 0); // a programmatic change is not the user's edit
        endpoint->selectAll();
        QTest::keyClicks(endpoint, QStringLiteral(" http://h "));
        // Every keystroke is written, untrimmed, and only the endpoint changes.
        QCOMPARE(bench.written.size(), 10);
        QCOMPARE(bench.config, QuorAIConfig(QuorAIProvider::openAI, QStringLiteral(" http://h "), QStringLiteral("my-model")));
        QTest::keyClick(model, Qt::Key_Backspace);
        QCOMPARE(bench.config.model, QStringLiteral("my-mode"));
        QCOMPARE(bench.config.endpointURL, QStringLiteral(" http://h "));

        // A change from elsewhere shows in the fields and the hints.
        bench.config = QuorAIConfig(QuorAIProvider::tallowmerCredits, QString(), QString());
        card->sync();
        QCOMPARE(endpoint->text(), QString());
        QCOMPARE(model->placeholderText(), QStringLiteral("tallowmer-auto"));
        QCOMPARE(endpoint->placeholderText(),
                 QuorCreditsAccountManager::resolvedGatewayURL() + QStringLiteral("/v1/ai/chat/completions"));
    }

    void updateCatalogFetchesWhateverTheAgeAndOneAtATime()
    {
        Bench bench;
        QuorAIModelCatalogDocument document = acmeCatalog(bench);
        bench.serveCatalog(document);
        const auto card = bench.card(noSave());
        quorAwait(bench.catalog->refresh(false, true));
        QCOMPARE(bench.server.requests("/catalog.json").size(), 1);
        // Within its time to live the catalog is not fetched again on showing...
        quorAwait(bench.catalog->refresh(false, true));
        QCOMPARE(bench.server.requests("/catalog.json").size(), 1);

        // ...but the button fetches it, and the local servers are asked again.
        document.catalogVersion = QStringLiteral("2025.08-test");
        QuorTestHttpResponse slow = QuorTestHttpResponse::json(QJsonDocument(document.toJson()).toJson());
        slow.delay = 300ms;
        bench.server.route("GET", "/catalog.json", slow);
        auto* update = button(*card, QStringLiteral("updateCatalog"));
        update->click();
        QVERIFY(bench.catalog->isSyncing());
        QVERIFY(!update->isEnabled());
        QVERIFY(card->catalogPresentation().showsUpdateProgress);
        card->updateCatalog(); // dropped while the first runs
        QUOR_TRY_VERIFY(!bench.catalog->isSyncing());
        QCOMPARE(bench.server.requests("/catalog.json").size(), 2);
        QCOMPARE(bench.server.requests("/api/tags").size(), 3);
        QVERIFY(update->isEnabled());
        QVERIFY(card->catalogPresentation().countLine.startsWith(QStringLiteral("2025.08-test · ")));
    }

    void rowsGrowTallerAsTheyNarrow()
    {
        C::Row row = C::row(localRow(QStringLiteral("ollama"), QStringLiteral("phi")), {}, accent, QuorLanguage::en);
        row.summary = QStringLiteral("A summary long enough to need more than one line once the row is narrow, and "
                                     "certainly more than two lines at the narrowest width of all.");
        row.details += {C::chip(QStringLiteral("Reasoning"), accent), C::chip(QStringLiteral("Vision"), accent),
                        C::chip(QStringLiteral("Tools"), accent)};
        QuorAIModelRowButton button;
        button.setRow(row);
        QCOMPARE(button.objectName(), QStringLiteral("model:ollama/phi"));
        const int wide = button.heightForWidth(900);
        const int narrow = button.heightForWidth(160);
        QVERIFY(narrow > wide);

        // At most two lines, the second one cut short with an ellipsis.
        const QStringList lines = QuorAIModelRowButton::summaryLines(row.summary, 140);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].endsWith(QChar(0x2026)));
        QCOMPARE(QuorAIModelRowButton::summaryLines(QStringLiteral("short"), 900), QStringList{QStringLiteral("short")});
        QVERIFY(QuorAIModelRowButton::summaryLines(QStringLiteral(" \n "), 900).isEmpty());
        QVERIFY(QuorAIModelRowButton::summaryLines(QStringLiteral("text"), 0).isEmpty());
    }

    // As tall as its rows within the limits, rows made afresh included, and scrolling as far as its
    // last row, never on into empty space.
    void theListIsAsTallAsItsRowsWithinLimits()
    {
        Bench bench;
        bench.serveCatalog(acmeCatalog(bench));
        auto* card = bench.card(noSave()).release();
        Backdrop backdrop(card);
        backdrop.resize(760, 1000);
        backdrop.show();
        quorAwait(bench.catalog->refresh(false, true));
        auto* list = card->findChild<QScrollArea*>(QStringLiteral("modelList"));
        const auto scrollsToTheLastRow = [&] {
            const QuorAIModelRowButton* last = card->catalogSection()->rowButtons().last();
            const int rowsEnd = last->geometry().bottom() + 1 + list->widget()->layout()->contentsMargins().bottom();
            return list->verticalScrollBar()->maximum() == std::max(0, rowsEnd - list->viewport()->height());
        };
        QUOR_TRY_COMPARE(list->height(), QuorAIModelCatalogSection::listMaximumHeight);
        QUOR_TRY_VERIFY(scrollsToTheLastRow() && list->verticalScrollBar()->maximum() > 0);
        auto* search = field(*card, QStringLiteral("modelSearchField"));
        QTest::keyClicks(search, QStringLiteral("acme"));
        QUOR_TRY_COMPARE(list->height(), QuorAIModelCatalogSection::listMinimumHeight);
        QUOR_TRY_VERIFY(scrollsToTheLastRow());
        // Rows made again as the search is cleared.
        search->selectAll();
        QTest::keyClick(search, Qt::Key_Backspace);
        QUOR_TRY_COMPARE(list->height(), QuorAIModelCatalogSection::listMaximumHeight);
        QUOR_TRY_VERIFY(scrollsToTheLastRow());
        QUOR_TRY_VERIFY(!bench.catalog->isSyncing() && !bench.credits->isRefreshing());
    }

    void screenshots()
    {
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            Bench bench;
            bench.serveCatalog(acmeCatalog(bench));
            bench.config = QuorAIConfig(QuorAIProvider::ollamaLocal, std::nullopt, QStringLiteral("llama3.2:3b"));
            auto* card = bench.card(noSave(), {}, language).release();
            Backdrop backdrop(card);
            backdrop.resize(760, 900);
            backdrop.show();
            QUOR_TRY_VERIFY(!bench.catalog->discoveredLocalModels().isEmpty());
            QUOR_TRY_VERIFY(!bench.catalog->isSyncing() && !bench.credits->isRefreshing());
            saveScreenshot(&backdrop, QStringLiteral("aicard-catalog-") + QuorLanguages::rawValue(language));
        }
    }
};

QUOR_TEST_MAIN(TestQuorAIModelCatalogSection)
#include "tst_quoraimodelcatalogsection.moc"
