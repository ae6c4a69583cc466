// The two live graphs of the main window at 1200 x 400 pixels, offscreen, with the window's series
// settings: a full repaint (every pixel point stale) at 1, 5 and 10 million rows, one appended row
// and a repaint at 1 million, the memory per row, and plain QPainter polylines of all points and
// of a per-column first/min/max/last reduction as the yardstick.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>

#include <malloc.h>

#include <cmath>
#include <memory>
#include <vector>

#include "chart/graph/RtGraph2D.h"
#include "chart/series/RtFunctionSeries.h"

namespace {

constexpr int kW = 1200, kH = 400;
constexpr double kDay0 = 46365.0;  // 9 Dec 2026

double Noise(std::uint32_t& r) {
  r = r * 1664525u + 1013904223u;
  return ((r >> 8) % 2001) / 1000.0 - 1;  // -1 .. 1
}

// Row i of the seven vectors.
struct TRow {
  double t, s, pumpI, sensorU, pumpU, temp, setpoint;
};
TRow MakeRow(int i, std::uint32_t& r) {
  const double phase = i / 20000.0;
  TRow w;
  w.t = kDay0 + i / 86400.0;
  w.s = i;
  w.sensorU = 0.45 + 0.05 * std::sin(phase) + 0.0004 * Noise(r);
  w.pumpI = 0.002 + 0.0008 * std::sin(phase + 0.5) + 0.000004 * Noise(r);
  w.pumpU = 1.2 + 0.2 * std::sin(phase + 1) + 0.0005 * Noise(r);
  w.temp = 700 + 5 * std::sin(phase / 3) + 0.02 * Noise(r);
  w.setpoint = 0.45 + (i / 200000 % 2) * 0.02;
  return w;
}

void Style(TRtSeries& s, TRtColor c, float width, bool symbols, TRtPointSymbol sym = {},
           float size = 8) {
  s.Line()->SetColor(c);
  s.Line()->SetWidth(width);
  s.PointSymbol()->SetVisible(symbols);
  if (symbols) {
    s.PointSymbol()->SetPointSymbol(sym);
    s.PointSymbol()->SetSize(size);
    s.PointSymbol()->SetFillColor(c);
    s.PointSymbol()->SetBorderColor(c);
  }
}

struct TWindowGraphs {
  explicit TWindowGraphs(int n, float LineWidth = 2) {
    for (TRtGraph2D* g : {&pump, &sensor}) g->resize(kW, kH);
    pump.SetSmoothingMode(TRtSmoothingMode::AntiAlias);
    yPump.SetPosition(TRtAxisPosition::Right);
    ySensor.SetPosition(TRtAxisPosition::Right);
    yTemp.SetPosition(TRtAxisPosition::Left);
    xPump.SetGraph(&pump);
    yPump.SetGraph(&pump);
    xSensor.SetGraph(&sensor);
    ySensor.SetGraph(&sensor);
    yTemp.SetGraph(&sensor);
    for (TRtAxis* a : {&xPump, &xSensor}) {
      a->SetScaling(TRtAxisScaling::DateTime);
      a->SetCaption("Time ( Date and time )");
    }
    yPump.SetCaption("Pump current (A)");
    ySensor.SetCaption("Sensor and Pump Voltage (V)");
    yTemp.SetCaption("Temperature ( ºC )");
    Append(n);
    auto bind = [this](TRtSeries& s, TRtAxis& x, TRtAxis& y, TRtDoubleVector& v) {
      s.SetXAxis(&x);
      s.SetYAxis(&y);
      s.SetXData(&time);
      s.SetYData(&v);
    };
    bind(current, xPump, yPump, pumpI);
    bind(regression, xPump, yPump, pumpI);
    bind(sensorU, xSensor, ySensor, sensorV);
    bind(pumpU, xSensor, ySensor, pumpV);
    bind(temperature, xSensor, yTemp, temp);
    bind(target, xSensor, ySensor, setpoint);
    Style(current, 0xFF0000FF, LineWidth, true, TRtPointSymbol::Square);
    Style(sensorU, 0xFF00C000, LineWidth, true, TRtPointSymbol::Circle);
    Style(pumpU, 0xFF0000C0, LineWidth, false);
    Style(temperature, 0xFFFF0000, LineWidth, true, TRtPointSymbol::Dot, 1);
    Style(target, 0xFFFF0000, LineWidth / 2, false);
    regression.Line()->SetColor(RtColors::Black);
    regression.Line()->SetWidth(4);
    regression.Line()->SetDashStyle(TDashStyle::DashStyleDash);
    regression.SetAutoUpdate(false);
    sensorU.SetLayer(0);
    pumpU.SetLayer(1);
    temperature.SetLayer(2);
    target.SetLayer(3);
    regression.SetCalculationStart(time.GetValue(n - 1) - 1 / 1440.0);
    regression.Calculate();
    Repaint();
  }
  void Append(int k) {
    std::vector<double> cols[7];
    for (auto& c : cols) c.reserve(std::size_t(k));
    for (int i = 0; i < k; ++i) {
      const TRow w = MakeRow(rows + i, seed);
      const double v[7] = {w.t, w.s, w.pumpI, w.sensorU, w.pumpU, w.temp, w.setpoint};
      for (int c = 0; c < 7; ++c) cols[c].push_back(v[c]);
    }
    TRtDoubleVector* vecs[7] = {&time, &seconds, &pumpI, &sensorV, &pumpV, &temp, &setpoint};
    for (int c = 0; c < 7; ++c)
      if (k == 1)
        vecs[c]->Add(cols[c][0]);  // as a control cycle appends
      else
        vecs[c]->AddRange(std::span<const double>(cols[c]));
    rows += k;
  }
  // Both graphs into their back buffers, as their paint events do.
  void Repaint() {
    for (int i = 0; i < 2; ++i) {
      images[i].fill(Qt::transparent);
      QPainter p(&images[i]);
      (i == 0 ? pump : sensor).PaintGr(p);
    }
  }
  // Both graphs through their own paint events (back buffer, then onto the target), as the
  // window system has them painted: a tick that changed only points repaints only those.
  void PaintWidgets() {
    for (int i = 0; i < 2; ++i) (i == 0 ? pump : sensor).render(&images[i]);
  }
  std::size_t PointBytes() const {
    std::size_t b = 0;
    for (const TRtSeries* s : std::initializer_list<const TRtSeries*>{
             &current, &regression, &sensorU, &pumpU, &temperature, &target})
      b += s->Points().capacity() * sizeof(TRtPointF) + s->PointIndex().capacity() * sizeof(int);
    return b;
  }

  std::uint32_t seed = 7;
  int rows = 0;
  TRtGraph2D pump, sensor;
  TRtAxis xPump, yPump, xSensor, ySensor, yTemp;
  TRtDoubleVector time, seconds, pumpI, sensorV, pumpV, temp, setpoint;
  TRtPointSeries current, sensorU, pumpU, temperature;
  TRtLinearRegression regression;
  TRtLineSeries target;
  QImage images[2] = {QImage(kW, kH, QImage::Format_ARGB32_Premultiplied),
                      QImage(kW, kH, QImage::Format_ARGB32_Premultiplied)};
};

void FullRepaint(benchmark::State& state, float LineWidth) {
  TWindowGraphs w(int(state.range(0)), LineWidth);
  for (auto _ : state) {
    w.pump.SeriesModified();
    w.sensor.SeriesModified();
    w.Repaint();
  }
  state.counters["points"] =
      double(w.sensorU.PointCount() + w.pumpU.PointCount() + w.temperature.PointCount() +
             w.target.PointCount() + w.current.PointCount());
}

// Every pixel point stale (as after a zoom or a re-range): thinning and drawing of both graphs.
void BM_FullRepaintBothGraphs(benchmark::State& state) {
  FullRepaint(state, 2);
}
BENCHMARK(BM_FullRepaintBothGraphs)
    ->Arg(1000000)
    ->Arg(5000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond);

// The same with 1-pixel lines, to compare the cost of the width.
void BM_FullRepaintBothGraphsWidth1(benchmark::State& state) {
  FullRepaint(state, 1);
}
BENCHMARK(BM_FullRepaintBothGraphsWidth1)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A repaint with nothing new (an expose).
void BM_RepaintUnchanged(benchmark::State& state) {
  TWindowGraphs w(int(state.range(0)));
  for (auto _ : state) w.Repaint();
}
BENCHMARK(BM_RepaintUnchanged)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Without series: background, axes and labels only.
void BM_RepaintAxesOnly(benchmark::State& state) {
  TWindowGraphs w(int(state.range(0)));
  for (TRtSeries* s : std::initializer_list<TRtSeries*>{&w.current, &w.sensorU, &w.temperature,
                                                        &w.pumpU, &w.target, &w.regression})
    s->SetVisible(false);
  w.Repaint();
  for (auto _ : state) w.Repaint();
}
BENCHMARK(BM_RepaintAxesOnly)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One control cycle: a row appended inside BeginUpdate/EndUpdate of both graphs, the polling
// step, then both graphs' paint events.
void BM_AppendRowAndRepaint(benchmark::State& state) {
  TWindowGraphs w(int(state.range(0)));
  for (auto _ : state) {
    w.pump.BeginUpdate();
    w.sensor.BeginUpdate();
    w.Append(1);
    w.pump.EndUpdate();
    w.sensor.EndUpdate();
    w.pump.PollingStep();
    w.sensor.PollingStep();
    w.PaintWidgets();
  }
  state.counters["part_paints"] = w.pump.PartPaints() + w.sensor.PartPaints();
  state.counters["whole_paints"] = w.pump.WholePaints() + w.sensor.WholePaints();
}
BENCHMARK(BM_AppendRowAndRepaint)->Arg(350000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Heap bytes per row of the whole scene (seven vectors, series point lists, graphs), and the
// seven vectors' own bytes per row for comparison.
void BM_MemoryPerRow(benchmark::State& state) {
  const int n = int(state.range(0));
  for (auto _ : state) {
    const std::size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
    auto w = std::make_unique<TWindowGraphs>(n);
    const std::size_t after = mallinfo2().uordblks + mallinfo2().hblkhd;
    state.counters["bytes_per_row"] = double(after - before) / n;
    state.counters["vector_bytes_per_row"] = 7.0 * 8 * w->time.Capacity() / n;
    state.counters["point_list_bytes"] = double(w->PointBytes());
  }
}
BENCHMARK(BM_MemoryPerRow)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- yardsticks: the sensor voltage of 1 million rows straight through QPainter

struct TPlain {
  explicit TPlain(int n) {
    std::uint32_t r = 7;
    std::vector<TRow> rows;
    double lo = 1e300, hi = -1e300;
    for (int i = 0; i < n; ++i) {
      rows.push_back(MakeRow(i, r));
      lo = std::min(lo, rows.back().sensorU);
      hi = std::max(hi, rows.back().sensorU);
    }
    for (int i = 0; i < n; ++i)
      all << QPointF(60 + (kW - 120) * double(i) / (n - 1),
                     20 + (kH - 60) * (hi - rows[std::size_t(i)].sensorU) / (hi - lo));
    // First, min, max, last of every pixel column.
    for (int i = 0; i < n;) {
      const int col = int(all[i].x());
      QPointF first = all[i], mn = first, mx = first, last = first;
      for (; i < n && int(all[i].x()) == col; ++i) {
        last = all[i];
        if (last.y() < mn.y()) mn = last;
        if (last.y() > mx.y()) mx = last;
      }
      reduced << first << (mn.x() < mx.x() ? mn : mx) << (mn.x() < mx.x() ? mx : mn) << last;
    }
  }
  QPolygonF all, reduced;
  QImage img{kW, kH, QImage::Format_ARGB32_Premultiplied};
};

void Plain(benchmark::State& state, bool reduced, float width, bool pieces = false) {
  static TPlain plain(1000000);
  const QPolygonF& poly = reduced ? plain.reduced : plain.all;
  for (auto _ : state) {
    plain.img.fill(Qt::white);
    QPainter p(&plain.img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::blue, width));
    if (pieces)
      RtDrawPolyline(p, poly);
    else
      p.drawPolyline(poly);
  }
  state.counters["points"] = double(poly.size());
}
void BM_PlainPolylineAll(benchmark::State& state) {
  Plain(state, false, float(state.range(0)));
}
BENCHMARK(BM_PlainPolylineAll)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
void BM_PlainPolylineColumnReduced(benchmark::State& state) {
  Plain(state, true, float(state.range(0)));
}
BENCHMARK(BM_PlainPolylineColumnReduced)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
// The reduced line through RtDrawPolyline (wide lines in pieces of 32 points).
void BM_PiecesPolylineColumnReduced(benchmark::State& state) {
  Plain(state, true, float(state.range(0)), true);
}
BENCHMARK(BM_PiecesPolylineColumnReduced)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
