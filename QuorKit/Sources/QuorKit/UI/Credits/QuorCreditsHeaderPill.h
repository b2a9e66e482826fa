#pragma once

#include "QuorKit/Cloud/QuorBudgetWarning.h"
#include "QuorKit/Cloud/QuorCreditAccountProfile.h"
#include "QuorKit/Cloud/QuorCreditsHealthStatus.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/Credits/QuorLanguageAwareUIState.h"

#include <QAbstractButton>
#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>

#include <chrono>
#include <optional>

class QTimer;

class QuorCreditsAccountStore;
class QuorCreditsWalletPopover;

// The pill's own state: whether its wallet popover is open.
class QuorCreditsHeaderPillUIState : public QuorLanguageAwareUIState {
    Q_OBJECT
public:
    explicit QuorCreditsHeaderPillUIState(QObject* parent = nullptr) : QuorLanguageAwareUIState(parent) {}

    bool isPopoverPresented() const { return m_isPopoverPresented; }
    void setPopoverPresented(bool presented);

signals:
    void isPopoverPresentedChanged();

private:
    bool m_isPopoverPresented = false;
};

// A header capsule showing the shared credits account at a glance: a health dot, the available
// balance (or "Credits" while no account is connected) and a warning triangle when something needs
// attention; a click (or Space or Enter) opens the wallet below it in a window of its own, and
// Escape or a click outside closes it. Everything shown is read from the store.
class QuorCreditsHeaderPill : public QAbstractButton {
    Q_OBJECT
public:
    struct Look {
        QString label;
        QColor dotColor;
        QColor borderColor;
        bool showsTriangle = false;
        QColor triangleColor;
        QString tooltip;
        bool operator==(const Look& other) const = default;
    };

    QuorCreditsHeaderPill(QuorCreditsAccountStore& store, const QColor& accentColor,
                          std::optional<QuorLanguage> language, QWidget* parent = nullptr);
    ~QuorCreditsHeaderPill() override;

    // `balanceUnreadable`: a token is saved but the account could not be read; the pill then shows
    // the warning look, not the signed-out one.
    static Look look(bool isSignedIn, const std::optional<QuorCreditAccountProfile>& profile,
                     QuorCreditsHealthStatus health, const QList<QuorBudgetWarning>& warnings, QuorLanguage language,
                     bool balanceUnreadable = false);
    // "1,250 cr" / "1.250 kr": the available micros over the credit unit (1 when that is 1 or less).
    static QString amountText(const QuorCreditAccountProfile& profile, QuorLanguage language);
    // The account portal's host name.
    static QString portalHost();

    // The override when set, else the interface language now.
    QuorLanguage displayLanguage() const;
    void setLanguageOverride(std::optional<QuorLanguage> language);
    Look currentLook() const;
    QuorCreditsHeaderPillUIState* uiState() const { return m_uiState; }
    // The open popover window, and the wallet in it.
    QWidget* popover() const { return m_popover; }
    QuorCreditsWalletPopover* wallet() const;
    void togglePopover();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // While the balance cannot be read and the pill is on screen, it asks the store again this
    // often (a minute unless a test shortens it).
    void setRetryInterval(std::chrono::milliseconds interval);
    bool isRetrying() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();
    void presentPopover(bool presented);
    void placePopover();
    void scheduleRetry();

    QuorCreditsAccountStore& m_store;
    QColor m_accentColor;
    std::optional<QuorLanguage> m_languageOverride;
    QuorCreditsHeaderPillUIState* m_uiState;
    QPointer<QWidget> m_popover;
    QElapsedTimer m_sinceClosed;
    Look m_look;
    QTimer* m_retry;
};
