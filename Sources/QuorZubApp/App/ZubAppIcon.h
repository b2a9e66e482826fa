#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QRectF>

#include <array>

// The application's icon: its emblem on a rounded plate of its palette's ground gradient. Drawn
// from the emblem artwork at whatever size is asked, for the window icon, the icon theme's files
// and their scalable form.
namespace ZubAppIcon {

// The sizes the icon theme gets as bitmaps.
inline constexpr std::array<int, 9> themeSizes = {16, 22, 24, 32, 48, 64, 128, 256, 512};

// Where the plate and the emblem sit in a square of `side` pixels. Small icons give the emblem
// more of the plate so that its marks stay whole pixels wide.
struct Geometry {
    QRectF plate;
    double cornerRadius = 0;
    QRectF emblem;
    bool operator==(const Geometry& other) const = default;
};
Geometry geometry(double side);

// A square, transparent-cornered bitmap of `pixelSize` pixels; null below 1 or above 2048.
QImage image(int pixelSize);
// The same drawing as an SVG document of `side` user units.
QByteArray svg(int side = 512);
// An icon that draws each size a window manager or tray asks for when it asks.
QIcon icon();

} // namespace ZubAppIcon
