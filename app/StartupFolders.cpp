#include "app/StartupFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A folder variable as the base directory rules take it: absolute, or not set at all.
std::string Absolute(const std::string& value) {
  return !value.empty() && value[0] == '/' ? value : std::string();
}

std::string Join(const std::string& dir, const std::string& name) {
  return (fs::path(dir) / name).lexically_normal().string();
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

}  // namespace

bool IsSystemProgramDir(const std::string& dir) {
  const std::string d = fs::path(dir).lexically_normal().string();
  for (const char* s : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/sbin", "/sbin"})
    if (d == s || d == std::string(s) + "/") return true;
  return false;
}

TStartupFolders ResolveStartupFolders(const TFolderEnvironment& env) {
  TStartupFolders f;
  if (!env.BaseDirOption.empty()) {
    f.Placement = TFolderPlacement::BaseDir;
    f.SettingsDir = f.DataDir = env.BaseDirOption;
    return f;
  }
  f.SettingsDir = f.DataDir = env.ProgramDir;
  if (env.ProgramDirWritable && !IsSystemProgramDir(env.ProgramDir)) return f;
  const std::string home = Absolute(env.Home);
  std::string config = Absolute(env.XdgConfigHome);
  std::string data = Absolute(env.XdgDataHome);
  if (config.empty() && !home.empty()) config = Join(home, ".config");
  if (data.empty() && !home.empty()) data = Join(home, ".local/share");
  if (config.empty() || data.empty()) return f;
  f.Placement = TFolderPlacement::UserFolders;
  f.SettingsDir = Join(config, kUserFolderName);
  f.DataDir = Join(data, kUserFolderName);
  return f;
}

std::string StartupFoldersLogLine(const TStartupFolders& folders, const std::string& settingsFile) {
  const char* why = "";
  switch (folders.Placement) {
    case TFolderPlacement::BaseDir:
      why = "the folder given by --base-dir";
      break;
    case TFolderPlacement::ProgramDir:
      why = "next to the program";
      break;
    case TFolderPlacement::UserFolders:
      why = "the user's folders, the program is installed";
      break;
  }
  return "Data files go to " + Join(folders.DataDir, "Userdata") + ", settings are read from " +
         settingsFile + " (" + why + ")";
}

TFolderEnvironment CurrentFolderEnvironment(const std::string& baseDirOption,
                                            const std::string& programDir) {
  TFolderEnvironment env;
  env.BaseDirOption = baseDirOption;
  env.ProgramDir = programDir;
  // access() asks for the real user, as the program will write with it; a read-only mount
  // fails here for root as well.
  env.ProgramDirWritable = ::access(programDir.c_str(), W_OK) == 0;
  env.XdgConfigHome = Env("XDG_CONFIG_HOME");
  env.XdgDataHome = Env("XDG_DATA_HOME");
  env.Home = Env("HOME");
  if (env.Home.empty()) env.Home = CurrentUserEntry().Home;
  return env;
}

TUserEntry CurrentUserEntry() {
  TUserEntry user;
  passwd pw{};
  passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &pw, buffer, sizeof buffer, &found) != 0 || !found) return user;
  if (found->pw_name) user.Name = found->pw_name;
  if (found->pw_dir) user.Home = found->pw_dir;
  return user;
}

bool MakeUserFolders(const std::string& path) {
  if (path.empty()) return false;
  std::string sofar;
  const std::string normal = fs::path(path).lexically_normal().string();
  size_t pos = 0;
  while (pos != std::string::npos) {
    const size_t next = normal.find('/', pos + 1);
    sofar = normal.substr(0, next);
    pos = next;
    if (sofar.empty() || sofar == "/") continue;
    if (::mkdir(sofar.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(normal.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
