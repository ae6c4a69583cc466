// Wall and CPU time of one serial exchange with a reply, against the least the pauses and
// the 9600-baud line allow.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>

#include "sim/SimBench.h"
#include "transport/Prologix.h"

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

// One "++spoll\r" exchange against the paced bench; the reply is "0\r\n".
void BM_ExchangeWithReply(benchmark::State& state) {
  const uint32_t pause = static_cast<uint32_t>(state.range(0));
  sim::BenchOptions o;
  o.PaceOutput = true;
  sim::Bench bench(o);
  if (!bench.Start()) {
    state.SkipWithError("bench did not start");
    return;
  }
  TPrologix ctl;
  ctl.SetPort(bench.DevicePath());
  ctl.SetWindowsReadLoopTimeoutMS(pause);
  ctl.SetAddress(1);  // the SourceMeter answers the polls
  const std::string request = "++spoll\r";
  const double requestBytes = static_cast<double>(request.size());
  const double replyBytes = 3;
  double cpu = 0;
  for (auto _ : state) {
    const double c0 = CpuSeconds();
    TSerialResponse r = ctl.Send2(request, true);
    cpu += CpuSeconds() - c0;
    if (!r.Status.empty()) state.SkipWithError(r.Status.c_str());
    benchmark::DoNotOptimize(r);
  }
  // Least time: two pauses and the 20 ms quiet interval that ends the read; request and reply
  // travel on the line during the first pause unless the line takes longer.
  const double lineMs = (requestBytes + replyBytes) * 10.0 / 9600.0 * 1000.0;
  const double boundMs = std::max<double>(pause, lineMs) + pause + 20.0;
  state.counters["bound_ms"] = boundMs;
  state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000.0, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ExchangeWithReply)
    ->Arg(123)
    ->Arg(333)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->UseRealTime();

// Stop of the simulated bench while its controller waits 3 s for an address nobody answers:
// Stop must not wait for that poll.
void BM_BenchStopWithPendingPoll(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    sim::Bench bench;
    if (!bench.Start()) {
      state.SkipWithError("bench did not start");
      break;
    }
    TSerialPort port;
    port.SetPort(bench.DevicePath());
    port.SetWindowsReadLoopTimeoutMS(0);
    port.Send2("++read_tmo_ms 3000\r++spoll 9\r", false);
    if (!bench.WaitReceived("++spoll 9\r", 2000) || !bench.OperationPending()) {
      state.SkipWithError("no pending poll");
      break;
    }
    state.ResumeTiming();
    bench.Stop();
  }
}
BENCHMARK(BM_BenchStopWithPendingPoll)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
