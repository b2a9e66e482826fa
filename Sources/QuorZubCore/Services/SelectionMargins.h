#pragma once

#include <QString>

// The white space around a selected text that trimming took off. A result put back over the
// selection gets it back, so the spaces and line breaks of the user's document stay.
struct SelectionMargins {
    QString leading;
    QString trailing;

    bool operator==(const SelectionMargins& other) const = default;

    // What QString::trimmed() takes off `captured`; nothing for a text that is all white space.
    static SelectionMargins of(const QString& captured);
    QString around(const QString& result) const { return leading + result + trailing; }
};
