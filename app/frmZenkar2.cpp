#include "app/frmZenkar2.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "app/DataFiles.h"
#include "app/LogView.h"
#include "app/MessageBox.h"
#include "app/Schematic.h"
#include "common/_Common2.h"
#include "platform/IniFile.h"
#include "thermo/Thermocouples.h"
#include "transport/TypesGPIB.h"

#ifdef ZK_HAVE_DISCOVERY
#include "discovery/Autoscan.h"
#include "discovery/AutoscanDialog.h"
#endif

TDataFromThread ThreadData;
int32_t CycleCounter = 2;
TDateTime LastCycleReadTime = 0;
bool DevicesConfigured = false;
int32_t AutosaveStartRow = 0;
TPrologix* PrologixController = nullptr;
TKeithley2401_Zenkar* K2401 = nullptr;
TKeithley2000_Scan_Zenkar* K2000 = nullptr;

namespace {

struct TUnitInit {
  TUnitInit() { ThreadData.ReadTime = Now(); }
} gUnitInit;

constexpr const char* kSection = "Zenkar settings";
constexpr const char* kIdn2401 = "KEITHLEY INSTRUMENTS INC.,MODEL 2401";
constexpr const char* kIdn2000 = "KEITHLEY INSTRUMENTS INC.,MODEL 2000";

std::string PadRight(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string E(double x) {
  return FormatFloat("0.0000000E+00", x);
}
std::string S14(double x) {
  return PadRight(Space(x) + E(x), 14);
}
std::string F13(bool b) {
  return PadRight(b ? "True" : "False", 13);
}
std::string T13(double t) {
  return PadRight(Space(t) + FormatFloat("#.##", t), 13);
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

QString Q(const char* s) {
  return QString::fromUtf8(s);
}

}  // namespace

void ResetUnitState() {
  ThreadData = TDataFromThread{};
  ThreadData.ReadTime = Now();
  CycleCounter = 2;
  LastCycleReadTime = 0;
  DevicesConfigured = false;
  AutosaveStartRow = 0;
}

std::string Space(double Number) {
  return Number >= 0 ? " " : "";
}

std::vector<std::string> StatusFrame(const TDataFromThread& d) {
  std::vector<std::string> f;
  f.reserve(25);
  f.push_back("");
  f.push_back("  ▄▄▄▓▓▓▓▒░ Instruments ░▒▓▓▓▓▓▓▓▓▓▓▓▄▄▄  ");
  f.push_back("▄▓▓▓▀▀▀▀                          ▀▀▀▀▓▓▓▄");
  f.push_back("▓▀                                      ▀▓");
  f.push_back("█ TIME . . . . . . . . .: " + FormatDateTime("hh:mm:ss", d.ReadTime) + "       █");
  f.push_back("▓                                        ▓");
  f.push_back("█ UPDATE COMPLIANCES . .: " + F13(d.SMUCompliancesSet) + "  █");
  if (d.SMUCompliancesSet) {
    f.push_back("▓  Current compliances .: " + E(d.SMUComplianceCurrent) + "  ▓");
    f.push_back("█  Voltage compliances .: " + E(d.SMUComplianceVoltage) + "  █");
  }
  f.push_back("▓                                        ▓");
  f.push_back("█ SLOW QUERY . . . . . .: " + F13(d.SlowQueryOk) + "  █");
  if (d.SlowQueryOk) {
    f.push_back("█  Channel 1 Voltage . .: " + S14(d.Channel1Voltage) + " █");
    f.push_back("▓  Channel 1 Resistance.:  " + E(d.Channel1Resistance) + " ▓");
    f.push_back("█  Channel 5 Resistance.:  " + E(d.Channel5Resistance) + " █");
    f.push_back("▓  Channel 4 Voltage . .: " + S14(d.Channel4Voltage) + " █");
    f.push_back("█   Box temperature. . .: " + T13(d.BoxTemperature) + "  ▓");
    f.push_back("█   Furnace temperature.: " + T13(d.FurnaceTemperature) + "  █");
  }
  f.push_back("▓                                        ▓");
  f.push_back("█ FAST QUERY                             █");
  f.push_back("▓  Sensor Voltage. . . .: " + S14(d.Channel2Voltage) + " ▓");
  f.push_back("▓  Pump Voltage. . . . .: " + S14(d.SMUVoltage) + " ▓");
  f.push_back("█  Pump Current. . . . .: " + S14(d.SMUCurrent) + " █");
  f.push_back("▓▄                                      ▄▓");
  f.push_back("▀▓▓▓▄▄▄▄                          ▄▄▄▄▓▓▓▀");
  f.push_back("  ▀▀▀▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▀▀▀  ");
  return f;
}

// ---------------------------------------------------------------------------------------------
// TThreadCom

TThreadCom::TThreadCom(bool CreateSuspended) {
  if (!CreateSuspended) Resume();
}

TThreadCom::~TThreadCom() {
  if (fThread.joinable()) fThread.join();
}

void TThreadCom::Resume() {
  if (!fThread.joinable()) fThread = std::thread([this] { Run(); });
}

void TThreadCom::Detach() {
  if (fThread.joinable()) fThread.detach();
}

namespace {
double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}
}  // namespace

void TThreadCom::Run() {
  const double cpu0 = ThreadCpuSeconds();
  try {
    Execute();
  } catch (const std::exception& e) {
    Fail(e.what());
  } catch (...) {
    Fail("unknown error");
  }
  CpuSeconds = ThreadCpuSeconds() - cpu0;
  fFinished = true;
}

// A cycle that an exception ended: one log line, zeros for the readings, the integral as it
// was, and the hand-back all the same so that the scheduler goes on.
void TThreadCom::Fail(const std::string& what) {
  AddToLog("Cycle " + std::to_string(CycleNumber) + " ended by an error (" + what +
           "); readings set to 0.");
  Channel2Voltage = SMUVoltage = SMUCurrent = 0;
  SlowQueryOk = false;
  Integral = OldIntegral;
  if (TimeOfMeasurements == 0) TimeOfMeasurements = Now();
  Synchronize([this] { HandBackResults(); });
}

void TThreadCom::Synchronize(const std::function<void()>& f) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread())
    f();
  else
    QMetaObject::invokeMethod(app, f, Qt::BlockingQueuedConnection);
}

void TThreadCom::Execute() {
  if (!K2401 || !K2000) throw std::runtime_error("instruments not configured");
  if (SMUSetCompliances) {
    K2401->SetCurrentCompliance(SMUCurrentCompliance);
    K2401->SetVoltageCompliance(SMUVoltageCompliance);
  }
  if (SlowQueryPerform) SlowQuery();
  Parallel(Channel2Voltage, SMUVoltage, SMUCurrent);
  TimeOfMeasurements = Now();
  M.push_back("");
  M.push_back("PID - control");
  const double e = TargetSetpoint - Channel2Voltage;
  Integral = (Now() - LastExecutionTime) * 86400 * e + OldIntegral;
  const double B = ProportionalBand;
  const double Ti = IntegralStrength;
  double q = 0;
  auto bandLines = [&] {
    M.push_back("Proportional band at : " + FormatFloat("0.######", TargetSetpoint - B) + " V");
    M.push_back("Sensor voltage at    : " + FormatFloat("0.######", Channel2Voltage) + " V");
  };
  if (e > B) {
    q = SMUCurrentCompliance;
    Integral = 0;
    M.push_back("Below proportional band, MAX pump current");
    bandLines();
    M.push_back("Integral zeroed");
  } else {
    M.push_back("Inside proportional band, PI control");
    bandLines();
    // A band of 0 leaves only the step above: full current below the set-point, none at or
    // above it. A band or integral length of 0 switches the integral term off (sum held at 0).
    double P = B > 0 ? e / B : 0;
    if (!(P >= 0)) P = 0;
    M.push_back("Proportional effect  : " + FormatFloat("0.###", P * 100) + " %");
    M.push_back("Integral sum         : " + FormatFloat("0.#####", Integral));
    const double BTi = B * Ti;
    double I = 0;
    if (BTi > 0) {
      if (!(Integral <= BTi)) Integral = BTi;
      if (-BTi > Integral) Integral = -BTi;
      I = Integral / BTi;
    } else {
      Integral = 0;
    }
    M.push_back("Integral effect      : " + FormatFloat("0.###", I * 100) + " %");
    M.push_back("Total effect         : " + FormatFloat("0.###", I * 100 + P * 100) + " %");
    q = (I + P) * SMUCurrentCompliance;
    if (q > SMUCurrentCompliance) q = SMUCurrentCompliance;
    if (!(q >= 0)) q = 0;
    M.push_back("Max current          : " + FormatFloat("0.###", SMUCurrentCompliance * 1000) +
                " mA");
    M.push_back("Apply current        : " + FormatFloat("0.###", q * 1000) + " mA");
  }
  K2401->SetCurrentLevel(PumpIsOn ? q : 0);
  Synchronize([this] { HandBackResults(); });
}

void TThreadCom::SlowQuery() {
  K2000->UseSingleChanel(1);
  const bool ok1 = K2000->ReadDCVoltage(Channel1Voltage);
  const bool ok2 = K2000->Read2WireResistance(Channel1Resistance);
  K2000->UseSingleChanel(5);
  const bool ok3 = K2000->Read2WireResistance(Channel5Resistance);
  K2000->UseSingleChanel(4);
  const bool ok4 = K2000->ReadDCVoltage(Channel4Voltage);
  ThermistorTemperature(Channel5Resistance, BoxTemperature);
  SlowQueryOk = ok1 && ok2 && ok3 && ok4;
  try {
    const double cj = EmfFromTemperature(4, BoxTemperature);
    FurnaceTemperature = TemperatureFromEmf(4, Channel4Voltage * 1000000 + cj);
  } catch (const EThermocouple& e) {
    // A reading outside the thermocouple's range: the temperature is recorded as missing.
    AddToLog(std::string("Temperature conversion failed: ") + e.what());
    FurnaceTemperature = 0;
    SlowQueryOk = false;
  }
}

bool TThreadCom::WaitForReply(TGPIBDevice& device, TSerialResponse& record, bool debugLine) {
  TPrologix* c = device.Communicator();
  const TDateTime deadline = Now() + device.ReadTimeout() / 1000.0 / 86400;
  bool ready = false;
  while (Now() < deadline && !ready) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    c->Send2("++spoll\r", true, record);
    const std::string reply = Trim(record.Response);
    if (debugLine && c->Debug()) AddToLog(reply);
    ready = (StrToInt(reply) & 0x10) != 0;
  }
  return ready;
}

void TThreadCom::Parallel(double& aChannel2Voltage, double& aSMUVoltage, double& aSMUCurrent) {
  K2000->UseSingleChanel(2);
  K2000->CommunicatorInitialize();
  K2000->Communicator()->GPIBSend2("func 'Volt:DC'", false, 0);
  K2000->Communicator()->GPIBSend2(":MEAS?", false, 0);
  K2401->CommunicatorInitialize();
  K2401->Communicator()->GPIBSend2(":READ?", false, 0);

  TSerialResponse smu;
  if (WaitForReply(*K2401, smu, true)) {
    K2401->Communicator()->Send2("++read eoi\r", true, smu);
    if (smu.Status.empty()) {
      const std::vector<std::string> items = SplitReading(smu.Response);
      if (items.size() >= 2 && TryParseNumber(items[0], aSMUVoltage))
        TryParseNumber(items[1], aSMUCurrent);
    }
  } else {
    aSMUVoltage = 0;
    aSMUCurrent = 0;
  }

  K2000->CommunicatorInitialize();
  TSerialResponse dmm;
  if (WaitForReply(*K2000, dmm, false)) {
    K2000->Communicator()->Send2("++read eoi\r", true, dmm);
    if (dmm.Status.empty()) TryParseNumber(dmm.Response, aChannel2Voltage);
  } else {
    aChannel2Voltage = 0;
  }
}

void TThreadCom::HandBackResults() {
  if (Abandoned) return;
  ThreadData.ReadTime = TimeOfMeasurements;
  ThreadData.SMUCompliancesSet = SMUSetCompliances;
  ThreadData.SMUComplianceCurrent = SMUCurrentCompliance;
  ThreadData.SMUComplianceVoltage = SMUVoltageCompliance;
  ThreadData.ActiveSetpoint = ActiveSetpoint;
  ThreadData.SlowQueryOk = SlowQueryOk;
  ThreadData.Channel1Voltage = Channel1Voltage;
  ThreadData.Channel1Resistance = Channel1Resistance;
  ThreadData.Channel5Resistance = Channel5Resistance;
  ThreadData.Channel4Voltage = Channel4Voltage;
  ThreadData.BoxTemperature = BoxTemperature;
  ThreadData.FurnaceTemperature = FurnaceTemperature;
  ThreadData.SMUCurrent = SMUCurrent;
  ThreadData.SMUVoltage = SMUVoltage;
  ThreadData.Channel2Voltage = Channel2Voltage;
  ThreadData.Integral = Integral;
  std::string text;
  for (const auto& l : M) text += l + "\r\n";
  ThreadData.Messages = std::move(text);
  M.clear();
  M.shrink_to_fit();
  ThreadData.ThreadRunning = false;
  ThreadData.DataTreated = false;
}

// ---------------------------------------------------------------------------------------------
// Window

TGraphPlaceholder::TGraphPlaceholder(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
  setMinimumSize(200, 120);
}

TFormZenkar2::TFormZenkar2(const TStartOptions& options, QWidget* parent)
    : QMainWindow(parent), fOptions(options) {
  fBaseDir = options.BaseDir.empty() ? QCoreApplication::applicationDirPath().toStdString()
                                     : options.BaseDir;
  setObjectName(QStringLiteral("FormZenkar2"));
  setWindowTitle(QStringLiteral("Zenkar Pro"));
  QFont base(QStringLiteral("DejaVu Sans"));
  base.setPointSize(8);
  setFont(base);

  auto vec = [this](const char* name) {
    auto* v = new TRtDoubleVector(this);
    v->setObjectName(QString::fromLatin1(name));
    v->SetCapacity(128);
    v->SetIncrement(128);
    return v;
  };
  RtDoubleVectorTime = vec("RtDoubleVectorTime");
  RtDoubleVectorSeconds = vec("RtDoubleVectorSeconds");
  RtDoubleVectorSensorVoltage = vec("RtDoubleVectorSensorVoltage");
  RtDoubleVectorPumpVoltage = vec("RtDoubleVectorPumpVoltage");
  RtDoubleVectorPumpCurrent = vec("RtDoubleVectorPumpCurrent");
  RtDoubleVectorTemperature = vec("RtDoubleVectorTemperature");
  RtDoubleVectorSetpoint = vec("RtDoubleVectorSetpoint");

  Timer1 = new QTimer(this);
  Timer1->setInterval(250);
  connect(Timer1, &QTimer::timeout, this, &TFormZenkar2::Timer1Timer);

  BuildWindow();
  if (options.LineHook) MemoLog->SetLineFinishedHook(options.LineHook);
  SetLogSink([this](const std::string& line) { MemoLog->Add(line); });
  FormCreate();
}

TFormZenkar2::~TFormZenkar2() {
  if (!fClosed) {
    Timer1->stop();
    ReapWorkers(true);
    FreeInstruments();
  }
  SetLogSink({});
}

void TFormZenkar2::Log(const std::string& line) {
  AddToLog(line);
}

std::string TFormZenkar2::SettingsPath() const {
  return (std::filesystem::path(fBaseDir) / (fOptions.ProgramName + ".ini")).string();
}

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
  RtGraph2DPumpCurrent = new TGraphPlaceholder(PanelGraph);
  RtGraph2DPumpCurrent->setObjectName(QStringLiteral("RtGraph2DPumpCurrent"));
  RtGraph2DSensorVoltage = new TGraphPlaceholder(PanelGraph);
  RtGraph2DSensorVoltage->setObjectName(QStringLiteral("RtGraph2DSensorVoltage"));

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
    auto* h = new QHBoxLayout(g);
    h->setContentsMargins(6, 2, 6, 2);
    CheckBoxPumpVoltageShow = new QCheckBox(QStringLiteral("Pump voltage"));
    CheckBoxCellTemperatureShow = new QCheckBox(QStringLiteral("Cell temperature"));
    CheckBoxTargetSetpoint = new QCheckBox(QStringLiteral("Target setpoint"));
    CheckBoxTargetSetpoint->setChecked(true);
    h->addWidget(CheckBoxPumpVoltageShow);
    h->addWidget(CheckBoxCellTemperatureShow);
    h->addWidget(CheckBoxTargetSetpoint);
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
                       std::vector<QRadioButton*>& out) {
    auto* g = new QGroupBox(Q(title));
    auto* l = new QVBoxLayout(g);
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
                           RadioGroup1Items);
  RadioGroup2 = radioGroup("Measurement method", {"DC Voltage", "Resistance", "K-temperature"},
                           RadioGroup2Items);
  grid->addWidget(RadioGroup1, 0, 0);
  grid->addWidget(RadioGroup2, 0, 1);
  Button3 = new QPushButton(QStringLiteral("Measure"));
  ButtonTerminals = new QPushButton(QStringLiteral("Terminals?"));
  grid->addWidget(Button3, 1, 0);
  grid->addWidget(ButtonTerminals, 1, 1);
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
  grid->addWidget(gPro, 2, 0, 1, 2);
  CheckBox1 = new QCheckBox(QStringLiteral("Debug"));
  CheckBox2 = new QCheckBox(QStringLiteral("Timer"));
  CheckBox2->setChecked(true);
  grid->addWidget(CheckBox1, 3, 0);
  grid->addWidget(CheckBox2, 3, 1);
  ButtonReadError = new QPushButton(QStringLiteral("Read error"));
  ButtonFastRead = new QPushButton(QStringLiteral("Fast read"));
  grid->addWidget(ButtonReadError, 4, 0);
  grid->addWidget(ButtonFastRead, 4, 1);
  grid->setRowStretch(5, 1);
  connect(Button3, &QPushButton::clicked, this, &TFormZenkar2::Button3Click);
  connect(ButtonTerminals, &QPushButton::clicked, this, &TFormZenkar2::ButtonTerminalsClick);
  connect(SentToPrologix, &QPushButton::clicked, this, &TFormZenkar2::SentToPrologixClick);
  connect(Button4, &QPushButton::clicked, this, &TFormZenkar2::Button4Click);
  connect(ButtonSerialPoll, &QPushButton::clicked, this, &TFormZenkar2::ButtonSerialPollClick);
  connect(CheckBox1, &QCheckBox::clicked, this, &TFormZenkar2::CheckBox1Click);
  connect(CheckBox2, &QCheckBox::clicked, this, &TFormZenkar2::CheckBox2Click);
  return page;
}

void TFormZenkar2::FormCreate() {
  Timer1->stop();
  DevicesConfigured = false;
  const TIniFile ini(SettingsPath());
  const std::string bypass = ini.ReadString(kSection, "Bypass autoscan", "no");
  const std::string debug = ini.ReadString(kSection, "Allow debug", "no");
  const std::string comPort = ini.ReadString(kSection, "ComPort", "");
  if (!fOptions.BypassPort.empty()) {
    ConfigureWithoutScan(fOptions.BypassPort);
  } else if (bypass == "yes") {
    ConfigureWithoutScan(comPort);
  } else {
    ScanDevices();
    if (K2000) K2000->Initialize_For_Zenkar();
    if (K2401) K2401->Initialize_For_Zenkar();
  }
  TabSheetDebug->setEnabled(debug == "yes");
  GraphProperties();
  if (PrologixController) PrologixController->SetDebug(CheckBox1->isChecked());
  PageControl1->setCurrentIndex(0);
}

void TFormZenkar2::FreeInstruments() {
  delete K2000;
  K2000 = nullptr;
  delete K2401;
  K2401 = nullptr;
  delete PrologixController;
  PrologixController = nullptr;
}

void TFormZenkar2::ConfigureWithoutScan(const std::string& ComPort) {
  FreeInstruments();
  PrologixController = new TPrologix;
  PrologixController->SetPort(ComPort);
  PrologixController->SetDebug(CheckBox1->isChecked());
  PrologixController->SetEOIonSend(true);
  PrologixController->SetEOTEnabled(false);
  PrologixController->SetAutoRead(false);
  PrologixController->SetWindowsReadLoopTimeoutMS(123);
  K2000 = new TKeithley2000_Scan_Zenkar;
  K2000->SetPort(ComPort);
  K2000->SetAddr(2);
  K2000->SetTerminator(TGPIBTerminator::ct1310);
  K2000->SetIDN("");
  K2000->SetReadTimeout(5000);
  K2000->SetCommunicator(PrologixController);
  K2000->Initialize_For_Zenkar();
  K2401 = new TKeithley2401_Zenkar;
  K2401->SetPort(ComPort);
  K2401->SetAddr(1);
  K2401->SetTerminator(TGPIBTerminator::ct1310);
  K2401->SetIDN("");
  K2401->SetReadTimeout(5000);
  K2401->SetCommunicator(PrologixController);
  K2401->Initialize_For_Zenkar();
  ShowMessage(
      "As result of bypass, all devices are assumed to be working, but no testing was done. "
      "Assumed: K2401 at Addr:1, K2000 with scanner card at Addr:2, Com port used: " +
      ComPort);
  DevicesConfigured = true;
}

void TFormZenkar2::ScanDevices() {
  FreeInstruments();
#ifdef ZK_HAVE_DISCOVERY
  std::unique_ptr<TAutoScanView> dialog;
  if (!fOptions.Headless) dialog = std::make_unique<TAutoScanDialog>(this);
  TAutoScan scan(std::move(dialog));
  scan.GPIBLowAddr = 0;
  scan.GPIBHighAddr = 4;
  scan.SetSearchForGPIB(true);
  scan.SetSearchForFurnaces(false);
  scan.SetModbusScanAddressLimit(10);
  scan.ShowForm();
  if (scan.GPIBInfo.size() == 2) {
    PrologixController = new TPrologix;
    PrologixController->SetPort(scan.GPIBInfo[1].ComPort);
    PrologixController->SetDebug(true);
    PrologixController->SetEOIonSend(true);
    PrologixController->SetEOTEnabled(false);
    PrologixController->SetAutoRead(false);
    auto setUp = [](TGPIBDevice& d, const TGPIBInfo& info) {
      d.SetPort(info.ComPort);
      d.SetAddr(info.Address);
      d.SetTerminator(static_cast<TGPIBTerminator>(info.Terminator));
      d.SetIDN(info.IDN);
      d.SetReadTimeout(1000);
      d.SetCommunicator(PrologixController);
    };
    for (const TGPIBInfo& info : scan.GPIBInfo) {
      const std::string idn = Upper(info.IDN);
      if (idn.find(kIdn2401) != std::string::npos) {
        delete K2401;
        K2401 = new TKeithley2401_Zenkar;
        setUp(*K2401, info);
      }
      if (idn.find(kIdn2000) != std::string::npos) {
        delete K2000;
        K2000 = new TKeithley2000_Scan_Zenkar;
        setUp(*K2000, info);
      }
    }
    DevicesConfigured = true;
  }
  if (!K2401 || !K2000) {
    const std::string text =
        "Keithley 2000 DMM and/or Keithley 2400 was not found. This program relies explicitly on "
        "these and will not work without both.";
    scan.memo.Add("");
    scan.memo.Add(text);
    ShowMessage(text);
    DevicesConfigured = false;
  } else if (!K2000->Scan2000CardPresent()) {
    const std::string text =
        "Keithley 2000 DMM was found, but no SCAN 2000 card was identified. This program relies "
        "explicitly on this card and will not work without it.";
    scan.memo.Add("");
    scan.memo.Add(text);
    ShowMessage(text);
    DevicesConfigured = false;
  }
  FlushLog();
  MemoLog->SetText(scan.Findings());
  MemoLog->Add("");
#else
  const std::string text =
      "Keithley 2000 DMM and/or Keithley 2400 was not found. This program relies explicitly on "
      "these and will not work without both.";
  ShowMessage(text);
  DevicesConfigured = false;
  MemoLog->Add("");
#endif
}

bool TFormZenkar2::SMUApplyLimits(TKeithley2401_Zenkar* SMUDevice) {
  if (!SMUDevice) throw std::runtime_error("no SourceMeter");
  return SMUDevice->CurrentCompliance() != RtDoubleEditCurrentCompliance->Value() ||
         SMUDevice->VoltageCompliance() != RtDoubleEditVoltageCompliance->Value();
}

void TFormZenkar2::GraphProperties() {
  // The graphs arrive with the chart control; until then only the update bracket is kept.
  RtGraph2DPumpCurrent->BeginUpdate();
  RtGraph2DSensorVoltage->BeginUpdate();
  RtGraph2DPumpCurrent->EndUpdate();
  RtGraph2DSensorVoltage->EndUpdate();
}

void TFormZenkar2::Save(bool Silent) {
  const bool wasOn = Timer1->isActive();
  Timer1->stop();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  TDataColumns columns;
  columns.Time = RtDoubleVectorTime;
  columns.Seconds = RtDoubleVectorSeconds;
  columns.SensorVoltage = RtDoubleVectorSensorVoltage;
  columns.Setpoint = RtDoubleVectorSetpoint;
  columns.PumpVoltage = RtDoubleVectorPumpVoltage;
  columns.PumpCurrent = RtDoubleVectorPumpCurrent;
  columns.Temperature = RtDoubleVectorTemperature;
  // Folder messages wait until the cursor is back, in the order they came.
  std::vector<std::string> folderMessages;
  const TSaveLine log = [](const std::string& line) { AddToLog(line); };
  const TSaveLine folder = [&](const std::string& text) { folderMessages.push_back(text); };
  const TSaveResult r = Silent ? Autosave(fBaseDir, columns, AutosaveStartRow, Now(), log, folder)
                               : SaveAll(fBaseDir, columns, Now(), log, folder);
  QApplication::restoreOverrideCursor();
  if (wasOn) Timer1->start();
  for (const std::string& text : folderMessages) ShowMessage(text);
  if (!r.ok) ShowMessage(SaveFailureText(r, Now()));
}

void TFormZenkar2::ButtonManualSaveClick() {
  Save(false);
}

void TFormZenkar2::ButtonRunClick() {
  if (DevicesConfigured) {
    Log("");
    Log("Program set to run");
    Timer1->start();
  } else {
    Log("");
    Log("Program cannot run while devices are not configured correctly.");
  }
}

void TFormZenkar2::ButtonStopClick() {
  Timer1->stop();
}

void TFormZenkar2::Timer1Timer() {
  FlushLog();
  GraphProperties();
  if (ThreadData.ThreadRunning) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - fCycleStarted)
                        .count();
    if (fWorker && fOptions.CycleTimeLimitMS > 0 && ms > fOptions.CycleTimeLimitMS) {
      AbandonCycle();
      return;
    }
    if (EndsWith(MemoLog->LastLine(), "...")) {
      MemoLog->AppendToLast(".");
    } else {
      Log("");
      Log("Communicating with instruments...");
    }
    return;
  }
  if (ThreadData.DataTreated &&
      Now() < LastCycleReadTime + RtDoubleEditSamplingSpeed->Value() / 86400) {
    if (MemoLog->LastLine().compare(0, 30, "Delay due sampling speed limit") == 0)
      MemoLog->AppendToLast(".");
    else
      Log("Delay due sampling speed limit...");
    return;
  }
  if (ThreadData.DataTreated)
    StartCycle();
  else
    PresentResults();
}

void TFormZenkar2::AbandonCycle() {
  Log("");
  Log("Cycle " + std::to_string(fWorker->CycleNumber) + " abandoned: no results after " +
      std::to_string(fOptions.CycleTimeLimitMS / 1000) + " s.");
  fWorker->Abandoned = true;
  fAbandoned.push_back(std::move(fWorker));
  ThreadData.ThreadRunning = false;
  ThreadData.DataTreated = true;
}

void TFormZenkar2::ReapWorkers(bool wait) {
  if (fWorker && (wait || fWorker->Finished())) fWorker.reset();
  for (auto it = fAbandoned.begin(); it != fAbandoned.end();) {
    if (wait) {
      // An abandoned cycle gets a bounded time to end; one that does not is left running.
      for (int i = 0; i < 300 && !(*it)->Finished(); ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      if (!(*it)->Finished()) {
        (*it)->Detach();
        it->release();
        fLeakInstruments = true;
      }
      it = fAbandoned.erase(it);
    } else if ((*it)->Finished()) {
      it = fAbandoned.erase(it);
    } else {
      ++it;
    }
  }
}

void TFormZenkar2::StartCycle() {
  ReapWorkers(false);
  if (fWorker) fWorker.reset();  // handed back already; its thread is ending
  CycleCounter += 1;
  ThreadData.DataTreated = false;
  ThreadData.ThreadRunning = true;
  auto w = std::make_unique<TThreadCom>(true);
  w->FreeOnTerminate = true;
  w->CycleNumber = CycleCounter;
  try {
    w->SMUSetCompliances = SMUApplyLimits(K2401);
    w->SMUCurrentCompliance = RtDoubleEditCurrentCompliance->Value();
    w->SMUVoltageCompliance = RtDoubleEditVoltageCompliance->Value();
    w->ActiveSetpoint = RtDoubleEditTargetSetpoint->Value();
    const int n = RtIntegerEditTemperatureFrequency->Value();
    w->SlowQueryPerform = n < 1 ? false : CycleCounter % n == 0;
    w->SlowQueryOk = false;
    w->TargetSetpoint = RtDoubleEditTargetSetpoint->Value();
    w->ProportionalBand = RtDoubleEditProportionalBand->Value();
    w->PumpIsOn = CheckBoxPumpIsOn->isChecked();
    w->OldIntegral = ThreadData.Integral;
    w->LastExecutionTime = ThreadData.ReadTime;
    w->IntegralStrength = RtDoubleEditIntegral->Value();
    if (!K2000 || !PrologixController) throw std::runtime_error("no multimeter");
    fCycleStarted = std::chrono::steady_clock::now();
    w->Resume();
    fWorker = std::move(w);
  } catch (...) {
    // The cycle never ran: back to idle, the scheduler stopped until Run is pressed again.
    w.reset();
    ThreadData.ThreadRunning = false;
    ThreadData.DataTreated = true;
    Timer1->stop();
    ShowMessage("Exception in CML thread!");
  }
  if (CycleCounter % 100 == 0) Save(true);
}

void TFormZenkar2::PresentResults() {
  for (const std::string& line : StatusFrame(ThreadData)) Log(line);
  const std::string& m = ThreadData.Messages;
  for (size_t pos = 0; pos < m.size();) {
    size_t end = m.find("\r\n", pos);
    if (end == std::string::npos) end = m.size();
    Log(m.substr(pos, end - pos));
    pos = end + 2;
  }
  RtGraph2DPumpCurrent->BeginUpdate();
  RtGraph2DSensorVoltage->BeginUpdate();
  RtDoubleVectorTime->Add(ThreadData.ReadTime);
  RtDoubleVectorSeconds->Add((ThreadData.ReadTime - RtDoubleVectorTime->GetValue(0)) * 86400);
  if (ThreadData.SlowQueryOk) {
    RtDoubleVectorTemperature->Add(ThreadData.FurnaceTemperature);
  } else {
    RtDoubleVectorTemperature->Add(0);
    RtDoubleVectorTemperature->AddOutlier(RtDoubleVectorTemperature->GetCount() - 1);
  }
  RtDoubleVectorSensorVoltage->Add(ThreadData.Channel2Voltage);
  RtDoubleVectorPumpVoltage->Add(ThreadData.SMUVoltage);
  RtDoubleVectorPumpCurrent->Add(ThreadData.SMUCurrent);
  RtDoubleVectorSetpoint->Add(RtDoubleEditTargetSetpoint->Value());
  RtGraph2DSensorVoltage->EndUpdate();
  RtGraph2DPumpCurrent->EndUpdate();
  SetThousandSeparator(" ");
  auto set = [](QLabel* l, const std::string& s) { l->setText(QString::fromStdString(s)); };
  set(LabelPumpCurrent, FormatFloat("###,##0.######", ThreadData.SMUCurrent));
  set(LabelPumpVoltage, FormatFloat("###,##0.######", ThreadData.SMUVoltage));
  set(LabelSensorVoltage, FormatFloat("###,##0.######", ThreadData.Channel2Voltage));
  if (ThreadData.FurnaceTemperature > 0)
    set(LabelCellTemperature, FormatFloat("#,##0.#", ThreadData.FurnaceTemperature));
  if (ThreadData.SlowQueryOk)
    set(LabelLeadResistance, FormatFloat("0.###", ThreadData.Channel1Resistance));
  ThreadData.DataTreated = true;
  LastCycleReadTime = ThreadData.ReadTime;
  if (CycleCounter % 100 == 0) Save(true);
  ++fPresented;
  Q_EMIT CyclePresented(fPresented);
}

void TFormZenkar2::PanelSchematicsResize() {
  if (PanelSchematics->width() > 358) PanelSchematics->resize(358, PanelSchematics->height());
}

void TFormZenkar2::Button3Click() {
  if (!K2000) return;
  static const int channels[] = {1, 2, 4, 5};
  int channel = 0;
  for (size_t i = 0; i < RadioGroup1Items.size(); ++i)
    if (RadioGroup1Items[i]->isChecked()) channel = channels[i];
  int method = -1;
  for (size_t i = 0; i < RadioGroup2Items.size(); ++i)
    if (RadioGroup2Items[i]->isChecked()) method = static_cast<int>(i);
  K2000->UseSingleChanel(static_cast<uint8_t>(channel));
  double v = 0;
  if (method == 0 && K2000->ReadDCVoltage(v))
    Log("Voltage on channel " + std::to_string(channel) + " = " + FloatToStr(v));
  else if (method == 1 && K2000->Read2WireResistance(v))
    Log("Resistance on channel " + std::to_string(channel) + " = " + FloatToStr(v));
}

void TFormZenkar2::ButtonTerminalsClick() {
  if (!K2000) return;
  bool front = false;
  if (!K2000->GetInputSwitchFront(front))
    Log("Terminal state unknown");
  else
    Log(front ? "Terminal Front" : "Terminal Back");
}

void TFormZenkar2::SentToPrologixClick() {
  if (!PrologixController || !K2000) return;
  PrologixController->SetAddress(K2000->Addr());
  PrologixController->SetTerminator(K2000->Terminator());
  PrologixController->SetPort(K2000->Port());
  PrologixController->SetReadoutTimeoutMS(static_cast<uint32_t>(K2000->ReadTimeout()));
  PrologixController->GPIBSend2(Edit1->text().toLatin1().toStdString(), false, 0);
}

void TFormZenkar2::Button4Click() {
  if (!PrologixController) return;
  const TSerialResponse r = PrologixController->Send2("++read eoi\r", true);
  Log("Response :" + Trim(r.Response));
}

void TFormZenkar2::ButtonSerialPollClick() {
  if (!PrologixController) return;
  const TSerialResponse r = PrologixController->Send2("++spoll\r", true);
  Log("Response :" + Trim(r.Response));
}

void TFormZenkar2::CheckBox1Click() {
  if (PrologixController) PrologixController->SetDebug(CheckBox1->isChecked());
}

void TFormZenkar2::CheckBox2Click() {
  if (CheckBox2->isChecked())
    Timer1->start();
  else
    Timer1->stop();
}

void TFormZenkar2::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (fShown) return;
  fShown = true;
  // The side columns keep their design widths; the graphs take the rest.
  const int total = SplitterMain->width();
  SplitterMain->setSizes({358, std::max(200, total - 358 - 320), 320});
  PanelGraph->setSizes({347, std::max(120, PanelGraph->height() - 347)});
  PanelControl->setSizes({350, std::max(100, PanelControl->height() - 350)});
}

void TFormZenkar2::closeEvent(QCloseEvent* event) {
  if (fClosed) {
    event->accept();
    return;
  }
  Timer1->stop();
  while (ThreadData.ThreadRunning) {
    Log("Thread running: True");
    Log("Waiting for communication thread to stop.");
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    QCoreApplication::processEvents();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - fCycleStarted)
                        .count();
    if (ThreadData.ThreadRunning && fWorker && fOptions.CycleTimeLimitMS > 0 &&
        ms > fOptions.CycleTimeLimitMS) {
      AbandonCycle();
      break;
    }
  }
  FlushLog();
  if (OnClosing) OnClosing();
  ReapWorkers(true);
  if (!fLeakInstruments) FreeInstruments();
  MemoLog->FlushFinished();
  fClosed = true;
  event->accept();
}
