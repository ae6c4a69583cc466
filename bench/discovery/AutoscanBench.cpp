// Wall time of the start-up instrument search (GPIB addresses 0 to 4, no furnace search)
// against the simulated bench, next to the sum of the pauses its exchanges are made of.
//
// Usage: bench_autoscan [rounds]   (default 3)
//
// The port list is pointed at an empty tree, so the bench's port is the only serial port.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "discovery/Autoscan.h"
#include "sim/SimBench.h"
#include "transport/CommPortList.h"
#include "transport/SerialPort.h"

namespace {

using Clock = std::chrono::steady_clock;

// Pause of every probe (the serial port's default read-loop pause).
const double kPause = TSerialPort().WindowsReadLoopTimeoutMS();

// An exchange whose reply is there at the first poll: the pause before it and the one after.
double Answered() {
  return 2 * kPause;
}
// An exchange without a reply: one pause, then polls every pause while the time-out runs.
double Silent(double timeoutMs) {
  int polls = 0;
  while (polls * kPause < timeoutMs) ++polls;
  return kPause + polls * kPause;
}

struct Phases {
  double controller = 0, polls = 0, identification = 0, total = 0;
};

// The pause budget of the start-up search: one controller port, instruments at 1 and 2.
Phases Budget() {
  Phases b;
  b.controller = Answered();  // "++ver"
  for (int a = 0; a <= 4; ++a) b.polls += (a == 1 || a == 2) ? Answered() : Silent(1000);
  // Per instrument: four set-up commands nobody answers (100 ms time-out), then the first
  // terminator works: "++read eoi" and "++spoll" answered; the three messages before them
  // are sent without waiting.
  b.identification = 2 * (4 * Silent(100) + 2 * Answered());
  b.total = b.controller + b.polls + b.identification;
  return b;
}

// Times the progress lines that start each phase.
class PhaseClock : public TAutoScanView {
 public:
  void LineAdded(const std::string& line) override {
    const double t = Ms();
    if (line.rfind("    Using following serial ports for GPIB network", 0) == 0) pollsFrom = t;
    if (line.rfind("  Identifying GPIB devices", 0) == 0) identifyFrom = t;
    if (line == "Autosearch is complete.") end = t;
  }
  void SearchStarted() override { start = Ms(); }
  double Ms() const {
    return std::chrono::duration<double, std::milli>(Clock::now() - origin).count();
  }
  Clock::time_point origin = Clock::now();
  double start = 0, pollsFrom = 0, identifyFrom = 0, end = 0;
};

void Print(const char* what, double expected, double measured) {
  std::printf("  %-16s expected %8.0f ms   measured %8.0f ms   %+6.2f %%\n", what, expected,
              measured, 100.0 * (measured - expected) / expected);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
  char dir[] = "/tmp/zk-bench-autoscan-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  TCommPortList::SetSystemRoots(dir, dir);

  const Phases budget = Budget();
  std::printf("Start-up instrument search, GPIB addresses 0 to 4, pause %.0f ms\n", kPause);
  std::printf("Pause budget: %.0f ms (controller %.0f, polls %.0f, identification %.0f)\n",
              budget.total, budget.controller, budget.polls, budget.identification);
  // The last poll of a silent 1000 ms probe is due 3 pauses (999 ms) into the time-out; when
  // the pauses overrun by a millisecond in all, it is skipped.
  const double shortSilent = 3 * (Silent(1000) - Silent(999));
  std::printf("With every silent poll a pause shorter: %.0f ms\n\n", budget.total - shortSilent);

  std::vector<double> totals;
  int status = 0;
  for (int r = 0; r < rounds; ++r) {
    sim::BenchOptions o;
    o.RegisterInPortList = true;  // real line pacing and measurement times
    sim::Bench bench(o);
    std::string error;
    if (!bench.Start(&error)) {
      std::fprintf(stderr, "bench did not start: %s\n", error.c_str());
      status = 1;
      break;
    }
    auto clock = std::make_unique<PhaseClock>();
    PhaseClock* c = clock.get();
    TAutoScan scan(std::move(clock));
    scan.GPIBLowAddr = 0;
    scan.GPIBHighAddr = 4;
    scan.SetSearchForGPIB(true);
    scan.SetSearchForFurnaces(false);
    scan.SetModbusScanAddressLimit(10);
    const double t0 = c->Ms();
    scan.ShowForm();
    const double total = c->Ms() - t0;
    bench.Stop();

    bool asExpected = scan.GPIBInfo.size() == 2;
    for (const TGPIBInfo& info : scan.GPIBInfo) asExpected = asExpected && info.Terminator == 0;
    std::string found;
    for (const TGPIBInfo& info : scan.GPIBInfo)
      found +=
          " " + std::to_string(info.Address) + ":" + TAutoScan::TerminatorName(info.Terminator);
    std::printf("Round %d: found%s%s\n", r + 1, found.c_str(),
                asExpected ? "" : "  (NOT the expected findings; left out of the mean)");
    Print("controller", budget.controller, c->pollsFrom - c->start);
    Print("polls", budget.polls, c->identifyFrom - c->pollsFrom);
    Print("identification", budget.identification, c->end - c->identifyFrom);
    Print("whole search", budget.total, total);
    if (asExpected) totals.push_back(total);
  }

  TCommPortList::SetSystemRoots("/sys/class/tty", "/dev");
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);

  if (!totals.empty()) {
    double sum = 0, lo = totals[0], hi = totals[0];
    for (double t : totals) {
      sum += t;
      lo = std::min(lo, t);
      hi = std::max(hi, t);
    }
    const double mean = sum / static_cast<double>(totals.size());
    const double dev = 100.0 * (mean - budget.total) / budget.total;
    std::printf("\nExpected %.0f ms, measured %.0f ms (mean of %zu, %.0f..%.0f): %+.2f %%, %s\n",
                budget.total, mean, totals.size(), lo, hi, dev,
                (dev >= -10 && dev <= 10) ? "within 10 %" : "NOT within 10 %");
  }
  return status;
}
