// Waits on a condition while the thread's Qt events run, with a generous bound.
#pragma once

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

namespace testsupport {

// Processes events until pred holds (true) or timeoutMs passes (false).
inline bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace testsupport
