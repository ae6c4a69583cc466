// Base of every GPIB instrument driver: the instrument's own GPIB settings and the shared
// controller, which it points at itself before each operation.
#pragma once

#include <string>

#include "transport/Prologix.h"
#include "transport/TypesGPIB.h"

class TGPIBDevice {
 public:
  TGPIBDevice() = default;
  virtual ~TGPIBDevice() = default;

  const std::string& Port() const { return fPort; }
  void SetPort(const std::string& v) { fPort = v; }
  TGPIBAddressSpace Addr() const { return fAddr; }
  void SetAddr(TGPIBAddressSpace v) { fAddr = v; }
  TGPIBTerminator Terminator() const { return fCEND; }
  void SetTerminator(TGPIBTerminator v) { fCEND = v; }
  int32_t ReadTimeout() const { return fTimeout; }
  void SetReadTimeout(int32_t v) { fTimeout = v; }
  TPrologix* Communicator() const { return fCommunicator; }
  void SetCommunicator(TPrologix* v) { fCommunicator = v; }
  const std::string& IDN() const { return fIDN; }
  void SetIDN(const std::string& v) { fIDN = v; }

  // Points the shared controller at this instrument.
  virtual void CommunicatorInitialize();

 protected:
  // How the poll-and-read sequence logs each poll reply.
  enum class PollLog {
    WhenDebug,  // the trimmed reply, when the controller's Debug is on
    Always      // "Spoll response: " and the trimmed reply, whatever Debug says
  };

  // Serial-polls the instrument every 100 ms into pollRecord until its status byte has the
  // message-available bit (16) or ReadTimeout has passed. Throws EConvertError when a poll
  // reply is not an integer.
  bool WaitForMessage(TSerialResponse& pollRecord, PollLog log);

  // Sends an instrument message without waiting for a reply.
  void Send(const std::string& message);

  std::string fPort;
  TGPIBAddressSpace fAddr = 0;
  TGPIBTerminator fCEND = TGPIBTerminator::ct1310;
  int32_t fTimeout = 2000;
  TPrologix* fCommunicator = nullptr;
  std::string fIDN;
};

// Number text for instrument messages: the general format in the user's locale with every ","
// turned into ".", so the instrument always sees a decimal point.
std::string InstrumentNumber(double value);
