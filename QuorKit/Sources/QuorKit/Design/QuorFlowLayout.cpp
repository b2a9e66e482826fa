#include "QuorKit/Design/QuorFlowLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

QuorFlowLayout::QuorFlowLayout(double spacing, double lineSpacing, QWidget* parent)
    : QLayout(parent), m_spacing(spacing), m_lineSpacing(lineSpacing)
{
    setContentsMargins(0, 0, 0, 0);
}

QuorFlowLayout::~QuorFlowLayout()
{
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

QSizeF QuorFlowLayout::measure(const QList<QSizeF>& sizes, std::optional<double> proposedWidth, double spacing,
                               double lineSpacing)
{
    if (sizes.isEmpty()) {
        return {proposedWidth.value_or(0), 0};
    }
    const double available = proposedWidth.value_or(std::numeric_limits<double>::infinity());
    double x = 0;
    double lineHeight = 0;
    double finishedHeight = 0;
    double widest = 0;
    for (const QSizeF& size : sizes) {
        if (x > 0 && x + size.width() > available) {
            finishedHeight += lineHeight + lineSpacing;
            lineHeight = 0;
            x = 0;
        }
        widest = std::max(widest, x + size.width());
        x += size.width() + spacing;
        lineHeight = std::max(lineHeight, size.height());
    }
    return {proposedWidth.value_or(widest), finishedHeight + lineHeight};
}

QList<QRectF> QuorFlowLayout::place(const QList<QSizeF>& sizes, const QRectF& bounds, double spacing,
                                    double lineSpacing)
{
    QList<QRectF> frames;
    double x = bounds.left();
    double y = bounds.top();
    double lineHeight = 0;
    for (const QSizeF& size : sizes) {
        if (x > bounds.left() && x + size.width() > bounds.right() + 0.5) {
            y += lineSpacing + lineHeight;
            x = bounds.left();
            lineHeight = 0;
        }
        frames.append(QRectF(QPointF(x, y), size));
        x += size.width() + spacing;
        lineHeight = std::max(lineHeight, size.height());
    }
    return frames;
}

void QuorFlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

int QuorFlowLayout::count() const
{
    return static_cast<int>(m_items.size());
}

QLayoutItem* QuorFlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* QuorFlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size()) {
        return nullptr;
    }
    return m_items.takeAt(index);
}

QList<QSizeF> QuorFlowLayout::itemSizes() const
{
    QList<QSizeF> sizes;
    for (const QLayoutItem* item : m_items) {
        sizes.append(QSizeF(item->sizeHint()));
    }
    return sizes;
}

int QuorFlowLayout::heightForWidth(int width) const
{
    return static_cast<int>(std::ceil(measure(itemSizes(), width, m_spacing, m_lineSpacing).height()));
}

QSize QuorFlowLayout::sizeHint() const
{
    const QSizeF size = measure(itemSizes(), std::nullopt, m_spacing, m_lineSpacing);
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

QSize QuorFlowLayout::minimumSize() const
{
    int widest = 0;
    for (const QLayoutItem* item : m_items) {
        widest = std::max(widest, item->sizeHint().width());
    }
    return {widest, 0};
}

void QuorFlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QList<QRectF> frames = place(itemSizes(), QRectF(rect), m_spacing, m_lineSpacing);
    for (int i = 0; i < m_items.size(); ++i) {
        m_items[i]->setGeometry(frames[i].toAlignedRect());
    }
}
