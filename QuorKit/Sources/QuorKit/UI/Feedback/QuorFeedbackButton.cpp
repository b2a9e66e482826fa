#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"

#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassButtonStyle.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorUnopenedPageNotice.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
constexpr double kIconSize = 10;
constexpr double kIconPaddingH = 6.5;
constexpr double kIconPaddingV = 3;
constexpr double kPillFontSize = 11;
constexpr double kSymbolSpacing = 5;
} // namespace

QuorFeedbackButton::QuorFeedbackButton(const QString& appName, const QuorAppVersion& version, QuorFeedbackKind kind,
                                       QuorLanguage language, QuorFeedbackButtonStyle style,
                                       const std::optional<QString>& baseURL, QWidget* parent)
    : QAbstractButton(parent), m_appName(appName), m_version(version), m_kind(kind), m_language(language),
      m_style(style), m_baseURL(baseURL)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    applyTexts();
    // The browser's answer can take a moment: the notice comes when it does.
    connect(this, &QAbstractButton::clicked, this, [this] {
        QuorFeedbackService::openInBrowser(m_appName, m_version, m_kind, m_language, m_baseURL, this,
                                           [this](bool opened) {
                                               const std::optional<QUrl> url = formURL();
                                               if (!opened && url) {
                                                   QuorUnopenedPageNotice::popUp(*url, m_language, this);
                                               }
                                           });
    });
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

QuorFeedbackButton::Texts QuorFeedbackButton::texts(QuorLanguage language)
{
    return {
        quorText(QStringLiteral("Send Feedback & Ideas"), QStringLiteral("Geri Bildirim & Fikir Gönder"), {}, language),
        quorText(QStringLiteral("Listening to you — Report a bug or share an idea"),
                 QStringLiteral("Sizi dinliyoruz — Hata bildir veya fikir paylaş"), {}, language),
    };
}

void QuorFeedbackButton::setLanguage(QuorLanguage language)
{
    if (language != m_language) {
        m_language = language;
        applyTexts();
        updateGeometry();
        update();
    }
}

void QuorFeedbackButton::applyTexts()
{
    const Texts t = texts(m_language);
    setText(m_style == QuorFeedbackButtonStyle::labeledPill ? t.pillLabel : QString());
    setToolTip(t.help);
    setAccessibleName(m_style == QuorFeedbackButtonStyle::labeledPill ? t.pillLabel : t.help);
}

std::optional<QUrl> QuorFeedbackButton::formURL() const
{
    return QuorFeedbackService::webFeedbackURL(m_appName, m_version, m_kind, m_language, m_baseURL);
}

QSize QuorFeedbackButton::sizeHint() const
{
    if (m_style == QuorFeedbackButtonStyle::compactIcon) {
        const double side = kIconSize * 1.25;
        return {static_cast<int>(std::ceil(side + 2 * kIconPaddingH)),
                static_cast<int>(std::ceil(side + 2 * kIconPaddingV))};
    }
    const QuorButtonLook look = QuorGlassButtonStyle{false}.look(false);
    const QFontMetricsF metrics(QuorFonts::system(kPillFontSize, QFont::Medium));
    const double width = kPillFontSize * 1.25 + kSymbolSpacing + metrics.horizontalAdvance(text());
    const double height = std::max(metrics.height(), kPillFontSize * 1.25);
    return {static_cast<int>(std::ceil(width + 2 * look.paddingHorizontal)),
            static_cast<int>(std::ceil(height + 2 * look.paddingVertical))};
}

void QuorFeedbackButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    if (m_style == QuorFeedbackButtonStyle::compactIcon) {
        const double radius = bounds.height() / 2;
        QuorPlatePainter::paint(painter, bounds, radius,
                                underMouse() ? QuorGlassTokens::surface3() : QuorGlassTokens::surface2(),
                                QuorGlassTokens::borderSubtle());
        const double side = kIconSize * 1.25;
        QuorSymbols::paint(painter, QRectF(bounds.center().x() - side / 2, bounds.center().y() - side / 2, side, side),
                           symbolName, QuorGlassTokens::textSecondary(), kIconSize);
        return;
    }
    const QuorButtonLook look = QuorGlassButtonStyle{false}.look(isDown());
    painter.setOpacity(look.opacity);
    QuorPlatePainter::paint(painter, bounds, look.cornerRadius, look.fill, look.border);
    const double side = kPillFontSize * 1.25;
    QuorSymbols::paint(painter, QRectF(look.paddingHorizontal, bounds.center().y() - side / 2, side, side), symbolName,
                       look.foreground, kPillFontSize);
    painter.setFont(QuorFonts::system(kPillFontSize, QFont::Medium));
    painter.setPen(look.foreground);
    painter.drawText(QRectF(look.paddingHorizontal + side + kSymbolSpacing, 0, bounds.width(), bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}
