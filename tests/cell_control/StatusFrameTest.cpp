// The status frame: one whole frame line by line, sign alignment, conditional lines, pictures.
#include <gtest/gtest.h>

#include <cmath>

#include "app/StatusFrame.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

// Characters (code points) of UTF-8 text.
size_t CodePoints(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

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

class StatusFrameTest : public ::testing::Test {
 protected:
  static TFormatSettings PointAndColon() {
    TFormatSettings fs = FormatSettings();
    fs.DecimalSeparator = ".";
    fs.TimeSeparator = ":";
    return fs;
  }
  ScopedFormatSettings settings_{PointAndColon()};
};

TEST_F(StatusFrameTest, WholeFrameLineByLine) {
  const std::vector<std::string> expected = {
      "",
      "  ▄▄▄▓▓▓▓▒░ Instruments ░▒▓▓▓▓▓▓▓▓▓▓▓▄▄▄  ",
      "▄▓▓▓▀▀▀▀                          ▀▀▀▀▓▓▓▄",
      "▓▀                                      ▀▓",
      "█ TIME . . . . . . . . .: 14:35:07       █",
      "▓                                        ▓",
      "█ UPDATE COMPLIANCES . .: True           █",
      "▓  Current compliances .: 8.0000000E-03  ▓",
      "█  Voltage compliances .: 1.0000000E+00  █",
      "▓                                        ▓",
      "█ SLOW QUERY . . . . . .: True           █",
      "█  Channel 1 Voltage . .: -2.5000000E-06 █",
      "▓  Channel 1 Resistance.:  2.0004000E+00 ▓",
      "█  Channel 5 Resistance.:  1.0000000E+04 █",
      "▓  Channel 4 Voltage . .:  6.2700000E-03 █",
      "█   Box temperature. . .:  25            ▓",
      "█   Furnace temperature.:  700.46        █",
      "▓                                        ▓",
      "█ FAST QUERY                             █",
      "▓  Sensor Voltage. . . .: -1.2345000E-03 ▓",
      "▓  Pump Voltage. . . . .:  4.8000000E-01 ▓",
      "█  Pump Current. . . . .:  8.0000000E-03 █",
      "▓▄                                      ▄▓",
      "▀▓▓▓▄▄▄▄                          ▄▄▄▄▓▓▓▀",
      "  ▀▀▀▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▀▀▀  ",
  };
  const auto f = StatusFrame(Full());
  ASSERT_EQ(f.size(), expected.size());
  for (size_t i = 0; i < f.size(); ++i) {
    EXPECT_EQ(f[i], expected[i]) << "line " << i + 1;
    if (i > 0) {
      EXPECT_EQ(CodePoints(expected[i]), 42u) << "line " << i + 1;
    }
  }
}

TEST_F(StatusFrameTest, LeavesOutLinesOfStepsThatDidNotRun) {
  TDataFromThread d = Full();
  d.SMUCompliancesSet = false;
  d.SlowQueryOk = false;
  const auto f = StatusFrame(d);
  ASSERT_EQ(f.size(), 17u);
  EXPECT_EQ(f[6], "█ UPDATE COMPLIANCES . .: False          █");
  EXPECT_EQ(f[7], "▓                                        ▓");
  EXPECT_EQ(f[8], "█ SLOW QUERY . . . . . .: False          █");
  EXPECT_EQ(f[9], "▓                                        ▓");
  EXPECT_EQ(f[10], "█ FAST QUERY                             █");
}

TEST_F(StatusFrameTest, ZeroTemperatureIsAnEmptyFieldAndHugeValuesAreNotCut) {
  TDataFromThread d = Full();
  d.BoxTemperature = 0;
  d.FurnaceTemperature = -3.5;
  d.Channel2Voltage = -1.5e-100;
  d.SMUVoltage = 0;
  const auto f = StatusFrame(d);
  EXPECT_EQ(f[15], "█   Box temperature. . .:                ▓");
  EXPECT_EQ(f[16], "█   Furnace temperature.: -3.5           █");
  EXPECT_EQ(f[19], "▓  Sensor Voltage. . . .: -1.5000000E-100 ▓");
  EXPECT_EQ(f[20], "▓  Pump Voltage. . . . .:  0.0000000E+00 ▓");
  EXPECT_EQ(Space(0), " ");
  EXPECT_EQ(Space(-0.1), "");
  EXPECT_EQ(Space(std::nan("")), "");
}

}  // namespace
