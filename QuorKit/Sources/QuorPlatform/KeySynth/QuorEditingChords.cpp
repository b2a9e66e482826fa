#include "QuorPlatform/KeySynth/QuorEditingChords.h"

#include <QSet>

#include <X11/keysym.h>

namespace quor::platform::EditingChords {
namespace {
const QSet<QString>& shiftChordTerminals()
{
    static const QSet<QString> names{
        QStringLiteral("gnome-terminal"),  QStringLiteral("gnome-terminal-server"),
        QStringLiteral("org.gnome.terminal"), QStringLiteral("kgx"),
        QStringLiteral("org.gnome.console"), QStringLiteral("konsole"),
        QStringLiteral("org.kde.konsole"), QStringLiteral("yakuake"),
        QStringLiteral("kitty"), QStringLiteral("alacritty"),
        QStringLiteral("terminator"), QStringLiteral("tilix"),
        QStringLiteral("com.gexperts.tilix"), QStringLiteral("xfce4-terminal"),
        QStringLiteral("mate-terminal"), QStringLiteral("lxterminal"),
        QStringLiteral("qterminal"), QStringLiteral("foot"),
        QStringLiteral("footclient"), QStringLiteral("wezterm"),
        QStringLiteral("org.wezfurlong.wezterm"), QStringLiteral("terminology"),
        QStringLiteral("guake"), QStringLiteral("tilda"),
        QStringLiteral("sakura"), QStringLiteral("deepin-terminal"),
        QStringLiteral("cool-retro-term"), QStringLiteral("ghostty"),
        QStringLiteral("com.mitchellh.ghostty"), QStringLiteral("blackbox"),
        QStringLiteral("com.raggesilver.blackbox"), QStringLiteral("roxterm"),
        QStringLiteral("termite"), QStringLiteral("contour"),
        QStringLiteral("hyper"), QStringLiteral("tabby"),
    };
    return names;
}

// These send Ctrl+Shift+C to the program as ^C.
const QSet<QString>& interruptOnlyTerminals()
{
    static const QSet<QString> names{
        QStringLiteral("xterm"),  QStringLiteral("uxterm"), QStringLiteral("rxvt"),
        QStringLiteral("urxvt"),  QStringLiteral("rxvt-unicode"), QStringLiteral("urxvt-unicode"),
        QStringLiteral("st"),     QStringLiteral("st-256color"), QStringLiteral("stterm"),
        QStringLiteral("eterm"),  QStringLiteral("aterm"), QStringLiteral("mrxvt"),
        QStringLiteral("xvt"),    QStringLiteral("kterm"), QStringLiteral("mlterm"),
        QStringLiteral("9term"),
    };
    return names;
}
} // namespace

TerminalKind terminalKind(const QStringList& windowClass)
{
    TerminalKind kind = TerminalKind::notTerminal;
    for (const QString& name : windowClass) {
        const QString key = name.toLower();
        if (interruptOnlyTerminals().contains(key)) {
            return TerminalKind::noSafeChord;
        }
        if (shiftChordTerminals().contains(key)) {
            kind = TerminalKind::shiftChords;
        }
    }
    return kind;
}

std::optional<KeyChord> chord(EditingCommand command, const QStringList& windowClass)
{
    const unsigned long key = command == EditingCommand::copy ? XK_c : XK_v;
    switch (terminalKind(windowClass)) {
    case TerminalKind::notTerminal:
        return KeyChord{{XK_Control_L}, key};
    case TerminalKind::shiftChords:
        return KeyChord{{XK_Control_L, XK_Shift_L}, key};
    case TerminalKind::noSafeChord:
        break;
    }
    return std::nullopt;
}

} // namespace quor::platform::EditingChords
