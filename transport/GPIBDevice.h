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

  // How the poll-and-read sequence logs each poll reply.
  enum class PollLog {
    None,       // not at all
    WhenDebug,  // the trimmed reply, when the controller's Debug is on
    Always      // "Spoll response: " and the trimmed reply, whatever Debug says
  };

  // Pause before every poll of the drivers' poll-and-read sequence.
  static constexpr uint32_t kPollPauseMS = 100;

  // The poll loop: pauses pollPauseMS, serial-polls the instrument into pollRecord, and
  // repeats until its status byte has the message-available bit (16) or ReadTimeout has
  // passed on the monotonic clock. True when the bit came. Throws EConvertError when a poll
  // reply is not an integer. The controller must point at this instrument already.
  bool WaitForMessage(TSerialResponse& pollRecord, PollLog log,
                      uint32_t pollPauseMS = kPollPauseMS);

  // The read after the poll: "++read eoi" into record (the reply, or a failure Status).
  void ReadReply(TSerialResponse& record);

 protected:
  // The poll-and-read sequence with a record of its own for the polls and a fresh one for the
  // read, copied whole into aResponse; aResponse stays as passed when the bit never came.
  // True when aResponse.Status is empty.
  bool PollAndReadInto(TSerialResponse& aResponse, PollLog log);

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
