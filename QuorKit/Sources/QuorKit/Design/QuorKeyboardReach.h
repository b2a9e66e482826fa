#pragma once

#include <QRectF>

class QAbstractButton;
class QPainter;
class QWidget;

// Controls that the keyboard reaches as well as the mouse: Tab stops on them, Space, Enter and
// Return press them, and the one the keyboard moved to wears a ring.
namespace QuorKeyboardReach {

void enable(QAbstractButton* button);
// Whether `widget` has the focus because the keyboard moved it there (Tab, Shift+Tab, a
// shortcut); focus that a click or an opening window gave it shows no ring.
bool showsFocusRing(const QWidget* widget);
// The ring around a focused control's shape, drawn just inside `bounds` (a negative radius: a capsule).
void paintFocusRing(QPainter& painter, const QRectF& bounds, double cornerRadius);

} // namespace QuorKeyboardReach
