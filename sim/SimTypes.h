// Settings of the simulated bench: the cell behind the instruments, the instruments on the bus,
// and the faults the bench can be told to show.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

struct CellParameters {
  double FurnaceC = 700;               // furnace temperature, degC
  double BoxC = 25;                    // instrument box (cold junction, thermistor), degC
  double VolumeML = 10;                // closed gas volume, mL
  double PumpResistanceOhm = 60;       // ohmic resistance of the pump element
  double LeakMolPerSecBar = 4e-7;      // k in k * (p_ref - p_cell)
  double RefPressureBar = 0.2095;      // reference gas (air)
  double InitialPressureBar = 0.2095;  // cell pressure at start
  double NoiseMicroVolt = 3;           // sensor noise (gaussian sigma), 0 = none
  double LeadResistanceOhm = 2;        // scanner channel 1
  unsigned Seed = 1;                   // noise generator seed
};

enum class Fault {
  SmuSilent,          // the SourceMeter never answers (absent on the bus)
  DmmSilent,          // the multimeter never answers (absent on the bus)
  ControllerSilent,   // the port opens, the controller never replies to anything
  GarbageReply,       // readings are garbage text
  NonNumericReading,  // readings are non-numeric text ("OVERFLOW")
  NonNumericPoll,     // serial polls answer "ERR"
  NulBytesInReply,    // instrument replies carry NUL bytes
  LongReply,          // instrument replies are 120 bytes long
  SlowMeasurement,    // measurements take SlowMeasurementMs more
  VanishDevice        // the device node disappears
};

// Fault names as the command line takes them ("SmuSilent"); empty for an unknown value.
const char* FaultName(Fault f);
// Parses a fault name, ignoring letter case, '-' and '_' ("smu-silent"); false if unknown.
bool FaultFromName(const std::string& name, Fault& f);

// Switched faults, readable from any thread.
class FaultSet {
 public:
  bool On(Fault f) const { return (bits_.load() & Bit(f)) != 0; }
  void Set(Fault f, bool on) {
    if (on)
      bits_.fetch_or(Bit(f));
    else
      bits_.fetch_and(~Bit(f));
  }

 private:
  static std::uint32_t Bit(Fault f) { return 1u << static_cast<unsigned>(f); }
  std::atomic<std::uint32_t> bits_{0};
};

struct BenchOptions {
  int SmuAddress = 1, DmmAddress = 2;  // -1 = instrument absent
  bool SmuPresent = true, DmmPresent = true;
  bool ScannerCardFitted = true;
  // The controller's ++eos value (0..3) an instrument must see to recognise messages; -1 = any.
  int SmuRequiredEos = -1, DmmRequiredEos = -1;
  double SpeedFactor = 1.0;  // measurement times are divided by this
  bool PaceOutput = true;    // 9600 baud pacing of output (about 1.04 ms per byte)
  int SlowMeasurementMs = 3000;
  CellParameters Cell;
  bool RegisterInPortList = false;  // register the device path in the port list
  // Bytes of client traffic Received() keeps at least; older ones go, so that a run of days
  // does not grow by its own recording.
  size_t ReceivedLimit = 1 << 20;
};

}  // namespace sim
