#pragma once

#include "QuorKit/Design/QuorProductPalette.h"

#include <QPainterPath>
#include <QWidget>

// The background of the bar's pill row: the dark backdrop under a diagonal wash of the ground
// stops and a white sheen from the top, in a capsule with a hairline inner border. Children are
// laid out on top of it.
class ZubFrostedGlassCapsule : public QWidget {
    Q_OBJECT
public:
    explicit ZubFrostedGlassCapsule(QuorGroundStops stops, QWidget* parent = nullptr);

    const QuorGroundStops& stops() const { return m_stops; }
    static QPainterPath shape(const QRectF& rect);
    static void paint(QPainter& painter, const QRectF& rect, const QuorGroundStops& stops);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QuorGroundStops m_stops;
};
