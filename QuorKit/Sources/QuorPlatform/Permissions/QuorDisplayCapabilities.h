#pragma once

#include <QString>

namespace quor::platform {

// What the desktop lets this process do, asked on the calling thread's own X connection (no
// connection of its own per question; the extensions a connection offers are learnt once).
namespace DisplayCapabilities {

// An X display is reachable.
bool hasDisplay();
// An X display is reachable and offers what reading and driving other windows needs: XTEST
// (synthetic keys), XFIXES (selection ownership) and XInput 2 (global buttons).
bool canObserveAndDriveInput();

} // namespace DisplayCapabilities

} // namespace quor::platform
