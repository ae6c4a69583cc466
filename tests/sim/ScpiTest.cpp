// The SCPI message parser the simulated instruments share.
#include <gtest/gtest.h>

#include <locale>

#include "sim/Scpi.h"
#include "tests/support/ScopedLocale.h"

namespace {

using namespace sim::scpi;

TEST(Scpi, UnitsSplitAtSemicolonsOutsideQuotesAndLists) {
  auto units = SplitUnits(":A 'x;y';:B \"p;q\", (@1;2) ;*RST;");
  ASSERT_EQ(units.size(), 3u);
  EXPECT_EQ(units[0], ":A 'x;y'");
  EXPECT_EQ(units[1], ":B \"p;q\", (@1;2)");
  EXPECT_EQ(units[2], "*RST");
}

TEST(Scpi, HeadersAndParameterKinds) {
  Unit u;
  ASSERT_EQ(ParseUnit(":sens:FUNC:on \"VOLT:DC\", 'CURR:DC' ", u), 0);
  EXPECT_TRUE(u.Absolute);
  EXPECT_FALSE(u.Query);
  EXPECT_EQ(u.Nodes, (std::vector<std::string>{"SENS", "FUNC", "ON"}));
  ASSERT_EQ(u.Params.size(), 2u);
  EXPECT_EQ(u.Params[0].Kind, ParamKind::String);
  EXPECT_EQ(u.Params[0].Text, "VOLT:DC");
  EXPECT_EQ(u.Params[1].Text, "CURR:DC");

  ASSERT_EQ(ParseUnit("SOUR:CURR:LEV -2.5E-6", u), 0);
  EXPECT_FALSE(u.Absolute);
  ASSERT_EQ(u.Params.size(), 1u);
  EXPECT_EQ(u.Params[0].Kind, ParamKind::Numeric);
  EXPECT_DOUBLE_EQ(u.Params[0].Number, -2.5e-6);

  ASSERT_EQ(ParseUnit(":ROUT:CLOSE (@2,4:6)", u), 0);
  EXPECT_EQ(u.Params[0].Kind, ParamKind::ChannelList);
  EXPECT_EQ(u.Params[0].Channels, (std::vector<int>{2, 4, 5, 6}));

  ASSERT_EQ(ParseUnit(":FORM:ELEM volt,CURR ", u), 0);
  ASSERT_EQ(u.Params.size(), 2u);
  EXPECT_EQ(u.Params[0].Kind, ParamKind::Character);
  EXPECT_EQ(u.Params[0].Text, "VOLT");

  ASSERT_EQ(ParseUnit("*idn?", u), 0);
  EXPECT_TRUE(u.Common);
  EXPECT_TRUE(u.Query);
  EXPECT_EQ(u.Nodes, (std::vector<std::string>{"*IDN"}));

  ASSERT_EQ(ParseUnit(":SENS:CURR:PROT? MAX", u), 0);
  EXPECT_TRUE(u.Query);
  EXPECT_EQ(u.Params[0].Text, "MAX");

  ASSERT_EQ(ParseUnit("*SRE #H10", u), 0);
  EXPECT_DOUBLE_EQ(u.Params[0].Number, 16);
}

class ScpiCase : public ::testing::TestWithParam<const char*> {};

TEST_P(ScpiCase, HeadersMatchWithoutRegardToCaseUnderEveryLocale) {
  ScopedLocale locale(GetParam());
  ASSERT_TRUE(locale.Ok());
  Unit u;
  ASSERT_EQ(ParseUnit("*idn?", u), 0);
  EXPECT_EQ(u.Nodes, (std::vector<std::string>{"*IDN"}));
  ASSERT_EQ(ParseUnit(":syst:frswitch?", u), 0);
  EXPECT_EQ(u.Nodes, (std::vector<std::string>{"SYST", "FRSWITCH"}));
  ASSERT_EQ(ParseUnit(":init:cont off", u), 0);
  EXPECT_EQ(u.Nodes, (std::vector<std::string>{"INIT", "CONT"}));
  EXPECT_EQ(u.Params[0].Text, "OFF");
  ASSERT_EQ(ParseUnit("*sre #h10", u), 0);
  EXPECT_DOUBLE_EQ(u.Params[0].Number, 16);
}

INSTANTIATE_TEST_SUITE_P(Locales, ScpiCase, ::testing::ValuesIn(kCaseTestLocales), LocaleParamName);

TEST(Scpi, MalformedUnitsGiveTheirErrors) {
  Unit u;
  EXPECT_EQ(ParseUnit(":SOUR::CURR 1", u), err::SyntaxError);
  EXPECT_EQ(ParseUnit(":SOUR:CURR 'open", u), err::InvalidStringData);
  EXPECT_EQ(ParseUnit(":SOUR:CURR 1,,2", u), err::SyntaxError);
  EXPECT_EQ(ParseUnit(":SOUR:CURR 1mA", u), err::InvalidSuffix);
  EXPECT_EQ(ParseUnit(":SOUR:CURR 1.2.3", u), err::NumericDataError);
}

TEST(Scpi, MnemonicsMatchTheirShortAndLongFormsOnly) {
  EXPECT_TRUE(MnemonicMatches("SOURce", "sour"));
  EXPECT_TRUE(MnemonicMatches("SOURce", "SOURCE"));
  EXPECT_TRUE(MnemonicMatches("SOURce", "Source"));
  EXPECT_TRUE(MnemonicMatches("SENSe", "SENS1"));
  EXPECT_FALSE(MnemonicMatches("SOURce", "SOU"));
  EXPECT_FALSE(MnemonicMatches("SOURce", "SOURC"));
  EXPECT_TRUE(MnemonicMatches("FRSWitch", "FRSW"));
  EXPECT_EQ(ShortForm("FIXed"), "FIX");
}

TEST(Scpi, PatternsWithOptionalNodes) {
  Pattern p("[:SENSe]:CURRent[:DC]:PROTection[:LEVel]");
  EXPECT_TRUE(p.Matches({"SENS", "CURR", "PROT"}));
  EXPECT_TRUE(p.Matches({"CURR", "PROT"}));
  EXPECT_TRUE(p.Matches({"SENSE", "CURRENT", "DC", "PROTECTION", "LEVEL"}));
  EXPECT_FALSE(p.Matches({"SENS", "CURR"}));
  EXPECT_FALSE(p.Matches({"SENS", "VOLT", "PROT"}));
  EXPECT_FALSE(p.Matches({"SENS", "CURR", "PROT", "LEV", "X"}));
}

struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(Scpi, ReplyNumbersIgnoreTheProcessLocale) {
  std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  EXPECT_EQ(FormatExponent(0.123456, 6), "+1.234560E-01");
  EXPECT_EQ(FormatExponent(-2e-3, 6), "-2.000000E-03");
  EXPECT_EQ(FormatExponent(1.23456789e-3, 8), "+1.23456789E-03");
  EXPECT_EQ(FormatExponent(9.9e37, 8), "+9.90000000E+37");
  Unit u;
  EXPECT_EQ(ParseUnit(":X 0.5", u), 0);
  EXPECT_DOUBLE_EQ(u.Params[0].Number, 0.5);
  std::locale::global(old);
}

}  // namespace
