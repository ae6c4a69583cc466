// The crash journal of a run: every presented row, as its data line, appended to a file in
// "Userdata/Autosave" and made durable before the next cycle starts. A successful autosave
// empties it; an orderly close removes it. A journal that a run left behind (killed, power cut)
// is turned into a data file in "Userdata/Recovered" at the next start.
//
// Crash safety around an autosave: before the autosave writes, the journal gets a marker line
// with the autosave file, its length before the save and the length and hash of the bytes the
// save is to add. Recovery compares the file with the marker: a complete save means the rows
// before the marker are in the autosave file; an incomplete one is cut back to its old length
// and the rows are recovered. So a kill at any moment neither loses nor duplicates a row.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/DataFiles.h"

// ---- Pure parts

// FNV-1a, 64 bits.
uint64_t JournalHash(std::string_view bytes, uint64_t seed = 14695981039346656037ull);

// What an autosave is about to append.
struct TAutosaveIntent {
  std::string File;      // bare name of the autosave file, e.g. "2024-05-17_14.txt"
  bool Creates = false;  // the save creates the file (and writes the header)
  int64_t Offset = 0;    // its length before the save
  int64_t Length = 0;    // bytes the save adds (the header too when it creates the file)
  uint64_t Hash = 0;     // JournalHash of those bytes
  int64_t EndRow = 0;    // rows saved up to, exclusive (the row count after the save)
};

// "#autosave <file> <creates 0|1> <offset> <length> <hash hex> <end row>" and CR LF.
std::string JournalMarkerLine(const TAutosaveIntent& intent);
// A marker line without its CR LF; nullopt when line is none.
std::optional<TAutosaveIntent> ParseJournalMarker(std::string_view line);

// A journal as read back: its complete data lines (with CR LF) and its last marker.
struct TJournalContent {
  std::vector<std::string> Lines;         // in file order
  std::optional<TAutosaveIntent> Marker;  // the last marker, if any
  size_t LinesBeforeMarker = 0;           // how many of Lines precede it
};
// A last line without CR LF (cut by the end of the run) and lines that are not data lines are
// left out.
TJournalContent ParseJournal(std::string_view bytes);

// How an autosave named by a marker ended, from the file now (its length and the bytes from the
// marker's offset, at most the marker's length of them) and the bytes the save was to write as
// the journal rebuilds them (header when it creates the file, then the lines before the marker).
enum class TAutosaveOutcome {
  Complete,  // every byte is there: the rows before the marker are saved
  Partial,   // a prefix, or nothing, is there: cut the file back to the offset
  Unknown,   // the file differs otherwise (or is gone): leave it, recover every row
};
TAutosaveOutcome JudgeAutosave(const TAutosaveIntent& intent, bool fileExists, int64_t fileSize,
                               std::string_view written, std::string_view expected);
// The bytes an autosave marker stands for, rebuilt from the journal.
std::string ExpectedAutosaveBytes(const TJournalContent& journal);

// The rows to recover: all, or those after the marker when its autosave is complete.
std::vector<std::string> RowsToRecover(const TJournalContent& journal, TAutosaveOutcome outcome);

// "2024-05-17_14_35_07" + ".journal" for a run started then; recovered files take the same
// base name with ".txt".
std::string JournalFileName(TDateTime started);
std::string RecoveredFolder(const std::string& baseDir);  // baseDir + "/Userdata/Recovered"
// "Recovered <n> rows of a run that did not close: <path relative to the base folder>"
std::string RecoveredLogLine(size_t rows, const std::string& relativePath);

// ---- The files

using TJournalLog = std::function<void(const std::string& line)>;

// The journal of this run. Opened at the first row; all calls on one thread.
class TRunJournal {
 public:
  TRunJournal(std::string baseDir, TDateTime started, TJournalLog log);
  ~TRunJournal();  // closes, keeps the file
  TRunJournal(const TRunJournal&) = delete;
  TRunJournal& operator=(const TRunJournal&) = delete;

  // Appends the rows not yet in the journal and makes them durable. A failure is logged once
  // (and its end once); the rows stay in memory and are tried again with the next row.
  void Keep(const TDataColumns& columns);
  // Before an autosave of rows firstRow .. count-1 into path.
  void BeginAutosave(const TDataColumns& columns, int firstRow, const std::string& path);
  // After it: on success the journal is emptied, otherwise the marker is taken back.
  void EndAutosave(bool ok, int rowCount);
  // Orderly close with every row saved: the journal goes.
  void Remove();

  const std::string& Path() const { return fPath; }
  int JournaledRows() const { return fRows; }
  bool Failing() const { return fFailing; }

 private:
  bool Open();
  bool WriteDurably(const std::string& bytes, std::string& error);
  void Report(bool ok, const std::string& error);

  std::string fBaseDir;
  std::string fPath;
  TJournalLog fLog;
  int fFd = -1;
  int64_t fSize = 0;  // bytes known to be in the file
  int64_t fBeforeMarker = -1;
  int fRows = 0;  // rows 0 .. fRows-1 are durable in the journal or an autosave file
  bool fFailing = false;
};

// Turns every journal in "Userdata/Autosave" that no running program holds into a data file in
// "Userdata/Recovered" and removes it; logs one line per recovered file (and one per failure).
// Returns the number of rows recovered.
size_t RecoverJournals(const std::string& baseDir, const TJournalLog& log);
