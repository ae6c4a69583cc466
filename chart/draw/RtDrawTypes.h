// Value types shared by everything the chart draws: ARGB colours with their known names, and the
// enumerations of the style objects (gradients, dashes, hatches, symbols, text effects, alignment).
#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

// 32-bit ARGB, alpha in the top byte; alpha 0 is transparent.
using TRtColor = std::uint32_t;

namespace RtColors {
inline constexpr TRtColor Black = 0xFF000000;
inline constexpr TRtColor White = 0xFFFFFFFF;
inline constexpr TRtColor Red = 0xFFFF0000;
inline constexpr TRtColor Blue = 0xFF0000FF;
inline constexpr TRtColor Green = 0xFF008000;
inline constexpr TRtColor Gray = 0xFF808080;
inline constexpr TRtColor LightGray = 0xFFD3D3D3;
inline constexpr TRtColor DarkGray = 0xFFA9A9A9;
inline constexpr TRtColor DarkRed = 0xFF8B0000;
inline constexpr TRtColor DarkBlue = 0xFF00008B;
inline constexpr TRtColor Transparent = 0x00FFFFFF;
}  // namespace RtColors

// Known colour by name (ignoring case): the web colours of the drawing layer's known-colour
// table, "Transparent", and the system colours "ControlText" and "WindowFrame".
std::optional<TRtColor> RtColorFromName(const QString& Name);
// The known-colour name of Color (system colours excluded), or an empty string.
QString RtColorName(TRtColor Color);
// The platform's text colour of controls and its window frame colour.
TRtColor RtControlTextColor();
TRtColor RtWindowFrameColor();

inline QColor RtQColor(TRtColor c) {
  return QColor::fromRgba(c);
}
inline int RtAlpha(TRtColor c) {
  return int(c >> 24);
}

namespace RtDraw {
Q_NAMESPACE

enum class TRtGradientStyle { Linear, Radial, Elliptical };
Q_ENUM_NS(TRtGradientStyle)

enum class TDashStyle {
  DashStyleSolid,
  DashStyleDash,
  DashStyleDot,
  DashStyleDashDot,
  DashStyleDashDotDot,
  DashStyleCustom
};
Q_ENUM_NS(TDashStyle)

// The 53 hatch patterns in the drawing layer's order, then Total = solid fill.
enum class TRtAreaStyle {
  Horizontal,
  Vertical,
  ForwardDiagonal,
  BackwardDiagonal,
  Cross,
  DiagonalCross,
  Percent05,
  Percent10,
  Percent20,
  Percent25,
  Percent30,
  Percent40,
  Percent50,
  Percent60,
  Percent70,
  Percent75,
  Percent80,
  Percent90,
  LightDownwardDiagonal,
  LightUpwardDiagonal,
  DarkDownwardDiagonal,
  DarkUpwardDiagonal,
  WideDownwardDiagonal,
  WideUpwardDiagonal,
  LightVertical,
  LightHorizontal,
  NarrowVertical,
  NarrowHorizontal,
  DarkVertical,
  DarkHorizontal,
  DashedDownwardDiagonal,
  DashedUpwardDiagonal,
  DashedHorizontal,
  DashedVertical,
  SmallConfetti,
  LargeConfetti,
  ZigZag,
  Wave,
  DiagonalBrick,
  HorizontalBrick,
  Weave,
  Plaid,
  Divot,
  DottedGrid,
  DottedDiamond,
  Shingle,
  Trellis,
  Sphere,
  SmallGrid,
  SmallCheckerBoard,
  LargeCheckerBoard,
  OutlinedDiamond,
  SolidDiamond,
  Total
};
Q_ENUM_NS(TRtAreaStyle)
inline constexpr int RtHatchStyleCount = 53;

enum class TRtPointSymbol { Dot, Cross, Ex, Star, FiveStar, Circle, Square, Diamond, Delta, Nabla };
Q_ENUM_NS(TRtPointSymbol)

enum class TRtCharDrawEffect { Shadow = 1, Outline = 2, Lowered = 4, Raised = 8 };
Q_DECLARE_FLAGS(TRtCharDrawEffects, TRtCharDrawEffect)
Q_FLAG_NS(TRtCharDrawEffects)

enum class TRtFontStyle { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
Q_DECLARE_FLAGS(TRtFontStyles, TRtFontStyle)
Q_FLAG_NS(TRtFontStyles)

enum class TRtTextRenderingHint {
  SystemDefault,
  SingleBitPerPixelGridFit,
  SingleBitPerPixel,
  AntiAliasGridFit,
  AntiAlias,
  ClearTypeGridFit
};
Q_ENUM_NS(TRtTextRenderingHint)

enum class TRtContentAlignment {
  TopLeft,
  TopCenter,
  TopRight,
  MiddleLeft,
  MiddleCenter,
  MiddleRight,
  BottomLeft,
  BottomCenter,
  BottomRight
};
Q_ENUM_NS(TRtContentAlignment)

// Horizontal text alignment of captions.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)

}  // namespace RtDraw

Q_DECLARE_OPERATORS_FOR_FLAGS(RtDraw::TRtCharDrawEffects)
Q_DECLARE_OPERATORS_FOR_FLAGS(RtDraw::TRtFontStyles)

using RtDraw::TAlignment;
using RtDraw::TDashStyle;
using RtDraw::TRtAreaStyle;
using RtDraw::TRtCharDrawEffect;
using RtDraw::TRtCharDrawEffects;
using RtDraw::TRtContentAlignment;
using RtDraw::TRtFontStyle;
using RtDraw::TRtFontStyles;
using RtDraw::TRtGradientStyle;
using RtDraw::TRtPointSymbol;
using RtDraw::TRtTextRenderingHint;
