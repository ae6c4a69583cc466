// The window end to end against the simulated bench: settings, bypass, cycles with their frames
// and messages, the vectors, control, the slow query switch, Stop/Run, closing during a cycle,
// failing instruments, the abandon bound, autosave and the debug page.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tests/app_window/WindowFixture.h"

namespace {

using wintest::CodePoints;
using wintest::WaitUntil;

class Window : public wintest::WindowTest {};

TEST_F(Window, BypassFromSettingsRunsCyclesWithFramesMessagesAndRows) {
  StartBench();
  // Section and key names in any case, blanks around the value.
  WriteSettings("; lab bench\r\n[ZENKAR Settings]\r\nbypass AUTOSCAN =  yes \r\nComPort=" +
                BenchPort() + "\r\nAllow debug=yes\r\n");
  OpenWindow();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0],
            "As result of bypass, all devices are assumed to be working, but no testing was done. "
            "Assumed: K2401 at Addr:1, K2000 with scanner card at Addr:2, Com port used: " +
                BenchPort());
  EXPECT_TRUE(DevicesConfigured);
  EXPECT_TRUE(form_->TabSheetDebug->isEnabled());
  EXPECT_EQ(form_->PageControl1->currentIndex(), 0);
  EXPECT_EQ(form_->windowTitle(), "Zenkar Pro");
  EXPECT_EQ(form_->MemoLog->Line(0), "Program log");
  EXPECT_TRUE(form_->SMUApplyLimits(K2401));  // the driver's cache starts elsewhere

  ASSERT_TRUE(RunCycles(3));
  form_->ButtonStopClick();
  const auto lines = LogLines();
  EXPECT_EQ(CountLines("Program set to run"), 1);
  EXPECT_EQ(CountLines("PID - control"), 3);
  // Each cycle lasts several ticks: the progress line grows by one dot per tick.
  EXPECT_TRUE(HasLineStartingWith("Communicating with instruments...."));
  int frames = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "  ▄▄▄▓▓▓▓▒░ Instruments ░▒▓▓▓▓▓▓▓▓▓▓▓▄▄▄  ") continue;
    ++frames;
    ASSERT_EQ(lines[i - 1], "");
    size_t j = i;
    for (; j < lines.size() && lines[j] != "  ▀▀▀▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▀▀▀  "; ++j)
      EXPECT_EQ(CodePoints(lines[j]), 42u) << lines[j];
    ASSERT_LT(j, lines.size());
    EXPECT_EQ(lines[j + 1], "");
    EXPECT_EQ(lines[j + 2], "PID - control");
  }
  EXPECT_EQ(frames, 3);
  // Only the first cycle sent the limits.
  EXPECT_EQ(CountLines("█ UPDATE COMPLIANCES . .: True           █"), 1);
  EXPECT_FALSE(form_->SMUApplyLimits(K2401));
  form_->RtDoubleEditCurrentCompliance->SetValue(0.005);
  EXPECT_TRUE(form_->SMUApplyLimits(K2401));

  // Rows: one per presented cycle, seconds from the first row, temperatures missing.
  ASSERT_EQ(form_->RtDoubleVectorTime->GetCount(), 3);
  for (TRtDoubleVector* v : {form_->RtDoubleVectorSeconds, form_->RtDoubleVectorSensorVoltage,
                             form_->RtDoubleVectorPumpVoltage, form_->RtDoubleVectorPumpCurrent,
                             form_->RtDoubleVectorTemperature, form_->RtDoubleVectorSetpoint})
    EXPECT_EQ(v->GetCount(), 3);
  EXPECT_EQ(form_->RtDoubleVectorSeconds->GetValue(0), 0.0);
  EXPECT_GT(form_->RtDoubleVectorSeconds->GetValue(2), form_->RtDoubleVectorSeconds->GetValue(1));
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(form_->RtDoubleVectorTemperature->IsOutlier(i));
    EXPECT_EQ(form_->RtDoubleVectorSetpoint->GetValue(i), 0.002);
  }
  // Full current from the second cycle on (sensor far below the set-point), shown on the label.
  EXPECT_NEAR(form_->RtDoubleVectorPumpCurrent->GetValue(2), 0.008, 1e-6);
  EXPECT_EQ(form_->LabelPumpCurrent->text().toStdString(),
            FormatFloat("###,##0.######", form_->RtDoubleVectorPumpCurrent->GetValue(2)));
  EXPECT_EQ(form_->LabelLeadResistance->text(), "0");  // no slow query yet
  EXPECT_EQ(CycleCounter, 5);

  // Real instruments keep the mandated tick.
  EXPECT_EQ(form_->Timer1->interval(), 250);
  // The run's log file holds every finished line, in order.
  form_->MemoLog->FlushFinished();
  const std::string path = form_->MemoLog->Store().FilePath();
  EXPECT_EQ(path.rfind(Base() + "/Userdata/Logs/", 0), 0u) << path;
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {}), expected;
  const auto all = LogLines();
  for (size_t i = 0; i + 1 < all.size(); ++i) expected += all[i] + "\n";
  EXPECT_EQ(text, expected);
}

TEST_F(Window, MalformedSettingsGiveDefaultsAndYesIsCaseSensitive) {
  StartBench();
  // The instruments come from the option here; the file only decides the debug page.
  WriteSettings(
      "\xFF\xFE garbage [[[\n=\n[Zenkar settings]\nAllow debug=Yes\nBypass autoscan=Yes\n");
  TStartOptions o;
  o.BypassPort = BenchPort();
  OpenWindow(o);
  EXPECT_FALSE(form_->TabSheetDebug->isEnabled());
}

TEST_F(Window, SmallCellSettlesInsideTheProportionalBand) {
  sim::BenchOptions o = wintest::QuickBench();
  o.SpeedFactor = 8;
  o.Cell.VolumeML = 1;
  o.Cell.NoiseMicroVolt = 3;
  StartBench(o);
  WriteBypassSettings();
  OpenWindow();
  ASSERT_TRUE(RunCycles(20, 90000));
  form_->ButtonStopClick();
  const double sp = form_->RtDoubleEditTargetSetpoint->Value();
  const double band = form_->RtDoubleEditProportionalBand->Value();
  const int n = form_->RtDoubleVectorSensorVoltage->GetCount();
  std::string trace;
  for (int i = 0; i < n; ++i)
    trace += FloatToStr(form_->RtDoubleVectorSensorVoltage->GetValue(i)) + " ";
  EXPECT_GT(CountLines("Inside proportional band, PI control"), 5) << trace;
  for (int i = n - 6; i < n; ++i)
    EXPECT_LE(std::fabs(form_->RtDoubleVectorSensorVoltage->GetValue(i) - sp), band) << trace;
}

TEST_F(Window, MeasureTemperatureZeroGivesOnlyMissingTemperatures) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  form_->RtIntegerEditTemperatureFrequency->SetValue(1);
  ASSERT_TRUE(RunCycles(2, 40000));
  form_->RtIntegerEditTemperatureFrequency->SetValue(0);
  ASSERT_TRUE(RunCycles(3, 40000));
  form_->ButtonStopClick();
  const TRtDoubleVector* t = form_->RtDoubleVectorTemperature;
  ASSERT_EQ(t->GetCount(), 5);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(t->IsOutlier(i));
    EXPECT_NEAR(t->GetValue(i), 700, 2);  // the simulated furnace
  }
  for (int i = 2; i < 5; ++i) {
    EXPECT_TRUE(t->IsOutlier(i));
    EXPECT_EQ(t->GetValue(i), 0.0);
  }
  EXPECT_EQ(CountLines("█ SLOW QUERY . . . . . .: True           █"), 2);
  EXPECT_EQ(form_->LabelCellTemperature->text().toStdString(),
            FormatFloat("#,##0.#", t->GetValue(1)));
  EXPECT_EQ(form_->LabelLeadResistance->text(), "2");
}

TEST_F(Window, LoopDelayCountsFromTheLastMeasurement) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  form_->RtDoubleEditSamplingSpeed->SetValue(3);
  ASSERT_TRUE(RunCycles(2, 30000));
  form_->ButtonStopClick();
  // The delay line follows the messages directly and grows by a dot per tick.
  const auto lines = LogLines();
  size_t at = 0;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind("Delay due sampling speed limit...", 0) == 0) at = i;
  ASSERT_GT(at, 0u);
  EXPECT_GT(lines[at].size(), std::string("Delay due sampling speed limit....").size());
  EXPECT_EQ(
      lines[at - 1].rfind("Apply current        : ", 0) == 0 || lines[at - 1] == "Integral zeroed",
      true)
      << lines[at - 1];
  // Not before the delay is over; when exactly it ends is the scheduler's own test.
  EXPECT_GE(form_->RtDoubleVectorSeconds->GetValue(1), 3.0);
}

TEST_F(Window, StopDuringACycleKeepsItsResultsForTheNextRun) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  form_->ButtonRunClick();
  ASSERT_TRUE(WaitUntil([] { return ThreadData.ThreadRunning; }, 5000));
  form_->ButtonStopClick();
  ASSERT_TRUE(WaitUntil([] { return !ThreadData.ThreadRunning; }, 20000));
  QCoreApplication::processEvents();
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  QCoreApplication::processEvents();
  // Handed back, not presented, nothing new started.
  EXPECT_FALSE(ThreadData.DataTreated);
  EXPECT_FALSE(ThreadData.ThreadRunning);
  EXPECT_EQ(form_->PresentedCycles(), 0);
  EXPECT_EQ(CycleCounter, 3);
  ASSERT_TRUE(RunCycles(1));
  EXPECT_EQ(form_->PresentedCycles(), 1);
  EXPECT_EQ(CycleCounter, 3);  // the stored results came first
  ASSERT_TRUE(RunCycles(1));
  EXPECT_EQ(CycleCounter, 4);
}

TEST_F(Window, ClosingDuringACycleWaitsForTheHandBack) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  std::vector<std::string> seen;
  form_->MemoLog->SetLineFinishedHook([&](const std::string& l) { seen.push_back(l); });
  form_->ButtonRunClick();
  ASSERT_TRUE(WaitUntil([] { return ThreadData.ThreadRunning; }, 5000));
  form_->close();
  EXPECT_FALSE(ThreadData.ThreadRunning);
  EXPECT_EQ(K2401, nullptr);
  EXPECT_EQ(PrologixController, nullptr);
  EXPECT_GE(CountLines("Thread running: True"), 1);
  EXPECT_EQ(CountLines("Thread running: True"),
            CountLines("Waiting for communication thread to stop."));
  EXPECT_EQ(seen.back(), "Waiting for communication thread to stop.");
  EXPECT_EQ(form_->PresentedCycles(), 0);
}

TEST_F(Window, SilentMultimeterGivesZerosAndTheLoopGoesOn) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  ASSERT_TRUE(RunCycles(1));
  bench_->SetFault(sim::Fault::DmmSilent, true);
  ASSERT_TRUE(RunCycles(2, 40000));
  bench_->SetFault(sim::Fault::DmmSilent, false);
  ASSERT_TRUE(RunCycles(1, 40000));
  form_->ButtonStopClick();
  const TRtDoubleVector* s = form_->RtDoubleVectorSensorVoltage;
  ASSERT_GE(s->GetCount(), 4);
  EXPECT_NE(s->GetValue(0), 0.0);
  EXPECT_EQ(s->GetValue(1), 0.0);
  EXPECT_EQ(s->GetValue(2), 0.0);
  EXPECT_NE(s->GetValue(s->GetCount() - 1), 0.0);
  // An absent instrument leaves the controller's poll reply empty, which is not a status byte:
  // each such cycle ends with one error line and zeros; the others run the law as usual.
  std::string all;
  for (const auto& l : LogLines()) all += l + "\n";
  EXPECT_NE(all.find("\nCycle 4 ended by an error ('' is not a valid integer value); readings set "
                     "to 0.\n"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find("\nCycle 5 ended by an error"), std::string::npos);
  EXPECT_EQ(CountLines("PID - control"), s->GetCount() - 2);
}

TEST_F(Window, ACycleEndedByAnErrorIsLoggedOnceAndHandsBackZeros) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  bench_->SetFault(sim::Fault::NonNumericPoll, true);
  ASSERT_TRUE(RunCycles(2, 30000));
  bench_->SetFault(sim::Fault::NonNumericPoll, false);
  ASSERT_TRUE(RunCycles(1, 30000));
  form_->ButtonStopClick();
  int errors = 0;
  for (const auto& l : LogLines())
    if (l.rfind("Cycle ", 0) == 0 && l.find("ended by an error") != std::string::npos) ++errors;
  EXPECT_EQ(errors, 2);
  EXPECT_EQ(form_->RtDoubleVectorPumpCurrent->GetValue(0), 0.0);
  EXPECT_EQ(form_->RtDoubleVectorSensorVoltage->GetValue(1), 0.0);
  EXPECT_NE(form_->RtDoubleVectorSensorVoltage->GetValue(2), 0.0);
}

TEST_F(Window, AfterAnAbandonedCycleTheNextStartsOnlyOnceItsWorkerHasEnded) {
  sim::BenchOptions o = wintest::QuickBench();
  o.SlowMeasurementMs = 2500;  // the replies come long after the bound below
  StartBench(o);
  WriteBypassSettings();
  TStartOptions so;
  so.CycleTimeLimitMS = 400;
  OpenWindow(so);
  bench_->SetFault(sim::Fault::SlowMeasurement, true);
  form_->ButtonRunClick();
  ASSERT_TRUE(WaitUntil([&] { return HasLineStartingWith("Cycle 3 abandoned"); }, 10000));
  bench_->SetFault(sim::Fault::SlowMeasurement, false);  // the pending replies stay late
  form_->SetCycleTimeLimitMS(120000);
  EXPECT_EQ(form_->RunningWorkers(), 1);
  // One worker at a time: the loop goes on only after the abandoned one has ended, and says so
  // once; the late hand-back of cycle 3 is dropped.
  int most = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        most = std::max(most, form_->RunningWorkers());
        return form_->PresentedCycles() >= 2;
      },
      60000));
  form_->ButtonStopClick();
  EXPECT_EQ(most, 1);
  EXPECT_EQ(CountLines(AwaitAbandonedText(3)), 1);
  const auto lines = LogLines();
  const auto wait = std::find(lines.begin(), lines.end(), AwaitAbandonedText(3));
  ASSERT_NE(wait, lines.end());
  EXPECT_EQ(std::find(lines.begin(), wait, "PID - control"), wait);  // nothing presented before
  EXPECT_EQ(form_->RtDoubleVectorTime->GetCount(), 2);
  EXPECT_EQ(CycleCounter, 5);
}

TEST_F(Window, FailedStartIsReportedAndStopsTheScheduler) {
  StartBench();
  WriteBypassSettings(true);
  OpenWindow();
  delete K2401;
  K2401 = nullptr;
  form_->CheckBox2->click();  // ticked at start while the timer is off: first click switches off
  EXPECT_FALSE(form_->Timer1->isActive());
  form_->CheckBox2->click();
  EXPECT_TRUE(form_->Timer1->isActive());
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() == 2; }, 3000));
  EXPECT_EQ(messages_[1], "Exception in CML thread!");
  EXPECT_FALSE(ThreadData.ThreadRunning);
  EXPECT_FALSE(form_->Timer1->isActive());
}

TEST_F(Window, AutosaveAtEveryHundredthCycle) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  CycleCounter = 97;
  ASSERT_TRUE(RunCycles(4, 30000));  // cycles 98 .. 101
  form_->ButtonStopClick();
  EXPECT_EQ(CountLines("Autosaving..."), 2);
  EXPECT_EQ(AutosaveStartRow, 3);  // rows of cycles 98, 99, 100
  int files = 0, lines = 0;
  for (const auto& e : std::filesystem::directory_iterator(Base() + "/Userdata/Autosave")) {
    if (e.path().extension() == ".journal") continue;  // the run's crash journal
    ++files;
    std::ifstream in(e.path(), std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), {});
    for (char c : s) lines += c == '\n';
  }
  EXPECT_EQ(files, 1);
  EXPECT_EQ(lines, 1 + 3);
  form_->ButtonManualSaveClick();
  EXPECT_EQ(CountLines("Saving all data, this may take a while."), 1);
  EXPECT_TRUE(std::filesystem::exists(Base() + "/Userdata"));
}

TEST_F(Window, SaveFailuresAreShownAndLoseNoRows) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  form_->RtDoubleVectorTime->Add(Now());  // one row, as a presented cycle leaves it
  for (TRtDoubleVector* v : {form_->RtDoubleVectorSeconds, form_->RtDoubleVectorSensorVoltage,
                             form_->RtDoubleVectorPumpVoltage, form_->RtDoubleVectorPumpCurrent,
                             form_->RtDoubleVectorTemperature, form_->RtDoubleVectorSetpoint})
    v->Add(0);
  std::filesystem::remove_all(Base() + "/Userdata");  // made for the log file
  std::ofstream(Base() + "/Userdata") << "a file where the folder belongs";
  messages_.clear();
  form_->Timer1->start();
  form_->Save(true);
  EXPECT_TRUE(form_->Timer1->isActive());  // given back its state
  form_->Timer1->stop();
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[0], "Could not create 'Userdata' folder");
  EXPECT_EQ(messages_[1], "Could not create 'Userdata\\Autosave' folder");
  EXPECT_EQ(messages_[2].rfind("Manual or automatic save failed.\r\n\r\nTime: ", 0), 0u)
      << messages_[2];
  EXPECT_NE(messages_[2].find("\r\n\r\nError class: "), std::string::npos);
  EXPECT_EQ(AutosaveStartRow, 0);
  // Once the disk is back the next autosave writes the row.
  std::filesystem::remove(Base() + "/Userdata");
  messages_.clear();
  form_->Save(true);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(AutosaveStartRow, 1);
}

TEST_F(Window, ALogFileThatCannotBeMadeIsToldOnceAndTheLogGoesOn) {
  StartBench();
  WriteBypassSettings();
  std::ofstream(Base() + "/Userdata") << "a file where the folder belongs";
  OpenWindow();
  ASSERT_TRUE(RunCycles(1));
  form_->ButtonStopClick();
  int told = 0;
  for (const auto& l : LogLines())
    told += l.rfind("The log file " + Base() + "/Userdata/Logs/", 0) == 0 &&
            l.find("cannot be written (the folder " + Base() +
                   "/Userdata/Logs cannot be made); "
                   "the log is kept in memory instead.") != std::string::npos;
  EXPECT_EQ(told, 1);
  EXPECT_EQ(form_->MemoLog->Line(0), "Program log");
  EXPECT_EQ(CountLines("PID - control"), 1);
}

TEST_F(Window, DebugPageCommands) {
  StartBench();
  WriteBypassSettings(true);
  OpenWindow();
  form_->RadioGroup1Items[2]->setChecked(true);  // channel 4
  form_->RadioGroup2Items[0]->setChecked(true);  // DC voltage
  form_->Button3Click();
  EXPECT_TRUE(HasLineStartingWith("Voltage on channel 4 = "));
  form_->RadioGroup1Items[3]->setChecked(true);  // channel 5
  form_->RadioGroup2Items[1]->setChecked(true);
  form_->Button3Click();
  EXPECT_TRUE(HasLineStartingWith("Resistance on channel 5 = "));
  const auto before = form_->MemoLog->Count();
  form_->RadioGroup2Items[2]->setChecked(true);  // K-temperature: nothing
  form_->Button3Click();
  EXPECT_EQ(form_->MemoLog->Count(), before);
  form_->ButtonTerminalsClick();
  EXPECT_EQ(form_->MemoLog->LastLine(), "Terminal Back");
  form_->Edit1->setText("*IDN?");
  form_->SentToPrologixClick();
  form_->Button4Click();
  EXPECT_EQ(form_->MemoLog->LastLine().rfind("Response :KEITHLEY INSTRUMENTS INC.,MODEL 2000", 0),
            0u)
      << form_->MemoLog->LastLine();
  form_->ButtonSerialPollClick();
  const std::string poll = form_->MemoLog->LastLine();
  ASSERT_EQ(poll.rfind("Response :", 0), 0u);
  EXPECT_NO_THROW(StrToInt(poll.substr(10)));
  form_->CheckBox1->click();
  EXPECT_TRUE(PrologixController->Debug());
}

TEST_F(Window, DebugSendGoesOutInWindows1252) {
  StartBench();
  WriteBypassSettings(true);
  OpenWindow();
  bench_->ClearReceived();
  form_->Edit1->setText(QString::fromUtf8("SYST:TEXT \"20 \u20AC \u2018ok\u2019 5 \u00B5A\""));
  form_->SentToPrologixClick();
  EXPECT_TRUE(
      bench_->WaitReceived("SYST:TEXT \"20 \x80 \x91ok\x92 5 \xB5"
                           "A\"\r",
                           5000))
      << bench_->Received();
}

TEST_F(Window, EditConversionErrorsAreShownInAMessageBox) {
  StartBench();
  WriteBypassSettings();
  OpenWindow();
  messages_.clear();
  // A negative value has no time-span text: the display cannot be rewritten.
  form_->RtDoubleEditSamplingSpeed->SetValue(-5);
  form_->RtDoubleEditSamplingSpeed->SetAsTimeSpan(true);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], RtNegativeTimeSpanText);
}

}  // namespace
