#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/Credits/QuorLanguageAwareUIState.h"

#include <QColor>
#include <QWidget>

#include <optional>

class QuorCreditsAccountPanel;
class QuorCreditsAccountStore;

// The credits pill's popover: a dark panel 352 points wide with the shared credits wallet of the
// signed-in account (balance, budget summary and caps, portal links, Refresh, Sign Out and account
// switching) or, signed out, how to connect one. Coming on screen it asks the store to refresh when
// its data is five minutes old.
class QuorCreditsWalletPopover : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelWidth = 352;

    // No `language` follows the interface language.
    QuorCreditsWalletPopover(QuorCreditsAccountStore& store, const QColor& accentColor,
                             std::optional<QuorLanguage> language, QWidget* parent = nullptr);

    QuorLanguage displayLanguage() const;
    QuorCreditsAccountPanel* panel() const { return m_panel; }

    // Always the panel's width, and as tall as the content needs at that width (its rows wrap).
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QuorCreditsAccountStore& m_store;
    std::optional<QuorLanguage> m_languageOverride;
    QuorLanguageAwareUIState* m_uiState;
    QuorCreditsAccountPanel* m_panel;
};
