#include "common/_Common2.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ScopedLocale.h"

// ---------------------------------------------------------------------------------------------
// TryParseNumber

namespace {

bool Parses(const std::string& text, double expected) {
  double v = -999;
  return TryParseNumber(text, v) && v == expected;
}

bool Rejects(const std::string& text) {
  double v = 42.5;
  return !TryParseNumber(text, v) && v == 42.5;
}

}  // namespace

TEST(TryParseNumber, PlainAndScientific) {
  EXPECT_TRUE(Parses("0", 0));
  EXPECT_TRUE(Parses("1.5", 1.5));
  EXPECT_TRUE(Parses("-0.001", -0.001));
  EXPECT_TRUE(Parses("+3", 3));
  EXPECT_TRUE(Parses(".5", 0.5));
  EXPECT_TRUE(Parses("5.", 5));
  EXPECT_TRUE(Parses("1e3", 1000));
  EXPECT_TRUE(Parses("2.5E-6", 2.5e-6));
  EXPECT_TRUE(Parses("+1.234560E-01", 0.123456));
  EXPECT_TRUE(Parses("-9.910000E+37", -9.91e37));
  EXPECT_TRUE(Parses("1E+2", 100));
}

TEST(TryParseNumber, CommaIsReadAsPoint) {
  EXPECT_TRUE(Parses("1,5", 1.5));
  EXPECT_TRUE(Parses("-2,5E-3", -2.5e-3));
  EXPECT_TRUE(Rejects("1,234.5"));
}

TEST(TryParseNumber, TrimsBlanksAndControlCharacters) {
  EXPECT_TRUE(Parses("  1.25  ", 1.25));
  EXPECT_TRUE(Parses("+1.234560E-01\r\n", 0.123456));
  EXPECT_TRUE(Parses("\t\x01 -7\x1f", -7));
  EXPECT_TRUE(Parses(std::string("3.5\0\0", 5), 3.5));
  EXPECT_TRUE(Rejects("1 2"));
  EXPECT_TRUE(
      Rejects(std::string("1\0"
                          "2",
                          3)));
}

TEST(TryParseNumber, FailureLeavesValueUnchanged) {
  EXPECT_TRUE(Rejects(""));
  EXPECT_TRUE(Rejects(" \r\n"));
  EXPECT_TRUE(Rejects("abc"));
  EXPECT_TRUE(Rejects("1.2.3"));
  EXPECT_TRUE(Rejects("1e999"));
  EXPECT_TRUE(Rejects("-1e999"));
  EXPECT_TRUE(Rejects("1e"));
  EXPECT_TRUE(Rejects("e5"));
  EXPECT_TRUE(Rejects("."));
  EXPECT_TRUE(Rejects("+"));
  EXPECT_TRUE(Rejects("-"));
  EXPECT_TRUE(Rejects("++1"));
  EXPECT_TRUE(Rejects("+-1"));
  EXPECT_TRUE(Rejects("--1"));
  EXPECT_TRUE(Rejects("0x10"));
  EXPECT_TRUE(Rejects("inf"));
  EXPECT_TRUE(Rejects("nan"));
  EXPECT_TRUE(Rejects("12abc"));
  EXPECT_TRUE(Rejects("+1.0,+2.0"));
  EXPECT_TRUE(Rejects("1.0E-03V"));
}

TEST(TryParseNumber, IndependentOfTheProcessLocale) {
  // scripts/setup.sh generates this locale; under it the C library reads "1,5" and not "1.5".
  ScopedLocale german("de_DE.UTF-8");
  ASSERT_TRUE(german.Ok());
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_TRUE(Parses("1.5", 1.5));
  EXPECT_TRUE(Parses("1,5", 1.5));
  EXPECT_TRUE(Parses("+1.234560E-01", 0.123456));
  EXPECT_TRUE(Parses("-2.5E-6", -2.5e-6));
  EXPECT_TRUE(Rejects("1.2.3"));
  EXPECT_TRUE(Rejects("1 5"));
}

// ---------------------------------------------------------------------------------------------
// AddToLog

namespace {

// Collects delivered lines and the thread each arrived on.
struct Collector {
  std::mutex mutex;
  std::vector<std::string> lines;
  std::vector<std::thread::id> threads;

  TLogSink Sink() {
    return [this](const std::string& line) {
      std::lock_guard lock(mutex);
      lines.push_back(line);
      threads.push_back(std::this_thread::get_id());
    };
  }
  size_t Count() {
    std::lock_guard lock(mutex);
    return lines.size();
  }
};

class Log : public ::testing::Test {
 protected:
  void TearDown() override { SetLogSink({}); }
};

// True when every thread's lines "t<k> <n>" are all present and in increasing n.
::testing::AssertionResult EachThreadInOrder(const std::vector<std::string>& lines, int threads,
                                             int perThread) {
  std::map<int, int> next;
  for (const std::string& line : lines) {
    int t = -1, n = -1;
    if (std::sscanf(line.c_str(), "t%d %d", &t, &n) != 2) continue;
    if (n != next[t]) {
      return ::testing::AssertionFailure()
             << "thread " << t << ": got line " << n << ", expected " << next[t];
    }
    ++next[t];
  }
  for (int t = 0; t < threads; ++t) {
    if (next[t] != perThread) {
      return ::testing::AssertionFailure()
             << "thread " << t << ": " << next[t] << " of " << perThread << " lines";
    }
  }
  return ::testing::AssertionSuccess();
}

std::vector<std::thread> StartWriters(int threads, int perThread) {
  std::vector<std::thread> writers;
  for (int t = 0; t < threads; ++t) {
    writers.emplace_back([t, perThread] {
      for (int n = 0; n < perThread; ++n)
        AddToLog("t" + std::to_string(t) + " " + std::to_string(n));
    });
  }
  return writers;
}

}  // namespace

TEST_F(Log, LinesWithoutSinkAreDropped) {
  SetLogSink({});
  AddToLog("lost on main");
  std::thread([] { AddToLog("lost on worker"); }).join();
  Collector c;
  SetLogSink(c.Sink());
  FlushLog();
  EXPECT_EQ(c.Count(), 0u);
}

TEST_F(Log, RemovingTheSinkDropsQueuedLines) {
  Collector c;
  SetLogSink(c.Sink());
  std::thread([] { AddToLog("queued"); }).join();
  SetLogSink({});
  SetLogSink(c.Sink());
  FlushLog();
  EXPECT_EQ(c.Count(), 0u);
}

TEST_F(Log, SinkThreadLinesArriveAtOnce) {
  Collector c;
  SetLogSink(c.Sink());
  AddToLog("one");
  ASSERT_EQ(c.Count(), 1u);
  AddToLog("two");
  EXPECT_EQ(c.lines, (std::vector<std::string>{"one", "two"}));
}

TEST_F(Log, WorkerLinesArriveInOrderOnTheSinkThreadAfterFlush) {
  Collector c;
  SetLogSink(c.Sink());
  auto writers = StartWriters(3, 500);
  for (int i = 0; i < 50; ++i) AddToLog("main " + std::to_string(i));
  for (auto& w : writers) w.join();
  FlushLog();
  ASSERT_EQ(c.Count(), 3u * 500 + 50);
  EXPECT_TRUE(EachThreadInOrder(c.lines, 3, 500));
  EXPECT_EQ(std::count(c.threads.begin(), c.threads.end(), std::this_thread::get_id()),
            std::ptrdiff_t(c.threads.size()));
}

TEST_F(Log, QueuedLinesComeBeforeALaterLineOfTheSinkThread) {
  Collector c;
  SetLogSink(c.Sink());
  std::thread([] { AddToLog("worker"); }).join();
  AddToLog("main");
  EXPECT_EQ(c.lines, (std::vector<std::string>{"worker", "main"}));
}

TEST_F(Log, ASinkThatLogsKeepsEachThreadsOrder) {
  // While the sink handles the first queued line, another worker line is queued and the sink
  // itself logs; the queued lines must still come out in their thread's order.
  std::vector<std::string> got;
  bool inner = false;
  SetLogSink([&](const std::string& line) {
    got.push_back(line);
    if (line == "t0 0" && !inner) {
      inner = true;
      std::thread([] { AddToLog("t0 3"); }).join();
      AddToLog("from sink");
    }
  });
  std::thread([] {
    AddToLog("t0 0");
    AddToLog("t0 1");
    AddToLog("t0 2");
  }).join();
  FlushLog();
  ASSERT_EQ(got.size(), 5u);
  EXPECT_TRUE(EachThreadInOrder(got, 1, 4));
}

namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "test_Common2";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  return *app;
}

}  // namespace

TEST_F(Log, WorkerLinesArriveThroughTheEventLoop) {
  App();
  Collector c;
  SetLogSink(c.Sink());
  auto writers = StartWriters(3, 300);
  const size_t total = 3 * 300;

  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (c.Count() >= total) loop.quit();
  });
  poll.start(5);
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);  // bound
  loop.exec();
  for (auto& w : writers) w.join();
  // The writers may have finished after the loop ended only if the bound was hit.
  ASSERT_EQ(c.Count(), total);
  EXPECT_TRUE(EachThreadInOrder(c.lines, 3, 300));
  EXPECT_EQ(std::count(c.threads.begin(), c.threads.end(), std::this_thread::get_id()),
            std::ptrdiff_t(c.threads.size()));
}

TEST_F(Log, LinesGoOnlyToTheThreadThatInstalledTheSink) {
  App();
  Collector c;
  std::thread::id ownerId;
  // The owner installs the sink, a worker logs, then the main thread's event loop runs and
  // finally the owner flushes: every line must have arrived on the owner thread.
  std::mutex m;
  std::condition_variable cv;
  int stage = 0;
  std::thread owner([&] {
    ownerId = std::this_thread::get_id();
    SetLogSink(c.Sink());
    {
      std::unique_lock lock(m);
      stage = 1;
      cv.notify_all();
      cv.wait(lock, [&] { return stage == 2; });
    }
    FlushLog();
    SetLogSink({});
  });
  {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return stage == 1; });
  }
  std::thread([] {
    for (int n = 0; n < 20; ++n) AddToLog("t0 " + std::to_string(n));
  }).join();
  QCoreApplication::processEvents();
  {
    std::lock_guard lock(m);
    stage = 2;
  }
  cv.notify_all();
  owner.join();
  ASSERT_EQ(c.Count(), 20u);
  EXPECT_TRUE(EachThreadInOrder(c.lines, 1, 20));
  EXPECT_EQ(std::count(c.threads.begin(), c.threads.end(), ownerId),
            std::ptrdiff_t(c.threads.size()));
}
