// zenkar-sim: runs the simulated instrument bench as a process of its own. Prints the device
// path on the first line of standard output and runs until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimBench.h"

namespace {

struct Option {
  const char* Name;
  const char* Argument;  // nullptr: a switch
  const char* Help;
  std::function<bool(const char*)> Apply;
};

bool ToDouble(const char* s, double& v) {
  char* end = nullptr;
  v = std::strtod(s, &end);
  return end != s && *end == 0;
}

bool ToInt(const char* s, int& v) {
  char* end = nullptr;
  long n = std::strtol(s, &end, 10);
  v = static_cast<int>(n);
  return end != s && *end == 0;
}

std::function<bool(const char*)> Number(double& field) {
  return [&field](const char* s) { return ToDouble(s, field); };
}
std::function<bool(const char*)> Integer(int& field) {
  return [&field](const char* s) { return ToInt(s, field); };
}
std::function<bool(const char*)> Flag(bool& field, bool value) {
  return [&field, value](const char*) {
    field = value;
    return true;
  };
}

void Usage(const std::vector<Option>& options) {
  std::printf("usage: zenkar-sim [options]\n\n");
  for (const Option& o : options)
    std::printf("  %-28s %s\n",
                (std::string(o.Name) + (o.Argument ? std::string(" ") + o.Argument : "")).c_str(),
                o.Help);
  std::printf(
      "\nFaults: SmuSilent DmmSilent ControllerSilent GarbageReply NonNumericReading\n"
      "        NonNumericPoll NulBytesInReply LongReply SlowMeasurement VanishDevice\n");
}

}  // namespace

int main(int argc, char** argv) {
  sim::BenchOptions o;
  sim::CellParameters& c = o.Cell;
  std::vector<sim::Fault> faults;
  int seed = static_cast<int>(c.Seed);
  bool help = false;

  std::vector<Option> options = {
      {"--smu-addr", "N", "SourceMeter GPIB address (-1: absent)", Integer(o.SmuAddress)},
      {"--dmm-addr", "N", "multimeter GPIB address (-1: absent)", Integer(o.DmmAddress)},
      {"--no-smu", nullptr, "no SourceMeter on the bus", Flag(o.SmuPresent, false)},
      {"--no-dmm", nullptr, "no multimeter on the bus", Flag(o.DmmPresent, false)},
      {"--no-scanner", nullptr, "multimeter without SCAN 2000 card",
       Flag(o.ScannerCardFitted, false)},
      {"--smu-eos", "N", "++eos value the SourceMeter needs (-1: any)", Integer(o.SmuRequiredEos)},
      {"--dmm-eos", "N", "++eos value the multimeter needs (-1: any)", Integer(o.DmmRequiredEos)},
      {"--speed", "F", "divide measurement times by F", Number(o.SpeedFactor)},
      {"--no-pace", nullptr, "no 9600 baud pacing of output", Flag(o.PaceOutput, false)},
      {"--slow-ms", "MS", "extra time of slow measurements", Integer(o.SlowMeasurementMs)},
      {"--furnace", "C", "furnace temperature, degC", Number(c.FurnaceC)},
      {"--box", "C", "instrument box temperature, degC", Number(c.BoxC)},
      {"--volume", "ML", "closed gas volume, mL", Number(c.VolumeML)},
      {"--pump-resistance", "OHM", "pump element resistance", Number(c.PumpResistanceOhm)},
      {"--leak", "K", "leak, mol/(s bar)", Number(c.LeakMolPerSecBar)},
      {"--ref-pressure", "BAR", "reference oxygen pressure", Number(c.RefPressureBar)},
      {"--initial-pressure", "BAR", "cell oxygen pressure at start", Number(c.InitialPressureBar)},
      {"--noise", "UV", "sensor noise sigma, microvolts", Number(c.NoiseMicroVolt)},
      {"--lead-resistance", "OHM", "lead resistance on channel 1", Number(c.LeadResistanceOhm)},
      {"--seed", "N", "noise generator seed", Integer(seed)},
      {"--register", nullptr, "register the device in the port list",
       Flag(o.RegisterInPortList, true)},
      {"--fault", "NAME", "switch a fault on (repeatable)",
       [&faults](const char* s) {
         sim::Fault f;
         if (!sim::FaultFromName(s, f)) return false;
         faults.push_back(f);
         return true;
       }},
      {"--help", nullptr, "this text", Flag(help, true)},
  };

  for (int i = 1; i < argc; ++i) {
    const Option* match = nullptr;
    for (const Option& opt : options)
      if (std::strcmp(argv[i], opt.Name) == 0) match = &opt;
    if (!match) {
      std::fprintf(stderr, "zenkar-sim: unknown option %s (see --help)\n", argv[i]);
      return 2;
    }
    const char* arg = "";
    if (match->Argument) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zenkar-sim: %s needs a value\n", argv[i]);
        return 2;
      }
      arg = argv[++i];
    }
    if (!match->Apply(arg)) {
      std::fprintf(stderr, "zenkar-sim: bad value for %s: %s\n", match->Name, arg);
      return 2;
    }
  }
  if (help) {
    Usage(options);
    return 0;
  }
  c.Seed = static_cast<unsigned>(seed);

  // The signals are taken by sigwait below, on this thread only.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  sim::Bench bench(o);
  for (sim::Fault f : faults)
    if (f != sim::Fault::VanishDevice) bench.SetFault(f, true);
  std::string error;
  if (!bench.Start(&error)) {
    std::fprintf(stderr, "zenkar-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", bench.DevicePath().c_str());
  if (bench.ComNumber() > 0) std::printf("COM%d\n", bench.ComNumber());
  std::fflush(stdout);
  for (sim::Fault f : faults)
    if (f == sim::Fault::VanishDevice) bench.SetFault(f, true);

  // The record of received bytes serves tests; a long-running bench lets it go now and then.
  const timespec minute{60, 0};
  while (sigtimedwait(&stopSignals, nullptr, &minute) < 0) bench.ClearReceived();
  bench.Stop();
  return 0;
}
