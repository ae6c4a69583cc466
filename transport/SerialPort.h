// One complete serial exchange per call: open, configure, write, optionally read one reply,
// close. Every serial byte of the program goes through TSerialPort.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Failure texts of an exchange; each is set in one place only.
namespace SerialStatus {
inline constexpr const char* PortInUse = "Failed to setup Com port, port in use";
inline constexpr const char* Timeouts = "Failed to setup Com port timeouts";
inline constexpr const char* BufferSize = "Failed to setup Com port buffer size";
inline constexpr const char* WriteFailed = "Failed to write to Com port";
inline constexpr const char* ResponseTimeout = "Timeout while waiting for response";
inline constexpr const char* ReadFailed = "Failed to read from Com port";
}  // namespace SerialStatus

struct TSerialResponse {
  std::string Response;  // reply bytes exactly as read, NUL bytes included
  double rDouble = 0;
  std::array<int32_t, 256> rArray{};
  int32_t ValueOfFirstWord = 0;
  std::string Status;  // empty when nothing failed; never cleared by an exchange
};

#include "platform/TermiosPort.h"

class TSerialPort {
 public:
  static constexpr uint32_t kMaxReplyBytes = 80;

  TSerialPort() = default;
  virtual ~TSerialPort() = default;

  bool Debug() const { return fDebug; }
  void SetDebug(bool v) { fDebug = v; }
  const std::string& Port() const { return fPort; }
  void SetPort(const std::string& v) { fPort = v; }
  uint32_t WindowsReadLoopTimeoutMS() const { return fWindowsReadLoopTimeoutMS; }
  void SetWindowsReadLoopTimeoutMS(uint32_t v) { fWindowsReadLoopTimeoutMS = v; }
  uint32_t ReadoutTimeoutMS() const { return fReadoutTimeoutMS; }
  void SetReadoutTimeoutMS(uint32_t v) { fReadoutTimeoutMS = v; }

  // Text exchange into the caller's record (only the fields an exchange sets are touched).
  void Send2(const std::string& aMessage, bool WaitForResponse, TSerialResponse& Result);
  TSerialResponse Send2(const std::string& aMessage, bool WaitForResponse);
  std::string Send(const std::string& aMessage, bool WaitForResponse);

  // Why the port of the last exchange could not be opened or set up (Kind None when it could).
  const platform::TPortError& PortError() const { return fPortError; }

  // Binary exchange (Modbus frames); also fills ValueOfFirstWord.
  void SendData(const void* Data, uint32_t dataSize, bool WaitForResponse, TSerialResponse& Result);
  TSerialResponse SendData(const void* Data, uint32_t dataSize, bool WaitForResponse);

 protected:
  bool SetDCBState(platform::TermiosPort& handle);
  bool SetTimeOuts(platform::TermiosPort& handle);
  bool SetBuffers(platform::TermiosPort& handle);

  bool fDebug = false;
  std::string fPort;
  uint32_t fWindowsReadLoopTimeoutMS = 333;
  uint32_t fReadoutTimeoutMS = 1000;

 private:
  void Exchange(const char* data, size_t size, bool binary, bool WaitForResponse,
                TSerialResponse& Result);
  size_t fRequestBytes = 0;
  platform::TPortError fPortError;
};
