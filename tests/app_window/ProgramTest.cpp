// The zenkar-pro program, headless on its own simulated bench, each run in a folder of its own.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include "tests/app_window/WindowFixture.h"

namespace {

struct TRun {
  int rc = -1;
  std::string out;
};

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::App();
    ASSERT_TRUE(dir_.isValid());
  }
  QStringList Args(QStringList extra) const {
    return QStringList{"--base-dir", dir_.path(), "--headless"} + extra;
  }
  QTemporaryDir dir_;
};

TEST_F(Program, HeadlessRunPrintsTheLogAndSavesAScreenshot) {
  QProcess p;
  const QString shot = dir_.filePath("shot.png");
  p.start(ZK_PROGRAM_PATH,
          Args({"--simulate-bypass", "--sim-speed", "4", "--cycles", "2", "--screenshot", shot}));
  ASSERT_TRUE(p.waitForFinished(60000));
  const std::string out = p.readAllStandardOutput().toStdString();
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_NE(out.find("Message box: As result of bypass, all devices are assumed to be working"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("Program log\n"), std::string::npos);
  EXPECT_NE(out.find("\nProgram set to run\n"), std::string::npos);
  size_t frames = 0;
  for (size_t pos = 0; (pos = out.find("░ Instruments ░", pos)) != std::string::npos; ++pos)
    ++frames;
  EXPECT_EQ(frames, 2u);
  QImage img(shot);
  ASSERT_FALSE(img.isNull());
  EXPECT_GE(img.width(), 1000);
  EXPECT_TRUE(QFileInfo(dir_.filePath("Dll/99-zenkar-prologix.rules")).isFile());
}

TEST_F(Program, TerminationSignalClosesTheWindowTheOrderlyWay) {
  QProcess p;
  p.start(ZK_PROGRAM_PATH, Args({"--simulate-bypass"}));
  ASSERT_TRUE(p.waitForStarted(10000));
  std::string out;
  // After the first frame the next cycle starts at once and lasts about a second.
  ASSERT_TRUE(wintest::WaitUntil(
      [&] {
        out += p.readAllStandardOutput().toStdString();
        return out.find("PID - control") != std::string::npos;
      },
      30000))
      << out;
  std::this_thread::sleep_for(std::chrono::milliseconds(450));
  ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
  ASSERT_TRUE(p.waitForFinished(30000));
  out += p.readAllStandardOutput().toStdString();
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_NE(out.find("Thread running: True\nWaiting for communication thread to stop.\n"),
            std::string::npos)
      << out;
}

TEST_F(Program, SimulatedBenchIsFoundByTheInstrumentSearch) {
  QProcess p;
  p.start(ZK_PROGRAM_PATH, Args({"--simulate", "--sim-speed", "4", "--cycles", "1"}));
  ASSERT_TRUE(p.waitForFinished(120000));
  const std::string out = p.readAllStandardOutput().toStdString();
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_NE(out.find("MODEL 2401"), std::string::npos) << out;
  EXPECT_NE(out.find("MODEL 2000"), std::string::npos);
  EXPECT_EQ(out.find("Message box:"), std::string::npos) << out;
  EXPECT_NE(out.find("PID - control"), std::string::npos);
}

TEST_F(Program, ToolkitOptionsAreTakenBeforeTheProgramsOwn) {
  QProcess p;
  p.start(ZK_PROGRAM_PATH,
          {"-platform", "offscreen", "-style", "Fusion", "-session", "1234abcd", "--base-dir",
           dir_.path(), "--headless", "--simulate-bypass", "--sim-speed", "4", "--cycles", "1"});
  ASSERT_TRUE(p.waitForFinished(60000));
  const std::string out = p.readAllStandardOutput().toStdString();
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_NE(out.find("PID - control"), std::string::npos) << out;
}

TEST_F(Program, HelpVersionAndAnUnknownOption) {
  QProcess p;
  // Help and version need no display.
  QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
  for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) bare.remove(v);
  p.setProcessEnvironment(bare);
  p.start(ZK_PROGRAM_PATH, {"--help"});
  ASSERT_TRUE(p.waitForFinished(30000));
  std::string out = p.readAllStandardOutput().toStdString();
  EXPECT_EQ(p.exitCode(), 0);
  for (const char* option :
       {"--base-dir <DIR>", "--simulate", "--simulate-bypass", "--sim-speed <F>",
        "--sim-volume <ML>", "--headless", "--cycles <N>", "--screenshot <FILE>", "--version"})
    EXPECT_NE(out.find(option), std::string::npos) << option << "\n" << out;

  p.start(ZK_PROGRAM_PATH, {"--version"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_EQ(p.readAllStandardOutput().toStdString(), "zenkar-pro 0.1\n");
  p.setProcessEnvironment(QProcessEnvironment::systemEnvironment());

  p.start(ZK_PROGRAM_PATH, {"--headless", "--base-dir", dir_.path(), "--bogus"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 2);
  const std::string err = p.readAllStandardError().toStdString();
  EXPECT_NE(err.find("Unknown option 'bogus'."), std::string::npos) << err;
  EXPECT_TRUE(p.readAllStandardOutput().isEmpty());  // no window, no log

  p.start(ZK_PROGRAM_PATH, {"--headless", "--cycles", "two"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 2);
  EXPECT_NE(p.readAllStandardError().toStdString().find("--cycles needs a whole number"),
            std::string::npos);
}

TEST_F(Program, SettingsFileFollowsTheProgramsName) {
  // A copy of the program named cell2 reads cell2.ini next to it, not zenkar-pro.ini.
  const QString copy = dir_.filePath("cell2");
  ASSERT_TRUE(QFile::copy(ZK_PROGRAM_PATH, copy));
  auto write = [&](const char* name, const char* port) {
    QFile f(dir_.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("[Zenkar settings]\r\nBypass autoscan=yes\r\nComPort=") + port + "\r\n");
  };
  write("cell2.ini", "/nonexistent/cell2-port");
  write("zenkar-pro.ini", "/nonexistent/zenkar-pro-port");
  QProcess p;
  p.start(copy, {"--headless", "--cycles", "1"});
  ASSERT_TRUE(p.waitForFinished(60000));
  const std::string out = p.readAllStandardOutput().toStdString();
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_NE(out.find("Com port used: /nonexistent/cell2-port\n"), std::string::npos) << out;
  EXPECT_TRUE(QFileInfo(dir_.filePath("Dll")).isDir());
}

}  // namespace
