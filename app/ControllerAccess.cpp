#include "app/ControllerAccess.h"

#include "app/StartupFolders.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"
#include "transport/CommPortList.h"

std::string ControllerAccessAdvice(const std::vector<TControllerProbe>& probes,
                                   const TAccessFix& fix) {
  std::string ports;
  int denied = 0;
  for (const TControllerProbe& p : probes) {
    if (p.Error.Kind != platform::TPortFailure::NoAccess) continue;
    if (denied++ > 0) ports += ", ";
    ports += "COM" + std::to_string(p.ComNumber) + " (" + p.DevicePath + ")";
  }
  if (denied == 0) return {};
  const std::string user = fix.User.empty() ? std::string("$USER") : fix.User;
  std::string line =
      (denied == 1 ? "The USB-GPIB controller on " : "The USB-GPIB controllers on ") + ports +
      " may not be opened by the user " + user +
      " (permission denied), so the instrument search cannot use " + (denied == 1 ? "it" : "them") +
      ". To mend it, ";
  if (!fix.InstalledRule.empty())
    line += "the udev rule " + fix.InstalledRule +
            " is installed: unplug and replug the controller (or run: sudo udevadm trigger "
            "--subsystem-match=tty)";
  else
    line += "install the udev rule: sudo install -m 0644 '" + fix.DllRule +
            "' /etc/udev/rules.d/ && sudo udevadm control --reload-rules && sudo udevadm "
            "trigger --subsystem-match=tty";
  line += "; or add " + user + " to the dialout group: sudo usermod -aG dialout " + user +
          ", then log out and in again.";
  return line;
}

std::vector<TControllerProbe> ProbeControllers() {
  std::vector<TControllerProbe> probes;
  for (const TCommPortList::Entry& e : TCommPortList::ListDevices()) {
    if (TCommPortList::UsbIdOf(e.DevicePath) != kControllerUsbId) continue;
    probes.push_back({e.DevicePath, e.Number, platform::ProbePort(e.DevicePath)});
  }
  return probes;
}

std::string InstalledControllerRule() {
  for (const char* dir :
       {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
    const std::string path = std::string(dir) + "/" + kDriverFileName;
    if (FileExists(path)) return path;
  }
  return {};
}

std::string CheckControllerAccess(const std::string& dataDir) {
  const std::vector<TControllerProbe> probes = ProbeControllers();
  if (probes.empty()) return {};
  TAccessFix fix;
  fix.User = CurrentUserEntry().Name;
  fix.InstalledRule = InstalledControllerRule();
  fix.DllRule = dataDir + "/" + kDllFolderName + "/" + kDriverFileName;
  return ControllerAccessAdvice(probes, fix);
}
