#include "QuorKit/Design/Emblems/QuorEmblemArtworkProductivity.h"

#include "QuorKit/Design/Emblems/QuorFlatDraw.h"

namespace QuorEmblemArtworkProductivity {

bool draw(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone)
{
    switch (app) {
    case QuorAppIdentity::quorZub:
        drawQuorZub(painter, tone);
        return true;
    default:
        return false;
    }
}

void drawQuorZub(QPainter& painter, const QuorEmblemTone& tone)
{
    using namespace QuorFlatDraw;
    fillRoundedRect(painter, QRectF(22, 28, 56, 22), 11, tone.primary());
    fillEllipse(painter, QRectF(32.6, 35.6, 6.8, 6.8), tone.cutout(1));
    fillEllipse(painter, QRectF(46.6, 35.6, 6.8, 6.8), tone.onPrimaryAccent());
    fillEllipse(painter, QRectF(60.6, 35.6, 6.8, 6.8), tone.cutout(1));
    fill(painter, polygon({{45, 49}, {55, 49}, {50, 56}}), tone.primary());
    fillRoundedRect(painter, QRectF(26, 61, 48, 6.5), 3.25, tone.mid());
    fillRoundedRect(painter, QRectF(36, 71, 28, 4.5), 2.25, tone.accent());
}

} // namespace QuorEmblemArtworkProductivity
