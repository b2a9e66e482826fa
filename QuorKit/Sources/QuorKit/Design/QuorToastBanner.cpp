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
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
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

QuorToastBanner::Layout QuorToastBanner::layout(const QString& message, std::optional<int> maxWidth)
{
    const QFont font = messageFont();
    const QFontMetricsF metrics(font);
    const double iconSide = kFontSize * 1.25;
    const double chrome = iconSide + kSpacing + 2 * kPaddingH;
    // Without a bound, the whole message on one line; with one, some room is left for the text
    // however narrow the bound, so that every word still shows, one under the other.
    const double room = maxWidth ? std::max(4 * kFontSize, *maxWidth - chrome) : std::ceil(metrics.horizontalAdvance(message)) + 1;

    QTextLayout text(message, font);
    QTextOption option;
    // An address or a path with no spaces breaks where it must.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text.setTextOption(option);
    Layout result;
    result.lineHeight = metrics.height();
    double widest = 0;
    text.beginLayout();
    for (QTextLine line = text.createLine(); line.isValid(); line = text.createLine()) {
        line.setLineWidth(room);
        widest = std::max(widest, line.naturalTextWidth());
        result.lines << message.mid(line.textStart(), line.textLength());
    }
    text.endLayout();
    if (result.lines.isEmpty()) {
        result.lines << QString();
    }

    const double textHeight = result.lineHeight * result.lines.size();
    const double oneLineHeight = std::max(iconSide, result.lineHeight) + 2 * kPaddingV;
    const int width = static_cast<int>(std::ceil(chrome + widest));
    const int height = static_cast<int>(std::ceil(std::max(iconSide, textHeight) + 2 * kPaddingV));
    result.size = QSize(width, height);
    result.icon = QRectF(kPaddingH, (height - iconSide) / 2, iconSide, iconSide);
    result.text = QRectF(result.icon.right() + kSpacing, (height - textHeight) / 2, width - chrome, textHeight);
    // A capsule on one line; on more, the capsule's ends keep their curve on a taller plate.
    result.cornerRadius = std::min(height, static_cast<int>(std::ceil(oneLineHeight))) / 2.0;
    return result;
}

void QuorToastBanner::setMaximumBannerWidth(int width)
{
    if (m_maximumWidth != width) {
        m_maximumWidth = width;
        updateGeometry();
        update();
    }
}

QSize QuorToastBanner::sizeHint() const
{
    return layout(m_message, m_maximumWidth).size;
}

void QuorToastBanner::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Laid out for the width it was given, which its owner took from the size hint; once per
    // width, not on every frame of its fade.
    if (!m_painted || m_painted->first != width()) {
        m_painted = std::pair(width(), layout(m_message, width()));
    }
    const Layout& laid = m_painted->second;
    const QRectF bounds(rect());
    QuorPlatePainter::paint(painter, bounds, std::min(laid.cornerRadius, bounds.height() / 2),
                            QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.84f), QuorGlassTokens::borderSubtle());

    const Icon icon = iconFor(m_isError);
    const QRectF iconRect = laid.icon.translated(0, (bounds.height() - laid.size.height()) / 2);
    QuorSymbols::paint(painter, iconRect, icon.symbolName, icon.color, kFontSize);
    painter.setFont(messageFont());
    painter.setPen(Qt::white);
    const double top = laid.text.top() + (bounds.height() - laid.size.height()) / 2;
    for (qsizetype i = 0; i < laid.lines.size(); ++i) {
        const QRectF line(laid.text.left(), top + i * laid.lineHeight, laid.text.width(), laid.lineHeight);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, laid.lines[i]);
    }
}
