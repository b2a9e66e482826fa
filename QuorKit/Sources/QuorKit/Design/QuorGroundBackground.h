#pragma once

#include "QuorKit/Design/QuorProductPalette.h"

#include <QWidget>

// The full-window ground: the palette's three stops from the top-left to the bottom-right corner,
// with a soft white glow from the top-left corner.
class QuorGroundBackground : public QWidget {
    Q_OBJECT
public:
    explicit QuorGroundBackground(QuorProductPalette palette, QWidget* parent = nullptr);

    QuorProductPalette palette() const { return m_palette; }
    static void paint(QPainter& painter, const QRectF& rect, QuorProductPalette palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QuorProductPalette m_palette;
};
