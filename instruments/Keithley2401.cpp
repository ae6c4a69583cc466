#include "instruments/Keithley2401.h"

#include <cmath>

void TKeithley2401::SetCached(double& field, double x, const char* prefix) {
  if (x == field || std::isnan(x)) return;
  CommunicatorInitialize();
  Send(prefix + InstrumentNumber(x));
  field = x;
}

void TKeithley2401::SetCurrentLevel(double x) {
  SetCached(fCurrentLevel, x, ":SOUR:CURR:LEVEL ");
}

void TKeithley2401::SetCurrentCompliance(double x) {
  SetCached(fCurrentCompliance, x, ":SENS:CURR:PROT ");
}

void TKeithley2401::SetVoltageCompliance(double x) {
  SetCached(fVoltageCompliance, x, ":SENS:VOLT:PROT ");
}

void TKeithley2401::SetVoltageLevel(double x) {
  if (x == fVoltageLevel || std::isnan(x)) return;
  CommunicatorInitialize();
  double v = std::min(x, fVoltageCompliance);
  if (v < 0) v = 0;
  Send(":SOUR:VOLT:LEVEL " + InstrumentNumber(v));
  fVoltageLevel = v;
}

void TKeithley2401::SetOutputStatus(bool Value) {
  Send(Value ? ":OUTP ON" : ":OUTP OFF");
}

bool TKeithley2401::OutputStatus() {
  CommunicatorInitialize();
  Send(":OUTP?");
  TSerialResponse r;
  return GetResponse(r) && Trim(r.Response) == "1";
}

bool TKeithley2401::GetResponse(TSerialResponse& aResponse) {
  return PollAndReadInto(aResponse, PollLog::WhenDebug);
}
