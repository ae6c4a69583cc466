// Simulated Prologix GPIB-USB controller (firmware 6.107) in controller mode: the host side
// takes lines ended by CR or LF; lines beginning "++" are controller commands, all other lines
// go to the addressed instrument with the ++eos terminator; ESC makes the next byte literal.
// Commands are carried out one after the other; a read or poll that waits holds the rest.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/GpibInstrument.h"
#include "sim/SimTypes.h"

namespace sim {

class PrologixSim {
 public:
  static constexpr const char* kVersion = "Prologix GPIB-USB Controller version 6.107";

  // The instrument listening at a GPIB address, or nullptr when none answers there.
  using Lookup = std::function<GpibInstrument*(int address)>;
  // Bytes for the host.
  using Emit = std::function<void(std::string_view bytes)>;

  PrologixSim(Lookup lookup, Emit emit, const FaultSet* faults);

  // Bytes from the host.
  void Receive(std::string_view bytes, TimePoint now);
  void Tick(TimePoint now);
  std::optional<TimePoint> NextEvent() const;

  struct Config {
    int Address = 0;
    bool Auto = false;
    bool Eoi = true;
    int Eos = 0;
    bool EotEnable = false;
    int EotChar = 0;
    bool ControllerMode = true;
    int ReadTimeoutMs = 500;
    bool ListenOnly = false;
    int Status = 0;
  };
  const Config& Settings() const { return config_; }
  // A read or a serial poll is waiting for its instrument or its time-out.
  bool OperationPending() const { return pending_.has_value(); }

 private:
  struct Line {
    std::string Text;
    bool Command = false;
  };
  enum class ReadMode { Eoi, Char, Timeout };
  struct Pending {
    enum Kind { Read, Poll } Kind = Read;
    ReadMode Mode = ReadMode::Eoi;
    int Char = -1;
    int Address = 0;
    TimePoint Deadline;
    bool GotAny = false;
    bool WasIdle = false;
  };

  void Execute(const Line& line, TimePoint now);
  void Command(const std::string& text, TimePoint now);
  void Forward(const std::string& data, TimePoint now);
  void StartRead(ReadMode mode, int ch, TimePoint now);
  bool AdvancePending(TimePoint now);  // true when the pending operation has finished
  void Reply(const std::string& text);
  void InstrumentReply(std::string bytes, bool eoi);
  void SaveIfEnabled();

  Lookup lookup_;
  Emit emit_;
  const FaultSet* faults_;

  // Line assembly.
  std::string line_;
  std::vector<bool> escaped_;
  bool escapeNext_ = false;
  std::deque<Line> lines_;

  Config config_, saved_;
  bool saveConfig_ = true;
  std::optional<Pending> pending_;
};

}  // namespace sim
