#include "platform/Resources.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zk_res_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto& e : fs::recursive_directory_iterator(dir_, ec)) {
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(dir_);
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::string Target() const { return dir_ + "/Dll/" + kDriverFileName; }
  size_t EntriesIn(const std::string& folder) const {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(folder)) ++n;
    return n;
  }

  std::string dir_;
};

// Short waits: the behaviour under test does not depend on them.
const TDllFolderOptions kQuick{1500, 10, 3};

}  // namespace

TEST_F(ResourcesTest, TheRuleIsCarriedUnderItsResourceName) {
  std::string a;
  std::string b;
  ASSERT_TRUE(ReadEmbeddedResource("FTDIR", a));
  ASSERT_TRUE(ReadEmbeddedResource("ftdir", b));  // names match without case
  EXPECT_EQ(a, b);
  EXPECT_NE(a.find("ATTRS{idVendor}==\"0403\""), std::string::npos);
  EXPECT_NE(a.find("ATTRS{idProduct}==\"6001\""), std::string::npos);
  EXPECT_NE(a.find("/etc/udev/rules.d/"), std::string::npos);
  EXPECT_EQ(a.back(), '\n');
  std::string none;
  EXPECT_FALSE(ReadEmbeddedResource("NOSUCH", none));
  EXPECT_FALSE(ReadEmbeddedResource("", none));
}

TEST_F(ResourcesTest, WrittenOnceIntoAFreshFolder) {
  ASSERT_TRUE(PrepareDllFolder(dir_, kQuick));
  std::string bytes;
  ASSERT_TRUE(ReadEmbeddedResource(kDriverResourceName, bytes));
  EXPECT_EQ(Slurp(Target()), bytes);
  EXPECT_EQ(EntriesIn(dir_ + "/Dll"), 1u);  // no temporary file left behind

  // A file already there is kept as it is, whatever it holds.
  {
    std::ofstream f(Target(), std::ios::binary | std::ios::trunc);
    f << "edited by the operator";
  }
  EXPECT_TRUE(PrepareDllFolder(dir_, kQuick));
  EXPECT_EQ(Slurp(Target()), "edited by the operator");
  EXPECT_EQ(ExtractResourceToFile(dir_ + "/Dll", kDriverFileName, kDriverResourceName),
            TExtractResult::AlreadyPresent);
}

TEST_F(ResourcesTest, ExtractCreatesItsFolder) {
  const std::string folder = dir_ + "/made";
  EXPECT_EQ(ExtractResourceToFile(folder, "x.rules", "FTDIR"), TExtractResult::Written);
  EXPECT_TRUE(fs::is_regular_file(folder + "/x.rules"));
  EXPECT_EQ(ExtractResourceToFile(folder, "y", "NOSUCH"), TExtractResult::NoResource);
  EXPECT_FALSE(fs::exists(folder + "/y"));
  EXPECT_TRUE(WriteEmbeddedResourceOnce("FTDIR", folder + "/x.rules"));
}

TEST_F(ResourcesTest, AFolderThatCannotBeMadeEndsTheWait) {
  // "Dll" taken by a plain file: the folder loop gives up after its attempts.
  { std::ofstream(dir_ + "/Dll") << "not a folder"; }
  EXPECT_FALSE(PrepareDllFolder(dir_, kQuick));
  EXPECT_EQ(ExtractResourceToFile(dir_ + "/Dll", "f", "FTDIR", 2), TExtractResult::NoFolder);
  EXPECT_EQ(Slurp(dir_ + "/Dll"), "not a folder");
  // A base folder that does not exist.
  EXPECT_FALSE(PrepareDllFolder(dir_ + "/missing/deeper", kQuick));
}

TEST_F(ResourcesTest, AFailedWriteIsRetriedUntilTheTimeIsUp) {
  // A folder standing where the file should go: every write fails, also for root.
  fs::create_directories(Target());
  EXPECT_EQ(ExtractResourceToFile(dir_ + "/Dll", kDriverFileName, kDriverResourceName),
            TExtractResult::WriteFailed);
  EXPECT_FALSE(PrepareDllFolder(dir_, TDllFolderOptions{300, 20, 2}));
  EXPECT_EQ(EntriesIn(dir_ + "/Dll"), 1u);  // only that folder; no temporary file left
  // Once the way is clear, the next start writes the file.
  fs::remove(Target());
  EXPECT_TRUE(PrepareDllFolder(dir_, kQuick));
  EXPECT_TRUE(fs::is_regular_file(Target()));
}

TEST_F(ResourcesTest, AReadOnlyFolderGetsNoFile) {
  fs::create_directory(dir_ + "/Dll");
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(dir_ + "/Dll", fs::perms::owner_read | fs::perms::owner_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
  // Root writes into read-only folders, so the attempt runs in a child as "nobody".
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(PrepareDllFolder(dir_, TDllFolderOptions{300, 20, 2}) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the file was written, 2: no setuid";
  EXPECT_EQ(EntriesIn(dir_ + "/Dll"), 0u);
}
