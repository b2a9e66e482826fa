#include "QuorZubCore/Services/SelectionMargins.h"

SelectionMargins SelectionMargins::of(const QString& captured)
{
    qsizetype start = 0;
    qsizetype end = captured.size();
    while (start < end && captured.at(start).isSpace()) {
        ++start;
    }
    if (start == end) {
        return {};
    }
    while (end > start && captured.at(end - 1).isSpace()) {
        --end;
    }
    return {captured.left(start), captured.mid(end)};
}
