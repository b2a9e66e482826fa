#include "QuorKit/Design/QuorHexColor.h"

QColor quorHexColor(std::uint32_t hex, double opacity)
{
    const auto channel = [hex](int shift) { return static_cast<int>((hex >> shift) & 0xFFu); };
    QColor color = QColor::fromRgb(channel(16), channel(8), channel(0));
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}
