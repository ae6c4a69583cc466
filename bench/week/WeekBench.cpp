// A week of cycles on the simulated bench in about an hour (not in CI): the program's window on
// the offscreen platform, the instruments at fixed addresses on the simulated bench, the
// transport's pauses and time-outs and the scheduler's timer time-scaled. Prints one table row
// at the first presented cycle, every K cycles and at the end: resident memory, open
// descriptors and threads (from /proc), the log's memory, and the cost of the scheduler's ticks
// since the row before (from running histograms, no per-tick data).
//
//   bench_week [--cycles N] [--every K] [--scale F] [--dir DIR]
//
// Defaults: 350000 cycles, a row every 50000, scale 170, a new folder under /tmp (removed at
// the end unless --dir is given).
#include <QApplication>
#include <QDir>
#include <QTimer>

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/LogView.h"
#include "app/MessageBox.h"
#include "app/frmZenkar2.h"
#include "platform/TermiosPort.h"
#include "sim/SimBench.h"

namespace {

using Clock = std::chrono::steady_clock;

// Tick durations in log-spaced buckets (16 per octave above 64 us, 1 us below).
class THistogram {
 public:
  void Add(double us) {
    ++fCount;
    fSum += us;
    if (us > fMax) fMax = us;
    ++fBuckets[Bucket(us)];
  }
  uint64_t Count() const { return fCount; }
  double Mean() const { return fCount ? fSum / static_cast<double>(fCount) : 0; }
  double Max() const { return fMax; }
  // Upper edge of the bucket holding quantile q.
  double Quantile(double q) const {
    if (!fCount) return 0;
    const auto want = static_cast<uint64_t>(std::ceil(q * static_cast<double>(fCount)));
    uint64_t seen = 0;
    for (size_t b = 0; b < kBuckets; ++b) {
      seen += fBuckets[b];
      if (seen >= want) return Upper(b);
    }
    return fMax;
  }
  void Reset() { *this = THistogram(); }

 private:
  static constexpr size_t kBuckets = 64 + 16 * 20;
  static size_t Bucket(double us) {
    if (us < 64) return static_cast<size_t>(std::max(0.0, us));
    const auto b = static_cast<size_t>(64 + 16 * std::log2(us / 64));
    return std::min(b, kBuckets - 1);
  }
  static double Upper(size_t b) { return b < 64 ? b + 1.0 : 64 * std::exp2((b - 63) / 16.0); }
  uint64_t fCount = 0;
  double fSum = 0, fMax = 0;
  std::vector<uint64_t> fBuckets = std::vector<uint64_t>(kBuckets);
};

struct TProcFigures {
  long RssKB = 0;
  int Fds = 0;
  int Threads = 0;
};

TProcFigures ReadProc() {
  TProcFigures f;
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") status >> f.RssKB;
    if (key == "Threads:") status >> f.Threads;
  }
  if (DIR* d = opendir("/proc/self/fd")) {
    while (dirent* e = readdir(d)) f.Fds += e->d_name[0] != '.';
    closedir(d);
    f.Fds -= 1;  // the listing's own descriptor
  }
  return f;
}

// Times every tick of the scheduler's timer by handling its timer event itself.
class TTickTimer : public QObject {
 public:
  THistogram Present, Other;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Timer) return false;
    const bool presents = !ThreadData.ThreadRunning && !ThreadData.DataTreated;
    const auto t0 = Clock::now();
    watched->event(event);
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
    (presents ? Present : Other).Add(us);
    return true;
  }
};

// Times the paints of both graphs (the picture is drawn in the paint event when it is stale).
class TPaintTimer : public QObject {
 public:
  THistogram Paints;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    const auto t0 = Clock::now();
    watched->event(event);
    Paints.Add(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    return true;
  }
};

struct TArgs {
  int Cycles = 350000;
  int Every = 50000;
  double Scale = 170;
  std::string Dir;
};

bool ParseArgs(int argc, char** argv, TArgs& a) {
  for (int i = 1; i < argc; ++i) {
    const std::string s = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (s == "--cycles" && v) {
      a.Cycles = std::atoi(v);
    } else if (s == "--every" && v) {
      a.Every = std::atoi(v);
    } else if (s == "--scale" && v) {
      a.Scale = std::atof(v);
    } else if (s == "--dir" && v) {
      a.Dir = v;
    } else {
      std::fprintf(stderr, "usage: bench_week [--cycles N] [--every K] [--scale F] [--dir DIR]\n");
      return false;
    }
    ++i;
  }
  return a.Cycles > 0 && a.Every > 0 && a.Scale > 0;
}

}  // namespace

int main(int argc, char** argv) {
  TArgs args;
  if (!ParseArgs(argc, argv, args)) return 2;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  platform::SetTimeScale(args.Scale);
  const bool ownDir = args.Dir.empty();
  if (ownDir) {
    char tmpl[] = "/tmp/bench_week.XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    args.Dir = tmpl;
  }
  std::filesystem::create_directories(args.Dir);
  SetMessageBoxHandler(
      [](const std::string& text) { std::fprintf(stderr, "Message box: %s\n", text.c_str()); });

  sim::BenchOptions bo;
  bo.RegisterInPortList = true;
  sim::Bench bench(bo);
  std::string error;
  if (!bench.Start(&error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return 1;
  }
  TStartOptions o;
  o.BaseDir = args.Dir;
  o.ProgramName = "zenkar-pro";
  o.Headless = true;
  o.BypassPort = "COM" + std::to_string(bench.ComNumber());
  auto window = std::make_unique<TFormZenkar2>(o);
  window->resize(1400, 900);
  window->show();
  TTickTimer ticks;
  window->Timer1->installEventFilter(&ticks);
  TPaintTimer paints;
  window->RtGraph2DPumpCurrent->installEventFilter(&paints);
  window->RtGraph2DSensorVoltage->installEventFilter(&paints);

  std::printf("Time scale %g, tick %d ms, log file %s\n\n", args.Scale, window->Timer1->interval(),
              window->MemoLog->Store().FilePath().c_str());
  std::printf(
      "| Cycles | Wall | Cycles/s | RSS MB | RSS growth per row | Fds | Threads | Log lines | "
      "Log MB | Present tick mean / p50 / p99 / max us | Other ticks mean / p99 / max us | "
      "Graph paints | Whole / part | Paint mean / max ms | Paint share |\n"
      "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  std::fflush(stdout);
  const auto start = Clock::now();
  auto lastTime = start;
  int lastCycles = 0;
  long lastRss = 0;
  int lastWhole = 0, lastPart = 0;
  auto row = [&](int n) {
    const TProcFigures p = ReadProc();
    const auto now = Clock::now();
    const double wall = std::chrono::duration<double>(now - start).count();
    const double interval = std::chrono::duration<double>(now - lastTime).count();
    const double rate = (n - lastCycles) / interval;
    const TLogStore& log = window->MemoLog->Store();
    const int whole =
        window->RtGraph2DPumpCurrent->WholePaints() + window->RtGraph2DSensorVoltage->WholePaints();
    const int part =
        window->RtGraph2DPumpCurrent->PartPaints() + window->RtGraph2DSensorVoltage->PartPaints();
    char growth[32] = "";
    if (lastCycles > 0)
      std::snprintf(growth, sizeof growth, "%.1f B",
                    (p.RssKB - lastRss) * 1024.0 / static_cast<double>(n - lastCycles));
    std::printf(
        "| %d | %.0f s | %.0f | %.1f | %s | %d | %d | %lld | %.2f | %.0f / %.0f / %.0f / %.0f | "
        "%.0f / %.0f / %.0f | %lld | %d / %d | %.1f / %.1f | %.0f %% |\n",
        n, wall, n == 1 ? 0.0 : rate, p.RssKB / 1024.0, growth, p.Fds, p.Threads,
        static_cast<long long>(log.Count()), log.MemoryBytes() / 1048576.0, ticks.Present.Mean(),
        ticks.Present.Quantile(0.5), ticks.Present.Quantile(0.99), ticks.Present.Max(),
        ticks.Other.Mean(), ticks.Other.Quantile(0.99), ticks.Other.Max(),
        static_cast<long long>(paints.Paints.Count()), whole - lastWhole, part - lastPart,
        paints.Paints.Mean() / 1000, paints.Paints.Max() / 1000,
        interval > 0 ? 100 * paints.Paints.Mean() * static_cast<double>(paints.Paints.Count()) /
                           1e6 / interval
                     : 0.0);
    std::fflush(stdout);
    ticks.Present.Reset();
    ticks.Other.Reset();
    paints.Paints.Reset();
    lastTime = now;
    lastCycles = n;
    lastRss = p.RssKB;
    lastWhole = whole;
    lastPart = part;
  };
  QObject::connect(window.get(), &TFormZenkar2::CyclePresented, window.get(), [&](int n) {
    if (n == 1 || n % args.Every == 0 || n == args.Cycles) row(n);
    if (n == args.Cycles) QTimer::singleShot(0, window.get(), [&] { window->close(); });
  });
  QTimer::singleShot(0, window.get(), [&] { window->ButtonRunClick(); });
  const int rc = QApplication::exec();
  window.reset();
  bench.Stop();
  if (ownDir) std::filesystem::remove_all(args.Dir);
  return rc;
}
