// The chart control: a widget that holds its axes and legends as elements, the series drawn in
// it, lays them out lazily at the next paint, paints them double-buffered in a fixed order, polls
// the series every 50 ms for appended data, and handles zoom, pan and scroll bars with the mouse.
#pragma once

#include <QDomElement>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QTimer>
#include <QWidget>

#include <vector>

#include "chart/axes/RtAxis.h"
#include "chart/core/RtGraphBase.h"
#include "chart/draw/RtRichText.h"
#include "chart/draw/RtStyles.h"
#include "chart/graph/RtGraphLayout.h"
#include "chart/graph/RtZoomSettings.h"
#include "chart/series/RtSeries.h"
#include "chart/undo/RtUndoStack.h"

class QIODevice;
class TIniFile;
class TRtStreamReader;
class TRtStreamWriter;
class QScrollBar;

struct TRtFindSeriesPointResult {
  bool Found = false;
  TRtSeries* InSeries = nullptr;
  int Index = -1;
  double X = 0, Y = 0;
};

class TRtGraph2D : public QWidget, public TRtGraphBase {
  Q_OBJECT
  Q_PROPERTY(quint32 BackColor READ BackColor WRITE SetBackColor)
  Q_PROPERTY(TRtGradientSettings* BackgroundGradient READ BackgroundGradient)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(bool CaptionVisible READ CaptionVisible WRITE SetCaptionVisible)
  Q_PROPERTY(RtDraw::TAlignment CaptionAlignment READ CaptionAlignment WRITE SetCaptionAlignment)
  Q_PROPERTY(float CaptionDistanceBefore READ CaptionDistanceBefore WRITE SetCaptionDistanceBefore)
  Q_PROPERTY(float CaptionDistanceAfter READ CaptionDistanceAfter WRITE SetCaptionDistanceAfter)
  Q_PROPERTY(quint32 CaptionColor READ CaptionColor WRITE SetCaptionColor)
  Q_PROPERTY(TRtFont* CaptionFont READ CaptionFont)
  Q_PROPERTY(TRtSmoothingMode SmoothingMode READ SmoothingMode WRITE SetSmoothingMode)
  Q_PROPERTY(quint32 DataAreaColor READ DataAreaColor WRITE SetDataAreaColor)
  Q_PROPERTY(TRtGradientSettings* DataAreaGradient READ DataAreaGradient)
  Q_PROPERTY(TRtLineSettings* DataAreaFrame READ DataAreaFrame)
  Q_PROPERTY(TRtLineSettings* MajorGridHorizontal READ MajorGridHorizontal)
  Q_PROPERTY(TRtLineSettings* MinorGridHorizontal READ MinorGridHorizontal)
  Q_PROPERTY(TRtLineSettings* MajorGridVertical READ MajorGridVertical)
  Q_PROPERTY(TRtLineSettings* MinorGridVertical READ MinorGridVertical)
  Q_PROPERTY(float DistanceBorderAxisTop READ DistanceBorderAxisTop WRITE SetDistanceBorderAxisTop)
  Q_PROPERTY(float DistanceBorderAxisBottom READ DistanceBorderAxisBottom WRITE
                 SetDistanceBorderAxisBottom)
  Q_PROPERTY(
      float DistanceBorderAxisLeft READ DistanceBorderAxisLeft WRITE SetDistanceBorderAxisLeft)
  Q_PROPERTY(
      float DistanceBorderAxisRight READ DistanceBorderAxisRight WRITE SetDistanceBorderAxisRight)
  Q_PROPERTY(bool ZeroOrigin READ ZeroOrigin WRITE SetZeroOrigin)
  Q_PROPERTY(TRtZoomSettings* Zoom READ Zoom)
  Q_PROPERTY(TRtAxis* PrimaryXAxis READ PrimaryXAxis WRITE SetPrimaryXAxis)
  Q_PROPERTY(TRtAxis* PrimaryYAxis READ PrimaryYAxis WRITE SetPrimaryYAxis)

 public:
  explicit TRtGraph2D(QWidget* parent = nullptr);
  ~TRtGraph2D() override;

  // ---- TRtGraphBase
  QObject* GraphObject() override { return this; }
  void Modified() override;
  void Invalidate() override;
  void SeriesModified() override;
  void LegendsModified() override;
  void SeriesPointsChanged() override;
  void LegendChanged() override;
  const QRegion* RepaintRegion() const override { return FRepaintRegion; }
  void CalculateAxes() override;
  void ZoomReset() override;
  bool Updating() const override { return FUpdateCount > 0; }
  bool Loading() const override { return FLoading; }
  bool Panning() const override { return FPanDragging; }
  QRectF DrawingArea() const override { return FDrawingArea; }
  TRtUndoStack* UndoStack() const override { return FUndoStack.data(); }
  TRtAxis* PrimaryXAxis() const override;
  TRtAxis* PrimaryYAxis() const override;
  QObject* ZoomSettings() override { return FZoom; }
  void SetZoomAuto(bool Value) override { FZoom->SetAuto(Value); }
  void SetScrollbarVisible(bool Horizontal, bool Value) override;
  TRtSmoothingMode SmoothingMode() const override { return FSmoothingMode; }
  QSize ClientSize() const override { return size(); }

  // ---- update
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void SetLoading(bool v) { FLoading = v; }
  // Layout (lazy; normally the next paint does it).
  void Calculate();
  bool NeedsRecalculate() const { return FRecalculate; }
  // One polling step (the timer's work).
  void PollingStep();
  QTimer* PollingTimer() { return &FPollingTimer; }
  // Repaint pacing: the length of the last paint (taken by every paint of the picture; tests set
  // it), and whether a repaint is being held back.
  void NotePaintLength(double Ms);
  bool RepaintHeldBack() const { return FRepaintTimer.isActive(); }
  // The picture as last painted (the back buffer), and the paints of it so far: whole, and of
  // only the part that changed.
  const QImage& Picture() const { return FBuffer; }
  int WholePaints() const { return FWholePaints; }
  int PartPaints() const { return FPartPaints; }

  // ---- settings
  TRtColor BackColor() const { return FBackColor; }
  void SetBackColor(TRtColor v);
  TRtGradientSettings* BackgroundGradient() const { return FBackgroundGradient; }
  QString Caption() const { return FTitleRec.Caption; }
  void SetCaption(const QString& v);
  bool CaptionVisible() const { return FCaptionVisible; }
  void SetCaptionVisible(bool v);
  TAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TAlignment v);
  float CaptionDistanceBefore() const { return FCaptionDistanceBefore; }
  void SetCaptionDistanceBefore(float v);
  float CaptionDistanceAfter() const { return FCaptionDistanceAfter; }
  void SetCaptionDistanceAfter(float v);
  TRtColor CaptionColor() const { return FCaptionFont->FillColor(); }
  void SetCaptionColor(TRtColor v) { FCaptionFont->SetFillColor(v); }
  TRtFont* CaptionFont() const { return FCaptionFont; }
  void SetSmoothingMode(TRtSmoothingMode v);
  TRtColor DataAreaColor() const { return FDataAreaColor; }
  void SetDataAreaColor(TRtColor v);
  TRtGradientSettings* DataAreaGradient() const { return FDataAreaGradient; }
  TRtLineSettings* DataAreaFrame() const { return FDataAreaFrame; }
  TRtLineSettings* MajorGridHorizontal() const { return FMajorGridHorizontal; }
  TRtLineSettings* MinorGridHorizontal() const { return FMinorGridHorizontal; }
  TRtLineSettings* MajorGridVertical() const { return FMajorGridVertical; }
  TRtLineSettings* MinorGridVertical() const { return FMinorGridVertical; }
  float DistanceBorderAxisTop() const { return FDistanceBorderAxisTop; }
  void SetDistanceBorderAxisTop(float v);
  float DistanceBorderAxisBottom() const { return FDistanceBorderAxisBottom; }
  void SetDistanceBorderAxisBottom(float v);
  float DistanceBorderAxisLeft() const { return FDistanceBorderAxisLeft; }
  void SetDistanceBorderAxisLeft(float v);
  float DistanceBorderAxisRight() const { return FDistanceBorderAxisRight; }
  void SetDistanceBorderAxisRight(float v);
  bool ZeroOrigin() const { return FZeroOrigin; }
  void SetZeroOrigin(bool v);
  TRtZoomSettings* Zoom() const { return FZoom; }
  void SetPrimaryXAxis(TRtAxis* a);
  void SetPrimaryYAxis(TRtAxis* a);
  // Hands the stack to the zoom settings, series, axes, legends and style objects.
  void SetUndoStack(TRtUndoStack* Stack);

  // ---- drawing
  // Everything in the order background, data area, title, grid, series, frame, axes, symbols,
  // legends, into a painter of the client size.
  void PaintGr(QPainter& P);
  // Smoothing of the next drawing: the graph's mode when High, else none.
  void SetHighQuality(QPainter& P, bool High) const;
  // The client area rendered into an image (scroll bars left out).
  QImage RenderImage();
  // Format: 1 BMP, 2 JPEG, 3 PNG, 4 GIF, 5 TIFF (as the image writers offer them); false when
  // the format is not available or writing failed.
  bool SaveImage(QIODevice& Stream, int Format);
  // The format from the file extension (PNG when unknown).
  bool SaveImageToFile(const QString& FileName);
  // Asks for a file name and saves the image.
  void SaveImageDialog();

  // ---- queries
  TRtFindSeriesPointResult FindSeriesPoint(int MouseX, int MouseY) const;
  // Inside the data area, its edges included.
  bool MouseInDataArea(QPoint Pos) const;
  // Pushes the state of every data vector of the related series as one undo group.
  void UndoPushSeriesVectors();
  QScrollBar* HScrollBar() const { return FHScrollBar; }
  QScrollBar* VScrollBar() const { return FVScrollbar; }
  // The series in layer order, layers renumbered.
  void SortLayers();

  // ---- zoom (also through Zoom())
  void ZoomTo(QPoint Corner1, QPoint Corner2);
  void ZoomBack();
  void RedoZoom();
  void ZoomToStage(int Stage);
  bool CanZoomBack() const;
  bool CanRedoZoom() const;
  int ZoomStage() const;
  int ZoomBufferSize() const;
  bool ZoomDragging() const { return FZoomDragging; }
  // The rubber band while zoom dragging (normalised).
  QRect RubberBand() const;
  // Scroll bar action (QAbstractSlider::SliderAction) on the bar of one direction.
  void ScrollBarScroll(bool Horizontal, int Action, int Position);

  // ---- persistence (RtGraph2DPersist.cpp): the whole graph (TRtGraphIO), with the values of
  // its vectors when IncludeValues; reading holds updates and the loading state, and raises with
  // what was read applied; a file holds the stream form.
  void WriteTo(TRtStreamWriter& Writer, bool IncludeValues) const;
  void ReadFrom(TRtStreamReader& Reader);
  void WriteTo(QDomNode Parent, bool IncludeValues) const;
  void ReadFrom(const QDomElement& Element);
  void WriteTo(TIniFile& Ini, const QString& Section, bool IncludeValues) const;
  void ReadFrom(const TIniFile& Ini, const QString& Section);
  void WriteTo(const QString& FileName, bool IncludeValues) const;
  void ReadFrom(const QString& FileName);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void childEvent(QChildEvent* e) override;

 private:
  void Repaint();
  void RepaintPart();
  void SchedulePaint();
  bool NeedsLayout() const;
  // What the picture's layout depends on (size, data area, axis mappings and ticks, clipping):
  // a part repaint needs it unchanged since the last whole paint.
  std::vector<double> FrameKey() const;
  // Collects what changed since the last paint of the picture; false when the whole picture
  // must be painted. Leaves the picture alone.
  bool CollectPart(QRegion& Part);
  void StyleChanged();
  void TestPrimaryAxis();
  void PollSeries();
  void PaintContent(QPainter& P);
  void PaintGrid(QPainter& P);
  void ClipToVisibleData(QPainter& P) const;
  void UpdateScrollBars();
  void PlaceScrollBar(bool Horizontal);
  void EndZoomDrag();
  void EndPanning();
  void StartPanning();
  void PanTo(QPoint Pos);
  void ScrollBarAction(bool Horizontal, int Action);
  TRtAxis* FirstAxis(bool Horizontal) const;

  int FUpdateCount = 0;
  bool FRecalculate = true;
  bool FLoading = false;
  bool FOnce = true;
  bool FDoingImage = false;
  bool FPainting = false;
  TRtColor FBackColor = RtColors::Transparent;
  TRtGradientSettings* FBackgroundGradient;
  TRtRichCaptionRec FTitleRec;
  TRtFont* FCaptionFont;
  bool FCaptionVisible = false;
  TAlignment FCaptionAlignment = TAlignment::taCenter;
  float FCaptionDistanceBefore = 0, FCaptionDistanceAfter = 0;
  TRtSmoothingMode FSmoothingMode = TRtSmoothingMode::HighQuality;
  QPointer<TRtUndoStack> FUndoStack;
  QTimer FPollingTimer;

  QPointer<TRtAxis> FPrimaryXAxis, FPrimaryYAxis;
  QRectF FDrawingArea{0, 0, 600, 400};
  TRtColor FDataAreaColor = RtColors::Transparent;
  TRtGradientSettings* FDataAreaGradient;
  TRtLineSettings* FDataAreaFrame;
  TRtLineSettings* FMajorGridHorizontal;
  TRtLineSettings* FMinorGridHorizontal;
  TRtLineSettings* FMajorGridVertical;
  TRtLineSettings* FMinorGridVertical;
  float FDistanceBorderAxisTop = 0, FDistanceBorderAxisBottom = 0, FDistanceBorderAxisLeft = 0,
        FDistanceBorderAxisRight = 0;
  bool FZeroOrigin = false;

  TRtZoomSettings* FZoom;
  QPoint FDragStart, FLastDrag;
  bool FZoomDragging = false, FPanDragging = false, FPressed = false;
  QCursor FOldCursor;
  std::vector<double> FInitialStarts, FInitialStops;
  std::vector<TRtAxis*> FPanAxes;
  IRtGraphLegend* FMouseLegend = nullptr;

  QScrollBar* FHScrollBar = nullptr;
  QScrollBar* FVScrollbar = nullptr;
  bool FDoHScrollBar = false, FDoVScrollBar = false;
  bool FSettingScrollBars = false;

  QImage FBuffer;
  bool FBufferDirty = true;
  // Only series points or legends changed since the picture was painted.
  bool FPartPending = false, FLegendsChanged = false;
  const QRegion* FRepaintRegion = nullptr;
  std::vector<double> FFrameKey;
  std::vector<QRect> FLegendRects;
  int FWholePaints = 0, FPartPaints = 0;
  // Pacing of slow repaints (chart/graph/RtRepaintPacing.h).
  QTimer FRepaintTimer;
  double FLastPaintMs = 0;
  QElapsedTimer FSincePaint;
};
