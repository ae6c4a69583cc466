// What the window makes of the instrument search's findings: exactly one SourceMeter and one
// multimeter with its scanner card, identified without regard to case, or one of the two
// refusals with its message box and search-log lines.
#include <gtest/gtest.h>

#include <QTabWidget>

#include <clocale>

#include "discovery/Autoscan.h"
#include "sim/Keithley2000Sim.h"
#include "sim/Keithley2401Sim.h"
#include "tests/app_window/WindowFixture.h"

namespace {

const std::string kNotFound =
    "Keithley 2000 DMM and/or Keithley 2400 was not found. This program relies explicitly on "
    "these and will not work without both.";
const std::string kNoScanCard =
    "Keithley 2000 DMM was found, but no SCAN 2000 card was identified. This program relies "
    "explicitly on this card and will not work without it.";

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

class ScanDevices : public wintest::WindowTest {
 protected:
  // A window set up by bypass, whose instruments the findings then replace.
  void Open(const sim::BenchOptions& o = wintest::QuickBench()) {
    StartBench(o);
    TStartOptions so;
    so.BypassPort = BenchPort();
    OpenWindow(so);
    messages_.clear();
    scan_.memo.Add("Please wait until the search finishes.");
  }
  TGPIBInfo Entry(uint8_t address, const std::string& idn) const {
    TGPIBInfo info;
    info.ComPort = BenchPort();
    info.Address = address;
    info.IDN = idn;
    info.Terminator = static_cast<uint8_t>(TGPIBTerminator::ct1310);
    return info;
  }
  // The search log's lines must be the program log's, with one empty line after them.
  void ExpectLogIsTheFindings() {
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), scan_.memo.Count() + 1);
    for (size_t i = 0; i < scan_.memo.Count(); ++i) EXPECT_EQ(lines[i], scan_.memo[i]);
    EXPECT_EQ(lines.back(), "");
  }
  void ExpectRefused(const std::string& text) {
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], text);
    ASSERT_GE(scan_.memo.Count(), 3u);
    EXPECT_EQ(scan_.memo[scan_.memo.Count() - 2], "");
    EXPECT_EQ(scan_.memo[scan_.memo.Count() - 1], text);
    EXPECT_FALSE(DevicesConfigured);
    ExpectLogIsTheFindings();
  }

  TAutoScan scan_;
};

TEST_F(ScanDevices, LowerCaseIdentificationsOfBothModelsAreRecognized) {
  Open();
  scan_.GPIBInfo = {Entry(2, Lower(sim::Keithley2000Sim::kIdentification)),
                    Entry(1, Lower(sim::Keithley2401Sim::kIdentification))};
  form_->AdoptSearchResults(scan_);
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(DevicesConfigured);
  ASSERT_NE(K2401, nullptr);
  ASSERT_NE(K2000, nullptr);
  ASSERT_NE(PrologixController, nullptr);
  EXPECT_EQ(K2401->Addr(), 1);
  EXPECT_EQ(K2000->Addr(), 2);
  EXPECT_EQ(K2401->IDN(), Lower(sim::Keithley2401Sim::kIdentification));
  EXPECT_EQ(K2401->ReadTimeout(), 1000);
  EXPECT_EQ(K2000->ReadTimeout(), 1000);
  EXPECT_EQ(K2401->Communicator(), PrologixController);
  EXPECT_EQ(K2000->Communicator(), PrologixController);
  EXPECT_EQ(PrologixController->Port(), BenchPort());
  EXPECT_TRUE(PrologixController->Debug());
  ExpectLogIsTheFindings();
}

TEST_F(ScanDevices, LowerCaseIdentificationsAreRecognizedUnderATurkishLocale) {
  // There "i" does not upper-case to "I"; the comparison must not depend on the locale.
  struct TLocaleGuard {
    std::string saved = std::setlocale(LC_ALL, nullptr);
    ~TLocaleGuard() { std::setlocale(LC_ALL, saved.c_str()); }
  } guard;
  if (!std::setlocale(LC_ALL, "tr_TR.UTF-8"))
    GTEST_SKIP() << "locale tr_TR.UTF-8 is not installed (scripts/setup.sh generates it)";
  Open();
  scan_.GPIBInfo = {Entry(1, Lower(sim::Keithley2401Sim::kIdentification)),
                    Entry(2, Lower(sim::Keithley2000Sim::kIdentification))};
  form_->AdoptSearchResults(scan_);
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(DevicesConfigured);
  EXPECT_NE(K2401, nullptr);
  EXPECT_NE(K2000, nullptr);
}

TEST_F(ScanDevices, OneInstrumentAloneIsNotEnough) {
  Open();
  scan_.GPIBInfo = {Entry(1, sim::Keithley2401Sim::kIdentification)};
  form_->AdoptSearchResults(scan_);
  ExpectRefused(kNotFound);
  EXPECT_EQ(K2401, nullptr);
  EXPECT_EQ(K2000, nullptr);
  EXPECT_EQ(PrologixController, nullptr);
  form_->ButtonRunClick();
  EXPECT_EQ(form_->MemoLog->LastLine(),
            "Program cannot run while devices are not configured correctly.");
  EXPECT_FALSE(form_->Timer1->isActive());
}

TEST_F(ScanDevices, AThirdInstrumentOnTheBusCreatesNothing) {
  Open();
  scan_.GPIBInfo = {Entry(1, sim::Keithley2401Sim::kIdentification),
                    Entry(2, sim::Keithley2000Sim::kIdentification),
                    Entry(3, "HEWLETT-PACKARD,34401A,0,10-5-2")};
  form_->AdoptSearchResults(scan_);
  ExpectRefused(kNotFound);
  EXPECT_EQ(K2401, nullptr);
  EXPECT_EQ(K2000, nullptr);
  EXPECT_EQ(PrologixController, nullptr);
}

TEST_F(ScanDevices, TwoInstrumentsOfWhichOneIsNotAKeithleyModel) {
  Open();
  scan_.GPIBInfo = {Entry(1, sim::Keithley2401Sim::kIdentification),
                    Entry(3, "KEITHLEY INSTRUMENTS INC.,MODEL 2010,1,A01")};
  form_->AdoptSearchResults(scan_);
  ExpectRefused(kNotFound);
  EXPECT_NE(K2401, nullptr);
  EXPECT_EQ(K2000, nullptr);
}

TEST_F(ScanDevices, MultimeterWithoutTheScannerCardIsRefused) {
  sim::BenchOptions o = wintest::QuickBench();
  o.ScannerCardFitted = false;
  Open(o);
  scan_.GPIBInfo = {Entry(1, sim::Keithley2401Sim::kIdentification),
                    Entry(2, sim::Keithley2000Sim::kIdentification)};
  form_->AdoptSearchResults(scan_);
  ExpectRefused(kNoScanCard);
  EXPECT_NE(K2401, nullptr);  // the objects exist, but Run is refused
  EXPECT_NE(K2000, nullptr);
  form_->ButtonRunClick();
  EXPECT_FALSE(form_->Timer1->isActive());
}

}  // namespace
