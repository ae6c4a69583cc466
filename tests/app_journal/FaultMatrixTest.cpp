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
  form_->SetAutosavePeriod(3);
  // A silent instrument costs its read time-out: shorter than the bypass's 5 s.
  K2000->SetReadTimeout(700);
  K2401->SetReadTimeout(700);
  bool diskFull = false;
  SetDataFileHooks({[&](const std::string&) { return diskFull ? ENOSPC : 0; }, {}, {}});
  ASSERT_TRUE(RunCycles(2));

  // Each fault for one cycle; the next one comes on as the last goes off.
  Fault last = Fault::SmuSilent;
  bool any = false;
  for (Fault f : {Fault::DmmSilent, Fault::SmuSilent, Fault::ControllerSilent, Fault::GarbageReply,
                  Fault::NonNumericReading, Fault::NonNumericPoll, Fault::NulBytesInReply,
                  Fault::LongReply, Fault::SlowMeasurement, Fault::VanishDevice}) {
    SCOPED_TRACE(sim::FaultName(f));
    if (any) bench_->SetFault(last, false);
    bench_->SetFault(f, true);
    ASSERT_TRUE(RunCycles(1));
    last = f;
    any = true;
  }
  bench_->SetFault(last, false);
  ASSERT_TRUE(RunCycles(1));

  // A full disk until an autosave has failed on it.
  diskFull = true;
  const size_t boxes = messages_.size();
  ASSERT_TRUE(wintest::WaitUntil([&] { return messages_.size() > boxes; }, 30000));
  ASSERT_TRUE(RunCycles(1));
  diskFull = false;
  ASSERT_TRUE(RunCycles(2));
  const int presented = form_->PresentedCycles();
  form_->close();

  const auto saved = journaltest::SavedRows(dir_.path());
  ASSERT_EQ(int(saved.size()), presented);
  for (int i = 0; i < presented; ++i) EXPECT_EQ(saved[size_t(i)].Number, i + 1);
  EXPECT_TRUE(QDir(QString::fromStdString(AutosaveFolder(Base())))
                  .entryList({"*.journal"}, QDir::Files)
                  .isEmpty());
  EXPECT_FALSE(QDir(QString::fromStdString(RecoveredFolder(Base()))).exists());

  for (size_t i = boxes; i < messages_.size(); ++i)
    EXPECT_EQ(messages_[i].rfind("Manual or automatic save failed.", 0), 0u) << messages_[i];
  EXPECT_EQ(Count("Journal not written: Disk full ("), 1);
  EXPECT_EQ(Count("Journal written again, no row missing: "), 1);
}

}  // namespace
