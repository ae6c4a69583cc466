// Real Modbus RTU slaves for the Modbus port tests: a socat pseudo-terminal pair per test, a
// slave process on one end, the port under test on the other. Every wait is bounded; processes
// are ended by their own id.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/_Common2.h"

extern char** environ;

namespace modbustest {

inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs, int stepMs = 20) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
  return true;
}

inline std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string FindOnPath(const std::string& name) {
  const char* path = getenv("PATH");
  std::istringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

// A child process with stdin from /dev/null and stdout and stderr into a log file.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  bool Start(const std::vector<std::string>& args, const std::string& logPath) {
    Stop();
    logPath_ = logPath;
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    pid_ = pid;
    return true;
  }

  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      pid_ = -1;
      return false;
    }
    return r == 0;
  }

  // SIGTERM, up to 3 s to end, then SIGKILL.
  void Stop() {
    if (!Running()) return;
    kill(pid_, SIGTERM);
    if (!WaitUntil([this] { return !Running(); }, 3000, 10)) {
      kill(pid_, SIGKILL);
      int status = 0;
      waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }

  std::string Log() const { return FileText(logPath_); }

 private:
  pid_t pid_ = -1;
  std::string logPath_;
};

// A temporary folder holding the pty links and the process logs; removed with its contents.
class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/zk-modbus-XXXXXX";
    if (mkdtemp(name)) path_ = name;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Program-log lines of one test.
class LogLines {
 public:
  LogLines() {
    SetLogSink([this](const std::string& line) { lines_.push_back(line); });
  }
  ~LogLines() { SetLogSink({}); }
  const std::vector<std::string>& Lines() {
    FlushLog();
    return lines_;
  }
  void Clear() {
    FlushLog();
    lines_.clear();
  }

 private:
  std::vector<std::string> lines_;
};

// socat pty pair: the port under test opens A(), the slave opens B().
class PtyPair {
 public:
  // Empty on success, else why it failed.
  std::string Start(const std::string& dir) {
    a_ = dir + "/a";
    b_ = dir + "/b";
    const std::string socat = FindOnPath("socat");
    if (socat.empty()) return "socat is not installed (scripts/setup.sh installs it)";
    if (!socat_.Start({socat, "-d", "-d", "pty,raw,echo=0,link=" + a_, "pty,raw,echo=0,link=" + b_},
                      dir + "/socat.log")) {
      return "cannot start " + socat;
    }
    const bool linked = WaitUntil(
        [&] {
          struct stat st;
          return stat(a_.c_str(), &st) == 0 && stat(b_.c_str(), &st) == 0;
        },
        10000);
    if (!linked) return "socat made no pty pair within 10 s; its log:\n" + socat_.Log();
    return {};
  }
  void Stop() { socat_.Stop(); }
  const std::string& A() const { return a_; }
  const std::string& B() const { return b_; }

 private:
  ChildProcess socat_;
  std::string a_, b_;
};

}  // namespace modbustest
