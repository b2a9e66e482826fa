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

// The largest bitmap edge any request gets (and pngData() accepts).
inline constexpr int maxPixelSize = 2048;
// The media group's rows, which the renderer dispatches itself.
inline constexpr int firstMediaRow = 27;
inline constexpr int lastMediaRow = 42;

// Maps the 100 x 100 design space (origin top-left, y down) onto a px x px bitmap: the central
// 60-unit box covers 88 % of the bitmap.
QTransform designTransform(int pixelSize);

// Draws `app` into a painter already carrying the design transform; false when no drawing exists.
bool drawFlatEmblem(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone);

// A fresh, transparent px x px bitmap of the emblem (a transparent one when nothing draws).
QImage makeBitmap(QuorAppIdentity app, int pixelSize);

// Cached by raw id, pixel count and variant ("quorzub_56_glass", "quorzub_16_tpl"): 10 to
// maxPixelSize points (a size that is no number counts as 10), scale clamped to 1 ... 3 (1 when no
// number), 16 to maxPixelSize pixels. The image always carries the ratio of this request.
QuorEmblemImage image(QuorAppIdentity app, double pointSize, double scale, bool asTemplate);
// The cache key image() uses.
QString cacheKey(QuorAppIdentity app, double pointSize, double scale, bool asTemplate);

// The edge a view showing an emblem takes for an asked `size`: none for a size below 0 or not finite
// (as image() takes those for its smallest), at most maxPixelSize, so its whole pixels fit an int.
double viewSize(double size);

// PNG bytes of a fresh bitmap (bypasses the cache); empty for a size below 1 or above maxPixelSize.
QByteArray pngData(QuorAppIdentity app, int pixelSize);

} // namespace QuorEmblemRenderer
