#include "QuorKit/Design/QuorCaptionGlassButton.h"

#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassButtonStyle.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorSymbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr double kSymbol = 12.5;
constexpr double kSpacing = 5;

QFont caption()
{
    return QuorFonts::system(10);
}
} // namespace

QuorCaptionGlassButton::QuorCaptionGlassButton(const QString& title, QString symbolName, QWidget* parent)
    : QAbstractButton(parent), m_symbolName(std::move(symbolName))
{
    setText(title);
    setCursor(Qt::PointingHandCursor);
    // A Tab stop that a click leaves the focus alone for; Return presses it.
    QuorKeyboardReach::enable(this, Qt::TabFocus);
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

QSize QuorCaptionGlassButton::sizeHint() const
{
    const QuorButtonLook look = QuorGlassButtonStyle{false}.look(false);
    const QFontMetricsF metrics(caption());
    double width = kSymbol;
    if (!text().isEmpty()) {
        width += kSpacing + metrics.horizontalAdvance(text());
    }
    return {static_cast<int>(std::ceil(width + 2 * look.paddingHorizontal)),
            static_cast<int>(std::ceil(std::max(metrics.height(), kSymbol) + 2 * look.paddingVertical))};
}

void QuorCaptionGlassButton::paintEvent(QPaintEvent* /*event*/)
{
    const QuorButtonLook look = QuorGlassButtonStyle{false}.look(isDown());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(look.opacity * (isEnabled() ? 1.0 : 0.45));
    const QRectF bounds(rect());
    painter.setPen(QPen(*look.border, 1));
    painter.setBrush(look.fill);
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), look.cornerRadius - 0.5, look.cornerRadius - 0.5);
    // Symbol first in reading order: on the right under a right-to-left layout.
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const double contentWidth = kSymbol + (text().isEmpty() ? 0 : kSpacing + QFontMetricsF(caption()).horizontalAdvance(text()));
    double x = rtl ? bounds.width() - look.paddingHorizontal - kSymbol : look.paddingHorizontal;
    QuorSymbols::paint(painter, QRectF(x, bounds.center().y() - kSymbol / 2, kSymbol, kSymbol), m_symbolName,
                       look.foreground, 10);
    if (QuorKeyboardReach::showsFocusRing(this)) {
        QuorKeyboardReach::paintFocusRing(painter, bounds, look.cornerRadius);
    }
    if (text().isEmpty()) {
        return;
    }
    painter.setFont(caption());
    painter.setPen(look.foreground);
    const double textLeft = rtl ? bounds.width() - look.paddingHorizontal - contentWidth : x + kSymbol + kSpacing;
    painter.drawText(QRectF(textLeft, 0, contentWidth - kSymbol - kSpacing, bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}
