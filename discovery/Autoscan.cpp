#include "discovery/Autoscan.h"

#include "modbus/Modbus.h"
#include "platform/AsciiCase.h"
#include "transport/Prologix.h"
#include "transport/SerialPort.h"

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

constexpr uint32_t kVersionTimeoutMS = 2000;
constexpr uint32_t kPollTimeoutMS = 1000;
constexpr uint32_t kSetupTimeoutMS = 100;
constexpr uint32_t kIdentifyTimeoutMS = 2000;
constexpr uint32_t kModbusTimeoutMS = 1000;
constexpr int kTerminatorCount = 4;

}  // namespace

// --- progress text ---------------------------------------------------------------------------

void TAutoScanMemo::Add(const std::string& line) {
  fLines.push_back(line);
  if (fView) fView->LineAdded(line);
}

void TAutoScanMemo::AddProgress(const std::string& line, const std::string& marker) {
  if (!fLines.empty() && EndsWith(fLines.back(), marker)) {
    fLines.back() = line;
    if (fView) fView->LastLineReplaced(line);
  } else {
    Add(line);
  }
}

void TAutoScanMemo::Clear() {
  fLines.clear();
}

std::string TAutoScanMemo::Text() const {
  std::string text;
  for (size_t i = 0; i < fLines.size(); ++i) {
    if (i) text += '\n';
    text += fLines[i];
  }
  return text;
}

// --- search ----------------------------------------------------------------------------------

TAutoScan::TAutoScan(std::unique_ptr<TAutoScanView> aForm) : form(std::move(aForm)) {
  memo.SetView(form.get());
}

TAutoScan::~TAutoScan() {
  memo.SetView(nullptr);
}

void TAutoScan::SetModbusScanAddressLimit(int32_t Value) {
  if (Value >= 1 && Value <= 256) fModbusScanAddressLimit = Value;
}

void TAutoScan::Line(const std::string& text) {
  memo.Add(text);
  ProcessEvents();
}

void TAutoScan::Progress(const std::string& text, const std::string& marker) {
  memo.AddProgress(text, marker);
  ProcessEvents();
}

void TAutoScan::ProcessEvents() {
  if (form) form->ProcessEvents();
}

std::string TAutoScan::PortAsString(TCommPort aPort) {
  TCommPortList list;
  return list.CommPortToString(aPort);
}

std::string TAutoScan::PortsAsString(const TPortsList& Ports) {
  std::string text;
  bool first = true;
  for (size_t n = 0; n < Ports.size(); ++n) {
    if (!Ports.test(n)) continue;
    if (!first) text += ", ";
    text += PortAsString(CommPortFromNumber(static_cast<int>(n)));
    first = false;
  }
  return text;
}

void TAutoScan::ShowForm() {
  Line("Please wait until the search finishes.");
  Line("");
  if (form) form->SearchStarted();
  ProcessEvents();

  if (FoundComPorts.any())
    Line("Using following preset serial ports: " + PortsAsString(FoundComPorts));
  else
    SearchComPorts();

  if (FoundComPorts.none()) {
    Line("No serial port was detected. Cannot look for instruments.");
    if (form) form->SearchFinished();
    return;
  }

  PrologixComPorts.reset();
  SearchPrologix(FoundComPorts);

  if (fSearchForGPIB) {
    if (PrologixComPorts.any())
      Line("    Using following serial ports for GPIB network: " + PortsAsString(PrologixComPorts));
    else
      Line(
          "    No serial port(s) found with Prologix USB-GPIB device(s), cannot search for GPIB "
          "devices");
    for (size_t n = 0; n < PrologixComPorts.size(); ++n) {
      if (!PrologixComPorts.test(n)) continue;
      const TCommPort port = CommPortFromNumber(static_cast<int>(n));
      const std::string name = PortAsString(port);
      Line("");
      Line("Performing serial poll on possible GPIB addresses on serial port " + name);
      SerialPollPort(port);
      Line("");
      if (fSpollResults.any()) {
        std::string addresses;
        for (int a = 0; a <= kGPIBAddressMax; ++a) {
          if (!fSpollResults.test(static_cast<size_t>(a))) continue;
          if (!addresses.empty()) addresses += ", ";
          addresses += std::to_string(a);
        }
        Line("GPIB devices found on port " + name + " at following addresses: " + addresses);
      } else {
        Line("No GPIB devices found on port : " + name);
      }
      fSpollResults.reset();
    }
  } else {
    Line("Not searching for Prologix USB-GPIB devices");
  }

  if (!GPIBInfo.empty()) {
    Line("  Identifying GPIB devices");
    for (size_t i = 0; i < GPIBInfo.size(); ++i) {
      IdentifyGPIBDevice(i);
      const TGPIBInfo& info = GPIBInfo[i];
      Line("");
      Line("  GPIB device " + std::to_string(i) + " on port: " + info.ComPort +
           " at address: " + std::to_string(info.Address));
      Line("    IDN?      : " + Trim(info.IDN));
      Line("    Terminator: " + TerminatorName(info.Terminator));
    }
  }

  if (fSearchForFurnaces) {
    for (size_t n = 0; n < FoundComPorts.size(); ++n) {
      if (!FoundComPorts.test(n) || PrologixComPorts.test(n)) continue;
      const TCommPort port = CommPortFromNumber(static_cast<int>(n));
      Line("");
      Line("Looking for Furnaces on port " + PortAsString(port));
      SearchFurnaces(port);
    }
  }

  Line("");
  Line("Autosearch is complete.");
  if (form) form->SearchFinished();
}

void TAutoScan::SearchComPorts() {
  {
    TCommPortList list;
    FoundComPorts = list.GetExistingCommPorts();
  }
  if (FoundComPorts.any())
    Line("Found following serial ports: " + PortsAsString(FoundComPorts));
  else
    Line("Can not find any serial ports on this system");
}

void TAutoScan::SearchPrologix(const TPortsList& Ports) {
  TSerialPort port;
  TSerialResponse r;
  for (size_t n = 0; n < Ports.size(); ++n) {
    if (!Ports.test(n)) continue;
    const std::string name = PortAsString(CommPortFromNumber(static_cast<int>(n)));
    Line("");
    Line("  Scanning serial port " + name + " for Prologix USB-GPIB converter");
    port.SetPort(name);
    port.SetReadoutTimeoutMS(kVersionTimeoutMS);
    r.Response.clear();
    port.Send2(PrologixCommand::Version, true, r);
    ProcessEvents();
    if (AsciiContainsText(r.Response, "Prologix")) {
      PrologixComPorts.set(n);
      Line("    Found Prologix USB-GPIB converter on port: " + name);
      Line("      Version: " + r.Response);
    } else {
      Line("    No Prologix on this port");
    }
  }
}

void TAutoScan::SerialPollPort(TCommPort aPort) {
  TSerialPort port;
  TSerialResponse r;
  const std::string name = PortAsString(aPort);
  port.SetPort(name);
  for (int a = GPIBLowAddr; a <= GPIBHighAddr; ++a) {
    port.SetReadoutTimeoutMS(kPollTimeoutMS);
    port.Send2(PrologixCommand::SpollAt(static_cast<uint32_t>(a)), true, r);
    ProcessEvents();
    const std::string reply = Trim(r.Response);
    const std::string head = "  Serial poll " + std::to_string(a);
    if (!reply.empty()) {
      if (a < static_cast<int>(fSpollResults.size())) fSpollResults.set(static_cast<size_t>(a));
      TGPIBInfo info;
      info.ComPort = name;
      info.Address = static_cast<TGPIBAddressSpace>(a);
      GPIBInfo.push_back(info);
      // An answering address keeps a line of its own.
      Line(head + " responds: " + reply);
    } else {
      Progress(head + " does not respond", "respond");
    }
  }
}

void TAutoScan::IdentifyGPIBDevice(size_t Index) {
  if (Index >= GPIBInfo.size()) return;
  TGPIBInfo& info = GPIBInfo[Index];
  TSerialPort port;
  port.SetPort(info.ComPort);
  port.SetDebug(true);
  TSerialResponse r;  // commands and reads
  TSerialResponse s;  // polls

  port.SetReadoutTimeoutMS(kSetupTimeoutMS);
  for (const std::string& command :
       {std::string(PrologixCommand::EoiOn), std::string(PrologixCommand::EotEnableOff),
        std::string(PrologixCommand::AutoOff), PrologixCommand::Addr(info.Address)}) {
    port.Send2(command, true, r);
    ProcessEvents();
  }

  port.SetReadoutTimeoutMS(kIdentifyTimeoutMS);
  for (int t = 0; t < kTerminatorCount; ++t) {
    port.Send2("*CLS\r", false, r);
    port.Send2(PrologixCommand::Eos(static_cast<TGPIBTerminator>(t)), false, r);
    port.Send2("*IDN?\r", false, r);
    port.Send2(PrologixCommand::ReadEoi, true, r);
    ProcessEvents();
    port.Send2(PrologixCommand::Spoll, true, s);
    ProcessEvents();
    if (r.Response.empty()) continue;
    if (Trim(s.Response) == "0") {
      info.IDN = r.Response;
      info.Terminator = static_cast<uint8_t>(t);
      return;
    }
  }
}

void TAutoScan::SearchFurnaces(TCommPort aPort) {
  TModbusPort port;
  port.SetPort(PortAsString(aPort));
  port.SetReadoutTimeoutMS(kModbusTimeoutMS);
  for (int32_t a = 1; a <= fModbusScanAddressLimit; ++a) {
    const bool found = port.Test(static_cast<uint32_t>(a));
    ProcessEvents();
    const std::string head = "  Modbus diagnostic loop at " + std::to_string(a);
    if (found) {
      Progress(head + " succeed", "fail");
      FurnaceInfo.push_back({aPort, a});
    } else {
      Progress(head + " fail", "fail");
    }
  }
}
