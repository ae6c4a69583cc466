// Port names, COM numbers and the listing of serial devices.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "transport/CommPortList.h"

namespace fs = std::filesystem;

namespace {

TEST(CommPortNames, ComNamesMapBothWays) {
  TCommPortList list;
  for (int n : {1, 10, 254}) {
    const TCommPort p = TCommPortList::StringToCommPort("COM" + std::to_string(n));
    EXPECT_EQ(CommPortNumber(p), n);
    EXPECT_EQ(list.CommPortToString(p), "COM" + std::to_string(n));
  }
  EXPECT_EQ(TCommPortList::StringToCommPort(" COM7 "), CommPortFromNumber(7));
  EXPECT_EQ(TCommPortList::StringToCommPort(""), TCommPort::spNone);
  EXPECT_EQ(TCommPortList::StringToCommPort("  "), TCommPort::spNone);
  for (const char* other : {"com3", "COM0", "COM255", "COM03", "CNCA0", "COM300", "COM", "/dev/x"})
    EXPECT_EQ(TCommPortList::StringToCommPort(other), TCommPort::spCustom) << other;
  EXPECT_EQ(list.CommPortToString(TCommPort::spCustom), "");
  list.SetCustomPortName("/dev/ttyUSB5");
  EXPECT_EQ(list.CommPortToString(TCommPort::spCustom), "/dev/ttyUSB5");
  EXPECT_EQ(list.CommPortToString(TCommPort::spNone), "");
}

// A fake /sys/class/tty and /dev in a temporary folder.
class FakeSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zk-ports-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root = tmpl;
    fs::create_directories(root / "sys");
    fs::create_directories(root / "dev");
    TCommPortList::SetSystemRoots((root / "sys").string(), (root / "dev").string());
  }
  void TearDown() override {
    TCommPortList::SetSystemRoots("/sys/class/tty", "/dev");
    fs::remove_all(root);
  }
  void AddTty(const std::string& name, bool device, int type = -1) {
    fs::create_directories(root / "sys" / name);
    if (device) fs::create_directories(root / "sys" / name / "device");
    if (type >= 0) std::ofstream(root / "sys" / name / "type") << type << "\n";
  }
  fs::path root;
};

TEST_F(FakeSystem, OnlyRealSerialDevicesAreListedUnderFixedNumbers) {
  AddTty("ttyS0", true, 4);  // a real 16550A
  AddTty("ttyS1", true, 0);  // an empty UART slot
  AddTty("ttyS31", true, 0);
  AddTty("tty0", false);  // virtual console
  AddTty("ttyUSB0", true);
  AddTty("ttyUSB3", true);
  AddTty("ttyACM1", true);
  AddTty("ttyAMA0", true);
  TCommPortList list;
  const TCommPortSet ports = list.GetExistingCommPorts();
  EXPECT_EQ(ports.count(), 5u);
  for (int n : {1, 33, 36, 98, 161}) EXPECT_TRUE(ports.test(n)) << n;
  EXPECT_FALSE(ports.test(2));
  EXPECT_EQ(TCommPortList::ResolvePortName("COM1"), (root / "dev" / "ttyS0").string());
  EXPECT_EQ(TCommPortList::ResolvePortName("COM36"), (root / "dev" / "ttyUSB3").string());
  EXPECT_EQ(TCommPortList::ResolvePortName("COM98"), (root / "dev" / "ttyACM1").string());
  EXPECT_EQ(TCommPortList::ResolvePortName("COM161"), (root / "dev" / "ttyAMA0").string());
  EXPECT_EQ(TCommPortList::ResolvePortName("COM170"), "");
  EXPECT_EQ(TCommPortList::ResolvePortName("/dev/ttyX9"), "/dev/ttyX9");
  EXPECT_EQ(TCommPortList::ResolvePortName("COM0"), "");
}

TEST_F(FakeSystem, NoSerialDeviceGivesTheEmptySet) {
  AddTty("tty1", false);
  TCommPortList list;
  EXPECT_TRUE(list.GetExistingCommPorts().none());
  TCommPortList::SetSystemRoots((root / "missing").string(), (root / "dev").string());
  EXPECT_TRUE(list.GetExistingCommPorts().none());
}

TEST_F(FakeSystem, RegisteredPortsGetNumbersFrom200AndKeepThem) {
  const std::string a = (root / "dev" / "pts-a").string();
  const std::string b = (root / "dev" / "pts-b").string();
  std::ofstream(a).put('x');
  std::ofstream(b).put('x');
  const int na = TCommPortList::RegisterPort(a);
  const int nb = TCommPortList::RegisterPort(b);
  EXPECT_GE(na, 200);
  EXPECT_EQ(nb, na + 1);
  EXPECT_EQ(TCommPortList::RegisterPort(a), na);
  TCommPortList list;
  EXPECT_TRUE(list.GetExistingCommPorts().test(na));
  EXPECT_EQ(TCommPortList::ResolvePortName("COM" + std::to_string(nb)), b);
  // A registered node that has vanished is not listed.
  fs::remove(b);
  EXPECT_FALSE(list.GetExistingCommPorts().test(nb));
  TCommPortList::UnregisterPort(a);
  TCommPortList::UnregisterPort(b);
  EXPECT_EQ(TCommPortList::ResolvePortName("COM" + std::to_string(na)), "");
  EXPECT_EQ(TCommPortList::RegisterPort(b), na);  // the freed number is reused
  TCommPortList::UnregisterPort(b);
}

}  // namespace
