#include "app/GraphPlan.h"

#include <cstdint>

#include "platform/FormatSettings.h"

namespace {

constexpr double kMinutesPerDay = 1440;

}  // namespace

TTimeAxisPlan PlanTimeAxis(const TTimeAxisChoice& Choice, const THistory& History) {
  TTimeAxisPlan p;
  p.DateTime = !Choice.Seconds;
  // Whole seconds in 64 bits: no limits on N, so N x 60 must not wrap.
  p.Width = p.DateTime ? Choice.Minutes / kMinutesPerDay : double(int64_t(Choice.Minutes) * 60);
  p.MovingWindow = Choice.OnlyLast;
  // A date-time window longer than the history so far waits: the axis spans all data until then.
  if (p.MovingWindow && p.DateTime &&
      (History.Rows == 0 || History.Now - History.FirstTime < p.Width))
    p.MovingWindow = false;
  return p;
}

double RegressionWindow(bool Seconds, int Minutes) {
  return Seconds ? double(int64_t(Minutes) * 60) : Minutes / kMinutesPerDay;
}

double RateMilliAmpsPerMinute(bool Seconds, double Slope) {
  return Seconds ? Slope * 60 * 1000 : Slope / kMinutesPerDay * 1000;
}

std::string RateCaption(int Minutes, double Rate) {
  return "Rate of change, last " + std::to_string(Minutes) +
         " minutes: " + FormatFloat("0.###,###", Rate) + " mA/min";
}
