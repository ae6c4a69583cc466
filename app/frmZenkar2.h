// The main window of the cell controller: builds its pages, wires the controls, drives the
// cycle scheduler and presents each cycle's results. The cycle itself runs in TThreadCom.
#pragma once

#include <QMainWindow>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CellState.h"
#include "app/CycleScheduler.h"
#include "app/GraphBindings.h"
#include "app/StatusFrame.h"
#include "app/ThreadCom.h"
#include "chart/data/RtVectors.h"
#include "chart/edits/RtFloatEdit.h"
#include "chart/edits/RtIntegerEdit.h"
#include "chart/graph/RtGraph2D.h"
#include "instruments/Keithley2000_Scan_Zenkar.h"
#include "instruments/Keithley2401_Zenkar.h"
#include "platform/FormatSettings.h"
#include "transport/Prologix.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QTimer;
class TAutoScan;
class TLogView;
class TSchematic;

struct TStartOptions {
  std::string BaseDir;      // settings file, "Dll" and "Userdata"; empty: the executable's folder
  std::string SettingsDir;  // the settings file's folder when it is not BaseDir
  // The program's file name; the settings file is this name with the extension ".ini".
  // Empty: the running executable's.
  std::string ProgramName;
  bool Headless = false;
  int CycleTimeLimitMS = 120000;  // a cycle that has not handed back by then is abandoned
  std::string BypassPort;         // not empty: bypass at this port, whatever the settings say
  std::function<void(const std::string&)> LineHook;  // gets every finished log line
};

// The settings file of a program: its file name with the extension replaced by ".ini"
// ("/opt/lab/cell2" reads "cell2.ini").
std::string SettingsFileName(const std::string& program);

class TFormZenkar2 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFormZenkar2(const TStartOptions& options = {}, QWidget* parent = nullptr);
  ~TFormZenkar2() override;

  void Timer1Timer();
  void ButtonRunClick();
  void ButtonStopClick();
  void ButtonManualSaveClick();
  void Button3Click();
  void ButtonTerminalsClick();
  void SentToPrologixClick();
  void Button4Click();
  void ButtonSerialPollClick();
  void CheckBox1Click();
  void CheckBox2Click();

  void FormCreate();
  void PanelSchematicsResize();
  void ScanDevices();
  // The part of ScanDevices after the search: recognizes the instruments the search found,
  // creates the objects and reports what is missing.
  void AdoptSearchResults(TAutoScan& scan);
  void ConfigureWithoutScan(const std::string& ComPort);
  bool SMUApplyLimits(TKeithley2401_Zenkar* SMUDevice);
  void GraphProperties();
  void Save(bool Silent);

  const std::string& BaseDir() const { return fBaseDir; }
  std::string SettingsPath() const;
  int PresentedCycles() const { return fPresented; }
  void SetCycleTimeLimitMS(int ms) { fOptions.CycleTimeLimitMS = ms; }
  // Workers whose thread has not ended: the running cycle's and abandoned ones.
  int RunningWorkers() const;
  // Shows the window maximized, with the screen's available size where maximizing is not
  // honoured (no window manager), and keeps it inside the available area from then on.
  void ShowOnScreen();
  // Called once the shutdown wait is over, before the instruments are freed.
  std::function<void()> OnClosing;

  // Controls.
  QTimer* Timer1 = nullptr;
  QSplitter* SplitterMain = nullptr;
  QWidget* PanelSchematics = nullptr;
  TSchematic* Image1 = nullptr;
  QLabel* LabelPumpCurrent = nullptr;
  QLabel* LabelPumpVoltage = nullptr;
  QLabel* LabelSensorVoltage = nullptr;
  QLabel* LabelCellTemperature = nullptr;
  QLabel* LabelLeadResistance = nullptr;
  QSplitter* PanelGraph = nullptr;
  TRtGraph2D* RtGraph2DPumpCurrent = nullptr;
  TRtGraph2D* RtGraph2DSensorVoltage = nullptr;
  // Axes, series, regression, legends and the undo stack of both graphs.
  TGraphObjects Graphs;
  QSplitter* PanelControl = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheetOperation = nullptr;
  QWidget* TabSheetGraph = nullptr;
  QWidget* TabSheetSave = nullptr;
  QWidget* TabSheetDebug = nullptr;
  TLogView* MemoLog = nullptr;

  TRtDoubleEdit* RtDoubleEditTargetSetpoint = nullptr;
  TRtDoubleEdit* RtDoubleEditCurrentCompliance = nullptr;
  TRtDoubleEdit* RtDoubleEditProportionalBand = nullptr;
  TRtDoubleEdit* RtDoubleEditIntegral = nullptr;
  TRtDoubleEdit* RtDoubleEditVoltageCompliance = nullptr;
  QCheckBox* CheckBoxPumpIsOn = nullptr;
  TRtDoubleEdit* RtDoubleEditSamplingSpeed = nullptr;
  TRtIntegerEdit* RtIntegerEditTemperatureFrequency = nullptr;
  QPushButton* ButtonRun = nullptr;
  QPushButton* ButtonStop = nullptr;

  QRadioButton* RadioButtonPumpTimeAxisTime = nullptr;
  QRadioButton* RadioButtonPumpTimeAxisSeconds = nullptr;
  QCheckBox* CheckBoxPumpTimeAxisSlit = nullptr;
  TRtIntegerEdit* RtDoubleEditPumpAxisSlit = nullptr;
  QCheckBox* CheckBoxRateOfChange = nullptr;
  TRtIntegerEdit* RtIntegerEditRateOfChangeObserveTime = nullptr;
  QRadioButton* RadioButtonSensorTimeAxisTime = nullptr;
  QRadioButton* RadioButtonSensorTimeAxisSeconds = nullptr;
  QCheckBox* CheckBoxSensorTimeAxisSlit = nullptr;
  TRtIntegerEdit* RtDoubleEditSensorAxisSlit = nullptr;
  QCheckBox* CheckBoxPumpVoltageShow = nullptr;
  QCheckBox* CheckBoxCellTemperatureShow = nullptr;
  QCheckBox* CheckBoxTargetSetpoint = nullptr;

  QPushButton* ButtonManualSave = nullptr;

  QGroupBox* RadioGroup1 = nullptr;
  std::vector<QRadioButton*> RadioGroup1Items;
  QGroupBox* RadioGroup2 = nullptr;
  std::vector<QRadioButton*> RadioGroup2Items;
  QPushButton* Button3 = nullptr;
  QPushButton* ButtonTerminals = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* SentToPrologix = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* ButtonSerialPoll = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QPushButton* ButtonReadError = nullptr;
  QPushButton* ButtonFastRead = nullptr;

  TRtDoubleVector* RtDoubleVectorTime = nullptr;
  TRtDoubleVector* RtDoubleVectorSeconds = nullptr;
  TRtDoubleVector* RtDoubleVectorSensorVoltage = nullptr;
  TRtDoubleVector* RtDoubleVectorPumpVoltage = nullptr;
  TRtDoubleVector* RtDoubleVectorPumpCurrent = nullptr;
  TRtDoubleVector* RtDoubleVectorTemperature = nullptr;
  TRtDoubleVector* RtDoubleVectorSetpoint = nullptr;

 Q_SIGNALS:
  void CyclePresented(int presented);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWindow();
  QWidget* BuildOperationPage();
  QWidget* BuildGraphPage();
  QWidget* BuildSavePage();
  QWidget* BuildDebugPage();
  void BuildGraphs();
  TGraphVectors GraphVectors() const;
  void ConnectEditErrors();
  TTickInput TickInput() const;
  void StartCycle();
  void PresentResults();
  void AbandonCycle();
  // The number of the newest abandoned cycle whose worker still runs; 0: none.
  int32_t AbandonedCycleRunning() const;
  void ReapWorkers(bool wait);
  void FreeInstruments();
  void Log(const std::string& line);

  TStartOptions fOptions;
  std::string fBaseDir;
  std::unique_ptr<TThreadCom> fWorker;
  std::vector<std::unique_ptr<TThreadCom>> fAbandoned;
  TCycleScheduler fScheduler;
  std::chrono::steady_clock::time_point fCycleStarted;
  int fPresented = 0;
  bool fClosed = false;
  bool fShown = false;
  bool fKeepOnScreen = false;     // shown on a real screen: kept inside its available area
  bool fLeakInstruments = false;  // an abandoned cycle still runs and uses them
};
