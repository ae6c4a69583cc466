// The legend of a graph: a box listing the graph's series that are included in the legend, each
// as a small sample of its line and symbol followed by its caption, with an optional title. It
// is an element of the graph (not a window): the graph places a docked legend, paints every
// visible legend last and hands it the mouse first (IRtGraphLegend). A free-floating legend is
// dragged with the mouse.
//
// TRtCustomLegend collects, measures, arranges and draws; TRtLegend adds the position on the
// graph, the entry order by series name, the caption colours taken from the series and the drag.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPainter>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <functional>
#include <vector>

#include "chart/core/RtGraphBase.h"
#include "chart/draw/RtRichText.h"
#include "chart/draw/RtStyles.h"
#include "chart/io/RtPersistent.h"
#include "chart/legend/RtLegendLayout.h"
#include "chart/undo/RtUndoStack.h"

class TRtSeries;
class TRtCustomLegend;
class TRtLegend;

struct TRtLegendItemDrawArgs {
  QPainter* Graphics = nullptr;
  QRect Rect;
  int Index = 0;
};
struct TRtLegendItemCaptionEventArgs {
  QString Caption;
  int Index = 0;
};
using TRtLegendItemDrawEvent = std::function<void(TRtSeries*, TRtLegendItemDrawArgs&)>;
using TRtLegendItemCaptionEvent = std::function<void(TRtSeries*, TRtLegendItemCaptionEventArgs&)>;

class TRtCustomLegend : public QObject, public IRtGraphLegend {
  Q_OBJECT
  // Element rectangle in graph client pixels.
  Q_PROPERTY(int Left READ Left WRITE SetLeft)
  Q_PROPERTY(int Top READ Top WRITE SetTop)
  Q_PROPERTY(int Width READ Width WRITE SetWidth)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  // Entries
  Q_PROPERTY(TRtFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(quint32 ForeColor READ ForeColor WRITE SetForeColor)
  Q_PROPERTY(int Columns READ Columns WRITE SetColumns)
  Q_PROPERTY(int Rows READ Rows WRITE SetRows)
  Q_PROPERTY(RtLegendTypes::TRtItemsOrder ItemsOrder READ ItemsOrder WRITE SetItemsOrder)
  Q_PROPERTY(float ItemWidth READ ItemWidth WRITE SetItemWidth)
  Q_PROPERTY(float ItemHeight READ ItemHeight WRITE SetItemHeight)
  Q_PROPERTY(float DistanceItemCaption READ DistanceItemCaption WRITE SetDistanceItemCaption)
  Q_PROPERTY(float DistanceBetweenLines READ DistanceBetweenLines WRITE SetDistanceBetweenLines)
  Q_PROPERTY(
      float DistanceBetweenColumns READ DistanceBetweenColumns WRITE SetDistanceBetweenColumns)
  Q_PROPERTY(float DistanceToBorder READ DistanceToBorder WRITE SetDistanceToBorder)
  // Title
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(TRtFont* CaptionFont READ CaptionFont WRITE SetCaptionFont)
  Q_PROPERTY(quint32 CaptionColor READ CaptionColor WRITE SetCaptionColor)
  Q_PROPERTY(bool CaptionVisible READ CaptionVisible WRITE SetCaptionVisible)
  Q_PROPERTY(RtDraw::TAlignment CaptionAlignment READ CaptionAlignment WRITE SetCaptionAlignment)
  Q_PROPERTY(float CaptionDistanceBefore READ CaptionDistanceBefore WRITE SetCaptionDistanceBefore)
  Q_PROPERTY(float CaptionDistanceAfter READ CaptionDistanceAfter WRITE SetCaptionDistanceAfter)
  // Box
  Q_PROPERTY(quint32 BackColor READ BackColor WRITE SetBackColor)
  Q_PROPERTY(
      TRtGradientSettings* BackgroundGradient READ BackgroundGradient WRITE SetBackgroundGradient)
  Q_PROPERTY(TRtLineSettings* Frame READ Frame WRITE SetFrame)
  Q_PROPERTY(bool DropShadow READ DropShadow WRITE SetDropShadow)
  Q_PROPERTY(bool BorderRaised READ BorderRaised WRITE SetBorderRaised)
  Q_PROPERTY(bool BorderLowered READ BorderLowered WRITE SetBorderLowered)
  Q_PROPERTY(float CornerRounding READ CornerRounding WRITE SetCornerRounding)

 public:
  explicit TRtCustomLegend(QObject* AOwner = nullptr);
  ~TRtCustomLegend() override;

  // ---- graph and undo
  TRtGraphBase* Graph() const { return FGraph; }
  // Registers the legend in Graph's legend list and takes over its undo stack.
  void SetGraph(TRtGraphBase* Graph);
  TRtUndoStack* UndoStack() const { return FUndoStack.data(); }
  // Also hands the stack to the fonts, the frame and the gradient. Invokable: the graph hands
  // its stack to its legends by name.
  Q_INVOKABLE void SetUndoStack(TRtUndoStack* Stack);

  // ---- element
  int Left() const { return FLeft; }
  void SetLeft(int v);
  int Top() const { return FTop; }
  void SetTop(int v);
  int Width() const { return FBoundsWidth; }
  void SetWidth(int v) { SetSize(v, FBoundsHeight); }
  int Height() const { return FBoundsHeight; }
  void SetHeight(int v) { SetSize(FBoundsWidth, v); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);

  // ---- entries
  TRtFont* Font() const { return FFont; }
  void SetFont(TRtFont* v) {
    if (v) FFont->AssignAll(*v);
  }
  // The entry font's colour.
  TRtColor ForeColor() const { return FFont->FillColor(); }
  void SetForeColor(TRtColor v) { FFont->SetFillColor(v); }
  int Columns() const { return FColumns; }
  // Never below 1.
  void SetColumns(int v);
  int Rows() const { return FRows; }
  void SetRows(int v);
  TRtItemsOrder ItemsOrder() const { return FItemsOrder; }
  void SetItemsOrder(TRtItemsOrder v);
  float ItemWidth() const { return FItemWidth; }
  void SetItemWidth(float v);
  // The height asked for; the effective one (EffectiveItemHeight) may be larger.
  float ItemHeight() const { return FItemHeightSet; }
  void SetItemHeight(float v);
  float EffectiveItemHeight() const { return FItemHeight; }
  float DistanceItemCaption() const { return FDistanceItemCaption; }
  void SetDistanceItemCaption(float v);
  float DistanceBetweenLines() const { return FDistanceBetweenLines; }
  void SetDistanceBetweenLines(float v);
  float DistanceBetweenColumns() const { return FDistanceBetweenColumns; }
  void SetDistanceBetweenColumns(float v);
  float DistanceToBorder() const { return FDistanceToBorder; }
  void SetDistanceToBorder(float v);

  // ---- title
  QString Caption() const { return FCaptionRec.Caption; }
  void SetCaption(const QString& v);
  TRtFont* CaptionFont() const { return FCaptionFont; }
  void SetCaptionFont(TRtFont* v) {
    if (v) FCaptionFont->AssignAll(*v);
  }
  TRtColor CaptionColor() const { return FCaptionFont->FillColor(); }
  void SetCaptionColor(TRtColor v) { FCaptionFont->SetFillColor(v); }
  bool CaptionVisible() const { return FCaptionVisible; }
  void SetCaptionVisible(bool v);
  TAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TAlignment v);
  float CaptionDistanceBefore() const { return FCaptionDistanceBefore; }
  void SetCaptionDistanceBefore(float v);
  float CaptionDistanceAfter() const { return FCaptionDistanceAfter; }
  void SetCaptionDistanceAfter(float v);

  // ---- box
  TRtColor BackColor() const { return FBackColor; }
  void SetBackColor(TRtColor v);
  TRtGradientSettings* BackgroundGradient() const { return FBackgroundGradient; }
  void SetBackgroundGradient(TRtGradientSettings* v) {
    if (v) FBackgroundGradient->Assign(*v);
  }
  TRtLineSettings* Frame() const { return FFrame; }
  void SetFrame(TRtLineSettings* v) {
    if (v) FFrame->Assign(*v);
  }
  bool DropShadow() const { return FDropShadow; }
  void SetDropShadow(bool v);
  // Either border style hides the frame line.
  bool BorderRaised() const { return FBorderRaised; }
  void SetBorderRaised(bool v);
  bool BorderLowered() const { return FBorderLowered; }
  void SetBorderLowered(bool v);
  float CornerRounding() const { return FCornerRounding; }
  void SetCornerRounding(float v);
  // A shadow is drawn only below a fairly opaque background (alpha >= 200) or a gradient.
  bool ShadowDrawn() const;

  // ---- events
  TRtLegendItemDrawEvent OnDrawLegendItem;
  TRtLegendItemCaptionEvent OnGetLegendItemCaption;

  // ---- results of PreparePaint
  const std::vector<TRtSeries*>& Items() const { return FItems; }
  const TRtRichCaptionRecVector& LegendCaptions() const { return FLegendCaptions; }
  const std::vector<QRect>& ItemRects() const { return FItemRects; }
  const TRtRichCaptionRec& CaptionRec() const { return FCaptionRec; }
  // Content size.
  int ContentWidth() const { return FWidth; }
  int ContentHeight() const { return FHeight; }
  bool NeedsRecalculate() const { return FRecalculate; }

  // ---- IRtGraphLegend
  QObject* LegendObject() override { return this; }
  bool LegendVisible() const override { return FVisible; }
  TRtLegendPosition LegendPosition() const override { return TRtLegendPosition::FreeFloating; }
  QRect LegendBounds() const override { return {FLeft, FTop, FBoundsWidth, FBoundsHeight}; }
  void SetLegendOrigin(int ALeft, int ATop) override;
  // With no graph set and a graph as owner, the owner becomes the graph.
  void PreparePaint() override;
  void PaintGr(QPainter& Canvas) override;
  // Entries and layout stale; repaint.
  void Modified() override;
  bool LegendMousePress(QPoint, Qt::MouseButtons, Qt::KeyboardModifiers) override { return false; }
  void LegendMouseMove(QPoint) override {}
  void LegendMouseRelease(QPoint) override {}

 protected:
  void Record(const char* Comment, const char* PropName);
  bool Recording() const { return FUndoStack && FUndoStack->Recording(); }
  void Repaint();
  // Records and stores a setting that changes the layout.
  template <typename T>
  bool ChangeLayout(T& Field, const T& Value, const char* Comment, const char* PropName) {
    if (Field == Value) return false;
    Record(Comment, PropName);
    Field = Value;
    Modified();
    return true;
  }
  void SetSize(int AWidth, int AHeight);
  // The series listed in the legend, in entry order (algorithm A without the captions).
  virtual void CollectItems();
  // Caption colour overrides of the entries (none: the entry font's colour).
  virtual void SetCaptionColors() {}
  // A series of the graph that shows in the legend: included and visible, or a visible series
  // of the graph merges its entry into it. A series whose entry goes into such a partner does
  // not show on its own.
  bool ShowsInLegend(TRtSeries* s) const;
  void AppendItem(TRtSeries* s);
  void AttachGraph(TRtGraphBase* Graph);
  void DetachGraph();

  TRtGraphBase* FGraph = nullptr;
  QMetaObject::Connection fGraphConnection;
  QPointer<TRtUndoStack> FUndoStack;
  std::vector<TRtSeries*> FItems;
  TRtRichCaptionRecVector FLegendCaptions;
  std::vector<QRect> FItemRects;
  TRtFont* FFont;
  TRtFont* FCaptionFont;
  TRtRichCaptionRec FCaptionRec;
  bool FCaptionVisible = false;
  TAlignment FCaptionAlignment = TAlignment::taCenter;
  float FCaptionDistanceBefore = 0;
  float FCaptionDistanceAfter = 0;
  TRtColor FBackColor = RtColors::Transparent;
  TRtGradientSettings* FBackgroundGradient;
  TRtLineSettings* FFrame;
  bool FDropShadow = false, FBorderRaised = false, FBorderLowered = false;
  float FCornerRounding = 0;
  int FColumns = 1, FRows = 1;
  TRtItemsOrder FItemsOrder = TRtItemsOrder::ByColumn;
  float FItemWidth = 80;
  float FItemHeightSet = 0;
  float FItemHeight = 0;
  float FDistanceItemCaption = 4;
  float FDistanceBetweenLines = 3;
  float FDistanceBetweenColumns = 10;
  float FDistanceToBorder = 8;
  int FWidth = 0, FHeight = 0;
  bool FRecalculate = true;
  bool FSetting = false;
  bool FAutoSize = true;
  bool FVisible = true;
  int FLeft = 0, FTop = 0, FBoundsWidth = 100, FBoundsHeight = 60;

 private:
  void MeasureItemHeight();
  void Arrange();
  void SetBorderStyle(bool& Field, bool v, const char* Comment, const char* PropName);
  void DrawBox(QPainter& P);
};

class TRtLegend : public TRtCustomLegend, public IRtPersistent {
  Q_OBJECT
  Q_PROPERTY(QObject* Graph READ GraphComponent WRITE SetGraphComponent)
  Q_PROPERTY(RtGraph::TRtLegendPosition Position READ Position WRITE SetPosition)
  Q_PROPERTY(QStringList ItemsOrderList READ ItemsOrderList WRITE SetItemsOrderList)
  Q_PROPERTY(RtLegendTypes::TRtLegendCaptionColorFrom LegendCaptionColorFrom READ
                 LegendCaptionColorFrom WRITE SetLegendCaptionColorFrom)
  Q_PROPERTY(RtLegendTypes::TRtShiftState StartFreeFloatingMovingKeys READ
                 StartFreeFloatingMovingKeys WRITE SetStartFreeFloatingMovingKeys)

 public:
  explicit TRtLegend(QObject* AOwner = nullptr);

  // The graph as a component (a QObject that is a TRtGraphBase).
  QObject* GraphComponent() const { return FGraph ? FGraph->GraphObject() : nullptr; }
  void SetGraphComponent(QObject* v);
  TRtLegendPosition Position() const { return FPosition; }
  // Docked positions order the entries by row (bottom, top) or by column (left, right).
  void SetPosition(TRtLegendPosition v);
  // Series names giving the entry order; unlisted series follow in layer order.
  QStringList ItemsOrderList() const { return FItemsOrderList; }
  void SetItemsOrderList(const QStringList& v);
  TRtLegendCaptionColorFrom LegendCaptionColorFrom() const { return FLegendCaptionColorFrom; }
  void SetLegendCaptionColorFrom(TRtLegendCaptionColorFrom v);
  // Exactly these keys and buttons start dragging a free-floating legend (default left button).
  TRtShiftState StartFreeFloatingMovingKeys() const { return FStartMoveKeys; }
  void SetStartFreeFloatingMovingKeys(TRtShiftState v) { FStartMoveKeys = v; }
  bool Dragging() const { return FDragging; }
  std::function<void(TRtLegend*)> OnStartFreeFloating;

  TRtLegendPosition LegendPosition() const override { return FPosition; }
  void Modified() override;
  bool LegendMousePress(QPoint Pos, Qt::MouseButtons Buttons,
                        Qt::KeyboardModifiers Modifiers) override;
  void LegendMouseMove(QPoint Pos) override;
  void LegendMouseRelease(QPoint Pos) override;

  // ---- persistence (RtLegendPersist.cpp): the published settings by name (TRtLegendIO), the
  // graph as its path; a file holds the stream form.
  void WriteTo(TRtStreamWriter& Writer) const override;
  void ReadFrom(TRtStreamReader& Reader) override;
  void WriteTo(QDomNode Parent) const override;
  void ReadFrom(const QDomElement& Element) override;
  void WriteTo(TIniFile& Ini, const QString& Section) const override;
  void ReadFrom(const TIniFile& Ini, const QString& Section) override;
  void WriteTo(const QString& FileName) const;
  void ReadFrom(const QString& FileName);

 protected:
  void CollectItems() override;
  void SetCaptionColors() override;

 private:
  TRtLegendPosition FPosition = TRtLegendPosition::FreeFloating;
  QStringList FItemsOrderList;
  TRtLegendCaptionColorFrom FLegendCaptionColorFrom = TRtLegendCaptionColorFrom::LegendForeColor;
  TRtShiftState FStartMoveKeys = TRtShiftStateItem::ssLeft;
  bool FDragging = false;
  QPoint FDragStart;
  QPoint FOldLocation;
};
