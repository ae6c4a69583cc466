// One control cycle on its worker thread against the simulated bench: the SourceMeter's reply
// split into pump voltage and current, the law's current reaching the SourceMeter, and the
// hand-back into ThreadData. The cell stays at the reference pressure with no noise, so the
// sensor reads almost exactly 0 V.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>

#include "app/ThreadCom.h"
#include "instruments/Keithley2000_Scan_Zenkar.h"
#include "instruments/Keithley2401_Zenkar.h"
#include "platform/TermiosPort.h"
#include "sim/SimBench.h"
#include "tests/support/WaitUntil.h"
#include "transport/Prologix.h"

namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "test_cycle";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  return *app;
}

using testsupport::WaitUntil;

class ControlCycle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    App();
    sim::BenchOptions o;
    o.SpeedFactor = 4;
    o.Cell.NoiseMicroVolt = 0;
    o.Cell.LeakMolPerSecBar = 1;  // the cell stays at the reference pressure
    o.RegisterInPortList = true;
    bench_ = new sim::Bench(o);
    ASSERT_TRUE(bench_->Start());
    const std::string port = "COM" + std::to_string(bench_->ComNumber());
    PrologixController = new TPrologix;
    PrologixController->SetPort(port);
    PrologixController->SetEOIonSend(true);
    PrologixController->SetWindowsReadLoopTimeoutMS(123);
    K2000 = new TKeithley2000_Scan_Zenkar;
    K2401 = new TKeithley2401_Zenkar;
    uint8_t addr = 2;
    for (TGPIBDevice* d : {static_cast<TGPIBDevice*>(K2000), static_cast<TGPIBDevice*>(K2401)}) {
      d->SetPort(port);
      d->SetAddr(addr--);
      d->SetReadTimeout(5000);
      d->SetCommunicator(PrologixController);
    }
    K2000->Initialize_For_Zenkar();
    K2401->Initialize_For_Zenkar();
  }
  static void TearDownTestSuite() {
    delete K2000;
    delete K2401;
    delete PrologixController;
    K2000 = nullptr;
    K2401 = nullptr;
    PrologixController = nullptr;
    delete bench_;
  }
  void TearDown() override { bench_->SetSmuReading(""); }

  // Runs one cycle to its hand-back.
  void Cycle(double setpoint, bool pumpOn = true) {
    ThreadData.ThreadRunning = true;
    ThreadData.DataTreated = false;
    ThreadData.Messages.clear();
    auto w = std::make_unique<TThreadCom>(true);
    w->TargetSetpoint = w->ActiveSetpoint = setpoint;
    w->ProportionalBand = 0.0005;
    w->IntegralStrength = 20;
    w->OldIntegral = 0.001;
    w->LastExecutionTime = Now();
    w->SMUCurrentCompliance = 0.008;
    w->SMUVoltageCompliance = 1;
    w->PumpIsOn = pumpOn;
    before_ = Now();
    w->Resume();
    ASSERT_TRUE(WaitUntil([] { return !ThreadData.ThreadRunning; }, 30000));
    ASSERT_TRUE(WaitUntil([&] { return w->Finished(); }, 10000));
    after_ = Now();
  }

  // The last command of a cycle may still be on its way through the bench when the worker
  // ends: wait (bounded) for the pump to show the expected current, then give what it shows.
  static double PumpSettledAt(double expected) {
    WaitUntil([&] { return std::fabs(bench_->PumpCurrentA() - expected) < 1e-9; }, 5000);
    return bench_->PumpCurrentA();
  }

  static sim::Bench* bench_;
  TDateTime before_ = 0, after_ = 0;
};
sim::Bench* ControlCycle::bench_ = nullptr;

TEST_F(ControlCycle, SourceMeterReplyIsSplitIntoPumpVoltageAndCurrent) {
  bench_->SetSmuReading("0.5,0.001");
  Cycle(0);
  EXPECT_EQ(ThreadData.SMUVoltage, 0.5);
  EXPECT_EQ(ThreadData.SMUCurrent, 0.001);
  bench_->SetSmuReading("+4.800000E-01 +8.000000E-03");  // a blank separates as well
  Cycle(0);
  EXPECT_EQ(ThreadData.SMUVoltage, 0.48);
  EXPECT_EQ(ThreadData.SMUCurrent, 0.008);
}

TEST_F(ControlCycle, SourceMeterReplyWithoutTwoNumbersLeavesZeros) {
  bench_->SetSmuReading("0.5");  // one item: neither value is taken
  Cycle(0);
  EXPECT_EQ(ThreadData.SMUVoltage, 0.0);
  EXPECT_EQ(ThreadData.SMUCurrent, 0.0);
  bench_->SetSmuReading("0.5,amps");  // the current only when it parses
  Cycle(0);
  EXPECT_EQ(ThreadData.SMUVoltage, 0.5);
  EXPECT_EQ(ThreadData.SMUCurrent, 0.0);
  bench_->SetSmuReading("volts,0.001");  // the current only after the voltage
  Cycle(0);
  EXPECT_EQ(ThreadData.SMUVoltage, 0.0);
  EXPECT_EQ(ThreadData.SMUCurrent, 0.0);
  EXPECT_LT(std::fabs(ThreadData.Channel2Voltage), 1e-6);  // the multimeter was still read
}

TEST_F(ControlCycle, TheLawsCurrentReachesTheSourceMeterAndComesBackWithTheResults) {
  Cycle(0.002);  // far below the band: full current, integral zeroed
  EXPECT_FALSE(ThreadData.ThreadRunning);
  EXPECT_FALSE(ThreadData.DataTreated);
  EXPECT_EQ(ThreadData.Integral, 0.0);
  EXPECT_EQ(ThreadData.ActiveSetpoint, 0.002);
  EXPECT_EQ(ThreadData.SMUComplianceCurrent, 0.008);
  EXPECT_GE(ThreadData.ReadTime, before_);
  EXPECT_LE(ThreadData.ReadTime, after_);
  EXPECT_NEAR(PumpSettledAt(0.008), 0.008, 1e-9);
  const std::string& m = ThreadData.Messages;
  EXPECT_EQ(m.rfind("\r\nPID - control\r\nBelow proportional band, MAX pump current\r\n", 0), 0u)
      << m;
  EXPECT_EQ(m.substr(m.size() - 17), "Integral zeroed\r\n");
}

TEST_F(ControlCycle, PumpSwitchedOffGetsZeroWhileTheIntegralStillAccumulates) {
  Cycle(0.002);
  ASSERT_NEAR(PumpSettledAt(0.008), 0.008, 1e-9);
  Cycle(0.0003, /*pumpOn=*/false);
  EXPECT_EQ(PumpSettledAt(0.0), 0.0);
  EXPECT_GT(ThreadData.Integral, 0.001);
  EXPECT_NE(ThreadData.Messages.find("Apply current        : "), std::string::npos);
  EXPECT_EQ(ThreadData.Messages.find("Apply current        : 0 mA"), std::string::npos);
}

// A time-scaled simulated run: the same exchanges and results, every pause and time-out taken
// whole on the transport's clock, which runs four times faster. Floor of a cycle on that clock:
// two poll waits of 200 ms and four waiting exchanges of two 123 ms pauses and the 20 ms quiet
// interval each.
TEST_F(ControlCycle, TimeScaledCycleTakesEveryWaitOnTheScaledClock) {
  bench_->SetSmuReading("0.5,0.001");
  platform::SetTimeScale(4);
  const int64_t t0 = platform::MonotonicMs();
  Cycle(0);
  const int64_t elapsed = platform::MonotonicMs() - t0;
  platform::SetTimeScale(1);
  EXPECT_EQ(ThreadData.SMUVoltage, 0.5);
  EXPECT_EQ(ThreadData.SMUCurrent, 0.001);
  EXPECT_LT(std::fabs(ThreadData.Channel2Voltage), 1e-6);
  EXPECT_GE(elapsed, 400 + 4 * (2 * 123 + 20));
  // The transport's own figures are the mandated ones whatever the scale.
  EXPECT_EQ(TSerialPort().WindowsReadLoopTimeoutMS(), 333u);
  EXPECT_EQ(TSerialPort().ReadoutTimeoutMS(), 1000u);
  EXPECT_EQ(TGPIBDevice().ReadTimeout(), 2000);
  EXPECT_EQ(TGPIBDevice::kPollPauseMS, 100u);
}

}  // namespace
