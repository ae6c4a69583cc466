#include "transport/GPIBDevice.h"

#include <algorithm>

#include "common/_Common2.h"
#include "platform/FormatSettings.h"
#include "platform/TermiosPort.h"

void TGPIBDevice::CommunicatorInitialize() {
  fCommunicator->SetPort(fPort);
  fCommunicator->SetAddress(fAddr);
  fCommunicator->SetTerminator(fCEND);
  fCommunicator->SetReadoutTimeoutMS(static_cast<uint32_t>(std::max(fTimeout, 0)));
}

void TGPIBDevice::Send(const std::string& message) {
  fCommunicator->GPIBSend2(message, false, 0);
}

bool TGPIBDevice::WaitForMessage(TSerialResponse& pollRecord, PollLog log) {
  const int64_t deadline = platform::MonotonicMs() + fTimeout;
  bool ready = false;
  while (platform::MonotonicMs() < deadline && !ready) {
    platform::SleepMs(100);
    fCommunicator->Send2("++spoll\r", true, pollRecord);
    const std::string reply = Trim(pollRecord.Response);
    if (log == PollLog::WhenDebug && fCommunicator->Debug()) AddToLog(reply);
    const int32_t status = StrToInt(reply);
    if (log == PollLog::Always) AddToLog("Spoll response: " + reply);
    ready = (status & 16) != 0;
  }
  return ready;
}

std::string InstrumentNumber(double value) {
  std::string s = FloatToStr(value);
  std::replace(s.begin(), s.end(), ',', '.');
  return s;
}
