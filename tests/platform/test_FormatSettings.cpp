#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "tests/support/ScopedFormatSettings.h"

namespace {

TFormatSettings Dot() {
  return TFormatSettings{};
}

TFormatSettings Comma() {
  TFormatSettings fs;
  fs.DecimalSeparator = ",";
  fs.ThousandSeparator = ".";
  fs.DateSeparator = ".";
  fs.TimeSeparator = ".";
  fs.ShortDateFormat = "dd.mm.yyyy";
  fs.LongTimeFormat = "hh:nn:ss";
  fs.LongMonthNames[4] = "Mai";
  fs.ShortMonthNames[4] = "Mai";
  return fs;
}

std::string F(std::string_view picture, double v) {
  return FormatFloat(picture, v, Dot());
}

// Restores the process-wide settings after a test that changes them.
class ProcessSettings : public ::testing::Test {
 protected:
  ScopedFormatSettings saved_;
};

}  // namespace

TEST(FormatFloat, SixOptionalDecimals) {
  EXPECT_EQ(F("0.######", 0), "0");
  EXPECT_EQ(F("0.######", 1.5), "1.5");
  EXPECT_EQ(F("0.######", 0.1234565), "0.123457");
  EXPECT_EQ(F("0.######", 0.0000004), "0");
  EXPECT_EQ(F("0.######", -0.0000004), "0");
  EXPECT_EQ(F("0.######", -0.0000005), "-0.000001");
  EXPECT_EQ(F("0.######", 123456789.123456789), "123456789.123457");
  EXPECT_EQ(F("0.######", 1e17), "100000000000000000");
}

TEST(FormatFloat, RoundsTheDecimalValueHalfAwayFromZero) {
  // Binary values just below the half: 9.9995 is 9.99949999..., 1.0005 is 1.000499999...
  EXPECT_EQ(F("0.###", 0.0015), "0.002");
  EXPECT_EQ(F("0.###", 9.9995), "10");
  EXPECT_EQ(F("0.###", -9.9995), "-10");
  EXPECT_EQ(F("0.###", 1.0005), "1.001");
  EXPECT_EQ(F("0.###", 0.0005), "0.001");
  EXPECT_EQ(F("0.###", 0.00049), "0");
  EXPECT_EQ(F("0.###", -0.0004), "0");
  EXPECT_EQ(F("0.###", 2.5), "2.5");
  EXPECT_EQ(F("0.###", 999.9996), "1000");
  EXPECT_EQ(F("0.#####", 1234.567891), "1234.56789");
  EXPECT_EQ(F("0.#####", 0.000005), "0.00001");
  EXPECT_EQ(F("0.#####", 0.125), "0.125");
  EXPECT_EQ(F("0.##", 0.125), "0.13");
  EXPECT_EQ(F("0.##", -0.125), "-0.13");
}

TEST(FormatFloat, Scientific) {
  EXPECT_EQ(F("0.0000000E+00", 0.0012345), "1.2345000E-03");
  EXPECT_EQ(F("0.0000000E+00", 0), "0.0000000E+00");
  EXPECT_EQ(F("0.0000000E+00", 1), "1.0000000E+00");
  EXPECT_EQ(F("0.0000000E+00", -1234.5), "-1.2345000E+03");
  EXPECT_EQ(F("0.0000000E+00", 9.99999995), "1.0000000E+01");
  EXPECT_EQ(F("0.0000000E+00", 0.12345675), "1.2345675E-01");
  EXPECT_EQ(F("0.0000000E+00", 1.5e-100), "1.5000000E-100");
  EXPECT_EQ(F("0.0000000E+00", -1.5e300), "-1.5000000E+300");
  EXPECT_EQ(F("0.0000000E+00", std::numeric_limits<double>::denorm_min()), "4.9406565E-324");
  EXPECT_EQ(F("0.0000000E+00", std::numeric_limits<double>::max()), "1.7976931E+308");
  // "E-" writes the sign only when negative; the zeros give the least exponent digits.
  EXPECT_EQ(F("0.00E-00", 1234), "1.23E03");
  EXPECT_EQ(F("0.00E-00", 0.01234), "1.23E-02");
  EXPECT_EQ(F("0.0E+0", 1234), "1.2E+3");
  EXPECT_EQ(F("00.0E+00", 1234), "12.3E+02");
}

TEST(FormatFloat, ThousandsGrouping) {
  EXPECT_EQ(F("###,##0.######", 0), "0");
  EXPECT_EQ(F("###,##0.######", 123), "123");
  EXPECT_EQ(F("###,##0.######", 1234), "1,234");
  EXPECT_EQ(F("###,##0.######", 1234567.5), "1,234,567.5");
  EXPECT_EQ(F("###,##0.######", -1234.5), "-1,234.5");
  EXPECT_EQ(F("###,##0.######", 999.9999999), "1,000");
  EXPECT_EQ(F("###,##0.######", 0.0000123), "0.000012");
  EXPECT_EQ(F("#,##0.#", 1234.56), "1,234.6");
  EXPECT_EQ(F("#,##0.#", 999.96), "1,000");
  EXPECT_EQ(F("#,##0.#", 0.04), "0");
  EXPECT_EQ(F("#,##0.#", 1234567), "1,234,567");
  EXPECT_EQ(F("#,##0", 123456789012345678.0), "123,456,789,012,346,000");
  // A "," among the decimals still groups only the integer part.
  EXPECT_EQ(F("0.###,###", 1234.5), "1,234.5");
  EXPECT_EQ(F("0.###,###", 0.1234567), "0.123457");
  EXPECT_EQ(F("0.###,###", -1234567.1234567), "-1,234,567.123457");
  EXPECT_EQ(F("00,000", 5), "00,005");

  TFormatSettings blank;
  blank.ThousandSeparator = " ";
  EXPECT_EQ(FormatFloat("###,##0.######", 1234567.5, blank), "1 234 567.5");
  EXPECT_EQ(FormatFloat("0.###,###", -0.0025, blank), "-0.0025");
  EXPECT_EQ(FormatFloat("#,##0.#", 1e6, blank), "1 000 000");
}

TEST(FormatFloat, OptionalDigitsOnly) {
  EXPECT_EQ(F("#.##", 0), "");
  EXPECT_EQ(F("#.##", 0.5), ".5");
  EXPECT_EQ(F("#.##", 0.001), "");
  EXPECT_EQ(F("#.##", -0.001), "");
  EXPECT_EQ(F("#.##", 1.005), "1.01");
  EXPECT_EQ(F("#.##", 12.345), "12.35");
  EXPECT_EQ(F("#.##", -1.5), "-1.5");
  EXPECT_EQ(F("#.##", 100), "100");
  EXPECT_EQ(F("#.##", 1.999), "2");
}

TEST(FormatFloat, ForcedDigitsLiteralsAndSections) {
  EXPECT_EQ(F("000.00", 1.5), "001.50");
  EXPECT_EQ(F("0.#0", 1.5), "1.50");
  EXPECT_EQ(F("0.0' V'", 1.25), "1.3 V");
  EXPECT_EQ(F("\"U=\"0.0", -2), "-U=2.0");
  EXPECT_EQ(F("0.00;(0.00);'zero'", 1.5), "1.50");
  EXPECT_EQ(F("0.00;(0.00);'zero'", -1.5), "(1.50)");
  EXPECT_EQ(F("0.00;(0.00);'zero'", 0), "zero");
  EXPECT_EQ(F("0.00;(0.00);'zero'", -0.001), "zero");
  EXPECT_EQ(F("0.0;;z", -1), "-1.0");
  EXPECT_EQ(F("0.0';'0", 1), "1.0;0");
  EXPECT_EQ(F("0", -0.0), "0");
  EXPECT_EQ(F("0", 2.5), "3");
  EXPECT_EQ(F("0", -2.5), "-3");
}

TEST(FormatFloat, GeneralFormatFallbacks) {
  EXPECT_EQ(F("", 0.5), "0.5");
  EXPECT_EQ(F("0.###", std::nan("")), "NAN");
  EXPECT_EQ(F("0.###", INFINITY), "INF");
  EXPECT_EQ(F("0.0000000E+00", -INFINITY), "-INF");
  EXPECT_EQ(F("0.###", 1e18), "1E18");
  EXPECT_EQ(F("###,##0", -2.5e20), "-2.5E20");
}

TEST(FormatFloat, DecimalCommaSettings) {
  const TFormatSettings de = Comma();
  EXPECT_EQ(FormatFloat("###,##0.######", 1234567.5, de), "1.234.567,5");
  EXPECT_EQ(FormatFloat("0.0000000E+00", 0.0012345, de), "1,2345000E-03");
  EXPECT_EQ(FormatFloat("0.###", 0.0015, de), "0,002");
  EXPECT_EQ(FormatFloat("#.##", 0.5, de), ",5");
  EXPECT_EQ(FormatFloat("0.###", 12, de), "12");
  TFormatSettings fr = de;
  fr.ThousandSeparator = "\u202f";
  EXPECT_EQ(FormatFloat("#,##0.#", 1234.5, fr), "1\u202f234,5");
}

TEST(FloatToStr, PlainRange) {
  const TFormatSettings fs = Dot();
  EXPECT_EQ(FloatToStr(0.0, fs), "0");
  EXPECT_EQ(FloatToStr(-0.0, fs), "0");
  EXPECT_EQ(FloatToStr(0.0001, fs), "0.0001");
  EXPECT_EQ(FloatToStr(-0.0001, fs), "-0.0001");
  EXPECT_EQ(FloatToStr(0.00009999, fs), "9.999E-5");
  EXPECT_EQ(FloatToStr(0.00001, fs), "1E-5");
  EXPECT_EQ(FloatToStr(999999999999999.0, fs), "999999999999999");
  EXPECT_EQ(FloatToStr(999999999999999.4, fs), "999999999999999");
  EXPECT_EQ(FloatToStr(999999999999999.6, fs), "1E15");
  EXPECT_EQ(FloatToStr(1e15, fs), "1E15");
  EXPECT_EQ(FloatToStr(1234567.0, fs), "1234567");
  EXPECT_EQ(FloatToStr(100.0, fs), "100");
  EXPECT_EQ(FloatToStr(-0.5, fs), "-0.5");
  EXPECT_EQ(FloatToStr(123.456, fs), "123.456");
  EXPECT_EQ(FloatToStr(0.001, fs), "0.001");
}

TEST(FloatToStr, FifteenSignificantDigits) {
  const TFormatSettings fs = Dot();
  EXPECT_EQ(FloatToStr(0.1 + 0.2, fs), "0.3");
  EXPECT_EQ(FloatToStr(1.0 / 3.0, fs), "0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3.0, fs), "0.666666666666667");
  EXPECT_EQ(FloatToStr(1e-5 / 3.0, fs), "3.33333333333333E-6");
  EXPECT_EQ(FloatToStr(3.14159265358979323, fs), "3.14159265358979");
  EXPECT_EQ(FloatToStr(0.1, fs), "0.1");
}

TEST(FloatToStr, ScientificForm) {
  const TFormatSettings fs = Dot();
  EXPECT_EQ(FloatToStr(2.5e-6, fs), "2.5E-6");
  EXPECT_EQ(FloatToStr(5e-5, fs), "5E-5");
  EXPECT_EQ(FloatToStr(-1.5e20, fs), "-1.5E20");
  EXPECT_EQ(FloatToStr(1e-300, fs), "1E-300");
  EXPECT_EQ(FloatToStr(1.7976931348623157e308, fs), "1.79769313486232E308");
  EXPECT_EQ(FloatToStr(std::nan(""), fs), "NAN");
  EXPECT_EQ(FloatToStr(INFINITY, fs), "INF");
  EXPECT_EQ(FloatToStr(-INFINITY, fs), "-INF");
}

TEST(FloatToStr, DecimalComma) {
  const TFormatSettings de = Comma();
  EXPECT_EQ(FloatToStr(0.5, de), "0,5");
  EXPECT_EQ(FloatToStr(2.5e-6, de), "2,5E-6");
  EXPECT_EQ(FloatToStr(1234567.25, de), "1234567,25");
}

// glibc's "%.15g" in the C locale, spelt as the general format spells it: it rounds from the
// binary value and switches to exponent form at the same magnitudes, so it is an independent
// reference for every finite double.
std::string PrintfGeneral(double x, const std::string& separator) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", x);
  std::string s = buf;
  if (s == "-0") s = "0";
  const size_t e = s.find('e');
  std::string mantissa = s.substr(0, e);
  const size_t point = mantissa.find('.');
  if (point != std::string::npos) mantissa.replace(point, 1, separator);
  if (e == std::string::npos) return mantissa;
  const int exponent = std::stoi(s.substr(e + 1));
  return mantissa + "E" + std::to_string(exponent);
}

TEST(FloatToStr, AgreesWithTheCLibraryOnRandomValues) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-320, 308);
  std::uniform_int_distribution<std::uint64_t> bits;
  std::vector<double> values = {0.0,
                                -0.0,
                                1e-4,
                                9.99999999999999e-5,
                                1e15,
                                999999999999999.4,
                                5e-324,
                                -1e-5,
                                0.1,
                                1.0 / 3,
                                2.5,
                                123456.7890123456,
                                1e100,
                                -7.25e-7,
                                std::numeric_limits<double>::max()};
  for (int k = 0; k < 20000; ++k) {
    const double scaled = mantissa(rng) * std::pow(10.0, exponent(rng));
    if (std::isfinite(scaled)) values.push_back(scaled);
    values.push_back(std::round(mantissa(rng) * 1e6) / 1e3);
    double any = 0;
    const std::uint64_t b = bits(rng);
    std::memcpy(&any, &b, sizeof any);
    if (std::isfinite(any)) values.push_back(any);
  }
  for (double x : values) {
    ASSERT_EQ(FloatToStr(x, Dot()), PrintfGeneral(x, ".")) << x;
    ASSERT_EQ(FloatToStr(x, Comma()), PrintfGeneral(x, ",")) << x;
  }
}

TEST(FloatToStr, PrecisionAndExponentDigits) {
  const TFormatSettings fs = Dot();
  EXPECT_EQ(FloatToStr(1234.5678, 15, 1, fs), FloatToStr(1234.5678, fs));
  // Plain below 10^precision, exponent form from there.
  EXPECT_EQ(FloatToStr(999.4, 3, 1, fs), "999");
  EXPECT_EQ(FloatToStr(999.6, 3, 1, fs), "1E3");
  EXPECT_EQ(FloatToStr(1234.5678, 4, 1, fs), "1235");
  EXPECT_EQ(FloatToStr(12345.678, 4, 1, fs), "1.235E4");
  EXPECT_EQ(FloatToStr(12345.678, 4, 4, fs), "1.235E0004");
  EXPECT_EQ(FloatToStr(-1.5e-7, 3, 3, fs), "-1.5E-007");
  EXPECT_EQ(FloatToStr(0.00012345, 2, 1, fs), "0.00012");
  EXPECT_EQ(FloatToStr(1.0 / 3, 18, 1, fs), "0.333333333333333315");
  // Out of range precisions are taken as 1 and 18.
  EXPECT_EQ(FloatToStr(2.6, 0, 1, fs), "3");
  EXPECT_EQ(FloatToStr(1.0 / 3, 40, 1, fs), "0.333333333333333315");
  EXPECT_EQ(FloatToStr(NAN, 4, 4, fs), "NAN");
}

TEST(FloatToStr, AppendsToWhatIsThere) {
  std::string out = "x=";
  AppendFloatToStr(out, -2.5e-6, Comma());
  AppendFloatToStr(out, 0, Comma());
  EXPECT_EQ(out, "x=-2,5E-60");
}

TEST_F(ProcessSettings, InjectedSettingsApplyToFormattingWithoutSettings) {
  SetFormatSettings(Comma());
  EXPECT_EQ(FormatSettings().DecimalSeparator, ",");
  EXPECT_EQ(FormatFloat("###,##0.######", 1234567.5), "1.234.567,5");
  EXPECT_EQ(FloatToStr(0.25), "0,25");
  EXPECT_EQ(FormatDateTime("hh:nn", EncodeDateTime(2024, 5, 17, 14, 35)), "14.35");

  const TFormatSettings& before = FormatSettings();
  SetThousandSeparator(" ");
  EXPECT_EQ(FormatFloat("###,##0.######", 1234567.5), "1 234 567,5");
  EXPECT_EQ(FormatFloat("0.###,###", 1234.5), "1 234,5");
  EXPECT_EQ(FormatSettings().DecimalSeparator, ",");
  // An object handed out earlier is neither changed nor freed.
  EXPECT_EQ(before.ThousandSeparator, ".");
  SetThousandSeparator(" ");
  EXPECT_EQ(&FormatSettings(), &FormatSettings());
}

TEST_F(ProcessSettings, ThousandSeparatorSwitchWhileOtherThreadsFormat) {
  TFormatSettings base = Dot();
  SetFormatSettings(base);
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      for (int i = 0; i < 20000 && !stop; ++i) {
        const std::string s = FormatFloat("#,##0.#", 1234567.5);
        if (s != "1,234,567.5" && s != "1 234 567.5") ++bad;
        const TFormatSettings& fs = FormatSettings();
        if (fs.ThousandSeparator != "," && fs.ThousandSeparator != " ") ++bad;
      }
    });
  }
  for (int i = 0; i < 2000; ++i) SetThousandSeparator(i % 2 ? "," : " ");
  stop = true;
  for (auto& r : readers) r.join();
  EXPECT_EQ(bad, 0);
}

TEST(FormatSettingsLocale, NamedLocalesTranslateToPatternLetters) {
  const TFormatSettings de = TFormatSettings::FromLocale("de_DE");
  EXPECT_EQ(de.DecimalSeparator, ",");
  EXPECT_EQ(de.ThousandSeparator, ".");
  EXPECT_EQ(de.DateSeparator, ".");
  EXPECT_EQ(de.TimeSeparator, ":");
  EXPECT_EQ(de.ShortDateFormat, "dd.mm.yy");
  EXPECT_EQ(de.LongTimeFormat, "hh:nn:ss");
  EXPECT_EQ(de.LongMonthNames[2], "März");
  EXPECT_EQ(de.LongDayNames[0], "Sonntag");
  const TDateTime t = EncodeDateTime(2024, 5, 17, 14, 35, 7);
  EXPECT_EQ(FormatDateTime("c", t, de), "17.05.24 14:35:07");

  const TFormatSettings us = TFormatSettings::FromLocale("en_US");
  EXPECT_EQ(us.ShortDateFormat, "m/d/yy");
  EXPECT_EQ(us.DateSeparator, "/");
  EXPECT_EQ(FormatDateTime("c", t, us), "5/17/24 2:35:07 PM");
  EXPECT_EQ(FormatDateTime("t", t, us), "2:35 PM");

  const TFormatSettings fi = TFormatSettings::FromLocale("fi_FI");
  EXPECT_EQ(fi.TimeSeparator, ".");
  EXPECT_EQ(fi.DecimalSeparator, ",");
  EXPECT_EQ(FormatDateTime("tt", t, fi), "14.35.07");

  const TFormatSettings c = TFormatSettings::FromLocale("C");
  EXPECT_EQ(c.DecimalSeparator, ".");
  EXPECT_EQ(FormatDateTime("tt", t, c), "14:35:07");
}

TEST(DateTime, EncodesDaysSince1899_12_30) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDateTime(1900, 3, 1), 61.0);
  EXPECT_EQ(EncodeDateTime(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDateTime(2024, 5, 17), 45429.0);
  EXPECT_EQ(EncodeDateTime(2024, 5, 17, 12), 45429.5);
  EXPECT_EQ(EncodeDateTime(2024, 5, 17, 6), 45429.25);
  EXPECT_NEAR(EncodeDateTime(2024, 5, 17, 0, 0, 1) - 45429.0, 1.0 / 86400, 1e-10);
  EXPECT_EQ(EncodeDateTime(2024, 13, 1), EncodeDateTime(2025, 1, 1));
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6), -1.25);
}

TEST(DateTime, EncodeDecodeRoundTripToTheMillisecond) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> year(1900, 2100), month(1, 12), day(1, 28), hour(0, 23),
      minute(0, 59), second(0, 59), ms(0, 999);
  for (int i = 0; i < 20000; ++i) {
    const int y = year(rng), mo = month(rng), d = day(rng), h = hour(rng), mi = minute(rng),
              s = second(rng), z = ms(rng);
    int y2, mo2, d2, h2, mi2, s2, z2;
    DecodeDateTime(EncodeDateTime(y, mo, d, h, mi, s, z), y2, mo2, d2, h2, mi2, s2, z2);
    ASSERT_EQ(std::vector<int>({y, mo, d, h, mi, s, z}),
              std::vector<int>({y2, mo2, d2, h2, mi2, s2, z2}));
  }
  int y, mo, d, h, mi, s, z;
  DecodeDateTime(-1.25, y, mo, d, h, mi, s, z);
  EXPECT_EQ(std::vector<int>({y, mo, d, h, mi}), std::vector<int>({1899, 12, 29, 6, 0}));
  DecodeDateTime(EncodeDateTime(2024, 2, 29, 23, 59, 59, 999), y, mo, d, h, mi, s, z);
  EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, s, z}),
            std::vector<int>({2024, 2, 29, 23, 59, 59, 999}));
}

TEST(DateTime, LastMillisecondNeverShowsHour24) {
  const TFormatSettings fs = Dot();
  const TDateTime midnight = EncodeDateTime(2024, 12, 31);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", midnight + 86399999.6 / 86400000, fs),
            "2025-01-01 00:00:00.000");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", midnight + 86399999.4 / 86400000, fs),
            "2024-12-31 23:59:59.999");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", midnight + 0.99999999, fs), "23:59:59");
}

TEST(DateTime, Patterns) {
  const TFormatSettings fs = Dot();
  const TDateTime t = EncodeDateTime(2024, 5, 17, 14, 35, 7, 7);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd_hh_mm", t, fs), "2024-05-17_14_35");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd_hh", t, fs), "2024-05-17_14");
  EXPECT_EQ(FormatDateTime("hh:mm:ss", t, fs), "14:35:07");
  EXPECT_EQ(FormatDateTime("yy-mm-dd hh:nn:ss:zzz", t, fs), "24-05-17 14:35:07:007");
  EXPECT_EQ(FormatDateTime("HH:MM YYYY", t, fs), "14:35 2024");
  EXPECT_EQ(FormatDateTime("h:n:s.z", EncodeDateTime(2024, 5, 17, 4, 5, 6, 70), fs), "4:5:6.70");
  EXPECT_EQ(FormatDateTime("m/d/yy", t, fs), "5/17/24");
  EXPECT_EQ(FormatDateTime("mmm mmmm ddd dddd", t, fs), "May May Fri Friday");
  EXPECT_EQ(FormatDateTime("dd mm", t, fs), "17 05");
  EXPECT_EQ(FormatDateTime("hh dd mm", t, fs), "14 17 05");
  EXPECT_EQ(FormatDateTime("'hh' \"mm\" hh", t, fs), "hh mm 14");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", t, fs), "2:35 pm");
  EXPECT_EQ(FormatDateTime("h:nn AM/PM", EncodeDateTime(2024, 5, 17, 0, 5), fs), "12:05 AM");
  EXPECT_EQ(FormatDateTime("h:nn a/p", EncodeDateTime(2024, 5, 17, 12, 5), fs), "12:05 p");
  EXPECT_EQ(FormatDateTime("c", t, fs), "17/05/2024 14:35:07");
  EXPECT_EQ(FormatDateTime("c", EncodeDateTime(2024, 5, 17), fs), "17/05/2024");
  EXPECT_EQ(FormatDateTime("ddddd", t, fs), "17/05/2024");
  EXPECT_EQ(FormatDateTime("yyyy", EncodeDateTime(1905, 1, 1), fs), "1905");
  EXPECT_EQ(FormatDateTime("yy", EncodeDateTime(2005, 1, 1), fs), "05");
}

TEST(DateTime, LocaleSeparatorsAndNames) {
  const TFormatSettings de = Comma();
  const TDateTime t = EncodeDateTime(2024, 5, 17, 14, 35, 7, 7);
  EXPECT_EQ(FormatDateTime("hh:nn:ss", t, de), "14.35.07");
  // "/" is written as it stands.
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", t, de), "17/05/2024");
  EXPECT_EQ(FormatDateTime("d. mmmm yyyy", t, de), "17. Mai 2024");
  EXPECT_EQ(FormatDateTime("c", t, de), "17.05.2024 14.35.07");
}

TEST(DateTime, NowIsTheLocalWallClock) {
  const auto local = [](std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          tm.tm_sec);
  };
  const std::time_t before = std::time(nullptr);
  const TDateTime now = Now();
  const std::time_t after = std::time(nullptr);
  EXPECT_GE(now, local(before));
  EXPECT_LT(now, local(after) + 1.0 / 86400);
}
