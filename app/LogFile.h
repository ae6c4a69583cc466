// The program log's file: every line of one run, "Userdata/Logs/yyyy-mm-dd_hh_mm.log", in UTF-8,
// each line ending in LF. Inside a line NUL, LF and CR are written as the control pictures
// U+2400, U+240A and U+240D, so that one line of the file is one line of the log. The log keeps
// its recent lines in memory and reads older ones back from here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FormatSettings.h"

// "<baseDir>/Userdata/Logs/2024-05-17_14_35.log"
std::string LogFilePath(const std::string& baseDir, TDateTime now);

// A log line as the file holds it, and back.
std::string LogFileLine(const std::string& line);
std::string LogLineFromFile(const std::string& fileLine);

class TLogFile {
 public:
  TLogFile() = default;
  ~TLogFile();
  TLogFile(const TLogFile&) = delete;
  TLogFile& operator=(const TLogFile&) = delete;

  // Makes the missing folders and a new file at path; when a file of that name exists already
  // (a second run in the same minute) the name gets "_2", "_3" ... before ".log"; with unique
  // false an existing file is emptied instead. False, with the reason in error, when no file
  // could be made.
  bool Create(const std::string& path, std::string& error, bool unique = true);
  bool IsOpen() const { return fFd >= 0; }
  const std::string& Path() const { return fPath; }
  // Bytes written so far.
  int64_t Size() const { return fSize; }

  // Writes all bytes (the kernel has them when this returns; no fsync). On failure the reason
  // goes to error and nothing more is written, while the bytes written before stay readable.
  bool Append(const std::string& bytes, std::string& error);
  bool Writable() const { return fFd >= 0 && !fWriteFailed; }

  // Bytes [begin, end) of what was written.
  bool Read(int64_t begin, int64_t end, std::string& out) const;

 private:
  int fFd = -1;
  bool fWriteFailed = false;
  int64_t fSize = 0;
  std::string fPath;
};
