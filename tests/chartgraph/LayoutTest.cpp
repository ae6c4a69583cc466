#include <gtest/gtest.h>

#include "GraphScene.h"
#include "chart/graph/RtGraphLayout.h"

namespace {

TRtLayoutAxis Axis(TRtLayoutSide side, float band, TRtOverhang o, bool visible = true) {
  TRtLayoutAxis a;
  a.Side = side;
  a.Band = band;
  a.Overhang = o;
  a.Visible = visible;
  return a;
}

// Bottom axis (band 40.2), right axis (50) and left axis (45) in child order.
TRtGraphLayout ThreeAxes(bool leftVisible = true) {
  TRtGraphLayout L;
  L.Axes = {Axis(TRtLayoutSide::Bottom, 40.2f, {12, 15}), Axis(TRtLayoutSide::Right, 50, {5, 6}),
            Axis(TRtLayoutSide::Left, 45, {5, 6}, leftVisible)};
  return L;
}

void Lay(TRtGraphLayout& L) {
  RtLayoutMargins(L);
  RtLayoutBands(L);
  RtLayoutDataArea(L);
}

}  // namespace

TEST(GraphLayout, BandThicknessAddsTicksLabelsCaptionAndExponent) {
  TRtAxisBandInput b;
  b.DistanceToBorder = 2;
  b.LabelExtent = 14.25f;
  b.DistanceAxisLabels = 3;
  b.CaptionSpace = 16;
  b.DistanceNumbersCaption = 4;
  EXPECT_FLOAT_EQ(RtAxisBandThickness(b), 1 + 2 + 10 + 3 + 14.25f + 16 + 4);
  b.LabelExtent = 0;  // no labels: the caption keeps the label distance
  EXPECT_FLOAT_EQ(RtAxisBandThickness(b), 1 + 2 + 10 + 16 + 3);
  b.CaptionSpace = 0;
  b.ExponentCaption = true;
  b.ExponentExtent = 12;
  EXPECT_FLOAT_EQ(RtAxisBandThickness(b), 10 + 10 + 12 + 1);
}

TEST(GraphLayout, OverhangOfEndLabelsSeriesAndArrow) {
  TRtOverhangInput in;
  in.AxLeft = 50;
  in.AxLength = 500;
  in.Labels = {QRectF(40, 5, 20, 10), QRectF(540, 5, 20.5, 10)};
  TRtOverhang o = RtAxisOverhang(in);
  EXPECT_EQ(o.Near, 10);
  EXPECT_EQ(o.Far, 13);  // 10.5 + 2, rounded up
  in.SeriesSpaceNear = 11.2f;
  in.ArrowLength = 6;
  o = RtAxisOverhang(in);
  EXPECT_EQ(o.Near, 12);
  EXPECT_EQ(o.Far, 18);
  in = {};
  in.Horizontal = false;
  in.AxTop = 20;
  in.AxLength = 300;
  in.Labels = {QRectF(0, 14, 30, 12), QRectF(0, 300, 30, 12)};
  o = RtAxisOverhang(in);
  EXPECT_EQ(o.Far, 6);  // above the line
  EXPECT_EQ(o.Near, 0);
}

TEST(GraphLayout, BandsOutsideInAndDataAreaBetweenAxisLines) {
  TRtGraphLayout L = ThreeAxes();
  Lay(L);
  EXPECT_EQ(L.Axes[2].Bounds, QRect(0, 0, 45, 400));
  EXPECT_EQ(L.Axes[1].Bounds, QRect(550, 0, 50, 400));
  EXPECT_EQ(L.Axes[0].Bounds, QRect(0, 359, 600, 41));
  EXPECT_EQ(L.DrawingArea, QRectF(45, 6, 507, 355));
  // Every vertical axis spans the data-area height, every horizontal one its width.
  for (int i : {1, 2}) {
    EXPECT_FLOAT_EQ(L.Axes[std::size_t(i)].AxTop, 6);
    EXPECT_FLOAT_EQ(L.Axes[std::size_t(i)].AxLength, 354);
  }
  EXPECT_FLOAT_EQ(L.Axes[0].AxLeft, 45);
  EXPECT_FLOAT_EQ(L.Axes[0].AxLength, 506);
  EXPECT_FLOAT_EQ(L.Axes[0].AxTop, 1);
  EXPECT_FLOAT_EQ(L.Axes[2].AxLeft, 45);
  EXPECT_FLOAT_EQ(L.Axes[1].AxLeft, 1);

  TRtGraphLayout hidden = ThreeAxes(false);
  Lay(hidden);
  // The hidden left axis gives up its band: the data area reaches the bottom labels' overhang.
  EXPECT_EQ(hidden.DrawingArea, QRectF(12, 6, 540, 355));
}

TEST(GraphLayout, MarginsTitleScrollBarsAndLabelsWiderThanTheEnd) {
  TRtGraphLayout L = ThreeAxes();
  L.DistanceBorderAxisLeft = 2.5f;
  L.DistanceBorderAxisTop = 1;
  L.TitleVisible = true;
  L.TitleHeight = 20.4f;
  L.CaptionDistanceBefore = 2;
  L.CaptionDistanceAfter = 3;
  L.HScrollbarWanted = L.VScrollbarWanted = true;
  L.Axes[1].Overhang.Far = 40;  // a tall top label on the right axis
  Lay(L);
  EXPECT_EQ(L.Axes[2].Bounds, QRect(3 + 16, 0, 45, 400));
  EXPECT_EQ(L.Axes[0].Bounds, QRect(0, 400 - 16 - 41, 600, 41));
  // Top margin: border 1 + title 25.4 -> 27; no top axis, so the 40-pixel overhang adds.
  EXPECT_EQ(L.DrawingArea, QRectF(64, 67, 600 - 64 - 49 + 1, 400 - 67 - 56 + 1));
  EXPECT_EQ(L.HScrollbarRect, QRect(64, 384, 488, 16));
  EXPECT_EQ(L.VScrollbarRect, QRect(0, 67, 16, 278));
  EXPECT_FLOAT_EQ(L.TitleX, 300);
  EXPECT_FLOAT_EQ(L.TitleY, 2);
}

TEST(GraphLayout, DockedLegendsTakeTheirSideAndAreCentred) {
  TRtGraphLayout L = ThreeAxes();
  L.Legends = {{TRtLegendPosition::BottomCenterOfAxis, QRect(0, 0, 100, 30)},
               {TRtLegendPosition::RightTopOfAxis, QRect(0, 0, 80, 50)},
               {TRtLegendPosition::LeftCenterOfGraph, QRect(0, 0, 60, 41)}};
  Lay(L);
  EXPECT_EQ(L.Axes[0].Bounds, QRect(0, 400 - 30 - 41, 600, 41));
  EXPECT_EQ(L.Axes[1].Bounds, QRect(600 - 80 - 50, 0, 50, 400));
  EXPECT_EQ(L.Axes[2].Bounds, QRect(60, 0, 45, 400));
  const QRectF d = L.DrawingArea;
  EXPECT_EQ(d, QRectF(105, 6, 600 - 105 - 129 + 1, 400 - 6 - 70 + 1));
  EXPECT_EQ(L.Legends[0].Bounds, QRect(105 + (367 - 100) / 2, 370, 100, 30));
  EXPECT_EQ(L.Legends[1].Bounds, QRect(520, 6, 80, 50));
  EXPECT_EQ(L.Legends[2].Bounds, QRect(0, (400 - 41) / 2, 60, 41));
}

TEST(GraphLayout, AxisLengthNeverBelow40) {
  TRtGraphLayout L = ThreeAxes();
  L.ClientWidth = 90;
  L.ClientHeight = 60;
  Lay(L);
  for (const TRtLayoutAxis& a : L.Axes) EXPECT_GE(a.AxLength, 40);
}

// The real graph: hiding the left axis widens the data area to the border, showing it restores
// the band; a docked legend is placed through the legend interface.
TEST(Graph2D, HidingTheLeftAxisWidensTheDataArea) {
  TGraphScene sc;
  sc.Render();
  const QRectF with = sc.g.DrawingArea();
  EXPECT_GT(with.left(), 30);
  EXPECT_EQ(sc.y2.Left(), 0);
  EXPECT_EQ(sc.y.Left() + sc.y.Width(), 600);
  EXPECT_EQ(sc.x.Top() + sc.x.Height(), 400);
  sc.y2.SetVisible(false);
  sc.Render();
  EXPECT_LT(sc.g.DrawingArea().left(), 15);
  EXPECT_EQ(sc.g.DrawingArea().right(), with.right());
  sc.y2.SetVisible(true);
  sc.Render();
  EXPECT_EQ(sc.g.DrawingArea(), with);

  TFakeLegend leg(&sc.g, TRtLegendPosition::TopCenterOfGraph, QSize(120, 24));
  sc.g.Modified();
  sc.Render();
  EXPECT_GT(leg.Prepared, 0);
  EXPECT_EQ(leg.LegendBounds(), QRect(240, 0, 120, 24));
  EXPECT_GE(sc.g.DrawingArea().top(), 24);
}
