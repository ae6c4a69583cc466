// What the simulated GPIB controller sees of an instrument on its bus.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

// A span of the bench's own timing (measurements, line time, the controller's time-outs) in
// real time: the nominal span divided by the process's time scale (platform::TimeScale), which
// a time-scaled simulated run sets for the transport's pauses as well. The cell itself runs in
// real time.
Clock::duration Scaled(Clock::duration nominal);

class GpibInstrument {
 public:
  virtual ~GpibInstrument() = default;

  // Bytes addressed to the instrument as listener; eoi: EOI came with the last byte; eos: the
  // controller's terminator setting the bytes were sent with (0 CR LF, 1 CR, 2 LF, 3 none).
  virtual void Listen(std::string_view bytes, bool eoi, int eos, TimePoint now) = 0;
  // Serial poll: the status byte, with the request-service bit, which the poll clears.
  virtual std::uint8_t SerialPoll() = 0;
  virtual bool RequestingService() const = 0;
  // A reply waits in the output queue.
  virtual bool HasOutput() const = 0;
  // The instrument is still working on received messages (a reply may follow).
  virtual bool Busy() const = 0;
  // Talks: the bytes of the first reply up to and including untilChar (-1: up to the end of
  // the reply); *eoi tells whether the last byte carried EOI.
  virtual std::string Talk(int untilChar, bool* eoi) = 0;
  // Addressed to talk while it had nothing to say and nothing under way.
  virtual void TalkedWithoutOutput() = 0;
  virtual void DeviceClear() = 0;
  virtual void Trigger(TimePoint now) = 0;
  virtual void Tick(TimePoint now) = 0;
  // When Tick has something to do next, if anything.
  virtual std::optional<TimePoint> NextEvent() const = 0;
};

}  // namespace sim
