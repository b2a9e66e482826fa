#include "QuorKit/Design/QuorToastBanner.h"

#include "QuorKit/Design/QuorAccessibleMessage.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSymbols.h"

#include <QFontMetricsF>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
constexpr double kFontSize = 12;
constexpr double kSpacing = 8;
constexpr double kPaddingH = 16;
constexpr double kPaddingV = 10;

QFont messageFont()
{
    return QuorFonts::system(kFontSize, QFont::Medium);
}
} // namespace

QuorToastBanner::QuorToastBanner(const QString& message, bool isError, QWidget* parent)
    : QWidget(parent), m_message(message), m_isError(isError)
{
    // Painted, not held in a label: a screen reader hears it as a notification with the message.
    QuorAccessibleMessage::mark(this, QAccessible::Notification);
    setAccessibleName(message);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.35f));
    shadow->setBlurRadius(24);
    shadow->setOffset(0, 4);
    setGraphicsEffect(shadow);
}

QuorToastBanner::Icon QuorToastBanner::iconFor(bool isError)
{
    if (isError) {
        return {QStringLiteral("exclamationmark.triangle.fill"), QuorGlassTokens::warning()};
    }
    return {QStringLiteral("checkmark.circle.fill"), QuorGlassTokens::success()};
}

QSize QuorToastBanner::sizeHint() const
{
    const QFontMetricsF metrics(messageFont());
    const double icon = kFontSize * 1.25;
    const double width = icon + kSpacing + metrics.horizontalAdvance(m_message) + 2 * kPaddingH;
    const double height = std::max(icon, metrics.height()) + 2 * kPaddingV;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

void QuorToastBanner::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const double radius = bounds.height() / 2;
    QuorPlatePainter::paint(painter, bounds, radius,
                            QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.84f), QuorGlassTokens::borderSubtle());

    const Icon icon = iconFor(m_isError);
    const double side = kFontSize * 1.25;
    const QRectF iconRect(kPaddingH, bounds.center().y() - side / 2, side, side);
    QuorSymbols::paint(painter, iconRect, icon.symbolName, icon.color, kFontSize);
    painter.setFont(messageFont());
    painter.setPen(Qt::white);
    const QRectF textRect(iconRect.right() + kSpacing, 0, bounds.width() - iconRect.right() - kSpacing - kPaddingH,
                          bounds.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(messageFont()).elidedText(m_message, Qt::ElideRight, textRect.width()));
}
