// The decisions of the "Graph setting" page: time-axis plans, regression window, rate caption.
#include <gtest/gtest.h>

#include "app/GraphPlan.h"
#include "platform/FormatSettings.h"

namespace {

constexpr double kMinute = 1.0 / 1440;
constexpr double kT0 = 46000.5;  // a date-time

THistory Minutes(double m) {
  return {10, kT0, kT0 + m * kMinute};
}

TEST(GraphPlan, OnlyLastInDateTimeWaitsForEnoughHistory) {
  const TTimeAxisChoice five{false, true, 5};
  // 2 minutes of data: automatic range over all of it.
  TTimeAxisPlan p = PlanTimeAxis(five, Minutes(2));
  EXPECT_TRUE(p.DateTime);
  EXPECT_DOUBLE_EQ(p.Width, 5 * kMinute);
  EXPECT_FALSE(p.MovingWindow);
  // Five minutes and more: the 5-minute moving window.
  EXPECT_TRUE(PlanTimeAxis(five, Minutes(5.001)).MovingWindow);
  EXPECT_TRUE(PlanTimeAxis(five, Minutes(60)).MovingWindow);
  // No row yet: automatic range, whatever the times say.
  EXPECT_FALSE(PlanTimeAxis(five, {0, 0, kT0}).MovingWindow);
  // "Only last" off: automatic range.
  EXPECT_FALSE(PlanTimeAxis({false, false, 5}, Minutes(60)).MovingWindow);
}

TEST(GraphPlan, SecondsWindowAppliesAtOnce) {
  TTimeAxisPlan p = PlanTimeAxis({true, true, 5}, {0, 0, kT0});
  EXPECT_FALSE(p.DateTime);
  EXPECT_EQ(p.Width, 300.0);
  EXPECT_TRUE(p.MovingWindow);
  EXPECT_TRUE(PlanTimeAxis({true, true, 5}, Minutes(1)).MovingWindow);
  // No limits on N: 0 and negative widths pass, and a huge N does not wrap.
  EXPECT_EQ(PlanTimeAxis({true, true, 0}, Minutes(1)).Width, 0.0);
  EXPECT_EQ(PlanTimeAxis({true, true, -2}, Minutes(1)).Width, -120.0);
  EXPECT_EQ(PlanTimeAxis({true, true, 2000000000}, Minutes(1)).Width, 120000000000.0);
  EXPECT_DOUBLE_EQ(PlanTimeAxis({false, true, -2}, Minutes(1)).Width, -2 * kMinute);
}

TEST(GraphPlan, RateOfOneMilliampPerMinuteInBothModes) {
  SetFormatSettings(TFormatSettings::FromLocale("C"));
  EXPECT_DOUBLE_EQ(RegressionWindow(false, 1), kMinute);
  EXPECT_EQ(RegressionWindow(true, 3), 180.0);
  // 0.001 A per minute: 1.44 A per day, 1/60000 A per second.
  const double perDay = 0.001 * 1440, perSecond = 0.001 / 60;
  EXPECT_EQ(RateCaption(1, RateMilliAmpsPerMinute(false, perDay)),
            "Rate of change, last 1 minutes: 1 mA/min");
  EXPECT_EQ(RateCaption(1, RateMilliAmpsPerMinute(true, perSecond)),
            "Rate of change, last 1 minutes: 1 mA/min");
  // Six decimals at most, thousands grouped with the blank set after the first results.
  SetThousandSeparator(" ");
  EXPECT_EQ(RateCaption(15, 1234.56789149), "Rate of change, last 15 minutes: 1 234.567891 mA/min");
  EXPECT_EQ(RateCaption(2, -0.0000004), "Rate of change, last 2 minutes: 0 mA/min");
  EXPECT_EQ(RateCaption(2, -0.25), "Rate of change, last 2 minutes: -0.25 mA/min");
  SetFormatSettings(TFormatSettings::FromLocale("C"));
}

}  // namespace
