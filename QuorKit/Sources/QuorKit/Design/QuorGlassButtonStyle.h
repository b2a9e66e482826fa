#pragma once

#include "QuorKit/Design/QuorButtonLook.h"

// The secondary button: a translucent glass rectangle, brighter when active, faded while pressed.
struct QuorGlassButtonStyle {
    bool isActive = false;

    QuorButtonLook look(bool pressed) const;

    bool operator==(const QuorGlassButtonStyle& other) const = default;
};
