// The cell picture of the left panel: furnace, zirconia tube with pump and sensor electrodes,
// thermocouple, with the captions and the value labels placed over it.
#pragma once

#include <QWidget>

class QLabel;

class TSchematic : public QWidget {
 public:
  static constexpr int kWidth = 350;
  static constexpr int kHeight = 750;

  explicit TSchematic(QWidget* parent = nullptr);

  QLabel* PumpCurrent = nullptr;
  QLabel* PumpVoltage = nullptr;
  QLabel* SensorVoltage = nullptr;
  QLabel* CellTemperature = nullptr;
  QLabel* LeadResistance = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QLabel* Caption(const QString& text, int x, int y, bool bold = false);
  QLabel* Value(int x, int y);
};
