#include "chart/legend/RtLegendLayout.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

TRtShiftState RtShiftState(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers) {
  TRtShiftState s;
  if (Modifiers & Qt::ShiftModifier) s |= TRtShiftStateItem::ssShift;
  if (Modifiers & Qt::AltModifier) s |= TRtShiftStateItem::ssAlt;
  if (Modifiers & Qt::ControlModifier) s |= TRtShiftStateItem::ssCtrl;
  if (Buttons & Qt::LeftButton) s |= TRtShiftStateItem::ssLeft;
  if (Buttons & Qt::RightButton) s |= TRtShiftStateItem::ssRight;
  if (Buttons & Qt::MiddleButton) s |= TRtShiftStateItem::ssMiddle;
  return s;
}

namespace {

int Round(double v) {
  return int(std::lround(v));
}

// Column sums compare with a little slack: equal heights added up must reach their share.
constexpr float kSlack = 1e-3f;

}  // namespace

TRtLegendLayout RtArrangeLegend(const TRtLegendLayoutInput& In) {
  const int n = int(In.Captions.size());
  const float border = In.DistanceToBorder;
  const float s = In.ItemWidth + In.DistanceItemCaption;
  const float ih = In.ItemHeight;
  std::vector<QRectF> rects(static_cast<std::size_t>(n));
  std::vector<QPointF> caps(static_cast<std::size_t>(n));
  auto lineHeight = [&](int i) {
    return std::max(float(In.Captions[std::size_t(i)].height()), ih);
  };
  auto place = [&](int i, float x, float y) {
    const float h = lineHeight(i);
    rects[std::size_t(i)] = QRectF(x, y + (h - ih) / 2, In.ItemWidth, ih);
    caps[std::size_t(i)] = QPointF(x + s, y + h / 2);
  };

  float H = border;
  float W = 2 * border;
  if (In.TitleShown)
    H += float(In.Title.height()) + In.CaptionDistanceBefore + In.CaptionDistanceAfter;
  const float y0 = H;

  if (In.ItemsOrder == TRtItemsOrder::ByRow) {
    const int rows = std::max(In.Rows, 1);
    const int k = rows == n ? 0 : n / rows;
    struct TRow {
      int First, Last;
      float Width;
    };
    std::vector<TRow> done;
    float x = 0, y = y0, tallest = 0;
    int first = 0;
    for (int i = 0; i < n; ++i) {
      place(i, x, y);
      x += float(In.Captions[std::size_t(i)].width()) + s + In.DistanceBetweenColumns;
      tallest = std::max(tallest, lineHeight(i));
      const float rowWidth = x - In.DistanceBetweenColumns;
      W = std::max(W, rowWidth + 2 * border);
      const bool last = i == n - 1;
      if (last || i - first + 1 >= k) {
        done.push_back({first, i, rowWidth});
        if (last) {
          H += tallest;
        } else {
          y += tallest + In.DistanceBetweenLines;
          H += tallest + In.DistanceBetweenLines;
          x = 0;
          tallest = 0;
          first = i + 1;
        }
      }
    }
    const int reference = In.AutoSize ? Round(W) : In.ActualWidth;
    for (const TRow& r : done) {
      const int shift = (reference - Round(r.Width)) / 2;
      for (int i = r.First; i <= r.Last; ++i) {
        rects[std::size_t(i)].translate(shift, 0);
        caps[std::size_t(i)] += QPointF(shift, 0);
      }
    }
  } else {
    const int columns = std::max(In.Columns, 1);
    float total = 0;
    for (int i = 0; i < n; ++i) total += lineHeight(i);
    const float breakHeight = total / float(columns);
    float x = border, y = y0, inColumn = 0, widest = 0;
    for (int i = 0; i < n; ++i) {
      place(i, x, y);
      const float h = lineHeight(i);
      H = std::max(H, y + h);
      y += h + In.DistanceBetweenLines;
      inColumn += h;
      widest = std::max(widest, float(In.Captions[std::size_t(i)].width()));
      if (inColumn + kSlack >= breakHeight && i < n - 1) {
        const float advance = widest + In.DistanceBetweenColumns + s;
        x += advance;
        W += advance;
        y = y0;
        inColumn = 0;
        widest = 0;
      }
    }
    if (n > 0) W += widest + s;
  }

  H += border;

  if (In.TitleShown && W < 2 * border + float(In.Title.width())) {
    const float wide = 2 * border + float(In.Title.width());
    const float diff = wide - W;
    const float shift = In.TitleAlignment == TAlignment::taRightJustify ? diff
                        : In.TitleAlignment == TAlignment::taCenter     ? diff / 2
                                                                        : 0;
    for (int i = 0; i < n; ++i) {
      rects[std::size_t(i)].translate(shift, 0);
      caps[std::size_t(i)] += QPointF(shift, 0);
    }
    W = wide;
  }

  TRtLegendLayout out;
  out.Width = Round(W);
  out.Height = Round(H);
  out.Size = In.DropShadow ? QSize(out.Width + 5, out.Height + 4) : QSize(out.Width, out.Height);
  for (int i = 0; i < n; ++i) {
    const QRectF& r = rects[std::size_t(i)];
    out.ItemRects.emplace_back(Round(r.x()), Round(r.y()), Round(r.width()), Round(r.height()));
    out.CaptionPoints.emplace_back(Round(caps[std::size_t(i)].x()),
                                   Round(caps[std::size_t(i)].y()));
  }
  const float titleY = border + In.CaptionDistanceBefore;
  const float titleX = In.TitleAlignment == TAlignment::taLeftJustify    ? border
                       : In.TitleAlignment == TAlignment::taRightJustify ? W - border
                                                                         : W / 2;
  out.TitlePoint = QPoint(Round(titleX), Round(titleY));
  return out;
}
