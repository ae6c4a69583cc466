// Colours as text: the known-colour name when the ARGB value equals a named colour (the web
// colours of the drawing library's known-colour table and "Transparent"; no system colours),
// otherwise "$" and eight hexadecimal digits AARRGGBB.
#pragma once

#include <QString>

#include <cstdint>
#include <span>

struct TRtNamedColor {
  const char* Name;
  std::uint32_t Argb;
};

// The known colours in the table's order ("Transparent", "AliceBlue", ... "YellowGreen").
std::span<const TRtNamedColor> RtKnownColors();
// The first known colour with that value, or null.
const char* RtKnownColorName(std::uint32_t Argb);
// Looks a name up ignoring case.
bool RtKnownColorByName(const QString& Name, std::uint32_t& Argb);

QString ColorToText(std::uint32_t Argb);
// A known-colour name (any case), "$" with up to eight hexadecimal digits, or a decimal integer;
// raises ERtTextConvertError ("'<text>' is not a valid integer value") otherwise.
std::uint32_t TextToColor(const QString& Text);
bool TryTextToColor(const QString& Text, std::uint32_t& Argb);
