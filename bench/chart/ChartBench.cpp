// Chart computations that run on every paint or poll: thinning a long recording to pixel points
// (line and symbol series), the linear regression over a million points (four times a second in
// the program), and the axis re-range check when nothing changed. A plain per-column min/max
// pass over the same data is the yardstick for the thinning.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cmath>
#include <memory>
#include <vector>

#include "chart/axes/RtAxis.h"
#include "chart/core/RtGraphBase.h"
#include "chart/series/RtFunctionSeries.h"
#include "chart/series/RtSeries.h"

namespace {

// Just enough graph for series and axes: a fixed drawing area, notices ignored.
class TBenchGraph : public QObject, public TRtGraphBase {
 public:
  QObject* GraphObject() override { return this; }
  void Modified() override {}
  void Invalidate() override {}
  void SeriesModified() override {}
  void LegendsModified() override {}
  void CalculateAxes() override {}
  void ZoomReset() override {}
  bool Updating() const override { return false; }
  bool Loading() const override { return false; }
  bool Panning() const override { return false; }
  QRectF DrawingArea() const override { return {0, 0, 1200, 400}; }
  TRtUndoStack* UndoStack() const override { return nullptr; }
  TRtAxis* PrimaryXAxis() const override { return nullptr; }
  TRtAxis* PrimaryYAxis() const override { return nullptr; }
  QObject* ZoomSettings() override { return this; }
  void SetZoomAuto(bool) override {}
  void SetScrollbarVisible(bool, bool) override {}
};

// A slow signal with noise of NoisePixels on a 400-pixel axis over -1.5 .. 1.5 (sub-pixel by
// default) and an occasional spike, ascending X.
void FillSignal(TRtDoubleVector& x, TRtDoubleVector& y, int n, double NoisePixels = 0.13) {
  std::vector<double> xs(static_cast<std::size_t>(n)), ys(static_cast<std::size_t>(n));
  std::uint32_t r = 12345;
  for (int i = 0; i < n; ++i) {
    r = r * 1664525u + 1013904223u;
    xs[std::size_t(i)] = i;
    ys[std::size_t(i)] = std::sin(i * 6.0 / n) +
                         ((r >> 8) % 1000) * 1e-3 * NoisePixels * 3.0 / 400 +
                         (i % 50000 == 0 ? 0.3 : 0);
  }
  x.AddRange(std::span<const double>(xs));
  y.AddRange(std::span<const double>(ys));
}

struct TScene {
  explicit TScene(int n, bool symbols, double NoisePixels = 0.13) {
    xa.SetGraph(&g);
    ya.SetPosition(TRtAxisPosition::Left);
    ya.SetGraph(&g);
    FillSignal(vx, vy, n, NoisePixels);
    series = symbols ? std::make_unique<TRtPointSeries>() : std::make_unique<TRtLineSeries>();
    series->SetXAxis(&xa);
    series->SetYAxis(&ya);
    series->SetXData(&vx);
    series->SetYData(&vy);
    series->Calculate();
    xa.SetBounds(0, 0, 1200, 40);
    xa.SetAxisLine(0, 0, 1200);
    xa.SetStartStop(0, n - 1);
    ya.SetBounds(0, 0, 60, 400);
    ya.SetAxisLine(60, 0, 400);
    ya.SetStartStop(-1.5, 1.5);
    xa.CalculateTicks();
    ya.CalculateTicks();
  }
  TBenchGraph g;
  TRtAxis xa, ya;
  TRtDoubleVector vx, vy;
  std::unique_ptr<TRtSeries> series;
};

// One full thinning per iteration (points stale each time).
void RunThinning(benchmark::State& state, TScene& scene, int n) {
  for (auto _ : state) {
    scene.series->PointsModified();
    scene.series->CalculatePoints();
    benchmark::DoNotOptimize(scene.series->PointCount());
  }
  state.counters["points"] = scene.series->PointCount();
  state.counters["ns_per_pair"] = benchmark::Counter(
      double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations() * n);
}

void Thinning(benchmark::State& state, bool symbols, double NoisePixels = 0.13) {
  const int n = int(state.range(0));
  TScene scene(n, symbols, NoisePixels);
  RunThinning(state, scene, n);
}

void BM_LineCalculatePoints(benchmark::State& state) {
  Thinning(state, false);
}
BENCHMARK(BM_LineCalculatePoints)
    ->Arg(1000000)
    ->Arg(5000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond);

// Noise of three pixels: every turning point more than a pixel away stays (most of the pairs).
void BM_LineCalculatePointsNoisy(benchmark::State& state) {
  Thinning(state, false, 3);
}
BENCHMARK(BM_LineCalculatePointsNoisy)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The program's case: X is wall-clock time in days (one pair a second from December 2026).
void BM_LineCalculatePointsDateTime(benchmark::State& state) {
  const int n = int(state.range(0));
  TScene scene(n, false);
  std::vector<double> t(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) t[std::size_t(i)] = 46365.0 + i / 86400.0;
  scene.vx.Clear(false);
  scene.vx.AddRange(std::span<const double>(t));
  scene.series->Calculate();
  scene.xa.SetScaling(TRtAxisScaling::DateTime);
  scene.xa.SetStartStop(t.front(), t.back());
  scene.xa.CalculateTicks();
  RunThinning(state, scene, n);
}
BENCHMARK(BM_LineCalculatePointsDateTime)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SymbolCalculatePoints(benchmark::State& state) {
  Thinning(state, true);
}
BENCHMARK(BM_SymbolCalculatePoints)
    ->Arg(1000000)
    ->Arg(5000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond);

// Yardstick: per pixel column, the smallest and largest y, straight from the raw arrays.
void BM_PlainColumnMinMax(benchmark::State& state) {
  const int n = int(state.range(0));
  TRtDoubleVector vx, vy;
  FillSignal(vx, vy, n);
  const double* x = vx.RawData();
  const double* y = vy.RawData();
  std::vector<float> lo(1201), hi(1201);
  const double scale = 1200.0 / (n - 1);
  for (auto _ : state) {
    std::fill(lo.begin(), lo.end(), 1e30f);
    std::fill(hi.begin(), hi.end(), -1e30f);
    for (int i = 0; i < n; ++i) {
      const int c = int(x[i] * scale);
      const float v = float(y[i]);
      lo[std::size_t(c)] = std::min(lo[std::size_t(c)], v);
      hi[std::size_t(c)] = std::max(hi[std::size_t(c)], v);
    }
    benchmark::DoNotOptimize(lo.data());
    benchmark::DoNotOptimize(hi.data());
  }
  state.counters["ns_per_pair"] = benchmark::Counter(
      double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlainColumnMinMax)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The regression over a million pairs with a window over the last Arg pairs: a tenth, and the
// last minute of cycles (35 pairs), the window the rate of change uses.
void BM_Regression1M(benchmark::State& state) {
  TRtDoubleVector vx, vy;
  FillSignal(vx, vy, 1000000);
  TRtLinearRegressionCalculation c;
  c.XData = &vx;
  c.YData = &vy;
  c.Start = vx.GetValue(1000000 - static_cast<int>(state.range(0)));
  c.Stop = vx.GetValue(1000000 - 1);
  for (auto _ : state) {
    c.Calculate();
    benchmark::DoNotOptimize(c.Slope);
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_Regression1M)->Arg(100000)->Arg(35)->Unit(benchmark::kMicrosecond);

// The same through the series, with an outlier-marked vector (the temperature case).
void BM_RegressionSeries1MWithOutliers(benchmark::State& state) {
  TScene scene(1000000, false);
  scene.vy.AddOutlier(500000);
  TRtLinearRegression r;
  r.SetXAxis(&scene.xa);
  r.SetYAxis(&scene.ya);
  r.SetXData(&scene.vx);
  r.SetYData(&scene.vy);
  r.SetAutoStart(false);
  double start = 900000;
  for (auto _ : state) {
    r.SetCalculationStart(start);
    start = start == 900000 ? 900001 : 900000;
    r.Calculate();
    benchmark::DoNotOptimize(r.Slope());
  }
}
BENCHMARK(BM_RegressionSeries1MWithOutliers)->Unit(benchmark::kMillisecond);

// Polling with nothing new: the pending-request check.
void BM_GetNewRangesUnchanged(benchmark::State& state) {
  TScene scene(1000, false);
  scene.xa.RangeModified();
  scene.xa.GetNewRanges();
  for (auto _ : state) {
    scene.xa.GetNewRanges();
    benchmark::DoNotOptimize(scene.xa.Stop());
  }
}
BENCHMARK(BM_GetNewRangesUnchanged);

// A requested re-range with the same data (what a series' extent change costs the axis).
void BM_GetNewRangesRequested(benchmark::State& state) {
  TScene scene(1000, false);
  scene.xa.RefreshFontSize();
  for (auto _ : state) {
    scene.xa.RangeModified();
    scene.xa.GetNewRanges();
    benchmark::DoNotOptimize(scene.xa.Stop());
  }
}
BENCHMARK(BM_GetNewRangesRequested);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
