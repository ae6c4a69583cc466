// The serial ports present on this computer, each under a stable COM number.
//
// Linux names its serial devices by path. Each device gets a fixed COM number from its kernel
// name, so the same device keeps its number from run to run:
//   /dev/ttyS0 .. ttyS31     -> COM1 .. COM32   (only UARTs that really exist)
//   /dev/ttyUSB0 .. ttyUSB63 -> COM33 .. COM96
//   /dev/ttyACM0 .. ttyACM63 -> COM97 .. COM160
//   other serial devices     -> COM161 .. COM199, in name order
//   registered pseudo-terminals (simulated bench) -> COM200 .. COM254, in registration order
// A port name "COMn" is turned back into its device path by ResolvePortName; a name beginning
// with "/" is a device path already.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

enum class TCommPort : uint8_t { spNone = 0, spCOM1 = 1, spCOM254 = 254, spCustom = 255 };

using TCommPortSet = std::bitset<256>;
using TPortsList = TCommPortSet;

inline TCommPort CommPortFromNumber(int n) {
  return static_cast<TCommPort>(n);
}
inline int CommPortNumber(TCommPort p) {
  return static_cast<int>(p);
}

class TCommPortList {
 public:
  TCommPortList() = default;

  const std::string& CustomPortName() const { return FCustomPortName; }
  void SetCustomPortName(const std::string& v) { FCustomPortName = v; }

  TCommPortSet GetExistingCommPorts();
  static TCommPort StringToCommPort(const std::string& Port);
  std::string CommPortToString(TCommPort Port) const;

  // Registers a pseudo-terminal (or any device path) so that it is listed; returns its COM
  // number, or 0 when all numbers for registered ports are taken. Registering a path again
  // returns its number.
  static int RegisterPort(const std::string& devicePath);
  static void UnregisterPort(const std::string& devicePath);

  // Device path of a port name: "COMn" through the table above, a path as it stands; empty
  // when the name maps to no device.
  static std::string ResolvePortName(const std::string& portName);

  // Device paths present now, with their COM numbers (for display and tests).
  struct Entry {
    int Number;
    std::string DevicePath;
  };
  static std::vector<Entry> ListDevices();

  // "vvvv:pppp", the USB vendor and product of the device behind a listed serial device
  // ("0403:6001" for the FTDI converter of the Prologix controller); empty when it is not on USB.
  static std::string UsbIdOf(const std::string& devicePath);

  // Where the system's serial devices are looked up (tests point these at a fake tree).
  static void SetSystemRoots(const std::string& sysClassTty, const std::string& devDir);

 private:
  std::string FCustomPortName;
};
