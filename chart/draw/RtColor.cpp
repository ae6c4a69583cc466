#include <QGuiApplication>
#include <QPalette>

#include <array>

#include "chart/draw/RtDrawTypes.h"

namespace {

// Names of the known web colours; their values are the standard ones the colour parser knows.
constexpr std::array<const char*, 140> kWebColorNames = {"AliceBlue",
                                                         "AntiqueWhite",
                                                         "Aqua",
                                                         "Aquamarine",
                                                         "Azure",
                                                         "Beige",
                                                         "Bisque",
                                                         "Black",
                                                         "BlanchedAlmond",
                                                         "Blue",
                                                         "BlueViolet",
                                                         "Brown",
                                                         "BurlyWood",
                                                         "CadetBlue",
                                                         "Chartreuse",
                                                         "Chocolate",
                                                         "Coral",
                                                         "CornflowerBlue",
                                                         "Cornsilk",
                                                         "Crimson",
                                                         "Cyan",
                                                         "DarkBlue",
                                                         "DarkCyan",
                                                         "DarkGoldenrod",
                                                         "DarkGray",
                                                         "DarkGreen",
                                                         "DarkKhaki",
                                                         "DarkMagenta",
                                                         "DarkOliveGreen",
                                                         "DarkOrange",
                                                         "DarkOrchid",
                                                         "DarkRed",
                                                         "DarkSalmon",
                                                         "DarkSeaGreen",
                                                         "DarkSlateBlue",
                                                         "DarkSlateGray",
                                                         "DarkTurquoise",
                                                         "DarkViolet",
                                                         "DeepPink",
                                                         "DeepSkyBlue",
                                                         "DimGray",
                                                         "DodgerBlue",
                                                         "Firebrick",
                                                         "FloralWhite",
                                                         "ForestGreen",
                                                         "Fuchsia",
                                                         "Gainsboro",
                                                         "GhostWhite",
                                                         "Gold",
                                                         "Goldenrod",
                                                         "Gray",
                                                         "Green",
                                                         "GreenYellow",
                                                         "Honeydew",
                                                         "HotPink",
                                                         "IndianRed",
                                                         "Indigo",
                                                         "Ivory",
                                                         "Khaki",
                                                         "Lavender",
                                                         "LavenderBlush",
                                                         "LawnGreen",
                                                         "LemonChiffon",
                                                         "LightBlue",
                                                         "LightCoral",
                                                         "LightCyan",
                                                         "LightGoldenrodYellow",
                                                         "LightGray",
                                                         "LightGreen",
                                                         "LightPink",
                                                         "LightSalmon",
                                                         "LightSeaGreen",
                                                         "LightSkyBlue",
                                                         "LightSlateGray",
                                                         "LightSteelBlue",
                                                         "LightYellow",
                                                         "Lime",
                                                         "LimeGreen",
                                                         "Linen",
                                                         "Magenta",
                                                         "Maroon",
                                                         "MediumAquamarine",
                                                         "MediumBlue",
                                                         "MediumOrchid",
                                                         "MediumPurple",
                                                         "MediumSeaGreen",
                                                         "MediumSlateBlue",
                                                         "MediumSpringGreen",
                                                         "MediumTurquoise",
                                                         "MediumVioletRed",
                                                         "MidnightBlue",
                                                         "MintCream",
                                                         "MistyRose",
                                                         "Moccasin",
                                                         "NavajoWhite",
                                                         "Navy",
                                                         "OldLace",
                                                         "Olive",
                                                         "OliveDrab",
                                                         "Orange",
                                                         "OrangeRed",
                                                         "Orchid",
                                                         "PaleGoldenrod",
                                                         "PaleGreen",
                                                         "PaleTurquoise",
                                                         "PaleVioletRed",
                                                         "PapayaWhip",
                                                         "PeachPuff",
                                                         "Peru",
                                                         "Pink",
                                                         "Plum",
                                                         "PowderBlue",
                                                         "Purple",
                                                         "Red",
                                                         "RosyBrown",
                                                         "RoyalBlue",
                                                         "SaddleBrown",
                                                         "Salmon",
                                                         "SandyBrown",
                                                         "SeaGreen",
                                                         "SeaShell",
                                                         "Sienna",
                                                         "Silver",
                                                         "SkyBlue",
                                                         "SlateBlue",
                                                         "SlateGray",
                                                         "Snow",
                                                         "SpringGreen",
                                                         "SteelBlue",
                                                         "Tan",
                                                         "Teal",
                                                         "Thistle",
                                                         "Tomato",
                                                         "Turquoise",
                                                         "Violet",
                                                         "Wheat",
                                                         "White",
                                                         "WhiteSmoke",
                                                         "Yellow",
                                                         "YellowGreen"};

TRtColor WebColor(const char* Name) {
  return QColor::fromString(QString::fromLatin1(Name).toLower()).rgba();
}

}  // namespace

TRtColor RtControlTextColor() {
  if (qGuiApp) return QGuiApplication::palette().color(QPalette::WindowText).rgba();
  return RtColors::Black;
}

TRtColor RtWindowFrameColor() {
  return 0xFF646464;
}

std::optional<TRtColor> RtColorFromName(const QString& Name) {
  if (Name.compare(QLatin1String("Transparent"), Qt::CaseInsensitive) == 0)
    return RtColors::Transparent;
  if (Name.compare(QLatin1String("ControlText"), Qt::CaseInsensitive) == 0)
    return RtControlTextColor();
  if (Name.compare(QLatin1String("WindowFrame"), Qt::CaseInsensitive) == 0)
    return RtWindowFrameColor();
  for (const char* n : kWebColorNames)
    if (Name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return WebColor(n);
  return std::nullopt;
}

QString RtColorName(TRtColor Color) {
  if (Color == RtColors::Transparent) return QStringLiteral("Transparent");
  for (const char* n : kWebColorNames)
    if (WebColor(n) == Color) return QString::fromLatin1(n);
  return {};
}
