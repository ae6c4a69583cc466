#include "platform/FormatSettings.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Locale

namespace {

bool IsAsciiLetter(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// A Qt date-time format ("dd.MM.yy", "h:mm:ss AP t") in the pattern letters of FormatDateTime.
std::string TranslateQtPattern(const QString& qt) {
  std::string out;
  const qsizetype n = qt.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = qt[i];
    if (c == u'\'') {
      // Quoted text; '' is a literal quote.
      QString text;
      ++i;
      while (i < n) {
        if (qt[i] == u'\'') {
          if (i + 1 < n && qt[i + 1] == u'\'') {
            text += u'\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += qt[i++];
      }
      if (i == n && text.isEmpty()) break;
      if (text.isEmpty()) {
        out += "\"'\"";
      } else {
        const char quote = text.contains(u'\'') ? '"' : '\'';
        out += quote;
        out += text.toStdString();
        out += quote;
      }
      continue;
    }
    qsizetype count = 1;
    while (i + count < n && qt[i + count] == c) ++count;
    const auto repeat = [&](char letter, qsizetype times) { out.append(size_t(times), letter); };
    switch (c.unicode()) {
      case u'd':
        repeat('d', std::min<qsizetype>(count, 4));
        break;
      case u'M':
        repeat('m', std::min<qsizetype>(count, 4));
        break;
      case u'y':
        out += count <= 2 ? "yy" : "yyyy";
        break;
      case u'h':
      case u'H':
        repeat('h', std::min<qsizetype>(count, 2));
        break;
      case u'm':
        repeat('n', std::min<qsizetype>(count, 2));
        break;
      case u's':
        repeat('s', std::min<qsizetype>(count, 2));
        break;
      case u'z':
        out += count >= 3 ? "zzz" : "z";
        break;
      case u'A':
        out += "AM/PM";
        if (i + 1 < n && (qt[i + 1] == u'P' || qt[i + 1] == u'p')) ++count;
        break;
      case u'a':
        out += "am/pm";
        if (i + 1 < n && (qt[i + 1] == u'p' || qt[i + 1] == u'P')) ++count;
        break;
      case u't':
        // Time zone: not part of the pattern, nor the blank before it.
        while (!out.empty() && out.back() == ' ') out.pop_back();
        break;
      default:
        if (IsAsciiLetter(c)) {
          out += '\'';
          out += QString(count, c).toStdString();
          out += '\'';
        } else {
          out += QString(count, c).toStdString();
        }
        break;
    }
    i += count;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The separator between the first two fields of a Qt format, when it is punctuation.
std::string FieldSeparator(const QString& qt, const std::string& fallback) {
  qsizetype i = 0;
  const qsizetype n = qt.size();
  while (i < n && !IsAsciiLetter(qt[i])) ++i;
  while (i < n && IsAsciiLetter(qt[i])) ++i;
  QString sep;
  while (i < n && !IsAsciiLetter(qt[i]) && qt[i] != u'\'') {
    const QChar c = qt[i++];
    if (c.isSpace() || c.category() == QChar::Other_Format) continue;
    sep += c;
  }
  if (sep.isEmpty()) return fallback;
  for (QChar c : sep) {
    if (!c.isPunct() && !c.isSymbol()) return fallback;
  }
  return sep.toStdString();
}

TFormatSettings FromQLocale(const QLocale& locale) {
  TFormatSettings fs;
  fs.DecimalSeparator = locale.decimalPoint().toStdString();
  fs.ThousandSeparator = locale.groupSeparator().toStdString();
  const QString date = locale.dateFormat(QLocale::ShortFormat);
  const QString longTime = locale.timeFormat(QLocale::LongFormat);
  const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
  fs.DateSeparator = FieldSeparator(date, "/");
  fs.TimeSeparator = FieldSeparator(longTime, ":");
  fs.ShortDateFormat = TranslateQtPattern(date);
  fs.LongTimeFormat = TranslateQtPattern(longTime);
  fs.ShortTimeFormat = TranslateQtPattern(shortTime);
  for (int m = 0; m < 12; ++m) {
    fs.ShortMonthNames[m] = locale.standaloneMonthName(m + 1, QLocale::ShortFormat).toStdString();
    fs.LongMonthNames[m] = locale.standaloneMonthName(m + 1, QLocale::LongFormat).toStdString();
  }
  for (int d = 0; d < 7; ++d) {
    const int qtDay = d == 0 ? 7 : d;  // Qt counts from Monday = 1
    fs.ShortDayNames[d] = locale.standaloneDayName(qtDay, QLocale::ShortFormat).toStdString();
    fs.LongDayNames[d] = locale.standaloneDayName(qtDay, QLocale::LongFormat).toStdString();
  }
  return fs;
}

// Every settings object ever installed stays alive, so references handed out stay valid; a new
// one is made only when the settings really change.
struct SettingsStore {
  std::mutex mutex;
  std::atomic<const TFormatSettings*> current{nullptr};
  std::vector<std::unique_ptr<const TFormatSettings>> all;

  void InstallLocked(const TFormatSettings& fs) {
    const TFormatSettings* now = current.load(std::memory_order_relaxed);
    if (now != nullptr && *now == fs) return;
    all.push_back(std::make_unique<const TFormatSettings>(fs));
    current.store(all.back().get(), std::memory_order_release);
  }
  const TFormatSettings& CurrentLocked() {
    if (current.load(std::memory_order_relaxed) == nullptr) {
      InstallLocked(TFormatSettings::FromSystemLocale());
    }
    return *current.load(std::memory_order_relaxed);
  }
};

SettingsStore& Store() {
  static SettingsStore* store = new SettingsStore;  // outlives threads still formatting at exit
  return *store;
}

}  // namespace

TFormatSettings TFormatSettings::FromSystemLocale() {
  return FromQLocale(QLocale::system());
}

TFormatSettings TFormatSettings::FromLocale(const std::string& name) {
  return FromQLocale(QLocale(QString::fromStdString(name)));
}

const TFormatSettings& FormatSettings() {
  SettingsStore& s = Store();
  if (const TFormatSettings* fs = s.current.load(std::memory_order_acquire)) return *fs;
  std::lock_guard lock(s.mutex);
  return s.CurrentLocked();
}

void SetFormatSettings(const TFormatSettings& settings) {
  SettingsStore& s = Store();
  std::lock_guard lock(s.mutex);
  s.InstallLocked(settings);
}

void SetThousandSeparator(std::string_view separator) {
  SettingsStore& s = Store();
  std::lock_guard lock(s.mutex);
  TFormatSettings fs = s.CurrentLocked();
  fs.ThousandSeparator = std::string(separator);
  s.InstallLocked(fs);
}

// ---------------------------------------------------------------------------------------------
// Numbers

namespace {

constexpr int kSignificantDigits = 15;

// |value| = 0.d1d2...dn * 10^exponent with no trailing zero digits; no digits means zero.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

// The finite value to `significant` digits (1 to 18), correctly rounded from its binary value.
Decimal ToDecimal(double value, int significant = kSignificantDigits) {
  Decimal d;
  d.negative = std::signbit(value);
  if (value == 0) return d;
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                 std::chars_format::scientific, significant - 1);
  const std::string_view text(buf, size_t(res.ptr - buf));  // d.ddddddddddddddde+XX
  const size_t e = text.find('e');
  d.digits += text[0];
  if (e > 2) d.digits.append(text.substr(2, e - 2));
  int exp10 = 0;
  std::string_view expText = text.substr(e + 1);
  if (!expText.empty() && expText[0] == '+') expText.remove_prefix(1);
  std::from_chars(expText.data(), expText.data() + expText.size(), exp10);
  d.exponent = exp10 + 1;
  StripTrailingZeros(d);
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero.
void RoundDigits(Decimal& d, int keep) {
  if (int(d.digits.size()) <= keep) return;
  if (keep < 0) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  const bool up = d.digits[size_t(keep)] >= '5';
  d.digits.resize(size_t(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[size_t(i)] == '9') d.digits[size_t(i--)] = '0';
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    } else {
      ++d.digits[size_t(i)];
    }
  }
  StripTrailingZeros(d);
}

std::string SpecialValue(double value) {
  if (std::isnan(value)) return "NAN";
  return value > 0 ? "INF" : "-INF";
}

// The general format: `precision` significant digits, plain for 0 and for magnitudes from 0.0001
// to below 10^precision, otherwise one digit, the rest after the separator and an exponent of
// at least expDigits digits.
void AppendGeneral(std::string& out, double value, int precision, int expDigits,
                   const TFormatSettings& fs) {
  if (!std::isfinite(value)) {
    out += SpecialValue(value);
    return;
  }
  precision = std::clamp(precision, 1, 18);
  const Decimal d = ToDecimal(value, precision);
  if (d.digits.empty()) {
    out += '0';
    return;
  }
  if (d.negative) out += '-';
  if (d.exponent > precision || d.exponent < -3) {
    out += d.digits[0];
    if (d.digits.size() > 1) {
      out += fs.DecimalSeparator;
      out.append(d.digits, 1);
    }
    out += 'E';
    const int e = d.exponent - 1;
    if (e < 0) out += '-';
    const std::string digits = std::to_string(std::abs(e));
    if (int(digits.size()) < expDigits) out.append(size_t(expDigits) - digits.size(), '0');
    out += digits;
  } else if (d.exponent <= 0) {
    out += '0';
    out += fs.DecimalSeparator;
    out.append(size_t(-d.exponent), '0');
    out += d.digits;
  } else {
    const size_t intDigits = size_t(d.exponent);
    if (d.digits.size() <= intDigits) {
      out += d.digits;
      out.append(intDigits - d.digits.size(), '0');
    } else {
      out.append(d.digits, 0, intDigits);
      out += fs.DecimalSeparator;
      out.append(d.digits, intDigits);
    }
  }
}

std::string GeneralFormat(double value, const TFormatSettings& fs) {
  std::string out;
  AppendGeneral(out, value, kSignificantDigits, 1, fs);
  return out;
}

// Splits a picture into at most three sections at ";" outside quoted text.
std::vector<std::string_view> SplitSections(std::string_view picture) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < picture.size() && sections.size() < 2; ++i) {
    const char c = picture[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(picture.substr(start, i - start));
      start = i + 1;
    }
  }
  std::string_view last = picture.substr(start);
  // A third ";" ends the last section.
  quote = 0;
  for (size_t i = 0; i < last.size(); ++i) {
    const char c = last[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      last = last.substr(0, i);
      break;
    }
  }
  sections.push_back(last);
  return sections;
}

// An exponent marker "E+" / "e-" at i: returns the number of characters it spans including the
// zeros after the sign, or 0.
size_t ExponentMarker(std::string_view s, size_t i, int& zeros) {
  if (Upper(s[i]) != 'E' || i + 1 >= s.size() || (s[i + 1] != '+' && s[i + 1] != '-')) return 0;
  size_t j = i + 2;
  zeros = 0;
  while (j < s.size() && s[j] == '0') {
    ++zeros;
    ++j;
  }
  return j - i;
}

struct SectionLayout {
  int digitCount = 0;     // digit placeholders outside the exponent
  int decimalIndex = -1;  // placeholders before the decimal separator
  int firstDigit = INT_MAX;
  int lastDigit = 0;
  bool thousands = false;
  bool scientific = false;
};

SectionLayout ScanSection(std::string_view s) {
  SectionLayout l;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\'' || c == '"') {
      const size_t close = s.find(c, i + 1);
      i = close == std::string_view::npos ? s.size() : close;
    } else if (c == '#') {
      ++l.digitCount;
    } else if (c == '0') {
      if (l.digitCount < l.firstDigit) l.firstDigit = l.digitCount;
      ++l.digitCount;
      l.lastDigit = l.digitCount;
    } else if (c == '.') {
      if (l.decimalIndex < 0) l.decimalIndex = l.digitCount;
    } else if (c == ',') {
      l.thousands = true;
    } else if (!l.scientific) {
      int zeros = 0;
      if (const size_t len = ExponentMarker(s, i, zeros)) {
        l.scientific = true;
        i += len - 1;
      }
    }
  }
  if (l.decimalIndex < 0) l.decimalIndex = l.digitCount;
  if (l.firstDigit > l.decimalIndex) l.firstDigit = l.decimalIndex;
  if (l.lastDigit < l.decimalIndex) l.lastDigit = l.decimalIndex;
  if (l.scientific) l.thousands = false;
  return l;
}

std::string ApplySection(std::string_view s, const SectionLayout& l, const Decimal& d, bool minus,
                         const TFormatSettings& fs) {
  // Integer and fraction digits of the number to write, and the exponent for scientific form.
  std::string intPart;
  std::string fracPart;
  int exponent = 0;
  const int intCount = l.scientific ? l.decimalIndex : d.exponent;
  if (!d.digits.empty()) {
    if (intCount > 0) {
      intPart = d.digits.substr(0, size_t(intCount));
      intPart.append(size_t(intCount) - intPart.size(), '0');
      if (d.digits.size() > size_t(intCount)) fracPart = d.digits.substr(size_t(intCount));
    } else {
      fracPart.assign(size_t(-intCount), '0');
      fracPart += d.digits;
    }
    exponent = d.exponent - l.decimalIndex;
  }
  const int forcedInt = l.decimalIndex - l.firstDigit;
  const int forcedFrac = l.lastDigit - l.decimalIndex;
  if (int(intPart.size()) < forcedInt) intPart.insert(0, size_t(forcedInt) - intPart.size(), '0');
  const int nInt = int(intPart.size());
  const int nFrac = std::max(int(fracPart.size()), forcedFrac);

  std::string out = minus ? "-" : "";
  bool intWritten = false;
  const auto writeInt = [&](int position) {  // position 1 = units
    out += intPart[size_t(nInt - position)];
    if (l.thousands && position > 1 && (position - 1) % 3 == 0) out += fs.ThousandSeparator;
  };
  const auto writeAllInt = [&](int downTo) {
    for (int p = nInt; p >= downTo; --p) writeInt(p);
    intWritten = true;
  };
  int placeholder = 0;
  bool pointSeen = false;
  bool exponentWritten = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\'' || c == '"') {
      const size_t close = s.find(c, i + 1);
      const size_t end = close == std::string_view::npos ? s.size() : close;
      out.append(s.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == '#' || c == '0') {
      if (placeholder < l.decimalIndex) {
        const int position = l.decimalIndex - placeholder;
        if (!intWritten) {
          writeAllInt(position);
        } else if (position <= nInt) {
          writeInt(position);
        }
      } else {
        const int j = placeholder - l.decimalIndex;  // 0-based decimal place
        if (j < nFrac) out += j < int(fracPart.size()) ? fracPart[size_t(j)] : '0';
      }
      ++placeholder;
    } else if (c == '.') {
      if (pointSeen) continue;
      pointSeen = true;
      if (!intWritten) writeAllInt(1);
      if (nFrac > 0) out += fs.DecimalSeparator;
    } else if (c == ',') {
      // grouping only
    } else {
      int zeros = 0;
      const size_t len = exponentWritten ? 0 : ExponentMarker(s, i, zeros);
      if (len != 0) {
        exponentWritten = true;
        out += c;
        if (exponent < 0) {
          out += '-';
        } else if (s[i + 1] == '+') {
          out += '+';
        }
        std::string digits = std::to_string(std::abs(exponent));
        if (int(digits.size()) < zeros) digits.insert(0, size_t(zeros) - digits.size(), '0');
        out += digits;
        i += len - 1;
      } else {
        out += c;
      }
    }
  }
  if (!intWritten) {
    // A picture without digit placeholders: the integer digits go at the end.
    for (int p = nInt; p >= 1; --p) writeInt(p);
  }
  return out;
}

}  // namespace

std::string FormatFloat(std::string_view picture, double value) {
  return FormatFloat(picture, value, FormatSettings());
}

std::string FormatFloat(std::string_view picture, double value, const TFormatSettings& fs) {
  if (picture.empty() || !std::isfinite(value)) return GeneralFormat(value, fs);
  const std::vector<std::string_view> sections = SplitSections(picture);
  const auto hasSection = [&](size_t k) { return k < sections.size() && !sections[k].empty(); };

  size_t index = 0;
  if (value < 0 && hasSection(1)) {
    index = 1;
  } else if (value == 0 && hasSection(2)) {
    index = 2;
  }
  if (sections[index].empty()) return GeneralFormat(value, fs);

  Decimal d = ToDecimal(value);
  SectionLayout layout = ScanSection(sections[index]);
  if (layout.scientific) {
    RoundDigits(d, std::max(layout.digitCount, 1));
  } else {
    if (d.exponent > 18) return GeneralFormat(value, fs);
    RoundDigits(d, d.exponent + (layout.digitCount - layout.decimalIndex));
  }
  if (d.digits.empty()) {
    // Rounds to zero: the zero section, without sign.
    index = hasSection(2) ? 2 : 0;
    layout = ScanSection(sections[index]);
    d = Decimal{};
  }
  const bool minus = d.negative && index == 0;
  return ApplySection(sections[index], layout, d, minus, fs);
}

std::string FloatToStr(double value) {
  return GeneralFormat(value, FormatSettings());
}

std::string FloatToStr(double value, const TFormatSettings& fs) {
  return GeneralFormat(value, fs);
}

std::string FloatToStr(double value, int precision, int expDigits, const TFormatSettings& fs) {
  std::string out;
  AppendGeneral(out, value, precision, expDigits, fs);
  return out;
}

void AppendFloatToStr(std::string& out, double value, const TFormatSettings& fs) {
  AppendGeneral(out, value, kSignificantDigits, 1, fs);
}

// ---------------------------------------------------------------------------------------------
// Date and time

namespace {

constexpr long long kMsPerDay = 86400000;
constexpr long long kUnixEpochDays = 25569;  // 1970-01-01 as a day count from 1899-12-30

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2));
}

struct DateTimeParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  int dayOfWeek = 0;  // 0 = Sunday
};

DateTimeParts Split(TDateTime value) {
  DateTimeParts p;
  const double scaled = value * double(kMsPerDay);
  long long total = 0;
  if (std::isfinite(scaled) && std::fabs(scaled) < 9.0e18) total = std::llround(scaled);
  const long long days = total / kMsPerDay;  // towards zero: the fraction counts from the date
  const long long time = std::llabs(total) % kMsPerDay;
  CivilFromDays(days - kUnixEpochDays, p.year, p.month, p.day);
  p.dayOfWeek = int((((days - 1) % 7) + 7) % 7);  // 1899-12-30 was a Saturday
  p.hour = int(time / 3600000);
  p.minute = int(time / 60000 % 60);
  p.second = int(time / 1000 % 60);
  p.millisecond = int(time % 1000);
  return p;
}

void AppendNumber(std::string& out, long long n, int width) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  if (n < 0) out += '-';
  if (int(digits.size()) < width) out.append(size_t(width) - digits.size(), '0');
  out += digits;
}

size_t CountRun(std::string_view f, size_t i) {
  const char c = Upper(f[i]);
  size_t j = i + 1;
  while (j < f.size() && Upper(f[j]) == c) ++j;
  return j - i;
}

bool StartsWithNoCase(std::string_view f, size_t i, std::string_view what) {
  if (f.size() - i < what.size()) return false;
  for (size_t k = 0; k < what.size(); ++k) {
    if (Upper(f[i + k]) != Upper(what[k])) return false;
  }
  return true;
}

// True when "am/pm" or "a/p" occurs outside quoted text.
bool TwelveHourClock(std::string_view f) {
  for (size_t i = 0; i < f.size(); ++i) {
    const char c = f[i];
    if (c == '\'' || c == '"') {
      const size_t close = f.find(c, i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p")) {
      return true;
    }
  }
  return false;
}

void AppendDateTime(std::string& out, std::string_view f, const DateTimeParts& p,
                    const TFormatSettings& fs, int depth) {
  if (depth > 2) return;
  char lastToken = ' ';
  size_t i = 0;
  while (i < f.size()) {
    const char c = f[i];
    char token = Upper(c);
    if (IsAsciiLetter(c)) {
      if (token == 'M' && lastToken == 'H') token = 'N';
      lastToken = token;
    }
    const size_t count = IsAsciiLetter(c) ? CountRun(f, i) : 1;
    switch (token) {
      case 'Y':
        if (count <= 2) {
          AppendNumber(out, p.year % 100, 2);
        } else {
          AppendNumber(out, p.year, 4);
        }
        break;
      case 'M':
        if (count <= 2) {
          AppendNumber(out, p.month, int(count));
        } else {
          out += count == 3 ? fs.ShortMonthNames[size_t(p.month - 1)]
                            : fs.LongMonthNames[size_t(p.month - 1)];
        }
        break;
      case 'D':
        if (count <= 2) {
          AppendNumber(out, p.day, int(count));
        } else if (count <= 4) {
          out += count == 3 ? fs.ShortDayNames[size_t(p.dayOfWeek)]
                            : fs.LongDayNames[size_t(p.dayOfWeek)];
        } else {
          AppendDateTime(out, fs.ShortDateFormat, p, fs, depth + 1);
        }
        break;
      case 'H': {
        int hour = p.hour;
        if (TwelveHourClock(f)) {
          hour %= 12;
          if (hour == 0) hour = 12;
        }
        AppendNumber(out, hour, count >= 2 ? 2 : 1);
        break;
      }
      case 'N':
        AppendNumber(out, p.minute, count >= 2 ? 2 : 1);
        break;
      case 'S':
        AppendNumber(out, p.second, count >= 2 ? 2 : 1);
        break;
      case 'Z':
        AppendNumber(out, p.millisecond, count <= 2 ? 1 : 3);
        break;
      case 'T':
        AppendDateTime(out, count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, fs, depth + 1);
        break;
      case 'C':
        AppendDateTime(out, fs.ShortDateFormat, p, fs, depth + 1);
        if (p.hour != 0 || p.minute != 0 || p.second != 0 || p.millisecond != 0) {
          out += ' ';
          AppendDateTime(out, fs.LongTimeFormat, p, fs, depth + 1);
        }
        break;
      case 'A':
        if (StartsWithNoCase(f, i, "am/pm")) {
          out.append(f.substr(p.hour >= 12 ? i + 3 : i, 2));
          i += 5;
          continue;
        }
        if (StartsWithNoCase(f, i, "a/p")) {
          out += f[p.hour >= 12 ? i + 2 : i];
          i += 3;
          continue;
        }
        out.append(f.substr(i, count));
        break;
      case ':':
        out += fs.TimeSeparator;
        break;
      case '\'':
      case '"': {
        const size_t close = f.find(c, i + 1);
        const size_t end = close == std::string_view::npos ? f.size() : close;
        out.append(f.substr(i + 1, end - i - 1));
        i = end + 1;
        continue;
      }
      default:
        out.append(f.substr(i, count));
        break;
    }
    i += count;
  }
}

}  // namespace

TDateTime Now() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto secs = floor<seconds>(now);
  const int ms = int(duration_cast<milliseconds>(now - secs).count());
  const std::time_t t = system_clock::to_time_t(secs);
  std::tm tm{};
  localtime_r(&t, &tm);
  return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        std::min(tm.tm_sec, 59), ms);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
  // Months outside 1..12 carry into the year; other fields add up arithmetically.
  const long long m0 = month - 1LL;
  const long long carry = m0 >= 0 ? m0 / 12 : (m0 - 11) / 12;
  const long long days =
      DaysFromCivil(year + carry, int(m0 - carry * 12) + 1, 1) + (day - 1) + kUnixEpochDays;
  const long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  const double time = double(ms) / double(kMsPerDay);
  return days < 0 ? double(days) - time : double(days) + time;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond) {
  const DateTimeParts p = Split(value);
  year = p.year;
  month = p.month;
  day = p.day;
  hour = p.hour;
  minute = p.minute;
  second = p.second;
  millisecond = p.millisecond;
}

std::string FormatDateTime(std::string_view pattern, TDateTime value) {
  return FormatDateTime(pattern, value, FormatSettings());
}

std::string FormatDateTime(std::string_view pattern, TDateTime value, const TFormatSettings& fs) {
  std::string out;
  AppendDateTime(out, pattern, Split(value), fs, 0);
  return out;
}
