#include "QuorKit/Vision/QuorImageFeaturePrint.h"

#include "QuorKit/Vision/QuorVisionError.h"

#include <QColor>

#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int side = 64;

struct Thumbnail {
    std::array<QRgb, side * side> rgb{};
    std::array<float, side * side> luminance{};
};

// The picture shrunk to side x side (averaging, not sampling), laid over white.
Thumbnail thumbnailOf(const QImage& image)
{
    const QImage small = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                             .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Thumbnail thumbnail;
    for (int y = 0; y < side; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        for (int x = 0; x < side; ++x) {
            const QRgb pixel = row[x];
            const int uncovered = 255 - qAlpha(pixel);
            const QRgb onWhite = qRgb(qRed(pixel) + uncovered, qGreen(pixel) + uncovered, qBlue(pixel) + uncovered);
            thumbnail.rgb[std::size_t(y * side + x)] = onWhite;
            thumbnail.luminance[std::size_t(y * side + x)] = float(qGray(onWhite)) / 255.0F;
        }
    }
    return thumbnail;
}

void normalize(float* values, qsizetype count)
{
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        sum += double(values[i]) * values[i];
    }
    if (sum < 1e-12) {
        return;
    }
    const double scale = 1.0 / std::sqrt(sum);
    for (qsizetype i = 0; i < count; ++i) {
        values[i] = float(values[i] * scale);
    }
}

// Hue (8) x saturation (3) x value (3), as square roots of the pixel shares so that a few large
// areas do not drown everything else; grey pixels all count under the first hue.
void colourHistogram(const Thumbnail& thumbnail, float* out)
{
    for (const QRgb pixel : thumbnail.rgb) {
        float hue = 0;
        float saturation = 0;
        float value = 0;
        QColor::fromRgb(pixel).getHsvF(&hue, &saturation, &value);
        const int saturationBin = saturation < 0.2F ? 0 : (saturation < 0.6F ? 1 : 2);
        const int valueBin = value < 0.33F ? 0 : (value < 0.66F ? 1 : 2);
        const int hueBin = (saturationBin == 0 || hue < 0) ? 0 : std::min(7, int(hue * 8));
        out[(hueBin * 3 + saturationBin) * 3 + valueBin] += 1.0F;
    }
    for (qsizetype i = 0; i < QuorImageFeaturePrint::colourElements; ++i) {
        out[i] = std::sqrt(out[i] / float(side * side));
    }
}

// Mean brightness of an 8 x 8 grid, relative to the picture's own mean.
void brightnessLayout(const Thumbnail& thumbnail, float* out)
{
    constexpr int cells = 8;
    constexpr int cell = side / cells;
    float mean = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const float level = thumbnail.luminance[std::size_t(y * side + x)];
            out[(y / cell) * cells + x / cell] += level / float(cell * cell);
            mean += level / float(side * side);
        }
    }
    for (qsizetype i = 0; i < QuorImageFeaturePrint::layoutElements; ++i) {
        out[i] -= mean;
    }
}

// Edge directions (8, without sign) weighted by edge strength, in a 4 x 4 grid.
void edgeDirections(const Thumbnail& thumbnail, float* out)
{
    constexpr int cells = 4;
    constexpr int cell = side / cells;
    constexpr int bins = 8;
    const auto at = [&thumbnail](int x, int y) {
        return thumbnail.luminance[std::size_t(std::clamp(y, 0, side - 1) * side + std::clamp(x, 0, side - 1))];
    };
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const float gx = at(x + 1, y) - at(x - 1, y);
            const float gy = at(x, y + 1) - at(x, y - 1);
            const float magnitude = std::hypot(gx, gy);
            if (magnitude < 1e-6F) {
                continue;
            }
            double angle = std::atan2(gy, gx);
            if (angle < 0) {
                angle += std::numbers::pi;
            }
            const int bin = std::min(bins - 1, int(angle / std::numbers::pi * bins));
            out[((y / cell) * cells + x / cell) * bins + bin] += magnitude;
        }
    }
}

} // namespace

QuorImageFeaturePrint::QuorImageFeaturePrint(QList<float> elements) : m_elements(std::move(elements)) {}

std::optional<QuorImageFeaturePrint> QuorImageFeaturePrint::of(const QImage& image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        return std::nullopt;
    }
    const Thumbnail thumbnail = thumbnailOf(image);
    QList<float> elements(elementCount, 0.0F);
    float* colour = elements.data();
    float* layout = colour + colourElements;
    float* edges = layout + layoutElements;
    colourHistogram(thumbnail, colour);
    brightnessLayout(thumbnail, layout);
    edgeDirections(thumbnail, edges);
    normalize(colour, colourElements);
    normalize(layout, layoutElements);
    normalize(edges, edgeElements);
    normalize(elements.data(), elementCount);
    return QuorImageFeaturePrint(std::move(elements));
}

float QuorImageFeaturePrint::distance(const QuorImageFeaturePrint& other) const
{
    if (m_elements.isEmpty() || m_elements.size() != other.m_elements.size()) {
        throw QuorVisionError::incomparableFeaturePrints();
    }
    double sum = 0;
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        const double difference = double(m_elements[i]) - other.m_elements[i];
        sum += difference * difference;
    }
    return float(std::sqrt(sum));
}
