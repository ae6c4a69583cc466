// The program's options, read after the toolkit has taken its own (-platform, -style,
// -session, -display ...).
#pragma once

#include <QStringList>

#include <string>
#include <vector>

struct TCommandLine {
  std::string BaseDir;  // empty: the executable's folder or the user's folders
  bool Simulate = false;
  bool SimulateBypass = false;
  double SimSpeed = 1;
  // Pauses and time-outs of the transport and the scheduler's timer run this many times faster
  // (platform::SetTimeScale); simulated runs only, 1 otherwise.
  double SimTimeScale = 1;
  double SimVolume = 0;  // 0: the bench's default
  bool Headless = false;
  int Cycles = 0;  // 0: run until closed
  std::string Screenshot;
  // Prepared views for the pictures of the guide (options left out of the help).
  std::string Page;                   // the page shown, by its caption
  std::vector<std::string> Settings;  // control settings, "Name" or "Name=value"
  // Pictures of parts of the window, saved when it closes.
  struct TPartShot {
    std::string Part;  // a control's name
    std::string File;
  };
  std::vector<TPartShot> PartShots;
  std::vector<std::string> TestHooks;  // --test-hook (app/TestHooks.h)
};

enum class TCommandLineOutcome { Run, Help, Version, Error };

struct TCommandLineResult {
  TCommandLineOutcome Outcome = TCommandLineOutcome::Run;
  TCommandLine Options;
  std::string Text;  // the help text, the version line, or the error message
};

// arguments: the program name first, then the options as the toolkit left them.
TCommandLineResult ParseCommandLine(const QStringList& arguments, const QString& version);

// Whether the raw command line asks for --headless; read before the toolkit starts, since it
// chooses the offscreen platform.
bool HeadlessRequested(int argc, char** argv);
// Whether the raw command line asks for the help or the version, which need no window system.
bool InformationRequested(int argc, char** argv);

// Whether the toolkit has a window system to start on: a platform named in QT_QPA_PLATFORM or by
// -platform, or an X or Wayland display (DISPLAY, WAYLAND_DISPLAY, -display). Null or empty
// variables count as unset. Without one the toolkit aborts at start-up.
bool WindowSystemNamed(int argc, char** argv, const char* qpaPlatform, const char* display,
                       const char* waylandDisplay);
// What the program says when there is none; program is the executable's file name.
std::string NoDisplayMessage(const std::string& program);
