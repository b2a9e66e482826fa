#pragma once

#include <QColor>

#include <cstdint>

// An sRGB colour from 0xRRGGBB (the top byte is ignored) and an opacity passed through unchanged.
QColor quorHexColor(std::uint32_t hex, double opacity = 1.0);
