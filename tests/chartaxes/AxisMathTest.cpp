#include <gtest/gtest.h>

#include <limits>

#include "chart/axes/RtAxisMath.h"
#include "platform/FormatSettings.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

TEST(RtAxisMathTest, DecimalExponentAtSevenDigits) {
  EXPECT_EQ(RtDecimalExponent(0.0123), -2);
  EXPECT_EQ(RtDecimalExponent(250), 2);
  EXPECT_EQ(RtDecimalExponent(-250), 2);
  EXPECT_EQ(RtDecimalExponent(0), 0);
  EXPECT_EQ(RtDecimalExponent(9.999999), 0);
  EXPECT_EQ(RtDecimalExponent(9.9999999), 1);  // rounds up to 10 at seven digits
  EXPECT_EQ(RtDecimalExponent(1e-5), -5);
  EXPECT_EQ(RtDecimalExponent(std::nan("")), 0);
  EXPECT_EQ(RtPow10(400), RtMaxDouble);
}

TEST(RtAxisMathTest, GridRoundingTreatsValuesJustAboveAGridPointAsOnIt) {
  EXPECT_DOUBLE_EQ(RtRoundUpToGrid(0, 1, 7.3), 8);
  EXPECT_DOUBLE_EQ(RtRoundDownToGrid(0, 1, 7.3), 7);
  EXPECT_DOUBLE_EQ(RtRoundUpToGrid(0, 1, 7), 7);
  EXPECT_DOUBLE_EQ(RtRoundUpToGrid(0, 1, 7.0000005), 7);
  EXPECT_DOUBLE_EQ(RtRoundUpToGrid(0, 1, 7.000002), 8);
  EXPECT_DOUBLE_EQ(RtRoundDownToGrid(0, 1, 6.9999995), 7);
  EXPECT_DOUBLE_EQ(RtRoundDownToGrid(0, 1, 6.999998), 6);
  EXPECT_DOUBLE_EQ(RtRoundUpToGrid(-3, 2, 0.0071), 0.008);
  EXPECT_DOUBLE_EQ(RtRoundDownToGrid(0, 0.5, -1.2), -1.5);
  EXPECT_DOUBLE_EQ(RtRoundUpToGrid(0, 0, 3.3), 3.3);
  EXPECT_EQ(RtSignificantDigits(0.2), 1);
  EXPECT_EQ(RtSignificantDigits(2.5), 2);
  EXPECT_EQ(RtSignificantDigits(0.125), 3);
  EXPECT_EQ(RtSignificantDigits(10), 1);
}

TEST(RtAxisMathTest, MovingWindowStepsWholeIncrements) {
  double lo, hi;
  RtMovingWindow(0, 60, 20, 0, 59, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 60);
  RtMovingWindow(0, 60, 20, 0, 60, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 60);
  RtMovingWindow(0, 60, 20, 0, 61, lo, hi);
  EXPECT_EQ(lo, 20);
  EXPECT_EQ(hi, 80);
  RtMovingWindow(0, 60, 20, 30, 125, lo, hi);
  EXPECT_EQ(lo, 80);
  EXPECT_EQ(hi, 140);
  // A window whose start would land exactly on the oldest value keeps the origin.
  RtMovingWindow(0, 60, 20, 20, 61, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 80);
  // Data that all lie inside the first window leave the start at the origin.
  RtMovingWindow(10, 60, 20, 50, 65, lo, hi);
  EXPECT_EQ(lo, 10);
  EXPECT_EQ(hi, 70);
  // Values far beyond the window (a damaged reading) end the search; the window still covers them.
  RtMovingWindow(0, 300, 100, 0, 1.2543785970122495e21, lo, hi);
  EXPECT_GE(hi, 1.2543785970122495e21);
  RtMovingWindow(0, 300, 100, 0, std::numeric_limits<double>::infinity(), lo, hi);
  EXPECT_EQ(hi, std::numeric_limits<double>::infinity());
  // A one-minute window 46000 days from its origin: about 6.6e7 steps, computed directly.
  const double w = 1.0 / 1440, inc = w / 3, now = 46000.123456;
  RtMovingWindow(0, w, inc, now - 0.5, now, lo, hi);
  EXPECT_GE(hi, now);
  EXPECT_LT(hi - inc, now);
  EXPECT_DOUBLE_EQ(lo, hi - w);
}

TEST(RtAxisMathTest, LabelDigitsAndTexts) {
  ScopedFormatSettings fs(TFormatSettings::FromLocale("C"));
  // 0 .. 0.008, labels 0.002 apart: three decimals.
  TRtNumberFormat f = RtCalculateDisplayDigits(0, 0.008, -3, 2, 0, 1000, 0.001);
  EXPECT_FALSE(f.AdditionalExponent);
  EXPECT_EQ(RtFormatNumberLabel(f, 0.002), "0.002");
  EXPECT_EQ(RtFormatNumberLabel(f, 0.004), "0.004");
  // Labels 0.0005 apart: four.
  f = RtCalculateDisplayDigits(0, 0.008, -3, 0.5, 0, 1000, 0.001);
  EXPECT_EQ(RtFormatNumberLabel(f, 0.0015), "0.0015");
  // 0 .. 8 in steps of 2: whole numbers.
  f = RtCalculateDisplayDigits(0, 8, 0, 2, 0, 1000, 0.001);
  EXPECT_EQ(RtFormatNumberLabel(f, 0), "0");
  EXPECT_EQ(RtFormatNumberLabel(f, 4), "4");
  // Two extra digits.
  f = RtCalculateDisplayDigits(0, 8, 0, 2, 2, 1000, 0.001);
  EXPECT_EQ(RtFormatNumberLabel(f, 2), "2.00");
  // 0 .. 2e-5 in steps of 0.5e-5: common exponent -5, one decimal.
  f = RtCalculateDisplayDigits(0, 2e-5, -5, 0.5, 0, 1000, 0.001);
  EXPECT_TRUE(f.AdditionalExponent);
  EXPECT_EQ(f.MaxExponent, -5);
  EXPECT_EQ(RtFormatNumberLabel(f, 0), "0.0");
  EXPECT_EQ(RtFormatNumberLabel(f, 0.5e-5), "0.5");
  EXPECT_EQ(RtFormatNumberLabel(f, 1e-5), "1.0");
  // 10^4 and up take the exponent; 999 does not.
  EXPECT_TRUE(RtCalculateDisplayDigits(0, 20000, 4, 0.5, 0, 1000, 0.001).AdditionalExponent);
  EXPECT_FALSE(RtCalculateDisplayDigits(0, 999, 2, 2, 0, 1000, 0.001).AdditionalExponent);
  // The locale's decimal separator.
  ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
  f = RtCalculateDisplayDigits(0, 0.008, -3, 2, 0, 1000, 0.001);
  EXPECT_EQ(RtFormatNumberLabel(f, 0.002), "0,002");
}

constexpr double kLabels[3] = {1.0, 0.5, 0.2};
constexpr double kMajors[3] = {0.5, 0.5, 0.1};
constexpr double kMinors[3] = {0.1, 0.1, 0.02};

TEST(RtAxisMathTest, PartitionTakesTheFirstCandidateThatFillsTheAxis) {
  // 0 .. 7.3 on 500 px with 50-px labels: steps 10 and 5 give 2 labels, step 2 gives 5
  // (5 * 50 + 4 * 70 = 530 >= 500).
  const TRtTickParts t = RtCalculateTickParts(0, 7.3, 500, 1, kLabels, kMajors, kMinors,
                                              [](int, double) { return 50.0f; });
  EXPECT_EQ(t.RangeExponent, 0);
  EXPECT_DOUBLE_EQ(t.LabelPart, 2);
  EXPECT_DOUBLE_EQ(t.MajorTickPart, 1);
  EXPECT_DOUBLE_EQ(t.TickPart, 0.2);
  // A wider axis or narrower gaps go one candidate finer.
  EXPECT_DOUBLE_EQ(RtCalculateTickParts(0, 7.3, 531, 1, kLabels, kMajors, kMinors,
                                        [](int, double) { return 50.0f; })
                       .LabelPart,
                   1);
  EXPECT_DOUBLE_EQ(RtCalculateTickParts(0, 7.3, 500, 0.5f, kLabels, kMajors, kMinors,
                                        [](int, double) { return 50.0f; })
                       .LabelPart,
                   1);
  // Exponent of the span: 0 .. 0.02 counts in units of 10^-2.
  const TRtTickParts s = RtCalculateTickParts(0, 0.02, 500, 1, kLabels, kMajors, kMinors,
                                              [](int, double) { return 50.0f; });
  EXPECT_EQ(s.RangeExponent, -2);
  EXPECT_DOUBLE_EQ(s.LabelPart, 0.5);
}

TEST(RtAxisMathTest, NormalTicksMarkMajorsAndLabelsOnTheirGrids) {
  const auto ticks = RtNormalTicks(0, 8, 0, 0, 0.2, 1, 2, true);
  ASSERT_EQ(ticks.size(), 41u);
  int majors = 0, labels = 0;
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    EXPECT_NEAR(ticks[i].Value, 0.2 * double(i), 1e-9);
    majors += ticks[i].Major;
    labels += ticks[i].Label;
    EXPECT_EQ(ticks[i].Major, i % 5 == 0) << i;
    EXPECT_EQ(ticks[i].Label, i % 10 == 0) << i;
  }
  EXPECT_EQ(majors, 9);
  EXPECT_EQ(labels, 5);
  for (const TRtTick& t : RtNormalTicks(0, 8, 0, 0, 0.2, 1, 2, false)) EXPECT_FALSE(t.Label);
  // An axis starting off the grid: labels at the next grid points.
  const auto off = RtNormalTicks(1, 3, 0.95, 0, 0.5, 1, 1, true);
  ASSERT_EQ(off.size(), 5u);
  EXPECT_TRUE(off[0].Label);
  EXPECT_FALSE(off[1].Label);
  EXPECT_TRUE(off[2].Label);
}

TEST(RtAxisMathTest, DaySpanAndTimeSpansBefore1900) {
  const double a = EncodeDateTime(1899, 12, 29, 6);
  EXPECT_DOUBLE_EQ(a, -1.25);
  EXPECT_DOUBLE_EQ(RtDaySpan(a, 0), -0.75);
  EXPECT_DOUBLE_EQ(RtDaySpan(EncodeDateTime(1899, 12, 31, 12), a), 2.25);
  EXPECT_DOUBLE_EQ(RtDateTimeAddMs(a, 12 * 3600000.0), EncodeDateTime(1899, 12, 29, 18));
  EXPECT_DOUBLE_EQ(RtDateTimeAddMs(a, 24 * 3600000.0), EncodeDateTime(1899, 12, 30, 6));
  EXPECT_DOUBLE_EQ(RtDateTimeAddMs(EncodeDateTime(1850, 1, 1), -3600000.0),
                   EncodeDateTime(1849, 12, 31, 23));
}

TRtDtFormats Formats() {
  TRtDtFormats f;
  f.Day = "d/m/yy";
  f.Minute = "hh:nn";
  f.DayAndHour = "d/m/yy hh:nn";
  f.Second = "hh:nn:ss";
  f.MilliSecond = "s.fff";
  return f;
}

// Width estimate of the 12-point label font along a horizontal axis.
float Extent12(const std::string& t, double) {
  return float(t.size() * 12 * 1.6);
}

TEST(RtAxisMathTest, OneMinuteOn480PixelsTakesRow13) {
  ScopedFormatSettings fs(TFormatSettings::FromLocale("C"));
  const double t0 = EncodeDateTime(2026, 12, 9, 10, 0, 0);
  const TRtDtParameters p =
      RtCalculateDtParameters(t0, t0 + 1.0 / 1440, 480, 1, Formats(), Extent12);
  EXPECT_EQ(p.Row, 13);
  EXPECT_EQ(p.MajorRgn, TRtDtRegion::Second);
  EXPECT_EQ(p.MinorRgn, TRtDtRegion::Second);
  EXPECT_EQ(p.LabelMod, 30);
  EXPECT_EQ(p.MajorMod, 10);
  EXPECT_EQ(p.Increment, 2);
  EXPECT_EQ(p.Format, "hh:nn:ss");
  // Labels every 30 s: three of them; minor ticks every 2 s.
  const auto ticks = RtDateTimeTicks(t0, t0 + 1.0 / 1440, 1.0 / 1440 / 480, p);
  std::vector<std::string> labels;
  for (const TRtTick& t : ticks)
    if (t.Major && t.Label) labels.push_back(RtDateTimeTickText(p, t.Value));
  EXPECT_EQ(labels, (std::vector<std::string>{"10:00:00", "10:00:30", "10:01:00"}));
  EXPECT_EQ(ticks.size(), 31u);
  // One pixel less and the three labels no longer fit: row 14 (minutes).
  EXPECT_EQ(RtCalculateDtParameters(t0, t0 + 1.0 / 1440, 461, 1, Formats(), Extent12).Row, 14);
}

TEST(RtAxisMathTest, MinuteLabelsTurnIntoDayAndHourAboveOneDay) {
  ScopedFormatSettings fs(TFormatSettings::FromLocale("C"));
  const double t0 = EncodeDateTime(2026, 12, 9);
  const TRtDtParameters one = RtCalculateDtParameters(t0, t0 + 1, 1e6, 1, Formats(), Extent12);
  EXPECT_EQ(one.Row, 15);
  EXPECT_EQ(one.Format, "hh:nn");
  const TRtDtParameters more =
      RtCalculateDtParameters(t0, t0 + 1.0001, 1e6, 1, Formats(), Extent12);
  EXPECT_EQ(more.Row, 15);
  EXPECT_EQ(more.Format, "d/m/yy hh:nn");
}

TEST(RtAxisMathTest, WeekTicksMarkSundaysAndLabelEverySecondOne) {
  TRtDtParameters p;
  p.MajorRgn = p.MinorRgn = TRtDtRegion::Day;
  p.MajorMod = 7;
  p.LabelMod = 2;
  p.Increment = 1;
  p.Format = "d/m/yy";
  // Sunday 6 Dec 2026 .. Sunday 3 Jan 2027.
  const double a = EncodeDateTime(2026, 12, 6), b = EncodeDateTime(2027, 1, 3);
  const auto ticks = RtDateTimeTicks(a, b, 1e-3, p);
  ASSERT_EQ(ticks.size(), 29u);
  std::vector<int> labelledSundays;
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    EXPECT_EQ(ticks[i].Major, i % 7 == 0) << i;
    EXPECT_EQ(ticks[i].Label, i % 2 == 0) << i;
    if (ticks[i].Major && ticks[i].Label) labelledSundays.push_back(int(i));
  }
  EXPECT_EQ(labelledSundays, (std::vector<int>{0, 14, 28}));
}

TEST(RtAxisMathTest, TenMonthsOnAShortAxisFallToQuarterRows) {
  ScopedFormatSettings fs(TFormatSettings::FromLocale("C"));
  const double a = EncodeDateTime(2026, 1, 1), b = EncodeDateTime(2026, 11, 1);
  const TRtDtParameters p = RtCalculateDtParameters(a, b, 800, 1, Formats(), Extent12);
  EXPECT_EQ(p.Row, 30);
  EXPECT_EQ(p.Format, "MMM yy");
  std::vector<std::string> labels;
  for (const TRtTick& t : RtDateTimeTicks(a, b, 1e-3, p))
    if (t.Major && t.Label) labels.push_back(RtDateTimeTickText(p, t.Value));
  EXPECT_EQ(labels, (std::vector<std::string>{"Jan 26", "Apr 26", "Jul 26", "Oct 26"}));
  const TRtDtParameters q = RtCalculateDtParameters(a, b, 500, 1, Formats(), Extent12);
  EXPECT_EQ(q.Row, 31);
  labels.clear();
  for (const TRtTick& t : RtDateTimeTicks(a, b, 1e-3, q))
    if (t.Major && t.Label) labels.push_back(RtDateTimeTickText(q, t.Value));
  EXPECT_EQ(labels, (std::vector<std::string>{"Jan 26", "Jul 26"}));
}

TEST(RtAxisMathTest, MillisecondLabelsLoseUpToTwoTrailingZeros) {
  ScopedFormatSettings fs(TFormatSettings::FromLocale("C"));
  TRtDtParameters p;
  p.Format = "s.fff";
  const double t = EncodeDateTime(2026, 12, 9, 10, 0, 5);
  EXPECT_EQ(RtDateTimeTickText(p, RtDateTimeAddMs(t, 120)), "5.12");
  EXPECT_EQ(RtDateTimeTickText(p, RtDateTimeAddMs(t, 100)), "5.1");
  EXPECT_EQ(RtDateTimeTickText(p, t), "5.0");
  EXPECT_EQ(RtFormatDateTimeLabel("s.fff", RtDateTimeAddMs(t, 7)), "5.007");
  EXPECT_EQ(RtFormatDateTimeLabel("s.fff", RtDateTimeAddMs(t, 70)), "5.070");
}

TEST(RtAxisMathTest, CalendarRoundingAlsoBefore1900) {
  TRtDtParameters p;
  p.MinorRgn = TRtDtRegion::Minute;
  p.MajorRgn = TRtDtRegion::Minute;
  p.Increment = 15;
  p.MajorMod = 60;
  const double x = EncodeDateTime(1850, 3, 15, 10, 20, 30, 500);
  EXPECT_EQ(RtRoundDateTime(true, false, x, p), EncodeDateTime(1850, 3, 15, 10, 30));
  EXPECT_EQ(RtRoundDateTime(false, false, x, p), EncodeDateTime(1850, 3, 15, 10, 15));
  EXPECT_EQ(RtRoundDateTime(true, true, x, p), EncodeDateTime(1850, 3, 15, 11, 0));
  EXPECT_EQ(RtRoundDateTime(false, true, x, p), EncodeDateTime(1850, 3, 15, 10, 0));
  // Hours: up past midnight.
  p.MinorRgn = p.MajorRgn = TRtDtRegion::Hour;
  p.Increment = 6;
  EXPECT_EQ(RtRoundDateTime(true, false, EncodeDateTime(1899, 12, 29, 19, 5), p),
            EncodeDateTime(1899, 12, 30));
  EXPECT_EQ(RtRoundDateTime(false, false, EncodeDateTime(1899, 12, 29, 19, 5), p),
            EncodeDateTime(1899, 12, 29, 18));
  // Weeks: to Sundays (24 and 17 Dec 1899 were Sundays).
  p.MinorRgn = p.MajorRgn = TRtDtRegion::Day;
  p.Increment = 1;
  p.MajorMod = 7;
  const double wed = EncodeDateTime(1899, 12, 20, 10);
  EXPECT_EQ(RtRoundDateTime(true, true, wed, p), EncodeDateTime(1899, 12, 24));
  EXPECT_EQ(RtRoundDateTime(false, true, wed, p), EncodeDateTime(1899, 12, 17));
  EXPECT_EQ(RtRoundDateTime(true, false, wed, p), EncodeDateTime(1899, 12, 21));
  // Months within years.
  p.MajorRgn = TRtDtRegion::Year;
  p.MinorRgn = TRtDtRegion::Month;
  p.MajorMod = 12;
  const double march = EncodeDateTime(1850, 3, 15, 10, 20);
  EXPECT_EQ(RtRoundDateTime(true, false, march, p), EncodeDateTime(1850, 4, 1));
  EXPECT_EQ(RtRoundDateTime(false, false, march, p), EncodeDateTime(1850, 3, 1));
  EXPECT_EQ(RtRoundDateTime(true, true, march, p), EncodeDateTime(1851, 1, 1));
  EXPECT_EQ(RtRoundDateTime(false, true, march, p), EncodeDateTime(1850, 1, 1));
  // Years in steps of 5.
  p.MajorRgn = p.MinorRgn = TRtDtRegion::Year;
  p.Increment = 5;
  EXPECT_EQ(RtRoundDateTime(true, false, march, p), EncodeDateTime(1855, 1, 1));
  EXPECT_EQ(RtRoundDateTime(false, false, march, p), EncodeDateTime(1850, 1, 1));
  // The date-time range ends are kept.
  EXPECT_EQ(RtRoundDateTime(false, false, -1e9, p), EncodeDateTime(100, 1, 1));
}

TEST(RtAxisMathTest, LocaleFormatsForDateTimeLabels) {
  TFormatSettings s = TFormatSettings::FromLocale("C");
  s.ShortDateFormat = "dd/mm/yyyy";
  s.ShortTimeFormat = "hh:nn:ss";
  s.LongTimeFormat = "hh:nn:ss";
  s.DecimalSeparator = ",";
  ScopedFormatSettings fs(s);
  const TRtDtFormats f = TRtDtFormats::FromLocale();
  EXPECT_EQ(f.Day, "d/m/yy");
  EXPECT_EQ(f.Minute, "hh:nn");
  EXPECT_EQ(f.DayAndHour, "d/m/yy hh:nn");
  EXPECT_EQ(f.Second, "hh:nn:ss");
  EXPECT_EQ(f.MilliSecond, "s,fff");
}

}  // namespace
