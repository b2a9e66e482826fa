#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/Credits/QuorBudgetEditorPresentation.h"
#include "QuorKit/UI/Credits/QuorBudgetEditorUIState.h"

#include <QPointer>
#include <QWidget>

#include <QCoro/QCoroTask>

class QLabel;
class QLineEdit;
class QuorCreditsAccountStore;
class QuorDisclosureButton;
class QuorPlate;
class QuorStyledButton;

// A collapsible editor of the running application's daily and monthly caps, in credits: Save sends
// both (blank or 0 meaning no cap), Clear removes both. It keeps only the fields' texts; the caps
// live in the store.
class QuorAppBudgetEditorBlock : public QWidget {
    Q_OBJECT
public:
    QuorAppBudgetEditorBlock(QuorCreditsAccountStore& store, QuorLanguage language, QWidget* parent = nullptr);

    void setLanguage(QuorLanguage language);
    QuorBudgetEditorUIState* uiState() const { return m_uiState; }
    const QuorBudgetEditorPresentation& presentation() const { return m_presentation; }

    // Opening fills the fields from the stored caps; closing keeps what was typed until then.
    void toggle();
    void saveCaps();
    void clearCaps();

private:
    void sync();
    QLineEdit* capField(QWidget* parent, QLabel*& caption, const QString& name);
    static QCoro::Task<> runSave(QPointer<QuorAppBudgetEditorBlock> self, QPointer<QuorCreditsAccountStore> store,
                                 std::optional<double> daily, std::optional<double> monthly, QuorLanguage language);
    static QCoro::Task<> runClear(QPointer<QuorAppBudgetEditorBlock> self, QPointer<QuorCreditsAccountStore> store,
                                  QuorLanguage language);

    QuorCreditsAccountStore& m_store;
    QuorLanguage m_language;
    QuorBudgetEditorUIState* m_uiState;
    QuorBudgetEditorPresentation m_presentation;

    QuorDisclosureButton* m_disclosure = nullptr;
    QuorPlate* m_panel = nullptr;
    QLabel* m_dailyCaption = nullptr;
    QLineEdit* m_dailyField = nullptr;
    QLabel* m_monthlyCaption = nullptr;
    QLineEdit* m_monthlyField = nullptr;
    QLabel* m_message = nullptr;
    QuorStyledButton* m_saveButton = nullptr;
    QuorStyledButton* m_clearButton = nullptr;
};
