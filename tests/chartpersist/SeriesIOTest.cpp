// Series, function series and regression streaming: the binary layout, the forms' names, the
// indexer as an empty path, references resolved by path, the form property "Layer", and input
// that ends early or belongs to another class.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>
#include <QTemporaryDir>

#include <cstring>

#include "MainWindowCharts.h"
#include "chart/io/RtClassRegistry.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtPersistent.h"
#include "chart/io/RtStream.h"
#include "platform/IniFile.h"
#include "tests/support/ErrorOf.h"

namespace {

struct SeriesIO : ::testing::Test {
  SeriesIO() {
    w.Design();
    w.AddRows(10);
  }
  // A series of the same class, owned by the form, not yet bound.
  template <typename T>
  T* Fresh(const char* Name) {
    auto* s = new T(&w.Form);
    s->setObjectName(QString::fromLatin1(Name));
    return s;
  }
  TMainWindowCharts w;
};

std::int32_t I32(const QByteArray& b, int at) {
  std::int32_t v;
  std::memcpy(&v, b.constData() + at, 4);
  return v;
}

// Offset of the field after a string that starts at At.
int AfterString(const QByteArray& b, int At) {
  return At + 4 + I32(b, At);
}

TEST_F(SeriesIO, BinaryStartsWithClassPathCaptionFlagsAndLayer) {
  TRtPointSeries& s = *w.PumpCurrentSeries;
  s.SetVisible(false);
  s.SetOutliersVisible(true);
  s.SetIncludeInLegend(false);
  s.SetAutoUpdate(true);
  s.SetLayer(7);
  const QByteArray b = RtBinaryImage(s);
  EXPECT_EQ(b.mid(4, I32(b, 0)), QByteArray("TRtPointSeries"));
  const int path = AfterString(b, 0);
  EXPECT_EQ(b.mid(path + 4, I32(b, path)), QByteArray("FormZenkar2.RtPointSeriesPumpCurrent"));
  const int caption = AfterString(b, path);
  EXPECT_EQ(b.mid(caption + 4, I32(b, caption)), QByteArray("Pump Current"));
  const int flags = AfterString(b, caption);
  EXPECT_EQ(b[flags + 0], 0);  // Visible
  EXPECT_EQ(b[flags + 1], 1);  // OutliersVisible
  EXPECT_EQ(b[flags + 2], 0);  // IncludeInLegend
  EXPECT_EQ(b[flags + 3], 1);  // AutoUpdate
  EXPECT_EQ(I32(b, flags + 4), 7);
  // Line and area blocks, four paths, 1, two paths, 0, the point symbol, 0.
  const int line = flags + 8;
  EXPECT_EQ(b[line], 1);
  const int links = line + 11 + 43;
  int at = links;
  for (const char* p : {"FormZenkar2.RtDoubleVectorTime", "FormZenkar2.RtDoubleVectorPumpCurrent",
                        "FormZenkar2.XAxisPumpTime", "FormZenkar2.YAxisPumpCurrent"}) {
    EXPECT_EQ(b.mid(at + 4, I32(b, at)), QByteArray(p));
    at = AfterString(b, at);
  }
  EXPECT_EQ(b[at], 1);
  at = AfterString(b, AfterString(b, at + 1));
  EXPECT_EQ(b[at], 0);
  EXPECT_EQ(b.size(), at + 1 + 1 + 4 + 4 + 4 + 4 + 1 + 1);
  EXPECT_EQ(b[at + 1 + 17], int(TRtPointSymbol::Square));
}

TEST_F(SeriesIO, LineSeriesWritesNoPointSymbolAndRegressionItsOffsetOnlyWhenFixed) {
  const QByteArray line = RtBinaryImage(*w.SetpointSeries);
  const QByteArray point = RtBinaryImage(*w.SensorVoltageSeries);
  // Besides the texts, the point symbol block: 18 bytes of fields and its continuation byte.
  const int textDifference =
      (w.SensorVoltageSeries->Caption().size() - w.SetpointSeries->Caption().size()) +
      (QByteArray("RtPointSeriesSensorVoltage").size() -
       QByteArray("RtLineSeriesTargetSetpoint").size()) +
      (QByteArray("TRtPointSeries").size() - QByteArray("TRtLineSeries").size()) +
      (QByteArray("FormZenkar2.RtDoubleVectorSensorVoltage").size() -
       QByteArray("FormZenkar2.RtDoubleVectorSetpoint").size());
  EXPECT_EQ(point.size() - line.size(), textDifference + 19);

  TRtLinearRegression& r = *w.Regression;
  const QByteArray free = RtBinaryImage(r);
  r.SetFixedOffset(true);
  const QByteArray fixed = RtBinaryImage(r);
  EXPECT_EQ(fixed.size(), free.size() + 8);
  TIniFile ini;
  r.WriteTo(ini, QStringLiteral("Fixed"));
  r.SetFixedOffset(false);
  r.WriteTo(ini, QStringLiteral("Free"));
  EXPECT_TRUE(ini.ValueExists("Fixed", "Offset"));
  EXPECT_FALSE(ini.ValueExists("Free", "Offset"));
  EXPECT_EQ(ini.ReadString("Free", "FixedOffset", ""), "0");
}

// Every function series and regression setting that differs from a new regression's comes back.
TEST_F(SeriesIO, RegressionSettingsInEachForm) {
  TRtLinearRegression& r = *w.Regression;
  r.SetWeight(w.Setpoint);
  r.SetAutoStart(false);
  r.SetAutoStop(false);
  r.SetCoupleCalculationAndDisplay(false);
  r.SetDisplayAutoStart(false);
  r.SetDisplayAutoStop(false);
  r.SetCalculationStart(-2.5);
  r.SetCalculationStop(7.25);
  r.SetDisplayStart(-1.5);
  r.SetDisplayStop(8.5);
  r.SetClipYValues(true);
  r.SetFixedOffset(true);
  r.SetOffset(0.125);
  const TSnapshot want = Snapshot(&r);
  QDomDocument doc(QStringLiteral("chart"));
  r.WriteTo(doc);
  TIniFile ini;
  r.WriteTo(ini, QStringLiteral("R"));
  const QByteArray image = RtBinaryImage(r);

  auto* a = Fresh<TRtLinearRegression>("A");
  auto* b = Fresh<TRtLinearRegression>("B");
  auto* c = Fresh<TRtLinearRegression>("C");
  RtReadBinaryImage(*a, image);
  b->ReadFrom(doc.documentElement());
  c->ReadFrom(ini, QStringLiteral("R"));
  for (TRtLinearRegression* back : {a, b, c}) {
    EXPECT_EQ(Snapshot(back), want);
    EXPECT_EQ(back->Weight(), w.Setpoint);
    EXPECT_EQ(back->DisplayStart(), -1.5);
    EXPECT_FALSE(back->DisplayAutoStop());
  }
  const QDomElement fs = doc.documentElement().firstChildElement(QStringLiteral("FunctionSeries"));
  EXPECT_EQ(fs.attribute(QStringLiteral("Weight")),
            QStringLiteral("FormZenkar2.RtDoubleVectorSetpoint"));
  EXPECT_EQ(fs.attribute(QStringLiteral("CalculationStop")), QStringLiteral("7.25"));
  EXPECT_EQ(doc.documentElement()
                .firstChildElement(QStringLiteral("LinearRegression"))
                .attribute(QStringLiteral("Offset")),
            QStringLiteral("0.125"));
  EXPECT_EQ(ini.ReadString("R", "DisplayStart", ""), "-1.5");
}

TEST_F(SeriesIO, XmlElementsAndIniKeysOfASeries) {
  TRtPointSeries& s = *w.PumpCurrentSeries;
  s.SetMergeLegendItemWith(w.Regression);
  QDomDocument doc(QStringLiteral("chart"));
  s.WriteTo(doc);
  const QDomElement e = doc.documentElement();
  EXPECT_EQ(e.tagName(), QStringLiteral("TRtPointSeries"));
  EXPECT_EQ(e.attribute(QStringLiteral("Name")),
            QStringLiteral("FormZenkar2.RtPointSeriesPumpCurrent"));
  EXPECT_EQ(e.firstChildElement(QStringLiteral("Caption")).text(), QStringLiteral("Pump Current"));
  const QDomElement p = e.firstChildElement(QStringLiteral("Properties"));
  for (const char* a : {"Visible", "OutliersVisible", "AutoUpdate", "IncludeInLegend", "Layer"})
    EXPECT_TRUE(p.hasAttribute(QString::fromLatin1(a))) << a;
  EXPECT_EQ(e.firstChildElement(QStringLiteral("Line")).attribute(QStringLiteral("Color")),
            QStringLiteral("Blue"));
  const QDomElement links = e.firstChildElement(QStringLiteral("Links"));
  EXPECT_EQ(links.attribute(QStringLiteral("MergeLegendItemWith")),
            QStringLiteral("FormZenkar2.RtLinearRegression1"));
  EXPECT_EQ(links.attribute(QStringLiteral("YAxis")),
            QStringLiteral("FormZenkar2.YAxisPumpCurrent"));
  EXPECT_EQ(e.firstChildElement(QStringLiteral("PointSymbol")).attribute(QStringLiteral("Symbol")),
            QString::number(int(TRtPointSymbol::Square)));
  EXPECT_FALSE(e.firstChildElement(QStringLiteral("Area")).isNull());

  TIniFile ini;
  s.WriteTo(ini, QStringLiteral("S"));
  EXPECT_EQ(ini.ReadString("S", "Type", ""), "TRtPointSeries");
  EXPECT_EQ(ini.ReadString("S", "Name", ""), "FormZenkar2.RtPointSeriesPumpCurrent");
  EXPECT_EQ(ini.ReadString("S", "Line.Width", ""), "2");
  EXPECT_EQ(ini.ReadString("S", "Area.Style", ""), "53");
  EXPECT_EQ(ini.ReadString("S", "PointSymbol.Size", ""), "8");
  EXPECT_EQ(ini.ReadString("S", "XData", ""), "FormZenkar2.RtDoubleVectorTime");
  EXPECT_EQ(ini.ReadString("S", "DrawBandTo", "none"), "");
  TIniFile lineIni;
  w.SetpointSeries->WriteTo(lineIni, QStringLiteral("L"));
  EXPECT_FALSE(lineIni.ValueExists("L", "PointSymbol.Size"));
}

TEST_F(SeriesIO, CaptionLineBreaksInIniForm) {
  TRtPointSeries& s = *w.PumpCurrentSeries;
  s.SetCaption(QStringLiteral("Pump\rcurrent\nin A"));
  TIniFile ini;
  s.WriteTo(ini, QStringLiteral("S"));
  EXPECT_EQ(ini.ReadString("S", "Caption", ""), "Pump@\\rcurrent@\\nin A");
  auto* back = Fresh<TRtPointSeries>("Back");
  back->ReadFrom(ini, QStringLiteral("S"));
  EXPECT_EQ(back->Caption(), QStringLiteral("Pump\rcurrent\nin A"));
}

// The indexer stands in for a missing vector: written as an empty path, and the reader's series
// gets its own indexer on the other vector.
TEST_F(SeriesIO, SeriesOnItsIndexerWritesAnEmptyPathAndIsReboundOnReading) {
  TRtLineSeries& s = *w.SetpointSeries;
  s.SetXData(nullptr);
  ASSERT_NE(s.XVector(), nullptr);
  EXPECT_EQ(s.XData(), nullptr);
  QDomDocument doc(QStringLiteral("chart"));
  s.WriteTo(doc);
  EXPECT_EQ(doc.documentElement()
                .firstChildElement(QStringLiteral("Links"))
                .attribute(QStringLiteral("XData")),
            QString());
  TIniFile ini;
  s.WriteTo(ini, QStringLiteral("S"));
  EXPECT_EQ(ini.ReadString("S", "XData", "none"), "");
  const QByteArray image = RtBinaryImage(s);

  // Readers bound to real vectors before.
  std::vector<TRtLineSeries*> readers;
  for (const char* n : {"B", "X", "I"}) {
    auto* r = Fresh<TRtLineSeries>(n);
    r->SetXAxis(w.XAxisSensorTime);
    r->SetYAxis(w.YAxisSensorVoltage);
    r->SetXData(w.Seconds);
    r->SetYData(w.SensorVoltage);
    readers.push_back(r);
  }
  RtReadBinaryImage(*readers[0], image);
  readers[1]->ReadFrom(doc.documentElement());
  readers[2]->ReadFrom(ini, QStringLiteral("S"));
  w.Update();
  for (TRtLineSeries* r : readers) {
    EXPECT_EQ(r->XData(), nullptr);
    EXPECT_EQ(r->YData(), w.Setpoint);
    ASSERT_NE(r->XVector(), nullptr);
    EXPECT_NE(r->XVector(), s.XVector());
    EXPECT_EQ(r->XVector()->parent(), r);
    EXPECT_EQ(r->Count(), 10);
    EXPECT_EQ(r->XStart(), 0);
    EXPECT_EQ(r->XStop(), 9);
    const auto listeners = w.Seconds->RelatedSeries();
    EXPECT_EQ(std::count(listeners.begin(), listeners.end(), r), 0);
  }
}

// A path that names nothing (the vector gone, another window) is a missing reference: the
// series is detached, and stays sound when the objects it named before go.
TEST_F(SeriesIO, PathThatNamesNothingLeavesTheSeriesDetached) {
  TIniFile ini;
  w.SensorVoltageSeries->WriteTo(ini, QStringLiteral("S"));
  ini.WriteString("S", "XData", "FormZenkar2.NoSuchVector");
  ini.WriteString("S", "YData", "OtherForm.RtDoubleVectorSensorVoltage");
  // A path naming an object of the wrong class is missing too.
  ini.WriteString("S", "YAxis", "FormZenkar2.RtDoubleVectorTime");
  auto* r = Fresh<TRtPointSeries>("R");
  r->SetXAxis(w.XAxisPumpTime);
  r->SetYAxis(w.YAxisPumpCurrent);
  r->SetYData(w.PumpCurrent);
  ASSERT_TRUE(w.PumpGraph->HasSeries(r));
  r->ReadFrom(ini, QStringLiteral("S"));
  EXPECT_EQ(r->XData(), nullptr);
  EXPECT_EQ(r->YData(), nullptr);
  EXPECT_EQ(r->YAxis(), nullptr);
  EXPECT_EQ(r->XAxis(), w.XAxisSensorTime);
  EXPECT_FALSE(w.PumpGraph->HasSeries(r));
  EXPECT_FALSE(w.SensorGraph->HasSeries(r));
  const auto& related = w.YAxisPumpCurrent->RelatedSeries();
  EXPECT_EQ(std::count(related.begin(), related.end(), static_cast<IRtAxisSeries*>(r)), 0);
  delete w.XAxisSensorTime;
  w.XAxisSensorTime = nullptr;
  EXPECT_EQ(r->XAxis(), nullptr);
  w.PumpGraph->Poll();
}

TEST_F(SeriesIO, StreamOfAnotherClassIsNotRead) {
  const QByteArray image = RtBinaryImage(*w.SetpointSeries);
  TRtPointSeries& p = *w.PumpCurrentSeries;
  const TSnapshot before = Snapshot(&p);
  EXPECT_EQ(ErrorOf([&] { RtReadBinaryImage(p, image); }), "Stream read error");
  EXPECT_EQ(Snapshot(&p), before);
}

// Cut anywhere, the stream ends reading with the stream error; the fields before the cut are
// applied, those after it are not, and the series stays usable.
TEST_F(SeriesIO, TruncatedStreamAppliesWhatWasRead) {
  TRtPointSeries& src = *w.SensorVoltageSeries;
  src.SetLayer(5);
  src.SetCaption(QStringLiteral("Cut"));
  const QByteArray image = RtBinaryImage(src);
  const int captionEnd = 4 + 14 + 4 + 38 + 4 + 3;
  const int layerEnd = captionEnd + 4 + 4;
  for (int cut = 0; cut < image.size(); ++cut) {
    auto* r = Fresh<TRtPointSeries>("R");
    r->SetLayer(-1);
    const std::string error = ErrorOf([&] { RtReadBinaryImage(*r, image.left(cut)); });
    ASSERT_EQ(error, "Stream read error") << cut;
    EXPECT_EQ(r->Caption() == QStringLiteral("Cut"), cut >= captionEnd) << cut;
    EXPECT_EQ(r->Layer(), cut >= layerEnd ? 5 : -1) << cut;
    r->Calculate();
    delete r;
  }
  auto* whole = Fresh<TRtPointSeries>("Whole");
  RtReadBinaryImage(*whole, image);
  EXPECT_EQ(whole->PointSymbol()->Size(), 8);
}

// "Layer" is the series' one unpublished setting: no Q_PROPERTY, but streamed, recorded and
// restored by name, through its setter.
TEST_F(SeriesIO, LayerIsStreamedNotPublished) {
  TRtLineSeries& s = *w.SetpointSeries;
  EXPECT_LT(s.metaObject()->indexOfProperty("Layer"), 0);
  EXPECT_TRUE(RtStoredPropertyNames(&s).contains(QStringLiteral("Layer")));
  EXPECT_EQ(RtPropertyValue(&s, "Layer").toInt(), 3);
  const int modified = w.SensorGraph->ModifiedCount;
  EXPECT_TRUE(RtSetPropertyValue(&s, "Layer", 9));
  EXPECT_EQ(s.Layer(), 9);
  EXPECT_EQ(w.SensorGraph->ModifiedCount, modified + 1);
  EXPECT_FALSE(RtSetPropertyValue(&s, "Layer", QStringLiteral("nine")));
  w.Undo->Clear();
  s.SetLayer(2);
  ASSERT_EQ(w.Undo->UndoList().value(0), QStringLiteral("Series drawing order"));
  w.Undo->Undo();
  EXPECT_EQ(s.Layer(), 9);
}

TEST_F(SeriesIO, ClassesTheReaderCreatesByName) {
  for (const char* c : {"TRtLineSeries", "TRtPointSeries", "TRtLinearRegression"}) {
    QObject* o = RtCreateComponent(QString::fromLatin1(c), &w.Form, QStringLiteral("New"));
    ASSERT_NE(o, nullptr) << c;
    EXPECT_STREQ(o->metaObject()->className(), c);
    EXPECT_EQ(o->parent(), &w.Form);
    delete o;
  }
}

TEST_F(SeriesIO, FileForms) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("series.bin"));
  w.Regression->WriteTo(file);
  auto* r = Fresh<TRtLinearRegression>("R");
  r->ReadFrom(file);
  EXPECT_EQ(r->Caption(), QStringLiteral("Rate of change"));
  EXPECT_EQ(r->YData(), w.PumpCurrent);
  EXPECT_EQ(ErrorOf([&] {
              r->ReadFrom(dir.filePath(QStringLiteral("none.bin")));
            }).rfind("Cannot open file", 0),
            0u);
  EXPECT_EQ(ErrorOf([&] {
              r->WriteTo(dir.filePath(QStringLiteral("no/such/folder/x.bin")));
            }).rfind("Cannot create file", 0),
            0u);
}

// Reading is one undo group: one Undo takes every setting back.
TEST_F(SeriesIO, ReadingIsOneUndoGroup) {
  TRtPointSeries& s = *w.PumpCurrentSeries;
  const TSnapshot before = Snapshot(&s);
  TIniFile ini;
  w.TemperatureSeries->WriteTo(ini, QStringLiteral("T"));
  w.Undo->Clear();
  s.ReadFrom(ini, QStringLiteral("T"));
  EXPECT_EQ(s.YData(), w.Temperature);
  EXPECT_EQ(s.Caption(), QStringLiteral("Temperature"));
  ASSERT_EQ(w.Undo->UndoCount(), 1);
  EXPECT_EQ(w.Undo->UndoList().value(0), QStringLiteral("Read series settings"));
  w.Undo->Undo();
  EXPECT_EQ(Snapshot(&s), before);
  EXPECT_TRUE(w.PumpGraph->HasSeries(&s));
  w.Undo->Redo();
  EXPECT_EQ(s.YAxis(), w.YAxisTemperature);
  EXPECT_TRUE(w.SensorGraph->HasSeries(&s));
  EXPECT_FALSE(w.PumpGraph->HasSeries(&s));
}

}  // namespace
