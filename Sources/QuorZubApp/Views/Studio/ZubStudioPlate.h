#pragma once

#include "QuorKit/Design/QuorPlate.h"

// The studio's group backgrounds are the kit's plates.
class ZubStudioPlate : public QuorPlate {
public:
    using QuorPlate::QuorPlate;
};
