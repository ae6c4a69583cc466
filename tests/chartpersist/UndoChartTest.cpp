// The undo stack on the real chart objects of the main window: undoing a series, regression,
// axis or style change restores the value through its setter, with the setter's side effects,
// and redo brings the newer value back; the application's own tick changes stay bounded.
#include <gtest/gtest.h>

#include "MainWindowCharts.h"
#include "platform/IniFile.h"

namespace {

struct UndoChart : ::testing::Test {
  UndoChart() {
    w.Design();
    w.AddRows(30);
    w.Update();
    w.Undo->Clear();
  }
  bool Listens(TRtDoubleVector* v, TRtSeries* s) const {
    const auto l = v->RelatedSeries();
    return std::count(l.begin(), l.end(), static_cast<IRtVectorListener*>(s)) == 1;
  }
  TMainWindowCharts w;
};

TEST_F(UndoChart, SeriesVisibilityComesBackWithItsRangesAndLegends) {
  TRtPointSeries& s = *w.PumpVoltageSeries;
  const double stop = w.YAxisSensorVoltage->Stop();
  s.SetVisible(false);
  w.Update();
  ASSERT_NE(w.YAxisSensorVoltage->Stop(), stop);
  const int legends = w.SensorGraph->LegendsModifiedCount;
  const int invalidated = w.SensorGraph->InvalidateCount;
  w.Undo->Undo();
  EXPECT_TRUE(s.Visible());
  EXPECT_GT(w.SensorGraph->LegendsModifiedCount, legends);
  EXPECT_GT(w.SensorGraph->InvalidateCount, invalidated);
  EXPECT_TRUE(w.YAxisSensorVoltage->RedoRange());
  w.Update();
  EXPECT_EQ(w.YAxisSensorVoltage->Stop(), stop);
  w.Undo->Redo();
  EXPECT_FALSE(s.Visible());
}

TEST_F(UndoChart, XDataReferenceComesBackWithItsListenerAndRange) {
  TRtPointSeries& s = *w.PumpCurrentSeries;
  const double start = s.XStart();
  s.SetXData(w.Seconds);
  w.Update();
  ASSERT_EQ(s.XStart(), 0);
  ASSERT_EQ(w.Undo->UndoList().value(0), QStringLiteral("Series X-data reference"));
  w.Undo->Undo();
  EXPECT_EQ(s.XData(), w.Time);
  EXPECT_TRUE(Listens(w.Time, &s));
  EXPECT_FALSE(Listens(w.Seconds, &s));
  w.Update();
  EXPECT_EQ(s.XStart(), start);
  w.Undo->Redo();
  EXPECT_EQ(s.XData(), w.Seconds);
  EXPECT_TRUE(Listens(w.Seconds, &s));
  EXPECT_FALSE(Listens(w.Time, &s));
}

TEST_F(UndoChart, CaptionLayerAndLineWidthComeBackThroughTheirSetters) {
  TRtLineSeries& s = *w.SetpointSeries;
  s.SetCaption(QStringLiteral("Set-point"));
  s.SetLayer(0);
  s.Line()->SetWidth(5);
  ASSERT_EQ(s.LinePen().widthF(), 5);
  ASSERT_EQ(w.Undo->UndoList(),
            (QStringList{QStringLiteral("Line width"), QStringLiteral("Series drawing order"),
                         QStringLiteral("Series caption")}));
  const int legends = w.SensorGraph->LegendsModifiedCount;
  w.Undo->Undo();
  EXPECT_EQ(s.Line()->Width(), 1);
  EXPECT_EQ(s.LinePen().widthF(), 1);
  const int modified = w.SensorGraph->ModifiedCount;
  w.Undo->Undo();
  EXPECT_EQ(s.Layer(), 3);
  EXPECT_EQ(w.SensorGraph->ModifiedCount, modified + 1);
  w.Undo->Undo();
  EXPECT_EQ(s.Caption(), QStringLiteral("Target setpoint"));
  EXPECT_GT(w.SensorGraph->LegendsModifiedCount, legends);
  EXPECT_FALSE(w.Undo->CanUndo());
  w.Undo->Redo(2);
  EXPECT_EQ(s.Caption(), QStringLiteral("Set-point"));
  EXPECT_EQ(s.Layer(), 0);
  EXPECT_EQ(s.LinePen().widthF(), 5);
}

// The regression's start is set back and the next Calculate runs again.
TEST_F(UndoChart, CalculationStartComesBackAndForcesARecalculation) {
  TRtLinearRegression& r = *w.Regression;
  r.SetAutoStart(false);
  r.SetCalculationStart(46000.5);
  r.Calculate();
  const double slope = r.Slope();
  ASSERT_EQ(r.LastCount(), 30);
  r.SetCalculationStart(46000.5 + 40.0 / 86400);
  r.Calculate();
  ASSERT_NE(r.Slope(), slope);
  w.Undo->Undo();
  EXPECT_EQ(r.CalculationStart(), 46000.5);
  EXPECT_EQ(r.LastCount(), 0);
  r.Calculate();
  EXPECT_EQ(r.Slope(), slope);
}

// A tick's changes as one group: undone as a whole, newest entry first, so a property changed
// twice gets its value from before the group.
TEST_F(UndoChart, GroupIsUndoneAsAWholeInReverseOrder) {
  TRtLinearRegression& r = *w.Regression;
  r.SetAutoStart(false);
  const double start = r.CalculationStart();
  w.Undo->Clear();
  w.Undo->StartGroup(QStringLiteral("Tick"));
  r.SetCalculationStart(1);
  r.SetCaption(QStringLiteral("Rate of change, last 1 minutes: 2 mA/min"));
  r.SetCalculationStart(2);
  w.Undo->StopGroup();
  ASSERT_EQ(w.Undo->UndoCount(), 1);
  w.Undo->Undo();
  EXPECT_EQ(r.CalculationStart(), start);
  EXPECT_EQ(r.Caption(), QStringLiteral("Rate of change"));
  w.Undo->Redo();
  EXPECT_EQ(r.CalculationStart(), 2);
}

// Setting the moving window records one group of six entries (zoom options, range, modes);
// undoing it gives the graph its mouse zoom and scroll bar back.
TEST_F(UndoChart, MovingWindowGroupRestoresTheGraphsZoomOptions) {
  TRtAxis& x = *w.XAxisPumpTime;
  x.SetStopEnd(TRtAxisEnd::MovingSlit);
  ASSERT_EQ(w.Undo->UndoCount(), 1);
  ASSERT_FALSE(w.PumpGraph->Zoom.Auto);
  ASSERT_EQ(x.StartEnd(), TRtAxisEnd::Fixed);
  w.Undo->Undo();
  EXPECT_EQ(x.StopEnd(), TRtAxisEnd::AutoRange);
  EXPECT_EQ(x.StartEnd(), TRtAxisEnd::AutoRange);
  EXPECT_TRUE(w.PumpGraph->Zoom.Auto);
  EXPECT_TRUE(w.PumpGraph->Zoom.HScrollbarVisible);
  EXPECT_TRUE(x.RedoRange());
}

// The application's tick: the regression's start and caption every 250 ms, nothing undone.
TEST_F(UndoChart, TickChangesKeepTheLatestTwentyGroups) {
  TRtLinearRegression& r = *w.Regression;
  r.SetAutoStart(false);
  w.Undo->Clear();
  const auto tick = [&](int t) {
    r.SetCalculationStart(46000.5 + t);
    r.SetCaption(QStringLiteral("Rate of change, last 1 minutes: %1 mA/min").arg(t));
  };
  for (int t = 0; t < 25; ++t) tick(t);
  EXPECT_EQ(w.Undo->UndoCount(), 20);
  w.Undo->Undo(19);
  EXPECT_FALSE(w.Undo->CanUndo());
  // Ticks 15 to 24 are undone; what tick 14 set remains.
  EXPECT_EQ(r.CalculationStart(), 46000.5 + 14);
  EXPECT_EQ(r.Caption(), QStringLiteral("Rate of change, last 1 minutes: 14 mA/min"));
  EXPECT_EQ(w.Undo->RedoCount(), 20);
  tick(99);
  EXPECT_FALSE(w.Undo->CanRedo());
}

TEST_F(UndoChart, DisabledStackRecordsNeitherChangesNorReading) {
  w.Undo->SetEnabled(false);
  w.PumpCurrentSeries->SetCaption(QStringLiteral("Off"));
  w.XAxisPumpTime->SetStopEnd(TRtAxisEnd::MovingSlit);
  TIniFile ini;
  w.SetpointSeries->WriteTo(ini, QStringLiteral("S"));
  w.PumpVoltageSeries->ReadFrom(ini, QStringLiteral("S"));
  w.Undo->SetEnabled(true);
  EXPECT_EQ(w.Undo->UndoCount(), 0);
  EXPECT_EQ(w.PumpVoltageSeries->Caption(), QStringLiteral("Target setpoint"));
}

}  // namespace
