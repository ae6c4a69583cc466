#include <QMetaProperty>

#include <cmath>
#include <memory>
#include <random>

#include "SeriesFixture.h"

namespace {

class RtSeriesTest : public SeriesFixture {
 protected:
  // Raw reads the raw arrays; Hooked reads every pair through identity value hooks, one at a time.
  void BindRawAndHooked(TRtPointSeries& Raw, TRtPointSeries& Hooked, bool Symbols) {
    for (TRtPointSeries* s : {&Raw, &Hooked}) {
      s->PointSymbol()->SetVisible(Symbols);
      Bind(*s, &vx, &vy);
    }
    auto same = [](TRtSeries*, const TRtTransformEventArgs& a) { return a.Value; };
    Hooked.SetXValueTransformation(same);
    Hooked.SetYValueTransformation(same);
  }
};

TEST_F(RtSeriesTest, BindingAttachesToTheYAxisGraph) {
  TRtLineSeries s;
  EXPECT_EQ(s.Graph(), nullptr);
  s.SetXAxis(&x);
  s.SetYAxis(&y);
  EXPECT_EQ(s.Graph(), nullptr);  // no vector yet
  s.SetYData(&vy);
  EXPECT_EQ(s.Graph(), &g);
  EXPECT_TRUE(g.HasSeries(&s));
  EXPECT_EQ(x.RelatedSeries().size(), 1u);
  EXPECT_EQ(s.XData(), nullptr);  // the indexer stands in
  EXPECT_NE(s.XVector(), nullptr);
  // Dropping the only vector detaches again.
  s.SetYData(nullptr);
  EXPECT_EQ(s.Graph(), nullptr);
  EXPECT_FALSE(g.HasSeries(&s));
  EXPECT_TRUE(x.RelatedSeries().empty());
  EXPECT_EQ(s.XVector(), nullptr);
}

TEST_F(RtSeriesTest, OnlyYDataPlotsAgainstTheIndex) {
  TRtLineSeries s;
  Fill(vy, {5, 7, 6, 9});
  Bind(s, nullptr, &vy);
  Update();
  EXPECT_EQ(s.XStart(), 0);
  EXPECT_EQ(s.XStop(), 3);
  EXPECT_EQ(s.YStart(), 5);
  EXPECT_EQ(s.YStop(), 9);
  ASSERT_EQ(s.PointCount(), 4);
  EXPECT_FLOAT_EQ(s.Points()[2].X, x.NumberToWorld(2));
  EXPECT_FLOAT_EQ(s.Points()[2].Y, y.NumberToWorld(6));
}

TEST_F(RtSeriesTest, VectorsOfDifferentLengthUseTheShorter) {
  TRtLineSeries s;
  Fill(vx, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  Fill(vy, {3, 1, 4, 1, 5});
  Bind(s, &vx, &vy);
  Update();
  EXPECT_EQ(s.Count(), 5);
  EXPECT_EQ(s.XStart(), 0);
  EXPECT_EQ(s.XStop(), 4);  // the scan covers only the pairs
  EXPECT_EQ(s.PointCount(), 5);
}

TEST_F(RtSeriesTest, OutliersAreNeitherDrawnNorRanged) {
  TRtPointSeries s;
  Fill(vx, {0, 1, 2, 3, 4, 5, 6});
  Fill(vy, {-500, 1, 1000, 3, 4, 5, 800});
  vy.AddOutlier(0);
  vy.AddOutlier(2);
  vy.AddOutlier(6);
  Bind(s, &vx, &vy);
  Update();
  EXPECT_EQ(s.YStart(), 1);
  EXPECT_EQ(s.YStop(), 5);
  std::vector<int> idx(s.PointIndex().begin(), s.PointIndex().end());
  EXPECT_EQ(idx, (std::vector<int>{1, 3, 4, 5}));
  EXPECT_FALSE(s.HasValuesAt(2));
  // Shown when asked for.
  s.SetOutliersVisible(true);
  Update();
  EXPECT_EQ(s.YStop(), 1000);
  EXPECT_EQ(s.PointCount(), 7);
}

TEST_F(RtSeriesTest, MinimumPairsLineTwoSymbolsOne) {
  TRtLineSeries line;
  Fill(vx, {1});
  Fill(vy, {1});
  Bind(line, &vx, &vy);
  Update();
  EXPECT_EQ(line.MinCount(), 2);
  EXPECT_LE(line.PointCount(), 1);  // nothing to draw a line through
  TRtPointSeries points;
  Bind(points, &vx, &vy);
  Update();
  EXPECT_EQ(points.MinCount(), 1);
  EXPECT_EQ(points.PointCount(), 1);
  EXPECT_EQ(points.XStart(), 1);
  vx.Add(2);
  vy.Add(3);
  Update();
  EXPECT_EQ(line.PointCount(), 2);
  // Only the upper ends moved: both ranges follow.
  EXPECT_EQ(points.XStart(), 1);
  EXPECT_EQ(points.XStop(), 2);
  EXPECT_EQ(points.YStop(), 3);
}

TEST_F(RtSeriesTest, LastCountNoticeLowersBothWatermarks) {
  TRtPointSeries s;
  Fill(vx, {0, 1, 2, 3});
  Fill(vy, {0, 1, 2, 3});
  Bind(s, &vx, &vy);
  Update();
  ASSERT_EQ(s.LastCount(), 4);
  ASSERT_EQ(s.LastPointsCount(), 4);
  s.SetLastCount(6);  // never raises
  EXPECT_EQ(s.LastCount(), 4);
  s.SetLastCount(2);
  EXPECT_EQ(s.LastCount(), 2);
  EXPECT_EQ(s.LastPointsCount(), 2);
  // Marking an outlier recounts: the ranges are taken again without it.
  vy.AddOutlier(3);
  Update();
  EXPECT_EQ(s.YStop(), 2);
}

TEST_F(RtSeriesTest, HitTestsOnlyOnCurrentPoints) {
  TRtPointSeries s;
  Fill(vx, {0, 5, 10});
  Fill(vy, {0, 5, 10});
  Bind(s, &vx, &vy);
  Update();
  const TRtPointF p = s.Points()[1];
  EXPECT_EQ(s.FindPoint(p.X + 3, p.Y - 3), 1);  // within the symbol size
  EXPECT_EQ(s.FindPoint(p.X + 30, p.Y), -1);
  TRtNearestPointResult r;
  ASSERT_TRUE(s.NearestPoint(QPointF(p.X + 3, p.Y + 4), r));
  EXPECT_EQ(r.Index, 1);
  EXPECT_FLOAT_EQ(r.Distance, 5);
  EXPECT_EQ(r.Y, 5);
  ASSERT_TRUE(s.NearestX(p.X - 1, r));
  EXPECT_EQ(r.Index, 1);
  // A data change makes the points stale: nothing is found until they are recomputed.
  vy.SetValue(1, 6);
  EXPECT_EQ(s.FindPoint(p.X, p.Y), -1);
  EXPECT_FALSE(s.NearestPoint(QPointF(p.X, p.Y), r));
  EXPECT_FALSE(r.Found);
}

TEST_F(RtSeriesTest, VisibleRangeSkipsPairsOutsideAscendingX) {
  TRtLineSeries s;
  for (int i = 0; i < 1000; ++i) {
    vx.Add(i);
    vy.Add(i % 7);
  }
  Bind(s, &vx, &vy);
  Update();
  x.SetStartEnd(TRtAxisEnd::Fixed);
  x.SetStopEnd(TRtAxisEnd::Fixed);
  x.SetEndRounding(TRtAxisEndRounding::RndNothing);
  x.SetStartStop(100.5, 200.5);
  g.Layout();
  int first, last;
  ASSERT_TRUE(s.GetVisibleRange(0, first, last));
  EXPECT_EQ(first, 100);
  EXPECT_EQ(last, 201);
  s.CalculatePoints();
  EXPECT_EQ(s.PointIndex().front(), 100);
  EXPECT_EQ(s.PointIndex().back(), 201);
  // Outlier runs at both ends are left out.
  for (int i : {0, 1, 2, 997, 998, 999}) vy.AddOutlier(i);
  x.SetStartStop(-10, 2000);
  g.Layout();
  ASSERT_TRUE(s.GetVisibleRange(0, first, last));
  EXPECT_EQ(first, 3);
  EXPECT_EQ(last, 996);
}

TEST_F(RtSeriesTest, SettersRecordNothingWhenUnchangedAndNotifyTheGraph) {
  TRtLineSeries s;
  Fill(vy, {1, 2});
  Bind(s, nullptr, &vy);
  s.SetCaption("Sensor Voltage  ");
  EXPECT_EQ(s.Caption(), "Sensor Voltage");
  EXPECT_EQ(s.ToString(), "Sensor Voltage");
  const int legends = g.LegendsModifiedCount;
  s.SetIncludeInLegend(false);
  EXPECT_EQ(g.LegendsModifiedCount, legends + 1);
  s.SetIncludeInLegend(false);
  EXPECT_EQ(g.LegendsModifiedCount, legends + 1);
  const int modified = g.ModifiedCount;
  s.SetLayer(3);
  EXPECT_EQ(g.ModifiedCount, modified + 1);
  s.SetLayer(3);
  EXPECT_EQ(g.ModifiedCount, modified + 1);
  // Hiding the series re-ranges both axes.
  Update();
  EXPECT_FALSE(x.RedoRange());
  s.SetVisible(false);
  EXPECT_FALSE(s.SeriesVisible());
  EXPECT_TRUE(x.RedoRange());
  EXPECT_TRUE(y.RedoRange());
}

TEST_F(RtSeriesTest, SameCaptionTwiceRecordsOneUndoEntry) {
  TRtUndoStack stack;
  TRtLineSeries s;
  s.SetUndoStack(&stack);
  s.SetCaption("Rate of change");
  s.SetCaption("Rate of change");
  EXPECT_EQ(stack.UndoCount(), 1);
  EXPECT_EQ(stack.UndoList().value(0), "Series caption");
}

TEST_F(RtSeriesTest, SeriesTakesTheGraphsUndoStackAndRecordsReferences) {
  TRtUndoStack stack;
  g.Undo = &stack;
  TRtLinearRegression r;
  Bind(r, &vx, &vy);
  EXPECT_EQ(r.UndoStack(), &stack);
  const int n = stack.UndoCount();
  r.SetCalculationStart(5);
  r.SetCalculationStart(5);
  EXPECT_EQ(stack.UndoCount(), n + 1);
  EXPECT_EQ(stack.UndoList().value(0), "Function series calculation start");
  r.SetAutoStart(false);
  r.SetAutoStart(true);  // a group with the start value it overwrites
  EXPECT_EQ(stack.UndoCount(), n + 3);
  EXPECT_EQ(stack.UndoList().value(0), "Function series calculation start auto");
  r.SetOffset(2);  // not recorded while the offset is free
  EXPECT_EQ(stack.UndoCount(), n + 3);
  r.SetXData(nullptr);
  EXPECT_EQ(stack.UndoList().value(0), "Series X-data reference");
}

TEST_F(RtSeriesTest, DefaultCaptionsAreUniqueAmongTheOwnersComponents) {
  QObject owner;
  auto* a = new TRtLineSeries(&owner);
  a->setObjectName("RtLineSeries1");
  auto* b = new TRtLineSeries(&owner);
  auto* p = new TRtPointSeries(&owner);
  EXPECT_EQ(a->Caption(), "RtLineSeries1");
  EXPECT_EQ(b->Caption(), "RtLineSeries2");
  EXPECT_EQ(p->Caption(), "RtPointSeries1");
  EXPECT_TRUE(p->PointSymbol()->Visible());
  EXPECT_FALSE(b->PointSymbol()->Visible());
}

TEST_F(RtSeriesTest, ReferencesGoingAwayAreForgotten) {
  TRtPointSeries s;
  Fill(vy, {1, 2, 3});
  {
    TRtDoubleVector tmp;
    Fill(tmp, {1, 2, 3});
    Bind(s, &tmp, &vy);
    EXPECT_EQ(s.XData(), &tmp);
  }
  // The X vector went: the indexer stands in.
  EXPECT_EQ(s.XData(), nullptr);
  EXPECT_NE(s.XVector(), nullptr);
  EXPECT_EQ(s.Graph(), &g);
  Update();
  EXPECT_EQ(s.XStop(), 2);
  {
    TRtUndoStack stack;
    s.SetUndoStack(&stack);
  }
  EXPECT_EQ(s.UndoStack(), nullptr);
  s.SetCaption("after the stack");  // no dangling stack
  {
    TRtLineSeries partner;
    s.SetMergeLegendItemWith(&partner);
    s.SetDrawBandTo(&partner);
  }
  EXPECT_EQ(s.MergeLegendItemWith(), nullptr);
  EXPECT_EQ(s.DrawBandTo(), nullptr);
  {
    auto axis = std::make_unique<TRtAxis>();
    axis->SetGraph(&g);
    s.SetYAxis(axis.get());
    EXPECT_EQ(s.Graph(), &g);
  }
  EXPECT_EQ(s.YAxis(), nullptr);
  EXPECT_EQ(s.Graph(), nullptr);
  EXPECT_FALSE(g.HasSeries(&s));
  EXPECT_EQ(std::count(x.RelatedSeries().begin(), x.RelatedSeries().end(),
                       static_cast<IRtAxisSeries*>(&s)),
            0);
}

TEST(RtSeriesGraphTest, GraphGoingAwayIsForgotten) {
  TRtAxis x, y;
  TRtDoubleVector v;
  v.Add(1);
  v.Add(2);
  TRtLineSeries s;
  {
    TTestGraph g;
    x.SetGraph(&g);
    y.SetGraph(&g);
    s.SetXAxis(&x);
    s.SetYAxis(&y);
    s.SetYData(&v);
    EXPECT_EQ(s.Graph(), &g);
  }
  EXPECT_EQ(s.Graph(), nullptr);
  EXPECT_EQ(s.XAxis(), nullptr);
  s.Invalidate();
  s.SetVisible(false);
  // A series destroyed before its vector leaves the vector's listeners.
  {
    TRtLineSeries t;
    t.SetYData(&v);
    EXPECT_EQ(v.RelatedSeries().size(), 2u);
  }
  EXPECT_EQ(v.RelatedSeries().size(), 1u);
}

TEST_F(RtSeriesTest, ItemHeightAndExtraSpace) {
  TRtPointSeries s;
  Fill(vx, {1, 2});
  Fill(vy, {1, 2});
  Bind(s, &vx, &vy);
  s.Line()->SetWidth(2.4f);
  s.PointSymbol()->SetSize(8);
  EXPECT_EQ(s.GetItemHeight(), 10);
  s.Area()->SetVisible(true);
  EXPECT_EQ(s.GetItemHeight(), 10);
  s.PointSymbol()->SetSize(4);
  EXPECT_EQ(s.GetItemHeight(), 8);
  EXPECT_FLOAT_EQ(s.ExtraSpaceAt(0), (4 + 1) / 2.0f + 1);
  s.PointSymbol()->SetVisible(false);
  EXPECT_EQ(s.ExtraSpaceAt(0), 0);
}

TEST_F(RtSeriesTest, GetYInterpolatesBetweenNeighbours) {
  TRtLineSeries s;
  Fill(vx, {0, 10, 20});
  Fill(vy, {0, 100, 50});
  Bind(s, &vx, &vy);
  EXPECT_DOUBLE_EQ(s.GetY(5), 50);
  EXPECT_DOUBLE_EQ(s.GetY(15), 75);
  EXPECT_DOUBLE_EQ(s.GetY(20), 50);
}

TEST(RtSeriesPropertiesTest, PublishedNamesForPersistenceAndUndo) {
  TRtPointSeries p;
  const QMetaObject* m = p.metaObject();
  for (const char* n : {"Visible", "Caption", "IncludeInLegend", "MergeLegendItemWith",
                        "AutoUpdate", "OutliersVisible", "XAxis", "YAxis", "XData", "YData", "Line",
                        "Area", "DrawBandTo", "PointSymbol"})
    EXPECT_GE(m->indexOfProperty(n), 0) << n;
  // "Layer" is streamed, not published.
  EXPECT_LT(m->indexOfProperty("Layer"), 0);
  TRtLinearRegression r;
  const QMetaObject* rm = r.metaObject();
  for (const char* n : {"Weight",
                        "AutoStart",
                        "AutoStop",
                        "CalculationStart",
                        "CalculationStop",
                        "ClipYValues",
                        "FixedOffset",
                        "Offset",
                        "DisplayAutoStart",
                        "DisplayAutoStop",
                        "DisplayStart",
                        "DisplayStop",
                        "CoupleCalculationAndDisplay",
                        "Slope",
                        "DeltaSlope",
                        "DeltaOffset",
                        "AverageX",
                        "AverageY",
                        "VarianceX",
                        "VarianceY",
                        "Probability",
                        "Correlation",
                        "SumOfResiduals"})
    EXPECT_GE(rm->indexOfProperty(n), 0) << n;
  // Sub-objects and references read back as objects.
  QObject* line = p.property("Line").value<QObject*>();
  ASSERT_NE(line, nullptr);
  EXPECT_TRUE(line->setProperty("Width", 4.0f));
  EXPECT_FLOAT_EQ(p.Line()->Width(), 4);
  EXPECT_TRUE(
      p.PointSymbol()->setProperty("PointSymbol", QVariant::fromValue(TRtPointSymbol::Square)));
  EXPECT_EQ(p.PointSymbol()->PointSymbol(), TRtPointSymbol::Square);
}

// The raw arrays are mapped a block at a time; the points must equal those found one pair at a
// time through the value hooks, for linear, reversed and date-time axes (negative days too).
TEST_F(RtSeriesTest, BlockMappedPointsEqualThePairByPairOnes) {
  std::mt19937 r(3);
  std::uniform_real_distribution<double> noise(-1, 1);
  for (int i = 0; i < 5001; ++i) {
    vx.Add(-30 + i * 0.013);
    vy.Add(std::sin(i / 300.0) * 5 + noise(r));
  }
  for (int mode = 0; mode < 3; ++mode) {
    x.SetScaling(mode == 2 ? TRtAxisScaling::DateTime : TRtAxisScaling::Normal);
    y.SetTwisted(mode == 1);
    for (bool symbols : {false, true}) {
      TRtPointSeries raw, hooked;
      BindRawAndHooked(raw, hooked, symbols);
      Update();
      ASSERT_GT(raw.PointCount(), 100) << mode << symbols;
      EXPECT_EQ(raw.Points(), hooked.Points()) << mode << symbols;
      EXPECT_EQ(raw.PointIndex(), hooked.PointIndex()) << mode << symbols;
    }
  }
}

// Dense data passes over whole blocks of pairs that stay within a pixel of the last point; the
// points must still equal the pair-by-pair ones: flat and slowly noisy stretches, steps, spikes,
// NaN and infinite values, outliers, values clamped far outside a fixed range, dates before
// 1899 (where no block may be passed over), and rows appended after a first thinning.
TEST_F(RtSeriesTest, PassingOverBlocksKeepsEveryPoint) {
  std::mt19937 r(11);
  std::uniform_real_distribution<double> tiny(-1e-4, 1e-4);
  auto yAt = [&](int i) {
    if (i % 50000 < 20000) return 2.0;
    if (i % 50000 < 21000) return 2.0 + tiny(r) * 1e5;
    if (i == 33333) return std::numeric_limits<double>::quiet_NaN();
    if (i == 34567) return std::numeric_limits<double>::infinity();
    if (i % 7919 == 0) return 40.0;
    return std::sin(i / 9000.0) + tiny(r);
  };
  for (int mode = 0; mode < 5; ++mode) {
    const double x0 = mode == 3 ? -20.0 : 46000.0;
    x.SetScaling(mode >= 2 ? TRtAxisScaling::DateTime : TRtAxisScaling::Normal);
    y.SetTwisted(mode == 1);
    const bool clamp = mode == 4;
    y.SetStartEnd(clamp ? TRtAxisEnd::Fixed : TRtAxisEnd::AutoRange);
    y.SetStopEnd(clamp ? TRtAxisEnd::Fixed : TRtAxisEnd::AutoRange);
    if (clamp) {
      y.SetStart(-0.2);
      y.SetStop(0.2);
    }
    for (bool symbols : {false, true}) {
      vx.Clear(false);
      vy.Clear(false);
      for (int i = 0; i < 120000; ++i) {
        vx.Add(x0 + i / 86400.0);
        vy.Add(yAt(i));
      }
      for (int k : {100, 101, 5000, 64 * 300 + 63}) vy.AddOutlier(k);
      TRtPointSeries raw, hooked;
      BindRawAndHooked(raw, hooked, symbols);
      Update();
      ASSERT_GT(raw.PointCount(), 50) << mode << symbols;
      EXPECT_EQ(raw.Points(), hooked.Points()) << mode << symbols;
      EXPECT_EQ(raw.PointIndex(), hooked.PointIndex()) << mode << symbols;
      for (int i = 120000; i < 130000; ++i) {
        vx.Add(x0 + i / 86400.0);
        vy.Add(yAt(i));
        if (i % 2500 == 0) Update();
      }
      Update();
      EXPECT_EQ(raw.Points(), hooked.Points()) << "appended " << mode << symbols;
      EXPECT_EQ(raw.PointIndex(), hooked.PointIndex()) << "appended " << mode << symbols;
    }
  }
}

}  // namespace
