// The graph control and its legend in every form: the graph's own settings (title, colours,
// grid, frame, gradients, zoom options, smoothing, primary axes) and the legend's, read into a
// fresh form whose legend and series are missing; the graph is released after reading.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>
#include <QTemporaryDir>

#include <random>

#include "app/GraphBindings.h"
#include "chart/graph/RtGraph2D.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtText.h"
#include "chart/legend/RtLegend.h"
#include "chart/series/RtFunctionSeries.h"
#include "platform/IniFile.h"
#include "tests/chartpersist/MainWindowCharts.h"
#include "tests/support/Mutations.h"

namespace {

enum class TForm { Binary, Xml, Ini, File };

// A form with one graph: two axes, a point series on two vectors, a legend.
struct TForm1 {
  TForm1() {
    Form.setObjectName(QStringLiteral("FormIO"));
    RtRegisterForm(&Form);
    Graph->setObjectName(QStringLiteral("RtGraph2D1"));
    for (auto [o, name] : {std::pair<QObject*, const char*>{X, "XAxis1"},
                           {Y, "YAxis1"},
                           {XData, "RtDoubleVectorX"},
                           {YData, "RtDoubleVectorY"}})
      o->setObjectName(QString::fromLatin1(name));
    X->SetGraph(Graph);
    Y->SetGraph(Graph);
    Y->SetPosition(TRtAxisPosition::Left);
    Graph->SetPrimaryXAxis(X);
    Graph->SetPrimaryYAxis(Y);
  }
  ~TForm1() { RtUnregisterRoot(&Form); }

  // What the writer sets apart from the defaults.
  void Design() {
    auto* s = new TRtPointSeries(&Form);
    s->setObjectName(QStringLiteral("RtPointSeries1"));
    s->SetXAxis(X);
    s->SetYAxis(Y);
    s->SetXData(XData);
    s->SetYData(YData);
    for (int k = 0; k < 10; ++k) {
      XData->Add(k);
      YData->Add(k * k);
    }
    Graph->SetBackColor(0xFFFFFFF0);
    Graph->SetCaption(QStringLiteral("Pump\rcurrent"));
    Graph->SetCaptionVisible(true);
    Graph->SetCaptionAlignment(RtDraw::TAlignment::taRightJustify);
    Graph->SetCaptionDistanceBefore(3.5f);
    Graph->CaptionFont()->SetSize(14);
    Graph->SetSmoothingMode(TRtSmoothingMode::AntiAlias);
    Graph->SetDataAreaColor(0x20FF0000);
    Graph->DataAreaFrame()->SetVisible(true);
    Graph->DataAreaFrame()->SetWidth(2);
    Graph->MajorGridHorizontal()->SetVisible(true);
    Graph->MinorGridVertical()->SetColor(0xFF0000FF);
    Graph->BackgroundGradient()->SetVisible(true);
    Graph->DataAreaGradient()->SetLinearAngle(30);
    Graph->SetDistanceBorderAxisTop(4);
    Graph->SetZeroOrigin(true);
    Graph->Zoom()->SetOptimizeSeries(true);
    Graph->Zoom()->SetBufferType(TRtZoomSettings::TRtZoomBufferType::AsCircularBuffer);
    auto* l = new TRtLegend(&Form);
    l->setObjectName(QStringLiteral("Legend1"));
    l->SetGraphComponent(Graph);
    l->SetPosition(TRtLegendPosition::RightTopOfAxis);
    l->SetRows(2);
    l->SetItemWidth(40);
    l->SetBackColor(0x00FFFFFF);
    l->SetDropShadow(true);
    l->SetItemsOrderList({QStringLiteral("RtPointSeries1")});
    l->Frame()->SetColor(0xFF646464);
    l->Font()->SetSize(9);
    l->SetCaption(QStringLiteral("Legend"));
    l->SetDistanceToBorder(6);
  }

  TRtLegend* Legend() const { return Form.findChild<TRtLegend*>(QStringLiteral("Legend1")); }

  // The graph is a widget: the form is one too.
  QWidget Form;
  TRtGraph2D* Graph = new TRtGraph2D(&Form);
  TRtAxis* X = new TRtAxis(&Form);
  TRtAxis* Y = new TRtAxis(&Form);
  TRtDoubleVector* XData = new TRtDoubleVector(&Form);
  TRtDoubleVector* YData = new TRtDoubleVector(&Form);
};

struct TImage {
  QByteArray Bytes;
  QString Xml;
  TIniFile Ini;
  QTemporaryDir Dir;
};

// The graphs one after the other in one stream, XML document or INI file (sections "Graph0",
// ...), or in a file each.
void Write(const std::vector<const TRtGraph2D*>& Graphs, TForm Form, TImage& Out) {
  QBuffer b(&Out.Bytes);
  b.open(QIODevice::WriteOnly);
  TRtStreamWriter w(b);
  QDomDocument doc(QStringLiteral("chart"));
  QDomElement root = doc.appendChild(doc.createElement(QStringLiteral("Chart"))).toElement();
  for (std::size_t k = 0; k < Graphs.size(); ++k) {
    const QString name = QStringLiteral("Graph%1").arg(k);
    if (Form == TForm::Binary) Graphs[k]->WriteTo(w, true);
    if (Form == TForm::File) Graphs[k]->WriteTo(Out.Dir.filePath(name), true);
    if (Form == TForm::Xml) Graphs[k]->WriteTo(root, true);
    if (Form == TForm::Ini) Graphs[k]->WriteTo(Out.Ini, name, true);
  }
  Out.Xml = doc.toString();
}

void Read(const std::vector<TRtGraph2D*>& Graphs, TForm Form, const TImage& In) {
  QBuffer b;
  b.setData(In.Bytes);
  b.open(QIODevice::ReadOnly);
  TRtStreamReader r(b);
  QDomDocument doc;
  doc.setContent(In.Xml);
  QDomElement e = doc.documentElement().firstChildElement();
  for (std::size_t k = 0; k < Graphs.size(); ++k) {
    const QString name = QStringLiteral("Graph%1").arg(k);
    if (Form == TForm::Binary) Graphs[k]->ReadFrom(r);
    if (Form == TForm::File) Graphs[k]->ReadFrom(In.Dir.filePath(name));
    if (Form == TForm::Xml) Graphs[k]->ReadFrom(e);
    if (Form == TForm::Ini) Graphs[k]->ReadFrom(In.Ini, name);
    e = e.nextSiblingElement();
  }
}

// Every setting of the object and of its style objects and zoom settings (not those the object
// works out itself).
TSnapshot WithParts(const QObject* Object) {
  TSnapshot s = Settings(Object);
  for (const char* n : {"CaptionFont", "DataAreaFrame", "MajorGridHorizontal", "MajorGridVertical",
                        "MinorGridHorizontal", "MinorGridVertical", "BackgroundGradient",
                        "DataAreaGradient", "Zoom", "Frame", "Font"})
    if (const QObject* p = Object->property(n).value<QObject*>())
      SnapshotInto(p, std::string(n) + ".", s);
  return s;
}

class GraphControlIO : public ::testing::TestWithParam<TForm> {};

TEST_P(GraphControlIO, GraphAndLegendSettingsComeBack) {
  TImage image;
  TSnapshot graph, legend;
  {
    TForm1 a;
    a.Design();
    Write({a.Graph}, GetParam(), image);
    graph = WithParts(a.Graph);
    legend = WithParts(a.Legend());
  }
  EXPECT_EQ(graph["MajorGridHorizontal.Visible"], "true");
  EXPECT_EQ(graph["Zoom.OptimizeSeries"], "true");
  EXPECT_EQ(legend["Frame.Color"], std::to_string(0xFF646464u));
  TForm1 b;
  Read({b.Graph}, GetParam(), image);
  EXPECT_FALSE(b.Graph->Updating());
  EXPECT_FALSE(b.Graph->Loading());
  ASSERT_NE(b.Legend(), nullptr);
  ASSERT_EQ(b.Graph->RelatedLegends().size(), 1u);
  EXPECT_EQ(b.Graph->RelatedLegends()[0]->LegendObject(), b.Legend());
  EXPECT_EQ(WithParts(b.Graph), graph);
  EXPECT_EQ(WithParts(b.Legend()), legend);
  ASSERT_EQ(b.Graph->RelatedSeries().size(), 1u);
  EXPECT_EQ(b.Graph->RelatedSeries()[0]->Count(), 10);
}

std::string FormName(const ::testing::TestParamInfo<TForm>& Info) {
  const char* names[] = {"Binary", "Xml", "Ini", "File"};
  return names[int(Info.param)];
}

INSTANTIATE_TEST_SUITE_P(Forms, GraphControlIO,
                         ::testing::Values(TForm::Binary, TForm::Xml, TForm::Ini, TForm::File),
                         FormName);

// A stream cut short in the graph's own settings raises; the graph is released all the same.
TEST(GraphControlIOCut, TruncatedStreamReleasesTheGraph) {
  TImage image;
  {
    TForm1 a;
    a.Design();
    Write({a.Graph}, TForm::Binary, image);
  }
  TForm1 b;
  image.Bytes.chop(20);
  EXPECT_THROW(Read({b.Graph}, TForm::Binary, image), ERtStreamError);
  EXPECT_FALSE(b.Graph->Updating());
  EXPECT_FALSE(b.Graph->Loading());
  EXPECT_NE(b.Legend(), nullptr);
}

// ---- both graphs of the main window -------------------------------------------------------------

// The window's chart objects as the application builds them.
struct TAppCharts {
  TAppCharts() {
    Form.setObjectName(QStringLiteral("FormZenkar2"));
    RtRegisterForm(&Form);
    for (auto [v, name] : {std::pair{&V.Time, "RtDoubleVectorTime"},
                           {&V.Seconds, "RtDoubleVectorSeconds"},
                           {&V.SensorVoltage, "RtDoubleVectorSensorVoltage"},
                           {&V.PumpVoltage, "RtDoubleVectorPumpVoltage"},
                           {&V.PumpCurrent, "RtDoubleVectorPumpCurrent"},
                           {&V.Temperature, "RtDoubleVectorTemperature"},
                           {&V.Setpoint, "RtDoubleVectorSetpoint"}}) {
      *v = new TRtDoubleVector(&Form);
      (*v)->setObjectName(QString::fromLatin1(name));
    }
    O = BuildGraphObjects(&Form, Pump, Sensor, V);
  }
  ~TAppCharts() { RtUnregisterRoot(&Form); }

  // Every setting of every chart object, and every vector's values and outliers.
  std::vector<TSnapshot> All() const {
    std::vector<TSnapshot> all;
    for (const QObject* o : Form.children())
      if (!o->objectName().isEmpty()) all.push_back(WithParts(o));
    for (const TRtDoubleVector* v :
         {V.Time, V.SensorVoltage, V.PumpVoltage, V.PumpCurrent, V.Temperature, V.Setpoint}) {
      TSnapshot s;
      for (int k = 0; k < v->Count(); ++k)
        s[std::to_string(k)] =
            FloatToText(v->GetValue(k)).toStdString() + (v->IsOutlier(k) ? " outlier" : "");
      all.push_back(s);
    }
    return all;
  }

  QWidget Form;
  TRtGraph2D* Pump = new TRtGraph2D(&Form);
  TRtGraph2D* Sensor = new TRtGraph2D(&Form);
  TGraphVectors V;
  TGraphObjects O;
};

// Written with values and read into a window built the same way, both graphs come back object
// by object; the undo stack keeps each graph's read as one group.
TEST_P(GraphControlIO, BothWindowGraphsAsTheApplicationBuildsThem) {
  TImage image;
  std::vector<TSnapshot> before;
  {
    TAppCharts a;
    for (int i = 0; i < 30; ++i) {
      a.V.Time->Add(46000.5 + i / 43200.0);
      a.V.Seconds->Add(2.0 * i);
      a.V.SensorVoltage->Add(0.1 + 0.001 * i);
      a.V.PumpVoltage->Add(0.8 - 0.002 * i);
      a.V.PumpCurrent->Add(1e-3 + 1e-5 * i);
      a.V.Temperature->Add(i % 3 == 2 ? 0 : 700 + i);
      if (i % 3 == 2) a.V.Temperature->AddOutlier(i);
      a.V.Setpoint->Add(0.12);
    }
    a.O.RtLinearRegression1->SetVisible(true);
    a.O.RtLinearRegression1->SetCaption(QStringLiteral("Rate of change, last 1 minutes: 0.5"));
    a.O.Legend2->SetRows(2);
    // Reading recalculates the series, the regression too.
    a.O.RtLinearRegression1->Calculate();
    Write({a.Pump, a.Sensor}, GetParam(), image);
    before = a.All();
  }
  TAppCharts b;
  Read({b.Pump, b.Sensor}, GetParam(), image);
  // The text forms keep 15 digits of the times the regression's window ends at.
  ExpectSameSettings(b.All(), before, GetParam() == TForm::Xml || GetParam() == TForm::Ini);
  const QStringList groups = b.O.RtUndoStack1->UndoList();
  ASSERT_GE(groups.size(), 2);
  EXPECT_EQ(groups[0], QStringLiteral("Read graph settings"));
  EXPECT_EQ(groups[1], QStringLiteral("Read graph settings"));
}

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// Damaged streams of both window graphs read into a fresh window each: an error or a read, the
// graphs released, then both laid out and painted (under AddressSanitizer in CI).
TEST(GraphControlIOFuzz, DamagedStreamsOfTheWindowGraphs) {
  const QtMessageHandler previous = qInstallMessageHandler(Quiet);
  TImage valid;
  {
    TAppCharts a;
    for (int i = 0; i < 20; ++i) {
      a.V.Time->Add(46000.5 + i / 43200.0);
      for (TRtDoubleVector* v :
           {a.V.SensorVoltage, a.V.PumpVoltage, a.V.PumpCurrent, a.V.Temperature, a.V.Setpoint})
        v->Add(0.1 * i);
    }
    Write({a.Pump, a.Sensor}, TForm::Binary, valid);
  }
  std::mt19937 random(20261209);
  int failed = 0;
  for (int round = 0; round < 300; ++round) {
    TAppCharts b;
    TImage damaged;
    damaged.Bytes = Mutated(valid.Bytes, random);
    try {
      Read({b.Pump, b.Sensor}, TForm::Binary, damaged);
    } catch (const ERtError&) {
      ++failed;
    }
    for (TRtGraph2D* g : {b.Pump, b.Sensor}) {
      ASSERT_FALSE(g->Updating() || g->Loading());
      if (round % 4 == 0) g->RenderImage();
    }
  }
  EXPECT_GT(failed, 0);
  qInstallMessageHandler(previous);
}
}  // namespace
