// Whole graphs in every form: both graphs of the main window with their values, read into a
// fresh window that lacks some objects; the INI section names; damaged input of each form, which
// stops with the reader's message, leaves the graph released and everything soundly bound.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>
#include <QTemporaryDir>

#include <random>

#include "MainWindowCharts.h"
#include "chart/graphio/RtGraphIO.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtStream.h"
#include "platform/IniFile.h"
#include "tests/support/Mutations.h"

namespace {

enum class TForm { Binary, Xml, Ini, File };

using THolds = std::vector<bool>;

// Both graphs of a window in one of the forms.
struct TWritten {
  QByteArray Image;
  QString Xml;
  TIniFile Ini;
  QTemporaryDir Dir;
};

std::vector<TRtGraphBase*> Graphs(TMainWindowCharts& w) {
  return {w.PumpGraph, w.SensorGraph};
}

void Write(const std::vector<TRtGraphBase*>& Graphs, TForm Form, TWritten& Out,
           bool Values = true) {
  QByteArray image;
  QBuffer b(&image);
  b.open(QIODevice::WriteOnly);
  TRtStreamWriter w(b);
  QDomDocument doc;
  QDomElement root = doc.appendChild(doc.createElement(QStringLiteral("Chart"))).toElement();
  for (std::size_t k = 0; k < Graphs.size(); ++k) {
    const TRtGraphIO io(*Graphs[k], Values);
    const QString name = QStringLiteral("Graph%1").arg(k);
    if (Form == TForm::Binary) io.WriteTo(w);
    if (Form == TForm::File) io.WriteTo(Out.Dir.filePath(name));
    if (Form == TForm::Xml) io.WriteTo(root);
    if (Form == TForm::Ini) io.WriteTo(Out.Ini, name);
  }
  if (Form == TForm::Binary) Out.Image = image;
  if (Form == TForm::Xml) Out.Xml = doc.toString();
}

// Reads the graphs back; each read's hold and release is appended to Holds.
void Read(const std::vector<TRtGraphBase*>& Graphs, TForm Form, const TWritten& In,
          THolds* Holds = nullptr) {
  QBuffer b;
  b.setData(In.Image);
  b.open(QIODevice::ReadOnly);
  TRtStreamReader r(b);
  QDomDocument doc;
  doc.setContent(In.Xml);
  QDomElement e = doc.documentElement().firstChildElement();
  for (std::size_t k = 0; k < Graphs.size(); ++k) {
    auto* g = dynamic_cast<TTestGraph*>(Graphs[k]);
    TRtGraphIO io(*Graphs[k], true, [g, Holds](bool Held) {
      g->IsLoading = Held;
      if (Holds) Holds->push_back(Held);
    });
    const QString name = QStringLiteral("Graph%1").arg(k);
    if (Form == TForm::Binary) io.ReadFrom(r);
    if (Form == TForm::File) io.ReadFrom(In.Dir.filePath(name));
    if (Form == TForm::Xml) io.ReadFrom(e);
    if (Form == TForm::Ini) io.ReadFrom(In.Ini, name);
    e = e.nextSiblingElement();
  }
}

// Everything a vector holds.
struct TVectorState {
  std::vector<double> Values;
  std::vector<int> Outliers;
  int Capacity = 0, Increment = 0;
};

TVectorState StateOf(const TRtDoubleVector& v) {
  TVectorState s{{}, {}, v.Capacity(), v.Increment()};
  for (int k = 0; k < v.Count(); ++k) s.Values.push_back(v.GetValue(k));
  for (int k = 0; k < v.Outliers().Count(); ++k) s.Outliers.push_back(v.Outliers().GetValue(k));
  return s;
}

std::vector<TRtDoubleVector*> Vectors(const TMainWindowCharts& w) {
  return {w.Time,        w.Seconds,     w.SensorVoltage, w.PumpVoltage,
          w.PumpCurrent, w.Temperature, w.Setpoint};
}

std::vector<TSnapshot> Snapshots(const TMainWindowCharts& w) {
  std::vector<TSnapshot> all;
  for (TRtAxis* a : w.AllAxes()) all.push_back(Settings(a));
  for (TRtSeries* s : w.AllSeries()) all.push_back(Settings(s));
  return all;
}

template <typename T>
T* Named(const char* Path) {
  return qobject_cast<T*>(FindComponentByPath(QString::fromLatin1(Path)));
}

// Takes the window's objects again by their paths (after a read created some).
void Refind(TMainWindowCharts& w) {
  w.Setpoint = Named<TRtDoubleVector>("FormZenkar2.RtDoubleVectorSetpoint");
  w.Regression = Named<TRtLinearRegression>("FormZenkar2.RtLinearRegression1");
  w.SetpointSeries = Named<TRtLineSeries>("FormZenkar2.RtLineSeriesTargetSetpoint");
}

// The source window: the form's design on 40 rows of seconds, a legend partner that comes later
// in its graph, vectors with spare capacity; the regression calculated, as reading leaves it.
void Build(TMainWindowCharts& a) {
  a.Design();
  a.AddRows(40);
  a.Configure(TMainWindowCharts::TMode::SecondsMovingWindow);
  a.PumpVoltageSeries->SetMergeLegendItemWith(a.SetpointSeries);
  a.Seconds->SetCapacity(64);
  a.Update();
  a.Regression->Calculate();
}

class GraphRoundTrip : public ::testing::TestWithParam<TForm> {};

// The fresh window lacks the regression and the set-point vector, and has a point series where
// the set-point line series belongs: reading creates and replaces them and binds everything.
TEST_P(GraphRoundTrip, BothGraphsWithValuesComeBackObjectByObject) {
  const TForm form = GetParam();
  const bool text = form == TForm::Xml || form == TForm::Ini;
  TWritten written;
  std::vector<TSnapshot> settings;
  std::vector<TVectorState> vectors;
  std::vector<int> counts;
  {
    TMainWindowCharts a;
    Build(a);
    Write(Graphs(a), form, written);
    settings = Snapshots(a);
    for (const TRtDoubleVector* v : Vectors(a)) vectors.push_back(StateOf(*v));
    for (const TRtSeries* s : a.AllSeries()) counts.push_back(s == a.Regression ? 0 : s->Count());
  }
  TMainWindowCharts b;
  delete b.Regression;
  delete b.Setpoint;
  delete b.SetpointSeries;
  (new TRtPointSeries(&b.Form))->setObjectName(QStringLiteral("RtLineSeriesTargetSetpoint"));
  THolds holds;
  Read(Graphs(b), form, written, &holds);
  Refind(b);
  ASSERT_TRUE(b.Regression && b.Setpoint && b.SetpointSeries);
  EXPECT_EQ(holds, (THolds{true, false, true, false}));
  ExpectSameSettings(Snapshots(b), settings, text);
  EXPECT_EQ(b.PumpVoltageSeries->MergeLegendItemWith(), b.SetpointSeries);
  const std::vector<TRtDoubleVector*> got = Vectors(b);
  for (std::size_t k = 0; k < got.size(); ++k) {
    const TVectorState s = StateOf(*got[k]);
    // Time is written by neither graph in seconds mode.
    if (got[k] == b.Time) continue;
    EXPECT_EQ(s.Capacity, vectors[k].Capacity) << k;
    EXPECT_EQ(s.Outliers, vectors[k].Outliers) << k;
    ASSERT_EQ(s.Values.size(), vectors[k].Values.size()) << k;
    for (std::size_t i = 0; i < s.Values.size(); ++i)
      EXPECT_NEAR(s.Values[i], vectors[k].Values[i], text ? 1e-14 * std::abs(s.Values[i]) : 0);
  }
  EXPECT_TRUE(b.SensorGraph->HasSeries(b.SetpointSeries));
  EXPECT_TRUE(b.PumpGraph->HasSeries(b.Regression));
  b.Update();
  std::vector<int> now;
  for (const TRtSeries* s : b.AllSeries()) now.push_back(s == b.Regression ? 0 : s->Count());
  EXPECT_EQ(now, counts);
}

std::string FormName(const ::testing::TestParamInfo<TForm>& Info) {
  const char* names[] = {"Binary", "Xml", "Ini", "File"};
  return names[int(Info.param)];
}

INSTANTIATE_TEST_SUITE_P(MainWindow, GraphRoundTrip,
                         ::testing::Values(TForm::Binary, TForm::Xml, TForm::Ini, TForm::File),
                         FormName);

TEST(GraphIO, SectionsAndListsAreNamedAfterTheGraph) {
  TMainWindowCharts a;
  Build(a);
  TWritten written;
  Write(Graphs(a), TForm::Ini, written);
  const TIniFile& ini = written.Ini;
  EXPECT_EQ(ini.ReadString("Graph0", "Name", ""), "FormZenkar2.RtGraph2DPumpCurrent");
  EXPECT_EQ(ini.ReadString("Graph0", "Vectors.Count", ""), "2");
  EXPECT_EQ(ini.ReadString("Graph0", "Axes.Count", ""), "2");
  EXPECT_EQ(ini.ReadString("Graph0", "RelatedSeries.Count", ""), "2");
  EXPECT_EQ(ini.ReadString("Graph0", "RelatedLegends.Count", ""), "0");
  EXPECT_EQ(ini.ReadString("Graph0", "Markers.Count", ""), "0");
  EXPECT_EQ(ini.ReadString("Graph0.Vectors(0)", "Name", ""), "FormZenkar2.RtDoubleVectorSeconds");
  EXPECT_EQ(ini.ReadString("Graph0.Vectors(1)", "Name", ""),
            "FormZenkar2.RtDoubleVectorPumpCurrent");
  EXPECT_EQ(ini.ReadString("Graph0.Axes(1)", "Name", ""), "FormZenkar2.YAxisPumpCurrent");
  EXPECT_EQ(ini.ReadString("Graph0.RelatedSeries(1)", "Type", ""), "TRtLinearRegression");
  EXPECT_EQ(ini.ReadString("Graph1.Vectors(4)", "Name", ""), "FormZenkar2.RtDoubleVectorSetpoint");
  EXPECT_FALSE(ini.SectionExists("Graph1.Vectors(5)"));

  // Without values: no vectors in any form, and the vectors read into keep what they hold.
  TWritten bare;
  Write(Graphs(a), TForm::Ini, bare, false);
  EXPECT_FALSE(bare.Ini.ValueExists("Graph0", "Vectors.Count"));
  EXPECT_FALSE(bare.Ini.SectionExists("Graph0.Vectors(0)"));
  Write(Graphs(a), TForm::Xml, bare, false);
  EXPECT_FALSE(bare.Xml.contains(QStringLiteral("<Vectors")));
  Write(Graphs(a), TForm::Binary, bare, false);
  const int rows = a.Seconds->Count();
  a.Seconds->Add(1e9);
  Read(Graphs(a), TForm::Binary, bare);
  EXPECT_EQ(a.Seconds->Count(), rows + 1);
}

// Damaged input ends reading with the reader's message; what was read stays, the graph is
// released.
TEST(GraphIO, UnreadableInputStopsWithTheMessage) {
  TWritten written;
  {
    TMainWindowCharts a;
    Build(a);
    Write(Graphs(a), TForm::Binary, written);
    Write(Graphs(a), TForm::Xml, written);
    Write(Graphs(a), TForm::Ini, written);
  }
  TMainWindowCharts b;
  b.Design();
  THolds holds;
  TWritten cut;
  // Past the pump graph's vectors, into its axes.
  cut.Image = written.Image.left(1200);
  try {
    Read({b.PumpGraph}, TForm::Binary, cut, &holds);
    FAIL() << "no error";
  } catch (const ERtStreamError& e) {
    EXPECT_STREQ(e.what(), RtStreamReadErrorText);
  }
  EXPECT_EQ(holds, (THolds{true, false}));
  EXPECT_FALSE(b.PumpGraph->IsLoading);
  EXPECT_EQ(b.Seconds->Count(), 40);

  cut.Xml = written.Xml;
  cut.Xml.replace(QStringLiteral("OutliersVisible=\"false\""),
                  QStringLiteral("OutliersVisible=\"junk\""));
  EXPECT_THROW(Read(Graphs(b), TForm::Xml, cut), ERtTextConvertError);

  cut.Ini = written.Ini;
  cut.Ini.WriteString("Graph0.Vectors(1)", "Values", "1.5e-3 junk 2");
  cut.Ini.WriteString("Graph1.Vectors(0)", "Values", "junk");
  try {
    Read(Graphs(b), TForm::Ini, cut);
    FAIL() << "no error";
  } catch (const ERtExtractError& e) {
    EXPECT_STREQ(e.what(), RtFloatExtractionErrorText);
  }
  EXPECT_EQ(StateOf(*b.PumpCurrent).Values, (std::vector<double>{0.0015, 2}));
}

// ---- fuzz
// ----------------------------------------------------------------------------------------

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// Each damaged input read into a fresh window; then its graphs update and now and then paint,
// and what the read recorded is undone, under AddressSanitizer in CI.
template <typename Damage>
void Fuzz(TForm Form, int Rounds, bool Raises, Damage&& damage) {
  const QtMessageHandler previous = qInstallMessageHandler(Quiet);
  TWritten valid;
  {
    TMainWindowCharts a;
    Build(a);
    Write(Graphs(a), Form, valid);
  }
  std::mt19937 random(20261209);
  int failed = 0;
  for (int round = 0; round < Rounds; ++round) {
    TMainWindowCharts b;
    b.Design();
    TWritten damaged;
    damage(valid, damaged, random);
    THolds holds;
    try {
      Read(Graphs(b), Form, damaged, &holds);
    } catch (const ERtError&) {
      ++failed;
    }
    ASSERT_EQ(std::count(holds.begin(), holds.end(), true),
              std::count(holds.begin(), holds.end(), false));
    ASSERT_FALSE(b.PumpGraph->IsLoading || b.SensorGraph->IsLoading);
    for (TTestGraph* g : {b.PumpGraph, b.SensorGraph})
      for (TRtSeries* s : g->RelatedSeries()) ASSERT_TRUE(s->XAxis() && s->YAxis());
    try {
      b.Update();
      if (round % 32 == 0) b.SensorGraph->Render();
      b.Undo->Undo(b.Undo->UndoCount());
    } catch (const ERtError&) {
    }
  }
  if (Raises) {
    EXPECT_GT(failed, 0);
  }
  qInstallMessageHandler(previous);
}

TEST(GraphIOFuzz, DamagedStreams) {
  Fuzz(TForm::Binary, 1000, true,
       [](const TWritten& v, TWritten& d, std::mt19937& r) { d.Image = Mutated(v.Image, r); });
}

TEST(GraphIOFuzz, DamagedXml) {
  Fuzz(TForm::Xml, 250, true, [](const TWritten& v, TWritten& d, std::mt19937& r) {
    d.Xml = QString::fromUtf8(Mutated(v.Xml.toUtf8(), r));
  });
}

TEST(GraphIOFuzz, DamagedIni) {
  Fuzz(TForm::Ini, 150, false, [](const TWritten& v, TWritten& d, std::mt19937& r) {
    d.Ini = v.Ini;
    for (const char* section : {"Graph0", "Graph1", "Graph1.RelatedSeries(2)", "Graph0.Vectors(1)"})
      for (const char* key : {"Name", "Axes.Count", "RelatedSeries.Count", "Type", "Values"}) {
        if (r() % 4 != 0 || !d.Ini.ValueExists(section, key)) continue;
        const QByteArray value = QByteArray::fromStdString(d.Ini.ReadString(section, key, ""));
        d.Ini.WriteString(section, key, Mutated(value + "0", r).toStdString());
      }
  });
}

}  // namespace
