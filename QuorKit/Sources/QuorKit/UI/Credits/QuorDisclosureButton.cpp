#include "QuorKit/UI/Credits/QuorDisclosureButton.h"

#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr double kSpacing = 6;
constexpr double kChevronSize = 10;

QFont trailingFont()
{
    return QuorFonts::system(11, QFont::Medium);
}
} // namespace

QuorDisclosureButton::QuorDisclosureButton(const QFont& titleFont, const QColor& titleColor, QWidget* parent)
    : QAbstractButton(parent), m_titleFont(titleFont), m_titleColor(titleColor)
{
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QuorKeyboardReach::enable(this);
}

void QuorDisclosureButton::setContent(const QString& symbol, const QString& title, const QString& trailing)
{
    if (symbol == m_symbol && title == text() && trailing == m_trailing) {
        return;
    }
    m_symbol = symbol;
    m_trailing = trailing;
    setText(title);
    setAccessibleName(title);
    setAccessibleDescription(trailing);
    updateGeometry();
    update();
}

QSize QuorDisclosureButton::sizeHint() const
{
    const QFontMetricsF title(m_titleFont);
    double width = kChevronSize * 1.25 + kSpacing + title.horizontalAdvance(text());
    if (!m_trailing.isEmpty()) {
        width += kSpacing + QFontMetricsF(trailingFont()).horizontalAdvance(m_trailing);
    }
    const double height = std::max(title.height(), kChevronSize * 1.25) + 4;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize QuorDisclosureButton::minimumSizeHint() const
{
    return {static_cast<int>(std::ceil(kChevronSize * 1.25)), sizeHint().height()};
}

void QuorDisclosureButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const double side = kChevronSize * 1.25;
    QuorSymbols::paint(painter, QRectF(0, bounds.center().y() - side / 2, side, side), m_symbol,
                       QuorGlassTokens::textSecondary(), kChevronSize);
    double right = bounds.width();
    if (!m_trailing.isEmpty()) {
        const QFontMetricsF metrics(trailingFont());
        const double width = metrics.horizontalAdvance(m_trailing);
        painter.setFont(trailingFont());
        painter.setPen(QuorGlassTokens::textSecondary());
        painter.drawText(QRectF(right - width - 1, 0, width + 1, bounds.height()), Qt::AlignRight | Qt::AlignVCenter,
                         m_trailing);
        right -= width + kSpacing;
    }
    const double x = side + kSpacing;
    const QFontMetricsF metrics(m_titleFont);
    painter.setFont(m_titleFont);
    painter.setPen(m_titleColor);
    painter.drawText(QRectF(x, 0, std::max(0.0, right - x), bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QuorTextFit::elided(painter, metrics, text(), Qt::ElideRight, std::max(0.0, right - x)));
    if (QuorKeyboardReach::showsFocusRing(this)) {
        QuorKeyboardReach::paintFocusRing(painter, bounds, 4);
    }
}
