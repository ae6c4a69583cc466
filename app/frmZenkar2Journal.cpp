// The window's side of the crash journal and of the closing save.
#include "app/Journal.h"
#include "app/frmZenkar2.h"
#include "common/_Common2.h"

TDataColumns TFormZenkar2::Columns() const {
  TDataColumns c;
  c.Time = RtDoubleVectorTime;
  c.Seconds = RtDoubleVectorSeconds;
  c.SensorVoltage = RtDoubleVectorSensorVoltage;
  c.Setpoint = RtDoubleVectorSetpoint;
  c.PumpVoltage = RtDoubleVectorPumpVoltage;
  c.PumpCurrent = RtDoubleVectorPumpCurrent;
  c.Temperature = RtDoubleVectorTemperature;
  return c;
}

void TFormZenkar2::StartJournal() {
  const TJournalLog log = [](const std::string& line) { AddToLog(line); };
  RecoverJournals(fBaseDir, log);
  fJournal = std::make_unique<TRunJournal>(fBaseDir, Now(), log);
}

void TFormZenkar2::ClosingSave() {
  const int rows = RtDoubleVectorTime->GetCount();
  if (AutosaveStartRow < rows) Save(true);
  if (AutosaveStartRow >= rows) fJournal->Remove();
}
