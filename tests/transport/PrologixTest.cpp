// Controller caching, instrument messages and the poll-and-read wait.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/TermiosPort.h"

#include "tests/transport/LogCapture.h"
#include "tests/transport/PtyPeer.h"
#include "transport/GPIBDevice.h"
#include "transport/Prologix.h"

using transporttest::LogCapture;
using transporttest::PtyPeer;

namespace {

class PrologixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(peer.Path().empty());
    ctl.SetPort(peer.Path());
    ctl.SetWindowsReadLoopTimeoutMS(10);
    ctl.SetReadoutTimeoutMS(300);
  }
  // Waits until the bytes of the no-wait writes so far have all arrived.
  std::string Wire(const std::string& expected) {
    peer.WaitReceived(expected, 1000);
    return peer.Received();
  }
  PtyPeer peer;
  TPrologix ctl;
};

TEST_F(PrologixTest, SettingsEqualToTheCacheSendNothing) {
  ctl.SetAddress(0);
  ctl.SetTerminator(TGPIBTerminator::ct1310);
  ctl.SetEOIonSend(false);
  ctl.SetEOTEnabled(false);
  ctl.GPIBSend2("mark", false, 0);
  EXPECT_EQ(Wire("mark\r"), "mark\r");
}

TEST_F(PrologixTest, ChangedSettingsGoOutOnceEach) {
  ctl.SetAddress(2);
  ctl.SetAddress(2);
  ctl.SetTerminator(TGPIBTerminator::ct10);
  ctl.SetTerminator(TGPIBTerminator::ct10);
  ctl.SetEOIonSend(true);
  ctl.SetEOIonSend(true);
  ctl.SetEOTEnabled(true);
  ctl.SetTerminator(TGPIBTerminator::ctNo);
  ctl.SetTerminator(TGPIBTerminator::ct13);
  ctl.SetTerminator(TGPIBTerminator::ct1310);
  ctl.SetEOIonSend(false);
  ctl.SetEOTEnabled(false);
  const std::string expected =
      "++addr 2\r++eos 2\r++eoi 1\r++eot 1\r++eos 3\r++eos 1\r++eos 0\r++eoi 0\r"
      "++eot_enable 0\r";
  EXPECT_EQ(Wire(expected), expected);
  EXPECT_EQ(ctl.Address(), 2u);
  EXPECT_EQ(ctl.Terminator(), TGPIBTerminator::ct1310);
}

// Lower bounds only: a pause never ends early, a loaded machine only makes it longer.
TEST_F(PrologixTest, TerminatorEoiAndEotChangesPauseOneReadLoopTime) {
  ctl.SetWindowsReadLoopTimeoutMS(150);
  const auto took = [](auto&& change) {
    const int64_t t0 = platform::MonotonicMs();
    change();
    return platform::MonotonicMs() - t0;
  };
  EXPECT_GE(took([&] { ctl.SetTerminator(TGPIBTerminator::ct10); }), 150);
  EXPECT_GE(took([&] { ctl.SetEOIonSend(true); }), 150);
  EXPECT_GE(took([&] { ctl.SetEOTEnabled(true); }), 150);
  EXPECT_EQ(Wire("++eot 1\r"), "++eos 2\r++eoi 1\r++eot 1\r");
}

TEST_F(PrologixTest, FailedExchangeStillUpdatesTheCache) {
  ctl.SetPort("/dev/does-not-exist-zk");
  ctl.SetAddress(7);
  EXPECT_EQ(ctl.Address(), 7u);
  ctl.SetPort(peer.Path());
  ctl.SetAddress(7);
  ctl.GPIBSend2("m", false, 0);
  EXPECT_EQ(Wire("m\r"), "m\r");
}

TEST_F(PrologixTest, MessageWithoutWaitingLeavesCallersRecordAlone) {
  TSerialResponse r;
  r.Response = "before";
  r.Status = "earlier";
  ctl.SetPort("/dev/does-not-exist-zk");
  ctl.GPIBSend2(":MEAS?", false, 0, r);
  EXPECT_EQ(r.Response, "before");
  EXPECT_EQ(r.Status, "earlier");
  ctl.SetPort(peer.Path());
  ctl.GPIBSend2(":MEAS?", false, 0, r);
  EXPECT_EQ(Wire(":MEAS?\r"), ":MEAS?\r");
  EXPECT_EQ(peer.Received().size(), 7u);
  EXPECT_EQ(r.Response, "before");
}

TEST_F(PrologixTest, TimeOverrideAppliesToOneExchangeOnly) {
  peer.ReplyAlways("late\n", 450);  // later than the normal 300 ms, well inside 2000 ms
  TSerialResponse r;
  ctl.GPIBSend2("*IDN?", true, 2000, r);
  EXPECT_EQ(r.Status, "");
  EXPECT_EQ(r.Response, "late\n");
  EXPECT_EQ(ctl.ReadoutTimeoutMS(), 300u);
  TSerialResponse r2;
  ctl.GPIBSend2("*IDN?", true, 0, r2);
  EXPECT_EQ(r2.Status, SerialStatus::ResponseTimeout);
}

// A device whose wait can be driven directly.
class PollingDevice : public TGPIBDevice {
 public:
  bool Wait(TSerialResponse& r, PollLog log, uint32_t pauseMS = kPollPauseMS) {
    return WaitForMessage(r, log, pauseMS);
  }
};

class PollTest : public PrologixTest {
 protected:
  void SetUp() override {
    PrologixTest::SetUp();
    dev.SetPort(peer.Path());
    dev.SetAddr(0);
    dev.SetCommunicator(&ctl);
    dev.SetReadTimeout(400);
  }
  PollingDevice dev;
};

TEST_F(PollTest, MessageAvailableBitEndsTheWaitAtOnce) {
  for (const char* status : {"16", "80", "  24\r\n"}) {
    peer.ReplyAlways(std::string(status) + "\r\n");
    peer.ClearReceived();
    TSerialResponse r;
    EXPECT_TRUE(dev.Wait(r, PollingDevice::PollLog::WhenDebug)) << status;
    EXPECT_EQ(peer.Received(), "++spoll\r") << status;
  }
}

TEST_F(PollTest, StatusWithoutTheBitPollsUntilTheDeadline) {
  std::atomic<int> polls{0};
  peer.SetHandler([&](const std::string&) {
    ++polls;
    return std::string("0\r\n");
  });
  dev.SetReadTimeout(1500);
  const int64_t t0 = platform::MonotonicMs();
  TSerialResponse r;
  EXPECT_FALSE(dev.Wait(r, PollingDevice::PollLog::WhenDebug));
  // It gave up only when the time-out had passed, and kept polling until then.
  EXPECT_GE(platform::MonotonicMs() - t0, 1500);
  EXPECT_GE(polls.load(), 2);
}

TEST_F(PollTest, EveryPollWaitsThePollPauseFirst) {
  // Two polls without the bit, then the bit. Timed on the peer's side: from the reply to one
  // poll to the arrival of the next lie the 20 ms that end the read and the pause.
  std::atomic<int> polls{0};
  peer.SetHandler(
      [&](const std::string&) { return std::string(++polls < 3 ? "0\r\n" : "16\r\n"); });
  dev.SetReadTimeout(5000);
  const int64_t t0 = platform::MonotonicMs();
  TSerialResponse r;
  EXPECT_TRUE(dev.Wait(r, PollingDevice::PollLog::None));
  const auto events = peer.Timeline();
  ASSERT_EQ(events.size(), 6u);
  EXPECT_GE(events[0].Ms - t0, int64_t(TGPIBDevice::kPollPauseMS));
  for (size_t k = 1; k + 1 < events.size(); k += 2) {
    ASSERT_FALSE(events[k].Request);
    ASSERT_TRUE(events[k + 1].Request);
    EXPECT_EQ(events[k + 1].Bytes, "++spoll\r");
    EXPECT_GE(events[k + 1].Ms - events[k].Ms, int64_t(TGPIBDevice::kPollPauseMS)) << k;
  }
  EXPECT_EQ(TGPIBDevice::kPollPauseMS, 100u);
}

TEST_F(PollTest, TheCyclesLongerPauseAndItsSilentLog) {
  peer.ReplyAlways("16\r\n");
  ctl.SetDebug(true);
  LogCapture log;
  const int64_t t0 = platform::MonotonicMs();
  TSerialResponse r;
  EXPECT_TRUE(dev.Wait(r, PollingDevice::PollLog::None, 200));
  EXPECT_GE(platform::MonotonicMs() - t0, 200);
  for (const std::string& line : log.Lines()) EXPECT_NE(line, "16");  // only the port's lines
}

TEST_F(PollTest, NonIntegerPollReplyRaisesTheConversionError) {
  // The empty reply of a poll that timed out.
  ctl.SetReadoutTimeoutMS(50);
  TSerialResponse r;
  EXPECT_THROW(dev.Wait(r, PollingDevice::PollLog::WhenDebug), EConvertError);
  peer.ReplyAlways("ERR\r\n");
  EXPECT_THROW(dev.Wait(r, PollingDevice::PollLog::WhenDebug), EConvertError);
}

TEST_F(PollTest, PollRepliesAreLoggedAsEachCallerAsks) {
  peer.ReplyAlways(" 16\r\n");
  {
    LogCapture log;
    TSerialResponse r;
    dev.Wait(r, PollingDevice::PollLog::WhenDebug);
    EXPECT_TRUE(log.Lines().empty());
  }
  {
    LogCapture log;
    TSerialResponse r;
    dev.Wait(r, PollingDevice::PollLog::Always);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Spoll response: 16"});
  }
}

TEST(GPIBTypes, IntegerConversionAndNames) {
  EXPECT_EQ(StrToInt("16"), 16);
  EXPECT_EQ(StrToInt("-5"), -5);
  EXPECT_EQ(StrToInt("$10"), 16);
  EXPECT_EQ(StrToInt("0x1F"), 31);
  for (const char* bad : {"", " 1", "1 ", "+", "1.5", "abc", "99999999999", "--1"}) {
    EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
  }
  try {
    StrToInt("x");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  }
  EXPECT_EQ(TerminatorName(TGPIBTerminator::ct1310), "CR+LF");
  EXPECT_EQ(TerminatorName(TGPIBTerminator::ct13), "CR");
  EXPECT_EQ(TerminatorName(TGPIBTerminator::ct10), "LF");
  EXPECT_EQ(TerminatorName(TGPIBTerminator::ctNo), "Nothing");
  EXPECT_EQ(TerminatorName(uint8_t{9}), "Unknown");
}

}  // namespace
