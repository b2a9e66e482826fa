#pragma once

#include "QuorKit/Design/Emblems/QuorAppIdentity.h"

#include <QWidget>

// One suite application's emblem in a square of `size` logical pixels. As a template it is tinted
// with the widget's text colour; otherwise it keeps its own colours.
class QuorAppEmblem : public QWidget {
    Q_OBJECT
public:
    QuorAppEmblem(QuorAppIdentity app, double size, bool asTemplate, QWidget* parent = nullptr);

    QuorAppIdentity app() const { return m_app; }
    double emblemSize() const { return m_size; }
    bool asTemplate() const { return m_asTemplate; }

    QSize sizeHint() const override;

    // Paints the emblem into `rect` (the renderer's image at scale 2, aspect kept, centred).
    static void paint(QPainter& painter, const QRectF& rect, QuorAppIdentity app, bool asTemplate,
                      const QColor& tint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QuorAppIdentity m_app;
    double m_size;
    bool m_asTemplate;
};
