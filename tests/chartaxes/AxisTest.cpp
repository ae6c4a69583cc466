#include <gtest/gtest.h>

#include <QMetaProperty>

#include <memory>

#include "TestGraph.h"
#include "chart/axes/RtAxis.h"
#include "platform/FormatSettings.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

// A series as an axis sees it: a visible data extent.
struct TFakeSeries : IRtAxisSeries {
  bool Visible = true;
  double XStart = RtMaxDouble, XStop = -RtMaxDouble, YStart = RtMaxDouble, YStop = -RtMaxDouble;
  bool SeriesVisible() const override { return Visible; }
  void DataExtent(bool Horizontal, double& a, double& b) const override {
    a = Horizontal ? XStart : YStart;
    b = Horizontal ? XStop : YStop;
  }
  double SmallestPositive(bool) const override { return RtMaxDouble; }
  float ExtraSpaceAt(int) const override { return 0; }
  void SetX(double a, double b) {
    XStart = a;
    XStop = b;
  }
};

class RtAxisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    axis = std::make_unique<TRtAxis>();
    axis->SetBounds(0, 0, 500, 40);
    axis->SetAxisLine(0, 0, 500);
    axis->AddSeries(&series);
  }
  // Re-range from the fake data, with the rounding of the ends switched off.
  void Range(double a, double b) {
    series.SetX(a, b);
    axis->RangeModified();
    axis->GetNewRanges();
  }
  ScopedFormatSettings fs{TFormatSettings::FromLocale("C")};
  TFakeSeries series;
  std::unique_ptr<TRtAxis> axis;
};

TEST_F(RtAxisTest, WithoutDataTheInitialRangeShows) {
  TRtAxis bare;
  bare.Calculate();
  EXPECT_EQ(bare.Start(), 0);
  EXPECT_EQ(bare.Stop(), 10);
  // An empty series extent falls back to the initial range too.
  Range(RtMaxDouble, -RtMaxDouble);
  EXPECT_EQ(axis->Start(), 0);
  EXPECT_EQ(axis->Stop(), 10);
}

TEST_F(RtAxisTest, EqualEndsAreWidenedReversedReplaced) {
  axis->SetEndRounding(TRtAxisEndRounding::RndNothing);
  double a = 5, b = 5;
  axis->RoundEnds(a, b);
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, 6);
  a = b = 0;
  axis->RoundEnds(a, b);
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, 1);
  a = b = 0.005;
  axis->RoundEnds(a, b);
  EXPECT_DOUBLE_EQ(a, 0.004);
  EXPECT_DOUBLE_EQ(b, 0.006);
  a = 7;
  b = 3;
  axis->RoundEnds(a, b);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 100);
  // A fixed start widens only the stop.
  axis->SetStartEnd(TRtAxisEnd::Fixed);
  a = b = 5;
  axis->RoundEnds(a, b);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 6);
  // A single time on a date-time axis shows one minute.
  axis->SetScaling(TRtAxisScaling::DateTime);
  const double t = EncodeDateTime(2026, 12, 9, 10, 0, 0);
  a = b = t;
  axis->RoundEnds(a, b);
  EXPECT_EQ(a, t);
  EXPECT_DOUBLE_EQ(b, t + 1.0 / 1440);
}

TEST_F(RtAxisTest, FirstSetStartKeepsTheSetStartUnlessDataGoBelow) {
  axis->SetEndRounding(TRtAxisEndRounding::RndNothing);
  axis->SetStart(0);
  axis->SetStartEnd(TRtAxisEnd::FirstSet);
  Range(2, 8);
  EXPECT_EQ(axis->Start(), 0);
  EXPECT_EQ(axis->Stop(), 8);
  Range(-3, 8);
  EXPECT_EQ(axis->Start(), -3);
}

TEST_F(RtAxisTest, MovingWindowFollowsTheNewestValue) {
  axis->SetEndRounding(TRtAxisEndRounding::RndNothing);
  axis->SetStart(0);
  axis->SetStopEnd(TRtAxisEnd::MovingSlit);
  axis->SetMovingSlitWidth(60);
  EXPECT_EQ(axis->StartEnd(), TRtAxisEnd::Fixed);
  Range(0, 59);
  EXPECT_EQ(axis->Start(), 0);
  EXPECT_EQ(axis->Stop(), 60);
  EXPECT_DOUBLE_EQ(axis->MovingSlitIncrement(), 20);  // a third of the width by default
  Range(0, 60);
  EXPECT_EQ(axis->Start(), 0);
  EXPECT_EQ(axis->Stop(), 60);
  Range(0, 61);
  EXPECT_EQ(axis->Start(), 20);
  EXPECT_EQ(axis->Stop(), 80);
  Range(30, 125);
  EXPECT_EQ(axis->Start(), 80);
  EXPECT_EQ(axis->Stop(), 140);
}

TEST_F(RtAxisTest, WithoutARequestReRangingDoesNothing) {
  Range(0, 7.3);
  axis->Calculate();
  ASSERT_FALSE(axis->NeedsRecalculate());
  const double a = axis->Start(), b = axis->Stop();
  // New data without a request: nothing happens.
  series.SetX(0, 100);
  axis->GetNewRanges();
  EXPECT_FALSE(axis->NeedsRecalculate());
  EXPECT_EQ(axis->Stop(), b);
  // A request with the same data gives the same range again.
  series.SetX(0, 7.3);
  axis->RangeModified();
  EXPECT_TRUE(axis->RedoRange());
  axis->GetNewRanges();
  EXPECT_FALSE(axis->RedoRange());
  EXPECT_EQ(axis->Start(), a);
  EXPECT_EQ(axis->Stop(), b);
  EXPECT_EQ(axis->ValuesStop(), 7.3);
}

TEST_F(RtAxisTest, PartitionAndMajorRoundingOnA500PixelAxis) {
  // 12-point labels "0" and "7" count 19.2 px: steps 10, 5, 2 leave room, step 1 fills the axis
  // (8 * 19.2 + 7 * 70 = 643.6 >= 500).
  axis->RefreshFontSize();
  Range(0, 7.3);
  EXPECT_DOUBLE_EQ(axis->LabelPart(), 1);
  EXPECT_DOUBLE_EQ(axis->MajorTickPart(), 0.5);
  EXPECT_DOUBLE_EQ(axis->TickPart(), 0.1);
  EXPECT_EQ(axis->Start(), 0);
  EXPECT_DOUBLE_EQ(axis->Stop(), 7.5);  // rounded outward to the major grid
  axis->Calculate();
  EXPECT_EQ(axis->Ticks().Count(), 76);
  int majors = 0;
  for (int i = 0; i < axis->MajorTick().Count(); ++i) majors += axis->MajorTick().GetValue(i);
  EXPECT_EQ(majors, 16);
  ASSERT_EQ(axis->AxLabels().Count(), 8);
  EXPECT_EQ(axis->AxLabels().GetValue(0).Caption, "0");
  EXPECT_EQ(axis->AxLabels().GetValue(7).Caption, "7");
  // Labels sit centred on their ticks, below the line by the major tick length and half their
  // height.
  const TRtRichCaptionRec& l3 = axis->AxLabels().GetValue(3);
  EXPECT_FLOAT_EQ(l3.X, axis->NumberToWorld(3));
  EXPECT_FLOAT_EQ(l3.Y, 10 + l3.FHeight / 2);
  EXPECT_FLOAT_EQ(axis->NumberToWorld(3), 200);
}

TEST_F(RtAxisTest, ZoomedAxisRoundsToTheMinorGridOnly) {
  axis->RefreshFontSize();
  Range(0, 7.3);
  axis->ZoomIn(1.23, 4.56);
  EXPECT_TRUE(axis->CanZoomBack());
  double a = 1.23, b = 4.56;
  axis->RoundEnds(a, b);
  EXPECT_NEAR(a / axis->TickPart(), std::round(a / axis->TickPart()), 1e-9);
  EXPECT_NEAR(b / axis->TickPart(), std::round(b / axis->TickPart()), 1e-9);
  EXPECT_GT(a, 1.0);  // not widened to the major grid
  EXPECT_LT(b, 5.0);
  EXPECT_LE(a, 1.23);
  EXPECT_GE(b, 4.56);
  // Zoom history: two stages, back to the first, then a new zoom drops the redo stage.
  EXPECT_EQ(axis->ZoomBufferSize(), 2);
  axis->ZoomBack();
  EXPECT_EQ(axis->ZoomStage(), 0);
  axis->ZoomIn(2, 3);
  EXPECT_EQ(axis->ZoomBufferSize(), 2);
  EXPECT_EQ(axis->ScrollStart(), 0);
  // A re-range clears it.
  axis->RangeModified();
  EXPECT_FALSE(axis->CanZoomBack());
}

TEST_F(RtAxisTest, MappingBothWaysAndFarValuesStayFinite) {
  axis->SetStartStop(0, 10);
  axis->SetAxisLine(50, 0, 400);
  axis->CalculateTicks();
  EXPECT_FLOAT_EQ(axis->NumberToWorld(0), 50);
  EXPECT_FLOAT_EQ(axis->NumberToWorld(10), 450);
  EXPECT_NEAR(axis->WorldToNumber(250), 5, 1e-12);
  // 10^6 pixels beyond the end.
  EXPECT_FLOAT_EQ(axis->NumberToWorld(10 + 1e6 * 10 / 400), 50 + 100000);
  EXPECT_FLOAT_EQ(axis->NumberToWorld(-1e300), 50 - 100000);
  // Vertical axes grow upwards; twisted ones the other way.
  TRtAxis y;
  y.SetPosition(TRtAxisPosition::Left);
  y.SetStartStop(0, 10);
  y.SetAxisLine(60, 20, 300);
  y.CalculateTicks();
  EXPECT_FLOAT_EQ(y.NumberToWorld(0), 320);
  EXPECT_FLOAT_EQ(y.NumberToWorld(10), 20);
  EXPECT_NEAR(y.WorldToNumber(170), 5, 1e-12);
  y.SetTwisted(true);
  y.CalculateTicks();
  EXPECT_FLOAT_EQ(y.NumberToWorld(0), 20);
}

TEST_F(RtAxisTest, ExponentCaptionSitsBetweenTheLastTwoLabels) {
  axis->RefreshFontSize();
  Range(0, 2e-5);
  axis->Calculate();
  ASSERT_TRUE(axis->AdditionalExponent());
  ASSERT_TRUE(axis->ExtraExponentShown());
  const TRtRichCaptionRec& e = axis->ExtraExponentRec();
  EXPECT_EQ(e.Caption, QStringLiteral("\u00B710\\+-5"));
  const int n = axis->AxLabels().Count();
  ASSERT_GE(n, 2);
  EXPECT_EQ(axis->AxLabels().GetValue(0).Caption, "0.0");
  EXPECT_FLOAT_EQ(e.X,
                  (axis->AxLabels().GetValue(n - 2).X + axis->AxLabels().GetValue(n - 1).X) / 2);
  EXPECT_FLOAT_EQ(e.Y, axis->LabelBaseLine() + 10);
  EXPECT_EQ(e.Align, TRtContentAlignment::TopCenter);
}

TEST_F(RtAxisTest, DateTimeAxisLabelsAMinuteEveryThirtySeconds) {
  axis->SetBounds(0, 0, 480, 40);
  axis->SetAxisLine(0, 0, 480);
  axis->SetScaling(TRtAxisScaling::DateTime);
  axis->SetSecondFormat("hh:nn:ss");
  axis->RefreshFontSize();
  const double t = EncodeDateTime(2026, 12, 9, 10, 0, 0);
  Range(t, t + 1.0 / 1440);
  axis->Calculate();
  EXPECT_EQ(axis->DtParameters().Row, 13);
  ASSERT_EQ(axis->AxLabels().Count(), 3);
  EXPECT_EQ(axis->AxLabels().GetValue(1).Caption, "10:00:30");
  EXPECT_FLOAT_EQ(axis->AxLabels().GetValue(1).X, 240);
}

TEST_F(RtAxisTest, CaptionIsTrimmedAndPlacedBeyondTheLabels) {
  axis->SetCaption("Time ( Date and time ) ");
  EXPECT_EQ(axis->Caption(), "Time ( Date and time )");
  EXPECT_FLOAT_EQ(axis->CaptionSpace(), axis->CaptionRec().FHeight);
  axis->RefreshFontSize();
  Range(0, 7.3);
  axis->SetDistanceNumbersCaption(4);
  axis->Calculate();
  const TRtRichCaptionRec& c = axis->CaptionRec();
  EXPECT_EQ(c.Align, TRtContentAlignment::TopCenter);
  EXPECT_FLOAT_EQ(c.X, 250);
  EXPECT_FLOAT_EQ(c.Y, axis->LabelBaseLine() + 4 + axis->MaxNumberLabelHeight());
  axis->SetCaptionVisible(false);
  EXPECT_EQ(axis->CaptionSpace(), 0);
  // On a left axis the caption turns by 90 degrees; across the axis it takes its text height.
  TRtAxis y;
  y.SetPosition(TRtAxisPosition::Left);
  y.SetCaption("Sensor Voltage (V)");
  y.Calculate();
  EXPECT_EQ(y.CaptionRec().Angle, 90);
  EXPECT_EQ(y.CaptionRec().Align, TRtContentAlignment::BottomCenter);
  EXPECT_FLOAT_EQ(y.CaptionSpace(), y.CaptionRec().FHeight);
  EXPECT_LT(y.CaptionSpace(), y.CaptionRec().FWidth);
}

TEST(RtAxisGraphTest, MovingWindowSwitchesMouseZoomOffAndScalingResetsZoom) {
  TTestGraph g;
  TRtAxis x, v;
  x.SetGraph(&g);
  v.SetPosition(TRtAxisPosition::Right);
  v.SetGraph(&g);
  EXPECT_EQ(g.Axes().size(), 2u);
  x.SetStopEnd(TRtAxisEnd::MovingSlit);
  EXPECT_FALSE(g.Zoom.Auto);
  EXPECT_FALSE(g.Zoom.HScrollbarVisible);
  EXPECT_TRUE(g.Zoom.VScrollbarVisible);
  v.SetStopEnd(TRtAxisEnd::MovingSlit);
  EXPECT_FALSE(g.Zoom.VScrollbarVisible);
  x.SetAutoTickParts(false);
  EXPECT_FALSE(x.AutoTickParts());
  x.SetScaling(TRtAxisScaling::DateTime);
  EXPECT_EQ(g.ZoomResetCount, 1);
  EXPECT_TRUE(x.AutoTickParts());
  // Hand-set parts are ignored while automatic; zero becomes 0.001, signs are dropped.
  TRtAxis n;
  n.SetTickPart(0.3);
  EXPECT_DOUBLE_EQ(n.TickPart(), 0.1);
  n.SetAutoTickParts(false);
  n.SetTickPart(0);
  EXPECT_DOUBLE_EQ(n.TickPart(), 0.001);
  n.SetLabelPart(-2);
  EXPECT_DOUBLE_EQ(n.LabelPart(), 2);
  n.SetLabelDistanceFactor(50);
  EXPECT_FLOAT_EQ(n.LabelDistanceFactor(), 10);
}

TEST(RtAxisGraphTest, GraphGoingAwayIsForgottenAndLoadingSuppressesReRanging) {
  TRtAxis x;
  TFakeSeries s;
  x.AddSeries(&s);
  {
    TTestGraph g;
    x.SetGraph(&g);
    g.IsLoading = true;
    x.RangeModified();
    EXPECT_FALSE(x.RedoRange());
    g.IsLoading = false;
    x.RangeModified();
    EXPECT_TRUE(x.RedoRange());
  }
  EXPECT_EQ(x.Graph(), nullptr);
  x.Modified();  // no graph to tell: no crash
  // An axis destroyed first leaves the graph's list.
  TTestGraph g2;
  {
    TRtAxis y;
    y.SetGraph(&g2);
    EXPECT_EQ(g2.Axes().size(), 1u);
  }
  EXPECT_TRUE(g2.Axes().empty());
}

TEST(RtAxisGraphTest, ForeColourCarriesTheTickColoursThatFollowIt) {
  TRtAxis a;
  a.SetForeColor(RtColors::Blue);
  EXPECT_EQ(a.TickColor(), RtColors::Blue);
  EXPECT_EQ(a.MajorTickColor(), RtColors::Blue);
  a.SetTickColor(RtColors::Red);
  a.SetForeColor(RtColors::Green);
  EXPECT_EQ(a.TickColor(), RtColors::Red);
  EXPECT_EQ(a.MajorTickColor(), RtColors::Green);
}

TEST(RtAxisGraphTest, RangeSettersRecordGroupsAndSingleChanges) {
  TRtUndoStack stack;
  TTestGraph g;
  g.Undo = &stack;
  TRtAxis a;
  a.SetGraph(&g);
  EXPECT_EQ(a.UndoStack(), &stack);
  a.SetStart(3);
  a.SetStart(3);
  EXPECT_EQ(stack.UndoCount(), 1);
  EXPECT_EQ(stack.UndoList().value(0), "Axis range start");
  a.SetStopEnd(TRtAxisEnd::MovingSlit);
  EXPECT_EQ(stack.UndoCount(), 2);
  EXPECT_EQ(stack.UndoList().value(0), "Auto ranging mode of axis stop");
  a.SetMovingSlitIncrement(5);
  EXPECT_EQ(stack.UndoList().value(0), "Incement to move axis range");
  a.SetScaling(TRtAxisScaling::DateTime);
  EXPECT_EQ(stack.UndoList().value(0), "Axis scaling");
  EXPECT_EQ(stack.UndoCount(), 4);
}

TEST(RtAxisGraphTest, PublishedPropertiesCarryTheirNames) {
  TRtAxis a;
  const QMetaObject* m = a.metaObject();
  for (const char* p : {"Visible",
                        "Position",
                        "Start",
                        "Stop",
                        "StartEnd",
                        "StopEnd",
                        "EndRounding",
                        "MovingSlitWidth",
                        "MovingSlitIncrement",
                        "Scaling",
                        "AutoTickParts",
                        "TickPart",
                        "MajorTickPart",
                        "LabelPart",
                        "LabelDistanceFactor",
                        "Twisted",
                        "Caption",
                        "CaptionFont",
                        "CaptionVisible",
                        "CaptionAlignment",
                        "Font",
                        "NumbersVisible",
                        "NumbersColor",
                        "ExtraDigits",
                        "MaxForExtraExponent",
                        "MinForExtraExponent",
                        "MajorGridMode",
                        "ArrowPoint",
                        "DistanceAxisLabels",
                        "ForeColor",
                        "TickColor",
                        "MajorTickColor"})
    EXPECT_GE(m->indexOfProperty(p), 0) << p;
  // Enumerations read and write by name.
  const QMetaProperty sc = m->property(m->indexOfProperty("Scaling"));
  ASSERT_TRUE(sc.isEnumType());
  EXPECT_STREQ(sc.enumerator().valueToKey(int(TRtAxisScaling::DateTime)), "DateTime");
  EXPECT_TRUE(a.setProperty("StopEnd", QVariant::fromValue(TRtAxisEnd::Fixed)));
  EXPECT_EQ(a.StopEnd(), TRtAxisEnd::Fixed);
  EXPECT_TRUE(a.setProperty("Start", 2.5));
  EXPECT_EQ(a.Start(), 2.5);
}

}  // namespace
