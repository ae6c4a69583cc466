// One control cycle on its worker thread against the simulated bench: the PI law's branches,
// its message lines, the clamp of the integral, the pump switch, and bands of zero width.
// The cell sits at the reference pressure with the pump off and no noise, so the sensor reads
// exactly 0 V and the error equals the set-point.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/app_window/WindowFixture.h"

namespace {

using wintest::WaitUntil;

class ControlCycle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    wintest::App();
    sim::BenchOptions o = wintest::QuickBench();
    o.Cell.LeakMolPerSecBar = 1;  // the cell stays at the reference pressure
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

  // Runs one cycle with the given set-up and returns the handed-back message lines.
  std::vector<std::string> Cycle(double setpoint, double band, double ti, double oldIntegral,
                                 bool pumpOn = true) {
    ThreadData.ThreadRunning = true;
    ThreadData.DataTreated = true;
    auto w = std::make_unique<TThreadCom>(true);
    w->TargetSetpoint = w->ActiveSetpoint = setpoint;
    w->ProportionalBand = band;
    w->IntegralStrength = ti;
    w->OldIntegral = oldIntegral;
    w->LastExecutionTime = Now();
    w->SMUCurrentCompliance = 0.008;
    w->SMUVoltageCompliance = 1;
    w->PumpIsOn = pumpOn;
    w->Resume();
    EXPECT_TRUE(WaitUntil([] { return !ThreadData.ThreadRunning; }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return w->Finished(); }, 5000));
    EXPECT_FALSE(ThreadData.DataTreated);
    EXPECT_LT(std::fabs(ThreadData.Channel2Voltage), 1e-6);
    std::vector<std::string> lines;
    const std::string& m = ThreadData.Messages;
    for (size_t p = 0; p < m.size();) {
      const size_t e = m.find("\r\n", p);
      EXPECT_NE(e, std::string::npos) << "every line ends in CR LF";
      if (e == std::string::npos) break;
      lines.push_back(m.substr(p, e - p));
      p = e + 2;
    }
    return lines;
  }
  static std::string Find(const std::vector<std::string>& lines, const std::string& head) {
    for (const auto& l : lines)
      if (l.rfind(head, 0) == 0) return l.substr(head.size());
    return "<missing>";
  }

  static sim::Bench* bench_;
};
sim::Bench* ControlCycle::bench_ = nullptr;

TEST_F(ControlCycle, ErrorEqualToTheBandTakesThePiBranchAtFullProportion) {
  const auto m = Cycle(0.0005, 0.0005, 20, 0);
  ASSERT_GE(m.size(), 11u);
  EXPECT_EQ(m[0], "");
  EXPECT_EQ(m[1], "PID - control");
  EXPECT_EQ(m[2], "Inside proportional band, PI control");
  EXPECT_EQ(m[3], "Proportional band at : 0 V");
  EXPECT_EQ(m[4], "Sensor voltage at    : 0 V");
  EXPECT_EQ(Find(m, "Proportional effect  : "), "100 %");
  // The integral (about 1 s of 0.5 mV) stays well below B * Ti = 0.01.
  EXPECT_GT(ThreadData.Integral, 0.0);
  EXPECT_LT(ThreadData.Integral, 0.01);
  EXPECT_EQ(Find(m, "Max current          : "), "8 mA");
  EXPECT_NEAR(bench_->PumpCurrentA(), 0.008, 1e-6);  // P alone already gives full scale
}

TEST_F(ControlCycle, BelowTheBandGivesFullCurrentAndZeroesTheIntegral) {
  const auto m = Cycle(0.002, 0.0005, 20, 0.003);
  ASSERT_GE(m.size(), 6u);
  EXPECT_EQ(m[2], "Below proportional band, MAX pump current");
  EXPECT_EQ(m[3], "Proportional band at : 0.0015 V");
  EXPECT_EQ(m[5], "Integral zeroed");
  EXPECT_EQ(ThreadData.Integral, 0.0);
  EXPECT_NEAR(bench_->PumpCurrentA(), 0.008, 1e-6);
}

TEST_F(ControlCycle, AboveTheSetpointOnlyAPositiveIntegralDrives) {
  // e = -0.6 mV for about a second; the integral of 9 mV s falls a little but stays positive.
  const auto m = Cycle(-0.0006, 0.0005, 20, 0.009);
  EXPECT_EQ(Find(m, "Proportional effect  : "), "0 %");
  const double i = ThreadData.Integral;
  EXPECT_GT(i, 0.0);
  EXPECT_LT(i, 0.009);
  const double expectedA = i / 0.01 * 0.008;
  EXPECT_NEAR(bench_->PumpCurrentA(), expectedA, 1e-5);
  // And with a negative integral no current flows at all.
  const auto m2 = Cycle(-0.0006, 0.0005, 20, -0.001);
  EXPECT_EQ(Find(m2, "Apply current        : "), "0 mA");
  EXPECT_EQ(bench_->PumpCurrentA(), 0.0);
}

TEST_F(ControlCycle, IntegralBeyondTheLimitIsShownWholeButHandedBackClamped) {
  const auto m = Cycle(0.0001, 0.0005, 20, 1.0);
  const std::string sum = Find(m, "Integral sum         : ");
  EXPECT_EQ(sum.substr(0, 2), "1.") << sum;
  EXPECT_EQ(Find(m, "Integral effect      : "), "100 %");
  EXPECT_EQ(ThreadData.Integral, 0.0005 * 20);
  const auto m2 = Cycle(-0.0001, 0.0005, 20, -1.0);
  EXPECT_EQ(Find(m2, "Integral effect      : "), "-100 %");
  EXPECT_EQ(ThreadData.Integral, -0.0005 * 20);
}

TEST_F(ControlCycle, PumpSwitchedOffGetsZeroButTheLawStillRuns) {
  const auto m = Cycle(0.002, 0.0005, 20, 0, /*pumpOn=*/false);
  EXPECT_EQ(m[2], "Below proportional band, MAX pump current");
  EXPECT_EQ(bench_->PumpCurrentA(), 0.0);
  const auto m2 = Cycle(0.0003, 0.0005, 20, 0.002, false);
  EXPECT_NE(Find(m2, "Apply current        : "), "0 mA");
  EXPECT_GT(ThreadData.Integral, 0.002);  // accumulated although nothing was applied
  EXPECT_EQ(bench_->PumpCurrentA(), 0.0);
}

TEST_F(ControlCycle, ZeroBandOrIntegralLengthNeverDividesByZero) {
  // Band 0: on/off control. Below the set-point full current...
  auto m = Cycle(0.001, 0, 20, 0);
  EXPECT_EQ(m[2], "Below proportional band, MAX pump current");
  EXPECT_NEAR(bench_->PumpCurrentA(), 0.008, 1e-6);
  // ... at or above it none, and no integral is kept.
  for (double sp : {0.0, -0.001}) {
    m = Cycle(sp, 0, 20, 0.5);
    EXPECT_EQ(m[2], "Inside proportional band, PI control");
    EXPECT_EQ(Find(m, "Proportional effect  : "), "0 %");
    EXPECT_EQ(Find(m, "Integral effect      : "), "0 %");
    EXPECT_EQ(Find(m, "Apply current        : "), "0 mA");
    EXPECT_EQ(ThreadData.Integral, 0.0);
    EXPECT_EQ(bench_->PumpCurrentA(), 0.0);
  }
  // Integral length 0: proportional control alone.
  m = Cycle(0.00025, 0.0005, 0, 0.5);
  EXPECT_EQ(Find(m, "Proportional effect  : "), "50 %");
  EXPECT_EQ(Find(m, "Integral effect      : "), "0 %");
  EXPECT_EQ(Find(m, "Apply current        : "), "4 mA");
  EXPECT_EQ(ThreadData.Integral, 0.0);
  EXPECT_NEAR(bench_->PumpCurrentA(), 0.004, 1e-6);
  for (const auto& l : m) EXPECT_EQ(l.find("nan"), std::string::npos) << l;
}

}  // namespace
