#include "transport/SerialPort.h"

#include "common/_Common2.h"
#include "platform/FormatSettings.h"
#include "platform/TermiosPort.h"
#include "transport/CommPortList.h"

namespace {

constexpr uint32_t kReadIntervalMs = 20;
constexpr uint32_t kQueueBytes = 4096;

// Total read time-out of the driver: 10 ms per requested byte plus 200 ms.
constexpr uint32_t ReadTotalMs(uint32_t bytes) {
  return 10 * bytes + 200;
}

void Log(bool on, const std::string& line) {
  if (on) AddToLog(line);
}

}  // namespace

bool TSerialPort::SetDCBState(platform::TermiosPort& handle) {
  return handle.IsOpen() && handle.ApplyLineSettings();
}

bool TSerialPort::SetTimeOuts(platform::TermiosPort& handle) {
  // Write time-out: 10 ms per request byte plus 100 ms.
  return handle.IsOpen() && handle.ApplyTimeouts(kReadIntervalMs, ReadTotalMs(kMaxReplyBytes),
                                                 static_cast<uint32_t>(10 * fRequestBytes + 100));
}

bool TSerialPort::SetBuffers(platform::TermiosPort& handle) {
  return handle.IsOpen() && handle.SetQueueSizes(kQueueBytes, kQueueBytes);
}

void TSerialPort::Send2(const std::string& aMessage, bool WaitForResponse,
                        TSerialResponse& Result) {
  Exchange(aMessage.data(), aMessage.size(), false, WaitForResponse, Result);
}

TSerialResponse TSerialPort::Send2(const std::string& aMessage, bool WaitForResponse) {
  TSerialResponse r;
  Send2(aMessage, WaitForResponse, r);
  return r;
}

std::string TSerialPort::Send(const std::string& aMessage, bool WaitForResponse) {
  return Send2(aMessage, WaitForResponse).Response;
}

void TSerialPort::SendData(const void* Data, uint32_t dataSize, bool WaitForResponse,
                           TSerialResponse& Result) {
  Exchange(static_cast<const char*>(Data), dataSize, true, WaitForResponse, Result);
}

TSerialResponse TSerialPort::SendData(const void* Data, uint32_t dataSize, bool WaitForResponse) {
  TSerialResponse r;
  SendData(Data, dataSize, WaitForResponse, r);
  return r;
}

void TSerialPort::Exchange(const char* data, size_t size, bool binary, bool WaitForResponse,
                           TSerialResponse& Result) {
  platform::TermiosPort handle;
  fRequestBytes = size;
  handle.Open(TCommPortList::ResolvePortName(fPort));
  const bool configured = SetDCBState(handle);
  fPortError = handle.LastError();
  if (!configured) {
    Result.Status = SerialStatus::PortInUse;
    // The status reads the same for every cause; the log tells which one it was.
    Log(fDebug,
        "Port error               : " + fPort + ": " + platform::DescribePortError(fPortError));
    return;  // the handle closes itself on every path
  }
  if (!SetTimeOuts(handle)) {
    Result.Status = SerialStatus::Timeouts;
    return;
  }
  if (!SetBuffers(handle)) {
    Result.Status = SerialStatus::BufferSize;
    return;
  }
  Log(fDebug, std::string(44, '*'));
  Log(fDebug, "PortName                 : " + fPort);

  size_t written = 0;
  if (!handle.Write(data, size, written)) {
    Result.Status = SerialStatus::WriteFailed;
    return;
  }
  Log(fDebug, "Bytes written            : " + std::to_string(written));
  if (!binary) Log(fDebug, "As string                : " + std::string(data, size));

  if (!WaitForResponse) {
    Log(fDebug, "Exit read/write without waiting for reply");
    Result.Response.clear();
    return;
  }

  platform::SleepMs(fWindowsReadLoopTimeoutMS);
  const int64_t deadline = platform::MonotonicMs() + fReadoutTimeoutMS;
  bool available = false;
  while (platform::MonotonicMs() < deadline && !available) {
    available = handle.InputQueueCount() > 0;
    platform::SleepMs(fWindowsReadLoopTimeoutMS);
  }
  if (!available) {
    Log(fDebug,
        "Message                  : Timeout " + FloatToStr(fReadoutTimeoutMS / 1000.0) + "s ");
    Result.Response.clear();
    Result.Status = SerialStatus::ResponseTimeout;
    return;
  }

  char buffer[kMaxReplyBytes];
  size_t got = 0;
  if (!handle.Read(buffer, sizeof buffer, got)) {
    Result.Status = SerialStatus::ReadFailed;
    return;
  }
  Result.Response.assign(buffer, got);

  if (binary) {
    auto byteAt = [&](size_t i) {
      return i < got ? static_cast<int32_t>(static_cast<unsigned char>(buffer[i])) : 0;
    };
    Result.ValueOfFirstWord = 256 * byteAt(3) + byteAt(4);
    Log(fDebug, "Response Str             : " + Result.Response);
    std::string ints;
    for (size_t i = 0; i < got; ++i) ints += std::to_string(byteAt(i)) + " ";
    Log(fDebug, "Response Int             : " + ints);
    Log(fDebug, "Response Status          : " + Result.Status);
  }
}
