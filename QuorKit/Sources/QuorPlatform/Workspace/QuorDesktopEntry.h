#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace quor::platform {

// Installed applications as desktop entries: "<desktop file id>.desktop" in the applications
// folder of each XDG data folder.
namespace DesktopEntry {

// The applications folder of `dataHome` (the user's $XDG_DATA_HOME), then that of each
// $XDG_DATA_DIRS entry (else /usr/local/share and /usr/share), in that order.
QStringList applicationFolders(const QString& dataHome);

// The first "<desktopFileId>.desktop" among `folders` that exists.
std::optional<QString> find(const QString& desktopFileId, const QStringList& folders);

// The Exec line of the entry's "Desktop Entry" group as a program and its arguments, quoting and
// escapes resolved and field codes (%f, %U, %i ...) dropped; nothing when there is no usable line.
std::optional<QStringList> execArguments(const QByteArray& contents);

// The Categories of the entry's "Desktop Entry" group ("System", "TerminalEmulator" ...).
QStringList categories(const QByteArray& contents);

} // namespace DesktopEntry

} // namespace quor::platform
