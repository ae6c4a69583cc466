// Hatch fills: each of the 53 hatch styles is an 8x8 bit pattern drawn as a texture brush in a
// fore colour on a back colour.
#pragma once

#include <QBrush>
#include <QImage>

#include <array>
#include <cstdint>

#include "chart/draw/RtDrawTypes.h"

// Rows top to bottom, the highest bit leftmost; a set bit is a fore-colour pixel.
const std::array<std::uint8_t, 8>& RtHatchPattern(TRtAreaStyle Style);
// The 8x8 tile of Style (Total: all fore colour).
QImage RtHatchImage(TRtAreaStyle Style, TRtColor Fore, TRtColor Back);
// Texture brush of the tile; the pattern is anchored at the device origin.
QBrush RtHatchBrush(TRtAreaStyle Style, TRtColor Fore, TRtColor Back);
