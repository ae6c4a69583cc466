#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

QString Name(const QStringList& arguments) {
  return arguments.isEmpty() ? QStringLiteral("zenkar-pro")
                             : QFileInfo(arguments.first()).fileName();
}

}  // namespace

TCommandLineResult ParseCommandLine(const QStringList& arguments, const QString& version) {
  TCommandLineResult r;
  const QString name = Name(arguments);
  QCommandLineParser p;
  p.setApplicationDescription(
      QStringLiteral("Zenkar Pro, controller of an oxygen coulometric "
                     "titration cell."));
  const QCommandLineOption help = p.addHelpOption();
  const QCommandLineOption ver = p.addVersionOption();
  const QCommandLineOption baseDir(
      QStringLiteral("base-dir"),
      QStringLiteral("Folder of the settings file, Dll and Userdata (default: the program's "
                     "folder, or the user's folders when the program is installed)."),
      QStringLiteral("DIR"));
  const QCommandLineOption simulate(
      QStringLiteral("simulate"),
      QStringLiteral("Run on the built-in simulated instruments, found by the search."));
  const QCommandLineOption simulateBypass(
      QStringLiteral("simulate-bypass"),
      QStringLiteral("The same, with the instruments assumed at fixed addresses."));
  const QCommandLineOption simSpeed(QStringLiteral("sim-speed"),
                                    QStringLiteral("Simulated measurements F times faster."),
                                    QStringLiteral("F"));
  const QCommandLineOption simTimeScale(
      QStringLiteral("sim-time-scale"),
      QStringLiteral("Simulated runs only: the pauses and time-outs of the serial transport and "
                     "the 250 ms cycle timer F times shorter (a week of cycles in about an hour "
                     "with F = 170)."),
      QStringLiteral("F"));
  const QCommandLineOption simVolume(QStringLiteral("sim-volume"),
                                     QStringLiteral("Gas volume of the simulated cell in mL."),
                                     QStringLiteral("ML"));
  const QCommandLineOption headless(
      QStringLiteral("headless"),
      QStringLiteral("No window on screen: message boxes printed, Run pressed, the log on "
                     "standard output."));
  const QCommandLineOption cycles(QStringLiteral("cycles"),
                                  QStringLiteral("Close after N presented cycles."),
                                  QStringLiteral("N"));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Save a PNG of the window when it closes."),
                                      QStringLiteral("FILE"));
  p.addOptions({baseDir, simulate, simulateBypass, simSpeed, simTimeScale, simVolume, headless,
                cycles, screenshot});

  auto fail = [&](const QString& message) {
    r.Outcome = TCommandLineOutcome::Error;
    r.Text = (name + QStringLiteral(": ") + message + QStringLiteral("\nTry '") + name +
              QStringLiteral(" --help' for the options.\n"))
                 .toStdString();
    return r;
  };
  // The picture script's options, left out of the help.
  QCommandLineOption page(QStringLiteral("page"), QStringLiteral("Show the page CAPTION."),
                          QStringLiteral("CAPTION"));
  QCommandLineOption set(QStringLiteral("set"),
                         QStringLiteral("Tick a box, or put a number into an edit, by its name."),
                         QStringLiteral("NAME[=VALUE]"));
  QCommandLineOption part(QStringLiteral("screenshot-part"),
                          QStringLiteral("Save a PNG of a part of the window when it closes."),
                          QStringLiteral("NAME=FILE"));
  QCommandLineOption testHook(QStringLiteral("test-hook"), QStringLiteral("A test hook."),
                              QStringLiteral("NAME=N"));
  for (QCommandLineOption* o : {&page, &set, &part, &testHook})
    o->setFlags(QCommandLineOption::HiddenFromHelp);
  p.addOptions({page, set, part, testHook});
  const bool parsed = p.parse(arguments);
  // Help and version are given whatever else the line holds.
  if (p.isSet(help)) {
    r.Outcome = TCommandLineOutcome::Help;
    r.Text = p.helpText().toStdString();
    return r;
  }
  if (p.isSet(ver)) {
    r.Outcome = TCommandLineOutcome::Version;
    r.Text = (name + QStringLiteral(" ") + version + QStringLiteral("\n")).toStdString();
    return r;
  }
  if (!parsed) return fail(p.errorText());
  if (!p.positionalArguments().isEmpty())
    return fail(QStringLiteral("unexpected argument '%1'.").arg(p.positionalArguments().first()));

  TCommandLine& o = r.Options;
  o.BaseDir = p.value(baseDir).toStdString();
  o.Simulate = p.isSet(simulate) || p.isSet(simulateBypass);
  o.SimulateBypass = p.isSet(simulateBypass);
  o.Headless = p.isSet(headless);
  o.Screenshot = p.value(screenshot).toStdString();
  o.Page = p.value(page).toStdString();
  for (const QString& v : p.values(set)) o.Settings.push_back(v.toStdString());
  for (const QString& v : p.values(testHook)) o.TestHooks.push_back(v.toStdString());
  for (const QString& v : p.values(part)) {
    const qsizetype eq = v.indexOf(QLatin1Char('='));
    if (eq < 1 || eq == v.size() - 1)
      return fail(QStringLiteral("--screenshot-part needs NAME=FILE, not '%1'.").arg(v));
    o.PartShots.push_back({v.left(eq).toStdString(), v.mid(eq + 1).toStdString()});
  }
  auto number = [&](const QCommandLineOption& opt, double& out) {
    if (!p.isSet(opt)) return true;
    bool ok = false;
    const double v = p.value(opt).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v <= 0) return false;
    out = v;
    return true;
  };
  if (!number(simSpeed, o.SimSpeed))
    return fail(
        QStringLiteral("--sim-speed needs a positive number, not '%1'.").arg(p.value(simSpeed)));
  if (!number(simTimeScale, o.SimTimeScale))
    return fail(QStringLiteral("--sim-time-scale needs a positive number, not '%1'.")
                    .arg(p.value(simTimeScale)));
  // The instruments' mandated timing is kept whenever real instruments may be on the line.
  if (p.isSet(simTimeScale) && !o.Simulate)
    return fail(
        QStringLiteral("--sim-time-scale is for simulated runs only (with --simulate or "
                       "--simulate-bypass)."));
  if (!number(simVolume, o.SimVolume))
    return fail(
        QStringLiteral("--sim-volume needs a positive number, not '%1'.").arg(p.value(simVolume)));
  if (p.isSet(cycles)) {
    bool ok = false;
    o.Cycles = p.value(cycles).toInt(&ok);
    if (!ok || o.Cycles < 1)
      return fail(QStringLiteral("--cycles needs a whole number of 1 or more, not '%1'.")
                      .arg(p.value(cycles)));
  }
  return r;
}

namespace {

bool RawOption(int argc, char** argv, std::initializer_list<const char*> names) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) return false;
    for (const char* n : names)
      if (std::strcmp(argv[i], n) == 0) return true;
  }
  return false;
}

}  // namespace

bool HeadlessRequested(int argc, char** argv) {
  return RawOption(argc, argv, {"--headless"});
}

bool InformationRequested(int argc, char** argv) {
  return RawOption(argc, argv, {"--help", "-h", "-?", "--help-all", "--version", "-v"});
}

bool WindowSystemNamed(int argc, char** argv, const char* qpaPlatform, const char* display,
                       const char* waylandDisplay) {
  for (const char* v : {qpaPlatform, display, waylandDisplay})
    if (v && *v) return true;
  return RawOption(argc, argv, {"-platform", "--platform", "-display", "--display"});
}

std::string NoDisplayMessage(const std::string& program) {
  return program +
         ": no display to open the window on (DISPLAY is not set).\n"
         "Run it with --headless to run without a window, or name a platform for the toolkit, "
         "e.g. -platform offscreen.\n";
}
