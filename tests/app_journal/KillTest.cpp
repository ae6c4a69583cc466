// The program on its simulated bench, killed with SIGKILL at several points and started again:
// the autosave and recovered files together hold every row the killed run presented, once;
// at most the row of the cycle in flight is missing.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "tests/app_journal/RowsOnDisk.h"
#include "tests/app_window/WindowFixture.h"

namespace {

using journaltest::PresentedRows;
using journaltest::SameValue;
using journaltest::SavedRows;
using wintest::WaitUntil;

struct TRun {
  std::string name;
  QStringList extra;
  std::function<bool(const TRun&)> killWhen;  // empty: runs to its end
  int mayLose = 0;                            // rows of the cycle in flight
  QTemporaryDir dir;
  QString base;  // the run's folder; empty: dir
  QProcess process;
  std::string out, err;
  bool done = false;

  void Start(const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    process.setProcessEnvironment(env);
    process.start(ZK_PROGRAM_PATH, QStringList{"--base-dir", Base(), "--headless",
                                               "--simulate-bypass", "--sim-speed", "8"} +
                                       args);
  }
  void Read() {
    out += process.readAllStandardOutput().toStdString();
    err += process.readAllStandardError().toStdString();
  }
  int Frames() const { return int(PresentedRows(out).size()); }
  QString Base() const { return base.isEmpty() ? dir.path() : base; }
  QString Autosave() const { return Base() + "/Userdata/Autosave"; }
  QStringList Journals() const { return QDir(Autosave()).entryList({"*.journal"}, QDir::Files); }
};

// Runs every run until it meets its kill condition (then SIGKILL) or ends by itself.
void Drive(std::vector<std::unique_ptr<TRun>>& runs) {
  for (auto& r : runs) r->Start(r->extra);
  const bool all = WaitUntil(
      [&] {
        bool finished = true;
        for (auto& r : runs) {
          if (r->done) continue;
          r->Read();
          if (r->killWhen && r->killWhen(*r)) {
            ::kill(pid_t(r->process.processId()), SIGKILL);
            r->process.waitForFinished(10000);
            r->done = true;
          } else if (r->process.state() == QProcess::NotRunning) {
            r->done = true;
          }
          r->Read();
          finished = finished && r->done;
        }
        return finished;
      },
      90000);
  for (auto& r : runs) {
    if (!r->done) r->process.kill();
    r->process.waitForFinished(10000);
    r->Read();
  }
  ASSERT_TRUE(all) << "a run neither ended nor reached its kill point";
}

// The saved rows are 1 .. n in order, n the presented rows (less the cycle in flight), with the
// presented values.
void ExpectEveryPresentedRowOnce(const TRun& r) {
  SCOPED_TRACE(r.name);
  const auto presented = PresentedRows(r.out);
  const auto saved = SavedRows(r.dir.path());
  ASSERT_GE(presented.size(), 2u) << r.out;
  EXPECT_LE(saved.size(), presented.size());
  EXPECT_GE(saved.size() + size_t(r.mayLose), presented.size());
  for (size_t i = 0; i < saved.size() && i < presented.size(); ++i) {
    EXPECT_EQ(saved[i].Number, int(i) + 1);
    EXPECT_TRUE(SameValue(presented[i].SensorVoltage, saved[i].SensorVoltage))
        << "row " << i + 1 << ": " << presented[i].SensorVoltage << " / " << saved[i].SensorVoltage;
    EXPECT_TRUE(SameValue(presented[i].PumpCurrent, saved[i].PumpCurrent)) << "row " << i + 1;
  }
}

bool Paused(const TRun& r, const char* where) {
  return r.err.find(std::string("test hook: paused ") + where) != std::string::npos;
}

// Killed runs, all at once, and two orderly ends beside them.
TEST(KilledRun, TheNextStartRecoversWhatTheJournalHolds) {
  wintest::App();
  std::vector<std::unique_ptr<TRun>> runs;
  auto add = [&](const char* name, QStringList extra, std::function<bool(const TRun&)> when,
                 int mayLose) {
    auto r = std::make_unique<TRun>();
    r->name = name;
    r->extra = QStringList{"--test-hook", "autosave-every=3"} + extra;
    r->killWhen = std::move(when);
    r->mayLose = mayLose;
    runs.push_back(std::move(r));
  };
  // Autosaves at the start and the end of cycles 3, 6, 9 ...; the first cycle is number 3, so
  // the second autosave of cycle 6 writes rows 2 and 3 after the file's header and row 1.
  add(
      "between autosaves", {}, [](const TRun& r) { return r.Frames() >= 5; }, 1);
  add(
      "halfway through an autosave", {"--test-hook", "pause-in-autosave=1"},
      [](const TRun& r) { return Paused(r, "in-autosave"); }, 0);
  add(
      "autosave durable, journal not yet emptied", {"--test-hook", "pause-after-autosave=3"},
      [](const TRun& r) { return Paused(r, "after-autosave"); }, 0);
  const size_t killed = runs.size();
  // An orderly end saves every row and removes the journal.
  auto cycles = std::make_unique<TRun>();
  cycles->name = "--cycles 3";
  cycles->extra = {"--cycles", "3"};
  runs.push_back(std::move(cycles));
  auto term = std::make_unique<TRun>();
  term->name = "SIGTERM";
  term->killWhen = [sent = false](const TRun& r) mutable {
    if (!sent && r.Frames() >= 2) {
      ::kill(pid_t(r.process.processId()), SIGTERM);
      sent = true;
    }
    return false;  // it ends by itself
  };
  runs.push_back(std::move(term));
  Drive(runs);
  for (size_t k = killed; k < runs.size(); ++k) {
    const TRun& r = *runs[k];
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(r.process.exitCode(), 0) << r.err;
    ExpectEveryPresentedRowOnce(r);
    EXPECT_EQ(SavedRows(r.Base()).size(), PresentedRows(r.out).size());
    EXPECT_TRUE(r.Journals().isEmpty()) << r.Journals().join(" ").toStdString();
    EXPECT_NE(r.out.find("\nAutosaving...\n"), std::string::npos);
  }
  EXPECT_EQ(PresentedRows(runs[killed]->out).size(), 3u);
  runs.resize(killed);

  // The same folders started again, killed once the log shows the run started.
  std::vector<std::unique_ptr<TRun>> again;
  for (auto& r : runs) {
    auto a = std::make_unique<TRun>();
    a->name = r->name + ", started again";
    a->base = r->dir.path();
    a->killWhen = [](const TRun& x) {
      return x.out.find("\nProgram set to run\n") != std::string::npos;
    };
    again.push_back(std::move(a));
  }
  Drive(again);

  for (size_t k = 0; k < runs.size(); ++k) {
    const TRun& r = *runs[k];
    ExpectEveryPresentedRowOnce(r);
    const auto recovered = journaltest::RowsIn(r.dir.filePath("Userdata/Recovered"));
    size_t n = 0;
    for (const auto& [name, rows] : recovered) n += rows.size();
    SCOPED_TRACE(r.name);
    if (k == 1) {
      EXPECT_GE(n, 2u);  // the rows of the cut autosave came back
    }
    if (k == 2) {
      EXPECT_EQ(n, 0u);  // the autosave holds them all
    }
    if (n > 0) {
      ASSERT_EQ(recovered.size(), 1u);
      EXPECT_NE(again[k]->out.find("Recovered " + std::to_string(n) +
                                   " rows of a run that did not close: Userdata/Recovered/" +
                                   recovered.begin()->first + "\n"),
                std::string::npos)
          << again[k]->out;
    }
    if (n == 0) {
      EXPECT_EQ(again[k]->out.find("Recovered "), std::string::npos);
    }
    // The killed run's journal is gone; the second start may have one of its own.
    EXPECT_LE(again[k]->Journals().size(), 1);
  }
}

}  // namespace
