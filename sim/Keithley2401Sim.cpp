#include "sim/Keithley2401Sim.h"

#include <cmath>

namespace sim {

using scpi::Param;
using scpi::ParamKind;
namespace err = scpi::err;

namespace {

const std::string kOutput = ":OUTPut[:STATe]";
const std::string kTerminals = ":ROUTe:TERMinals";
const std::string kSourceFunction = "[:SOURce]:FUNCtion[:MODE]";
const std::string kCurrentMode = "[:SOURce]:CURRent:MODE";
const std::string kVoltageMode = "[:SOURce]:VOLTage:MODE";
const std::string kCurrentLevel = "[:SOURce]:CURRent[:LEVel][:IMMediate][:AMPLitude]";
const std::string kVoltageLevel = "[:SOURce]:VOLTage[:LEVel][:IMMediate][:AMPLitude]";
const std::string kCurrentCompliance = "[:SENSe]:CURRent[:DC]:PROTection[:LEVel]";
const std::string kVoltageCompliance = "[:SENSe]:VOLTage[:DC]:PROTection[:LEVel]";
const std::string kConcurrent = "[:SENSe]:FUNCtion:CONCurrent";
const std::string kCurrentNplc = "[:SENSe]:CURRent[:DC]:NPLCycles";
const std::string kAverageState = "[:SENSe]:AVERage[:STATe]";
const std::string kAverageCount = "[:SENSe]:AVERage:COUNt";
const std::string kAutoOutputOff = "[:SOURce]:CLEar:AUTO";
const std::string kTriggerCount = ":TRIGger:COUNt";
const std::string kArmCount = ":ARM[:SEQuence1][:LAYer1]:COUNt";

constexpr double kMillisecondsPerPlc = 20;  // 50 Hz line
constexpr double kNotMeasured = 9.91e37;

struct ElementName {
  const char* Mnemonic;
  int Bit;
};
constexpr ElementName kElements[] = {
    {"VOLTage", 1}, {"CURRent", 2}, {"RESistance", 4}, {"TIME", 8}, {"STATus", 16}};

// A sense function string such as "VOLT:DC", "CURRent", "RES".
int FunctionFromText(const std::string& text) {
  const std::vector<std::string> nodes = scpi::SplitNodes(text);
  if (scpi::Pattern("VOLTage[:DC]").Matches(nodes)) return 1;
  if (scpi::Pattern("CURRent[:DC]").Matches(nodes)) return 2;
  if (scpi::Pattern("RESistance").Matches(nodes)) return 4;
  return 0;
}

}  // namespace

Keithley2401Sim::Keithley2401Sim(const InstrumentContext& context)
    : ScpiInstrument(kIdentification, context) {
  AddBool(kOutput, false);
  AddChoice(kTerminals, {"FRONt", "REAR"}, 0);
  AddChoice(kSourceFunction, {"VOLTage", "CURRent", "MEMory"}, 0);
  AddChoice(kCurrentMode, {"FIXed", "LIST", "SWEep"}, 0);
  AddChoice(kVoltageMode, {"FIXed", "LIST", "SWEep"}, 0);
  AddNumber("[:SOURce]:CURRent:RANGe", 1.05e-4, -1.05, 1.05);
  AddBool("[:SOURce]:CURRent:RANGe:AUTO", true);
  AddNumber("[:SOURce]:VOLTage:RANGe", 21, -21, 21);
  AddBool("[:SOURce]:VOLTage:RANGe:AUTO", true);
  AddNumber(kCurrentLevel, 0, -1.05, 1.05);
  AddNumber(kVoltageLevel, 0, -21, 21);
  AddNumber("[:SOURce]:DELay", 0.001, 0, 9999.999);
  AddBool("[:SOURce]:DELay:AUTO", true);
  AddBool(kAutoOutputOff, false);
  AddNumber(kCurrentCompliance, 1.05e-4, 1e-9, 1.05);
  AddNumber(kVoltageCompliance, 21, 2e-4, 21);
  AddBool(kConcurrent, true);
  struct SenseRange {
    const char* Function;
    double Default, Max;
  };
  for (const SenseRange& f :
       {SenseRange{"CURRent[:DC]", 1.05e-4, 1.05}, SenseRange{"VOLTage[:DC]", 21, 21},
        SenseRange{"RESistance", 2.1e5, 2.1e8}}) {
    std::string prefix = std::string("[:SENSe]:") + f.Function;
    AddNumber(prefix + ":RANGe[:UPPer]", f.Default, 0, f.Max);
    AddBool(prefix + ":RANGe:AUTO", true);
    AddNumber(prefix + ":NPLCycles", 1, 0.01, 10);
  }
  AddChoice("[:SENSe]:RESistance:MODE", {"MANual", "AUTO"}, 0);
  AddBool(kAverageState, false);
  AddChoice("[:SENSe]:AVERage:TCONtrol", {"REPeat", "MOVing"}, 0);
  AddInteger(kAverageCount, 10, 1, 100);
  AddBool(":SYSTem:RSENse", false);
  AddBool(":SYSTem:AZERo[:STATe]", true);
  AddNumber(":SYSTem:LFRequency", 50, 50, 60);
  AddChoice(":FORMat[:DATA]", {"ASCii"}, 0);
  AddInteger(kTriggerCount, 1, 1, 2500);
  AddInteger(kArmCount, 1, 1, 2500);
  AddNumber(":TRIGger[:SEQuence1]:DELay", 0, 0, 999.9999);
  AddChoice(":TRIGger[:SEQuence1]:SOURce", {"IMMediate", "TLINk"}, 0);
  AddChoice(":ARM[:SEQuence1][:LAYer1]:SOURce",
            {"IMMediate", "TIMer", "MANual", "BUS", "TLINk", "NSTest", "PSTest", "BSTest"}, 0);

  AddCommand(
      "[:SENSe]:FUNCtion[:ON]",
      [this](Call& c) {
        for (const Param& p : c.Params())
          if (p.Kind != ParamKind::String) return false;  // a source function, not a sense one
        int f = 0;
        if (!ParseFunctions(c, f)) return true;
        if (GetBool(kConcurrent))
          functions_ |= f;
        else
          functions_ = f & -f;  // one function at a time
        return true;
      },
      [this](Call& c) {
        if (NoParams(c)) c.Reply(FunctionList(functions_));
        return true;
      });
  AddCommand(
      "[:SENSe]:FUNCtion:OFF",
      [this](Call& c) {
        int f = 0;
        if (ParseFunctions(c, f)) functions_ &= ~f;
        return true;
      },
      [this](Call& c) {
        if (NoParams(c)) c.Reply(FunctionList(7 & ~functions_));
        return true;
      });
  AddCommand("[:SENSe]:FUNCtion[:ON]:ALL", [this](Call& c) {
    if (NoParams(c)) functions_ = GetBool(kConcurrent) ? 7 : functions_;
    return true;
  });
  AddCommand("[:SENSe]:FUNCtion:OFF:ALL", [this](Call& c) {
    if (NoParams(c)) functions_ = 0;
    return true;
  });
  AddCommand("[:SENSe]:FUNCtion:STATe", nullptr, [this](Call& c) {
    if (c.Params().size() != 1 || c.Params()[0].Kind != ParamKind::String) {
      c.Error(c.Params().empty() ? err::MissingParameter : err::DataTypeError);
      return true;
    }
    int f = FunctionFromText(c.Params()[0].Text);
    if (f == 0)
      c.Error(err::IllegalParameterValue);
    else
      c.Reply((functions_ & f) ? "1" : "0");
    return true;
  });

  AddCommand(
      ":FORMat:ELEMents[:SENSe]",
      [this](Call& c) {
        if (c.Params().empty()) {
          c.Error(err::MissingParameter);
          return true;
        }
        int e = 0;
        for (const Param& p : c.Params()) {
          if (p.Kind != ParamKind::Character) return false;
          int bit = 0;
          for (const ElementName& n : kElements)
            if (scpi::MnemonicMatches(n.Mnemonic, p.Text)) bit = n.Bit;
          if (bit == 0) {
            c.Error(err::IllegalParameterValue);
            return true;
          }
          e |= bit;
        }
        elements_ = e;
        return true;
      },
      [this](Call& c) {
        if (!NoParams(c)) return true;
        std::string list;
        for (const ElementName& n : kElements)
          if (elements_ & n.Bit) list += (list.empty() ? "" : ",") + scpi::ShortForm(n.Mnemonic);
        c.Reply(list);
        return true;
      });

  AddCommand("[:SOURce]:CLEar[:IMMediate]", [this](Call& c) {
    if (NoParams(c)) Set(kOutput, 0);
    return true;
  });
  auto measure = [this](bool turnOn) {
    return [this, turnOn](Call& c) { return Measure(c, turnOn); };
  };
  AddCommand(":READ", nullptr, measure(false));
  for (const char* m :
       {":MEASure", ":MEASure:VOLTage[:DC]", ":MEASure:CURRent[:DC]", ":MEASure:RESistance"})
    AddCommand(m, nullptr, measure(true));
  AddCommand(":INITiate[:IMMediate]", [this](Call& c) {
    if (!NoParams(c)) return true;
    bool autoOff = GetBool(kAutoOutputOff);
    double nplc = Get(kCurrentNplc);
    double ms = nplc * kMillisecondsPerPlc * (GetBool(kAverageState) ? Get(kAverageCount) : 1);
    c.Defer(MeasurementMs(ms), [this, autoOff](TimePoint now) {
      if (autoOff) Set(kOutput, 1);
      AfterCommand();
      lastReading_ = Reading(now);
      if (autoOff) Set(kOutput, 0);
      return std::string();
    });
    return true;
  });
  AddCommand(":ABORt", [](Call& c) {
    NoParams(c);
    return true;
  });
  AddCommand(":FETCh", nullptr, [this](Call& c) {
    if (!NoParams(c)) return true;
    if (lastReading_.empty())
      c.Error(err::DataStale);
    else
      c.Reply(lastReading_);
    return true;
  });
  for (const char* conf :
       {":CONFigure:VOLTage[:DC]", ":CONFigure:CURRent[:DC]", ":CONFigure:RESistance"})
    AddCommand(conf, [this, conf](Call& c) {
      if (!NoParams(c)) return true;
      std::string name = conf;
      int f = name.find("VOLT") != std::string::npos   ? kFuncVolt
              : name.find("CURR") != std::string::npos ? kFuncCurr
                                                       : kFuncRes;
      functions_ = GetBool(kConcurrent) ? (functions_ | f) : f;
      Set(kOutput, 1);
      return true;
    });
  AddCommand(":CONFigure", nullptr, [this](Call& c) {
    if (NoParams(c)) c.Reply(FunctionList(functions_));
    return true;
  });

  Reset();
}

void Keithley2401Sim::Reset() {
  ScpiInstrument::Reset();
  elements_ = kVolt | kCurr | kRes | kTime | kStat;
  functions_ = kFuncCurr;
  lastReading_.clear();
}

PumpSource Keithley2401Sim::Source() const {
  PumpSource s;
  s.OutputOn = GetBool(kOutput);
  s.SourceCurrent = GetChoice(kSourceFunction) == "CURR";
  s.CurrentLevelA = Get(kCurrentLevel);
  s.VoltageLevelV = Get(kVoltageLevel);
  s.CurrentComplianceA = Get(kCurrentCompliance);
  s.VoltageComplianceV = Get(kVoltageCompliance);
  return s;
}

void Keithley2401Sim::AfterCommand() {
  Cell().SetSource(Source());
}

void Keithley2401Sim::SettingChanged(const std::string& pattern) {
  // Choosing a fixed range switches auto range off.
  const std::string upper = ":RANGe[:UPPer]";
  if (pattern.size() > upper.size() &&
      pattern.compare(pattern.size() - upper.size(), upper.size(), upper) == 0)
    Set(pattern.substr(0, pattern.size() - upper.size()) + ":RANGe:AUTO", 0);
  else if (pattern == "[:SOURce]:CURRent:RANGe" || pattern == "[:SOURce]:VOLTage:RANGe")
    Set(pattern + ":AUTO", 0);
}

bool Keithley2401Sim::ParseFunctions(Call& c, int& functions) {
  functions = 0;
  if (c.Params().empty()) {
    c.Error(err::MissingParameter);
    return false;
  }
  for (const Param& p : c.Params()) {
    if (p.Kind != ParamKind::String) return false;
    int f = FunctionFromText(p.Text);
    if (f == 0) {
      c.Error(err::IllegalParameterValue);
      return false;
    }
    functions |= f;
  }
  return true;
}

std::string Keithley2401Sim::FunctionList(int functions) {
  std::string list;
  if (functions & kFuncVolt) list += "\"VOLT:DC\"";
  if (functions & kFuncCurr) list += std::string(list.empty() ? "" : ",") + "\"CURR:DC\"";
  if (functions & kFuncRes) list += std::string(list.empty() ? "" : ",") + "\"RES\"";
  return list.empty() ? "\"\"" : list;
}

bool Keithley2401Sim::Measure(Call& c, bool turnOutputOn) {
  if (c.Params().size() > 1) {
    c.Error(err::ParameterNotAllowed);
    return true;
  }
  if (turnOutputOn) Set(kOutput, 1);
  AfterCommand();
  bool autoOff = GetBool(kAutoOutputOff);
  int count = static_cast<int>(Get(kTriggerCount) * Get(kArmCount));
  double readings = GetBool(kAverageState) ? Get(kAverageCount) : 1;
  double ms = Get(kCurrentNplc) * kMillisecondsPerPlc * readings * count;
  c.Defer(MeasurementMs(ms), [this, autoOff, count](TimePoint now) {
    if (autoOff) {
      Set(kOutput, 1);
      AfterCommand();
    }
    std::string all;
    for (int i = 0; i < count; ++i) all += (i ? "," : "") + Reading(now);
    lastReading_ = all;
    if (autoOff) Set(kOutput, 0);
    return all;
  });
  return true;
}

std::string Keithley2401Sim::Reading(TimePoint now) {
  if (!fixedReading_.empty()) return fixedReading_;
  if (FaultOn(Fault::GarbageReply)) return "#?!garbage";
  if (FaultOn(Fault::NonNumericReading)) return "OVERFLOW,OVERFLOW";
  PumpOperatingPoint op = Cell().Pump();
  std::string r;
  auto add = [&r](double v) { r += (r.empty() ? "" : ",") + scpi::FormatExponent(v, 6); };
  if (elements_ & kVolt) add(op.VoltageV);
  if (elements_ & kCurr) add(op.CurrentA);
  if (elements_ & kRes)
    add((functions_ & kFuncRes) && op.CurrentA != 0 ? op.VoltageV / op.CurrentA : kNotMeasured);
  if (elements_ & kTime) add(SecondsSincePowerOn(now));
  if (elements_ & kStat) {
    // Status word: bit 3 compliance, bit 6 filter on, bit 9 source is current... as far as
    // the cell needs; other bits stay 0.
    double status = 0;
    if (op.InCompliance) status += 8;
    if (GetBool(kAverageState)) status += 64;
    add(status);
  }
  return r;
}

}  // namespace sim
