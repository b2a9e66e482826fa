#pragma once

#include <QRectF>

class QAbstractButton;
class QPainter;

// Controls that the keyboard reaches as well as the mouse: Tab stops on them, Space, Enter and
// Return press them, and the focused one wears a ring.
namespace QuorKeyboardReach {

void enable(QAbstractButton* button);
// The ring around a focused control's shape, drawn just inside `bounds` (a negative radius: a capsule).
void paintFocusRing(QPainter& painter, const QRectF& bounds, double cornerRadius);

} // namespace QuorKeyboardReach
