#pragma once

// How a frosted surface rounds its corners: a fixed radius, or a capsule whose radius is always half
// of its current height.
struct ZubVibrancyCornerStyle {
    enum class Kind { rounded, capsule };

    Kind kind = Kind::capsule;
    double radius = 0; // for rounded only

    static ZubVibrancyCornerStyle rounded(double radius) { return {Kind::rounded, radius}; }
    static ZubVibrancyCornerStyle capsule() { return {Kind::capsule, 0}; }

    double cornerRadius(double height) const { return kind == Kind::capsule ? height * 0.5 : radius; }

    bool operator==(const ZubVibrancyCornerStyle& other) const = default;
};
