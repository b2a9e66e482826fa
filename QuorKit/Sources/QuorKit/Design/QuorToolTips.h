#pragma once

#include <QString>

// Tooltips built from text the program does not control (a server's answer, what a user typed).
namespace QuorToolTips {
// `text` as a tooltip that shows it literally. Qt renders a tooltip that looks like rich text as
// HTML, so such text is escaped and wrapped; any other text is returned as it is.
QString plain(const QString& text);
} // namespace QuorToolTips
