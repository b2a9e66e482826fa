#include "QuorKit/UI/Credits/QuorCreditsAccountPanel.h"

#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorFlowLayout.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPaintedWidget.h"
#include "QuorKit/Design/QuorPlate.h"
#include "QuorKit/Design/QuorSpinner.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorUnopenedPageNotice.h"
#include "QuorKit/Design/QuorTextFit.h"
#include "QuorKit/UI/Credits/QuorAppBudgetEditorBlock.h"
#include "QuorKit/UI/Credits/QuorAppBudgetSummaryBlock.h"
#include "QuorKit/UI/Credits/QuorCreditsAuthBlock.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {
using QuorBoxLayouts::hbox;
using QuorBoxLayouts::vbox;
using QuorCreditsViewParts::setText;
using QuorCreditsViewParts::setTitle;
using Place = QuorCreditsAccountPanel::Place;

constexpr double kIconSize = 12;

// The wallet's refresh control: a bare symbol that turns into a spinner while the store refreshes.
class RefreshIcon : public QAbstractButton {
public:
    explicit RefreshIcon(QWidget* parent) : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        QuorKeyboardReach::enable(this);
        const int side = static_cast<int>(kIconSize * 1.25) + 4;
        setFixedSize(side, side);
    }

    void setBusy(bool busy)
    {
        if (busy == (m_ticker != nullptr)) {
            return;
        }
        if (busy) {
            m_ticker = QuorSpinner::makeTicker(this, m_angle, [this] { update(); });
            m_ticker->start();
        } else {
            delete m_ticker;
            m_ticker = nullptr;
        }
        update();
    }
    bool isBusy() const { return m_ticker != nullptr; }

protected:
    bool focusNextPrevChild(bool next) override
    {
        return QuorKeyboardReach::keepsFocusWhileDisabled(this) || QAbstractButton::focusNextPrevChild(next);
    }

    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        const QRectF bounds(rect());
        const double side = kIconSize * 1.25;
        const QRectF slot(bounds.center().x() - side / 2, bounds.center().y() - side / 2, side, side);
        if (isBusy()) {
            QuorSpinner::paint(painter, slot.adjusted(2, 2, -2, -2), QuorGlassTokens::textSecondary(), m_angle);
        } else {
            painter.setOpacity(isEnabled() ? (isDown() ? 0.6 : 1.0) : 0.45);
            QuorSymbols::paint(painter, slot, QStringLiteral("arrow.clockwise"), QuorGlassTokens::textSecondary(), kIconSize);
        }
        if (QuorKeyboardReach::showsFocusRing(this)) {
            QuorKeyboardReach::paintFocusRing(painter, bounds, 4);
        }
    }

private:
    QTimer* m_ticker = nullptr;
    int m_angle = 0;
};

QLabel* label(const QString& name, double size, QFont::Weight weight, const QColor& color, QWidget* parent)
{
    QLabel* made = QuorLabels::make(QString(), QuorFonts::system(size, weight), color, parent);
    made->setObjectName(name);
    return made;
}
} // namespace

QuorCreditsAccountPanel::QuorCreditsAccountPanel(QuorCreditsAccountStore& store, const QColor& accentColor, Place place,
                                                 QuorLanguage language, QWidget* parent)
    : QWidget(parent), m_store(store), m_accentColor(accentColor), m_place(place), m_language(language)
{
    setObjectName(place == Place::wallet ? QStringLiteral("walletPanel") : QStringLiteral("creditsSection"));
    QVBoxLayout* layout = vbox(this, 12);

    QHBoxLayout* header = hbox(nullptr, 8);
    const int dot = place == Place::wallet ? 8 : 9;
    m_dot = new QuorPlate(QuorGlassTokens::textMuted(), std::nullopt, -1, this);
    m_dot->setObjectName(QStringLiteral("healthDot"));
    m_dot->setFixedSize(dot, dot);
    header->addWidget(m_dot);
    m_title = label(QStringLiteral("title"), 13.5, QFont::Bold, QuorGlassTokens::textPrimary(), this);
    m_title->setWordWrap(place == Place::aiCard);
    header->addWidget(m_title, place == Place::aiCard ? 1 : 0);
    header->addStretch(place == Place::aiCard ? 0 : 1);
    if (place == Place::wallet) {
        m_refresh = new RefreshIcon(this);
    } else {
        m_refresh = QuorCreditsViewParts::button(QStringLiteral("arrow.clockwise"), QuorGlassButtonStyle{false}, this);
    }
    m_refresh->setObjectName(QStringLiteral("refresh"));
    connect(m_refresh, &QAbstractButton::clicked, this, [this] { perform(Action::refresh); });
    header->addWidget(m_refresh);
    layout->addLayout(header);

    m_bodyLayout = vbox(nullptr, 0);
    layout->addLayout(m_bodyLayout);
    m_error = QuorCreditsViewParts::errorBox(place == Place::wallet ? 8 : 9, place == Place::wallet ? 11 : 11.5, this);
    layout->addWidget(m_error.plate);
    m_unopenedNotice = new QuorUnopenedPageNotice(language, this);
    layout->addWidget(m_unopenedNotice);

    connect(&m_store, &QuorCreditsAccountStore::changed, this, &QuorCreditsAccountPanel::sync);
    sync();
}

void QuorCreditsAccountPanel::setLanguage(QuorLanguage language)
{
    if (language != m_language) {
        m_language = language;
        sync();
    }
}

QuorCreditsAccountPresentation::Inputs QuorCreditsAccountPanel::inputs() const
{
    QuorCreditsAccountPresentation::Inputs in;
    in.isSignedIn = m_store.isSignedIn();
    in.profile = m_store.profile();
    in.isRefreshing = m_store.isRefreshing();
    in.lastError = m_store.lastError();
    in.isSigningOut = m_store.isSigningOut();
    in.unopenedURL = m_store.unopenedURL();
    in.health = m_store.healthStatus();
    in.language = m_language;
    return in;
}

void QuorCreditsAccountPanel::sync()
{
    m_presentation = QuorCreditsAccountPresentation::make(inputs(), m_place);
    const QuorCreditsAccountPresentation& p = m_presentation;
    if (m_body == nullptr || p.isConnected != m_bodyConnected) {
        rebuildBody(p.isConnected);
    }

    m_dot->setColors(p.dotColor, std::nullopt);
    setText(m_title, p.title);
    m_refresh->setVisible(p.showsRefresh);
    m_refresh->setEnabled(p.refreshEnabled);
    if (m_place == Place::wallet) {
        static_cast<RefreshIcon*>(m_refresh)->setBusy(p.refreshBusy);
        m_refresh->setToolTip(p.refreshName);
        m_refresh->setAccessibleName(p.refreshName);
    } else {
        auto* button = static_cast<QuorStyledButton*>(m_refresh);
        button->setBusy(p.refreshBusy);
        setTitle(button, p.refreshTitle);
        button->setAccessibleName(p.refreshName);
    }

    if (p.isConnected) {
        setText(m_balance, p.balanceText);
        setText(m_dollars, p.dollarText);
        m_email->setVisible(p.email.has_value());
        setText(m_email, p.email.value_or(QString()));
        if (m_held != nullptr) {
            m_held->setVisible(p.heldText.has_value());
            setText(m_held, p.heldText.value_or(QString()));
        }
        if (m_summaryBlock) {
            m_summaryBlock->apply(QuorAppBudgetSummaryPresentation::make(m_store.currentAppName(), m_store.currentAppBudget(),
                                                                         m_store.budgetWarnings(), m_language));
        }
        if (m_editorBlock) {
            m_editorBlock->setLanguage(m_language);
        }
    } else {
        setText(m_explanation, p.explanation);
    }
    if (m_authBlock) {
        m_authBlock->setLanguage(m_language);
    }
    for (const auto& [action, button] : std::as_const(m_buttons)) {
        for (const auto& described : p.buttons) {
            if (described.action == action) {
                setTitle(button, described.title);
                button->setAccessibleName(described.name);
                button->setEnabled(described.isEnabled);
                static_cast<QuorStyledButton*>(button)->setBusy(described.isBusy);
            }
        }
    }
    QuorCreditsViewParts::showError(m_error, p.errorText);
    m_unopenedNotice->setLanguage(m_language);
    m_unopenedNotice->setURL(p.unopenedURL);
}

void QuorCreditsAccountPanel::rebuildBody(bool connected)
{
    QWidget* old = m_body;
    m_buttons.clear();
    m_balance = m_dollars = m_email = m_held = m_explanation = nullptr;
    m_bodyConnected = connected;
    m_body = connected ? buildConnectedBody() : buildSignedOutBody();
    m_bodyLayout->addWidget(m_body);
    if (old == nullptr) {
        return;
    }
    // The focus in the old body moves to the same control in the new one, else to the refresh
    // control, which does no harm when a key meant for the old one presses it.
    m_body->show();
    QuorKeyboardReach::carryFocus(old, m_body, m_refresh);
    // The old body may hold the button whose click changed the store (a sign-out with no token on
    // disk does so inside its own click): it goes once that click is over, nameless meanwhile.
    m_bodyLayout->removeWidget(old);
    old->setObjectName(QString());
    for (QObject* inside : old->findChildren<QObject*>()) {
        inside->setObjectName(QString());
    }
    old->hide();
    old->deleteLater();
}

QWidget* QuorCreditsAccountPanel::buildButtons(QWidget* parent, double spacing)
{
    auto* row = new QWidget(parent);
    row->setObjectName(QStringLiteral("accountButtons"));
    auto* flow = new QuorFlowLayout(spacing, spacing, row);
    for (const auto& described : m_presentation.buttons) {
        QuorButtonStyle style = QuorGlassButtonStyle{false};
        if (described.isPrimary) {
            style = QuorPrimaryButtonStyle{};
        }
        QuorStyledButton* button = QuorCreditsViewParts::button(QString(), style, row);
        static const char* const names[] = {"topUp", "portal", "refreshAccount", "signOut"};
        button->setObjectName(QString::fromLatin1(names[static_cast<int>(described.action)]));
        const Action action = described.action;
        connect(button, &QAbstractButton::clicked, this, [this, action] { perform(action); });
        flow->addWidget(button);
        m_buttons.append({action, button});
    }
    return row;
}

QWidget* QuorCreditsAccountPanel::buildBalance(QWidget* parent)
{
    auto* balance = new QWidget(parent);
    balance->setObjectName(QStringLiteral("balance"));
    QVBoxLayout* column = vbox(balance, m_place == Place::wallet ? 4 : 3);
    QHBoxLayout* amounts = hbox(nullptr, 8);
    m_balance = label(QStringLiteral("credits"), m_place == Place::wallet ? 22 : 21, QFont::Bold,
                      QuorGlassTokens::textPrimary(), balance);
    amounts->addWidget(m_balance, 0, Qt::AlignBaseline);
    m_dollars = label(QStringLiteral("dollars"), m_place == Place::wallet ? 11.5 : 12, QFont::Normal,
                      QuorGlassTokens::textSecondary(), balance);
    amounts->addWidget(m_dollars, 0, Qt::AlignBaseline);
    amounts->addStretch(1);
    column->addLayout(amounts);
    QHBoxLayout* details = hbox(nullptr, 6);
    // The e-mail is the server's: plain text on one line, shortened in the middle (both the name
    // and the domain stay readable) when the held credits after it need the room.
    m_email = QuorLabels::makeElided(QString(), QuorFonts::system(11.5), QuorGlassTokens::textSecondary(), balance,
                                     Qt::ElideMiddle);
    m_email->setObjectName(QStringLiteral("email"));
    m_email->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    QuorTextFit::markShortensByDesign(m_email);
    details->addWidget(m_email);
    if (m_place == Place::wallet) {
        m_held = label(QStringLiteral("held"), 10.5, QFont::Normal, QuorGlassTokens::textMuted(), balance);
        details->addWidget(m_held);
    }
    details->addStretch(1);
    column->addLayout(details);
    return balance;
}

QWidget* QuorCreditsAccountPanel::buildConnectedBody()
{
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("connected"));
    QVBoxLayout* layout = vbox(body, 12);
    m_summaryBlock = new QuorAppBudgetSummaryBlock(body);
    m_editorBlock = new QuorAppBudgetEditorBlock(m_store, m_language, body);
    if (m_place == Place::wallet) {
        auto* card = new QuorPlate(QuorGlassTokens::surface1(), QuorGlassTokens::borderSubtle(), 10, body);
        card->setObjectName(QStringLiteral("balanceCard"));
        vbox(card, 0, QMargins(10, 10, 10, 10))->addWidget(buildBalance(card));
        layout->addWidget(card);
        layout->addWidget(m_summaryBlock);
        layout->addWidget(QuorPaintedWidget::hairline(QuorGlassTokens::borderSubtle(), body));
        layout->addWidget(m_editorBlock);
        layout->addWidget(QuorPaintedWidget::hairline(QuorGlassTokens::borderSubtle(), body));
        layout->addWidget(buildButtons(body, 7));
        m_authBlock = new QuorCreditsAuthBlock(m_store, m_accentColor, m_language, true, body);
        layout->addWidget(m_authBlock);
    } else {
        QHBoxLayout* account = hbox(nullptr, 12);
        account->addWidget(buildBalance(body), 1);
        account->addWidget(buildButtons(body, 6), 0, Qt::AlignVCenter);
        layout->addLayout(account);
        layout->addWidget(QuorPaintedWidget::hairline(QuorGlassTokens::borderSubtle(), body));
        layout->addWidget(m_summaryBlock);
        layout->addWidget(m_editorBlock);
    }
    return body;
}

QWidget* QuorCreditsAccountPanel::buildSignedOutBody()
{
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("signedOut"));
    QVBoxLayout* layout = vbox(body, 12);
    m_explanation = label(QStringLiteral("explanation"), m_place == Place::wallet ? 11.5 : 12, QFont::Normal,
                          QuorGlassTokens::textSecondary(), body);
    m_explanation->setWordWrap(true);
    layout->addWidget(m_explanation);
    m_authBlock = new QuorCreditsAuthBlock(m_store, m_accentColor, m_language, m_place == Place::wallet, body);
    layout->addWidget(m_authBlock);
    if (m_place == Place::wallet) {
        layout->addWidget(QuorPaintedWidget::hairline(QuorGlassTokens::borderSubtle(), body));
        layout->addWidget(buildButtons(body, 7));
    }
    return body;
}

void QuorCreditsAccountPanel::perform(Action action)
{
    // Refresh and sign-out run on in the store whatever becomes of this view.
    switch (action) {
    case Action::topUp:
        m_store.openTopUpPage(m_language);
        break;
    case Action::portal:
        m_store.openBudgetsPage(m_language);
        break;
    case Action::refresh:
        if (!m_store.isRefreshing()) {
            m_store.refresh();
        }
        break;
    case Action::signOut:
        m_store.signOut();
        break;
    }
}
