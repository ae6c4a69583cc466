// The multimeter with a SCAN 2000 card: card detection and one closed channel at a time.
#pragma once

#include <cstdint>

#include "instruments/Keithley2000.h"

class TKeithley2000_Scan : public TKeithley2000 {
 public:
  bool Scan2000CardPresent();

  // Closes aChannel alone; sends nothing when it is the channel closed last.
  void UseSingleChanel(uint8_t aChannel);

  int32_t ChannelInUse() const { return pChannelInUse; }

 private:
  int32_t pChannelInUse = -1;
};
