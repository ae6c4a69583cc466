#include "chart/graph/RtGraphLayout.h"

#include <algorithm>
#include <cmath>

namespace {

int Ceil(double v) {
  return int(std::ceil(v - 1e-6));
}

bool IsBottom(TRtLegendPosition p) {
  return p == TRtLegendPosition::BottomCenterOfGraph || p == TRtLegendPosition::BottomCenterOfAxis;
}
bool IsTop(TRtLegendPosition p) {
  return p == TRtLegendPosition::TopCenterOfGraph || p == TRtLegendPosition::TopCenterOfAxis;
}
bool IsLeft(TRtLegendPosition p) {
  return p == TRtLegendPosition::LeftCenterOfGraph || p == TRtLegendPosition::LeftCenterOfAxis ||
         p == TRtLegendPosition::LeftTopOfAxis;
}
bool IsRight(TRtLegendPosition p) {
  return p == TRtLegendPosition::RightCenterOfGraph || p == TRtLegendPosition::RightCenterOfAxis ||
         p == TRtLegendPosition::RightTopOfAxis;
}

}  // namespace

float RtAxisBandThickness(const TRtAxisBandInput& A) {
  float f = float(Ceil(A.AxisThicknes / 2)) + A.DistanceToBorder + A.MajorTickLength;
  const bool labels = A.LabelExtent > 0;
  if (labels) f += A.DistanceAxisLabels + A.LabelExtent;
  if (A.CaptionSpace > 0)
    f += A.CaptionSpace + (labels ? A.DistanceNumbersCaption : A.DistanceAxisLabels);
  if (A.ExponentCaption)
    f = std::max(
        f, A.DistanceAxisExtraExponent + A.MajorTickLength + A.ExponentExtent + A.AxisThicknes);
  return f;
}

TRtOverhang RtAxisOverhang(const TRtOverhangInput& In) {
  double nearO = 0, farO = 0;
  for (const QRectF& r : In.Labels) {
    if (In.Horizontal) {
      nearO = std::max(nearO, double(In.AxLeft) - r.left());
      farO = std::max(farO, r.right() - double(In.AxLeft + In.AxLength) + 2);
    } else {
      farO = std::max(farO, double(In.AxTop) - r.top());
      nearO = std::max(nearO, r.bottom() - double(In.AxTop + In.AxLength));
    }
  }
  nearO = std::max(nearO, double(In.SeriesSpaceNear));
  farO = std::max({farO, double(In.SeriesSpaceFar), 3.0 * In.ArrowLength});
  return {std::max(0, Ceil(nearO)), std::max(0, Ceil(farO))};
}

void RtLayoutMargins(TRtGraphLayout& L) {
  L.MarginLeft = Ceil(L.DistanceBorderAxisLeft);
  L.MarginRight = Ceil(L.DistanceBorderAxisRight);
  L.MarginTop = Ceil(L.DistanceBorderAxisTop);
  L.MarginBottom = Ceil(L.DistanceBorderAxisBottom) + (L.SingleBorder ? 4 : 0);
  L.ShowHScrollbar = L.HScrollbarWanted;
  L.ShowVScrollbar = L.VScrollbarWanted;
  if (L.ShowHScrollbar) L.MarginBottom += L.HScrollbarHeight;
  if (L.ShowVScrollbar) L.MarginLeft += L.VScrollbarWidth;
  if (L.TitleVisible && L.TitleHeight > 0)
    L.MarginTop =
        Ceil(L.MarginTop + L.TitleHeight + L.CaptionDistanceBefore + L.CaptionDistanceAfter);
  int grow[4] = {0, 0, 0, 0};  // bottom, left, top, right
  for (TRtLayoutLegend& g : L.Legends) {
    QRect& b = g.Bounds;
    if (IsBottom(g.Position)) {
      b.moveTop(L.ClientHeight - b.height() - L.MarginBottom);
      grow[0] = std::max(grow[0], b.height());
    } else if (IsLeft(g.Position)) {
      b.moveLeft(L.MarginLeft);
      grow[1] = std::max(grow[1], b.width());
    } else if (IsTop(g.Position)) {
      b.moveTop(L.MarginTop);
      grow[2] = std::max(grow[2], b.height());
    } else if (IsRight(g.Position)) {
      b.moveLeft(L.ClientWidth - b.width() - L.MarginRight);
      grow[3] = std::max(grow[3], b.width());
    }
  }
  L.MarginBottom += grow[0];
  L.MarginLeft += grow[1];
  L.MarginTop += grow[2];
  L.MarginRight += grow[3];
}

void RtLayoutBands(TRtGraphLayout& L) {
  std::fill(std::begin(L.InnerAxis), std::end(L.InnerAxis), -1);
  for (int i = int(L.Axes.size()) - 1; i >= 0; --i) {
    TRtLayoutAxis& a = L.Axes[std::size_t(i)];
    if (!a.AutoSize) continue;
    const int f = Ceil(a.Band);
    QRect& b = a.Bounds;
    switch (a.Side) {
      case TRtLayoutSide::Left:
        b = QRect(L.MarginLeft, 0, f, L.ClientHeight);
        if (a.Visible) L.MarginLeft += f;
        break;
      case TRtLayoutSide::Right:
        if (a.Visible) L.MarginRight += f;
        b = QRect(L.ClientWidth - L.MarginRight, 0, f, L.ClientHeight);
        break;
      case TRtLayoutSide::Bottom:
        if (a.Visible) L.MarginBottom += f;
        b = QRect(0, L.ClientHeight - L.MarginBottom, L.ClientWidth, f);
        break;
      case TRtLayoutSide::Top:
        b = QRect(0, L.MarginTop, L.ClientWidth, f);
        if (a.Visible) L.MarginTop += f;
        break;
    }
    if (a.Visible) L.InnerAxis[int(a.Side)] = i;
    const float half = a.AxisThicknes / 2;
    if (a.Horizontal()) {
      a.AxLeft = float(a.Overhang.Near);
      a.AxLength = float(b.width() - a.Overhang.Far - a.Overhang.Near);
      if (a.Side == TRtLayoutSide::Bottom) {
        a.AxTop = a.TicksPointToData ? a.MajorTickLength : float(Ceil(half));
        if (a.AxTop < 1) a.AxTop = 0;
      } else {
        a.AxTop = a.TicksPointToData ? float(b.height()) - a.MajorTickLength
                                     : float(Ceil(b.height() - half));
      }
    } else {
      a.AxTop = float(a.Overhang.Far);
      a.AxLength = float(b.height() - a.Overhang.Near - a.Overhang.Far);
      if (a.Side == TRtLayoutSide::Left)
        a.AxLeft =
            a.TicksPointToData ? float(b.width()) - a.MajorTickLength : float(Ceil(a.Band - half));
      else
        a.AxLeft = a.TicksPointToData ? a.MajorTickLength : float(Ceil(half));
    }
    a.AxLength = std::max(a.AxLength, 40.0f);
  }
}

void RtLayoutDataArea(TRtGraphLayout& L) {
  int o[4] = {0, 0, 0, 0};  // bottom, left, top, right
  for (const TRtLayoutAxis& a : L.Axes) {
    if (!a.AutoSize) continue;
    if (a.Horizontal()) {
      o[1] = std::max(o[1], a.Overhang.Near);
      o[3] = std::max(o[3], a.Overhang.Far);
    } else {
      o[0] = std::max(o[0], a.Overhang.Near);
      o[2] = std::max(o[2], a.Overhang.Far);
    }
  }
  int* margin[4] = {&L.MarginBottom, &L.MarginLeft, &L.MarginTop, &L.MarginRight};
  for (int side = 0; side < 4; ++side) {
    int& m = *margin[side];
    const int idx = L.InnerAxis[side];
    if (idx < 0) {
      m += o[side];
      continue;
    }
    TRtLayoutAxis& a = L.Axes[std::size_t(idx)];
    const QRect& b = a.Bounds;
    const float dva = a.DistanceValuesAxis;
    if (m < o[side]) {
      m = o[side];
      switch (a.Side) {
        case TRtLayoutSide::Left:
          a.AxLeft = float(o[side]) - dva;
          break;
        case TRtLayoutSide::Right:
          a.AxLeft = float(b.width() - o[side]) + dva;
          break;
        case TRtLayoutSide::Bottom:
          a.AxTop = float(b.height() - o[side]) + dva;
          break;
        case TRtLayoutSide::Top:
          a.AxTop = float(o[side]) - dva;
          break;
      }
    } else {
      switch (a.Side) {
        case TRtLayoutSide::Left:
          m = Ceil(b.left() + a.AxLeft + dva);
          break;
        case TRtLayoutSide::Right:
          m = Ceil(L.ClientWidth - b.left() - a.AxLeft + dva);
          break;
        case TRtLayoutSide::Bottom:
          m = Ceil(L.ClientHeight - b.top() - a.AxTop + dva);
          break;
        case TRtLayoutSide::Top:
          m = Ceil(b.top() + a.AxTop + dva);
          break;
      }
    }
  }
  for (TRtLayoutAxis& a : L.Axes) {
    if (!a.AutoSize) continue;
    if (a.Horizontal()) {
      a.AxLeft = float(L.MarginLeft);
      L.MarginRight = std::max(L.MarginRight, Ceil(a.MajorTickThicknes / 2));
      a.AxLength = float(a.Bounds.width() - L.MarginLeft - L.MarginRight);
    } else {
      L.MarginTop = std::max(L.MarginTop, Ceil(a.MajorTickThicknes / 2));
      a.AxTop = float(L.MarginTop);
      a.AxLength = float(a.Bounds.height() - L.MarginBottom - L.MarginTop);
    }
    a.AxLength = std::max(a.AxLength, 40.0f);
  }
  L.DrawingArea =
      QRectF(L.MarginLeft, L.MarginTop, L.ClientWidth - L.MarginLeft - L.MarginRight + 1,
             L.ClientHeight - L.MarginTop - L.MarginBottom + 1);
  L.TitleY = L.CaptionDistanceBefore;
  L.TitleX = L.TitleAlignment == 0   ? L.DistanceBorderAxisLeft
             : L.TitleAlignment == 1 ? float(L.ClientWidth) - L.DistanceBorderAxisRight
                                     : float(L.ClientWidth) / 2;
  const QRectF& d = L.DrawingArea;
  if (L.ShowHScrollbar)
    L.HScrollbarRect =
        QRect(int(d.x()), L.ClientHeight - L.HScrollbarHeight, int(d.width()), L.HScrollbarHeight);
  if (L.ShowVScrollbar) L.VScrollbarRect = QRect(0, int(d.y()), L.VScrollbarWidth, int(d.height()));
  for (TRtLayoutLegend& g : L.Legends) {
    QRect& b = g.Bounds;
    switch (g.Position) {
      case TRtLegendPosition::BottomCenterOfAxis:
      case TRtLegendPosition::TopCenterOfAxis:
        b.moveLeft(int(d.x()) + (int(d.width()) - b.width()) / 2);
        break;
      case TRtLegendPosition::BottomCenterOfGraph:
      case TRtLegendPosition::TopCenterOfGraph:
        b.moveLeft((L.ClientWidth - b.width()) / 2);
        break;
      case TRtLegendPosition::LeftCenterOfGraph:
      case TRtLegendPosition::RightCenterOfGraph:
        b.moveTop((L.ClientHeight - b.height()) / 2);
        break;
      case TRtLegendPosition::LeftCenterOfAxis:
      case TRtLegendPosition::RightCenterOfAxis:
        b.moveTop(int(std::lround(d.y() + (d.height() - b.height()) / 2)));
        break;
      case TRtLegendPosition::LeftTopOfAxis:
      case TRtLegendPosition::RightTopOfAxis:
        b.moveTop(int(std::lround(d.y())));
        break;
      case TRtLegendPosition::FreeFloating:
        break;
    }
  }
}
