// The scheduler's tick decisions without a window: which of its states a tick is in, what the
// tick does, and the log lines it writes.
#include <gtest/gtest.h>

#include <cmath>

#include "app/CycleScheduler.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

using Lines = std::vector<std::string>;

constexpr TDateTime kNow = 45430.5;  // 17 May 2024, noon

TTickInput Idle() {
  TTickInput in;
  in.ThreadRunning = false;
  in.DataTreated = true;
  in.Now = kNow;
  in.LastCycleReadTime = 0;
  in.AbandonAfterMs = 120000;
  return in;
}

TTickInput Running(int64_t elapsedMs, const std::string& lastLine) {
  TTickInput in = Idle();
  in.ThreadRunning = true;
  in.DataTreated = false;
  in.RunningCycle = 7;
  in.CycleElapsedMs = elapsedMs;
  in.LastLogLine = lastLine;
  return in;
}

TEST(CycleScheduler, FirstTickAfterStartStartsACycleAtOnce) {
  TCycleScheduler s;
  const TTickDecision d = s.Tick(Idle());
  EXPECT_EQ(d.Action, TTickAction::StartCycle);
  EXPECT_FALSE(d.AppendDot);
  EXPECT_TRUE(d.LogLines.empty());
}

TEST(CycleScheduler, RunningCycleShowsProgressDots) {
  TCycleScheduler s;
  TTickDecision d = s.Tick(Running(250, "Apply current        : 8 mA"));
  EXPECT_EQ(d.Action, TTickAction::ShowProgress);
  EXPECT_FALSE(d.AppendDot);
  EXPECT_EQ(d.LogLines, (Lines{"", "Communicating with instruments..."}));
  d = s.Tick(Running(500, "Communicating with instruments..."));
  EXPECT_EQ(d.Action, TTickAction::ShowProgress);
  EXPECT_TRUE(d.AppendDot);
  EXPECT_TRUE(d.LogLines.empty());
  // Any line ending in "..." gets the dots, also a delay line left from before.
  d = s.Tick(Running(750, "Delay due sampling speed limit...."));
  EXPECT_TRUE(d.AppendDot);
  d = s.Tick(Running(750, "Delay due sampling speed limit.."));
  EXPECT_FALSE(d.AppendDot);
  EXPECT_EQ(d.LogLines, (Lines{"", "Communicating with instruments..."}));
}

TEST(CycleScheduler, CycleIsAbandonedOnlyPastItsBound) {
  TCycleScheduler s;
  EXPECT_EQ(s.Tick(Running(120000, "x...")).Action, TTickAction::ShowProgress);
  const TTickDecision d = s.Tick(Running(120001, "x..."));
  EXPECT_EQ(d.Action, TTickAction::AbandonCycle);
  EXPECT_FALSE(d.AppendDot);
  EXPECT_EQ(d.LogLines, (Lines{"", "Cycle 7 abandoned: no results after 120 s."}));
  TTickInput never = Running(10000000, "x...");
  never.AbandonAfterMs = 0;
  EXPECT_EQ(s.Tick(never).Action, TTickAction::ShowProgress);
}

TEST(CycleScheduler, AbandonTextShowsFractionsOfASecond) {
  ScopedFormatSettings point;
  TFormatSettings fs = FormatSettings();
  fs.DecimalSeparator = ".";
  SetFormatSettings(fs);
  EXPECT_EQ(AbandonedText(3, 400), "Cycle 3 abandoned: no results after 0.4 s.");
}

TEST(CycleScheduler, HandedBackResultsArePresentedEvenWhileTheDelayRuns) {
  TCycleScheduler s;
  TTickInput in = Idle();
  in.DataTreated = false;
  in.LastCycleReadTime = kNow;
  in.LoopDelaySeconds = 10;
  EXPECT_EQ(s.Tick(in).Action, TTickAction::PresentResults);
  EXPECT_TRUE(s.Tick(in).LogLines.empty());
}

TEST(CycleScheduler, LoopDelayCountsFromTheLastMeasurementUpToItsEndExactly) {
  TCycleScheduler s;
  TTickInput in = Idle();
  in.LastCycleReadTime = kNow - 9.0 / 86400;
  in.LoopDelaySeconds = 10;
  in.LastLogLine = "Apply current        : 8 mA";
  TTickDecision d = s.Tick(in);
  EXPECT_EQ(d.Action, TTickAction::ShowDelay);
  EXPECT_FALSE(d.AppendDot);
  EXPECT_EQ(d.LogLines, (Lines{"Delay due sampling speed limit..."}));  // no empty line before
  in.LastLogLine = "Delay due sampling speed limit...";
  d = s.Tick(in);
  EXPECT_TRUE(d.AppendDot);
  EXPECT_TRUE(d.LogLines.empty());
  in.LastLogLine = "Delay due sampling speed limit";  // the first 30 characters decide
  EXPECT_TRUE(s.Tick(in).AppendDot);
  in.LastLogLine = "Delay due sampling speed limi";
  EXPECT_FALSE(s.Tick(in).AppendDot);

  const TDateTime due = in.LastCycleReadTime + 10.0 / 86400;
  in.Now = std::nextafter(due, 0.0);
  EXPECT_EQ(s.Tick(in).Action, TTickAction::ShowDelay);
  in.Now = due;
  EXPECT_EQ(s.Tick(in).Action, TTickAction::StartCycle);
}

TEST(CycleScheduler, NoCycleStartsWhileAnAbandonedWorkerRunsAndTheWaitIsLoggedOnce) {
  TCycleScheduler s;
  TTickInput in = Idle();
  in.AbandonedCycle = 3;
  TTickDecision d = s.Tick(in);
  EXPECT_EQ(d.Action, TTickAction::AwaitAbandoned);
  EXPECT_EQ(d.LogLines, (Lines{"Cycle 3 was abandoned but still runs; the next cycle starts "
                               "when it has ended."}));
  for (int i = 0; i < 3; ++i) {
    d = s.Tick(in);
    EXPECT_EQ(d.Action, TTickAction::AwaitAbandoned);
    EXPECT_TRUE(d.LogLines.empty());
    EXPECT_FALSE(d.AppendDot);
  }
  in.AbandonedCycle = 0;
  EXPECT_EQ(s.Tick(in).Action, TTickAction::StartCycle);
  // A later abandoned cycle is announced again.
  in.AbandonedCycle = 9;
  d = s.Tick(in);
  EXPECT_EQ(d.Action, TTickAction::AwaitAbandoned);
  ASSERT_EQ(d.LogLines.size(), 1u);
  EXPECT_EQ(d.LogLines[0].rfind("Cycle 9 was abandoned", 0), 0u);
}

TEST(CycleScheduler, LoopDelayRunsBeforeTheWaitForAnAbandonedWorker) {
  TCycleScheduler s;
  TTickInput in = Idle();
  in.AbandonedCycle = 3;
  in.LastCycleReadTime = kNow;
  in.LoopDelaySeconds = 5;
  EXPECT_EQ(s.Tick(in).Action, TTickAction::ShowDelay);
}

}  // namespace
