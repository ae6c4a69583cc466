// Shared pieces of the instrument-search tests: a port list that shows only the ports a test
// registers, a view that records what the search shows, and quick bench options.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "discovery/Autoscan.h"
#include "sim/SimBench.h"
#include "transport/CommPortList.h"

namespace discoverytest {

// Points the port list at an empty tree for the lifetime of the object, so that only ports
// registered by the test are present.
class IsolatedPortList {
 public:
  IsolatedPortList() {
    char name[] = "/tmp/zk-discovery-XXXXXX";
    if (mkdtemp(name)) dir_ = name;
    TCommPortList::SetSystemRoots(dir_, dir_);
  }
  ~IsolatedPortList() {
    TCommPortList::SetSystemRoots("/sys/class/tty", "/dev");
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  bool Ok() const { return !dir_.empty(); }

 private:
  std::string dir_;
};

// What a window would have been told, in order: "+line" added, "=line" replacing the last
// line, "[started]", "[finished]".
class RecordingView : public TAutoScanView {
 public:
  void LineAdded(const std::string& line) override { Events.push_back("+" + line); }
  void LastLineReplaced(const std::string& line) override { Events.push_back("=" + line); }
  void SearchStarted() override { Events.push_back("[started]"); }
  void SearchFinished() override { Events.push_back("[finished]"); }
  void ProcessEvents() override { ++ProcessEventsCalls; }

  std::vector<std::string> Events;
  int ProcessEventsCalls = 0;
};

// Fast instruments, unpaced output, no noise, the bench's port in the port list.
inline sim::BenchOptions QuickBench() {
  sim::BenchOptions o;
  o.SpeedFactor = 50;
  o.PaceOutput = false;
  o.Cell.NoiseMicroVolt = 0;
  o.RegisterInPortList = true;
  return o;
}

inline TPortsList Ports(std::initializer_list<int> numbers) {
  TPortsList p;
  for (int n : numbers) p.set(static_cast<size_t>(n));
  return p;
}

}  // namespace discoverytest
