#include "QuorKit/Vision/QuorImageRegistration.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

using Complex = std::complex<double>;

constexpr int largestWorkingSide = 512;

// In-place radix-2 transform of `count` values `stride` apart; `count` is a power of two.
void fft(Complex* values, std::size_t count, std::size_t stride, bool inverse)
{
    for (std::size_t i = 1, j = 0; i < count; ++i) {
        std::size_t bit = count >> 1U;
        for (; (j & bit) != 0; bit >>= 1U) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(values[i * stride], values[j * stride]);
        }
    }
    for (std::size_t length = 2; length <= count; length <<= 1U) {
        const double angle = (inverse ? 2.0 : -2.0) * std::numbers::pi / double(length);
        const Complex step(std::cos(angle), std::sin(angle));
        for (std::size_t start = 0; start < count; start += length) {
            Complex twiddle(1.0, 0.0);
            for (std::size_t k = 0; k < length / 2; ++k) {
                Complex& even = values[(start + k) * stride];
                Complex& odd = values[(start + k + length / 2) * stride];
                const Complex product = odd * twiddle;
                odd = even - product;
                even += product;
                twiddle *= step;
            }
        }
    }
}

struct Grid {
    std::size_t width = 0;
    std::size_t height = 0;
    std::vector<Complex> cells;

    Complex& at(std::size_t x, std::size_t y) { return cells[y * width + x]; }
    const Complex& at(std::size_t x, std::size_t y) const { return cells[y * width + x]; }

    void transform(bool inverse)
    {
        for (std::size_t y = 0; y < height; ++y) {
            fft(&cells[y * width], width, 1, inverse);
        }
        for (std::size_t x = 0; x < width; ++x) {
            fft(&cells[x], height, width, inverse);
        }
    }
};

// The picture's brightness around its mean, tapered to zero at its edges by a Hann window so the
// borders of the padded grid do not read as structure. False when the picture is flat.
bool placeWindowed(const QImage& gray, Grid& grid)
{
    const int width = gray.width();
    const int height = gray.height();
    double mean = 0;
    for (int y = 0; y < height; ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            mean += row[x];
        }
    }
    mean /= double(width) * height;
    const auto hann = [](int index, int count) {
        return count < 2 ? 1.0 : 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * index / double(count - 1));
    };
    double energy = 0;
    for (int y = 0; y < height; ++y) {
        const uchar* row = gray.constScanLine(y);
        const double wy = hann(y, height);
        for (int x = 0; x < width; ++x) {
            const double level = row[x] - mean;
            energy += level * level;
            grid.at(std::size_t(x), std::size_t(y)) = level * wy * hann(x, width);
        }
    }
    return energy / (double(width) * height) > 1e-3;
}

QImage workingGray(const QImage& image, double shrink)
{
    QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    if (shrink > 1.0) {
        const QSize size(std::max(1, qRound(image.width() / shrink)), std::max(1, qRound(image.height() / shrink)));
        gray = gray.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return gray;
}

// The offset of the parabola's top through three neighbouring samples, -0.5 to 0.5.
double parabolicOffset(double before, double peak, double after)
{
    const double denominator = before - 2.0 * peak + after;
    if (std::abs(denominator) < 1e-12) {
        return 0.0;
    }
    return std::clamp(0.5 * (before - after) / denominator, -0.5, 0.5);
}

} // namespace

namespace QuorImageRegistration {

std::optional<QPointF> contentShift(const QImage& from, const QImage& to)
{
    const int largestSide = std::max({from.width(), from.height(), to.width(), to.height()});
    const double shrink = std::max(1.0, double(largestSide) / largestWorkingSide);
    const QImage first = workingGray(from, shrink);
    const QImage second = workingGray(to, shrink);

    Grid a;
    a.width = std::bit_ceil(std::size_t(std::max(first.width(), second.width())));
    a.height = std::bit_ceil(std::size_t(std::max(first.height(), second.height())));
    a.cells.assign(a.width * a.height, Complex());
    Grid b = a;
    if (!placeWindowed(first, a) || !placeWindowed(second, b)) {
        return std::nullopt;
    }
    a.transform(false);
    b.transform(false);
    for (std::size_t i = 0; i < a.cells.size(); ++i) {
        const Complex cross = a.cells[i] * std::conj(b.cells[i]);
        const double magnitude = std::abs(cross);
        a.cells[i] = magnitude > 1e-12 ? cross / magnitude : Complex();
    }
    a.transform(true);

    std::size_t peakX = 0;
    std::size_t peakY = 0;
    for (std::size_t y = 0; y < a.height; ++y) {
        for (std::size_t x = 0; x < a.width; ++x) {
            if (a.at(x, y).real() > a.at(peakX, peakY).real()) {
                peakX = x;
                peakY = y;
            }
        }
    }
    const auto value = [&a](std::size_t x, std::size_t y) { return a.at(x % a.width, y % a.height).real(); };
    const double peak = value(peakX, peakY);
    const double subX = parabolicOffset(value(peakX + a.width - 1, peakY), peak, value(peakX + 1, peakY));
    const double subY = parabolicOffset(value(peakX, peakY + a.height - 1), peak, value(peakX, peakY + 1));
    // The correlation of from with to peaks at minus the shift, modulo the grid.
    const auto signedPosition = [](std::size_t position, std::size_t size) {
        return position > size / 2 ? double(position) - double(size) : double(position);
    };
    const double shiftX = -(signedPosition(peakX, a.width) + subX);
    const double shiftY = -(signedPosition(peakY, a.height) + subY);
    return QPointF(shiftX * shrink, shiftY * shrink);
}

} // namespace QuorImageRegistration
