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

namespace transporttest {

class PtyPeer {
 public:
  // Gets the bytes of one write burst (collected until 30 ms of quiet), returns the reply.
  using Handler = std::function<std::string(const std::string& request)>;

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
  void Run() {
    std::string burst;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      const int rc = ::poll(&p, 1, burst.empty() ? 20 : 30);
      if (rc > 0 && (p.revents & POLLIN)) {
        char buf[512];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
          burst.append(buf, static_cast<size_t>(n));
          std::lock_guard lock(mutex_);
          received_.append(buf, static_cast<size_t>(n));
          cv_.notify_all();
        }
        continue;
      }
      if (burst.empty()) continue;
      Handler h;
      int delay = 0;
      {
        std::lock_guard lock(mutex_);
        h = handler_;
        delay = delayMs_;
      }
      const std::string request = burst;
      burst.clear();
      if (!h) continue;
      const std::string reply = h(request);
      if (reply.empty()) continue;
      if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
      size_t done = 0;
      while (done < reply.size()) {
        const ssize_t n = ::write(master_, reply.data() + done, reply.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
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
};

}  // namespace transporttest
