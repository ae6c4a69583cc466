// The chart objects of the main window's two graphs as its design sets them: axes, series,
// regression, legends and the shared undo stack, bound to the seven data vectors. The window,
// its tests and the persistence of both graphs build the same set with BuildGraphObjects.
#pragma once

class QObject;
class TRtAxis;
class TRtDoubleVector;
class TRtGraph2D;
class TRtLegend;
class TRtLineSeries;
class TRtLinearRegression;
class TRtPointSeries;
class TRtUndoStack;

// The window's data vectors (RtDoubleVectorTime ...).
struct TGraphVectors {
  TRtDoubleVector* Time = nullptr;
  TRtDoubleVector* Seconds = nullptr;
  TRtDoubleVector* SensorVoltage = nullptr;
  TRtDoubleVector* PumpVoltage = nullptr;
  TRtDoubleVector* PumpCurrent = nullptr;
  TRtDoubleVector* Temperature = nullptr;
  TRtDoubleVector* Setpoint = nullptr;
};

struct TGraphObjects {
  TRtUndoStack* RtUndoStack1 = nullptr;
  TRtGraph2D* RtGraph2DPumpCurrent = nullptr;
  TRtAxis* XAxisPumpTime = nullptr;
  TRtAxis* YAxisPumpCurrent = nullptr;
  TRtPointSeries* RtPointSeriesPumpCurrent = nullptr;
  TRtLinearRegression* RtLinearRegression1 = nullptr;
  TRtLegend* Legend1 = nullptr;
  TRtGraph2D* RtGraph2DSensorVoltage = nullptr;
  TRtAxis* XAxisSensorTime = nullptr;
  TRtAxis* YAxisSensorVoltage = nullptr;
  TRtAxis* YAxisTemperature = nullptr;
  TRtPointSeries* RtPointSeriesSensorVoltage = nullptr;
  TRtPointSeries* RtPointSeriesPumpVoltage = nullptr;
  TRtPointSeries* RtPointSeriesTemperature = nullptr;
  TRtLineSeries* RtLineSeriesTargetSetpoint = nullptr;
  TRtLegend* Legend2 = nullptr;
};

// Creates the components, owned by Owner and named as in the window's design, on the two
// graphs (which get their names, zoom options, smoothing and the undo stack here too). The
// X data start on the time vector; GraphProperties switches them.
TGraphObjects BuildGraphObjects(QObject* Owner, TRtGraph2D* PumpGraph, TRtGraph2D* SensorGraph,
                                const TGraphVectors& Vectors);
