#include "chart/legend/RtLegend.h"

#include <algorithm>
#include <cmath>

#include "chart/io/RtClassRegistry.h"
#include "chart/series/RtSeries.h"

RT_REGISTER_CLASS(TRtLegend)

namespace {

TRtFont* MakeFont(QObject* Owner, const char* Name, float Size, bool Bold, TRtColor Color) {
  auto* f = new TRtFont(Owner);
  const QSignalBlocker block(f);
  f->setObjectName(QString::fromLatin1(Name));
  f->SetName(QStringLiteral("Arial"));
  f->SetSize(Size);
  if (Bold) f->SetStyle(TRtFontStyle::Bold);
  f->SetFillColor(Color);
  return f;
}

bool IsDocked(TRtLegendPosition p) {
  return p != TRtLegendPosition::FreeFloating;
}

void ApplySmoothing(QPainter& P, const TRtGraphBase* Graph) {
  const TRtSmoothingMode m = Graph ? Graph->SmoothingMode() : TRtSmoothingMode::HighQuality;
  const bool smooth = m == TRtSmoothingMode::AntiAlias || m == TRtSmoothingMode::HighQuality;
  P.setRenderHint(QPainter::Antialiasing, smooth);
  P.setRenderHint(QPainter::TextAntialiasing, true);
  P.setRenderHint(QPainter::SmoothPixmapTransform, m == TRtSmoothingMode::HighQuality);
}

}  // namespace

// ---- TRtCustomLegend

TRtCustomLegend::TRtCustomLegend(QObject* AOwner)
    : QObject(AOwner),
      FFont(MakeFont(this, "Font", 9, false, RtColors::Black)),
      FCaptionFont(MakeFont(this, "CaptionFont", 11, true, RtControlTextColor())),
      FBackgroundGradient(new TRtGradientSettings(this)),
      FFrame(new TRtLineSettings(this)) {
  FBackgroundGradient->setObjectName(QStringLiteral("BackgroundGradient"));
  FFrame->setObjectName(QStringLiteral("Frame"));
  {
    const QSignalBlocker block(FFrame);
    FFrame->SetColor(RtWindowFrameColor());
  }
  FCaptionRec.Font = FCaptionFont;
  FCaptionRec.Align = TRtContentAlignment::TopCenter;
  for (TRtFont* f : {FFont, FCaptionFont}) {
    connect(f, &TRtFont::NeedsResize, this, [this] { Modified(); });
    connect(f, &TRtFont::NeedsInvalidate, this, [this] { Repaint(); });
  }
  // The gradient decides whether a shadow is drawn, and so the size.
  connect(FBackgroundGradient, &TRtStyleObject::Changed, this, [this] { Modified(); });
  connect(FFrame, &TRtStyleObject::Changed, this, [this] { Repaint(); });
}

TRtCustomLegend::~TRtCustomLegend() {
  DetachGraph();
}

void TRtCustomLegend::Record(const char* Comment, const char* PropName) {
  if (Recording()) FUndoStack->PushProperty(this, QString::fromUtf8(Comment), PropName);
}

void TRtCustomLegend::Repaint() {
  if (FGraph) FGraph->LegendChanged();
}

void TRtCustomLegend::Modified() {
  FRecalculate = true;
  Repaint();
}

void TRtCustomLegend::SetGraph(TRtGraphBase* Graph) {
  if (Graph == FGraph) return;
  Record("Legend graph", "Graph");
  AttachGraph(Graph);
}

void TRtCustomLegend::AttachGraph(TRtGraphBase* Graph) {
  TRtGraphBase* old = FGraph;
  DetachGraph();
  if (old && FVisible && IsDocked(LegendPosition())) old->Modified();
  if (old) old->Invalidate();
  FGraph = Graph;
  if (FGraph) {
    FGraph->AddLegend(this);
    fGraphConnection = connect(FGraph->GraphObject(), &QObject::destroyed, this, [this] {
      FGraph = nullptr;
      FItems.clear();
    });
    if (FGraph->UndoStack()) SetUndoStack(FGraph->UndoStack());
  }
  Modified();
}

void TRtCustomLegend::DetachGraph() {
  if (!FGraph) return;
  disconnect(fGraphConnection);
  FGraph->RemoveLegend(this);
  FGraph = nullptr;
  FItems.clear();
}

void TRtCustomLegend::SetUndoStack(TRtUndoStack* Stack) {
  FUndoStack = Stack;
  FFont->SetUndoStack(Stack);
  FCaptionFont->SetUndoStack(Stack);
  FFrame->SetUndoStack(Stack);
  FBackgroundGradient->SetUndoStack(Stack);
}

// ---- element

void TRtCustomLegend::SetLeft(int v) {
  if (v == FLeft) return;
  FLeft = v;
  Repaint();
}

void TRtCustomLegend::SetTop(int v) {
  if (v == FTop) return;
  FTop = v;
  Repaint();
}

void TRtCustomLegend::SetLegendOrigin(int ALeft, int ATop) {
  FLeft = ALeft;
  FTop = ATop;
}

void TRtCustomLegend::SetSize(int AWidth, int AHeight) {
  if (AWidth == FBoundsWidth && AHeight == FBoundsHeight) return;
  FBoundsWidth = AWidth;
  FBoundsHeight = AHeight;
  // Sizing itself happens while the graph lays out or paints: no notice then.
  if (!FSetting) Modified();
}

void TRtCustomLegend::SetVisible(bool v) {
  if (v == FVisible) return;
  Record("Legend visible", "Visible");
  FVisible = v;
  if (FGraph && IsDocked(LegendPosition())) FGraph->Modified();
  Repaint();
}

void TRtCustomLegend::SetAutoSize(bool v) {
  ChangeLayout(FAutoSize, v, "Legend auto size", "AutoSize");
}

// ---- entries

void TRtCustomLegend::SetColumns(int v) {
  ChangeLayout(FColumns, std::max(v, 1), "Legend number of columns", "Columns");
}

void TRtCustomLegend::SetRows(int v) {
  ChangeLayout(FRows, std::max(v, 1), "Legend number of rows", "Rows");
}

void TRtCustomLegend::SetItemsOrder(TRtItemsOrder v) {
  ChangeLayout(FItemsOrder, v, "Legend items order by row/column", "ItemsOrder");
}

void TRtCustomLegend::SetItemWidth(float v) {
  ChangeLayout(FItemWidth, v, "Legend item width", "ItemWidth");
}

void TRtCustomLegend::SetItemHeight(float v) {
  ChangeLayout(FItemHeightSet, v, "Legend items height", "ItemHeight");
}

void TRtCustomLegend::SetDistanceItemCaption(float v) {
  ChangeLayout(FDistanceItemCaption, v, "Distance between legend items and caption",
               "DistanceItemCaption");
}

void TRtCustomLegend::SetDistanceBetweenLines(float v) {
  ChangeLayout(FDistanceBetweenLines, v, "Distance between legend item lines",
               "DistanceBetweenLines");
}

void TRtCustomLegend::SetDistanceBetweenColumns(float v) {
  ChangeLayout(FDistanceBetweenColumns, v, "Distance between legend item columns",
               "DistanceBetweenColumns");
}

void TRtCustomLegend::SetDistanceToBorder(float v) {
  ChangeLayout(FDistanceToBorder, v, "Distance of legend items to border", "DistanceToBorder");
}

// ---- title

void TRtCustomLegend::SetCaption(const QString& v) {
  ChangeLayout(FCaptionRec.Caption, v, "Legend caption", "Caption");
}

void TRtCustomLegend::SetCaptionVisible(bool v) {
  ChangeLayout(FCaptionVisible, v, "Legend caption visibility", "CaptionVisible");
}

void TRtCustomLegend::SetCaptionAlignment(TAlignment v) {
  ChangeLayout(FCaptionAlignment, v, "Legend caption alignment", "CaptionAlignment");
}

void TRtCustomLegend::SetCaptionDistanceBefore(float v) {
  ChangeLayout(FCaptionDistanceBefore, v, "Distance before legend caption",
               "CaptionDistanceBefore");
}

void TRtCustomLegend::SetCaptionDistanceAfter(float v) {
  ChangeLayout(FCaptionDistanceAfter, v, "Distance after legend caption", "CaptionDistanceAfter");
}

// ---- box

void TRtCustomLegend::SetBackColor(TRtColor v) {
  // The background's opacity decides whether a shadow is drawn, and so the size.
  ChangeLayout(FBackColor, v, "Legend back color", "BackColor");
}

void TRtCustomLegend::SetDropShadow(bool v) {
  ChangeLayout(FDropShadow, v, "Drop shadow below legend", "DropShadow");
}

void TRtCustomLegend::SetBorderStyle(bool& Field, bool v, const char* Comment,
                                     const char* PropName) {
  if (Field == v) return;
  // The border style and the frame line it hides are undone together.
  const TRtUndoGroupScope group(v && FFrame->Visible() ? FUndoStack.data() : nullptr,
                                QString::fromUtf8(Comment));
  Record(Comment, PropName);
  Field = v;
  if (v) FFrame->SetVisible(false);
  Repaint();
}

void TRtCustomLegend::SetBorderRaised(bool v) {
  SetBorderStyle(FBorderRaised, v, "Legend border raised drawing", "BorderRaised");
}

void TRtCustomLegend::SetBorderLowered(bool v) {
  SetBorderStyle(FBorderLowered, v, "Legend border lowered drawing", "BorderLowered");
}

void TRtCustomLegend::SetCornerRounding(float v) {
  if (v == FCornerRounding) return;
  Record("Legend border corner rounding radius", "CornerRounding");
  FCornerRounding = v;
  Repaint();
}

bool TRtCustomLegend::ShadowDrawn() const {
  return FDropShadow && (RtAlpha(FBackColor) >= 200 || FBackgroundGradient->Visible());
}

// ---- collecting, measuring, arranging

bool TRtCustomLegend::ShowsInLegend(TRtSeries* s) const {
  if (!FGraph || !s || !FGraph->HasSeries(s)) return false;
  if (TRtSeries* partner = s->MergeLegendItemWith();
      partner && partner != s && FGraph->HasSeries(partner) && s->SeriesVisible())
    return false;
  if (s->IncludeInLegend() && s->SeriesVisible()) return true;
  for (TRtSeries* o : FGraph->RelatedSeries())
    if (o != s && o->MergeLegendItemWith() == s && o->SeriesVisible()) return true;
  return false;
}

void TRtCustomLegend::AppendItem(TRtSeries* s) {
  if (std::find(FItems.begin(), FItems.end(), s) == FItems.end()) FItems.push_back(s);
}

void TRtCustomLegend::CollectItems() {
  for (TRtSeries* s : FGraph->RelatedSeries())
    if (ShowsInLegend(s)) AppendItem(s);
}

void TRtCustomLegend::MeasureItemHeight() {
  FItemHeight = FItemHeightSet;
  TRtRichCaptionRec m;
  m.Font = FFont;
  m.Caption = QStringLiteral("M");
  RtMeasureRichCaption(m);
  FItemHeight = std::max(FItemHeight, float(std::lround(m.FHeight)));
  const std::vector<TRtSeries*>& from = FItems.empty() ? FGraph->RelatedSeries() : FItems;
  for (TRtSeries* s : from) FItemHeight = std::max(FItemHeight, float(s->GetItemHeight()));
}

void TRtCustomLegend::Arrange() {
  TRtLegendLayoutInput in;
  for (const TRtRichCaptionRec& r : FLegendCaptions) in.Captions.emplace_back(r.FWidth, r.FHeight);
  in.ItemHeight = FItemHeight;
  in.ItemWidth = FItemWidth;
  in.DistanceItemCaption = FDistanceItemCaption;
  in.DistanceBetweenLines = FDistanceBetweenLines;
  in.DistanceBetweenColumns = FDistanceBetweenColumns;
  in.DistanceToBorder = FDistanceToBorder;
  in.Rows = FRows;
  in.Columns = FColumns;
  in.ItemsOrder = FItemsOrder;
  FCaptionRec.Font = FCaptionFont;
  RtMeasureRichCaption(FCaptionRec);
  in.TitleShown = FCaptionVisible && !FCaptionRec.Caption.isEmpty();
  in.Title = QSizeF(FCaptionRec.FWidth, FCaptionRec.FHeight);
  in.TitleAlignment = FCaptionAlignment;
  in.CaptionDistanceBefore = FCaptionDistanceBefore;
  in.CaptionDistanceAfter = FCaptionDistanceAfter;
  in.AutoSize = FAutoSize;
  in.ActualWidth = FBoundsWidth;
  in.DropShadow = ShadowDrawn();
  const TRtLegendLayout out = RtArrangeLegend(in);

  FItemRects = out.ItemRects;
  for (int i = 0; i < FLegendCaptions.Count(); ++i) {
    TRtRichCaptionRec& r = FLegendCaptions.GetValue(i);
    r.X = float(out.CaptionPoints[std::size_t(i)].x());
    r.Y = float(out.CaptionPoints[std::size_t(i)].y());
  }
  FCaptionRec.X = float(out.TitlePoint.x());
  FCaptionRec.Y = float(out.TitlePoint.y());
  FCaptionRec.Align = FCaptionAlignment == TAlignment::taLeftJustify ? TRtContentAlignment::TopLeft
                      : FCaptionAlignment == TAlignment::taRightJustify
                          ? TRtContentAlignment::TopRight
                          : TRtContentAlignment::TopCenter;
  FWidth = out.Width;
  FHeight = out.Height;
  if (FAutoSize) {
    FSetting = true;
    SetSize(out.Size.width(), out.Size.height());
    FSetting = false;
  }
}

void TRtCustomLegend::PreparePaint() {
  if (!FGraph)
    if (auto* g = dynamic_cast<TRtGraphBase*>(parent())) AttachGraph(g);
  if (!FGraph || FGraph->Updating() || !FRecalculate) return;
  // A: entries and their measured captions.
  FItems.clear();
  FLegendCaptions.Clear();
  CollectItems();
  for (int i = 0; i < int(FItems.size()); ++i) {
    TRtSeries* s = FItems[std::size_t(i)];
    TRtLegendItemCaptionEventArgs args{s->Caption(), i};
    if (OnGetLegendItemCaption) OnGetLegendItemCaption(s, args);
    TRtRichCaptionRec r;
    r.Caption = args.Caption;
    r.Font = FFont;
    r.Align = TRtContentAlignment::MiddleLeft;
    r.Angle = 0;
    r.FColorOverride = 0;
    RtMeasureRichCaption(r);
    FLegendCaptions.Add(r);
  }
  MeasureItemHeight();  // B
  Arrange();            // C
  SetCaptionColors();   // D
  FRecalculate = false;
}

// ---- drawing

void TRtCustomLegend::DrawBox(QPainter& P) {
  const float p = std::max(FFrame->Width(), 1.0f);
  QRectF box(p / 2, p / 2, FBoundsWidth - 1 - p, FBoundsHeight - 1 - p);
  const bool shadow = ShadowDrawn();
  if (shadow) box.adjust(0, 0, -5, -4);
  const qreal r = FCornerRounding;
  P.save();
  if (shadow) {
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0, 0, 0, 90));
    P.drawRoundedRect(box.translated(5, 4), r, r);
  }
  const QRectF client(0, 0, FBoundsWidth, FBoundsHeight);
  P.setPen(Qt::NoPen);
  P.setBrush(FBackgroundGradient->Visible() ? FBackgroundGradient->GetBrush(client)
                                            : QBrush(RtQColor(FBackColor)));
  P.drawRoundedRect(box, r, r);
  if (FBorderRaised || FBorderLowered) {
    const QColor light(255, 255, 255), dark(128, 128, 128);
    const QColor topLeft = FBorderRaised ? light : dark;
    const QColor bottomRight = FBorderRaised ? dark : light;
    const QPolygonF upper({box.bottomLeft(), box.topLeft(), box.topRight()});
    const QPolygonF lower({box.topRight(), box.bottomRight(), box.bottomLeft()});
    P.setBrush(Qt::NoBrush);
    P.setPen(QPen(topLeft, p));
    P.drawPolyline(upper);
    P.setPen(QPen(bottomRight, p));
    P.drawPolyline(lower);
  }
  if (FFrame->Visible()) {
    P.setBrush(Qt::NoBrush);
    P.setPen(FFrame->GetPen(box));
    P.drawRoundedRect(box, r, r);
  }
  P.restore();
}

void TRtCustomLegend::PaintGr(QPainter& Canvas) {
  PreparePaint();
  Canvas.save();
  ApplySmoothing(Canvas, FGraph);
  DrawBox(Canvas);
  if (FCaptionVisible && !FCaptionRec.Caption.isEmpty()) RtDrawRichCaption(FCaptionRec, Canvas);
  const int n = std::min({int(FItems.size()), int(FItemRects.size()), FLegendCaptions.Count()});
  for (int i = 0; i < n; ++i) {
    TRtSeries* s = FItems[std::size_t(i)];
    // Entries wait for the next collection while the graph updates; gone series are skipped.
    if (!FGraph || !FGraph->HasSeries(s)) continue;
    const QRect rect = FItemRects[std::size_t(i)];
    Canvas.save();
    Canvas.setClipRect(rect, Qt::IntersectClip);
    if (OnDrawLegendItem) {
      TRtLegendItemDrawArgs args{&Canvas, rect, i};
      OnDrawLegendItem(s, args);
    } else {
      s->DrawMergedItems(Canvas, QRectF(rect));
    }
    Canvas.restore();
    RtDrawRichCaption(FLegendCaptions.GetValue(i), Canvas);
  }
  Canvas.restore();
}

// ---- TRtLegend

TRtLegend::TRtLegend(QObject* AOwner) : TRtCustomLegend(AOwner) {}

void TRtLegend::SetGraphComponent(QObject* v) {
  SetGraph(dynamic_cast<TRtGraphBase*>(v));
}

void TRtLegend::Modified() {
  FRecalculate = true;
  if (FGraph && IsDocked(FPosition)) FGraph->Modified();
  Repaint();
}

void TRtLegend::SetPosition(TRtLegendPosition v) {
  if (v == FPosition) return;
  if (FPosition == TRtLegendPosition::FreeFloating && Recording()) {
    const TRtUndoGroupScope group(FUndoStack.data(), QStringLiteral("Legend position"));
    for (const char* name : {"Left", "Top", "ItemsOrder", "Position"})
      Record("Legend position", name);
  } else {
    Record("Legend position", "Position");
  }
  FPosition = v;
  switch (v) {
    case TRtLegendPosition::BottomCenterOfGraph:
    case TRtLegendPosition::BottomCenterOfAxis:
    case TRtLegendPosition::TopCenterOfGraph:
    case TRtLegendPosition::TopCenterOfAxis:
      FItemsOrder = TRtItemsOrder::ByRow;
      break;
    case TRtLegendPosition::FreeFloating:
      break;
    default:
      FItemsOrder = TRtItemsOrder::ByColumn;
      break;
  }
  FRecalculate = true;
  if (FGraph) FGraph->Modified();
  Repaint();
}

void TRtLegend::SetItemsOrderList(const QStringList& v) {
  ChangeLayout(FItemsOrderList, v, "Legend items order list", "ItemsOrderList");
}

void TRtLegend::SetLegendCaptionColorFrom(TRtLegendCaptionColorFrom v) {
  ChangeLayout(FLegendCaptionColorFrom, v, "Legend caption color source", "LegendCaptionColorFrom");
}

void TRtLegend::CollectItems() {
  for (const QString& name : FItemsOrderList)
    for (TRtSeries* s : FGraph->RelatedSeries())
      if (s->objectName().compare(name, Qt::CaseInsensitive) == 0 && ShowsInLegend(s))
        AppendItem(s);
  TRtCustomLegend::CollectItems();
}

void TRtLegend::SetCaptionColors() {
  for (int i = 0; i < FLegendCaptions.Count(); ++i) {
    const TRtSeries* s = FItems[std::size_t(i)];
    TRtColor c = 0;
    if (FLegendCaptionColorFrom == TRtLegendCaptionColorFrom::SeriesLineColor)
      c = s->Line()->Color();
    else if (FLegendCaptionColorFrom == TRtLegendCaptionColorFrom::SeriesAreaForeColor)
      c = s->Area()->ForeColor();
    FLegendCaptions.GetValue(i).FColorOverride = c;
  }
}

bool TRtLegend::LegendMousePress(QPoint Pos, Qt::MouseButtons Buttons,
                                 Qt::KeyboardModifiers Modifiers) {
  if (!FGraph || !FVisible || FPosition != TRtLegendPosition::FreeFloating ||
      !LegendBounds().contains(Pos) || RtShiftState(Buttons, Modifiers) != FStartMoveKeys)
    return false;
  if (Recording()) {
    const TRtUndoGroupScope group(FUndoStack.data(), QStringLiteral("Legend position"));
    Record("Legend position", "Left");
    Record("Legend position", "Top");
  }
  FDragging = true;
  FDragStart = Pos;
  FOldLocation = QPoint(FLeft, FTop);
  if (OnStartFreeFloating) OnStartFreeFloating(this);
  return true;
}

void TRtLegend::LegendMouseMove(QPoint Pos) {
  if (!FDragging) return;
  FLeft = FOldLocation.x() + (Pos.x() - FDragStart.x());
  FTop = FOldLocation.y() + (Pos.y() - FDragStart.y());
  Repaint();
}

void TRtLegend::LegendMouseRelease(QPoint Pos) {
  if (!FDragging) return;
  LegendMouseMove(Pos);
  FDragging = false;
}
