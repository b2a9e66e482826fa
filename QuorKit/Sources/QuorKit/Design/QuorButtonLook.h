#pragma once

#include <QColor>
#include <QFont>

#include <optional>

// Everything a styled button draws, for one pressed state: the widget only paints this.
struct QuorButtonLook {
    double fontSize = 13;
    QFont::Weight fontWeight = QFont::Normal;
    QColor foreground;
    double paddingHorizontal = 0;
    double paddingVertical = 0;
    double cornerRadius = 0;
    QColor fill;
    std::optional<QColor> border; // stroked inside the edge, 1 point wide
    double opacity = 1;
    double scale = 1;
    int pressAnimationMs = 0; // ease-out on the pressed flag; 0 = none

    bool operator==(const QuorButtonLook& other) const = default;
};
