#include "QuorZubApp/Views/ZubTextPreview.h"

#include "QuorKit/Utilities/QuorGraphemes.h"

namespace ZubTextPreview {

QString make(const QString& text, qsizetype lineBreaks, qsizetype characters)
{
    // A character is at least one code unit: a text this short needs no measuring, and a history
    // makes a preview of every record.
    QString start = text.size() <= characters ? text : QuorGraphemes::prefix(text, characters);
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < start.size(); ++i) {
        const QChar c = start[i];
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) {
            continue;
        }
        if (breaks++ == lineBreaks) {
            start.truncate(i);
            break;
        }
        // CR LF is one break.
        if (c == QLatin1Char('\r') && i + 1 < start.size() && start[i + 1] == QLatin1Char('\n')) {
            ++i;
        }
    }
    if (start.size() == text.size()) {
        return text;
    }
    while (!start.isEmpty() && start.back().isSpace()) {
        start.chop(1);
    }
    return start + QChar(0x2026);
}

} // namespace ZubTextPreview
