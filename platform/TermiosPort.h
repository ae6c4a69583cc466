// A serial device node driven through termios: the one place that knows about Linux ttys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class TermiosPort {
 public:
  TermiosPort() = default;
  ~TermiosPort();
  TermiosPort(const TermiosPort&) = delete;
  TermiosPort& operator=(const TermiosPort&) = delete;

  // Opens the node for reading and writing, not as controlling terminal, and takes it
  // exclusively: TIOCEXCL against other opens and a non-blocking flock, which also holds
  // against root. False when the node is missing, not a tty, or held by anyone.
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

  // 9600 baud, 8 data bits, no parity, 1 stop bit, raw, no flow control, DTR and RTS raised.
  // A device without modem lines (a pseudo-terminal) counts as success.
  bool ApplyLineSettings();

  // Windows-style read and write time-outs: a read ends when maxBytes have come, when no byte
  // came for readIntervalMs after the first one, or when readTotalMs have passed.
  bool ApplyTimeouts(uint32_t readIntervalMs, uint32_t readTotalMs, uint32_t writeTotalMs);

  // Driver queue sizes; the kernel sizes its tty buffers itself, so this only checks the port.
  bool SetQueueSizes(uint32_t inputBytes, uint32_t outputBytes);

  bool Write(const void* data, size_t size, size_t& written);

  // Bytes waiting in the input queue; 0 when it cannot be asked.
  uint32_t InputQueueCount() const;

  // One read of up to maxBytes under the time-outs; false on a device error.
  bool Read(void* buffer, size_t maxBytes, size_t& got);

 private:
  int fd_ = -1;
  bool exclusive_ = false;
  uint32_t readIntervalMs_ = 0;
  uint32_t readTotalMs_ = 0;
  uint32_t writeTotalMs_ = 0;
};

void SleepMs(uint32_t ms);

// Milliseconds of a monotonic clock.
int64_t MonotonicMs();

}  // namespace platform
