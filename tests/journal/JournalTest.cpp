#include "app/Journal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ScopedFormatSettings.h"

namespace {

namespace fs = std::filesystem;

struct Rows {
  TRtDoubleVector time, seconds, sensor, setpoint, pumpV, pumpI, temperature;
  TDataColumns Columns() const {
    return {&time, &seconds, &sensor, &setpoint, &pumpV, &pumpI, &temperature};
  }
  int Count() const { return time.Count(); }
  void Add(int n) {
    for (int k = 0; k < n; ++k) {
      const double i = Count();
      time.Add(EncodeDateTime(2024, 5, 17, 14) + i / 86400.0);
      seconds.Add(i);
      sensor.Add(0.002 + i * 1e-6);
      setpoint.Add(0.002);
      pumpV.Add(0.4);
      pumpI.Add(0.003);
      temperature.AddOutlier(temperature.Add(0) - 1);
    }
  }
  std::string Line(int i) const { return DataFileLine(Columns(), i); }
  void Clear() {
    for (TRtDoubleVector* v : {&time, &seconds, &sensor, &setpoint, &pumpV, &pumpI, &temperature})
      v->Clear(true);
  }
};

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// The row numbers of the data lines of a file, in order.
std::vector<int> RowNumbers(const std::string& bytes) {
  std::vector<int> out;
  for (const std::string& l : ParseJournal(bytes).Lines) out.push_back(std::stoi(l.substr(0, 20)));
  return out;
}

class JournalFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zk_journal_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    SetDataFileHooks({});
    fs::remove_all(dir_);
  }
  TJournalLog Logger() {
    return [this](const std::string& l) { log_.push_back(l); };
  }
  std::unique_ptr<TRunJournal> NewJournal() {
    return std::make_unique<TRunJournal>(dir_, EncodeDateTime(2024, 5, 17, 14, 35, 7), Logger());
  }
  std::string AutosaveFile() const { return AutosavePath(dir_, Now0()); }
  static TDateTime Now0() { return EncodeDateTime(2024, 5, 17, 14, 40); }
  // An autosave as the window runs it, with the journal around it; kill: stop before the end.
  bool Autosave(TRunJournal& j, bool kill = false) {
    j.BeginAutosave(rows_.Columns(), start_, AutosaveFile());
    const bool ok = ::Autosave(dir_, rows_.Columns(), start_, Now0(), {}).ok;
    if (!kill) j.EndAutosave(ok, rows_.Count());
    return ok;
  }
  std::vector<int> Recover() {
    RecoverJournals(dir_, Logger());
    std::vector<int> all = RowNumbers(Slurp(AutosaveFile()));
    const std::string recovered = RecoveredFolder(dir_) + "/2024-05-17_14_35_07.txt";
    for (int r : RowNumbers(Slurp(recovered))) all.push_back(r);
    return all;
  }
  static std::vector<int> OneTo(int n) {
    std::vector<int> v;
    for (int i = 1; i <= n; ++i) v.push_back(i);
    return v;
  }

  ScopedFormatSettings settings_;
  std::string dir_;
  Rows rows_;
  int start_ = 0;
  std::vector<std::string> log_;
};

TEST(JournalParts, MarkerAndJournalReadBack) {
  TAutosaveIntent in{"2024-05-17_14.txt", true, 0, 1234, 0xfedcba9876543210ull, 57};
  const std::string marker = JournalMarkerLine(in);
  EXPECT_EQ(marker, "#autosave 2024-05-17_14.txt 1 0 1234 fedcba9876543210 57\r\n");
  const auto back = ParseJournalMarker(marker.substr(0, marker.size() - 2));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->File, in.File);
  EXPECT_EQ(back->Hash, in.Hash);
  EXPECT_EQ(back->EndRow, 57);
  EXPECT_FALSE(ParseJournalMarker("#autosave ../x.txt 0 1 2 3 4"));
  EXPECT_FALSE(ParseJournalMarker("#autosave x.txt 0 1 2 3"));

  Rows r;
  r.Add(4);
  // A stale marker, rows, the last marker, a row, a foreign line and a line cut by the kill.
  const std::string bytes = JournalMarkerLine({"a.txt", false, 9, 1, 2, 0}) + r.Line(0) +
                            r.Line(1) + marker + r.Line(2) + "garbage\r\n" +
                            r.Line(3).substr(0, 50);
  const TJournalContent j = ParseJournal(bytes);
  EXPECT_EQ(j.Lines, (std::vector<std::string>{r.Line(0), r.Line(1), r.Line(2)}));
  ASSERT_TRUE(j.Marker);
  EXPECT_EQ(j.Marker->File, "2024-05-17_14.txt");
  EXPECT_EQ(j.LinesBeforeMarker, 2u);
  EXPECT_EQ(RowsToRecover(j, TAutosaveOutcome::Complete), std::vector<std::string>{r.Line(2)});
  EXPECT_EQ(RowsToRecover(j, TAutosaveOutcome::Partial).size(), 3u);
  EXPECT_EQ(ExpectedAutosaveBytes(j), DataFileHeader() + r.Line(0) + r.Line(1));
}

TEST(JournalParts, HowAnAutosaveEnded) {
  const std::string bytes = "0123456789";
  const TAutosaveIntent in{"f.txt", false, 100, 10, JournalHash(bytes), 3};
  using O = TAutosaveOutcome;
  EXPECT_EQ(JudgeAutosave(in, true, 110, bytes, bytes), O::Complete);
  EXPECT_EQ(JudgeAutosave(in, true, 130, bytes, bytes), O::Complete);  // appended after
  EXPECT_EQ(JudgeAutosave(in, true, 104, "0123", bytes), O::Partial);
  EXPECT_EQ(JudgeAutosave(in, true, 100, "", bytes), O::Partial);
  EXPECT_EQ(JudgeAutosave(in, true, 104, "0X23", bytes), O::Unknown);   // not this save's
  EXPECT_EQ(JudgeAutosave(in, true, 104, "0123", "0123"), O::Unknown);  // journal lacks rows
  EXPECT_EQ(JudgeAutosave(in, true, 90, "", bytes), O::Unknown);        // shorter than before
  EXPECT_EQ(JudgeAutosave(in, false, 0, "", bytes), O::Unknown);        // gone
  TAutosaveIntent creates = in;
  creates.Creates = true;
  creates.Offset = 0;
  EXPECT_EQ(JudgeAutosave(creates, false, 0, "", bytes), O::Partial);  // never created
}

// A kill at each point of the autosave sequence: the autosave file and the recovered file
// together hold every row once.
TEST_F(JournalFiles, KillAtEachPointOfAnAutosaveLosesAndDuplicatesNothing) {
  enum Point { BetweenAutosaves, BeforeWriting, HalfWritten, SavedNotEmptied, Emptied };
  for (Point p : {BetweenAutosaves, BeforeWriting, HalfWritten, SavedNotEmptied, Emptied}) {
    SCOPED_TRACE(p);
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    rows_.Clear();
    start_ = 0;
    log_.clear();
    auto j = NewJournal();
    rows_.Add(3);
    j->Keep(rows_.Columns());
    ASSERT_TRUE(Autosave(*j));  // the file exists with rows 1-3
    for (int k = 0; k < 4; ++k) {
      rows_.Add(1);
      j->Keep(rows_.Columns());
    }
    const std::string before = Slurp(AutosaveFile());
    if (p == BeforeWriting || p == HalfWritten) {
      j->BeginAutosave(rows_.Columns(), start_, AutosaveFile());
      if (p == HalfWritten)
        std::ofstream(AutosaveFile(), std::ios::binary | std::ios::app)
            << rows_.Line(3) << rows_.Line(4).substr(0, 30);
    } else if (p == SavedNotEmptied || p == Emptied) {
      ASSERT_TRUE(Autosave(*j, p == SavedNotEmptied));
    }
    j.reset();  // the kill: the descriptor and its lock go
    EXPECT_EQ(Recover(), OneTo(7));
    EXPECT_FALSE(fs::exists(AutosaveFolder(dir_) + "/2024-05-17_14_35_07.journal"));
    const bool rowsLeft = p != SavedNotEmptied && p != Emptied;
    EXPECT_EQ(log_, rowsLeft ? std::vector<std::string>{RecoveredLogLine(
                                   4, "Userdata/Recovered/2024-05-17_14_35_07.txt")}
                             : std::vector<std::string>{});
    if (rowsLeft) {
      const std::string recovered = Slurp(RecoveredFolder(dir_) + "/2024-05-17_14_35_07.txt");
      EXPECT_EQ(recovered,
                DataFileHeader() + rows_.Line(3) + rows_.Line(4) + rows_.Line(5) + rows_.Line(6));
      EXPECT_EQ(Slurp(AutosaveFile()), before);  // the half-written rows were cut back
    }
  }
}

TEST_F(JournalFiles, FullDiskIsReportedOnceAndTheJournalCatchesUp) {
  auto j = NewJournal();
  bool full = false;
  SetDataFileHooks({[&](const std::string&) { return full ? ENOSPC : 0; }, {}, {}});
  rows_.Add(1);
  j->Keep(rows_.Columns());
  full = true;
  for (int k = 0; k < 3; ++k) {
    rows_.Add(1);
    j->Keep(rows_.Columns());
  }
  EXPECT_EQ(j->JournaledRows(), 1);
  full = false;
  rows_.Add(1);
  j->Keep(rows_.Columns());
  EXPECT_EQ(j->JournaledRows(), 5);
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[0],
            "Journal not written: Disk full (2024-05-17_14_35_07.journal); the rows stay in "
            "memory until the next autosave.");
  EXPECT_EQ(log_[1], "Journal written again, no row missing: 2024-05-17_14_35_07.journal");
  EXPECT_EQ(RowNumbers(Slurp(j->Path())), OneTo(5));

  // A failed autosave takes its marker back; the journal keeps every row.
  full = true;
  EXPECT_FALSE(Autosave(*j));
  full = false;
  EXPECT_EQ(Slurp(j->Path()).find("#autosave"), std::string::npos);
  EXPECT_EQ(RowNumbers(Slurp(j->Path())), OneTo(5));
  EXPECT_TRUE(Autosave(*j));
  EXPECT_EQ(Slurp(j->Path()), "");
  j->Remove();
  EXPECT_FALSE(fs::exists(j->Path()));
}

TEST_F(JournalFiles, AJournalOfARunThatIsAliveIsLeftAlone) {
  auto j = NewJournal();
  rows_.Add(2);
  j->Keep(rows_.Columns());
  EXPECT_EQ(RecoverJournals(dir_, Logger()), 0u);
  EXPECT_TRUE(fs::exists(j->Path()));
  // A second run that started in the same second gets a journal of its own.
  auto second = NewJournal();
  second->Keep(rows_.Columns());
  EXPECT_NE(second->Path(), j->Path());
  j.reset();
  second.reset();
  EXPECT_EQ(RecoverJournals(dir_, Logger()), 4u);
  EXPECT_EQ(log_.size(), 2u);
}

}  // namespace
