#include "app/ControlPresets.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVariant>

#include <utility>
#include <vector>

#include "app/Schematic.h"
#include "app/frmZenkar2.h"

namespace {

// The operator's controls by their names; not all of them carry an object name.
std::vector<std::pair<const char*, QWidget*>> Controls(TFormZenkar2& w) {
  return {
      {"RtDoubleEditTargetSetpoint", w.RtDoubleEditTargetSetpoint},
      {"RtDoubleEditCurrentCompliance", w.RtDoubleEditCurrentCompliance},
      {"RtDoubleEditProportionalBand", w.RtDoubleEditProportionalBand},
      {"RtDoubleEditIntegral", w.RtDoubleEditIntegral},
      {"RtDoubleEditVoltageCompliance", w.RtDoubleEditVoltageCompliance},
      {"CheckBoxPumpIsOn", w.CheckBoxPumpIsOn},
      {"RtDoubleEditSamplingSpeed", w.RtDoubleEditSamplingSpeed},
      {"RtIntegerEditTemperatureFrequency", w.RtIntegerEditTemperatureFrequency},
      {"RadioButtonPumpTimeAxisTime", w.RadioButtonPumpTimeAxisTime},
      {"RadioButtonPumpTimeAxisSeconds", w.RadioButtonPumpTimeAxisSeconds},
      {"CheckBoxPumpTimeAxisSlit", w.CheckBoxPumpTimeAxisSlit},
      {"RtDoubleEditPumpAxisSlit", w.RtDoubleEditPumpAxisSlit},
      {"CheckBoxRateOfChange", w.CheckBoxRateOfChange},
      {"RtIntegerEditRateOfChangeObserveTime", w.RtIntegerEditRateOfChangeObserveTime},
      {"RadioButtonSensorTimeAxisTime", w.RadioButtonSensorTimeAxisTime},
      {"RadioButtonSensorTimeAxisSeconds", w.RadioButtonSensorTimeAxisSeconds},
      {"CheckBoxSensorTimeAxisSlit", w.CheckBoxSensorTimeAxisSlit},
      {"RtDoubleEditSensorAxisSlit", w.RtDoubleEditSensorAxisSlit},
      {"CheckBoxPumpVoltageShow", w.CheckBoxPumpVoltageShow},
      {"CheckBoxCellTemperatureShow", w.CheckBoxCellTemperatureShow},
      {"CheckBoxTargetSetpoint", w.CheckBoxTargetSetpoint},
      {"CheckBox1", w.CheckBox1},
      {"CheckBox2", w.CheckBox2},
      {"Edit1", w.Edit1},
  };
}

QWidget* Control(TFormZenkar2& w, const std::string& name) {
  for (const auto& [n, widget] : Controls(w))
    if (name == n) return widget;
  return WindowPart(w, name);
}

}  // namespace

QWidget* WindowPart(TFormZenkar2& window, const std::string& name) {
  if (name.empty()) return nullptr;
  if (QString::fromStdString(name) == window.objectName()) return &window;
  if (name == "Image1") return window.Image1;
  return window.findChild<QWidget*>(QString::fromStdString(name));
}

bool ApplyControlSetting(TFormZenkar2& window, const std::string& setting, std::string& error) {
  const size_t eq = setting.find('=');
  const std::string name = setting.substr(0, eq);
  const bool hasValue = eq != std::string::npos;
  const QString value = hasValue ? QString::fromStdString(setting.substr(eq + 1)) : QString();
  QWidget* c = Control(window, name);
  if (!c) {
    error = "no control named '" + name + "'";
    return false;
  }
  if (auto* b = qobject_cast<QAbstractButton*>(c); b && b->isCheckable()) {
    const bool on = !hasValue || value == QLatin1String("on");
    if (!on && (value != QLatin1String("off") || !qobject_cast<QCheckBox*>(b))) {
      error = "'" + name + "' takes no value but 'off'";
      return false;
    }
    b->setChecked(on);
    return true;
  }
  // A push button by its name is pressed ("ButtonRun" starts the measurement).
  if (auto* b = qobject_cast<QAbstractButton*>(c); b && !hasValue) {
    b->click();
    return true;
  }
  const QVariant old = c->property("Value");
  if (old.isValid()) {
    bool ok = false;
    const double v = value.toDouble(&ok);
    const bool integer = old.typeId() == QMetaType::Int;
    if (ok && integer && v == static_cast<int>(v))
      ok = c->setProperty("Value", static_cast<int>(v));
    else if (ok && !integer)
      ok = c->setProperty("Value", v);
    else
      ok = false;
    if (ok) return true;
    error = "'" + name + "' needs " + (integer ? "a whole number" : "a number") + ", as in " +
            name + "=5";
    return false;
  }
  if (auto* e = qobject_cast<QLineEdit*>(c)) {
    e->setText(value);
    return true;
  }
  error = "'" + name + "' cannot be set";
  return false;
}

bool ShowPage(TFormZenkar2& window, const std::string& caption, std::string& error) {
  for (int i = 0; i < window.PageControl1->count(); ++i) {
    if (window.PageControl1->tabText(i).toStdString() == caption) {
      window.PageControl1->setCurrentIndex(i);
      return true;
    }
  }
  error = "no page '" + caption + "'";
  return false;
}
