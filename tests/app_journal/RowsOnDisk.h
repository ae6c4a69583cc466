// The rows a run left in its data files, and the rows its program log presented.
#pragma once

#include <QDir>
#include <QFile>

#include <map>
#include <string>
#include <vector>

namespace journaltest {

struct TRow {
  int Number = 0;
  double SensorVoltage = 0;
  double PumpCurrent = 0;
};

inline std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (;;) {
    const size_t end = text.find(sep, pos);
    out.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) return out;
    pos = end + 1;
  }
}

// Every data line of the ".txt" files in folder, keyed by file name.
inline std::map<std::string, std::vector<TRow>> RowsIn(const QString& folder) {
  std::map<std::string, std::vector<TRow>> files;
  for (const QString& name : QDir(folder).entryList({"*.txt"}, QDir::Files, QDir::Name)) {
    QFile f(folder + "/" + name);
    if (!f.open(QIODevice::ReadOnly)) continue;
    std::vector<TRow>& rows = files[name.toStdString()];
    for (const std::string& line : Split(f.readAll().toStdString(), '\n')) {
      const std::vector<std::string> fields = Split(line, ';');
      if (fields.size() < 8 || fields[0].find("Line") != std::string::npos) continue;
      rows.push_back({std::stoi(fields[0]), std::stod(fields[3]), std::stod(fields[6])});
    }
  }
  return files;
}

// All rows of the autosave and recovered files, in file order.
inline std::vector<TRow> SavedRows(const QString& base) {
  std::vector<TRow> all;
  for (const char* sub : {"/Userdata/Autosave", "/Userdata/Recovered"})
    for (const auto& [name, rows] : RowsIn(base + sub))
      all.insert(all.end(), rows.begin(), rows.end());
  return all;
}

// The sensor voltage and pump current of every status frame in the log text.
inline std::vector<TRow> PresentedRows(const std::string& log) {
  std::vector<TRow> rows;
  auto value = [](const std::string& line) { return std::stod(line.substr(line.find(": ") + 2)); };
  for (const std::string& line : Split(log, '\n')) {
    if (line.find("░ Instruments ░") != std::string::npos)
      rows.push_back({int(rows.size()) + 1, 0, 0});
    else if (!rows.empty() && line.find("Sensor Voltage. . . .: ") != std::string::npos)
      rows.back().SensorVoltage = value(line);
    else if (!rows.empty() && line.find("Pump Current. . . . .: ") != std::string::npos)
      rows.back().PumpCurrent = value(line);
  }
  return rows;
}

// The status frame shows eight significant digits.
inline bool SameValue(double frame, double file) {
  return std::abs(frame - file) <= 6e-8 * std::abs(file) + 1e-300;
}

}  // namespace journaltest
