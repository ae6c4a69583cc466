// The unit-level state of the cell controller: the last cycle's results with the scheduler's
// two flags, the cycle counter, and the instrument objects set up at start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/FormatSettings.h"

class TPrologix;
class TKeithley2401_Zenkar;
class TKeithley2000_Scan_Zenkar;

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
  // Why the SourceMeter gave no reading; empty: it answered; none: it was not asked.
  std::optional<std::string> SmuProblem;
  std::optional<std::string> DmmProblem;  // the same for the multimeter
  std::string Messages;                   // every line followed by CR LF
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

// Puts the unit state back to its start values (for tests that build several windows). The
// instrument objects are left alone.
void ResetUnitState();
