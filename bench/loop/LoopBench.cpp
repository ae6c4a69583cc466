// The control loop against the simulated bench, and the program log at ten million lines.
//
//   bench_loop --benchmark_filter=Cycle   one worker cycle (fast query and PI law) with the
//                                         bypass and the after-search transport settings
//   bench_loop --benchmark_filter=Log     appending one cycle's lines, painting, memory per line
//
// Cycle floor: two serial-poll waits of 200 ms plus four waiting exchanges (two polls, two
// reads), each at least two read-loop pauses W and the 20 ms quiet interval that ends a read:
// 400 + 4 * (2 * W + 20) ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <memory>
#include <thread>

#include "app/LogView.h"
#include "app/frmZenkar2.h"
#include "sim/SimBench.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_loop";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

struct TRig {
  std::unique_ptr<sim::Bench> bench;
  explicit TRig(uint32_t loopMs, int readTimeout, bool paced) {
    sim::BenchOptions o;
    o.PaceOutput = paced;  // replies at 9600 baud, as on the wire
    o.SpeedFactor = 50;    // replies ready by the first poll: only the program's own waits count
    o.RegisterInPortList = true;
    bench = std::make_unique<sim::Bench>(o);
    bench->Start();
    const std::string port = "COM" + std::to_string(bench->ComNumber());
    PrologixController = new TPrologix;
    PrologixController->SetPort(port);
    PrologixController->SetEOIonSend(true);
    PrologixController->SetWindowsReadLoopTimeoutMS(loopMs);
    K2000 = new TKeithley2000_Scan_Zenkar;
    K2401 = new TKeithley2401_Zenkar;
    uint8_t addr = 2;
    for (TGPIBDevice* d : {static_cast<TGPIBDevice*>(K2000), static_cast<TGPIBDevice*>(K2401)}) {
      d->SetPort(port);
      d->SetAddr(addr--);
      d->SetReadTimeout(readTimeout);
      d->SetCommunicator(PrologixController);
    }
    K2000->Initialize_For_Zenkar();
    K2401->Initialize_For_Zenkar();
  }
  ~TRig() {
    delete K2000;
    delete K2401;
    delete PrologixController;
    K2000 = nullptr;
    K2401 = nullptr;
    PrologixController = nullptr;
  }
};

void Cycle(benchmark::State& state, uint32_t loopMs, int readTimeout, bool paced = true) {
  App();
  TRig rig(loopMs, readTimeout, paced);
  double cpu = 0, wall = 0;
  int n = 0;
  for (auto _ : state) {
    ThreadData.ThreadRunning = true;
    auto w = std::make_unique<TThreadCom>(true);
    w->TargetSetpoint = 0.002;
    w->ProportionalBand = 0.0005;
    w->IntegralStrength = 20;
    w->SMUCurrentCompliance = 0.008;
    w->SMUVoltageCompliance = 1;
    w->PumpIsOn = true;
    w->LastExecutionTime = Now();
    const auto t0 = std::chrono::steady_clock::now();
    w->Resume();
    while (!w->Finished()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    wall +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    cpu += w->CpuSeconds * 1000;
    ++n;
  }
  const double floorMs = 400 + 4 * (2.0 * loopMs + 20);
  state.counters["wall_ms"] = wall / n;
  state.counters["floor_ms"] = floorMs;
  state.counters["above_floor_pct"] = (wall / n / floorMs - 1) * 100;
  state.counters["worker_cpu_ms"] = cpu / n;
}

void BM_CycleBypass(benchmark::State& s) {
  Cycle(s, 123, 5000);
}
// The same without the replies' wire time: what the program itself adds to its pauses.
void BM_CycleBypassUnpaced(benchmark::State& s) {
  Cycle(s, 123, 5000, false);
}
void BM_CycleAfterSearch(benchmark::State& s) {
  Cycle(s, 333, 1000);
}
BENCHMARK(BM_CycleBypass)->Iterations(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CycleBypassUnpaced)->Iterations(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CycleAfterSearch)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// One presented cycle's log lines: the full frame and the PI messages.
std::vector<std::string> CycleLines() {
  TDataFromThread d;
  d.SMUCompliancesSet = d.SlowQueryOk = true;
  d.Channel2Voltage = 1.9e-3;
  auto lines = StatusFrame(d);
  for (const char* m : {"", "PID - control", "Inside proportional band, PI control",
                        "Proportional band at : 0.0015 V", "Sensor voltage at    : 0.0019 V",
                        "Proportional effect  : 20 %", "Integral sum         : 0.0012",
                        "Integral effect      : 12 %", "Total effect         : 32 %",
                        "Max current          : 8 mA", "Apply current        : 2.56 mA"})
    lines.push_back(m);
  return lines;
}

TLogView& BigLog() {
  static TLogView* v = [] {
    App();
    auto* view = new TLogView;
    view->resize(320, 500);
    const auto lines = CycleLines();
    while (view->Count() < 10'000'000)
      for (const auto& l : lines) view->Add(l);
    return view;
  }();
  return *v;
}

void BM_LogAppendCycleAt10M(benchmark::State& state) {
  TLogView& v = BigLog();
  const auto lines = CycleLines();
  for (auto _ : state) {
    for (const auto& l : lines) v.Add(l);
    v.AppendToLast(".");
  }
  state.counters["lines"] = static_cast<double>(v.Count());
  state.counters["bytes_per_line"] =
      static_cast<double>(v.Store().MemoryBytes()) / static_cast<double>(v.Count());
  state.counters["lines_per_cycle"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_LogAppendCycleAt10M)->Unit(benchmark::kMicrosecond);

void BM_LogPaintAt10M(benchmark::State& state) {
  TLogView& v = BigLog();
  QCoreApplication::processEvents();
  QImage img(v.size(), QImage::Format_RGB32);
  for (auto _ : state) v.render(&img);
}
BENCHMARK(BM_LogPaintAt10M)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
