#include "QuorPlatform/KeySynth/QuorEditingChords.h"

#include <QHash>

#include <X11/keysym.h>

namespace quor::platform::EditingChords {
namespace {
const QHash<QString, ClassHint>& hints()
{
    static const QHash<QString, ClassHint> names = [] {
        QHash<QString, ClassHint> table;
        for (const char* name :
             {"gnome-terminal", "gnome-terminal-server", "org.gnome.terminal", "kgx", "org.gnome.console", "konsole",
              "org.kde.konsole", "yakuake", "kitty", "alacritty", "terminator", "tilix", "com.gexperts.tilix",
              "xfce4-terminal", "mate-terminal", "lxterminal", "qterminal", "foot", "footclient", "wezterm",
              "org.wezfurlong.wezterm", "terminology", "guake", "tilda", "sakura", "deepin-terminal",
              "cool-retro-term", "ghostty", "com.mitchellh.ghostty", "blackbox", "com.raggesilver.blackbox", "roxterm",
              "termite", "contour", "hyper", "tabby", "ptyxis", "org.gnome.ptyxis", "io.elementary.terminal",
              "pantheon-terminal"}) {
            table.insert(QString::fromLatin1(name), ClassHint::shiftChordTerminal);
        }
        for (const char* name : {"xterm", "uxterm", "rxvt", "urxvt", "rxvt-unicode", "urxvt-unicode", "st",
                                 "st-256color", "stterm", "eterm", "aterm", "mrxvt", "xvt", "kterm", "mlterm",
                                 "9term"}) {
            table.insert(QString::fromLatin1(name), ClassHint::interruptOnlyTerminal);
        }
        for (const char* name : {"emacs", "xemacs", "gvim", "nvim-qt", "neovide", "goneovim"}) {
            table.insert(QString::fromLatin1(name), ClassHint::ownKeyBindings);
        }
        return table;
    }();
    return names;
}

// The more cautious of two hints: knowing a window takes no chord outweighs knowing which chord
// a terminal takes, which outweighs nothing.
int caution(ClassHint hint)
{
    switch (hint) {
    case ClassHint::none: return 0;
    case ClassHint::shiftChordTerminal: return 1;
    case ClassHint::interruptOnlyTerminal:
    case ClassHint::ownKeyBindings: return 2;
    }
    return 0;
}

QString terminalEvidence(const WindowTraits& traits)
{
    return traits.holdsPseudoTerminal == true ? QStringLiteral("its process holds a pseudo-terminal")
                                              : QStringLiteral("its desktop entry lists TerminalEmulator");
}
} // namespace

ClassHint classHint(const QStringList& windowClass)
{
    ClassHint hint = ClassHint::none;
    for (const QString& name : windowClass) {
        const ClassHint found = hints().value(name.toLower(), ClassHint::none);
        if (caution(found) > caution(hint)) {
            hint = found;
        }
    }
    return hint;
}

Choice choose(EditingCommand command, const WindowTraits& traits)
{
    const unsigned long key = command == EditingCommand::copy ? XK_c : XK_v;
    const bool saysTerminal = traits.holdsPseudoTerminal == true || traits.desktopEntryIsTerminal == true;
    const bool saysOtherwise = traits.holdsPseudoTerminal == false || traits.desktopEntryIsTerminal == false;
    switch (classHint(traits.windowClass)) {
    case ClassHint::interruptOnlyTerminal:
        return {std::nullopt, QStringLiteral("a terminal that passes Ctrl+Shift+C on as an interrupt")};
    case ClassHint::ownKeyBindings:
        return {std::nullopt, QStringLiteral("an editor with copy and paste keys of its own")};
    case ClassHint::shiftChordTerminal:
        if (saysTerminal || !saysOtherwise) {
            return {KeyChord{{XK_Control_L, XK_Shift_L}, key}, {}};
        }
        return {std::nullopt, QStringLiteral("named like a terminal, but its process holds no pseudo-terminal")};
    case ClassHint::none:
        break;
    }
    if (saysTerminal) {
        return {std::nullopt, QStringLiteral("a terminal (%1) whose copy and paste keys are not known")
                                  .arg(terminalEvidence(traits))};
    }
    return {KeyChord{{XK_Control_L}, key}, {}};
}

} // namespace quor::platform::EditingChords
