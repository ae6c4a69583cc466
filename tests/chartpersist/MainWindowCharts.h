// The chart objects of the main window as its form builds them: seven vectors, the pump and
// sensor graphs with their axes and series, one undo stack (limit 20) shared by both graphs,
// all owned by the registered form "FormZenkar2". Configure() then applies what the "Graph
// setting" page does on its tick; Snapshot() lists every stored setting of an object and of its
// style objects, references as paths, for comparing one object with another.
#pragma once

#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QObject>
#include <QString>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "TestGraph.h"
#include "chart/axes/RtAxis.h"
#include "chart/io/RtComponentStream.h"
#include "chart/io/RtPaths.h"
#include "chart/series/RtFunctionSeries.h"
#include "chart/series/RtSeries.h"
#include "chart/undo/RtUndoStack.h"

using TSnapshot = std::map<std::string, std::string>;

// Every stored setting of Object ("Line.Width" for its style objects), references as paths.
inline void SnapshotInto(const QObject* Object, const std::string& Prefix, TSnapshot& Out) {
  for (const QString& name : RtStoredPropertyNames(Object)) {
    const QVariant v = RtPropertyValue(Object, name.toLatin1().constData());
    const std::string key = Prefix + name.toStdString();
    if (v.metaType().flags() & QMetaType::PointerToQObject) {
      const QObject* o = v.value<QObject*>();
      if (o && o->parent() == Object)
        SnapshotInto(o, key + ".", Out);
      else
        Out[key] = "-> " + ComponentPath(o).toStdString();
    } else if (v.metaType() == QMetaType::fromType<QStringList>()) {
      Out[key] = v.toStringList().join(QLatin1Char('|')).toStdString();
    } else {
      Out[key] = v.toString().toStdString();
    }
  }
}

inline TSnapshot Snapshot(const QObject* Object) {
  TSnapshot s;
  SnapshotInto(Object, "", s);
  return s;
}

// Settings the objects work out themselves are no settings to compare: the tick parts while
// they are automatic, the regression's offset while it is not fixed (not written then).
inline TSnapshot Settings(const QObject* Object) {
  TSnapshot s = Snapshot(Object);
  if (s.count("AutoTickParts") && s["AutoTickParts"] == "true")
    for (const char* k : {"LabelPart", "MajorTickPart", "TickPart"}) s.erase(k);
  if (s.count("FixedOffset") && s["FixedOffset"] == "false") s.erase("Offset");
  return s;
}

// Text forms keep 15 significant digits of a double: equal to that precision.
inline void ExpectSameSettings(const std::vector<TSnapshot>& Got,
                               const std::vector<TSnapshot>& Want, bool TextForm) {
  ASSERT_EQ(Got.size(), Want.size());
  for (std::size_t k = 0; k < Want.size(); ++k) {
    ASSERT_EQ(Got[k].size(), Want[k].size()) << "object " << k;
    for (const auto& [key, want] : Want[k]) {
      const auto it = Got[k].find(key);
      ASSERT_NE(it, Got[k].end()) << key;
      if (it->second == want) continue;
      bool a = false, b = false;
      const double x = QString::fromStdString(it->second).toDouble(&a);
      const double y = QString::fromStdString(want).toDouble(&b);
      EXPECT_TRUE(TextForm && a && b && std::abs(x - y) <= 5e-15 * std::abs(y))
          << "object " << k << " " << key << ": " << it->second << " instead of " << want;
    }
  }
}

struct TMainWindowCharts {
  enum class TMode { DateTimeAuto, SecondsMovingWindow };

  TMainWindowCharts() {
    Form.setObjectName(QStringLiteral("FormZenkar2"));
    RtRegisterForm(&Form);
    Undo->setObjectName(QStringLiteral("RtUndoStack1"));
    Undo->SetLimit(20);
    for (auto [v, name] : {std::pair{Time, "RtDoubleVectorTime"},
                           {Seconds, "RtDoubleVectorSeconds"},
                           {SensorVoltage, "RtDoubleVectorSensorVoltage"},
                           {PumpVoltage, "RtDoubleVectorPumpVoltage"},
                           {PumpCurrent, "RtDoubleVectorPumpCurrent"},
                           {Temperature, "RtDoubleVectorTemperature"},
                           {Setpoint, "RtDoubleVectorSetpoint"}})
      v->setObjectName(QString::fromLatin1(name));
    Name(PumpGraph, "RtGraph2DPumpCurrent");
    Name(SensorGraph, "RtGraph2DSensorVoltage");
    for (TTestGraph* g : {PumpGraph, SensorGraph}) {
      g->SetGeometry(600, 400);
      g->Undo = Undo;
    }
    Place(XAxisPumpTime, "XAxisPumpTime", PumpGraph, TRtAxisPosition::Bottom);
    Place(YAxisPumpCurrent, "YAxisPumpCurrent", PumpGraph, TRtAxisPosition::Right);
    Place(XAxisSensorTime, "XAxisSensorTime", SensorGraph, TRtAxisPosition::Bottom);
    Place(YAxisSensorVoltage, "YAxisSensorVoltage", SensorGraph, TRtAxisPosition::Right);
    Place(YAxisTemperature, "YAxisTemperature", SensorGraph, TRtAxisPosition::Left);
    PumpGraph->XAxis = XAxisPumpTime;
    PumpGraph->YAxis = YAxisPumpCurrent;
    SensorGraph->XAxis = XAxisSensorTime;
    SensorGraph->YAxis = YAxisSensorVoltage;
    Name(PumpCurrentSeries, "RtPointSeriesPumpCurrent");
    Name(Regression, "RtLinearRegression1");
    Name(SensorVoltageSeries, "RtPointSeriesSensorVoltage");
    Name(PumpVoltageSeries, "RtPointSeriesPumpVoltage");
    Name(TemperatureSeries, "RtPointSeriesTemperature");
    Name(SetpointSeries, "RtLineSeriesTargetSetpoint");
  }
  ~TMainWindowCharts() { RtUnregisterRoot(&Form); }

  // The form's design: bindings, captions, styles, the regression's settings.
  void Design() {
    YAxisPumpCurrent->SetCaption(QStringLiteral("Pump current (A)"));
    YAxisSensorVoltage->SetCaption(QStringLiteral("Sensor voltage (V)"));
    YAxisTemperature->SetCaption(QStringLiteral("Temperature ( ºC )"));
    for (TRtAxis* a : {XAxisPumpTime, XAxisSensorTime}) a->SetCaption(QStringLiteral("Time"));

    Bind(PumpCurrentSeries, Time, PumpCurrent, XAxisPumpTime, YAxisPumpCurrent, 0);
    Style(PumpCurrentSeries, "Pump Current", 0xFF0000FF, 2);
    PumpCurrentSeries->PointSymbol()->SetPointSymbol(TRtPointSymbol::Square);
    PumpCurrentSeries->PointSymbol()->SetSize(8);

    Bind(Regression, Time, PumpCurrent, XAxisPumpTime, YAxisPumpCurrent, 1);
    Style(Regression, "Rate of change", 0xFF000000, 4);
    Regression->Line()->SetDashStyle(TDashStyle::DashStyleDash);
    Regression->SetAutoUpdate(false);
    Regression->SetAutoStart(false);
    Regression->SetAutoStop(true);
    Regression->SetCalculationStop(10.0);
    Regression->SetClipYValues(false);
    Regression->SetFixedOffset(false);
    Regression->SetOffset(0.3146600057437277);
    Regression->SetDisplayAutoStart(false);
    Regression->SetDisplayAutoStop(true);
    Regression->SetDisplayStop(10.0);
    Regression->SetCoupleCalculationAndDisplay(true);

    Bind(SensorVoltageSeries, Time, SensorVoltage, XAxisSensorTime, YAxisSensorVoltage, 0);
    Style(SensorVoltageSeries, "Sensor Voltage", 0xFF00C000, 2);
    SensorVoltageSeries->PointSymbol()->SetPointSymbol(TRtPointSymbol::Circle);
    SensorVoltageSeries->PointSymbol()->SetSize(8);

    Bind(PumpVoltageSeries, Time, PumpVoltage, XAxisSensorTime, YAxisSensorVoltage, 1);
    Style(PumpVoltageSeries, "Pump Voltage", 0xFF0000C0, 2);
    PumpVoltageSeries->PointSymbol()->SetVisible(false);

    Bind(TemperatureSeries, Time, Temperature, XAxisSensorTime, YAxisTemperature, 2);
    Style(TemperatureSeries, "Temperature", 0xFFFF0000, 2);
    TemperatureSeries->PointSymbol()->SetPointSymbol(TRtPointSymbol::Dot);
    TemperatureSeries->PointSymbol()->SetSize(1);
    TemperatureSeries->PointSymbol()->SetFillColor(0xFFFF0000);
    TemperatureSeries->PointSymbol()->SetBorderColor(0xFFFF0000);

    Bind(SetpointSeries, Time, Setpoint, XAxisSensorTime, YAxisSensorVoltage, 3);
    Style(SetpointSeries, "Target setpoint", 0xFFFF0000, 1);
  }

  // What the "Graph setting" page's tick makes of the design (no history test: rows exist);
  // without WithRegression, the regression's window and caption are left to the caller.
  void Configure(TMode Mode, int WindowMinutes = 5, bool WithRegression = true) {
    const bool dt = Mode == TMode::DateTimeAuto;
    TRtDoubleVector* x = dt ? Time : Seconds;
    for (TRtAxis* a : {XAxisPumpTime, XAxisSensorTime})
      a->SetScaling(dt ? TRtAxisScaling::DateTime : TRtAxisScaling::Normal);
    XAxisPumpTime->SetCaption(dt ? QStringLiteral("Time ( Date and time ) ")
                                 : QStringLiteral("Elapsed time ( Seconds )"));
    XAxisSensorTime->SetCaption(dt ? QStringLiteral("Time( Date and time )")
                                   : QStringLiteral("Elapsed time ( Seconds )"));
    for (TRtSeries* s : AllSeries()) s->SetXData(x);
    const double w = dt ? WindowMinutes / 1440.0 : WindowMinutes * 60.0;
    for (TRtAxis* a : {XAxisPumpTime, XAxisSensorTime}) {
      if (dt) {
        a->SetStartEnd(TRtAxisEnd::AutoRange);
        a->SetStopEnd(TRtAxisEnd::AutoRange);
      } else {
        a->SetStartEnd(TRtAxisEnd::Fixed);
        a->SetStopEnd(TRtAxisEnd::MovingSlit);
        a->SetMovingSlitWidth(w);
      }
    }
    if (WithRegression) {
      Regression->SetVisible(!dt);
      const double r = dt ? 1.0 / 1440 : 60.0;
      Regression->SetCalculationStart(Regression->CalculationStop() - r);
      Regression->SetCaption(QStringLiteral("Rate of change, last 1 minutes: 0.5 mA/min"));
    }
    PumpVoltageSeries->SetVisible(!dt);
    YAxisSensorVoltage->SetCaption(dt ? QStringLiteral("Sensor Voltage (V)")
                                      : QStringLiteral("Sensor and Pump Voltage (V)"));
    YAxisTemperature->SetVisible(!dt);
    TemperatureSeries->SetVisible(!dt);
  }

  // Rows of cycles 2 s apart; every third temperature is an unmeasured slot (outlier).
  void AddRows(int Rows) {
    const double t0 = 46000.5;
    for (int i = 0; i < Rows; ++i) {
      Time->Add(t0 + i * 2.0 / 86400);
      Seconds->Add(i * 2.0);
      SensorVoltage->Add(0.1 + 0.001 * i);
      PumpVoltage->Add(0.8 - 0.002 * i);
      PumpCurrent->Add(1e-3 + 1e-5 * i);
      Temperature->Add(i % 3 == 2 ? 0 : 700 + i);
      if (i % 3 == 2) Temperature->AddOutlier(i);
      Setpoint->Add(0.12);
    }
  }

  void Update() {
    for (TTestGraph* g : {PumpGraph, SensorGraph}) {
      g->Poll();
      g->Layout();
    }
  }

  std::vector<TRtSeries*> AllSeries() const {
    return {PumpCurrentSeries, Regression,        SensorVoltageSeries,
            PumpVoltageSeries, TemperatureSeries, SetpointSeries};
  }
  std::vector<TRtAxis*> AllAxes() const {
    return {XAxisPumpTime, YAxisPumpCurrent, XAxisSensorTime, YAxisSensorVoltage, YAxisTemperature};
  }

  QObject Form;
  TRtUndoStack* Undo = new TRtUndoStack(&Form);
  TRtDoubleVector* Time = new TRtDoubleVector(&Form);
  TRtDoubleVector* Seconds = new TRtDoubleVector(&Form);
  TRtDoubleVector* SensorVoltage = new TRtDoubleVector(&Form);
  TRtDoubleVector* PumpVoltage = new TRtDoubleVector(&Form);
  TRtDoubleVector* PumpCurrent = new TRtDoubleVector(&Form);
  TRtDoubleVector* Temperature = new TRtDoubleVector(&Form);
  TRtDoubleVector* Setpoint = new TRtDoubleVector(&Form);
  TTestGraph* PumpGraph = new TTestGraph(&Form);
  TTestGraph* SensorGraph = new TTestGraph(&Form);
  TRtAxis* XAxisPumpTime = new TRtAxis(&Form);
  TRtAxis* YAxisPumpCurrent = new TRtAxis(&Form);
  TRtAxis* XAxisSensorTime = new TRtAxis(&Form);
  TRtAxis* YAxisSensorVoltage = new TRtAxis(&Form);
  TRtAxis* YAxisTemperature = new TRtAxis(&Form);
  TRtPointSeries* PumpCurrentSeries = new TRtPointSeries(&Form);
  TRtLinearRegression* Regression = new TRtLinearRegression(&Form);
  TRtPointSeries* SensorVoltageSeries = new TRtPointSeries(&Form);
  TRtPointSeries* PumpVoltageSeries = new TRtPointSeries(&Form);
  TRtPointSeries* TemperatureSeries = new TRtPointSeries(&Form);
  TRtLineSeries* SetpointSeries = new TRtLineSeries(&Form);

 private:
  static void Name(QObject* o, const char* name) { o->setObjectName(QString::fromLatin1(name)); }
  static void Place(TRtAxis* a, const char* name, TTestGraph* g, TRtAxisPosition p) {
    Name(a, name);
    a->SetPosition(p);
    a->SetGraph(g);
  }
  static void Bind(TRtSeries* s, TRtDoubleVector* x, TRtDoubleVector* y, TRtAxis* xa, TRtAxis* ya,
                   int layer) {
    s->SetXAxis(xa);
    s->SetYAxis(ya);
    s->SetXData(x);
    s->SetYData(y);
    s->SetLayer(layer);
    s->SetOutliersVisible(false);
    s->SetIncludeInLegend(true);
  }
  static void Style(TRtSeries* s, const char* caption, TRtColor color, float width) {
    s->SetCaption(QString::fromUtf8(caption));
    s->Line()->SetColor(color);
    s->Line()->SetWidth(width);
  }
};
