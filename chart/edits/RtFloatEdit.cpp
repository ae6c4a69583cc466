#include "chart/edits/RtFloatEdit.h"

#include <QLocale>
#include <QtGlobal>

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/FormatSettings.h"

using namespace rt_edit_detail;

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QString DecimalSeparator() {
  return Q(FormatSettings().DecimalSeparator);
}

QString TimeSeparator() {
  return Q(FormatSettings().TimeSeparator);
}

QString AmText() {
  return QLocale::system().amText();
}

QString PmText() {
  return QLocale::system().pmText();
}

// Plain decimal text of a C locale double, independent of the process locale.
bool ParseCDouble(const std::string& text, double& v) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
  if (c == locale_t(nullptr)) return false;
  char* end = nullptr;
  const double r = strtod_l(text.c_str(), &end, c);
  if (end != text.c_str() + text.size() || std::isinf(r) || std::isnan(r)) return false;
  v = r;
  return true;
}

// ---- Date-time text

class TScanner {
 public:
  explicit TScanner(const QString& s) : fS(&s) {}
  void SkipBlanks() {
    while (fI < fS->size() && (*fS)[fI] == QLatin1Char(' ')) ++fI;
  }
  bool AtEnd() const { return fI >= fS->size(); }
  bool Number(int& v, int& digits) {
    SkipBlanks();
    const qsizetype start = fI;
    long long n = 0;
    while (fI < fS->size() && (*fS)[fI] >= QLatin1Char('0') && (*fS)[fI] <= QLatin1Char('9')) {
      n = n * 10 + ((*fS)[fI].unicode() - u'0');
      if (n > 1000000000) return false;
      ++fI;
    }
    digits = int(fI - start);
    v = int(n);
    return digits > 0;
  }
  bool Match(const QString& text) {
    if (text.isEmpty() || !QStringView(*fS).mid(fI).startsWith(text, Qt::CaseInsensitive)) {
      return false;
    }
    fI += text.size();
    return true;
  }

 private:
  const QString* fS;
  qsizetype fI = 0;
};

enum class TDateOrder { DMY, MDY, YMD };

TDateOrder DateOrder(const std::string& shortDate) {
  for (char c : shortDate) {
    if (c == 'd' || c == 'D') return TDateOrder::DMY;
    if (c == 'm' || c == 'M') return TDateOrder::MDY;
    if (c == 'y' || c == 'Y') return TDateOrder::YMD;
  }
  return TDateOrder::DMY;
}

int CurrentYear() {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(Now(), y, mo, d, h, mi, s, ms);
  return y;
}

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

struct TDateParts {
  int Year = 1899, Month = 12, Day = 30;
};

bool ScanDate(TScanner& sc, TDateParts& out) {
  const TFormatSettings& fs = FormatSettings();
  const QString sep = Q(fs.DateSeparator);
  int n[3] = {0, 0, 0};
  int len[3] = {0, 0, 0};
  if (!sc.Number(n[0], len[0])) return false;
  sc.SkipBlanks();
  if (!sc.Match(sep) || !sc.Number(n[1], len[1])) return false;
  int count = 2;
  TScanner rewind = sc;
  sc.SkipBlanks();
  if (sc.Match(sep)) {
    if (!sc.Number(n[2], len[2])) return false;
    count = 3;
  } else {
    sc = rewind;
  }
  const TDateOrder order = DateOrder(fs.ShortDateFormat);
  int y = 0, m = 0, d = 0, yLen = 4;
  if (count == 3) {
    switch (order) {
      case TDateOrder::DMY:
        d = n[0], m = n[1], y = n[2], yLen = len[2];
        break;
      case TDateOrder::MDY:
        m = n[0], d = n[1], y = n[2], yLen = len[2];
        break;
      case TDateOrder::YMD:
        y = n[0], m = n[1], d = n[2], yLen = len[0];
        break;
    }
  } else {
    y = CurrentYear();
    if (order == TDateOrder::DMY) {
      d = n[0], m = n[1];
    } else {
      m = n[0], d = n[1];
    }
  }
  if (yLen <= 2) {
    // Two-digit years fall within 50 years of the current one.
    const int base = CurrentYear() - 50;
    y += base / 100 * 100;
    if (y < base) y += 100;
  }
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  out = {y, m, d};
  return true;
}

struct TTimeParts {
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

bool ScanTime(TScanner& sc, TTimeParts& out) {
  const QString sep = TimeSeparator();
  int h = 0, mi = 0, s = 0, ms = 0, len = 0;
  if (!sc.Number(h, len)) return false;
  bool minutes = false;
  sc.SkipBlanks();
  if (sc.Match(sep)) {
    if (!sc.Number(mi, len)) return false;
    minutes = true;
    TScanner rewind = sc;
    sc.SkipBlanks();
    if (sc.Match(sep)) {
      if (!sc.Number(s, len)) return false;
      if (sc.Match(DecimalSeparator()) && !sc.Number(ms, len)) return false;
    } else {
      sc = rewind;
    }
  }
  sc.SkipBlanks();
  int half = 0;  // 1 = AM, 2 = PM
  for (const QString& am : {AmText(), QStringLiteral("AM"), QStringLiteral("A")}) {
    if (half == 0 && sc.Match(am)) half = 1;
  }
  for (const QString& pm : {PmText(), QStringLiteral("PM"), QStringLiteral("P")}) {
    if (half == 0 && sc.Match(pm)) half = 2;
  }
  if (!minutes && half == 0) return false;
  if (half != 0) {
    if (h > 12) return false;
    if (h == 12) h = 0;
    if (half == 2) h += 12;
  }
  if (h > 23 || mi > 59 || s > 59 || ms > 999) return false;
  out = {h, mi, s, ms};
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Conversions

QString TRtCustomDoubleEdit::TimeSpanToText(double v) {
  if (!(v >= 0)) throw ERtConvertError(RtNegativeTimeSpanText);
  if (!std::isfinite(v)) throw ERtConvertError("Invalid time span");
  // Rounded to whole milliseconds once, so 23:59:59.9996 is the next day.
  constexpr double kMsPerDay = 86400000.0;
  const double totalMs = std::round(v * kMsPerDay);
  const double days = std::floor(totalMs / kMsPerDay);
  const double rest = totalMs - days * kMsPerDay;
  QString out;
  if (days > 0) out += QString::number(days, 'f', 0) + QLatin1Char('.');
  if (rest > 0) {
    const double frac = rest / kMsPerDay;
    out +=
        Q(FormatDateTime("hh:nn:ss", frac)) + DecimalSeparator() + Q(FormatDateTime("zzz", frac));
  }
  return out;
}

double TRtCustomDoubleEdit::TextToTimeSpan(const QString& text) {
  if (text.isEmpty()) return 0;
  const auto invalid = [&text] {
    return ERtConvertError("'" + text.toStdString() + "' is not a valid time span");
  };
  const QString sep = TimeSeparator();
  QString s = text;
  int days = 0;
  const qsizetype dot = s.indexOf(QLatin1Char('.'));
  const qsizetype firstSep = sep.isEmpty() ? -1 : s.indexOf(sep);
  if (dot >= 0 && (firstSep < 0 || dot < firstSep)) {
    if (!TextToInteger(s.left(dot), days)) throw invalid();
    s = s.mid(dot + 1);
  }
  double seconds = 0;
  int minutes = 0;
  int hours = 0;
  if (!s.isEmpty()) {
    const qsizetype last = sep.isEmpty() ? -1 : s.lastIndexOf(sep);
    const QString part = last < 0 ? s : s.mid(last + sep.size());
    if (!TextToFloat(part, seconds)) throw invalid();
    s = last < 0 ? QString() : s.left(last);
  }
  if (!s.isEmpty()) {
    const qsizetype last = sep.isEmpty() ? -1 : s.lastIndexOf(sep);
    const QString part = last < 0 ? s : s.mid(last + sep.size());
    const QString before = last < 0 ? QString() : s.left(last);
    if (!TextToInteger(part, minutes)) throw invalid();
    if (!before.isEmpty() && !TextToInteger(before, hours)) throw invalid();
  }
  return days + hours / 24.0 + minutes / 1440.0 + seconds / 86400.0;
}

QString TRtCustomDoubleEdit::FloatToShortText(int n, double x) {
  const TFormatSettings& fs = FormatSettings();
  QString s = Q(FloatToStr(x, n, n <= 4 ? n : 1, fs));
  int precision = n;
  while (s.size() > n && precision > 0) {
    --precision;
    s = Q(FloatToStr(x, precision, 1, fs));
  }
  return s;
}

bool TRtCustomDoubleEdit::TextToFloat(const QString& s, double& v) {
  const QString sep = DecimalSeparator();
  qsizetype i = 0;
  const qsizetype n = s.size();
  while (i < n && s[i] == QLatin1Char(' ')) ++i;
  std::string ascii;
  if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
    ascii += char(s[i++].unicode());
  int mantissaDigits = 0;
  const auto digits = [&](int& count) {
    while (i < n && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9')) {
      ascii += char(s[i++].unicode());
      ++count;
    }
  };
  digits(mantissaDigits);
  if (!sep.isEmpty() && s.mid(i).startsWith(sep)) {
    i += sep.size();
    ascii += '.';
    digits(mantissaDigits);
  }
  if (mantissaDigits == 0) return false;
  if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
    ++i;
    ascii += 'e';
    if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
      ascii += char(s[i++].unicode());
    }
    int expDigits = 0;
    digits(expDigits);
    if (expDigits == 0) return false;
  }
  while (i < n && s[i] == QLatin1Char(' ')) ++i;
  if (i != n) return false;
  return ParseCDouble(ascii, v);
}

bool TRtCustomDoubleEdit::TextToDateTime(const QString& s, double& v) {
  {
    TScanner sc(s);
    TDateParts d;
    if (ScanDate(sc, d)) {
      sc.SkipBlanks();
      TTimeParts t;
      bool ok = sc.AtEnd();
      if (!ok && ScanTime(sc, t)) {
        sc.SkipBlanks();
        ok = sc.AtEnd();
      }
      if (ok) {
        v = EncodeDateTime(d.Year, d.Month, d.Day, t.Hour, t.Minute, t.Second, t.Millisecond);
        return true;
      }
    }
  }
  TScanner sc(s);
  TTimeParts t;
  if (!ScanTime(sc, t)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) return false;
  v = EncodeDateTime(1899, 12, 30, t.Hour, t.Minute, t.Second, t.Millisecond);
  return true;
}

// ---------------------------------------------------------------------------------------------
// TRtCustomDoubleEdit

TRtCustomDoubleEdit::TRtCustomDoubleEdit(QWidget* parent) : TRtNumericEdit(parent) {}

void TRtCustomDoubleEdit::ClampLimitsToDateRange() {
  FMinValue = std::clamp(FMinValue, RtEditMinDateTime, RtEditMaxDateTime);
  FMaxValue = std::clamp(FMaxValue, RtEditMinDateTime, RtEditMaxDateTime);
}

void TRtCustomDoubleEdit::SetMinValue(double v) {
  if (v == FMinValue) return;
  FMinValue = v;
  if (FAsDateTime) ClampLimitsToDateRange();
  SetValue(FValue);
}

void TRtCustomDoubleEdit::SetMaxValue(double v) {
  if (v == FMaxValue) return;
  FMaxValue = v;
  if (FAsDateTime) ClampLimitsToDateRange();
  SetValue(FValue);
}

void TRtCustomDoubleEdit::SetAsDateTime(bool b) {
  if (b == FAsDateTime) return;
  FAsDateTime = b;
  if (b) {
    FAsTimeSpan = false;
    ClampLimitsToDateRange();
  }
  SetValue(FValue);
  if (!fFocused) UpdateDisplay();
}

void TRtCustomDoubleEdit::SetAsTimeSpan(bool b) {
  if (b == FAsTimeSpan) return;
  FAsTimeSpan = b;
  if (b) FAsDateTime = false;
  SetValue(FValue);
  if (!fFocused) UpdateDisplay();
}

void TRtCustomDoubleEdit::SetDoHashes(bool b) {
  if (b == FDoHashes) return;
  FDoHashes = b;
  if (!fFocused) UpdateDisplay();
}

void TRtCustomDoubleEdit::SetFormat(const QString& s) {
  if (s == FFormat) return;
  FFormat = s;
  if (!fFocused) UpdateDisplay();
}

double TRtCustomDoubleEdit::ClampValue(double v) const {
  if (HasLimits()) {
    if (!(v >= FMinValue)) {
      v = FMinValue;
    } else if (v > FMaxValue) {
      v = FMaxValue;
    }
  }
  if (FAsDateTime) {
    if (v < RtEditMinDateTime) v = RtEditMinDateTime;
    if (v > RtEditMaxDateTime) v = RtEditMaxDateTime;
  }
  return v;
}

QString TRtCustomDoubleEdit::ValueToText(double v) const {
  if (FAsDateTime) return Q(FormatDateTime("c", v));
  if (FAsTimeSpan) return TimeSpanToText(v);
  if (!FFormat.isEmpty()) return Q(::FormatFloat(FFormat.toStdString(), v));
  return Q(FloatToStr(v));
}

bool TRtCustomDoubleEdit::TryTextToValue(const QString& s, double& v) const {
  if (FAsDateTime) return TextToDateTime(s, v);
  if (FAsTimeSpan) {
    try {
      v = TextToTimeSpan(s);
      return true;
    } catch (const ERtConvertError&) {
      return false;
    }
  }
  return TextToFloat(s, v);
}

double TRtCustomDoubleEdit::TextToValue(const QString& s) const {
  double v = 0;
  if (FAsTimeSpan) return TextToTimeSpan(s);
  if (!TryTextToValue(s, v)) {
    throw ERtConvertError("'" + s.toStdString() + "' is not a valid " +
                          (FAsDateTime ? "date and time" : "floating point value"));
  }
  return v;
}

void TRtCustomDoubleEdit::SetValue(double v) {
  FValue = ClampValue(v);
  FSetting = true;
  QString t;
  try {
    t = ValueToText(FValue);
  } catch (const ERtConvertError&) {
    setText(QStringLiteral("Error"));
    FSetting = false;
    return;
  }
  setText(t);
  FLastValid = text();
  if (!fFocused) {
    UpdateDisplay();
    FNeedSelectAll = true;
  }
  FSetting = false;
  NotifyValueChanged();
}

int TRtCustomDoubleEdit::AvailableTextWidth() const {
  return ClientWidth() - 5;
}

void TRtCustomDoubleEdit::UpdateDisplay() {
  if (parentWidget() == nullptr) return;
  FSetting = true;
  QString t;
  try {
    t = ValueToText(FValue);
  } catch (const ERtConvertError& e) {
    FSetting = false;
    Q_EMIT ErrorRaised(QString::fromStdString(e.what()));
    return;
  }
  if (FAsDateTime || FAsTimeSpan) {
    if (FDoHashes && TextWidth(this, t) > AvailableTextWidth()) t = Hashes();
  } else {
    const int room = AvailableTextWidth() + 2;
    if (TextWidth(this, t) > room) {
      bool fits = false;
      for (int n = 18; n >= 2 && !fits; --n) {
        t = FloatToShortText(n, FValue);
        fits = TextWidth(this, t) <= room;
      }
      if (!fits && FDoHashes) t = Hashes();
    }
  }
  setText(t);
  FSetting = false;
}

bool TRtCustomDoubleEdit::TakeTypedText(const QString& s) {
  if (s.isEmpty()) return false;
  double v = 0;
  if (!TryTextToValue(s, v)) return false;
  if (HasLimits() && !(FMinValue <= v && v <= FMaxValue)) return false;
  FValue = v;
  return true;
}

void TRtCustomDoubleEdit::ValidateText() {
  double typed = 0;
  if (!TryTextToValue(text(), typed)) return;
  const double v = ClampValue(typed);
  if (v == FValue) return;
  QString t;
  try {
    t = ValueToText(v);
  } catch (const ERtConvertError&) {
    return;
  }
  setText(t);  // not guarded: the change handler stores the value once more
  FLastValid = text();
  FValue = v;
  DoBeep();
  Q_EMIT OnValueChanged(this);
}

bool TRtCustomDoubleEdit::KeyAccepted(char32_t c) const {
  if ((c >= U'0' && c <= U'9') || c == U'-' || c == U'+' || c == U'E' || c == U'e' || c == U'.') {
    return true;
  }
  const auto in = [c](const QString& s) {
    const QList<uint> u = s.toUcs4();
    return u.contains(uint(c));
  };
  if (c < 256 && in(DecimalSeparator())) return true;
  if (!FAsDateTime && !FAsTimeSpan) return false;
  if (in(AmText()) || in(PmText())) return true;
  if (c >= 256) return false;
  return c == U' ' || in(Q(FormatSettings().DateSeparator)) || in(TimeSeparator());
}
