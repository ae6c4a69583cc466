// The start-up check of the USB-GPIB controller: which serial devices are controllers, and the
// one log line when the user may not open one.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/ControllerAccess.h"
#include "app/StartupFolders.h"
#include "transport/CommPortList.h"

namespace {

namespace fs = std::filesystem;
using platform::TPortFailure;

TControllerProbe Probe(const char* path, int com, TPortFailure kind, int err, const char* call) {
  return {path, com, {kind, err, call}};
}

TEST(ControllerAccessAdvice, OneDeniedControllerGetsTheRuleAndTheGroup) {
  TAccessFix fix{"ana", "", "/home/ana/.local/share/zenkar-pro/Dll/99-zenkar-prologix.rules"};
  EXPECT_EQ(ControllerAccessAdvice(
                {Probe("/dev/ttyUSB0", 33, TPortFailure::NoAccess, EACCES, "open")}, fix),
            "The USB-GPIB controller on COM33 (/dev/ttyUSB0) may not be opened by the user ana "
            "(permission denied), so the instrument search cannot use it. To mend it, install "
            "the udev rule: sudo install -m 0644 "
            "'/home/ana/.local/share/zenkar-pro/Dll/99-zenkar-prologix.rules' /etc/udev/rules.d/ "
            "&& sudo udevadm control --reload-rules && sudo udevadm trigger "
            "--subsystem-match=tty; or add ana to the dialout group: sudo usermod -aG dialout "
            "ana, then log out and in again.");
}

TEST(ControllerAccessAdvice, AnInstalledRuleAsksForAReplug) {
  TAccessFix fix{"", "/usr/lib/udev/rules.d/99-zenkar-prologix.rules", "/x/Dll/r"};
  EXPECT_EQ(
      ControllerAccessAdvice({Probe("/dev/ttyUSB0", 33, TPortFailure::NoAccess, EACCES, "open"),
                              Probe("/dev/ttyUSB1", 34, TPortFailure::Busy, EWOULDBLOCK, "flock"),
                              Probe("/dev/ttyUSB2", 35, TPortFailure::NoAccess, EPERM, "open")},
                             fix),
      "The USB-GPIB controllers on COM33 (/dev/ttyUSB0), COM35 (/dev/ttyUSB2) may not be opened "
      "by the user $USER (permission denied), so the instrument search cannot use them. To mend "
      "it, the udev rule /usr/lib/udev/rules.d/99-zenkar-prologix.rules is installed: unplug "
      "and replug the controller (or run: sudo udevadm trigger --subsystem-match=tty); or add "
      "$USER to the dialout group: sudo usermod -aG dialout $USER, then log out and in again.");
}

TEST(ControllerAccessAdvice, NothingToSayWithoutADeniedController) {
  const TAccessFix fix{"ana", "", "/x"};
  EXPECT_EQ(ControllerAccessAdvice({}, fix), "");
  EXPECT_EQ(
      ControllerAccessAdvice({Probe("/dev/ttyUSB0", 33, TPortFailure::None, 0, ""),
                              Probe("/dev/ttyUSB1", 34, TPortFailure::Busy, EBUSY, "open"),
                              Probe("/dev/ttyUSB2", 35, TPortFailure::Gone, ENOENT, "open"),
                              Probe("/dev/ttyUSB3", 36, TPortFailure::Other, EINVAL, "tcsetattr")},
                             fix),
      "");
}

// A fake /sys/class/tty whose devices sit on USB devices as the kernel lays them out, and a
// fake /dev whose nodes lead to pseudo-terminals.
class FakeControllers : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zk_access_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    ::chmod(root_.c_str(), 0755);  // the child runs as another user
    fs::create_directories(root_ / "class");
    fs::create_directories(root_ / "dev");
    TCommPortList::SetSystemRoots((root_ / "class").string(), (root_ / "dev").string());
  }
  void TearDown() override {
    TCommPortList::SetSystemRoots("/sys/class/tty", "/dev");
    for (int fd : masters_) ::close(fd);
    fs::remove_all(root_);
  }
  // A tty whose device is `depth` levels below a USB device with the given IDs (no USB device
  // for an empty id); its /dev node leads to a new pseudo-terminal of the given mode.
  std::string AddTty(const std::string& name, const std::string& usbId, int depth, mode_t mode) {
    fs::path dev = root_ / "devices" / "usb1" / ("1-" + name);
    if (!usbId.empty()) {
      fs::create_directories(dev);
      std::ofstream(dev / "idVendor") << usbId.substr(0, 4) << "\n";
      std::ofstream(dev / "idProduct") << usbId.substr(5) << "\n";
    }
    for (int i = 0; i < depth; ++i) dev /= "level" + std::to_string(i);
    fs::create_directories(dev);
    fs::create_directories(root_ / "class" / name);
    fs::create_symlink(dev, root_ / "class" / name / "device");
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(master, 0);
    EXPECT_EQ(::grantpt(master), 0);
    EXPECT_EQ(::unlockpt(master), 0);
    masters_.push_back(master);
    const std::string pts = ::ptsname(master);
    EXPECT_EQ(::chmod(pts.c_str(), mode), 0);
    fs::create_symlink(pts, root_ / "dev" / name);
    return (root_ / "dev" / name).string();
  }
  fs::path root_;
  std::vector<int> masters_;
};

TEST_F(FakeControllers, UsbIdsAreTakenFromTheNearestUsbDevice) {
  const std::string usb = AddTty("ttyUSB0", "0403:6001", 2, 0600);
  const std::string acm = AddTty("ttyACM0", "2341:0043", 1, 0600);
  const std::string uart = AddTty("ttyS0", "", 1, 0600);
  EXPECT_EQ(TCommPortList::UsbIdOf(usb), "0403:6001");
  EXPECT_EQ(TCommPortList::UsbIdOf(acm), "2341:0043");
  EXPECT_EQ(TCommPortList::UsbIdOf(uart), "");
  EXPECT_EQ(TCommPortList::UsbIdOf((root_ / "dev" / "ttyUSB9").string()), "");
}

TEST_F(FakeControllers, ADeniedControllerIsReportedOnceWithTheFix) {
  const std::string denied = AddTty("ttyUSB0", "0403:6001", 2, 0);
  AddTty("ttyUSB1", "0403:6001", 2, 0666);  // a controller the user may open
  AddTty("ttyUSB2", "067b:2303", 2, 0);     // another adapter: not the check's business
  AddTty("ttyS0", "", 1, 0);
  // Root opens any node, so the check runs in a child as "nobody"; the line comes back
  // through a pipe.
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(100);
    const std::vector<TControllerProbe> probes = ProbeControllers();
    if (probes.size() != 2 || probes[0].Error.Kind != TPortFailure::NoAccess ||
        probes[1].Error.Kind != TPortFailure::None)
      ::_exit(101);
    const std::string line = CheckControllerAccess("/data");
    (void)!::write(pipeFds[1], line.data(), line.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string line;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) line.append(buffer, n);
  ::close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "100: no setuid, 101: probes not as expected";
  const std::string user = ::geteuid() == 0 ? "nobody" : CurrentUserEntry().Name;
  TAccessFix fix{user, InstalledControllerRule(), "/data/Dll/99-zenkar-prologix.rules"};
  EXPECT_EQ(line,
            ControllerAccessAdvice({{denied, 33, {TPortFailure::NoAccess, EACCES, "open"}}}, fix));
  EXPECT_NE(line.find("COM33 (" + denied + ")"), std::string::npos) << line;
  EXPECT_EQ(line.find("COM34"), std::string::npos) << line;
  EXPECT_EQ(line.find("COM35"), std::string::npos) << line;
}

TEST_F(FakeControllers, NoControllerNoLine) {
  AddTty("ttyUSB2", "067b:2303", 2, 0);
  EXPECT_TRUE(ProbeControllers().empty());
  EXPECT_EQ(CheckControllerAccess("/data"), "");
}

}  // namespace
