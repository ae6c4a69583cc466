// Where the program keeps its files: the settings file, "Dll" and "Userdata".
//
// A program that runs from a folder it may write (the build tree, a copied folder) keeps
// everything next to the executable. An installed program (its folder not writable, or a system
// program folder, which root could write) uses the user's folders of the XDG base directory
// rules: the settings in $XDG_CONFIG_HOME/zenkar-pro, "Dll" and "Userdata" in
// $XDG_DATA_HOME/zenkar-pro. --base-dir overrides both.
#pragma once

#include <string>

// What the decision depends on, gathered by the caller.
struct TFolderEnvironment {
  std::string BaseDirOption;  // --base-dir; empty: not given
  std::string ProgramDir;     // the executable's folder
  bool ProgramDirWritable = true;
  // The environment as it stands; empty: unset.
  std::string XdgConfigHome;
  std::string XdgDataHome;
  std::string Home;
};

enum class TFolderPlacement {
  BaseDir,      // --base-dir
  ProgramDir,   // next to the executable
  UserFolders,  // the user's XDG folders
};

struct TStartupFolders {
  TFolderPlacement Placement = TFolderPlacement::ProgramDir;
  std::string SettingsDir;  // the settings file is read here
  std::string DataDir;      // "Dll" and "Userdata" go here
};

// The subfolder of the XDG folders.
inline constexpr const char* kUserFolderName = "zenkar-pro";

// Program folders of the system, where the program counts as installed even for a user who
// may write there.
bool IsSystemProgramDir(const std::string& dir);

// The decision, from the environment alone. Relative or empty XDG variables count as unset (the
// base directory rules ignore them) and give $HOME/.config and $HOME/.local/share. Without a
// home folder either, the files stay next to the executable.
TStartupFolders ResolveStartupFolders(const TFolderEnvironment& env);

// The one start-up log line: where the data and the settings file are.
std::string StartupFoldersLogLine(const TStartupFolders& folders, const std::string& settingsFile);

// ---- Driving the decision (not pure)

// The environment of this process: $XDG_CONFIG_HOME, $XDG_DATA_HOME, $HOME (or the password
// entry's home), and whether programDir may be written.
TFolderEnvironment CurrentFolderEnvironment(const std::string& baseDirOption,
                                            const std::string& programDir);

// The login name and home folder of the real user, from the password entry; empty when the
// user has none.
struct TUserEntry {
  std::string Name;
  std::string Home;
};
TUserEntry CurrentUserEntry();

// Creates path and its missing parents, each new folder with mode 0700 as the base directory
// rules ask. True when path is a folder afterwards.
bool MakeUserFolders(const std::string& path);
