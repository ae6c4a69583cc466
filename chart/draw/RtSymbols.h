// Point symbols of the series and their legend samples.
#pragma once

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include "chart/draw/RtDrawTypes.h"

// True for the shapes with an interior (FiveStar, Circle, Square, Diamond, Delta, Nabla).
bool RtSymbolIsFilled(TRtPointSymbol Symbol);
// Outline of Symbol of the given size centred at (X, Y). Open shapes (Cross, Ex, Star) are
// strokes only; Dot is a disc of the given size.
QPainterPath RtSymbolPath(TRtPointSymbol Symbol, float X, float Y, float Size);
// Draws the symbol: filled shapes with Brush and outlined with Pen, strokes with Pen, the dot
// filled with the pen's colour.
void RtDrawPointSymbol(QPainter& P, TRtPointSymbol Symbol, float X, float Y, float Size,
                       const QPen& Pen, const QBrush& Brush);

// Tells where drawing a dot (the Dot symbol) would change no pixel, so it may be left out: the
// painter draws unscaled into a 32-bit image (RGB32, ARGB32, premultiplied ARGB32) with plain
// source-over, the dot's colour is opaque with every channel 0 or 255 (blending such a colour over
// itself at any coverage gives it back exactly), and every pixel the dot could touch already has
// that colour.
class TRtDotSkipper {
 public:
  TRtDotSkipper(const QPainter& P, const QBrush& Brush, float Size);
  bool Unchanged(float X, float Y) const;

 private:
  const QImage* fImage = nullptr;
  int fDx = 0, fDy = 0;
  float fRadius = 0;
  QRgb fColor = 0;
};
