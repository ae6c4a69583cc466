#include "app/DataFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/FileSystem.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Fields

// The process-wide settings with the separators already in the code page, since the fields go
// into the file as they are formatted.
TFormatSettings FileFormatSettings(const TFormatSettings& fs) {
  TFormatSettings out = fs;
  out.DecimalSeparator = Utf8ToCp1252(fs.DecimalSeparator);
  out.TimeSeparator = Utf8ToCp1252(fs.TimeSeparator);
  return out;
}

// The field right-aligned to width with blanks in front.
void AppendRight(std::string& out, std::string_view field, int width) {
  if (int(field.size()) < width) out.append(size_t(width) - field.size(), ' ');
  out += field;
}

// Reads one column, directly from the storage where the vector has the row.
class TColumnReader {
 public:
  explicit TColumnReader(const TRtCustomDoubleVector* v)
      : fVector(v), fRaw(v->RawData()), fCount(v->GetCount()) {}
  double Get(int i) const { return fRaw != nullptr && i < fCount ? fRaw[i] : fVector->GetValue(i); }

 private:
  const TRtCustomDoubleVector* fVector;
  const double* fRaw;
  int fCount;
};

struct TReaders {
  explicit TReaders(const TDataColumns& c)
      : Time(c.Time),
        Seconds(c.Seconds),
        SensorVoltage(c.SensorVoltage),
        Setpoint(c.Setpoint),
        PumpVoltage(c.PumpVoltage),
        PumpCurrent(c.PumpCurrent),
        Temperature(c.Temperature),
        TemperatureVector(c.Temperature) {}
  TColumnReader Time, Seconds, SensorVoltage, Setpoint, PumpVoltage, PumpCurrent, Temperature;
  const TRtCustomDoubleVector* TemperatureVector;
};

// One data line; field is scratch space kept by the caller between lines.
void AppendLine(std::string& out, const TReaders& r, int i, const TFormatSettings& fs,
                std::string& field) {
  AppendRight(out, std::to_string(static_cast<long long>(i) + 1), 20);
  out += ';';
  field.clear();
  AppendFloatToStr(field, r.Seconds.Get(i), fs);
  AppendRight(out, field, 20);
  out += ';';
  AppendRight(out, FormatDateTime("yy-mm-dd hh:nn:ss:zzz", r.Time.Get(i), fs), 23);
  out += ';';
  for (const TColumnReader* c : {&r.SensorVoltage, &r.Setpoint, &r.PumpVoltage, &r.PumpCurrent}) {
    field.clear();
    AppendFloatToStr(field, c->Get(i), fs);
    AppendRight(out, field, 20);
    out += ';';
  }
  const double temperature = r.Temperature.Get(i);
  if (!r.TemperatureVector->IsOutlier(i)) {
    field.clear();
    AppendFloatToStr(field, temperature, fs);
    AppendRight(out, field, 20);
  }
  out += "\r\n";
}

bool AllColumns(const TDataColumns& c) {
  return c.Time && c.Seconds && c.SensorVoltage && c.Setpoint && c.PumpVoltage && c.PumpCurrent &&
         c.Temperature;
}

// ---------------------------------------------------------------------------------------------
// Files

TDataFileHooks& Hooks() {
  static TDataFileHooks hooks;
  return hooks;
}

// A failed file operation: errno and the bare file name.
class TIoFailure : public std::runtime_error {
 public:
  TIoFailure(int err, const std::string& file) : std::runtime_error(IoErrorText(err, file)) {}
};

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void EnsureFolder(const std::string& path, const char* message, const TSaveLine& folderMessage) {
  if (!MakeFolder(path) && folderMessage) folderMessage(message);
}

// An open data file with an output buffer written in large blocks. A failure throws TIoFailure
// and leaves the file as it was before (cut back, or removed when this save created it).
class TDataFileWriter {
 public:
  static constexpr size_t kBlock = 1 << 20;

  ~TDataFileWriter() {
    if (fFd >= 0) Abandon();
  }

  // Appends to an existing file, or creates a new one.
  void OpenAppend(const std::string& path) {
    Open(path, path, O_WRONLY | O_APPEND, false);
    struct stat st {};
    if (::fstat(fFd, &st) == 0 && S_ISREG(st.st_mode)) {
      fRollbackSize = st.st_size;
      fCanRollback = true;
    }
  }
  void OpenNew(const std::string& path) { Open(path, path, O_WRONLY | O_CREAT | O_EXCL, true); }
  // Writes into a temporary file that replaces path at Finish.
  void OpenReplacing(const std::string& path) {
    Open(path + ".part-" + std::to_string(::getpid()), path, O_WRONLY | O_CREAT | O_TRUNC, true);
  }

  std::string& Buffer() { return fBuffer; }
  void FlushIfFull() {
    if (fBuffer.size() >= kBlock) Flush();
  }

  // Writes what is buffered now.
  void FlushNow() { Flush(); }

  // Makes the file durable (data, and its name when this save created or replaces it).
  void Finish() {
    Flush();
    if (::fdatasync(fFd) != 0 && errno != EINVAL) Fail(errno);
    const int fd = fFd;
    fFd = -1;
    if (::close(fd) != 0) Fail(errno);
    if (fOpenPath != fTargetPath && ::rename(fOpenPath.c_str(), fTargetPath.c_str()) != 0) {
      const int err = errno;
      ::unlink(fOpenPath.c_str());
      throw TIoFailure(err, BaseName(fTargetPath));
    }
    if (fCreated) {
      const size_t slash = fTargetPath.rfind('/');
      SyncFolder(slash == std::string::npos ? std::string(".") : fTargetPath.substr(0, slash));
    }
  }

 private:
  void Open(const std::string& openPath, const std::string& targetPath, int flags, bool created) {
    fOpenPath = openPath;
    fTargetPath = targetPath;
    fCreated = created;
    fBuffer.reserve(kBlock + 4096);
    fFd = ::open(openPath.c_str(), flags | O_CLOEXEC, 0666);
    if (fFd < 0) throw TIoFailure(errno, BaseName(targetPath));
  }

  void Flush() {
    if (fBuffer.empty()) return;
    if (Hooks().WriteError)
      if (const int err = Hooks().WriteError(fTargetPath)) Fail(err);
    size_t done = 0;
    while (done < fBuffer.size()) {
      const ssize_t n = ::write(fFd, fBuffer.data() + done, fBuffer.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Fail(n < 0 ? errno : ENOSPC);
      done += size_t(n);
    }
    fBuffer.clear();
  }

  [[noreturn]] void Fail(int err) {
    Abandon();
    throw TIoFailure(err, BaseName(fTargetPath));
  }

  // Takes back what this save wrote.
  void Abandon() {
    if (fFd >= 0) {
      if (fCanRollback) (void)::ftruncate(fFd, fRollbackSize);
      ::close(fFd);
    } else if (fCanRollback) {
      (void)::truncate(fOpenPath.c_str(), fRollbackSize);
    }
    fFd = -1;
    if (fCreated) ::unlink(fOpenPath.c_str());
    fCreated = false;
    fCanRollback = false;
  }

  int fFd = -1;
  std::string fOpenPath;
  std::string fTargetPath;
  bool fCreated = false;
  bool fCanRollback = false;
  off_t fRollbackSize = 0;
  std::string fBuffer;
};

// Percentage of the rows done, rounded half to even.
long long Percent(long long done, long long total) {
  const long long num = done * 100;
  long long q = num / total;
  const long long twice = 2 * (num % total);
  if (twice > total || (twice == total && (q & 1) != 0)) ++q;
  return q;
}

void Emit(const TSaveLine& log, const std::string& line) {
  if (log) log(line);
}

TSaveResult WriteRows(const TDataColumns& columns, int firstRow, const std::string& path,
                      bool append, const TSaveLine& log) {
  TSaveResult result;
  result.path = path;
  try {
    if (!AllColumns(columns)) throw std::invalid_argument("A data column is missing");
    const TReaders readers(columns);
    const TFormatSettings fs = FileFormatSettings(FormatSettings());
    std::string field;
    const int rows = columns.Time->GetCount();

    TDataFileWriter file;
    const bool exists = FileExists(path);
    if (append && exists) {
      file.OpenAppend(path);
    } else {
      if (append) {
        file.OpenNew(path);
      } else {
        file.OpenReplacing(path);
      }
      file.Buffer() += DataFileHeader();
    }
    const long long total = static_cast<long long>(rows) - firstRow;
    for (int i = std::max(firstRow, 0); i < rows; ++i) {
      AppendLine(file.Buffer(), readers, i, fs, field);
      file.FlushIfFull();
      if (i % 500 == 0)
        Emit(log, std::to_string(Percent(i - static_cast<long long>(firstRow), total)) + "%");
      ++result.rowsWritten;
      if (Hooks().AfterRow) {
        file.FlushNow();
        Hooks().AfterRow(i, firstRow, rows);
      }
    }
    file.Finish();
    result.ok = true;
  } catch (const TIoFailure& e) {
    result.errorClass = "EInOutError";
    result.message = e.what();
  } catch (const ERtRangeError& e) {
    result.errorClass = "ERtRangeError";
    result.message = e.what();
  } catch (const ERtError& e) {
    result.errorClass = "ERtError";
    result.message = e.what();
  } catch (const std::bad_alloc&) {
    result.errorClass = "EOutOfMemory";
    result.message = "Out of memory";
  } catch (const std::exception& e) {
    result.errorClass = "Exception";
    result.message = e.what();
  }
  if (!result.ok) result.rowsWritten = 0;
  return result;
}

}  // namespace

std::string IoErrorText(int err, const std::string& file) {
  std::string text;
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      text = "Disk full";
      break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
    case ETXTBSY:
      text = "File access denied";
      break;
    case ENOENT:
    case ENOTDIR:
      text = "Path not found";
      break;
    case EMFILE:
    case ENFILE:
      text = "Too many open files";
      break;
    default:
      text = std::string("I/O error: ") + std::strerror(err);
      break;
  }
  return text + " (" + file + ")";
}

void SetDataFileHooks(TDataFileHooks hooks) {
  Hooks() = std::move(hooks);
}

const TDataFileHooks& DataFileHooks() {
  return Hooks();
}

std::string DataFileHeader() {
  std::string out;
  const auto label = [&out](std::string_view text, int width) {
    if (int(text.size()) < width) out.append(size_t(width) - text.size(), ' ');
    out += text;
  };
  label("Line;", 21);
  label("SecondsElapsed;", 21);
  label("DateTime;", 24);
  label("SVoltage(V);", 21);
  label("SSetpoint(V);", 21);
  label("PVoltage(V);", 21);
  label("PCurrent(A);", 21);
  label(
      "Temperature(\xBA"
      "C);",
      21);
  out += "\r\n";
  return out;
}

std::string DataFileLine(const TDataColumns& columns, int i) {
  return DataFileLine(columns, i, FormatSettings());
}

std::string DataFileLine(const TDataColumns& columns, int i, const TFormatSettings& fs) {
  if (!AllColumns(columns)) throw std::invalid_argument("A data column is missing");
  std::string out;
  std::string field;
  AppendLine(out, TReaders(columns), i, FileFormatSettings(fs), field);
  return out;
}

std::string UserdataFolder(const std::string& baseDir) {
  return (baseDir.empty() ? std::string(".") : baseDir) + "/Userdata";
}

std::string AutosaveFolder(const std::string& baseDir) {
  return UserdataFolder(baseDir) + "/Autosave";
}

std::string SaveAllFileName(TDateTime now) {
  return FormatDateTime("yyyy-mm-dd_hh_mm", now) + ".txt";
}

std::string AutosaveFileName(TDateTime now) {
  return FormatDateTime("yyyy-mm-dd_hh", now) + ".txt";
}

std::string SaveAllPath(const std::string& baseDir, TDateTime now) {
  return UserdataFolder(baseDir) + "/" + SaveAllFileName(now);
}

std::string AutosavePath(const std::string& baseDir, TDateTime now) {
  return AutosaveFolder(baseDir) + "/" + AutosaveFileName(now);
}

TSaveResult SaveAll(const std::string& baseDir, const TDataColumns& columns, TDateTime now,
                    const TSaveLine& log, const TSaveLine& folderMessage) {
  EnsureFolder(UserdataFolder(baseDir), kNoUserdataFolderText, folderMessage);
  EnsureFolder(AutosaveFolder(baseDir), kNoAutosaveFolderText, folderMessage);
  Emit(log, "");
  Emit(log, kSavingAllText);
  TSaveResult r = WriteRows(columns, 0, SaveAllPath(baseDir, now), false, log);
  if (r.ok) Emit(log, kSaveDoneText);
  return r;
}

TSaveResult Autosave(const std::string& baseDir, const TDataColumns& columns, int& AutosaveStartRow,
                     TDateTime now, const TSaveLine& log, const TSaveLine& folderMessage) {
  EnsureFolder(UserdataFolder(baseDir), kNoUserdataFolderText, folderMessage);
  EnsureFolder(AutosaveFolder(baseDir), kNoAutosaveFolderText, folderMessage);
  Emit(log, "");
  Emit(log, kAutosavingText);
  TSaveResult r = WriteRows(columns, AutosaveStartRow, AutosavePath(baseDir, now), true, log);
  if (r.ok) {
    Emit(log, kSaveDoneText);
    AutosaveStartRow = columns.Time->GetCount();
  }
  return r;
}

std::string SaveFailureText(const TSaveResult& result, TDateTime now) {
  return "Manual or automatic save failed.\r\n\r\nTime: " + FormatDateTime("c", now) +
         "\r\n\r\nError class: " + result.errorClass + "\r\n\r\nMessage: " + result.message;
}
