#include "app/StatusFrame.h"

#include "platform/FormatSettings.h"

namespace {

std::string PadRight(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string E(double x) {
  return FormatFloat("0.0000000E+00", x);
}
std::string S14(double x) {
  return PadRight(Space(x) + E(x), 14);
}
std::string F13(bool b) {
  return PadRight(b ? "True" : "False", 13);
}
std::string T13(double t) {
  return PadRight(Space(t) + FormatFloat("#.##", t), 13);
}

}  // namespace

std::string Space(double Number) {
  return Number >= 0 ? " " : "";
}

std::vector<std::string> StatusFrame(const TDataFromThread& d) {
  std::vector<std::string> f;
  f.reserve(25);
  f.push_back("");
  f.push_back("  ▄▄▄▓▓▓▓▒░ Instruments ░▒▓▓▓▓▓▓▓▓▓▓▓▄▄▄  ");
  f.push_back("▄▓▓▓▀▀▀▀                          ▀▀▀▀▓▓▓▄");
  f.push_back("▓▀                                      ▀▓");
  f.push_back("█ TIME . . . . . . . . .: " + FormatDateTime("hh:mm:ss", d.ReadTime) + "       █");
  f.push_back("▓                                        ▓");
  f.push_back("█ UPDATE COMPLIANCES . .: " + F13(d.SMUCompliancesSet) + "  █");
  if (d.SMUCompliancesSet) {
    f.push_back("▓  Current compliances .: " + E(d.SMUComplianceCurrent) + "  ▓");
    f.push_back("█  Voltage compliances .: " + E(d.SMUComplianceVoltage) + "  █");
  }
  f.push_back("▓                                        ▓");
  f.push_back("█ SLOW QUERY . . . . . .: " + F13(d.SlowQueryOk) + "  █");
  if (d.SlowQueryOk) {
    f.push_back("█  Channel 1 Voltage . .: " + S14(d.Channel1Voltage) + " █");
    f.push_back("▓  Channel 1 Resistance.:  " + E(d.Channel1Resistance) + " ▓");
    f.push_back("█  Channel 5 Resistance.:  " + E(d.Channel5Resistance) + " █");
    f.push_back("▓  Channel 4 Voltage . .: " + S14(d.Channel4Voltage) + " █");
    f.push_back("█   Box temperature. . .: " + T13(d.BoxTemperature) + "  ▓");
    f.push_back("█   Furnace temperature.: " + T13(d.FurnaceTemperature) + "  █");
  }
  f.push_back("▓                                        ▓");
  f.push_back("█ FAST QUERY                             █");
  f.push_back("▓  Sensor Voltage. . . .: " + S14(d.Channel2Voltage) + " ▓");
  f.push_back("▓  Pump Voltage. . . . .: " + S14(d.SMUVoltage) + " ▓");
  f.push_back("█  Pump Current. . . . .: " + S14(d.SMUCurrent) + " █");
  f.push_back("▓▄                                      ▄▓");
  f.push_back("▀▓▓▓▄▄▄▄                          ▄▄▄▄▓▓▓▀");
  f.push_back("  ▀▀▀▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▓▀▀▀  ");
  return f;
}
