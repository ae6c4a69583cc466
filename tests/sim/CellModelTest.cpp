// The cell physics on its own, without any instrument or terminal.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/CellModel.h"

namespace {

using sim::CellModel;
using sim::CellParameters;
using sim::kFaraday;
using sim::kGasConstant;
using sim::PumpSource;

constexpr double kKelvin = 273.15;

PumpSource CurrentSource(double amps, double voltageCompliance = 21) {
  PumpSource s;
  s.OutputOn = true;
  s.SourceCurrent = true;
  s.CurrentLevelA = amps;
  s.VoltageComplianceV = voltageCompliance;
  return s;
}

double Slope(const CellParameters& p) {
  return kGasConstant * (p.FurnaceC + kKelvin) / (4 * kFaraday);
}

TEST(CellModel, ConstantCurrentSettlesAtTheAnalyticSteadyState) {
  CellParameters p;  // 10 mL, k = 4e-7: time constant about 300 s
  CellModel cell(p);
  const double current = 2e-3;
  cell.SetSource(CurrentSource(current));
  cell.Advance(5000);  // many time constants, in the bench's own small steps

  const double expected = p.RefPressureBar - current / (4 * kFaraday * p.LeakMolPerSecBar);
  EXPECT_NEAR(cell.PressureBar(), expected, expected * 1e-6);
  const double e = Slope(p) * std::log(p.RefPressureBar / expected);
  EXPECT_NEAR(cell.NernstVoltageV(), e, 1e-9);
  EXPECT_GT(cell.NernstVoltageV(), 0);  // below the reference pressure
  sim::PumpOperatingPoint op = cell.Pump();
  EXPECT_DOUBLE_EQ(op.CurrentA, current);
  EXPECT_NEAR(op.VoltageV, current * p.PumpResistanceOhm + e, 1e-9);
  EXPECT_FALSE(op.InCompliance);
}

TEST(CellModel, ApproachFollowsTheVolumeOverLeakTimeConstant) {
  CellParameters p;
  p.VolumeML = 0.5;
  CellModel cell(p);
  const double current = 1e-3;
  cell.SetSource(CurrentSource(current));
  const double molPerBar = p.VolumeML * 1e-1 / (kGasConstant * (p.FurnaceC + kKelvin));
  const double tau = molPerBar / p.LeakMolPerSecBar;
  const double steady = p.RefPressureBar - current / (4 * kFaraday * p.LeakMolPerSecBar);
  for (int i = 0; i < 100; ++i) cell.Advance(tau / 100);  // as the bench does, in slices
  const double expected = steady + (p.InitialPressureBar - steady) * std::exp(-1.0);
  EXPECT_NEAR(cell.PressureBar(), expected, std::fabs(p.InitialPressureBar - steady) * 0.01);
}

TEST(CellModel, TheDefaultSetPointNeedsAFewMilliamps) {
  // The current that holds the default cell 2 mV below air at 700 degC, driven into the model:
  // it settles there, and it is a few milliamps, within the SourceMeter's 8 mA limit.
  CellParameters p;
  const double pressure = p.RefPressureBar / std::exp(2e-3 / Slope(p));
  const double current = 4 * kFaraday * p.LeakMolPerSecBar * (p.RefPressureBar - pressure);
  CellModel cell(p);
  cell.SetSource(CurrentSource(current));
  for (int i = 0; i < 100; ++i) cell.Advance(60);  // about 20 time constants
  EXPECT_NEAR(cell.NernstVoltageV(), 2e-3, 1e-9);
  EXPECT_NEAR(cell.PressureBar(), pressure, pressure * 1e-7);
  EXPECT_DOUBLE_EQ(cell.Pump().CurrentA, current);
  EXPECT_GT(current, 1e-3);
  EXPECT_LT(current, 8e-3);
}

TEST(CellModel, VoltageComplianceLimitsThePumpCurrent) {
  CellParameters p;
  p.VolumeML = 0.1;
  CellModel cell(p);
  const double compliance = 0.1;
  cell.SetSource(CurrentSource(5e-3, compliance));  // 5 mA x 60 ohm would need 0.3 V
  cell.Advance(200);

  sim::PumpOperatingPoint op = cell.Pump();
  EXPECT_TRUE(op.InCompliance);
  EXPECT_DOUBLE_EQ(op.VoltageV, compliance);
  EXPECT_GE(op.CurrentA, 0);
  EXPECT_LT(op.CurrentA, 5e-3);
  // The limited current is what the compliance leaves after the Nernst voltage ...
  EXPECT_NEAR(op.CurrentA, (compliance - cell.NernstVoltageV()) / p.PumpResistanceOhm, 1e-12);
  // ... and, settled, what the leak brings back.
  EXPECT_NEAR(op.CurrentA,
              4 * kFaraday * p.LeakMolPerSecBar * (p.RefPressureBar - cell.PressureBar()), 1e-6);
}

TEST(CellModel, CurrentBeyondWhatTheLeakSuppliesKeepsThePressurePositive) {
  CellParameters p;
  p.VolumeML = 0.01;
  CellModel cell(p);
  // 50 mA would empty the cell; the compliance stops the pump well before p reaches 0.
  cell.SetSource(CurrentSource(50e-3, 5));
  cell.Advance(1e5);  // one long step, as after a long pause
  EXPECT_GT(cell.PressureBar(), 0);
  EXPECT_TRUE(std::isfinite(cell.NernstVoltageV()));
  EXPECT_TRUE(cell.Pump().InCompliance);
  EXPECT_NEAR(cell.Pump().VoltageV, 5, 1e-9);
}

TEST(CellModel, OutputOffGivesNoCurrentAndTheOpenCircuitVoltage) {
  CellParameters p;
  p.VolumeML = 0.05;
  p.InitialPressureBar = 0.05;
  CellModel cell(p);
  sim::PumpOperatingPoint op = cell.Pump();
  EXPECT_EQ(op.CurrentA, 0);
  EXPECT_DOUBLE_EQ(op.VoltageV, cell.NernstVoltageV());
  cell.Advance(500);  // the leak refills the cell to the reference
  EXPECT_NEAR(cell.PressureBar(), p.RefPressureBar, 1e-6);
  EXPECT_NEAR(cell.NernstVoltageV(), 0, 1e-6);
}

TEST(CellModel, VoltageSourceIsLimitedByTheCurrentCompliance) {
  CellParameters p;
  CellModel cell(p);
  PumpSource s;
  s.OutputOn = true;
  s.SourceCurrent = false;
  s.VoltageLevelV = 1;
  s.CurrentComplianceA = 1e-3;
  cell.SetSource(s);
  sim::PumpOperatingPoint op = cell.Pump();
  EXPECT_TRUE(op.InCompliance);
  EXPECT_DOUBLE_EQ(op.CurrentA, 1e-3);
  EXPECT_NEAR(op.VoltageV, 1e-3 * p.PumpResistanceOhm + cell.NernstVoltageV(), 1e-12);
}

TEST(CellModel, NewParametersKeepThePressureUnlessTheInitialPressureChanges) {
  CellParameters p;
  CellModel cell(p);
  cell.SetPressureBar(0.1);
  p.FurnaceC = 800;
  cell.SetParameters(p);
  EXPECT_DOUBLE_EQ(cell.PressureBar(), 0.1);
  p.InitialPressureBar = 0.01;
  cell.SetParameters(p);
  EXPECT_DOUBLE_EQ(cell.PressureBar(), 0.01);
}

}  // namespace
