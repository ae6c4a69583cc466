#include "transport/TypesGPIB.h"

#include <charconv>

std::string TerminatorName(uint8_t t) {
  switch (t) {
    case 0:
      return "CR+LF";
    case 1:
      return "CR";
    case 2:
      return "LF";
    case 3:
      return "Nothing";
    default:
      return "Unknown";
  }
}

std::string TerminatorName(TGPIBTerminator t) {
  return TerminatorName(static_cast<uint8_t>(t));
}

std::string Trim(const std::string& text) {
  size_t a = 0;
  size_t b = text.size();
  while (a < b && static_cast<unsigned char>(text[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(text[b - 1]) <= ' ') --b;
  return text.substr(a, b - a);
}

int32_t StrToInt(const std::string& text) {
  const char* p = text.data();
  const char* end = p + text.size();
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  int base = 10;
  if (p != end && *p == '$') {
    base = 16;
    ++p;
  } else if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  int64_t v = 0;
  const auto [ptr, ec] = std::from_chars(p, end, v, base);
  const bool fits = negative ? v <= 2147483648LL : v <= 2147483647LL;
  if (p == end || *p == '-' || *p == '+' || ec != std::errc() || ptr != end || !fits)
    throw EConvertError("'" + text + "' is not a valid integer value");
  return static_cast<int32_t>(negative ? -v : v);
}
