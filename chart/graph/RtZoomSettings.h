// The graph's zoom and pan options: which mouse button/modifier sets start a zoom rectangle or
// panning, what a click or double click beside the data area does, and the scroll bars shown
// along a zoomed axis. The graph-level zoom operations are forwarded to the owning graph.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRectF>

#include <functional>

#include "chart/undo/RtUndoStack.h"

class TRtGraph2D;

// Button and modifier state of a mouse event, compared as exact sets.
enum TRtShiftFlag : quint32 {
  ssShift = 1u << 0,
  ssAlt = 1u << 1,
  ssCtrl = 1u << 2,
  ssLeft = 1u << 3,
  ssRight = 1u << 4,
  ssMiddle = 1u << 5,
  ssDouble = 1u << 6,
  ssTouch = 1u << 7,
  ssPen = 1u << 8,
  ssCommand = 1u << 9
};
using TShiftState = quint32;

// The shift set of a Qt mouse event.
TShiftState RtShiftState(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers,
                         bool Double = false);

class TRtZoomSettings : public QObject {
  Q_OBJECT

 public:
  enum class TRtZoomBufferType { AsCircularBuffer, AsStack };
  Q_ENUM(TRtZoomBufferType)
  enum class TRtScrollIncrement { Page, MajorTick, MinorTick, Pixel };
  Q_ENUM(TRtScrollIncrement)

 private:
  Q_PROPERTY(bool Auto READ Auto WRITE SetAuto)
  Q_PROPERTY(TRtZoomBufferType BufferType READ BufferType WRITE SetBufferType)
  Q_PROPERTY(bool OptimizeSeries READ OptimizeSeries WRITE SetOptimizeSeries)
  Q_PROPERTY(bool BackOnClickBeside READ BackOnClickBeside WRITE SetBackOnClickBeside)
  Q_PROPERTY(bool BackOnRightBottomLeftTopFrame READ BackOnRightBottomLeftTopFrame WRITE
                 SetBackOnRightBottomLeftTopFrame)
  Q_PROPERTY(
      bool ResetOnDoubleClickBeside READ ResetOnDoubleClickBeside WRITE SetResetOnDoubleClickBeside)
  Q_PROPERTY(bool ResetOnRightBottomLeftTopFrame READ ResetOnRightBottomLeftTopFrame WRITE
                 SetResetOnRightBottomLeftTopFrame)
  Q_PROPERTY(quint32 StartZoom READ StartZoom WRITE SetStartZoom)
  Q_PROPERTY(quint32 StartPanning READ StartPanning WRITE SetStartPanning)
  Q_PROPERTY(int PanningCursor READ PanningCursor WRITE SetPanningCursor)
  Q_PROPERTY(bool HScrollbarVisible READ HScrollbarVisible WRITE SetHScrollbarVisible)
  Q_PROPERTY(bool VScrollbarVisible READ VScrollbarVisible WRITE SetVScrollbarVisible)
  Q_PROPERTY(TRtScrollIncrement ScrollSmallIncrement READ ScrollSmallIncrement WRITE
                 SetScrollSmallIncrement)
  Q_PROPERTY(TRtScrollIncrement ScrollLargeIncrement READ ScrollLargeIncrement WRITE
                 SetScrollLargeIncrement)

 public:
  explicit TRtZoomSettings(TRtGraph2D* ParentGraph);

  TRtGraph2D* ParentGraph() const { return FParentGraph; }
  TRtUndoStack* UndoStack() const { return FUndoStack.data(); }
  void SetUndoStack(TRtUndoStack* Stack) { FUndoStack = Stack; }

  bool Auto() const { return FAuto; }
  void SetAuto(bool v) { Change(FAuto, v, "Graph auto zooming", "Auto"); }
  TRtZoomBufferType BufferType() const { return FBufferType; }
  void SetBufferType(TRtZoomBufferType v) { FBufferType = v; }
  bool OptimizeSeries() const { return FOptimizeSeries; }
  void SetOptimizeSeries(bool v) {
    Change(FOptimizeSeries, v, "Graph zoom optimize for series data", "OptimizeSeries");
  }
  bool BackOnClickBeside() const { return FBackOnClickBeside; }
  void SetBackOnClickBeside(bool v) {
    Change(FBackOnClickBeside, v, "Graph zoom back clicking beside data", "BackOnClickBeside");
  }
  bool BackOnRightBottomLeftTopFrame() const { return FBackOnRightBottomLeftTopFrame; }
  void SetBackOnRightBottomLeftTopFrame(bool v) {
    Change(FBackOnRightBottomLeftTopFrame, v, "Graph zoom back clicking beside data",
           "BackOnRightBottomLeftTopFrame");
  }
  bool ResetOnDoubleClickBeside() const { return FResetOnDoubleClickBeside; }
  void SetResetOnDoubleClickBeside(bool v) {
    Change(FResetOnDoubleClickBeside, v, "Graph zoom reset double clicking beside data",
           "ResetOnDoubleClickBeside");
  }
  bool ResetOnRightBottomLeftTopFrame() const { return FResetOnRightBottomLeftTopFrame; }
  void SetResetOnRightBottomLeftTopFrame(bool v) {
    Change(FResetOnRightBottomLeftTopFrame, v, "Graph zoom reset dragging bottom/right top/left",
           "ResetOnRightBottomLeftTopFrame");
  }
  TShiftState StartZoom() const { return FZoomShift; }
  // Raises ERtError when equal to StartPanning.
  void SetStartZoom(TShiftState v);
  TShiftState StartPanning() const { return FPanningShift; }
  // Raises ERtError when equal to StartZoom.
  void SetStartPanning(TShiftState v);
  // A Qt::CursorShape.
  int PanningCursor() const { return FPanningCursor; }
  void SetPanningCursor(int v) { FPanningCursor = v; }
  bool HScrollbarVisible() const { return FHScrollbarVisible; }
  void SetHScrollbarVisible(bool v);
  bool VScrollbarVisible() const { return FVScrollbarVisible; }
  void SetVScrollbarVisible(bool v);
  TRtScrollIncrement ScrollSmallIncrement() const { return FScrollSmallIncrement; }
  void SetScrollSmallIncrement(TRtScrollIncrement v) {
    Change(FScrollSmallIncrement, v, "Graph scrollbars small increment", "ScrollSmallIncrement");
  }
  TRtScrollIncrement ScrollLargeIncrement() const { return FScrollLargeIncrement; }
  void SetScrollLargeIncrement(TRtScrollIncrement v) {
    Change(FScrollLargeIncrement, v, "Graph scrollbars large increment", "ScrollLargeIncrement");
  }

  // ---- forwarded to the graph
  void ZoomTo(QPoint Corner1, QPoint Corner2);
  void ZoomBack();
  void RedoZoom();
  void ZoomToStage(int Stage);
  void ZoomReset();
  bool CanZoomBack() const;
  bool CanRedoZoom() const;
  int ZoomStage() const;
  int ZoomBufferSize() const;

  // Events (fired by the graph).
  std::function<void(QObject*)> OnBeginZoom, OnEndZoom, OnBeginPanning, OnEndPanning;

 private:
  template <typename T>
  void Change(T& Field, const T& Value, const char* Comment, const char* PropName) {
    if (Field == Value) return;
    if (FUndoStack && FUndoStack->Recording()) FUndoStack->PushProperty(this, Comment, PropName);
    Field = Value;
  }

  TRtGraph2D* FParentGraph;
  QPointer<TRtUndoStack> FUndoStack;
  bool FAuto = true;
  TRtZoomBufferType FBufferType = TRtZoomBufferType::AsStack;
  bool FOptimizeSeries = false;
  bool FBackOnClickBeside = true;
  bool FBackOnRightBottomLeftTopFrame = false;
  bool FResetOnDoubleClickBeside = true;
  bool FResetOnRightBottomLeftTopFrame = false;
  TShiftState FZoomShift = ssLeft;
  TShiftState FPanningShift = ssShift | ssLeft;
  int FPanningCursor = Qt::PointingHandCursor;
  bool FHScrollbarVisible = true;
  bool FVScrollbarVisible = true;
  TRtScrollIncrement FScrollSmallIncrement = TRtScrollIncrement::MinorTick;
  TRtScrollIncrement FScrollLargeIncrement = TRtScrollIncrement::Page;
};

using TRtZoomBufferType = TRtZoomSettings::TRtZoomBufferType;
using TRtScrollIncrement = TRtZoomSettings::TRtScrollIncrement;

// ---- zoom decisions (pure)

// What releasing a zoom drag from Start to End does.
enum class TRtZoomRelease { Reset, RepaintOnly, Back, ZoomTo };
TRtZoomRelease RtZoomReleaseAction(QPoint Start, QPoint End, const QRectF& DrawingArea,
                                   bool ResetOnFrame, bool BackOnFrame);

// A click that steps back: moved less than 4 pixels both ways and outside the data area (its
// edges count as inside).
bool RtIsClickBeside(QPoint Press, QPoint Release, const QRectF& DrawingArea);
bool RtInDataArea(QPoint Pos, const QRectF& DrawingArea);

// Page size and position of a scroll bar (0 .. 10000) over the stage-0 range.
struct TRtScrollBarState {
  int PageSize = 10000;
  int Position = 0;
};
TRtScrollBarState RtScrollBarState(double Start, double Stop, double ScrollStart, double ScrollStop,
                                   bool Horizontal, bool Twisted);

// The range of an axis panned by Shift from its initial range (log10 values for log axes);
// false when it would leave the stage-0 range [ScrollStart, ScrollStop].
bool RtPanRange(double InitialStart, double InitialStop, double Shift, bool Log, double ScrollStart,
                double ScrollStop, double& Start, double& Stop);
