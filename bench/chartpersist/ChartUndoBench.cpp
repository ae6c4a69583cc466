// The undo stack as the application runs it, on the main window's real chart objects: one stack
// (Limit 20, in memory) shared by both graphs, recording the changes of the 250 ms tick through
// the objects' own setters (side effects included). Cost per recorded change with the stack at
// its limit, the cost of a whole tick, and the stack's memory over 100,000 ticks.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <unistd.h>
#include <fstream>

#include "chart/undo/RtUndoStore.h"
#include "tests/chartpersist/MainWindowCharts.h"

struct TRtUndoStackProbe {
  static std::int64_t Bytes(const TRtUndoStack& s) { return s.FUndoStream->Size(); }
  static std::int64_t Reserved(const TRtUndoStack& s) {
    return static_cast<const TRtMemoryUndoStore&>(*s.FUndoStream).Capacity();
  }
};

namespace {

// The window after its design and first configuration, 600 rows of data, the stack full.
struct TWindow {
  TWindow() {
    w.Design();
    w.AddRows(600);
    w.Configure(TMainWindowCharts::TMode::DateTimeAuto);
    w.Regression->SetVisible(true);
    w.Update();
    for (int k = 0; k < 30; ++k) Tick();
  }

  // One tick of the graph settings with a newer reading (the last row moves on, so the memory
  // stays that of the 600 rows): everything set again (recorded only when it changes), the
  // regression window moved up to the stop of the last calculation, recalculated, its caption
  // rewritten.
  void Tick() {
    ++n;
    w.Time->SetValue(599, 46000.5 + (600 + n) * (2.0 / 86400));
    w.PumpCurrent->SetValue(599, 1e-3 + 1e-5 * (600 + n % 13));
    w.Configure(TMainWindowCharts::TMode::DateTimeAuto, 5, false);
    w.Regression->SetVisible(true);
    w.Regression->SetCalculationStart(w.Regression->CalculationStop() - 1.0 / 1440);
    try {
      w.Regression->Calculate();
    } catch (const ERtMathError&) {
    }
    w.Regression->SetCaption(QStringLiteral("Rate of change, last 1 minutes: %1 mA/min")
                                 .arg(w.Regression->Slope() * 1000 / 1440 + n % 7));
  }

  TMainWindowCharts w;
  long n = 0;
};

long RssKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_SeriesCaptionAtLimit(benchmark::State& state) {
  TWindow t;
  long k = 0;
  for (auto _ : state)
    t.w.PumpCurrentSeries->SetCaption(QStringLiteral("Pump Current %1").arg(++k % 2));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SeriesCaptionAtLimit);

void BM_RegressionCalculationStartAtLimit(benchmark::State& state) {
  TWindow t;
  double v = 46000.5;
  for (auto _ : state) t.w.Regression->SetCalculationStart(v += 1e-6);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegressionCalculationStartAtLimit);

// Start and stop of the pump graph's time axis, one recorded change each.
void BM_AxisStartStopAtLimit(benchmark::State& state) {
  TWindow t;
  double v = 46000.5;
  for (auto _ : state) {
    t.w.XAxisPumpTime->SetStart(v += 1e-6);
    t.w.XAxisPumpTime->SetStop(v + 1.0 / 24);
  }
  state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_AxisStartStopAtLimit);

// The same change without a stack: what the setter itself costs.
void BM_RegressionCalculationStartNoStack(benchmark::State& state) {
  TWindow t;
  t.w.Regression->SetUndoStack(nullptr);
  double v = 46000.5;
  for (auto _ : state) t.w.Regression->SetCalculationStart(v += 1e-6);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegressionCalculationStartNoStack);

// A whole tick (with the regression's calculation over 600 rows).
void BM_TickAtLimit(benchmark::State& state) {
  TWindow t;
  for (auto _ : state) t.Tick();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickAtLimit)->Unit(benchmark::kMicrosecond);

// 100,000 ticks (about seven hours of the loop): the stack's bytes and the process's resident
// memory after 1,000 and after 100,000 ticks.
void BM_Memory100kTicks(benchmark::State& state) {
  for (auto _ : state) {
    {
      // Changes recorded per tick, counted once without a limit.
      TWindow c;
      c.w.Undo->SetLimit(0);
      c.w.Undo->Clear();
      for (int k = 0; k < 100; ++k) c.Tick();
      state.counters["recorded_per_tick"] = c.w.Undo->UndoCount() / 100.0;
    }
    TWindow t;
    for (int k = 0; k < 1000; ++k) t.Tick();
    const long rss1k = RssKiB();
    const auto bytes1k = TRtUndoStackProbe::Bytes(*t.w.Undo);
    const auto reserved1k = TRtUndoStackProbe::Reserved(*t.w.Undo);
    for (int k = 1000; k < 100000; ++k) t.Tick();
    state.counters["groups"] = t.w.Undo->UndoCount();
    state.counters["stream_bytes_1k"] = double(bytes1k);
    state.counters["stream_bytes_100k"] = double(TRtUndoStackProbe::Bytes(*t.w.Undo));
    state.counters["reserved_bytes_1k"] = double(reserved1k);
    state.counters["reserved_bytes_100k"] = double(TRtUndoStackProbe::Reserved(*t.w.Undo));
    state.counters["rss_growth_KiB"] = double(RssKiB() - rss1k);
  }
}
BENCHMARK(BM_Memory100kTicks)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
