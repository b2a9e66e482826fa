#pragma once

// The one switch for interface animations. They are on unless the environment sets
// QUOR_ANIMATIONS=0 (the tests do), in which case every animated change lands at once.
namespace QuorAnimation {
bool enabled();
// Overrides the environment for the rest of the process.
void setEnabled(bool enabled);
} // namespace QuorAnimation
