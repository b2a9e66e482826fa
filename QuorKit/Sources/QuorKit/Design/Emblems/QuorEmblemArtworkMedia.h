#pragma once

#include "QuorKit/Design/Emblems/QuorEmblemTone.h"

class QPainter;

// Emblem drawings of the media rows (27-42), in design space. The renderer picks the row's drawing
// itself (the media player's own drawing lives with it).
namespace QuorEmblemArtworkMedia {

void drawQuorCamera(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorTunes(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorRadio(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorMixer(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorVoice(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorPhoto(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorScript(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorSketch(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorRuler(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorFrame(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorPodcast(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorWave(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorStudio(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorColor(QPainter& painter, const QuorEmblemTone& tone);
void drawQuorCast(QPainter& painter, const QuorEmblemTone& tone);

} // namespace QuorEmblemArtworkMedia
