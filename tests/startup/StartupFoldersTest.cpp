// Where the settings file, "Dll" and "Userdata" go: next to the program, in the user's folders
// of an installed program, or in --base-dir.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/StartupFolders.h"

namespace {

namespace fs = std::filesystem;

TFolderEnvironment Installed() {
  TFolderEnvironment env;
  env.ProgramDir = "/opt/zenkar/bin";
  env.ProgramDirWritable = false;
  env.Home = "/home/ana";
  return env;
}

void ExpectFolders(const TStartupFolders& f, TFolderPlacement placement, const char* settings,
                   const char* data) {
  EXPECT_EQ(f.Placement, placement);
  EXPECT_EQ(f.SettingsDir, settings);
  EXPECT_EQ(f.DataDir, data);
}

TEST(StartupFolders, AWritableProgramFolderKeepsEverythingNextToTheProgram) {
  TFolderEnvironment env = Installed();
  env.ProgramDir = "/home/ana/zenkar/build/app";
  env.ProgramDirWritable = true;
  env.XdgConfigHome = "/home/ana/cfg";
  env.XdgDataHome = "/home/ana/data";
  ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::ProgramDir,
                "/home/ana/zenkar/build/app", "/home/ana/zenkar/build/app");
}

TEST(StartupFolders, AnInstalledProgramUsesTheUsersFolders) {
  TFolderEnvironment env = Installed();
  env.XdgConfigHome = "/home/ana/cfg";
  env.XdgDataHome = "/srv/data/";
  ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::UserFolders,
                "/home/ana/cfg/zenkar-pro", "/srv/data/zenkar-pro");

  // Unset, empty and relative variables give the defaults under the home folder.
  for (const char* unset : {"", "cfg", "./data"}) {
    env.XdgConfigHome = unset;
    env.XdgDataHome = unset;
    ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::UserFolders,
                  "/home/ana/.config/zenkar-pro", "/home/ana/.local/share/zenkar-pro");
  }
  // Each variable on its own.
  env.XdgConfigHome = "/c";
  ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::UserFolders, "/c/zenkar-pro",
                "/home/ana/.local/share/zenkar-pro");
  env.XdgConfigHome.clear();
  env.XdgDataHome = "/d";
  ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::UserFolders,
                "/home/ana/.config/zenkar-pro", "/d/zenkar-pro");
}

TEST(StartupFolders, SystemProgramFoldersCountAsInstalledEvenWhenWritable) {
  // Root may write /usr/bin; its files go to its own folders all the same.
  TFolderEnvironment env = Installed();
  env.ProgramDirWritable = true;
  env.Home = "/root";
  for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/bin/"}) {
    env.ProgramDir = dir;
    ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::UserFolders,
                  "/root/.config/zenkar-pro", "/root/.local/share/zenkar-pro");
  }
  for (const char* dir : {"/usr/bin/zenkar", "/usr", "/usr/lib/bin", "/opt/bin"}) {
    EXPECT_FALSE(IsSystemProgramDir(dir)) << dir;
    env.ProgramDir = dir;
    EXPECT_EQ(ResolveStartupFolders(env).Placement, TFolderPlacement::ProgramDir) << dir;
  }
}

TEST(StartupFolders, BaseDirOverridesBoth) {
  TFolderEnvironment env = Installed();
  env.BaseDirOption = "/lab/cell2";
  env.XdgConfigHome = "/home/ana/cfg";
  ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::BaseDir, "/lab/cell2", "/lab/cell2");
  env.ProgramDirWritable = true;
  ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::BaseDir, "/lab/cell2", "/lab/cell2");
}

TEST(StartupFolders, WithoutAnyHomeTheFilesStayNextToTheProgram) {
  TFolderEnvironment env = Installed();
  env.Home.clear();
  ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::ProgramDir, "/opt/zenkar/bin",
                "/opt/zenkar/bin");
  env.Home = "relative/home";  // not a home folder either
  EXPECT_EQ(ResolveStartupFolders(env).Placement, TFolderPlacement::ProgramDir);
  // Both variables set: no home needed.
  env.XdgConfigHome = "/c";
  env.XdgDataHome = "/d";
  ExpectFolders(ResolveStartupFolders(env), TFolderPlacement::UserFolders, "/c/zenkar-pro",
                "/d/zenkar-pro");
}

TEST(StartupFolders, TheLogLineNamesTheDataFolderAndTheSettingsFile) {
  TStartupFolders f;
  f.Placement = TFolderPlacement::UserFolders;
  f.SettingsDir = "/home/ana/.config/zenkar-pro";
  f.DataDir = "/home/ana/.local/share/zenkar-pro";
  EXPECT_EQ(StartupFoldersLogLine(f, "/home/ana/.config/zenkar-pro/cell2.ini"),
            "Data files go to /home/ana/.local/share/zenkar-pro/Userdata, settings are read from "
            "/home/ana/.config/zenkar-pro/cell2.ini (the user's folders, the program is "
            "installed)");
  f.Placement = TFolderPlacement::ProgramDir;
  f.SettingsDir = f.DataDir = "/lab/zenkar";
  EXPECT_EQ(StartupFoldersLogLine(f, "/lab/zenkar/zenkar-pro.ini"),
            "Data files go to /lab/zenkar/Userdata, settings are read from "
            "/lab/zenkar/zenkar-pro.ini (next to the program)");
  f.Placement = TFolderPlacement::BaseDir;
  EXPECT_EQ(StartupFoldersLogLine(f, "x.ini"),
            "Data files go to /lab/zenkar/Userdata, settings are read from x.ini (the folder "
            "given by --base-dir)");
}

class UserFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zk_folders_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_;
};

TEST_F(UserFolders, MissingFoldersAreMadeForTheUserAlone) {
  const std::string target = dir_ + "/.local/share/zenkar-pro";
  ASSERT_TRUE(MakeUserFolders(target + "/"));
  for (const std::string& d : {dir_ + "/.local", dir_ + "/.local/share", target}) {
    struct stat st {};
    ASSERT_EQ(::stat(d.c_str(), &st), 0) << d;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << d;
  }
  EXPECT_TRUE(MakeUserFolders(target));  // there already
  // A file in the way: no folder.
  { std::ofstream(dir_ + "/file") << "x"; }
  EXPECT_FALSE(MakeUserFolders(dir_ + "/file"));
  EXPECT_FALSE(MakeUserFolders(dir_ + "/file/sub"));
  EXPECT_FALSE(MakeUserFolders(""));
}

TEST(StartupFolders, TheProcessEnvironmentIsReadAsItStands) {
  const char* home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  ::setenv("XDG_CONFIG_HOME", "/x/config", 1);
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", "/x/home", 1);
  const TFolderEnvironment env = CurrentFolderEnvironment("", "/nonexistent/bin");
  EXPECT_EQ(env.XdgConfigHome, "/x/config");
  EXPECT_EQ(env.XdgDataHome, "");
  EXPECT_EQ(env.Home, "/x/home");
  EXPECT_EQ(env.ProgramDir, "/nonexistent/bin");
  EXPECT_FALSE(env.ProgramDirWritable);
  EXPECT_TRUE(CurrentFolderEnvironment("", "/tmp").ProgramDirWritable);
  // Without $HOME the password entry's home.
  ::unsetenv("HOME");
  EXPECT_EQ(CurrentFolderEnvironment("", "/tmp").Home, CurrentUserEntry().Home);
  EXPECT_FALSE(CurrentUserEntry().Home.empty());
  ::unsetenv("XDG_CONFIG_HOME");
  if (!savedHome.empty()) ::setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
