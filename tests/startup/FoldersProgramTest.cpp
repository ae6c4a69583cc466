// The program's files in both places: next to a program in a folder it may write, and in the
// user's folders when its folder is read-only (the installed case). Each run uses a copy of the
// program named cell2, whose settings file is cell2.ini.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

constexpr uid_t kNobody = 65534;

class Folders : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // The installed case runs as "nobody" when the test runs as root (root writes anywhere).
    ASSERT_EQ(::chmod(dir_.path().toLocal8Bit().constData(), 0755), 0);
  }
  QString Path(const QString& rel) const { return dir_.filePath(rel); }
  // A folder the program's user owns.
  void MakeOwned(const QString& rel) {
    ASSERT_TRUE(QDir().mkpath(Path(rel)));
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(Path(rel).toLocal8Bit().constData(), kNobody, kNobody), 0);
    }
  }
  void WriteSettings(const QString& rel, const char* port) {
    QFile f(Path(rel));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("[Zenkar settings]\r\nBypass autoscan=yes\r\nComPort=") + port + "\r\n");
    f.close();
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(Path(rel).toLocal8Bit().constData(), kNobody, kNobody), 0);
    }
  }
  std::string Run(const QString& program, bool asNobody) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", Path("cfg"));
    env.insert("XDG_DATA_HOME", Path("data"));
    env.insert("HOME", Path("home"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(Path("home"));
    if (asNobody && ::geteuid() == 0)
      p.setChildProcessModifier([] {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(99);
      });
    p.start(program, {"--headless", "--cycles", "1"});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput().toStdString();
  }
  QTemporaryDir dir_;
};

TEST_F(Folders, AProgramInAWritableFolderKeepsItsFilesNextToIt) {
  MakeOwned("home");
  ASSERT_TRUE(QDir().mkpath(Path("lab")));
  ASSERT_TRUE(QFile::copy(ZK_PROGRAM_PATH, Path("lab/cell2")));
  WriteSettings("lab/cell2.ini", "/nonexistent/lab-port");
  const std::string out = Run(Path("lab/cell2"), false);
  EXPECT_NE(out.find("Com port used: /nonexistent/lab-port\n"), std::string::npos) << out;
  const std::string lab = Path("lab").toStdString();
  EXPECT_NE(out.find("\nData files go to " + lab + "/Userdata, settings are read from " + lab +
                     "/cell2.ini (next to the program)\n"),
            std::string::npos)
      << out;
  EXPECT_TRUE(QFileInfo(Path("lab/Dll/99-zenkar-prologix.rules")).isFile());
  EXPECT_FALSE(QFileInfo::exists(Path("cfg")));
  EXPECT_FALSE(QFileInfo::exists(Path("data")));
}

TEST_F(Folders, AProgramInAReadOnlyFolderUsesTheUsersFolders) {
  MakeOwned("home");
  MakeOwned("cfg/zenkar-pro");
  MakeOwned("data");  // the program makes its subfolder itself
  ASSERT_TRUE(QDir().mkpath(Path("usr/bin")));
  ASSERT_TRUE(QFile::copy(ZK_PROGRAM_PATH, Path("usr/bin/cell2")));
  ASSERT_EQ(::chmod(Path("usr/bin").toLocal8Bit().constData(), 0555), 0);
  WriteSettings("cfg/zenkar-pro/cell2.ini", "/nonexistent/xdg-port");
  WriteSettings("cfg/zenkar-pro/zenkar-pro.ini", "/nonexistent/wrong-port");
  const std::string out = Run(Path("usr/bin/cell2"), true);
  ::chmod(Path("usr/bin").toLocal8Bit().constData(), 0755);
  EXPECT_NE(out.find("Com port used: /nonexistent/xdg-port\n"), std::string::npos) << out;
  const std::string data = Path("data/zenkar-pro").toStdString();
  EXPECT_NE(out.find("\nData files go to " + data + "/Userdata, settings are read from " +
                     Path("cfg/zenkar-pro/cell2.ini").toStdString() +
                     " (the user's folders, the program is installed)\n"),
            std::string::npos)
      << out;
  EXPECT_TRUE(QFileInfo(Path("data/zenkar-pro/Dll/99-zenkar-prologix.rules")).isFile());
  EXPECT_EQ(QFileInfo(Path("data/zenkar-pro")).permissions() & 0x0077, 0) << "group or others";
  EXPECT_EQ(QDir(Path("usr/bin")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList{"cell2"});
}

}  // namespace
