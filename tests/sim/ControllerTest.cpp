// The simulated Prologix controller as a plain serial client sees it.
#include <gtest/gtest.h>

#include "sim/Keithley2401Sim.h"
#include "tests/sim/BenchFixture.h"

namespace {

using simtest::BenchTest;
using simtest::FastOptions;

const std::string kSmuId = "KEITHLEY INSTRUMENTS INC.,MODEL 2401";
const std::string kDmmId = "KEITHLEY INSTRUMENTS INC.,MODEL 2000";

using Controller = BenchTest;

TEST_F(Controller, VersionAndCommandReplies) {
  StartBench();
  EXPECT_EQ(Client().Controller("++ver"), "Prologix GPIB-USB Controller version 6.107\r\n");
  EXPECT_EQ(Client().Controller("++nonsense 3"), "Unrecognized command\r\n");

  // Settings read back as set.
  Client().Send("++addr 7");
  Client().Send("++auto 1");
  Client().Send("++auto 0");
  Client().Send("++eoi 0");
  Client().Send("++eos 2");
  Client().Send("++eot_enable 1");
  Client().Send("++eot_char 42");
  Client().Send("++read_tmo_ms 250");
  EXPECT_EQ(Client().Controller("++addr"), "7\r\n");
  EXPECT_EQ(Client().Controller("++auto"), "0\r\n");
  EXPECT_EQ(Client().Controller("++eoi"), "0\r\n");
  EXPECT_EQ(Client().Controller("++eos"), "2\r\n");
  EXPECT_EQ(Client().Controller("++eot_enable"), "1\r\n");
  EXPECT_EQ(Client().Controller("++eot_char"), "42\r\n");
  EXPECT_EQ(Client().Controller("++read_tmo_ms"), "250\r\n");
  EXPECT_EQ(Client().Controller("++mode"), "1\r\n");
  EXPECT_EQ(Client().Controller("++savecfg"), "1\r\n");

  // Out-of-range values are ignored.
  Client().Send("++addr 31");
  Client().Send("++read_tmo_ms 5000");
  EXPECT_EQ(Client().Controller("++addr"), "7\r\n");
  EXPECT_EQ(Client().Controller("++read_tmo_ms"), "250\r\n");

  // Without saving, a reset goes back to the saved configuration.
  Client().Send("++savecfg 0");
  Client().Send("++addr 9");
  Client().Send("++rst");
  EXPECT_EQ(Client().Controller("++addr"), "7\r\n");

  std::string help = Client().Controller("++help");
  EXPECT_NE(help.find("++spoll"), std::string::npos);
}

TEST_F(Controller, LinesEndInCrOrLfAndEmptyLinesAreIgnored) {
  StartBench();
  Client().Write("++addr 2\n\r\n\r++addr\r\n");
  EXPECT_EQ(Client().ReadUntil("\r\n", 2000), "2\r\n");
  EXPECT_EQ(Client().ReadFor(200), "");  // one reply only: the empty lines did nothing
  Client().Write("++addr 1\r++ver\n");
  EXPECT_EQ(Client().ReadUntil("\r\n", 2000), "Prologix GPIB-USB Controller version 6.107\r\n");
}

TEST_F(Controller, SerialPollOfPresentAndAbsentAddresses) {
  StartBench();
  Client().Send("++read_tmo_ms 150");
  EXPECT_EQ(Client().Controller("++spoll 1"), "0\r\n");
  EXPECT_EQ(Client().Controller("++spoll 2"), "0\r\n");
  Client().Send("++spoll 5");
  EXPECT_EQ(Client().ReadFor(500), "");
  // The controller is free again after the poll's time-out.
  EXPECT_EQ(Client().Controller("++ver"), "Prologix GPIB-USB Controller version 6.107\r\n");
  // Polling the addressed instrument, and an address with nobody behind it.
  Client().Send("++addr 2");
  EXPECT_EQ(Client().Controller("++spoll"), "0\r\n");
  Client().Send("++addr 0");
  Client().Send("++spoll");
  EXPECT_EQ(Client().ReadFor(500), "");
}

TEST_F(Controller, BothInstrumentsIdentifyThemselves) {
  StartBench();
  Address(1);
  std::string smu = Query("*IDN?");
  EXPECT_EQ(smu.rfind(kSmuId, 0), 0u) << smu;
  EXPECT_EQ(smu.back(), '\n');
  Address(2);
  std::string dmm = Query("*idn?");
  EXPECT_EQ(dmm.rfind(kDmmId, 0), 0u) << dmm;
  EXPECT_EQ(Query("*OPT?"), "200X-SCAN,0\n");
}

TEST_F(Controller, ReadFromAbsentOrSilentInstrumentGivesNothing) {
  StartBench();
  Client().Send("++read_tmo_ms 100");
  Client().Send("++addr 9");
  Client().Send("*IDN?");
  Client().Send("++read eoi");
  EXPECT_EQ(Client().ReadFor(400), "");
  // An instrument with nothing to say: no bytes, and it notes the unterminated query.
  Address(1);
  Client().Send("++read eoi");
  EXPECT_EQ(Client().ReadFor(400), "");
  EXPECT_EQ(NextError(), "-420,\"Query UNTERMINATED\"\n");
}

TEST_F(Controller, TerminatorSettingDecidesWhetherTheInstrumentSeesAMessage) {
  sim::BenchOptions o = FastOptions();
  o.DmmRequiredEos = 2;  // the multimeter only understands LF
  StartBench(o);
  Client().Send("++read_tmo_ms 100");
  Address(2);
  for (int eos : {0, 1, 3}) {
    Client().Send("++eos " + std::to_string(eos));
    Client().Send("*IDN?");
    Client().Send("++read eoi");
    EXPECT_EQ(Client().ReadFor(300), "") << "eos " << eos;
  }
  Client().Send("++eos 2");
  EXPECT_EQ(Query("*IDN?").rfind(kDmmId, 0), 0u);
  // The SourceMeter takes any terminator.
  Address(1);
  Client().Send("++eos 1");
  EXPECT_EQ(Query("*IDN?").rfind(kSmuId, 0), 0u);
}

// The search for instruments tries the terminators in turn and takes the first one after
// which the identification came and the status byte is 0.
TEST_F(Controller, IdentificationSearchFindsTheTerminatorAnInstrumentNeeds) {
  sim::BenchOptions o = FastOptions();
  o.DmmRequiredEos = 2;
  o.SmuRequiredEos = 1;
  StartBench(o);
  for (int address : {1, 2}) {
    for (const char* c : {"++eoi 1", "++eot_enable 0", "++auto 0"}) Client().Send(c);
    Client().Send("++addr " + std::to_string(address));
    int found = -1;
    for (int t = 0; t <= 3 && found < 0; ++t) {
      Client().Send("*CLS");
      Client().Send("++eos " + std::to_string(t));
      Client().Send("*IDN?");
      Client().Send("++read eoi");
      std::string id = Client().ReadUntil("\n", 700);
      std::string status = Client().Controller("++spoll");
      if (!id.empty() && status == "0\r\n") found = t;
    }
    EXPECT_EQ(found, address == 1 ? 1 : 2) << "address " << address;
  }
}

TEST_F(Controller, WithoutTerminatorOrEoiTheMessageGoesOn) {
  StartBench();
  Client().Send("++read_tmo_ms 100");
  Address(1);
  Client().Send("++eos 3");
  Client().Send("++eoi 0");
  Client().Send("*ID");  // neither terminator nor EOI: the instrument waits for more
  Client().Send("++read eoi");
  EXPECT_EQ(Client().ReadFor(300), "");
  Client().Send("++eoi 1");
  Client().Send("N?");  // EOI with the last byte ends "*IDN?"
  Client().Send("++read eoi");
  EXPECT_EQ(Client().ReadUntil("\n", 2000).rfind(kSmuId, 0), 0u);
}

TEST_F(Controller, EscapeMakesTheNextByteData) {
  StartBench();
  Client().Send("++read_tmo_ms 100");
  Address(1);
  // An escaped "+" is data: the line goes to the instrument, not to the controller.
  Client().Write("\x1b++ver\r");
  EXPECT_EQ(Client().ReadFor(300), "");
  EXPECT_EQ(NextError(), "-102,\"Syntax error\"\n");
  // An escaped LF does not end the line: "++ver" after it is data too, and reaches the
  // instrument as a second message that interrupts the first one's reply.
  Client().Write("*IDN?\x1b\n++ver\r");
  EXPECT_EQ(Client().ReadFor(300), "");
  EXPECT_EQ(NextError(), "-410,\"Query INTERRUPTED\"\n");
  EXPECT_EQ(NextError(), "-102,\"Syntax error\"\n");
  // An escaped CR inside a controller command is part of it.
  Client().Write("++addr\x1b\r 2\r");
  EXPECT_EQ(Client().Controller("++addr"), "2\r\n");
}

TEST_F(Controller, ReadModesAndEndCharacter) {
  StartBench();
  Client().Send("++read_tmo_ms 100");
  Address(2);
  // Up to a given character.
  Client().Send("*OPT?");
  Client().Send("++read 44");  // ','
  EXPECT_EQ(Client().ReadUntil(",", 2000), "200X-SCAN,");
  Client().Send("++read eoi");
  EXPECT_EQ(Client().ReadUntil("\n", 2000), "0\n");
  // Until the time-out.
  Client().Send("*OPT?");
  Client().Send("++read");
  EXPECT_EQ(Client().ReadFor(500), "200X-SCAN,0\n");
  // The EOT character after EOI.
  Client().Send("++eot_enable 1");
  Client().Send("++eot_char 42");
  Client().Send("*OPT?");
  Client().Send("++read eoi");
  EXPECT_EQ(Client().ReadUntil("*", 2000), "200X-SCAN,0\n*");
}

TEST_F(Controller, AutoReadAfterEachMessage) {
  StartBench();
  Address(2);
  Client().Send("++auto 1");
  Client().Send("*OPT?");
  EXPECT_EQ(Client().ReadUntil("\n", 2000), "200X-SCAN,0\n");
}

TEST_F(Controller, DeviceClearDropsThePendingReply) {
  StartBench();
  Address(1);
  Client().Send("*IDN?");
  EXPECT_EQ(Poll(), "16\r\n");
  Client().Send("++clr");
  EXPECT_EQ(Poll(), "0\r\n");
}

TEST_F(Controller, ServiceRequestOnMessageAvailable) {
  StartBench();
  Address(2);
  Client().Send("*SRE 16");
  EXPECT_EQ(Client().Controller("++srq"), "0\r\n");
  Client().Send("*IDN?");
  EXPECT_EQ(Client().Controller("++srq"), "1\r\n");
  EXPECT_EQ(Poll(), "80\r\n");  // MAV and RQS
  EXPECT_EQ(Poll(), "16\r\n");  // the poll cleared RQS
  EXPECT_EQ(Client().Controller("++srq"), "0\r\n");
}

TEST_F(Controller, MessageAvailableBitFollowsTheMeasurement) {
  sim::BenchOptions o = FastOptions();
  o.SpeedFactor = 1;
  o.SlowMeasurementMs = 600000;  // far longer than the test: the poll is sure to come first
  StartBench(o);
  Bench().SetFault(sim::Fault::SlowMeasurement, true);
  Address(2);
  Client().Send(":ROUT:CLOSE (@2)");
  Client().Send(":MEAS?");
  EXPECT_EQ(Poll(), "0\r\n");  // measuring
  Client().Send("++clr");      // give up on it
  Bench().SetFault(sim::Fault::SlowMeasurement, false);

  // A measurement of ordinary length: the bit comes when it is done, whenever that is.
  Client().Send(":MEAS?");
  std::string status;
  for (int i = 0; i < 600 && status != "16\r\n"; ++i) {
    Client().ReadFor(50);  // pause between polls
    status = Poll();
    ASSERT_TRUE(status == "0\r\n" || status == "16\r\n") << status;
  }
  EXPECT_EQ(status, "16\r\n");
  Client().Send("++read eoi");
  std::string reading = Client().ReadUntil("\n", 2000);
  EXPECT_EQ(reading.size(), 16u) << reading;  // "+1.23456789E-03" and LF
  EXPECT_EQ(Poll(), "0\r\n");
}

TEST_F(Controller, PacedOutputArrivesWhole) {
  sim::BenchOptions o = FastOptions();
  o.PaceOutput = true;
  StartBench(o);
  Address(1);
  EXPECT_EQ(Query("*IDN?"), std::string(sim::Keithley2401Sim::kIdentification) + "\n");
}

}  // namespace
