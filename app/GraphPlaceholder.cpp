#include "app/GraphPlaceholder.h"

TGraphPlaceholder::TGraphPlaceholder(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
  setMinimumSize(200, 120);
}
