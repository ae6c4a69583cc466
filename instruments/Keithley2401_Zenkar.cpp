#include "instruments/Keithley2401_Zenkar.h"

#include <vector>

#include "common/_Common2.h"

const char* const TKeithley2401_Zenkar::kZenkarSetup[] = {
    "*RST",
    ":ROUT:TERM REAR",
    ":SOUR:FUNC CURR",
    ":SOUR:CURR:MODE FIXED",
    ":SOUR:CURR:RANGE:AUTO 1",
    ":SOUR:CURR:LEVEL 0",
    ":SENS:CURR:PROT 0.008",
    ":SENS:VOLT:PROT 1",
    ":OUTPUT:STATE 1",
    ":SENS:FUNC:CONC ON",
    ":SENS:CURR:DC:RANGE:AUTO 1",
    ":SENS:VOLT:DC:RANGE:AUTO 1",
    ":SENS:FUNC:ON \"VOLT:DC\", \"CURR:DC\" ",
    ":FORM:ELEM VOLT,CURR ",
};
const int TKeithley2401_Zenkar::kZenkarSetupCount =
    static_cast<int>(sizeof kZenkarSetup / sizeof kZenkarSetup[0]);

void TKeithley2401_Zenkar::Initialize_For_Zenkar() {
  CommunicatorInitialize();
  for (int i = 0; i < kZenkarSetupCount; ++i) Send(kZenkarSetup[i]);
}

std::vector<std::string> SplitReading(const std::string& reply) {
  std::vector<std::string> items;
  std::string item;
  for (char c : reply) {
    if (c == ',' || static_cast<unsigned char>(c) <= ' ') {
      if (!item.empty()) items.push_back(item);
      item.clear();
    } else {
      item += c;
    }
  }
  if (!item.empty()) items.push_back(item);
  return items;
}

bool TKeithley2401_Zenkar::ReadVoltageCurrent(double& Voltage, double& Current) {
  CommunicatorInitialize();
  Send(":READ?");
  TSerialResponse r;
  if (!WaitForMessage(r, PollLog::WhenDebug)) {
    Voltage = 0;
    Current = 0;
    return false;
  }
  ReadReply(r);
  if (!r.Status.empty()) return false;
  // A reply with fewer than two items is a failed reading, not an error.
  const std::vector<std::string> items = SplitReading(r.Response);
  if (items.empty() || !TryParseNumber(items[0], Voltage)) return false;
  return items.size() >= 2 && TryParseNumber(items[1], Current);
}
