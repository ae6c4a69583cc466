#include "sim/PrologixSim.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "platform/AsciiCase.h"

namespace sim {

namespace {

constexpr char kEsc = 27;
constexpr size_t kLongReplyBytes = 120;

const char* const kHelp[] = {
    "++addr [<PAD> [<SAD>]] -- set or query GPIB address",
    "++auto [0|1] -- read-after-write off or on",
    "++clr -- selected device clear",
    "++eoi [0|1] -- assert EOI with the last byte sent",
    "++eos [0|1|2|3] -- terminator appended: CR+LF, CR, LF, none",
    "++eot_enable [0|1] -- append ++eot_char when EOI is detected",
    "++eot_char [<char>] -- character appended when EOI is detected",
    "++ifc -- interface clear",
    "++llo -- local lockout",
    "++loc -- go to local",
    "++lon [0|1] -- listen only (device mode)",
    "++mode [0|1] -- device or controller mode",
    "++read [eoi|<char>] -- read until timeout, EOI or <char>",
    "++read_tmo_ms <time> -- read timeout, 1 to 3000 ms",
    "++rst -- reset controller",
    "++savecfg [0|1] -- save configuration",
    "++spoll [<PAD> [<SAD>]] -- serial poll",
    "++srq -- SRQ line state",
    "++status [<byte>] -- status byte (device mode)",
    "++trg [<PAD1> ... <PAD15>] -- group execute trigger",
    "++ver -- version string",
    "++help -- this list",
};

bool ToInt(const std::string& s, int& v) {
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && ec == std::errc() && ptr == s.data() + s.size();
}

std::vector<std::string> Tokens(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> out;
  std::string t;
  while (in >> t) out.push_back(t);
  return out;
}

std::string Lower(const std::string& s) {
  return AsciiLowerCase(s);
}

}  // namespace

PrologixSim::PrologixSim(Lookup lookup, Emit emit, const FaultSet* faults)
    : lookup_(std::move(lookup)), emit_(std::move(emit)), faults_(faults) {
  saved_ = config_;
}

void PrologixSim::Receive(std::string_view bytes, TimePoint now) {
  if (faults_ && faults_->On(Fault::ControllerSilent)) return;
  for (char c : bytes) {
    if (escapeNext_) {
      line_ += c;
      escaped_.push_back(true);
      escapeNext_ = false;
    } else if (c == kEsc) {
      escapeNext_ = true;
    } else if (c == '\r' || c == '\n') {
      if (!line_.empty()) {
        Line l;
        l.Command =
            line_.size() >= 2 && line_[0] == '+' && line_[1] == '+' && !escaped_[0] && !escaped_[1];
        l.Text = l.Command ? line_.substr(2) : line_;
        lines_.push_back(std::move(l));
      }
      line_.clear();
      escaped_.clear();
    } else {
      line_ += c;
      escaped_.push_back(false);
    }
  }
  Tick(now);
}

void PrologixSim::Tick(TimePoint now) {
  for (;;) {
    if (pending_) {
      if (!AdvancePending(now)) return;
      pending_.reset();
    }
    if (lines_.empty()) return;
    Line l = std::move(lines_.front());
    lines_.pop_front();
    if (faults_ && faults_->On(Fault::ControllerSilent)) continue;
    if (l.Command)
      Command(l.Text, now);
    else
      Forward(l.Text, now);
  }
}

std::optional<TimePoint> PrologixSim::NextEvent() const {
  if (pending_) return pending_->Deadline;
  return std::nullopt;
}

void PrologixSim::Reply(const std::string& text) {
  if (faults_ && faults_->On(Fault::ControllerSilent)) return;
  emit_(text + "\r\n");
}

void PrologixSim::InstrumentReply(std::string bytes, bool eoi) {
  if (faults_ && faults_->On(Fault::ControllerSilent)) return;
  if (eoi && faults_) {
    if (faults_->On(Fault::LongReply) && bytes.size() < kLongReplyBytes) {
      size_t at = !bytes.empty() && bytes.back() == '\n' ? bytes.size() - 1 : bytes.size();
      bytes.insert(at, kLongReplyBytes - bytes.size(), ' ');
    }
    if (faults_->On(Fault::NulBytesInReply)) {
      size_t at = std::min<size_t>(4, bytes.empty() ? 0 : bytes.size() - 1);
      bytes.insert(at, std::string(2, '\0'));
    }
  }
  emit_(bytes);
  if (eoi && config_.EotEnable) emit_(std::string(1, static_cast<char>(config_.EotChar)));
}

void PrologixSim::SaveIfEnabled() {
  if (saveConfig_) saved_ = config_;
}

void PrologixSim::Forward(const std::string& data, TimePoint now) {
  if (!config_.ControllerMode) return;  // no controller on the bus to hand it to
  static const char* const kTerminators[] = {"\r\n", "\r", "\n", ""};
  GpibInstrument* inst = lookup_(config_.Address);
  if (inst) inst->Listen(data + kTerminators[config_.Eos], config_.Eoi, config_.Eos, now);
  if (config_.Auto) StartRead(ReadMode::Eoi, -1, now);
}

void PrologixSim::StartRead(ReadMode mode, int ch, TimePoint now) {
  Pending p;
  p.Kind = Pending::Read;
  p.Mode = mode;
  p.Char = ch;
  p.Address = config_.Address;
  p.Deadline = now + Scaled(std::chrono::milliseconds(config_.ReadTimeoutMs));
  GpibInstrument* inst = lookup_(p.Address);
  p.WasIdle = inst && !inst->HasOutput() && !inst->Busy();
  pending_ = p;
}

bool PrologixSim::AdvancePending(TimePoint now) {
  Pending& p = *pending_;
  if (p.Kind == Pending::Poll) return now >= p.Deadline;
  GpibInstrument* inst = lookup_(p.Address);
  while (inst && inst->HasOutput()) {
    bool eoi = false;
    std::string bytes = inst->Talk(p.Mode == ReadMode::Char ? p.Char : -1, &eoi);
    p.GotAny = true;
    p.Deadline = now + Scaled(std::chrono::milliseconds(config_.ReadTimeoutMs));
    bool sawChar = p.Mode == ReadMode::Char && !bytes.empty() &&
                   static_cast<unsigned char>(bytes.back()) == static_cast<unsigned>(p.Char);
    InstrumentReply(std::move(bytes), eoi);
    if (p.Mode == ReadMode::Eoi && eoi) return true;
    if (p.Mode == ReadMode::Char && (eoi || sawChar)) return true;
  }
  if (now < p.Deadline) return false;
  if (!p.GotAny && p.WasIdle && inst) inst->TalkedWithoutOutput();
  return true;
}

void PrologixSim::Command(const std::string& text, TimePoint now) {
  std::vector<std::string> args = Tokens(text);
  if (args.empty()) {
    Reply("Unrecognized command");
    return;
  }
  std::string name = Lower(args.front());
  args.erase(args.begin());
  int v = 0;
  bool hasValue = !args.empty() && ToInt(args[0], v);
  const bool controller = config_.ControllerMode;

  // Settings that are queried without an argument and set with one.
  auto flag = [&](bool& field) {
    if (args.empty()) {
      Reply(field ? "1" : "0");
    } else if (hasValue && (v == 0 || v == 1)) {
      field = v == 1;
      SaveIfEnabled();
    }
  };
  auto number = [&](int& field, int min, int max) {
    if (args.empty()) {
      Reply(std::to_string(field));
    } else if (hasValue && v >= min && v <= max) {
      field = v;
      SaveIfEnabled();
    }
  };

  if (name == "addr") {
    number(config_.Address, 0, 30);
  } else if (name == "auto") {
    if (controller) flag(config_.Auto);
  } else if (name == "clr") {
    if (GpibInstrument* inst = controller ? lookup_(config_.Address) : nullptr) inst->DeviceClear();
  } else if (name == "eoi") {
    flag(config_.Eoi);
  } else if (name == "eos") {
    number(config_.Eos, 0, 3);
  } else if (name == "eot_enable") {
    flag(config_.EotEnable);
  } else if (name == "eot_char") {
    number(config_.EotChar, 0, 255);
  } else if (name == "ifc" || name == "llo" || name == "loc") {
    // Bus management lines: nothing the simulated instruments show.
  } else if (name == "lon") {
    if (!controller) flag(config_.ListenOnly);
  } else if (name == "mode") {
    flag(config_.ControllerMode);
  } else if (name == "read") {
    if (!controller) return;
    if (args.empty())
      StartRead(ReadMode::Timeout, -1, now);
    else if (Lower(args[0]) == "eoi")
      StartRead(ReadMode::Eoi, -1, now);
    else if (hasValue && v >= 0 && v <= 255)
      StartRead(ReadMode::Char, v, now);
  } else if (name == "read_tmo_ms") {
    number(config_.ReadTimeoutMs, 1, 3000);
  } else if (name == "rst") {
    config_ = saved_;
    pending_.reset();
  } else if (name == "savecfg") {
    if (args.empty()) {
      Reply(saveConfig_ ? "1" : "0");
    } else if (hasValue && (v == 0 || v == 1)) {
      saveConfig_ = v == 1;
      SaveIfEnabled();
    }
  } else if (name == "spoll") {
    if (!controller) return;
    int address = config_.Address;
    if (!args.empty()) {
      if (!hasValue || v < 0 || v > 30) return;
      address = v;
    }
    if (GpibInstrument* inst = lookup_(address)) {
      if (faults_ && faults_->On(Fault::NonNumericPoll))
        Reply("ERR");
      else
        Reply(std::to_string(inst->SerialPoll()));
    } else {
      // Nobody answers the poll: the controller gives up after its read time-out, silently.
      Pending p;
      p.Kind = Pending::Poll;
      p.Deadline = now + Scaled(std::chrono::milliseconds(config_.ReadTimeoutMs));
      pending_ = p;
    }
  } else if (name == "srq") {
    if (!controller) return;
    bool srq = false;
    for (int a = 0; a <= 30; ++a)
      if (GpibInstrument* inst = lookup_(a)) srq = srq || inst->RequestingService();
    Reply(srq ? "1" : "0");
  } else if (name == "status") {
    number(config_.Status, 0, 255);
  } else if (name == "trg") {
    if (!controller) return;
    std::vector<int> addresses;
    for (const std::string& a : args) {
      int n = 0;
      if (ToInt(a, n) && n >= 0 && n <= 30) addresses.push_back(n);
    }
    if (args.empty()) addresses.push_back(config_.Address);
    for (int a : addresses)
      if (GpibInstrument* inst = lookup_(a)) inst->Trigger(now);
  } else if (name == "ver") {
    Reply(kVersion);
  } else if (name == "help") {
    for (const char* line : kHelp) Reply(line);
  } else {
    Reply("Unrecognized command");
  }
}

}  // namespace sim
