#include "QuorKit/Design/QuorUnopenedPageNotice.h"

#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Design/QuorAccessibleMessage.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassButtonStyle.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPopoverWindow.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int popupWidth = 340;

// The popup's dark plate, the same ground as the credits wallet. A window of its own rather than a
// Qt popup: screen readers list it among the application's windows and report the focus inside it,
// and its Escape stays its own, never a shortcut of the window it opened from.
class NoticePopup : public QuorPopoverWindow {
public:
    NoticePopup(const QString& title, QWidget* anchor) : QuorPopoverWindow(title, anchor) {}

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(18, 21, 40, qRound(0.97 * 255)));
    }
};
} // namespace

QuorUnopenedPageNotice::Texts QuorUnopenedPageNotice::texts(QuorLanguage language, bool copied)
{
    return {QuorBrowserHandOff::failureMessage(language),
            quorText(QStringLiteral("Browser Not Opened"), QStringLiteral("Tarayıcı Açılamadı"), {}, language),
            copied ? quorText(QStringLiteral("Copied"), QStringLiteral("Kopyalandı"), {}, language)
                   : quorText(QStringLiteral("Copy Address"), QStringLiteral("Adresi Kopyala"), {}, language)};
}

QuorUnopenedPageNotice::QuorUnopenedPageNotice(QuorLanguage language, QWidget* parent)
    : QWidget(parent), m_language(language)
{
    setObjectName(QStringLiteral("unopenedPageNotice"));
    QuorAccessibleMessage::mark(this, QAccessible::AlertMessage);
    QVBoxLayout* column = QuorBoxLayouts::vbox(this, 6);
    m_message = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::textPrimary(), this);
    m_message->setObjectName(QStringLiteral("unopenedMessage"));
    m_message->setWordWrap(true);
    column->addWidget(m_message);
    QFont mono = QuorFonts::system(10.5);
    mono.setStyleHint(QFont::Monospace);
    mono.setFamily(QStringLiteral("monospace"));
    m_address = QuorLabels::make(QString(), mono, QuorGlassTokens::textSecondary(), this);
    m_address->setObjectName(QStringLiteral("unopenedAddress"));
    m_address->setWordWrap(true);
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    column->addWidget(m_address);
    QHBoxLayout* row = QuorBoxLayouts::hbox(nullptr, 6);
    m_copyButton = new QuorStyledButton(QString(), QStringLiteral("doc.on.doc"), QuorGlassButtonStyle{false}, this);
    m_copyButton->setObjectName(QStringLiteral("copyAddress"));
    QuorKeyboardReach::enable(m_copyButton);
    connect(m_copyButton, &QAbstractButton::clicked, this, &QuorUnopenedPageNotice::copyAddress);
    row->addWidget(m_copyButton);
    row->addStretch(1);
    column->addLayout(row);
    sync();
}

void QuorUnopenedPageNotice::setURL(const std::optional<QUrl>& url)
{
    if (url != m_url) {
        m_url = url;
        m_copied = false;
        sync();
    }
}

void QuorUnopenedPageNotice::setLanguage(QuorLanguage language)
{
    if (language != m_language) {
        m_language = language;
        sync();
    }
}

void QuorUnopenedPageNotice::copyAddress()
{
    if (!m_url) {
        return;
    }
    QGuiApplication::clipboard()->setText(m_url->toString(QUrl::FullyEncoded));
    m_copied = true;
    sync();
}

void QuorUnopenedPageNotice::sync()
{
    const Texts t = texts(m_language, m_copied);
    m_message->setText(t.message);
    // Addresses can come from a server: shown as they are, never as rich text.
    m_address->setText(m_url ? m_url->toString(QUrl::FullyEncoded) : QString());
    m_address->setAccessibleName(m_address->text());
    // The whole notice in one object, for the screen reader that meets it first.
    setAccessibleName(t.message);
    setAccessibleDescription(m_address->text());
    if (m_copyButton->text() != t.copyTitle) {
        m_copyButton->setText(t.copyTitle);
        m_copyButton->setAccessibleName(t.copyTitle);
        m_copyButton->updateGeometry();
    }
    setVisible(m_url.has_value());
}

QWidget* QuorUnopenedPageNotice::popUp(const QUrl& url, QuorLanguage language, QWidget* anchor)
{
    auto* popup = new NoticePopup(texts(language, false).title, anchor);
    popup->setObjectName(QStringLiteral("unopenedPagePopup"));
    popup->setAttribute(Qt::WA_DeleteOnClose);
    auto* notice = new QuorUnopenedPageNotice(language, popup);
    notice->setURL(url);
    QVBoxLayout* layout = QuorBoxLayouts::vbox(popup, 0, QMargins(12, 12, 12, 12));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    notice->setFixedWidth(popupWidth);
    layout->addWidget(notice);
    popup->adjustSize();
    // The browser's answer can come after the anchor's window closed (the tray window): then under
    // the pointer.
    QPoint origin = anchor->isVisible()
                        ? anchor->mapToGlobal(QPoint(anchor->width() / 2 - popup->width() / 2, anchor->height() + 6))
                        : QCursor::pos() - QPoint(popup->width() / 2, 0);
    if (const QScreen* screen = anchor->isVisible() ? anchor->screen() : QGuiApplication::screenAt(QCursor::pos())) {
        const QRect area = screen->availableGeometry();
        origin.setX(std::clamp(origin.x(), area.left(), std::max(area.left(), area.right() - popup->width())));
        origin.setY(std::clamp(origin.y(), area.top(), std::max(area.top(), area.bottom() - popup->height())));
    }
    popup->move(origin);
    // It opens for the keyboard to act in, whichever way the page was asked for.
    popup->present(true, notice->m_copyButton);
    return popup;
}
