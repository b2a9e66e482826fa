#include "QuorZubApp/App/ZubAppIcon.h"

#include "QuorKit/Design/Emblems/QuorEmblemRenderer.h"
#include "QuorKit/Design/QuorProductPalette.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <utility>

namespace {

constexpr QuorAppIdentity kIdentity = QuorAppIdentity::quorZub;
constexpr QuorProductPalette kPalette = QuorProductPalette::deepCoral;

QLinearGradient plateGradient(const QRectF& plate)
{
    const QuorGroundStops stops = QuorProductPalettes::groundStops(kPalette);
    QLinearGradient gradient(plate.topLeft(), plate.bottomRight());
    gradient.setColorAt(0.0, stops.topLeft);
    gradient.setColorAt(0.5, stops.middle);
    gradient.setColorAt(1.0, stops.bottomRight);
    return gradient;
}

QPainterPath platePath(const ZubAppIcon::Geometry& g)
{
    QPainterPath path;
    path.addRoundedRect(g.plate, g.cornerRadius, g.cornerRadius);
    return path;
}

QString number(double value)
{
    QString text = QString::number(value, 'f', 3);
    while (text.contains(QLatin1Char('.')) && (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.')))) {
        text.chop(1);
    }
    return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

QString svgColor(const QColor& color)
{
    return color.name(QColor::HexRgb);
}

// Records what a painter draws as SVG shapes. Only what the emblem artwork uses is kept: filled and
// stroked paths in solid colours or linear gradients. An erasure (destination-out) cannot be
// written as a plain shape; over an opaque backdrop it has the same result as painting the
// backdrop back at the erasure's strength, which is what is written.
class SvgRecorder : public QPaintEngine {
public:
    SvgRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}

    void setBackdrop(const QBrush& brush) { m_backdrop = brush; }
    QString defs() const { return m_defs; }
    QString shapes() const { return m_shapes; }

    bool begin(QPaintDevice* /*device*/) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyBrush) {
            m_brush = state.brush();
        }
        if (dirty & DirtyPen) {
            m_pen = state.pen();
        }
        if (dirty & DirtyTransform) {
            m_transform = state.transform();
        }
        if (dirty & DirtyOpacity) {
            m_opacity = state.opacity();
        }
        if (dirty & DirtyCompositionMode) {
            m_mode = state.compositionMode();
        }
    }

    void drawPath(const QPainterPath& path) override
    {
        const bool erases = m_mode == QPainter::CompositionMode_DestinationOut;
        if (m_brush.style() != Qt::NoBrush) {
            if (erases) {
                writeFill(m_transform.map(path), m_backdrop, QTransform(), m_brush.color().alphaF() * m_opacity);
            } else {
                writeFill(m_transform.map(path), m_brush, m_transform, m_opacity);
            }
        }
        if (m_pen.style() != Qt::NoPen && m_pen.widthF() > 0) {
            QPainterPathStroker stroker(m_pen);
            QPainterPath outline = stroker.createStroke(path);
            outline.setFillRule(Qt::WindingFill);
            if (erases) {
                writeFill(m_transform.map(outline), m_backdrop, QTransform(), m_pen.color().alphaF() * m_opacity);
            } else {
                writeFill(m_transform.map(outline), m_pen.brush(), m_transform, m_opacity);
            }
        }
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        QPainterPath path;
        path.setFillRule(mode == QPaintEngine::WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        for (int i = 0; i < count; ++i) {
            if (i == 0) {
                path.moveTo(points[i]);
            } else {
                path.lineTo(points[i]);
            }
        }
        if (mode == QPaintEngine::PolylineMode) {
            const QBrush brush = std::exchange(m_brush, QBrush());
            drawPath(path);
            m_brush = brush;
            return;
        }
        path.closeSubpath();
        drawPath(path);
    }

    // The artwork draws no images.
    void drawPixmap(const QRectF& /*rect*/, const QPixmap& /*pixmap*/, const QRectF& /*source*/) override {}

private:
    QString paintFor(const QBrush& brush, const QTransform& transform, double opacity, QString& opacityText)
    {
        if (brush.style() == Qt::LinearGradientPattern && brush.gradient() != nullptr) {
            const auto* gradient = static_cast<const QLinearGradient*>(brush.gradient());
            const QTransform t = brush.transform() * transform;
            QString definition = QStringLiteral("gradientUnits=\"userSpaceOnUse\" x1=\"%1\" y1=\"%2\" x2=\"%3\" "
                                                "y2=\"%4\" gradientTransform=\"matrix(%5 %6 %7 %8 %9 %10)\">")
                                     .arg(number(gradient->start().x()), number(gradient->start().y()),
                                          number(gradient->finalStop().x()), number(gradient->finalStop().y()),
                                          number(t.m11()), number(t.m12()), number(t.m21()), number(t.m22()),
                                          number(t.dx()))
                                     .arg(number(t.dy()));
            for (const QGradientStop& stop : gradient->stops()) {
                definition += QStringLiteral("<stop offset=\"%1\" stop-color=\"%2\" stop-opacity=\"%3\"/>")
                                  .arg(number(stop.first), svgColor(stop.second), number(stop.second.alphaF()));
            }
            // The backdrop is painted back with the same gradient each time: one definition serves.
            QString& id = m_gradientIds[definition];
            if (id.isEmpty()) {
                id = QStringLiteral("g%1").arg(m_gradientIds.size());
                m_defs += QStringLiteral("<linearGradient id=\"%1\" %2</linearGradient>").arg(id, definition);
            }
            opacityText = number(opacity);
            return QStringLiteral("url(#%1)").arg(id);
        }
        opacityText = number(brush.color().alphaF() * opacity);
        return svgColor(brush.color());
    }

    void writeFill(const QPainterPath& path, const QBrush& brush, const QTransform& brushSpace, double opacity)
    {
        if (path.isEmpty() || opacity <= 0) {
            return;
        }
        QString fillOpacity;
        const QString fill = paintFor(brush, brushSpace, opacity, fillOpacity);
        QString d;
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            if (e.isMoveTo()) {
                d += (i > 0 ? QStringLiteral("ZM%1 %2") : QStringLiteral("M%1 %2")).arg(number(e.x), number(e.y));
            } else if (e.isLineTo()) {
                d += QStringLiteral("L%1 %2").arg(number(e.x), number(e.y));
            } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
                const QPainterPath::Element c2 = path.elementAt(i + 1);
                const QPainterPath::Element to = path.elementAt(i + 2);
                d += QStringLiteral("C%1 %2 %3 %4 %5 %6")
                         .arg(number(e.x), number(e.y), number(c2.x), number(c2.y), number(to.x), number(to.y));
                i += 2;
            }
        }
        m_shapes += QStringLiteral("<path d=\"%1Z\" fill=\"%2\" fill-opacity=\"%3\" fill-rule=\"%4\"/>\n")
                        .arg(d, fill, fillOpacity,
                             path.fillRule() == Qt::WindingFill ? QStringLiteral("nonzero") : QStringLiteral("evenodd"));
    }

    QBrush m_brush;
    QPen m_pen;
    QTransform m_transform;
    double m_opacity = 1;
    QPainter::CompositionMode m_mode = QPainter::CompositionMode_SourceOver;
    QBrush m_backdrop;
    QString m_defs;
    QString m_shapes;
    std::map<QString, QString> m_gradientIds;
};

class SvgDevice : public QPaintDevice {
public:
    explicit SvgDevice(int side) : m_side(side) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    SvgRecorder& recorder() const { return m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return m_side;
        case PdmWidthMM:
        case PdmHeightMM:
            return static_cast<int>(std::lround(m_side * 25.4 / 96.0));
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    int m_side;
    mutable SvgRecorder m_engine;
};

// The window icon, drawn at each size the window manager asks for.
class AppIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap drawn = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, drawn);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        const int side = std::min(size.width(), size.height());
        if (const auto found = m_drawn.find(side); found != m_drawn.end()) {
            return found->second;
        }
        QPixmap drawn = QPixmap::fromImage(ZubAppIcon::image(side));
        m_drawn.emplace(side, drawn);
        return drawn;
    }

    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64), QSize(128, 128)};
    }

    QIconEngine* clone() const override { return new AppIconEngine; }

private:
    std::map<int, QPixmap> m_drawn;
};

} // namespace

namespace ZubAppIcon {

Geometry geometry(double side)
{
    Geometry g;
    // Whole-pixel edges keep the plate's outline sharp at the small sizes.
    const double margin = std::round(side / 16.0);
    g.plate = QRectF(margin, margin, side - 2 * margin, side - 2 * margin);
    g.cornerRadius = g.plate.width() * 0.225;
    const double share = side <= 24 ? 0.92 : 0.7;
    const double emblemSide = std::round(g.plate.width() * share);
    const double offset = std::floor((side - emblemSide) / 2.0);
    g.emblem = QRectF(offset, offset, emblemSide, emblemSide);
    return g;
}

QImage image(int pixelSize)
{
    if (pixelSize < 1 || pixelSize > QuorEmblemRenderer::maxPixelSize) {
        return {};
    }
    const Geometry g = geometry(pixelSize);
    QImage drawn(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(platePath(g), plateGradient(g.plate));
    // The emblem is drawn on a bitmap of its own: its holes erase only its own shapes.
    const QImage emblem = QuorEmblemRenderer::makeBitmap(kIdentity, static_cast<int>(g.emblem.width()));
    painter.drawImage(g.emblem.topLeft(), emblem);
    painter.end();
    return drawn;
}

QByteArray svg(int side)
{
    const Geometry g = geometry(side);
    SvgDevice device(side);
    {
        QPainter painter(&device);
        const QBrush plate(plateGradient(g.plate));
        painter.fillPath(platePath(g), plate);
        device.recorder().setBackdrop(plate);
        const int emblemSide = static_cast<int>(g.emblem.width());
        painter.setTransform(QuorEmblemRenderer::designTransform(emblemSide)
                             * QTransform::fromTranslate(g.emblem.left(), g.emblem.top()));
        QuorEmblemRenderer::drawFlatEmblem(kIdentity, painter, QuorEmblemTone::whiteGlass());
    }
    const QString size = QString::number(side);
    const QString document = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                                            "viewBox=\"0 0 %1 %1\">\n<defs>%2</defs>\n%3</svg>\n")
                                 .arg(size, device.recorder().defs(), device.recorder().shapes());
    return document.toUtf8();
}

QIcon icon()
{
    return QIcon(new AppIconEngine);
}

} // namespace ZubAppIcon
