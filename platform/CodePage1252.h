// Windows-1252, the 8-bit code page of the data files and of the bytes sent to instruments,
// and UTF-8, the program's own text. The one table of the code page's 0x80..0x9F characters.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to Windows-1252. Characters the code page lacks and broken UTF-8 sequences become "?".
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the
// C1 code points of the same value, as Windows maps them.
std::string Utf8ToCp1252(std::string_view utf8);

// Windows-1252 to UTF-8; every byte has a character.
std::string Cp1252ToUtf8(std::string_view bytes);

// True when s is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view s);
