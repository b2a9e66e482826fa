#include "QuorKit/Design/Emblems/QuorEmblemRenderer.h"

#include "QuorKit/Design/Emblems/QuorEmblemArtworkProductivity.h"

#include <QBuffer>
#include <QCache>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>

#include <algorithm>
#include <cmath>

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

int pixelsFor(double pointSize, double scale)
{
    const double points = std::max(pointSize, 10.0);
    const double pixels = std::round(points * std::clamp(scale, 1.0, 3.0)); // halves away from zero
    return std::max(static_cast<int>(pixels), 16);
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
    // Rows of the other groups have no drawing yet and stay transparent.
    return QuorEmblemArtworkProductivity::draw(app, painter, tone);
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
    Cache& shared = cache();
    {
        const QMutexLocker lock(&shared.mutex);
        if (const QuorEmblemImage* cached = shared.images.object(key)) {
            return *cached;
        }
    }
    const double points = std::max(pointSize, 10.0);
    const int pixels = pixelsFor(pointSize, scale);
    QImage bitmap = makeBitmap(app, pixels);
    bitmap.setDevicePixelRatio(pixels / points);
    const QuorEmblemImage made{bitmap, asTemplate};
    const QMutexLocker lock(&shared.mutex);
    // A concurrent first request may have stored the same key meanwhile: keep the first image.
    if (const QuorEmblemImage* cached = shared.images.object(key)) {
        return *cached;
    }
    shared.images.insert(key, new QuorEmblemImage(made));
    return made;
}

QByteArray pngData(QuorAppIdentity app, int pixelSize)
{
    if (pixelSize < 1) {
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
