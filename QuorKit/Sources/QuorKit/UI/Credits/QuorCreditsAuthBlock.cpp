#include "QuorKit/UI/Credits/QuorCreditsAuthBlock.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorFlowLayout.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassInputField.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPlate.h"
#include "QuorKit/Design/QuorSpinner.h"
#include "QuorKit/UI/Credits/QuorCreditsViewParts.h"
#include "QuorKit/UI/Credits/QuorDisclosureButton.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
using QuorBoxLayouts::hbox;
using QuorBoxLayouts::vbox;
using QuorCreditsViewParts::button;
using QuorCreditsViewParts::setText;
using QuorCreditsViewParts::setTitle;
} // namespace

QuorCreditsAuthBlock::QuorCreditsAuthBlock(QuorCreditsAccountStore& store, const QColor& accentColor,
                                           QuorLanguage language, bool /*compact*/, QWidget* parent)
    : QWidget(parent), m_store(store), m_accentColor(accentColor), m_language(language),
      m_uiState(new QuorCreditsAuthUIState(this))
{
    setObjectName(QStringLiteral("creditsAuthBlock"));
    QVBoxLayout* layout = vbox(this, 8);

    m_disclosure = new QuorDisclosureButton(QuorFonts::system(11, QFont::Medium), QuorGlassTokens::textSecondary(), this);
    m_disclosure->setObjectName(QStringLiteral("switchAccount"));
    connect(m_disclosure, &QAbstractButton::clicked, this, &QuorCreditsAuthBlock::toggleReconnectOptions);
    layout->addWidget(m_disclosure);

    m_choices = new QWidget(this);
    QVBoxLayout* choices = vbox(m_choices, 8);

    auto* buttons = new QWidget(m_choices);
    auto* flow = new QuorFlowLayout(7, 7, buttons);
    m_connectButton = button(QStringLiteral("link.badge.plus"), QuorPrimaryButtonStyle{}, buttons);
    m_connectButton->setObjectName(QStringLiteral("connect"));
    connect(m_connectButton, &QAbstractButton::clicked, this, &QuorCreditsAuthBlock::connectInBrowser);
    flow->addWidget(m_connectButton);
    m_deviceButton = button(QStringLiteral("qrcode"), QuorGlassButtonStyle{false}, buttons);
    m_deviceButton->setObjectName(QStringLiteral("deviceCode"));
    connect(m_deviceButton, &QAbstractButton::clicked, this, &QuorCreditsAuthBlock::startDeviceCode);
    flow->addWidget(m_deviceButton);
    m_manualButton = button(QStringLiteral("key.fill"), QuorGlassButtonStyle{false}, buttons);
    m_manualButton->setObjectName(QStringLiteral("manualToken"));
    connect(m_manualButton, &QAbstractButton::clicked, this, &QuorCreditsAuthBlock::toggleManualToken);
    flow->addWidget(m_manualButton);
    choices->addWidget(buttons);

    // A running sign-in: what it waits for, and a way out.
    m_statusRow = new QWidget(m_choices);
    m_statusRow->setObjectName(QStringLiteral("statusRow"));
    QHBoxLayout* status = hbox(m_statusRow, 8);
    status->addWidget(new QuorSpinner(QuorGlassTokens::textSecondary(), m_statusRow, QuorSpinner::small));
    m_statusText = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::textSecondary(), m_statusRow);
    m_statusText->setWordWrap(true);
    status->addWidget(m_statusText, 1);
    m_cancelButton = button(QString(), QuorGlassButtonStyle{false}, m_statusRow);
    m_cancelButton->setObjectName(QStringLiteral("cancel"));
    connect(m_cancelButton, &QAbstractButton::clicked, this, &QuorCreditsAuthBlock::cancelSignIn);
    status->addWidget(m_cancelButton);
    choices->addWidget(m_statusRow);

    // The device code to type in the browser, with Copy and Open.
    m_codeRow = new QWidget(m_choices);
    m_codeRow->setObjectName(QStringLiteral("codeRow"));
    QHBoxLayout* code = hbox(m_codeRow, 8);
    auto* codePlate = new QuorPlate(QuorGlassTokens::surface2(), std::nullopt, 8, m_codeRow);
    QHBoxLayout* codeInside = hbox(codePlate, 0, QMargins(10, 5, 10, 5));
    QFont codeFont = QuorFonts::system(14, QFont::Bold);
    codeFont.setStyleHint(QFont::Monospace);
    codeFont.setFamily(QStringLiteral("monospace"));
    m_codeText = QuorLabels::make(QString(), codeFont, m_accentColor, codePlate);
    m_codeText->setObjectName(QStringLiteral("userCode"));
    m_codeText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    codeInside->addWidget(m_codeText);
    code->addWidget(codePlate);
    m_copyButton = button(QString(), QuorGlassButtonStyle{false}, m_codeRow);
    m_copyButton->setObjectName(QStringLiteral("copyCode"));
    connect(m_copyButton, &QAbstractButton::clicked, this, &QuorCreditsAuthBlock::copyCode);
    code->addWidget(m_copyButton);
    m_openButton = button(QString(), QuorGlassButtonStyle{false}, m_codeRow);
    m_openButton->setObjectName(QStringLiteral("openVerification"));
    connect(m_openButton, &QAbstractButton::clicked, this, &QuorCreditsAuthBlock::openVerificationPage);
    code->addWidget(m_openButton);
    code->addStretch(1);
    choices->addWidget(m_codeRow);

    // A token pasted by hand; Return in the field saves it as Save does.
    m_manualRow = new QWidget(m_choices);
    m_manualRow->setObjectName(QStringLiteral("manualRow"));
    QHBoxLayout* manual = hbox(m_manualRow, 6);
    m_tokenField = new QLineEdit(m_manualRow);
    m_tokenField->setObjectName(QStringLiteral("tokenField"));
    m_tokenField->setEchoMode(QLineEdit::Password);
    quorGlassInputField(m_tokenField, 8, 8, 6);
    connect(m_tokenField, &QLineEdit::textChanged, m_uiState, &QuorCreditsAuthUIState::setManualTokenInput);
    manual->addWidget(m_tokenField, 1);
    m_saveButton = button(QString(), QuorPrimaryButtonStyle{}, m_manualRow);
    m_saveButton->setObjectName(QStringLiteral("saveToken"));
    connect(m_saveButton, &QAbstractButton::clicked, this, &QuorCreditsAuthBlock::saveManualToken);
    QuorKeyboardReach::submitsOnReturn(m_tokenField, m_saveButton);
    manual->addWidget(m_saveButton);
    choices->addWidget(m_manualRow);

    layout->addWidget(m_choices);

    connect(&m_store, &QuorCreditsAccountStore::changed, this, &QuorCreditsAuthBlock::sync);
    connect(m_uiState, &QuorCreditsAuthUIState::changed, this, &QuorCreditsAuthBlock::sync);
    sync();
}

void QuorCreditsAuthBlock::setLanguage(QuorLanguage language)
{
    if (language != m_language) {
        m_language = language;
        sync();
    }
}

void QuorCreditsAuthBlock::sync()
{
    QuorCreditsAuthPresentation::Inputs in;
    in.isSignedIn = m_store.isSignedIn();
    in.isSigningIn = m_store.isSigningIn();
    in.signInKind = m_store.signInKind();
    in.pendingDeviceSignIn = m_store.pendingDeviceSignIn();
    in.showManualToken = m_uiState->showManualToken();
    in.manualTokenInput = m_uiState->manualTokenInput();
    in.showReconnectOptions = m_uiState->showReconnectOptions();
    in.copiedCode = m_uiState->copiedCode();
    in.language = m_language;
    m_presentation = QuorCreditsAuthPresentation::make(in);
    const QuorCreditsAuthPresentation& p = m_presentation;

    m_disclosure->setVisible(p.showsDisclosure);
    m_disclosure->setContent(p.disclosureSymbol, p.disclosureTitle, QString());
    // A row that folds away with the focus in it hands the focus to the control that opened it, or
    // to Manual Token, which only unfolds a field: never on to a control that opens the browser.
    if (!p.showsChoices) {
        QuorKeyboardReach::handFocus(m_choices, m_disclosure);
    }
    m_choices->setVisible(p.showsChoices);

    setTitle(m_connectButton, p.connectTitle);
    m_connectButton->setBusy(p.connectBusy);
    m_connectButton->setEnabled(p.connectEnabled);
    setTitle(m_deviceButton, p.deviceTitle);
    m_deviceButton->setBusy(p.deviceBusy);
    m_deviceButton->setEnabled(p.deviceEnabled);
    setTitle(m_manualButton, p.manualTitle);
    m_manualButton->setButtonStyle(QuorGlassButtonStyle{p.manualActive});

    if (!p.showsStatusRow) {
        QuorKeyboardReach::handFocus(m_statusRow, m_manualButton);
    }
    m_statusRow->setVisible(p.showsStatusRow);
    setText(m_statusText, p.statusText);
    setTitle(m_cancelButton, p.cancelTitle);

    if (!p.showsCodeRow) {
        QuorKeyboardReach::handFocus(m_codeRow, m_manualButton);
    }
    m_codeRow->setVisible(p.showsCodeRow);
    setText(m_codeText, p.userCode);
    m_codeText->setAccessibleName(p.userCode);
    setTitle(m_copyButton, p.copyTitle);
    setTitle(m_openButton, p.openTitle);
    m_openButton->setVisible(p.openURL.has_value());

    if (!p.showsManualRow) {
        QuorKeyboardReach::handFocus(m_manualRow, m_manualButton);
    }
    m_manualRow->setVisible(p.showsManualRow);
    m_tokenField->setPlaceholderText(p.manualPlaceholder);
    m_tokenField->setAccessibleName(p.manualPlaceholder);
    if (m_tokenField->text() != m_uiState->manualTokenInput()) {
        m_tokenField->setText(m_uiState->manualTokenInput());
    }
    setTitle(m_saveButton, p.saveTitle);
    m_saveButton->setEnabled(p.saveEnabled);
}

void QuorCreditsAuthBlock::toggleReconnectOptions()
{
    m_uiState->setShowReconnectOptions(!m_uiState->showReconnectOptions());
}

void QuorCreditsAuthBlock::connectInBrowser()
{
    if (!m_store.isSigningIn()) {
        m_store.startOneClickSignIn();
    }
}

void QuorCreditsAuthBlock::startDeviceCode()
{
    if (!m_store.isSigningIn()) {
        m_store.startDeviceSignIn();
    }
}

void QuorCreditsAuthBlock::toggleManualToken()
{
    m_uiState->setShowManualToken(!m_uiState->showManualToken());
    if (m_uiState->showManualToken()) {
        m_tokenField->setFocus(Qt::OtherFocusReason);
    }
}

void QuorCreditsAuthBlock::cancelSignIn()
{
    m_store.cancelPendingSignIn();
}

void QuorCreditsAuthBlock::copyCode()
{
    const auto& pending = m_store.pendingDeviceSignIn();
    if (!pending) {
        return;
    }
    QGuiApplication::clipboard()->setText(pending->userCode);
    m_uiState->setCopiedCode(true);
}

void QuorCreditsAuthBlock::openVerificationPage()
{
    const auto& pending = m_store.pendingDeviceSignIn();
    if (!pending) {
        return;
    }
    if (const auto url = QuorCreditsAuthPresentation::verificationURL(*pending)) {
        m_store.openPage(*url);
    }
}

void QuorCreditsAuthBlock::saveManualToken()
{
    if (m_uiState->manualTokenInput().trimmed().isEmpty()) {
        return;
    }
    runSave(QPointer<QuorCreditsAuthBlock>(this), QPointer<QuorCreditsAccountStore>(&m_store),
            m_uiState->manualTokenInput());
}

QCoro::Task<> QuorCreditsAuthBlock::runSave(QPointer<QuorCreditsAuthBlock> self, QPointer<QuorCreditsAccountStore> store,
                                            QString token)
{
    // Not kept by the block: the store finishes the save whatever becomes of the view.
    if (!store) {
        co_return;
    }
    const bool signedIn = co_await store->saveManualToken(std::move(token));
    if (!signedIn || !self) {
        co_return; // a refused token stays in the field for another try
    }
    self->m_uiState->setManualTokenInput(QString());
    self->m_uiState->setShowManualToken(false);
    self->m_uiState->setShowReconnectOptions(false);
}
