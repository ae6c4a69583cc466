#include "app/ThreadCom.h"

#include <QCoreApplication>
#include <QThread>

#include <ctime>
#include <iterator>
#include <stdexcept>

#include "app/ControlLaw.h"
#include "app/CycleFaults.h"
#include "common/_Common2.h"
#include "instruments/Keithley2000_Scan_Zenkar.h"
#include "instruments/Keithley2401_Zenkar.h"
#include "platform/TermiosPort.h"
#include "thermo/Thermocouples.h"
#include "transport/Prologix.h"

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
  TPiLawInput law;
  law.TargetSetpoint = TargetSetpoint;
  law.ProportionalBand = ProportionalBand;
  law.IntegralStrength = IntegralStrength;
  law.OldIntegral = OldIntegral;
  law.ElapsedSeconds = (Now() - LastExecutionTime) * 86400;
  law.SensorVoltage = Channel2Voltage;
  law.CurrentCompliance = SMUCurrentCompliance;
  law.PumpIsOn = PumpIsOn;
  TPiLawResult r = PiLaw(law);
  Integral = r.Integral;
  M.insert(M.end(), std::make_move_iterator(r.Lines.begin()),
           std::make_move_iterator(r.Lines.end()));
  K2401->SetCurrentLevel(r.OutputCurrent);
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

// The cycle's poll loop: the device's own loop with a pause of 200 ms before each poll and the
// debug line for the SourceMeter only. Throws EConvertError when a poll reply is not a number.
bool TThreadCom::WaitForReply(TGPIBDevice& device, TSerialResponse& record, bool debugLine,
                              std::optional<std::string>& problem) {
  try {
    return device.WaitForMessage(
        record, debugLine ? TGPIBDevice::PollLog::WhenDebug : TGPIBDevice::PollLog::None, 200);
  } catch (...) {
    problem = StatusByteProblem(record.Status);
    throw;
  }
}

void TThreadCom::Parallel(double& aChannel2Voltage, double& aSMUVoltage, double& aSMUCurrent) {
  K2000->UseSingleChanel(2);
  K2000->CommunicatorInitialize();
  K2000->Communicator()->GPIBSend2("func 'Volt:DC'", false, 0);
  K2000->Communicator()->GPIBSend2(":MEAS?", false, 0);
  K2401->CommunicatorInitialize();
  K2401->Communicator()->GPIBSend2(":READ?", false, 0);

  TSerialResponse smu;
  if (WaitForReply(*K2401, smu, true, SmuProblem)) {
    K2401->ReadReply(smu);
    if (smu.Status.empty()) {
      const std::vector<std::string> items = SplitReading(smu.Response);
      bool ok = items.size() >= 2 && TryParseNumber(items[0], aSMUVoltage);
      ok = ok && TryParseNumber(items[1], aSMUCurrent);
      SmuProblem = ok ? "" : kReplyNotANumber;
    } else {
      SmuProblem = ReplyNotReadText(smu.Status);
    }
  } else {
    aSMUVoltage = 0;
    aSMUCurrent = 0;
    SmuProblem = kNoAnswer;
  }

  K2000->CommunicatorInitialize();
  TSerialResponse dmm;
  if (WaitForReply(*K2000, dmm, false, DmmProblem)) {
    K2000->ReadReply(dmm);
    if (!dmm.Status.empty())
      DmmProblem = ReplyNotReadText(dmm.Status);
    else
      DmmProblem = TryParseNumber(dmm.Response, aChannel2Voltage) ? "" : kReplyNotANumber;
  } else {
    aChannel2Voltage = 0;
    DmmProblem = kNoAnswer;
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
  ThreadData.SmuProblem = SmuProblem;
  ThreadData.DmmProblem = DmmProblem;
  ThreadData.Integral = Integral;
  std::string text;
  for (const auto& l : M) text += l + "\r\n";
  ThreadData.Messages = std::move(text);
  M.clear();
  M.shrink_to_fit();
  ThreadData.ThreadRunning = false;
  ThreadData.DataTreated = false;
}
