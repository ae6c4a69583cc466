// The arithmetic of the graph layout, free of widgets: outer margins, docked legends, the axis
// bands from the outside in, the data-area margins from the label overhangs, the final axis
// lines, the data area, the scroll bars and the centring of docked legends. The graph fills in
// what it measured of its axes and legends, calls the steps in order (computing the axis ticks
// in between) and applies the results. All values in graph client pixels.
#pragma once

#include <QRect>
#include <QRectF>

#include <vector>

#include "chart/core/RtGraphBase.h"

enum class TRtLayoutSide { Bottom, Left, Top, Right };

// What the band of one axis needs across the axis.
struct TRtAxisBandInput {
  float AxisThicknes = 1;
  float DistanceToBorder = 0;
  float MajorTickLength = 10;
  float LabelExtent = 0;  // largest label extent across the axis; 0 without labels
  float DistanceAxisLabels = 0;
  float CaptionSpace = 0;
  float DistanceNumbersCaption = 0;
  bool ExponentCaption = false;
  float ExponentExtent = 0;  // exponent caption extent across the axis
  float DistanceAxisExtraExponent = 10;
};
// Band thickness f of an axis.
float RtAxisBandThickness(const TRtAxisBandInput& A);

// How far labels stick out beyond the ends of an axis line. Label boxes are in element pixels.
struct TRtOverhangInput {
  bool Horizontal = true;
  float AxLeft = 0, AxTop = 0, AxLength = 400;
  std::vector<QRectF> Labels;
  float SeriesSpaceNear = 0, SeriesSpaceFar = 0;  // series ExtraSpaceAt at the two ends
  float ArrowLength = 0;                          // arrow point length at the far end, 0: none
};
struct TRtOverhang {
  int Near = 0;  // left of a horizontal line, below a vertical one
  int Far = 0;   // right of a horizontal line, above a vertical one
};
TRtOverhang RtAxisOverhang(const TRtOverhangInput& In);

struct TRtLayoutAxis {
  // Input.
  TRtLayoutSide Side = TRtLayoutSide::Bottom;
  bool Visible = true;
  bool AutoSize = true;
  bool TicksPointToData = false;
  float Band = 0;  // RtAxisBandThickness
  float AxisThicknes = 1;
  float MajorTickLength = 10;
  float MajorTickThicknes = 1;
  float DistanceValuesAxis = 0;
  TRtOverhang Overhang;  // refreshed by the graph between the steps
  // Result (element bounds and axis line inside the element).
  QRect Bounds;
  float AxLeft = 0, AxTop = 0, AxLength = 40;
  bool Horizontal() const { return Side == TRtLayoutSide::Bottom || Side == TRtLayoutSide::Top; }
};

struct TRtLayoutLegend {
  TRtLegendPosition Position = TRtLegendPosition::FreeFloating;
  QRect Bounds;  // size in, position out
};

struct TRtGraphLayout {
  // Input.
  int ClientWidth = 600, ClientHeight = 400;
  float DistanceBorderAxisLeft = 0, DistanceBorderAxisRight = 0, DistanceBorderAxisTop = 0,
        DistanceBorderAxisBottom = 0;
  bool SingleBorder = false;
  bool HScrollbarWanted = false, VScrollbarWanted = false;  // option on and an axis clipped
  int HScrollbarHeight = 16, VScrollbarWidth = 16;
  bool TitleVisible = false;
  float TitleHeight = 0, CaptionDistanceBefore = 0, CaptionDistanceAfter = 0;
  int TitleAlignment = 2;                // 0 left, 1 right, 2 centre
  std::vector<TRtLayoutAxis> Axes;       // in child order
  std::vector<TRtLayoutLegend> Legends;  // visible docked legends
  // Running margins and results.
  int MarginLeft = 0, MarginRight = 0, MarginTop = 0, MarginBottom = 0;
  int InnerAxis[4] = {-1, -1, -1, -1};  // per side: index of the visible axis nearest the data
  QRectF DrawingArea;
  float TitleX = 0, TitleY = 0;
  bool ShowHScrollbar = false, ShowVScrollbar = false;
  QRect HScrollbarRect, VScrollbarRect;
};

// Steps 1-2: outer margins, scroll bars, title; docked legends placed and margins widened.
void RtLayoutMargins(TRtGraphLayout& L);
// Axis bands from the last axis to the first with provisional axis lines.
void RtLayoutBands(TRtGraphLayout& L);
// Data-area margins from the overhangs, final axis lines, data area, title, scroll bars and
// centred legends.
void RtLayoutDataArea(TRtGraphLayout& L);
