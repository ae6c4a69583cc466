// The drivers against the simulated bench: bytes on the wire, caching, readings and faults.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <mutex>

#include "instruments/Keithley2000_Scan_Zenkar.h"
#include "instruments/Keithley2401_Zenkar.h"
#include "platform/FormatSettings.h"
#include "sim/SimBench.h"
#include "tests/support/ScopedFormatSettings.h"
#include "tests/support/ScopedLocale.h"
#include "tests/transport/LogCapture.h"
#include "tests/transport/PtyPeer.h"

using transporttest::LogCapture;

namespace {

class DriversTest : public ::testing::Test {
 protected:
  void Start(sim::BenchOptions o = Fast()) {
    bench = std::make_unique<sim::Bench>(o);
    std::string error;
    ASSERT_TRUE(bench->Start(&error)) << error;
    ctl.SetPort(bench->DevicePath());
    ctl.SetWindowsReadLoopTimeoutMS(20);
    for (TGPIBDevice* d : {static_cast<TGPIBDevice*>(&smu), static_cast<TGPIBDevice*>(&dmm)}) {
      d->SetPort(bench->DevicePath());
      d->SetCommunicator(&ctl);
      d->SetReadTimeout(3000);
    }
    smu.SetAddr(1);
    dmm.SetAddr(2);
  }
  static sim::BenchOptions Fast() {
    sim::BenchOptions o;
    o.SpeedFactor = 50;
    o.PaceOutput = false;
    o.Cell.NoiseMicroVolt = 0;
    return o;
  }
  // What the drivers wrote since the last call; waits for the expected tail to arrive.
  std::string Wire(const std::string& expectedTail = {}) {
    if (!expectedTail.empty()) bench->WaitReceived(expectedTail, 2000);
    std::string s = bench->Received();
    bench->ClearReceived();
    return s;
  }
  void TearDown() override {
    if (bench) bench->Stop();
  }

  std::unique_ptr<sim::Bench> bench;
  TPrologix ctl;
  TKeithley2401_Zenkar smu;
  TKeithley2000_Scan_Zenkar dmm;
};

TEST_F(DriversTest, SourceMeterSetupListGoesOutInOrder) {
  Start();
  smu.Initialize_For_Zenkar();
  const std::string expected =
      "++addr 1\r*RST\r:ROUT:TERM REAR\r:SOUR:FUNC CURR\r:SOUR:CURR:MODE FIXED\r"
      ":SOUR:CURR:RANGE:AUTO 1\r:SOUR:CURR:LEVEL 0\r:SENS:CURR:PROT 0.008\r:SENS:VOLT:PROT 1\r"
      ":OUTPUT:STATE 1\r:SENS:FUNC:CONC ON\r:SENS:CURR:DC:RANGE:AUTO 1\r"
      ":SENS:VOLT:DC:RANGE:AUTO 1\r:SENS:FUNC:ON \"VOLT:DC\", \"CURR:DC\" \r"
      ":FORM:ELEM VOLT,CURR \r";
  EXPECT_EQ(Wire(":FORM:ELEM VOLT,CURR \r"), expected);
  // The cache is not touched by the set-up: still 0.
  EXPECT_EQ(smu.CurrentCompliance(), 0);
}

TEST_F(DriversTest, MultimeterSetupListGoesOutInOrder) {
  Start();
  dmm.Initialize_For_Zenkar();
  const std::string expected =
      "++addr 2\r*RST\r:SYST:BEEP:STAT 1\r:INIT:CONT OFF\r:SENS:FUNC 'RES'\r"
      ":SENS:RES:NPLC 10\r:SENS:RES:AVER:STAT 1\r:SENS:RES:AVER:TCON REP\r"
      ":SENS:RES:AVER:COUN 3\r:SENS:RES:RANGE 2300\r:SENS:FUNC 'VOLT:DC'\r"
      ":SENS:VOLT:DC:NPLC 10\r:SENS:VOLT:DC:AVER:STAT 1\r:SENS:VOLT:DC:AVER:TCON REP\r"
      ":SENS:VOLT:DC:AVER:COUN 3\r:SENS:VOLT:DC:RANGE:AUTO 1\r:SENS:VOLT:DC:RANGE 1\r";
  EXPECT_EQ(Wire(":SENS:VOLT:DC:RANGE 1\r"), expected);
}

TEST_F(DriversTest, SourceMeterSettersSendOnlyChangedValues) {
  Start();
  smu.SetCurrentLevel(0);  // equal to the fresh cache
  smu.SetCurrentLevel(0.0015);
  smu.SetCurrentLevel(0.0015);
  smu.SetCurrentLevel(NAN);
  smu.SetCurrentLevel(2.5e-6);
  smu.SetCurrentCompliance(0.008);
  smu.SetCurrentCompliance(0.008);
  smu.SetVoltageCompliance(1);
  smu.SetVoltageCompliance(1);
  const std::string expected =
      "++addr 1\r:SOUR:CURR:LEVEL 0.0015\r:SOUR:CURR:LEVEL 2.5E-6\r:SENS:CURR:PROT 0.008\r"
      ":SENS:VOLT:PROT 1\r";
  EXPECT_EQ(Wire(":SENS:VOLT:PROT 1\r"), expected);
  EXPECT_EQ(smu.CurrentLevel(), 2.5e-6);
}

TEST_F(DriversTest, VoltageLevelIsLimitedToComplianceAndNeverNegative) {
  Start();
  smu.SetVoltageCompliance(1);
  smu.SetVoltageLevel(5);
  EXPECT_EQ(smu.VoltageLevel(), 1);
  smu.SetVoltageLevel(5);  // the cache holds the limited value: sends again
  smu.SetVoltageLevel(-2);
  EXPECT_EQ(smu.VoltageLevel(), 0);
  const std::string expected =
      "++addr 1\r:SENS:VOLT:PROT 1\r:SOUR:VOLT:LEVEL 1\r:SOUR:VOLT:LEVEL 1\r:SOUR:VOLT:LEVEL 0\r";
  EXPECT_EQ(Wire(":SOUR:VOLT:LEVEL 0\r"), expected);
}

TEST_F(DriversTest, NumbersGoOutWithAPointUnderADecimalCommaLocale) {
  Start();
  {
    ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
    smu.SetCurrentLevel(0.0015);
    smu.SetCurrentCompliance(1234.5);
  }
  EXPECT_EQ(Wire(":SENS:CURR:PROT 1234.5\r"),
            "++addr 1\r:SOUR:CURR:LEVEL 0.0015\r:SENS:CURR:PROT 1234.5\r");
}

TEST_F(DriversTest, SwitchingInstrumentsCostsOneAddressLine) {
  Start();
  smu.SetCurrentLevel(0.001);
  dmm.UseSingleChanel(2);
  dmm.UseSingleChanel(2);
  smu.SetCurrentLevel(0.002);
  EXPECT_EQ(Wire(":SOUR:CURR:LEVEL 0.002\r"),
            "++addr 1\r:SOUR:CURR:LEVEL 0.001\r++addr 2\r:ROUT:OPEN:ALL\r:ROUT:CLOSE (@2)\r"
            "++addr 1\r:SOUR:CURR:LEVEL 0.002\r");
}

TEST_F(DriversTest, ScannerChannelIsSwitchedOnlyWhenItChanges) {
  Start();
  dmm.UseSingleChanel(2);
  dmm.UseSingleChanel(2);
  dmm.UseSingleChanel(5);
  dmm.Initialize_For_Zenkar();
  Wire(":SENS:VOLT:DC:RANGE 1\r");
  dmm.UseSingleChanel(5);  // the reset does not clear the cache
  EXPECT_EQ(dmm.ChannelInUse(), 5);
  dmm.UseSingleChanel(4);
  EXPECT_EQ(Wire(":ROUT:CLOSE (@4)\r"), ":ROUT:OPEN:ALL\r:ROUT:CLOSE (@4)\r");
}

TEST_F(DriversTest, VoltageAndCurrentReadingOfTheSourceMeter) {
  Start();
  smu.Initialize_For_Zenkar();
  smu.SetCurrentLevel(0.001);
  Wire(":SOUR:CURR:LEVEL 0.001\r");
  double v = -1, i = -1;
  ASSERT_TRUE(smu.ReadVoltageCurrent(v, i));
  EXPECT_NEAR(i, 0.001, 1e-9);
  // Pump voltage: the ohmic drop plus the pump's own Nernst voltage.
  EXPECT_NEAR(v, bench->PumpVoltageV(), 2e-3);
  const std::string wire = Wire();
  EXPECT_EQ(wire.rfind(":READ?\r++spoll\r", 0), 0u) << wire;
  EXPECT_NE(wire.find("++spoll\r++read eoi\r"), std::string::npos) << wire;
  EXPECT_TRUE(smu.OutputStatus());
}

TEST_F(DriversTest, MultimeterReadingsOnScannerChannels) {
  Start();
  dmm.Initialize_For_Zenkar();
  dmm.UseSingleChanel(2);
  Wire(":ROUT:CLOSE (@2)\r");
  double e = 99;
  ASSERT_TRUE(dmm.ReadDCVoltage(e));
  EXPECT_NEAR(e, bench->SensorVoltageV(), 1e-5);
  const std::string wire = Wire();
  EXPECT_EQ(wire.rfind("func 'Volt:DC'\r:MEAS?\r++spoll\r", 0), 0u) << wire;
  EXPECT_EQ(wire.substr(wire.size() - 11), "++read eoi\r");

  dmm.UseSingleChanel(1);
  double r = 0;
  ASSERT_TRUE(dmm.Read2WireResistance(r));
  EXPECT_NEAR(r, 2.0, 0.05);
  dmm.UseSingleChanel(5);
  ASSERT_TRUE(dmm.Read2WireResistance(r));
  EXPECT_GT(r, 1500);
  EXPECT_LT(r, 2500);

  bool front = true;
  LogCapture log;
  ASSERT_TRUE(dmm.GetInputSwitchFront(front));
  EXPECT_FALSE(front);
  ASSERT_FALSE(log.Lines().empty());
  EXPECT_EQ(log.Lines().back().rfind("Spoll response: ", 0), 0u);
  EXPECT_TRUE(dmm.Scan2000CardPresent());
}

TEST_F(DriversTest, MissingScannerCardIsReported) {
  sim::BenchOptions o = Fast();
  o.ScannerCardFitted = false;
  Start(o);
  EXPECT_FALSE(dmm.Scan2000CardPresent());
}

TEST_F(DriversTest, SilentInstrumentEndsTheReadWithTheConversionError) {
  Start();
  bench->SetFault(sim::Fault::SmuSilent, true);
  smu.SetReadTimeout(600);
  ctl.SetReadoutTimeoutMS(600);
  double v = 5, i = 5;
  // A silent instrument leaves the poll without a reply: the conversion error ends the read.
  EXPECT_THROW(smu.ReadVoltageCurrent(v, i), EConvertError);
}

TEST_F(DriversTest, GarbledRepliesFailWithoutTouchingTheValue) {
  Start();
  dmm.UseSingleChanel(2);
  for (sim::Fault f : {sim::Fault::GarbageReply, sim::Fault::NonNumericReading}) {
    bench->SetFault(f, true);
    double e = 42;
    EXPECT_FALSE(dmm.ReadDCVoltage(e));
    EXPECT_EQ(e, 42);
    double v = 7, i = 8;
    EXPECT_FALSE(smu.ReadVoltageCurrent(v, i));
    EXPECT_EQ(i, 8);
    bench->SetFault(f, false);
  }
}

TEST_F(DriversTest, NonNumericPollRaisesTheConversionError) {
  Start();
  bench->SetFault(sim::Fault::NonNumericPoll, true);
  double e = 0;
  EXPECT_THROW(dmm.ReadDCVoltage(e), EConvertError);
  TSerialResponse r;
  EXPECT_THROW(dmm.GetResponse(r), EConvertError);
}

TEST_F(DriversTest, NulBytesAndOverlongRepliesReachTheParser) {
  Start();
  dmm.UseSingleChanel(2);
  bench->SetFault(sim::Fault::NulBytesInReply, true);
  double e = 3;
  EXPECT_FALSE(dmm.ReadDCVoltage(e));  // a reading with NULs inside is not a number
  EXPECT_EQ(e, 3);
  bench->SetFault(sim::Fault::NulBytesInReply, false);
  bench->SetFault(sim::Fault::LongReply, true);
  TSerialResponse r;
  ctl.SetAddress(2);
  ctl.GPIBSend2("*IDN?", false, 0);
  ASSERT_TRUE(dmm.GetResponse(r));
  EXPECT_EQ(r.Response.size(), 80u);
}

TEST_F(DriversTest, MissingControllerFailsEveryReadingCleanly) {
  Start();
  bench->SetFault(sim::Fault::ControllerSilent, true);
  ctl.SetReadoutTimeoutMS(100);
  smu.SetReadTimeout(300);
  dmm.SetReadTimeout(300);
  double v = 0, i = 0;
  // The empty reply of the poll raises; nothing hangs.
  EXPECT_THROW(smu.ReadVoltageCurrent(v, i), EConvertError);
  EXPECT_FALSE(dmm.Scan2000CardPresent());
}

TEST_F(DriversTest, VanishedDeviceGivesPortFailures) {
  Start();
  bench->SetFault(sim::Fault::VanishDevice, true);
  TSerialResponse r = ctl.Send2("++ver\r", true);
  EXPECT_EQ(r.Status, SerialStatus::PortInUse);
  EXPECT_FALSE(dmm.Scan2000CardPresent());
}

TEST_F(DriversTest, QueriesAndSwitchesOnTheWire) {
  Start();
  smu.SetOutputStatus(false);  // no addressing first: goes to whatever is addressed
  EXPECT_EQ(Wire(":OUTP OFF\r"), ":OUTP OFF\r");
  EXPECT_FALSE(smu.OutputStatus());  // that went to address 0
  Wire();
  smu.SetOutputStatus(true);
  EXPECT_EQ(Wire(":OUTP ON\r"), ":OUTP ON\r");
  EXPECT_TRUE(smu.OutputStatus());
  std::string wire = Wire();
  EXPECT_EQ(wire.rfind(":OUTP?\r++spoll\r", 0), 0u) << wire;
  EXPECT_EQ(wire.substr(wire.size() - 11), "++read eoi\r");

  EXPECT_TRUE(dmm.Scan2000CardPresent());
  EXPECT_EQ(Wire(), "++addr 2\r*OPT?\r++read eoi\r");
  bool front = true;
  EXPECT_TRUE(dmm.GetInputSwitchFront(front));
  wire = Wire();
  EXPECT_EQ(wire.rfind(":SYSTem:FRSWitch?\r++spoll\r", 0), 0u) << wire;
}

TEST_F(DriversTest, TerminatorChangeGoesOutBeforeTheMessage) {
  Start();
  dmm.SetTerminator(TGPIBTerminator::ct10);
  dmm.UseSingleChanel(3);
  EXPECT_EQ(Wire(":ROUT:CLOSE (@3)\r"), "++addr 2\r++eos 2\r:ROUT:OPEN:ALL\r:ROUT:CLOSE (@3)\r");
  smu.SetCurrentLevel(0.004);
  EXPECT_EQ(Wire(":SOUR:CURR:LEVEL 0.004\r"), "++addr 1\r++eos 0\r:SOUR:CURR:LEVEL 0.004\r");
}

TEST_F(DriversTest, ReadingSlowerThanTheTimeoutGivesZero) {
  sim::BenchOptions o = Fast();
  o.SlowMeasurementMs = 5000;
  Start(o);
  bench->SetFault(sim::Fault::SlowMeasurement, true);
  dmm.SetReadTimeout(700);
  dmm.UseSingleChanel(2);
  double e = 5;
  EXPECT_FALSE(dmm.ReadDCVoltage(e));
  EXPECT_EQ(e, 0);
  double v = 5, i = 5;
  smu.SetReadTimeout(700);
  EXPECT_FALSE(smu.ReadVoltageCurrent(v, i));
  EXPECT_EQ(v, 0);
  EXPECT_EQ(i, 0);
}

// A multimeter whose replies the test writes: every poll has the message-available bit, every
// "++read eoi" gets the reply set last, or nothing when it is empty.
class ScriptedMultimeter : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(peer.Path().empty());
    peer.SetHandler([this](const std::string& request) -> std::string {
      const auto endsWith = [&](const std::string& tail) {
        return request.size() >= tail.size() &&
               request.compare(request.size() - tail.size(), tail.size(), tail) == 0;
      };
      if (endsWith("++spoll\r")) return "16\r\n";
      std::lock_guard lock(mutex);
      if (endsWith("++read eoi\r")) return reply;
      return {};
    });
    ctl.SetPort(peer.Path());
    ctl.SetWindowsReadLoopTimeoutMS(10);
    dmm.SetPort(peer.Path());
    dmm.SetAddr(2);
    dmm.SetCommunicator(&ctl);
    dmm.SetReadTimeout(400);
  }
  void Reply(const std::string& r) {
    std::lock_guard lock(mutex);
    reply = r;
  }
  transporttest::PtyPeer peer;
  TPrologix ctl;
  TKeithley2000_Scan_Zenkar dmm;
  std::mutex mutex;
  std::string reply;
};

TEST_F(ScriptedMultimeter, FrontSwitchOneZeroAndNothing) {
  bool front = false;
  Reply("1\n");
  EXPECT_TRUE(dmm.GetInputSwitchFront(front));
  EXPECT_TRUE(front);
  Reply("0\r\n");
  EXPECT_TRUE(dmm.GetInputSwitchFront(front));
  EXPECT_FALSE(front);
  // An empty reply fails and leaves the state alone, whichever it was.
  for (bool before : {true, false}) {
    front = before;
    Reply("\n");
    EXPECT_FALSE(dmm.GetInputSwitchFront(front));
    EXPECT_EQ(front, before);
    Reply("");  // the read times out
    EXPECT_FALSE(dmm.GetInputSwitchFront(front));
    EXPECT_EQ(front, before);
  }
  Reply("10\n");
  EXPECT_FALSE(dmm.GetInputSwitchFront(front));
  EXPECT_NE(peer.Received().find("++addr 2\r:SYSTem:FRSWitch?\r"), std::string::npos);
}

class ScannerCardCase : public ScriptedMultimeter,
                        public ::testing::WithParamInterface<const char*> {};

TEST_P(ScannerCardCase, OptionListIsReadWithoutRegardToCase) {
  ScopedLocale locale(GetParam());
  ASSERT_TRUE(locale.Ok());
  for (const char* options : {"200X-SCAN,0\n", "200x-scan,0\n", "0,200X-Scan\n"}) {
    Reply(options);
    EXPECT_TRUE(dmm.Scan2000CardPresent()) << options;
  }
  for (const char* options : {"0,0\n", "200X-SCA\n", "2000-SCAN\n", ""}) {
    Reply(options);
    EXPECT_FALSE(dmm.Scan2000CardPresent()) << options;
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, ScannerCardCase, ::testing::ValuesIn(kCaseTestLocales),
                         LocaleParamName);

TEST(ReadingSplit, ItemsAtCommasBlanksAndLineEnds) {
  EXPECT_EQ(SplitReading("+1.234560E-01,+2.000000E-03\r\n"),
            (std::vector<std::string>{"+1.234560E-01", "+2.000000E-03"}));
  EXPECT_EQ(SplitReading(" 1 ,, 2\n3"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_TRUE(SplitReading("\r\n").empty());
}

}  // namespace
