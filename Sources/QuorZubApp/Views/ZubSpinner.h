#pragma once

#include "QuorKit/Design/QuorSpinner.h"

// The application's busy indicator is the kit's: a small ring in the accent colour.
class ZubSpinner : public QuorSpinner {
public:
    using QuorSpinner::QuorSpinner;
};
