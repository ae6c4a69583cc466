#include "chart/graph/RtGraph2D.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "chart/data/RtVectors.h"
#include "chart/graph/RtRepaintPacing.h"

namespace {

bool SameMapping(const TRtAxisMapping& a, const TRtAxisMapping& b) {
  return a.kind == b.kind && a.Start == b.Start && a.NormalizeConst == b.NormalizeConst &&
         a.LogStart == b.LogStart && a.Base == b.Base && a.Length == b.Length &&
         a.Forward == b.Forward;
}

TRtLayoutSide SideOf(TRtAxisPosition p) {
  switch (p) {
    case TRtAxisPosition::Bottom:
      return TRtLayoutSide::Bottom;
    case TRtAxisPosition::Left:
      return TRtLayoutSide::Left;
    case TRtAxisPosition::Top:
      return TRtLayoutSide::Top;
    case TRtAxisPosition::Right:
      return TRtLayoutSide::Right;
  }
  return TRtLayoutSide::Bottom;
}

// Label boxes of an axis in element pixels.
std::vector<QRectF> LabelBoxes(const TRtAxis& a) {
  std::vector<QRectF> boxes;
  for (const TRtRichCaptionRec& r : a.AxLabels()) {
    const QPointF off = RtAlignmentOffset(r.Align, r.FWidth, r.FHeight);
    QRectF box(r.X + off.x(), r.Y + off.y(), r.FWidth, r.FHeight);
    if (r.Angle != 0) {
      const double t = r.Angle * M_PI / 180, c = std::abs(std::cos(t)), s = std::abs(std::sin(t));
      const QPointF m = box.center();
      const double w = c * r.FWidth + s * r.FHeight, h = s * r.FWidth + c * r.FHeight;
      box = QRectF(m.x() - w / 2, m.y() - h / 2, w, h);
    }
    boxes.push_back(box);
  }
  return boxes;
}

TRtOverhang AxisOverhang(const TRtAxis& a) {
  TRtOverhangInput in;
  in.Horizontal = a.IsHorizontal();
  in.AxLeft = a.AxLeft();
  in.AxTop = a.AxTop();
  in.AxLength = a.AxLength();
  in.Labels = a.NumbersVisible() ? LabelBoxes(a) : std::vector<QRectF>{};
  if (!a.IsClipped())
    for (IRtAxisSeries* s : a.RelatedSeries()) {
      in.SeriesSpaceNear = std::max(in.SeriesSpaceNear, s->ExtraSpaceAt(in.Horizontal ? 1 : 0));
      in.SeriesSpaceFar = std::max(in.SeriesSpaceFar, s->ExtraSpaceAt(in.Horizontal ? 3 : 2));
    }
  if (a.ArrowPoint()->Visible()) in.ArrowLength = a.ArrowPoint()->PointLength();
  return RtAxisOverhang(in);
}

float AxisBand(const TRtAxis& a) {
  TRtAxisBandInput b;
  const bool h = a.IsHorizontal();
  b.AxisThicknes = a.AxisThicknes();
  b.DistanceToBorder = a.DistanceToBorder();
  b.MajorTickLength = a.MajorTickLength();
  b.LabelExtent = a.NumbersVisible() ? (h ? a.MaxNumberLabelHeight() : a.MaxNumberLabelWidth()) : 0;
  b.DistanceAxisLabels = a.DistanceAxisLabels();
  // A caption turned along a vertical axis takes its text height across the axis.
  b.CaptionSpace = a.CaptionSpace() > 0 && !h && !a.CaptionHorizontalOnVerticalAxis()
                       ? a.CaptionRec().FHeight
                       : a.CaptionSpace();
  b.DistanceNumbersCaption = a.DistanceNumbersCaption();
  b.ExponentCaption = a.ExtraExponentShown();
  b.ExponentExtent = h ? a.ExtraExponentRec().FHeight : a.ExtraExponentRec().FWidth;
  b.DistanceAxisExtraExponent = a.DistanceAxisExtraExponent();
  return RtAxisBandThickness(b);
}

void ApplyAxisLine(TRtAxis* a, const TRtLayoutAxis& l) {
  a->SetBounds(l.Bounds.x(), l.Bounds.y(), l.Bounds.width(), l.Bounds.height());
  a->SetAxisLine(l.AxLeft, l.AxTop, l.AxLength);
  a->CalculateTicks();
}

QPen GridPen(const TRtLineSettings* s) {
  QPen p = s->GetPen();
  p.setCapStyle(Qt::FlatCap);
  return p;
}

const char* const kImageFormats[] = {"", "BMP", "JPEG", "PNG", "GIF", "TIFF"};

}  // namespace

TRtGraph2D::TRtGraph2D(QWidget* parent) : QWidget(parent) {
  resize(600, 400);
  setMouseTracking(false);
  auto child = [this](auto* o, const char* name) {
    o->setObjectName(name);
    connect(o, &TRtStyleObject::Changed, this, [this] { StyleChanged(); });
    return o;
  };
  FBackgroundGradient = child(new TRtGradientSettings(this), "BackgroundGradient");
  FDataAreaGradient = child(new TRtGradientSettings(this), "DataAreaGradient");
  FDataAreaFrame = child(new TRtLineSettings(this), "DataAreaFrame");
  FMajorGridHorizontal = child(new TRtLineSettings(this), "MajorGridHorizontal");
  FMinorGridHorizontal = child(new TRtLineSettings(this), "MinorGridHorizontal");
  FMajorGridVertical = child(new TRtLineSettings(this), "MajorGridVertical");
  FMinorGridVertical = child(new TRtLineSettings(this), "MinorGridVertical");
  for (TRtLineSettings* s : {FDataAreaFrame, FMajorGridHorizontal, FMinorGridHorizontal,
                             FMajorGridVertical, FMinorGridVertical}) {
    const QSignalBlocker b(s);
    s->SetVisible(false);
  }
  {
    const QSignalBlocker b1(FDataAreaFrame), b2(FMajorGridHorizontal), b3(FMajorGridVertical),
        b4(FMinorGridHorizontal), b5(FMinorGridVertical);
    FDataAreaFrame->SetColor(RtColors::Black);
    for (TRtLineSettings* s : {FMajorGridHorizontal, FMajorGridVertical}) {
      s->SetColor(RtColors::Green);
      s->SetDashStyle(TDashStyle::DashStyleDash);
    }
    for (TRtLineSettings* s : {FMinorGridHorizontal, FMinorGridVertical}) {
      s->SetColor(RtColors::Gray);
      s->SetDashStyle(TDashStyle::DashStyleDot);
    }
  }
  FCaptionFont = new TRtFont(this);
  FCaptionFont->setObjectName("CaptionFont");
  FCaptionFont->SetFillColor(RtColors::Black);
  connect(FCaptionFont, &TRtFont::NeedsResize, this, [this] { Modified(); });
  connect(FCaptionFont, &TRtFont::NeedsInvalidate, this, [this] { Invalidate(); });
  FTitleRec.Font = FCaptionFont;
  FTitleRec.Align = TRtContentAlignment::TopCenter;
  FZoom = new TRtZoomSettings(this);

  FHScrollBar = new QScrollBar(Qt::Horizontal, this);
  FVScrollbar = new QScrollBar(Qt::Vertical, this);
  for (QScrollBar* b : {FHScrollBar, FVScrollbar}) {
    const bool h = b == FHScrollBar;
    b->setObjectName(h ? "HScrollBar" : "VScrollBar");
    b->setRange(0, 10000);
    b->hide();
    connect(b, &QAbstractSlider::actionTriggered, this,
            [this, h](int action) { ScrollBarAction(h, action); });
    connect(b, &QAbstractSlider::sliderReleased, this, [this, h] {
      ScrollBarScroll(h, -1, (h ? FHScrollBar : FVScrollbar)->sliderPosition());
    });
  }

  FPollingTimer.setInterval(50);
  connect(&FPollingTimer, &QTimer::timeout, this, [this] { PollingStep(); });
  FRepaintTimer.setSingleShot(true);
  connect(&FRepaintTimer, &QTimer::timeout, this, [this] { update(); });
}

TRtGraph2D::~TRtGraph2D() {
  FPollingTimer.stop();
  // Elements owned by the graph (the axes it made itself, or a legend or series given the graph
  // as owner) leave it while it is still whole: their destructors call back into the lists.
  std::vector<QObject*> elements;
  for (IRtGraphLegend* l : RelatedLegends())
    if (l->LegendObject() && l->LegendObject()->parent() == this)
      elements.push_back(l->LegendObject());
  for (QObject* o : children())
    if (qobject_cast<TRtAxis*>(o) || qobject_cast<TRtSeries*>(o)) elements.push_back(o);
  for (QObject* o : elements) delete o;
}

// ---- notices

void TRtGraph2D::Repaint() {
  if (FPainting) return;
  FBufferDirty = true;
  SchedulePaint();
}

void TRtGraph2D::RepaintPart() {
  if (FPainting) return;
  FPartPending = true;
  SchedulePaint();
}

void TRtGraph2D::SchedulePaint() {
  if (FRepaintTimer.isActive()) return;
  const int wait =
      FSincePaint.isValid() ? RtRepaintDelayMs(FLastPaintMs, FSincePaint.nsecsElapsed() / 1e6) : 0;
  if (wait > 0)
    FRepaintTimer.start(wait);
  else
    update();
}

void TRtGraph2D::NotePaintLength(double Ms) {
  FLastPaintMs = Ms;
  FSincePaint.start();
}

void TRtGraph2D::Invalidate() {
  Repaint();
}

void TRtGraph2D::StyleChanged() {
  Repaint();
}

void TRtGraph2D::Modified() {
  if (FPainting) return;
  FRecalculate = true;
  if (!Axes().empty()) Axes().front()->Modified();
  Repaint();
}

void TRtGraph2D::SeriesModified() {
  for (TRtSeries* s : RelatedSeries()) s->PointsModified();
  if (!FPanDragging) Repaint();
}

void TRtGraph2D::SeriesPointsChanged() {
  RepaintPart();
}

void TRtGraph2D::LegendChanged() {
  if (FPainting) return;
  FLegendsChanged = true;
  RepaintPart();
}

void TRtGraph2D::LegendsModified() {
  for (IRtGraphLegend* l : RelatedLegends()) l->Modified();
}

void TRtGraph2D::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0 && NeedsLayout()) Repaint();
}

bool TRtGraph2D::NeedsLayout() const {
  if (FRecalculate) return true;
  for (TRtAxis* a : Axes())
    if (a->NeedsRecalculate()) return true;
  return false;
}

TRtAxis* TRtGraph2D::FirstAxis(bool Horizontal) const {
  for (TRtAxis* a : Axes())
    if (a->IsHorizontal() == Horizontal) return a;
  return nullptr;
}

TRtAxis* TRtGraph2D::PrimaryXAxis() const {
  return FPrimaryXAxis ? FPrimaryXAxis.data() : FirstAxis(true);
}

TRtAxis* TRtGraph2D::PrimaryYAxis() const {
  return FPrimaryYAxis ? FPrimaryYAxis.data() : FirstAxis(false);
}

void TRtGraph2D::SetPrimaryXAxis(TRtAxis* a) {
  FPrimaryXAxis = a;
  if (a && a->Graph() != this) a->SetGraph(this);
  Modified();
}

void TRtGraph2D::SetPrimaryYAxis(TRtAxis* a) {
  FPrimaryYAxis = a;
  if (a && a->Graph() != this) a->SetGraph(this);
  Modified();
}

void TRtGraph2D::SetScrollbarVisible(bool Horizontal, bool Value) {
  if (Horizontal)
    FZoom->SetHScrollbarVisible(Value);
  else
    FZoom->SetVScrollbarVisible(Value);
}

// ---- settings

namespace {
template <typename T>
bool Store(T& Field, const T& Value, TRtUndoStack* Stack, QObject* Obj, const char* Comment,
           const char* Prop) {
  if (Field == Value) return false;
  if (Stack && Stack->Recording()) Stack->PushProperty(Obj, Comment, Prop);
  Field = Value;
  return true;
}
}  // namespace

void TRtGraph2D::SetBackColor(TRtColor v) {
  if (Store(FBackColor, v, UndoStack(), this, "Graph back color", "BackColor")) Repaint();
}

void TRtGraph2D::SetDataAreaColor(TRtColor v) {
  if (Store(FDataAreaColor, v, UndoStack(), this, "Graph data area color", "DataAreaColor"))
    Repaint();
}

void TRtGraph2D::SetCaption(const QString& v) {
  QString t = v;
  while (t.endsWith(' ')) t.chop(1);
  if (Store(FTitleRec.Caption, t, UndoStack(), this, "Graph caption", "Caption")) Modified();
}

void TRtGraph2D::SetCaptionVisible(bool v) {
  if (Store(FCaptionVisible, v, UndoStack(), this, "Graph caption visible", "CaptionVisible"))
    Modified();
}

void TRtGraph2D::SetCaptionAlignment(TAlignment v) {
  if (Store(FCaptionAlignment, v, UndoStack(), this, "Graph caption alignment", "CaptionAlignment"))
    Modified();
}

void TRtGraph2D::SetCaptionDistanceBefore(float v) {
  if (Store(FCaptionDistanceBefore, v, UndoStack(), this, "Graph caption distance before",
            "CaptionDistanceBefore"))
    Modified();
}

void TRtGraph2D::SetCaptionDistanceAfter(float v) {
  if (Store(FCaptionDistanceAfter, v, UndoStack(), this, "Graph caption distance after",
            "CaptionDistanceAfter"))
    Modified();
}

void TRtGraph2D::SetSmoothingMode(TRtSmoothingMode v) {
  if (FSmoothingMode == v) return;
  FSmoothingMode = v;
  Repaint();
}

void TRtGraph2D::SetDistanceBorderAxisTop(float v) {
  if (Store(FDistanceBorderAxisTop, v, UndoStack(), this, "Graph distance border axis top",
            "DistanceBorderAxisTop"))
    Modified();
}

void TRtGraph2D::SetDistanceBorderAxisBottom(float v) {
  if (Store(FDistanceBorderAxisBottom, v, UndoStack(), this, "Graph distance border axis bottom",
            "DistanceBorderAxisBottom"))
    Modified();
}

void TRtGraph2D::SetDistanceBorderAxisLeft(float v) {
  if (Store(FDistanceBorderAxisLeft, v, UndoStack(), this, "Graph distance border axis left",
            "DistanceBorderAxisLeft"))
    Modified();
}

void TRtGraph2D::SetDistanceBorderAxisRight(float v) {
  if (Store(FDistanceBorderAxisRight, v, UndoStack(), this, "Graph distance border axis right",
            "DistanceBorderAxisRight"))
    Modified();
}

void TRtGraph2D::SetZeroOrigin(bool v) {
  if (Store(FZeroOrigin, v, UndoStack(), this, "Graph zero origin", "ZeroOrigin")) Modified();
}

void TRtGraph2D::SetUndoStack(TRtUndoStack* Stack) {
  FUndoStack = Stack;
  FZoom->SetUndoStack(Stack);
  for (TRtSeries* s : RelatedSeries()) s->SetUndoStack(Stack);
  for (TRtAxis* a : Axes()) a->SetUndoStack(Stack);
  for (TRtStyleObject* o : std::initializer_list<TRtStyleObject*>{
           FMajorGridHorizontal, FMinorGridHorizontal, FMajorGridVertical, FMinorGridVertical,
           FBackgroundGradient, FDataAreaGradient, FDataAreaFrame, FCaptionFont})
    o->SetUndoStack(Stack);
  for (IRtGraphLegend* l : RelatedLegends()) {
    QObject* o = l->LegendObject();
    if (o && o->metaObject()->indexOfMethod("SetUndoStack(TRtUndoStack*)") >= 0)
      QMetaObject::invokeMethod(o, "SetUndoStack", Q_ARG(TRtUndoStack*, Stack));
    else if (o)
      o->setProperty("UndoStack", QVariant::fromValue(Stack));
  }
}

void TRtGraph2D::UndoPushSeriesVectors() {
  if (!FUndoStack || !FUndoStack->Enabled()) return;
  std::vector<TRtDoubleVector*> vectors;
  for (TRtSeries* s : RelatedSeries())
    for (TRtCustomDoubleVector* v : {s->XData(), s->YData()})
      if (auto* d = dynamic_cast<TRtDoubleVector*>(v);
          d && std::find(vectors.begin(), vectors.end(), d) == vectors.end())
        vectors.push_back(d);
  FUndoStack->StartGroup("Graph series data");
  for (TRtDoubleVector* v : vectors) FUndoStack->PushVectorState(v, "Graph series data");
  FUndoStack->StopGroup();
}

// ---- polling and layout

void TRtGraph2D::PollSeries() {
  for (TRtSeries* s : RelatedSeries()) {
    if (!s->AutoUpdate() || !s->SeriesVisible()) continue;
    try {
      s->CheckDBVectors();
      s->Calculate();
    } catch (const std::exception&) {
      // A function series without enough data keeps its old curve.
    }
  }
  for (TRtAxis* a : Axes()) a->GetNewRanges();
}

void TRtGraph2D::PollingStep() {
  if (Updating() || FRecalculate || RelatedSeries().empty()) return;
  PollSeries();
}

void TRtGraph2D::SortLayers() {
  std::vector<TRtSeries*>& list = RelatedSeriesList();
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::size_t best = i;
    for (std::size_t j = i + 1; j < list.size(); ++j)
      if (list[j]->Layer() < list[best]->Layer()) best = j;
    if (best != i) std::swap(list[i], list[best]);
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    const QSignalBlocker b(list[i]);
    if (list[i]->Layer() != int(i)) list[i]->SetLayer(int(i));
  }
}

void TRtGraph2D::Calculate() {
  if (Updating() || !PrimaryXAxis() || !PrimaryYAxis()) return;
  const bool wasPainting = FPainting;
  FPainting = true;  // notices from the layout are covered by this paint
  SortLayers();
  if (FCaptionVisible && !FTitleRec.Caption.isEmpty()) RtMeasureRichCaption(FTitleRec);
  CalculateAxes();
  for (TRtSeries* s : RelatedSeries()) s->TestVisbleChanged();
  FRecalculate = false;
  FPainting = wasPainting;
  if (!FPainting) Repaint();
}

void TRtGraph2D::CalculateAxes() {
  for (TRtAxis* a : Axes()) a->RefreshFontSize();
  if (Updating()) return;
  const bool wasRunning = TRtAxis::CalculationRunning();
  TRtAxis::SetCalculationRunning(true);
  const bool wasPainting = FPainting;
  FPainting = true;
  FDoHScrollBar = FDoVScrollBar = false;
  if (FZeroOrigin)
    for (TRtAxis* a : {PrimaryXAxis(), PrimaryYAxis()})
      if (a && !a->Visible()) a->SetVisible(true);

  std::vector<TRtAxisMapping> before;
  const QRectF areaBefore = FDrawingArea;
  bool hClipped = false, vClipped = false;
  for (TRtAxis* a : Axes()) {
    before.push_back(a->Mapping());
    a->FollowMaster();
    // The element spans the client along the axis; the end rounding partitions that length.
    if (a->AutoSize()) {
      if (a->IsHorizontal())
        a->SetBounds(0, a->Top(), width(), a->Height());
      else
        a->SetBounds(a->Left(), 0, a->Width(), height());
    }
    a->RoundCurrentRange();
    a->SetAxisLine(0, 0, float(a->IsHorizontal() ? a->Width() : a->Height()));
    a->CalculateTicks();
    if (a->IsClipped()) (a->IsHorizontal() ? hClipped : vClipped) = true;
  }

  TRtGraphLayout L;
  L.ClientWidth = width();
  L.ClientHeight = height();
  L.DistanceBorderAxisLeft = FDistanceBorderAxisLeft;
  L.DistanceBorderAxisRight = FDistanceBorderAxisRight;
  L.DistanceBorderAxisTop = FDistanceBorderAxisTop;
  L.DistanceBorderAxisBottom = FDistanceBorderAxisBottom;
  const bool runTime = !FDoingImage;
  L.HScrollbarWanted = runTime && FZoom->HScrollbarVisible() && hClipped;
  L.VScrollbarWanted = runTime && FZoom->VScrollbarVisible() && vClipped;
  L.HScrollbarHeight = FHScrollBar->sizeHint().height();
  L.VScrollbarWidth = FVScrollbar->sizeHint().width();
  L.TitleVisible = FCaptionVisible && !FTitleRec.Caption.isEmpty();
  L.TitleHeight = FTitleRec.FHeight;
  L.CaptionDistanceBefore = FCaptionDistanceBefore;
  L.CaptionDistanceAfter = FCaptionDistanceAfter;
  L.TitleAlignment = FCaptionAlignment == TAlignment::taLeftJustify    ? 0
                     : FCaptionAlignment == TAlignment::taRightJustify ? 1
                                                                       : 2;
  std::vector<IRtGraphLegend*> docked;
  for (IRtGraphLegend* l : RelatedLegends()) {
    if (!l->LegendVisible() || l->LegendPosition() == TRtLegendPosition::FreeFloating) continue;
    l->PreparePaint();
    docked.push_back(l);
    L.Legends.push_back({l->LegendPosition(), l->LegendBounds()});
  }
  RtLayoutMargins(L);

  for (TRtAxis* a : Axes()) {
    TRtLayoutAxis la;
    la.Side = SideOf(a->Position());
    la.Visible = a->Visible();
    la.AutoSize = a->AutoSize();
    la.TicksPointToData = a->TicksPointToData();
    la.Band = AxisBand(*a);
    la.AxisThicknes = a->AxisThicknes();
    la.MajorTickLength = a->MajorTickLength();
    la.MajorTickThicknes = a->MajorTickThicknes();
    la.DistanceValuesAxis = a->DistanceValuesAxis();
    la.Overhang = AxisOverhang(*a);
    L.Axes.push_back(la);
  }
  RtLayoutBands(L);
  for (std::size_t i = 0; i < Axes().size(); ++i) {
    TRtAxis* a = Axes()[i];
    if (!a->AutoSize()) continue;
    ApplyAxisLine(a, L.Axes[i]);
    L.Axes[i].Overhang = AxisOverhang(*a);
  }
  RtLayoutDataArea(L);
  for (std::size_t i = 0; i < Axes().size(); ++i) {
    TRtAxis* a = Axes()[i];
    if (a->AutoSize()) ApplyAxisLine(a, L.Axes[i]);
    a->ClearRecalculate();
  }
  FDrawingArea = L.DrawingArea;
  FTitleRec.X = L.TitleX;
  FTitleRec.Y = L.TitleY;
  FTitleRec.Align = L.TitleAlignment == 0   ? TRtContentAlignment::TopLeft
                    : L.TitleAlignment == 1 ? TRtContentAlignment::TopRight
                                            : TRtContentAlignment::TopCenter;
  if (runTime) {
    FDoHScrollBar = L.ShowHScrollbar;
    FDoVScrollBar = L.ShowVScrollbar;
    if (FDoHScrollBar) FHScrollBar->setGeometry(L.HScrollbarRect);
    if (FDoVScrollBar) FVScrollbar->setGeometry(L.VScrollbarRect);
    UpdateScrollBars();
  }
  for (std::size_t i = 0; i < docked.size(); ++i)
    docked[i]->SetLegendOrigin(L.Legends[i].Bounds.left(), L.Legends[i].Bounds.top());

  bool moved = FDrawingArea != areaBefore;
  for (std::size_t i = 0; i < Axes().size() && !moved; ++i)
    moved = !SameMapping(before[i], Axes()[i]->Mapping());
  // Pixel points depend only on the mappings: unchanged mappings keep them.
  if (moved) SeriesModified();
  FPainting = wasPainting;
  TRtAxis::SetCalculationRunning(wasRunning);
  for (TRtAxis* a : Axes()) Q_EMIT a->OnCalculated();
}

void TRtGraph2D::ZoomReset() {
  for (TRtAxis* a : Axes()) a->RangeModified();
  SeriesModified();
}

void TRtGraph2D::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  for (TRtAxis* a : {PrimaryXAxis(), PrimaryYAxis()})
    if (a) a->CheckResize();
  Modified();
}

void TRtGraph2D::childEvent(QChildEvent* e) {
  QWidget::childEvent(e);
}

// ---- painting

void TRtGraph2D::TestPrimaryAxis() {
  auto make = [this](bool h) {
    auto* a = new TRtAxis(this);
    const QString base = h ? "XAxis" : "YAxis";
    QObject* owner = parent() ? parent() : this;
    int n = 1;
    while (owner->findChild<QObject*>(base + QString::number(n))) ++n;
    a->setObjectName(base + QString::number(n));
    a->SetPosition(h ? TRtAxisPosition::Bottom : TRtAxisPosition::Left);
    a->SetCaption(h ? "X-Axis" : "Y-Axis");
    a->SetGraph(this);
    return a;
  };
  if (!PrimaryXAxis()) FPrimaryXAxis = make(true);
  if (!PrimaryYAxis()) FPrimaryYAxis = make(false);
  if (!FPollingTimer.isActive()) FPollingTimer.start();
}

void TRtGraph2D::SetHighQuality(QPainter& P, bool High) const {
  const bool aa = High && (FSmoothingMode == TRtSmoothingMode::AntiAlias ||
                           FSmoothingMode == TRtSmoothingMode::HighQuality);
  P.setRenderHint(QPainter::Antialiasing, aa);
  P.setRenderHint(QPainter::SmoothPixmapTransform,
                  High && FSmoothingMode == TRtSmoothingMode::HighQuality);
  P.setRenderHint(QPainter::TextAntialiasing, High && FSmoothingMode != TRtSmoothingMode::None);
}

void TRtGraph2D::ClipToVisibleData(QPainter& P) const {
  bool any = false;
  for (TRtAxis* a : Axes()) any = any || a->IsClipped();
  if (!any) return;
  QRectF r(0, 0, width(), height());
  const QRectF& d = FDrawingArea;
  for (TRtAxis* a : Axes()) {
    if (!a->IsClipped()) continue;
    const bool lowCut = a->ValuesStart()<a->Start(), highCut = a->ValuesStop()> a->Stop();
    const bool fwdLowAtLeft = !a->Twisted();
    if (a->IsHorizontal()) {
      if (fwdLowAtLeft ? lowCut : highCut) r.setLeft(d.left());
      if (fwdLowAtLeft ? highCut : lowCut) r.setRight(d.right());
    } else {
      if (fwdLowAtLeft ? lowCut : highCut) r.setBottom(d.bottom());
      if (fwdLowAtLeft ? highCut : lowCut) r.setTop(d.top());
    }
  }
  P.setClipRect(r);
  if (FRepaintRegion) P.setClipRegion(*FRepaintRegion, Qt::IntersectClip);
}

void TRtGraph2D::PaintGrid(QPainter& P) {
  TRtAxis* x = PrimaryXAxis();
  TRtAxis* y = PrimaryYAxis();
  const QRectF& d = FDrawingArea;
  auto lines = [&](TRtAxis* a, TRtLineSettings* major, TRtLineSettings* minor, bool vertical) {
    if (!a || (!major->Visible() && !minor->Visible())) return;
    const QPen majorPen = GridPen(major), minorPen = GridPen(minor);
    const float off = vertical ? a->Left() : a->Top();
    for (int i = 0; i < a->Ticks().Count(); ++i) {
      const bool isMajor = a->MajorGridTick().GetValue(i);
      TRtLineSettings* s = isMajor ? major : minor;
      if (!s->Visible()) continue;
      P.setPen(isMajor ? majorPen : minorPen);
      const double t = std::round(a->Ticks().GetValue(i) + off);
      if (vertical)
        P.drawLine(QPointF(t, d.top()), QPointF(t, d.bottom()));
      else
        P.drawLine(QPointF(d.left(), t), QPointF(d.right(), t));
    }
  };
  lines(x, FMajorGridVertical, FMinorGridVertical, true);
  lines(y, FMajorGridHorizontal, FMinorGridHorizontal, false);
}

void TRtGraph2D::PaintGr(QPainter& P) {
  const bool wasPainting = FPainting;
  FPainting = true;
  if (FOnce) {
    FOnce = false;
    TestPrimaryAxis();
  }
  if (PrimaryXAxis() && PrimaryYAxis()) {
    if (!Updating()) PollSeries();
    if (NeedsLayout()) {
      FRecalculate = true;
      Calculate();
    }
  }
  PaintContent(P);
  FPainting = wasPainting;
}

void TRtGraph2D::PaintContent(QPainter& P) {
  const QRectF client(0, 0, width(), height());
  SetHighQuality(P, false);
  if (RtAlpha(FBackColor) > 0) P.fillRect(client, RtQColor(FBackColor));
  if (FBackgroundGradient->Visible()) P.fillRect(client, FBackgroundGradient->GetBrush(client));
  const QRectF d = FDrawingArea;
  const QRectF inner(d.x(), d.y(), d.width() - 1, d.height() - 1);
  if (FDataAreaGradient->Visible())
    P.fillRect(inner, FDataAreaGradient->GetBrush(inner));
  else if (FDataAreaColor != FBackColor && RtAlpha(FDataAreaColor) > 0)
    P.fillRect(inner, RtQColor(FDataAreaColor));
  if (FCaptionVisible && !FTitleRec.Caption.isEmpty()) RtDrawRichCaption(FTitleRec, P);
  PaintGrid(P);

  P.save();
  ClipToVisibleData(P);
  SetHighQuality(P, true);
  for (TRtSeries* s : RelatedSeries()) {
    try {
      s->PaintGr(P);
    } catch (const std::exception&) {
    }
  }
  P.restore();

  SetHighQuality(P, true);
  if (FDataAreaFrame->Visible()) {
    P.setPen(FDataAreaFrame->GetPen());
    P.setBrush(Qt::NoBrush);
    P.drawRect(inner);
  }
  for (TRtAxis* a : Axes()) {
    if (!a->Visible()) continue;
    P.save();
    P.translate(a->Left(), a->Top());
    a->PaintGr(P);
    P.restore();
  }
  P.save();
  ClipToVisibleData(P);
  SetHighQuality(P, true);
  for (TRtSeries* s : RelatedSeries()) {
    try {
      s->DrawSymbols(P);
    } catch (const std::exception&) {
    }
  }
  P.restore();
  for (IRtGraphLegend* l : RelatedLegends()) {
    if (!l->LegendVisible()) continue;
    P.save();
    SetHighQuality(P, true);
    P.translate(l->LegendBounds().topLeft());
    l->PaintGr(P);
    P.restore();
  }
  SetHighQuality(P, false);
  if (!FDoingImage) {
    FHScrollBar->setVisible(FDoHScrollBar);
    FVScrollbar->setVisible(FDoVScrollBar);
  }
}

std::vector<double> TRtGraph2D::FrameKey() const {
  const QRectF& d = FDrawingArea;
  std::vector<double> k{double(width()),
                        double(height()),
                        d.x(),
                        d.y(),
                        d.width(),
                        d.height(),
                        double(FDoHScrollBar),
                        double(FDoVScrollBar),
                        double(Axes().size())};
  for (TRtAxis* a : Axes()) {
    const TRtAxisMapping m = a->Mapping();
    k.insert(k.end(),
             {double(a->Visible()), double(a->Left()), double(a->Top()), double(m.kind), m.Start,
              m.NormalizeConst, m.LogStart, double(m.Base), double(m.Length), double(m.Forward),
              double(a->IsClipped()), double(a->ValuesStart() < a->Start()),
              double(a->ValuesStop() > a->Stop()), double(a->Ticks().Count())});
    for (int i = 0; i < a->Ticks().Count(); ++i) k.push_back(a->Ticks().GetValue(i));
  }
  return k;
}

bool TRtGraph2D::CollectPart(QRegion& Part) {
  if (FOnce || Updating() || !PrimaryXAxis() || !PrimaryYAxis() || FFrameKey.empty()) return false;
  PollSeries();
  if (NeedsLayout() || FrameKey() != FFrameKey) return false;
  for (TRtSeries* s : RelatedSeries())
    if (!s->TakeDamage(Part)) return false;
  if (FLegendsChanged) {
    for (const QRect& r : FLegendRects) Part += r;
    for (IRtGraphLegend* l : RelatedLegends()) {
      if (!l->LegendVisible()) continue;
      l->PreparePaint();
      Part += l->LegendBounds();
    }
  }
  Part &= QRect(QPoint(0, 0), size());
  return true;
}

void TRtGraph2D::paintEvent(QPaintEvent*) {
  const qreal dpr = devicePixelRatioF();
  const QSize px = size() * dpr;
  const bool resized = FBuffer.size() != px;
  if (resized) {
    FBuffer = QImage(px, QImage::Format_ARGB32_Premultiplied);
    FBuffer.setDevicePixelRatio(dpr);
    FBufferDirty = true;
    FRepaintTimer.stop();
  }
  // While a held-back repaint is pending, other paints (a rubber band, an expose) show the
  // picture as it is; the timer brings the new one.
  const bool whole = FBufferDirty || NeedsLayout();
  if ((whole || FPartPending) && !FRepaintTimer.isActive()) {
    QElapsedTimer t;
    t.start();
    FBufferDirty = false;
    // Notices raised while the picture is painted are covered by this paint.
    const bool wasPainting = FPainting;
    FPainting = true;
    QRegion part;
    const bool inPart = !whole && CollectPart(part);
    if (!inPart) FBuffer.fill(Qt::transparent);
    QPainter bp(&FBuffer);
    if (inPart) {
      // Only what changed: cleared, then everything painted as in a whole paint but clipped to
      // it, with series leaving out pieces and symbols outside it.
      if (!part.isEmpty()) {
        bp.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : part) bp.fillRect(r, Qt::transparent);
        bp.setCompositionMode(QPainter::CompositionMode_SourceOver);
        bp.setClipRegion(part);
        FRepaintRegion = &part;
        PaintContent(bp);
        FRepaintRegion = nullptr;
      }
      ++FPartPaints;
    } else {
      PaintGr(bp);
      FFrameKey = FrameKey();
      for (TRtSeries* s : RelatedSeries()) s->ClearDamage();
      ++FWholePaints;
    }
    bp.end();
    FPainting = wasPainting;
    FPartPending = FLegendsChanged = false;
    FLegendRects.clear();
    for (IRtGraphLegend* l : RelatedLegends())
      if (l->LegendVisible()) FLegendRects.push_back(l->LegendBounds());
    NotePaintLength(t.nsecsElapsed() / 1e6);
  }
  QPainter p(this);
  p.drawImage(0, 0, FBuffer);
  if (FZoomDragging) {
    QPen pen(Qt::black, 1, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.drawRect(RubberBand());
  }
}

QImage TRtGraph2D::RenderImage() {
  const int w = width() - (FVScrollbar->isVisible() ? FVScrollbar->width() : 0);
  const int h = height() - (FHScrollBar->isVisible() ? FHScrollBar->height() : 0);
  QImage img(std::max(w, 1), std::max(h, 1), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  PaintGr(p);
  p.end();
  return img;
}

bool TRtGraph2D::SaveImage(QIODevice& Stream, int Format) {
  if (Format < 1 || Format > 5) return false;
  const QByteArray fmt = kImageFormats[Format];
  if (!QImageWriter::supportedImageFormats().contains(fmt.toLower())) return false;
  QImage img = RenderImage();
  if (Format == 1 || Format == 2) {
    QImage opaque(img.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter p(&opaque);
    p.drawImage(0, 0, img);
    p.end();
    img = opaque;
  }
  QImageWriter w(&Stream, fmt);
  return w.write(img);
}

bool TRtGraph2D::SaveImageToFile(const QString& FileName) {
  const QString ext = QFileInfo(FileName).suffix().toLower();
  const int fmt = ext == "bmp"                      ? 1
                  : (ext == "jpg" || ext == "jpeg") ? 2
                  : ext == "gif"                    ? 4
                  : (ext == "tif" || ext == "tiff") ? 5
                                                    : 3;
  QFile f(FileName);
  if (!f.open(QIODevice::WriteOnly)) return false;
  const bool ok = SaveImage(f, fmt);
  f.close();
  if (!ok) f.remove();
  return ok;
}

void TRtGraph2D::SaveImageDialog() {
  const QString name = QFileDialog::getSaveFileName(
      this, "Save image", QString(), "PNG image (*.png);;BMP image (*.bmp);;JPEG image (*.jpg)");
  if (!name.isEmpty()) SaveImageToFile(name);
}

void TRtGraph2D::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  QAction* save = menu.addAction("Save image...");
  if (menu.exec(e->globalPos()) == save) SaveImageDialog();
}

// ---- queries

bool TRtGraph2D::MouseInDataArea(QPoint Pos) const {
  const QRectF& d = FDrawingArea;
  return Pos.x() >= d.left() && Pos.x() <= d.right() && Pos.y() >= d.top() && Pos.y() <= d.bottom();
}

TRtFindSeriesPointResult TRtGraph2D::FindSeriesPoint(int MouseX, int MouseY) const {
  TRtFindSeriesPointResult r;
  const auto& list = RelatedSeries();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    TRtSeries* s = *it;
    if (!s->SeriesVisible()) continue;
    const int i = s->FindPoint(float(MouseX), float(MouseY));
    if (i < 0) continue;
    r.Found = true;
    r.InSeries = s;
    if (s->inherits("TRtFunctionSeries") && s->XAxis()) {
      r.Index = -1;
      r.X = s->XAxis()->WorldToNumber(float(MouseX));
      r.Y = s->GetY(r.X);
    } else {
      r.Index = i;
      r.X = s->TransformX(i, s->XVector()->GetValue(i));
      r.Y = s->TransformY(i, s->YVector()->GetValue(i));
    }
    return r;
  }
  return r;
}
