// The program log's store and view: text round trips, the append-to-last rules, bulk growth,
// the log file with its read-back chunks, and a log file that cannot be written.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/LogFile.h"
#include "app/LogView.h"
#include "tests/app_window/WindowFixture.h"

namespace {

constexpr int kChunk = TLogStore::kLinesPerChunk;

// Line i of the test logs: frame characters, other scripts, and the bytes that end lines.
std::string TestLine(int64_t i) {
  switch (i % 5) {
    case 0:
      return "█ TIME . . . . . . . . .: line " + std::to_string(i) + "       █";
    case 1:
      return "";
    case 2:
      return "As string                : ++spoll\r " + std::to_string(i);
    case 3:
      return std::string("reply ") + '\0' + " with NUL, LF \n and " + std::to_string(i) +
             " µV 日本";
    default:
      return "PID - control " + std::to_string(i);
  }
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Bytes of n resident chunks of test lines, at most.
size_t ChunksBytes(int n) {
  return static_cast<size_t>(n) * (kChunk * (60 + 4) + 64 * 1024);
}

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

TEST(LogStoreFile, OlderChunksLeaveMemoryAndReadBackExactlyThroughASmallCache) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/Userdata/Logs/2026-12-09_17_30.log";
  TLogStore s;
  s.Add("before the file");
  std::string error;
  ASSERT_TRUE(s.OpenFile(path, error)) << error;
  EXPECT_EQ(s.FilePath(), path);
  const int64_t n = 8 * kChunk + 10;  // chunks 0 .. 8; 7 and 8 stay in memory
  for (int64_t i = 1; i < n; ++i) s.Add(TestLine(i));
  s.AppendToLast("...");
  EXPECT_LT(s.MemoryBytes(), ChunksBytes(TLogStore::kResidentChunks));
  EXPECT_EQ(s.ReadBacks(), 0);
  EXPECT_EQ(s.Line(0), "before the file");
  EXPECT_EQ(s.LineText(3), QString::fromStdString(TestLine(3)));
  EXPECT_EQ(s.ReadBacks(), 1);
  for (int64_t i = 1; i + 1 < n; ++i) ASSERT_EQ(s.Line(i), TestLine(i)) << i;
  EXPECT_EQ(s.LastLine(), TestLine(n - 1) + "...");
  // Chunks 0 .. 6 read once each; the cache keeps the last four (3 .. 6).
  EXPECT_EQ(s.ReadBacks(), 7);
  s.Line(6 * kChunk);
  s.Line(3 * kChunk);
  EXPECT_EQ(s.ReadBacks(), 7);
  s.Line(5);  // chunk 0 again: 4 goes, the least recently used
  EXPECT_EQ(s.ReadBacks(), 8);
  s.Line(4 * kChunk);
  EXPECT_EQ(s.ReadBacks(), 9);
  EXPECT_LT(s.MemoryBytes(), ChunksBytes(TLogStore::kResidentChunks + TLogStore::kCachedChunks));

  // Clearing keeps the file; the new lines follow and read back as well.
  s.Clear();
  for (int64_t i = 0; i < 3 * kChunk; ++i) s.Add("after " + std::to_string(i));
  EXPECT_EQ(s.Line(1), "after 1");
  s.FinishFile();
  std::string expected = LogFileLine("before the file");
  for (int64_t i = 1; i < n; ++i) expected += LogFileLine(TestLine(i) + (i + 1 == n ? "..." : ""));
  for (int64_t i = 0; i < 3 * kChunk; ++i) expected += LogFileLine("after " + std::to_string(i));
  const std::string text = ReadAll(path);
  EXPECT_EQ(text, expected);
  // One line of the file per log line: the bytes that end lines are written as their pictures.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), n + 3 * kChunk);
  EXPECT_EQ(LogFileLine(std::string("a\0b\nc\r", 6)), "a␀b␊c␍\n");
  EXPECT_EQ(LogLineFromFile("a␀b␊c␍ ␉"), std::string("a\0b\nc\r ␉", 10));
}

TEST(LogStoreFile, SecondRunOfTheSameMinuteGetsAFileOfItsOwn) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/Logs/2026-12-09_17_30.log";
  TLogStore a, b;
  std::string error;
  ASSERT_TRUE(a.OpenFile(path, error)) << error;
  ASSERT_TRUE(b.OpenFile(path, error)) << error;
  EXPECT_EQ(b.FilePath(), dir.path().toStdString() + "/Logs/2026-12-09_17_30_2.log");
  EXPECT_EQ(LogFilePath("/lab", EncodeDateTime(2026, 12, 9, 7, 5, 30, 0)),
            "/lab/Userdata/Logs/2026-12-09_07_05.log");
}

TEST(LogStoreFile, AnUnwritableFileKeepsEveryLineInMemory) {
  QTemporaryDir dir;
  const std::string blocker = dir.path().toStdString() + "/Userdata";
  std::ofstream(blocker) << "a file where the folder belongs";
  TLogStore noFolder;
  std::string error;
  EXPECT_FALSE(noFolder.OpenFile(blocker + "/Logs/x.log", error));
  EXPECT_TRUE(noFolder.FileFailed());
  EXPECT_EQ(noFolder.FileError(), error);
  EXPECT_EQ(noFolder.FilePath(), "");

  // A full disk: the writes fail once the first chunk is done.
  TLogStore full;
  ASSERT_TRUE(full.OpenFile("/dev/full", error, false)) << error;
  for (TLogStore* s : {&noFolder, &full})
    for (int64_t i = 0; i < 4 * kChunk; ++i) s->Add(TestLine(i));
  EXPECT_TRUE(full.FileFailed());
  EXPECT_EQ(full.FileError(), std::strerror(ENOSPC));
  EXPECT_FALSE(full.Flush());
  for (TLogStore* s : {&noFolder, &full}) {
    EXPECT_GT(s->MemoryBytes(), size_t(4) * kChunk * 20);  // all four chunks
    for (int64_t i = 0; i < 4 * kChunk; ++i) ASSERT_EQ(s->Line(i), TestLine(i)) << i;
    EXPECT_EQ(s->ReadBacks(), 0);
  }
}

TEST(LogView, TellsOnceThatTheLogFileFailed) {
  wintest::App();
  TLogView v;
  std::string error;
  ASSERT_TRUE(v.OpenFile("/dev/full", error, false));
  v.Add("first");
  v.Add("second");
  v.FlushFinished();
  v.Add("third");
  v.FlushFinished();
  QCoreApplication::processEvents();
  ASSERT_EQ(v.Count(), 4);
  EXPECT_EQ(v.Line(2), LogFileFailureText("/dev/full", std::strerror(ENOSPC)));
  EXPECT_EQ(v.Line(0), "first");
  EXPECT_EQ(v.Line(3), "third");
}

}  // namespace
