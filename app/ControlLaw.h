// The PI law of one control cycle: from the sensor-voltage error to the pump current, with the
// explanation lines the cycle writes to the program log. A pure function.
#pragma once

#include <string>
#include <vector>

struct TPiLawInput {
  double TargetSetpoint = 0;     // V
  double ProportionalBand = 0;   // V, B
  double IntegralStrength = 0;   // s, Ti
  double OldIntegral = 0;        // V s, left by the previous cycle
  double ElapsedSeconds = 0;     // since the previous cycle's measurement
  double SensorVoltage = 0;      // V, this cycle's reading
  double CurrentCompliance = 0;  // A, full scale of the output
  bool PumpIsOn = false;
};

struct TPiLawResult {
  double LawCurrent = 0;     // A, the law's current (the "Apply current" line)
  double OutputCurrent = 0;  // A, what the SourceMeter gets: LawCurrent, or 0 with the pump off
  double Integral = 0;       // V s, after this cycle, clamped; the next cycle's OldIntegral
  std::vector<std::string> Lines;  // "", "PID - control", then the explanation
};

// Error e = set-point - sensor; integral = elapsed * e + old. Above the band (e > B, strictly)
// full current and the integral zeroed; otherwise P = max(0, e / B) and the integral clamped
// to +-B*Ti, the output (P + integral / (B*Ti)) * compliance limited to 0 .. compliance.
// A band of 0 leaves only the step at the set-point; a band or integral length of 0 switches
// the integral term off (the sum is held at 0).
TPiLawResult PiLaw(const TPiLawInput& in);
