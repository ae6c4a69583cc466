#include "common/_Common2.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <charconv>
#include <deque>
#include <mutex>

namespace {

struct LogState {
  std::mutex mutex;
  TLogSink sink;
  QThread* owner = nullptr;
  QObject* context = nullptr;  // lives in the owner thread; queued drains run there
  std::deque<std::string> queue;
  bool drainPosted = false;
  bool delivering = false;
};

LogState& State() {
  static LogState state;
  return state;
}

// Delivers the queued lines on the owner thread, without the lock, so a sink may log again. A
// call from inside the sink returns at once; the outer call delivers what was queued meanwhile,
// so every thread's lines keep their order.
void Drain() {
  LogState& s = State();
  {
    std::lock_guard lock(s.mutex);
    if (s.delivering || QThread::currentThread() != s.owner) return;
    s.delivering = true;
  }
  for (;;) {
    std::deque<std::string> lines;
    TLogSink sink;
    {
      std::lock_guard lock(s.mutex);
      lines.swap(s.queue);
      s.drainPosted = false;
      sink = s.sink;
      if (lines.empty() || !sink) {
        s.delivering = false;
        return;
      }
    }
    for (const std::string& line : lines) sink(line);
  }
}

}  // namespace

void SetLogSink(TLogSink sink) {
  LogState& s = State();
  QObject* oldContext = nullptr;
  {
    std::lock_guard lock(s.mutex);
    s.sink = std::move(sink);
    s.owner = s.sink ? QThread::currentThread() : nullptr;
    s.queue.clear();
    // Posted drains die with the old context; a new one is posted with the next queued line.
    s.drainPosted = false;
    oldContext = s.context;
    s.context = s.sink ? new QObject : nullptr;
  }
  if (oldContext != nullptr) {
    if (oldContext->thread() == QThread::currentThread()) {
      delete oldContext;
    } else {
      oldContext->deleteLater();
    }
  }
}

void AddToLog(const std::string& Line) {
  LogState& s = State();
  bool direct = false;
  {
    std::lock_guard lock(s.mutex);
    if (!s.sink) return;
    s.queue.push_back(Line);
    direct = QThread::currentThread() == s.owner;
    if (!direct && !s.drainPosted && QCoreApplication::instance() != nullptr) {
      // Posted under the lock, so the context cannot be deleted in between.
      s.drainPosted = true;
      QMetaObject::invokeMethod(s.context, &Drain, Qt::QueuedConnection);
    }
  }
  if (direct) Drain();
}

void FlushLog() {
  Drain();
}

bool TryParseNumber(const std::string& Text, double& Value) {
  size_t first = 0;
  size_t last = Text.size();
  auto blank = [](unsigned char c) { return c <= ' '; };
  while (first < last && blank(Text[first])) ++first;
  while (last > first && blank(Text[last - 1])) --last;
  if (first == last) return false;
  std::string s = Text.substr(first, last - first);
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  // Only plain or scientific decimal notation: no hex, no inf/nan, no inner blanks.
  for (char c : s) {
    const bool ok =
        (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    if (!ok) return false;
  }
  // from_chars ignores the process locale; it takes no leading "+", so skip one.
  const char* begin = s.data();
  const char* end = s.data() + s.size();
  if (*begin == '+') {
    ++begin;
    if (begin == end || *begin == '+' || *begin == '-') return false;
  }
  double v = 0;
  const auto [ptr, ec] = std::from_chars(begin, end, v, std::chars_format::general);
  if (ec != std::errc() || ptr != end) return false;
  Value = v;
  return true;
}
