// A scheduler tick's graph work on the main window at a week of cycles (350,000 rows in every
// vector), offscreen: GraphProperties, one row appended inside BeginUpdate/EndUpdate of both
// graphs, the graphs' polling step and a repaint of both graphs. Every curve is on, the rate of
// change observed; each graph is 1200 x 400 pixels.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QTemporaryDir>

#include <memory>

#include "app/MessageBox.h"
#include "app/frmZenkar2.h"
#include "chart/graph/RtGraph2D.h"
#include "platform/FormatSettings.h"

namespace {

struct TWindow {
  QTemporaryDir Dir;
  std::unique_ptr<TFormZenkar2> Form;
  int Rows = 0;
  double T0 = 0;

  explicit TWindow(int rows) {
    SetMessageBoxHandler([](const std::string&) {});
    TStartOptions o;
    o.BaseDir = Dir.path().toStdString();
    o.ProgramName = "zenkar-pro";
    o.Headless = true;
    o.BypassPort = "COM250";
    Form = std::make_unique<TFormZenkar2>(o);
    Form->resize(358 + 1200 + 320 + 20, 830);
    Form->show();
    for (TRtGraph2D* g : {Form->RtGraph2DPumpCurrent, Form->RtGraph2DSensorVoltage}) {
      g->setFixedSize(1200, 400);
      g->PollingTimer()->stop();  // the benchmark runs the polling step itself
    }
    Form->Timer1->stop();
    Form->CheckBoxRateOfChange->setChecked(true);
    Form->CheckBoxPumpVoltageShow->setChecked(true);
    Form->CheckBoxCellTemperatureShow->setChecked(true);
    T0 = Now() - rows * 1.7 / 86400;
    for (int i = 0; i < rows; ++i) Add();
    Tick();
  }

  // One cycle's row, 1.7 s after the last; the temperature measured every 20th cycle.
  void Add() {
    TFormZenkar2& f = *Form;
    const int i = Rows++;
    const double t = T0 + i * 1.7 / 86400;
    f.RtDoubleVectorTime->Add(t);
    f.RtDoubleVectorSeconds->Add((t - T0) * 86400);
    if (i % 20 == 0) {
      f.RtDoubleVectorTemperature->Add(700 + (i % 97) * 0.01);
    } else {
      f.RtDoubleVectorTemperature->Add(0);
      f.RtDoubleVectorTemperature->AddOutlier(f.RtDoubleVectorTemperature->GetCount() - 1);
    }
    f.RtDoubleVectorSensorVoltage->Add(0.002 + 0.0001 * ((i * 7919) % 13 - 6));
    f.RtDoubleVectorPumpVoltage->Add(0.45 + 0.001 * ((i * 104729) % 11));
    f.RtDoubleVectorPumpCurrent->Add(0.004 + 0.00001 * ((i * 31) % 17));
    f.RtDoubleVectorSetpoint->Add(0.002);
  }

  void Tick() {
    TFormZenkar2& f = *Form;
    f.GraphProperties();
    f.RtGraph2DPumpCurrent->BeginUpdate();
    f.RtGraph2DSensorVoltage->BeginUpdate();
    Add();
    f.RtGraph2DSensorVoltage->EndUpdate();
    f.RtGraph2DPumpCurrent->EndUpdate();
    for (TRtGraph2D* g : {f.RtGraph2DPumpCurrent, f.RtGraph2DSensorVoltage}) {
      g->PollingStep();
      g->repaint();
    }
  }
};

void BM_WindowTickWeekOfRows(benchmark::State& state) {
  TWindow w(static_cast<int>(state.range(0)));
  for (auto _ : state) w.Tick();
  state.counters["rows"] = w.Rows;
}
BENCHMARK(BM_WindowTickWeekOfRows)->Arg(350000)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same tick with every series drawn afresh into an image of each graph (no buffer reuse).
void BM_WindowTickFullPaint(benchmark::State& state) {
  TWindow w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    w.Tick();
    for (TRtGraph2D* g : {w.Form->RtGraph2DPumpCurrent, w.Form->RtGraph2DSensorVoltage})
      benchmark::DoNotOptimize(g->RenderImage());
  }
}
BENCHMARK(BM_WindowTickFullPaint)
    ->Arg(20000)
    ->Arg(350000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SetFormatSettings(TFormatSettings::FromLocale("C"));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
