#pragma once

#include <QColor>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// The product palettes: each suite application draws its ground gradient and accent from one.
// This application uses deepCoral.
enum class QuorProductPalette {
    deepViolet, deepCrimson, deepAmber, deepEmerald, deepCobalt, deepIndigo, deepAbyss, deepCoral, deepCyan
};

// The three stops of a palette's ground gradient, top-left to bottom-right.
struct QuorGroundStops {
    QColor topLeft;
    QColor middle;
    QColor bottomRight;

    bool operator==(const QuorGroundStops& other) const = default;
};

// One ground stop as components rounded to three decimals.
struct QuorRgbStop {
    double r = 0;
    double g = 0;
    double b = 0;

    bool operator==(const QuorRgbStop& other) const = default;
};

namespace QuorProductPalettes {
const QList<QuorProductPalette>& allCases();
QString rawValue(QuorProductPalette palette);
// Exact, case-sensitive match of a case name.
std::optional<QuorProductPalette> fromRawValue(const QString& raw);

QuorGroundStops groundStops(QuorProductPalette palette);
QColor accentColor(QuorProductPalette palette);
const std::array<QuorRgbStop, 3>& rgbStops(QuorProductPalette palette);

QJsonValue toJson(QuorProductPalette palette);
// Throws QuorDecodingError for anything but one of the nine raw strings.
QuorProductPalette fromJson(const QJsonValue& value);
} // namespace QuorProductPalettes
