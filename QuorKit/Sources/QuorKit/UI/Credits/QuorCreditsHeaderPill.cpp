#include "QuorKit/UI/Credits/QuorCreditsHeaderPill.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorPopoverWindow.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorToolTips.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Credits/QuorCreditsAccountPanel.h"
#include "QuorKit/UI/Credits/QuorCreditsAccountPresentation.h"
#include "QuorKit/UI/Credits/QuorCreditsUIFormatter.h"
#include "QuorKit/UI/Credits/QuorCreditsWalletPopover.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <functional>

namespace {
constexpr double kDot = 7;
constexpr double kSpacing = 5;
constexpr double kPaddingH = 9;
constexpr double kPaddingV = 4.5;
constexpr double kLabelSize = 11.5;
constexpr double kTriangleSize = 10;
constexpr qint64 kReopenGuardMs = 250;

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QFont labelFont()
{
    return QuorFonts::system(kLabelSize, QFont::DemiBold);
}

// Re-places the popover whenever its window changes size: a wallet that grows (an error, the cap
// editor, signing in) stays on the screen.
class PopoverPlacement : public QObject {
public:
    PopoverPlacement(QObject* popover, std::function<void()> place) : QObject(popover), m_place(std::move(place))
    {
        popover->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize) {
            m_place();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_place;
};
} // namespace

void QuorCreditsHeaderPillUIState::setPopoverPresented(bool presented)
{
    if (presented != m_isPopoverPresented) {
        m_isPopoverPresented = presented;
        emit isPopoverPresentedChanged();
    }
}

QuorCreditsHeaderPill::QuorCreditsHeaderPill(QuorCreditsAccountStore& store, const QColor& accentColor,
                                             std::optional<QuorLanguage> language, QWidget* parent)
    : QAbstractButton(parent), m_store(store), m_accentColor(accentColor), m_languageOverride(language),
      m_uiState(new QuorCreditsHeaderPillUIState(this)), m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(std::chrono::minutes(1));
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (isVisible() && m_store.isBalanceUnreadable() && !m_store.isRefreshing()) {
            m_store.refresh();
        }
    });
    setCursor(Qt::PointingHandCursor);
    QuorKeyboardReach::enable(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&m_store, &QuorCreditsAccountStore::changed, this, &QuorCreditsHeaderPill::sync);
    connect(m_uiState, &QuorLanguageAwareUIState::languageRevisionChanged, this, &QuorCreditsHeaderPill::sync);
    connect(m_uiState, &QuorCreditsHeaderPillUIState::isPopoverPresentedChanged, this,
            [this] { presentPopover(m_uiState->isPopoverPresented()); });
    connect(this, &QAbstractButton::clicked, this, &QuorCreditsHeaderPill::togglePopover);
    sync();
}

QuorCreditsHeaderPill::~QuorCreditsHeaderPill()
{
    delete m_popover;
}

QString QuorCreditsHeaderPill::portalHost()
{
    return QUrl(QuorCreditsAccountManager::defaultPortalURL).host();
}

QString QuorCreditsHeaderPill::amountText(const QuorCreditAccountProfile& profile, QuorLanguage language)
{
    return QuorCreditsUIFormatter::creditsWithUnit(profile.creditsAvailable(), language);
}

QuorCreditsHeaderPill::Look QuorCreditsHeaderPill::look(bool isSignedIn,
                                                        const std::optional<QuorCreditAccountProfile>& profile,
                                                        QuorCreditsHealthStatus health,
                                                        const QList<QuorBudgetWarning>& warnings,
                                                        QuorLanguage language, bool balanceUnreadable)
{
    const bool connected = isSignedIn && profile.has_value();
    if (!connected && balanceUnreadable) {
        // Signed in as far as this computer knows, but the balance could not be read: the warning
        // look, not the grey signed-out one.
        Look look;
        look.dotColor = QuorGlassTokens::warning();
        look.borderColor = withAlpha(QuorGlassTokens::warning(), 0.55);
        look.label = quorText(QStringLiteral("Credits"), QStringLiteral("Kredi"), {}, language);
        look.showsTriangle = true;
        look.triangleColor = QuorGlassTokens::warning();
        look.tooltip = quorText(QStringLiteral("Your credits balance could not be read. Open the wallet to see why; it "
                                               "is tried again shortly."),
                                QStringLiteral("Kredi bakiyeniz okunamadı. Nedenini görmek için cüzdanı açın; kısa süre "
                                               "içinde yeniden denenecek."),
                                {}, language);
        return look;
    }
    Look look;
    look.dotColor = QuorCreditsAccountPresentation::healthColor(health);
    switch (health) {
    case QuorCreditsHealthStatus::disconnected:
    case QuorCreditsHealthStatus::healthy:
        look.borderColor = QuorGlassTokens::borderSubtle();
        break;
    case QuorCreditsHealthStatus::warning:
        look.borderColor = withAlpha(QuorGlassTokens::warning(), 0.55);
        break;
    case QuorCreditsHealthStatus::critical:
        look.borderColor = withAlpha(QuorGlassTokens::danger(), 0.65);
        break;
    }
    look.label = connected ? amountText(*profile, language)
                           : quorText(QStringLiteral("Credits"), QStringLiteral("Kredi"), {}, language);
    look.showsTriangle = isSignedIn && ((profile && profile->lowBalance) || !warnings.isEmpty() ||
                                        health == QuorCreditsHealthStatus::warning ||
                                        health == QuorCreditsHealthStatus::critical);
    look.triangleColor =
        health == QuorCreditsHealthStatus::critical ? QuorGlassTokens::danger() : QuorGlassTokens::warning();
    if (connected) {
        look.tooltip = amountText(*profile, language) + QStringLiteral(" · ") + profile->email.value_or(portalHost());
        if (!warnings.isEmpty()) {
            look.tooltip += QStringLiteral(" — ") + warnings.first().message;
        }
    } else {
        const QString host = portalHost();
        look.tooltip = quorText(QStringLiteral("Connect your ") + host + QStringLiteral(" shared credits wallet"),
                                host + QStringLiteral(" ortak kredi cüzdanınızı bağlayın"), {}, language);
    }
    return look;
}

QuorLanguage QuorCreditsHeaderPill::displayLanguage() const
{
    return m_languageOverride.value_or(QuorLanguages::current());
}

void QuorCreditsHeaderPill::setLanguageOverride(std::optional<QuorLanguage> language)
{
    if (language != m_languageOverride) {
        m_languageOverride = language;
        sync();
    }
}

QuorCreditsHeaderPill::Look QuorCreditsHeaderPill::currentLook() const
{
    return look(m_store.isSignedIn(), m_store.profile(), m_store.healthStatus(), m_store.budgetWarnings(),
                displayLanguage(), m_store.isBalanceUnreadable());
}

void QuorCreditsHeaderPill::setRetryInterval(std::chrono::milliseconds interval)
{
    m_retry->setInterval(interval);
}

bool QuorCreditsHeaderPill::isRetrying() const
{
    return m_retry->isActive();
}

void QuorCreditsHeaderPill::scheduleRetry()
{
    // One attempt at a time: the next is planned when the last one has failed.
    if (isVisible() && m_store.isBalanceUnreadable() && !m_store.isRefreshing()) {
        if (!m_retry->isActive()) {
            m_retry->start();
        }
    } else if (!m_store.isBalanceUnreadable()) {
        m_retry->stop();
    }
}

void QuorCreditsHeaderPill::sync()
{
    scheduleRetry();
    const Look next = currentLook();
    if (next == m_look) {
        return;
    }
    const bool resized = next.label != m_look.label || next.showsTriangle != m_look.showsTriangle;
    m_look = next;
    // The e-mail and warning text come from the server.
    setToolTip(QuorToolTips::plain(m_look.tooltip));
    setAccessibleName(m_look.label);
    if (resized) {
        updateGeometry();
    }
    update();
}

void QuorCreditsHeaderPill::togglePopover()
{
    // The click on the pill that closed the open wallet (as a click outside it) does not open it again.
    if (!m_uiState->isPopoverPresented() && m_sinceClosed.isValid() && m_sinceClosed.elapsed() < kReopenGuardMs) {
        m_sinceClosed.invalidate();
        return;
    }
    m_uiState->setPopoverPresented(!m_uiState->isPopoverPresented());
}

void QuorCreditsHeaderPill::presentPopover(bool presented)
{
    if (!presented) {
        if (m_popover) {
            m_popover->close();
        }
        return;
    }
    if (m_popover) {
        return;
    }
    auto* content = new QuorCreditsWalletPopover(m_store, m_accentColor, displayLanguage());
    // A window of its own rather than a popup, so that screen readers find it and the focus in it;
    // it closes on Escape and when another window takes the focus.
    auto* popover = new QuorPopoverWindow(content->panel()->presentation().title, this);
    popover->setObjectName(QStringLiteral("creditsWalletPopover"));
    popover->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(popover);
    layout->setContentsMargins(0, 0, 0, 0);
    // The window follows the wallet's size as its content changes (signing in, an error, the editor).
    layout->setSizeConstraint(QLayout::SetFixedSize);
    content->setParent(popover);
    layout->addWidget(content);
    popover->adjustSize();
    connect(popover, &QuorPopoverWindow::leftByFocus, this, [this] { m_sinceClosed.start(); });
    connect(popover, &QObject::destroyed, this, [this] { m_uiState->setPopoverPresented(false); });
    m_popover = popover;
    placePopover();
    new PopoverPlacement(popover, [this] { placePopover(); });
    popover->present(QuorKeyboardReach::showsFocusRing(this));
}

void QuorCreditsHeaderPill::placePopover()
{
    if (!m_popover) {
        return;
    }
    // Below the pill, centred on it, kept on the pill's screen.
    QPoint origin = mapToGlobal(QPoint(width() / 2 - m_popover->width() / 2, height() + 6));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        origin.setX(std::clamp(origin.x(), area.left(), std::max(area.left(), area.right() - m_popover->width())));
        origin.setY(std::clamp(origin.y(), area.top(), std::max(area.top(), area.bottom() - m_popover->height())));
    }
    if (m_popover->pos() != origin) {
        m_popover->move(origin);
    }
}

QuorCreditsWalletPopover* QuorCreditsHeaderPill::wallet() const
{
    return m_popover ? m_popover->findChild<QuorCreditsWalletPopover*>() : nullptr;
}

void QuorCreditsHeaderPill::showEvent(QShowEvent* event)
{
    QAbstractButton::showEvent(event);
    sync();
    // The store decides whether its data is old enough to fetch again.
    m_store.refreshIfStale(300);
}

void QuorCreditsHeaderPill::hideEvent(QHideEvent* event)
{
    QAbstractButton::hideEvent(event);
    m_retry->stop();
}

QSize QuorCreditsHeaderPill::sizeHint() const
{
    const QFontMetricsF metrics(labelFont());
    double width = kDot + kSpacing + metrics.horizontalAdvance(m_look.label);
    if (m_look.showsTriangle) {
        width += kSpacing + kTriangleSize * 1.25;
    }
    const double height = std::max(metrics.height(), kDot);
    return {static_cast<int>(std::ceil(width + 2 * kPaddingH)), static_cast<int>(std::ceil(height + 2 * kPaddingV))};
}

void QuorCreditsHeaderPill::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const double radius = bounds.height() / 2;
    QuorPlatePainter::paint(painter, bounds, radius, QuorGlassTokens::surface2(), m_look.borderColor);

    double x = kPaddingH;
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_look.dotColor);
    painter.drawEllipse(QRectF(x, bounds.center().y() - kDot / 2, kDot, kDot));
    x += kDot + kSpacing;
    const QFont font = labelFont();
    const double labelWidth = QFontMetricsF(font).horizontalAdvance(m_look.label);
    painter.setFont(font);
    painter.setPen(QuorGlassTokens::textPrimary());
    painter.drawText(QRectF(x, 0, labelWidth + 1, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter, m_look.label);
    if (m_look.showsTriangle) {
        x += labelWidth + kSpacing;
        const double side = kTriangleSize * 1.25;
        QuorSymbols::paint(painter, QRectF(x, bounds.center().y() - side / 2, side, side),
                           QStringLiteral("exclamationmark.triangle.fill"), m_look.triangleColor, kTriangleSize);
    }
    if (QuorKeyboardReach::showsFocusRing(this)) {
        QuorKeyboardReach::paintFocusRing(painter, bounds, radius);
    }
}
