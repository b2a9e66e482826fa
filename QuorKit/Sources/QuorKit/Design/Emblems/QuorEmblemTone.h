#pragma once

#include <QColor>

class QPainter;

// How one emblem shape is coloured: plain paint, or an erasure that removes `strength` of the
// coverage already drawn beneath it (destination-out), which is how emblems get their holes.
struct QuorFlatPaint {
    enum class Kind { color, cutout };

    Kind kind = Kind::color;
    QColor color;
    double strength = 0;

    static QuorFlatPaint solid(const QColor& color) { return {Kind::color, color, 0}; }
    static QuorFlatPaint cutout(double strength) { return {Kind::cutout, {}, strength}; }

    // Sets the painter's composition mode and returns the colour to fill or stroke with.
    QColor apply(QPainter& painter) const;

    bool operator==(const QuorFlatPaint& other) const = default;
};

// The colours an emblem drawing paints with. Every emblem on screen uses the white-glass tone:
// a white pictogram whose holes are erased to transparency.
struct QuorEmblemTone {
    QColor primaryColor;
    QColor accentColor;
    bool isWhiteGlass = false;

    static const QuorEmblemTone& whiteGlass();
    static QuorEmblemTone flatLight(const QColor& primary, const QColor& accent);

    QuorFlatPaint primary() const;
    QuorFlatPaint accent() const;
    QuorFlatPaint mid() const;
    QuorFlatPaint soft() const;
    QuorFlatPaint stroke() const;
    QuorFlatPaint onPrimaryAccent() const;
    QuorFlatPaint primaryAlpha(double alpha) const;
    QuorFlatPaint accentAlpha(double alpha) const;
    // White glass erases at least 55 % (strength x 1.15, clamped to 0.55 ... 1); other tones paint
    // the pale blue-grey 238/241/247 at the requested opacity.
    QuorFlatPaint cutout(double strength) const;

    bool operator==(const QuorEmblemTone& other) const = default;
};
