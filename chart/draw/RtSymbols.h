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
