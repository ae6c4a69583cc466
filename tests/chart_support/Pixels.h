// Pixel helpers for the rendering tests.
#pragma once

#include <QDir>
#include <QImage>
#include <QRect>
#include <QString>

#include <climits>
#include <functional>
#include <vector>

// Bounding box of the pixels in Region for which Ink is true (empty when none).
inline QRect InkBounds(const QImage& Img, const QRect& Region,
                       const std::function<bool(QRgb)>& Ink) {
  int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
  const QRect r = Region.intersected(Img.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (Ink(Img.pixel(x, y))) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
}

inline bool NotWhite(QRgb c);

// Ink boxes of the glyph groups of Img from left to right (columns without ink separate them).
inline std::vector<QRect> InkSegments(const QImage& Img) {
  std::vector<QRect> out;
  int start = -1;
  for (int x = 0; x <= Img.width(); ++x) {
    bool ink = false;
    for (int y = 0; x < Img.width() && y < Img.height() && !ink; ++y)
      ink = NotWhite(Img.pixel(x, y));
    if (ink && start < 0) start = x;
    if (!ink && start >= 0) {
      out.push_back(InkBounds(Img, QRect(start, 0, x - start, Img.height()), NotWhite));
      start = -1;
    }
  }
  return out;
}

inline bool NotWhite(QRgb c) {
  return qRed(c) < 200 || qGreen(c) < 200 || qBlue(c) < 200;
}

// Strongly red, green or blue pixels (anti-aliased edges excluded).
inline bool Reddish(QRgb c) {
  return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90;
}
inline bool Bluish(QRgb c) {
  return qBlue(c) > 180 && qRed(c) < 90 && qGreen(c) < 90;
}

inline int CountPixels(const QImage& Img, const QRect& Region, const std::function<bool(QRgb)>& f) {
  int n = 0;
  const QRect r = Region.intersected(Img.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += f(Img.pixel(x, y)) ? 1 : 0;
  return n;
}

// Saves Img as <png dir>/<Name>.png for looking at; returns the path.
inline QString SavePng(const QImage& Img, const QString& Name) {
  const QString dir = QStringLiteral(ZK_PNG_DIR);
  QDir().mkpath(dir);
  const QString path = dir + QLatin1Char('/') + Name + QStringLiteral(".png");
  Img.save(path);
  return path;
}
