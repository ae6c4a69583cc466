#include "TestGraph.h"

void TTestGraph::SeriesModified() {
  ++SeriesModifiedCount;
  for (TRtSeries* s : RelatedSeries()) s->PointsModified();
}

void TTestGraph::LegendsModified() {
  ++LegendsModifiedCount;
  const std::vector<IRtGraphLegend*> legends = RelatedLegends();
  for (IRtGraphLegend* l : legends) l->Modified();
}

void TTestGraph::SetGeometry(int Width, int Height, int Left, int Right, int Top, int Bottom) {
  W = Width;
  H = Height;
  MarginLeft = Left;
  MarginRight = Right;
  MarginTop = Top;
  MarginBottom = Bottom;
  Area = QRectF(Left, Top, Width - Left - Right, Height - Top - Bottom);
}

void TTestGraph::PlaceAxes() {
  const float areaW = float(W - MarginLeft - MarginRight);
  const float areaH = float(H - MarginTop - MarginBottom);
  for (TRtAxis* a : Axes()) {
    switch (a->Position()) {
      case TRtAxisPosition::Bottom:
        a->SetBounds(0, H - MarginBottom, W, MarginBottom);
        a->SetAxisLine(MarginLeft, 0, areaW);
        break;
      case TRtAxisPosition::Top:
        a->SetBounds(0, 0, W, MarginTop);
        a->SetAxisLine(MarginLeft, MarginTop, areaW);
        break;
      case TRtAxisPosition::Left:
        a->SetBounds(0, 0, MarginLeft, H);
        a->SetAxisLine(MarginLeft, MarginTop, areaH);
        break;
      case TRtAxisPosition::Right:
        a->SetBounds(W - MarginRight, 0, MarginRight, H);
        a->SetAxisLine(0, MarginTop, areaH);
        break;
    }
  }
}

void TTestGraph::CalculateAxes() {
  TRtAxis::SetCalculationRunning(true);
  PlaceAxes();
  for (TRtAxis* a : Axes()) {
    a->RefreshFontSize();
    a->RoundCurrentRange();
    a->CalculateTicks();
  }
  TRtAxis::SetCalculationRunning(false);
}

void TTestGraph::Poll() {
  PlaceAxes();
  for (TRtSeries* s : RelatedSeries())
    if (s->AutoUpdate() && s->SeriesVisible()) {
      s->CheckDBVectors();
      s->Calculate();
    }
  for (TRtAxis* a : Axes()) a->GetNewRanges();
}

void TTestGraph::Layout() {
  CalculateAxes();
  for (TRtSeries* s : RelatedSeries()) s->TestVisbleChanged();
  SeriesModified();
}

void TTestGraph::Paint(QPainter& P) {
  P.setRenderHint(QPainter::Antialiasing, true);
  P.setRenderHint(QPainter::TextAntialiasing, true);
  P.save();
  P.setClipRect(Area);
  for (TRtSeries* s : RelatedSeries()) s->PaintGr(P);
  P.restore();
  for (TRtAxis* a : Axes()) {
    if (!a->Visible()) continue;
    P.save();
    P.translate(a->Left(), a->Top());
    a->PaintGr(P);
    P.restore();
  }
  P.save();
  P.setClipRect(Area.adjusted(-8, -8, 8, 8));
  for (TRtSeries* s : RelatedSeries()) s->DrawSymbols(P);
  P.restore();
  const std::vector<IRtGraphLegend*> legends = RelatedLegends();
  for (IRtGraphLegend* l : legends) {
    if (!l->LegendVisible()) continue;
    l->PreparePaint();
    P.save();
    P.translate(l->LegendBounds().topLeft());
    l->PaintGr(P);
    P.restore();
  }
}

QImage TTestGraph::Render() {
  Poll();
  Layout();
  QImage img(W, H, QImage::Format_ARGB32);
  img.fill(Qt::white);
  QPainter P(&img);
  Paint(P);
  P.end();
  return img;
}
