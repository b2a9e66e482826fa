#include "QuorKit/UI/AI/QuorAIModelRowButton.h"

#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorFlowLayout.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorSymbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPaddingH = 10;
constexpr double kPaddingV = 8;
constexpr double kStackSpacing = 5;
constexpr double kTitleSpacing = 6;
// The flexible space before the vendor is at least 4 points, with the line's spacing on each side.
constexpr double kVendorGap = kTitleSpacing + 4 + kTitleSpacing;
constexpr double kCheckSide = 13 * 1.25;
constexpr double kChipSpacing = 5;
constexpr double kChipLineSpacing = 4;
constexpr double kRadius = 9;

QFont titleFont()
{
    return QuorFonts::system(12, QFont::DemiBold);
}

QFont vendorFont()
{
    return QuorFonts::system(10.5, QFont::Medium);
}

QFont summaryFont()
{
    return QuorFonts::system(11);
}

QFont chipFont()
{
    return QuorFonts::system(10, QFont::Medium);
}

QList<QSizeF> chipSizes(const QList<QuorAIModelCatalogPresentation::Chip>& chips)
{
    QList<QSizeF> sizes;
    for (const auto& chip : chips) {
        sizes.append(QuorAIModelRowButton::chipSize(chip.text));
    }
    return sizes;
}
} // namespace

QuorAIModelRowButton::QuorAIModelRowButton(QWidget* parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void QuorAIModelRowButton::setRow(const QuorAIModelCatalogPresentation::Row& row)
{
    if (row == m_row) {
        return;
    }
    m_row = row;
    setObjectName(QStringLiteral("model:") + row.item.id);
    setAccessibleName(row.title);
    setAccessibleDescription(row.summary);
    setText(row.title);
    // The rows list the models; the one in use reads as the selected item.
    QuorAccessibleButton::setChoice(this, QAccessible::ListItem, row.isSelected);
    updateGeometry();
    update();
}

QSizeF QuorAIModelRowButton::chipSize(const QString& text)
{
    const QFontMetricsF metrics(chipFont());
    return {std::ceil(metrics.horizontalAdvance(text)) + 12, std::ceil(metrics.height()) + 4};
}

void QuorAIModelRowButton::paintChip(QPainter& painter, const QRectF& rect, const QuorAIModelCatalogPresentation::Chip& chip)
{
    QPainterPath capsule;
    capsule.addRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    painter.fillPath(capsule, chip.fill);
    painter.setFont(chipFont());
    painter.setPen(chip.tint);
    painter.drawText(rect, Qt::AlignCenter, chip.text);
}

QStringList QuorAIModelRowButton::summaryLines(const QString& text, double width)
{
    QStringList lines;
    const QString flat = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed();
    if (flat.isEmpty() || width <= 0) {
        return lines;
    }
    const QFont font = summaryFont();
    const QFontMetricsF metrics(font);
    QTextLayout layout(flat, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (lines.size() < 2) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(width);
        if (lines.size() == 1) {
            // The last line allowed takes whatever is left, cut with an ellipsis when it overflows.
            lines.append(metrics.elidedText(flat.mid(line.textStart()).trimmed(), Qt::ElideRight, width));
            break;
        }
        lines.append(flat.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

QList<QuorAIModelCatalogPresentation::Chip> QuorAIModelRowButton::badges() const
{
    QList<QuorAIModelCatalogPresentation::Chip> result;
    if (m_row.recommended) {
        result.append(*m_row.recommended);
    }
    if (m_row.installed) {
        result.append(*m_row.installed);
    }
    return result;
}

QuorAIModelRowButton::Geometry QuorAIModelRowButton::measure(double width) const
{
    Geometry g;
    const double inner = std::max(0.0, width - 2 * kPaddingH);
    const QFontMetricsF titleMetrics(titleFont());
    const QList<QSizeF> badgeSizes = chipSizes(badges());
    double lineHeight = std::max(titleMetrics.height(), kCheckSide);
    for (const QSizeF& size : badgeSizes) {
        lineHeight = std::max(lineHeight, size.height());
    }
    double y = kPaddingV;

    // First line: right-hand items first, the title gets what is left.
    double right = kPaddingH + inner;
    if (m_row.isSelected) {
        g.check = QRectF(right - kCheckSide, y + (lineHeight - kCheckSide) / 2, kCheckSide, kCheckSide);
        right -= kCheckSide + kTitleSpacing;
    }
    const double vendorWidth = std::ceil(QFontMetricsF(vendorFont()).horizontalAdvance(m_row.vendor));
    g.vendor = QRectF(right - vendorWidth, y, vendorWidth, lineHeight);
    right -= vendorWidth + kVendorGap;
    double badgesWidth = 0;
    for (const QSizeF& size : badgeSizes) {
        badgesWidth += kTitleSpacing + size.width();
    }
    const double titleRoom = std::max(0.0, right - kPaddingH - badgesWidth);
    g.titleText = titleMetrics.elidedText(m_row.title, Qt::ElideRight, titleRoom);
    const double titleWidth = std::min(titleRoom, std::ceil(titleMetrics.horizontalAdvance(g.titleText)));
    g.title = QRectF(kPaddingH, y, titleWidth, lineHeight);
    double x = kPaddingH + titleWidth;
    for (const QSizeF& size : badgeSizes) {
        x += kTitleSpacing;
        g.badges.append(QRectF(QPointF(x, y + (lineHeight - size.height()) / 2), size));
        x += size.width();
    }
    y += lineHeight;

    g.summary = summaryLines(m_row.summary, inner);
    if (!g.summary.isEmpty()) {
        y += kStackSpacing;
        const double height = static_cast<double>(g.summary.size()) * QFontMetricsF(summaryFont()).lineSpacing();
        g.summaryRect = QRectF(kPaddingH, y, inner, height);
        y += height;
    }

    const QList<QSizeF> detailSizes = chipSizes(m_row.details);
    if (!detailSizes.isEmpty()) {
        y += kStackSpacing;
        const double height = QuorFlowLayout::measure(detailSizes, inner, kChipSpacing, kChipLineSpacing).height();
        g.details = QuorFlowLayout::place(detailSizes, QRectF(kPaddingH, y, inner, height), kChipSpacing, kChipLineSpacing);
        y += height;
    }
    g.height = y + kPaddingV;
    return g;
}

int QuorAIModelRowButton::heightForWidth(int width) const
{
    return static_cast<int>(std::ceil(measure(width).height));
}

QSize QuorAIModelRowButton::sizeHint() const
{
    const int preferred = std::max(width(), 320);
    return {preferred, heightForWidth(preferred)};
}

QSize QuorAIModelRowButton::minimumSizeHint() const
{
    return {120, heightForWidth(120)};
}

void QuorAIModelRowButton::paintEvent(QPaintEvent* /*event*/)
{
    const Geometry g = measure(width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius - 0.5, kRadius - 0.5);
    painter.fillPath(plate, m_row.fill);
    painter.setPen(QPen(m_row.border, 1));
    painter.drawPath(plate);

    painter.setFont(titleFont());
    painter.setPen(QuorGlassTokens::textPrimary());
    painter.drawText(g.title, Qt::AlignLeft | Qt::AlignVCenter, g.titleText);
    const QList<QuorAIModelCatalogPresentation::Chip> badgeChips = badges();
    for (qsizetype i = 0; i < badgeChips.size() && i < g.badges.size(); ++i) {
        paintChip(painter, g.badges[i], badgeChips[i]);
    }
    painter.setFont(vendorFont());
    painter.setPen(QuorGlassTokens::textMuted());
    painter.drawText(g.vendor, Qt::AlignRight | Qt::AlignVCenter, m_row.vendor);
    if (m_row.isSelected) {
        QuorSymbols::paint(painter, g.check, QStringLiteral("checkmark.circle.fill"), m_row.checkColor, 13);
    }

    if (!g.summary.isEmpty()) {
        const QFontMetricsF metrics(summaryFont());
        painter.setFont(summaryFont());
        painter.setPen(QuorGlassTokens::textSecondary());
        double y = g.summaryRect.top();
        for (const QString& line : g.summary) {
            painter.drawText(QRectF(g.summaryRect.left(), y, g.summaryRect.width(), metrics.lineSpacing()),
                             Qt::AlignLeft | Qt::AlignVCenter, line);
            y += metrics.lineSpacing();
        }
    }
    for (qsizetype i = 0; i < m_row.details.size() && i < g.details.size(); ++i) {
        paintChip(painter, g.details[i], m_row.details[i]);
    }
}
