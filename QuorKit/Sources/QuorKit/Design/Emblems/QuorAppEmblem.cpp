#include "QuorKit/Design/Emblems/QuorAppEmblem.h"

#include "QuorKit/Design/Emblems/QuorEmblemRenderer.h"

#include <QPainter>

#include <cmath>

QuorAppEmblem::QuorAppEmblem(QuorAppIdentity app, double size, bool asTemplate, QWidget* parent)
    : QWidget(parent), m_app(app), m_size(QuorEmblemRenderer::viewSize(size)), m_asTemplate(asTemplate)
{
    setAttribute(Qt::WA_TranslucentBackground);
    const int side = static_cast<int>(std::ceil(m_size));
    setFixedSize(side, side);
}

QSize QuorAppEmblem::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_size));
    return {side, side};
}

void QuorAppEmblem::paint(QPainter& painter, const QRectF& rect, QuorAppIdentity app, bool asTemplate,
                          const QColor& tint)
{
    const double side = std::min(rect.width(), rect.height());
    QImage image = QuorEmblemRenderer::image(app, side, 2.0, asTemplate).image;
    if (asTemplate) {
        QPainter tinter(&image);
        tinter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tinter.fillRect(image.rect(), tint);
    }
    const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    painter.restore();
}

void QuorAppEmblem::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    paint(painter, QRectF(0, 0, m_size, m_size), m_app, m_asTemplate, palette().color(QPalette::WindowText));
}
