// Appending to the data vectors as the control loop does, with statistics queried as the graphs
// query them.
#include "chart/data/RtVectors.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

class TNullSeries : public IRtVectorListener {
 public:
  TRtListenerKind VectorListenerKind() const override { return TRtListenerKind::Series; }
  void PointsModified() override { ++Notices; }
  void SetLastCount(int) override { ++Notices; }
  long Notices = 0;
};

constexpr int kRows = 1000000;

// Rising values with a little jitter, made once outside the timed loops.
const std::vector<double>& Samples() {
  static const std::vector<double> samples = [] {
    std::vector<double> s(kRows);
    for (int i = 0; i < kRows; ++i) s[i] = 0.001 * i + ((i * 7919LL) % 101) * 1e-4;
    return s;
  }();
  return samples;
}

// 1,000,000 appends, statistics read once at the end.
void BM_Append1M(benchmark::State& state) {
  const std::vector<double>& x = Samples();
  for (auto _ : state) {
    TRtDoubleVector v;
    for (int i = 0; i < kRows; ++i) v.Add(x[i]);
    benchmark::DoNotOptimize(v.Minimum() + v.Maximum() + v.Sum());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Append1M)->Unit(benchmark::kMillisecond);

// 1,000,000 appends with two listening series and the statistics read after every append.
void BM_Append1MQueryEach(benchmark::State& state) {
  const std::vector<double>& x = Samples();
  for (auto _ : state) {
    TRtDoubleVector v;
    TNullSeries a, b;
    v.AddListener(&a);
    v.AddListener(&b);
    double acc = 0;
    for (int i = 0; i < kRows; ++i) {
      v.Add(x[i]);
      acc += v.Minimum() + v.Maximum() + v.Sum();
    }
    benchmark::DoNotOptimize(acc);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Append1MQueryEach)->Unit(benchmark::kMillisecond);

// The temperature vector: 1,000,000 rows, four of five unmeasured (0 marked as outlier), the
// maximum read after every row.
void BM_Temperature1M(benchmark::State& state) {
  const std::vector<double>& x = Samples();
  for (auto _ : state) {
    TRtDoubleVector v;
    TNullSeries s;
    v.AddListener(&s);
    double acc = 0;
    for (int i = 0; i < kRows; ++i) {
      if (i % 5 == 0) {
        v.Add(700 + x[i]);
      } else {
        v.Add(0);
        v.AddOutlier(v.Count() - 1);
      }
      acc += v.Maximum();
    }
    benchmark::DoNotOptimize(acc);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Temperature1M)->Unit(benchmark::kMillisecond);

// The same appends into storage that is already in memory (a cleared vector keeps its storage), so
// that fresh-page faults do not dominate; values alternate between rounds so every write stores.
void BM_Append1MWarm(benchmark::State& state) {
  const std::vector<double>& x = Samples();
  TRtDoubleVector v;
  TNullSeries a, b;
  v.AddListener(&a);
  v.AddListener(&b);
  v.SetCapacity(kRows + 1);
  double offset = 0;
  for (auto _ : state) {
    v.Clear(false);
    offset = offset == 0 ? 1 : 0;
    double acc = 0;
    for (int i = 0; i < kRows; ++i) {
      v.Add(x[i] + offset);
      if (state.range(0)) acc += v.Minimum() + v.Maximum() + v.Sum();
    }
    acc += v.Minimum() + v.Maximum() + v.Sum();
    benchmark::DoNotOptimize(acc);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Append1MWarm)->Arg(0)->Arg(1)->ArgName("QueryEach")->Unit(benchmark::kMillisecond);

// Plain std::vector appends for comparison.
void BM_StdVectorPushBack1M(benchmark::State& state) {
  const std::vector<double>& x = Samples();
  for (auto _ : state) {
    std::vector<double> v;
    for (int i = 0; i < kRows; ++i) v.push_back(x[i]);
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StdVectorPushBack1M)->Unit(benchmark::kMillisecond);

void BM_StdVectorPushBack1MWarm(benchmark::State& state) {
  const std::vector<double>& x = Samples();
  std::vector<double> v;
  v.reserve(kRows);
  for (auto _ : state) {
    v.clear();
    for (int i = 0; i < kRows; ++i) v.push_back(x[i]);
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StdVectorPushBack1MWarm)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
