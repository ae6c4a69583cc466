// One object's section of an INI file in the chart's conventions: booleans "1"/"0", floats and
// colours as in the XML form, sub-objects as dotted keys ("Line.Color"). A missing key, or a
// value that does not convert, gives the default the caller passes (usually the current value).
#pragma once

#include <QString>

#include <cstdint>

class TIniFile;

class TRtIniWriter {
 public:
  TRtIniWriter(TIniFile& Ini, const QString& Section, const QString& Prefix = {})
      : fIni(Ini), fSection(Section), fPrefix(Prefix) {}
  // The keys of a sub-object: Prefix + "." + key.
  TRtIniWriter Sub(const QString& Prefix) const { return {fIni, fSection, Key(Prefix)}; }

  void WriteString(const QString& Name, const QString& Value) const;
  void WriteInteger(const QString& Name, int Value) const;
  void WriteBool(const QString& Name, bool Value) const;
  void WriteFloat(const QString& Name, double Value) const;
  void WriteColor(const QString& Name, std::uint32_t Argb) const;

  const QString& Section() const { return fSection; }

 private:
  QString Key(const QString& Name) const;
  TIniFile& fIni;
  QString fSection;
  QString fPrefix;
};

class TRtIniReader {
 public:
  TRtIniReader(const TIniFile& Ini, const QString& Section, const QString& Prefix = {})
      : fIni(Ini), fSection(Section), fPrefix(Prefix) {}
  TRtIniReader Sub(const QString& Prefix) const { return {fIni, fSection, Key(Prefix)}; }

  bool Exists(const QString& Name) const;
  QString ReadString(const QString& Name, const QString& Default) const;
  int ReadInteger(const QString& Name, int Default) const;
  bool ReadBool(const QString& Name, bool Default) const;
  double ReadFloat(const QString& Name, double Default) const;
  std::uint32_t ReadColor(const QString& Name, std::uint32_t Default) const;

  const QString& Section() const { return fSection; }

 private:
  QString Key(const QString& Name) const;
  const TIniFile& fIni;
  QString fSection;
  QString fPrefix;
};
