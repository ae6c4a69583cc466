// The titration cell behind the instruments: an oxygen pump and a Nernst sensor on one closed
// gas volume at furnace temperature, with a leak towards the reference gas.
//
//   amount of oxygen   n = p V / (R T)
//   dn/dt              = -I / (4 F) + k (p_ref - p)     (positive current pumps oxygen out)
//   sensor voltage     E = (R T / 4 F) ln(p_ref / p)   (positive when p < p_ref)
//   pump voltage       U = I R_pump + E
#pragma once

#include <random>

#include "sim/SimTypes.h"

namespace sim {

constexpr double kGasConstant = 8.314462618;  // J/(mol K)
constexpr double kFaraday = 96485.33212;      // C/mol

// What the SourceMeter drives into the pump.
struct PumpSource {
  bool OutputOn = false;
  bool SourceCurrent = false;  // false: voltage source
  double CurrentLevelA = 0;
  double VoltageLevelV = 0;
  double CurrentComplianceA = 1.05e-4;
  double VoltageComplianceV = 21;
};

struct PumpOperatingPoint {
  double CurrentA = 0;
  double VoltageV = 0;
  bool InCompliance = false;
};

class CellModel {
 public:
  explicit CellModel(const CellParameters& p = {});

  // Takes new parameters; the pressure is kept unless InitialPressureBar changed, and the noise
  // generator restarts when Seed changed.
  void SetParameters(const CellParameters& p);
  const CellParameters& Parameters() const { return params_; }

  void SetSource(const PumpSource& s) { source_ = s; }
  const PumpSource& Source() const { return source_; }

  // Integrates over the given time (implicit steps: stable for any step and any parameters).
  void Advance(double seconds);

  // The pressure is kept as its logarithm: pumped hard, it falls far below what a double holds,
  // while the Nernst voltage stays finite.
  double PressureBar() const;
  void SetPressureBar(double p);
  double NernstVoltageV() const { return NernstVoltageAtLog(logPressure_); }
  // The pump's current and voltage at the present pressure, after compliance limiting.
  PumpOperatingPoint Pump() const { return PumpAtLog(logPressure_); }

  // Mol of oxygen per bar of pressure in the volume.
  double MolPerBar() const;
  // R T / 4 F at furnace temperature, volts.
  double NernstSlopeV() const;

  // A gaussian sample with the given sigma (0 gives 0).
  double Noise(double sigma);

 private:
  double NernstVoltageAtLog(double logPressure) const;
  PumpOperatingPoint PumpAtLog(double logPressure) const;
  double Rate(double logPressure) const;  // dp/dt, bar/s
  double ImplicitStep(double logPressure, double h) const;

  CellParameters params_;
  PumpSource source_;
  double logPressure_;
  std::mt19937 rng_;
};

}  // namespace sim
