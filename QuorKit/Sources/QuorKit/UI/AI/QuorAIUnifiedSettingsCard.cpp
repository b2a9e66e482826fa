#include "QuorKit/UI/AI/QuorAIUnifiedSettingsCard.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassInputField.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPaintedWidget.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/AI/QuorAIModelCatalogSection.h"
#include "QuorKit/UI/AI/QuorUnifiedCatalogBuilder.h"
#include "QuorKit/UI/Credits/QuorCreditsAccountPanel.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr double kTilePadding = 10;
constexpr double kTileSpacing = 4;
constexpr double kTileRadius = 10;

QFont tileTitleFont()
{
    return QuorFonts::system(12, QFont::DemiBold);
}

QFont tileSubtitleFont()
{
    return QuorFonts::system(10.5);
}

// One provider choice: its symbol (and a check mark when chosen), title and subtitle on a rounded
// plate that is the whole hit area.
class ProviderTile : public QAbstractButton {
public:
    explicit ProviderTile(QWidget* parent) : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void setTile(const QuorAIProviderSectionPresentation::Tile& tile)
    {
        if (tile == m_tile) {
            return;
        }
        m_tile = tile;
        setAccessibleName(tile.title);
        setAccessibleDescription(tile.subtitle);
        // One provider at a time: read as a radio button.
        QuorAccessibleButton::setChoice(this, QAccessible::RadioButton, tile.isSelected);
        updateGeometry();
        update();
    }
    const QuorAIProviderSectionPresentation::Tile& tile() const { return m_tile; }

    QSize sizeHint() const override
    {
        const double height = 2 * kTilePadding + symbolRow() + kTileSpacing + QFontMetricsF(tileTitleFont()).height() +
                               kTileSpacing + QFontMetricsF(tileSubtitleFont()).height();
        return {120, static_cast<int>(std::ceil(height))};
    }
    QSize minimumSizeHint() const override { return {60, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const QPainterPath plate = QuorPlatePainter::paint(painter, bounds, kTileRadius, m_tile.fill, std::nullopt);
        painter.setPen(QPen(m_tile.border, 1));
        painter.drawPath(plate);

        const double inner = width() - 2 * kTilePadding;
        double y = kTilePadding;
        const double side = symbolRow();
        QuorSymbols::paint(painter, QRectF(kTilePadding, y, side, side), m_tile.symbol, m_tile.symbolColor, 12);
        if (m_tile.isSelected) {
            QuorSymbols::paint(painter, QRectF(width() - kTilePadding - side, y, side, side),
                               QStringLiteral("checkmark.circle.fill"), m_tile.symbolColor, 12);
        }
        y += side + kTileSpacing;
        y = drawLine(painter, m_tile.title, tileTitleFont(), QuorGlassTokens::textPrimary(), y, inner);
        drawLine(painter, m_tile.subtitle, tileSubtitleFont(), QuorGlassTokens::textSecondary(), y + kTileSpacing, inner);
    }

private:
    static double symbolRow() { return 12 * 1.25; }

    static double drawLine(QPainter& painter, const QString& text, const QFont& font, const QColor& color, double y,
                           double width)
    {
        const QFontMetricsF metrics(font);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QRectF(kTilePadding, y, width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QuorTextFit::elided(painter, metrics, text, Qt::ElideRight, width));
        return y + metrics.height();
    }

    QuorAIProviderSectionPresentation::Tile m_tile;
};

using QuorBoxLayouts::hbox;
using QuorBoxLayouts::vbox;

void setTextIfChanged(QLabel* label, const QString& text)
{
    if (label->text() != text) {
        label->setText(text);
    }
}

} // namespace

QuorAIUnifiedSettingsCard::QuorAIUnifiedSettingsCard(ConfigBinding config, bool hasSavedAPIKey, SaveAPIKey onSaveAPIKey,
                                                     ClearAPIKey onClearAPIKey, std::function<void()> onConnectTolvane,
                                                     const QColor& accentColor, std::optional<QuorLanguage> language,
                                                     QuorCreditsAccountStore& creditsStore,
                                                     QuorAIModelCatalogStore& catalogStore, QWidget* parent)
    : QWidget(parent), m_config(std::move(config)), m_hasSavedAPIKey(hasSavedAPIKey),
      m_onSaveAPIKey(std::move(onSaveAPIKey)), m_onClearAPIKey(std::move(onClearAPIKey)),
      m_onConnectTolvane(std::move(onConnectTolvane)), m_accentColor(accentColor), m_languageOverride(language),
      m_creditsStore(creditsStore), m_catalogStore(catalogStore), m_uiState(new QuorAIUnifiedSettingsUIState(this))
{
    setObjectName(QStringLiteral("aiSettingsCard"));
    QVBoxLayout* stack = vbox(this, 14);
    m_creditsSection = new QuorCreditsAccountPanel(m_creditsStore, m_accentColor, QuorCreditsAccountPanel::Place::aiCard,
                                                   displayLanguage());
    stack->addWidget(new QuorGlassCard(16, 14, m_creditsSection));
    stack->addWidget(new QuorGlassCard(16, 14, buildProviderSection()));
    stack->addWidget(new QuorGlassCard(16, 14, buildModelCatalogSection()));

    connect(m_uiState, &QuorAIUnifiedSettingsUIState::changed, this, &QuorAIUnifiedSettingsCard::sync);
    connect(m_uiState, &QuorLanguageAwareUIState::languageRevisionChanged, this, &QuorAIUnifiedSettingsCard::sync);
    connect(&m_creditsStore, &QuorCreditsAccountStore::changed, this, &QuorAIUnifiedSettingsCard::sync);
    connect(&m_catalogStore, &QuorAIModelCatalogStore::changed, this, &QuorAIUnifiedSettingsCard::sync);
    sync();
}

QWidget* QuorAIUnifiedSettingsCard::buildProviderSection()
{
    auto* section = new QWidget;
    section->setObjectName(QStringLiteral("providerSection"));
    QVBoxLayout* layout = vbox(section, 12);

    QHBoxLayout* header = hbox(nullptr, 6);
    m_header = QuorLabels::withSymbol(QStringLiteral("cpu"), QString(), QuorFonts::system(13.5, QFont::Bold),
                                      QuorGlassTokens::textPrimary(), QuorGlassTokens::textPrimary(), section);
    header->addWidget(m_header);
    header->addStretch(1);
    if (m_onConnectTolvane) {
        m_connectButton = new QuorStyledButton(QString(), QStringLiteral("bolt.fill"), QuorGlassButtonStyle{false}, section);
        m_connectButton->setObjectName(QStringLiteral("connectTolvane"));
        connect(m_connectButton, &QAbstractButton::clicked, this, [this] { m_onConnectTolvane(); });
        header->addWidget(m_connectButton);
    }
    layout->addLayout(header);

    QHBoxLayout* tiles = hbox(nullptr, 8);
    for (const QuorAIProvider provider : QuorAIProviders::allCases()) {
        auto* tile = new ProviderTile(section);
        tile->setObjectName(QStringLiteral("provider:") + QuorAIProviders::rawValue(provider));
        connect(tile, &QAbstractButton::clicked, this, [this, provider] { selectProvider(provider); });
        tiles->addWidget(tile, 1);
        m_tiles.append(tile);
    }
    layout->addLayout(tiles);

    // The OpenAI-compatible provider's key: heading, masked field with its buttons, outcome line.
    m_keyBlock = new QWidget(section);
    m_keyBlock->setObjectName(QStringLiteral("apiKeyBlock"));
    QVBoxLayout* keyOuter = vbox(m_keyBlock, 12);
    keyOuter->addWidget(QuorPaintedWidget::hairline(QuorGlassTokens::borderSubtle(), m_keyBlock));
    auto* keyInner = new QVBoxLayout;
    keyInner->setSpacing(6);
    QHBoxLayout* heading = hbox(nullptr, 6);
    m_keyHeading = QuorLabels::make(QString(), QuorFonts::system(11.5, QFont::DemiBold), QuorGlassTokens::textSecondary(),
                                    m_keyBlock);
    heading->addWidget(m_keyHeading);
    heading->addStretch(1);
    m_savedLabel = QuorLabels::withSymbol(QStringLiteral("checkmark.shield.fill"), QString(),
                                          QuorFonts::system(11, QFont::Medium), QuorGlassTokens::success(),
                                          QuorGlassTokens::success(), m_keyBlock);
    m_savedLabel->setObjectName(QStringLiteral("savedLabel"));
    heading->addWidget(m_savedLabel);
    keyInner->addLayout(heading);

    QHBoxLayout* entry = hbox(nullptr, 8);
    m_keyField = new QLineEdit(m_keyBlock);
    m_keyField->setObjectName(QStringLiteral("apiKeyField"));
    m_keyField->setEchoMode(QLineEdit::Password);
    m_keyHeading->setBuddy(m_keyField);
    quorGlassInputField(m_keyField, 9, 10, 7);
    connect(m_keyField, &QLineEdit::textChanged, m_uiState, &QuorAIUnifiedSettingsUIState::setApiKeyInput);
    entry->addWidget(m_keyField, 1);
    m_saveButton = new QuorStyledButton(QString(), QString(), QuorPrimaryButtonStyle{}, m_keyBlock);
    m_saveButton->setObjectName(QStringLiteral("saveKey"));
    connect(m_saveButton, &QAbstractButton::clicked, this, &QuorAIUnifiedSettingsCard::saveKey);
    QuorKeyboardReach::submitsOnReturn(m_keyField, m_saveButton);
    entry->addWidget(m_saveButton);
    m_clearButton = new QuorStyledButton(QString(), QString(), QuorGlassButtonStyle{false}, m_keyBlock);
    m_clearButton->setObjectName(QStringLiteral("clearKey"));
    connect(m_clearButton, &QAbstractButton::clicked, this, &QuorAIUnifiedSettingsCard::clearKey);
    entry->addWidget(m_clearButton);
    keyInner->addLayout(entry);

    m_httpsNotice = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::warning(), m_keyBlock);
    m_httpsNotice->setObjectName(QStringLiteral("httpsNotice"));
    m_httpsNotice->setWordWrap(true);
    keyInner->addWidget(m_httpsNotice);

    m_feedback = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::success(), m_keyBlock);
    m_feedback->setObjectName(QStringLiteral("apiKeyFeedback"));
    m_feedback->setWordWrap(true);
    keyInner->addWidget(m_feedback);
    keyOuter->addLayout(keyInner);
    layout->addWidget(m_keyBlock);

    // The credits gateway needs no key: a note on how it signs in.
    m_creditsNote = new QWidget(section);
    m_creditsNote->setObjectName(QStringLiteral("creditsNote"));
    auto* note = new QHBoxLayout(m_creditsNote);
    note->setContentsMargins(0, 0, 0, 0);
    note->setSpacing(6);
    m_noteSymbol = new QLabel(m_creditsNote);
    m_noteSymbol->setObjectName(QStringLiteral("symbol"));
    note->addWidget(m_noteSymbol, 0, Qt::AlignTop);
    m_noteText = QuorLabels::make(QString(), QuorFonts::system(11.5), QuorGlassTokens::textSecondary(), m_creditsNote);
    m_noteText->setObjectName(QStringLiteral("text"));
    m_noteText->setWordWrap(true);
    note->addWidget(m_noteText, 1);
    layout->addWidget(m_creditsNote);
    return section;
}

QWidget* QuorAIUnifiedSettingsCard::buildModelCatalogSection()
{
    m_catalogSection = new QuorAIModelCatalogSection;
    QuorAIUnifiedSettingsUIState* state = m_uiState;
    connect(m_catalogSection, &QuorAIModelCatalogSection::updateRequested, this, &QuorAIUnifiedSettingsCard::updateCatalog);
    connect(m_catalogSection, &QuorAIModelCatalogSection::searchEdited, state,
            &QuorAIUnifiedSettingsUIState::setSearchQuery);
    connect(m_catalogSection, &QuorAIModelCatalogSection::categoryChosen, state,
            &QuorAIUnifiedSettingsUIState::setSelectedCategory);
    connect(m_catalogSection, &QuorAIModelCatalogSection::rowChosen, this,
            &QuorAIUnifiedSettingsCard::applyModelSelection);
    connect(m_catalogSection, &QuorAIModelCatalogSection::endpointEdited, this,
            &QuorAIUnifiedSettingsCard::setManualEndpoint);
    connect(m_catalogSection, &QuorAIModelCatalogSection::modelEdited, this, &QuorAIUnifiedSettingsCard::setManualModel);
    return m_catalogSection;
}

QuorLanguage QuorAIUnifiedSettingsCard::displayLanguage() const
{
    return m_languageOverride.value_or(QuorLanguages::current());
}

void QuorAIUnifiedSettingsCard::setHasSavedAPIKey(bool hasSavedAPIKey)
{
    if (hasSavedAPIKey != m_hasSavedAPIKey) {
        m_hasSavedAPIKey = hasSavedAPIKey;
        sync();
    }
}

void QuorAIUnifiedSettingsCard::setLanguageOverride(std::optional<QuorLanguage> language)
{
    if (language != m_languageOverride) {
        m_languageOverride = language;
        sync();
    }
}

QuorAIProviderSectionPresentation::Inputs QuorAIUnifiedSettingsCard::inputs() const
{
    QuorAIProviderSectionPresentation::Inputs in;
    const QuorAIConfig config = m_config.get();
    in.provider = config.provider;
    in.endpointURL = config.endpointURL;
    in.hasSavedAPIKey = m_hasSavedAPIKey;
    in.canClearKey = static_cast<bool>(m_onClearAPIKey);
    in.canConnect = static_cast<bool>(m_onConnectTolvane);
    in.apiKeyInput = m_uiState->apiKeyInput();
    in.feedback = m_uiState->apiKeyFeedback();
    in.isWorkingOnKey = m_uiState->isWorkingOnKey();
    in.isSignedIn = m_creditsStore.isSignedIn();
    in.accent = m_accentColor;
    in.language = displayLanguage();
    return in;
}

void QuorAIUnifiedSettingsCard::sync()
{
    ++m_syncs;
    m_creditsSection->setLanguage(displayLanguage());
    m_presentation = QuorAIProviderSectionPresentation::make(inputs());
    const QuorAIProviderSectionPresentation& p = m_presentation;

    setTextIfChanged(m_header->findChild<QLabel*>(QStringLiteral("text")), p.headerTitle);
    if (m_connectButton != nullptr && m_connectButton->text() != p.connectTitle) {
        m_connectButton->setText(p.connectTitle);
        m_connectButton->updateGeometry();
    }
    for (qsizetype i = 0; i < m_tiles.size() && i < p.tiles.size(); ++i) {
        static_cast<ProviderTile*>(m_tiles[i])->setTile(p.tiles[i]);
    }

    m_keyBlock->setVisible(p.block == QuorAIProviderSectionPresentation::Block::apiKey);
    setTextIfChanged(m_keyHeading, p.keyHeading);
    m_savedLabel->setVisible(p.showsSavedLabel);
    setTextIfChanged(m_savedLabel->findChild<QLabel*>(QStringLiteral("text")), p.savedLabel);
    m_keyField->setPlaceholderText(p.keyPlaceholder);
    // The field is named after its label; the placeholder only describes what to type.
    m_keyField->setAccessibleName(p.keyHeading);
    m_keyField->setAccessibleDescription(p.keyPlaceholder);
    if (m_keyField->text() != m_uiState->apiKeyInput()) {
        m_keyField->setText(m_uiState->apiKeyInput());
    }
    if (m_saveButton->text() != p.saveTitle) {
        m_saveButton->setText(p.saveTitle);
        m_saveButton->updateGeometry();
    }
    m_saveButton->setEnabled(p.saveEnabled);
    m_clearButton->setVisible(p.showsClearButton);
    m_clearButton->setEnabled(p.clearEnabled);
    if (m_clearButton->text() != p.clearTitle) {
        m_clearButton->setText(p.clearTitle);
        m_clearButton->updateGeometry();
    }
    m_httpsNotice->setVisible(p.showsHttpsNotice);
    setTextIfChanged(m_httpsNotice, p.httpsNotice);
    m_feedback->setVisible(p.showsFeedback);
    setTextIfChanged(m_feedback, p.feedbackText);
    QuorLabels::setColor(m_feedback, p.feedbackColor);

    m_creditsNote->setVisible(p.block == QuorAIProviderSectionPresentation::Block::creditsNote);
    if (!p.noteSymbol.isEmpty() && (m_noteSymbol->property("symbolName").toString() != p.noteSymbol ||
                                    m_noteSymbol->property("symbolColor").value<QColor>() != p.noteSymbolColor)) {
        m_noteSymbol->setPixmap(QuorSymbols::pixmap(p.noteSymbol, 12, p.noteSymbolColor));
        m_noteSymbol->setProperty("symbolName", p.noteSymbol);
        m_noteSymbol->setProperty("symbolColor", p.noteSymbolColor);
    }
    setTextIfChanged(m_noteText, p.noteText);

    m_catalogPresentation = QuorAIModelCatalogPresentation::make(catalogInputs());
    m_catalogSection->apply(m_catalogPresentation);
}

QuorAIModelCatalogPresentation::Inputs QuorAIUnifiedSettingsCard::catalogInputs() const
{
    const QList<QuorUnifiedModelRowItem> all = rows();
    QuorAIModelCatalogPresentation::Inputs in;
    in.config = m_config.get();
    in.catalogVersion = m_catalogStore.document().catalogVersion;
    in.allRowCount = all.size();
    in.localModelCount = m_catalogStore.discoveredLocalModels().size();
    in.isSyncing = m_catalogStore.isSyncing();
    in.searchQuery = m_uiState->searchQuery();
    in.selectedCategory = m_uiState->selectedCategory();
    in.filteredRows = filtered(all);
    in.accent = m_accentColor;
    in.language = displayLanguage();
    return in;
}

QList<QuorUnifiedModelRowItem> QuorAIUnifiedSettingsCard::rows() const
{
    return QuorUnifiedCatalogBuilder::buildRows(m_catalogStore.document(), m_catalogStore.discoveredLocalModels(),
                                                displayLanguage());
}

QList<QuorUnifiedModelRowItem> QuorAIUnifiedSettingsCard::filtered(const QList<QuorUnifiedModelRowItem>& rows) const
{
    QList<QuorUnifiedModelRowItem> result;
    for (const QuorUnifiedModelRowItem& row : rows) {
        if (row.matches(m_uiState->selectedCategory(), m_uiState->searchQuery())) {
            result.append(row);
        }
    }
    return result;
}

QList<QuorUnifiedModelRowItem> QuorAIUnifiedSettingsCard::filteredRows() const
{
    return filtered(rows());
}

bool QuorAIUnifiedSettingsCard::isRowSelected(const QuorUnifiedModelRowItem& row) const
{
    return QuorAIModelCatalogPresentation::isRowSelected(row, m_config.get().model);
}

void QuorAIUnifiedSettingsCard::writeConfig(const QuorAIConfig& config)
{
    // A host that answers the write by syncing the card (as the studio's settings do) has shown the
    // new value already; a second pass would build the catalog's rows again at every keystroke.
    const quint64 before = m_syncs;
    m_config.set(config);
    if (m_syncs == before) {
        sync();
    }
}

void QuorAIUnifiedSettingsCard::applyModelSelection(const QuorUnifiedModelRowItem& row)
{
    writeConfig(QuorAIModelCatalogPresentation::applyModelSelection(row, m_config.get(), m_catalogStore.document()));
}

void QuorAIUnifiedSettingsCard::setManualEndpoint(const QString& endpoint)
{
    QuorAIConfig config = m_config.get();
    if (config.endpointURL != endpoint) {
        config.endpointURL = endpoint;
        writeConfig(config);
    }
}

void QuorAIUnifiedSettingsCard::setManualModel(const QString& model)
{
    QuorAIConfig config = m_config.get();
    if (config.model != model) {
        config.model = model;
        writeConfig(config);
    }
}

void QuorAIUnifiedSettingsCard::updateCatalog()
{
    // Not kept: the store finishes it whatever happens to the card, and drops a second request
    // while one runs.
    m_catalogStore.refresh(true, true);
}

void QuorAIUnifiedSettingsCard::selectProvider(QuorAIProvider provider)
{
    const auto selection =
        QuorAIProviderSectionPresentation::selection(provider, !m_catalogStore.discoveredLocalModels().isEmpty());
    m_config.set(selection.config);
    m_uiState->setApiKeyFeedback(std::nullopt);
    m_uiState->setSelectedCategory(selection.category);
    sync();
}

void QuorAIUnifiedSettingsCard::saveKey()
{
    const QString key = QuorAIProviderSectionPresentation::trimmedKey(m_uiState->apiKeyInput());
    if (key.isEmpty() || m_uiState->isWorkingOnKey() || !m_onSaveAPIKey) {
        return;
    }
    m_uiState->setWorkingOnKey(true);
    runSave(QPointer<QuorAIUnifiedSettingsCard>(this), m_onSaveAPIKey, key);
}

void QuorAIUnifiedSettingsCard::clearKey()
{
    if (!m_onClearAPIKey || m_uiState->isWorkingOnKey()) {
        return;
    }
    m_uiState->setWorkingOnKey(true);
    runClear(QPointer<QuorAIUnifiedSettingsCard>(this), m_onClearAPIKey);
}

QCoro::Task<> QuorAIUnifiedSettingsCard::runSave(QPointer<QuorAIUnifiedSettingsCard> self, SaveAPIKey save, QString key)
{
    QuorAPIKeyOutcome outcome;
    try {
        outcome = co_await save(key);
    } catch (const std::exception& error) {
        outcome = QuorAPIKeyOutcome::failed(self ? localizedDescription(error, self->displayLanguage()) : QString());
    }
    if (self) {
        self->finishKeyOperation(KeyOperation::save, outcome);
    }
}

QCoro::Task<> QuorAIUnifiedSettingsCard::runClear(QPointer<QuorAIUnifiedSettingsCard> self, ClearAPIKey clear)
{
    QuorAPIKeyOutcome outcome;
    try {
        outcome = co_await clear();
    } catch (const std::exception& error) {
        outcome = QuorAPIKeyOutcome::failed(self ? localizedDescription(error, self->displayLanguage()) : QString());
    }
    if (self) {
        self->finishKeyOperation(KeyOperation::clear, outcome);
    }
}

void QuorAIUnifiedSettingsCard::finishKeyOperation(KeyOperation operation, const QuorAPIKeyOutcome& outcome)
{
    using P = QuorAIProviderSectionPresentation;
    const QuorLanguage language = displayLanguage();
    m_uiState->setWorkingOnKey(false);
    if (!outcome.succeeded) {
        // What was typed stays, so the user can try again once the keyring is available.
        m_uiState->setApiKeyFeedback(operation == KeyOperation::save ? P::saveFailedFeedback(outcome.failureText, language)
                                                                     : P::removeFailedFeedback(outcome.failureText, language));
        return;
    }
    m_uiState->setApiKeyInput(QString());
    m_uiState->setApiKeyFeedback(operation == KeyOperation::save ? P::savedFeedback(language) : P::removedFeedback(language));
}

void QuorAIUnifiedSettingsCard::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    sync();
    refreshOnShowing(QPointer<QuorAIUnifiedSettingsCard>(this), QPointer<QuorCreditsAccountStore>(&m_creditsStore),
                     QPointer<QuorAIModelCatalogStore>(&m_catalogStore), ++m_showing);
}

void QuorAIUnifiedSettingsCard::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        ++m_showing;
    }
}

QCoro::Task<> QuorAIUnifiedSettingsCard::refreshOnShowing(QPointer<QuorAIUnifiedSettingsCard> self,
                                                          QPointer<QuorCreditsAccountStore> credits,
                                                          QPointer<QuorAIModelCatalogStore> catalog, quint64 showing)
{
    // One after the other: the account first (only when stale), then the catalog with local discovery.
    if (credits) {
        co_await credits->refreshIfStale(300);
    }
    if (!self || self->m_showing != showing || !catalog) {
        co_return;
    }
    co_await catalog->refresh(false, true);
}
