#include "app/CycleScheduler.h"

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string AbandonedText(int32_t cycle, int64_t boundMs) {
  return "Cycle " + std::to_string(cycle) + " abandoned: no results after " +
         FloatToStr(static_cast<double>(boundMs) / 1000) + " s.";
}

std::string AwaitAbandonedText(int32_t cycle) {
  return "Cycle " + std::to_string(cycle) +
         " was abandoned but still runs; the next cycle starts when it has ended.";
}

TTickDecision TCycleScheduler::Tick(const TTickInput& in) {
  TTickDecision d;
  if (in.ThreadRunning) {
    if (in.AbandonAfterMs > 0 && in.CycleElapsedMs > in.AbandonAfterMs) {
      d.Action = TTickAction::AbandonCycle;
      d.LogLines = {"", AbandonedText(in.RunningCycle, in.AbandonAfterMs)};
      return d;
    }
    d.Action = TTickAction::ShowProgress;
    if (EndsWith(in.LastLogLine, "..."))
      d.AppendDot = true;
    else
      d.LogLines = {"", kCommunicatingText};
    return d;
  }
  if (in.DataTreated && in.Now < in.LastCycleReadTime + in.LoopDelaySeconds / 86400) {
    d.Action = TTickAction::ShowDelay;
    if (in.LastLogLine.compare(0, 30, "Delay due sampling speed limit") == 0)
      d.AppendDot = true;
    else
      d.LogLines = {kDelayText};
    return d;
  }
  if (!in.DataTreated) {
    d.Action = TTickAction::PresentResults;
    return d;
  }
  if (in.AbandonedCycle != 0) {
    d.Action = TTickAction::AwaitAbandoned;
    if (fWaitAnnounced != in.AbandonedCycle) {
      fWaitAnnounced = in.AbandonedCycle;
      d.LogLines = {AwaitAbandonedText(in.AbandonedCycle)};
    }
    return d;
  }
  d.Action = TTickAction::StartCycle;
  return d;
}
