// The decisions of the scheduler's 250 ms tick: what the tick does and which log lines it
// writes. The window gathers the inputs, asks, and carries the decision out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FormatSettings.h"

enum class TTickAction {
  ShowProgress,    // a cycle runs: progress dots
  AbandonCycle,    // the running cycle is past the abandon bound: give up waiting for it
  AwaitAbandoned,  // an abandoned cycle's worker still uses the instruments: start nothing
  ShowDelay,       // the loop delay is not over
  StartCycle,
  PresentResults,  // the last cycle has handed back
};

struct TTickInput {
  bool ThreadRunning = false;  // ThreadData's flags
  bool DataTreated = true;
  TDateTime Now = 0;
  TDateTime LastCycleReadTime = 0;
  double LoopDelaySeconds = 0;
  int64_t CycleElapsedMs = 0;  // since the running cycle started, on a monotonic clock
  int64_t AbandonAfterMs = 0;  // bound of a cycle; 0 or less: never abandoned
  int32_t RunningCycle = 0;    // number of the running cycle
  int32_t AbandonedCycle = 0;  // number of an abandoned cycle whose worker has not ended; 0: none
  std::string LastLogLine;
};

struct TTickDecision {
  TTickAction Action = TTickAction::StartCycle;
  bool AppendDot = false;             // first append "." to the last log line
  std::vector<std::string> LogLines;  // then add these lines
};

inline constexpr const char* kCommunicatingText = "Communicating with instruments...";
inline constexpr const char* kDelayText = "Delay due sampling speed limit...";

class TCycleScheduler {
 public:
  // The wait for an abandoned worker is logged once per abandoned cycle.
  TTickDecision Tick(const TTickInput& in);

 private:
  int32_t fWaitAnnounced = 0;
};

// "Cycle <n> abandoned: no results after <bound> s."
std::string AbandonedText(int32_t cycle, int64_t boundMs);
// "Cycle <n> was abandoned but still runs; the next cycle starts when it has ended."
std::string AwaitAbandonedText(int32_t cycle);
