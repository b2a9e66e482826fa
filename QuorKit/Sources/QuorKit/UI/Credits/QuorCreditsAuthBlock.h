#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/Credits/QuorCreditsAuthPresentation.h"
#include "QuorKit/UI/Credits/QuorCreditsAuthUIState.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <QCoro/QCoroTask>

class QLabel;
class QLineEdit;
class QuorCreditsAccountStore;
class QuorDisclosureButton;
class QuorStyledButton;

// Where the user connects the shared credits account: a browser sign-in, a device code, or a token
// pasted by hand. Signed in, it folds down to a row for switching the account. It only starts and
// cancels the store's sign-in flows and shows what the store publishes.
class QuorCreditsAuthBlock : public QWidget {
    Q_OBJECT
public:
    // `compact` is the wallet's denser placement; the block lays out the same either way.
    QuorCreditsAuthBlock(QuorCreditsAccountStore& store, const QColor& accentColor, QuorLanguage language, bool compact,
                         QWidget* parent = nullptr);

    void setLanguage(QuorLanguage language);
    QuorCreditsAuthUIState* uiState() const { return m_uiState; }
    const QuorCreditsAuthPresentation& presentation() const { return m_presentation; }

    // What the controls do.
    void toggleReconnectOptions();
    void connectInBrowser();
    void startDeviceCode();
    void toggleManualToken();
    void cancelSignIn();
    void copyCode();
    void openVerificationPage();
    void saveManualToken();

private:
    void sync();
    static QCoro::Task<> runSave(QPointer<QuorCreditsAuthBlock> self, QPointer<QuorCreditsAccountStore> store,
                                 QString token);

    QuorCreditsAccountStore& m_store;
    QColor m_accentColor;
    QuorLanguage m_language;
    QuorCreditsAuthUIState* m_uiState;
    QuorCreditsAuthPresentation m_presentation;

    QuorDisclosureButton* m_disclosure = nullptr;
    QWidget* m_choices = nullptr;
    QuorStyledButton* m_connectButton = nullptr;
    QuorStyledButton* m_deviceButton = nullptr;
    QuorStyledButton* m_manualButton = nullptr;
    QWidget* m_statusRow = nullptr;
    QLabel* m_statusText = nullptr;
    QuorStyledButton* m_cancelButton = nullptr;
    QWidget* m_codeRow = nullptr;
    QLabel* m_codeText = nullptr;
    QuorStyledButton* m_copyButton = nullptr;
    QuorStyledButton* m_openButton = nullptr;
    QWidget* m_manualRow = nullptr;
    QLineEdit* m_tokenField = nullptr;
    QuorStyledButton* m_saveButton = nullptr;
};
