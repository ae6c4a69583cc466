// The program started where no window system can be reached: a clear message and exit code 1,
// not the toolkit's abort; --headless still runs there.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

namespace {

QProcessEnvironment WithoutDisplay(const QString& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  env.insert("HOME", home);
  env.insert("XDG_CONFIG_HOME", home + "/cfg");
  env.insert("XDG_DATA_HOME", home + "/data");
  return env;
}

TEST(NoDisplay, TheProgramSaysWhatToDoInsteadOfAborting) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const QStringList& args : {QStringList{"--simulate"}, QStringList{"--frob"}}) {
    QProcess p;
    p.setProcessEnvironment(WithoutDisplay(dir.path()));
    p.start(ZK_PROGRAM_PATH, args);
    ASSERT_TRUE(p.waitForFinished(60000)) << args.join(' ').toStdString();
    const std::string err = p.readAllStandardError().toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << err;
    EXPECT_EQ(p.exitCode(), 1) << err;
    EXPECT_NE(err.find("zenkar-pro: no display to open the window on"), std::string::npos) << err;
    EXPECT_NE(err.find("--headless"), std::string::npos) << err;
  }
}

TEST(NoDisplay, HeadlessRunsWithoutOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QProcess p;
  p.setProcessEnvironment(WithoutDisplay(dir.path()));
  p.start(ZK_PROGRAM_PATH, {"--simulate", "--headless", "--cycles", "1", "--base-dir", dir.path()});
  ASSERT_TRUE(p.waitForFinished(120000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

}  // namespace
