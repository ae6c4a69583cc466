#include "app/DataFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// ---------------------------------------------------------------------------------------------
// Code page

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char Cp1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
  for (int k = 0; k < 32; ++k) {
    if (kCp1252High[k] != 0 && kCp1252High[k] == c) return char(0x80 + k);
    // The five bytes the code page leaves undefined carry the C1 code points of the same value.
    if (kCp1252High[k] == 0 && c == char32_t(0x80 + k)) return char(c);
  }
  return '?';
}

// ---------------------------------------------------------------------------------------------
// Fields

// Separators of the number and time fields, already in the code page.
struct TSeparators {
  std::string Decimal;
  std::string Time;
};

TSeparators SeparatorsOf(const TFormatSettings& fs) {
  return {Utf8ToCp1252(fs.DecimalSeparator), Utf8ToCp1252(fs.TimeSeparator)};
}

// A small text buffer for one field.
struct TField {
  char text[96];
  int n = 0;
  void Put(char c) {
    if (n < int(sizeof text)) text[n++] = c;
  }
  void Put(std::string_view s) {
    for (char c : s) Put(c);
  }
  void Put(const char* b, const char* e) {
    while (b != e) Put(*b++);
  }
};

// The general number format (at most 15 significant digits, plain from 0.0001 to below 1e15).
void GeneralNumber(TField& f, double value, std::string_view decimal) {
  if (!std::isfinite(value)) {
    f.Put(std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF"));
    return;
  }
  if (value == 0) {
    f.Put('0');
    return;
  }
  // d.dddddddddddddde+XX: 15 significant digits, correctly rounded.
  char buf[40];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  const char* e = static_cast<const char*>(std::memchr(buf, 'e', size_t(res.ptr - buf)));
  char digits[20];
  int nd = 0;
  digits[nd++] = buf[0];
  for (const char* p = buf + 2; p < e; ++p) digits[nd++] = *p;
  while (nd > 0 && digits[nd - 1] == '0') --nd;
  int exp10 = 0;
  const char* ep = e + 1;
  if (*ep == '+') ++ep;
  std::from_chars(ep, res.ptr, exp10);
  const int exponent = exp10 + 1;  // value = 0.digits * 10^exponent

  if (std::signbit(value)) f.Put('-');
  if (exponent > 15 || exponent < -3) {
    f.Put(digits[0]);
    if (nd > 1) {
      f.Put(decimal);
      f.Put(digits + 1, digits + nd);
    }
    f.Put('E');
    const int x = exponent - 1;
    if (x < 0) f.Put('-');
    char eb[8];
    const auto er = std::to_chars(eb, eb + sizeof eb, std::abs(x));
    f.Put(eb, er.ptr);
  } else if (exponent <= 0) {
    f.Put('0');
    f.Put(decimal);
    for (int k = 0; k < -exponent; ++k) f.Put('0');
    f.Put(digits, digits + nd);
  } else if (nd <= exponent) {
    f.Put(digits, digits + nd);
    for (int k = nd; k < exponent; ++k) f.Put('0');
  } else {
    f.Put(digits, digits + exponent);
    f.Put(decimal);
    f.Put(digits + exponent, digits + nd);
  }
}

// A number with at least `width` digits, "-" in front when negative.
void PaddedNumber(TField& f, long long n, int width) {
  char b[24];
  const auto r = std::to_chars(b, b + sizeof b, n < 0 ? -n : n);
  if (n < 0) f.Put('-');
  for (int k = int(r.ptr - b); k < width; ++k) f.Put('0');
  f.Put(b, r.ptr);
}

// "yy-mm-dd hh:nn:ss:zzz", ":" being the time separator.
void RowDateTime(TField& f, TDateTime t, std::string_view timeSep) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(t, y, mo, d, h, mi, s, ms);
  PaddedNumber(f, y % 100, 2);
  f.Put('-');
  PaddedNumber(f, mo, 2);
  f.Put('-');
  PaddedNumber(f, d, 2);
  f.Put(' ');
  PaddedNumber(f, h, 2);
  f.Put(timeSep);
  PaddedNumber(f, mi, 2);
  f.Put(timeSep);
  PaddedNumber(f, s, 2);
  f.Put(timeSep);
  PaddedNumber(f, ms, 3);
}

void AppendRight(std::string& out, const TField& f, int width) {
  if (f.n < width) out.append(size_t(width - f.n), ' ');
  out.append(f.text, size_t(f.n));
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

void AppendLine(std::string& out, const TReaders& r, int i, const TSeparators& sep) {
  TField f;
  PaddedNumber(f, static_cast<long long>(i) + 1, 0);
  AppendRight(out, f, 20);
  out += ';';
  f.n = 0;
  GeneralNumber(f, r.Seconds.Get(i), sep.Decimal);
  AppendRight(out, f, 20);
  out += ';';
  f.n = 0;
  RowDateTime(f, r.Time.Get(i), sep.Time);
  AppendRight(out, f, 23);
  out += ';';
  for (const TColumnReader* c : {&r.SensorVoltage, &r.Setpoint, &r.PumpVoltage, &r.PumpCurrent}) {
    f.n = 0;
    GeneralNumber(f, c->Get(i), sep.Decimal);
    AppendRight(out, f, 20);
    out += ';';
  }
  const double temperature = r.Temperature.Get(i);
  if (!r.TemperatureVector->IsOutlier(i)) {
    f.n = 0;
    GeneralNumber(f, temperature, sep.Decimal);
    AppendRight(out, f, 20);
  }
  out += "\r\n";
}

bool AllColumns(const TDataColumns& c) {
  return c.Time && c.Seconds && c.SensorVoltage && c.Setpoint && c.PumpVoltage && c.PumpCurrent &&
         c.Temperature;
}

// ---------------------------------------------------------------------------------------------
// Files

// A failed file operation: errno and the bare file name.
class TIoFailure : public std::runtime_error {
 public:
  TIoFailure(int err, const std::string& file) : std::runtime_error(Describe(err, file)) {}

 private:
  static std::string Describe(int err, const std::string& file) {
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
};

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void EnsureFolder(const std::string& path, const char* message, const TSaveLine& folderMessage) {
  if (DirectoryExists(path)) return;
  if (::mkdir(path.c_str(), 0777) != 0 && !DirectoryExists(path) && folderMessage) {
    folderMessage(message);
  }
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

  void Finish() {
    Flush();
    const int fd = fFd;
    fFd = -1;
    if (::close(fd) != 0) Fail(errno);
    if (fOpenPath != fTargetPath && ::rename(fOpenPath.c_str(), fTargetPath.c_str()) != 0) {
      const int err = errno;
      ::unlink(fOpenPath.c_str());
      throw TIoFailure(err, BaseName(fTargetPath));
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
    const TSeparators sep = SeparatorsOf(FormatSettings());
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
      AppendLine(file.Buffer(), readers, i, sep);
      file.FlushIfFull();
      if (i % 500 == 0)
        Emit(log, std::to_string(Percent(i - static_cast<long long>(firstRow), total)) + "%");
      ++result.rowsWritten;
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

std::string Utf8ToCp1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
      out += char(b0);
      ++i;
      continue;
    }
    const int n = (b0 & 0xE0) == 0xC0 ? 1 : (b0 & 0xF0) == 0xE0 ? 2 : (b0 & 0xF8) == 0xF0 ? 3 : 0;
    char32_t c = n == 1 ? (b0 & 0x1F) : n == 2 ? (b0 & 0x0F) : (b0 & 0x07);
    bool ok = n > 0 && i + size_t(n) < s.size();
    for (int k = 1; ok && k <= n; ++k) {
      const auto b = static_cast<unsigned char>(s[i + size_t(k)]);
      if ((b & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (b & 0x3F);
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    out += Cp1252Byte(c);
    i += size_t(n) + 1;
  }
  return out;
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
  AppendLine(out, TReaders(columns), i, SeparatorsOf(fs));
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
