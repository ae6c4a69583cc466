// ASCII letter case under every locale, and the Windows-1252 code page.
#include <gtest/gtest.h>

#include <cctype>

#include "platform/AsciiCase.h"
#include "platform/CodePage1252.h"
#include "tests/support/ScopedLocale.h"

namespace {

class AsciiCaseTest : public ::testing::TestWithParam<const char*> {};

TEST_P(AsciiCaseTest, OnlyAsciiLettersChangeWhateverTheLocale) {
  ScopedLocale locale(GetParam());
  ASSERT_TRUE(locale.Ok());
  EXPECT_EQ(AsciiUpperCase("keithley instruments inc.,model 2000"),
            "KEITHLEY INSTRUMENTS INC.,MODEL 2000");
  EXPECT_EQ(AsciiLowerCase("PROLOGIX GPIB-USB"), "prologix gpib-usb");
  // The neighbours of the letter ranges stay: @ [ ` { and digits.
  EXPECT_EQ(AsciiUpperCase("@[`{az09"), "@[`{AZ09");
  EXPECT_EQ(AsciiLowerCase("@[`{AZ09"), "@[`{az09");
  // UTF-8 bytes are never touched (a dotted capital I, an a with diaeresis).
  EXPECT_EQ(AsciiLowerCase("\xC4\xB0\xC3\x84"), "\xC4\xB0\xC3\x84");
  EXPECT_EQ(AsciiUpperCase("\xC4\xB1\xC3\xA4"), "\xC4\xB1\xC3\xA4");
}

TEST_P(AsciiCaseTest, ComparisonsIgnoreAsciiCaseOnly) {
  ScopedLocale locale(GetParam());
  ASSERT_TRUE(locale.Ok());
  EXPECT_TRUE(AsciiSameText("Keithley Instruments", "KEITHLEY INSTRUMENTS"));
  EXPECT_TRUE(AsciiSameText("", ""));
  EXPECT_FALSE(AsciiSameText("model 2000", "model 2001"));
  EXPECT_FALSE(AsciiSameText("abc", "abcd"));
  EXPECT_FALSE(AsciiSameText("@", "`"));  // 0x40 and 0x60 are not a letter pair
  EXPECT_TRUE(AsciiContainsText("PROLOGIX GPIB-USB Controller version 6.107", "Prologix"));
  EXPECT_TRUE(AsciiContainsText("ibm,200x-scan,0", "200X-SCAN"));
  EXPECT_TRUE(AsciiContainsText("x", ""));
  EXPECT_FALSE(AsciiContainsText("200X-SCA", "200X-SCAN"));
  EXPECT_FALSE(AsciiContainsText("prologi", "Prologix"));
}

INSTANTIATE_TEST_SUITE_P(Locales, AsciiCaseTest, ::testing::ValuesIn(kCaseTestLocales),
                         LocaleParamName);

TEST(TurkishLocale, IsInstalledAndReallyDiffersFromAscii) {
  // What the tests above guard against: under this locale the C library keeps "i" and "I".
  ScopedLocale locale("tr_TR.UTF-8");
  ASSERT_TRUE(locale.Ok());
  EXPECT_NE(std::toupper('i'), 'I');
  EXPECT_NE(std::tolower('I'), 'i');
}

TEST(CodePage1252, FromUtf8) {
  EXPECT_EQ(Utf8ToCp1252("plain ASCII;\r\n"), "plain ASCII;\r\n");
  // Degree-like ordinal, euro, e acute, en dash.
  EXPECT_EQ(Utf8ToCp1252("\xC2\xBA\xE2\x82\xAC\xC3\xA9\xE2\x80\x93x"), "\xBA\x80\xE9\x96x");
  // Every character of the 0x80..0x9F row, and the last one of the code page.
  EXPECT_EQ(Utf8ToCp1252("\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6\xE2\x80\xA0\xE2\x80\xA1"
                         "\xCB\x86\xE2\x80\xB0\xC5\xA0\xE2\x80\xB9\xC5\x92\xC5\xBD"),
            "\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E");
  EXPECT_EQ(
      Utf8ToCp1252("\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2\xE2\x80\x94"
                   "\xCB\x9C\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA\xC5\x93\xC5\xBE\xC5\xB8\xC3\xBF"),
      "\x91\x92\x93\x94\x95\x97\x98\x99\x9A\x9B\x9C\x9E\x9F\xFF");
  // The undefined bytes carry their C1 code points.
  EXPECT_EQ(Utf8ToCp1252("\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"), "\x81\x8D\x8F\x90\x9D");
  // Outside the code page, broken and overlong sequences: "?".
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80|\xC3|\xE2\x82"), "?|?|??");
  EXPECT_EQ(Utf8ToCp1252("\xCE\xA9\xC2\x80\xC0\xAF"),
            "???"
            "?");
}

TEST(CodePage1252, ToUtf8AndBack) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80\xBA\x9F"), "\xE2\x82\xAC\xC2\xBA\xC5\xB8");
}

TEST(CodePage1252, Utf8Validity) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));   // U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above it
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut short
}

}  // namespace
