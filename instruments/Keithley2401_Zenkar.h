// The SourceMeter as the cell's pump supply: cell set-up and the voltage-and-current reading.
#pragma once

#include <string>
#include <vector>

#include "instruments/Keithley2401.h"

class TKeithley2401_Zenkar : public TKeithley2401 {
 public:
  // Current source on the rear terminals, output on, 0 A, limits 8 mA and 1 V, concurrent
  // auto-ranged voltage and current readings reported as "voltage,current".
  void Initialize_For_Zenkar();

  // One measurement; false (both 0) when no reply came, false with values untouched when the
  // exchange failed, false when either item is not a number.
  bool ReadVoltageCurrent(double& Voltage, double& Current);

  // The set-up list, in the order it is sent.
  static const char* const kZenkarSetup[];
  static const int kZenkarSetupCount;
};

// Splits a reading at commas, blanks and line ends, dropping empty items.
std::vector<std::string> SplitReading(const std::string& reply);
