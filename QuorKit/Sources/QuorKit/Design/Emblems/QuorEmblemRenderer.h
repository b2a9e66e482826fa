#pragma once

#include "QuorKit/Design/Emblems/QuorAppIdentity.h"
#include "QuorKit/Design/Emblems/QuorEmblemTone.h"

#include <QByteArray>
#include <QImage>
#include <QTransform>

class QPainter;

// One finished emblem: a square bitmap whose device pixel ratio makes it `points` logical pixels
// wide, and whether it is meant to be tinted like a template.
struct QuorEmblemImage {
    QImage image;
    bool isTemplate = false;
};

// Draws the suite's emblems procedurally (no image files) and keeps the finished bitmaps. Every
// emblem is drawn in the white-glass tone. Safe to use from any thread.
namespace QuorEmblemRenderer {

// Maps the 100 x 100 design space (origin top-left, y down) onto a px x px bitmap: the central
// 60-unit box covers 88 % of the bitmap.
QTransform designTransform(int pixelSize);

// Draws `app` into a painter already carrying the design transform; false when no drawing exists.
bool drawFlatEmblem(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone);

// A fresh, transparent px x px bitmap of the emblem (a transparent one when nothing draws).
QImage makeBitmap(QuorAppIdentity app, int pixelSize);

// Cached by raw id, pixel count and variant ("quorzub_56_glass", "quorzub_16_tpl"): at least 10
// points, scale clamped to 1 ... 3, at least 16 pixels.
QuorEmblemImage image(QuorAppIdentity app, double pointSize, double scale, bool asTemplate);
// The cache key image() uses.
QString cacheKey(QuorAppIdentity app, double pointSize, double scale, bool asTemplate);

// PNG bytes of a fresh bitmap (bypasses the cache); empty for a size below 1.
QByteArray pngData(QuorAppIdentity app, int pixelSize);

} // namespace QuorEmblemRenderer
