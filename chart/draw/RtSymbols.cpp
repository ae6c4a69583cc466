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

TRtDotSkipper::TRtDotSkipper(const QPainter& P, const QBrush& Brush, float Size) {
  QPaintDevice* d = P.device();
  if (!d || d->devType() != QInternal::Image) return;
  const auto* img = static_cast<const QImage*>(d);
  const QTransform t = P.deviceTransform();
  const QColor c = Brush.color();
  const auto whole = [](int v) { return v == 0 || v == 255; };
  const QImage::Format f = img->format();
  if ((f != QImage::Format_ARGB32_Premultiplied && f != QImage::Format_ARGB32 &&
       f != QImage::Format_RGB32) ||
      t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) ||
      t.dy() != std::floor(t.dy()) || P.compositionMode() != QPainter::CompositionMode_SourceOver ||
      P.opacity() != 1.0 || Brush.style() != Qt::SolidPattern || c.alpha() != 255 ||
      !whole(c.red()) || !whole(c.green()) || !whole(c.blue()))
    return;
  fImage = img;
  fDx = int(t.dx());
  fDy = int(t.dy());
  fRadius = Size / 2;
  fColor = c.rgba();
}

bool TRtDotSkipper::Unchanged(float X, float Y) const {
  if (!fImage) return false;
  // Every pixel the antialiased disc can reach, with a pixel to spare.
  const double x = double(X) + fDx, y = double(Y) + fDy;
  const int x0 = int(std::floor(x - fRadius)) - 1, x1 = int(std::floor(x + fRadius)) + 1;
  const int y0 = int(std::floor(y - fRadius)) - 1, y1 = int(std::floor(y + fRadius)) + 1;
  if (!(x0 >= 0 && y0 >= 0 && x1 < fImage->width() && y1 < fImage->height())) return false;
  for (int j = y0; j <= y1; ++j) {
    const auto* line = reinterpret_cast<const QRgb*>(fImage->constScanLine(j));
    for (int i = x0; i <= x1; ++i)
      if (line[i] != fColor) return false;
  }
  return true;
}
