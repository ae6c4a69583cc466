// The multimeter set up for the cell: 10 PLC, repeating average of 3, resistance on the
// 2300 ohm range, DC voltage on the 1 V range, no continuous triggering.
#pragma once

#include "instruments/Keithley2000_Scan.h"

class TKeithley2000_Scan_Zenkar : public TKeithley2000_Scan {
 public:
  void Initialize_For_Zenkar();

  // The instrument messages after the reset, in the order they are sent.
  static const char* const kZenkarSetup[];
  static const int kZenkarSetupCount;
};
