#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/Credits/QuorAppBudgetEditorBlock.h"
#include "QuorKit/UI/Credits/QuorAppBudgetSummaryBlock.h"
#include "QuorKit/UI/Credits/QuorCreditsAccountPresentation.h"
#include "QuorKit/UI/Credits/QuorCreditsAuthBlock.h"
#include "QuorKit/UI/Credits/QuorCreditsViewParts.h"

#include <QColor>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QVBoxLayout;
class QuorCreditsAccountStore;
class QuorPlate;
class QuorUnopenedPageNotice;

// The shared credits account as the wallet and the AI card show it: the health dot and title with a
// refresh control, then while an account is connected its balance, the account's buttons and the
// running application's budget blocks, else an explanation and the sign-in block; the store's last
// error at the bottom. The blocks of one state are made when it begins and dropped when it ends, so
// a new sign-in starts with a closed, empty cap editor.
class QuorCreditsAccountPanel : public QWidget {
    Q_OBJECT
public:
    using Place = QuorCreditsAccountPresentation::Place;
    using Action = QuorCreditsAccountPresentation::Button::Action;

    QuorCreditsAccountPanel(QuorCreditsAccountStore& store, const QColor& accentColor, Place place, QuorLanguage language,
                            QWidget* parent = nullptr);

    void setLanguage(QuorLanguage language);
    QuorLanguage language() const { return m_language; }
    const QuorCreditsAccountPresentation& presentation() const { return m_presentation; }
    // The blocks the body holds now (null when it holds none of that kind).
    QuorCreditsAuthBlock* authBlock() const { return m_authBlock; }
    QuorAppBudgetSummaryBlock* summaryBlock() const { return m_summaryBlock; }
    QuorAppBudgetEditorBlock* editorBlock() const { return m_editorBlock; }
    QuorUnopenedPageNotice* unopenedPageNotice() const { return m_unopenedNotice; }

    // What a button of the panel does; asynchronous work runs on without the view.
    void perform(Action action);

private:
    void sync();
    void rebuildBody(bool connected);
    QWidget* buildConnectedBody();
    QWidget* buildSignedOutBody();
    QWidget* buildBalance(QWidget* parent);
    QWidget* buildButtons(QWidget* parent, double spacing);
    QuorCreditsAccountPresentation::Inputs inputs() const;

    QuorCreditsAccountStore& m_store;
    QColor m_accentColor;
    Place m_place;
    QuorLanguage m_language;
    QuorCreditsAccountPresentation m_presentation;

    QuorPlate* m_dot = nullptr;
    QLabel* m_title = nullptr;
    QAbstractButton* m_refresh = nullptr;
    QVBoxLayout* m_bodyLayout = nullptr;
    QWidget* m_body = nullptr;
    bool m_bodyConnected = false;
    QLabel* m_balance = nullptr;
    QLabel* m_dollars = nullptr;
    QLabel* m_email = nullptr;
    QLabel* m_held = nullptr;
    QLabel* m_explanation = nullptr;
    QList<QPair<Action, QAbstractButton*>> m_buttons;
    QPointer<QuorCreditsAuthBlock> m_authBlock;
    QPointer<QuorAppBudgetSummaryBlock> m_summaryBlock;
    QPointer<QuorAppBudgetEditorBlock> m_editorBlock;
    QuorCreditsViewParts::ErrorBox m_error;
    QuorUnopenedPageNotice* m_unopenedNotice = nullptr;
};
