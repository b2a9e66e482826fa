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

EditingChords::WindowTraits focusedWindowTraits();

// Whether process `pid` of this machine holds the master side of a pseudo-terminal (a descriptor
// open on /dev/ptmx); nothing when its descriptors cannot be read (gone, another user's).
// `procRoot` is for tests.
std::optional<bool> holdsPseudoTerminalMaster(qint64 pid, const QString& procRoot = QStringLiteral("/proc"));

// Whether the first of `desktopFileIds` that has an entry among `folders` lists the
// TerminalEmulator category; nothing when none has one.
std::optional<bool> desktopEntryListsTerminal(const QStringList& desktopFileIds, const QStringList& folders);

} // namespace KeyTarget

} // namespace quor::platform
