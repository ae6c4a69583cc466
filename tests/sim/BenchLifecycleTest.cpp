// Starting and stopping the bench, what it records of the client, how it treats clients that
// come and go, and the zenkar-sim executable.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <csignal>
#include <thread>

#include "tests/sim/BenchFixture.h"

#ifdef ZK_SIM_PORT_LIST
#include "transport/CommPortList.h"
#endif

extern char** environ;

namespace {

using simtest::BenchTest;
using simtest::FastOptions;
using simtest::PtyClient;

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

using Lifecycle = BenchTest;

TEST_F(Lifecycle, DeviceNodeLivesFromStartToStop) {
  sim::Bench bench(FastOptions());
  ASSERT_TRUE(bench.Start());
  const std::string path = bench.DevicePath();
  EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  EXPECT_TRUE(Exists(path));
  EXPECT_TRUE(bench.Running());
  bench.Stop();
  EXPECT_FALSE(bench.Running());
  EXPECT_FALSE(Exists(path));
  bench.Stop();  // again: nothing happens
  EXPECT_EQ(bench.ComNumber(), 0);
}

TEST_F(Lifecycle, StopDoesNotWaitForPendingOperations) {
  StartBench();
  Client().Send("++read_tmo_ms 3000");
  Client().Send("++spoll 9");  // nobody there: the controller waits 3 s
  ASSERT_TRUE(Bench().WaitReceived("++spoll 9\r", 2000));
  ASSERT_TRUE(Bench().OperationPending());
  Bench().Stop();
  // The poll was cut off, not waited out. (How quickly Stop returns is a benchmark figure.)
  EXPECT_FALSE(Bench().Running());
  EXPECT_TRUE(Bench().OperationPending());
}

TEST_F(Lifecycle, RecordsEveryByteTheClientWrote) {
  StartBench();
  const char raw[] = "++ver\r\x1b\x00\xff:X\n";
  const std::string bytes(raw, sizeof raw - 1);
  Client().Write(bytes);
  EXPECT_TRUE(Bench().WaitReceived(":X\n", 2000));
  EXPECT_EQ(Bench().Received(), bytes);
  Bench().ClearReceived();
  EXPECT_EQ(Bench().Received(), "");
  EXPECT_FALSE(Bench().WaitReceived("never sent", 100));
}

TEST_F(Lifecycle, KeepsTheNewestTrafficOnceOverItsLimit) {
  sim::BenchOptions o = FastOptions();
  o.ReceivedLimit = 100;
  StartBench(o);
  std::string sent;
  for (int i = 0; i < 40; ++i) sent += ":LINE" + std::to_string(i) + "\n";  // 7 or 8 bytes each
  Client().Write(sent);
  ASSERT_TRUE(Bench().WaitReceived(":LINE39\n", 2000));
  const std::string kept = Bench().Received();
  EXPECT_GE(kept.size(), 100u);
  EXPECT_LE(kept.size(), 200u);
  EXPECT_EQ(sent.substr(sent.size() - kept.size()), kept);
}

TEST_F(Lifecycle, UnreadReplyLeavesWithItsClient) {
  StartBench();
  Client().Send("++ver");
  ASSERT_TRUE(Client().WaitReadable(2000));
  Client().Close();  // without reading, as after a read time-out

  PtyClient next(Bench().DevicePath());
  ASSERT_TRUE(next.IsOpen());
  // The bench drops the old reply when it sees the close (a real exchange pauses far longer
  // than this before it reads).
  for (int i = 0; i < 100 && next.Pending() > 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(next.Pending(), 0);
  EXPECT_EQ(next.Controller("++addr"), "0\r\n");
}

TEST_F(Lifecycle, AnotherOpenAndCloseDoesNotCutOffTheClient) {
  StartBench();
  Client().Send("++ver");
  {
    PtyClient intruder(Bench().DevicePath());  // e.g. a second exchange that gave up
    ASSERT_TRUE(intruder.IsOpen());
  }
  EXPECT_EQ(Client().ReadUntil("\r\n", 2000), "Prologix GPIB-USB Controller version 6.107\r\n");
  EXPECT_EQ(Client().Controller("++addr"), "0\r\n");
}

TEST_F(Lifecycle, SettersAndModelSnapshots) {
  sim::BenchOptions o = FastOptions();
  o.Cell.InitialPressureBar = 0.02;
  StartBench(o);
  EXPECT_NEAR(Bench().CellPressureBar(), 0.02, 1e-4);
  EXPECT_GT(Bench().SensorVoltageV(), 0.04);
  EXPECT_EQ(Bench().PumpCurrentA(), 0);  // output off after power on
  sim::CellParameters c = Bench().Cell();
  c.InitialPressureBar = 0.2095;
  Bench().SetCell(c);
  EXPECT_NEAR(Bench().SensorVoltageV(), 0, 1e-6);
}

#ifdef ZK_SIM_PORT_LIST
TEST_F(Lifecycle, RegistersInThePortList) {
  sim::BenchOptions o = FastOptions();
  o.RegisterInPortList = true;
  StartBench(o);
  int n = Bench().ComNumber();
  ASSERT_GT(n, 0);
  EXPECT_EQ(TCommPortList::ResolvePortName("COM" + std::to_string(n)), Bench().DevicePath());
}
#endif

// The executable, as a separate process.
class Executable : public ::testing::Test {
 protected:
  bool Launch(std::vector<std::string> args) {
    if (out_ >= 0) close(out_);
    out_ = -1;
    int out[2];
    if (pipe(out) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), ZK_SIM_EXECUTABLE);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int r = posix_spawn(&pid_, ZK_SIM_EXECUTABLE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (r != 0) {
      close(out[0]);
      return false;
    }
    out_ = out[0];
    return true;
  }
  std::string FirstLine() {
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char c[256];
      ssize_t n = read(out_, c, sizeof c);
      if (n <= 0) break;
      line.append(c, static_cast<size_t>(n));
    }
    return line.substr(0, line.find('\n'));
  }
  // Exit status, or -1 if the process did not end within the bound.
  int WaitExit(int ms) {
    for (int i = 0; i < ms / 10; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  pid_t pid_ = -1;
  int out_ = -1;
};

TEST_F(Executable, RunsWithItsOptionsUntilTerminated) {
  ASSERT_TRUE(Launch({"--smu-addr", "4", "--no-scanner", "--no-pace", "--speed", "50", "--fault",
                      "non-numeric-poll"}));
  std::string path = FirstLine();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  {
    PtyClient client(path);
    ASSERT_TRUE(client.IsOpen());
    EXPECT_EQ(client.Controller("++ver"), "Prologix GPIB-USB Controller version 6.107\r\n");
    EXPECT_EQ(client.Controller("++spoll 4"), "ERR\r\n");
    client.Send("++addr 2");
    EXPECT_EQ(client.Query("*OPT?"), "0,0\n");
  }
  kill(pid_, SIGTERM);
  EXPECT_EQ(WaitExit(5000), 0);
}

TEST_F(Executable, ClientHoldingTheLockKeepsItsReplyWhenAnotherOpenGivesUp) {
  ASSERT_TRUE(Launch({"--no-pace"}));
  std::string path = FirstLine();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  PtyClient holder(path);
  ASSERT_TRUE(holder.IsOpen());
  ASSERT_EQ(flock(holder.Fd(), LOCK_EX | LOCK_NB), 0);
  holder.Send("++ver");
  ASSERT_TRUE(holder.WaitReadable(2000));
  {
    PtyClient intruder(path);  // opens, cannot lock, closes
    ASSERT_TRUE(intruder.IsOpen());
    EXPECT_NE(flock(intruder.Fd(), LOCK_EX | LOCK_NB), 0);
  }
  // The bench handles the close before this command; the unread reply is still there.
  holder.Send("++addr");
  EXPECT_EQ(holder.ReadUntil("0\r\n", 2000), "Prologix GPIB-USB Controller version 6.107\r\n0\r\n");
  kill(pid_, SIGTERM);
  EXPECT_EQ(WaitExit(5000), 0);
}

TEST_F(Executable, RefusesUnknownOptions) {
  ASSERT_TRUE(Launch({"--no-such-option"}));
  EXPECT_EQ(WaitExit(5000), 2);
  ASSERT_TRUE(Launch({"--fault", "NoSuchFault"}));
  EXPECT_EQ(WaitExit(5000), 2);
}

}  // namespace
