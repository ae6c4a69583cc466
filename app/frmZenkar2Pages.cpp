// The window's controls: the three columns, the four pages and their wiring.
#include "app/frmZenkar2.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/LogView.h"
#include "app/Schematic.h"

namespace {

QString Q(const char* s) {
  return QString::fromUtf8(s);
}

}  // namespace

void TFormZenkar2::BuildWindow() {
  SplitterMain = new QSplitter(Qt::Horizontal, this);
  SplitterMain->setChildrenCollapsible(false);
  setCentralWidget(SplitterMain);

  // Left: the cell picture with its labels.
  auto* scroll = new QScrollArea(SplitterMain);
  scroll->setObjectName(QStringLiteral("PanelSchematics"));
  scroll->setMaximumWidth(358);
  scroll->setMinimumWidth(120);
  scroll->setFrameShape(QFrame::NoFrame);
  Image1 = new TSchematic;
  scroll->setWidget(Image1);
  PanelSchematics = scroll;
  LabelPumpCurrent = Image1->PumpCurrent;
  LabelPumpVoltage = Image1->PumpVoltage;
  LabelSensorVoltage = Image1->SensorVoltage;
  LabelCellTemperature = Image1->CellTemperature;
  LabelLeadResistance = Image1->LeadResistance;

  // Centre: the two graphs.
  PanelGraph = new QSplitter(Qt::Vertical, SplitterMain);
  PanelGraph->setObjectName(QStringLiteral("PanelGraph"));
  PanelGraph->setChildrenCollapsible(false);
  BuildGraphs();

  // Right: pages above the log.
  PanelControl = new QSplitter(Qt::Vertical, SplitterMain);
  PanelControl->setObjectName(QStringLiteral("PanelControl"));
  PanelControl->setChildrenCollapsible(false);
  PageControl1 = new QTabWidget(PanelControl);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  TabSheetOperation = BuildOperationPage();
  TabSheetGraph = BuildGraphPage();
  TabSheetSave = BuildSavePage();
  TabSheetDebug = BuildDebugPage();
  PageControl1->addTab(TabSheetOperation, QStringLiteral("Operation"));
  PageControl1->addTab(TabSheetGraph, QStringLiteral("Graph setting"));
  PageControl1->addTab(TabSheetSave, QStringLiteral("Save"));
  PageControl1->addTab(TabSheetDebug, QStringLiteral("Debug"));
  MemoLog = new TLogView(PanelControl);
  MemoLog->setObjectName(QStringLiteral("MemoLog"));
  MemoLog->Add("Program log");

  SplitterMain->addWidget(PanelSchematics);
  SplitterMain->addWidget(PanelGraph);
  SplitterMain->addWidget(PanelControl);
  SplitterMain->setStretchFactor(0, 0);
  SplitterMain->setStretchFactor(1, 1);
  SplitterMain->setStretchFactor(2, 0);
  SplitterMain->setSizes({358, 700, 320});
  PanelGraph->setSizes({347, 400});
  PanelGraph->setStretchFactor(0, 0);
  PanelGraph->setStretchFactor(1, 1);
  PanelControl->setSizes({350, 400});
  PanelControl->setStretchFactor(0, 0);
  PanelControl->setStretchFactor(1, 1);
  PanelControl->setMinimumWidth(200);
}

QWidget* TFormZenkar2::BuildOperationPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheetOperation"));
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(4, 4, 4, 4);
  v->setSpacing(4);
  auto dbl = [](const char* name, double max, double value) {
    auto* e = new TRtDoubleEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->SetMaxValue(max);
    e->SetValue(value);
    return e;
  };
  auto* gOp = new QGroupBox(QStringLiteral("Operation"));
  auto* fOp = new QFormLayout(gOp);
  fOp->setContentsMargins(6, 2, 6, 2);
  fOp->setVerticalSpacing(2);
  RtDoubleEditTargetSetpoint = dbl("RtDoubleEditTargetSetpoint", 2.0, 0.002);
  RtDoubleEditProportionalBand = dbl("RtDoubleEditProportionalBand", 1.0, 0.0005);
  RtDoubleEditIntegral = dbl("RtDoubleEditIntegral", 60.0, 20.0);
  CheckBoxPumpIsOn = new QCheckBox(QStringLiteral("Pump is on"));
  CheckBoxPumpIsOn->setObjectName(QStringLiteral("CheckBoxPumpIsOn"));
  CheckBoxPumpIsOn->setChecked(true);
  fOp->addRow(QStringLiteral("Sensor setpoint (V)"), RtDoubleEditTargetSetpoint);
  fOp->addRow(QStringLiteral("Proportional band (V)"), RtDoubleEditProportionalBand);
  fOp->addRow(QStringLiteral("Integral length (s)"), RtDoubleEditIntegral);
  fOp->addRow(CheckBoxPumpIsOn);
  v->addWidget(gOp);

  auto* gSafe = new QGroupBox(QStringLiteral("Safety"));
  auto* fSafe = new QFormLayout(gSafe);
  fSafe->setContentsMargins(6, 2, 6, 2);
  fSafe->setVerticalSpacing(2);
  RtDoubleEditCurrentCompliance = dbl("RtDoubleEditCurrentCompliance", 0.008, 0.008);
  RtDoubleEditVoltageCompliance = dbl("RtDoubleEditVoltageCompliance", 1.0, 1.0);
  fSafe->addRow(QStringLiteral("Maximum pump current (A)"), RtDoubleEditCurrentCompliance);
  fSafe->addRow(QStringLiteral("Maximum pump voltage (V)"), RtDoubleEditVoltageCompliance);
  v->addWidget(gSafe);

  auto* gProg = new QGroupBox(QStringLiteral("Program"));
  auto* fProg = new QFormLayout(gProg);
  fProg->setContentsMargins(6, 2, 6, 2);
  fProg->setVerticalSpacing(2);
  RtDoubleEditSamplingSpeed = new TRtDoubleEdit;
  RtDoubleEditSamplingSpeed->setObjectName(QStringLiteral("RtDoubleEditSamplingSpeed"));
  RtDoubleEditSamplingSpeed->SetValue(0);
  RtIntegerEditTemperatureFrequency = new TRtIntegerEdit;
  RtIntegerEditTemperatureFrequency->setObjectName(
      QStringLiteral("RtIntegerEditTemperatureFrequency"));
  RtIntegerEditTemperatureFrequency->SetMinValue(0);
  RtIntegerEditTemperatureFrequency->SetMaxValue(0);
  RtIntegerEditTemperatureFrequency->SetValue(20);
  fProg->addRow(QStringLiteral("Loop delay (s)"), RtDoubleEditSamplingSpeed);
  fProg->addRow(QStringLiteral("Measure temperature "), RtIntegerEditTemperatureFrequency);
  ButtonRun = new QPushButton(QStringLiteral("Run"));
  ButtonRun->setObjectName(QStringLiteral("ButtonRun"));
  ButtonStop = new QPushButton(QStringLiteral("Stop"));
  ButtonStop->setObjectName(QStringLiteral("ButtonStop"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonRun);
  buttons->addWidget(ButtonStop);
  fProg->addRow(buttons);
  v->addWidget(gProg);
  v->addStretch(1);
  connect(ButtonRun, &QPushButton::clicked, this, &TFormZenkar2::ButtonRunClick);
  connect(ButtonStop, &QPushButton::clicked, this, &TFormZenkar2::ButtonStopClick);
  return page;
}

QWidget* TFormZenkar2::BuildGraphPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheetGraph"));
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(4, 4, 4, 4);
  v->setSpacing(3);
  auto intEdit = [](const char* name) {
    auto* e = new TRtIntegerEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->SetMinValue(1);
    e->SetMaxValue(0);
    e->SetValue(1);
    e->setMaximumWidth(50);
    return e;
  };
  auto timeGroup = [&](const char* title, QRadioButton*& time, QRadioButton*& seconds,
                       QCheckBox*& slit, TRtIntegerEdit*& n, const char* nName) {
    auto* g = new QGroupBox(Q(title));
    auto* grid = new QGridLayout(g);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(1);
    time = new QRadioButton(QStringLiteral("Time (Date and time)"));
    seconds = new QRadioButton(QStringLiteral("Elapsed time (Seconds)"));
    time->setChecked(true);
    slit = new QCheckBox(QStringLiteral("Only last"));
    n = intEdit(nName);
    grid->addWidget(time, 0, 0, 1, 3);
    grid->addWidget(seconds, 1, 0, 1, 3);
    grid->addWidget(slit, 2, 0);
    grid->addWidget(n, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("minutes")), 2, 2);
    v->addWidget(g);
  };
  timeGroup("Pump graph time axis", RadioButtonPumpTimeAxisTime, RadioButtonPumpTimeAxisSeconds,
            CheckBoxPumpTimeAxisSlit, RtDoubleEditPumpAxisSlit, "RtDoubleEditPumpAxisSlit");
  {
    auto* g = new QGroupBox(QStringLiteral("Rate of change"));
    auto* h = new QHBoxLayout(g);
    h->setContentsMargins(6, 2, 6, 2);
    CheckBoxRateOfChange = new QCheckBox(QStringLiteral("Observe"));
    RtIntegerEditRateOfChangeObserveTime = intEdit("RtIntegerEditRateOfChangeObserveTime");
    h->addWidget(CheckBoxRateOfChange);
    h->addWidget(RtIntegerEditRateOfChangeObserveTime);
    h->addWidget(new QLabel(QStringLiteral("minutes")));
    h->addStretch(1);
    v->addWidget(g);
  }
  timeGroup("Sensor graph time axis", RadioButtonSensorTimeAxisTime,
            RadioButtonSensorTimeAxisSeconds, CheckBoxSensorTimeAxisSlit,
            RtDoubleEditSensorAxisSlit, "RtDoubleEditSensorAxisSlit");
  {
    auto* g = new QGroupBox(QStringLiteral("Sensor graph extra data"));
    // Two columns: three captions side by side do not fit the page's width.
    auto* h = new QGridLayout(g);
    h->setContentsMargins(6, 2, 6, 2);
    h->setVerticalSpacing(1);
    CheckBoxPumpVoltageShow = new QCheckBox(QStringLiteral("Pump voltage"));
    CheckBoxCellTemperatureShow = new QCheckBox(QStringLiteral("Cell temperature"));
    CheckBoxTargetSetpoint = new QCheckBox(QStringLiteral("Target setpoint"));
    CheckBoxTargetSetpoint->setChecked(true);
    h->addWidget(CheckBoxPumpVoltageShow, 0, 0);
    h->addWidget(CheckBoxCellTemperatureShow, 0, 1);
    h->addWidget(CheckBoxTargetSetpoint, 1, 0);
    v->addWidget(g);
  }
  v->addStretch(1);
  return page;
}

QWidget* TFormZenkar2::BuildSavePage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheetSave"));
  auto* v = new QVBoxLayout(page);
  ButtonManualSave = new QPushButton(QStringLiteral("Save all"));
  ButtonManualSave->setObjectName(QStringLiteral("ButtonManualSave"));
  v->addWidget(ButtonManualSave);
  v->addStretch(1);
  connect(ButtonManualSave, &QPushButton::clicked, this, &TFormZenkar2::ButtonManualSaveClick);
  return page;
}

QWidget* TFormZenkar2::BuildDebugPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheetDebug"));
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(3);
  auto radioGroup = [](const char* title, std::initializer_list<const char*> items,
                       std::vector<QRadioButton*>& out, bool across) {
    auto* g = new QGroupBox(Q(title));
    QBoxLayout* l = across ? static_cast<QBoxLayout*>(new QHBoxLayout(g)) : new QVBoxLayout(g);
    l->setContentsMargins(6, 2, 6, 2);
    l->setSpacing(1);
    for (const char* it : items) {
      auto* r = new QRadioButton(Q(it));
      l->addWidget(r);
      out.push_back(r);
    }
    return g;
  };
  RadioGroup1 = radioGroup("Select channel",
                           {"Channel 1 - Dummy", "Channel 2 - Sensor", "Channel 4 - Thermocouple",
                            "Channel 5 - Thermistor"},
                           RadioGroup1Items, false);
  RadioGroup2 = radioGroup("Measurement method", {"DC Voltage", "Resistance", "K-temperature"},
                           RadioGroup2Items, true);
  // One above the other: side by side the channel captions do not fit the page's width.
  grid->addWidget(RadioGroup1, 0, 0, 1, 2);
  grid->addWidget(RadioGroup2, 1, 0, 1, 2);
  Button3 = new QPushButton(QStringLiteral("Measure"));
  ButtonTerminals = new QPushButton(QStringLiteral("Terminals?"));
  grid->addWidget(Button3, 2, 0);
  grid->addWidget(ButtonTerminals, 2, 1);
  auto* gPro = new QGroupBox(QStringLiteral("Prologix"));
  auto* gl = new QGridLayout(gPro);
  gl->setContentsMargins(6, 2, 6, 2);
  gl->setSpacing(2);
  Edit1 = new QLineEdit;
  SentToPrologix = new QPushButton(QStringLiteral("Send"));
  Button4 = new QPushButton(QStringLiteral("Read EOI"));
  ButtonSerialPoll = new QPushButton(QStringLiteral("Serial poll"));
  gl->addWidget(Edit1, 0, 0, 1, 2);
  gl->addWidget(SentToPrologix, 0, 2);
  gl->addWidget(Button4, 1, 0);
  gl->addWidget(ButtonSerialPoll, 1, 1);
  grid->addWidget(gPro, 3, 0, 1, 2);
  CheckBox1 = new QCheckBox(QStringLiteral("Debug"));
  CheckBox2 = new QCheckBox(QStringLiteral("Timer"));
  CheckBox2->setChecked(true);
  grid->addWidget(CheckBox1, 4, 0);
  grid->addWidget(CheckBox2, 4, 1);
  ButtonReadError = new QPushButton(QStringLiteral("Read error"));
  ButtonFastRead = new QPushButton(QStringLiteral("Fast read"));
  grid->addWidget(ButtonReadError, 5, 0);
  grid->addWidget(ButtonFastRead, 5, 1);
  grid->setRowStretch(6, 1);
  connect(Button3, &QPushButton::clicked, this, &TFormZenkar2::Button3Click);
  connect(ButtonTerminals, &QPushButton::clicked, this, &TFormZenkar2::ButtonTerminalsClick);
  connect(SentToPrologix, &QPushButton::clicked, this, &TFormZenkar2::SentToPrologixClick);
  connect(Button4, &QPushButton::clicked, this, &TFormZenkar2::Button4Click);
  connect(ButtonSerialPoll, &QPushButton::clicked, this, &TFormZenkar2::ButtonSerialPollClick);
  connect(CheckBox1, &QCheckBox::clicked, this, &TFormZenkar2::CheckBox1Click);
  connect(CheckBox2, &QCheckBox::clicked, this, &TFormZenkar2::CheckBox2Click);
  return page;
}

void TFormZenkar2::PanelSchematicsResize() {
  if (PanelSchematics->width() > 358) PanelSchematics->resize(358, PanelSchematics->height());
}
