#pragma once

#include "QuorPlatform/KeySynth/QuorEditingChords.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quor::platform {

// What the window synthesized keys would reach is: the window with the input focus and the active
// window, by their class, their process and their desktop entry. Uses the calling thread's own X
// connection and reads on the calling thread: /proc (in memory), and from the disk a few file
// lookups and one small desktop entry per window.
namespace KeyTarget {

// The windows keys would reach.
struct Windows {
    // The window with the input focus, maybe a child window (even of another client).
    unsigned long focus = 0;
    // The top-level window above it.
    unsigned long focusedTopLevel = 0;
    // The window manager's active window, else the focused top-level window.
    unsigned long active = 0;

    // Keys sent now reach the window they were chosen for: the same focused top-level window and
    // the same active window.
    bool sameTargetAs(const Windows& chosen) const
    {
        return focusedTopLevel == chosen.focusedTopLevel && active == chosen.active;
    }
};

// What a chord is chosen by, and the windows it is chosen for.
struct Target {
    EditingChords::WindowTraits traits;
    Windows windows;
};

// A few round trips to the X server.
Windows currentWindows();
Target focusedTarget();

// Whether process `pid` of this machine holds the master side of a pseudo-terminal (a descriptor
// open on /dev/ptmx); nothing when its descriptors cannot be read (gone, another user's).
// `procRoot` is for tests.
std::optional<bool> holdsPseudoTerminalMaster(qint64 pid, const QString& procRoot = QStringLiteral("/proc"));

// Whether the first of `desktopFileIds` that has an entry among `folders` lists the
// TerminalEmulator category; nothing when none has one.
std::optional<bool> desktopEntryListsTerminal(const QStringList& desktopFileIds, const QStringList& folders);

} // namespace KeyTarget

} // namespace quor::platform
