// Zoom, pan, scroll bars and the mouse of the graph.
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "chart/graph/RtGraph2D.h"

// ---- graph-level zoom

bool TRtGraph2D::CanZoomBack() const {
  TRtAxis* y = PrimaryYAxis();
  if (FZoom->BufferType() == TRtZoomBufferType::AsStack) return y && y->ZoomStage() > 0;
  TRtAxis* x = PrimaryXAxis();
  return (x && x->CanZoomBack()) || (y && y->CanZoomBack());
}

bool TRtGraph2D::CanRedoZoom() const {
  if (FZoom->BufferType() == TRtZoomBufferType::AsStack)
    return PrimaryYAxis() && ZoomStage() < ZoomBufferSize() - 1;
  return CanZoomBack();
}

int TRtGraph2D::ZoomStage() const {
  return PrimaryYAxis() ? PrimaryYAxis()->ZoomStage() : 0;
}

int TRtGraph2D::ZoomBufferSize() const {
  return PrimaryYAxis() ? PrimaryYAxis()->ZoomBufferSize() : 0;
}

void TRtGraph2D::ZoomBack() {
  if (!CanZoomBack()) return;
  for (TRtAxis* a : Axes()) a->ZoomBack();
  SeriesModified();
}

void TRtGraph2D::RedoZoom() {
  if (!CanRedoZoom()) return;
  for (TRtAxis* a : Axes()) a->RedoZoom();
  SeriesModified();
}

void TRtGraph2D::ZoomToStage(int Stage) {
  if (!CanZoomBack() || Stage >= ZoomBufferSize()) return;
  for (TRtAxis* a : Axes()) a->ZoomToStage(Stage);
  SeriesModified();
}

void TRtGraph2D::ZoomTo(QPoint Corner1, QPoint Corner2) {
  const QRectF& d = FDrawingArea;
  const int x1 = std::max(std::min(Corner1.x(), Corner2.x()), int(std::floor(d.x())));
  const int x2 = std::min(std::max(Corner1.x(), Corner2.x()), int(std::ceil(d.x() + d.width())));
  const int y1 = std::max(std::min(Corner1.y(), Corner2.y()), int(std::floor(d.y())));
  const int y2 = std::min(std::max(Corner1.y(), Corner2.y()), int(std::ceil(d.y() + d.height())));
  BeginUpdate();
  const std::size_t n = Axes().size();
  std::vector<double> lo(n, RtMaxDouble), hi(n, -RtMaxDouble);
  auto range = [&](const TRtAxis* a, double& l, double& h) {
    const double p = a->WorldToNumber(float(a->IsHorizontal() ? x1 - a->Left() : y2 - a->Top()));
    const double q = a->WorldToNumber(float(a->IsHorizontal() ? x2 - a->Left() : y1 - a->Top()));
    l = std::min(p, q);
    h = std::max(p, q);
  };
  if (!FZoom->OptimizeSeries()) {
    for (std::size_t i = 0; i < n; ++i) range(Axes()[i], lo[i], hi[i]);
  } else {
    auto indexOf = [this](const TRtAxis* a, std::size_t def) {
      const auto it = std::find(Axes().begin(), Axes().end(), a);
      return it == Axes().end() ? def : std::size_t(it - Axes().begin());
    };
    for (TRtSeries* s : RelatedSeries()) {
      if (!s->SeriesVisible() || !s->XVector() || !s->YVector()) continue;
      const std::size_t ix = indexOf(s->XAxis(), 0), iy = indexOf(s->YAxis(), 1);
      if (ix >= n || iy >= n) continue;
      double xl, xh, yl, yh;
      range(Axes()[ix], xl, xh);
      range(Axes()[iy], yl, yh);
      const int count = std::min(s->XVector()->Count(), s->YVector()->Count());
      for (int i = 0; i < count; ++i) {
        if (!s->HasValuesAt(i)) continue;
        const double x = s->TransformX(i, s->XVector()->GetValue(i));
        if (x < xl || x > xh) continue;
        const double y = s->TransformY(i, s->YVector()->GetValue(i));
        if (y < yl || y > yh) continue;
        lo[ix] = std::min(lo[ix], x);
        hi[ix] = std::max(hi[ix], x);
        lo[iy] = std::min(lo[iy], y);
        hi[iy] = std::max(hi[iy], y);
      }
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (hi[i] >= lo[i])
      Axes()[i]->ZoomIn(lo[i], hi[i]);
    else
      Invalidate();
  }
  EndUpdate();
  SeriesModified();
}

QRect TRtGraph2D::RubberBand() const {
  return QRect(FDragStart, FLastDrag).normalized();
}

// ---- mouse

void TRtGraph2D::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  const auto& legends = RelatedLegends();
  for (auto it = legends.rbegin(); it != legends.rend(); ++it) {
    IRtGraphLegend* l = *it;
    if (l->LegendVisible() && l->LegendBounds().contains(pos) &&
        l->LegendMousePress(pos, e->buttons(), e->modifiers())) {
      FMouseLegend = l;
      return;
    }
  }
  FPressed = true;
  FDragStart = FLastDrag = pos;
  if (!FZoom->Auto()) return;
  const TShiftState shift = RtShiftState(e->buttons(), e->modifiers());
  if (shift == FZoom->StartZoom()) {
    FZoomDragging = true;
    update();
    if (FZoom->OnBeginZoom) FZoom->OnBeginZoom(this);
  }
  if (CanZoomBack() && shift == FZoom->StartPanning()) StartPanning();
}

void TRtGraph2D::StartPanning() {
  FPanDragging = true;
  FOldCursor = cursor();
  setCursor(Qt::CursorShape(FZoom->PanningCursor()));
  FInitialStarts.clear();
  FInitialStops.clear();
  FPanAxes = Axes();
  for (TRtAxis* a : FPanAxes) {
    const bool lg = a->HasLogScaling();
    FInitialStarts.push_back(lg ? std::log10(a->Start()) : a->Start());
    FInitialStops.push_back(lg ? std::log10(a->Stop()) : a->Stop());
  }
  if (FZoom->OnBeginPanning) FZoom->OnBeginPanning(this);
}

void TRtGraph2D::PanTo(QPoint Pos) {
  const int dx = FDragStart.x() - Pos.x();
  const int dy = Pos.y() - FDragStart.y();
  TRtAxis* px = PrimaryXAxis();
  TRtAxis* py = PrimaryYAxis();
  if (dx == 0 || dy == 0 || !px || !py) return;
  double shiftX = dx * px->NormalizeConst(), shiftY = dy * py->NormalizeConst();
  if (px->Twisted()) shiftX = -shiftX;
  if (py->Twisted()) shiftY = -shiftY;
  for (std::size_t i = 0; i < FPanAxes.size(); ++i) {
    TRtAxis* a = FPanAxes[i];
    if (std::find(Axes().begin(), Axes().end(), a) == Axes().end()) continue;
    double s = a->IsHorizontal() ? shiftX : shiftY;
    if (a->Twisted()) s = -s;
    double start, stop;
    if (RtPanRange(FInitialStarts[i], FInitialStops[i], s, a->HasLogScaling(), a->ScrollStart(),
                   a->ScrollStop(), start, stop))
      a->SetStartStop(start, stop);
  }
  SeriesModified();
}

void TRtGraph2D::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (FMouseLegend) {
    FMouseLegend->LegendMouseMove(pos);
    Repaint();
    return;
  }
  if (FZoomDragging) {
    FLastDrag = pos;
    update();
  } else if (FPanDragging) {
    FLastDrag = pos;
    PanTo(pos);
  }
}

void TRtGraph2D::EndZoomDrag() {
  FZoomDragging = false;
  switch (RtZoomReleaseAction(FDragStart, FLastDrag, FDrawingArea,
                              FZoom->ResetOnRightBottomLeftTopFrame(),
                              FZoom->BackOnRightBottomLeftTopFrame())) {
    case TRtZoomRelease::Reset:
      ZoomReset();
      break;
    case TRtZoomRelease::RepaintOnly:
      update();
      break;
    case TRtZoomRelease::Back:
      ZoomBack();
      break;
    case TRtZoomRelease::ZoomTo:
      ZoomTo(FDragStart, FLastDrag);
      if (FZoom->OnEndZoom) FZoom->OnEndZoom(this);
      break;
  }
}

void TRtGraph2D::EndPanning() {
  FPanDragging = false;
  setCursor(FOldCursor);
  for (TRtAxis* a : Axes()) a->ZoomIn(a->Start(), a->Stop());
  SeriesModified();
  if (FZoom->OnEndPanning) FZoom->OnEndPanning(this);
}

void TRtGraph2D::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (FMouseLegend) {
    IRtGraphLegend* l = FMouseLegend;
    FMouseLegend = nullptr;
    l->LegendMouseRelease(pos);
    Repaint();
    return;
  }
  if (FZoomDragging) {
    FLastDrag = pos;
    EndZoomDrag();
  }
  if (FPanDragging) EndPanning();
  if (FPressed && e->button() == Qt::LeftButton && FZoom->BackOnClickBeside() && CanZoomBack() &&
      RtIsClickBeside(FDragStart, pos, FDrawingArea))
    ZoomBack();
  FPressed = false;
}

void TRtGraph2D::mouseDoubleClickEvent(QMouseEvent* e) {
  FPressed = false;
  if (FZoom->ResetOnDoubleClickBeside() && CanZoomBack() &&
      !RtInDataArea(e->position().toPoint(), FDrawingArea))
    ZoomReset();
}

// ---- scroll bars

void TRtGraph2D::UpdateScrollBars() {
  FSettingScrollBars = true;
  for (bool h : {true, false}) {
    if (!(h ? FDoHScrollBar : FDoVScrollBar)) continue;
    TRtAxis* r = h ? PrimaryXAxis() : PrimaryYAxis();
    if (!r) continue;
    QScrollBar* bar = h ? FHScrollBar : FVScrollbar;
    const bool lg = r->HasLogScaling();
    auto v = [lg](double x) { return lg ? std::log10(x) : x; };
    const TRtScrollBarState s = RtScrollBarState(v(r->Start()), v(r->Stop()), v(r->ScrollStart()),
                                                 v(r->ScrollStop()), h, r->Twisted());
    if (bar->hasFocus()) bar->clearFocus();
    bar->setPageStep(std::max(s.PageSize, 1));
    bar->setRange(0, 10000 - s.PageSize);
    bar->setValue(s.Position);
  }
  FSettingScrollBars = false;
}

void TRtGraph2D::ScrollBarAction(bool Horizontal, int Action) {
  if (FSettingScrollBars) return;
  QScrollBar* bar = Horizontal ? FHScrollBar : FVScrollbar;
  ScrollBarScroll(Horizontal, Action, bar->sliderPosition());
}

void TRtGraph2D::ScrollBarScroll(bool Horizontal, int Action, int Position) {
  TRtAxis* r = Horizontal ? PrimaryXAxis() : PrimaryYAxis();
  if (!r) return;
  double span = r->ScrollStop() - r->ScrollStart();
  if (!(span > 0)) span = r->Stop() - r->Start();
  if (!(span > 0)) return;
  const double sign = (!Horizontal && !r->Twisted()) || (Horizontal && r->Twisted()) ? -1 : 1;
  auto step = [r](TRtScrollIncrement k) {
    switch (k) {
      case TRtScrollIncrement::Page:
        return r->Stop() - r->Start();
      case TRtScrollIncrement::MajorTick:
        return r->MajorIncrement();
      case TRtScrollIncrement::MinorTick:
        return r->MinorIncrement();
      case TRtScrollIncrement::Pixel:
        return r->NormalizeConst();
    }
    return 0.0;
  };
  const double small = step(FZoom->ScrollSmallIncrement()),
               large = step(FZoom->ScrollLargeIncrement());
  double d = 0;
  bool line = false, tracking = false;
  switch (Action) {
    case QAbstractSlider::SliderSingleStepSub:
      d = -sign * small;
      line = true;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      d = sign * small;
      line = true;
      break;
    case QAbstractSlider::SliderPageStepSub:
      d = -sign * large;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      d = sign * large;
      break;
    case QAbstractSlider::SliderMove:
      tracking = true;
      d = sign > 0 ? span * Position / 10000 + r->ScrollStart() - r->Start()
                   : span * (10000 - Position) / 10000 + r->ScrollStart() - r->Stop();
      break;
    default:
      d = 0;
      break;
  }
  double f = d / span;
  if (r->Twisted()) f = -f;
  for (TRtAxis* a : Axes()) {
    if (a->IsHorizontal() != Horizontal) continue;
    double c = f * (a->ScrollStop() - a->ScrollStart());
    if (a->Twisted()) c = -c;
    const TRtAxisEndRounding er = a->EndRounding();
    const bool round =
        !tracking && (er == TRtAxisEndRounding::RndToMajorZoomToMinor ||
                      er == TRtAxisEndRounding::RndToMajor || er == TRtAxisEndRounding::RndToMinor);
    const bool major = er == TRtAxisEndRounding::RndToMajor;
    const double width = a->Stop() - a->Start();
    double start = a->Start() + c;
    if (round) start = a->RoundEnd(true, major, a->Start() + c * (c > 0 ? 0.9999 : 1.0001));
    start = std::max(start, a->ScrollStart());
    double stop = start + width;
    if (stop > a->ScrollStop()) {
      stop = a->ScrollStop();
      start = stop - width;
      if (round) start = a->RoundEnd(true, major, start);
    }
    if (line || tracking)
      a->SetStartStop(start, stop);
    else
      a->ZoomIn(start, stop);
    SeriesModified();
  }
  if (!line && !tracking)
    for (TRtAxis* a : Axes())
      if (a->IsHorizontal() != Horizontal) a->ZoomIn(a->Start(), a->Stop());
}
