// The window's two graphs: their chart objects and GraphProperties, which applies the
// "Graph setting" page to them at creation and at the start of every tick.
#include <QCheckBox>
#include <QRadioButton>
#include <QSplitter>

#include "app/GraphPlan.h"
#include "app/frmZenkar2.h"
#include "chart/axes/RtAxis.h"
#include "chart/graph/RtGraph2D.h"
#include "chart/series/RtFunctionSeries.h"
#include "platform/FormatSettings.h"

namespace {

// The time axis of one graph as its plan says: a moving window, or automatic range at both
// ends with mouse zooming allowed again.
void ApplyTimeRange(TRtGraph2D* Graph, TRtAxis* Axis, const TTimeAxisPlan& Plan) {
  if (Plan.MovingWindow) {
    Axis->SetStartEnd(TRtAxisEnd::Fixed);
    Axis->SetStopEnd(TRtAxisEnd::MovingSlit);
    Axis->SetMovingSlitWidth(Plan.Width);
  } else {
    Graph->Zoom()->SetAuto(true);
    // The moving window had hidden the scroll bar along it; the design shows both.
    Graph->Zoom()->SetHScrollbarVisible(true);
    Axis->SetStartEnd(TRtAxisEnd::AutoRange);
    Axis->SetStopEnd(TRtAxisEnd::AutoRange);
  }
}

void SetTimeScaling(TRtAxis* Axis, bool DateTime, const char* DateTimeCaption) {
  Axis->SetScaling(DateTime ? TRtAxisScaling::DateTime : TRtAxisScaling::Normal);
  Axis->SetCaption(DateTime ? QString::fromLatin1(DateTimeCaption)
                            : QStringLiteral("Elapsed time ( Seconds )"));
}

}  // namespace

void TFormZenkar2::BuildGraphs() {
  RtGraph2DPumpCurrent = new TRtGraph2D(PanelGraph);
  RtGraph2DSensorVoltage = new TRtGraph2D(PanelGraph);
  for (TRtGraph2D* g : {RtGraph2DPumpCurrent, RtGraph2DSensorVoltage}) g->setMinimumSize(200, 120);
  Graphs = BuildGraphObjects(this, RtGraph2DPumpCurrent, RtGraph2DSensorVoltage, GraphVectors());
}

TGraphVectors TFormZenkar2::GraphVectors() const {
  return {RtDoubleVectorTime,        RtDoubleVectorSeconds,     RtDoubleVectorSensorVoltage,
          RtDoubleVectorPumpVoltage, RtDoubleVectorPumpCurrent, RtDoubleVectorTemperature,
          RtDoubleVectorSetpoint};
}

void TFormZenkar2::GraphProperties() {
  const TGraphObjects& g = Graphs;
  RtGraph2DPumpCurrent->BeginUpdate();
  RtGraph2DSensorVoltage->BeginUpdate();
  const int rows = RtDoubleVectorTime->GetCount();
  const THistory history{rows, rows > 0 ? RtDoubleVectorTime->GetValue(0) : 0.0, Now()};

  // Pump graph, time axis.
  const TTimeAxisPlan pump =
      PlanTimeAxis({RadioButtonPumpTimeAxisSeconds->isChecked(),
                    CheckBoxPumpTimeAxisSlit->isChecked(), RtDoubleEditPumpAxisSlit->Value()},
                   history);
  SetTimeScaling(g.XAxisPumpTime, pump.DateTime, "Time ( Date and time ) ");
  TRtDoubleVector* pumpX = pump.DateTime ? RtDoubleVectorTime : RtDoubleVectorSeconds;
  const bool pumpXChanged = g.RtLinearRegression1->XData() != pumpX;
  g.RtPointSeriesPumpCurrent->SetXData(pumpX);
  g.RtLinearRegression1->SetXData(pumpX);
  if (CheckBoxPumpTimeAxisSlit->isChecked())
    g.YAxisSensorVoltage->SetStartEnd(TRtAxisEnd::AutoRange);
  ApplyTimeRange(RtGraph2DPumpCurrent, g.XAxisPumpTime, pump);

  // Rate of change over the last M minutes up to the regression's automatic stop.
  TRtLinearRegression* r = g.RtLinearRegression1;
  r->SetVisible(CheckBoxRateOfChange->isChecked());
  const int m = RtIntegerEditRateOfChangeObserveTime->Value();
  // Right after a switch of the X data the stop is still the other mode's; the first pass
  // brings it to this mode's newest row, the second covers the window before it.
  for (int pass = pumpXChanged ? 0 : 1; pass < 2; ++pass) {
    r->SetCalculationStart(r->CalculationStop() - RegressionWindow(!pump.DateTime, m));
    try {
      r->Calculate();
    } catch (...) {
      // Too few points or no spread yet: the slope stays as it was.
    }
  }
  r->SetCaption(
      QString::fromStdString(RateCaption(m, RateMilliAmpsPerMinute(!pump.DateTime, r->Slope()))));

  // Sensor graph, time axis.
  const TTimeAxisPlan sensor =
      PlanTimeAxis({RadioButtonSensorTimeAxisSeconds->isChecked(),
                    CheckBoxSensorTimeAxisSlit->isChecked(), RtDoubleEditSensorAxisSlit->Value()},
                   history);
  SetTimeScaling(g.XAxisSensorTime, sensor.DateTime, "Time( Date and time )");
  TRtDoubleVector* sensorX = sensor.DateTime ? RtDoubleVectorTime : RtDoubleVectorSeconds;
  for (TRtSeries* s : {static_cast<TRtSeries*>(g.RtPointSeriesSensorVoltage),
                       static_cast<TRtSeries*>(g.RtPointSeriesPumpVoltage),
                       static_cast<TRtSeries*>(g.RtPointSeriesTemperature),
                       static_cast<TRtSeries*>(g.RtLineSeriesTargetSetpoint)})
    s->SetXData(sensorX);
  if (CheckBoxSensorTimeAxisSlit->isChecked())
    RtGraph2DSensorVoltage->Zoom()->SetOptimizeSeries(true);
  ApplyTimeRange(RtGraph2DSensorVoltage, g.XAxisSensorTime, sensor);

  // Extra data of the sensor graph; the temperature axis waits for a real temperature.
  const bool pumpVoltage = CheckBoxPumpVoltageShow->isChecked();
  g.RtPointSeriesPumpVoltage->SetVisible(pumpVoltage);
  g.YAxisSensorVoltage->SetCaption(pumpVoltage ? QStringLiteral("Sensor and Pump Voltage (V)")
                                               : QStringLiteral("Sensor Voltage (V)"));
  const bool temperature =
      CheckBoxCellTemperatureShow->isChecked() && RtDoubleVectorTemperature->Maximum() > 0;
  g.YAxisTemperature->SetVisible(temperature);
  g.RtPointSeriesTemperature->SetVisible(temperature);
  g.RtLineSeriesTargetSetpoint->SetVisible(CheckBoxTargetSetpoint->isChecked());

  RtGraph2DPumpCurrent->EndUpdate();
  RtGraph2DSensorVoltage->EndUpdate();
}
