// Every fault of the simulated bench switched on and off in the middle of one run, and a full
// disk during an autosave: the loop goes on, every presented cycle is one row of the data files.
#include <gtest/gtest.h>

#include <QDir>

#include <cerrno>

#include "app/CellState.h"
#include "app/DataFiles.h"
#include "app/Journal.h"
#include "tests/app_journal/RowsOnDisk.h"
#include "tests/app_window/WindowFixture.h"

namespace {

using sim::Fault;

class FaultMatrix : public wintest::WindowTest {
 protected:
  void TearDown() override {
    wintest::WindowTest::TearDown();
    SetDataFileHooks({});
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& l : LogLines()) n += l.rfind(prefix, 0) == 0;
    return n;
  }
};

TEST_F(FaultMatrix, EveryFaultOnAndOffDuringARunKeepsEveryRowOnce) {
  sim::BenchOptions o = wintest::QuickBench();
  o.SpeedFactor = 8;
  o.SlowMeasurementMs = 1500;
  StartBench(o);
  WriteBypassSettings();
  OpenWindow();
  form_->SetAutosavePeriod(2);
  // A silent instrument costs its read time-out: shorter than the bypass's 5 s.
  K2000->SetReadTimeout(500);
  K2401->SetReadTimeout(500);
  bool diskFull = false;
  SetDataFileHooks({[&](const std::string&) { return diskFull ? ENOSPC : 0; }, {}, {}});
  ASSERT_TRUE(RunCycles(1));

  // Each fault for one cycle, the next one on as the last goes off; the disk is full during
  // the last two, which hold an autosave.
  const std::vector<Fault> faults = {Fault::DmmSilent,        Fault::GarbageReply,
                                     Fault::SmuSilent,        Fault::NonNumericReading,
                                     Fault::ControllerSilent, Fault::NulBytesInReply,
                                     Fault::NonNumericPoll,   Fault::LongReply,
                                     Fault::VanishDevice,     Fault::SlowMeasurement};
  const size_t boxes = messages_.size();
  for (size_t k = 0; k < faults.size(); ++k) {
    SCOPED_TRACE(sim::FaultName(faults[k]));
    if (k > 0) bench_->SetFault(faults[k - 1], false);
    bench_->SetFault(faults[k], true);
    diskFull = k + 2 >= faults.size();
    const int64_t before = form_->MemoLog->Count();
    ASSERT_TRUE(RunCycles(1));
    // What the instruments did is told: one line when it changes.
    bool told = false;
    for (int64_t i = before; i < form_->MemoLog->Count(); ++i) {
      const std::string l = form_->MemoLog->Line(i);
      told = told || l.rfind("SourceMeter: ", 0) == 0 || l.rfind("Multimeter: ", 0) == 0;
    }
    EXPECT_TRUE(told);
  }
  bench_->SetFault(faults.back(), false);
  diskFull = false;
  ASSERT_TRUE(RunCycles(1));
  const int presented = form_->PresentedCycles();
  form_->close();

  const auto saved = journaltest::SavedRows(dir_.path());
  ASSERT_EQ(int(saved.size()), presented);
  for (int i = 0; i < presented; ++i) EXPECT_EQ(saved[size_t(i)].Number, i + 1);
  EXPECT_TRUE(QDir(QString::fromStdString(AutosaveFolder(Base())))
                  .entryList({"*.journal"}, QDir::Files)
                  .isEmpty());
  EXPECT_FALSE(QDir(QString::fromStdString(RecoveredFolder(Base()))).exists());

  // The full disk: the failed autosave's message box, the journal's two lines.
  ASSERT_GT(messages_.size(), boxes);
  for (size_t i = boxes; i < messages_.size(); ++i)
    EXPECT_EQ(messages_[i].rfind("Manual or automatic save failed.", 0), 0u) << messages_[i];
  EXPECT_EQ(Count("Journal not written: Disk full ("), 1);
  EXPECT_EQ(Count("Journal written again, no row missing: "), 1);
  // Both instruments answer again at the end.
  std::string smu, dmm;
  for (const auto& l : LogLines()) {
    if (l.rfind("SourceMeter: ", 0) == 0) smu = l;
    if (l.rfind("Multimeter: ", 0) == 0) dmm = l;
  }
  EXPECT_NE(smu.find(": readings again from cycle "), std::string::npos) << smu;
  EXPECT_NE(dmm.find(": readings again from cycle "), std::string::npos) << dmm;
}

}  // namespace
