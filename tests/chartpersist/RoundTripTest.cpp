// Both graphs of the main window, configured as its tick configures them, written in each form
// and read back into a freshly built window: every series and axis ends up with the same
// settings, bindings and behaviour (ranges, extents, regression) as the one written.
#include <gtest/gtest.h>

#include <QDomDocument>
#include <QTemporaryDir>

#include <cmath>

#include "MainWindowCharts.h"
#include "chart/io/RtPersistent.h"
#include "platform/IniFile.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

enum class TForm { Binary, Xml, Ini, File };

using TMode = TMainWindowCharts::TMode;

struct TCase {
  TMode Mode;
  TForm Form;
};

// What the objects hold after the next paint's updates.
struct TOutcome {
  std::vector<double> Values;  // axis ranges and tick parts, series extents, the slope
  std::vector<int> Counts;
};

TOutcome Outcome(TMainWindowCharts& w) {
  w.Update();
  TOutcome o;
  for (TRtAxis* a : w.AllAxes())
    o.Values.insert(o.Values.end(), {a->Start(), a->Stop(), a->LabelPart(), a->TickPart()});
  for (TRtSeries* s : w.AllSeries()) {
    o.Values.insert(o.Values.end(), {s->XStart(), s->XStop(), s->YStart(), s->YStop()});
    o.Counts.push_back(s->Count());
  }
  w.Regression->Calculate();
  o.Values.push_back(w.Regression->Slope());
  return o;
}

// Values of 15 significant digits (the text forms) change the results in their last digits; a
// date-time keeps about 4 microseconds, which moves a slope over 2-second steps by some 1e-6.
void ExpectSameOutcome(const TOutcome& Got, const TOutcome& Want, bool TextForm) {
  EXPECT_EQ(Got.Counts, Want.Counts);
  ASSERT_EQ(Got.Values.size(), Want.Values.size());
  for (std::size_t k = 0; k < Want.Values.size(); ++k) {
    const double tolerance = k + 1 == Want.Values.size() ? 1e-5 : 1e-12;
    if (TextForm)
      EXPECT_NEAR(Got.Values[k], Want.Values[k], tolerance * std::abs(Want.Values[k])) << k;
    else
      EXPECT_EQ(Got.Values[k], Want.Values[k]) << k;
  }
}

std::vector<IRtPersistent*> Objects(const TMainWindowCharts& w) {
  std::vector<IRtPersistent*> all;
  for (TRtDoubleVector* v : {w.Time, w.Seconds, w.SensorVoltage, w.PumpVoltage, w.PumpCurrent,
                             w.Temperature, w.Setpoint})
    all.push_back(v);
  for (TRtAxis* a : w.AllAxes()) all.push_back(a);
  for (TRtSeries* s : w.AllSeries()) all.push_back(s);
  return all;
}

std::vector<TSnapshot> Snapshots(const TMainWindowCharts& w) {
  std::vector<TSnapshot> all;
  for (TRtAxis* a : w.AllAxes()) all.push_back(Settings(a));
  for (TRtSeries* s : w.AllSeries()) all.push_back(Settings(s));
  return all;
}

// The written settings of every object, in one of the forms.
struct TWritten {
  std::vector<QByteArray> Images;
  QString Xml;
  QString IniPath;
  QTemporaryDir Dir;
};

void Write(const TMainWindowCharts& w, TForm Form, TWritten& out) {
  const std::vector<IRtPersistent*> objects = Objects(w);
  if (Form == TForm::Binary) {
    for (IRtPersistent* o : objects) out.Images.push_back(RtBinaryImage(*o));
  } else if (Form == TForm::File) {
    for (std::size_t k = 0; k < objects.size(); ++k)
      RtWriteToFile(*objects[k], out.Dir.filePath(QString::number(k)));
  } else if (Form == TForm::Xml) {
    QDomDocument doc;
    QDomElement root = doc.appendChild(doc.createElement(QStringLiteral("Chart"))).toElement();
    for (IRtPersistent* o : objects) o->WriteTo(root);
    out.Xml = doc.toString();
  } else {
    TIniFile ini;
    for (std::size_t k = 0; k < objects.size(); ++k)
      objects[k]->WriteTo(ini, QStringLiteral("Chart.Objects(%1)").arg(k));
    out.IniPath = out.Dir.filePath(QStringLiteral("chart.ini"));
    ASSERT_TRUE(ini.SaveToFile(out.IniPath.toStdString()));
  }
}

void Read(TMainWindowCharts& w, TForm Form, const TWritten& in) {
  const std::vector<IRtPersistent*> objects = Objects(w);
  if (Form == TForm::Binary) {
    for (std::size_t k = 0; k < objects.size(); ++k) RtReadBinaryImage(*objects[k], in.Images[k]);
  } else if (Form == TForm::File) {
    for (std::size_t k = 0; k < objects.size(); ++k)
      RtReadFromFile(*objects[k], in.Dir.filePath(QString::number(k)));
  } else if (Form == TForm::Xml) {
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(in.Xml));
    QDomElement e = doc.documentElement().firstChildElement();
    for (IRtPersistent* o : objects) {
      ASSERT_FALSE(e.isNull());
      o->ReadFrom(e);
      e = e.nextSiblingElement();
    }
  } else {
    const TIniFile ini(in.IniPath.toStdString(), 64u << 20, 1u << 24);
    ASSERT_TRUE(ini.Loaded());
    for (std::size_t k = 0; k < objects.size(); ++k)
      objects[k]->ReadFrom(ini, QStringLiteral("Chart.Objects(%1)").arg(k));
  }
}

class RoundTrip : public ::testing::TestWithParam<TCase> {};

TEST_P(RoundTrip, FreshWindowGetsEveryObjectBack) {
  const TCase c = GetParam();
  TWritten written;
  std::vector<TSnapshot> before;
  TOutcome expected;
  {
    TMainWindowCharts a;
    a.Design();
    a.AddRows(40);
    a.Configure(c.Mode);
    a.Update();
    // A caption of two lines and a band partner: the texts and references a form does not
    // give, written and resolved all the same.
    a.PumpCurrentSeries->SetCaption(QStringLiteral("Pump\rCurrent"));
    a.SetpointSeries->SetMergeLegendItemWith(a.SensorVoltageSeries);
    a.XAxisSensorTime->SetRubrics({QStringLiteral("a"), QStringLiteral("b c")});
    Write(a, c.Form, written);
    before = Snapshots(a);
    expected = Outcome(a);
  }
  TMainWindowCharts b;
  Read(b, c.Form, written);
  ExpectSameSettings(Snapshots(b), before, c.Form == TForm::Xml || c.Form == TForm::Ini);
  for (TRtSeries* s : b.AllSeries()) {
    const TTestGraph* g = s->YAxis() == b.YAxisPumpCurrent ? b.PumpGraph : b.SensorGraph;
    EXPECT_TRUE(g->HasSeries(s)) << s->objectName().toStdString();
    EXPECT_EQ(s->UndoStack(), b.Undo);
  }
  ExpectSameOutcome(Outcome(b), expected, c.Form == TForm::Xml || c.Form == TForm::Ini);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, RoundTrip,
                         ::testing::Values(TCase{TMode::DateTimeAuto, TForm::Binary},
                                           TCase{TMode::DateTimeAuto, TForm::Xml},
                                           TCase{TMode::DateTimeAuto, TForm::Ini},
                                           TCase{TMode::SecondsMovingWindow, TForm::Binary},
                                           TCase{TMode::SecondsMovingWindow, TForm::Xml},
                                           TCase{TMode::SecondsMovingWindow, TForm::Ini},
                                           TCase{TMode::SecondsMovingWindow, TForm::File}));

// The same in a locale with a decimal comma: the texts keep ".", and read back.
TEST(RoundTripLocale, DecimalCommaLocaleWritesPointsAndReadsThemBack) {
  ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
  for (TForm form : {TForm::Xml, TForm::Ini}) {
    TWritten written;
    std::vector<TSnapshot> before;
    {
      TMainWindowCharts a;
      a.Design();
      a.Configure(TMode::SecondsMovingWindow, 7);
      Write(a, form, written);
      before = Snapshots(a);
    }
    if (form == TForm::Xml) {
      EXPECT_TRUE(written.Xml.contains(QStringLiteral("MovingSlitWidth=\"420\"")));
      EXPECT_TRUE(written.Xml.contains(QStringLiteral("Offset=\"0.314660005743728\"")));
      EXPECT_FALSE(written.Xml.contains(QStringLiteral("0,3146")));
    }
    TMainWindowCharts b;
    Read(b, form, written);
    ExpectSameSettings(Snapshots(b), before, true);
  }
}

}  // namespace
