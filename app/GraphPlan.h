// What the "Graph setting" page asks of the graphs, decided without touching them: the time
// axis of each graph (date-time or seconds, moving window or automatic range), the regression
// window and the rate-of-change caption. TFormZenkar2::GraphProperties applies the plan.
#pragma once

#include <string>

// One graph's time-axis choices on the page.
struct TTimeAxisChoice {
  bool Seconds = false;   // "Elapsed time (Seconds)" selected, else "Time (Date and time)"
  bool OnlyLast = false;  // "Only last"
  int Minutes = 1;        // its N, any value (the edit has no limits)
};

// The data history the "Only last" test looks at.
struct THistory {
  int Rows = 0;          // rows in the vectors
  double FirstTime = 0;  // element 0 of the time vector (date-time), when Rows > 0
  double Now = 0;        // date-time
};

struct TTimeAxisPlan {
  bool DateTime = true;
  // W: the window width in the axis's units (days in date-time mode, seconds otherwise).
  double Width = 1.0;
  // The moving window applies; false: automatic range at both ends.
  bool MovingWindow = false;
};

TTimeAxisPlan PlanTimeAxis(const TTimeAxisChoice& Choice, const THistory& History);

// R: the regression window (days in date-time mode, seconds otherwise) of M minutes.
double RegressionWindow(bool Seconds, int Minutes);

// The regression's slope (A per day, or A per second) as mA per minute.
double RateMilliAmpsPerMinute(bool Seconds, double Slope);

// "Rate of change, last M minutes: <rate> mA/min", the rate with picture "0.###,###".
std::string RateCaption(int Minutes, double RateMilliAmpsPerMinute);
