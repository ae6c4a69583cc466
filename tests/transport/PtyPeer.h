// The far end of a pseudo-terminal for transport tests: records every byte the program writes
// and answers each request through a handler, optionally after a delay.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace transporttest {

class PtyPeer {
 public:
  // Gets the bytes of one write burst (collected until 30 ms of quiet), returns the reply.
  using Handler = std::function<std::string(const std::string& request)>;

  // What crossed the line, on the steady clock in milliseconds: a request burst at the arrival
  // of its first byte, a reply (or reply part) just before it was written.
  struct Event {
    int64_t Ms = 0;
    bool Request = false;
    std::string Bytes;
  };

  PtyPeer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    path_ = ptsname(master_);
    // Held open so the pty survives between the program's exchanges.
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    thread_ = std::thread([this] { Run(); });
  }
  ~PtyPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }

  const std::string& Path() const { return path_; }

  void SetHandler(Handler h, int delayMs = 0) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(h);
    delayMs_ = delayMs;
  }
  // Answers every request with the same bytes.
  void ReplyAlways(const std::string& reply, int delayMs = 0) {
    SetHandler([reply](const std::string&) { return reply; }, delayMs);
  }
  // Answers every request with first, then, gapMs after first was written, with second.
  void ReplyInTwoParts(const std::string& first, const std::string& second, int gapMs) {
    SetHandler([first](const std::string&) { return first; });
    std::lock_guard lock(mutex_);
    second_ = second;
    gapMs_ = gapMs;
  }
  // The time between the writes of the two parts of the last reply, as it turned out.
  int64_t LastGapMs() const {
    std::lock_guard lock(mutex_);
    return lastGapMs_;
  }
  // Milliseconds of quiet that end a request burst (30 unless set).
  void SetQuietMs(int ms) { quietMs_ = ms; }

  std::vector<Event> Timeline() const {
    std::lock_guard lock(mutex_);
    return timeline_;
  }
  static int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }

  std::string Received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }
  void ClearReceived() {
    std::lock_guard lock(mutex_);
    received_.clear();
  }
  bool WaitReceived(const std::string& text, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                        [&] { return received_.find(text) != std::string::npos; });
  }

 private:
  void WriteAll(const std::string& bytes) {
    {
      std::lock_guard lock(mutex_);
      timeline_.push_back({NowMs(), false, bytes});
    }
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  }

  void Run() {
    std::string burst;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      const int rc = ::poll(&p, 1, burst.empty() ? 20 : quietMs_.load());
      if (rc > 0 && (p.revents & POLLIN)) {
        char buf[512];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
          std::lock_guard lock(mutex_);
          if (burst.empty()) timeline_.push_back({NowMs(), true, {}});
          burst.append(buf, static_cast<size_t>(n));
          timeline_.back().Bytes = burst;
          received_.append(buf, static_cast<size_t>(n));
          cv_.notify_all();
        }
        if (quietMs_ > 0) continue;
      }
      if (burst.empty()) continue;
      Handler h;
      int delay = 0;
      std::string second;
      int gap = 0;
      {
        std::lock_guard lock(mutex_);
        h = handler_;
        delay = delayMs_;
        second = second_;
        gap = gapMs_;
      }
      const std::string request = burst;
      burst.clear();
      if (!h) continue;
      const std::string reply = h(request);
      if (reply.empty()) continue;
      if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
      const int64_t first = NowMs();
      WriteAll(reply);
      if (second.empty()) continue;
      std::this_thread::sleep_until(
          std::chrono::steady_clock::time_point(std::chrono::milliseconds(first + gap)));
      const int64_t at = NowMs();
      WriteAll(second);
      std::lock_guard lock(mutex_);
      lastGapMs_ = at - first;
    }
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  std::string received_;
  Handler handler_;
  int delayMs_ = 0;
  std::string second_;
  int gapMs_ = 0;
  int64_t lastGapMs_ = 0;
  std::atomic<int> quietMs_{30};
  std::vector<Event> timeline_;
};

}  // namespace transporttest
