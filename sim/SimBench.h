// The simulated instrument bench: a pseudo-terminal whose slave side behaves like a Prologix
// GPIB-USB controller with a Keithley 2401 SourceMeter (GPIB address 1) and a Keithley 2000
// multimeter with SCAN 2000 card (address 2) behind it, driving and reading a simulated
// oxygen titration cell. Runs on a thread of its own; every public call is thread-safe.
#pragma once

#include <memory>
#include <string>

#include "sim/SimTypes.h"

namespace sim {

class Bench {
 public:
  explicit Bench(BenchOptions options = {});
  ~Bench();  // stops
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  // Opens the pseudo-terminal pair and starts the thread.
  bool Start(std::string* error = nullptr);
  void Stop();
  bool Running() const;

  const std::string& DevicePath() const;  // slave path, e.g. /dev/pts/7
  int ComNumber() const;                  // when registered in the port list, else 0
  const BenchOptions& Options() const;

  // What clients wrote, byte for byte, since start or the last ClearReceived: all of it up to
  // BenchOptions::ReceivedLimit bytes, then at least the newest ReceivedLimit bytes.
  std::string Received() const;
  void ClearReceived();
  // Waits, at most timeoutMs, until Received() contains text.
  bool WaitReceived(const std::string& text, int timeoutMs) const;

  // The controller waits for an instrument's reply or for its read time-out; also after Stop,
  // which does not wait for it.
  bool OperationPending() const;

  // Takes effect at once; VanishDevice has removed the device node when this returns. Switched
  // off again on a running bench, it brings a new device node (DevicePath changes), registered
  // under the same COM number when that is free.
  void SetFault(Fault f, bool on);
  bool FaultOn(Fault f) const;
  // The SourceMeter's readings become this text as it stands ("0.5,0.001"); empty: measured.
  void SetSmuReading(const std::string& text);

  // Model state now.
  double PumpCurrentA() const;    // what the SourceMeter sources (after compliance limiting)
  double PumpVoltageV() const;    // voltage across the pump
  double SensorVoltageV() const;  // noise-free sensor voltage
  double CellPressureBar() const;
  CellParameters Cell() const;
  // New cell parameters while running; the pressure is kept unless InitialPressureBar changes.
  void SetCell(const CellParameters& c);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sim
