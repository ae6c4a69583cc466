// The start-up check of the USB-GPIB controller's device node: when the controller is plugged
// in but the user may not open it, one log line says so and how to mend it, where the
// exchanges would only report "Failed to setup Com port, port in use".
#pragma once

#include <string>
#include <vector>

#include "platform/TermiosPort.h"

// USB vendor and product of the Prologix controller's FTDI converter.
inline constexpr const char* kControllerUsbId = "0403:6001";

struct TControllerProbe {
  std::string DevicePath;
  int ComNumber = 0;
  platform::TPortError Error;
};

struct TAccessFix {
  std::string User;           // the login name, for the dialout command
  std::string InstalledRule;  // the rule where udev reads it; empty: not installed
  std::string DllRule;        // the copy the program wrote into "Dll"
};

// The one log line for the probes whose open was refused for lack of permission; empty when
// there is none. Ports that are busy or gone are left to the search and the exchanges.
std::string ControllerAccessAdvice(const std::vector<TControllerProbe>& probes,
                                   const TAccessFix& fix);

// ---- Driving the check (not pure)

// Opens and closes every listed serial device that is a Prologix controller by its USB IDs.
std::vector<TControllerProbe> ProbeControllers();

// The installed copy of the rule in udev's folders, or empty.
std::string InstalledControllerRule();

// Probes the controllers and gives the advice line (or empty); dataDir holds "Dll".
std::string CheckControllerAccess(const std::string& dataDir);
