#include "sim/Keithley2000Sim.h"

#include <cmath>
#include <limits>
#include <vector>

#include "thermo/Thermocouples.h"

namespace sim {

using scpi::Param;
using scpi::ParamKind;
namespace err = scpi::err;

namespace {

constexpr double kMillisecondsPerPlc = 20;  // 50 Hz line
constexpr double kOverflow = 9.9e37;
constexpr double kOverRange = 1.2;  // readings up to 120 % of a range
constexpr std::uint8_t kTypeS = 4;
constexpr double kSensorOhms = 150;
constexpr double kThermocoupleOhms = 12;

const std::string kInitContinuous = ":INITiate:CONTinuous";
const std::string kTriggerCount = ":TRIGger[:SEQuence1]:COUNt";
const std::string kSampleCount = ":SAMPle:COUNt";

}  // namespace

struct Keithley2000Sim::FunctionInfo {
  const char* Header;  // as in a function string, e.g. "VOLTage[:DC]"
  const char* Name;    // as the instrument reports it
  std::vector<double> Ranges;
  double MaxRange;
  bool HasNplc;
};

const Keithley2000Sim::FunctionInfo& Keithley2000Sim::Info(int function) {
  static const FunctionInfo kInfo[kFunctionCount] = {
      {"VOLTage[:DC]", "VOLT:DC", {0.1, 1, 10, 100, 1000}, 1010, true},
      {"VOLTage:AC", "VOLT:AC", {0.1, 1, 10, 100, 750}, 757.5, false},
      {"CURRent[:DC]", "CURR:DC", {0.01, 0.1, 1, 3}, 3.1, true},
      {"CURRent:AC", "CURR:AC", {1, 3}, 3.1, false},
      {"RESistance", "RES", {100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8}, 120e6, true},
      {"FRESistance", "FRES", {100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8}, 120e6, true},
      {"PERiod", "PER", {}, 0, false},
      {"FREQuency", "FREQ", {}, 0, false},
      {"TEMPerature", "TEMP", {}, 0, true},
      {"DIODe", "DIOD", {}, 0, false},
      {"CONTinuity", "CONT", {}, 0, false},
  };
  return kInfo[function];
}

int Keithley2000Sim::FunctionFromText(const std::string& text) {
  const std::vector<std::string> nodes = scpi::SplitNodes(text);
  for (int f = 0; f < kFunctionCount; ++f)
    if (scpi::Pattern(Info(f).Header).Matches(nodes)) return f;
  return -1;
}

std::string Keithley2000Sim::Prefix(int function) const {
  return std::string("[:SENSe]:") + Info(function).Header;
}

Keithley2000Sim::Keithley2000Sim(const InstrumentContext& context, bool scannerCardFitted)
    : ScpiInstrument(kIdentification, context), scanner_(scannerCardFitted) {
  for (int f = 0; f < kFunctionCount; ++f) {
    const FunctionInfo& info = Info(f);
    std::string prefix = Prefix(f);
    if (info.HasNplc) AddNumber(prefix + ":NPLCycles", 1, 0.01, 10);
    if (info.Ranges.empty()) continue;
    Setting& range = AddNumber(prefix + ":RANGe[:UPPer]", info.Ranges.back(), 0, info.MaxRange);
    range.Normalise = [ranges = info.Ranges](double v) {
      for (double r : ranges)
        if (v <= r) return r;
      return ranges.back();
    };
    AddBool(prefix + ":RANGe:AUTO", true);
    AddBool(prefix + ":AVERage:STATe", false);
    AddChoice(prefix + ":AVERage:TCONtrol", {"REPeat", "MOVing"}, 1);
    AddInteger(prefix + ":AVERage:COUNt", 10, 1, 100);
    AddInteger(prefix + ":DIGits", 7, 4, 7);
  }
  AddBool(kInitContinuous, false);
  AddInteger(kTriggerCount, 1, 1, 9999);
  AddInteger(kSampleCount, 1, 1, 1024);
  AddNumber(":TRIGger[:SEQuence1]:DELay", 0, 0, 999999.999);
  AddBool(":TRIGger[:SEQuence1]:DELay:AUTO", true);
  AddChoice(":TRIGger[:SEQuence1]:SOURce", {"IMMediate", "EXTernal", "TIMer", "MANual", "BUS"}, 0);
  AddBool(":SYSTem:AZERo[:STATe]", true);
  AddChoice(":UNIT:TEMPerature", {"C", "F", "K"}, 0);
  AddChoice(":FORMat[:DATA]", {"ASCii"}, 0);

  AddCommand(
      "[:SENSe]:FUNCtion",
      [this](Call& c) {
        if (c.Params().size() != 1) {
          c.Error(c.Params().empty() ? err::MissingParameter : err::ParameterNotAllowed);
          return true;
        }
        if (c.Params()[0].Kind != ParamKind::String) return false;
        int f = FunctionFromText(c.Params()[0].Text);
        if (f < 0)
          c.Error(err::IllegalParameterValue);
        else
          function_ = f;
        return true;
      },
      [this](Call& c) {
        if (NoParams(c)) c.Reply(std::string("\"") + Info(function_).Name + "\"");
        return true;
      });

  AddCommand(":SYSTem:FRSWitch", nullptr, [](Call& c) {
    if (NoParams(c)) c.Reply("0");  // rear inputs, where the scanner card sits
    return true;
  });
  AddCommand(":SYSTem:LFRequency", nullptr, [](Call& c) {
    if (NoParams(c)) c.Reply("50");
    return true;
  });

  auto closedList = [this](Call& c) {
    if (NoParams(c)) c.Reply(closed_ ? "(@" + std::to_string(closed_) + ")" : "(@)");
    return true;
  };
  AddCommand(
      ":ROUTe:CLOSe",
      [this](Call& c) {
        if (c.Params().size() != 1) {
          c.Error(c.Params().empty() ? err::MissingParameter : err::ParameterNotAllowed);
          return true;
        }
        const Param& p = c.Params()[0];
        if (p.Kind != ParamKind::ChannelList) return false;
        if (!scanner_) {
          c.Error(err::HardwareMissing);
          return true;
        }
        if (p.Channels.size() != 1) {
          c.Error(p.Channels.empty() ? err::MissingParameter : err::SettingsConflict);
          return true;
        }
        int ch = p.Channels[0];
        if (ch < 1 || ch > kChannels) {
          c.Error(err::DataOutOfRange);
          return true;
        }
        closed_ = ch;
        return true;
      },
      closedList);
  AddCommand(":ROUTe:CLOSe:STATe", nullptr, closedList);
  AddCommand(":ROUTe:OPEN:ALL", [this](Call& c) {
    if (!NoParams(c)) return true;
    if (!scanner_)
      c.Error(err::HardwareMissing);
    else
      closed_ = 0;
    return true;
  });
  AddCommand(":ROUTe:OPEN", [this](Call& c) {
    if (c.Params().size() != 1 || c.Params()[0].Kind != ParamKind::ChannelList) {
      c.Error(c.Params().empty() ? err::MissingParameter : err::DataTypeError);
      return true;
    }
    if (!scanner_) {
      c.Error(err::HardwareMissing);
      return true;
    }
    for (int ch : c.Params()[0].Channels)
      if (ch == closed_) closed_ = 0;
    return true;
  });

  AddCommand(":READ", nullptr, [this](Call& c) { return Measure(c, function_); });
  AddCommand(":MEASure", nullptr, [this](Call& c) { return Measure(c, function_); });
  for (int f = 0; f < kFunctionCount; ++f) {
    AddCommand(std::string(":MEASure:") + Info(f).Header, nullptr,
               [this, f](Call& c) { return Measure(c, f); });
    AddCommand(std::string(":CONFigure:") + Info(f).Header, [this, f](Call& c) {
      if (c.Params().size() > 2) {
        c.Error(err::ParameterNotAllowed);
        return true;
      }
      function_ = f;
      return true;
    });
  }
  AddCommand(":CONFigure", nullptr, [this](Call& c) {
    if (NoParams(c)) c.Reply(std::string("\"") + Info(function_).Name + "\"");
    return true;
  });
  AddCommand(":INITiate[:IMMediate]", [this](Call& c) {
    if (!NoParams(c)) return true;
    if (GetBool(kInitContinuous)) {
      c.Error(err::InitIgnored);
      return true;
    }
    Measure(c, function_);
    return true;
  });
  AddCommand(":ABORt", [](Call& c) {
    NoParams(c);
    return true;
  });
  auto fetch = [this](Call& c) {
    if (!NoParams(c)) return true;
    if (lastReading_.empty())
      c.Error(err::DataStale);
    else
      c.Reply(lastReading_);
    return true;
  };
  AddCommand(":FETCh", nullptr, fetch);
  AddCommand("[:SENSe]:DATA[:LATest]", nullptr, fetch);

  Reset();
  Set(kInitContinuous, 1);  // continuous measuring at power on; *RST turns it off
}

void Keithley2000Sim::Reset() {
  ScpiInstrument::Reset();
  function_ = kVoltDc;
  closed_ = 0;
  lastReading_.clear();
}

std::string Keithley2000Sim::Options() const {
  return scanner_ ? "200X-SCAN,0" : "0,0";
}

void Keithley2000Sim::SettingChanged(const std::string& pattern) {
  // Choosing a fixed range switches auto range off.
  const std::string upper = ":RANGe[:UPPer]";
  if (pattern.size() > upper.size() &&
      pattern.compare(pattern.size() - upper.size(), upper.size(), upper) == 0)
    Set(pattern.substr(0, pattern.size() - upper.size()) + ":RANGe:AUTO", 0);
}

double Keithley2000Sim::ChannelVolts(int channel) const {
  if (!scanner_ || channel == 0) return 0;
  const CellModel& cell = Cell();
  const CellParameters& p = cell.Parameters();
  switch (channel) {
    case 2:
      return cell.NernstVoltageV();
    case 4:
      return (EmfFromTemperature(kTypeS, p.FurnaceC) - EmfFromTemperature(kTypeS, p.BoxC)) * 1e-6;
    default:
      return 0;
  }
}

double Keithley2000Sim::ChannelOhms(int channel) const {
  const double open = std::numeric_limits<double>::quiet_NaN();
  if (!scanner_) return open;
  const CellParameters& p = Cell().Parameters();
  switch (channel) {
    case 1:
      return p.LeadResistanceOhm;
    case 2:
      return kSensorOhms;
    case 4:
      return kThermocoupleOhms;
    case 5:
      return ThermistorResistance(p.BoxC);
    default:
      return open;
  }
}

// The signal of the closed channel for a function; sigma is the noise of one reading.
double Keithley2000Sim::Sample(int function, double& sigma) const {
  double noise = Cell().Parameters().NoiseMicroVolt * 1e-6;
  sigma = 0;
  switch (function) {
    case kVoltDc:
      sigma = closed_ == 4 ? noise * 0.1 : noise;
      return ChannelVolts(closed_);
    case kVoltAc:
      return 0;
    case kRes:
    case kFRes:
      return ChannelOhms(closed_);
    case kTemp:
      return closed_ == 4 ? Cell().Parameters().FurnaceC : kOverflow;
    case kDiode:
    case kCont:
      return std::numeric_limits<double>::quiet_NaN();
    default:
      return 0;
  }
}

std::string Keithley2000Sim::Reading(TimePoint) {
  if (FaultOn(Fault::GarbageReply)) return "#?!garbage";
  if (FaultOn(Fault::NonNumericReading)) return "OVERFLOW";
  const FunctionInfo& info = Info(function_);
  std::string prefix = Prefix(function_);
  int averaged = 1;
  if (!info.Ranges.empty() && GetBool(prefix + ":AVERage:STATe"))
    averaged = static_cast<int>(Get(prefix + ":AVERage:COUNt"));
  double sigma = 0;
  double v = Sample(function_, sigma);
  if (sigma > 0) {
    double sum = 0;
    for (int i = 0; i < averaged; ++i) sum += Cell().Noise(sigma);
    v += sum / averaged;
  }
  if (!std::isfinite(v)) {
    v = kOverflow;
  } else if (!info.Ranges.empty()) {
    bool fits = false;
    if (GetBool(prefix + ":RANGe:AUTO")) {
      for (double r : info.Ranges) fits = fits || std::fabs(v) <= r * kOverRange;
    } else {
      fits = std::fabs(v) <= Get(prefix + ":RANGe[:UPPer]") * kOverRange;
    }
    if (!fits) v = kOverflow;
  }
  return scpi::FormatExponent(v, 8);
}

bool Keithley2000Sim::Measure(Call& c, int function) {
  if (c.Params().size() > 2) {
    c.Error(err::ParameterNotAllowed);
    return true;
  }
  function_ = function;
  const FunctionInfo& info = Info(function);
  std::string prefix = Prefix(function);
  double nplc = info.HasNplc ? Get(prefix + ":NPLCycles") : 1;
  double averaged = 1;
  if (!info.Ranges.empty() && GetBool(prefix + ":AVERage:STATe"))
    averaged = Get(prefix + ":AVERage:COUNt");
  int count = static_cast<int>(Get(kTriggerCount) * Get(kSampleCount));
  double ms = nplc * kMillisecondsPerPlc * averaged * count;
  bool query = c.Unit.Query;
  c.Defer(MeasurementMs(ms), [this, count, query](TimePoint now) {
    std::string all;
    for (int i = 0; i < count; ++i) all += (i ? "," : "") + Reading(now);
    lastReading_ = all;
    return query ? all : std::string();
  });
  return true;
}

}  // namespace sim
