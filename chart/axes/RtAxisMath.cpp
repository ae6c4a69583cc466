#include "chart/axes/RtAxisMath.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/FormatSettings.h"

int RtDecimalExponent(double x) {
  if (!std::isfinite(x) || x == 0) return 0;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.6e", std::abs(x));
  const char* e = std::strchr(buf, 'e');
  return e ? std::atoi(e + 1) : 0;
}

double RtPow10(int e) {
  const double p = std::pow(10.0, double(e));
  return std::isfinite(p) ? p : RtMaxDouble;
}

namespace {

double RoundToGrid(int e, double part, double v, double bias) {
  if (part == 0) return v;
  const double p = RtPow10(e);
  const double k = std::nearbyint(v / p / part + bias);
  return part * k * p;
}

}  // namespace

double RtRoundUpToGrid(int e, double part, double v) {
  return RoundToGrid(e, part, v, 0.499999);
}

double RtRoundDownToGrid(int e, double part, double v) {
  return RoundToGrid(e, part, v, -0.499999);
}

int RtSignificantDigits(double x) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.15e", std::abs(x));
  std::string m(buf, std::strchr(buf, 'e'));
  m.erase(std::remove(m.begin(), m.end(), '.'), m.end());
  while (m.size() > 1 && m.back() == '0') m.pop_back();
  return int(m.size());
}

double RtDateTimeToLinear(double x) {
  return x >= 0 ? x : 2 * std::trunc(x) - x;
}

double RtLinearToDateTime(double t) {
  if (t >= 0) return t;
  const double d = std::floor(t);
  const double f = t - d;
  return f == 0 ? d : d - f;
}

double RtDateTimeAddMs(double x, double Ms) {
  // Whole milliseconds on the continuous scale, so that a sum landing on midnight does not fall
  // a rounding error short of it (which would flip the day before 1900).
  const double ms = std::round(RtDateTimeToLinear(x) * 86400000.0) + std::round(Ms);
  return RtLinearToDateTime(ms / 86400000.0);
}

void RtMovingWindow(double InitialStart, double W, double Inc, double ValuesStart,
                    double ValuesStop, double& Lo, double& Hi) {
  const double base = InitialStart + W;
  double k = 0;
  if (base < ValuesStop) {
    k = std::ceil((ValuesStop - base) / Inc);
    // The direct step count may be off by one through rounding; the rule is the stepping one.
    // Bounded: beyond 2^53 steps (or towards infinity) a step no longer changes the sum.
    for (int n = 0; n < 4 && k > 0 && base + (k - 1) * Inc >= ValuesStop; ++n) k -= 1;
    for (int n = 0; n < 4 && base + k * Inc < ValuesStop; ++n) k += 1;
  }
  Hi = base + k * Inc;
  Lo = Hi - W > ValuesStart ? Hi - W : InitialStart;
}

// ---- number labels

TRtNumberFormat RtCalculateDisplayDigits(double Start, double Stop, int RangeExponent,
                                         double LabelPart, int ExtraDigits,
                                         double MaxForExtraExponent, double MinForExtraExponent) {
  TRtNumberFormat f;
  const int es = RtDecimalExponent(Start), ee = RtDecimalExponent(Stop);
  if (es < ee)
    f.MaxExponent = Stop == 0 ? es : ee;
  else
    f.MaxExponent = Start == 0 ? ee : es;
  f.DisplayDigits = f.MaxExponent - RangeExponent - RtDecimalExponent(LabelPart) +
                    RtSignificantDigits(LabelPart) - 1;
  f.AdditionalExponent = (RtDecimalExponent(MaxForExtraExponent) < f.MaxExponent &&
                          f.MaxExponent >= f.DisplayDigits) ||
                         f.MaxExponent < RtDecimalExponent(MinForExtraExponent);
  f.DisplayDigits = std::max(0, f.DisplayDigits + ExtraDigits);
  if (ExtraDigits > 0 && f.MaxExponent + ExtraDigits >= f.DisplayDigits && !f.AdditionalExponent)
    f.DisplayDigits = f.MaxExponent + ExtraDigits;
  return f;
}

std::string RtFormatNumberLabel(const TRtNumberFormat& F, double x) {
  int decimals = 0;
  if (F.AdditionalExponent) {
    x /= RtPow10(F.MaxExponent);
    decimals = F.DisplayDigits;
  } else if (F.MaxExponent < F.DisplayDigits) {
    decimals = F.DisplayDigits - F.MaxExponent;
  }
  decimals = std::clamp(decimals, 0, 18);
  std::string picture = "0";
  if (decimals > 0) picture += "." + std::string(std::size_t(decimals), '0');
  return FormatFloat(picture, x);
}

// ---- tick partition

TRtTickParts RtCalculateTickParts(double Start, double Stop, float Length,
                                  float LabelDistanceFactor, const double LabelParts[3],
                                  const double MajorParts[3], const double MinorParts[3],
                                  const std::function<float(int, double)>& LabelWidth) {
  TRtTickParts t;
  t.RangeExponent = RtDecimalExponent(Stop - Start);
  const double r = (Stop - Start) / RtPow10(t.RangeExponent);
  int i = 0;
  double q = 10;
  // Each finer candidate adds labels, so the search ends; the bound only guards odd input.
  for (int guard = 0; guard < 200; ++guard) {
    const double lp = LabelParts[i] * q;
    const float w = LabelWidth(t.RangeExponent, lp);
    const double n = std::trunc(r / lp + 0.5) + 1;
    const double need = n * w + (n - 1) * 70.0 * LabelDistanceFactor;
    if (need >= Length) break;
    if (i < 2) {
      ++i;
    } else {
      i = 0;
      q /= 10;
    }
  }
  t.LabelPart = LabelParts[i] * q;
  t.MajorTickPart = MajorParts[i] * q;
  t.TickPart = MinorParts[i] * q;
  return t;
}

std::vector<TRtTick> RtNormalTicks(double First, double Last, double Start, int RE, double TickPart,
                                   double MajorTickPart, double LabelPart, bool NumbersVisible) {
  if (TickPart == 0) TickPart = 1;
  double nd = std::round((Last - First) / RtPow10(RE) / TickPart + 1);
  if (!(nd >= 2)) nd = 2;
  const int n = int(std::min(nd, 100000.0));
  const double step = (Last - First) / (n - 1);
  const double tol = 0.6 * step;
  double nextMajor = RtRoundUpToGrid(RE, MajorTickPart, Start);
  double nextLabel = RtRoundUpToGrid(RE, LabelPart, Start);
  double v = First;
  std::vector<TRtTick> ticks(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    TRtTick& t = ticks[std::size_t(i)];
    t.Value = v;
    if (NumbersVisible && std::abs(v - nextLabel) < tol) {
      t.Label = true;
      nextLabel = RtRoundUpToGrid(RE, LabelPart, v + tol);
    }
    if (std::abs(v - nextMajor) < tol) {
      t.Major = true;
      v += step;
      nextMajor = RtRoundUpToGrid(RE, MajorTickPart, v);
    } else {
      v += step;
    }
  }
  return ticks;
}

// ---- date-time

namespace {

struct Fields {
  int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0, ms = 0;
};

Fields Split(double x) {
  Fields f;
  DecodeDateTime(x, f.y, f.mo, f.d, f.h, f.mi, f.s, f.ms);
  return f;
}

double Join(const Fields& f) {
  return EncodeDateTime(f.y, f.mo, f.d, f.h, f.mi, f.s, f.ms);
}

// The date part of a date-time (midnight), correct before 1900.
double DateOf(int y, int mo, int d) {
  return EncodeDateTime(y, mo, d);
}

long long DayNumber(double x) {
  return (long long)std::floor(RtDateTimeToLinear(x) + 1e-9);
}

int DaysInMonth(int y, int mo) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return mo == 2 && leap ? 29 : kDays[mo - 1];
}

// 0 = Sunday.
int WeekDay(double x) {
  const long long d = DayNumber(x);
  return int(((d + 6) % 7 + 7) % 7);
}

long long DayOfYear0(const Fields& f) {
  return DayNumber(DateOf(f.y, f.mo, f.d)) - DayNumber(DateOf(f.y, 1, 1));
}

long long SecondOfYear(const Fields& f) {
  return ((DayOfYear0(f) * 24 + f.h) * 60 + f.mi) * 60 + f.s;
}

double AddMonths(double x, int n) {
  Fields f = Split(x);
  f.mo += n;
  return Join(f);
}

double AddHours(double x, double h) {
  return RtDateTimeAddMs(x, h * 3600000.0);
}

// A multiple of m at or above (Up) or at or below v.
long long ToMultiple(long long v, long long m, bool Up) {
  const long long r = ((v % m) + m) % m;
  if (r == 0) return v;
  return Up ? v + (m - r) : v - r;
}

// Re-reads x through its fields so that it lands exactly on a whole millisecond.
double Snap(double x) {
  return Join(Split(x));
}

std::string ReplaceFirstCI(std::string s, const std::string& what, const std::string& with) {
  std::string lower = s;
  for (char& c : lower) c = char(std::tolower((unsigned char)c));
  const std::size_t p = lower.find(what);
  if (p != std::string::npos) s.replace(p, what.size(), with);
  return s;
}

}  // namespace

TRtDtFormats TRtDtFormats::FromLocale() {
  const TFormatSettings& fs = FormatSettings();
  TRtDtFormats f;
  std::string day = ReplaceFirstCI(fs.ShortDateFormat, "yyyy", "yy");
  day = ReplaceFirstCI(day, "dd", "d");
  day = ReplaceFirstCI(day, "mm", "m");
  f.Day = day;
  std::string minute = fs.ShortTimeFormat;
  std::size_t p = minute.find_first_of("sS");
  if (p != std::string::npos) {
    minute.erase(p > 0 ? p - 1 : p, p > 0 ? 2 : 1);
    p = minute.find_first_of("sS");
    if (p != std::string::npos) minute.erase(p, 1);
  }
  f.Minute = minute;
  f.DayAndHour = f.Day + " " + f.Minute;
  f.Second = fs.LongTimeFormat;
  f.MilliSecond = "s" + fs.DecimalSeparator + "fff";
  return f;
}

std::string RtFormatDateTimeLabel(const std::string& Format, double x) {
  const std::size_t p = Format.find("fff");
  if (p == std::string::npos) return FormatDateTime(Format, x);
  Fields f = Split(x);
  const int ms = f.ms;
  f.ms = 0;
  std::string s = FormatDateTime(Format, Join(f));
  const std::size_t q = s.find("fff");
  if (q != std::string::npos) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", ms);
    s.replace(q, 3, buf);
  }
  return s;
}

namespace {

enum Fmt { FNone, FMs, FSec, FMinOrDayHour, FDayHour, FDay, FLongMonth, FShortMonth, FYearWidth };
enum Stage { SMs, SSec, SMin, SHour, SDay, SMonth, SYear };

struct Row {
  TRtDtRegion major, minor;
  Fmt fmt;
  Stage stage;
  int labelMod, majorMod, inc;
  double div;  // 0: taken without test
};

using R = TRtDtRegion;
constexpr std::array<Row, 43> kRows = {{
    {R::MilliSecond, R::MilliSecond, FMs, SMs, 5, 5, 1, 5},
    {R::MilliSecond, R::MilliSecond, FNone, SMs, 10, 5, 1, 10},
    {R::MilliSecond, R::MilliSecond, FNone, SMs, 20, 10, 2, 20},
    {R::MilliSecond, R::MilliSecond, FNone, SMs, 50, 20, 5, 50},
    {R::MilliSecond, R::MilliSecond, FNone, SMs, 100, 50, 10, 100},
    {R::MilliSecond, R::MilliSecond, FNone, SMs, 200, 200, 20, 200},
    {R::MilliSecond, R::MilliSecond, FNone, SMs, 500, 200, 50, 500},
    {R::Second, R::MilliSecond, FSec, SSec, 1000, 500, 100, 1},
    {R::Second, R::MilliSecond, FNone, SSec, 2000, 1000, 100, 2},
    {R::Second, R::MilliSecond, FNone, SSec, 5000, 2500, 500, 5},
    {R::Second, R::Second, FNone, SSec, 10, 5, 1, 10},
    {R::Second, R::Second, FNone, SSec, 20, 10, 1, 20},
    {R::Second, R::Second, FNone, SSec, 30, 10, 2, 30},
    {R::Minute, R::Second, FMinOrDayHour, SSec, 60, 30, 5, 60},
    {R::Minute, R::Second, FNone, SSec, 120, 60, 10, 120},
    {R::Minute, R::Second, FNone, SSec, 300, 300, 30, 300},
    {R::Minute, R::Minute, FNone, SMin, 10, 5, 1, 10},
    {R::Minute, R::Minute, FNone, SMin, 15, 5, 1, 15},
    {R::Minute, R::Minute, FNone, SMin, 30, 15, 5, 30},
    {R::Minute, R::Minute, FNone, SMin, 60, 15, 5, 60},
    {R::Minute, R::Minute, FNone, SMin, 180, 60, 15, 180},
    {R::Hour, R::Hour, FNone, SHour, 6, 3, 1, 6},
    {R::Hour, R::Hour, FDayHour, SHour, 12, 6, 1, 12},
    {R::Hour, R::Hour, FDay, SHour, 24, 12, 3, 24},
    {R::Hour, R::Hour, FNone, SHour, 48, 24, 6, 48},
    {R::Day, R::Day, FNone, SDay, 1, 7, 1, 7},
    {R::Day, R::Day, FNone, SDay, 2, 7, 1, 14},
    {R::Month, R::Day, FLongMonth, SMonth, 1, 1, 1, 1},
    {R::Month, R::Day, FShortMonth, SMonth, 1, 1, 1, 1},
    {R::Month, R::Month, FNone, SMonth, 3, 3, 1, 3},
    {R::Month, R::Month, FNone, SMonth, 6, 3, 1, 6},
    {R::Year, R::Month, FYearWidth, SMonth, 1, 12, 1, 12},
    {R::Year, R::Month, FNone, SMonth, 2, 12, 3, 24},
    {R::Year, R::Year, FNone, SYear, 5, 5, 1, 5},
    {R::Year, R::Year, FNone, SYear, 10, 5, 1, 10},
    {R::Year, R::Year, FNone, SYear, 20, 10, 2, 20},
    {R::Year, R::Year, FNone, SYear, 25, 25, 5, 25},
    {R::Year, R::Year, FNone, SYear, 50, 25, 5, 50},
    {R::Year, R::Year, FNone, SYear, 100, 50, 10, 100},
    {R::Year, R::Year, FNone, SYear, 200, 100, 25, 200},
    {R::Year, R::Year, FNone, SYear, 500, 250, 50, 500},
    {R::Year, R::Year, FNone, SYear, 1000, 500, 100, 1000},
    {R::Year, R::Year, FNone, SYear, 2000, 1000, 100, 0},
}};

}  // namespace

TRtDtParameters RtCalculateDtParameters(
    double Start, double Stop, float Length, float LabelDistanceFactor, const TRtDtFormats& F,
    const std::function<float(const std::string&, double)>& Extent) {
  const double S = RtDaySpan(Stop, Start);
  const double perStage[7] = {S * 86400000.0, S * 86400.0, S * 1440.0, S * 24.0, S,
                              S / 30.5,       S / 365.0};
  auto tooDense = [&](double x, double w) {
    if (x >= 1000) return true;
    const double n = std::trunc(x + 0.5) + 1;
    return n * w * 0.48 + (n - 1) * 120.0 * LabelDistanceFactor > Length;
  };
  TRtDtParameters p;
  p.Format = F.MilliSecond;
  double w = Extent(RtFormatDateTimeLabel(p.Format, Stop), Stop);
  for (std::size_t k = 0; k < kRows.size(); ++k) {
    const Row& row = kRows[k];
    std::string fmt;
    switch (row.fmt) {
      case FNone:
        break;
      case FMs:
        fmt = F.MilliSecond;
        break;
      case FSec:
        fmt = F.Second;
        break;
      case FMinOrDayHour:
        fmt = S > 1 ? F.DayAndHour : F.Minute;
        break;
      case FDayHour:
        fmt = F.DayAndHour;
        break;
      case FDay:
        fmt = F.Day;
        break;
      case FLongMonth:
        fmt = F.LongMonth;
        break;
      case FShortMonth:
        fmt = F.ShortMonth;
        break;
      case FYearWidth:
        break;
    }
    if (row.fmt == FLongMonth) {
      p.Format = fmt;
      w = 1.5f * Extent("February 9999", Stop);
    } else if (row.fmt == FYearWidth) {
      int y, mo, d, h, mi, s, ms;
      DecodeDateTime(Stop, y, mo, d, h, mi, s, ms);
      w = Extent(std::to_string(y), Stop);
    } else if (row.fmt != FNone && fmt != p.Format) {
      p.Format = fmt;
      w = Extent(RtFormatDateTimeLabel(p.Format, Stop), Stop);
    } else if (row.fmt != FNone) {
      p.Format = fmt;
    }
    p.MajorRgn = row.major;
    p.MinorRgn = row.minor;
    p.LabelMod = row.labelMod;
    p.MajorMod = row.majorMod;
    p.Increment = row.inc;
    p.Row = int(k) + 1;
    if (row.div == 0) break;
    const double c = perStage[row.stage];
    if (!tooDense(c / row.div, w)) break;
  }
  return p;
}

double RtRoundDateTime(bool Up, bool Major, double x, const TRtDtParameters& P) {
  x = std::clamp(x, RtMinDateTime, RtMaxDateTime);
  const R minor = P.MinorRgn;
  Fields f = Split(x);
  if (minor < R::MilliSecond && f.ms != 0) {
    x = RtDateTimeAddMs(x, Up ? 1000 - f.ms : -f.ms);
    f = Split(x);
  }
  if (minor < R::Second && f.s != 0) {
    x = RtDateTimeAddMs(x, (Up ? 60 - f.s : -f.s) * 1000.0);
    f = Split(x);
  }
  if (minor < R::Minute && f.mi != 0) {
    x = RtDateTimeAddMs(x, (Up ? 60 - f.mi : -f.mi) * 60000.0);
    f = Split(x);
  }
  if (minor < R::Hour && f.h != 0) {
    x = AddHours(x, Up ? 24 - f.h : -f.h);
    f = Split(x);
  }
  if ((minor == R::Month || minor == R::Year) && f.d > 1) {
    x = AddHours(x, Up ? (DaysInMonth(f.y, f.mo) - f.d + 1) * 24.0 : -(f.d - 1) * 24.0);
    f = Split(x);
  }
  if (minor == R::Year && f.mo > 1) {
    x = AddMonths(x, Up ? 13 - f.mo : -(f.mo - 1));
    f = Split(x);
  }
  if (Major && P.MajorRgn == R::Month && minor == R::Day) {
    if (f.d > 1) x = Up ? DateOf(f.y, f.mo + 1, 1) : DateOf(f.y, f.mo, 1);
  } else if (Major && P.MajorRgn == R::Year && minor == R::Month) {
    if (f.mo > 1) x = Up ? DateOf(f.y + 1, 1, 1) : DateOf(f.y, 1, 1);
  } else {
    const int m = Major ? P.MajorMod : P.Increment;
    if (m > 1) {
      switch (minor) {
        case R::Year:
          if (Up && f.y < 9999 - m)
            x = DateOf(int(ToMultiple(f.y, m, true)), 1, 1);
          else if (!Up && m < f.y)
            x = DateOf(int(ToMultiple(f.y, m, false)), 1, 1);
          break;
        case R::Month:
          x = DateOf(f.y, int(ToMultiple(f.mo - 1, m, Up)) + 1, 1);
          break;
        case R::Day:
          if (m == 7) {
            const int wd = WeekDay(x);
            if (wd != 0) x = AddHours(x, Up ? (7 - wd) * 24.0 : -wd * 24.0);
          } else {
            x = AddHours(x, (ToMultiple(f.d - 1, m, Up) - (f.d - 1)) * 24.0);
          }
          break;
        case R::Hour:
          x = AddHours(x, double(ToMultiple(f.h, m, Up) - f.h));
          break;
        case R::Minute:
          x = RtDateTimeAddMs(x, double(ToMultiple(f.mi, m, Up) - f.mi) * 60000.0);
          break;
        case R::Second: {
          const long long soy = SecondOfYear(f);
          x = RtDateTimeAddMs(x, double(ToMultiple(soy, m, Up) - soy) * 1000.0);
          break;
        }
        case R::MilliSecond:
          x = RtDateTimeAddMs(x, double(ToMultiple(f.ms, m, Up) - f.ms));
          break;
      }
    }
  }
  return std::clamp(Snap(x), RtMinDateTime, RtMaxDateTime);
}

std::vector<TRtTick> RtDateTimeTicks(double Start, double Stop, double OnePixel,
                                     const TRtDtParameters& P) {
  std::vector<TRtTick> ticks;
  double t = RtRoundDateTime(true, false, Start, P);
  bool alternate = true;
  const int inc = std::max(1, P.Increment);
  do {
    const Fields f = Split(t);
    long long q = 0;
    double next = t;
    switch (P.MinorRgn) {
      case R::Year:
        q = f.y;
        next = AddMonths(t, 12 * inc);
        break;
      case R::Month:
        q = 12LL * f.y + f.mo - 1;
        next = AddMonths(t, inc);
        break;
      case R::Day:
        q = f.d - 1;
        next = Snap(AddHours(t, 24.0 * inc));
        break;
      case R::Hour:
        q = DayOfYear0(f) * 24 + f.h;
        next = Snap(AddHours(t, inc));
        break;
      case R::Minute:
        q = (DayOfYear0(f) * 24 + f.h) * 60 + f.mi;
        next = Snap(RtDateTimeAddMs(t, inc * 60000.0));
        break;
      case R::Second:
        q = SecondOfYear(f);
        next = Snap(RtDateTimeAddMs(t, inc * 1000.0));
        break;
      case R::MilliSecond:
        q = SecondOfYear(f) * 1000 + f.ms;
        next = Snap(RtDateTimeAddMs(t, inc));
        break;
    }
    TRtTick tick;
    tick.Value = t;
    if (P.MajorRgn == R::Day && P.MajorMod == 7) {
      tick.Major = WeekDay(t) == 0;
      if (P.LabelMod == 1) {
        tick.Label = true;
      } else {
        tick.Label = alternate;
        alternate = !alternate;
      }
    } else {
      tick.Major =
          (P.MajorRgn == R::Month && P.MajorMod == 1) ? f.d == 1 : q % std::max(1, P.MajorMod) == 0;
      tick.Label = P.MajorRgn == R::Year ? f.y % std::max(1, P.LabelMod) == 0
                                         : q % std::max(1, P.LabelMod) == 0;
    }
    ticks.push_back(tick);
    if (!(next > t) || ticks.size() > 100000) break;
    t = next;
  } while (t <= Stop + OnePixel);
  return ticks;
}

std::string RtDateTimeTickText(const TRtDtParameters& P, double t) {
  if (P.MajorRgn == R::Year) {
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(t, y, mo, d, h, mi, s, ms);
    return std::to_string(y);
  }
  std::string text = RtFormatDateTimeLabel(P.Format, t);
  if (P.MajorRgn == R::MilliSecond)
    for (int k = 0; k < 2 && !text.empty() && text.back() == '0'; ++k) text.pop_back();
  return text;
}
