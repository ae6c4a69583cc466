#include "app/Schematic.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kValueW = 120, kValueH = 18;
const QColor kLime(0x00, 0xFF, 0x00);
}  // namespace

TSchematic::TSchematic(QWidget* parent) : QWidget(parent) {
  setFixedSize(kWidth, kHeight);
  Caption(QStringLiteral("Pump"), 10, 150, true);
  Caption(QStringLiteral("Current (A)"), 10, 172);
  PumpCurrent = Value(10, 190);
  Caption(QStringLiteral("Voltage (V)"), 10, 216);
  PumpVoltage = Value(10, 234);
  Caption(QStringLiteral("Sensor"), 10, 400, true);
  Caption(QStringLiteral("Voltage (V)"), 10, 422);
  SensorVoltage = Value(10, 440);
  Caption(QStringLiteral("Cell temp. (\u00BAC)"), 10, 560);
  CellTemperature = Value(10, 578);
  Caption(QStringLiteral("Lead resistance (ohm)"), 10, 690);
  LeadResistance = Value(10, 708);
}

QLabel* TSchematic::Caption(const QString& text, int x, int y, bool bold) {
  auto* l = new QLabel(text, this);
  QFont f = l->font();
  f.setBold(bold);
  l->setFont(f);
  l->move(x, y);
  l->adjustSize();
  return l;
}

QLabel* TSchematic::Value(int x, int y) {
  auto* l = new QLabel(QStringLiteral("0"), this);
  l->setGeometry(x, y, kValueW, kValueH);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setAttribute(Qt::WA_TranslucentBackground);
  l->setAutoFillBackground(false);
  return l;
}

void TSchematic::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), Qt::white);

  // Lime fields behind the (transparent) value labels.
  for (QLabel* l : {PumpCurrent, PumpVoltage, SensorVoltage, CellTemperature, LeadResistance})
    p.fillRect(l->geometry().adjusted(-2, -1, 2, 1), kLime);

  // Furnace: insulation with heating coil.
  const QRectF furnace(170, 110, 160, 520);
  p.setPen(QPen(Qt::darkGray, 2));
  p.setBrush(QColor(0xE8, 0xE0, 0xD0));
  p.drawRect(furnace);
  p.setPen(QPen(QColor(0xD0, 0x40, 0x20), 2));
  for (int y = 130; y < 620; y += 14) {
    p.drawLine(QPointF(180, y), QPointF(196, y + 7));
    p.drawLine(QPointF(304, y), QPointF(320, y + 7));
  }
  p.setPen(Qt::darkGray);
  p.drawText(QRectF(170, 632, 160, 16), Qt::AlignCenter, QStringLiteral("Furnace"));

  // Zirconia tube, closed at the bottom, open top with the gas volume inside.
  QPainterPath tube;
  tube.moveTo(220, 40);
  tube.lineTo(220, 520);
  tube.arcTo(QRectF(220, 490, 60, 60), 180, 180);
  tube.lineTo(280, 40);
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 3));
  p.setBrush(QColor(0xF5, 0xF0, 0xC8));
  p.drawPath(tube);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xDD, 0xEE, 0xFF));
  p.drawRect(QRectF(226, 40, 48, 480));

  // Electrodes: pump high on the tube, sensor lower down; platinum bands inside and outside.
  auto electrode = [&](double y, const QColor& c) {
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(212, y, 8, 60));
    p.drawRect(QRectF(280, y, 8, 60));
    p.drawRect(QRectF(220, y, 6, 60));
    p.drawRect(QRectF(274, y, 6, 60));
  };
  electrode(170, QColor(0x40, 0x40, 0xA0));
  electrode(410, QColor(0x20, 0x80, 0x20));

  // Leads from the electrodes to the captions.
  p.setPen(QPen(Qt::black, 1.5));
  p.drawLine(QPointF(212, 200), QPointF(135, 200));
  p.drawLine(QPointF(212, 440), QPointF(135, 440));
  p.setPen(QPen(Qt::black, 1, Qt::DashLine));
  p.drawLine(QPointF(288, 200), QPointF(340, 200));
  p.drawLine(QPointF(340, 200), QPointF(340, 90));
  p.drawLine(QPointF(288, 440), QPointF(336, 440));
  p.drawLine(QPointF(336, 440), QPointF(336, 90));
  p.setPen(Qt::black);
  p.drawText(QRectF(150, 180, 60, 16), Qt::AlignCenter, QStringLiteral("I, U"));
  p.drawText(QRectF(150, 420, 60, 16), Qt::AlignCenter, QStringLiteral("E"));

  // Thermocouple: two wires up the tube to a bead beside the sensor.
  p.setPen(QPen(QColor(0xB0, 0x00, 0x00), 1.5));
  p.drawLine(QPointF(246, 40), QPointF(246, 480));
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
  p.drawLine(QPointF(254, 40), QPointF(254, 480));
  p.setBrush(QColor(0xB0, 0x00, 0x00));
  p.drawEllipse(QPointF(250, 484), 6, 6);
  p.setPen(QPen(Qt::black, 1.5));
  p.drawLine(QPointF(244, 484), QPointF(135, 584));
  p.drawText(QRectF(150, 520, 70, 16), Qt::AlignLeft, QStringLiteral("Type S"));

  // Lead resistance: the scanner's reference channel.
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(150, 700, 60, 24));
  p.drawText(QRectF(150, 700, 60, 24), Qt::AlignCenter, QStringLiteral("R lead"));
  p.drawLine(QPointF(135, 716), QPointF(150, 716));

  p.setPen(Qt::black);
  QFont f = font();
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(0, 8, kWidth, 20), Qt::AlignCenter,
             QStringLiteral("Coulometric titration cell"));
}
