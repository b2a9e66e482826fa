#include "QuorKit/Design/QuorProductPalette.h"

#include "QuorKit/Design/QuorHexColor.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <cmath>

namespace {
struct PaletteRow {
    QuorProductPalette palette;
    const char* raw;
    std::uint32_t topLeft;
    std::uint32_t middle;
    std::uint32_t bottomRight;
    std::uint32_t accent;
};

constexpr std::array<PaletteRow, 9> kRows{{
    {QuorProductPalette::deepViolet, "deepViolet", 0x462A7D, 0x311F59, 0x1D133B, 0xA98BFF},
    {QuorProductPalette::deepCrimson, "deepCrimson", 0x7A2248, 0x4A1634, 0x240D1D, 0xFF6B9D},
    {QuorProductPalette::deepAmber, "deepAmber", 0x783C1E, 0x4A2515, 0x24130C, 0xFFA95C},
    {QuorProductPalette::deepEmerald, "deepEmerald", 0x156256, 0x103F3D, 0x0B2124, 0x47E6C1},
    {QuorProductPalette::deepCobalt, "deepCobalt", 0x1D4E89, 0x16335E, 0x0D1C38, 0x5CC4FF},
    {QuorProductPalette::deepIndigo, "deepIndigo", 0x24347A, 0x182356, 0x0D1433, 0x7CA4FF},
    {QuorProductPalette::deepAbyss, "deepAbyss", 0x1F4A5C, 0x153445, 0x0C1F2B, 0x66D9EF},
    {QuorProductPalette::deepCoral, "deepCoral", 0x6E1F63, 0x471645, 0x240B26, 0xF472D0},
    {QuorProductPalette::deepCyan, "deepCyan", 0x0D5668, 0x0B3A4A, 0x07202B, 0x38E8FF},
}};

const PaletteRow& row(QuorProductPalette palette)
{
    return kRows.at(static_cast<std::size_t>(palette));
}

double roundedComponent(std::uint32_t hex, int shift)
{
    const double value = static_cast<double>((hex >> shift) & 0xFFu) / 255.0;
    return std::round(value * 1000.0) / 1000.0;
}

QuorRgbStop rgbStop(std::uint32_t hex)
{
    return {roundedComponent(hex, 16), roundedComponent(hex, 8), roundedComponent(hex, 0)};
}

std::array<std::array<QuorRgbStop, 3>, 9> makeRgbStops()
{
    std::array<std::array<QuorRgbStop, 3>, 9> stops{};
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        stops[i] = {rgbStop(kRows[i].topLeft), rgbStop(kRows[i].middle), rgbStop(kRows[i].bottomRight)};
    }
    return stops;
}
} // namespace

namespace QuorProductPalettes {

const QList<QuorProductPalette>& allCases()
{
    static const QList<QuorProductPalette> cases = [] {
        QList<QuorProductPalette> list;
        for (const PaletteRow& r : kRows) {
            list.append(r.palette);
        }
        return list;
    }();
    return cases;
}

QString rawValue(QuorProductPalette palette)
{
    return QString::fromLatin1(row(palette).raw);
}

std::optional<QuorProductPalette> fromRawValue(const QString& raw)
{
    for (const PaletteRow& r : kRows) {
        if (raw == QLatin1String(r.raw)) {
            return r.palette;
        }
    }
    return std::nullopt;
}

QuorGroundStops groundStops(QuorProductPalette palette)
{
    const PaletteRow& r = row(palette);
    return {quorHexColor(r.topLeft), quorHexColor(r.middle), quorHexColor(r.bottomRight)};
}

QColor accentColor(QuorProductPalette palette)
{
    return quorHexColor(row(palette).accent);
}

const std::array<QuorRgbStop, 3>& rgbStops(QuorProductPalette palette)
{
    static const auto stops = makeRgbStops();
    return stops.at(static_cast<std::size_t>(palette));
}

QJsonValue toJson(QuorProductPalette palette)
{
    return rawValue(palette);
}

QuorProductPalette fromJson(const QJsonValue& value)
{
    const QString raw = QuorJson::stringValue(value, QStringLiteral("palette"));
    if (const auto palette = fromRawValue(raw)) {
        return *palette;
    }
    throw QuorDecodingError(QStringLiteral("Cannot initialize QuorProductPalette from invalid String value %1").arg(raw));
}

} // namespace QuorProductPalettes
