// The PI law on its own, with values that binary floating point holds exactly, so that every
// branch, boundary and message line is checked to the last digit.
#include <gtest/gtest.h>

#include <cmath>

#include "app/ControlLaw.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

constexpr double kImax = 0.0078125;  // 2^-7 A

TPiLawInput Input(double setpoint, double sensor, double band, double ti, double old,
                  double elapsed, bool pumpOn = true) {
  TPiLawInput in;
  in.TargetSetpoint = setpoint;
  in.SensorVoltage = sensor;
  in.ProportionalBand = band;
  in.IntegralStrength = ti;
  in.OldIntegral = old;
  in.ElapsedSeconds = elapsed;
  in.CurrentCompliance = kImax;
  in.PumpIsOn = pumpOn;
  return in;
}

class PiLawTest : public ::testing::Test {
 protected:
  TFormatSettings PointSettings() {
    TFormatSettings fs = FormatSettings();
    fs.DecimalSeparator = ".";
    fs.ThousandSeparator = ",";
    return fs;
  }
  ScopedFormatSettings settings_{PointSettings()};
};

using Lines = std::vector<std::string>;

TEST_F(PiLawTest, ErrorEqualToTheBandTakesThePiBranchAtFullProportion) {
  // e = 0.75 - 0.25 = 0.5 = B exactly.
  const TPiLawResult r = PiLaw(Input(0.75, 0.25, 0.5, 4, 0, 0));
  EXPECT_EQ(r.Lines, (Lines{"", "PID - control", "Inside proportional band, PI control",
                            "Proportional band at : 0.25 V", "Sensor voltage at    : 0.25 V",
                            "Proportional effect  : 100 %", "Integral sum         : 0",
                            "Integral effect      : 0 %", "Total effect         : 100 %",
                            "Max current          : 7.813 mA", "Apply current        : 7.813 mA"}));
  EXPECT_EQ(r.LawCurrent, kImax);
  EXPECT_EQ(r.OutputCurrent, kImax);
  EXPECT_EQ(r.Integral, 0.0);
}

TEST_F(PiLawTest, ErrorJustAboveTheBandGivesFullCurrentAndZeroesTheIntegral) {
  const double sensor = 0.25 - std::ldexp(1.0, -40);  // e is one step above 0.5
  const TPiLawResult r = PiLaw(Input(0.75, sensor, 0.5, 4, 1.5, 2));
  ASSERT_EQ(r.Lines.size(), 6u);
  EXPECT_EQ(r.Lines[2], "Below proportional band, MAX pump current");
  EXPECT_EQ(r.Lines[3], "Proportional band at : 0.25 V");
  EXPECT_EQ(r.Lines[4], "Sensor voltage at    : 0.25 V");
  EXPECT_EQ(r.Lines[5], "Integral zeroed");
  EXPECT_EQ(r.LawCurrent, kImax);
  EXPECT_EQ(r.OutputCurrent, kImax);
  EXPECT_EQ(r.Integral, 0.0);
}

TEST_F(PiLawTest, FarBelowTheBandShowsTheBandEdgeAndTheSensor) {
  const TPiLawResult r = PiLaw(Input(0.002, 0, 0.0005, 20, 0.003, 1));
  EXPECT_EQ(r.Lines, (Lines{"", "PID - control", "Below proportional band, MAX pump current",
                            "Proportional band at : 0.0015 V", "Sensor voltage at    : 0 V",
                            "Integral zeroed"}));
  EXPECT_EQ(r.OutputCurrent, kImax);
  EXPECT_EQ(r.Integral, 0.0);
}

TEST_F(PiLawTest, InsideTheBandAddsProportionalAndIntegralParts) {
  // e = 0.25, P = 0.5; integral = 2 s * 0.25 V + 0.125 = 0.625, B * Ti = 2, I = 0.3125.
  const TPiLawResult r = PiLaw(Input(0.5, 0.25, 0.5, 4, 0.125, 2));
  EXPECT_EQ(r.Lines, (Lines{"", "PID - control", "Inside proportional band, PI control",
                            "Proportional band at : 0 V", "Sensor voltage at    : 0.25 V",
                            "Proportional effect  : 50 %", "Integral sum         : 0.625",
                            "Integral effect      : 31.25 %", "Total effect         : 81.25 %",
                            "Max current          : 7.813 mA", "Apply current        : 6.348 mA"}));
  EXPECT_EQ(r.Integral, 0.625);
  EXPECT_EQ(r.LawCurrent, 0.8125 * kImax);
  EXPECT_EQ(r.OutputCurrent, 0.8125 * kImax);
}

TEST_F(PiLawTest, IntegralBeyondTheLimitIsShownWholeButHandedBackClamped) {
  // 10 + 1 s * 0.25 V = 10.25 > B * Ti = 2; P + I = 1.5 is cut to full scale.
  TPiLawResult r = PiLaw(Input(0.5, 0.25, 0.5, 4, 10, 1));
  EXPECT_EQ(r.Lines[6], "Integral sum         : 10.25");
  EXPECT_EQ(r.Lines[7], "Integral effect      : 100 %");
  EXPECT_EQ(r.Lines[8], "Total effect         : 150 %");
  EXPECT_EQ(r.Lines[10], "Apply current        : 7.813 mA");
  EXPECT_EQ(r.Integral, 2.0);
  EXPECT_EQ(r.LawCurrent, kImax);
  // And below: e = -0.25, -10 - 0.25 = -10.25 is clamped to -2; the output cannot go below 0.
  r = PiLaw(Input(0.25, 0.5, 0.5, 4, -10, 1));
  EXPECT_EQ(r.Lines[5], "Proportional effect  : 0 %");
  EXPECT_EQ(r.Lines[6], "Integral sum         : -10.25");
  EXPECT_EQ(r.Lines[7], "Integral effect      : -100 %");
  EXPECT_EQ(r.Lines[8], "Total effect         : -100 %");
  EXPECT_EQ(r.Lines[10], "Apply current        : 0 mA");
  EXPECT_EQ(r.Integral, -2.0);
  EXPECT_EQ(r.LawCurrent, 0.0);
  // Exactly at the limit the value is kept.
  r = PiLaw(Input(0.5, 0.25, 0.5, 4, 1.75, 1));
  EXPECT_EQ(r.Integral, 2.0);
  EXPECT_EQ(r.Lines[7], "Integral effect      : 100 %");
}

TEST_F(PiLawTest, AboveTheSetpointOnlyAPositiveIntegralDrives) {
  // e = -0.25: P = 0; integral 1 - 2 s * 0.25 = 0.5, I = 0.25, q = Imax / 4.
  TPiLawResult r = PiLaw(Input(0.25, 0.5, 0.5, 4, 1, 2));
  EXPECT_EQ(r.Lines[5], "Proportional effect  : 0 %");
  EXPECT_EQ(r.Lines[7], "Integral effect      : 25 %");
  EXPECT_EQ(r.Lines[10], "Apply current        : 1.953 mA");
  EXPECT_EQ(r.Integral, 0.5);
  EXPECT_EQ(r.OutputCurrent, kImax / 4);
  // With the integral below zero no current flows.
  r = PiLaw(Input(0.25, 0.5, 0.5, 4, 0.25, 2));
  EXPECT_EQ(r.Integral, -0.25);
  EXPECT_EQ(r.Lines[7], "Integral effect      : -12.5 %");
  EXPECT_EQ(r.Lines[10], "Apply current        : 0 mA");
  EXPECT_EQ(r.OutputCurrent, 0.0);
}

TEST_F(PiLawTest, PumpSwitchedOffGetsZeroButTheLawStillRuns) {
  const TPiLawResult on = PiLaw(Input(0.5, 0.25, 0.5, 4, 0.125, 2, true));
  const TPiLawResult off = PiLaw(Input(0.5, 0.25, 0.5, 4, 0.125, 2, false));
  EXPECT_EQ(off.Lines, on.Lines);
  EXPECT_EQ(off.Lines[10], "Apply current        : 6.348 mA");
  EXPECT_EQ(off.LawCurrent, on.LawCurrent);
  EXPECT_EQ(off.OutputCurrent, 0.0);
  EXPECT_EQ(off.Integral, 0.625);  // accumulated although nothing was applied
  const TPiLawResult below = PiLaw(Input(1, 0, 0.5, 4, 0, 1, false));
  EXPECT_EQ(below.Lines[2], "Below proportional band, MAX pump current");
  EXPECT_EQ(below.OutputCurrent, 0.0);
}

TEST_F(PiLawTest, ZeroBandIsAStepAtTheSetpointWithoutIntegral) {
  TPiLawResult r = PiLaw(Input(0.5, 0.25, 0, 4, 0, 1));
  EXPECT_EQ(r.Lines[2], "Below proportional band, MAX pump current");
  EXPECT_EQ(r.OutputCurrent, kImax);
  // At and above the set-point: no proportional part, no integral kept.
  struct Case {
    double sensor;
    const char* sensorText;
    const char* sumText;
  };
  for (const Case& c : {Case{0.5, "0.5", "0.5"}, Case{0.75, "0.75", "0.25"}}) {
    r = PiLaw(Input(0.5, c.sensor, 0, 4, 0.5, 1));
    EXPECT_EQ(r.Lines, (Lines{"", "PID - control", "Inside proportional band, PI control",
                              "Proportional band at : 0.5 V",
                              std::string("Sensor voltage at    : ") + c.sensorText + " V",
                              "Proportional effect  : 0 %",
                              std::string("Integral sum         : ") + c.sumText,
                              "Integral effect      : 0 %", "Total effect         : 0 %",
                              "Max current          : 7.813 mA", "Apply current        : 0 mA"}));
    EXPECT_EQ(r.Integral, 0.0);
    EXPECT_EQ(r.OutputCurrent, 0.0);
  }
}

TEST_F(PiLawTest, ZeroIntegralLengthLeavesProportionalControl) {
  const TPiLawResult r = PiLaw(Input(0.5, 0.25, 0.5, 0, 0.5, 1));
  EXPECT_EQ(r.Lines[5], "Proportional effect  : 50 %");
  EXPECT_EQ(r.Lines[6], "Integral sum         : 0.75");
  EXPECT_EQ(r.Lines[7], "Integral effect      : 0 %");
  EXPECT_EQ(r.Lines[10], "Apply current        : 3.906 mA");
  EXPECT_EQ(r.Integral, 0.0);
  EXPECT_EQ(r.OutputCurrent, kImax / 2);
}

TEST_F(PiLawTest, LinesUseTheLocaleDecimalSeparator) {
  ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
  const TPiLawResult r = PiLaw(Input(0.5, 0.25, 0.5, 4, 0.125, 2));
  EXPECT_EQ(r.Lines[3], "Proportional band at : 0 V");
  EXPECT_EQ(r.Lines[4], "Sensor voltage at    : 0,25 V");
  EXPECT_EQ(r.Lines[6], "Integral sum         : 0,625");
  EXPECT_EQ(r.Lines[7], "Integral effect      : 31,25 %");
  EXPECT_EQ(r.Lines[9], "Max current          : 7,813 mA");
}

}  // namespace
