// Serial exchanges over real pseudo-terminals.
#include <gtest/gtest.h>

#include "platform/FormatSettings.h"
#include "platform/TermiosPort.h"
#include "tests/support/ScopedFormatSettings.h"
#include "tests/transport/LogCapture.h"
#include "tests/transport/PtyPeer.h"
#include "transport/CommPortList.h"
#include "transport/SerialPort.h"

using transporttest::LogCapture;
using transporttest::PtyPeer;

namespace {

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(peer.Path().empty());
    port.SetPort(peer.Path());
    port.SetWindowsReadLoopTimeoutMS(20);
    port.SetReadoutTimeoutMS(500);
  }
  PtyPeer peer;
  TSerialPort port;
};

TEST_F(SerialPortTest, RequestGoesOutByteForByteAndReplyComesBackWhole) {
  peer.ReplyAlways("+1.234560E-01,+2.000000E-03\n");
  TSerialResponse r = port.Send2(":READ?\r", true);
  EXPECT_EQ(r.Status, "");
  EXPECT_EQ(r.Response, "+1.234560E-01,+2.000000E-03\n");
  EXPECT_EQ(peer.Received(), ":READ?\r");
}

TEST_F(SerialPortTest, NulBytesAreKeptAndLongRepliesCutAt80Bytes) {
  const std::string withNul(
      "1\0\0"
      "2\n",
      5);
  peer.ReplyAlways(withNul);
  TSerialResponse r = port.Send2("x\r", true);
  EXPECT_EQ(r.Status, "");
  EXPECT_EQ(r.Response, withNul);
  EXPECT_EQ(r.Response.size(), 5u);

  std::string longReply;
  for (int i = 0; i < 130; ++i) longReply += static_cast<char>('A' + i % 26);
  peer.ReplyAlways(longReply);
  r = port.Send2("y\r", true);
  EXPECT_EQ(r.Status, "");
  EXPECT_EQ(r.Response, longReply.substr(0, 80));
  // The rest is gone with the port: the next exchange sees only its own reply.
  peer.ReplyAlways("ok\n");
  EXPECT_EQ(port.Send2("z\r", true).Response, "ok\n");
}

TEST_F(SerialPortTest, WithoutWaitingResponseIsEmptyAndStatusUntouched) {
  peer.ReplyAlways("ignored\n");
  TSerialResponse r;
  r.Response = "old";
  r.Status = "an earlier failure";
  port.Send2("++addr 2\r", false, r);
  EXPECT_EQ(r.Response, "");
  EXPECT_EQ(r.Status, "an earlier failure");
  EXPECT_TRUE(peer.WaitReceived("++addr 2\r", 1000));
}

TEST_F(SerialPortTest, TimeoutEmptiesResponseAndItsStatusSurvivesLaterSuccess) {
  TSerialResponse r;
  r.Response = "stale";
  port.SetReadoutTimeoutMS(100);
  port.Send2("++spoll\r", true, r);
  EXPECT_EQ(r.Status, SerialStatus::ResponseTimeout);
  EXPECT_EQ(r.Response, "");

  peer.ReplyAlways("16\r\n");
  port.Send2("++spoll\r", true, r);
  EXPECT_EQ(r.Response, "16\r\n");
  EXPECT_EQ(r.Status, SerialStatus::ResponseTimeout);
}

TEST_F(SerialPortTest, ZeroReadoutTimeoutReportsTimeoutEvenWhenReplyArrived) {
  peer.ReplyAlways("fast\n");
  port.SetReadoutTimeoutMS(0);
  port.SetWindowsReadLoopTimeoutMS(150);  // the reply is there before the deadline test
  TSerialResponse r = port.Send2("q\r", true);
  EXPECT_EQ(r.Status, SerialStatus::ResponseTimeout);
  EXPECT_EQ(r.Response, "");
}

TEST_F(SerialPortTest, MissingPortAndHeldPortBothCountAsPortInUse) {
  TSerialResponse r;
  r.Response = "kept";
  port.SetPort("/dev/does-not-exist-zk");
  port.Send2("x\r", true, r);
  EXPECT_EQ(r.Status, SerialStatus::PortInUse);
  EXPECT_EQ(r.Response, "kept");

  TSerialResponse r2;
  port.SetPort("COM254");  // nothing registered there
  port.Send2("x\r", true, r2);
  EXPECT_EQ(r2.Status, SerialStatus::PortInUse);

  platform::TermiosPort holder;
  ASSERT_TRUE(holder.Open(peer.Path()));
  TSerialResponse r3;
  port.SetPort(peer.Path());
  port.Send2("x\r", true, r3);
  EXPECT_EQ(r3.Status, SerialStatus::PortInUse);
  EXPECT_EQ(peer.Received(), "");
  holder.Close();
  port.Send2("x\r", false, r3);
  EXPECT_TRUE(peer.WaitReceived("x\r", 1000));
}

TEST_F(SerialPortTest, DebugLogTellsWhyAPortCouldNotBeOpened) {
  LogCapture log;
  port.SetDebug(true);
  port.SetPort("/dev/does-not-exist-zk");
  TSerialResponse r = port.Send2("x\r", true);
  EXPECT_EQ(r.Status, SerialStatus::PortInUse);
  EXPECT_EQ(port.PortError().Kind, platform::TPortFailure::Gone);

  platform::TermiosPort holder;
  ASSERT_TRUE(holder.Open(peer.Path()));
  port.SetPort(peer.Path());
  r = port.Send2("x\r", true);
  EXPECT_EQ(r.Status, SerialStatus::PortInUse);
  EXPECT_EQ(port.PortError().Kind, platform::TPortFailure::Busy);
  const std::vector<std::string> expected = {
      "Port error               : /dev/does-not-exist-zk: device gone, nothing is attached under "
      "this name (open: ENOENT)",
      "Port error               : " + peer.Path() +
          ": port busy, held by another program (flock: EAGAIN)"};
  EXPECT_EQ(log.Lines(), expected);

  holder.Close();
  port.SetDebug(false);
  port.SetPort("/dev/does-not-exist-zk");
  port.Send2("x\r", false);
  EXPECT_EQ(log.Lines().size(), 2u) << "without Debug nothing is logged";
  port.SetPort(peer.Path());
  port.Send2("x\r", false);
  EXPECT_EQ(port.PortError().Kind, platform::TPortFailure::None);
}

// The read ends when no byte has come for 20 ms. Scheduling can only make a gap longer (the
// split case) or a read start later (the joined case), so each case counts when it is seen once
// in a few tries.
TEST_F(SerialPortTest, ReadEndsAfterTwentyMillisecondsWithoutAByte) {
  port.SetWindowsReadLoopTimeoutMS(1);  // read as soon as the first part is there
  bool split = false;
  for (int attempt = 0; attempt < 5 && !split; ++attempt) {
    peer.ReplyInTwoParts("+1.2345", "E-03\n", 30);
    split = port.Send2(":MEAS?\r", true).Response == "+1.2345";
  }
  EXPECT_TRUE(split) << "a second part 30 ms later was read with the first";
  bool joined = false;
  for (int attempt = 0; attempt < 5 && !joined; ++attempt) {
    peer.ReplyInTwoParts("+1.2345", "E-03\n", 10);
    joined = port.Send2(":MEAS?\r", true).Response == "+1.2345E-03\n" && peer.LastGapMs() < 20;
  }
  EXPECT_TRUE(joined) << "a second part 10 ms later was not read with the first";
}

// Lower bounds only: pauses never end early, and a loaded machine only adds to them.
TEST_F(SerialPortTest, AReplyIsReadNoEarlierThanTwoPausesAfterTheWrite) {
  peer.SetQuietMs(0);  // the reply is there at once
  peer.ReplyAlways("1\n");
  port.SetWindowsReadLoopTimeoutMS(150);
  const int64_t t0 = platform::MonotonicMs();
  EXPECT_EQ(port.Send2("*OPC?\r", true).Response, "1\n");
  EXPECT_GE(platform::MonotonicMs() - t0, 2 * 150);
}

TEST_F(SerialPortTest, AMissingReplyIsReportedNoEarlierThanThePausesAndTheTimeOut) {
  // One pause, polls every pause until 250 ms after it (at 100, 200 and 300 ms), each followed
  // by a pause: 400 ms.
  port.SetWindowsReadLoopTimeoutMS(100);
  port.SetReadoutTimeoutMS(250);
  const int64_t t0 = platform::MonotonicMs();
  EXPECT_EQ(port.Send2("x\r", true).Status, SerialStatus::ResponseTimeout);
  EXPECT_GE(platform::MonotonicMs() - t0, 400);
}

TEST_F(SerialPortTest, RegisteredComNameResolvesToItsDevice) {
  const int n = TCommPortList::RegisterPort(peer.Path());
  ASSERT_GE(n, 200);
  peer.ReplyAlways("Prologix GPIB-USB Controller version 6.107\r\n");
  port.SetPort("COM" + std::to_string(n));
  TSerialResponse r = port.Send2("++ver\r", true);
  EXPECT_EQ(r.Status, "");
  EXPECT_NE(r.Response.find("Prologix"), std::string::npos);
  TCommPortList::UnregisterPort(peer.Path());
}

TEST_F(SerialPortTest, DebugLogShowsEveryStepOfATextExchange) {
  LogCapture log;
  port.SetDebug(true);
  peer.ReplyAlways("1\n");
  port.Send2("*IDN?\r", true);
  port.Send2("++auto 0\r", false);
  const std::vector<std::string> expected = {
      std::string(44, '*'),
      "PortName                 : " + peer.Path(),
      "Bytes written            : 6",
      "As string                : *IDN?\r",
      std::string(44, '*'),
      "PortName                 : " + peer.Path(),
      "Bytes written            : 9",
      "As string                : ++auto 0\r",
      "Exit read/write without waiting for reply",
  };
  EXPECT_EQ(log.Lines(), expected);
}

TEST_F(SerialPortTest, TimeoutLineUsesTheLocaleDecimalSeparator) {
  LogCapture log;
  {
    ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
    port.SetDebug(true);
    port.SetReadoutTimeoutMS(100);
    port.Send2("x\r", true);
  }
  ASSERT_FALSE(log.Lines().empty());
  EXPECT_EQ(log.Lines().back(), "Message                  : Timeout 0,1s ");
}

TEST_F(SerialPortTest, BinaryExchangeFillsFirstWordAndLogsEveryByte) {
  LogCapture log;
  port.SetDebug(true);
  const std::string reply("\x03\x03\x02\x41\x20\x00\x00", 7);
  peer.ReplyAlways(reply);
  const unsigned char frame[] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x02};
  TSerialResponse r = port.SendData(frame, sizeof frame, true);
  EXPECT_EQ(r.Status, "");
  EXPECT_EQ(r.Response, reply);
  EXPECT_EQ(r.ValueOfFirstWord, 256 * 0x41 + 0x20);
  EXPECT_EQ(peer.Received(), std::string(reinterpret_cast<const char*>(frame), sizeof frame));
  const auto& lines = log.Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2], "Bytes written            : 6");
  EXPECT_EQ(lines[3], "Response Str             : " + reply);
  EXPECT_EQ(lines[4], "Response Int             : 3 3 2 65 32 0 0 ");
  EXPECT_EQ(lines[5], "Response Status          : ");
}

TEST_F(SerialPortTest, DeviceVanishingMidExchangeIsAReadOrTimeoutFailureNotACrash) {
  auto* gone = new PtyPeer;
  gone->SetHandler([](const std::string&) { return std::string(); });
  port.SetPort(gone->Path());
  port.SetReadoutTimeoutMS(300);
  std::thread killer([&] {
    gone->WaitReceived("x", 1000);
    delete gone;
  });
  TSerialResponse r = port.Send2("x\r", true);
  killer.join();
  EXPECT_FALSE(r.Status.empty());
}

}  // namespace
