// Keithley 2000 multimeter: single DC-voltage and 2-wire resistance readings.
#pragma once

#include "transport/GPIBDevice.h"

class TKeithley2000 : public TGPIBDevice {
 public:
  void CommunicatorInitialize() override { TGPIBDevice::CommunicatorInitialize(); }

  // One reading; false with Value 0 when no reply came, false with Value untouched when the
  // exchange failed or the reply is not a number.
  bool ReadDCVoltage(double& Value);
  bool Read2WireResistance(double& Value);

  // Poll-and-read for a query sent just before, every poll reply logged.
  bool GetResponse(TSerialResponse& aResponse);

  // Whether the front input terminals are selected.
  bool GetInputSwitchFront(bool& aState);

 private:
  bool Measure(const char* function, double& Value);
};
