#include "QuorKit/UI/AI/QuorAIModelCatalogPresentation.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCredentialRoute.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Credits/QuorCreditsUIFormatter.h"

#include <QUrl>

namespace {
using P = QuorAIModelCatalogPresentation;

QString t(const QString& en, const QString& tr, QuorLanguage language)
{
    return quorText(en, tr, {}, language);
}

QColor withAlpha(QColor color, double factor)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * factor));
    return color;
}

QString trimmedSlashes(QString text)
{
    text = text.trimmed();
    while (text.startsWith(QLatin1Char('/'))) {
        text.remove(0, 1);
    }
    while (text.endsWith(QLatin1Char('/'))) {
        text.chop(1);
    }
    return text;
}

// A base address and a path joined by exactly one "/": a catalog that spells the path without its
// leading slash must not glue it onto the last segment of the base.
QString joined(const QString& base, QString path)
{
    path = path.trimmed();
    if (!path.isEmpty() && !path.startsWith(QLatin1Char('/'))) {
        path.prepend(QLatin1Char('/'));
    }
    return base + path;
}

QString gatewayChatEndpoint()
{
    return QuorCreditsAccountManager::resolvedGatewayURL() + QStringLiteral("/v1/ai/chat/completions");
}

QColor ramTint(QuorAIRamFit fit)
{
    switch (fit) {
    case QuorAIRamFit::comfortable:
        return QuorGlassTokens::success();
    case QuorAIRamFit::tight:
        return QuorGlassTokens::warning();
    case QuorAIRamFit::exceeds:
        return QuorGlassTokens::danger();
    case QuorAIRamFit::cloud:
        break;
    }
    return QuorGlassTokens::textSecondary();
}

P::CategoryChip categoryChip(QuorAIModelFilterCategory category, const P::Inputs& in)
{
    P::CategoryChip chip;
    chip.category = category;
    chip.title = QuorAIModelFilterCategories::title(category, in.language);
    chip.isSelected = category == in.selectedCategory;
    chip.weight = chip.isSelected ? QFont::DemiBold : QFont::Medium;
    chip.textColor = chip.isSelected ? QColor::fromRgbF(0, 0, 0, 0.9F) : QuorGlassTokens::textPrimary();
    chip.fill = chip.isSelected ? in.accent : QuorGlassTokens::surface2();
    if (!chip.isSelected) {
        chip.border = QuorGlassTokens::borderSubtle();
    }
    return chip;
}

// A local runtime other than Ollama speaks the OpenAI-compatible protocol at its catalog address. The
// configuration it writes carries the user's key, so a catalog naming another computer for a local
// runtime is not followed.
QString localServerEndpoint(const QuorUnifiedModelRowItem& item, const QuorAIModelCatalogDocument& document)
{
    const std::optional<QuorAIProviderSpec> provider = document.provider(item.providerId);
    QString base = provider ? trimmedSlashes(provider->defaultBaseUrl) : QString();
    if (base.isEmpty() || !QuorCredentialRoute::isThisComputer(QUrl(base))) {
        base = trimmedSlashes(QuorAIModelCatalogStore::defaultLMStudioBaseURL());
    }
    const QString path = provider && !provider->chatPath.trimmed().isEmpty() ? provider->chatPath
                                                                            : QStringLiteral("/chat/completions");
    return joined(base, path);
}

QString cloudEndpoint(const QuorUnifiedModelRowItem& item, const QuorAIModelCatalogDocument& document)
{
    const std::optional<QuorAIProviderSpec> provider = document.provider(item.providerId);
    if (provider && provider->apiFormat == QStringLiteral("openai-compatible")) {
        const QString base = trimmedSlashes(provider->defaultBaseUrl);
        if (!base.isEmpty()) {
            return joined(base, provider->chatPath);
        }
    }
    return QuorAIProviders::defaultEndpoint(QuorAIProvider::openAI);
}
} // namespace

QuorAIModelCatalogPresentation QuorAIModelCatalogPresentation::make(const Inputs& in)
{
    const QuorLanguage language = in.language;
    P p;
    p.title = t(QStringLiteral("Tallowmer AI Model Catalog"), QStringLiteral("Tallowmer AI Model Kataloğu"), language);
    p.titleSymbol = QStringLiteral("square.stack.3d.up.fill");
    const QString separator = QStringLiteral(" · ");
    p.countLine = in.catalogVersion + separator + QString::number(in.allRowCount) + QLatin1Char(' ') +
                  t(QStringLiteral("models"), QStringLiteral("model"), language) + separator +
                  QString::number(in.localModelCount) + QLatin1Char(' ') +
                  t(QStringLiteral("local installed"), QStringLiteral("yerel yüklü"), language);
    p.updateTitle = t(QStringLiteral("Update Catalog"), QStringLiteral("Kataloğu Güncelle"), language);
    p.showsUpdateProgress = in.isSyncing;
    p.updateSymbol = in.isSyncing ? QString() : QStringLiteral("arrow.triangle.2.circlepath");
    p.updateEnabled = !in.isSyncing;

    p.searchSymbol = QStringLiteral("magnifyingglass");
    p.searchText = in.searchQuery;
    p.searchPlaceholder = t(QStringLiteral("Search models (tallowmer-auto, Claude, GPT, Gemini, Qwen, Llama…)"),
                            QStringLiteral("Model ara (tallowmer-auto, Claude, GPT, Gemini, Qwen, Llama…)"), language);
    p.showsClearSearch = !in.searchQuery.isEmpty();
    p.clearSearchTitle = t(QStringLiteral("Clear Search"), QStringLiteral("Aramayı Temizle"), language);

    for (const QuorAIModelFilterCategory category : QuorAIModelFilterCategories::allCases()) {
        p.categories.append(categoryChip(category, in));
    }
    for (const QuorUnifiedModelRowItem& item : in.filteredRows) {
        p.rows.append(row(item, in.config.model, in.accent, language));
    }
    p.showsEmptyText = in.filteredRows.isEmpty();
    p.emptyText = t(QStringLiteral("No models match this filter."), QStringLiteral("Bu filtreyle eşleşen model bulunamadı."),
                    language);

    p.overrideHeading =
        t(QStringLiteral("Manual Endpoint & Model Override"), QStringLiteral("Manuel Uç Nokta & Model Ayarı"), language);
    p.endpointLabel = t(QStringLiteral("Endpoint"), QStringLiteral("Uç Nokta"), language);
    p.endpointText = in.config.endpointURL;
    p.endpointPlaceholder = QuorAIProviders::defaultEndpoint(in.config.provider);
    p.modelLabel = t(QStringLiteral("Model ID"), QStringLiteral("Model Kimliği"), language);
    p.modelText = in.config.model;
    p.modelPlaceholder = defaultModelHint(in.config.provider);
    return p;
}

QuorAIModelCatalogPresentation::Row QuorAIModelCatalogPresentation::row(const QuorUnifiedModelRowItem& item,
                                                                        const QString& configuredModel,
                                                                        const QColor& accent, QuorLanguage language)
{
    Row row;
    row.item = item;
    row.title = item.displayName;
    if (item.isManagedAutoRouter) {
        row.recommended = chip(t(QStringLiteral("Recommended"), QStringLiteral("Önerilen"), language), accent);
    }
    if (item.isInstalledLocally) {
        row.installed = chip(t(QStringLiteral("Installed"), QStringLiteral("Yüklü"), language), QuorGlassTokens::success());
    }
    row.vendor = item.vendor;
    row.isSelected = isRowSelected(item, configuredModel);
    row.checkColor = accent;
    row.summary = item.summaryText.trimmed().isEmpty() ? QString() : item.summaryText;
    row.details = detailChips(item, accent, language);
    row.fill = row.isSelected ? QuorGlassTokens::surface3() : QuorGlassTokens::surface1();
    row.border = row.isSelected ? withAlpha(accent, 0.8) : QuorGlassTokens::borderSubtle();
    return row;
}

QList<QuorAIModelCatalogPresentation::Chip> QuorAIModelCatalogPresentation::detailChips(const QuorUnifiedModelRowItem& item,
                                                                                       const QColor& accent,
                                                                                       QuorLanguage language)
{
    QList<Chip> chips;
    const QString context = QuorCreditsUIFormatter::formatContextWindow(item.contextWindow);
    if (!context.isEmpty()) {
        chips.append(chip(context, QuorGlassTokens::textSecondary()));
    }
    chips.append(chip(item.priceText(language), item.isLocal ? QuorGlassTokens::success() : QuorGlassTokens::textSecondary()));
    const QString ram = item.ramRequirementText();
    if (!ram.isEmpty()) {
        chips.append(chip(ram, ramTint(item.ramFit)));
    } else if (item.localSizeBytes && *item.localSizeBytes >= 1) {
        chips.append(chip(QuorCreditsUIFormatter::formatBytes(*item.localSizeBytes), QuorGlassTokens::success()));
    }
    if (item.supportsReasoning) {
        chips.append(chip(t(QStringLiteral("Reasoning"), QStringLiteral("Akıl Yürütme"), language), accent));
    }
    if (item.supportsVision) {
        chips.append(chip(t(QStringLiteral("Vision"), QStringLiteral("Görsel"), language), QuorGlassTokens::textSecondary()));
    }
    if (item.supportsTools) {
        chips.append(chip(t(QStringLiteral("Tools"), QStringLiteral("Araç"), language), QuorGlassTokens::textSecondary()));
    }
    return chips;
}

QuorAIModelCatalogPresentation::Chip QuorAIModelCatalogPresentation::chip(const QString& text, const QColor& tint)
{
    return {text, tint, withAlpha(tint, 0.14)};
}

bool QuorAIModelCatalogPresentation::isRowSelected(const QuorUnifiedModelRowItem& item, const QString& configuredModel)
{
    const QString key = configuredModel.trimmed().toLower();
    if (key.isEmpty()) {
        return false;
    }
    return key == item.apiModelId.toLower() || key == item.id.toLower() ||
           (item.ollamaTag && key == item.ollamaTag->toLower());
}

QuorAIConfig QuorAIModelCatalogPresentation::applyModelSelection(const QuorUnifiedModelRowItem& item,
                                                                 const QuorAIConfig& current,
                                                                 const QuorAIModelCatalogDocument& document)
{
    if (item.isTallowmerManaged) {
        return QuorAIConfig(QuorAIProvider::tallowmerCredits, gatewayChatEndpoint(), item.apiModelId);
    }
    if (item.isLocal) {
        if (item.providerId.compare(QStringLiteral("ollama"), Qt::CaseInsensitive) == 0) {
            const bool hasTag = item.ollamaTag && !item.ollamaTag->trimmed().isEmpty();
            return QuorAIConfig(QuorAIProvider::ollamaLocal, QStringLiteral("http://127.0.0.1:11434/api/chat"),
                                hasTag ? *item.ollamaTag : item.apiModelId);
        }
        return QuorAIConfig(QuorAIProvider::openAI, localServerEndpoint(item, document), item.apiModelId);
    }
    // A cloud model picked while the gateway is in use keeps the gateway, which knows the model by
    // its catalog id.
    if (current.provider == QuorAIProvider::tallowmerCredits) {
        return QuorAIConfig(QuorAIProvider::tallowmerCredits, gatewayChatEndpoint(), item.id);
    }
    return QuorAIConfig(QuorAIProvider::openAI, cloudEndpoint(item, document), item.apiModelId);
}

QString QuorAIModelCatalogPresentation::defaultModelHint(QuorAIProvider provider)
{
    switch (provider) {
    case QuorAIProvider::ollamaLocal:
        return QStringLiteral("llama3.2");
    case QuorAIProvider::openAI:
        return QStringLiteral("gpt-4o-mini");
    case QuorAIProvider::tallowmerCredits:
        return QStringLiteral("tallowmer-auto");
    }
    return {};
}
