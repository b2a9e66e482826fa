#pragma once

#include "QuorKit/Design/Emblems/QuorAppIdentity.h"
#include "QuorKit/Design/Emblems/QuorEmblemTone.h"

class QPainter;

// Emblem drawings of the productivity rows (0-26), in design space.
namespace QuorEmblemArtworkProductivity {

// Draws `app`'s emblem and returns true when this group has a drawing for it; draws nothing and
// returns false otherwise.
bool draw(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone);

// This program's emblem: a speech-bubble pill with three dots, a tail and two text bars.
void drawQuorZub(QPainter& painter, const QuorEmblemTone& tone);

} // namespace QuorEmblemArtworkProductivity
