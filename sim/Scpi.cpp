#include "sim/Scpi.h"

#include <charconv>
#include <cmath>

#include "platform/AsciiCase.h"

namespace sim::scpi {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Upper(std::string_view s) {
  return AsciiUpperCase(s);
}

bool IsAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsWordChar(char c) {
  return IsAlpha(c) || IsDigit(c) || c == '_';
}

// Splits at separator outside quotes and parentheses.
std::vector<std::string_view> SplitOutside(std::string_view s, char separator) {
  std::vector<std::string_view> parts;
  char quote = 0;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) --depth;
    } else if (c == separator && depth == 0) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(s.substr(start));
  return parts;
}

bool ParseDecimal(std::string_view s, double& value) {
  if (s.empty()) return false;
  bool negative = false;
  if (s.front() == '+' || s.front() == '-') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s.front() == '+' || s.front() == '-') return false;
  double v = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size()) return false;
  value = negative ? -v : v;
  return true;
}

int ParseNumeric(std::string_view s, Param& p) {
  p.Kind = ParamKind::Numeric;
  p.Text = std::string(s);
  if (s.front() == '#') {
    if (s.size() < 3) return err::NumericDataError;
    int base = 0;
    switch (AsciiUpper(s[1])) {
      case 'H':
        base = 16;
        break;
      case 'Q':
        base = 8;
        break;
      case 'B':
        base = 2;
        break;
      default:
        return err::NumericDataError;
    }
    long long v = 0;
    auto [ptr, ec] = std::from_chars(s.data() + 2, s.data() + s.size(), v, base);
    if (ec != std::errc() || ptr != s.data() + s.size()) return err::NumericDataError;
    p.Number = static_cast<double>(v);
    return 0;
  }
  // The mantissa and exponent, then an optional unit suffix, which these instruments refuse.
  size_t end = 0;
  while (end < s.size() && (IsDigit(s[end]) || s[end] == '.' || s[end] == '+' || s[end] == '-' ||
                            ((s[end] == 'e' || s[end] == 'E') && end + 1 < s.size() &&
                             (IsDigit(s[end + 1]) || s[end + 1] == '+' || s[end + 1] == '-'))))
    ++end;
  if (!ParseDecimal(s.substr(0, end), p.Number)) return err::NumericDataError;
  std::string_view rest = Trim(s.substr(end));
  if (!rest.empty()) return err::InvalidSuffix;
  return 0;
}

int ParseChannelList(std::string_view s, Param& p) {
  p.Kind = ParamKind::ChannelList;
  p.Text = std::string(s);
  if (s.size() < 3 || s[1] != '@' || s.back() != ')') return err::SyntaxError;
  std::string_view body = Trim(s.substr(2, s.size() - 3));
  if (body.empty()) return 0;
  for (std::string_view item : SplitOutside(body, ',')) {
    item = Trim(item);
    size_t colon = item.find(':');
    auto toInt = [](std::string_view t, int& v) {
      t = Trim(t);
      auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
      return !t.empty() && ec == std::errc() && ptr == t.data() + t.size();
    };
    int first = 0, last = 0;
    if (colon == std::string_view::npos) {
      if (!toInt(item, first)) return err::SyntaxError;
      last = first;
    } else if (!toInt(item.substr(0, colon), first) || !toInt(item.substr(colon + 1), last)) {
      return err::SyntaxError;
    }
    if (last < first || last - first > 1000) return err::SyntaxError;
    for (int c = first; c <= last; ++c) p.Channels.push_back(c);
  }
  return 0;
}

int ParseString(std::string_view s, Param& p) {
  p.Kind = ParamKind::String;
  char quote = s.front();
  std::string text;
  size_t i = 1;
  for (; i < s.size(); ++i) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        text += quote;
        ++i;
        continue;
      }
      break;
    }
    text += s[i];
  }
  if (i >= s.size()) return err::InvalidStringData;
  if (!Trim(s.substr(i + 1)).empty()) return err::SyntaxError;
  p.Text = std::move(text);
  return 0;
}

int ParseParam(std::string_view s, Param& p) {
  s = Trim(s);
  if (s.empty()) return err::SyntaxError;
  char c = s.front();
  if (c == '"' || c == '\'') return ParseString(s, p);
  if (c == '(') return ParseChannelList(s, p);
  if (IsDigit(c) || c == '+' || c == '-' || c == '.' || c == '#') return ParseNumeric(s, p);
  if (!IsAlpha(c)) return err::InvalidCharacterData;
  for (char ch : s)
    if (!IsWordChar(ch) && ch != ':') return err::InvalidCharacterData;
  p.Kind = ParamKind::Character;
  p.Text = Upper(s);
  return 0;
}

}  // namespace

const char* ErrorText(int code) {
  switch (code) {
    case 0:
      return "No error";
    case err::CommandError:
      return "Command error";
    case err::InvalidCharacter:
      return "Invalid character";
    case err::SyntaxError:
      return "Syntax error";
    case err::InvalidSeparator:
      return "Invalid separator";
    case err::DataTypeError:
      return "Data type error";
    case err::ParameterNotAllowed:
      return "Parameter not allowed";
    case err::MissingParameter:
      return "Missing parameter";
    case err::UndefinedHeader:
      return "Undefined header";
    case err::NumericDataError:
      return "Numeric data error";
    case err::InvalidSuffix:
      return "Invalid suffix";
    case err::InvalidCharacterData:
      return "Invalid character data";
    case err::InvalidStringData:
      return "Invalid string data";
    case err::InitIgnored:
      return "Init ignored";
    case err::SettingsConflict:
      return "Settings conflict";
    case err::DataOutOfRange:
      return "Parameter data out of range";
    case err::IllegalParameterValue:
      return "Illegal parameter value";
    case err::DataStale:
      return "Data corrupt or stale";
    case err::HardwareMissing:
      return "Hardware missing";
    case err::QueueOverflow:
      return "Queue overflow";
    case err::QueryInterrupted:
      return "Query INTERRUPTED";
    case err::QueryUnterminated:
      return "Query UNTERMINATED";
    default:
      return "Device-specific error";
  }
}

std::vector<std::string> SplitUnits(std::string_view message) {
  std::vector<std::string> units;
  for (std::string_view part : SplitOutside(message, ';')) {
    part = Trim(part);
    if (!part.empty()) units.emplace_back(part);
  }
  return units;
}

int ParseUnit(std::string_view text, Unit& unit) {
  unit = Unit{};
  text = Trim(text);
  if (text.empty()) return err::SyntaxError;
  size_t i = 0;
  if (text[0] == '*') {
    unit.Common = true;
    i = 1;
    while (i < text.size() && IsAlpha(text[i])) ++i;
    if (i == 1) return err::SyntaxError;
    unit.Nodes.push_back(Upper(text.substr(0, i)));
  } else {
    if (text[0] == ':') {
      unit.Absolute = true;
      i = 1;
    }
    for (;;) {
      size_t start = i;
      if (i >= text.size() || !IsAlpha(text[i])) return err::SyntaxError;
      while (i < text.size() && IsWordChar(text[i])) ++i;
      unit.Nodes.push_back(Upper(text.substr(start, i - start)));
      if (i < text.size() && text[i] == ':') {
        ++i;
        continue;
      }
      break;
    }
  }
  if (i < text.size() && text[i] == '?') {
    unit.Query = true;
    ++i;
  }
  if (i == text.size()) return 0;
  if (!IsBlank(text[i])) return unit.Common ? err::UndefinedHeader : err::SyntaxError;
  std::string_view params = Trim(text.substr(i));
  if (params.empty()) return 0;
  for (std::string_view item : SplitOutside(params, ',')) {
    Param p;
    int e = ParseParam(item, p);
    if (e != 0) return e;
    unit.Params.push_back(std::move(p));
  }
  return 0;
}

std::string ShortForm(std::string_view mnemonic) {
  std::string s;
  for (char c : mnemonic) {
    if (c >= 'a' && c <= 'z') break;
    s += c;
  }
  return s;
}

bool MnemonicMatches(std::string_view mnemonic, std::string_view word) {
  std::string w = Upper(word);
  std::string shortForm = ShortForm(mnemonic);
  std::string longForm = Upper(mnemonic);
  if (w == shortForm || w == longForm) return true;
  if (w.size() > 1 && w.back() == '1' && !IsDigit(shortForm.empty() ? 'x' : shortForm.back())) {
    w.pop_back();
    return w == shortForm || w == longForm;
  }
  return false;
}

Pattern::Pattern(std::string_view text) : text_(text) {
  size_t i = 0;
  while (i < text.size()) {
    bool optional = false;
    if (text[i] == '[') {
      optional = true;
      ++i;
    }
    if (i < text.size() && text[i] == ':') ++i;
    size_t start = i;
    while (i < text.size() && text[i] != ':' && text[i] != '[' && text[i] != ']') ++i;
    nodes_.push_back(Node{std::string(text.substr(start, i - start)), optional});
    if (optional && i < text.size() && text[i] == ']') ++i;
  }
}

bool Pattern::Matches(const std::vector<std::string>& nodes) const {
  return MatchFrom(0, nodes, 0);
}

bool Pattern::MatchFrom(size_t pi, const std::vector<std::string>& nodes, size_t ni) const {
  if (pi == nodes_.size()) return ni == nodes.size();
  const Node& node = nodes_[pi];
  if (ni < nodes.size() && MnemonicMatches(node.Mnemonic, nodes[ni]) &&
      MatchFrom(pi + 1, nodes, ni + 1))
    return true;
  return node.Optional && MatchFrom(pi + 1, nodes, ni);
}

std::string FormatExponent(double value, int decimals) {
  if (!std::isfinite(value)) value = 9.91e37;
  char buf[64];
  auto [ptr, ec] =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, decimals);
  std::string s = ec == std::errc() ? std::string(buf, ptr) : std::string("0e+00");
  for (char& c : s)
    if (c == 'e') c = 'E';
  if (s.front() != '-') s.insert(s.begin(), '+');
  return s;
}

std::vector<std::string> SplitNodes(const std::string& text) {
  std::vector<std::string> nodes;
  size_t start = 0;
  for (;;) {
    size_t colon = text.find(':', start);
    nodes.push_back(text.substr(start, colon == std::string::npos ? colon : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (!nodes.empty() && nodes.front().empty()) nodes.erase(nodes.begin());
  return nodes;
}

}  // namespace sim::scpi
