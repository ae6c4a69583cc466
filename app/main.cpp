// zenkar-pro: the cell controller. Options: zenkar-pro --help; the toolkit's own options
// (-platform, -style, -session, -display ...) are taken as well.
#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/ControlPresets.h"
#include "app/ControllerAccess.h"
#include "app/LogView.h"
#include "app/MessageBox.h"
#include "app/StartupFolders.h"
#include "app/TestHooks.h"
#include "app/frmZenkar2.h"
#include "common/_Common2.h"
#include "platform/Resources.h"
#include "platform/TermiosPort.h"
#include "sim/SimBench.h"

namespace {

int gSignalFd[2] = {-1, -1};

// Only the byte to the socket: the window closes when the event loop reads it.
void OnSignal(int) {
  const int saved = errno;
  const char c = 1;
  if (gSignalFd[0] >= 0) (void)!write(gSignalFd[0], &c, 1);
  errno = saved;
}

// Prints the help or version text, or the error; true when the program is to end with rc.
bool Answered(const TCommandLineResult& cl, int& rc) {
  if (cl.Outcome == TCommandLineOutcome::Run) return false;
  const bool error = cl.Outcome == TCommandLineOutcome::Error;
  (error ? std::cerr : std::cout) << cl.Text << std::flush;
  rc = error ? 2 : 0;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const QString version = QStringLiteral(ZK_VERSION);
  int rc = 0;
  if (InformationRequested(argc, argv)) {
    // No window system needed, so this works without a display as well.
    QCoreApplication core(argc, argv);
    Answered(ParseCommandLine(QCoreApplication::arguments(), version), rc);
    return rc;
  }
  if (HeadlessRequested(argc, argv)) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  } else if (!WindowSystemNamed(argc, argv, std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                                std::getenv("WAYLAND_DISPLAY"))) {
    // The toolkit would abort here; say what to do instead.
    std::cerr << NoDisplayMessage(
                     QFileInfo(QString::fromLocal8Bit(argc > 0 ? argv[0] : "zenkar-pro"))
                         .fileName()
                         .toStdString())
              << std::flush;
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Zenkar Pro"));
  QApplication::setApplicationVersion(version);
  QGuiApplication::setDesktopFileName(QStringLiteral("zenkar-pro"));
  const TCommandLineResult cl = ParseCommandLine(QCoreApplication::arguments(), version);
  if (Answered(cl, rc)) return rc;
  TCommandLine args = cl.Options;
  const TStartupFolders folders = ResolveStartupFolders(
      CurrentFolderEnvironment(args.BaseDir, QCoreApplication::applicationDirPath().toStdString()));
  if (folders.Placement == TFolderPlacement::UserFolders) {
    for (const std::string& dir : {folders.DataDir, folders.SettingsDir})
      if (!MakeUserFolders(dir))
        std::cerr << "zenkar-pro: cannot create the folder " << dir << "\n";
  }
  PrepareDllFolder(folders.DataDir);
  const std::string accessAdvice = CheckControllerAccess(folders.DataDir);

  std::unique_ptr<sim::Bench> bench;
  TStartOptions options;
  options.BaseDir = folders.DataDir;
  options.SettingsDir = folders.SettingsDir;
  options.Headless = args.Headless;
  if (args.Simulate) {
    platform::SetTimeScale(args.SimTimeScale);  // 1 unless asked for
    sim::BenchOptions bo;
    bo.RegisterInPortList = true;
    if (args.SimSpeed > 0) bo.SpeedFactor = args.SimSpeed;
    if (args.SimVolume > 0) bo.Cell.VolumeML = args.SimVolume;
    bench = std::make_unique<sim::Bench>(bo);
    std::string error;
    if (!bench->Start(&error)) {
      std::cerr << "zenkar-pro: simulated bench did not start: " << error << "\n";
      return 1;
    }
    std::cerr << "Simulated bench on " << bench->DevicePath() << " (COM" << bench->ComNumber()
              << ")\n";
#ifndef ZK_HAVE_DISCOVERY
    args.SimulateBypass = true;
#endif
    if (args.SimulateBypass) options.BypassPort = "COM" + std::to_string(bench->ComNumber());
  }

  if (args.Headless) {
    SetMessageBoxHandler(
        [](const std::string& text) { std::cout << "Message box: " << text << std::endl; });
  }

  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, gSignalFd) == 0) {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
  }

  std::unique_ptr<TFormZenkar2> window;
  std::function<void(const std::string&)> print;
  if (args.Headless)
    print = [](const std::string& line) { std::cout << line << '\n' << std::flush; };
  options.LineHook = print;
  window = std::make_unique<TFormZenkar2>(options);
  // After the search, which replaces the log with its findings.
  AddToLog(StartupFoldersLogLine(folders, window->SettingsPath()));
  if (!accessAdvice.empty()) AddToLog(accessAdvice);
  std::string error;
  for (const std::string& setting : args.Settings)
    if (!ApplyControlSetting(*window, setting, error))
      std::cerr << "zenkar-pro: --set " << setting << ": " << error << "\n";
  if (!ApplyTestHooks(args.TestHooks, *window, error))
    std::cerr << "zenkar-pro: --test-hook: " << error << "\n";
  if (!args.Page.empty() && !ShowPage(*window, args.Page, error))
    std::cerr << "zenkar-pro: --page: " << error << "\n";

  QSocketNotifier notifier(gSignalFd[1], QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, window.get(), [&] {
    char c;
    (void)!read(gSignalFd[1], &c, 1);
    window->close();
  });
  if (!args.Screenshot.empty() || !args.PartShots.empty()) {
    window->OnClosing = [&] {
      auto save = [](QWidget* part, const std::string& file) {
        if (!part->grab().save(QString::fromStdString(file)))
          std::cerr << "zenkar-pro: could not save the screenshot " << file << "\n";
      };
      if (!args.Screenshot.empty()) save(window.get(), args.Screenshot);
      for (const TCommandLine::TPartShot& shot : args.PartShots) {
        if (QWidget* part = WindowPart(*window, shot.Part))
          save(part, shot.File);
        else
          std::cerr << "zenkar-pro: --screenshot-part: no part named " << shot.Part << "\n";
      }
    };
  }
  if (args.Cycles > 0)
    QObject::connect(window.get(), &TFormZenkar2::CyclePresented, window.get(), [&](int n) {
      if (n == args.Cycles) QTimer::singleShot(0, window.get(), [&] { window->close(); });
    });

  if (args.Headless) {
    window->resize(1400, 900);
    window->show();
    QTimer::singleShot(0, window.get(), [&] { window->ButtonRunClick(); });
  } else {
    window->ShowOnScreen();
  }
  rc = app.exec();
  window.reset();
  bench.reset();
  return rc;
}
