// The instruments of the window: the search at start-up, the bypass, the compliance check of
// each cycle start, and the commands of the "Debug" page.
#include "app/frmZenkar2.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include <stdexcept>

#include "app/LogView.h"
#include "app/MessageBox.h"
#include "app/WindowPlacement.h"
#include "common/_Common2.h"
#include "platform/AsciiCase.h"
#include "platform/CodePage1252.h"
#include "transport/TypesGPIB.h"

#ifdef ZK_HAVE_DISCOVERY
#include "discovery/Autoscan.h"
#include "discovery/AutoscanDialog.h"
#endif

namespace {

constexpr const char* kIdn2401 = "KEITHLEY INSTRUMENTS INC.,MODEL 2401";
constexpr const char* kIdn2000 = "KEITHLEY INSTRUMENTS INC.,MODEL 2000";

constexpr const char* kNotFoundText =
    "Keithley 2000 DMM and/or Keithley 2400 was not found. This program relies explicitly on "
    "these and will not work without both.";
constexpr const char* kNoScanCardText =
    "Keithley 2000 DMM was found, but no SCAN 2000 card was identified. This program relies "
    "explicitly on this card and will not work without it.";

}  // namespace

void TFormZenkar2::FreeInstruments() {
  delete K2000;
  K2000 = nullptr;
  delete K2401;
  K2401 = nullptr;
  delete PrologixController;
  PrologixController = nullptr;
}

void TFormZenkar2::ConfigureWithoutScan(const std::string& ComPort) {
  FreeInstruments();
  PrologixController = new TPrologix;
  PrologixController->SetPort(ComPort);
  PrologixController->SetDebug(CheckBox1->isChecked());
  PrologixController->SetEOIonSend(true);
  PrologixController->SetEOTEnabled(false);
  PrologixController->SetAutoRead(false);
  PrologixController->SetWindowsReadLoopTimeoutMS(123);
  K2000 = new TKeithley2000_Scan_Zenkar;
  K2000->SetPort(ComPort);
  K2000->SetAddr(2);
  K2000->SetTerminator(TGPIBTerminator::ct1310);
  K2000->SetIDN("");
  K2000->SetReadTimeout(5000);
  K2000->SetCommunicator(PrologixController);
  K2000->Initialize_For_Zenkar();
  K2401 = new TKeithley2401_Zenkar;
  K2401->SetPort(ComPort);
  K2401->SetAddr(1);
  K2401->SetTerminator(TGPIBTerminator::ct1310);
  K2401->SetIDN("");
  K2401->SetReadTimeout(5000);
  K2401->SetCommunicator(PrologixController);
  K2401->Initialize_For_Zenkar();
  ShowMessage(
      "As result of bypass, all devices are assumed to be working, but no testing was done. "
      "Assumed: K2401 at Addr:1, K2000 with scanner card at Addr:2, Com port used: " +
      ComPort);
  DevicesConfigured = true;
}

void TFormZenkar2::ScanDevices() {
  FreeInstruments();
#ifdef ZK_HAVE_DISCOVERY
  std::unique_ptr<TAutoScanView> view;
  if (!fOptions.Headless) {
    // Centred on this window once it is shown; before that, on the screen.
    auto dialog = std::make_unique<TAutoScanDialog>(isVisible() ? this : nullptr);
    PlaceCentred(dialog.get(), this);
    view = std::move(dialog);
  }
  TAutoScan scan(std::move(view));
  scan.GPIBLowAddr = 0;
  scan.GPIBHighAddr = 4;
  scan.SetSearchForGPIB(true);
  scan.SetSearchForFurnaces(false);
  scan.SetModbusScanAddressLimit(10);
  scan.ShowForm();
  AdoptSearchResults(scan);
#else
  ShowMessage(kNotFoundText);
  DevicesConfigured = false;
  MemoLog->Add("");
#endif
}

void TFormZenkar2::AdoptSearchResults(TAutoScan& scan) {
#ifdef ZK_HAVE_DISCOVERY
  FreeInstruments();
  if (scan.GPIBInfo.size() == 2) {
    PrologixController = new TPrologix;
    PrologixController->SetPort(scan.GPIBInfo[1].ComPort);
    PrologixController->SetDebug(true);
    PrologixController->SetEOIonSend(true);
    PrologixController->SetEOTEnabled(false);
    PrologixController->SetAutoRead(false);
    auto setUp = [](TGPIBDevice& d, const TGPIBInfo& info) {
      d.SetPort(info.ComPort);
      d.SetAddr(info.Address);
      d.SetTerminator(static_cast<TGPIBTerminator>(info.Terminator));
      d.SetIDN(info.IDN);
      d.SetReadTimeout(1000);
      d.SetCommunicator(PrologixController);
    };
    for (const TGPIBInfo& info : scan.GPIBInfo) {
      const std::string idn = AsciiUpperCase(info.IDN);
      if (idn.find(kIdn2401) != std::string::npos) {
        delete K2401;
        K2401 = new TKeithley2401_Zenkar;
        setUp(*K2401, info);
      }
      if (idn.find(kIdn2000) != std::string::npos) {
        delete K2000;
        K2000 = new TKeithley2000_Scan_Zenkar;
        setUp(*K2000, info);
      }
    }
    DevicesConfigured = true;
  }
  auto refuse = [&](const char* text) {
    scan.memo.Add("");
    scan.memo.Add(text);
    ShowMessage(text);
    DevicesConfigured = false;
  };
  if (!K2401 || !K2000)
    refuse(kNotFoundText);
  else if (!K2000->Scan2000CardPresent())
    refuse(kNoScanCardText);
  FlushLog();
  MemoLog->SetText(scan.Findings());
  MemoLog->Add("");
#else
  (void)scan;
#endif
}

bool TFormZenkar2::SMUApplyLimits(TKeithley2401_Zenkar* SMUDevice) {
  if (!SMUDevice) throw std::runtime_error("no SourceMeter");
  return SMUDevice->CurrentCompliance() != RtDoubleEditCurrentCompliance->Value() ||
         SMUDevice->VoltageCompliance() != RtDoubleEditVoltageCompliance->Value();
}

void TFormZenkar2::Button3Click() {
  if (!K2000) return;
  static const int channels[] = {1, 2, 4, 5};
  int channel = 0;
  for (size_t i = 0; i < RadioGroup1Items.size(); ++i)
    if (RadioGroup1Items[i]->isChecked()) channel = channels[i];
  int method = -1;
  for (size_t i = 0; i < RadioGroup2Items.size(); ++i)
    if (RadioGroup2Items[i]->isChecked()) method = static_cast<int>(i);
  K2000->UseSingleChanel(static_cast<uint8_t>(channel));
  double v = 0;
  if (method == 0 && K2000->ReadDCVoltage(v))
    Log("Voltage on channel " + std::to_string(channel) + " = " + FloatToStr(v));
  else if (method == 1 && K2000->Read2WireResistance(v))
    Log("Resistance on channel " + std::to_string(channel) + " = " + FloatToStr(v));
}

void TFormZenkar2::ButtonTerminalsClick() {
  if (!K2000) return;
  bool front = false;
  if (!K2000->GetInputSwitchFront(front))
    Log("Terminal state unknown");
  else
    Log(front ? "Terminal Front" : "Terminal Back");
}

void TFormZenkar2::SentToPrologixClick() {
  if (!PrologixController || !K2000) return;
  PrologixController->SetAddress(K2000->Addr());
  PrologixController->SetTerminator(K2000->Terminator());
  PrologixController->SetPort(K2000->Port());
  PrologixController->SetReadoutTimeoutMS(static_cast<uint32_t>(K2000->ReadTimeout()));
  PrologixController->GPIBSend2(Utf8ToCp1252(Edit1->text().toStdString()), false, 0);
}

void TFormZenkar2::Button4Click() {
  if (!PrologixController) return;
  const TSerialResponse r = PrologixController->Send2(PrologixCommand::ReadEoi, true);
  Log("Response :" + Trim(r.Response));
}

void TFormZenkar2::ButtonSerialPollClick() {
  if (!PrologixController) return;
  const TSerialResponse r = PrologixController->Send2(PrologixCommand::Spoll, true);
  Log("Response :" + Trim(r.Response));
}

void TFormZenkar2::CheckBox1Click() {
  if (PrologixController) PrologixController->SetDebug(CheckBox1->isChecked());
}

void TFormZenkar2::CheckBox2Click() {
  if (CheckBox2->isChecked())
    Timer1->start();
  else
    Timer1->stop();
}
