#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect CentredIn(QSize size, const QRect& area) {
  size = size.boundedTo(area.size());
  const int x = area.left() + (area.width() - size.width()) / 2;
  const int y = area.top() + (area.height() - size.height()) / 2;
  return QRect(QPoint(x, y), size);
}

QRect KeptInside(const QRect& frame, const QRect& area) {
  const QSize size = frame.size().boundedTo(area.size());
  const int x = std::clamp(frame.left(), area.left(), area.left() + area.width() - size.width());
  const int y = std::clamp(frame.top(), area.top(), area.top() + area.height() - size.height());
  return QRect(QPoint(x, y), size);
}

QRect AvailableArea(const QWidget* w) {
  QScreen* s = w ? w->screen() : nullptr;
  if (!s) s = QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect();
}

namespace {

// Gives the window the frame rectangle target; the frame margins are kept as they are.
void SetFrame(QWidget* w, const QRect& target) {
  const QRect frame = w->frameGeometry();
  const QRect inner = w->geometry();
  const QSize margins = frame.size() - inner.size();
  if (target.size() != frame.size()) w->resize(target.size() - margins);
  if (target.topLeft() != frame.topLeft()) w->move(target.topLeft());
}

}  // namespace

void PlaceCentred(QWidget* w, const QWidget* around) {
  const QRect area = AvailableArea(around ? around : w);
  if (area.isEmpty()) return;
  const QSize size = w->frameGeometry().size().boundedTo(area.size());
  QRect target = CentredIn(size, area);
  if (around && around->isVisible()) {
    target.moveCenter(around->frameGeometry().center());
    target = KeptInside(target, area);
  }
  SetFrame(w, target);
}

void KeepOnScreen(QWidget* w) {
  const QRect area = AvailableArea(w);
  if (area.isEmpty()) return;
  const QRect frame = w->frameGeometry();
  const QRect target = KeptInside(frame, area);
  if (target != frame) SetFrame(w, target);
}
