// Keithley 2401 SourceMeter: output, source levels and compliance limits, each cached.
#pragma once

#include "transport/GPIBDevice.h"

class TKeithley2401 : public TGPIBDevice {
 public:
  void CommunicatorInitialize() override { TGPIBDevice::CommunicatorInitialize(); }

  double CurrentLevel() const { return fCurrentLevel; }
  void SetCurrentLevel(double x);
  double VoltageLevel() const { return fVoltageLevel; }
  void SetVoltageLevel(double x);
  double CurrentCompliance() const { return fCurrentCompliance; }
  void SetCurrentCompliance(double x);
  double VoltageCompliance() const { return fVoltageCompliance; }
  void SetVoltageCompliance(double x);

  bool OutputStatus();
  void SetOutputStatus(bool Value);

 protected:
  // Poll-and-read for the query just sent; the read lands in aResponse.
  bool GetResponse(TSerialResponse& aResponse);

 private:
  // Sends prefix + number when x differs from the cache, then caches x.
  void SetCached(double& field, double x, const char* prefix);

  double fCurrentLevel = 0;
  double fVoltageLevel = 0;
  double fCurrentCompliance = 0;
  double fVoltageCompliance = 0;
};
