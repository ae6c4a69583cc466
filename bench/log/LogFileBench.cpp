// The program log with its log file at twelve million lines (a week of cycles of 36 lines):
// memory held, appending one cycle's lines, and painting the view after scrolling to a part of
// the log that is only in the file and back to the end.
//
//   bench_logfile [--benchmark_filter=...]   (the log file goes to a folder under /tmp)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/CellState.h"
#include "app/LogView.h"
#include "app/StatusFrame.h"

namespace {

constexpr int64_t kLines = 12'000'000;

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_logfile";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// One presented cycle's log lines: the progress line, the full frame and the PI messages.
std::vector<std::string> CycleLines() {
  TDataFromThread d;
  d.SMUCompliancesSet = d.SlowQueryOk = true;
  d.Channel2Voltage = 1.9e-3;
  std::vector<std::string> lines = {"", "Communicating with instruments...."};
  for (const std::string& l : StatusFrame(d)) lines.push_back(l);
  for (const char* m : {"", "PID - control", "Inside proportional band, PI control",
                        "Proportional band at : 0.0015 V", "Sensor voltage at    : 0.0019 V",
                        "Proportional effect  : 20 %", "Integral sum         : 0.0012",
                        "Integral effect      : 12 %", "Max current          : 8 mA"})
    lines.push_back(m);
  return lines;
}

struct TBigLog {
  QTemporaryDir dir;
  std::unique_ptr<TLogView> view;
  TBigLog() {
    App();
    view = std::make_unique<TLogView>();
    view->resize(320, 500);
    std::string error;
    if (!view->OpenFile(dir.path().toStdString() + "/Userdata/Logs/bench.log", error))
      std::fprintf(stderr, "log file: %s\n", error.c_str());
    const auto lines = CycleLines();
    while (view->Count() < kLines)
      for (const auto& l : lines) view->Add(l);
    QCoreApplication::processEvents();
  }
};

TBigLog& BigLog() {
  static TBigLog* log = new TBigLog;
  return *log;
}

double ResidentMB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kb = 0;
  while (status >> key)
    if (key == "VmRSS:") status >> kb;
  return static_cast<double>(kb) / 1024.0;
}

void Counters(benchmark::State& state, const TLogView& v) {
  state.counters["rss_MB"] = ResidentMB();
  state.counters["lines"] = static_cast<double>(v.Count());
  state.counters["store_MB"] = static_cast<double>(v.Store().MemoryBytes()) / 1048576.0;
  state.counters["read_backs"] = static_cast<double>(v.Store().ReadBacks());
}

void BM_LogFileAppendCycleAt12M(benchmark::State& state) {
  TLogView& v = *BigLog().view;
  const auto lines = CycleLines();
  for (auto _ : state) {
    for (const auto& l : lines) v.Add(l);
    v.AppendToLast(".");
    v.FlushFinished();  // what the next event-loop turn does: the finished lines to the file
  }
  state.counters["lines_per_cycle"] = static_cast<double>(lines.size());
  Counters(state, v);
}
BENCHMARK(BM_LogFileAppendCycleAt12M)->Unit(benchmark::kMicrosecond);

// Scrolls to a part of the log not in memory nor in the cache (a different one every time, so
// each paint reads its chunk back from the file), paints, scrolls back to the end and paints.
void BM_LogFileScrollToFilePartAndBack(benchmark::State& state) {
  TLogView& v = *BigLog().view;
  QImage img(v.size(), QImage::Format_RGB32);
  QScrollBar* bar = v.verticalScrollBar();
  const int chunks = static_cast<int>(v.Count() / TLogStore::kLinesPerChunk);
  int k = 0;
  for (auto _ : state) {
    const int chunk = (k++ * 97) % (chunks - 8);
    bar->setValue(k == 1 ? 0 : chunk * TLogStore::kLinesPerChunk + 100);  // the top first
    v.render(&img);
    bar->setValue(bar->maximum());
    v.render(&img);
  }
  Counters(state, v);
}
BENCHMARK(BM_LogFileScrollToFilePartAndBack)->Unit(benchmark::kMillisecond)->Iterations(200);

// The end alone, for comparison: everything in memory.
void BM_LogFilePaintAtEnd(benchmark::State& state) {
  TLogView& v = *BigLog().view;
  QImage img(v.size(), QImage::Format_RGB32);
  v.verticalScrollBar()->setValue(v.verticalScrollBar()->maximum());
  for (auto _ : state) v.render(&img);
  Counters(state, v);
}
BENCHMARK(BM_LogFilePaintAtEnd)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
