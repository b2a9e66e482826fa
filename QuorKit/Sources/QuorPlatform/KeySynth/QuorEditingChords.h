#pragma once

#include <QList>
#include <QStringList>

#include <optional>

namespace quor::platform {

// Modifier keys held around one key, all as X keysyms.
struct KeyChord {
    QList<unsigned long> modifiers;
    unsigned long key = 0;

    bool operator==(const KeyChord& other) const = default;
};

enum class EditingCommand { copy, paste };

// Which keys copy and paste in the focused window. Ctrl+C is an interrupt in a terminal, so
// terminals that copy with Ctrl+Shift+C get that chord, and the older ones, which pass
// Ctrl+Shift+C to the shell as the same interrupt, get none at all.
namespace EditingChords {

enum class TerminalKind { notTerminal, shiftChords, noSafeChord };

// By WM_CLASS (instance and class, any letter case).
TerminalKind terminalKind(const QStringList& windowClass);
// Nothing when no chord is safe for that window.
std::optional<KeyChord> chord(EditingCommand command, const QStringList& windowClass);

} // namespace EditingChords

} // namespace quor::platform
