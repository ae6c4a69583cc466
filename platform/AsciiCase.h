// Letter case of ASCII text, the same under every process locale: only "a".."z" and "A".."Z"
// change, every other byte (UTF-8 sequences included) stays as it is. Instrument replies,
// option strings and settings names are compared this way, so that a Turkish locale, whose
// upper case of "i" is not "I", cannot make "keithley" differ from "KEITHLEY".
#pragma once

#include <string>
#include <string_view>

constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiUpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

inline std::string AsciiLowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

// a and b equal without regard to ASCII letter case.
constexpr bool AsciiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// text contains part without regard to ASCII letter case; an empty part is always contained.
constexpr bool AsciiContainsText(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    if (AsciiSameText(text.substr(at, part.size()), part)) return true;
  }
  return false;
}
