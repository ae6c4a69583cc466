// INI settings file: "[section]" lines and "key=value" lines, section and key names matched
// without regard to case, values with the surrounding blanks removed. The file is read once, in
// the constructor; whatever cannot be read gives the caller's default. Values can also be written
// and the whole file saved: names keep the case they were first given, values are written as
// they stand (no quoting, no escaping; a value must not hold a line break).
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
  // The same with other size limits (chart settings with long value lists).
  TIniFile(const std::string& path, std::size_t maxFileBytes, std::size_t maxLineBytes);
  // An empty file in memory, to be written and saved with SaveToFile.
  TIniFile() = default;

  // The value as written, trimmed of blanks and tabs; characters outside Windows-1252 become "?".
  // def when the section or key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Decimal with optional sign, or hexadecimal with "0x" or "$"; def when missing, empty,
  // malformed or outside the 32-bit range.
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // ReadInteger(section, key, def ? 1 : 0) != 0.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  // Replaces the value under section and key, or adds the key at the end of its section (a new
  // section at the end of the file).
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  // "1" / "0".
  void WriteBool(const std::string& section, const std::string& key, bool value);
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  void EraseSection(const std::string& section);
  // Writes every section and key (UTF-8, CR LF line ends) to the file at path, replacing it only
  // once all is written; false when it cannot be written.
  bool SaveToFile(const std::string& path) const;
  // SaveToFile(FileName()).
  bool UpdateFile() const { return SaveToFile(fFileName); }

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
    // The names as written in the file or first given to a Write.
    std::string Section = {};
    std::string Key = {};
  };
  void Parse(const std::string& text);
  const std::string* Find(const std::string& section, const std::string& key) const;

  std::string fFileName;
  bool fLoaded = false;
  std::vector<TEntry> fEntries;
  std::size_t fMaxFileBytes = kMaxFileBytes;
  std::size_t fMaxLineBytes = kMaxLineBytes;
};
