// Collects program-log lines for a test.
#pragma once

#include <string>
#include <vector>

#include "common/_Common2.h"

namespace transporttest {

class LogCapture {
 public:
  LogCapture() {
    SetLogSink([this](const std::string& line) { lines_.push_back(line); });
  }
  ~LogCapture() { SetLogSink({}); }
  const std::vector<std::string>& Lines() {
    FlushLog();
    return lines_;
  }

 private:
  std::vector<std::string> lines_;
};

}  // namespace transporttest
