#pragma once

#include <QList>
#include <QRectF>
#include <Qt>

class QAbstractButton;
class QDialog;
class QLineEdit;
class QPainter;
class QWidget;

// Controls that the keyboard reaches as well as the mouse: Tab stops on them in the order they
// stand, Space, Enter and Return press them, the one the keyboard moved to wears a ring and is
// scrolled into view, and the focus never moves by itself to another control.
namespace QuorKeyboardReach {

// `policy` TabFocus leaves the focus where it was on a click.
void enable(QAbstractButton* button, Qt::FocusPolicy policy = Qt::StrongFocus);
// Whether `widget` has the focus because the keyboard moved it there (Tab, Shift+Tab, a
// shortcut); focus that a click or an opening window gave it shows no ring.
bool showsFocusRing(const QWidget* widget);
// The ring around a focused control's shape, drawn just inside `bounds` (a negative radius: a capsule).
void paintFocusRing(QPainter& painter, const QRectF& bounds, double cornerRadius);

// For overrides of QWidget::focusNextPrevChild in controls that turn busy: true while `widget`
// is being disabled with the focus on it. Qt would hand the focus to the next control, where a
// second press of Space meant for this one would land (a sign-out, a browser); the control keeps
// it instead, dimmed, and Tab moves on from it as usual.
bool keepsFocusWhileDisabled(const QWidget* widget);
// Before `leaving` hides or goes, the focus inside it moves to `to` (usually the control that
// opened it), rather than on to whatever follows in the window.
void handFocus(QWidget* leaving, QWidget* to);
// When `replacement` takes the place of `old` (a block rebuilt for a new state), the focus inside
// `old` moves to the control of the same name in `replacement`, else to `fallback` when given,
// else to the first control of `replacement`. Call it while `old` still shows.
void carryFocus(QWidget* old, QWidget* replacement, QWidget* fallback = nullptr);

// A window that opens for the keyboard to act in (a notice, a sheet): once it is the active
// window, the keyboard lands on `first` (else on the control the window gives it to, else on its
// first control) as Tab would bring it there, so that the control wears its ring from the start
// rather than only after the first Tab. Once, for the next time `window` becomes active.
void ringOnOpening(QWidget* window, QWidget* first = nullptr);
// Opens `sheet`, a window-modal dialog, with the ring on the control that has the keyboard.
void openSheet(QDialog* sheet);

// The controls under `root` that Tab stops on, in the order their layouts place them.
QList<QWidget*> tabStops(QWidget* root);
// Relinks the Tab chain of `window` in that order, so that blocks built after the window (a new
// sign-in state, a refreshed list) are met where they stand.
void followLayoutOrder(QWidget* window);
// Scrolls every scroll area around `widget` until it shows.
void bringIntoView(QWidget* widget);

// Return in `field` presses `action`, the one thing the field is for, when it is enabled.
void submitsOnReturn(QLineEdit* field, QAbstractButton* action);

} // namespace QuorKeyboardReach
