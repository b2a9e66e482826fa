#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

class QPainter;

// One line on a plate: an optional dot, an optional symbol and a text, centred. Pills, chips and
// badges of the suite views are all drawn from one of these.
struct QuorCapsuleLook {
    QString text;
    QFont font;
    QColor foreground;
    QString symbolName;                 // none when empty
    double symbolSize = 10;
    std::optional<QColor> symbolColor;  // the foreground when not set
    std::optional<QColor> dot;          // a filled circle before everything else
    double dotSize = 6;
    double spacing = 5;
    QColor fill = Qt::transparent;
    std::optional<QColor> border;
    double cornerRadius = -1; // a capsule
    double paddingH = 0;
    double paddingV = 0;

    bool operator==(const QuorCapsuleLook& other) const = default;

    QSizeF size() const;
    // Draws the plate into `bounds` and the content centred in it, the text shortened to fit.
    void paint(QPainter& painter, const QRectF& bounds) const;
};
