#include "chart/io/RtText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/io/RtColors.h"
#include "chart/io/RtIOErrors.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

TEST(RtText, FloatsAreShortestWithFifteenDigitsAndAPointInAnyLocale) {
  ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
  EXPECT_EQ(FloatToText(1.5), QStringLiteral("1.5"));
  EXPECT_EQ(FloatToText(-2), QStringLiteral("-2"));
  EXPECT_EQ(FloatToText(0.1), QStringLiteral("0.1"));
  EXPECT_EQ(FloatToText(1.0 / 3), QStringLiteral("0.333333333333333"));
  EXPECT_EQ(FloatToText(2.5e-6), QStringLiteral("2.5E-6"));
  EXPECT_EQ(FloatToText(1e15), QStringLiteral("1E15"));
  EXPECT_EQ(FloatToText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("NAN"));
  EXPECT_EQ(FloatToText(-std::numeric_limits<double>::infinity()), QStringLiteral("-INF"));
}

TEST(RtText, FloatsReadBackWithAPointOrTheLocaleSeparator) {
  {
    ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
    EXPECT_EQ(TextToFloat(QStringLiteral("1.5")), 1.5);
    EXPECT_EQ(TextToFloat(QStringLiteral("1,5")), 1.5);
    EXPECT_EQ(TextToFloat(QStringLiteral(" 2.5E-6 ")), 2.5e-6);
  }
  TFormatSettings dot;
  ScopedFormatSettings point(dot);
  EXPECT_EQ(TextToFloat(QStringLiteral("-0.25e+2")), -25);
  EXPECT_EQ(TextToFloat(QStringLiteral(".5")), 0.5);
  EXPECT_EQ(TextToFloat(QStringLiteral("1e-400")), 0);
  EXPECT_TRUE(std::isnan(TextToFloat(QStringLiteral("nan"))));
  EXPECT_EQ(TextToFloat(QStringLiteral("-INF")), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ErrorOf([] { TextToFloat(QStringLiteral("1,5")); }),
            "'1,5' is not a valid floating point value");
  for (const char* bad : {"", "abc", "1.5x", "1e", "+", ".", "1e999", "1 2"})
    EXPECT_THROW(TextToFloat(QString::fromLatin1(bad)), ERtTextConvertError) << bad;
}

TEST(RtText, EveryWrittenFloatReadsBackAsTheSameFifteenDigitValue) {
  for (double x : {0.0, 1.0, -1.0, 0.1, 1e-300, 123456789012345.0, 6.02214076e23, -7.5e-5}) {
    const double back = TextToFloat(FloatToText(x));
    EXPECT_EQ(FloatToText(back), FloatToText(x));
    EXPECT_NEAR(back, x, std::abs(x) * 1e-15);
  }
}

// The largest double's 15 digits round up beyond it; the empty range is written so.
TEST(RtText, LargestDoubleReadsBackFromItsFifteenDigits) {
  const double max = std::numeric_limits<double>::max();
  EXPECT_EQ(FloatToText(max), QStringLiteral("1.79769313486232E308"));
  EXPECT_EQ(TextToFloat(FloatToText(max)), max);
  EXPECT_EQ(TextToFloat(FloatToText(-max)), -max);
  EXPECT_THROW(TextToFloat(QStringLiteral("1.79769313486233E308")), ERtTextConvertError);
  QString list = QStringLiteral("-1.79769313486232E308 1.8E308");
  EXPECT_EQ(ExtractFloat(list), -max);
  EXPECT_THROW(ExtractFloat(list), ERtExtractError);
}

TEST(RtText, SinglesAreTheShortestTextOfTheSingle) {
  EXPECT_EQ(SingleToText(0.1f), QStringLiteral("0.1"));
  EXPECT_EQ(SingleToText(20.0f), QStringLiteral("20"));
  EXPECT_EQ(SingleToText(1.0f / 3), QStringLiteral("0.33333334"));
  EXPECT_EQ(SingleToText(16777217.0f), QStringLiteral("16777216"));
  EXPECT_EQ(SingleToText(2.5e-6f), QStringLiteral("2.5E-6"));
  EXPECT_EQ(SingleToText(-std::numeric_limits<float>::infinity()), QStringLiteral("-INF"));
  for (float x : {0.1f, 1.0f / 3, 3.4028235e38f, 1.1754944e-38f, -7.25f, 123456.79f})
    EXPECT_EQ(static_cast<float>(TextToFloat(SingleToText(x))), x) << x;
}

TEST(RtText, IntegersAndBooleans) {
  EXPECT_EQ(TextToInteger(QStringLiteral("-17")), -17);
  EXPECT_EQ(TextToInteger(QStringLiteral("$FF")), 255);
  EXPECT_EQ(TextToInteger(QStringLiteral("0xFFFFFFFF")), -1);
  EXPECT_EQ(TextToInteger(QStringLiteral("2147483647")), 2147483647);
  EXPECT_THROW(TextToInteger(QStringLiteral("2147483648")), ERtTextConvertError);
  EXPECT_EQ(TextToInteger(QStringLiteral("-2147483648")), -2147483647 - 1);
  EXPECT_EQ(ErrorOf([] { TextToInteger(QStringLiteral("1.5")); }),
            "'1.5' is not a valid integer value");
  EXPECT_EQ(BoolToText(true), QStringLiteral("true"));
  EXPECT_TRUE(TextToBool(QStringLiteral("TRUE")));
  EXPECT_FALSE(TextToBool(QStringLiteral("false")));
  EXPECT_TRUE(TextToBool(QStringLiteral("-1")));
  EXPECT_FALSE(TextToBool(QStringLiteral("0")));
  EXPECT_EQ(ErrorOf([] { TextToBool(QStringLiteral("yes")); }),
            "'yes' is not a valid boolean value");
}

TEST(RtText, ExtractFloatTakesNumbersOffAList) {
  QString t = QStringLiteral("1.5e-3 junk 2");
  EXPECT_EQ(ExtractFloat(t), 0.0015);
  EXPECT_EQ(t, QStringLiteral(" junk 2"));
  EXPECT_EQ(ExtractFloat(t), 2);
  EXPECT_TRUE(t.isEmpty());
  // A leading "E" not followed by a sign or digit goes; one followed by a digit stays and fails.
  QString e = QStringLiteral("E 7");
  EXPECT_EQ(ExtractFloat(e), 7);
  QString e5 = QStringLiteral("E5");
  EXPECT_THROW(ExtractFloat(e5), ERtExtractError);
  // A number ends at the first character that cannot continue it.
  QString dots = QStringLiteral("1.5.25");
  EXPECT_EQ(ExtractFloat(dots), 1.5);
  EXPECT_EQ(ExtractFloat(dots), 0.25);
  QString exp = QStringLiteral("3e+x");
  EXPECT_EQ(ExtractFloat(exp), 3);
  EXPECT_EQ(exp, QStringLiteral("e+x"));
  QString nan = QStringLiteral(" nAn 4");
  EXPECT_TRUE(std::isnan(ExtractFloat(nan)));
  EXPECT_EQ(nan, QStringLiteral(" 4"));
  QString inf = QStringLiteral("-INF");
  EXPECT_EQ(ExtractFloat(inf), -std::numeric_limits<double>::infinity());
}

TEST(RtText, ExtractionFailsWithItsMessageWhenNoNumberIsLeft) {
  QString junk = QStringLiteral(" junk");
  EXPECT_EQ(ErrorOf([&] { ExtractFloat(junk); }), "Error during floating point number extraction");
  // "e" can start a number, so a word holding one is not read around.
  QString word = QStringLiteral("hello 2");
  EXPECT_THROW(ExtractFloat(word), ERtExtractError);
  QString none = QStringLiteral("x");
  EXPECT_EQ(ErrorOf([&] { ExtractInteger(none); }), "Error during integer extraction");
  QString big = QStringLiteral("99999999999");
  EXPECT_THROW(ExtractInteger(big), ERtExtractError);
}

TEST(RtText, ExtractIntegerDropsWhatCannotStartAnInteger) {
  QString t = QStringLiteral("a1 .5 -3");
  EXPECT_EQ(ExtractInteger(t), 1);
  EXPECT_EQ(ExtractInteger(t), 5);
  EXPECT_EQ(ExtractInteger(t), -3);
  EXPECT_TRUE(t.isEmpty());
  QString view = QStringLiteral("10 20");
  qsizetype pos = 0;
  EXPECT_EQ(ExtractInteger(view, pos), 10);
  EXPECT_EQ(pos, 2);
  EXPECT_FALSE(OnlyBlanksFrom(view, pos));
  EXPECT_EQ(ExtractInteger(view, pos), 20);
  EXPECT_TRUE(OnlyBlanksFrom(view, pos));
}

TEST(RtColors, NamedWhenKnownOtherwiseHexAndBackFromEither) {
  EXPECT_EQ(ColorToText(0xFFFF0000u), QStringLiteral("Red"));
  EXPECT_EQ(ColorToText(0xFF008000u), QStringLiteral("Green"));
  EXPECT_EQ(ColorToText(0xFFD3D3D3u), QStringLiteral("LightGray"));
  EXPECT_EQ(ColorToText(0x00FFFFFFu), QStringLiteral("Transparent"));
  EXPECT_EQ(ColorToText(0xFF00FFFFu), QStringLiteral("Aqua"));  // first of Aqua and Cyan
  EXPECT_EQ(ColorToText(0x80FF0000u), QStringLiteral("$80FF0000"));
  EXPECT_EQ(ColorToText(0x0000000Au), QStringLiteral("$0000000A"));
  EXPECT_EQ(TextToColor(QStringLiteral("darkred")), 0xFF8B0000u);
  EXPECT_EQ(TextToColor(QStringLiteral("Cyan")), 0xFF00FFFFu);
  EXPECT_EQ(TextToColor(QStringLiteral("$80ff0000")), 0x80FF0000u);
  EXPECT_THROW(TextToColor(QStringLiteral("Reddish")), ERtTextConvertError);
  EXPECT_EQ(RtKnownColors().size(), 141u);
  for (const TRtNamedColor& c : RtKnownColors())
    EXPECT_EQ(TextToColor(ColorToText(c.Argb)), c.Argb) << c.Name;
}

}  // namespace
