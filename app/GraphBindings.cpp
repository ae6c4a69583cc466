#include "app/GraphBindings.h"

#include "chart/axes/RtAxis.h"
#include "chart/graph/RtGraph2D.h"
#if __has_include("chart/legend/RtLegend.h")
#include "chart/legend/RtLegend.h"
#define ZK_HAVE_LEGEND 1
#endif
#include "chart/series/RtFunctionSeries.h"
#include "chart/series/RtSeries.h"
#include "chart/undo/RtUndoStack.h"

namespace {

template <typename T>
T* Make(QObject* Owner, const char* Name) {
  auto* o = new T(Owner);
  o->setObjectName(QString::fromLatin1(Name));
  return o;
}

TRtAxis* MakeAxis(QObject* Owner, const char* Name, TRtGraph2D* Graph, TRtAxisPosition Position,
                  const char* Caption) {
  auto* a = Make<TRtAxis>(Owner, Name);
  a->SetPosition(Position);
  a->SetCaption(QString::fromUtf8(Caption));
  a->SetGraph(Graph);
  return a;
}

void Bind(TRtSeries* S, const char* Caption, TRtDoubleVector* X, TRtDoubleVector* Y, TRtAxis* XAxis,
          TRtAxis* YAxis, int Layer, TRtColor Color, float Width) {
  S->SetCaption(QString::fromUtf8(Caption));
  S->SetXAxis(XAxis);
  S->SetYAxis(YAxis);
  S->SetXData(X);
  S->SetYData(Y);
  S->SetLayer(Layer);
  S->SetOutliersVisible(false);
  S->SetIncludeInLegend(true);
  S->Line()->SetColor(Color);
  S->Line()->SetWidth(Width);
}

void Symbols(TRtSeries* S, TRtPointSymbol Symbol, float Size, TRtColor Color) {
  TRtPointSymbolSettings* p = S->PointSymbol();
  p->SetVisible(true);
  p->SetPointSymbol(Symbol);
  p->SetSize(Size);
  p->SetBorderColor(Color);
  p->SetFillColor(Color);
}

void SetUpGraph(TRtGraph2D* G, const char* Name, TRtSmoothingMode Smoothing, TRtUndoStack* Undo) {
  G->setObjectName(QString::fromLatin1(Name));
  G->SetSmoothingMode(Smoothing);
  TRtZoomSettings* z = G->Zoom();
  z->SetAuto(true);
  z->SetOptimizeSeries(true);
  z->SetStartZoom(ssLeft);
  z->SetStartPanning(ssShift | ssLeft);
  z->SetHScrollbarVisible(true);
  z->SetVScrollbarVisible(true);
  G->SetUndoStack(Undo);
}

#ifdef ZK_HAVE_LEGEND
// A floating legend at the data area's upper left corner, framed in grey on transparent white.
TRtLegend* MakeLegend(QObject* Owner, const char* Name, TRtGraph2D* Graph) {
  auto* l = Make<TRtLegend>(Owner, Name);
  l->Font()->SetName(QStringLiteral("Arial"));
  l->Font()->SetSize(9);
  l->Font()->SetFillColor(RtColors::Black);
  l->SetBackColor(0x00FFFFFF);
  l->Frame()->SetVisible(true);
  l->Frame()->SetWidth(1);
  l->Frame()->SetColor(TRtColor(-10197916));
  l->SetPosition(TRtLegendPosition::FreeFloating);
  l->SetLeft(90);
  l->SetTop(12);
  l->SetGraph(Graph);
  return l;
}
#endif

}  // namespace

TGraphObjects BuildGraphObjects(QObject* Owner, TRtGraph2D* PumpGraph, TRtGraph2D* SensorGraph,
                                const TGraphVectors& V) {
  TGraphObjects g;
  g.RtUndoStack1 = Make<TRtUndoStack>(Owner, "RtUndoStack1");
  g.RtUndoStack1->SetLimit(20);
  g.RtUndoStack1->SetToMemoryStream(true);

  g.RtGraph2DPumpCurrent = PumpGraph;
  g.XAxisPumpTime = MakeAxis(Owner, "XAxisPumpTime", PumpGraph, TRtAxisPosition::Bottom, "Time");
  g.YAxisPumpCurrent =
      MakeAxis(Owner, "YAxisPumpCurrent", PumpGraph, TRtAxisPosition::Right, "Pump current (A)");
  PumpGraph->SetPrimaryXAxis(g.XAxisPumpTime);
  PumpGraph->SetPrimaryYAxis(g.YAxisPumpCurrent);
  SetUpGraph(PumpGraph, "RtGraph2DPumpCurrent", TRtSmoothingMode::AntiAlias, g.RtUndoStack1);

  g.RtPointSeriesPumpCurrent = Make<TRtPointSeries>(Owner, "RtPointSeriesPumpCurrent");
  Bind(g.RtPointSeriesPumpCurrent, "Pump Current", V.Time, V.PumpCurrent, g.XAxisPumpTime,
       g.YAxisPumpCurrent, 0, 0xFF0000FF, 2);
  Symbols(g.RtPointSeriesPumpCurrent, TRtPointSymbol::Square, 8, 0xFF0000FF);

  // The rate-of-change line: calculated by GraphProperties on every tick over the last minutes
  // up to the newest row, hidden until "Observe" is ticked.
  auto* r = g.RtLinearRegression1 = Make<TRtLinearRegression>(Owner, "RtLinearRegression1");
  Bind(r, "Rate of change", V.Time, V.PumpCurrent, g.XAxisPumpTime, g.YAxisPumpCurrent, 1,
       0xFF000000, 4);
  r->Line()->SetDashStyle(TDashStyle::DashStyleDash);
  r->SetAutoUpdate(false);
  r->SetAutoStart(false);
  r->SetAutoStop(true);
  r->SetVisible(false);

  g.RtGraph2DSensorVoltage = SensorGraph;
  g.XAxisSensorTime =
      MakeAxis(Owner, "XAxisSensorTime", SensorGraph, TRtAxisPosition::Bottom, "Time");
  g.YAxisSensorVoltage = MakeAxis(Owner, "YAxisSensorVoltage", SensorGraph, TRtAxisPosition::Right,
                                  "Sensor voltage (V)");
  g.YAxisTemperature =
      MakeAxis(Owner, "YAxisTemperature", SensorGraph, TRtAxisPosition::Left, "Temperature ( ºC )");
  SensorGraph->SetPrimaryXAxis(g.XAxisSensorTime);
  SensorGraph->SetPrimaryYAxis(g.YAxisSensorVoltage);
  SetUpGraph(SensorGraph, "RtGraph2DSensorVoltage", TRtSmoothingMode::HighQuality, g.RtUndoStack1);

  g.RtPointSeriesSensorVoltage = Make<TRtPointSeries>(Owner, "RtPointSeriesSensorVoltage");
  Bind(g.RtPointSeriesSensorVoltage, "Sensor Voltage", V.Time, V.SensorVoltage, g.XAxisSensorTime,
       g.YAxisSensorVoltage, 0, 0xFF00C000, 2);
  Symbols(g.RtPointSeriesSensorVoltage, TRtPointSymbol::Circle, 8, 0xFF00C000);

  g.RtPointSeriesPumpVoltage = Make<TRtPointSeries>(Owner, "RtPointSeriesPumpVoltage");
  Bind(g.RtPointSeriesPumpVoltage, "Pump Voltage", V.Time, V.PumpVoltage, g.XAxisSensorTime,
       g.YAxisSensorVoltage, 1, 0xFF0000C0, 2);
  g.RtPointSeriesPumpVoltage->PointSymbol()->SetVisible(false);

  g.RtPointSeriesTemperature = Make<TRtPointSeries>(Owner, "RtPointSeriesTemperature");
  Bind(g.RtPointSeriesTemperature, "Temperature", V.Time, V.Temperature, g.XAxisSensorTime,
       g.YAxisTemperature, 2, 0xFFFF0000, 2);
  Symbols(g.RtPointSeriesTemperature, TRtPointSymbol::Dot, 1, 0xFFFF0000);

  g.RtLineSeriesTargetSetpoint = Make<TRtLineSeries>(Owner, "RtLineSeriesTargetSetpoint");
  Bind(g.RtLineSeriesTargetSetpoint, "Target setpoint", V.Time, V.Setpoint, g.XAxisSensorTime,
       g.YAxisSensorVoltage, 3, 0xFFFF0000, 1);

#ifdef ZK_HAVE_LEGEND
  g.Legend1 = MakeLegend(Owner, "Legend1", PumpGraph);
  g.Legend2 = MakeLegend(Owner, "Legend2", SensorGraph);
#endif
  return g;
}
