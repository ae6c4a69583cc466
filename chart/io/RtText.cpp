#include "chart/io/RtText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "chart/io/RtIOErrors.h"
#include "platform/FormatSettings.h"

namespace {

bool IsDigit(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
bool IsSign(QChar c) {
  return c == QLatin1Char('+') || c == QLatin1Char('-');
}
bool StartsWithWord(QStringView s, const char* Word) {
  return s.startsWith(QLatin1String(Word), Qt::CaseInsensitive);
}

// The largest double in the general format ("1.79769313486232E308").
constexpr long double kLargestDoubleText = 1.79769313486232e308L;

// A converted text that lies beyond the double range towards zero.
bool TowardsZero(const std::string& Ascii) {
  const std::size_t e = Ascii.find_first_of("eE");
  if (e != std::string::npos) return e + 1 < Ascii.size() && Ascii[e + 1] == '-';
  for (char c : Ascii) {
    if (c == '.') break;
    if (c >= '1' && c <= '9') return false;
  }
  return true;
}

// Length of the longest leading number of s ("." as decimal separator), 0 when there is none.
qsizetype ScanFloat(QStringView s, double& Value) {
  qsizetype i = 0;
  const qsizetype n = s.size();
  bool negative = false;
  if (i < n && IsSign(s[i])) negative = s[i++] == QLatin1Char('-');
  const QStringView rest = s.mid(i);
  if (StartsWithWord(rest, "NAN")) {
    Value = std::numeric_limits<double>::quiet_NaN();
    return i + 3;
  }
  if (StartsWithWord(rest, "INF")) {
    Value = negative ? -std::numeric_limits<double>::infinity()
                     : std::numeric_limits<double>::infinity();
    return i + 3;
  }
  std::string ascii = negative ? "-" : "";
  int mantissa = 0;
  const auto digits = [&](int& count) {
    while (i < n && IsDigit(s[i])) {
      ascii += char(s[i++].unicode());
      ++count;
    }
  };
  digits(mantissa);
  if (i < n && s[i] == QLatin1Char('.')) {
    const qsizetype dot = i;
    ascii += '.';
    ++i;
    int fraction = 0;
    digits(fraction);
    if (mantissa + fraction == 0) i = dot;
    mantissa += fraction;
  }
  if (mantissa == 0) return 0;
  if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
    qsizetype j = i + 1;
    if (j < n && IsSign(s[j])) ++j;
    if (j < n && IsDigit(s[j])) {
      ascii += 'e';
      for (qsizetype k = i + 1; k < j; ++k) ascii += char(s[k].unicode());
      i = j;
      int exponent = 0;
      digits(exponent);
    }
  }
  double v = 0;
  const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    if (!TowardsZero(ascii)) {
      // The largest double written with 15 digits rounds up beyond it: that text reads as the
      // largest double again (the empty range of vectors, series and axes is written so).
      long double wide = 0;
      if (std::from_chars(ascii.data(), ascii.data() + ascii.size(), wide).ec != std::errc() ||
          std::fabs(wide) > kLargestDoubleText)
        return 0;
      Value = negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
      return i;
    }
    v = negative ? -0.0 : 0.0;
  } else if (res.ec != std::errc()) {
    return 0;
  }
  Value = v;
  return i;
}

// Length of the longest leading decimal integer of s, 0 when there is none or it needs more
// than 32 bits.
qsizetype ScanInteger(QStringView s, int& Value) {
  qsizetype i = 0;
  const qsizetype n = s.size();
  bool negative = false;
  if (i < n && IsSign(s[i])) negative = s[i++] == QLatin1Char('-');
  long long v = 0;
  const qsizetype first = i;
  while (i < n && IsDigit(s[i])) {
    v = v * 10 + (s[i++].unicode() - '0');
    if (v > 1LL + INT_MAX) return 0;
  }
  if (i == first) return 0;
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return 0;
  Value = static_cast<int>(v);
  return i;
}

[[noreturn]] void ThrowNotValid(const QString& Text, const char* What) {
  throw ERtTextConvertError(RtNotValidText(Text.toStdString(), What));
}

template <typename T>
T Converted(const QString& Text, bool (*Try)(const QString&, T&), const char* What) {
  T v{};
  if (!Try(Text, v)) ThrowNotValid(Text, What);
  return v;
}

}  // namespace

QString FloatToText(double Value) {
  // The default settings have "." as decimal separator.
  static const TFormatSettings fs{};
  return QString::fromStdString(FloatToStr(Value, fs));
}

QString SingleToText(float Value) {
  static const TFormatSettings fs{};
  if (!std::isfinite(Value)) return FloatToText(Value);
  // Nine significant digits always identify a single.
  double shortest = Value;
  for (int digits = 1; digits <= 9; ++digits) {
    double back = 0;
    const std::string t = FloatToStr(Value, digits, 1, fs);
    if (std::from_chars(t.data(), t.data() + t.size(), back).ec == std::errc() &&
        static_cast<float>(back) == Value) {
      shortest = back;
      break;
    }
  }
  return FloatToText(shortest);
}

bool TryTextToFloat(const QString& Text, double& Value) {
  QString t = Text.trimmed();
  const QString sep = QString::fromStdString(FormatSettings().DecimalSeparator);
  if (!sep.isEmpty() && sep != QLatin1String(".")) t.replace(sep, QLatin1String("."));
  double v = 0;
  if (t.isEmpty() || ScanFloat(t, v) != t.size()) return false;
  Value = v;
  return true;
}

double TextToFloat(const QString& Text) {
  return Converted(Text, TryTextToFloat, "floating point value");
}

bool TryTextToInteger(const QString& Text, int& Value) {
  const QString t = Text.trimmed();
  QStringView hex;
  if (t.startsWith(QLatin1Char('$')))
    hex = QStringView(t).mid(1);
  else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
    hex = QStringView(t).mid(2);
  if (!hex.isNull()) {
    bool ok = false;
    const qulonglong v = hex.toULongLong(&ok, 16);
    if (!ok || hex.isEmpty() || v > 0xFFFFFFFFull || IsSign(hex[0])) return false;
    Value = static_cast<int>(static_cast<std::uint32_t>(v));
    return true;
  }
  int v = 0;
  if (t.isEmpty() || ScanInteger(t, v) != t.size()) return false;
  Value = v;
  return true;
}

int TextToInteger(const QString& Text) {
  return Converted(Text, TryTextToInteger, "integer value");
}

QString BoolToText(bool Value) {
  return Value ? QStringLiteral("true") : QStringLiteral("false");
}

bool TextToBool(const QString& Text) {
  const QString t = Text.trimmed();
  if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
  if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
  int v = 0;
  if (!TryTextToInteger(t, v)) ThrowNotValid(Text, "boolean value");
  return v != 0;
}

double ExtractFloat(QStringView Text, qsizetype& Pos) {
  qsizetype i = Pos;
  const qsizetype n = Text.size();
  if (i < n && (Text[i] == QLatin1Char('E') || Text[i] == QLatin1Char('e')) &&
      !(i + 1 < n && (IsSign(Text[i + 1]) || IsDigit(Text[i + 1]))))
    ++i;
  const auto canStart = [&](qsizetype k) {
    const QChar c = Text[k];
    return IsSign(c) || IsDigit(c) || c == QLatin1Char('.') || c == QLatin1Char('e') ||
           c == QLatin1Char('E') || StartsWithWord(Text.mid(k), "NAN") ||
           StartsWithWord(Text.mid(k), "INF");
  };
  while (i < n && !canStart(i)) ++i;
  double v = 0;
  const qsizetype used = ScanFloat(Text.mid(i), v);
  if (used == 0) throw ERtExtractError(RtFloatExtractionErrorText);
  Pos = i + used;
  return v;
}

int ExtractInteger(QStringView Text, qsizetype& Pos) {
  qsizetype i = Pos;
  const qsizetype n = Text.size();
  while (i < n && !IsSign(Text[i]) && !IsDigit(Text[i])) ++i;
  int v = 0;
  const qsizetype used = ScanInteger(Text.mid(i), v);
  if (used == 0) throw ERtExtractError(RtIntegerExtractionErrorText);
  Pos = i + used;
  return v;
}

double ExtractFloat(QString& Text) {
  qsizetype pos = 0;
  const double v = ExtractFloat(QStringView(Text), pos);
  Text.remove(0, pos);
  return v;
}

int ExtractInteger(QString& Text) {
  qsizetype pos = 0;
  const int v = ExtractInteger(QStringView(Text), pos);
  Text.remove(0, pos);
  return v;
}

bool OnlyBlanksFrom(QStringView Text, qsizetype Pos) {
  for (qsizetype k = Pos; k < Text.size(); ++k)
    if (!Text[k].isSpace()) return false;
  return true;
}
