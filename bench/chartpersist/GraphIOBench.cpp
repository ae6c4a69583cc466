// Whole graphs with their values: writing and reading both graphs of the main window (seven
// vectors, five axes, six series) in each form, at 10,000 and 100,000 rows; bytes written.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDomDocument>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "chart/graphio/RtGraphIO.h"
#include "chart/io/RtStream.h"
#include "platform/IniFile.h"
#include "tests/chartpersist/MainWindowCharts.h"

namespace {

enum TForm { Binary, Xml, Ini };

struct TWindow {
  explicit TWindow(int Rows) {
    w.Design();
    w.AddRows(Rows);
    w.Configure(TMainWindowCharts::TMode::DateTimeAuto);
    w.Update();
  }
  std::vector<TRtGraphIO> Graphs() {
    return {TRtGraphIO(*w.PumpGraph, true), TRtGraphIO(*w.SensorGraph, true)};
  }
  TMainWindowCharts w;
};

// The written form: stream bytes, XML text or an INI file in memory.
struct TImage {
  QByteArray Bytes;
  QDomDocument Doc{QStringLiteral("chart")};
  TIniFile Ini;
};

void Write(std::vector<TRtGraphIO>& Graphs, TForm Form, TImage& Out) {
  Out.Bytes.clear();
  QBuffer b(&Out.Bytes);
  b.open(QIODevice::WriteOnly);
  TRtStreamWriter w(b);
  Out.Doc = QDomDocument(QStringLiteral("chart"));
  QDomElement root =
      Out.Doc.appendChild(Out.Doc.createElement(QStringLiteral("Chart"))).toElement();
  Out.Ini = TIniFile();
  for (std::size_t k = 0; k < Graphs.size(); ++k) {
    if (Form == Binary) Graphs[k].WriteTo(w);
    if (Form == Xml) Graphs[k].WriteTo(root);
    if (Form == Ini) Graphs[k].WriteTo(Out.Ini, QStringLiteral("Graph%1").arg(k));
  }
}

void Read(std::vector<TRtGraphIO>& Graphs, TForm Form, const TImage& In) {
  QBuffer b;
  b.setData(In.Bytes);
  b.open(QIODevice::ReadOnly);
  TRtStreamReader r(b);
  QDomElement e = In.Doc.documentElement().firstChildElement();
  for (std::size_t k = 0; k < Graphs.size(); ++k) {
    if (Form == Binary) Graphs[k].ReadFrom(r);
    if (Form == Xml) Graphs[k].ReadFrom(e);
    if (Form == Ini) Graphs[k].ReadFrom(In.Ini, QStringLiteral("Graph%1").arg(k));
    e = e.nextSiblingElement();
  }
}

double Size(TForm Form, const TImage& Image) {
  if (Form == Binary) return double(Image.Bytes.size());
  if (Form == Xml) return double(Image.Doc.toByteArray(-1).size());
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("graphs.ini"));
  Image.Ini.SaveToFile(path.toStdString());
  return double(QFileInfo(path).size());
}

void BM_WriteBothGraphs(benchmark::State& state) {
  TWindow t(int(state.range(1)));
  std::vector<TRtGraphIO> graphs = t.Graphs();
  TImage image;
  const TForm form = TForm(state.range(0));
  for (auto _ : state) Write(graphs, form, image);
  state.counters["bytes"] = Size(form, image);
  state.SetItemsProcessed(state.iterations() * state.range(1));
}

void BM_ReadBothGraphs(benchmark::State& state) {
  TWindow t(int(state.range(1)));
  std::vector<TRtGraphIO> graphs = t.Graphs();
  TImage image;
  const TForm form = TForm(state.range(0));
  Write(graphs, form, image);
  for (auto _ : state) Read(graphs, form, image);
  state.SetItemsProcessed(state.iterations() * state.range(1));
}

const auto kArgs = [](benchmark::internal::Benchmark* b) {
  for (int form : {Binary, Xml, Ini})
    for (int rows : {10000, 100000}) b->Args({form, rows});
  b->Unit(benchmark::kMillisecond);
};
BENCHMARK(BM_WriteBothGraphs)->Apply(kArgs);
BENCHMARK(BM_ReadBothGraphs)->Apply(kArgs);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
