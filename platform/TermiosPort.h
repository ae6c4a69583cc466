// A serial device node driven through termios: the one place that knows about Linux ttys.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Why a port could not be opened or set up, as far as the system tells.
enum class TPortFailure {
  None,
  NoAccess,      // EACCES, EPERM: the user may not open the node (not in the "dialout" group)
  Gone,          // ENOENT, ENXIO, ENODEV, EIO: nothing (any more) at that name
  Busy,          // EBUSY, or the lock held: another program has the port
  NotATerminal,  // the name is not a serial device
  Other
};

struct TPortError {
  TPortFailure Kind = TPortFailure::None;
  int Errno = 0;
  const char* Call = "";  // the system call that failed: "open", "flock", "tcsetattr", ...
};

// The kind a system error number stands for at a port.
TPortFailure PortFailureOf(int err);

// One line for the debug log, e.g. "permission denied, the user is not in the dialout group
// (open: EACCES)"; empty for no failure.
std::string DescribePortError(const TPortError& error);

// Opens path as an exchange would and closes it again: what a start-up check reports.
TPortError ProbePort(const std::string& path);

// Runs call until it fails with something other than EINTR; returns its last result.
template <class Call>
auto RetryOnEintr(Call call) {
  for (;;) {
    const auto r = call();
    if (r != -1 || errno != EINTR) return r;
  }
}

class TermiosPort {
 public:
  TermiosPort() = default;
  ~TermiosPort();
  TermiosPort(const TermiosPort&) = delete;
  TermiosPort& operator=(const TermiosPort&) = delete;

  // Opens the node for reading and writing, not as controlling terminal, and takes it
  // exclusively: TIOCEXCL against other opens and a non-blocking flock, which also holds
  // against root. False when the node is missing, not a tty, or held by anyone; a failed open
  // takes back what it set (a TIOCEXCL left on another program's port would lock it out).
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

  // What made the last Open or ApplyLineSettings fail; Kind None after a success.
  const TPortError& LastError() const { return error_; }

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
  bool Fail(const char* call, int err);

  int fd_ = -1;
  bool exclusive_ = false;  // TIOCEXCL set by this object, cleared again by Close
  TPortError error_;
  uint32_t readIntervalMs_ = 0;
  uint32_t readTotalMs_ = 0;
  uint32_t writeTotalMs_ = 0;
};

// The transport's clock. Every pause and time-out of the serial exchanges, the GPIB controller
// and the drivers is measured on it, in the milliseconds the code names. It runs at real speed
// unless a simulated run has set a time scale F: then SleepMs(ms) sleeps ms / F, MonotonicMs
// advances F milliseconds per real one, and the port's own time-outs follow, so that all of them
// shrink together.
void SleepMs(uint32_t ms);

// Milliseconds of a monotonic clock (scaled as above).
int64_t MonotonicMs();

// The time scale F of the process: 1 (real timing) unless set. Set once, before any exchange;
// only simulated runs set it (the command line refuses it otherwise). F must be positive.
void SetTimeScale(double f);
double TimeScale();

// A real-time interval of nominal ms under the time scale: ms / F rounded, at least 1 ms (for
// timers of the program that keep pace with the transport). ms itself when F is 1.
int ScaledIntervalMs(int ms);

}  // namespace platform
