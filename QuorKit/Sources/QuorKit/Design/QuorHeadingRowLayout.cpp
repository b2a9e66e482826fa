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
                                                           int spacing, int lineSpacing)
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

int QuorHeadingRowLayout::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    const Frames frames = arrange(hint(0), hint(1), QRect(0, 0, width - m.left() - m.right(), 0), m_spacing, m_lineSpacing);
    return frames.heading.united(frames.controls).bottom() + 1 + m.top() + m.bottom();
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
    const QSize controls = hint(1);
    return {std::max(heading.width(), controls.width()) + m.left() + m.right(),
            std::max(heading.height(), controls.height()) + m.top() + m.bottom()};
}

void QuorHeadingRowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const Frames frames = arrange(hint(0), hint(1), contentsRect(), m_spacing, m_lineSpacing);
    if (QLayoutItem* heading = m_items.value(0)) {
        heading->setGeometry(frames.heading);
    }
    if (QLayoutItem* controls = m_items.value(1)) {
        controls->setGeometry(frames.controls);
    }
}
