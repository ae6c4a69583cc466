// The Modbus port against the libmodbus RTU slave (tests/modbus/libmodbus_rtu_server.c): slave 7,
// holding register n = 0..63 holding 2000 + 3n, registers 0x800A/0x800B holding 10.0 as a float.
// libmodbus does not answer diagnostics (0x08) and, after a frame for another slave, ignores the
// line for 0.5 s.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "modbus/Modbus.h"
#include "tests/modbus/ModbusPeers.h"

using modbustest::WaitUntil;
using Lines = std::vector<std::string>;

namespace {

constexpr uint32_t kSlave = 7;
constexpr uint32_t kOther = 8;
constexpr const char* kTimeout = "Timeout while waiting for response";

class LibmodbusSlave : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string server = ZK_LIBMODBUS_SERVER;
    ASSERT_FALSE(server.empty())
        << "libmodbus-dev was not found when the build was configured; scripts/setup.sh "
        << "installs it";
    ASSERT_FALSE(dir_.Path().empty()) << "cannot make a temporary folder";
    const std::string error = pty_.Start(dir_.Path());
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_TRUE(
        server_.Start({server, pty_.B(), std::to_string(kSlave)}, dir_.Path() + "/server.log"))
        << "cannot start " << server;
    port_.SetPort(pty_.A());
    port_.SetWindowsReadLoopTimeoutMS(50);
    const bool ready = WaitUntil(
        [this] { return !server_.Running() || port_.QueryWords(kSlave, 0, 1).Status.empty(); },
        20000, 0);
    ASSERT_TRUE(server_.Running()) << "the libmodbus server ended; its output:\n" << server_.Log();
    ASSERT_TRUE(ready) << "the libmodbus slave did not answer within 20 s; its output:\n"
                       << server_.Log();
    log_.Clear();
  }
  void TearDown() override {
    server_.Stop();
    pty_.Stop();
  }

  modbustest::TempDir dir_;
  modbustest::PtyPair pty_;
  modbustest::ChildProcess server_;
  TModbusPort port_;
  modbustest::LogLines log_;
};

}  // namespace

TEST_F(LibmodbusSlave, EchoTestFailsOnADeviceWithoutDiagnostics) {
  port_.SetReadoutTimeoutMS(300);
  EXPECT_FALSE(port_.Test(kSlave));
  EXPECT_EQ(log_.Lines(), Lines{kTimeout});
}

TEST_F(LibmodbusSlave, ReadsRegistersAndFloat) {
  TSerialResponse r = port_.QueryWords(kSlave, 0, 32);
  EXPECT_TRUE(r.Status.empty()) << r.Status;
  for (int j = 0; j < 32; ++j) EXPECT_EQ(r.rArray[j], 2000 + 3 * j) << "register " << j;
  EXPECT_EQ(r.ValueOfFirstWord, 2000);

  r = port_.QueryWords(kSlave, 31, 1);
  EXPECT_EQ(r.rArray[0], 2093);

  EXPECT_EQ(port_.QueryD(kSlave, 5).rDouble, 10.0);
  EXPECT_EQ(port_.QueryD(kSlave, 4).rDouble, 0.0);
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(LibmodbusSlave, WriteWordWithAndWithoutWaiting) {
  EXPECT_TRUE(port_.WriteWord(kSlave, 20, 300, true));
  EXPECT_EQ(port_.QueryWords(kSlave, 20, 1).rArray[0], 300);

  EXPECT_TRUE(port_.WriteWord(kSlave, 21, 54321, false));
  // The unread echo may still come in during the first read; read until the value shows.
  int last = -1;
  EXPECT_TRUE(WaitUntil([&] { return (last = port_.QueryWords(kSlave, 21, 1).rArray[0]) == 54321; },
                        10000, 0))
      << "register 21 reads " << last;
  // The neighbours are untouched.
  const TSerialResponse r = port_.QueryWords(kSlave, 19, 4);
  EXPECT_EQ(r.rArray[0], 2000 + 3 * 19);
  EXPECT_EQ(r.rArray[3], 2000 + 3 * 22);
}

TEST_F(LibmodbusSlave, OtherAddressIsSilentAndLeavesTheSlaveUnchanged) {
  port_.SetReadoutTimeoutMS(300);
  TSerialResponse r = port_.QueryWords(kOther, 0, 2);
  EXPECT_EQ(r.Status, kTimeout);
  EXPECT_FALSE(port_.WriteWord(kOther, 0, 1, true));
  EXPECT_EQ(port_.QueryD(kOther, 5).rDouble, 0.0);
  EXPECT_EQ(log_.Lines(), (Lines{kTimeout, kTimeout}));

  // The slave listens again once its pause after a foreign frame is over.
  port_.SetReadoutTimeoutMS(1000);
  EXPECT_TRUE(
      WaitUntil([&] { return (r = port_.QueryWords(kSlave, 0, 1)).Status.empty(); }, 10000, 0));
  EXPECT_EQ(r.rArray[0], 2000) << "register 0 must not have been written";
}
