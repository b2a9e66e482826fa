#include "QuorKit/Design/QuorAdaptiveGridLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

QuorAdaptiveGridLayout::QuorAdaptiveGridLayout(double minimumColumnWidth, double columnSpacing, double rowSpacing,
                                             QWidget* parent)
    : QLayout(parent), m_minimumColumnWidth(minimumColumnWidth), m_columnSpacing(columnSpacing),
      m_rowSpacing(rowSpacing)
{
    setContentsMargins(0, 0, 0, 0);
}

QuorAdaptiveGridLayout::~QuorAdaptiveGridLayout()
{
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

int QuorAdaptiveGridLayout::columnCount(double width, double minimumColumnWidth, double columnSpacing)
{
    if (!(width > 0) || !(minimumColumnWidth > 0)) {
        return 1;
    }
    const double columns = std::floor((width + columnSpacing) / (minimumColumnWidth + columnSpacing));
    return std::max(1, static_cast<int>(columns));
}

void QuorAdaptiveGridLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    invalidate();
}

int QuorAdaptiveGridLayout::count() const
{
    return static_cast<int>(m_items.size());
}

QLayoutItem* QuorAdaptiveGridLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem* QuorAdaptiveGridLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size()) {
        return nullptr;
    }
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

int QuorAdaptiveGridLayout::arrange(const QRect& rect, bool apply) const
{
    const QMargins margins = contentsMargins();
    const QRect area = rect.marginsRemoved(margins);
    const int columns = columnCount(area.width(), m_minimumColumnWidth, m_columnSpacing);
    const double columnWidth = (area.width() - m_columnSpacing * (columns - 1)) / columns;
    double y = area.top();
    for (qsizetype start = 0; start < m_items.size(); start += columns) {
        int rowHeight = 0;
        const qsizetype end = std::min<qsizetype>(start + columns, m_items.size());
        for (qsizetype i = start; i < end; ++i) {
            rowHeight = std::max(rowHeight, m_items[i]->sizeHint().height());
        }
        for (qsizetype i = start; i < end; ++i) {
            const double x = area.left() + static_cast<double>(i - start) * (columnWidth + m_columnSpacing);
            if (apply) {
                m_items[i]->setGeometry(QRect(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)),
                                              static_cast<int>(std::floor(columnWidth)), rowHeight));
            }
        }
        y += rowHeight + m_rowSpacing;
    }
    if (!m_items.isEmpty()) {
        y -= m_rowSpacing;
    }
    return static_cast<int>(std::ceil(y - area.top())) + margins.top() + margins.bottom();
}

int QuorAdaptiveGridLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize QuorAdaptiveGridLayout::sizeHint() const
{
    const int width = static_cast<int>(std::ceil(m_minimumColumnWidth));
    return {width, heightForWidth(geometry().width() > 0 ? geometry().width() : width)};
}

QSize QuorAdaptiveGridLayout::minimumSize() const
{
    return {static_cast<int>(std::ceil(m_minimumColumnWidth)) / 2, 0};
}

void QuorAdaptiveGridLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}
