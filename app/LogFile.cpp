#include "app/LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/DataFiles.h"
#include "platform/FileSystem.h"

namespace {

// The control pictures of NUL, LF and CR in UTF-8.
constexpr char kPictureNul[] = "\xE2\x90\x80";
constexpr char kPictureLf[] = "\xE2\x90\x8A";
constexpr char kPictureCr[] = "\xE2\x90\x8D";

std::string Reason(int err) {
  return std::strerror(err);
}

}  // namespace

std::string LogFilePath(const std::string& baseDir, TDateTime now) {
  return UserdataFolder(baseDir) + "/Logs/" + FormatDateTime("yyyy-mm-dd_hh_mm", now) + ".log";
}

std::string LogFileLine(const std::string& line) {
  std::string out;
  out.reserve(line.size() + 1);
  for (char c : line) {
    if (c == '\0')
      out += kPictureNul;
    else if (c == '\n')
      out += kPictureLf;
    else if (c == '\r')
      out += kPictureCr;
    else
      out += c;
  }
  out += '\n';
  return out;
}

std::string LogLineFromFile(const std::string& fileLine) {
  std::string out;
  out.reserve(fileLine.size());
  for (size_t i = 0; i < fileLine.size(); ++i) {
    if (fileLine.compare(i, 2, "\xE2\x90") == 0 && i + 2 < fileLine.size()) {
      const char c = fileLine[i + 2];
      const char plain = c == '\x80' ? '\0' : c == '\x8A' ? '\n' : c == '\x8D' ? '\r' : 'x';
      if (plain != 'x') {
        out += plain;
        i += 2;
        continue;
      }
    }
    out += fileLine[i];
  }
  return out;
}

TLogFile::~TLogFile() {
  if (fFd >= 0) ::close(fFd);
}

bool TLogFile::Create(const std::string& path, std::string& error, bool unique) {
  const size_t slash = path.rfind('/');
  const std::string logs = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  const size_t up = logs.rfind('/');
  if (up != std::string::npos) MakeFolder(logs.substr(0, up));  // "Userdata"
  if (!MakeFolder(logs)) {
    error = "the folder " + logs + " cannot be made";
    return false;
  }
  const std::string stem = path.size() > 4 && path.compare(path.size() - 4, 4, ".log") == 0
                               ? path.substr(0, path.size() - 4)
                               : path;
  for (int n = 1; n <= 100; ++n) {
    const std::string name = n == 1 ? path : stem + "_" + std::to_string(n) + ".log";
    const int fd =
        ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (unique ? O_EXCL : O_TRUNC), 0644);
    if (fd >= 0) {
      fFd = fd;
      fPath = name;
      return true;
    }
    if (errno != EEXIST) {
      error = Reason(errno);
      return false;
    }
  }
  error = "too many log files of this minute";
  return false;
}

bool TLogFile::Append(const std::string& bytes, std::string& error) {
  if (!Writable()) {
    error = "the log file is not open";
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fFd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = Reason(n < 0 ? errno : ENOSPC);
      fWriteFailed = true;
      // What a partial write left behind is not part of any read-back range.
      fSize += static_cast<int64_t>(done);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  fSize += static_cast<int64_t>(done);
  return true;
}

bool TLogFile::Read(int64_t begin, int64_t end, std::string& out) const {
  out.clear();
  if (fFd < 0 || begin < 0 || end < begin || end > fSize) return false;
  out.resize(static_cast<size_t>(end - begin));
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(fFd, out.data() + done, out.size() - done,
                              static_cast<off_t>(begin + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}
