#include "QuorKit/UI/Credits/QuorCreditsWalletPopover.h"

#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/UI/Credits/QuorCreditsAccountPanel.h"

#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>

QuorCreditsWalletPopover::QuorCreditsWalletPopover(QuorCreditsAccountStore& store, const QColor& accentColor,
                                                   std::optional<QuorLanguage> language, QWidget* parent)
    : QWidget(parent), m_store(store), m_languageOverride(language), m_uiState(new QuorLanguageAwareUIState(this)),
      m_panel(new QuorCreditsAccountPanel(store, accentColor, QuorCreditsAccountPanel::Place::wallet, displayLanguage(), this))
{
    setObjectName(QStringLiteral("creditsWallet"));
    setFixedWidth(panelWidth);
    QuorBoxLayouts::vbox(this, 0, QMargins(14, 14, 14, 14))->addWidget(m_panel);
    connect(m_uiState, &QuorLanguageAwareUIState::languageRevisionChanged, this,
            [this] { m_panel->setLanguage(displayLanguage()); });
}

QSize QuorCreditsWalletPopover::sizeHint() const
{
    return {panelWidth, heightForWidth(panelWidth)};
}

QuorLanguage QuorCreditsWalletPopover::displayLanguage() const
{
    return m_languageOverride.value_or(QuorLanguages::current());
}

void QuorCreditsWalletPopover::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(18, 21, 40, qRound(0.97 * 255)));
}

void QuorCreditsWalletPopover::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        // The store decides whether its data is old enough to fetch again.
        m_store.refreshIfStale(300);
    }
}
