#include "app/frmZenkar2.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QShowEvent>
#include <QSplitter>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "app/DataFiles.h"
#include "app/Journal.h"
#include "app/LogFile.h"
#include "app/LogView.h"
#include "app/MessageBox.h"
#include "app/WindowPlacement.h"
#include "common/_Common2.h"
#include "platform/IniFile.h"
#include "platform/TermiosPort.h"

namespace {

constexpr const char* kSection = "Zenkar settings";

}  // namespace

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
  Timer1->setInterval(platform::ScaledIntervalMs(250));  // 250 ms unless time-scaled
  connect(Timer1, &QTimer::timeout, this, &TFormZenkar2::Timer1Timer);

  BuildWindow();
  ConnectEditErrors();
  if (options.LineHook) MemoLog->SetLineFinishedHook(options.LineHook);
  SetLogSink([this](const std::string& line) { MemoLog->Add(line); });
  std::string logError;
  const std::string logPath = LogFilePath(fBaseDir, Now());
  const bool logFileOk = MemoLog->OpenFile(logPath, logError);
  FormCreate();
  if (!logFileOk) Log(LogFileFailureText(logPath, logError));  // after the search's findings
  StartJournal();
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

std::string SettingsFileName(const std::string& program) {
  return std::filesystem::path(program).filename().replace_extension(".ini").string();
}

std::string TFormZenkar2::SettingsPath() const {
  const std::string program = fOptions.ProgramName.empty()
                                  ? QCoreApplication::applicationFilePath().toStdString()
                                  : fOptions.ProgramName;
  const std::string& dir = fOptions.SettingsDir.empty() ? fBaseDir : fOptions.SettingsDir;
  return (std::filesystem::path(dir) / SettingsFileName(program)).string();
}

// Conversion errors of the numeric edits are the application's errors: a message box.
void TFormZenkar2::ConnectEditErrors() {
  for (TRtDoubleEdit* e : findChildren<TRtDoubleEdit*>())
    connect(e, &TRtDoubleEdit::ErrorRaised, this,
            [](const QString& message) { ShowMessage(message.toStdString()); });
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

void TFormZenkar2::Save(bool Silent) {
  const bool wasOn = Timer1->isActive();
  Timer1->stop();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const TDataColumns columns = Columns();
  const TDateTime now = Now();
  // Folder messages wait until the cursor is back, in the order they came.
  std::vector<std::string> folderMessages;
  const TSaveLine log = [](const std::string& line) { AddToLog(line); };
  const TSaveLine folder = [&](const std::string& text) { folderMessages.push_back(text); };
  TSaveResult r;
  if (Silent) {
    fJournal->BeginAutosave(columns, AutosaveStartRow, AutosavePath(fBaseDir, now));
    r = Autosave(fBaseDir, columns, AutosaveStartRow, now, log, folder);
    fJournal->EndAutosave(r.ok, columns.Time->GetCount());
  } else {
    r = SaveAll(fBaseDir, columns, now, log, folder);
  }
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

TTickInput TFormZenkar2::TickInput() const {
  TTickInput in;
  in.ThreadRunning = ThreadData.ThreadRunning;
  in.DataTreated = ThreadData.DataTreated;
  in.Now = Now();
  in.LastCycleReadTime = LastCycleReadTime;
  in.LoopDelaySeconds = RtDoubleEditSamplingSpeed->Value();
  if (fWorker) {
    in.CycleElapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - fCycleStarted)
                            .count();
    in.AbandonAfterMs = fOptions.CycleTimeLimitMS;
    in.RunningCycle = fWorker->CycleNumber;
  }
  in.AbandonedCycle = AbandonedCycleRunning();
  in.LastLogLine = MemoLog->LastLine();
  return in;
}

void TFormZenkar2::Timer1Timer() {
  FlushLog();
  GraphProperties();
  ReapWorkers(false);
  const TTickDecision d = fScheduler.Tick(TickInput());
  if (d.AppendDot) MemoLog->AppendToLast(".");
  for (const std::string& line : d.LogLines) Log(line);
  switch (d.Action) {
    case TTickAction::AbandonCycle:
      AbandonCycle();
      break;
    case TTickAction::StartCycle:
      StartCycle();
      break;
    case TTickAction::PresentResults:
      PresentResults();
      break;
    case TTickAction::ShowProgress:
    case TTickAction::AwaitAbandoned:
    case TTickAction::ShowDelay:
      break;
  }
}

// The scheduler stops waiting for the running cycle: its late hand-back will be dropped, and
// no new cycle starts until its thread has ended, since it still uses the instruments.
void TFormZenkar2::AbandonCycle() {
  fWorker->Abandoned = true;
  fAbandoned.push_back(std::move(fWorker));
  ThreadData.ThreadRunning = false;
  ThreadData.DataTreated = true;
}

int32_t TFormZenkar2::AbandonedCycleRunning() const {
  int32_t n = 0;
  for (const auto& w : fAbandoned)
    if (!w->Finished()) n = std::max(n, w->CycleNumber);
  return n;
}

int TFormZenkar2::RunningWorkers() const {
  int n = fWorker && !fWorker->Finished() ? 1 : 0;
  for (const auto& w : fAbandoned) n += w->Finished() ? 0 : 1;
  return n;
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
  if (CycleCounter % fAutosavePeriod == 0) Save(true);
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
  for (const std::string& line :
       fFaults.Cycle(CycleCounter, ThreadData.SmuProblem, ThreadData.DmmProblem))
    Log(line);
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
  fJournal->Keep(Columns());
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
  if (CycleCounter % fAutosavePeriod == 0) Save(true);
  ++fPresented;
  Q_EMIT CyclePresented(fPresented);
}

void TFormZenkar2::ShowOnScreen() {
  fKeepOnScreen = true;
  const QRect area = AvailableArea(this);
  if (!area.isEmpty()) setGeometry(area);
  showMaximized();
}

void TFormZenkar2::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Once the frame is known: nothing of the window outside the available area.
  if (fKeepOnScreen) QTimer::singleShot(0, this, [this] { KeepOnScreen(this); });
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
  if (fClosing) {  // a second request while the first one waits
    event->ignore();
    return;
  }
  fClosing = true;
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
      Log("");
      Log(AbandonedText(fWorker->CycleNumber, fOptions.CycleTimeLimitMS));
      AbandonCycle();
      break;
    }
  }
  FlushLog();
  ClosingSave();
  if (OnClosing) OnClosing();
  ReapWorkers(true);
  if (!fLeakInstruments) FreeInstruments();
  MemoLog->FlushFinished();
  fClosed = true;
  event->accept();
}
