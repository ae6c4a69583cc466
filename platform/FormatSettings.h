// Locale-dependent number and date-time formatting: separators and patterns read once from the
// system locale, replaceable for tests, and the number pictures and date-time patterns built on
// them. All texts are UTF-8.
#pragma once

#include <array>
#include <string>
#include <string_view>

struct TFormatSettings {
  std::string DecimalSeparator = ".";
  std::string ThousandSeparator = ",";
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  std::string ShortDateFormat = "dd/mm/yyyy";  // in the date-time pattern letters below
  std::string LongTimeFormat = "hh:nn:ss";
  std::string ShortTimeFormat = "hh:nn";
  std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> LongMonthNames = {"January",   "February", "March",    "April",
                                                "May",       "June",     "July",     "August",
                                                "September", "October",  "November", "December"};
  // Index 0 is Sunday.
  std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                             "Thursday", "Friday", "Saturday"};

  // The user's settings, read from the system locale (LC_ALL / LC_NUMERIC / LC_TIME, LANG).
  static TFormatSettings FromSystemLocale();
  // The settings of a named locale ("de_DE", "en_US", "C"), whether or not it is installed.
  static TFormatSettings FromLocale(const std::string& name);

  bool operator==(const TFormatSettings&) const = default;
};

// Process-wide settings: read from the system locale on first use. Safe to call from any thread;
// the returned object never changes and stays valid for the life of the process (a change
// installs a new object).
const TFormatSettings& FormatSettings();
// Replaces the process-wide settings (tests inject a decimal-comma locale this way).
void SetFormatSettings(const TFormatSettings& settings);
// Sets only the thousands separator of the process-wide settings (the scheduler sets a blank).
void SetThousandSeparator(std::string_view separator);

// Number picture ("0.######", "0.0000000E+00", "###,##0.######", "#.##", ...): "0" digit always
// shown, "#" digit shown when significant, "." decimal separator, "," anywhere groups the integer
// part in thousands, "E+00" / "E-00" exponent with at least as many digits as zeros ("E-" shows
// the sign only when negative), '...' and "..." literal text, up to three sections
// "positive;negative;zero". The value is taken to 15 significant digits and then rounded half
// away from zero to the last digit shown; a value that rounds to zero has no sign. An empty
// picture, NaN, infinities and, without exponent, magnitudes from 1e18 give the general format.
std::string FormatFloat(std::string_view picture, double value);
std::string FormatFloat(std::string_view picture, double value, const TFormatSettings& fs);

// General format: shortest text with at most 15 significant digits; plain for 0 and for
// magnitudes from 0.0001 to below 1e15, otherwise mantissa "E" [-] exponent (2.5E-6).
std::string FloatToStr(double value);
std::string FloatToStr(double value, const TFormatSettings& fs);
// The general format with `precision` significant digits (1 to 18) and an exponent of at least
// `expDigits` digits: plain for 0 and for magnitudes from 0.0001 to below 10^precision.
// FloatToStr(value, fs) is FloatToStr(value, 15, 1, fs).
std::string FloatToStr(double value, int precision, int expDigits, const TFormatSettings& fs);
// FloatToStr(value, fs) appended to out (no temporary text: data files write millions).
void AppendFloatToStr(std::string& out, double value, const TFormatSettings& fs);

// Date-time values: days since 30 December 1899, the fraction being the time of day.
using TDateTime = double;
TDateTime Now();  // local wall-clock time
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int millisecond = 0);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond);

// Date-time pattern, letters in either case: "yyyy"/"yy" year, "m"/"mm" month ("mmm"/"mmmm"
// month names; minutes when following an hour field), "d"/"dd" day ("ddd"/"dddd" day names,
// "ddddd" short date), "h"/"hh" hour 0-23 (1-12 when the pattern holds "am/pm" or "a/p"), "n"/"nn"
// minutes, "s"/"ss" seconds, "z"/"zzz" milliseconds, "t"/"tt" short/long time, "c" short date and
// long time (time left out at exactly midnight), ":" the time separator, '...' and "..." literal
// text; other characters are written as they stand (also "/"). Milliseconds are rounded once
// for the whole value, so 23:59:59.9996 shows as the next day's 00:00:00.000.
std::string FormatDateTime(std::string_view pattern, TDateTime value);
std::string FormatDateTime(std::string_view pattern, TDateTime value, const TFormatSettings& fs);
