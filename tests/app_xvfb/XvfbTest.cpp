// The program's windows on a real X server (Xvfb, no window manager), their geometry read back
// through the server with xdotool: the instrument-search window centred on the screen, the
// main window filling it. Skips where Xvfb or xdotool is not installed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <map>
#include <string>

namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "test_app_xvfb";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
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

}  // namespace
