// The status frame: widths, sign alignment, conditional lines, value pictures.
#include <gtest/gtest.h>

#include "app/frmZenkar2.h"
#include "tests/app_window/WindowFixture.h"

namespace {

using wintest::CodePoints;

TDataFromThread Full() {
  TDataFromThread d;
  d.ReadTime = EncodeDateTime(2024, 5, 17, 14, 35, 7, 250);
  d.SMUCompliancesSet = true;
  d.SMUComplianceCurrent = 0.008;
  d.SMUComplianceVoltage = 1;
  d.SlowQueryOk = true;
  d.Channel1Voltage = -2.5e-6;
  d.Channel1Resistance = 2.0004;
  d.Channel5Resistance = 10000;
  d.Channel4Voltage = 6.27e-3;
  d.BoxTemperature = 25.004;
  d.FurnaceTemperature = 700.456;
  d.Channel2Voltage = -1.2345e-3;
  d.SMUVoltage = 0.48;
  d.SMUCurrent = 8e-3;
  return d;
}

TEST(StatusFrame, AllLinesAre42WideWithTwoDigitExponents) {
  const auto f = StatusFrame(Full());
  ASSERT_EQ(f.size(), 25u);
  EXPECT_EQ(f[0], "");
  for (size_t i = 1; i < f.size(); ++i) EXPECT_EQ(CodePoints(f[i]), 42u) << i << ": " << f[i];
  EXPECT_EQ(f[4], "█ TIME . . . . . . . . .: 14:35:07       █");
  EXPECT_EQ(f[6], "█ UPDATE COMPLIANCES . .: True           █");
  EXPECT_EQ(f[7], "▓  Current compliances .: 8.0000000E-03  ▓");
  EXPECT_EQ(f[10], "█ SLOW QUERY . . . . . .: True           █");
  EXPECT_EQ(f[11], "█  Channel 1 Voltage . .: -2.5000000E-06 █");
  EXPECT_EQ(f[12], "▓  Channel 1 Resistance.:  2.0004000E+00 ▓");
  EXPECT_EQ(f[14], "▓  Channel 4 Voltage . .:  6.2700000E-03 █");
  EXPECT_EQ(f[15], "█   Box temperature. . .: " + std::string(" 25").append(10, ' ') + "  ▓");
  EXPECT_EQ(f[16], "█   Furnace temperature.: " + std::string(" 700.46").append(6, ' ') + "  █");
  EXPECT_EQ(f[19], "▓  Sensor Voltage. . . .: -1.2345000E-03 ▓");
  EXPECT_EQ(f[20], "▓  Pump Voltage. . . . .:  4.8000000E-01 ▓");
}

TEST(StatusFrame, LeavesOutLinesOfStepsThatDidNotRun) {
  TDataFromThread d = Full();
  d.SMUCompliancesSet = false;
  d.SlowQueryOk = false;
  const auto f = StatusFrame(d);
  ASSERT_EQ(f.size(), 17u);
  EXPECT_EQ(f[6], "█ UPDATE COMPLIANCES . .: False          █");
  EXPECT_EQ(f[7], "▓                                        ▓");
  EXPECT_EQ(f[8], "█ SLOW QUERY . . . . . .: False          █");
  EXPECT_EQ(f[10], "█ FAST QUERY                             █");
}

TEST(StatusFrame, ZeroTemperatureIsAnEmptyFieldAndHugeValuesAreNotCut) {
  TDataFromThread d = Full();
  d.BoxTemperature = 0;
  d.Channel2Voltage = -1.5e-100;
  const auto f = StatusFrame(d);
  EXPECT_EQ(f[15], "█   Box temperature. . .: " + std::string(" ").append(12, ' ') + "  ▓");
  EXPECT_EQ(f[19], "▓  Sensor Voltage. . . .: -1.5000000E-100 ▓");
  EXPECT_EQ(Space(0), " ");
  EXPECT_EQ(Space(-0.1), "");
  EXPECT_EQ(Space(std::nan("")), "");
}

}  // namespace
