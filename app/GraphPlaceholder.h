// Stands in for a graph until the chart control exists: the right place and size, nothing drawn.
#pragma once

#include <QFrame>

class TGraphPlaceholder : public QFrame {
 public:
  explicit TGraphPlaceholder(QWidget* parent = nullptr);
  void BeginUpdate() { ++fUpdating; }
  void EndUpdate() {
    if (fUpdating > 0) --fUpdating;
  }

 private:
  int fUpdating = 0;
};
