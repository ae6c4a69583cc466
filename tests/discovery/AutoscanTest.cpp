// The instrument search against the simulated bench (Prologix controller, Keithley 2401 at 1,
// Keithley 2000 at 2), against ports with nobody answering, and against the pymodbus slave
// (address 3) on a socat pseudo-terminal pair. The search's own pauses are real, so the tests
// keep the polled address ranges short.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "discovery/Autoscan.h"
#include "modbus/Modbus.h"
#include "sim/Keithley2000Sim.h"
#include "sim/Keithley2401Sim.h"
#include "sim/PrologixSim.h"
#include "tests/discovery/ScanFixture.h"
#include "tests/modbus/ModbusPeers.h"
#include "tests/support/ScopedLocale.h"
#include "tests/transport/LogCapture.h"
#include "tests/transport/PtyPeer.h"

using discoverytest::Ports;
using discoverytest::QuickBench;
using discoverytest::RecordingView;
using Lines = std::vector<std::string>;

namespace {

const std::string kVersion = std::string(sim::PrologixSim::kVersion) + "\r\n";
// The SourceMeter's identification is longer than the one 80-byte read of an exchange.
const std::string kSmuId =
    (sim::Keithley2401Sim::kIdentification + std::string("\n")).substr(0, 80);
const std::string kDmmId = sim::Keithley2000Sim::kIdentification;

// The identification exchanges for one device, as they go out on the wire, for the given
// terminators in turn.
std::string IdentificationTraffic(int address, std::initializer_list<int> terminators) {
  std::string s = "++eoi 1\r++eot_enable 0\r++auto 0\r++addr " + std::to_string(address) + "\r";
  for (int t : terminators)
    s += "*CLS\r++eos " + std::to_string(t) + "\r*IDN?\r++read eoi\r++spoll\r";
  return s;
}

class AutoscanTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ports_.Ok()); }

  void StartBench(const sim::BenchOptions& o) {
    bench_ = std::make_unique<sim::Bench>(o);
    std::string error;
    ASSERT_TRUE(bench_->Start(&error)) << error;
    ASSERT_GT(bench_->ComNumber(), 0) << "the bench is not in the port list";
    benchPort_ = "COM" + std::to_string(bench_->ComNumber());
  }
  void TearDown() override {
    if (bench_) bench_->Stop();
  }

  // A search whose view is recorded.
  std::unique_ptr<TAutoScan> NewScan() {
    auto view = std::make_unique<RecordingView>();
    view_ = view.get();
    return std::make_unique<TAutoScan>(std::move(view));
  }

  discoverytest::IsolatedPortList ports_;
  transporttest::LogCapture log_;
  std::unique_ptr<sim::Bench> bench_;
  std::string benchPort_;
  RecordingView* view_ = nullptr;
};

}  // namespace

TEST_F(AutoscanTest, StartUpSearchFindsBothInstrumentsWithTheirIdentification) {
  StartBench(QuickBench());
  auto scan = NewScan();
  scan->GPIBLowAddr = 0;
  scan->GPIBHighAddr = 4;
  scan->ShowForm();

  const std::string& p = benchPort_;
  const Lines expected = {
      "Please wait until the search finishes.",
      "",
      "Found following serial ports: " + p,
      "",
      "  Scanning serial port " + p + " for Prologix USB-GPIB converter",
      "    Found Prologix USB-GPIB converter on port: " + p,
      "      Version: " + kVersion,
      "    Using following serial ports for GPIB network: " + p,
      "",
      "Performing serial poll on possible GPIB addresses on serial port " + p,
      "  Serial poll 0 does not respond",
      "  Serial poll 1 responds: 0",
      "  Serial poll 2 responds: 0",
      "  Serial poll 4 does not respond",
      "",
      "GPIB devices found on port " + p + " at following addresses: 1, 2",
      "  Identifying GPIB devices",
      "",
      "  GPIB device 0 on port: " + p + " at address: 1",
      "    IDN?      : " + kSmuId,
      "    Terminator: CR+LF",
      "",
      "  GPIB device 1 on port: " + p + " at address: 2",
      "    IDN?      : " + kDmmId,
      "    Terminator: CR+LF",
      "",
      "Autosearch is complete.",
  };
  EXPECT_EQ(scan->memo.Lines(), expected);
  std::string joined;
  for (size_t i = 0; i < expected.size(); ++i) joined += (i ? "\n" : "") + expected[i];
  EXPECT_EQ(scan->Findings(), joined);

  // The silent run 3..4 is one line rewritten; answering addresses keep their own lines.
  const auto first =
      std::find(view_->Events.begin(), view_->Events.end(), "+  Serial poll 0 does not respond");
  ASSERT_NE(first, view_->Events.end());
  const Lines pollEvents(first, std::find(first, view_->Events.end(), "+"));
  EXPECT_EQ(pollEvents, (Lines{"+  Serial poll 0 does not respond", "+  Serial poll 1 responds: 0",
                               "+  Serial poll 2 responds: 0", "+  Serial poll 3 does not respond",
                               "=  Serial poll 4 does not respond"}));
  EXPECT_EQ(view_->Events.front(), "+Please wait until the search finishes.");
  EXPECT_EQ(view_->Events[2], "[started]");
  EXPECT_EQ(view_->Events.back(), "[finished]");
  EXPECT_GT(view_->ProcessEventsCalls, 20);

  ASSERT_EQ(scan->GPIBInfo.size(), 2u);
  EXPECT_EQ(scan->GPIBInfo[0].ComPort, p);
  EXPECT_EQ(scan->GPIBInfo[0].Address, 1);
  EXPECT_EQ(scan->GPIBInfo[0].IDN, kSmuId) << "the reply is kept as read";
  EXPECT_EQ(scan->GPIBInfo[0].Terminator, 0);
  EXPECT_EQ(scan->GPIBInfo[0].OPT, "");
  EXPECT_EQ(scan->GPIBInfo[1].Address, 2);
  EXPECT_EQ(scan->GPIBInfo[1].IDN, kDmmId + "\n");
  EXPECT_EQ(scan->PrologixComPorts, Ports({bench_->ComNumber()}));
  EXPECT_EQ(scan->FoundComPorts, Ports({bench_->ComNumber()}));
  EXPECT_TRUE(scan->FurnaceInfo.empty());

  std::string polls;
  for (int a = 0; a <= 4; ++a) polls += "++spoll " + std::to_string(a) + "\r";
  EXPECT_EQ(bench_->Received(),
            "++ver\r" + polls + IdentificationTraffic(1, {0}) + IdentificationTraffic(2, {0}));

  // Only the identification runs with the traffic log on.
  const Lines& log = log_.Lines();
  EXPECT_EQ(std::count(log.begin(), log.end(), "PortName                 : " + p), 2 * 9);
  EXPECT_EQ(std::count(log.begin(), log.end(), "As string                : ++spoll\r"), 2);
}

TEST_F(AutoscanTest, InstrumentNeedingAnotherTerminatorIsIdentifiedWithIt) {
  sim::BenchOptions o = QuickBench();
  o.SmuPresent = false;
  o.DmmRequiredEos = 2;
  StartBench(o);
  auto scan = NewScan();
  scan->GPIBLowAddr = 2;
  scan->GPIBHighAddr = 2;
  scan->ShowForm();

  ASSERT_EQ(scan->GPIBInfo.size(), 1u);
  EXPECT_EQ(scan->GPIBInfo[0].IDN, kDmmId + "\n");
  EXPECT_EQ(scan->GPIBInfo[0].Terminator, static_cast<uint8_t>(TGPIBTerminator::ct10));
  const Lines& lines = scan->memo.Lines();
  const Lines tail(lines.end() - 6, lines.end());
  EXPECT_EQ(tail, (Lines{"", "  GPIB device 0 on port: " + benchPort_ + " at address: 2",
                         "    IDN?      : " + kDmmId, "    Terminator: LF", "",
                         "Autosearch is complete."}));
  // CR+LF and CR were tried first and the search stopped at LF.
  EXPECT_EQ(bench_->Received(), "++ver\r++spoll 2\r" + IdentificationTraffic(2, {0, 1, 2}));
}

TEST_F(AutoscanTest, InstrumentWhosePollNeverReadsZeroStaysUnidentifiedButFound) {
  sim::BenchOptions o = QuickBench();
  o.DmmPresent = false;
  StartBench(o);
  bench_->SetFault(sim::Fault::NonNumericPoll, true);
  auto scan = NewScan();
  scan->GPIBLowAddr = 1;
  scan->GPIBHighAddr = 1;
  scan->ShowForm();

  ASSERT_EQ(scan->GPIBInfo.size(), 1u);
  EXPECT_EQ(scan->GPIBInfo[0].IDN, "");
  EXPECT_EQ(scan->GPIBInfo[0].Terminator, 0);
  const Lines& lines = scan->memo.Lines();
  const Lines tail(lines.end() - 10, lines.end());
  EXPECT_EQ(tail,
            (Lines{"  Serial poll 1 responds: ERR", "",
                   "GPIB devices found on port " + benchPort_ + " at following addresses: 1",
                   "  Identifying GPIB devices", "",
                   "  GPIB device 0 on port: " + benchPort_ + " at address: 1",
                   "    IDN?      : ", "    Terminator: CR+LF", "", "Autosearch is complete."}));
  EXPECT_EQ(bench_->Received(), "++ver\r++spoll 1\r" + IdentificationTraffic(1, {0, 1, 2, 3}));
}

TEST_F(AutoscanTest, PortsWithoutControllerAreReportedAndNotPolled) {
  // A bench whose controller never answers, and a pseudo-terminal with nobody at its far end.
  StartBench(QuickBench());
  bench_->SetFault(sim::Fault::ControllerSilent, true);
  transporttest::PtyPeer nobody;
  ASSERT_FALSE(nobody.Path().empty());
  const int nobodyNumber = TCommPortList::RegisterPort(nobody.Path());
  ASSERT_GT(nobodyNumber, bench_->ComNumber());
  const std::string q = "COM" + std::to_string(nobodyNumber);

  auto scan = NewScan();
  scan->GPIBLowAddr = 0;
  scan->GPIBHighAddr = 4;
  scan->ShowForm();
  TCommPortList::UnregisterPort(nobody.Path());

  const std::string& p = benchPort_;
  EXPECT_EQ(scan->memo.Lines(),
            (Lines{"Please wait until the search finishes.", "",
                   "Found following serial ports: " + p + ", " + q, "",
                   "  Scanning serial port " + p + " for Prologix USB-GPIB converter",
                   "    No Prologix on this port", "",
                   "  Scanning serial port " + q + " for Prologix USB-GPIB converter",
                   "    No Prologix on this port",
                   "    No serial port(s) found with Prologix USB-GPIB device(s), cannot search "
                   "for GPIB devices",
                   "", "Autosearch is complete."}));
  EXPECT_TRUE(scan->PrologixComPorts.none());
  EXPECT_TRUE(scan->GPIBInfo.empty());
  EXPECT_EQ(bench_->Received(), "++ver\r");
  EXPECT_EQ(nobody.Received(), "++ver\r");
}

TEST_F(AutoscanTest, WithoutAnySerialPortTheSearchEndsEarly) {
  auto scan = NewScan();
  scan->GPIBHighAddr = 4;
  scan->SetSearchForFurnaces(true);
  scan->ShowForm();
  EXPECT_EQ(scan->memo.Lines(),
            (Lines{"Please wait until the search finishes.", "",
                   "Can not find any serial ports on this system",
                   "No serial port was detected. Cannot look for instruments."}));
  EXPECT_TRUE(scan->FoundComPorts.none());
  EXPECT_EQ(view_->Events.back(), "[finished]") << "closing is offered at the early end too";
}

TEST_F(AutoscanTest, PresetPortsAreUsedUnchangedWithoutEnumeration) {
  StartBench(QuickBench());
  // Present but not preset: must not be touched.
  transporttest::PtyPeer other;
  other.ReplyAlways(kVersion);
  const int otherNumber = TCommPortList::RegisterPort(other.Path());
  ASSERT_GT(otherNumber, 0);

  auto scan = NewScan();
  scan->FoundComPorts = Ports({bench_->ComNumber()});
  scan->GPIBLowAddr = 5;  // high below low: nothing is polled
  scan->GPIBHighAddr = 4;
  scan->ShowForm();
  TCommPortList::UnregisterPort(other.Path());

  const std::string& p = benchPort_;
  EXPECT_EQ(
      scan->memo.Lines(),
      (Lines{"Please wait until the search finishes.", "",
             "Using following preset serial ports: " + p, "",
             "  Scanning serial port " + p + " for Prologix USB-GPIB converter",
             "    Found Prologix USB-GPIB converter on port: " + p, "      Version: " + kVersion,
             "    Using following serial ports for GPIB network: " + p, "",
             "Performing serial poll on possible GPIB addresses on serial port " + p, "",
             "No GPIB devices found on port : " + p, "", "Autosearch is complete."}));
  EXPECT_EQ(scan->FoundComPorts, Ports({bench_->ComNumber()}));
  EXPECT_EQ(bench_->Received(), "++ver\r");
  EXPECT_EQ(other.Received(), "");
}

class AutoscanCase : public AutoscanTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AutoscanCase, ControllerVersionIsRecognisedWithoutRegardToCase) {
  ScopedLocale locale(GetParam());
  ASSERT_TRUE(locale.Ok());
  transporttest::PtyPeer upper, lower, other;
  upper.ReplyAlways("PROLOGIX GPIB-USB CONTROLLER VERSION 6.107\r\n");
  lower.ReplyAlways("prologix gpib-usb controller version 6.107\r\n");
  other.ReplyAlways("PROLOGI-X\r\n");
  const int u = TCommPortList::RegisterPort(upper.Path());
  const int l = TCommPortList::RegisterPort(lower.Path());
  const int o = TCommPortList::RegisterPort(other.Path());
  ASSERT_GT(u, 0);
  ASSERT_GT(l, 0);
  ASSERT_GT(o, 0);
  auto scan = NewScan();
  scan->FoundComPorts = Ports({u, l, o});
  scan->SetSearchForGPIB(false);
  scan->ShowForm();
  for (const auto* peer : {&upper, &lower, &other}) TCommPortList::UnregisterPort(peer->Path());
  EXPECT_EQ(scan->PrologixComPorts, Ports({u, l}));
}

INSTANTIATE_TEST_SUITE_P(Locales, AutoscanCase, ::testing::ValuesIn(kCaseTestLocales),
                         LocaleParamName);

TEST_F(AutoscanTest, PortWithoutComNameIsProbedUnderTheEmptyName) {
  auto scan = NewScan();
  scan->FoundComPorts = Ports({static_cast<int>(TCommPort::spCustom)});
  scan->SetSearchForGPIB(false);
  scan->ShowForm();
  EXPECT_EQ(
      scan->memo.Lines(),
      (Lines{
          "Please wait until the search finishes.", "", "Using following preset serial ports: ", "",
          "  Scanning serial port  for Prologix USB-GPIB converter", "    No Prologix on this port",
          "Not searching for Prologix USB-GPIB devices", "", "Autosearch is complete."}));
}

TEST(AutoscanSettings, ModbusLimitAcceptsOnlyOneTo256AndPortNamesAreOrdered) {
  TAutoScan scan;
  EXPECT_EQ(scan.ModbusScanAddressLimit(), 255);
  for (int refused : {0, -1, 257, 300}) {
    scan.SetModbusScanAddressLimit(refused);
    EXPECT_EQ(scan.ModbusScanAddressLimit(), 255) << refused;
  }
  scan.SetModbusScanAddressLimit(1);
  EXPECT_EQ(scan.ModbusScanAddressLimit(), 1);
  scan.SetModbusScanAddressLimit(256);
  EXPECT_EQ(scan.ModbusScanAddressLimit(), 256);

  EXPECT_EQ(TAutoScan::PortsAsString(Ports({200, 3, 10, 254})), "COM3, COM10, COM200, COM254");
  EXPECT_EQ(TAutoScan::PortsAsString(TPortsList{}), "");
  EXPECT_EQ(TAutoScan::PortAsString(TCommPort::spNone), "");
  EXPECT_EQ(TAutoScan::TerminatorName(3), "Nothing");
  EXPECT_EQ(TAutoScan::TerminatorName(4), "Unknown");
}

TEST(AutoscanMemo, MarkerRuleReplacesOnlyALastLineEndingWithTheMarker) {
  TAutoScanMemo memo;
  memo.AddProgress("a fail", "fail");  // nothing to replace yet
  memo.AddProgress("b fail", "fail");
  memo.AddProgress("c succeed", "fail");
  memo.AddProgress("d fail", "fail");
  memo.AddProgress("e Fail", "fail");  // letter case counts
  memo.AddProgress("f failed", "fail");
  memo.AddProgress("g fail", "fail");
  EXPECT_EQ(memo.Lines(), (Lines{"c succeed", "e Fail", "f failed", "g fail"}));
  EXPECT_EQ(memo.Text(), "c succeed\ne Fail\nf failed\ng fail");
}

// --- Modbus ----------------------------------------------------------------------------------

namespace {

constexpr const char* kPython = "/usr/bin/python3";

class AutoscanModbus : public AutoscanTest {
 protected:
  void SetUp() override {
    AutoscanTest::SetUp();
    ASSERT_FALSE(dir_.Path().empty());
    ASSERT_EQ(access(kPython, X_OK), 0) << kPython << " is missing";
    const std::string error = pty_.Start(dir_.Path());
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_TRUE(
        server_.Start({kPython, ZK_PYMODBUS_SERVER, pty_.B()}, dir_.Path() + "/server.log"));
    // Ready when the slave echoes.
    TModbusPort probe;
    probe.SetPort(pty_.A());
    probe.SetWindowsReadLoopTimeoutMS(50);
    const bool ready =
        modbustest::WaitUntil([&] { return !server_.Running() || probe.Test(3); }, 30000, 0);
    ASSERT_TRUE(server_.Running()) << "the pymodbus slave ended; its output:\n" << server_.Log();
    ASSERT_TRUE(ready) << "the pymodbus slave did not answer; its output:\n" << server_.Log();
  }
  void TearDown() override {
    server_.Stop();
    pty_.Stop();
    AutoscanTest::TearDown();
  }

  modbustest::TempDir dir_;
  modbustest::PtyPair pty_;
  modbustest::ChildProcess server_;
};

}  // namespace

TEST_F(AutoscanModbus, DeviceAtAddress3AmongSilentAddressesIsFound) {
  // The bench's controller port is left out of the furnace search.
  StartBench(QuickBench());
  const int modbusNumber = TCommPortList::RegisterPort(pty_.A());
  ASSERT_GT(modbusNumber, bench_->ComNumber());
  const std::string m = "COM" + std::to_string(modbusNumber);

  auto scan = NewScan();
  scan->SetSearchForGPIB(false);
  scan->SetSearchForFurnaces(true);
  scan->SetModbusScanAddressLimit(4);
  scan->ShowForm();
  TCommPortList::UnregisterPort(pty_.A());

  const std::string& p = benchPort_;
  EXPECT_EQ(
      scan->memo.Lines(),
      (Lines{"Please wait until the search finishes.", "",
             "Found following serial ports: " + p + ", " + m, "",
             "  Scanning serial port " + p + " for Prologix USB-GPIB converter",
             "    Found Prologix USB-GPIB converter on port: " + p, "      Version: " + kVersion,
             "", "  Scanning serial port " + m + " for Prologix USB-GPIB converter",
             "    No Prologix on this port", "Not searching for Prologix USB-GPIB devices", "",
             "Looking for Furnaces on port " + m, "  Modbus diagnostic loop at 3 succeed",
             "  Modbus diagnostic loop at 4 fail", "", "Autosearch is complete."}));
  const Lines modbusEvents(
      std::find(view_->Events.begin(), view_->Events.end(), "+Looking for Furnaces on port " + m) +
          1,
      view_->Events.end() - 3);
  EXPECT_EQ(
      modbusEvents,
      (Lines{"+  Modbus diagnostic loop at 1 fail", "=  Modbus diagnostic loop at 2 fail",
             "=  Modbus diagnostic loop at 3 succeed", "+  Modbus diagnostic loop at 4 fail"}));
  ASSERT_EQ(scan->FurnaceInfo.size(), 1u);
  EXPECT_EQ(scan->FurnaceInfo[0].ComPort, CommPortFromNumber(modbusNumber));
  EXPECT_EQ(scan->FurnaceInfo[0].Address, 3);
  EXPECT_EQ(bench_->Received(), "++ver\r");
}
