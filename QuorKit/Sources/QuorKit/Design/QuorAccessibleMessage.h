#pragma once

#include <QAccessible>

class QWidget;

// A message the program puts up of itself (a toast, a notice that the browser could not be opened)
// reaches assistive technology as what it is: an object with a notification or alert role, named
// by the message, rather than a nameless filler whose text is painted or held in labels inside.
namespace QuorAccessibleMessage {

// Reads `widget` with `role` (QAccessible::Notification or QAccessible::AlertMessage); the
// widget's accessible name and description say the message. Call it in the widget's constructor.
void mark(QWidget* widget, QAccessible::Role role);

} // namespace QuorAccessibleMessage
