#include "transport/Prologix.h"

#include "platform/TermiosPort.h"

void TPrologix::SetAddress(uint32_t Value) {
  if (Value == fAddress) return;
  Send2("++addr " + std::to_string(Value) + "\r", false);
  fAddress = Value;
}

void TPrologix::SetTerminator(TGPIBTerminator Value) {
  if (Value == fTerminator) return;
  Send2("++eos " + std::to_string(static_cast<int>(Value)) + "\r", false);
  fTerminator = Value;
  platform::SleepMs(fWindowsReadLoopTimeoutMS);
}

void TPrologix::SetEOIonSend(bool Value) {
  if (Value == fEOIonSend) return;
  Send2(Value ? "++eoi 1\r" : "++eoi 0\r", false);
  fEOIonSend = Value;
  platform::SleepMs(fWindowsReadLoopTimeoutMS);
}

void TPrologix::SetEOTEnabled(bool Value) {
  if (Value == fEOT) return;
  // Switching off uses the controller's own command name.
  Send2(Value ? "++eot 1\r" : "++eot_enable 0\r", false);
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
