// Every fault switch changes what a client sees, and switching it off undoes it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>

#include "sim/Keithley2401Sim.h"
#include "tests/sim/BenchFixture.h"

namespace {

using sim::Fault;
using simtest::BenchTest;
using simtest::FastOptions;

class Faults : public BenchTest {
 protected:
  void SetUp() override {
    StartBench();
    Client().Send("++read_tmo_ms 100");
  }
  std::string SmuReading() {
    Address(1);
    return Query(":READ?");
  }
  std::string DmmReading() {
    Address(2);
    return Query(":MEAS?");
  }
};

TEST_F(Faults, SilentInstrumentIsAbsentFromTheBus) {
  for (auto [fault, address] : {std::pair{Fault::SmuSilent, 1}, std::pair{Fault::DmmSilent, 2}}) {
    Bench().SetFault(fault, true);
    Client().Send("++spoll " + std::to_string(address));
    EXPECT_EQ(Client().ReadFor(400), "") << address;
    Address(address);
    Client().Send("*IDN?");
    Client().Send("++read eoi");
    EXPECT_EQ(Client().ReadFor(400), "") << address;
    // The other instrument still answers.
    EXPECT_EQ(Client().Controller("++spoll " + std::to_string(3 - address)), "0\r\n");
    Bench().SetFault(fault, false);
    EXPECT_EQ(Client().Controller("++spoll " + std::to_string(address)), "0\r\n");
  }
}

TEST_F(Faults, SilentControllerRepliesToNothing) {
  Bench().SetFault(Fault::ControllerSilent, true);
  Client().Send("++ver");
  Client().Send("++spoll 1");
  EXPECT_EQ(Client().ReadFor(400), "");
  EXPECT_NE(Bench().Received().find("++ver\r++spoll 1\r"), std::string::npos);
  Bench().SetFault(Fault::ControllerSilent, false);
  EXPECT_EQ(Client().Controller("++ver"), "Prologix GPIB-USB Controller version 6.107\r\n");
}

TEST_F(Faults, GarbageAndNonNumericReadings) {
  Address(1);
  Client().Send(":FORM:ELEM VOLT,CURR");
  Bench().SetFault(Fault::GarbageReply, true);
  EXPECT_EQ(SmuReading(), "#?!garbage\n");
  EXPECT_EQ(DmmReading(), "#?!garbage\n");
  Bench().SetFault(Fault::GarbageReply, false);
  Bench().SetFault(Fault::NonNumericReading, true);
  EXPECT_EQ(SmuReading(), "OVERFLOW,OVERFLOW\n");
  EXPECT_EQ(DmmReading(), "OVERFLOW\n");
  // Identification is not a reading.
  EXPECT_EQ(Query("*IDN?").rfind("KEITHLEY INSTRUMENTS INC.,MODEL 2000", 0), 0u);
  Bench().SetFault(Fault::NonNumericReading, false);
  EXPECT_EQ(SmuReading().size(), 28u);
  EXPECT_EQ(DmmReading().size(), 16u);
}

TEST_F(Faults, NonNumericPoll) {
  Bench().SetFault(Fault::NonNumericPoll, true);
  EXPECT_EQ(Client().Controller("++spoll 1"), "ERR\r\n");
  Bench().SetFault(Fault::NonNumericPoll, false);
  EXPECT_EQ(Client().Controller("++spoll 1"), "0\r\n");
}

TEST_F(Faults, NulBytesAndLongReplies) {
  Address(2);
  std::string plain = DmmReading();
  ASSERT_EQ(plain.size(), 16u);
  Bench().SetFault(Fault::NulBytesInReply, true);
  std::string withNul = DmmReading();
  EXPECT_EQ(withNul.size(), plain.size() + 2);
  EXPECT_EQ(withNul.substr(4, 2), std::string(2, '\0'));
  Bench().SetFault(Fault::NulBytesInReply, false);

  Bench().SetFault(Fault::LongReply, true);
  std::string id = Query("*IDN?");
  ASSERT_EQ(id.size(), 120u);
  EXPECT_EQ(id.rfind("KEITHLEY INSTRUMENTS INC.,MODEL 2000", 0), 0u);
  EXPECT_EQ(id.back(), '\n');
  Address(1);
  EXPECT_EQ(Query("*IDN?").size(), 120u);
  Bench().SetFault(Fault::LongReply, false);
  EXPECT_EQ(Query("*IDN?"), std::string(sim::Keithley2401Sim::kIdentification) + "\n");
}

TEST_F(Faults, SlowMeasurementHoldsTheReply) {
  Address(2);
  Client().Send(":MEAS?");
  Client().Send("++read eoi");
  EXPECT_EQ(Client().ReadUntil("\n", 2000).size(), 16u);  // ready within the read time-out

  Bench().SetFault(Fault::SlowMeasurement, true);  // 3 s more
  Client().Send(":MEAS?");
  Client().Send("++read eoi");
  EXPECT_EQ(Client().ReadFor(400), "");
  EXPECT_EQ(Poll(), "0\r\n");
  Client().Send("++clr");  // give up on it
  Bench().SetFault(Fault::SlowMeasurement, false);
  EXPECT_EQ(DmmReading().size(), 16u);
}

TEST_F(Faults, VanishingDeviceNode) {
  const std::string path = Bench().DevicePath();
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  Bench().SetFault(Fault::VanishDevice, true);
  EXPECT_NE(stat(path.c_str(), &st), 0);
  // The open client finds the line dead.
  Client().Send("++ver");
  EXPECT_EQ(Client().ReadFor(200), "");
  simtest::PtyClient again(path);
  EXPECT_FALSE(again.IsOpen());
  Bench().Stop();  // still stops cleanly
}

}  // namespace
