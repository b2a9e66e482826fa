#include "QuorKit/Design/Emblems/QuorEmblemRenderer.h"

#include "QuorKit/Design/Emblems/QuorEmblemArtworkMedia.h"
#include "QuorKit/Design/Emblems/QuorEmblemArtworkProductivity.h"
#include "QuorKit/Design/Emblems/QuorEmblemArtworkSystemNet.h"
#include "QuorKit/Design/Emblems/QuorFlatDraw.h"

#include <QBuffer>
#include <QCache>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

struct Cache {
    QMutex mutex;
    QCache<QString, QuorEmblemImage> images{256};
};

Cache& cache()
{
    static Cache instance;
    return instance;
}

// A size that is not a number counts as the smallest one; a huge one is capped before it reaches
// an integer, so no request can ask for a bitmap the machine cannot hold.
double pointsFor(double pointSize)
{
    const double points = std::isfinite(pointSize) ? pointSize : 0.0;
    return std::clamp(points, 10.0, static_cast<double>(QuorEmblemRenderer::maxPixelSize));
}

int pixelsFor(double pointSize, double scale)
{
    const double clampedScale = std::isfinite(scale) ? std::clamp(scale, 1.0, 3.0) : 1.0;
    const double pixels = std::round(pointsFor(pointSize) * clampedScale); // halves away from zero
    return std::clamp(static_cast<int>(std::min(pixels, static_cast<double>(QuorEmblemRenderer::maxPixelSize))), 16,
                      QuorEmblemRenderer::maxPixelSize);
}

// The ratio that makes a bitmap of `pixels` the asked number of points wide.
double ratioFor(double pointSize, int pixels)
{
    return pixels / pointsFor(pointSize);
}

// The media player: a screen playing, with a live dot in its corner.
void drawPlayer(QPainter& painter, const QuorEmblemTone& tone)
{
    using namespace QuorFlatDraw;
    displayFrame(painter, tone);
    fill(painter, polygon({{44, 36.5}, {60, 44.5}, {44, 52.5}}), QuorFlatPaint::solid(tone.primaryColor));
    fillEllipse(painter, QRectF(27.8, 30.3, 6.4, 6.4), QuorFlatPaint::solid(tone.accentColor));
}

void drawMedia(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone)
{
    using namespace QuorEmblemArtworkMedia;
    switch (app) {
    case QuorAppIdentity::quorCamera: drawQuorCamera(painter, tone); break;
    case QuorAppIdentity::quorTunes: drawQuorTunes(painter, tone); break;
    case QuorAppIdentity::quorRadio: drawQuorRadio(painter, tone); break;
    case QuorAppIdentity::quorPlayer: drawPlayer(painter, tone); break;
    case QuorAppIdentity::quorMixer: drawQuorMixer(painter, tone); break;
    case QuorAppIdentity::quorVoice: drawQuorVoice(painter, tone); break;
    case QuorAppIdentity::quorPhoto: drawQuorPhoto(painter, tone); break;
    case QuorAppIdentity::quorScript: drawQuorScript(painter, tone); break;
    case QuorAppIdentity::quorSketch: drawQuorSketch(painter, tone); break;
    case QuorAppIdentity::quorRuler: drawQuorRuler(painter, tone); break;
    case QuorAppIdentity::quorFrame: drawQuorFrame(painter, tone); break;
    case QuorAppIdentity::quorPodcast: drawQuorPodcast(painter, tone); break;
    case QuorAppIdentity::quorWave: drawQuorWave(painter, tone); break;
    case QuorAppIdentity::quorStudio: drawQuorStudio(painter, tone); break;
    case QuorAppIdentity::quorColor: drawQuorColor(painter, tone); break;
    case QuorAppIdentity::quorCast: drawQuorCast(painter, tone); break;
    default: break;
    }
}

} // namespace

namespace QuorEmblemRenderer {

QTransform designTransform(int pixelSize)
{
    const double px = pixelSize;
    const double s = px * 0.88 / 60.0;
    QTransform transform;
    transform.translate(px * 0.5, px * 0.5);
    transform.scale(s, s);
    transform.translate(-50, -50);
    return transform;
}

bool drawFlatEmblem(QuorAppIdentity app, QPainter& painter, const QuorEmblemTone& tone)
{
    if (QuorEmblemArtworkProductivity::draw(app, painter, tone)) {
        return true;
    }
    if (const int row = QuorAppIdentities::index(app); row >= firstMediaRow && row <= lastMediaRow) {
        drawMedia(app, painter, tone);
        return true;
    }
    return QuorEmblemArtworkSystemNet::draw(app, painter, tone);
}

QImage makeBitmap(QuorAppIdentity app, int pixelSize)
{
    QImage bitmap(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull()) {
        return bitmap;
    }
    // A bitmap of its own keeps cut-outs from erasing anything but the emblem's own shapes.
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setTransform(designTransform(pixelSize));
    drawFlatEmblem(app, painter, QuorEmblemTone::whiteGlass());
    painter.end();
    return bitmap;
}

QString cacheKey(QuorAppIdentity app, double pointSize, double scale, bool asTemplate)
{
    return QStringLiteral("%1_%2_%3")
        .arg(QuorAppIdentities::rawValue(app))
        .arg(pixelsFor(pointSize, scale))
        .arg(asTemplate ? QStringLiteral("tpl") : QStringLiteral("glass"));
}

QuorEmblemImage image(QuorAppIdentity app, double pointSize, double scale, bool asTemplate)
{
    const QString key = cacheKey(app, pointSize, scale, asTemplate);
    const int pixels = pixelsFor(pointSize, scale);
    const double ratio = ratioFor(pointSize, pixels);
    Cache& shared = cache();
    // A key is shared by every point size that comes to the same pixel count. The cached image
    // keeps the ratio of the latest request, so a repeated request shares its pixels; changing the
    // ratio of an image that is shared would copy them.
    const auto cached = [&]() -> std::optional<QuorEmblemImage> {
        QuorEmblemImage* found = shared.images.object(key);
        if (found == nullptr) {
            return std::nullopt;
        }
        found->image.setDevicePixelRatio(ratio);
        return *found;
    };
    {
        const QMutexLocker lock(&shared.mutex);
        if (std::optional<QuorEmblemImage> hit = cached()) {
            return *hit;
        }
    }
    QuorEmblemImage made{makeBitmap(app, pixels), asTemplate};
    made.image.setDevicePixelRatio(ratio);
    const QMutexLocker lock(&shared.mutex);
    // A concurrent first request may have stored the same key meanwhile: keep the first image.
    if (std::optional<QuorEmblemImage> hit = cached()) {
        return *hit;
    }
    shared.images.insert(key, new QuorEmblemImage(made));
    return made;
}

double viewSize(double size)
{
    return std::isfinite(size) ? std::clamp(size, 0.0, static_cast<double>(maxPixelSize)) : 0.0;
}

QByteArray pngData(QuorAppIdentity app, int pixelSize)
{
    if (pixelSize < 1 || pixelSize > maxPixelSize) {
        return {};
    }
    const QImage bitmap = makeBitmap(app, pixelSize);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (bitmap.isNull() || !bitmap.save(&buffer, "PNG")) {
        return {};
    }
    return bytes;
}

} // namespace QuorEmblemRenderer
