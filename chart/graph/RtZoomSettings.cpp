#include "chart/graph/RtZoomSettings.h"

#include <algorithm>
#include <cmath>

#include "chart/data/RtExceptions.h"
#include "chart/graph/RtGraph2D.h"

namespace {
constexpr const char* kSameShiftText =
    "Zooming and panning not allowed to start with same parameters";
}

TShiftState RtShiftState(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers, bool Double) {
  TShiftState s = 0;
  if (Modifiers & Qt::ShiftModifier) s |= ssShift;
  if (Modifiers & Qt::AltModifier) s |= ssAlt;
  if (Modifiers & Qt::ControlModifier) s |= ssCtrl;
  if (Modifiers & Qt::MetaModifier) s |= ssCommand;
  if (Buttons & Qt::LeftButton) s |= ssLeft;
  if (Buttons & Qt::RightButton) s |= ssRight;
  if (Buttons & Qt::MiddleButton) s |= ssMiddle;
  if (Double) s |= ssDouble;
  return s;
}

TRtZoomSettings::TRtZoomSettings(TRtGraph2D* ParentGraph)
    : QObject(ParentGraph), FParentGraph(ParentGraph) {
  setObjectName("Zoom");
}

void TRtZoomSettings::SetStartZoom(TShiftState v) {
  if (v == FPanningShift) throw ERtError(kSameShiftText);
  Change(FZoomShift, v, "Graph zoom start keys", "StartZoom");
}

void TRtZoomSettings::SetStartPanning(TShiftState v) {
  if (v == FZoomShift) throw ERtError(kSameShiftText);
  Change(FPanningShift, v, "Graph panning start keys", "StartPanning");
}

void TRtZoomSettings::SetHScrollbarVisible(bool v) {
  if (v == FHScrollbarVisible) return;
  Change(FHScrollbarVisible, v, "Graph zoomed show horizontal scrollbar", "HScrollbarVisible");
  if (FParentGraph) FParentGraph->Modified();
}

void TRtZoomSettings::SetVScrollbarVisible(bool v) {
  if (v == FVScrollbarVisible) return;
  Change(FVScrollbarVisible, v, "Graph zoomed show vertical scrollbar", "VScrollbarVisible");
  if (FParentGraph) FParentGraph->Modified();
}

void TRtZoomSettings::ZoomTo(QPoint Corner1, QPoint Corner2) {
  if (FParentGraph) FParentGraph->ZoomTo(Corner1, Corner2);
}
void TRtZoomSettings::ZoomBack() {
  if (FParentGraph) FParentGraph->ZoomBack();
}
void TRtZoomSettings::RedoZoom() {
  if (FParentGraph) FParentGraph->RedoZoom();
}
void TRtZoomSettings::ZoomToStage(int Stage) {
  if (FParentGraph) FParentGraph->ZoomToStage(Stage);
}
void TRtZoomSettings::ZoomReset() {
  if (FParentGraph) FParentGraph->ZoomReset();
}
bool TRtZoomSettings::CanZoomBack() const {
  return FParentGraph && FParentGraph->CanZoomBack();
}
bool TRtZoomSettings::CanRedoZoom() const {
  return FParentGraph && FParentGraph->CanRedoZoom();
}
int TRtZoomSettings::ZoomStage() const {
  return FParentGraph ? FParentGraph->ZoomStage() : 0;
}
int TRtZoomSettings::ZoomBufferSize() const {
  return FParentGraph ? FParentGraph->ZoomBufferSize() : 0;
}

// ---- decisions

bool RtInDataArea(QPoint Pos, const QRectF& d) {
  return Pos.x() >= d.left() && Pos.x() <= d.right() && Pos.y() >= d.top() && Pos.y() <= d.bottom();
}

TRtZoomRelease RtZoomReleaseAction(QPoint Start, QPoint End, const QRectF& d, bool ResetOnFrame,
                                   bool BackOnFrame) {
  const bool upLeft = Start.x() >= End.x() && Start.y() >= End.y();
  if (ResetOnFrame && upLeft && Start.x() > d.x() && Start.y() > d.y() &&
      (End.x() <= d.x() || End.y() <= d.y()))
    return TRtZoomRelease::Reset;
  if (std::abs(End.x() - Start.x()) <= 4 || std::abs(End.y() - Start.y()) <= 4)
    return TRtZoomRelease::RepaintOnly;
  if (BackOnFrame && upLeft) return TRtZoomRelease::Back;
  return TRtZoomRelease::ZoomTo;
}

bool RtIsClickBeside(QPoint Press, QPoint Release, const QRectF& d) {
  return std::abs(Release.x() - Press.x()) < 4 && std::abs(Release.y() - Press.y()) < 4 &&
         !RtInDataArea(Release, d);
}

TRtScrollBarState RtScrollBarState(double Start, double Stop, double ScrollStart, double ScrollStop,
                                   bool Horizontal, bool Twisted) {
  double span = ScrollStop - ScrollStart;
  if (!(span > 0)) span = Stop - Start;
  TRtScrollBarState s;
  if (!(span > 0)) return s;
  auto clamp = [](double v) { return int(std::clamp(std::round(v), 0.0, 10000.0)); };
  s.PageSize = clamp(10000 * (Stop - Start) / span);
  const int ofStart = clamp(10000 * (Start - ScrollStart) / span);
  const int ofStop = clamp(10000 * (Stop - ScrollStart) / span);
  if (Horizontal)
    s.Position = Twisted ? 10000 - ofStop : ofStart;
  else
    s.Position = Twisted ? ofStart : 10000 - ofStop;
  s.Position = std::clamp(s.Position, 0, 10000);
  return s;
}

bool RtPanRange(double InitialStart, double InitialStop, double Shift, bool Log, double ScrollStart,
                double ScrollStop, double& Start, double& Stop) {
  Start = InitialStart + Shift;
  Stop = InitialStop + Shift;
  if (Log) {
    Start = std::pow(10.0, Start);
    Stop = std::pow(10.0, Stop);
  }
  const double tol = (ScrollStop - ScrollStart) * 1e-9;
  return ScrollStart - tol <= Start && Stop <= ScrollStop + tol;
}
