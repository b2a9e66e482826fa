#pragma once

#include "QuorKit/Design/QuorProductPalette.h"

#include <QPainterPath>
#include <QWidget>

// The background of the bar's cards: like the pill row's capsule but a rounded rectangle, washed
// from the middle stop, with a sheen that fades out over the upper 35 %.
class ZubFrostedGlassCard : public QWidget {
    Q_OBJECT
public:
    ZubFrostedGlassCard(double cornerRadius, QuorGroundStops stops, QWidget* parent = nullptr);

    double cornerRadius() const { return m_cornerRadius; }
    static QPainterPath shape(const QRectF& rect, double cornerRadius);
    static void paint(QPainter& painter, const QRectF& rect, double cornerRadius, const QuorGroundStops& stops);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_cornerRadius;
    QuorGroundStops m_stops;
};
