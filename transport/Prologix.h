// The Prologix USB-GPIB controller: a serial port whose settings (address, terminator, EOI,
// EOT) are cached and sent only when they change.
#pragma once

#include "transport/SerialPort.h"
#include "transport/TypesGPIB.h"

// The controller's own command lines, each with its "\r": the one place that spells them.
// Replies: "++spoll" the status byte in decimal, "++read eoi" the instrument's reply up to EOI,
// "++ver" a version text naming "Prologix"; the others none.
namespace PrologixCommand {
inline constexpr const char* Spoll = "++spoll\r";
inline constexpr const char* ReadEoi = "++read eoi\r";
inline constexpr const char* Version = "++ver\r";
inline constexpr const char* EoiOn = "++eoi 1\r";
inline constexpr const char* EoiOff = "++eoi 0\r";
inline constexpr const char* EotOn = "++eot 1\r";
inline constexpr const char* EotEnableOff = "++eot_enable 0\r";
inline constexpr const char* AutoOff = "++auto 0\r";
// "++addr 2\r"
std::string Addr(uint32_t address);
// "++eos 0\r" (CR+LF) .. "++eos 3\r" (nothing)
std::string Eos(TGPIBTerminator terminator);
// "++spoll 2\r": polls that address, whichever is addressed
std::string SpollAt(uint32_t address);
}  // namespace PrologixCommand

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
