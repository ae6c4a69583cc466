// The graph control and its legend in every form: the graph's own settings (title, colours,
// grid, frame, gradients, zoom options, smoothing, primary axes) and the legend's, read into a
// fresh form whose legend and series are missing; the graph is released after reading.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>
#include <QTemporaryDir>

#include "chart/graph/RtGraph2D.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/legend/RtLegend.h"
#include "platform/IniFile.h"
#include "tests/chartpersist/MainWindowCharts.h"

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

void Write(const TRtGraph2D& g, TForm Form, TImage& Out) {
  QBuffer b(&Out.Bytes);
  b.open(QIODevice::WriteOnly);
  TRtStreamWriter w(b);
  QDomDocument doc(QStringLiteral("chart"));
  switch (Form) {
    case TForm::Binary:
      g.WriteTo(w, true);
      break;
    case TForm::File:
      g.WriteTo(Out.Dir.filePath(QStringLiteral("graph")), true);
      break;
    case TForm::Xml:
      g.WriteTo(doc, true);
      Out.Xml = doc.toString();
      break;
    case TForm::Ini:
      g.WriteTo(Out.Ini, QStringLiteral("Graph"), true);
      break;
  }
}

void Read(TRtGraph2D& g, TForm Form, const TImage& In) {
  QBuffer b;
  b.setData(In.Bytes);
  b.open(QIODevice::ReadOnly);
  TRtStreamReader r(b);
  QDomDocument doc;
  switch (Form) {
    case TForm::Binary:
      g.ReadFrom(r);
      break;
    case TForm::File:
      g.ReadFrom(In.Dir.filePath(QStringLiteral("graph")));
      break;
    case TForm::Xml:
      doc.setContent(In.Xml);
      g.ReadFrom(doc.documentElement());
      break;
    case TForm::Ini:
      g.ReadFrom(In.Ini, QStringLiteral("Graph"));
      break;
  }
}

// Every setting of the object and of its style objects and zoom settings.
TSnapshot WithParts(const QObject* Object) {
  TSnapshot s = Snapshot(Object);
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
    Write(*a.Graph, GetParam(), image);
    graph = WithParts(a.Graph);
    legend = WithParts(a.Legend());
  }
  EXPECT_EQ(graph["MajorGridHorizontal.Visible"], "true");
  EXPECT_EQ(graph["Zoom.OptimizeSeries"], "true");
  EXPECT_EQ(legend["Frame.Color"], std::to_string(0xFF646464u));
  TForm1 b;
  Read(*b.Graph, GetParam(), image);
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

INSTANTIATE_TEST_SUITE_P(Forms, GraphControlIO,
                         ::testing::Values(TForm::Binary, TForm::Xml, TForm::Ini, TForm::File));

// A stream cut short in the graph's own settings raises; the graph is released all the same.
TEST(GraphControlIOCut, TruncatedStreamReleasesTheGraph) {
  TImage image;
  {
    TForm1 a;
    a.Design();
    Write(*a.Graph, TForm::Binary, image);
  }
  TForm1 b;
  image.Bytes.chop(20);
  EXPECT_THROW(Read(*b.Graph, TForm::Binary, image), ERtStreamError);
  EXPECT_FALSE(b.Graph->Updating());
  EXPECT_FALSE(b.Graph->Loading());
  EXPECT_NE(b.Legend(), nullptr);
}

}  // namespace
