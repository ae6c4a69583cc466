// Base of the simulated SCPI instruments: input buffer and message execution in order, a
// command table with short/long forms and optional nodes, settings that can be set and
// queried, IEEE 488.2 common commands, error queue and status byte.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/CellModel.h"
#include "sim/GpibInstrument.h"
#include "sim/Scpi.h"
#include "sim/SimTypes.h"

namespace sim {

struct InstrumentContext {
  CellModel* Cell = nullptr;
  const FaultSet* Faults = nullptr;
  double SpeedFactor = 1;
  int SlowMeasurementMs = 3000;
  TimePoint PowerOn = Clock::now();
};

class ScpiInstrument : public GpibInstrument {
 public:
  // Status byte bits.
  static constexpr std::uint8_t kEav = 4, kMav = 16, kEsb = 32, kMss = 64;

  ScpiInstrument(std::string identification, const InstrumentContext& context);

  void Listen(std::string_view bytes, bool eoi, int eos, TimePoint now) override;
  std::uint8_t SerialPoll() override;
  bool RequestingService() const override { return rqs_; }
  bool HasOutput() const override { return !output_.empty(); }
  bool Busy() const override;
  std::string Talk(int untilChar, bool* eoi) override;
  void TalkedWithoutOutput() override;
  void DeviceClear() override;
  void Trigger(TimePoint now) override;
  void Tick(TimePoint now) override { Process(now); }
  std::optional<TimePoint> NextEvent() const override { return busyUntil_; }

  // The ++eos value messages must come with to be recognised; -1 = any.
  void SetRequiredEos(int eos) { requiredEos_ = eos; }
  // Status byte without the request-service bit.
  std::uint8_t StatusByte() const;
  void PushError(int code);
  size_t ErrorCount() const { return errors_.size(); }

 protected:
  class Call {
   public:
    Call(ScpiInstrument& instrument, const scpi::Unit& unit, TimePoint now)
        : Unit(unit), Now(now), instrument_(instrument) {}
    const scpi::Unit& Unit;
    const TimePoint Now;
    const std::vector<scpi::Param>& Params() const { return Unit.Params; }
    void Reply(std::string text);
    void Error(int code) { instrument_.PushError(code); }
    // The instrument stays busy for ms; then reply(now) gives the reply text (empty: none),
    // and the rest of the message runs.
    void Defer(double ms, std::function<std::string(TimePoint)> reply);

   private:
    ScpiInstrument& instrument_;
  };
  // false: the entry does not take these parameters, the next matching one is tried.
  using Handler = std::function<bool(Call&)>;
  void AddCommand(std::string_view pattern, Handler set, Handler query = nullptr);

  enum class SettingKind { Number, Integer, Bool, Choice };
  struct Setting {
    SettingKind Kind = SettingKind::Number;
    double Default = 0, Min = 0, Max = 0, Value = 0;
    std::vector<std::string> Choices;  // mnemonics, e.g. "FIXed"
    int Decimals = 6;
    std::function<double(double)> Normalise;  // e.g. to the instrument's real range
  };
  // A setting is named by its header pattern; set and query commands come with it.
  Setting& AddNumber(const std::string& pattern, double def, double min, double max);
  Setting& AddInteger(const std::string& pattern, int def, int min, int max);
  Setting& AddBool(const std::string& pattern, bool def);
  Setting& AddChoice(const std::string& pattern, std::vector<std::string> choices, int def);
  double Get(const std::string& pattern) const;
  bool GetBool(const std::string& pattern) const { return Get(pattern) != 0; }
  std::string GetChoice(const std::string& pattern) const;  // short form, e.g. "FIX"
  void Set(const std::string& pattern, double value);
  void SetChoice(const std::string& pattern, const std::string& word);

  // *RST: settings to their defaults; instruments extend it.
  virtual void Reset();
  // Called after a setting changed through a command.
  virtual void SettingChanged(const std::string& /*pattern*/) {}
  // Called after each executed command.
  virtual void AfterCommand() {}
  virtual std::string Options() const { return "0"; }

  // A measurement's duration: nominal ms divided by the speed factor, plus the slow fault.
  double MeasurementMs(double nominalMs) const;
  bool FaultOn(Fault f) const { return context_.Faults && context_.Faults->On(f); }
  CellModel& Cell() const { return *context_.Cell; }
  double SecondsSincePowerOn(TimePoint now) const;

  // Parameter helpers for handlers: each reports the error itself and returns false.
  static bool NoParams(Call& c);
  static bool ParseBool(const scpi::Param& p, bool& v);

 private:
  struct Entry {
    scpi::Pattern Header;
    Handler Set, Query;
  };
  struct Message {
    std::vector<std::string> Units;
    size_t Next = 0;
    std::vector<std::string> Replies;
    std::vector<std::string> Path;
  };
  void AddSettingCommands(const std::string& pattern);
  bool SetSetting(Setting& s, const std::string& pattern, Call& c);
  bool QuerySetting(const Setting& s, Call& c);
  static std::string FormatSetting(const Setting& s, double v);
  void EnqueueMessage(std::string message);
  void Process(TimePoint now);
  void Execute(const std::string& text, TimePoint now);
  bool Dispatch(const scpi::Unit& unit, const std::vector<std::string>& nodes, TimePoint now,
                int& error);
  void UpdateServiceRequest();

  std::string identification_;
  InstrumentContext context_;
  std::vector<Entry> commands_;
  std::map<std::string, Setting> settings_;
  std::map<int, std::map<std::string, double>> saved_;  // *SAV / *RCL

  int requiredEos_ = -1;
  bool unrecognised_ = false;  // input came with the wrong terminator since the last message
  std::string partial_;
  std::deque<std::string> input_;
  std::optional<Message> current_;
  std::deque<std::string> output_;
  std::optional<TimePoint> busyUntil_;
  std::function<std::string(TimePoint)> deferred_;

  std::deque<int> errors_;
  std::uint8_t esr_ = 128;  // power on
  std::uint8_t ese_ = 0, sre_ = 0;
  bool serviceCondition_ = false, rqs_ = false;
};

}  // namespace sim
