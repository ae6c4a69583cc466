// The program log's store and view: text round trips, the append-to-last rules, bulk growth.
#include <gtest/gtest.h>

#include "app/LogView.h"
#include "tests/app_window/WindowFixture.h"

namespace {

TEST(LogStore, KeepsAnyTextExactlyAndCountsCharacters) {
  TLogStore s;
  const std::string frame = "  ▄▄▄▓▓▓▓▒░ Instruments ░▒▓▓▓▓▓▓▓▓▓▓▓▄▄▄  ";
  const std::string mixed = "Cell temp. (ºC) → 700 µV \x01 ctrl, 日本, 😀";
  const std::string broken = std::string("bad \xC3 byte \x85 end");
  s.Add("");
  s.Add(frame);
  s.Add(mixed);
  s.Add(broken);
  ASSERT_EQ(s.Count(), 4);
  EXPECT_EQ(s.Line(0), "");
  EXPECT_EQ(s.Line(1), frame);
  EXPECT_EQ(s.Line(2), mixed);
  EXPECT_EQ(s.LineText(1), QString::fromStdString(frame));
  EXPECT_EQ(s.LineText(2), QString::fromStdString(mixed));
  EXPECT_EQ(s.MaxChars(), 42);
  // An invalid byte stands for itself (as Latin-1), the rest of the line survives.
  EXPECT_EQ(s.LineText(3), QString::fromUtf8("bad Ã byte \u0085 end"));
  EXPECT_EQ(s.Line(-1), "");
  EXPECT_EQ(s.Line(4), "");
}

TEST(LogStore, AppendsToTheLastLineAcrossChunkBoundaries) {
  TLogStore s;
  s.AppendToLast("first");  // no line yet: becomes one
  ASSERT_EQ(s.Count(), 1);
  for (int i = 1; i < 10000; ++i) s.Add("line " + std::to_string(i));
  s.AppendToLast("...");
  s.AppendToLast("▀");
  EXPECT_EQ(s.Count(), 10000);
  EXPECT_EQ(s.Line(0), "first");
  EXPECT_EQ(s.Line(4095), "line 4095");
  EXPECT_EQ(s.Line(4096), "line 4096");
  EXPECT_EQ(s.LastLine(), "line 9999...▀");
  EXPECT_EQ(s.Line(9998), "line 9998");
  s.Clear();
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.LastLine(), "");
}

TEST(LogStore, StaysSmallPerLine) {
  TLogStore s;
  const TDataFromThread d;
  const auto frame = StatusFrame(d);
  for (int i = 0; i < 4000; ++i)
    for (const auto& l : frame) s.Add(l);
  // One byte per character plus the line's offset, and a little slack.
  EXPECT_LT(s.MemoryBytes() / static_cast<double>(s.Count()), 60.0);
}

TEST(LogView, SetTextReplacesAndHookSeesFinishedLinesOnce) {
  wintest::App();
  TLogView v;
  std::vector<std::string> seen;
  v.SetLineFinishedHook([&](const std::string& l) { seen.push_back(l); });
  v.Add("a");
  v.Add("Communicating with instruments...");
  v.AppendToLast(".");
  v.Add("b");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], "Communicating with instruments....");
  v.SetText("x\r\ny\nz\n");
  EXPECT_EQ(v.Count(), 3);
  EXPECT_EQ(v.Line(0), "x");
  EXPECT_EQ(v.Line(2), "z");
  v.FlushFinished();
  v.FlushFinished();
  EXPECT_EQ(seen.back(), "z");
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "b"), 1);
  v.SetText("");
  EXPECT_EQ(v.Count(), 0);
}

}  // namespace
