// The computing part of the axes as pure functions: powers of ten and grid rounding, the
// moving window, the number-label digits and text, the tick partition and tick positions for
// ordinary scaling, and the calendar side of date-time axes (row choice, rounding, ticks).
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <vector>

inline constexpr double RtMaxDouble = 1.7976931348623157e308;
// Date-time range of the axes: years 100 to 9999.
inline constexpr double RtMinDateTime = -657434.0;
inline constexpr double RtMaxDateTime = 2958465.99999;

// Exponent of x in scientific notation with 7 significant digits (0.0123 -> -2, 250 -> 2,
// 9.9999999 -> 1, 0 -> 0); 0 for values that cannot be formatted.
int RtDecimalExponent(double x);
// 10^e; the largest double instead of an overflow.
double RtPow10(int e);
// part * round-half-even(v / 10^e / part +- 0.499999) * 10^e; v when part is 0.
double RtRoundUpToGrid(int e, double part, double v);
double RtRoundDownToGrid(int e, double part, double v);
// Mantissa digits of |x| at 16 significant digits without trailing zeros (0.2 -> 1, 2.5 -> 2).
int RtSignificantDigits(double x);

// a - b for date-time values, also before 30 Dec 1899 (whose fraction counts forward). Two
// values from 30 Dec 1899 on are plain numbers of days (and their difference is exact when they
// lie within a factor of two); only earlier values need the split into day and time.
inline double RtDaySpan(double a, double b) {
  if (a >= 0 && b >= 0) return a - b;
  double ia, ib;
  const double fa = std::modf(std::abs(a), &ia);
  const double fb = std::modf(std::abs(b), &ib);
  return (fa - fb) + (std::trunc(a) - std::trunc(b));
}
// Date-time value as a continuous day count and back.
double RtDateTimeToLinear(double x);
double RtLinearToDateTime(double t);
// x plus Ms milliseconds as a time span.
double RtDateTimeAddMs(double x, double Ms);

// Moving window: the smallest t = InitialStart + W + k * Inc (k >= 0) with t >= ValuesStop;
// Hi = t, Lo = t - W when that lies above ValuesStart, else InitialStart. W and Inc > 0.
void RtMovingWindow(double InitialStart, double W, double Inc, double ValuesStart,
                    double ValuesStop, double& Lo, double& Hi);

// ---- number labels

struct TRtNumberFormat {
  int MaxExponent = 0;
  int DisplayDigits = 0;
  bool AdditionalExponent = false;
};
// Digits of the labels for the range start .. stop with labels LabelPart * 10^RangeExponent apart.
TRtNumberFormat RtCalculateDisplayDigits(double Start, double Stop, int RangeExponent,
                                         double LabelPart, int ExtraDigits,
                                         double MaxForExtraExponent, double MinForExtraExponent);
// Fixed-point text of x (divided by 10^MaxExponent with the common exponent), in the locale's
// decimal separator, no grouping.
std::string RtFormatNumberLabel(const TRtNumberFormat& F, double x);

// ---- tick partition and ticks of ordinary scaling

struct TRtTickParts {
  double LabelPart = 1, MajorTickPart = 0.5, TickPart = 0.1;
  int RangeExponent = 0;
};
// Automatic spacing: candidate label steps 10, 5, 2, 1, 0.5, ... (times 10^RangeExponent, from
// LabelParts/MajorParts/MinorParts) from coarse to fine; the first whose labels, each
// LabelWidth(candidate label part) wide with a 70-pixel gap, fill at least Length is taken.
TRtTickParts RtCalculateTickParts(
    double Start, double Stop, float Length, float LabelDistanceFactor, const double LabelParts[3],
    const double MajorParts[3], const double MinorParts[3],
    const std::function<float(int RangeExponent, double LabelPart)>& LabelWidth);

struct TRtTick {
  double Value = 0;
  bool Major = false;
  bool Label = false;
};
// Ticks from First to Last (both on the grid) for an axis starting at Start.
std::vector<TRtTick> RtNormalTicks(double First, double Last, double Start, int RangeExponent,
                                   double TickPart, double MajorTickPart, double LabelPart,
                                   bool NumbersVisible);

// ---- date-time axes

enum class TRtDtRegion { Year, Month, Day, Hour, Minute, Second, MilliSecond };

struct TRtDtParameters {
  TRtDtRegion MajorRgn = TRtDtRegion::MilliSecond;
  TRtDtRegion MinorRgn = TRtDtRegion::MilliSecond;
  int Increment = 1, MajorMod = 5, LabelMod = 5;
  std::string Format;
  int Row = 1;  // row of the choice table, 1 .. 43
};

struct TRtDtFormats {
  std::string ShortMonth = "MMM yy", LongMonth = "MMMM yyyy";
  std::string Day, DayAndHour, Minute, Second, MilliSecond;
  // Derived from the locale's short date, short time and long time patterns and separator.
  static TRtDtFormats FromLocale();
};

// Text of a date-time label; a format with "fff" gets the milliseconds in three digits there.
std::string RtFormatDateTimeLabel(const std::string& Format, double x);
// Chooses calendar unit, tick and label spacing for start .. stop on an axis Length pixels long.
// Extent(text, value) is the label width estimate along the axis.
TRtDtParameters RtCalculateDtParameters(
    double Start, double Stop, float Length, float LabelDistanceFactor, const TRtDtFormats& F,
    const std::function<float(const std::string& Text, double Value)>& Extent);
// Calendar rounding of x to the minor (or major) step, up or down.
double RtRoundDateTime(bool Up, bool Major, double x, const TRtDtParameters& P);
// Ticks from the first minor step at or after Start while t <= Stop + OnePixel.
std::vector<TRtTick> RtDateTimeTicks(double Start, double Stop, double OnePixel,
                                     const TRtDtParameters& P);
// Text of a date-time tick label (year number, or the format; milliseconds lose up to two
// trailing zeros).
std::string RtDateTimeTickText(const TRtDtParameters& P, double t);
