// zenkar-pro: the cell controller. Options (all optional):
//   --base-dir DIR      folder of the settings file, "Dll" and "Userdata" (default: the program's)
//   --simulate          start the simulated bench on a pseudo-terminal listed among the ports
//   --simulate-bypass   as --simulate, with the instruments assumed at the bench's port
//   --sim-speed F       the bench's measurements run F times faster
//   --sim-volume ML     the simulated cell's gas volume
//   --headless          offscreen window: message boxes answered and printed, Run pressed,
//                       every log line on standard output
//   --cycles N          close the window the orderly way after N presented cycles
//   --screenshot FILE   save a PNG of the window when it closes
#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "app/LogView.h"
#include "app/MessageBox.h"
#include "app/frmZenkar2.h"
#include "platform/Resources.h"
#include "sim/SimBench.h"

namespace {

int gSignalFd[2] = {-1, -1};

void OnSignal(int) {
  const char c = 1;
  if (gSignalFd[0] >= 0) (void)!write(gSignalFd[0], &c, 1);
}

struct TArgs {
  std::string BaseDir;
  bool Simulate = false;
  bool SimulateBypass = false;
  double SimSpeed = 1;
  double SimVolume = 0;
  bool Headless = false;
  int Cycles = 0;
  std::string Screenshot;
};

const char* const kUsage =
    "usage: zenkar-pro [options]\n"
    "  --base-dir DIR     folder of the settings file, Dll and Userdata (default: next to\n"
    "                     the executable)\n"
    "  --simulate         run on the built-in simulated instruments, found by the search\n"
    "  --simulate-bypass  the same, with the instruments assumed at fixed addresses\n"
    "  --sim-speed F      simulated measurements F times faster\n"
    "  --sim-volume ML    gas volume of the simulated cell\n"
    "  --headless         no window on screen: message boxes printed, Run pressed, the log\n"
    "                     on standard output\n"
    "  --cycles N         close after N presented cycles\n"
    "  --screenshot FILE  save a PNG of the window when it closes\n"
    "  --help             this text\n";

bool Parse(int argc, char** argv, TArgs& a) {
  for (int i = 1; i < argc; ++i) {
    const std::string s = argv[i];
    auto next = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (s == "--base-dir" && next(v))
      a.BaseDir = v;
    else if (s == "--simulate")
      a.Simulate = true;
    else if (s == "--simulate-bypass")
      a.Simulate = a.SimulateBypass = true;
    else if (s == "--sim-speed" && next(v))
      a.SimSpeed = std::atof(v.c_str());
    else if (s == "--sim-volume" && next(v))
      a.SimVolume = std::atof(v.c_str());
    else if (s == "--headless")
      a.Headless = true;
    else if (s == "--cycles" && next(v))
      a.Cycles = std::atoi(v.c_str());
    else if (s == "--screenshot" && next(v))
      a.Screenshot = v;
    else if (s == "--help") {
      std::cout << kUsage;
      std::exit(0);
    } else {
      std::cerr << "zenkar-pro: unknown option " << s << "\n" << kUsage;
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  TArgs args;
  if (!Parse(argc, argv, args)) return 2;
  if (args.Headless) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Zenkar Pro"));
  const std::string baseDir =
      args.BaseDir.empty() ? QCoreApplication::applicationDirPath().toStdString() : args.BaseDir;
  PrepareDllFolder(baseDir);

  std::unique_ptr<sim::Bench> bench;
  TStartOptions options;
  options.BaseDir = baseDir;
  options.Headless = args.Headless;
  if (args.Simulate) {
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

  if (socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalFd) == 0) {
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
  }

  std::unique_ptr<TFormZenkar2> window;
  std::function<void(const std::string&)> print;
  if (args.Headless)
    print = [](const std::string& line) { std::cout << line << '\n' << std::flush; };
  options.LineHook = print;
  window = std::make_unique<TFormZenkar2>(options);

  QSocketNotifier notifier(gSignalFd[1], QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, window.get(), [&] {
    char c;
    (void)!read(gSignalFd[1], &c, 1);
    window->close();
  });
  if (!args.Screenshot.empty())
    window->OnClosing = [&] { window->grab().save(QString::fromStdString(args.Screenshot)); };
  if (args.Cycles > 0)
    QObject::connect(window.get(), &TFormZenkar2::CyclePresented, window.get(), [&](int n) {
      if (n == args.Cycles) QTimer::singleShot(0, window.get(), [&] { window->close(); });
    });

  if (args.Headless) {
    window->resize(1400, 900);
    window->show();
    QTimer::singleShot(0, window.get(), [&] { window->ButtonRunClick(); });
  } else {
    window->showMaximized();
  }
  const int rc = app.exec();
  window.reset();
  bench.reset();
  return rc;
}
