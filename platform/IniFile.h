// Read-only INI settings file: "[section]" lines and "key=value" lines, section and key names
// matched without regard to case, values with the surrounding blanks removed. The file is read
// once, in the constructor; whatever cannot be read gives the caller's default.
#pragma once

#include <string>
#include <utility>
#include <vector>

class TIniFile {
 public:
  // Reads the file at path (UTF-8, UTF-8 with byte-order mark, UTF-16 with byte-order mark, or
  // Windows-1252 when not valid UTF-8; CR LF, LF or CR line ends). A missing, unreadable or
  // oversized file leaves the reader empty.
  explicit TIniFile(const std::string& path);

  // The value as written, trimmed of blanks and tabs; characters outside Windows-1252 become "?".
  // def when the section or key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Decimal with optional sign, or hexadecimal with "0x" or "$"; def when missing, empty,
  // malformed or outside the 32-bit range.
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // ReadInteger(section, key, def ? 1 : 0) != 0.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  // True when the file was found and read.
  bool Loaded() const { return fLoaded; }
  const std::string& FileName() const { return fFileName; }

  // Files above this size are not read at all.
  static constexpr std::size_t kMaxFileBytes = 4u << 20;
  // Lines longer than this (in bytes) are skipped.
  static constexpr std::size_t kMaxLineBytes = 32767;

 private:
  struct TEntry {
    std::string FoldedSection;
    std::string FoldedKey;
    std::string Value;
  };
  void Parse(const std::string& text);
  const std::string* Find(const std::string& section, const std::string& key) const;

  std::string fFileName;
  bool fLoaded = false;
  std::vector<TEntry> fEntries;
};
