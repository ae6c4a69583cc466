// The main window of the cell controller and the worker that runs one control cycle.
#pragma once

#include <QFrame>
#include <QMainWindow>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "chart/data/RtVectors.h"
#include "chart/edits/RtFloatEdit.h"
#include "chart/edits/RtIntegerEdit.h"
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
class TLogView;
class TSchematic;

// Results of the last cycle and the scheduler's two flags; touched on the main thread only.
struct TDataFromThread {
  bool ThreadRunning = false;
  bool DataTreated = true;
  TDateTime ReadTime = 0;
  bool SMUCompliancesSet = false;
  double SMUComplianceCurrent = 0;
  double SMUComplianceVoltage = 0;
  double ActiveSetpoint = 0;
  bool SlowQueryOk = false;
  double Channel1Voltage = 0;
  double Channel1Resistance = 0;
  double Channel5Resistance = 0;
  double Channel4Voltage = 0;
  double BoxTemperature = 0;
  double FurnaceTemperature = 0;
  double Channel2Voltage = 0;
  double SMUVoltage = 0;
  double SMUCurrent = 0;
  std::string Messages;  // every line followed by CR LF
  double Integral = 0;
};

extern TDataFromThread ThreadData;
extern int32_t CycleCounter;
extern TDateTime LastCycleReadTime;
extern bool DevicesConfigured;
extern int32_t AutosaveStartRow;
extern TPrologix* PrologixController;
extern TKeithley2401_Zenkar* K2401;
extern TKeithley2000_Scan_Zenkar* K2000;

// Puts the unit state back to its start values (for tests that build several windows).
void ResetUnitState();

// The status frame of the presented cycle, one entry per log line.
std::vector<std::string> StatusFrame(const TDataFromThread& d);
// " " for a number >= 0, otherwise empty (also for NaN).
std::string Space(double Number);

// One control cycle on a thread of its own.
class TThreadCom {
 public:
  explicit TThreadCom(bool CreateSuspended = true);
  ~TThreadCom();  // waits for the thread to end
  TThreadCom(const TThreadCom&) = delete;
  TThreadCom& operator=(const TThreadCom&) = delete;

  // Starts a thread created suspended.
  void Resume();
  // Lets a thread that will not end in time go on without this object waiting for it.
  void Detach();
  bool Finished() const { return fFinished.load(); }

  void Execute();
  void SlowQuery();
  void Parallel(double& aChannel2Voltage, double& aSMUVoltage, double& aSMUCurrent);
  // Copies the results into ThreadData; runs on the main thread.
  void HandBackResults();

  TDateTime TimeOfMeasurements = 0;
  double Channel1Voltage = 0;
  double Channel1Resistance = 0;
  double Channel5Resistance = 0;
  double Channel4Voltage = 0;
  double BoxTemperature = 0;
  double FurnaceTemperature = 0;
  double Channel2Voltage = 0;
  double SMUVoltage = 0;
  double SMUCurrent = 0;
  double ActiveSetpoint = 0;
  bool SMUSetCompliances = false;
  double SMUCurrentCompliance = 0;
  double SMUVoltageCompliance = 0;
  double TargetSetpoint = 0;
  double ProportionalBand = 0;
  double OldIntegral = 0;
  TDateTime LastExecutionTime = 0;
  double IntegralStrength = 0;
  double Integral = 0;
  bool PumpIsOn = false;
  std::vector<std::string> M;
  bool SlowQueryPerform = false;
  bool SlowQueryOk = false;

  bool FreeOnTerminate = false;
  int32_t CycleNumber = 0;
  // Set on the main thread when the scheduler gave up waiting; the hand-back is then dropped.
  bool Abandoned = false;
  // Processor time the worker thread used, seconds; valid once Finished().
  double CpuSeconds = 0;

 private:
  void Run();
  void Fail(const std::string& what);
  void Synchronize(const std::function<void()>& f);
  bool WaitForReply(TGPIBDevice& device, TSerialResponse& record, bool debugLine);

  std::thread fThread;
  std::atomic<bool> fFinished{false};
};

// Stands in for a graph until the chart control exists: the right place and size, nothing drawn.
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

struct TStartOptions {
  std::string BaseDir;  // settings file, "Dll" and "Userdata"; empty: the executable's folder
  std::string ProgramName = "zenkar-pro";  // the settings file is ProgramName + ".ini"
  bool Headless = false;
  int CycleTimeLimitMS = 120000;  // a cycle that has not handed back by then is abandoned
  std::string BypassPort;         // not empty: bypass at this port, whatever the settings say
  std::function<void(const std::string&)> LineHook;  // gets every finished log line
};

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
  void ConfigureWithoutScan(const std::string& ComPort);
  bool SMUApplyLimits(TKeithley2401_Zenkar* SMUDevice);
  void GraphProperties();
  void Save(bool Silent);

  const std::string& BaseDir() const { return fBaseDir; }
  std::string SettingsPath() const;
  int PresentedCycles() const { return fPresented; }
  void SetCycleTimeLimitMS(int ms) { fOptions.CycleTimeLimitMS = ms; }
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
  TGraphPlaceholder* RtGraph2DPumpCurrent = nullptr;
  TGraphPlaceholder* RtGraph2DSensorVoltage = nullptr;
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
  void StartCycle();
  void PresentResults();
  void AbandonCycle();
  void ReapWorkers(bool wait);
  void FreeInstruments();
  void Log(const std::string& line);

  TStartOptions fOptions;
  std::string fBaseDir;
  std::unique_ptr<TThreadCom> fWorker;
  std::vector<std::unique_ptr<TThreadCom>> fAbandoned;
  std::chrono::steady_clock::time_point fCycleStarted;
  int fPresented = 0;
  bool fClosed = false;
  bool fShown = false;
  bool fLeakInstruments = false;  // an abandoned cycle still runs and uses them
};
