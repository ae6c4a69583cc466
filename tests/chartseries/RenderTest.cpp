// Series and axes painted into images: pixels checked where it matters, and PNGs to look at.
#include <QPainter>

#include <cmath>

#include "Pixels.h"
#include "SeriesFixture.h"

namespace {

class RtRenderTest : public SeriesFixture {
 protected:
  // Axes fixed to 0 .. 10 both ways.
  void FixAxes() {
    for (TRtAxis* a : {&x, &y}) {
      a->SetStartEnd(TRtAxisEnd::Fixed);
      a->SetStopEnd(TRtAxisEnd::Fixed);
      a->SetStart(0);
      a->SetStop(10);
    }
  }
  QRect AreaRect() const { return g.Area.toRect().adjusted(2, 2, -2, -2); }
};

TEST_F(RtRenderTest, RedLineIsRedOnItsPathAndNowhereElse) {
  FixAxes();
  TRtLineSeries s;
  s.Line()->SetWidth(3);
  Fill(vx, {0, 10});
  Fill(vy, {0, 10});
  Bind(s, &vx, &vy);
  const QImage img = g.Render();
  SavePng(img, "render-red-line");
  // The diagonal of the data area, at a quarter and at the middle.
  for (double v : {2.5, 5.0, 7.5}) {
    const QPoint p(int(std::lround(x.NumberToWorld(v))), int(std::lround(y.NumberToWorld(v))));
    EXPECT_TRUE(Reddish(img.pixel(p))) << v;
    EXPECT_EQ(img.pixel(p + QPoint(0, 12)), 0xFFFFFFFFu) << v;
    EXPECT_EQ(img.pixel(p - QPoint(0, 12)), 0xFFFFFFFFu) << v;
  }
  // Nothing red outside the data area.
  EXPECT_EQ(CountPixels(img, QRect(0, 0, 600, int(g.Area.top()) - 2), Reddish), 0);
  EXPECT_EQ(CountPixels(img, QRect(int(g.Area.right()) + 3, 0, 100, 400), Reddish), 0);
}

TEST_F(RtRenderTest, HiddenSeriesLeavesTheAreaEmpty) {
  FixAxes();
  TRtPointSeries s;
  Fill(vx, {1, 5, 9});
  Fill(vy, {1, 5, 9});
  Bind(s, &vx, &vy);
  QImage img = g.Render();
  EXPECT_GT(CountPixels(img, AreaRect(), Bluish), 50);   // symbols
  EXPECT_GT(CountPixels(img, AreaRect(), Reddish), 20);  // line
  s.SetVisible(false);
  img = g.Render();
  EXPECT_EQ(CountPixels(img, AreaRect(), NotWhite), 0);
  s.SetVisible(true);
  s.Line()->SetVisible(false);
  s.PointSymbol()->SetVisible(false);
  EXPECT_FALSE(s.SeriesVisible());
  img = g.Render();
  EXPECT_EQ(CountPixels(img, AreaRect(), NotWhite), 0);
}

TEST_F(RtRenderTest, ClippedFunctionStaysInsideTheDrawingArea) {
  FixAxes();
  TRtLinearRegression r;
  r.Line()->SetColor(RtColors::Red);
  r.Line()->SetWidth(4);
  Fill(vx, {0, 5, 10});
  Fill(vy, {0, 25, 50});  // slope 5: leaves the 0 .. 10 range at x = 2
  Bind(r, &vx, &vy);
  g.Poll();
  g.Layout();
  r.Calculate();
  QImage img(600, 400, QImage::Format_ARGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);  // no clip from a graph: the series clips itself
    r.PaintGr(p);
  }
  SavePng(img, "render-clipped-regression");
  EXPECT_GT(CountPixels(img, g.Area.toRect(), Reddish), 100);
  EXPECT_EQ(CountPixels(img, QRect(0, 0, 600, int(g.Area.top())), Reddish), 0);
  r.SetClipYValues(false);
  r.Calculate();
  img.fill(Qt::white);
  {
    QPainter p(&img);
    r.PaintGr(p);
  }
  SavePng(img, "render-unclipped-regression");
  EXPECT_GT(CountPixels(img, QRect(0, 0, 600, int(g.Area.top())), Reddish), 10);
}

TEST_F(RtRenderTest, HatchedAreaFillsDownToTheBaseline) {
  FixAxes();
  TRtLineSeries s;
  s.Area()->SetVisible(true);
  s.Area()->SetAreaStyle(TRtAreaStyle::LargeCheckerBoard);
  s.Area()->SetForeColor(0xFF0000FF);
  s.Area()->SetBackColor(0xFFFFFF00);
  Fill(vx, {0, 10});
  Fill(vy, {8, 8});
  Bind(s, &vx, &vy);
  const QImage img = g.Render();
  SavePng(img, "render-hatched-area");
  const QRect below(int(x.NumberToWorld(2)), int(y.NumberToWorld(6)), 60, 60);
  const int blue = CountPixels(img, below, [](QRgb c) { return c == 0xFF0000FFu; });
  const int yellow = CountPixels(img, below, [](QRgb c) { return c == 0xFFFFFF00u; });
  EXPECT_GT(blue, 1000);
  EXPECT_GT(yellow, 1000);
  const QRect above(int(x.NumberToWorld(2)), int(y.NumberToWorld(9.8)), 60, 5);
  EXPECT_EQ(CountPixels(img, above, [](QRgb c) { return c == 0xFF0000FFu; }), 0);
  // The polygon is closed half a pixel above the row of 0 ...
  ASSERT_EQ(s.AreaPointCount(), 4);
  EXPECT_FLOAT_EQ(s.Points()[2].Y, y.NumberToWorld(0) - 0.5f);
  EXPECT_FLOAT_EQ(s.Points()[2].X, s.Points()[1].X);
  EXPECT_FLOAT_EQ(s.Points()[3].X, s.Points()[0].X);
  // ... or of the axis start when that is above 0.
  y.SetStart(5);
  g.Render();
  EXPECT_FLOAT_EQ(s.Points()[3].Y, y.NumberToWorld(5) - 0.5f);
}

TEST_F(RtRenderTest, PictureOfSeriesAxesAndLabels) {
  TRtPointSeries sensor;
  TRtLineSeries target;
  TRtLinearRegression rate;
  TRtDoubleVector vt;
  sensor.Line()->SetColor(0xFF00C000);
  sensor.Line()->SetWidth(2);
  sensor.PointSymbol()->SetSize(8);
  sensor.PointSymbol()->SetFillColor(0xFF00C000);
  sensor.PointSymbol()->SetBorderColor(0xFF006000);
  target.Line()->SetColor(RtColors::Red);
  rate.Line()->SetColor(RtColors::Black);
  rate.Line()->SetWidth(4);
  rate.Line()->SetDashStyle(TDashStyle::DashStyleDash);
  for (int i = 0; i <= 60; ++i) {
    vx.Add(i);
    vy.Add(0.35 + 0.1 * std::sin(i / 6.0) + 0.001 * i);
    vt.Add(0.4);
  }
  Bind(sensor, &vx, &vy);
  Bind(target, &vx, &vt);
  Bind(rate, &vx, &vy);
  rate.SetAutoStart(false);
  rate.SetCalculationStart(40);
  x.SetCaption("Elapsed time ( Seconds )");
  y.SetCaption("Sensor Voltage (V)");
  g.Poll();
  rate.Calculate();
  const QImage img = g.Render();
  SavePng(img, "picture-series");
  EXPECT_GT(CountPixels(img, AreaRect(), [](QRgb c) { return qGreen(c) > 150 && qRed(c) < 80; }),
            300);
  EXPECT_GT(x.AxLabels().Count(), 3);
  EXPECT_GT(y.AxLabels().Count(), 3);
}

TEST_F(RtRenderTest, PictureOfADateTimeAxisAndAnExponentAxis) {
  TRtPointSeries pump;
  pump.Line()->SetColor(0xFF0000FF);
  pump.Line()->SetWidth(2);
  pump.PointSymbol()->SetPointSymbol(TRtPointSymbol::Square);
  pump.PointSymbol()->SetSize(8);
  y.SetPosition(TRtAxisPosition::Right);
  g.SetGeometry(600, 400, 20, 110, 20, 70);
  x.SetScaling(TRtAxisScaling::DateTime);
  x.SetSecondFormat("hh:nn:ss");
  x.SetMinuteFormat("hh:nn");
  x.SetCaption("Time ( Date and time ) ");
  y.SetCaption("Pump current (A)");
  const double t0 = EncodeDateTime(2026, 12, 9, 10, 0, 0);
  for (int i = 0; i <= 60; ++i) {
    vx.Add(t0 + i / 86400.0);
    vy.Add(1.5e-5 + 0.5e-5 * std::cos(i / 10.0));
  }
  Bind(pump, &vx, &vy);
  const QImage img = g.Render();
  SavePng(img, "picture-datetime-exponent");
  ASSERT_EQ(x.DtParameters().MinorRgn, TRtDtRegion::Second);
  ASSERT_GE(x.AxLabels().Count(), 2);
  EXPECT_EQ(x.AxLabels().GetValue(0).Caption, "10:00:00");
  EXPECT_TRUE(y.ExtraExponentShown());
  EXPECT_EQ(y.ExtraExponentRec().Align, TRtContentAlignment::MiddleLeft);
}

TEST_F(RtRenderTest, PictureOfAMillionThinnedPoints) {
  TRtLineSeries s;
  s.Line()->SetColor(0xFF0000C0);
  const int n = 1000000;
  std::vector<double> xs(n), ys(n);
  std::uint32_t r = 1;
  for (int i = 0; i < n; ++i) {
    r = r * 1664525u + 1013904223u;
    xs[std::size_t(i)] = i * 1e-3;
    ys[std::size_t(i)] =
        std::sin(i * 1e-5) + ((r >> 8) % 1000) * 2e-6 + (i % 100000 == 0 ? 0.5 : 0);
  }
  vx.AddRange(std::span<const double>(xs));
  vy.AddRange(std::span<const double>(ys));
  Bind(s, &vx, &vy);
  const QImage img = g.Render();
  SavePng(img, "picture-million-points");
  EXPECT_LT(s.PointCount(), 20000);
  EXPECT_GT(s.PointCount(), 400);
  // The spikes every 100000 points survive the thinning.
  int spikes = 0;
  for (std::size_t k = 0; k < s.PointIndex().size(); ++k) spikes += s.PointIndex()[k] % 100000 == 0;
  EXPECT_GE(spikes, 9);
}

}  // namespace
