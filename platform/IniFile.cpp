#include "platform/IniFile.h"

#include <QSaveFile>
#include <QString>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string_view>

#include "platform/AsciiCase.h"
#include "platform/CodePage1252.h"

namespace {

// Drops what Windows-1252 cannot hold: every such character becomes "?".
std::string KeepCp1252(std::string_view s) {
  return Cp1252ToUtf8(Utf8ToCp1252(s));
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

// Names compare without regard to case: ASCII letters alike under every locale, other letters
// by Unicode case folding (which does not depend on the locale either).
std::string Fold(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      return QString::fromUtf8(s.data(), qsizetype(s.size())).toCaseFolded().toStdString();
    }
  }
  return AsciiLowerCase(s);
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
