// Opening serial device nodes: the exclusive mark and lock, and what a failure says.
#include "platform/TermiosPort.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace {

using platform::TermiosPort;
using platform::TPortError;
using platform::TPortFailure;

// A pseudo-terminal whose slave node stands for a serial port.
class Pty {
 public:
  Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) path_ = ptsname(master_);
  }
  ~Pty() {
    if (master_ >= 0) ::close(master_);
  }
  const std::string& Path() const { return path_; }

 private:
  int master_ = -1;
  std::string path_;
};

// Another program's hold on the port: an open descriptor with the lock, optionally TIOCEXCL.
class Holder {
 public:
  Holder(const std::string& path, bool exclusive) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ >= 0 && exclusive) ::ioctl(fd_, TIOCEXCL);
    locked_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  }
  ~Holder() {
    if (fd_ >= 0) {
      ::ioctl(fd_, TIOCNXCL);
      ::close(fd_);
    }
  }
  bool Ok() const { return locked_; }
  // The tty's exclusive mark as the holder sees it.
  int Exclusive() const {
    int v = -1;
    return ::ioctl(fd_, TIOCGEXCL, &v) == 0 ? v : -1;
  }

 private:
  int fd_ = -1;
  bool locked_ = false;
};

TEST(TermiosPortOpen, FailedLockTakesBackTheExclusiveMarkItSet) {
  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  Holder other(pty.Path(), false);
  ASSERT_TRUE(other.Ok());
  ASSERT_EQ(other.Exclusive(), 0);
  TermiosPort port;
  EXPECT_FALSE(port.Open(pty.Path()));
  EXPECT_FALSE(port.IsOpen());
  // The other program can still open its port again.
  EXPECT_EQ(other.Exclusive(), 0);
  EXPECT_EQ(port.LastError().Kind, TPortFailure::Busy);
  EXPECT_STREQ(port.LastError().Call, "flock");
  EXPECT_EQ(port.LastError().Errno, EWOULDBLOCK);
}

TEST(TermiosPortOpen, FailedOpenKeepsAMarkItDidNotSet) {
  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  Holder other(pty.Path(), true);
  ASSERT_TRUE(other.Ok());
  ASSERT_EQ(other.Exclusive(), 1);
  TermiosPort port;
  // Refused at the open (EBUSY) for a plain user, at the lock for root: busy either way.
  EXPECT_FALSE(port.Open(pty.Path()));
  EXPECT_EQ(port.LastError().Kind, TPortFailure::Busy);
  EXPECT_EQ(other.Exclusive(), 1);
}

TEST(TermiosPortOpen, AnOpenPortIsExclusiveUntilClosed) {
  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  TermiosPort port;
  ASSERT_TRUE(port.Open(pty.Path()));
  EXPECT_EQ(port.LastError().Kind, TPortFailure::None);
  const int probe = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (probe < 0) {
    // Only root may open an exclusive tty; a plain user learns it this way.
    EXPECT_EQ(errno, EBUSY);
    port.Close();
    EXPECT_TRUE(port.Open(pty.Path()));
    return;
  }
  int exclusive = -1;
  ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1);
  EXPECT_NE(::flock(probe, LOCK_EX | LOCK_NB), 0);
  port.Close();
  ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  EXPECT_EQ(::flock(probe, LOCK_EX | LOCK_NB), 0);
  ::close(probe);
}

TEST(TermiosPortOpen, TheReasonOfEachFailure) {
  TermiosPort port;
  EXPECT_FALSE(port.Open("/dev/zk-no-such-port"));
  EXPECT_EQ(port.LastError().Kind, TPortFailure::Gone);
  EXPECT_EQ(port.LastError().Errno, ENOENT);
  EXPECT_STREQ(port.LastError().Call, "open");
  EXPECT_FALSE(port.Open(""));
  EXPECT_EQ(port.LastError().Kind, TPortFailure::Gone);

  char name[] = "/tmp/zk-not-a-tty-XXXXXX";
  const int fd = ::mkstemp(name);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_FALSE(port.Open(name));
  EXPECT_EQ(port.LastError().Kind, TPortFailure::NotATerminal);
  EXPECT_EQ(platform::ProbePort(name).Kind, TPortFailure::NotATerminal);
  ::unlink(name);

  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  EXPECT_EQ(platform::ProbePort(pty.Path()).Kind, TPortFailure::None);
  // A later success clears the reason.
  ASSERT_TRUE(port.Open(pty.Path()));
  EXPECT_EQ(port.LastError().Kind, TPortFailure::None);
}

// Opening a node the user may not open, in a child process that runs as "nobody" (root may
// open anything).
TEST(TermiosPortOpen, PermissionDeniedIsToldApartFromABusyPort) {
  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  ASSERT_EQ(::chmod(pty.Path().c_str(), 0600), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(100);
    if (::geteuid() != 0) ::chmod(pty.Path().c_str(), 0);  // a plain user owns the node
    const TPortError e = platform::ProbePort(pty.Path());
    ::_exit(e.Kind == TPortFailure::NoAccess && e.Errno == EACCES ? 0 : 1 + int(e.Kind));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "kind + 1 of what the child saw (100: no setuid)";
}

TEST(TermiosPortOpen, DebugTextsNameTheCauseAndTheCall) {
  using platform::DescribePortError;
  EXPECT_EQ(DescribePortError({TPortFailure::NoAccess, EACCES, "open"}),
            "permission denied, the user is not in the dialout group (open: EACCES)");
  EXPECT_EQ(DescribePortError({TPortFailure::Gone, ENOENT, "open"}),
            "device gone, nothing is attached under this name (open: ENOENT)");
  EXPECT_EQ(DescribePortError({TPortFailure::Busy, EWOULDBLOCK, "flock"}),
            "port busy, held by another program (flock: EAGAIN)");
  EXPECT_EQ(DescribePortError({TPortFailure::NotATerminal, ENOTTY, "isatty"}),
            "not a serial port (isatty: ENOTTY)");
  EXPECT_EQ(DescribePortError({TPortFailure::Other, EINVAL, "tcsetattr"}),
            "port failure (tcsetattr: EINVAL)");
  EXPECT_EQ(DescribePortError({}), "");

  EXPECT_EQ(platform::PortFailureOf(EPERM), TPortFailure::NoAccess);
  EXPECT_EQ(platform::PortFailureOf(ENXIO), TPortFailure::Gone);
  EXPECT_EQ(platform::PortFailureOf(ENODEV), TPortFailure::Gone);
  EXPECT_EQ(platform::PortFailureOf(EIO), TPortFailure::Gone);
  EXPECT_EQ(platform::PortFailureOf(EBUSY), TPortFailure::Busy);
  EXPECT_EQ(platform::PortFailureOf(0), TPortFailure::None);
}

TEST(TermiosPortOpen, InterruptedCallsAreRepeated) {
  int calls = 0;
  const int r = platform::RetryOnEintr([&] {
    ++calls;
    if (calls < 3) {
      errno = EINTR;
      return -1;
    }
    return 7;
  });
  EXPECT_EQ(r, 7);
  EXPECT_EQ(calls, 3);
  calls = 0;
  EXPECT_EQ(platform::RetryOnEintr([&] {
              ++calls;
              errno = EBUSY;
              return -1;
            }),
            -1);
  EXPECT_EQ(calls, 1);
}

}  // namespace

// The transport's clock: real time unless a simulated run scales it, and then pauses, deadlines
// and timer intervals all shrink by the same factor. Lower bounds only.
TEST(TransportClock, RealUnlessScaledAndThenEveryWaitShrinksTogether) {
  EXPECT_EQ(platform::TimeScale(), 1.0);  // what every run on real instruments has
  EXPECT_EQ(platform::ScaledIntervalMs(250), 250);
  int64_t t0 = platform::MonotonicMs();
  platform::SleepMs(30);
  EXPECT_GE(platform::MonotonicMs() - t0, 30);

  platform::SetTimeScale(100);
  EXPECT_EQ(platform::ScaledIntervalMs(250), 3);  // 2.5 ms rounded
  EXPECT_EQ(platform::ScaledIntervalMs(20), 1);   // never below 1 ms
  t0 = platform::MonotonicMs();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(platform::MonotonicMs() - t0, 2000);  // 20 real ms are 2 s of the clock
  t0 = platform::MonotonicMs();
  const auto real0 = std::chrono::steady_clock::now();
  platform::SleepMs(1000);
  EXPECT_GE(platform::MonotonicMs() - t0, 1000);  // a pause is whole on its own clock
  EXPECT_GE(std::chrono::steady_clock::now() - real0, std::chrono::milliseconds(10));
  platform::SetTimeScale(0);  // refused: stays at 100
  EXPECT_EQ(platform::TimeScale(), 100.0);
  platform::SetTimeScale(1);
  EXPECT_EQ(platform::ScaledIntervalMs(250), 250);
}
