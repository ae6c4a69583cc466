// Simulated Keithley 2000 multimeter with a SCAN 2000 card (channels 1 to 10) on its rear
// inputs. Channel 1: lead resistance, 2: cell sensor, 4: type S thermocouple of the furnace
// against the box, 5: box thermistor; the others are open.
#pragma once

#include <string>

#include "sim/ScpiInstrument.h"

namespace sim {

class Keithley2000Sim : public ScpiInstrument {
 public:
  static constexpr const char* kIdentification =
      "KEITHLEY INSTRUMENTS INC.,MODEL 2000,1234567,A19  /A02";
  static constexpr int kChannels = 10;

  Keithley2000Sim(const InstrumentContext& context, bool scannerCardFitted);

  int ClosedChannel() const { return closed_; }  // 0 = none

  // What a channel carries, before noise and ranging: volts, or ohms (NaN = open circuit).
  double ChannelVolts(int channel) const;
  double ChannelOhms(int channel) const;

 protected:
  void Reset() override;
  std::string Options() const override;
  void SettingChanged(const std::string& pattern) override;

 private:
  enum FunctionIndex {
    kVoltDc,
    kVoltAc,
    kCurrDc,
    kCurrAc,
    kRes,
    kFRes,
    kPer,
    kFreq,
    kTemp,
    kDiode,
    kCont,
    kFunctionCount
  };
  struct FunctionInfo;
  static const FunctionInfo& Info(int function);
  static int FunctionFromText(const std::string& text);

  bool Measure(Call& c, int function);
  std::string Reading(TimePoint now);
  double Sample(int function, double& sigma) const;
  std::string Prefix(int function) const;

  bool scanner_;
  int function_ = kVoltDc;
  int closed_ = 0;
  std::string lastReading_;
};

}  // namespace sim
