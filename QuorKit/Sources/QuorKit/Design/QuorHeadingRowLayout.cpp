#include "QuorKit/Design/QuorHeadingRowLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

QuorHeadingRowLayout::QuorHeadingRowLayout(double spacing, double lineSpacing, QWidget* parent)
    : QLayout(parent), m_spacing(static_cast<int>(std::lround(spacing))),
      m_lineSpacing(static_cast<int>(std::lround(lineSpacing)))
{
    setContentsMargins(0, 0, 0, 0);
}

QuorHeadingRowLayout::~QuorHeadingRowLayout()
{
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

QuorHeadingRowLayout::Frames QuorHeadingRowLayout::arrange(QSize heading, QSize controls, const QRect& bounds,
                                                           int spacing, int lineSpacing,
                                                           const std::function<int(int)>& controlsHeightForWidth)
{
    Frames frames;
    frames.oneLine = heading.width() + spacing + controls.width() <= bounds.width();
    if (frames.oneLine) {
        const int height = std::max(heading.height(), controls.height());
        frames.heading = QRect(bounds.left(), bounds.top() + (height - heading.height()) / 2,
                               bounds.width() - controls.width() - spacing, heading.height());
        frames.controls = QRect(bounds.right() + 1 - controls.width(), bounds.top() + (height - controls.height()) / 2,
                                controls.width(), controls.height());
    } else {
        frames.heading = QRect(bounds.left(), bounds.top(), bounds.width(), heading.height());
        if (controls.width() > bounds.width() && controlsHeightForWidth) {
            controls = QSize(bounds.width(), controlsHeightForWidth(bounds.width()));
        }
        frames.controls = QRect(std::max(bounds.left(), bounds.right() + 1 - controls.width()),
                                frames.heading.bottom() + 1 + lineSpacing, controls.width(), controls.height());
    }
    return frames;
}

void QuorHeadingRowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

int QuorHeadingRowLayout::count() const
{
    return static_cast<int>(m_items.size());
}

QLayoutItem* QuorHeadingRowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* QuorHeadingRowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size()) {
        return nullptr;
    }
    return m_items.takeAt(index);
}

QSize QuorHeadingRowLayout::hint(int index) const
{
    QLayoutItem* item = m_items.value(index);
    return item != nullptr && !item->isEmpty() ? item->sizeHint() : QSize();
}

QuorHeadingRowLayout::Frames QuorHeadingRowLayout::frames(const QRect& bounds) const
{
    QLayoutItem* controls = m_items.value(1);
    std::function<int(int)> wrapped;
    if (controls != nullptr && controls->hasHeightForWidth()) {
        wrapped = [controls](int width) { return controls->heightForWidth(width); };
    }
    return arrange(hint(0), hint(1), bounds, m_spacing, m_lineSpacing, wrapped);
}

int QuorHeadingRowLayout::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    const Frames placed = frames(QRect(0, 0, width - m.left() - m.right(), 0));
    return placed.heading.united(placed.controls).bottom() + 1 + m.top() + m.bottom();
}

QSize QuorHeadingRowLayout::sizeHint() const
{
    const QMargins m = contentsMargins();
    const QSize heading = hint(0);
    const QSize controls = hint(1);
    return {heading.width() + m_spacing + controls.width() + m.left() + m.right(),
            std::max(heading.height(), controls.height()) + m.top() + m.bottom()};
}

QSize QuorHeadingRowLayout::minimumSize() const
{
    const QMargins m = contentsMargins();
    const QSize heading = hint(0);
    // Controls that wrap need only their widest part.
    QLayoutItem* item = m_items.value(1);
    const bool wraps = item != nullptr && !item->isEmpty() && item->hasHeightForWidth();
    const QSize controls = wraps ? item->minimumSize() : hint(1);
    return {std::max(heading.width(), controls.width()) + m.left() + m.right(),
            std::max(heading.height(), controls.height()) + m.top() + m.bottom()};
}

void QuorHeadingRowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const Frames placed = frames(contentsRect());
    if (QLayoutItem* heading = m_items.value(0)) {
        heading->setGeometry(placed.heading);
    }
    if (QLayoutItem* controls = m_items.value(1)) {
        controls->setGeometry(placed.controls);
    }
}
