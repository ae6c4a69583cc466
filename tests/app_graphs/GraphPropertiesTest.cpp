// GraphProperties on the main window's real graphs: axes, captions and X data per time mode,
// "Only last" with little and much history, the rate-of-change caption, the temperature axis
// and the room it takes. Rows go straight into the vectors; no cycle runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cmath>
#include <memory>
#include <random>

#include "app/MessageBox.h"
#include "app/frmZenkar2.h"
#include "chart/graph/RtGraph2D.h"
#include "chart/legend/RtLegend.h"
#include "chart/series/RtFunctionSeries.h"
#include "platform/FormatSettings.h"

void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace {

constexpr double kMinute = 1.0 / 1440;

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_app_graphs";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

class GraphPropertiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(dir_.isValid());
    SetFormatSettings(TFormatSettings::FromLocale("C"));
    SetMessageBoxHandler([](const std::string&) {});
    TStartOptions o;
    o.BaseDir = dir_.path().toStdString();
    o.ProgramName = "zenkar-pro";
    o.Headless = true;
    o.BypassPort = "COM250";  // no such port: nothing is measured
    w_ = std::make_unique<TFormZenkar2>(o);
  }
  void TearDown() override {
    w_.reset();
    SetMessageBoxHandler({});
  }

  // Rows one second apart ending now; the pump current rises 0.001 A per minute.
  void AddRows(int seconds, bool temperatures = false) {
    const double now = Now();
    for (int i = 0; i < seconds; ++i) {
      const double t = now - (seconds - 1 - i) / 86400.0;
      w_->RtDoubleVectorTime->Add(t);
      w_->RtDoubleVectorSeconds->Add((t - w_->RtDoubleVectorTime->GetValue(0)) * 86400);
      w_->RtDoubleVectorTemperature->Add(temperatures ? 700 : 0);
      if (!temperatures)
        w_->RtDoubleVectorTemperature->AddOutlier(w_->RtDoubleVectorTemperature->GetCount() - 1);
      w_->RtDoubleVectorSensorVoltage->Add(0.002);
      w_->RtDoubleVectorPumpVoltage->Add(0.5);
      w_->RtDoubleVectorPumpCurrent->Add(0.001 * i / 60.0);
      w_->RtDoubleVectorSetpoint->Add(0.002);
    }
  }

  QTemporaryDir dir_;
  std::unique_ptr<TFormZenkar2> w_;
};

TEST_F(GraphPropertiesTest, TimeModesSwitchScalingCaptionsAndXData) {
  const TGraphObjects& g = w_->Graphs;
  // At creation: date-time on both graphs, the set-point shown, no extra curves.
  EXPECT_EQ(g.XAxisPumpTime->Scaling(), TRtAxisScaling::DateTime);
  // The axis drops the caption's trailing blank.
  EXPECT_EQ(g.XAxisPumpTime->Caption(), "Time ( Date and time )");
  EXPECT_EQ(g.XAxisSensorTime->Caption(), "Time( Date and time )");
  EXPECT_EQ(g.RtPointSeriesPumpCurrent->XData(), w_->RtDoubleVectorTime);
  EXPECT_EQ(g.RtLineSeriesTargetSetpoint->XData(), w_->RtDoubleVectorTime);
  EXPECT_EQ(g.YAxisSensorVoltage->Caption(), "Sensor Voltage (V)");
  EXPECT_FALSE(g.RtPointSeriesPumpVoltage->Visible());
  EXPECT_FALSE(g.RtLinearRegression1->Visible());
  EXPECT_TRUE(g.RtLineSeriesTargetSetpoint->Visible());

  w_->RadioButtonPumpTimeAxisSeconds->setChecked(true);
  w_->CheckBoxPumpVoltageShow->setChecked(true);
  w_->CheckBoxTargetSetpoint->setChecked(false);
  w_->GraphProperties();
  EXPECT_EQ(g.XAxisPumpTime->Scaling(), TRtAxisScaling::Normal);
  EXPECT_EQ(g.XAxisPumpTime->Caption(), "Elapsed time ( Seconds )");
  EXPECT_EQ(g.RtPointSeriesPumpCurrent->XData(), w_->RtDoubleVectorSeconds);
  EXPECT_EQ(g.RtLinearRegression1->XData(), w_->RtDoubleVectorSeconds);
  // The sensor graph keeps its own mode.
  EXPECT_EQ(g.XAxisSensorTime->Scaling(), TRtAxisScaling::DateTime);
  EXPECT_EQ(g.RtPointSeriesSensorVoltage->XData(), w_->RtDoubleVectorTime);
  EXPECT_TRUE(g.RtPointSeriesPumpVoltage->Visible());
  EXPECT_EQ(g.YAxisSensorVoltage->Caption(), "Sensor and Pump Voltage (V)");
  EXPECT_FALSE(g.RtLineSeriesTargetSetpoint->Visible());

  w_->RadioButtonSensorTimeAxisSeconds->setChecked(true);
  w_->GraphProperties();
  EXPECT_EQ(g.XAxisSensorTime->Scaling(), TRtAxisScaling::Normal);
  EXPECT_EQ(g.XAxisSensorTime->Caption(), "Elapsed time ( Seconds )");
  for (TRtSeries* s : {static_cast<TRtSeries*>(g.RtPointSeriesSensorVoltage),
                       static_cast<TRtSeries*>(g.RtPointSeriesPumpVoltage),
                       static_cast<TRtSeries*>(g.RtPointSeriesTemperature),
                       static_cast<TRtSeries*>(g.RtLineSeriesTargetSetpoint)})
    EXPECT_EQ(s->XData(), w_->RtDoubleVectorSeconds) << s->objectName().toStdString();
}

TEST_F(GraphPropertiesTest, OnlyLastWaitsForHistoryInDateTimeButNotInSeconds) {
  const TGraphObjects& g = w_->Graphs;
  TRtAxis* x = g.XAxisPumpTime;
  w_->CheckBoxPumpTimeAxisSlit->setChecked(true);
  w_->RtDoubleEditPumpAxisSlit->SetValue(5);
  // Before any row: automatic range, nothing fails.
  w_->GraphProperties();
  EXPECT_EQ(x->StartEnd(), TRtAxisEnd::AutoRange);
  EXPECT_EQ(x->StopEnd(), TRtAxisEnd::AutoRange);
  EXPECT_TRUE(w_->RtGraph2DPumpCurrent->Zoom()->Auto());
  // Two minutes of data: still all of it.
  AddRows(120);
  w_->GraphProperties();
  EXPECT_EQ(x->StopEnd(), TRtAxisEnd::AutoRange);
  // Six minutes: the five-minute moving window, mouse zooming off.
  w_->RtDoubleVectorTime->SetValue(0, Now() - 6 * kMinute);
  w_->GraphProperties();
  EXPECT_EQ(x->StartEnd(), TRtAxisEnd::Fixed);
  EXPECT_EQ(x->StopEnd(), TRtAxisEnd::MovingSlit);
  EXPECT_DOUBLE_EQ(x->MovingSlitWidth(), 5 * kMinute);
  EXPECT_FALSE(w_->RtGraph2DPumpCurrent->Zoom()->Auto());
  // "Only last" off again: automatic range, zooming and the scroll bar back.
  w_->CheckBoxPumpTimeAxisSlit->setChecked(false);
  w_->GraphProperties();
  EXPECT_EQ(x->StopEnd(), TRtAxisEnd::AutoRange);
  EXPECT_TRUE(w_->RtGraph2DPumpCurrent->Zoom()->Auto());
  EXPECT_TRUE(w_->RtGraph2DPumpCurrent->Zoom()->HScrollbarVisible());

  // Seconds on the sensor graph: N x 60 s at once, with less history than that.
  w_->RtDoubleVectorTime->SetValue(0, Now() - 1 * kMinute);
  w_->RadioButtonSensorTimeAxisSeconds->setChecked(true);
  w_->CheckBoxSensorTimeAxisSlit->setChecked(true);
  w_->RtDoubleEditSensorAxisSlit->SetValue(3);
  w_->GraphProperties();
  EXPECT_EQ(g.XAxisSensorTime->StopEnd(), TRtAxisEnd::MovingSlit);
  EXPECT_EQ(g.XAxisSensorTime->MovingSlitWidth(), 180.0);
  EXPECT_TRUE(w_->RtGraph2DSensorVoltage->Zoom()->OptimizeSeries());
}

TEST_F(GraphPropertiesTest, RateOfChangeReadsOneMilliampPerMinuteInBothModes) {
  TRtLinearRegression* r = w_->Graphs.RtLinearRegression1;
  AddRows(180);
  w_->CheckBoxRateOfChange->setChecked(true);
  for (bool seconds : {false, true, false}) {
    w_->RadioButtonPumpTimeAxisSeconds->setChecked(seconds);
    w_->RadioButtonPumpTimeAxisTime->setChecked(!seconds);
    // Every tick runs it; the caption is right from the first tick in the new mode.
    for (int tick = 0; tick < 2; ++tick) {
      w_->GraphProperties();
      EXPECT_EQ(r->Caption(), "Rate of change, last 1 minutes: 1 mA/min")
          << (seconds ? "seconds" : "date-time") << ", tick " << tick;
    }
    EXPECT_TRUE(r->Visible());
    const double window = seconds ? 60.0 : kMinute;
    EXPECT_NEAR(r->CalculationStop() - r->CalculationStart(), window, window * 1e-6);
  }
  // Hidden, the caption is still kept up to date.
  w_->CheckBoxRateOfChange->setChecked(false);
  w_->RtIntegerEditRateOfChangeObserveTime->SetValue(2);
  w_->GraphProperties();
  EXPECT_FALSE(r->Visible());
  EXPECT_EQ(r->Caption(), "Rate of change, last 2 minutes: 1 mA/min");
}

TEST_F(GraphPropertiesTest, TemperatureAxisWaitsForARealTemperatureAndTakesItsBand) {
  const TGraphObjects& g = w_->Graphs;
  TRtGraph2D* graph = w_->RtGraph2DSensorVoltage;
  graph->resize(800, 400);
  w_->CheckBoxCellTemperatureShow->setChecked(true);
  AddRows(30);  // every temperature an outlier
  w_->GraphProperties();
  EXPECT_FALSE(g.YAxisTemperature->Visible());
  EXPECT_FALSE(g.RtPointSeriesTemperature->Visible());

  AddRows(5, true);
  w_->GraphProperties();
  EXPECT_TRUE(g.YAxisTemperature->Visible());
  EXPECT_TRUE(g.RtPointSeriesTemperature->Visible());
  graph->RenderImage();
  const double shownLeft = graph->DrawingArea().left();

  // Hidden, the data area takes the band: it reaches the border but for the time axis's
  // first label.
  w_->CheckBoxCellTemperatureShow->setChecked(false);
  w_->GraphProperties();
  EXPECT_FALSE(g.YAxisTemperature->Visible());
  graph->RenderImage();
  const double hiddenLeft = graph->DrawingArea().left();
  EXPECT_GT(shownLeft, hiddenLeft + 20);
  EXPECT_GE(shownLeft - hiddenLeft, g.YAxisTemperature->Width() - 20);
}

TEST_F(GraphPropertiesTest, ScrollBarsOnlyWhereDataLieOutside) {
  // The first pump voltage of a run reads a few picovolts below zero.
  AddRows(20);
  w_->RtDoubleVectorPumpVoltage->SetValue(0, -4.9e-12);
  w_->CheckBoxPumpVoltageShow->setChecked(true);
  w_->GraphProperties();
  TRtGraph2D* graph = w_->RtGraph2DSensorVoltage;
  graph->RenderImage();
  TRtAxis* y = w_->Graphs.YAxisSensorVoltage;
  EXPECT_EQ(y->Start(), 0.0);
  EXPECT_FALSE(y->IsClipped());
  // A zoom into the middle of a date-time axis leaves seconds of data outside at both ends.
  TRtAxis* x = w_->Graphs.XAxisSensorTime;
  const double t0 = w_->RtDoubleVectorTime->GetValue(0);
  x->ZoomIn(t0 + 5 / 86400.0, t0 + 10 / 86400.0);
  EXPECT_TRUE(x->IsClipped());
}

// Between whole paints a tick repaints only what it changed (new points, the regression line,
// the rate caption in the legend); every such picture must equal a whole paint of the same
// state, pixel for pixel: noisy rows, failed polls (zero rows), a set-point step and a legend
// moved by hand, with every extra curve on.
TEST_F(GraphPropertiesTest, PartRepaintsLeaveTheSamePictureAsWholePaints) {
  const TGraphObjects& g = w_->Graphs;
  for (QCheckBox* c : {w_->CheckBoxRateOfChange, w_->CheckBoxPumpVoltageShow,
                       w_->CheckBoxCellTemperatureShow, w_->CheckBoxTargetSetpoint})
    c->setChecked(true);
  TRtGraph2D* graphs[] = {w_->RtGraph2DPumpCurrent, w_->RtGraph2DSensorVoltage};
  for (TRtGraph2D* gr : graphs) gr->resize(900, 360);
  std::mt19937 r(5);
  std::normal_distribution<double> noise(0, 1);
  double t = Now() - 1.0 / 24;
  auto addRow = [&](int i) {
    const bool failed = i % 37 == 0;
    t += 1 / 86400.0;
    w_->RtDoubleVectorTime->Add(t);
    w_->RtDoubleVectorSeconds->Add(i);
    w_->RtDoubleVectorSensorVoltage->Add(
        failed ? 0 : 0.45 + 0.05 * std::sin(i / 40.0) + 0.002 * noise(r));
    w_->RtDoubleVectorPumpVoltage->Add(failed ? 0
                                              : 1.2 + 0.2 * std::sin(i / 50.0) + 0.003 * noise(r));
    w_->RtDoubleVectorPumpCurrent->Add(
        failed ? 0 : 0.002 + 0.0008 * std::sin(i / 30.0) + 0.00001 * noise(r));
    w_->RtDoubleVectorTemperature->Add(700 + 5 * std::sin(i / 90.0) + 0.05 * noise(r));
    w_->RtDoubleVectorSetpoint->Add(i < 500 ? 0.45 : 0.47);
  };
  int i = 0;
  for (; i < 400; ++i) addRow(i);
  w_->GraphProperties();
  for (TRtGraph2D* gr : graphs) gr->grab();
  int parts = 0, paints = 0;
  for (; i < 700; ++i) {
    addRow(i);
    if (i == 600) g.Legend2->SetLeft(g.Legend2->Left() + 37);
    w_->GraphProperties();
    for (TRtGraph2D* gr : graphs) {
      const int before = gr->PartPaints();
      if (i % 2) gr->PollingStep();  // the polling timer's step between ticks
      gr->grab();
      parts += gr->PartPaints() - before;
      ++paints;
      ASSERT_EQ(gr->Picture(), gr->RenderImage()) << gr->objectName().toStdString() << " " << i;
    }
  }
  // Most paints took the part path (an axis growing past its rounded end paints everything).
  EXPECT_GT(parts, paints * 3 / 4);
}

}  // namespace
