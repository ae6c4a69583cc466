// Stand-ins for pieces that are still being written elsewhere: the numeric edits, the settings
// file reader and the driver-folder writer. Each is used only while its real header is absent.
#pragma once

#include <QLineEdit>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/_Common2.h"
#include "platform/FormatSettings.h"

#if __has_include("chart/view/RtFloatEdit.h") && defined(ZK_HAVE_CHARTVIEW)
#include "chart/view/RtFloatEdit.h"
#include "chart/view/RtIntegerEdit.h"
#else
class TRtDoubleEdit : public QLineEdit {
 public:
  explicit TRtDoubleEdit(QWidget* parent = nullptr) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& t) {
      double v = 0;
      if (TryParseNumber(t.toStdString(), v) &&
          (FMaxValue <= FMinValue || (v >= FMinValue && v <= FMaxValue)))
        FValue = v;
    });
    connect(this, &QLineEdit::editingFinished, this, [this] { SetValue(FValue); });
    SetValue(0);
  }
  double Value() const { return FValue; }
  void SetValue(double v) {
    if (FMaxValue > FMinValue) v = std::clamp(v, FMinValue, FMaxValue);
    FValue = v;
    setText(QString::fromStdString(FloatToStr(v)));
  }
  double MinValue() const { return FMinValue; }
  double MaxValue() const { return FMaxValue; }
  void SetMinValue(double v) {
    FMinValue = v;
    SetValue(FValue);
  }
  void SetMaxValue(double v) {
    FMaxValue = v;
    SetValue(FValue);
  }

 private:
  double FMinValue = 0, FMaxValue = 0, FValue = 0;
};

class TRtIntegerEdit : public QLineEdit {
 public:
  explicit TRtIntegerEdit(QWidget* parent = nullptr) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& t) {
      bool ok = false;
      const int v = t.trimmed().toInt(&ok);
      if (ok && (FMaxValue <= FMinValue || (v >= FMinValue && v <= FMaxValue))) FValue = v;
    });
    connect(this, &QLineEdit::editingFinished, this, [this] { SetValue(FValue); });
    SetValue(0);
  }
  int Value() const { return FValue; }
  void SetValue(int v) {
    if (FMaxValue > FMinValue) v = std::clamp(v, FMinValue, FMaxValue);
    FValue = v;
    setText(QString::number(v));
  }
  void SetMinValue(int v) {
    FMinValue = v;
    SetValue(FValue);
  }
  void SetMaxValue(int v) {
    FMaxValue = v;
    SetValue(FValue);
  }

 private:
  int FMinValue = 0, FMaxValue = 0, FValue = 0;
};
#endif

#if __has_include("platform/IniFile.h")
#include "platform/IniFile.h"
#define ZK_HAVE_INIFILE 1
#else
// Read-only INI file: section and key names without regard to case, values trimmed.
class TIniFile {
 public:
  explicit TIniFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    fLoaded = true;
    std::string line, section;
    while (std::getline(in, line)) {
      line = Trim(line);
      if (line.empty() || line[0] == ';') continue;
      if (line.front() == '[') {
        const auto e = line.find(']');
        section = Lower(Trim(line.substr(1, e == std::string::npos ? std::string::npos : e - 1)));
        continue;
      }
      const auto eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = Lower(Trim(line.substr(0, eq)));
      auto& s = fValues[section];
      if (!s.count(key)) s[key] = Trim(line.substr(eq + 1));
    }
  }
  bool Loaded() const { return fLoaded; }
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const {
    auto s = fValues.find(Lower(section));
    if (s == fValues.end()) return def;
    auto k = s->second.find(Lower(key));
    return k == s->second.end() ? def : k->second;
  }

 private:
  static std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
  }
  static std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }
  bool fLoaded = false;
  std::map<std::string, std::map<std::string, std::string> > fValues;
};
#endif

#if __has_include("platform/Resources.h")
#include "platform/Resources.h"
#else
// Makes the driver folder; the real writer also puts the controller's udev rule there.
inline void PrepareDllFolder(const std::string& baseDir) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(baseDir) / "Dll", ec);
}
#endif
