#include "app/CellState.h"

TDataFromThread ThreadData;
int32_t CycleCounter = 2;
TDateTime LastCycleReadTime = 0;
bool DevicesConfigured = false;
int32_t AutosaveStartRow = 0;
TPrologix* PrologixController = nullptr;
TKeithley2401_Zenkar* K2401 = nullptr;
TKeithley2000_Scan_Zenkar* K2000 = nullptr;

namespace {
struct TUnitInit {
  TUnitInit() { ThreadData.ReadTime = Now(); }
} gUnitInit;
}  // namespace

void ResetUnitState() {
  ThreadData = TDataFromThread{};
  ThreadData.ReadTime = Now();
  CycleCounter = 2;
  LastCycleReadTime = 0;
  DevicesConfigured = false;
  AutosaveStartRow = 0;
}
