// The Modbus port against the pymodbus RTU slave (tests/modbus/pymodbus_server.py): slave 3,
// holding registers n = 0..63 holding 1000 + 7n (40: 0xFFFF, 41: 0x8001), float parameters
// 0 = -2.5, 1 = 1.5, 5 = 10.0 at registers 0x8000 + 2 * parameter; other registers absent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "modbus/Modbus.h"
#include "tests/modbus/FrameBytes.h"
#include "tests/modbus/ModbusPeers.h"

using modbustest::Bytes;
using modbustest::WaitUntil;
using Lines = std::vector<std::string>;

namespace {

constexpr uint32_t kSlave = 3;
constexpr uint32_t kSilent = 4;
constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kTimeout = "Timeout while waiting for response";

class PymodbusSlave : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty()) << "cannot make a temporary folder";
    ASSERT_EQ(access(kPython, X_OK), 0)
        << kPython << " is missing (scripts/setup.sh installs python3, python3-pymodbus and "
        << "python3-serial-asyncio)";
    const std::string error = pty_.Start(dir_.Path());
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_TRUE(server_.Start({kPython, ZK_PYMODBUS_SERVER, pty_.B()}, dir_.Path() + "/server.log"))
        << "cannot start " << kPython;
    port_.SetPort(pty_.A());
    port_.SetWindowsReadLoopTimeoutMS(50);
    // Ready when the slave echoes; pymodbus takes a moment to import and open its end.
    const bool ready =
        WaitUntil([this] { return !server_.Running() || port_.Test(kSlave); }, 30000, 0);
    ASSERT_TRUE(server_.Running())
        << "the pymodbus server ended (is python3-pymodbus with python3-serial-asyncio "
        << "installed? scripts/setup.sh installs them); its output:\n"
        << server_.Log();
    ASSERT_TRUE(ready) << "the pymodbus slave did not answer within 30 s; its output:\n"
                       << server_.Log();
    log_.Clear();
  }
  void TearDown() override {
    server_.Stop();
    pty_.Stop();
  }

  // No answer is expected: no need to wait long for it.
  void ExpectSilence() { port_.SetReadoutTimeoutMS(300); }

  modbustest::TempDir dir_;
  modbustest::PtyPair pty_;
  modbustest::ChildProcess server_;
  TModbusPort port_;
  modbustest::LogLines log_;
};

}  // namespace

TEST_F(PymodbusSlave, EchoTestFindsTheSlaveOnlyAtItsAddress) {
  EXPECT_TRUE(port_.Test(kSlave));
  const Lines lines = log_.Lines();
  ASSERT_EQ(lines.size(), 2u);
  const std::string sentPrefix = "Sent to diagnostic loop  : ";
  ASSERT_EQ(lines[0].rfind(sentPrefix, 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "Response                 : " + lines[0].substr(sentPrefix.size()));

  EXPECT_TRUE(port_.Test(0x100 + kSlave)) << "only the low 8 bits address the device";

  ExpectSilence();
  log_.Clear();
  EXPECT_FALSE(port_.Test(kSilent));
  EXPECT_EQ(log_.Lines(), Lines{kTimeout});
}

TEST_F(PymodbusSlave, DebugLogOfAnEchoTestIsExact) {
  port_.SetDebug(true);
  EXPECT_TRUE(port_.Test(kSlave));
  const Lines lines = log_.Lines();
  ASSERT_EQ(lines.size(), 10u);
  const std::string sentPrefix = "Sent to diagnostic loop  : ";
  ASSERT_EQ(lines[8].rfind(sentPrefix, 0), 0u) << lines[8];
  const int v = std::stoi(lines[8].substr(sentPrefix.size()));
  const std::string frame = modbustest::WithCrc(Bytes({0x03, 0x08, 0x00, 0x00, v >> 8, v & 0xFF}));
  EXPECT_EQ(lines, (Lines{"Modbus in Hex            : " + modbustest::HexList(frame),
                          "Modbus in Int            : " + modbustest::IntList(frame),
                          "********************************************",
                          "PortName                 : " + pty_.A(), "Bytes written            : 8",
                          "Response Str             : " + frame,
                          "Response Int             : " + modbustest::IntList(frame),
                          "Response Status          : ", sentPrefix + std::to_string(v),
                          "Response                 : " + std::to_string(v)}));
}

TEST_F(PymodbusSlave, QueryDReadsFloatParameters) {
  TSerialResponse r = port_.QueryD(kSlave, 5);
  EXPECT_EQ(r.rDouble, 10.0);
  EXPECT_TRUE(r.Status.empty());
  EXPECT_TRUE(r.Response.empty());
  EXPECT_EQ(port_.QueryD(kSlave, 0).rDouble, -2.5);
  EXPECT_EQ(port_.QueryD(kSlave, 1).rDouble, 1.5);
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(PymodbusSlave, QueryDOfAbsentParameterGetsShortExceptionReply) {
  // The slave answers with a 5-byte exception reply: too short for a value, not an error.
  port_.SetDebug(true);
  const TSerialResponse r = port_.QueryD(kSlave, 50);
  EXPECT_EQ(r.rDouble, 0.0);
  EXPECT_TRUE(r.Status.empty());
  const Lines lines = log_.Lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0],
            "Modbus in Hex            : 03 03 80 64 00 02 " +
                modbustest::HexList(
                    modbustest::WithCrc(Bytes({0x03, 0x03, 0x80, 0x64, 0x00, 0x02})).substr(6)));
  EXPECT_EQ(lines[6].rfind("Response Int             : 3 131 2 ", 0), 0u) << lines[6];
  EXPECT_EQ(lines[7], "Response Status          : ");
}

TEST_F(PymodbusSlave, QueryDOfSilentAddressLogsTheTimeout) {
  ExpectSilence();
  const TSerialResponse r = port_.QueryD(kSilent, 5);
  EXPECT_EQ(r.rDouble, 0.0);
  EXPECT_TRUE(r.Status.empty()) << "QueryD hands back only rDouble";
  EXPECT_EQ(log_.Lines(), Lines{kTimeout});
}

TEST_F(PymodbusSlave, QueryWordsReadsUpTo32Registers) {
  TSerialResponse r = port_.QueryWords(kSlave, 0, 32);
  EXPECT_TRUE(r.Status.empty());
  EXPECT_TRUE(r.Response.empty());
  for (int j = 0; j < 32; ++j) EXPECT_EQ(r.rArray[j], 1000 + 7 * j) << "register " << j;
  EXPECT_EQ(r.ValueOfFirstWord, 1000);

  r = port_.QueryWords(kSlave, 10, 1);
  EXPECT_EQ(r.rArray[0], 1070);
  EXPECT_EQ(r.ValueOfFirstWord, 1070);

  // Register values are unsigned 16-bit.
  r = port_.QueryWords(kSlave, 39, 3);
  EXPECT_EQ(r.rArray[0], 1000 + 7 * 39);
  EXPECT_EQ(r.rArray[1], 65535);
  EXPECT_EQ(r.rArray[2], 0x8001);

  r = port_.QueryWords(kSlave, 32, 32);
  for (int j = 0; j < 32; ++j) {
    const int n = j + 32;
    const int expected = n == 40 ? 65535 : n == 41 ? 0x8001 : 1000 + 7 * n;
    EXPECT_EQ(r.rArray[j], expected) << "register " << n;
  }
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(PymodbusSlave, QueryWordsRefusesMoreThan32Words) {
  port_.SetDebug(true);
  const TSerialResponse r = port_.QueryWords(kSlave, 0, 33);
  EXPECT_EQ(r.Status, "Maximum wordcount read is 32");
  EXPECT_TRUE(log_.Lines().empty());
  // The slave has nothing half-read on the line afterwards.
  EXPECT_EQ(port_.QueryWords(kSlave, 0, 1).rArray[0], 1000);
}

TEST_F(PymodbusSlave, QueryWordsOfSilentAddressSetsAndLogsTheTimeout) {
  ExpectSilence();
  const TSerialResponse r = port_.QueryWords(kSilent, 0, 4);
  EXPECT_EQ(r.Status, kTimeout);
  EXPECT_EQ(log_.Lines(), Lines{kTimeout});
}

TEST_F(PymodbusSlave, WriteWordChangesTheRegister) {
  EXPECT_TRUE(port_.WriteWord(kSlave, 12, 4321, true));
  EXPECT_EQ(port_.QueryWords(kSlave, 12, 1).rArray[0], 4321);
  EXPECT_TRUE(port_.WriteWord(kSlave, 12, 300, true));
  EXPECT_EQ(port_.QueryWords(kSlave, 12, 1).rArray[0], 300);
  EXPECT_TRUE(port_.WriteWord(kSlave, 12, 65535, true));
  EXPECT_EQ(port_.QueryWords(kSlave, 12, 1).rArray[0], 65535);
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(PymodbusSlave, WriteWordWithoutWaitingStillWrites) {
  port_.SetDebug(true);
  EXPECT_TRUE(port_.WriteWord(kSlave, 13, 0x1234, false));
  const std::string frame = modbustest::WithCrc(Bytes({0x03, 0x06, 0x00, 0x0D, 0x12, 0x34}));
  EXPECT_EQ(log_.Lines(),
            (Lines{"Modbus in Hex            : " + modbustest::HexList(frame),
                   "Modbus in Int            : " + modbustest::IntList(frame),
                   "********************************************",
                   "PortName                 : " + pty_.A(), "Bytes written            : 8",
                   "Exit read/write without waiting for reply"}));
  port_.SetDebug(false);
  // The unread echo may still come in during the first read; read until the value shows.
  int last = -1;
  EXPECT_TRUE(WaitUntil(
      [&] { return (last = port_.QueryWords(kSlave, 13, 1).rArray[0]) == 0x1234; }, 10000, 0))
      << "register 13 reads " << last;
}

TEST_F(PymodbusSlave, WriteWordToSilentAddressFailsQuietly) {
  ExpectSilence();
  EXPECT_FALSE(port_.WriteWord(kSilent, 12, 1, true));
  EXPECT_TRUE(log_.Lines().empty());
  // The slave at its own address was not written.
  port_.SetReadoutTimeoutMS(1000);
  EXPECT_EQ(port_.QueryWords(kSlave, 12, 1).rArray[0], 1000 + 7 * 12);
}
