#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

// Decodes pictures that come from outside (chosen files, the clipboard) without trusting them: the
// size a header declares is checked before any pixel memory is taken, so a small file that claims
// to be enormous is refused instead of exhausting memory.
namespace QuorImageDecoder {

// Generous for any screen capture (an 8K screen is 33 million pixels).
inline constexpr qint64 maxPixels = 50'000'000;

// The picture in `data`; with `fill`, scaled (aspect kept) until it covers that size. Nothing when
// the data does not decode, its format is unknown, or it declares more than maxPixels.
std::optional<QImage> decode(const QByteArray& data, std::optional<QSize> fill = std::nullopt);

} // namespace QuorImageDecoder
