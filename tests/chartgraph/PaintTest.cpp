#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>

#include "GraphScene.h"
#include "chart/graph/RtRepaintPacing.h"
#include "chart/legend/RtLegend.h"
#include "chart/undo/RtUndoStack.h"
#include "tests/support/WaitUntil.h"

namespace {

// Pixels of a colour within a rectangle.
int CountColor(const QImage& img, QRect r, QRgb c) {
  int n = 0;
  r &= img.rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF) && qAlpha(img.pixel(x, y)) > 200) ++n;
  return n;
}

}  // namespace

TEST(Graph2DPaint, PollingBringsAppendedDataToTheDisplay) {
  TGraphScene sc;
  sc.g.show();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return sc.s.LastPointsCount() == 101; }, 10000));
  EXPECT_TRUE(sc.g.PollingTimer()->isActive());
  for (int i = 1; i <= 50; ++i) {
    sc.vx.Add(100 + i);
    sc.vy.Add(5);
  }
  ASSERT_TRUE(testsupport::WaitUntil([&] { return sc.s.LastPointsCount() == 151; }, 10000));
  EXPECT_GE(sc.x.Stop(), 150);
}

TEST(Graph2DPaint, UpdatingHoldsTheLayoutUntilTheOutermostEndUpdate) {
  TGraphScene sc;
  sc.Render();
  sc.g.BeginUpdate();
  sc.g.BeginUpdate();
  sc.g.Modified();
  sc.g.EndUpdate();
  sc.g.Calculate();
  sc.g.PollingStep();
  EXPECT_TRUE(sc.g.Updating());
  EXPECT_TRUE(sc.g.NeedsRecalculate());
  sc.g.EndUpdate();
  EXPECT_FALSE(sc.g.Updating());
  sc.g.Calculate();
  EXPECT_FALSE(sc.g.NeedsRecalculate());
}

TEST(Graph2DPaint, ThrowingFunctionSeriesDoesNotBreakPollingOrPainting) {
  TGraphScene sc(1);
  TRtLinearRegression reg;
  reg.SetXAxis(&sc.x);
  reg.SetYAxis(&sc.y);
  reg.SetXData(&sc.vx);
  reg.SetYData(&sc.vy);
  QImage img;
  EXPECT_NO_THROW(img = sc.Render());
  EXPECT_NO_THROW(sc.g.PollingStep());
  sc.vx.Add(50);
  sc.vy.Add(7);
  EXPECT_NO_THROW(img = sc.Render());
  EXPECT_GT(CountColor(img, sc.g.DrawingArea().toRect(), sc.s.PointSymbol()->FillColor()), 10);
}

TEST(Graph2DPaint, LayersSortedAndPointsFound) {
  TGraphScene sc(11);
  TRtLineSeries a, b;
  for (TRtLineSeries* s : {&a, &b}) {
    s->SetXAxis(&sc.x);
    s->SetYAxis(&sc.y);
    s->SetXData(&sc.vx);
    s->SetYData(&sc.vy);
  }
  sc.s.SetLayer(3);
  a.SetLayer(0);
  b.SetLayer(2);
  sc.g.SortLayers();
  EXPECT_EQ(sc.g.RelatedSeries(), (std::vector<TRtSeries*>{&a, &b, &sc.s}));
  EXPECT_EQ(sc.s.Layer(), 2);
  sc.Render();
  const TRtPointF p = sc.s.DataToPixel(4);
  const TRtFindSeriesPointResult r = sc.g.FindSeriesPoint(int(p.X), int(p.Y));
  ASSERT_TRUE(r.Found);
  EXPECT_EQ(r.InSeries, &sc.s);
  EXPECT_EQ(r.Index, 4);
  EXPECT_DOUBLE_EQ(r.X, sc.vx.GetValue(4));
}

TEST(Graph2DPaint, ImageExportAsPngBmpAndJpeg) {
  TGraphScene sc;
  sc.g.SetCaption("Sensor voltage");
  sc.g.SetCaptionVisible(true);
  sc.g.MajorGridVertical()->SetVisible(true);
  sc.g.MajorGridHorizontal()->SetVisible(true);
  sc.g.DataAreaFrame()->SetVisible(true);
  sc.g.SetDataAreaColor(0xFFF8F8FF);
  sc.x.SetCaption("Time (s)");
  sc.y.SetCaption("Voltage (V)");
  sc.y2.SetCaption("Temperature (°C)");
  TFakeLegend leg(&sc.g, TRtLegendPosition::FreeFloating, QSize(80, 30));
  leg.SetLegendOrigin(100, 60);
  for (int fmt : {3, 1, 2}) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    ASSERT_TRUE(sc.g.SaveImage(buf, fmt)) << fmt;
    const QByteArray d = buf.data();
    const QByteArray magic = fmt == 3 ? QByteArray("\x89PNG") : fmt == 1 ? "BM" : "\xFF\xD8";
    EXPECT_TRUE(d.startsWith(magic)) << fmt;
    const QImage back = QImage::fromData(d);
    EXPECT_EQ(back.size(), QSize(600, 400));
  }
  QBuffer none;
  none.open(QIODevice::WriteOnly);
  EXPECT_FALSE(sc.g.SaveImage(none, 0));
  QDir().mkpath(ZK_PNG_DIR);
  ASSERT_TRUE(sc.g.SaveImageToFile(QString(ZK_PNG_DIR) + "/graph2d.png"));
  const QImage img(QString(ZK_PNG_DIR) + "/graph2d.png");
  EXPECT_EQ(CountColor(img, QRect(100, 60, 80, 30), qRgb(255, 255, 0)), 80 * 30);
}

// Appended pairs resume the line thinning where the old points are final: the points equal those
// of a thinning from scratch.
TEST(Graph2DPaint, ResumedLineThinningEqualsAFullOne) {
  TGraphScene sc(0);
  sc.s.PointSymbol()->SetVisible(false);
  sc.FixAxes(2000, -2, 12);
  std::uint32_t r = 1;
  int n = 0;
  auto add = [&](int k) {
    for (int i = 0; i < k; ++i, ++n) {
      r = r * 1664525u + 1013904223u;
      sc.vx.Add(n * 0.1);
      sc.vy.Add(5 + 4 * std::sin(n * 0.003) + ((r >> 8) % 1000) * 0.0004);
    }
  };
  add(3000);
  sc.Render();
  for (int k : {1, 1, 7, 50, 2, 400, 1, 3}) {
    add(k);
    sc.Render();
    const int count = sc.s.PointCount();
    const std::vector<TRtPointF> resumed(sc.s.Points().begin(), sc.s.Points().begin() + count);
    const std::vector<int> index = sc.s.PointIndex();
    sc.s.PointsModified();
    sc.s.CalculatePoints();
    ASSERT_EQ(sc.s.PointCount(), count) << n;
    EXPECT_EQ(index, sc.s.PointIndex()) << n;
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(resumed[std::size_t(i)].X, sc.s.Points()[std::size_t(i)].X) << i;
      ASSERT_EQ(resumed[std::size_t(i)].Y, sc.s.Points()[std::size_t(i)].Y) << i;
    }
  }
  EXPECT_GT(sc.s.PointCount(), 300);
}

// Appended points repaint only the part they changed; the line's pieces and the symbols near it
// are found by their ascending X. Each picture equals a whole paint pixel for pixel, also after
// an early pair moved ahead in X (every piece is tested then) and over many small appends.
TEST(Graph2DPaint, PartRepaintsOfManyPointsEqualWholePaints) {
  TGraphScene sc(0);
  sc.s.Line()->SetWidth(2);
  sc.FixAxes(1000, -2, 12);
  std::uint32_t r = 7;
  double x = 0;
  auto add = [&](int k, double dx) {
    for (int i = 0; i < k; ++i) {
      r = r * 1664525u + 1013904223u;
      x += dx;
      sc.vx.Add(x);
      sc.vy.Add(5 + 4 * std::sin(x * 0.02) + ((r >> 8) % 1000) * 0.003);
    }
  };
  add(2500, 0.2);
  sc.g.show();  // a hidden widget takes a resize with every grab
  sc.g.grab();
  const int wholeBefore = sc.g.WholePaints();
  int step = 0;
  for (int k : {1, 1, 3, 1, 40, 1, 2, 1, 1, 9, 1, 1, 5, 1, 1}) {
    if (step++ == 8) {
      // An early pair moved far ahead: its segments cross the newest points, which are no
      // longer in ascending X order with it.
      sc.vx.SetValue(100, x + 5);
      sc.s.PointsModified();
      sc.g.grab();
    }
    add(k, 0.2);
    sc.g.PollingStep();
    sc.g.grab();
    ASSERT_EQ(sc.g.Picture(), sc.g.RenderImage()) << step;
  }
  EXPECT_GT(sc.s.PointCount(), 1000);
  EXPECT_LE(sc.g.WholePaints(), wholeBefore + 1);
  EXPECT_GE(sc.g.PartPaints(), 14);
}

// A graph painted without axes makes its own ("XAxis1", "YAxis1") and frees them with itself.
TEST(Graph2DPaint, MissingPrimaryAxesAreMade) {
  auto g = std::make_unique<TRtGraph2D>();
  g->RenderImage();
  ASSERT_NE(g->PrimaryXAxis(), nullptr);
  EXPECT_EQ(g->PrimaryXAxis()->objectName(), "XAxis1");
  EXPECT_EQ(g->PrimaryYAxis()->Caption(), "Y-Axis");
  EXPECT_EQ(g->PrimaryYAxis()->Position(), TRtAxisPosition::Left);
  EXPECT_EQ(g->Axes().size(), 2u);
  g.reset();
}

TEST(Graph2DPaint, ANewUndoStackReachesTheLegendsAlready) {
  TGraphScene sc;
  TRtLegend legend;
  legend.SetGraph(&sc.g);
  TRtUndoStack undo;
  sc.g.SetUndoStack(&undo);
  EXPECT_EQ(legend.UndoStack(), &undo);
}

TEST(Graph2DPaint, RepaintPacingKeepsASlowGraphToAQuarterOfTheTime) {
  EXPECT_EQ(RtRepaintDelayMs(0, 0), 0);
  EXPECT_EQ(RtRepaintDelayMs(49.9, 0), 0);
  EXPECT_EQ(RtRepaintDelayMs(50, 0), 150);
  EXPECT_EQ(RtRepaintDelayMs(50, 149.5), 1);
  EXPECT_EQ(RtRepaintDelayMs(50, 150), 0);
  EXPECT_EQ(RtRepaintDelayMs(2000, 100), 5900);
  EXPECT_EQ(RtRepaintDelayMs(std::nan(""), 0), 0);
}

// A graph whose last paint was slow holds its own repaints back; a picture, a resize and the
// end of the wait still bring the new data.
TEST(Graph2DPaint, ASlowGraphsRepaintIsHeldBackButNotLost) {
  TGraphScene sc;
  sc.g.show();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return sc.s.LastPointsCount() == 101; }, 10000));
  const QImage before = sc.g.grab().toImage();

  sc.g.NotePaintLength(10);
  sc.g.Invalidate();
  EXPECT_FALSE(sc.g.RepaintHeldBack());

  QCoreApplication::processEvents();
  sc.g.NotePaintLength(400);
  sc.y.SetStart(-100);  // the line moves up
  sc.g.Invalidate();
  EXPECT_TRUE(sc.g.RepaintHeldBack());
  EXPECT_EQ(sc.g.grab().toImage(), before);  // an expose meanwhile shows the old picture
  const QImage now = sc.g.RenderImage();
  EXPECT_NE(now, before.copy(now.rect()));

  ASSERT_TRUE(testsupport::WaitUntil([&] { return !sc.g.RepaintHeldBack(); }, 10000));
  EXPECT_NE(sc.g.grab().toImage(), before);

  sc.g.NotePaintLength(400);
  sc.y.SetStart(0);
  sc.g.Invalidate();
  ASSERT_TRUE(sc.g.RepaintHeldBack());
  sc.g.resize(610, 400);
  const QImage resized = sc.g.grab().toImage();
  EXPECT_FALSE(sc.g.RepaintHeldBack());
  EXPECT_EQ(resized.size(), QSize(610, 400));
}
