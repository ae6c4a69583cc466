// The progress window of the instrument search, run offscreen against the simulated bench: it
// shows the lines while the search runs, refuses to close until the end, and then offers it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "discovery/AutoscanDialog.h"
#include "tests/discovery/ScanFixture.h"
#include "tests/transport/LogCapture.h"

using discoverytest::Ports;
using discoverytest::QuickBench;

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "discovery_dialog_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

struct Snapshot {
  QString Text;
  bool Visible = false;
  bool CloseButtonEnabled = false;
  bool CloseHint = false;
  bool CanClose = false;
};

QString Shown(const std::string& findings) {
  QString s = QString::fromLatin1(findings.data(), static_cast<qsizetype>(findings.size()));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

}  // namespace

TEST(AutoscanDialog, ShowsLinesWhileRunningAndOffersClosingOnlyAtTheEnd) {
  App();
  discoverytest::IsolatedPortList ports;
  ASSERT_TRUE(ports.Ok());
  transporttest::LogCapture log;
  sim::BenchOptions o = QuickBench();
  o.SmuPresent = false;  // two silent addresses: one line rewritten
  o.DmmPresent = false;
  sim::Bench bench(o);
  std::string error;
  ASSERT_TRUE(bench.Start(&error)) << error;

  auto* dialog = new TAutoScanDialog();
  auto scan = std::make_unique<TAutoScan>(std::unique_ptr<TAutoScanView>(dialog));
  EXPECT_EQ(dialog->windowTitle(),
            QStringLiteral("Searching for instruments & devices attached to computer"));
  EXPECT_FALSE(dialog->isModal());
  EXPECT_FALSE(dialog->isVisible());
  scan->FoundComPorts = Ports({bench.ComNumber()});
  scan->GPIBLowAddr = 3;
  scan->GPIBHighAddr = 4;

  // Looks at the window whenever the search lets events through, and tries to close it.
  std::vector<Snapshot> seen;
  QTimer watcher;
  watcher.setInterval(0);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    Snapshot s;
    s.Text = dialog->TextBox()->toPlainText();
    s.Visible = dialog->isVisible();
    s.CloseButtonEnabled = dialog->CloseButton()->isEnabled();
    s.CloseHint = dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint);
    s.CanClose = dialog->CanClose();
    if (seen.empty() || seen.back().Text != s.Text || seen.back().Visible != s.Visible)
      seen.push_back(s);
    if (s.Visible) {
      dialog->close();
      dialog->reject();  // what Escape does
    }
  });
  watcher.start();
  scan->ShowForm();
  watcher.stop();

  int whileRunning = 0;
  for (const Snapshot& s : seen) {
    if (!s.Text.contains(QStringLiteral("Using following preset serial ports"))) continue;
    if (s.Text.contains(QStringLiteral("Autosearch is complete."))) continue;
    ++whileRunning;
    EXPECT_TRUE(s.Visible) << "closed while running at:\n" << s.Text.toStdString();
    EXPECT_FALSE(s.CloseButtonEnabled);
    EXPECT_FALSE(s.CloseHint);
    EXPECT_FALSE(s.CanClose);
  }
  EXPECT_GE(whileRunning, 5) << "the lines did not show one by one";
  bool sawPollLine = false;
  for (const Snapshot& s : seen)
    sawPollLine =
        sawPollLine || (s.Text.endsWith(QStringLiteral("Serial poll 3 does not respond")));
  EXPECT_TRUE(sawPollLine);

  // At the end: the whole text, rewritten line included, and closing offered.
  EXPECT_EQ(dialog->TextBox()->toPlainText(), Shown(scan->Findings()));
  EXPECT_TRUE(dialog->TextBox()->toPlainText().contains(
      QStringLiteral("\n  Serial poll 4 does not respond\n")));
  EXPECT_FALSE(dialog->TextBox()->toPlainText().contains(QStringLiteral("Serial poll 3")));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->CloseButton()->isEnabled());
  EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));

  // The owner may still add to the text after the search.
  scan->memo.Add("");
  scan->memo.Add("owner's note");
  EXPECT_TRUE(dialog->TextBox()->toPlainText().endsWith(
      QStringLiteral("Autosearch is complete.\n\nowner's note")));

  dialog->CloseButton()->click();
  EXPECT_FALSE(dialog->isVisible());
  scan.reset();  // frees the window
  bench.Stop();
}

TEST(AutoscanDialog, TextBoxLooksLikeAConsole) {
  App();
  TAutoScanDialog dialog;
  QPlainTextEdit* box = dialog.TextBox();
  EXPECT_EQ(box->palette().color(QPalette::Base), QColor(Qt::black));
  EXPECT_EQ(box->palette().color(QPalette::Text), QColor(0xC0, 0xC0, 0xC0));
  EXPECT_EQ(box->font().family(), QStringLiteral("Lucida Console"));
  EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(dialog.width(), screen.width() * 3 / 4);
  EXPECT_EQ(dialog.height(), screen.height() * 3 / 4);
}
