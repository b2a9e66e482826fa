#pragma once

#include <QByteArray>
#include <QString>

namespace quor::platform {

// The login item as an XDG autostart entry: a desktop file in $XDG_CONFIG_HOME/autostart that
// session managers start at login.
namespace AutostartEntry {

// $XDG_CONFIG_HOME/autostart/<desktopFileId>.desktop, given the configuration folder.
QString path(const QString& configDirectory, const QString& desktopFileId);

// The entry that starts `executable` (an absolute path, quoted as the desktop entry format
// requires).
QByteArray contents(const QString& applicationName, const QString& executable, const QString& iconName);

// Whether an existing entry would start anything: session managers skip entries marked Hidden
// and those GNOME's session settings switched off.
bool isActive(const QByteArray& contents);

// One argument of an Exec line: quoted when it holds a reserved character, with the quoting
// and the general string escapes applied.
QString quoteExecArgument(const QString& argument);

} // namespace AutostartEntry

} // namespace quor::platform
