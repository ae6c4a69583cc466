// A small stand-in for the graph control: geometry set by hand, counters for the notices, a
// poll / layout / paint sequence like the control's (visible legends painted last, where they
// stand), and zoom options as published properties.
#pragma once

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QPointer>

#include "chart/axes/RtAxis.h"
#include "chart/core/RtGraphBase.h"
#include "chart/series/RtSeries.h"

class TTestZoom : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Auto MEMBER Auto)
  Q_PROPERTY(bool HScrollbarVisible MEMBER HScrollbarVisible)
  Q_PROPERTY(bool VScrollbarVisible MEMBER VScrollbarVisible)

 public:
  using QObject::QObject;
  bool Auto = true, HScrollbarVisible = true, VScrollbarVisible = true;
};

class TTestGraph : public QObject, public TRtGraphBase {
  Q_OBJECT

 public:
  explicit TTestGraph(QObject* Parent = nullptr) : QObject(Parent), Zoom(this) {}

  QObject* GraphObject() override { return this; }
  void Modified() override { ++ModifiedCount; }
  void Invalidate() override { ++InvalidateCount; }
  void SeriesModified() override;
  // Counts, and tells every attached legend.
  void LegendsModified() override;
  void CalculateAxes() override;
  void ZoomReset() override { ++ZoomResetCount; }
  bool Updating() const override { return false; }
  bool Loading() const override { return IsLoading; }
  bool Panning() const override { return IsPanning; }
  QRectF DrawingArea() const override { return Area; }
  TRtUndoStack* UndoStack() const override { return Undo.data(); }
  TRtAxis* PrimaryXAxis() const override { return XAxis.data(); }
  TRtAxis* PrimaryYAxis() const override { return YAxis.data(); }
  QObject* ZoomSettings() override { return &Zoom; }
  void SetZoomAuto(bool v) override { Zoom.Auto = v; }
  void SetScrollbarVisible(bool Horizontal, bool v) override {
    (Horizontal ? Zoom.HScrollbarVisible : Zoom.VScrollbarVisible) = v;
  }

  // A graph of Width x Height with fixed margins: the primary X axis along the bottom, the
  // primary Y axis on the left (an axis on the right sits at the right margin).
  void SetGeometry(int Width, int Height, int Left = 70, int Right = 70, int Top = 20,
                   int Bottom = 60);
  // Element bounds and axis lines from the margins.
  void PlaceAxes();
  // Polling step: series with AutoUpdate calculate, axes re-range.
  void Poll();
  // Layout of the axes and stale points for every series.
  void Layout();
  QSize ClientSize() const override { return {W, H}; }
  // Poll, layout and paint into a fresh image of the graph's size (white background).
  QImage Render();
  void Paint(QPainter& P);

  TTestZoom Zoom;
  QPointer<TRtUndoStack> Undo;
  QPointer<TRtAxis> XAxis, YAxis;
  QRectF Area{70, 20, 460, 320};
  int W = 600, H = 400;
  int MarginLeft = 70, MarginRight = 70, MarginTop = 20, MarginBottom = 60;
  bool IsLoading = false, IsPanning = false;
  int ModifiedCount = 0, InvalidateCount = 0, SeriesModifiedCount = 0, LegendsModifiedCount = 0,
      ZoomResetCount = 0;
};
