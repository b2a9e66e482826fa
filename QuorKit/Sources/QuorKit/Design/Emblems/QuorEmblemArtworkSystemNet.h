#pragma once

#include "QuorKit/Design/Emblems/QuorAppIdentity.h"
#include "QuorKit/Design/Emblems/QuorEmblemTone.h"

class QPainter;

// Emblem drawings of the system and network rows (43-74), in design space.
namespace QuorEmblemArtworkSystemNet {

inline constexpr int firstRow = 43;

// Draws `app`'s emblem and returns true when this group has a drawing for it; draws nothing and
// returns false otherwise.
bool draw(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone);

} // namespace QuorEmblemArtworkSystemNet
