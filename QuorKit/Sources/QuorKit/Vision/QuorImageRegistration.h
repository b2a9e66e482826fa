#pragma once

#include <QImage>
#include <QPointF>

#include <optional>

// Finds how far one picture's content is shifted against another's by phase correlation: the peak of
// the inverse transform of the two spectra's normalized cross-power. Pictures larger than 512 pixels
// on a side are shrunk first, so the shift is exact to about a pixel of the shrunk picture (sub-pixel
// by a parabola through the peak); shifts of up to half the larger picture are told apart.
namespace QuorImageRegistration {

// The shift d, in pixels of the given images (x to the right, y downwards), such that `to` at
// p + d shows what `from` shows at p. Nothing when either picture is flat (no structure to align);
// both must be non-empty.
std::optional<QPointF> contentShift(const QImage& from, const QImage& to);

} // namespace QuorImageRegistration
