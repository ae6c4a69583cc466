// The main window against the simulated bench, offscreen, in a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/LogView.h"
#include "app/MessageBox.h"
#include "app/frmZenkar2.h"
#include "sim/SimBench.h"
#include "tests/support/WaitUntil.h"

namespace wintest {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "test_window";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

using testsupport::WaitUntil;

// Bench options for the window tests: measurements four times faster, no sensor noise.
inline sim::BenchOptions QuickBench() {
  sim::BenchOptions o;
  o.SpeedFactor = 4;
  o.Cell.NoiseMicroVolt = 0;
  o.RegisterInPortList = true;
  return o;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(dir_.isValid());
    ResetUnitState();
    SetMessageBoxHandler([this](const std::string& t) { messages_.push_back(t); });
  }
  void TearDown() override {
    if (form_) {
      form_->close();
      form_.reset();
    }
    SetMessageBoxHandler({});
    if (bench_) bench_->Stop();
  }

  void StartBench(const sim::BenchOptions& o = QuickBench()) {
    bench_ = std::make_unique<sim::Bench>(o);
    std::string error;
    ASSERT_TRUE(bench_->Start(&error)) << error;
    ASSERT_GT(bench_->ComNumber(), 0);
  }
  std::string BenchPort() const { return "COM" + std::to_string(bench_->ComNumber()); }
  std::string Base() const { return dir_.path().toStdString(); }

  void WriteSettings(const std::string& text) {
    std::ofstream(Base() + "/zenkar-pro.ini", std::ios::binary) << text;
  }
  void WriteBypassSettings(bool allowDebug = false) {
    WriteSettings("[Zenkar settings]\r\nBypass autoscan=yes\r\nComPort=" + BenchPort() +
                  "\r\nAllow debug=" + (allowDebug ? "yes" : "no") + "\r\n");
  }

  void OpenWindow(TStartOptions o = {}) {
    o.BaseDir = Base();
    if (o.ProgramName.empty()) o.ProgramName = "zenkar-pro";
    form_ = std::make_unique<TFormZenkar2>(o);
    form_->resize(1400, 900);
    form_->show();
  }
  // Presses Run and waits until n more cycles are presented.
  bool RunCycles(int n, int timeoutMs = 30000) {
    const int target = form_->PresentedCycles() + n;
    if (!form_->Timer1->isActive()) form_->ButtonRunClick();
    return WaitUntil([&] { return form_->PresentedCycles() >= target; }, timeoutMs);
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> v;
    for (int64_t i = 0; i < form_->MemoLog->Count(); ++i) v.push_back(form_->MemoLog->Line(i));
    return v;
  }
  int CountLines(const std::string& text) const {
    int n = 0;
    for (const auto& l : LogLines()) n += l == text;
    return n;
  }
  bool HasLineStartingWith(const std::string& text) const {
    for (const auto& l : LogLines())
      if (l.rfind(text, 0) == 0) return true;
    return false;
  }

  QTemporaryDir dir_;
  std::unique_ptr<sim::Bench> bench_;
  std::unique_ptr<TFormZenkar2> form_;
  std::vector<std::string> messages_;
};

// Characters (code points) of UTF-8 text.
inline size_t CodePoints(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

}  // namespace wintest
