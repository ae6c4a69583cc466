#include "sim/ScpiInstrument.h"

#include <cmath>

namespace sim {

using scpi::Param;
using scpi::ParamKind;
namespace err = scpi::err;

namespace {

constexpr size_t kErrorQueueSize = 10;

bool IsCharacter(const Param& p, std::initializer_list<const char*> mnemonics) {
  if (p.Kind != ParamKind::Character) return false;
  for (const char* m : mnemonics)
    if (scpi::MnemonicMatches(m, p.Text)) return true;
  return false;
}

std::string FormatError(int code) {
  return std::to_string(code) + ",\"" + scpi::ErrorText(code) + "\"";
}

}  // namespace

void ScpiInstrument::Call::Reply(std::string text) {
  if (instrument_.current_) instrument_.current_->Replies.push_back(std::move(text));
}

void ScpiInstrument::Call::Defer(double ms, std::function<std::string(TimePoint)> reply) {
  instrument_.busyUntil_ =
      Now + Scaled(std::chrono::microseconds(static_cast<long long>(std::max(ms, 0.0) * 1000)));
  instrument_.deferred_ = std::move(reply);
}

ScpiInstrument::ScpiInstrument(std::string identification, const InstrumentContext& context)
    : identification_(std::move(identification)), context_(context) {
  AddCommand("*IDN", nullptr, [this](Call& c) {
    if (!NoParams(c)) return true;
    c.Reply(identification_);
    return true;
  });
  AddCommand("*OPT", nullptr, [this](Call& c) {
    if (!NoParams(c)) return true;
    c.Reply(Options());
    return true;
  });
  AddCommand("*RST", [this](Call& c) {
    if (NoParams(c)) Reset();
    return true;
  });
  AddCommand("*CLS", [this](Call& c) {
    if (!NoParams(c)) return true;
    errors_.clear();
    esr_ = 0;
    return true;
  });
  auto byteRegister = [](std::uint8_t& reg) {
    return [&reg](Call& c) {
      if (c.Params().size() != 1) {
        c.Error(c.Params().empty() ? err::MissingParameter : err::ParameterNotAllowed);
        return true;
      }
      const Param& p = c.Params()[0];
      if (p.Kind != ParamKind::Numeric) return false;
      double v = std::round(p.Number);
      if (v < 0 || v > 255) {
        c.Error(err::DataOutOfRange);
        return true;
      }
      reg = static_cast<std::uint8_t>(v);
      return true;
    };
  };
  auto byteQuery = [](std::uint8_t& reg) {
    return [&reg](Call& c) {
      if (NoParams(c)) c.Reply(std::to_string(reg));
      return true;
    };
  };
  AddCommand("*ESE", byteRegister(ese_), byteQuery(ese_));
  AddCommand(
      "*SRE",
      [this, set = byteRegister(sre_)](Call& c) {
        bool r = set(c);
        sre_ &= static_cast<std::uint8_t>(~kMss);
        return r;
      },
      byteQuery(sre_));
  AddCommand("*ESR", nullptr, [this](Call& c) {
    if (!NoParams(c)) return true;
    c.Reply(std::to_string(esr_));
    esr_ = 0;
    return true;
  });
  AddCommand("*STB", nullptr, [this](Call& c) {
    if (!NoParams(c)) return true;
    std::uint8_t b = StatusByte();
    if (b & sre_ & ~kMss) b |= kMss;
    c.Reply(std::to_string(b));
    return true;
  });
  AddCommand(
      "*OPC",
      [this](Call& c) {
        if (NoParams(c)) esr_ |= 1;
        return true;
      },
      [](Call& c) {
        if (NoParams(c)) c.Reply("1");
        return true;
      });
  AddCommand("*WAI", [](Call& c) {
    NoParams(c);
    return true;
  });
  AddCommand("*TRG", [this](Call& c) {
    if (NoParams(c)) Trigger(c.Now);
    return true;
  });
  AddCommand("*TST", nullptr, [](Call& c) {
    if (NoParams(c)) c.Reply("0");
    return true;
  });
  auto memoryIndex = [](Call& c, int& index) {
    if (c.Params().size() != 1) {
      c.Error(c.Params().empty() ? err::MissingParameter : err::ParameterNotAllowed);
      return false;
    }
    const Param& p = c.Params()[0];
    if (p.Kind != ParamKind::Numeric) {
      c.Error(err::DataTypeError);
      return false;
    }
    index = static_cast<int>(std::lround(p.Number));
    if (index < 0 || index > 4) {
      c.Error(err::DataOutOfRange);
      return false;
    }
    return true;
  };
  AddCommand("*SAV", [this, memoryIndex](Call& c) {
    int index = 0;
    if (!memoryIndex(c, index)) return true;
    auto& slot = saved_[index];
    for (auto& [name, s] : settings_) slot[name] = s.Value;
    return true;
  });
  AddCommand("*RCL", [this, memoryIndex](Call& c) {
    int index = 0;
    if (!memoryIndex(c, index)) return true;
    auto it = saved_.find(index);
    if (it == saved_.end()) {
      Reset();
      return true;
    }
    for (auto& [name, v] : it->second) settings_[name].Value = v;
    for (auto& [name, v] : it->second) SettingChanged(name);
    return true;
  });

  auto nextError = [this](Call& c) {
    if (!NoParams(c)) return true;
    int code = 0;
    if (!errors_.empty()) {
      code = errors_.front();
      errors_.pop_front();
    }
    c.Reply(FormatError(code));
    return true;
  };
  AddCommand(":SYSTem:ERRor[:NEXT]", nullptr, nextError);
  AddCommand(":STATus:QUEue[:NEXT]", nullptr, nextError);
  AddCommand(":SYSTem:ERRor:ALL", nullptr, [this](Call& c) {
    if (!NoParams(c)) return true;
    std::string all;
    if (errors_.empty()) all = FormatError(0);
    for (int code : errors_) all += (all.empty() ? "" : ",") + FormatError(code);
    errors_.clear();
    c.Reply(all);
    return true;
  });
  AddCommand(":SYSTem:ERRor:COUNt", nullptr, [this](Call& c) {
    if (NoParams(c)) c.Reply(std::to_string(errors_.size()));
    return true;
  });
  auto clearErrors = [this](Call& c) {
    if (NoParams(c)) errors_.clear();
    return true;
  };
  AddCommand(":SYSTem:ERRor:CLEar", clearErrors);
  AddCommand(":SYSTem:CLEar", clearErrors);
  AddCommand(":STATus:QUEue:CLEar", clearErrors);
  AddCommand(":STATus:PRESet", [](Call& c) {
    NoParams(c);
    return true;
  });
  AddCommand(":SYSTem:PRESet", [this](Call& c) {
    if (NoParams(c)) Reset();
    return true;
  });
  AddCommand(":SYSTem:VERSion", nullptr, [](Call& c) {
    if (NoParams(c)) c.Reply("1996.0");
    return true;
  });
  for (const char* mode : {":SYSTem:LOCal", ":SYSTem:REMote", ":SYSTem:RWLock"})
    AddCommand(mode, [](Call& c) {
      NoParams(c);
      return true;
    });
  AddBool(":SYSTem:BEEPer[:STATe]", true);
  AddBool(":DISPlay[:WINDow]:ENABle", true);
}

// --- commands and settings ---------------------------------------------------------------

void ScpiInstrument::AddCommand(std::string_view pattern, Handler set, Handler query) {
  commands_.push_back(Entry{scpi::Pattern(pattern), std::move(set), std::move(query)});
}

ScpiInstrument::Setting& ScpiInstrument::AddNumber(const std::string& pattern, double def,
                                                   double min, double max) {
  Setting& s = settings_[pattern];
  s.Kind = SettingKind::Number;
  s.Default = s.Value = def;
  s.Min = min;
  s.Max = max;
  AddSettingCommands(pattern);
  return s;
}

ScpiInstrument::Setting& ScpiInstrument::AddInteger(const std::string& pattern, int def, int min,
                                                    int max) {
  Setting& s = AddNumber(pattern, def, min, max);
  s.Kind = SettingKind::Integer;
  return s;
}

ScpiInstrument::Setting& ScpiInstrument::AddBool(const std::string& pattern, bool def) {
  Setting& s = AddNumber(pattern, def ? 1 : 0, 0, 1);
  s.Kind = SettingKind::Bool;
  return s;
}

ScpiInstrument::Setting& ScpiInstrument::AddChoice(const std::string& pattern,
                                                   std::vector<std::string> choices, int def) {
  Setting& s = AddNumber(pattern, def, 0, static_cast<double>(choices.size()) - 1);
  s.Kind = SettingKind::Choice;
  s.Choices = std::move(choices);
  return s;
}

void ScpiInstrument::AddSettingCommands(const std::string& pattern) {
  AddCommand(
      pattern, [this, pattern](Call& c) { return SetSetting(settings_[pattern], pattern, c); },
      [this, pattern](Call& c) { return QuerySetting(settings_[pattern], c); });
}

double ScpiInstrument::Get(const std::string& pattern) const {
  auto it = settings_.find(pattern);
  return it == settings_.end() ? 0 : it->second.Value;
}

std::string ScpiInstrument::GetChoice(const std::string& pattern) const {
  auto it = settings_.find(pattern);
  if (it == settings_.end() || it->second.Choices.empty()) return {};
  size_t i = static_cast<size_t>(it->second.Value);
  return scpi::ShortForm(it->second.Choices[std::min(i, it->second.Choices.size() - 1)]);
}

void ScpiInstrument::Set(const std::string& pattern, double value) {
  auto it = settings_.find(pattern);
  if (it != settings_.end()) it->second.Value = value;
}

void ScpiInstrument::SetChoice(const std::string& pattern, const std::string& word) {
  auto it = settings_.find(pattern);
  if (it == settings_.end()) return;
  for (size_t i = 0; i < it->second.Choices.size(); ++i)
    if (scpi::MnemonicMatches(it->second.Choices[i], word))
      it->second.Value = static_cast<double>(i);
}

bool ScpiInstrument::ParseBool(const Param& p, bool& v) {
  if (p.Kind == ParamKind::Numeric) {
    v = std::lround(p.Number) != 0;
    return true;
  }
  if (p.Kind == ParamKind::Character && (p.Text == "ON" || p.Text == "OFF")) {
    v = p.Text == "ON";
    return true;
  }
  return false;
}

bool ScpiInstrument::SetSetting(Setting& s, const std::string& pattern, Call& c) {
  const auto& params = c.Params();
  if (params.empty()) {
    c.Error(err::MissingParameter);
    return true;
  }
  const Param& p = params[0];
  double v = 0;
  switch (s.Kind) {
    case SettingKind::Bool: {
      bool b = false;
      if (!ParseBool(p, b)) return false;
      v = b ? 1 : 0;
      break;
    }
    case SettingKind::Choice: {
      if (p.Kind != ParamKind::Character) return false;
      size_t i = 0;
      while (i < s.Choices.size() && !scpi::MnemonicMatches(s.Choices[i], p.Text)) ++i;
      if (i == s.Choices.size()) {
        c.Error(err::IllegalParameterValue);
        return true;
      }
      v = static_cast<double>(i);
      break;
    }
    case SettingKind::Number:
    case SettingKind::Integer:
      if (p.Kind == ParamKind::Numeric) {
        v = p.Number;
      } else if (IsCharacter(p, {"MINimum"})) {
        v = s.Min;
      } else if (IsCharacter(p, {"MAXimum"})) {
        v = s.Max;
      } else if (IsCharacter(p, {"DEFault"})) {
        v = s.Default;
      } else {
        return false;
      }
      if (s.Kind == SettingKind::Integer) v = std::round(v);
      if (!(v >= s.Min && v <= s.Max)) {
        c.Error(err::DataOutOfRange);
        return true;
      }
      if (s.Normalise) v = s.Normalise(v);
      break;
  }
  if (params.size() > 1) {
    c.Error(err::ParameterNotAllowed);
    return true;
  }
  s.Value = v;
  SettingChanged(pattern);
  return true;
}

std::string ScpiInstrument::FormatSetting(const Setting& s, double v) {
  switch (s.Kind) {
    case SettingKind::Bool:
      return v != 0 ? "1" : "0";
    case SettingKind::Integer:
      return std::to_string(std::lround(v));
    case SettingKind::Choice:
      return scpi::ShortForm(s.Choices[std::min(static_cast<size_t>(v), s.Choices.size() - 1)]);
    case SettingKind::Number:
      break;
  }
  return scpi::FormatExponent(v, s.Decimals);
}

bool ScpiInstrument::QuerySetting(const Setting& s, Call& c) {
  const auto& params = c.Params();
  if (params.empty()) {
    c.Reply(FormatSetting(s, s.Value));
    return true;
  }
  bool numeric = s.Kind == SettingKind::Number || s.Kind == SettingKind::Integer;
  if (params.size() == 1 && numeric) {
    const Param& p = params[0];
    if (IsCharacter(p, {"MINimum"})) {
      c.Reply(FormatSetting(s, s.Min));
      return true;
    }
    if (IsCharacter(p, {"MAXimum"})) {
      c.Reply(FormatSetting(s, s.Max));
      return true;
    }
    if (IsCharacter(p, {"DEFault"})) {
      c.Reply(FormatSetting(s, s.Default));
      return true;
    }
  }
  c.Error(err::ParameterNotAllowed);
  return true;
}

void ScpiInstrument::Reset() {
  for (auto& [name, s] : settings_) s.Value = s.Default;
}

bool ScpiInstrument::NoParams(Call& c) {
  if (c.Params().empty()) return true;
  c.Error(err::ParameterNotAllowed);
  return false;
}

double ScpiInstrument::MeasurementMs(double nominalMs) const {
  double speed = context_.SpeedFactor > 0 ? context_.SpeedFactor : 1;
  double ms = nominalMs / speed;
  if (FaultOn(Fault::SlowMeasurement)) ms += context_.SlowMeasurementMs;
  return ms;
}

double ScpiInstrument::SecondsSincePowerOn(TimePoint now) const {
  return std::chrono::duration<double>(now - context_.PowerOn).count();
}

// --- status ---------------------------------------------------------------------------------

std::uint8_t ScpiInstrument::StatusByte() const {
  std::uint8_t b = 0;
  if (!errors_.empty()) b |= kEav;
  if (!output_.empty()) b |= kMav;
  if (esr_ & ese_) b |= kEsb;
  return b;
}

void ScpiInstrument::PushError(int code) {
  if (code == 0) return;
  if (code <= -100 && code > -200)
    esr_ |= 32;  // command error
  else if (code <= -200 && code > -300)
    esr_ |= 16;  // execution error
  else if (code <= -400 && code > -500)
    esr_ |= 4;  // query error
  else
    esr_ |= 8;  // device-dependent error
  if (errors_.size() >= kErrorQueueSize) {
    errors_.back() = err::QueueOverflow;
  } else {
    errors_.push_back(code);
  }
  UpdateServiceRequest();
}

void ScpiInstrument::UpdateServiceRequest() {
  bool condition = (StatusByte() & sre_ & ~kMss) != 0;
  if (condition && !serviceCondition_) rqs_ = true;
  if (!condition) rqs_ = false;
  serviceCondition_ = condition;
}

std::uint8_t ScpiInstrument::SerialPoll() {
  UpdateServiceRequest();
  std::uint8_t b = StatusByte();
  if (rqs_) b |= kMss;
  rqs_ = false;
  return b;
}

// --- bus side -------------------------------------------------------------------------------

bool ScpiInstrument::Busy() const {
  return current_.has_value() || !input_.empty() || busyUntil_.has_value();
}

void ScpiInstrument::Listen(std::string_view bytes, bool eoi, int eos, TimePoint now) {
  if (requiredEos_ >= 0 && eos != requiredEos_) {
    unrecognised_ = true;  // not taken for a message at all
    return;
  }
  partial_.append(bytes);
  // Each message runs as soon as it is complete, before the next one comes in.
  size_t lf;
  while ((lf = partial_.find('\n')) != std::string::npos) {
    EnqueueMessage(partial_.substr(0, lf));
    partial_.erase(0, lf + 1);
    Process(now);
  }
  if (eoi && !partial_.empty()) {
    EnqueueMessage(std::move(partial_));
    partial_.clear();
  }
  Process(now);
}

void ScpiInstrument::EnqueueMessage(std::string message) {
  bool blank = message.find_first_not_of(" \t\r\n") == std::string::npos;
  if (blank) return;
  unrecognised_ = false;
  if (!output_.empty()) {
    // A new message while a reply is unread discards the reply.
    output_.clear();
    PushError(err::QueryInterrupted);
  }
  input_.push_back(std::move(message));
}

std::string ScpiInstrument::Talk(int untilChar, bool* eoi) {
  if (eoi) *eoi = false;
  if (output_.empty()) return {};
  std::string& front = output_.front();
  std::string out;
  size_t pos = untilChar >= 0 ? front.find(static_cast<char>(untilChar)) : std::string::npos;
  if (pos != std::string::npos && pos + 1 < front.size()) {
    out = front.substr(0, pos + 1);
    front.erase(0, pos + 1);
  } else {
    out = std::move(front);
    output_.pop_front();
    if (eoi) *eoi = true;
  }
  UpdateServiceRequest();
  return out;
}

void ScpiInstrument::TalkedWithoutOutput() {
  // After input it could not take for messages the instrument does not know a query was meant.
  if (!unrecognised_) PushError(err::QueryUnterminated);
}

void ScpiInstrument::DeviceClear() {
  partial_.clear();
  input_.clear();
  current_.reset();
  output_.clear();
  busyUntil_.reset();
  deferred_ = nullptr;
  UpdateServiceRequest();
}

void ScpiInstrument::Trigger(TimePoint /*now*/) {}

// --- execution ------------------------------------------------------------------------------

void ScpiInstrument::Process(TimePoint now) {
  for (;;) {
    if (busyUntil_) {
      if (now < *busyUntil_) return;
      busyUntil_.reset();
      auto reply = std::move(deferred_);
      deferred_ = nullptr;
      if (reply && current_) {
        std::string text = reply(now);
        if (!text.empty()) current_->Replies.push_back(std::move(text));
      }
      AfterCommand();
    }
    if (!current_) {
      if (input_.empty()) break;
      current_.emplace();
      current_->Units = scpi::SplitUnits(input_.front());
      input_.pop_front();
    }
    if (current_->Next >= current_->Units.size()) {
      if (!current_->Replies.empty()) {
        std::string reply;
        for (const std::string& r : current_->Replies) reply += (reply.empty() ? "" : ";") + r;
        output_.push_back(reply + "\n");
      }
      current_.reset();
      UpdateServiceRequest();
      continue;
    }
    std::string text = current_->Units[current_->Next++];
    Execute(text, now);
    UpdateServiceRequest();
    if (!busyUntil_) AfterCommand();
  }
  UpdateServiceRequest();
}

void ScpiInstrument::Execute(const std::string& text, TimePoint now) {
  scpi::Unit unit;
  int error = scpi::ParseUnit(text, unit);
  if (error == 0) {
    if (unit.Common) {
      Dispatch(unit, unit.Nodes, now, error);
    } else {
      std::vector<std::string> nodes = unit.Nodes;
      bool found = false;
      if (!unit.Absolute && !current_->Path.empty()) {
        std::vector<std::string> full = current_->Path;
        full.insert(full.end(), unit.Nodes.begin(), unit.Nodes.end());
        int relativeError = 0;
        found = Dispatch(unit, full, now, relativeError);
        if (found) {
          nodes = full;
          error = relativeError;
        }
      }
      if (!found) Dispatch(unit, nodes, now, error);
      if (current_) current_->Path.assign(nodes.begin(), nodes.end() - 1);
    }
  }
  if (error != 0) {
    PushError(error);
    // A command error ends the message; its remaining units are not run.
    if (current_) current_->Next = current_->Units.size();
  }
}

// Runs the first matching entry that takes the parameters. Returns whether the header matched;
// error is the command error to report, if any.
bool ScpiInstrument::Dispatch(const scpi::Unit& unit, const std::vector<std::string>& nodes,
                              TimePoint now, int& error) {
  bool headerMatched = false, formMatched = false;
  for (const Entry& e : commands_) {
    if (!e.Header.Matches(nodes)) continue;
    headerMatched = true;
    const Handler& h = unit.Query ? e.Query : e.Set;
    if (!h) continue;
    formMatched = true;
    Call call(*this, unit, now);
    if (h(call)) {
      error = 0;
      return true;
    }
  }
  if (!headerMatched || !formMatched)
    error = err::UndefinedHeader;
  else
    error = err::DataTypeError;
  return headerMatched && formMatched;
}

}  // namespace sim
