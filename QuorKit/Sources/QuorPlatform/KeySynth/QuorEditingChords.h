#pragma once

#include <QList>
#include <QString>
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

// Which keys copy and paste in the window keys go to. Ctrl+C is an interrupt in a terminal and a
// prefix key in some editors, so a chord is sent only where it is known to copy or paste:
// Ctrl+C / Ctrl+V in ordinary windows, Ctrl+Shift+C / Ctrl+Shift+V in the terminals known to take
// them, and nothing where the window's keys are not known.
namespace EditingChords {

// What a window's class name suggests. Only a hint: a program can be renamed, and a terminal no
// list names is recognised by what it is (WindowTraits).
enum class ClassHint {
    none,
    // A terminal that copies with Ctrl+Shift+C.
    shiftChordTerminal,
    // A terminal that hands Ctrl+Shift+C to the program inside it as the same interrupt.
    interruptOnlyTerminal,
    // A program with key bindings of its own (Ctrl+C a prefix, Ctrl+V a page down or a block mode).
    ownKeyBindings,
};

// What is known of the window keys would go to.
struct WindowTraits {
    // WM_CLASS of the window (and of the active window when the focus sits elsewhere).
    QStringList windowClass;
    // Whether the window's process holds the master side of a pseudo-terminal, as every terminal
    // emulator does; nothing when that could not be learnt (another machine, another user).
    std::optional<bool> holdsPseudoTerminal;
    // Whether the window's desktop entry lists the TerminalEmulator category; nothing without an
    // entry.
    std::optional<bool> desktopEntryIsTerminal;

    bool operator==(const WindowTraits& other) const = default;
};

struct Choice {
    // Nothing when no chord is safe for the window.
    std::optional<KeyChord> chord;
    // Why there is none, for the log.
    QString reason;
};

// By WM_CLASS (instance and class, any letter case); the most cautious hint wins.
ClassHint classHint(const QStringList& windowClass);
Choice choose(EditingCommand command, const WindowTraits& traits);

} // namespace EditingChords

} // namespace quor::platform
