#include "platform/IniFile.h"

#include <QSaveFile>
#include <QString>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string_view>

namespace {

// Windows-1252 code points of the bytes 0x80 .. 0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool InCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return true;
  for (char16_t h : kCp1252High) {
    if (h != 0 && h == c) return true;
  }
  return false;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; false (and i unchanged) when it is not well formed.
bool NextUtf8(std::string_view s, std::size_t& i, char32_t& c) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    c = b0;
    ++i;
    return true;
  }
  int n = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    n = 1;
    c = b0 & 0x1F;
    min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 2;
    c = b0 & 0x0F;
    min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 3;
    c = b0 & 0x07;
    min = 0x10000;
  } else {
    return false;
  }
  if (i + std::size_t(n) >= s.size()) return false;
  for (int k = 1; k <= n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + std::size_t(k)]);
    if ((b & 0xC0) != 0x80) return false;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  i += std::size_t(n) + 1;
  return true;
}

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  char32_t c = 0;
  while (i < s.size()) {
    if (!NextUtf8(s, i, c)) return false;
  }
  return true;
}

std::string Cp1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    const auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b >= 0x80 && b <= 0x9F) c = kCp1252High[b - 0x80] != 0 ? kCp1252High[b - 0x80] : b;
    AppendUtf8(out, c);
  }
  return out;
}

// Replaces every character that Windows-1252 cannot hold by "?".
std::string KeepCp1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t c = 0;
    const std::size_t start = i;
    if (!NextUtf8(s, i, c)) {
      out += '?';
      i = start + 1;
      continue;
    }
    if (InCp1252(c)) {
      out.append(s.substr(start, i - start));
    } else {
      out += '?';
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  const std::size_t n = bytes.size() / 2;
  std::u16string units(n, u'\0');
  for (std::size_t k = 0; k < n; ++k) {
    const auto a = static_cast<unsigned char>(bytes[2 * k]);
    const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
    units[k] = bigEndian ? char16_t((a << 8) | b) : char16_t((b << 8) | a);
  }
  return QString::fromUtf16(units.data(), qsizetype(n)).toStdString();
}

std::string_view Trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::string Fold(std::string_view s) {
  bool ascii = true;
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
  }
  if (ascii) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return out;
  }
  return QString::fromUtf8(s.data(), qsizetype(s.size())).toCaseFolded().toStdString();
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  bool ok = true;
  char buf[65536];
  for (;;) {
    const std::size_t got = std::fread(buf, 1, sizeof buf, f);
    bytes.append(buf, got);
    if (bytes.size() > maxBytes) {
      ok = false;
      break;
    }
    if (got < sizeof buf) {
      if (std::ferror(f)) ok = false;
      break;
    }
  }
  std::fclose(f);
  if (!ok) bytes.clear();
  return ok;
}

}  // namespace

TIniFile::TIniFile(const std::string& path) : TIniFile(path, kMaxFileBytes, kMaxLineBytes) {}

TIniFile::TIniFile(const std::string& path, std::size_t maxFileBytes, std::size_t maxLineBytes)
    : fFileName(path), fMaxFileBytes(maxFileBytes), fMaxLineBytes(maxLineBytes) {
  std::string bytes;
  if (path.empty() || !ReadWholeFile(path, bytes, fMaxFileBytes)) return;
  fLoaded = true;
  std::string_view raw(bytes);
  std::string text;
  if (raw.substr(0, 3) == "\xEF\xBB\xBF") {
    raw.remove_prefix(3);
    text = IsValidUtf8(raw) ? std::string(raw) : Cp1252ToUtf8(raw);
  } else if (raw.substr(0, 2) == "\xFF\xFE") {
    text = Utf16ToUtf8(raw.substr(2), false);
  } else if (raw.substr(0, 2) == "\xFE\xFF") {
    text = Utf16ToUtf8(raw.substr(2), true);
  } else {
    text = IsValidUtf8(raw) ? std::string(raw) : Cp1252ToUtf8(raw);
  }
  Parse(text);
}

void TIniFile::Parse(const std::string& text) {
  const std::string_view all(text);
  bool inSection = false;
  std::string section;
  std::string sectionName;
  std::size_t pos = 0;
  while (pos < all.size()) {
    std::size_t end = all.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = all.size();
    const std::string_view line = all.substr(pos, end - pos);
    pos = end;
    if (pos < all.size() && all[pos] == '\r') ++pos;
    if (pos < all.size() && all[pos] == '\n') ++pos;

    if (line.size() > fMaxLineBytes || line.find('\0') != std::string_view::npos) continue;
    const std::string_view t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t[0] == '[') {
      // A header without its "]" names no section, so the keys under it are not read.
      const std::size_t close = t.find(']');
      inSection = close != std::string_view::npos;
      if (inSection) section = Fold(Trim(t.substr(1, close - 1)));
      if (inSection) sectionName = std::string(Trim(t.substr(1, close - 1)));
      continue;
    }
    if (!inSection) continue;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = Trim(t.substr(0, eq));
    if (key.empty()) continue;
    fEntries.push_back({section, Fold(key), KeepCp1252(Trim(t.substr(eq + 1)))});
    fEntries.back().Section = sectionName;
    fEntries.back().Key = std::string(key);
  }
}

const std::string* TIniFile::Find(const std::string& section, const std::string& key) const {
  if (fEntries.empty()) return nullptr;
  const std::string s = Fold(Trim(section));
  const std::string k = Fold(Trim(key));
  for (const TEntry& e : fEntries) {
    if (e.FoldedSection == s && e.FoldedKey == k) return &e.Value;
  }
  return nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  const std::string* v = Find(section, key);
  return v != nullptr ? *v : def;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const std::string* v = Find(section, key);
  if (v == nullptr) return def;
  std::string_view s = Trim(*v);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  } else if (s.size() > 1 && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  }
  if (s.empty()) return def;
  std::uint64_t magnitude = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return def;
  if (base == 16 && !negative && magnitude <= 0xFFFFFFFFu) {
    // Hexadecimal fills the 32 bits as they stand ($FFFFFFFF is -1).
    return static_cast<int>(static_cast<std::uint32_t>(magnitude));
  }
  const std::uint64_t limit = negative ? std::uint64_t(std::numeric_limits<int>::max()) + 1
                                       : std::numeric_limits<int>::max();
  if (magnitude > limit) return def;
  return negative ? static_cast<int>(-static_cast<std::int64_t>(magnitude))
                  : static_cast<int>(magnitude);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

// ---- writing -----------------------------------------------------------------------------------

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  const std::string s = Fold(Trim(section));
  const std::string k = Fold(Trim(key));
  std::size_t after = fEntries.size();
  for (std::size_t i = 0; i < fEntries.size(); ++i) {
    TEntry& e = fEntries[i];
    if (e.FoldedSection != s) continue;
    if (e.FoldedKey == k) {
      e.Value = value;
      return;
    }
    after = i + 1;
  }
  TEntry e{s, k, value, std::string(Trim(section)), std::string(Trim(key))};
  fEntries.insert(fEntries.begin() + std::ptrdiff_t(after), std::move(e));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& section) const {
  const std::string s = Fold(Trim(section));
  for (const TEntry& e : fEntries)
    if (e.FoldedSection == s) return true;
  return false;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return Find(section, key) != nullptr;
}

void TIniFile::EraseSection(const std::string& section) {
  const std::string s = Fold(Trim(section));
  std::erase_if(fEntries, [&s](const TEntry& e) { return e.FoldedSection == s; });
}

bool TIniFile::SaveToFile(const std::string& path) const {
  // Sections in the order they first appear, each with all its keys.
  std::vector<const std::string*> order;
  for (const TEntry& e : fEntries) {
    bool seen = false;
    for (const std::string* o : order) seen = seen || *o == e.FoldedSection;
    if (!seen) order.push_back(&e.FoldedSection);
  }
  std::string text;
  for (const std::string* s : order) {
    bool first = true;
    for (const TEntry& e : fEntries) {
      if (e.FoldedSection != *s) continue;
      if (first) {
        if (!text.empty()) text += "\r\n";
        text += "[" + e.Section + "]\r\n";
        first = false;
      }
      text += e.Key + "=" + e.Value + "\r\n";
    }
  }
  if (path.empty()) return false;
  QSaveFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::WriteOnly)) return false;
  if (f.write(text.data(), qint64(text.size())) != qint64(text.size())) {
    f.cancelWriting();
    return false;
  }
  return f.commit();
}
