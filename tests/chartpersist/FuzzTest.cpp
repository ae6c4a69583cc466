// Damaged series, regression and axis settings in each form, read into objects of the main
// window: reading stops with an error or reads something, never crashes, and leaves every
// series soundly bound (in a graph only with both axes, in the axes' lists when in the graph),
// so that updating, laying out and painting the graphs, undoing what the reads recorded and
// freeing everything afterwards stays sound (run under AddressSanitizer in CI).
#include <gtest/gtest.h>

#include <QDomDocument>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <random>

#include "MainWindowCharts.h"
#include "chart/io/RtPersistent.h"
#include "platform/IniFile.h"
#include "tests/support/Mutations.h"

namespace {

constexpr int kRounds = 1500;

bool Lists(const std::vector<IRtAxisSeries*>& l, const TRtSeries* s) {
  return std::find(l.begin(), l.end(), static_cast<const IRtAxisSeries*>(s)) != l.end();
}

void ExpectSound(const TRtSeries& s, const TMainWindowCharts& w) {
  for (const TTestGraph* g : {w.PumpGraph, w.SensorGraph}) {
    if (!g->HasSeries(&s)) continue;
    ASSERT_TRUE(s.XAxis() && s.YAxis());
    ASSERT_EQ(s.Graph(), g);
    ASSERT_TRUE(Lists(s.XAxis()->RelatedSeries(), &s));
    ASSERT_TRUE(Lists(s.YAxis()->RelatedSeries(), &s));
  }
  if (!s.Graph()) {
    for (const TRtAxis* a : w.AllAxes()) ASSERT_FALSE(Lists(a->RelatedSeries(), &s));
  }
}

// Qt's warnings about the odd values read (pen widths out of range) are not wanted in the log.
void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

struct Fuzz : ::testing::Test {
  ~Fuzz() override { qInstallMessageHandler(fPrevious); }
  Fuzz() {
    fPrevious = qInstallMessageHandler(Quiet);
    w.Design();
    w.AddRows(20);
    w.Configure(TMainWindowCharts::TMode::SecondsMovingWindow);
    w.Update();
    Regression->setObjectName(QStringLiteral("TargetRegression"));
    Point->setObjectName(QStringLiteral("TargetPoint"));
    Axis->setObjectName(QStringLiteral("TargetAxis"));
    Axis->SetGraph(w.SensorGraph);
  }

  // One round after a read: the targets are sound, and now and then everything is updated,
  // laid out and painted.
  void Check(int Round) {
    ExpectSound(*Regression, w);
    ExpectSound(*Point, w);
    // A regression read with too few points in its window, or on no vectors, raises.
    try {
      Regression->Calculate();
      if (Round % 16 == 0) w.Update();
    } catch (const ERtMathError&) {
    }
    if (Round % 16 != 0) return;
    for (TRtSeries* s : {static_cast<TRtSeries*>(Regression), static_cast<TRtSeries*>(Point)})
      if (s->RecalculatePoints()) s->CalculatePoints();
    if (Round % 128 == 0) w.SensorGraph->Render();
  }

  // Reads each damaged image with Read; then undoes what the reads recorded. The INI form passes
  // over what it cannot read and raises nothing.
  template <typename Read>
  void Run(const QByteArray& Valid, Read&& read, bool Raises = true, int Rounds = kRounds) {
    int failed = 0;
    for (int round = 0; round < Rounds; ++round) {
      try {
        read(Mutated(Valid, Random));
      } catch (const ERtError&) {
        ++failed;
      }
      Check(round);
      if (HasFatalFailure()) return;
    }
    EXPECT_EQ(failed > 0, Raises);
    try {
      w.Undo->Undo(w.Undo->UndoCount());
    } catch (const ERtError&) {
    }
    w.Update();
  }

  TMainWindowCharts w;
  TRtLinearRegression* Regression = new TRtLinearRegression(&w.Form);
  TRtPointSeries* Point = new TRtPointSeries(&w.Form);
  TRtAxis* Axis = new TRtAxis(&w.Form);
  std::mt19937 Random{20261210};

 private:
  QtMessageHandler fPrevious = nullptr;
};

TEST_F(Fuzz, DamagedBinarySettings) {
  const QByteArray regression = RtBinaryImage(*w.Regression);
  Run(regression, [&](const QByteArray& b) { RtReadBinaryImage(*Regression, b); });
  Run(RtBinaryImage(*w.TemperatureSeries),
      [&](const QByteArray& b) { RtReadBinaryImage(*Point, b); });
  Run(RtBinaryImage(*w.XAxisSensorTime), [&](const QByteArray& b) { RtReadBinaryImage(*Axis, b); });
}

// Damaged texts (most no longer parse) and, in every other round, damaged attribute values.
TEST_F(Fuzz, DamagedXmlSettings) {
  QDomDocument doc(QStringLiteral("chart"));
  QDomElement root = doc.appendChild(doc.createElement(QStringLiteral("Chart"))).toElement();
  w.Regression->WriteTo(root);
  w.TemperatureSeries->WriteTo(root);
  w.XAxisSensorTime->WriteTo(root);
  std::vector<std::pair<QString, QString>> attributes;  // element path, attribute
  int round = 0;
  const auto read = [&](const QDomDocument& d) {
    const QDomElement r = d.documentElement().firstChildElement();
    Regression->ReadFrom(r);
    Point->ReadFrom(r.nextSiblingElement());
    Axis->ReadFrom(r.nextSiblingElement().nextSiblingElement());
  };
  Run(doc.toByteArray(), [&](const QByteArray& text) {
    if (++round % 2 == 0) {
      QDomDocument damaged;
      if (damaged.setContent(text)) read(damaged);
      return;
    }
    QDomDocument damaged = doc.cloneNode(true).toDocument();
    std::vector<QDomElement> all;
    for (QDomElement e = damaged.documentElement(); !e.isNull();) {
      all.push_back(e);
      QDomElement next = e.firstChildElement();
      while (next.isNull() && !e.isNull()) {
        next = e.nextSiblingElement();
        e = e.parentNode().toElement();
      }
      e = next;
    }
    for (int k = 0, n = 1 + int(Random() % 4); k < n; ++k) {
      QDomElement e = all[Random() % all.size()];
      const QDomNamedNodeMap map = e.attributes();
      if (map.isEmpty()) continue;
      const QDomAttr a = map.item(int(Random() % std::uint32_t(map.size()))).toAttr();
      e.setAttribute(a.name(), QString::fromUtf8(Mutated(a.value().toUtf8() + "0", Random)));
    }
    read(damaged);
  });
}

// Values damaged key by key (the INI reader's own robustness is tested with the platform); each
// round reads some 300 keys, so fewer rounds.
TEST_F(Fuzz, DamagedIniSettings) {
  TIniFile ini;
  w.Regression->WriteTo(ini, QStringLiteral("R"));
  w.TemperatureSeries->WriteTo(ini, QStringLiteral("P"));
  w.XAxisSensorTime->WriteTo(ini, QStringLiteral("A"));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("chart.ini"));
  ASSERT_TRUE(ini.SaveToFile(path.toStdString()));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  std::vector<std::pair<std::string, std::string>> keys;
  std::string section;
  for (const QByteArray& line : f.readAll().split('\n')) {
    const QByteArray l = line.trimmed();
    if (l.startsWith('[')) section = l.mid(1, l.size() - 2).toStdString();
    if (l.contains('=')) keys.emplace_back(section, l.left(l.indexOf('=')).toStdString());
  }
  ASSERT_GT(keys.size(), 150u);
  Run(
      QByteArray("."),
      [&](const QByteArray&) {
        TIniFile damaged = ini;
        for (int k = 0, n = 1 + int(Random() % 4); k < n; ++k) {
          const auto& [sec, key] = keys[Random() % keys.size()];
          const QByteArray value = QByteArray::fromStdString(damaged.ReadString(sec, key, ""));
          damaged.WriteString(sec, key,
                              Mutated(value.isEmpty() ? "0" : value, Random).toStdString());
        }
        Regression->ReadFrom(damaged, QStringLiteral("R"));
        Point->ReadFrom(damaged, QStringLiteral("P"));
        Axis->ReadFrom(damaged, QStringLiteral("A"));
      },
      false, kRounds / 3);
}

}  // namespace
