#include "QuorKit/UI/Credits/QuorAppBudgetEditorBlock.h"

#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassInputField.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPlate.h"
#include "QuorKit/UI/Credits/QuorCreditsViewParts.h"
#include "QuorKit/UI/Credits/QuorDisclosureButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
using QuorBoxLayouts::hbox;
using QuorBoxLayouts::vbox;
using QuorCreditsViewParts::setText;
using QuorCreditsViewParts::setTitle;
} // namespace

QuorAppBudgetEditorBlock::QuorAppBudgetEditorBlock(QuorCreditsAccountStore& store, QuorLanguage language,
                                                   QWidget* parent)
    : QWidget(parent), m_store(store), m_language(language), m_uiState(new QuorBudgetEditorUIState(this))
{
    setObjectName(QStringLiteral("budgetEditor"));
    QVBoxLayout* layout = vbox(this, 8);
    m_disclosure = new QuorDisclosureButton(QuorFonts::system(11.5, QFont::DemiBold), QuorGlassTokens::textPrimary(), this);
    m_disclosure->setObjectName(QStringLiteral("editCaps"));
    connect(m_disclosure, &QAbstractButton::clicked, this, &QuorAppBudgetEditorBlock::toggle);
    layout->addWidget(m_disclosure);

    m_panel = new QuorPlate(QuorGlassTokens::surface1(), QuorGlassTokens::borderSubtle(), 10, this);
    m_panel->setObjectName(QStringLiteral("capsPanel"));
    QVBoxLayout* panel = vbox(m_panel, 8, QMargins(10, 10, 10, 10));
    QHBoxLayout* fields = hbox(nullptr, 8);
    m_dailyField = capField(m_panel, m_dailyCaption, QStringLiteral("dailyCap"));
    connect(m_dailyField, &QLineEdit::textChanged, m_uiState, &QuorBudgetEditorUIState::setDailyLimitText);
    fields->addWidget(m_dailyField->parentWidget(), 1);
    m_monthlyField = capField(m_panel, m_monthlyCaption, QStringLiteral("monthlyCap"));
    connect(m_monthlyField, &QLineEdit::textChanged, m_uiState, &QuorBudgetEditorUIState::setMonthlyLimitText);
    fields->addWidget(m_monthlyField->parentWidget(), 1);
    panel->addLayout(fields);

    m_message = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::success(), m_panel);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);
    panel->addWidget(m_message);

    QHBoxLayout* buttons = hbox(nullptr, 8);
    m_saveButton = QuorCreditsViewParts::button(QString(), QuorPrimaryButtonStyle{}, m_panel);
    m_saveButton->setObjectName(QStringLiteral("saveCaps"));
    connect(m_saveButton, &QAbstractButton::clicked, this, &QuorAppBudgetEditorBlock::saveCaps);
    QuorKeyboardReach::submitsOnReturn(m_dailyField, m_saveButton);
    QuorKeyboardReach::submitsOnReturn(m_monthlyField, m_saveButton);
    buttons->addWidget(m_saveButton);
    m_clearButton = QuorCreditsViewParts::button(QString(), QuorGlassButtonStyle{false}, m_panel);
    m_clearButton->setObjectName(QStringLiteral("clearCaps"));
    connect(m_clearButton, &QAbstractButton::clicked, this, &QuorAppBudgetEditorBlock::clearCaps);
    buttons->addWidget(m_clearButton);
    buttons->addStretch(1);
    panel->addLayout(buttons);
    layout->addWidget(m_panel);

    connect(&m_store, &QuorCreditsAccountStore::changed, this, &QuorAppBudgetEditorBlock::sync);
    connect(m_uiState, &QuorBudgetEditorUIState::changed, this, &QuorAppBudgetEditorBlock::sync);
    // "Caps saved." is the outcome of the last save only: a later failure of anything stands alone.
    connect(&m_store, &QuorCreditsAccountStore::lastErrorChanged, this, [this] {
        if (m_store.lastError()) {
            m_uiState->setSavedNotice(std::nullopt);
        }
    });
    sync();
}

QLineEdit* QuorAppBudgetEditorBlock::capField(QWidget* parent, QLabel*& caption, const QString& name)
{
    auto* column = new QWidget(parent);
    QVBoxLayout* layout = vbox(column, 3);
    caption = QuorLabels::make(QString(), QuorFonts::system(10.5, QFont::Medium), QuorGlassTokens::textSecondary(), column);
    layout->addWidget(caption);
    auto* field = new QLineEdit(column);
    field->setObjectName(name);
    quorGlassInputField(field, 8, 8, 5);
    layout->addWidget(field);
    return field;
}

void QuorAppBudgetEditorBlock::setLanguage(QuorLanguage language)
{
    if (language != m_language) {
        m_language = language;
        sync();
    }
}

void QuorAppBudgetEditorBlock::sync()
{
    m_presentation = QuorBudgetEditorPresentation::make(*m_uiState, m_store.currentAppBudget(), m_store.isSavingBudget(),
                                                        m_language);
    const QuorBudgetEditorPresentation& p = m_presentation;
    m_disclosure->setContent(p.disclosureSymbol, p.title, p.toggleText);
    if (!p.showsPanel) {
        QuorKeyboardReach::handFocus(m_panel, m_disclosure);
    }
    m_panel->setVisible(p.showsPanel);
    setText(m_dailyCaption, p.dailyCaption);
    setText(m_monthlyCaption, p.monthlyCaption);
    for (QLineEdit* field : {m_dailyField, m_monthlyField}) {
        field->setPlaceholderText(p.placeholder);
    }
    m_dailyField->setAccessibleName(p.dailyCaption);
    m_monthlyField->setAccessibleName(p.monthlyCaption);
    if (m_dailyField->text() != m_uiState->dailyLimitText()) {
        m_dailyField->setText(m_uiState->dailyLimitText());
    }
    if (m_monthlyField->text() != m_uiState->monthlyLimitText()) {
        m_monthlyField->setText(m_uiState->monthlyLimitText());
    }
    m_message->setVisible(p.message.has_value());
    if (p.message) {
        setText(m_message, p.message->text);
        QuorLabels::setColor(m_message, p.message->color);
    }
    setTitle(m_saveButton, p.saveTitle);
    m_saveButton->setBusy(p.saveBusy);
    m_saveButton->setEnabled(p.saveEnabled);
    setTitle(m_clearButton, p.clearTitle);
    if (!p.showsClear) {
        QuorKeyboardReach::handFocus(m_clearButton, m_dailyField);
    }
    m_clearButton->setVisible(p.showsClear);
    m_clearButton->setEnabled(p.clearEnabled);
}

void QuorAppBudgetEditorBlock::toggle()
{
    if (!m_uiState->isExpanded()) {
        m_uiState->hydrate(m_store.currentAppBudget());
        m_uiState->setSavedNotice(std::nullopt);
    }
    m_uiState->setExpanded(!m_uiState->isExpanded());
}

void QuorAppBudgetEditorBlock::saveCaps()
{
    if (m_store.isSavingBudget()) {
        return;
    }
    m_uiState->setValidationError(std::nullopt);
    m_uiState->setSavedNotice(std::nullopt);
    const auto caps = QuorBudgetEditorPresentation::caps(m_uiState->dailyLimitText(), m_uiState->monthlyLimitText(),
                                                         m_language);
    if (caps.validationError) {
        m_uiState->setValidationError(caps.validationError);
        return;
    }
    runSave(QPointer<QuorAppBudgetEditorBlock>(this), QPointer<QuorCreditsAccountStore>(&m_store), caps.daily,
            caps.monthly, m_language);
}

void QuorAppBudgetEditorBlock::clearCaps()
{
    if (m_store.isSavingBudget()) {
        return;
    }
    m_uiState->setValidationError(std::nullopt);
    m_uiState->setSavedNotice(std::nullopt);
    runClear(QPointer<QuorAppBudgetEditorBlock>(this), QPointer<QuorCreditsAccountStore>(&m_store), m_language);
}

// Neither task is kept by the block: the store finishes the request whatever becomes of the view,
// and the answer is written back only while the editor is still there.
QCoro::Task<> QuorAppBudgetEditorBlock::runSave(QPointer<QuorAppBudgetEditorBlock> self,
                                                QPointer<QuorCreditsAccountStore> store, std::optional<double> daily,
                                                std::optional<double> monthly, QuorLanguage language)
{
    if (!store) {
        co_return;
    }
    const bool saved = co_await store->saveAppBudget(std::nullopt, daily, monthly, std::nullopt);
    if (saved && self) {
        self->m_uiState->setSavedNotice(QuorBudgetEditorPresentation::savedNotice(language));
    }
}

QCoro::Task<> QuorAppBudgetEditorBlock::runClear(QPointer<QuorAppBudgetEditorBlock> self,
                                                 QPointer<QuorCreditsAccountStore> store, QuorLanguage language)
{
    if (!store) {
        co_return;
    }
    const bool removed = co_await store->deleteAppBudget(std::nullopt);
    if (removed && self) {
        self->m_uiState->setDailyLimitText(QString());
        self->m_uiState->setMonthlyLimitText(QString());
        self->m_uiState->setValidationError(std::nullopt);
        self->m_uiState->setSavedNotice(QuorBudgetEditorPresentation::removedNotice(language));
    }
}
