#include "instruments/Keithley2000_Scan_Zenkar.h"

const char* const TKeithley2000_Scan_Zenkar::kZenkarSetup[] = {
    ":SYST:BEEP:STAT 1",         ":INIT:CONT OFF",
    ":SENS:FUNC 'RES'",          ":SENS:RES:NPLC 10",
    ":SENS:RES:AVER:STAT 1",     ":SENS:RES:AVER:TCON REP",
    ":SENS:RES:AVER:COUN 3",     ":SENS:RES:RANGE 2300",
    ":SENS:FUNC 'VOLT:DC'",      ":SENS:VOLT:DC:NPLC 10",
    ":SENS:VOLT:DC:AVER:STAT 1", ":SENS:VOLT:DC:AVER:TCON REP",
    ":SENS:VOLT:DC:AVER:COUN 3", ":SENS:VOLT:DC:RANGE:AUTO 1",
    ":SENS:VOLT:DC:RANGE 1",
};
const int TKeithley2000_Scan_Zenkar::kZenkarSetupCount =
    static_cast<int>(sizeof kZenkarSetup / sizeof kZenkarSetup[0]);

void TKeithley2000_Scan_Zenkar::Initialize_For_Zenkar() {
  CommunicatorInitialize();
  fCommunicator->Send2("*RST\r", false);
  for (int i = 0; i < kZenkarSetupCount; ++i) Send(kZenkarSetup[i]);
}
