#include "platform/CodePage1252.h"

#include <cstddef>

namespace {

// Code points of the bytes 0x80 .. 0x9F; 0 where the code page has no character.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t CodePointOf(unsigned char b) {
  if (b < 0x80 || b > 0x9F) return b;
  return kHigh[b - 0x80] != 0 ? kHigh[b - 0x80] : b;
}

// The byte of c, or '?' when the code page has none.
char ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
  for (int k = 0; k < 32; ++k) {
    if (kHigh[k] != 0 && kHigh[k] == c) return char(0x80 + k);
    if (kHigh[k] == 0 && c == char32_t(0x80 + k)) return char(c);
  }
  return '?';
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

}  // namespace

std::string Utf8ToCp1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t c = 0;
    if (NextUtf8(s, i, c)) {
      out += ByteOf(c);
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) AppendUtf8(out, CodePointOf(static_cast<unsigned char>(b)));
  return out;
}

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  char32_t c = 0;
  while (i < s.size()) {
    if (!NextUtf8(s, i, c)) return false;
  }
  return true;
}
