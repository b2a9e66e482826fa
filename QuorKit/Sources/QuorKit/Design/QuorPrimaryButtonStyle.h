#pragma once

#include "QuorKit/Design/QuorButtonLook.h"

// The main call to action: black semibold label on a near-white rounded rectangle that dims and
// shrinks slightly while pressed.
struct QuorPrimaryButtonStyle {
    QuorButtonLook look(bool pressed) const;

    bool operator==(const QuorPrimaryButtonStyle& other) const = default;
};
