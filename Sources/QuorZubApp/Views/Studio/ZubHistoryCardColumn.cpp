#include "QuorZubApp/Views/Studio/ZubHistoryCardColumn.h"

#include <QWidget>

#include <algorithm>

namespace {

int heightOf(const QLayoutItem* item, int width)
{
    if (const QWidget* widget = item->widget(); widget != nullptr && widget->minimumHeight() == widget->maximumHeight()) {
        return widget->minimumHeight();
    }
    return item->hasHeightForWidth() ? item->heightForWidth(width) : item->sizeHint().height();
}

} // namespace

ZubHistoryCardColumn::ZubHistoryCardColumn(QWidget* parent) : QLayout(parent) {}

ZubHistoryCardColumn::~ZubHistoryCardColumn()
{
    for (const Entry& entry : std::as_const(m_items)) {
        delete entry.item;
    }
}

void ZubHistoryCardColumn::insertWidget(int index, QWidget* widget)
{
    addChildWidget(widget);
    auto* item = new QWidgetItem(widget);
    m_items.insert(std::clamp<qsizetype>(index, 0, m_items.size()), Entry{item, item->minimumSize().width()});
    invalidate();
}

void ZubHistoryCardColumn::addItem(QLayoutItem* item)
{
    m_items.append(Entry{item, item->minimumSize().width()});
    invalidate();
}

QLayoutItem* ZubHistoryCardColumn::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].item : nullptr;
}

QLayoutItem* ZubHistoryCardColumn::takeAt(int index)
{
    if (index < 0 || index >= m_items.size()) {
        return nullptr;
    }
    QLayoutItem* item = m_items.takeAt(index).item;
    invalidate();
    return item;
}

void ZubHistoryCardColumn::invalidate()
{
    m_size.reset();
    QLayout::invalidate();
}

QSize ZubHistoryCardColumn::size() const
{
    if (!m_size) {
        const QMargins margins = contentsMargins();
        const int width = (parentWidget() != nullptr ? parentWidget()->width() : 0) - margins.left() - margins.right();
        int widest = 0;
        int height = 0;
        int shown = 0;
        for (const Entry& entry : m_items) {
            if (!entry.item->isEmpty()) {
                widest = std::max(widest, entry.minimumWidth);
                height += heightOf(entry.item, width);
                ++shown;
            }
        }
        height += std::max(0, shown - 1) * spacing();
        m_size = QSize(widest + margins.left() + margins.right(), height + margins.top() + margins.bottom());
    }
    return *m_size;
}

QSize ZubHistoryCardColumn::sizeHint() const
{
    return size();
}

QSize ZubHistoryCardColumn::minimumSize() const
{
    return size();
}

void ZubHistoryCardColumn::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect inside = rect.marginsRemoved(contentsMargins());
    int y = inside.top();
    for (const Entry& entry : std::as_const(m_items)) {
        if (entry.item->isEmpty()) {
            continue;
        }
        const QWidget* widget = entry.item->widget();
        const int width = widget != nullptr ? std::min(inside.width(), widget->maximumWidth()) : inside.width();
        const QRect place(inside.left(), y, width, heightOf(entry.item, width));
        // A card already in place is left alone: placing it again costs as much as moving it.
        if (widget == nullptr || widget->geometry() != place) {
            entry.item->setGeometry(place);
        }
        y += place.height() + spacing();
    }
}
