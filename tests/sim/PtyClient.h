// A plain serial client for the bench tests: opens the device path, sets raw mode, writes,
// and reads with poll() under a bound.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <string>
#include <string_view>

namespace simtest {

class PtyClient {
 public:
  explicit PtyClient(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return;
    termios t{};
    tcgetattr(fd_, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(fd_, TCSANOW, &t);
  }
  ~PtyClient() { Close(); }
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  bool Write(std::string_view bytes) {
    size_t done = 0;
    auto deadline = Clock::now() + std::chrono::seconds(2);
    while (done < bytes.size() && Clock::now() < deadline) {
      ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else if (n < 0 && errno != EAGAIN) {
        break;  // the line is gone
      } else {
        pollfd p{fd_, POLLOUT, 0};
        poll(&p, 1, 20);
      }
    }
    return done == bytes.size();
  }
  // One line with CR, as the program's transport ends them.
  bool Send(const std::string& line) { return Write(line + "\r"); }

  // Reads until the collected bytes end with terminator, or timeoutMs passes.
  std::string ReadUntil(const std::string& terminator, int timeoutMs) {
    std::string got;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!EndsWith(got, terminator)) {
      int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
      if (left <= 0) break;
      if (!ReadSome(got, left)) break;
    }
    return got;
  }
  // Everything that comes within ms.
  std::string ReadFor(int ms) {
    std::string got;
    auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
      if (left <= 0) break;
      if (!ReadSome(got, left)) break;
    }
    return got;
  }
  // Waits until bytes can be read, without reading them.
  bool WaitReadable(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
  }
  // Bytes waiting to be read.
  int Pending() const {
    int n = 0;
    ioctl(fd_, FIONREAD, &n);
    return n;
  }

  // A controller command with a reply line.
  std::string Controller(const std::string& command, int timeoutMs = 2000) {
    Send(command);
    return ReadUntil("\r\n", timeoutMs);
  }
  // An instrument query and its reply, fetched with "++read eoi".
  std::string Query(const std::string& message, int timeoutMs = 3000) {
    Send(message);
    Send("++read eoi");
    return ReadUntil("\n", timeoutMs);
  }

 private:
  using Clock = std::chrono::steady_clock;
  static bool EndsWith(const std::string& s, const std::string& end) {
    return !end.empty() && s.size() >= end.size() &&
           s.compare(s.size() - end.size(), end.size(), end) == 0;
  }
  // false on error or hang-up.
  bool ReadSome(std::string& got, int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    int r = poll(&p, 1, timeoutMs);
    if (r <= 0) return r == 0;
    if (p.revents & (POLLERR | POLLNVAL)) return false;
    char buf[512];
    ssize_t n = read(fd_, buf, sizeof buf);
    if (n > 0) {
      got.append(buf, static_cast<size_t>(n));
      return true;
    }
    return !(p.revents & POLLHUP);
  }

  int fd_ = -1;
};

}  // namespace simtest
