#include "platform/TermiosPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

namespace platform {

namespace {

std::atomic<double> gTimeScale{1.0};

// Real nanoseconds of ms milliseconds of the transport's clock.
int64_t RealNs(int64_t ms) {
  const double f = gTimeScale.load(std::memory_order_relaxed);
  return f == 1.0 ? ms * 1'000'000 : static_cast<int64_t>(static_cast<double>(ms) * 1e6 / f);
}

// Waits for the fd to become ready for `events`, at most `ms` milliseconds.
bool WaitReady(int fd, short events, int64_t ms) {
  if (ms < 0) ms = 0;
  pollfd p{fd, events, 0};
  for (;;) {
    const int64_t start = MonotonicMs();
    const int64_t ns = RealNs(ms);
    const timespec ts{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
    const int rc = ::ppoll(&p, 1, &ts, nullptr);
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) return true;  // let the following read/write report the error
    ms -= MonotonicMs() - start;
    if (ms <= 0) return false;
  }
}

}  // namespace

TPortFailure PortFailureOf(int err) {
  switch (err) {
    case 0:
      return TPortFailure::None;
    case EACCES:
    case EPERM:
      return TPortFailure::NoAccess;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EIO:
      return TPortFailure::Gone;
    case EBUSY:
    case EWOULDBLOCK:
      return TPortFailure::Busy;
    case ENOTTY:
      return TPortFailure::NotATerminal;
    default:
      return TPortFailure::Other;
  }
}

std::string DescribePortError(const TPortError& error) {
  const char* what = "";
  switch (error.Kind) {
    case TPortFailure::None:
      return {};
    case TPortFailure::NoAccess:
      what = "permission denied, the user is not in the dialout group";
      break;
    case TPortFailure::Gone:
      what = "device gone, nothing is attached under this name";
      break;
    case TPortFailure::Busy:
      what = "port busy, held by another program";
      break;
    case TPortFailure::NotATerminal:
      what = "not a serial port";
      break;
    case TPortFailure::Other:
      what = "port failure";
      break;
  }
  // The errno name, not the message: the log reads the same in every language.
  const char* name = error.Errno != 0 ? strerrorname_np(error.Errno) : nullptr;
  return std::string(what) + " (" + error.Call + ": " +
         (name != nullptr ? std::string(name) : std::to_string(error.Errno)) + ")";
}

TPortError ProbePort(const std::string& path) {
  TermiosPort port;
  if (port.Open(path)) port.ApplyLineSettings();
  return port.LastError();
}

TermiosPort::~TermiosPort() {
  Close();
}

bool TermiosPort::Fail(const char* call, int err) {
  error_.Kind = PortFailureOf(err);
  if (error_.Kind == TPortFailure::None) error_.Kind = TPortFailure::Other;
  error_.Errno = err;
  error_.Call = call;
  return false;
}

bool TermiosPort::Open(const std::string& path) {
  Close();
  error_ = TPortError{};
  if (path.empty()) return Fail("open", ENOENT);
  // Non-blocking, so that a port waiting for carrier cannot stall the open.
  const int fd = RetryOnEintr(
      [&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
  if (fd < 0) return Fail("open", errno);
  if (!::isatty(fd)) {
    const int err = errno;
    ::close(fd);
    return Fail("isatty", err == EINVAL ? ENOTTY : err);
  }
  // A port already exclusive (root may open it anyway) keeps its mark; this open does not own it.
  int alreadyExclusive = 0;
  if (::ioctl(fd, TIOCGEXCL, &alreadyExclusive) != 0) alreadyExclusive = 0;
  if (alreadyExclusive == 0 && RetryOnEintr([&] { return ::ioctl(fd, TIOCEXCL); }) != 0) {
    const int err = errno;
    ::close(fd);
    return Fail("ioctl TIOCEXCL", err);
  }
  if (RetryOnEintr([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
    // Someone else holds it: take back the TIOCEXCL just set, or they could not reopen it.
    const int err = errno;
    if (alreadyExclusive == 0) ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return Fail("flock", err);
  }
  fd_ = fd;
  exclusive_ = alreadyExclusive == 0;
  return true;
}

void TermiosPort::Close() {
  if (fd_ < 0) return;
  // Bytes that came after the one read go with the port.
  ::tcflush(fd_, TCIFLUSH);
  if (exclusive_) ::ioctl(fd_, TIOCNXCL);
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
  exclusive_ = false;
}

bool TermiosPort::ApplyLineSettings() {
  if (fd_ < 0) return false;
  termios t{};  // from zero, not from the port's current settings
  t.c_cflag = CS8 | CREAD | CLOCAL;
  t.c_iflag = IGNBRK;
  t.c_oflag = 0;
  t.c_lflag = 0;
  t.c_cc[VSTART] = 0x11;  // filled in, not in effect (IXON/IXOFF off)
  t.c_cc[VSTOP] = 0x13;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::cfsetispeed(&t, B9600) != 0 || ::cfsetospeed(&t, B9600) != 0) {
    return Fail("cfsetspeed", errno);
  }
  if (RetryOnEintr([&] { return ::tcsetattr(fd_, TCSANOW, &t); }) != 0) {
    return Fail("tcsetattr", errno);
  }
  // A fresh port starts with an empty input queue, as a freshly opened Windows port does.
  ::tcflush(fd_, TCIFLUSH);
  int lines = TIOCM_DTR | TIOCM_RTS;
  if (RetryOnEintr([&] { return ::ioctl(fd_, TIOCMBIS, &lines); }) != 0 && errno != ENOTTY &&
      errno != EINVAL) {
    return Fail("ioctl TIOCMBIS", errno);
  }
  return true;
}

bool TermiosPort::ApplyTimeouts(uint32_t readIntervalMs, uint32_t readTotalMs,
                                uint32_t writeTotalMs) {
  if (fd_ < 0) return false;
  readIntervalMs_ = readIntervalMs;
  readTotalMs_ = readTotalMs;
  writeTotalMs_ = writeTotalMs;
  return true;
}

bool TermiosPort::SetQueueSizes(uint32_t, uint32_t) {
  if (fd_ < 0) return false;
  return ::fcntl(fd_, F_GETFL) != -1;
}

bool TermiosPort::Write(const void* data, size_t size, size_t& written) {
  written = 0;
  if (fd_ < 0) return false;
  const auto* p = static_cast<const unsigned char*>(data);
  const int64_t deadline = MonotonicMs() + writeTotalMs_;
  while (written < size) {
    const ssize_t n = ::write(fd_, p + written, size - written);
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    const int64_t left = deadline - MonotonicMs();
    if (left <= 0 || !WaitReady(fd_, POLLOUT, left)) return false;
  }
  return true;
}

uint32_t TermiosPort::InputQueueCount() const {
  if (fd_ < 0) return 0;
  int n = 0;
  if (::ioctl(fd_, FIONREAD, &n) != 0 || n < 0) return 0;
  return static_cast<uint32_t>(n);
}

bool TermiosPort::Read(void* buffer, size_t maxBytes, size_t& got) {
  got = 0;
  if (fd_ < 0) return false;
  auto* p = static_cast<unsigned char*>(buffer);
  const int64_t deadline = MonotonicMs() + readTotalMs_;
  int64_t lastByte = 0;
  while (got < maxBytes) {
    int64_t until = deadline;
    if (got > 0 && readIntervalMs_ > 0) until = std::min(until, lastByte + readIntervalMs_);
    const int64_t left = until - MonotonicMs();
    if (left <= 0) break;
    if (!WaitReady(fd_, POLLIN, left)) continue;  // loop re-checks the deadlines
    const ssize_t n = ::read(fd_, p + got, maxBytes - got);
    if (n > 0) {
      got += static_cast<size_t>(n);
      lastByte = MonotonicMs();
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return false;  // error, or end of file: the device went away
  }
  return true;
}

void SleepMs(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::nanoseconds(RealNs(ms)));
}

int64_t MonotonicMs() {
  using namespace std::chrono;
  const int64_t ns = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
  const double f = gTimeScale.load(std::memory_order_relaxed);
  if (f == 1.0) return ns / 1'000'000;
  return static_cast<int64_t>(static_cast<double>(ns) * f / 1e6);
}

void SetTimeScale(double f) {
  if (f > 0) gTimeScale.store(f);
}

double TimeScale() {
  return gTimeScale.load(std::memory_order_relaxed);
}

int ScaledIntervalMs(int ms) {
  const double f = TimeScale();
  if (f == 1.0) return ms;
  return std::max(1, static_cast<int>(std::lround(ms / f)));
}

}  // namespace platform
