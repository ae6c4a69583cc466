// The Prologix USB-GPIB controller: a serial port whose settings (address, terminator, EOI,
// EOT) are cached and sent only when they change.
#pragma once

#include "transport/SerialPort.h"
#include "transport/TypesGPIB.h"

class TPrologix : public TSerialPort {
 public:
  TPrologix() = default;

  uint32_t Address() const { return fAddress; }
  void SetAddress(uint32_t Value);
  TGPIBTerminator Terminator() const { return fTerminator; }
  void SetTerminator(TGPIBTerminator Value);
  bool EOIonSend() const { return fEOIonSend; }
  void SetEOIonSend(bool Value);
  bool EOTEnabled() const { return fEOT; }
  void SetEOTEnabled(bool Value);
  bool AutoRead() const { return fAutoRead; }
  void SetAutoRead(bool Value) { fAutoRead = Value; }

  // Instrument message: aMessage + "\r". Without waiting the caller's record is not touched.
  void GPIBSend2(const std::string& aMessage, bool WaitForResponse, uint32_t WaitTimeOverride,
                 TSerialResponse& Result);
  TSerialResponse GPIBSend2(const std::string& aMessage, bool WaitForResponse = false,
                            uint32_t WaitTimeOverride = 0);
  std::string GPIBSend(const std::string& aMessage, bool WaitForResponse,
                       uint32_t WaitTimeOverride);

 protected:
  uint32_t fAddress = 0;
  TGPIBTerminator fTerminator = TGPIBTerminator::ct1310;
  bool fEOIonSend = false;
  bool fEOT = false;
  bool fAutoRead = false;
};
