// The program's windows on a real X server (Xvfb, no window manager), their geometry read back
// through the server with xdotool: the instrument-search window centred on the screen, the
// main window filling it; and the pump graph driven by the real mouse (zoom, pan, step back,
// reset) with a picture of the screen after each step. Skips where Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;

// A GUI application on the offscreen platform: it reads the pictures, the program gets Xvfb.
QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "test_app_xvfb";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  return *app;
}

struct TGeometry {
  int X = 0, Y = 0, Width = 0, Height = 0;
};

class Xvfb : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(dir_.isValid());
    for (const char* tool : {"Xvfb", "xdotool"})
      if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
        GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it); the check of "
                     << "window geometry on a real X server is skipped.";
    // The server picks a free display itself and writes its number to the file.
    const QString displayFile = dir_.filePath("display");
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start("sh", {"-c", QString("exec Xvfb -displayfd 3 -screen 0 %1x%2x24 -nolisten tcp "
                                       "3>'%3'")
                                   .arg(kScreenW)
                                   .arg(kScreenH)
                                   .arg(displayFile)});
    ASSERT_TRUE(server_.waitForStarted(10000));
    for (int i = 0; i < 200 && display_.isEmpty(); ++i) {
      QFile f(displayFile);
      if (f.open(QIODevice::ReadOnly)) {
        const QByteArray text = f.readAll();
        if (text.endsWith('\n')) display_ = ":" + QString::fromLatin1(text.trimmed());
      }
      if (display_.isEmpty()) QThread::msleep(50);
    }
    ASSERT_FALSE(display_.isEmpty()) << "Xvfb did not report its display";
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("DISPLAY", display_);
    env_.insert("QT_QPA_PLATFORM", "xcb");
  }
  void TearDown() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.kill();
      program_.waitForFinished(10000);
    }
    if (server_.state() != QProcess::NotRunning) {
      server_.terminate();
      if (!server_.waitForFinished(10000)) server_.kill();
    }
  }

  std::string Xdotool(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env_);
    p.start("xdotool", args);
    if (!p.waitForFinished(10000)) return {};
    return p.readAllStandardOutput().toStdString();
  }

  // The first visible window whose name matches the pattern; waits up to timeoutMs.
  std::string FindWindow(const QString& pattern, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
      const std::string ids = Xdotool({"search", "--onlyvisible", "--name", pattern});
      if (!ids.empty()) return ids.substr(0, ids.find('\n'));
      QThread::msleep(100);
    }
    return {};
  }

  // A picture of the whole screen taken from the server; null when it failed.
  QImage Screenshot(const QString& file) {
    QProcess p;
    p.setProcessEnvironment(env_);
    if (!QStandardPaths::findExecutable("import").isEmpty())
      p.start("import", {"-window", "root", file});
    else
      p.start("sh", {"-c", QString("xwd -root -silent | convert xwd:- '%1'").arg(file)});
    if (!p.waitForFinished(20000)) return {};
    return QImage(file);
  }

  TGeometry Geometry(const std::string& id) {
    std::map<std::string, int> v;
    const std::string out = Xdotool({"getwindowgeometry", "--shell", QString::fromStdString(id)});
    size_t pos = 0;
    while (pos < out.size()) {
      const size_t end = out.find('\n', pos);
      const std::string line = out.substr(pos, end - pos);
      const size_t eq = line.find('=');
      if (eq != std::string::npos) v[line.substr(0, eq)] = std::atoi(line.c_str() + eq + 1);
      pos = end == std::string::npos ? out.size() : end + 1;
    }
    return {v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]};
  }

  QTemporaryDir dir_;
  QProcess server_, program_;
  QString display_;
  QProcessEnvironment env_;
};

std::string Show(const TGeometry& g) {
  return std::to_string(g.Width) + "x" + std::to_string(g.Height) + " at " + std::to_string(g.X) +
         "," + std::to_string(g.Y);
}

TEST_F(Xvfb, SearchWindowIsCentredOnTheScreenAndTheMainWindowFillsIt) {
  program_.setProcessEnvironment(env_);
  program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program_.start(ZK_PROGRAM_PATH, {"--base-dir", dir_.path(), "--simulate", "--sim-speed", "4"});
  ASSERT_TRUE(program_.waitForStarted(10000));

  const std::string search = FindWindow("^Searching for instruments", 60000);
  ASSERT_FALSE(search.empty()) << "no search window appeared";
  const TGeometry s = Geometry(search);
  EXPECT_GT(s.Width, 0);
  EXPECT_GE(s.X, 0) << Show(s);
  EXPECT_GE(s.Y, 0) << Show(s);
  EXPECT_LE(s.X + s.Width, kScreenW) << Show(s);
  EXPECT_LE(s.Y + s.Height, kScreenH) << Show(s);
  EXPECT_NEAR(s.X, (kScreenW - s.Width) / 2, 1) << Show(s);
  EXPECT_NEAR(s.Y, (kScreenH - s.Height) / 2, 1) << Show(s);

  const std::string main = FindWindow("^Zenkar Pro$", 60000);
  ASSERT_FALSE(main.empty()) << "no main window appeared";
  // Without a window manager nobody maximizes: the window takes the screen's size itself.
  TGeometry m;
  for (int i = 0; i < 50; ++i) {
    m = Geometry(main);
    if (m.Width == kScreenW && m.Height == kScreenH) break;
    QThread::msleep(100);
  }
  EXPECT_EQ(m.X, 0) << Show(m);
  EXPECT_EQ(m.Y, 0) << Show(m);
  EXPECT_EQ(m.Width, kScreenW) << Show(m);
  EXPECT_EQ(m.Height, kScreenH) << Show(m);

  ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
  ASSERT_TRUE(program_.waitForFinished(30000));
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0);
}

// Pixels that differ between the same rectangle of two pictures.
int Changed(const QImage& a, const QImage& b, const QRect& r) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

TEST_F(Xvfb, PumpGraphZoomsPansStepsBackAndResetsWithTheRealMouse) {
  for (const char* tool : {"xwd", "convert"})
    if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
      GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs x11-apps and "
                   << "imagemagick); the mouse check of the graphs is skipped.";
  // The pictures stay where ZK_XVFB_SHOTS says, to be looked at.
  const QString shots = qEnvironmentVariableIsSet("ZK_XVFB_SHOTS")
                            ? qEnvironmentVariable("ZK_XVFB_SHOTS")
                            : dir_.filePath("shots");
  QDir().mkpath(shots);
  program_.setProcessEnvironment(env_);
  program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program_.start(ZK_PROGRAM_PATH, {"--base-dir", dir_.path(), "--simulate", "--sim-speed", "30",
                                   "--set", "CheckBoxRateOfChange", "--set", "ButtonRun"});
  ASSERT_TRUE(program_.waitForStarted(10000));
  const std::string main = FindWindow("^Zenkar Pro$", 60000);
  ASSERT_FALSE(main.empty()) << "no main window appeared";
  // The pump graph sits between the 358-pixel picture column and the 320-pixel page column,
  // 347 pixels high. The pump current soon stands at its limit along the top of the data
  // area, its blue squares cut by the row y = 6 (the line between them lies lower).
  const QRect graph(366, 0, kScreenW - 358 - 320 - 16, 347);
  auto topSquares = [&](const QImage& img) {
    std::vector<int> centres;
    int run = 0;
    for (int x = graph.left(); x <= graph.right() + 1; ++x) {
      const bool blue = x <= graph.right() && img.pixel(x, 6) == qRgb(0, 0, 255);
      if (blue) ++run;
      if (!blue && run > 0) centres.push_back(x - 1 - run / 2);
      if (!blue) run = 0;
    }
    return centres;
  };
  // Wait for four rows at the limit, then Stop (on the Operation page at the right): a new row
  // would re-range the time axis and end the zoom.
  std::vector<int> squares;
  for (int waited = 0; waited < 60000 && squares.size() < 4; waited += 1000) {
    QThread::msleep(1000);
    const QImage img = Screenshot(QDir(shots).filePath("0-waiting.png"));
    if (!img.isNull()) squares = topSquares(img);
  }
  ASSERT_GE(squares.size(), 4u) << "the pump graph did not show four rows at the current limit";
  Xdotool({"mousemove", "1190", "304", "click", "1"});
  QThread::msleep(3000);
  // The zoom fits the points inside the rectangle: the second and third square.
  const int x0 = squares[1] - 6, x1 = squares[2] + 6;
  auto drag = [&](int x1, int y1, int x2, int y2, bool shift) {
    if (shift) Xdotool({"keydown", "shift"});
    Xdotool({"mousemove", QString::number(x1), QString::number(y1), "mousedown", "1"});
    for (int i = 1; i <= 8; ++i) {
      Xdotool({"mousemove", QString::number(x1 + (x2 - x1) * i / 8),
               QString::number(y1 + (y2 - y1) * i / 8)});
      QThread::msleep(30);
    }
    Xdotool({"mouseup", "1"});
    if (shift) Xdotool({"keyup", "shift"});
    QThread::msleep(600);
  };
  auto shot = [&](const char* name) {
    const QImage img = Screenshot(QDir(shots).filePath(QString::fromLatin1(name) + ".png"));
    EXPECT_EQ(img.size(), QSize(kScreenW, kScreenH)) << name;
    EXPECT_EQ(program_.state(), QProcess::Running) << "the program ended before " << name;
    return img;
  };

  const QImage before = shot("1-before");
  drag(x0, 1, x1, 80, false);
  const QImage zoomed = shot("2-zoomed");
  drag(x0 + 100, 200, x0 + 70, 150, true);
  const QImage panned = shot("3-panned");
  // Beside the data area: on the time axis below it.
  Xdotool({"mousemove", QString::number(x0), "325", "click", "1"});
  QThread::msleep(600);
  const QImage back = shot("4-stepped-back");
  drag(x0, 1, x1, 80, false);
  Xdotool({"mousemove", QString::number(x0), "325", "click", "--repeat", "2", "1"});
  QThread::msleep(600);
  const QImage reset = shot("5-reset");

  // Zoom and pan change the graph; the panned view is a stage of its own, so a click beside
  // steps back to the zoomed view, and the double click returns to the first view.
  ASSERT_FALSE(before.isNull() || zoomed.isNull() || panned.isNull() || back.isNull() ||
               reset.isNull());
  EXPECT_GT(Changed(before, zoomed, graph), 2000);
  EXPECT_GT(Changed(zoomed, panned, graph), 500);
  EXPECT_LT(Changed(zoomed, back, graph), 200);
  EXPECT_LT(Changed(before, reset, graph), 200);

  ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
  ASSERT_TRUE(program_.waitForFinished(30000));
  EXPECT_EQ(program_.exitCode(), 0);
}

}  // namespace
