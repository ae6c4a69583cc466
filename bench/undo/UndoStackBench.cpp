// The undo stack as the application uses it: one stack with Limit 20 in memory, recording the
// property changes of its own 250 ms tick (regression calculation start and caption, an axis
// range), with nothing ever undone. Cost per recorded change with the stack at its limit, and
// the stack's memory over 100,000 ticks.
#include <benchmark/benchmark.h>

#include <QObject>
#include <QString>

#include <unistd.h>
#include <fstream>
#include <string>

#include "chart/io/RtPaths.h"
#include "chart/undo/RtUndoStack.h"
#include "chart/undo/RtUndoStore.h"

struct TRtUndoStackProbe {
  static std::int64_t Bytes(const TRtUndoStack& s) { return s.FUndoStream->Size(); }
  static std::int64_t Reserved(const TRtUndoStack& s) {
    return static_cast<const TRtMemoryUndoStore&>(*s.FUndoStream).Capacity();
  }
};

namespace {

// Stands for the regression series and an axis: published properties whose setters record.
class TBenchSeries : public QObject {
  Q_OBJECT
  Q_PROPERTY(double CalculationStart READ CalculationStart WRITE SetCalculationStart)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(double Start READ Start WRITE SetStart)
  Q_PROPERTY(double Stop READ Stop WRITE SetStop)

 public:
  TBenchSeries(QObject* Owner, const char* Name, TRtUndoStack* Stack)
      : QObject(Owner), fStack(Stack) {
    setObjectName(QString::fromLatin1(Name));
  }
  double CalculationStart() const { return fCalcStart; }
  void SetCalculationStart(double v) {
    if (v == fCalcStart) return;
    fStack->PushProperty(this, QStringLiteral("Function series calculation start"),
                         "CalculationStart");
    fCalcStart = v;
  }
  QString Caption() const { return fCaption; }
  void SetCaption(const QString& v) {
    if (v == fCaption) return;
    fStack->PushProperty(this, QStringLiteral("Series caption"), "Caption");
    fCaption = v;
  }
  double Start() const { return fStart; }
  void SetStart(double v) {
    fStack->PushProperty(this, QStringLiteral("Axis range start"), "Start");
    fStart = v;
  }
  double Stop() const { return fStop; }
  void SetStop(double v) {
    fStack->PushProperty(this, QStringLiteral("Axis range stop"), "Stop");
    fStop = v;
  }

 private:
  TRtUndoStack* fStack;
  double fCalcStart = 0, fStart = 0, fStop = 0;
  QString fCaption;
};

// The main window: a registered form with as many named components as the real one (the path of
// each recorded object is checked by looking it up among them).
struct TWindow {
  explicit TWindow(int Components = 120) {
    Form.setObjectName(QStringLiteral("FormZenkar2"));
    RtRegisterForm(&Form);
    for (int k = 0; k < Components; ++k)
      (new QObject(&Form))->setObjectName(QStringLiteral("Component%1").arg(k));
    // Looked up after all the others.
    Regression = new TBenchSeries(&Form, "RtLinearRegression1", Stack);
    Axis = new TBenchSeries(&Form, "RtAxisTime", Stack);
    Stack->SetLimit(20);
  }
  ~TWindow() { RtUnregisterRoot(&Form); }

  // One tick: the regression's window moves and its caption shows the new slope; the time axis
  // follows as one group.
  void Tick(long n) {
    const double now = 45000.0 + n * (0.25 / 86400);
    Regression->SetCalculationStart(now - 10.0 / 1440);
    Regression->SetCaption(QStringLiteral("Slope: %1 A/min").arg(1.234e-7 * (n % 997)));
    Stack->StartGroup(QStringLiteral("Axis range"));
    Axis->SetStart(now - 1.0 / 24);
    Axis->SetStop(now);
    Stack->StopGroup();
  }

  QObject Form;
  TRtUndoStack* Stack = new TRtUndoStack(&Form);
  TBenchSeries* Regression = nullptr;
  TBenchSeries* Axis = nullptr;
};

long RssKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// One recorded change of a double property, the stack full: every push cuts the oldest group.
// Argument: named components on the form.
void BM_PushDoubleAtLimit(benchmark::State& state) {
  TWindow w(static_cast<int>(state.range(0)));
  for (long n = 0; n < 100; ++n) w.Tick(n);
  double v = 1;
  for (auto _ : state) w.Regression->SetCalculationStart(v += 1e-6);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PushDoubleAtLimit)->Arg(0)->Arg(120);

// The same with the caption text.
void BM_PushCaptionAtLimit(benchmark::State& state) {
  TWindow w;
  for (long n = 0; n < 100; ++n) w.Tick(n);
  long k = 0;
  for (auto _ : state) w.Regression->SetCaption(QStringLiteral("Slope: %1 A/min").arg(++k));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PushCaptionAtLimit);

// A whole tick: four recorded changes in three groups.
void BM_TickAtLimit(benchmark::State& state) {
  TWindow w;
  long n = 0;
  for (; n < 100; ++n) w.Tick(n);
  for (auto _ : state) w.Tick(n++);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickAtLimit);

// 100,000 ticks (about seven hours of the application's loop); the stack's bytes and the
// process's resident memory after 1,000 and after 100,000 ticks.
void BM_Memory100kTicks(benchmark::State& state) {
  for (auto _ : state) {
    TWindow w;
    long n = 0;
    for (; n < 1000; ++n) w.Tick(n);
    const long rss1k = RssKiB();
    const auto bytes1k = TRtUndoStackProbe::Bytes(*w.Stack);
    const auto reserved1k = TRtUndoStackProbe::Reserved(*w.Stack);
    for (; n < 100000; ++n) w.Tick(n);
    state.counters["groups"] = w.Stack->UndoCount();
    state.counters["stream_bytes_1k"] = double(bytes1k);
    state.counters["stream_bytes_100k"] = double(TRtUndoStackProbe::Bytes(*w.Stack));
    state.counters["reserved_bytes_1k"] = double(reserved1k);
    state.counters["reserved_bytes_100k"] = double(TRtUndoStackProbe::Reserved(*w.Stack));
    state.counters["rss_growth_KiB"] = double(RssKiB() - rss1k);
  }
}
BENCHMARK(BM_Memory100kTicks)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

#include "UndoStackBench.moc"
