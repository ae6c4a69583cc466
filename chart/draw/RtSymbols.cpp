#include "chart/draw/RtSymbols.h"

#include <cmath>

bool RtSymbolIsFilled(TRtPointSymbol s) {
  switch (s) {
    case TRtPointSymbol::FiveStar:
    case TRtPointSymbol::Circle:
    case TRtPointSymbol::Square:
    case TRtPointSymbol::Diamond:
    case TRtPointSymbol::Delta:
    case TRtPointSymbol::Nabla:
      return true;
    default:
      return false;
  }
}

QPainterPath RtSymbolPath(TRtPointSymbol s, float X, float Y, float Size) {
  const double r = Size / 2.0;
  QPainterPath p;
  switch (s) {
    case TRtPointSymbol::Dot:
    case TRtPointSymbol::Circle:
      p.addEllipse(QPointF(X, Y), r, r);
      break;
    case TRtPointSymbol::Square:
      p.addRect(QRectF(X - r, Y - r, Size, Size));
      break;
    case TRtPointSymbol::Diamond:
      p.moveTo(X, Y - r);
      p.lineTo(X + r, Y);
      p.lineTo(X, Y + r);
      p.lineTo(X - r, Y);
      p.closeSubpath();
      break;
    case TRtPointSymbol::Delta:
      p.moveTo(X, Y - r);
      p.lineTo(X + r, Y + r);
      p.lineTo(X - r, Y + r);
      p.closeSubpath();
      break;
    case TRtPointSymbol::Nabla:
      p.moveTo(X - r, Y - r);
      p.lineTo(X + r, Y - r);
      p.lineTo(X, Y + r);
      p.closeSubpath();
      break;
    case TRtPointSymbol::FiveStar:
      for (int k = 0; k < 10; ++k) {
        const double a = -M_PI / 2 + k * M_PI / 5;
        const double rr = (k % 2 == 0) ? r : r * 0.382;
        const QPointF q(X + rr * std::cos(a), Y + rr * std::sin(a));
        if (k == 0)
          p.moveTo(q);
        else
          p.lineTo(q);
      }
      p.closeSubpath();
      break;
    case TRtPointSymbol::Cross:
    case TRtPointSymbol::Star:
      p.moveTo(X - r, Y);
      p.lineTo(X + r, Y);
      p.moveTo(X, Y - r);
      p.lineTo(X, Y + r);
      if (s == TRtPointSymbol::Cross) break;
      [[fallthrough]];
    case TRtPointSymbol::Ex: {
      const double d = s == TRtPointSymbol::Star ? r * 0.7071 : r;
      p.moveTo(X - d, Y - d);
      p.lineTo(X + d, Y + d);
      p.moveTo(X - d, Y + d);
      p.lineTo(X + d, Y - d);
      break;
    }
  }
  return p;
}

void RtDrawPointSymbol(QPainter& P, TRtPointSymbol s, float X, float Y, float Size, const QPen& Pen,
                       const QBrush& Brush) {
  const QPainterPath path = RtSymbolPath(s, X, Y, Size);
  if (s == TRtPointSymbol::Dot) {
    P.fillPath(path, Pen.brush());
    return;
  }
  if (RtSymbolIsFilled(s)) {
    P.fillPath(path, Brush);
    if (Pen.widthF() > 0) P.strokePath(path, Pen);
    return;
  }
  P.strokePath(path, Pen);
}
