#include "app/Journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "platform/FileSystem.h"

namespace {

constexpr std::string_view kMarker = "#autosave ";
constexpr std::string_view kJournalExt = ".journal";

// A data line: the row number right-aligned in 20, ";", and the CR LF at the end.
bool IsDataLine(std::string_view line) {
  if (line.size() < 23 || line[20] != ';' || line.substr(line.size() - 2) != "\r\n") return false;
  bool digits = false;
  for (size_t i = 0; i < 20; ++i) {
    const char c = line[i];
    if (c >= '0' && c <= '9')
      digits = true;
    else if (c != ' ' || digits)
      return false;
  }
  return digits;
}

template <typename T>
bool ReadNumber(std::string_view& rest, T& out, int base = 10) {
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), out, base);
  if (ec != std::errc() || end == rest.data()) return false;
  rest.remove_prefix(size_t(end - rest.data()));
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The whole file; false when it cannot be read.
bool ReadAll(int fd, std::string& out) {
  out.clear();
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buf, size_t(n));
  }
}

// At most length bytes of path from offset.
std::string ReadRange(const std::string& path, int64_t offset, int64_t length) {
  std::string out;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return out;
  out.resize(size_t(std::max<int64_t>(length, 0)));
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(fd, out.data() + done, out.size() - done, off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  out.resize(done);
  ::close(fd);
  return out;
}

// Writes all of bytes at the end of fd; errno value or 0.
int WriteAll(int fd, const std::string& path, std::string_view bytes) {
  if (DataFileHooks().WriteError)
    if (const int err = DataFileHooks().WriteError(path)) return err;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : ENOSPC;
    done += size_t(n);
  }
  return 0;
}

// A data file of the given lines with its header, written under a temporary name and renamed
// into place once durable. errno value or 0.
int WriteDataFile(const std::string& path, const std::vector<std::string>& lines) {
  const std::string part = path + ".part";
  const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  std::string bytes = DataFileHeader();
  for (const std::string& l : lines) bytes += l;
  int err = WriteAll(fd, path, bytes);
  if (err == 0 && ::fdatasync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(part.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(part.c_str());
    return err;
  }
  SyncFolder(FolderOf(path));
  return 0;
}

}  // namespace

// ---- Pure parts

uint64_t JournalHash(std::string_view bytes, uint64_t seed) {
  uint64_t h = seed;
  for (const unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string JournalMarkerLine(const TAutosaveIntent& intent) {
  char numbers[128];
  std::snprintf(numbers, sizeof numbers, " %d %" PRId64 " %" PRId64 " %016" PRIx64 " %" PRId64,
                intent.Creates ? 1 : 0, intent.Offset, intent.Length, intent.Hash, intent.EndRow);
  return std::string(kMarker) + intent.File + numbers + "\r\n";
}

std::optional<TAutosaveIntent> ParseJournalMarker(std::string_view line) {
  if (line.substr(0, kMarker.size()) != kMarker) return std::nullopt;
  std::string_view rest = line.substr(kMarker.size());
  const size_t blank = rest.find(' ');
  if (blank == 0 || blank == std::string_view::npos) return std::nullopt;
  TAutosaveIntent in;
  in.File = std::string(rest.substr(0, blank));
  rest.remove_prefix(blank);
  int creates = 0;
  if (!ReadNumber(rest, creates) || (creates != 0 && creates != 1) ||
      !ReadNumber(rest, in.Offset) || !ReadNumber(rest, in.Length) ||
      !ReadNumber(rest, in.Hash, 16) || !ReadNumber(rest, in.EndRow) || !rest.empty())
    return std::nullopt;
  in.Creates = creates == 1;
  if (in.File.find('/') != std::string::npos || in.Offset < 0 || in.Length < 0) return std::nullopt;
  return in;
}

TJournalContent ParseJournal(std::string_view bytes) {
  TJournalContent out;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t lf = bytes.find('\n', pos);
    if (lf == std::string_view::npos) break;  // cut off by the end of the run
    const std::string_view line = bytes.substr(pos, lf + 1 - pos);
    pos = lf + 1;
    if (IsDataLine(line)) {
      out.Lines.emplace_back(line);
    } else if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") {
      if (auto m = ParseJournalMarker(line.substr(0, line.size() - 2))) {
        out.Marker = std::move(m);
        out.LinesBeforeMarker = out.Lines.size();
      }
    }
  }
  return out;
}

std::string ExpectedAutosaveBytes(const TJournalContent& journal) {
  std::string out;
  if (!journal.Marker) return out;
  if (journal.Marker->Creates) out = DataFileHeader();
  for (size_t i = 0; i < journal.LinesBeforeMarker; ++i) out += journal.Lines[i];
  return out;
}

TAutosaveOutcome JudgeAutosave(const TAutosaveIntent& intent, bool fileExists, int64_t fileSize,
                               std::string_view written, std::string_view expected) {
  if (!fileExists) return intent.Creates ? TAutosaveOutcome::Partial : TAutosaveOutcome::Unknown;
  if (fileSize < intent.Offset) return TAutosaveOutcome::Unknown;
  if (int64_t(written.size()) == intent.Length && JournalHash(written) == intent.Hash)
    return TAutosaveOutcome::Complete;
  // Only bytes of this save after the offset: cut back. The journal must know them all.
  const bool knowsBytes =
      int64_t(expected.size()) == intent.Length && JournalHash(expected) == intent.Hash;
  if (knowsBytes && fileSize < intent.Offset + intent.Length &&
      int64_t(written.size()) == fileSize - intent.Offset &&
      expected.substr(0, written.size()) == written)
    return TAutosaveOutcome::Partial;
  return TAutosaveOutcome::Unknown;
}

std::vector<std::string> RowsToRecover(const TJournalContent& journal, TAutosaveOutcome outcome) {
  if (journal.Marker && outcome == TAutosaveOutcome::Complete)
    return {journal.Lines.begin() + std::ptrdiff_t(journal.LinesBeforeMarker), journal.Lines.end()};
  return journal.Lines;
}

std::string JournalFileName(TDateTime started) {
  return FormatDateTime("yyyy-mm-dd_hh_nn_ss", started) + std::string(kJournalExt);
}

std::string RecoveredFolder(const std::string& baseDir) {
  return UserdataFolder(baseDir) + "/Recovered";
}

std::string RecoveredLogLine(size_t rows, const std::string& relativePath) {
  return "Recovered " + std::to_string(rows) + " rows of a run that did not close: " + relativePath;
}

// ---- TRunJournal

TRunJournal::TRunJournal(std::string baseDir, TDateTime started, TJournalLog log)
    : fBaseDir(std::move(baseDir)),
      fPath(AutosaveFolder(fBaseDir) + "/" + JournalFileName(started)),
      fLog(std::move(log)) {}

TRunJournal::~TRunJournal() {
  if (fFd >= 0) ::close(fFd);
}

bool TRunJournal::Open() {
  if (fFd >= 0) return true;
  MakeFolder(UserdataFolder(fBaseDir));
  MakeFolder(AutosaveFolder(fBaseDir));
  // A name of its own: another run that started in the same second has the first.
  std::string path = fPath;
  for (int n = 2; n < 100; ++n) {
    fFd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fFd >= 0 || errno != EEXIST) break;
    path = fPath.substr(0, fPath.size() - kJournalExt.size()) + "_" + std::to_string(n) +
           std::string(kJournalExt);
  }
  if (fFd < 0) {
    Report(false, IoErrorText(errno, BaseNameOf(fPath)));
    return false;
  }
  fPath = path;
  // Held while the run lasts: recovery passes by a journal whose run is alive.
  (void)::flock(fFd, LOCK_EX | LOCK_NB);
  SyncFolder(FolderOf(fPath));
  fSize = 0;
  return true;
}

bool TRunJournal::WriteDurably(const std::string& bytes, std::string& error) {
  int err = WriteAll(fFd, fPath, bytes);
  if (err == 0 && ::fdatasync(fFd) != 0) err = errno;
  if (err == 0) {
    fSize += int64_t(bytes.size());
    return true;
  }
  // Nothing half-written stays behind.
  (void)::ftruncate(fFd, off_t(fSize));
  error = IoErrorText(err, BaseNameOf(fPath));
  return false;
}

void TRunJournal::Report(bool ok, const std::string& error) {
  if (!ok && !fFailing) {
    fFailing = true;
    if (fLog)
      fLog("Journal not written: " + error + "; the rows stay in memory until the next autosave.");
  } else if (ok && fFailing) {
    fFailing = false;
    if (fLog) fLog("Journal written again, no row missing: " + BaseNameOf(fPath));
  }
}

void TRunJournal::Keep(const TDataColumns& columns) {
  const int count = columns.Time ? columns.Time->GetCount() : 0;
  if (fRows >= count || !Open()) return;
  std::string bytes;
  for (int i = fRows; i < count; ++i) bytes += DataFileLine(columns, i);
  std::string error;
  const bool ok = WriteDurably(bytes, error);
  if (ok) fRows = count;
  Report(ok, error);
}

void TRunJournal::BeginAutosave(const TDataColumns& columns, int firstRow,
                                const std::string& path) {
  fBeforeMarker = -1;
  TAutosaveIntent in;
  in.File = BaseNameOf(path);
  struct stat st {};
  in.Creates = ::stat(path.c_str(), &st) != 0;
  in.Offset = in.Creates ? 0 : int64_t(st.st_size);
  const int count = columns.Time ? columns.Time->GetCount() : 0;
  uint64_t hash = JournalHash({});
  if (in.Creates) {
    const std::string header = DataFileHeader();
    in.Length += int64_t(header.size());
    hash = JournalHash(header, hash);
  }
  for (int i = std::max(firstRow, 0); i < count; ++i) {
    const std::string line = DataFileLine(columns, i);
    in.Length += int64_t(line.size());
    hash = JournalHash(line, hash);
  }
  in.Hash = hash;
  in.EndRow = count;
  if (!Open()) return;
  const int64_t before = fSize;
  std::string error;
  const bool ok = WriteDurably(JournalMarkerLine(in), error);
  if (ok)
    fBeforeMarker = before;
  else
    Report(false, error);
}

void TRunJournal::EndAutosave(bool ok, int rowCount) {
  if (ok && DataFileHooks().AfterAutosave) DataFileHooks().AfterAutosave();
  if (fFd < 0) {
    if (ok) fRows = std::max(fRows, rowCount);
    return;
  }
  const int64_t keep = ok ? 0 : fBeforeMarker;
  fBeforeMarker = -1;
  if (keep < 0) return;  // no marker was written
  if (::ftruncate(fFd, off_t(keep)) == 0 && ::fdatasync(fFd) == 0) {
    fSize = keep;
    if (ok) {
      fRows = std::max(fRows, rowCount);
      Report(true, {});
    }
  }
}

void TRunJournal::Remove() {
  if (fFd < 0) return;
  ::unlink(fPath.c_str());
  ::close(fFd);
  fFd = -1;
  SyncFolder(FolderOf(fPath));
}

// ---- Recovery

size_t RecoverJournals(const std::string& baseDir, const TJournalLog& log) {
  namespace fs = std::filesystem;
  const std::string autosave = AutosaveFolder(baseDir);
  std::vector<std::string> journals;
  std::error_code ec;
  for (fs::directory_iterator it(autosave, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > kJournalExt.size() &&
        name.compare(name.size() - kJournalExt.size(), kJournalExt.size(), kJournalExt) == 0)
      journals.push_back(it->path().string());
  }
  std::sort(journals.begin(), journals.end());
  size_t total = 0;
  for (const std::string& path : journals) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    std::string bytes;
    // A journal whose run is alive is locked by it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !ReadAll(fd, bytes)) {
      ::close(fd);
      continue;
    }
    const TJournalContent journal = ParseJournal(bytes);
    TAutosaveOutcome outcome = TAutosaveOutcome::Unknown;
    if (journal.Marker) {
      const TAutosaveIntent& m = *journal.Marker;
      const std::string target = autosave + "/" + m.File;
      struct stat st {};
      const bool exists = ::stat(target.c_str(), &st) == 0;
      const std::string written = exists ? ReadRange(target, m.Offset, m.Length) : std::string();
      outcome = JudgeAutosave(m, exists, exists ? int64_t(st.st_size) : 0, written,
                              ExpectedAutosaveBytes(journal));
      // The cut autosave takes back its part; the journal has those rows.
      if (outcome == TAutosaveOutcome::Partial && exists) {
        const bool cut = m.Creates ? ::unlink(target.c_str()) == 0
                                   : ::truncate(target.c_str(), off_t(m.Offset)) == 0;
        if (!cut) outcome = TAutosaveOutcome::Unknown;
        SyncFolder(autosave);
      }
    }
    const std::vector<std::string> rows = RowsToRecover(journal, outcome);
    if (!rows.empty()) {
      std::string name = BaseNameOf(path);
      name = name.substr(0, name.size() - kJournalExt.size()) + ".txt";
      MakeFolder(UserdataFolder(baseDir));
      MakeFolder(RecoveredFolder(baseDir));
      const std::string target = RecoveredFolder(baseDir) + "/" + name;
      // Present already: an earlier start wrote it and ended before removing the journal.
      const int err = FileExists(target) ? 0 : WriteDataFile(target, rows);
      if (err != 0) {
        if (log)
          log("Journal not recovered: " + IoErrorText(err, name) +
              "; it is kept for the next start: " + BaseNameOf(path));
        ::close(fd);
        continue;
      }
      total += rows.size();
      if (log) log(RecoveredLogLine(rows.size(), "Userdata/Recovered/" + name));
    }
    ::unlink(path.c_str());
    ::close(fd);
    SyncFolder(autosave);
  }
  return total;
}
