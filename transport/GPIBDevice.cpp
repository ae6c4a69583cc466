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

bool TGPIBDevice::WaitForMessage(TSerialResponse& pollRecord, PollLog log, uint32_t pollPauseMS) {
  const int64_t deadline = platform::MonotonicMs() + fTimeout;
  bool ready = false;
  while (platform::MonotonicMs() < deadline && !ready) {
    platform::SleepMs(pollPauseMS);
    fCommunicator->Send2(PrologixCommand::Spoll, true, pollRecord);
    const std::string reply = Trim(pollRecord.Response);
    if (log == PollLog::WhenDebug && fCommunicator->Debug()) AddToLog(reply);
    const int32_t status = StrToInt(reply);
    if (log == PollLog::Always) AddToLog("Spoll response: " + reply);
    ready = (status & 16) != 0;
  }
  return ready;
}

void TGPIBDevice::ReadReply(TSerialResponse& record) {
  fCommunicator->Send2(PrologixCommand::ReadEoi, true, record);
}

bool TGPIBDevice::PollAndReadInto(TSerialResponse& aResponse, PollLog log) {
  CommunicatorInitialize();
  TSerialResponse polls;
  if (WaitForMessage(polls, log)) {
    TSerialResponse read;
    ReadReply(read);
    aResponse = read;
  }
  return aResponse.Status.empty();
}

std::string InstrumentNumber(double value) {
  std::string s = FloatToStr(value);
  std::replace(s.begin(), s.end(), ',', '.');
  return s;
}
