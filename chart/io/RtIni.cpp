#include "chart/io/RtIni.h"

#include "chart/io/RtColors.h"
#include "chart/io/RtText.h"
#include "platform/IniFile.h"

namespace {

QString JoinKey(const QString& Prefix, const QString& Name) {
  return Prefix.isEmpty() ? Name : Prefix + QLatin1Char('.') + Name;
}

}  // namespace

QString TRtIniWriter::Key(const QString& Name) const {
  return JoinKey(fPrefix, Name);
}

void TRtIniWriter::WriteString(const QString& Name, const QString& Value) const {
  fIni.WriteString(fSection.toStdString(), Key(Name).toStdString(), Value.toStdString());
}
void TRtIniWriter::WriteInteger(const QString& Name, int Value) const {
  WriteString(Name, QString::number(Value));
}
void TRtIniWriter::WriteBool(const QString& Name, bool Value) const {
  WriteString(Name, Value ? QStringLiteral("1") : QStringLiteral("0"));
}
void TRtIniWriter::WriteFloat(const QString& Name, double Value) const {
  WriteString(Name, FloatToText(Value));
}
void TRtIniWriter::WriteColor(const QString& Name, std::uint32_t Argb) const {
  WriteString(Name, ColorToText(Argb));
}

QString TRtIniReader::Key(const QString& Name) const {
  return JoinKey(fPrefix, Name);
}

bool TRtIniReader::Exists(const QString& Name) const {
  return fIni.ValueExists(fSection.toStdString(), Key(Name).toStdString());
}

QString TRtIniReader::ReadString(const QString& Name, const QString& Default) const {
  if (!Exists(Name)) return Default;
  return QString::fromStdString(
      fIni.ReadString(fSection.toStdString(), Key(Name).toStdString(), {}));
}

int TRtIniReader::ReadInteger(const QString& Name, int Default) const {
  int v = 0;
  return Exists(Name) && TryTextToInteger(ReadString(Name, {}), v) ? v : Default;
}

bool TRtIniReader::ReadBool(const QString& Name, bool Default) const {
  return ReadInteger(Name, Default ? 1 : 0) != 0;
}

double TRtIniReader::ReadFloat(const QString& Name, double Default) const {
  double v = 0;
  return Exists(Name) && TryTextToFloat(ReadString(Name, {}), v) ? v : Default;
}

std::uint32_t TRtIniReader::ReadColor(const QString& Name, std::uint32_t Default) const {
  std::uint32_t v = 0;
  return Exists(Name) && TryTextToColor(ReadString(Name, {}), v) ? v : Default;
}
