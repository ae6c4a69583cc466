#include "transport/CommPortList.h"

#include <dirent.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>

namespace {

struct Family {
  const char* prefix;  // kernel name without the number
  int firstCom;
  int count;
};
// Fixed COM numbers per device family, so a device keeps its number from run to run.
constexpr Family kFamilies[] = {{"ttyS", 1, 32}, {"ttyUSB", 33, 64}, {"ttyACM", 97, 64}};
constexpr int kOtherFirst = 161;
constexpr int kOtherLast = 199;
constexpr int kRegisteredFirst = 200;
constexpr int kRegisteredLast = 254;

struct Registry {
  std::mutex mutex;
  std::vector<std::string> registered;  // index i holds COM(kRegisteredFirst + i); "" = free
  std::string sysClassTty = "/sys/class/tty";
  std::string devDir = "/dev";
};

Registry& Reg() {
  static Registry r;
  return r;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Number of a name "<prefix><n>" with n a plain decimal, or -1.
int Suffix(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
  int n = 0;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || n > 100000) return -1;
    n = n * 10 + (name[i] - '0');
  }
  if (name.size() > prefix.size() + 1 && name[prefix.size()] == '0') return -1;
  return n;
}

// Serial devices the kernel lists with real hardware behind them. Built-in UART slots that
// have no UART report type 0 and are left out.
std::vector<std::string> KernelSerialNames(const std::string& sysClassTty) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(sysClassTty.c_str());
  if (!dir) return names;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.empty() || name[0] == '.') continue;
    const std::string base = sysClassTty + "/" + name;
    if (!Exists(base + "/device")) continue;  // virtual consoles, ptys, ...
    std::ifstream type(base + "/type");
    int t = -1;
    if (type >> t && t == 0) continue;
    names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string FirstLine(const std::string& path) {
  std::ifstream f(path);
  std::string line;
  std::getline(f, line);
  return line;
}

}  // namespace

TCommPort TCommPortList::StringToCommPort(const std::string& Port) {
  size_t a = 0;
  size_t b = Port.size();
  while (a < b && static_cast<unsigned char>(Port[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(Port[b - 1]) <= ' ') --b;
  if (a == b) return TCommPort::spNone;
  const int n = Suffix(Port.substr(a, b - a), "COM");
  if (n >= 1 && n <= 254) return CommPortFromNumber(n);
  return TCommPort::spCustom;
}

std::string TCommPortList::CommPortToString(TCommPort Port) const {
  const int n = CommPortNumber(Port);
  if (Port == TCommPort::spCustom) return FCustomPortName;
  if (n >= 1 && n <= 254) return "COM" + std::to_string(n);
  return {};
}

std::vector<TCommPortList::Entry> TCommPortList::ListDevices() {
  Registry& r = Reg();
  std::string sys, dev;
  std::vector<Entry> out;
  {
    std::lock_guard lock(r.mutex);
    sys = r.sysClassTty;
    dev = r.devDir;
    for (size_t i = 0; i < r.registered.size(); ++i) {
      if (!r.registered[i].empty() && Exists(r.registered[i]))
        out.push_back({kRegisteredFirst + static_cast<int>(i), r.registered[i]});
    }
  }
  int other = kOtherFirst;
  for (const std::string& name : KernelSerialNames(sys)) {
    int number = 0;
    for (const Family& f : kFamilies) {
      const int k = Suffix(name, f.prefix);
      if (k >= 0) {
        number = k < f.count ? f.firstCom + k : -1;
        break;
      }
    }
    if (number == 0 && other <= kOtherLast) number = other++;
    if (number > 0) out.push_back({number, dev + "/" + name});
  }
  std::sort(out.begin(), out.end(),
            [](const Entry& x, const Entry& y) { return x.Number < y.Number; });
  return out;
}

std::string TCommPortList::UsbIdOf(const std::string& devicePath) {
  std::string sys;
  {
    Registry& r = Reg();
    std::lock_guard lock(r.mutex);
    sys = r.sysClassTty;
  }
  const size_t slash = devicePath.rfind('/');
  const std::string name = slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
  char* real = ::realpath((sys + "/" + name + "/device").c_str(), nullptr);
  if (!real) return {};
  std::string dir = real;
  std::free(real);
  // The USB device is the nearest ancestor that carries the IDs (the interface and the
  // usb-serial port below it do not), as udev's ATTRS looks them up.
  for (int up = 0; up < 4 && dir.size() > 1; ++up) {
    if (Exists(dir + "/idVendor")) {
      const std::string vendor = FirstLine(dir + "/idVendor");
      const std::string product = FirstLine(dir + "/idProduct");
      return vendor.empty() || product.empty() ? std::string() : vendor + ":" + product;
    }
    dir = dir.substr(0, dir.rfind('/'));
  }
  return {};
}

TCommPortSet TCommPortList::GetExistingCommPorts() {
  TCommPortSet result;
  for (const Entry& e : ListDevices()) {
    const TCommPort p = StringToCommPort("COM" + std::to_string(e.Number));
    if (p != TCommPort::spNone) result.set(CommPortNumber(p));
  }
  return result;
}

std::string TCommPortList::ResolvePortName(const std::string& portName) {
  if (!portName.empty() && portName[0] == '/') return portName;
  const TCommPort p = StringToCommPort(portName);
  const int n = CommPortNumber(p);
  if (p == TCommPort::spNone || p == TCommPort::spCustom) return {};
  Registry& r = Reg();
  if (n >= kRegisteredFirst) {
    std::lock_guard lock(r.mutex);
    const size_t i = static_cast<size_t>(n - kRegisteredFirst);
    return i < r.registered.size() ? r.registered[i] : std::string();
  }
  std::string dev;
  {
    std::lock_guard lock(r.mutex);
    dev = r.devDir;
  }
  for (const Family& f : kFamilies) {
    if (n >= f.firstCom && n < f.firstCom + f.count)
      return dev + "/" + f.prefix + std::to_string(n - f.firstCom);
  }
  for (const Entry& e : ListDevices()) {
    if (e.Number == n) return e.DevicePath;
  }
  return {};
}

int TCommPortList::RegisterPort(const std::string& devicePath) {
  Registry& r = Reg();
  std::lock_guard lock(r.mutex);
  for (size_t i = 0; i < r.registered.size(); ++i) {
    if (r.registered[i] == devicePath) return kRegisteredFirst + static_cast<int>(i);
  }
  for (size_t i = 0; i < r.registered.size(); ++i) {
    if (r.registered[i].empty()) {
      r.registered[i] = devicePath;
      return kRegisteredFirst + static_cast<int>(i);
    }
  }
  if (kRegisteredFirst + static_cast<int>(r.registered.size()) > kRegisteredLast) return 0;
  r.registered.push_back(devicePath);
  return kRegisteredFirst + static_cast<int>(r.registered.size()) - 1;
}

void TCommPortList::UnregisterPort(const std::string& devicePath) {
  Registry& r = Reg();
  std::lock_guard lock(r.mutex);
  for (std::string& s : r.registered) {
    if (s == devicePath) s.clear();
  }
}

void TCommPortList::SetSystemRoots(const std::string& sysClassTty, const std::string& devDir) {
  Registry& r = Reg();
  std::lock_guard lock(r.mutex);
  r.sysClassTty = sysClassTty;
  r.devDir = devDir;
}
