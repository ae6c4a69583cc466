// Conversions per second, and proof that they allocate nothing: every global operator new of
// the process is counted (CountingNew.cpp), and the count taken inside the timed loop is reported
// as the counter "allocs" (expected 0).
#include "thermo/Thermocouples.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/thermo/CountingNew.h"

namespace {

struct TBracket {
  double Lo, Hi;    // uV
  double TLo, THi;  // degC
};

const TBracket kBrackets[] = {
    {-8095, 69553, -210, 1200},                     // J
    {-6458, 54886, -200, 1372},                     // K
    {-8825, 76373, -200, 1000},                     // E
    {-6258, 20872, -200, 400},                      // T
    {-235.55507149267, 18693.544691, -50, 1768},    // S
    {-226.46518817384, 21102.70234786, -50, 1768},  // R
    {-4345, 47513, -200, 1300},                     // N
    {-2.579382319873, 13820.279215181, 100, 1820},  // B
    {-233, 37065.98, 0, 2315},                      // C
    {-163.23291, 39500.367, 0, 2315},               // D
    {-15.8, 38564.395990718, 0, 2315},              // G
};

const char* const kNames[] = {"J", "K", "E", "T", "S", "R", "N", "B", "C", "D", "G"};

constexpr int kPoints = 1024;

std::vector<double> Spread(double lo, double hi) {
  std::vector<double> v(kPoints);
  for (int i = 0; i < kPoints; ++i) v[i] = lo + (hi - lo) * (i + 0.5) / kPoints;
  return v;
}

void ReportAllocations(benchmark::State& state, long before) {
  const long during = NewCallCount() - before;
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(during));
  state.SetItemsProcessed(state.iterations());
}

void BM_TemperatureFromEmf(benchmark::State& state) {
  const auto type = static_cast<std::uint8_t>(state.range(0));
  const std::vector<double> emfs = Spread(kBrackets[type].Lo, kBrackets[type].Hi);
  state.SetLabel(kNames[type]);
  std::size_t i = 0;
  const long before = NewCallCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(TemperatureFromEmf(type, emfs[i]));
    i = (i + 1) & (kPoints - 1);
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_TemperatureFromEmf)->DenseRange(0, 10);

void BM_EmfFromTemperature(benchmark::State& state) {
  const auto type = static_cast<std::uint8_t>(state.range(0));
  const std::vector<double> temperatures = Spread(kBrackets[type].TLo, kBrackets[type].THi);
  state.SetLabel(kNames[type]);
  std::size_t i = 0;
  const long before = NewCallCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(EmfFromTemperature(type, temperatures[i]));
    i = (i + 1) & (kPoints - 1);
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_EmfFromTemperature)->DenseRange(0, 10);

void BM_ThermistorTemperature(benchmark::State& state) {
  const std::vector<double> resistances = Spread(66.468, 44297);
  std::size_t i = 0;
  double t = 0;
  const long before = NewCallCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ThermistorTemperature(resistances[i], t));
    benchmark::DoNotOptimize(t);
    i = (i + 1) & (kPoints - 1);
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_ThermistorTemperature);

void BM_ThermistorResistance(benchmark::State& state) {
  const std::vector<double> temperatures = Spread(-40, 150);
  std::size_t i = 0;
  const long before = NewCallCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ThermistorResistance(temperatures[i]));
    i = (i + 1) & (kPoints - 1);
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_ThermistorResistance);

// The slow query's cell temperature: thermistor, cold-junction EMF, type S conversion.
void BM_ColdJunctionCompensatedTypeS(benchmark::State& state) {
  const std::vector<double> channel4 = Spread(0, 18000);
  std::size_t i = 0;
  const long before = NewCallCount();
  for (auto _ : state) {
    double box = 0;
    ThermistorTemperature(1000 + static_cast<double>(i), box);
    const double cj = EmfFromTemperature(4, box);
    benchmark::DoNotOptimize(TemperatureFromEmf(4, channel4[i] + cj));
    i = (i + 1) & (kPoints - 1);
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_ColdJunctionCompensatedTypeS);

// Sanity check that the counter sees allocations at all.
void BM_CounterSeesAllocations(benchmark::State& state) {
  const long before = NewCallCount();
  for (auto _ : state) {
    auto* p = new double(1.0);
    benchmark::DoNotOptimize(p);
    delete p;
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_CounterSeesAllocations);

}  // namespace

BENCHMARK_MAIN();
