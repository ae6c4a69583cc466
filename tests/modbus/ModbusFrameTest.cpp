// Frames, CRC and reply decoding of the Modbus port, checked byte for byte against hand-computed
// frames on a pseudo-terminal whose far end this test scripts.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "modbus/Modbus.h"
#include "tests/modbus/FrameBytes.h"
#include "tests/modbus/ModbusPeers.h"
#include "tests/transport/PtyPeer.h"

using modbustest::Bytes;
using modbustest::LogLines;
using modbustest::WithCrc;
using Lines = std::vector<std::string>;

namespace {

std::string AsString(const TModbusFrame& f) {
  return std::string(reinterpret_cast<const char*>(f.data()), f.size());
}

constexpr const char* kStars = "********************************************";

}  // namespace

TEST(ModbusCrc, CheckValueAndTextbookFrames) {
  const std::string digits = "123456789";
  EXPECT_EQ(ModbusCRC16(reinterpret_cast<const uint8_t*>(digits.data()), digits.size()), 0x4B37);
  EXPECT_EQ(ModbusCRC16(nullptr, 0), 0xFFFF);

  // Frames as printed in Modbus primers and device manuals.
  EXPECT_EQ(AsString(ModbusFrame(1, 0x03, 0x0000, 0x000A)),
            Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}));
  EXPECT_EQ(AsString(ModbusFrame(1, 0x06, 0x0001, 0x0003)),
            Bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03, 0x98, 0x0B}));
  // Only the low 8 bits of the device address go out.
  EXPECT_EQ(AsString(ModbusFrame(0x1FF, 0x08, 0x0000, 0x0000)),
            Bytes({0xFF, 0x08, 0x00, 0x00, 0x00, 0x00, 0xF5, 0xD5}));
  EXPECT_EQ(AsString(ModbusFrame(1, 0x08, 0x0000, 0x1234)),
            Bytes({0x01, 0x08, 0x00, 0x00, 0x12, 0x34, 0xED, 0x7C}));
}

TEST(ModbusCrc, TableAgreesWithBitByBitComputation) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    ASSERT_EQ(ModbusCRC16(reinterpret_cast<const uint8_t*>(one.data()), 1),
              modbustest::BitwiseCrc(one))
        << "byte " << b;
  }
  std::mt19937 gen(12345);
  for (int round = 0; round < 200; ++round) {
    std::string data(gen() % 300, '\0');
    for (char& c : data) c = static_cast<char>(gen() & 0xFF);
    ASSERT_EQ(ModbusCRC16(reinterpret_cast<const uint8_t*>(data.data()), data.size()),
              modbustest::BitwiseCrc(data));
  }
}

class ModbusScriptedPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(peer_.Path().empty()) << "no pseudo-terminal available";
    port_.SetPort(peer_.Path());
    port_.SetWindowsReadLoopTimeoutMS(50);
  }

  transporttest::PtyPeer peer_;
  TModbusPort port_;
  LogLines log_;
};

TEST_F(ModbusScriptedPeer, EchoTestSendsDiagnosticFrameAndComparesTheEcho) {
  peer_.SetHandler([](const std::string& request) { return request; });
  std::set<int> values;
  for (int i = 0; i < 5; ++i) {
    peer_.ClearReceived();
    log_.Clear();
    EXPECT_TRUE(port_.Test(1));
    const std::string sent = peer_.Received();
    ASSERT_EQ(sent.size(), 8u);
    const int v = 256 * static_cast<unsigned char>(sent[4]) + static_cast<unsigned char>(sent[5]);
    EXPECT_LT(v, 65000);
    EXPECT_EQ(sent, WithCrc(Bytes({0x01, 0x08, 0x00, 0x00, v >> 8, v & 0xFF})));
    EXPECT_EQ(log_.Lines(), (Lines{"Sent to diagnostic loop  : " + std::to_string(v),
                                   "Response                 : " + std::to_string(v)}));
    values.insert(v);
  }
  EXPECT_GT(values.size(), 1u) << "the test value must change from call to call";
}

TEST_F(ModbusScriptedPeer, EchoTestFailsOnWrongOrShortEcho) {
  // Echo with the test value's low byte changed.
  peer_.SetHandler([](std::string request) {
    request[5] = static_cast<char>(request[5] ^ 0x01);
    return request;
  });
  EXPECT_FALSE(port_.Test(1));

  // Six bytes are too few to carry the echo: it counts as 0.
  peer_.SetHandler([](const std::string& request) { return request.substr(0, 6); });
  peer_.ClearReceived();
  log_.Clear();
  const bool found = port_.Test(1);
  const std::string sent = peer_.Received();
  ASSERT_EQ(sent.size(), 8u);
  const bool zero = sent[4] == 0 && sent[5] == 0;
  EXPECT_EQ(found, zero) << "only a test value of 0 matches the missing echo";
  ASSERT_EQ(log_.Lines().size(), 2u);
  EXPECT_EQ(log_.Lines()[1], "Response                 : 0");

  // Seven bytes are enough; the CRC is never looked at.
  peer_.SetHandler([](const std::string& request) { return request.substr(0, 7); });
  EXPECT_TRUE(port_.Test(1));
}

TEST_F(ModbusScriptedPeer, QueryDAsksForRegisterPairAndDecodesFloat) {
  peer_.ReplyAlways(WithCrc(Bytes({0x01, 0x03, 0x04, 0x41, 0x20, 0x00, 0x00})));
  TSerialResponse r = port_.QueryD(1, 1);
  EXPECT_EQ(peer_.Received(), Bytes({0x01, 0x03, 0x80, 0x02, 0x00, 0x02, 0x4C, 0x0B}));
  EXPECT_EQ(r.rDouble, 10.0);
  // Only rDouble is handed back.
  EXPECT_TRUE(r.Response.empty());
  EXPECT_EQ(r.ValueOfFirstWord, 0);
  EXPECT_TRUE(r.Status.empty());

  peer_.ReplyAlways(WithCrc(Bytes({0x01, 0x03, 0x04, 0xC2, 0xF6, 0xE6, 0x66})));
  EXPECT_FLOAT_EQ(static_cast<float>(port_.QueryD(1, 0).rDouble), -123.45f);

  peer_.ReplyAlways(WithCrc(Bytes({0x01, 0x03, 0x04, 0x00, 0x00, 0x00, 0x00})));
  EXPECT_EQ(port_.QueryD(1, 0).rDouble, 0.0);

  // Eight bytes: too short for the value, and not an error.
  peer_.ReplyAlways(Bytes({0x01, 0x03, 0x04, 0x41, 0x20, 0x00, 0x00, 0x00}));
  log_.Clear();
  r = port_.QueryD(1, 0);
  EXPECT_EQ(r.rDouble, 0.0);
  EXPECT_TRUE(r.Status.empty());
  EXPECT_TRUE(log_.Lines().empty());

  // The register number wraps at 16 bits: 0x8000 + 2 * 0x4001 = 0x10002.
  peer_.ClearReceived();
  port_.QueryD(1, 0x4001);
  EXPECT_EQ(peer_.Received().substr(0, 6), Bytes({0x01, 0x03, 0x00, 0x02, 0x00, 0x02}));
}

TEST_F(ModbusScriptedPeer, QueryWordsDecodesEveryRegisterWithoutFrameDump) {
  std::string reply = Bytes({0x03, 0x03, 64});
  for (int j = 0; j < 32; ++j) reply += Bytes({0x80 + j, j});
  peer_.ReplyAlways(WithCrc(reply));
  port_.SetDebug(true);
  const TSerialResponse r = port_.QueryWords(3, 0, 32);
  EXPECT_EQ(peer_.Received(), Bytes({0x03, 0x03, 0x00, 0x00, 0x00, 0x20, 0x45, 0xF0}));
  EXPECT_TRUE(r.Status.empty());
  EXPECT_TRUE(r.Response.empty());
  for (int j = 0; j < 32; ++j) EXPECT_EQ(r.rArray[j], 256 * (0x80 + j) + j) << "register " << j;
  EXPECT_EQ(r.ValueOfFirstWord, 0x8000);
  for (const std::string& line : log_.Lines())
    EXPECT_EQ(line.rfind("Modbus in", 0), std::string::npos);
}

TEST_F(ModbusScriptedPeer, QueryWordsRefusesMoreThan32WordsWithoutSending) {
  peer_.SetHandler([](const std::string& request) { return request; });
  port_.SetDebug(true);
  const TSerialResponse r = port_.QueryWords(3, 0, 33);
  EXPECT_EQ(r.Status, "Maximum wordcount read is 32");
  EXPECT_TRUE(log_.Lines().empty()) << "no exchange may be started";
  EXPECT_TRUE(peer_.Received().empty());
}

TEST_F(ModbusScriptedPeer, WriteWordFrameAndLogWithoutWaiting) {
  port_.SetDebug(true);
  EXPECT_TRUE(port_.WriteWord(1, 5, 300, false));
  const std::string expected = Bytes({0x01, 0x06, 0x00, 0x05, 0x01, 0x2C, 0x99, 0x86});
  ASSERT_TRUE(peer_.WaitReceived(expected, 5000)) << "received " << peer_.Received().size();
  EXPECT_EQ(peer_.Received(), expected);
  EXPECT_EQ(log_.Lines(),
            (Lines{"Modbus in Hex            : 01 06 00 05 01 2C 99 86 ",
                   "Modbus in Int            : 1 6 0 5 1 44 153 134 ", kStars,
                   "PortName                 : " + peer_.Path(), "Bytes written            : 8",
                   "Exit read/write without waiting for reply"}));
}

TEST_F(ModbusScriptedPeer, WriteWordWaitsForTheEchoAndFailsWithoutOne) {
  peer_.SetHandler([](const std::string& request) { return request; });
  EXPECT_TRUE(port_.WriteWord(1, 5, 300, true));
  // No reply: the exchange times out; WriteWord reports it only by its result.
  peer_.SetHandler({});
  port_.SetReadoutTimeoutMS(200);
  log_.Clear();
  EXPECT_FALSE(port_.WriteWord(1, 5, 300, true));
  EXPECT_TRUE(log_.Lines().empty());
}

TEST(ModbusPortFailure, EveryOperationReportsAnUnopenablePort) {
  TModbusPort port;
  port.SetPort("/nonexistent/zk-modbus-port");
  port.SetWindowsReadLoopTimeoutMS(50);
  LogLines log;
  const std::string inUse = "Failed to setup Com port, port in use";

  EXPECT_FALSE(port.Test(3));
  EXPECT_EQ(log.Lines(), Lines{inUse});

  log.Clear();
  const TSerialResponse d = port.QueryD(3, 5);
  EXPECT_EQ(d.rDouble, 0.0);
  EXPECT_TRUE(d.Status.empty()) << "QueryD hands back only rDouble";
  EXPECT_EQ(log.Lines(), Lines{inUse});

  log.Clear();
  EXPECT_EQ(port.QueryWords(3, 0, 4).Status, inUse);
  EXPECT_EQ(log.Lines(), Lines{inUse});

  log.Clear();
  EXPECT_FALSE(port.WriteWord(3, 0, 1, true));
  EXPECT_FALSE(port.WriteWord(3, 0, 1, false));
  EXPECT_TRUE(log.Lines().empty());

  // With Debug on the frame dump comes first, then the exchange's one line with the reason.
  port.SetDebug(true);
  log.Clear();
  port.QueryD(1, 1);
  EXPECT_EQ(log.Lines(),
            (Lines{"Modbus in Hex            : 01 03 80 02 00 02 4C 0B ",
                   "Modbus in Int            : 1 3 128 2 0 2 76 11 ",
                   "Port error               : " + port.Port() +
                       ": device gone, nothing is attached under this name (open: ENOENT)",
                   inUse}));
}
