// The program's options as the toolkit leaves them: values, their errors, help and version.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/CommandLine.h"

namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "zenkar-pro";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  return *app;
}

TCommandLineResult Parse(QStringList args) {
  App();
  args.prepend(QStringLiteral("/opt/lab/zenkar-pro"));
  return ParseCommandLine(args, QStringLiteral("0.1"));
}

TEST(CommandLine, TakesEveryOptionWithItsValue) {
  const TCommandLineResult r =
      Parse({"--base-dir", "/data/cell", "--simulate-bypass", "--sim-speed", "2.5", "--sim-volume",
             "3", "--headless", "--cycles", "7", "--screenshot", "/tmp/s.png"});
  ASSERT_EQ(r.Outcome, TCommandLineOutcome::Run) << r.Text;
  const TCommandLine& o = r.Options;
  EXPECT_EQ(o.BaseDir, "/data/cell");
  EXPECT_TRUE(o.Simulate);
  EXPECT_TRUE(o.SimulateBypass);
  EXPECT_EQ(o.SimSpeed, 2.5);
  EXPECT_EQ(o.SimVolume, 3.0);
  EXPECT_TRUE(o.Headless);
  EXPECT_EQ(o.Cycles, 7);
  EXPECT_EQ(o.Screenshot, "/tmp/s.png");
  const TCommandLineResult none = Parse({});
  ASSERT_EQ(none.Outcome, TCommandLineOutcome::Run);
  EXPECT_FALSE(none.Options.Simulate);
  EXPECT_EQ(none.Options.SimSpeed, 1.0);
  EXPECT_EQ(none.Options.SimTimeScale, 1.0);
  EXPECT_EQ(Parse({"--simulate", "--sim-time-scale", "170"}).Options.SimTimeScale, 170.0);
  EXPECT_EQ(none.Options.Cycles, 0);
}

TEST(CommandLine, ErrorsNameTheProblemAndPointToTheHelp) {
  struct Case {
    QStringList args;
    std::string message;
  };
  for (const Case& c : {
           Case{{"--bogus"}, "zenkar-pro: Unknown option 'bogus'."},
           Case{{"-platform", "offscreen"}, "zenkar-pro: Unknown options: p, l, a, t, f, o, r, m."},
           Case{{"--base-dir"}, "zenkar-pro: Missing value after '--base-dir'."},
           Case{{"stray"}, "zenkar-pro: unexpected argument 'stray'."},
           Case{{"--sim-speed", "0"}, "zenkar-pro: --sim-speed needs a positive number, not '0'."},
           Case{{"--sim-volume", "x"},
                "zenkar-pro: --sim-volume needs a positive number, not 'x'."},
           Case{{"--sim-time-scale", "170"},
                "zenkar-pro: --sim-time-scale is for simulated runs only (with --simulate or "
                "--simulate-bypass)."},
           Case{{"--simulate", "--sim-time-scale", "-2"},
                "zenkar-pro: --sim-time-scale needs a positive number, not '-2'."},
           Case{{"--cycles", "0"},
                "zenkar-pro: --cycles needs a whole number of 1 or more, not '0'."},
       }) {
    const TCommandLineResult r = Parse(c.args);
    EXPECT_EQ(r.Outcome, TCommandLineOutcome::Error) << c.message;
    EXPECT_EQ(r.Text, c.message + "\nTry 'zenkar-pro --help' for the options.\n");
  }
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse) {
  TCommandLineResult r = Parse({"--bogus", "--help"});
  EXPECT_EQ(r.Outcome, TCommandLineOutcome::Help);
  EXPECT_NE(r.Text.find("--cycles <N>"), std::string::npos) << r.Text;
  r = Parse({"-v"});
  EXPECT_EQ(r.Outcome, TCommandLineOutcome::Version);
  EXPECT_EQ(r.Text, "zenkar-pro 0.1\n");
}

TEST(CommandLine, RawLineIsSearchedOnlyUpToADoubleDash) {
  char p[] = "zenkar-pro", h[] = "--headless", d[] = "--", v[] = "--version", b[] = "-h";
  char* withHeadless[] = {p, h};
  char* afterDash[] = {p, d, h, v};
  char* shortHelp[] = {p, b};
  EXPECT_TRUE(HeadlessRequested(2, withHeadless));
  EXPECT_FALSE(HeadlessRequested(4, afterDash));
  EXPECT_FALSE(InformationRequested(4, afterDash));
  EXPECT_TRUE(InformationRequested(2, shortHelp));
  EXPECT_FALSE(InformationRequested(2, withHeadless));
}

// Without a window system the toolkit aborts, so the program checks for one first.
TEST(CommandLine, AWindowSystemIsNamedByTheEnvironmentOrTheToolkitsOptions) {
  char p[] = "zenkar-pro", sim[] = "--simulate", plat[] = "-platform", off[] = "offscreen",
       plat2[] = "--platform", disp[] = "-display", x[] = ":1", d[] = "--";
  char* plain[] = {p, sim};
  char* platform[] = {p, plat, off};
  char* platformLong[] = {p, plat2, off};
  char* display[] = {p, disp, x};
  char* afterDash[] = {p, d, plat, off};
  EXPECT_FALSE(WindowSystemNamed(2, plain, nullptr, nullptr, nullptr));
  EXPECT_FALSE(WindowSystemNamed(2, plain, "", "", ""));
  EXPECT_TRUE(WindowSystemNamed(2, plain, "offscreen", nullptr, nullptr));
  EXPECT_TRUE(WindowSystemNamed(2, plain, nullptr, ":0", nullptr));
  EXPECT_TRUE(WindowSystemNamed(2, plain, nullptr, nullptr, "wayland-0"));
  EXPECT_TRUE(WindowSystemNamed(3, platform, nullptr, nullptr, nullptr));
  EXPECT_TRUE(WindowSystemNamed(3, platformLong, nullptr, nullptr, nullptr));
  EXPECT_TRUE(WindowSystemNamed(3, display, nullptr, nullptr, nullptr));
  EXPECT_FALSE(WindowSystemNamed(4, afterDash, nullptr, nullptr, nullptr));
  EXPECT_EQ(NoDisplayMessage("cell2"),
            "cell2: no display to open the window on (DISPLAY is not set).\n"
            "Run it with --headless to run without a window, or name a platform for the toolkit, "
            "e.g. -platform offscreen.\n");
}

}  // namespace

namespace {

// The options of the picture script: left out of the help, --set and --screenshot-part
// repeatable, each part with the file it goes to.
TEST(CommandLine, PreparedViewsForPictures) {
  const TCommandLineResult r =
      Parse({"--page", "Graph setting", "--set", "CheckBoxRateOfChange", "--set",
             "RtDoubleEditPumpAxisSlit=5", "--screenshot-part", "PageControl1=/tmp/p.png",
             "--screenshot-part", "MemoLog=/tmp/a=b.png"});
  ASSERT_EQ(r.Outcome, TCommandLineOutcome::Run) << r.Text;
  EXPECT_EQ(r.Options.Page, "Graph setting");
  EXPECT_EQ(r.Options.Settings,
            (std::vector<std::string>{"CheckBoxRateOfChange", "RtDoubleEditPumpAxisSlit=5"}));
  ASSERT_EQ(r.Options.PartShots.size(), 2u);
  EXPECT_EQ(r.Options.PartShots[0].Part, "PageControl1");
  EXPECT_EQ(r.Options.PartShots[0].File, "/tmp/p.png");
  EXPECT_EQ(r.Options.PartShots[1].Part, "MemoLog");
  EXPECT_EQ(r.Options.PartShots[1].File, "/tmp/a=b.png");
  for (const char* bad : {"MemoLog", "=x.png", "MemoLog="}) {
    const TCommandLineResult e = Parse({"--screenshot-part", bad});
    EXPECT_EQ(e.Outcome, TCommandLineOutcome::Error) << bad;
    EXPECT_EQ(e.Text.substr(0, e.Text.find('\n')),
              std::string("zenkar-pro: --screenshot-part needs NAME=FILE, not '") + bad + "'.");
  }
  const std::string help = Parse({"--help"}).Text;
  for (const char* hidden : {"--page", "--set", "--screenshot-part"})
    EXPECT_EQ(help.find(hidden), std::string::npos) << hidden;
  EXPECT_NE(help.find("--screenshot <FILE>"), std::string::npos);
}

}  // namespace
