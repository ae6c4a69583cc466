// One control cycle on a worker thread of its own: compliance limits, slow and fast query,
// the PI law, the pump current, and the hand-back of the results on the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/CellState.h"

class TGPIBDevice;
struct TSerialResponse;

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
  // Why an instrument gave no reading in the fast query; empty: it answered; none: the cycle
  // ended before it was asked.
  std::optional<std::string> SmuProblem;
  std::optional<std::string> DmmProblem;
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
  // A poll that throws sets problem first.
  bool WaitForReply(TGPIBDevice& device, TSerialResponse& record, bool debugLine,
                    std::optional<std::string>& problem);

  std::thread fThread;
  std::atomic<bool> fFinished{false};
};
