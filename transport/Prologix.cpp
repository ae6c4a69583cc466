#include "transport/Prologix.h"

#include "platform/TermiosPort.h"

std::string PrologixCommand::Addr(uint32_t address) {
  return "++addr " + std::to_string(address) + "\r";
}

std::string PrologixCommand::Eos(TGPIBTerminator terminator) {
  return "++eos " + std::to_string(static_cast<int>(terminator)) + "\r";
}

std::string PrologixCommand::SpollAt(uint32_t address) {
  return "++spoll " + std::to_string(address) + "\r";
}

void TPrologix::SetAddress(uint32_t Value) {
  if (Value == fAddress) return;
  Send2(PrologixCommand::Addr(Value), false);
  fAddress = Value;
}

void TPrologix::SetTerminator(TGPIBTerminator Value) {
  if (Value == fTerminator) return;
  Send2(PrologixCommand::Eos(Value), false);
  fTerminator = Value;
  platform::SleepMs(fWindowsReadLoopTimeoutMS);
}

void TPrologix::SetEOIonSend(bool Value) {
  if (Value == fEOIonSend) return;
  Send2(Value ? PrologixCommand::EoiOn : PrologixCommand::EoiOff, false);
  fEOIonSend = Value;
  platform::SleepMs(fWindowsReadLoopTimeoutMS);
}

void TPrologix::SetEOTEnabled(bool Value) {
  if (Value == fEOT) return;
  // Switching off uses the controller's own command name.
  Send2(Value ? PrologixCommand::EotOn : PrologixCommand::EotEnableOff, false);
  fEOT = Value;
  platform::SleepMs(fWindowsReadLoopTimeoutMS);
}

void TPrologix::GPIBSend2(const std::string& aMessage, bool WaitForResponse,
                          uint32_t WaitTimeOverride, TSerialResponse& Result) {
  const uint32_t saved = fReadoutTimeoutMS;
  if (WaitTimeOverride != 0) fReadoutTimeoutMS = WaitTimeOverride;
  if (WaitForResponse) {
    Send2(aMessage + "\r", true, Result);
  } else {
    TSerialResponse scratch;
    Send2(aMessage + "\r", false, scratch);
  }
  fReadoutTimeoutMS = saved;
}

TSerialResponse TPrologix::GPIBSend2(const std::string& aMessage, bool WaitForResponse,
                                     uint32_t WaitTimeOverride) {
  TSerialResponse r;
  GPIBSend2(aMessage, WaitForResponse, WaitTimeOverride, r);
  return r;
}

std::string TPrologix::GPIBSend(const std::string& aMessage, bool WaitForResponse, uint32_t) {
  return Send(aMessage + "\r", WaitForResponse);
}
