#include "instruments/Keithley2000.h"

#include "common/_Common2.h"

bool TKeithley2000::Measure(const char* function, double& Value) {
  CommunicatorInitialize();
  Send(function);
  Send(":MEAS?");
  TSerialResponse r;
  if (!WaitForMessage(r, PollLog::WhenDebug)) {
    Value = 0;
    return false;
  }
  ReadReply(r);
  return r.Status.empty() && TryParseNumber(r.Response, Value);
}

bool TKeithley2000::ReadDCVoltage(double& Value) {
  return Measure("func 'Volt:DC'", Value);
}

bool TKeithley2000::Read2WireResistance(double& Value) {
  return Measure("func 'res'", Value);
}

bool TKeithley2000::GetResponse(TSerialResponse& aResponse) {
  return PollAndReadInto(aResponse, PollLog::Always);
}

bool TKeithley2000::GetInputSwitchFront(bool& aState) {
  CommunicatorInitialize();
  Send(":SYSTem:FRSWitch?");
  TSerialResponse r;
  if (!GetResponse(r)) return false;
  const std::string reply = Trim(r.Response);
  if (reply == "1") {
    aState = true;
    return true;
  }
  if (reply == "0") {
    aState = false;
    return true;
  }
  return false;
}
