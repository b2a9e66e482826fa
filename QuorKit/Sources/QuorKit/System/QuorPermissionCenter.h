#pragma once

#include "QuorKit/System/QuorSystemPermissionKind.h"

// Whether the desktop lets this process do what a permission stands for, asked on the calling
// thread's own X connection (the extensions a connection offers are learnt once). X11 has no
// per-application grants: "accessibility" is a reachable display with the extensions for reading
// selections and synthesizing keys, "screen recording" a display and an installed region-capture
// tool.
namespace QuorPermissionCenter {

// There is no system prompt to show: `prompt` changes nothing.
bool isAccessibilityGranted(bool prompt);
bool isScreenRecordingGranted();
// Opens the permission's settings page when the desktop has one (it has none).
void openSystemSettings(QuorSystemPermissionKind kind);

} // namespace QuorPermissionCenter
