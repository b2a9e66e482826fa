#pragma once

// The login item: an XDG autostart entry, ~/.config/autostart/com.tallowmer.quorzub.desktop,
// that starts this executable at login.
namespace QuorLaunchAtLogin {

// The entry exists and the session would start it.
bool isEnabled();
// Writes or removes the entry. False when it could not be written, could not be removed, or there
// was none to remove.
bool setEnabled(bool enabled);

} // namespace QuorLaunchAtLogin
