// Automatic instrument search: serial ports, Prologix USB-GPIB controllers on them, the GPIB
// instruments behind each (identification and terminator) and Modbus furnace controllers.
//
// The search runs on the calling thread and needs no window. Its progress text lives in
// `memo`; a view (the progress window, or nothing) is told of every change and gets a chance
// to process its events between the steps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "transport/CommPortList.h"
#include "transport/TypesGPIB.h"

// One GPIB device found.
struct TGPIBInfo {
  std::string ComPort;            // port name of the controller, e.g. "COM3"
  TGPIBAddressSpace Address = 0;  // address that answered the serial poll
  std::string IDN;                // "*IDN?" reply as read; empty if no terminator worked
  std::string OPT;                // reserved; the search leaves it empty
  uint8_t Terminator = 0;         // TGPIBTerminator ordinal that worked; 0 if none did
};

// One Modbus device found.
struct TFurnaceInfo {
  TCommPort ComPort = TCommPort::spNone;
  int32_t Address = 0;
};

// What a window (or any other observer) sees of a search. Every call comes on the thread that
// runs the search.
class TAutoScanView {
 public:
  virtual ~TAutoScanView() = default;
  virtual void LineAdded(const std::string& /*line*/) {}
  virtual void LastLineReplaced(const std::string& /*line*/) {}
  // The search begins: show the progress (not modal), closing not offered.
  virtual void SearchStarted() {}
  // The search is over: closing may be offered.
  virtual void SearchFinished() {}
  // Called between the steps of a search.
  virtual void ProcessEvents() {}
};

// The progress text: whole lines, each added or (by the marker rule) replacing the last one.
class TAutoScanMemo {
 public:
  void Add(const std::string& line);
  // Replaces the last line when it ends with marker, otherwise adds the line.
  void AddProgress(const std::string& line, const std::string& marker);
  void Clear();

  size_t Count() const { return fLines.size(); }
  const std::string& operator[](size_t i) const { return fLines[i]; }
  const std::vector<std::string>& Lines() const { return fLines; }
  // All lines separated by "\n".
  std::string Text() const;

  void SetView(TAutoScanView* v) { fView = v; }

 private:
  std::vector<std::string> fLines;
  TAutoScanView* fView = nullptr;
};

class TAutoScan {
 public:
  // form: the progress window, owned from now on; none for a search without a window.
  explicit TAutoScan(std::unique_ptr<TAutoScanView> form = nullptr);
  ~TAutoScan();
  TAutoScan(const TAutoScan&) = delete;
  TAutoScan& operator=(const TAutoScan&) = delete;

  bool SearchForFurnaces() const { return fSearchForFurnaces; }
  void SetSearchForFurnaces(bool v) { fSearchForFurnaces = v; }
  bool SearchForGPIB() const { return fSearchForGPIB; }
  void SetSearchForGPIB(bool v) { fSearchForGPIB = v; }
  int32_t ModbusScanAddressLimit() const { return fModbusScanAddressLimit; }
  // Accepted only for 1 to 256.
  void SetModbusScanAddressLimit(int32_t Value);

  // Shows the progress and runs the whole search; returns when it is over.
  void ShowForm();
  // The whole progress text.
  std::string Findings() const { return memo.Text(); }

  static std::string PortAsString(TCommPort aPort);
  // Names of all ports of the set in increasing order, joined with ", ".
  static std::string PortsAsString(const TPortsList& Ports);
  static std::string TerminatorName(uint8_t aTerminator) { return ::TerminatorName(aTerminator); }

  TAutoScanView* Form() const { return form.get(); }

  TAutoScanMemo memo;
  TPortsList FoundComPorts;     // ports to search; may be preset by the owner
  TPortsList PrologixComPorts;  // ports with a controller
  std::vector<TGPIBInfo> GPIBInfo;
  std::vector<TFurnaceInfo> FurnaceInfo;
  uint8_t GPIBLowAddr = 0;
  uint8_t GPIBHighAddr = 0;

 private:
  void SearchComPorts();
  void SearchPrologix(const TPortsList& Ports);
  void SerialPollPort(TCommPort aPort);
  void IdentifyGPIBDevice(size_t Index);
  void SearchFurnaces(TCommPort aPort);

  void Line(const std::string& text);
  void Progress(const std::string& text, const std::string& marker);
  void ProcessEvents();

  std::unique_ptr<TAutoScanView> form;
  bool fSearchForFurnaces = false;
  bool fSearchForGPIB = true;
  int32_t fModbusScanAddressLimit = 255;
  TGPIBSpollResult fSpollResults;
};
