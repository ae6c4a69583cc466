// Simulated Keithley 2401 SourceMeter driving the cell's pump element.
#pragma once

#include <string>
#include <vector>

#include "sim/ScpiInstrument.h"

namespace sim {

class Keithley2401Sim : public ScpiInstrument {
 public:
  static constexpr const char* kIdentification =
      "KEITHLEY INSTRUMENTS INC.,MODEL 2401,4089345,C32   Oct  4 2010 14:20:11/A02  /K/J";

  explicit Keithley2401Sim(const InstrumentContext& context);

  // The source settings as the pump sees them.
  PumpSource Source() const;
  // Readings are this text instead of the measured values; empty: measured.
  void SetFixedReading(std::string text) { fixedReading_ = std::move(text); }

 protected:
  void Reset() override;
  void AfterCommand() override;
  void SettingChanged(const std::string& pattern) override;

 private:
  enum Element { kVolt = 1, kCurr = 2, kRes = 4, kTime = 8, kStat = 16 };
  enum Function { kFuncVolt = 1, kFuncCurr = 2, kFuncRes = 4 };

  bool Measure(Call& c, bool turnOutputOn);
  std::string Reading(TimePoint now);
  bool ParseFunctions(Call& c, int& functions);
  static std::string FunctionList(int functions);

  int elements_ = 0;
  int functions_ = 0;
  std::string lastReading_;
  std::string fixedReading_;
};

}  // namespace sim
