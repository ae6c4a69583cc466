#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "tests/support/ScopedLocale.h"

namespace {

namespace fs = std::filesystem;

// A file in a folder of its own, removed with the folder.
class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zk_ini_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& bytes, const std::string& name = "zenkar.ini") {
    const std::string path = dir_ + "/" + name;
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    return path;
  }

  std::string dir_;
};

const char* const kSection = "Zenkar settings";

}  // namespace

TEST_F(IniFileTest, MissingFileGivesDefaults) {
  TIniFile ini(dir_ + "/none.ini");
  EXPECT_FALSE(ini.Loaded());
  EXPECT_EQ(ini.ReadString(kSection, "Bypass autoscan", "no"), "no");
  EXPECT_EQ(ini.ReadInteger(kSection, "X", 7), 7);
  EXPECT_TRUE(ini.ReadBool(kSection, "X", true));
  TIniFile folder(dir_);  // a folder is not a readable file
  EXPECT_EQ(folder.ReadString(kSection, "ComPort", ""), "");
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndValuesAreTrimmed) {
  TIniFile ini(
      Write("[zenkar SETTINGS]\r\n"
            "  bypass AUTOSCAN  =   yes  \r\n"
            "Allow debug=\tYes\t\r\n"
            "ComPort = /dev/ttyUSB0\r\n"));
  ASSERT_TRUE(ini.Loaded());
  EXPECT_EQ(ini.ReadString(kSection, "Bypass autoscan", "no"), "yes");
  // Returned as written: the caller's comparison with "yes" tells these apart.
  EXPECT_EQ(ini.ReadString(kSection, "Allow debug", "no"), "Yes");
  EXPECT_EQ(ini.ReadString("ZENKAR SETTINGS", "comport", ""), "/dev/ttyUSB0");
  EXPECT_EQ(ini.ReadString("Other", "ComPort", "d"), "d");
}

class IniFileCase : public IniFileTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(IniFileCase, AsciiNamesMatchWithoutCaseUnderEveryLocale) {
  ScopedLocale locale(GetParam());
  ASSERT_TRUE(locale.Ok());
  TIniFile ini(Write("[ZENKAR SETTINGS]\nALLOW DEBUG=yes\nbypass autoscan=1\nComPort=COMi\n"));
  EXPECT_EQ(ini.ReadString("zenkar settings", "allow debug", "no"), "yes");
  EXPECT_EQ(ini.ReadInteger("Zenkar Settings", "BYPASS AUTOSCAN", 0), 1);
  EXPECT_EQ(ini.ReadString(kSection, "COMPORT", ""), "COMi");  // values keep their case
  EXPECT_EQ(ini.ReadString(kSection, "Allow debu", "no"), "no");
}

INSTANTIATE_TEST_SUITE_P(Locales, IniFileCase, ::testing::ValuesIn(kCaseTestLocales),
                         LocaleParamName);

TEST_F(IniFileTest, LineEndsAndByteOrderMarks) {
  const std::string body = "[Zenkar settings]@ComPort=COM3@Bypass autoscan=yes@";
  auto with = [&](const std::string& eol) {
    std::string s;
    for (char c : body) s += c == '@' ? eol : std::string(1, c);
    return s;
  };
  for (const std::string& text : {with("\r\n"), with("\n"), with("\r"),
                                  "\xEF\xBB\xBF" + with("\r\n"), with("\r\n").substr(0, 40)}) {
    TIniFile ini(Write(text));
    EXPECT_EQ(ini.ReadString(kSection, "ComPort", ""), "COM3") << text;
  }
  TIniFile last(Write("[Zenkar settings]\nComPort=COM9"));  // no line end at all
  EXPECT_EQ(last.ReadString(kSection, "ComPort", ""), "COM9");

  // UTF-16 little endian with its mark, as Windows editors save.
  std::string utf16 = "\xFF\xFE";
  for (char c : with("\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  TIniFile wide(Write(utf16));
  EXPECT_EQ(wide.ReadString(kSection, "Bypass autoscan", ""), "yes");
}

TEST_F(IniFileTest, CodePage) {
  // Windows-1252 bytes (not valid UTF-8) are read as that code page.
  TIniFile ansi(Write("[Zenkar settings]\r\nComPort=Port\xBA\x80\r\n"));
  EXPECT_EQ(ansi.ReadString(kSection, "ComPort", ""), "Port\xC2\xBA\xE2\x82\xAC");
  // UTF-8 text outside the code page does not survive.
  TIniFile utf8(Write("[Zenkar settings]\nComPort=\xC3\xA9\xE2\x82\xAC\xCE\xA9\n"));
  EXPECT_EQ(utf8.ReadString(kSection, "ComPort", ""), "\xC3\xA9\xE2\x82\xAC?");
  // Non-ASCII names still match without case.
  TIniFile names(Write("[\xC3\x84rger]\nSCHL\xC3\x9C\x53SEL=1\n"));
  EXPECT_EQ(names.ReadInteger("\xC3\xA4rger", "schl\xC3\xBCssel", 0), 1);
}

TEST_F(IniFileTest, FirstOccurrenceAndSectionBoundaries) {
  TIniFile ini(
      Write("ComPort=before any section\n"
            "[Zenkar settings]\n"
            "; ComPort=commented\n"
            "ComPort=first\n"
            "ComPort=second\n"
            "[Other]\n"
            "Allow debug=yes\n"
            "[Zenkar settings\n"  // broken header: what follows belongs nowhere
            "Allow debug=yes\n"
            "[ Zenkar settings ] trailing text\n"
            "Bypass autoscan=\n"
            "=no key\n"
            "just text\n"));
  EXPECT_EQ(ini.ReadString(kSection, "ComPort", ""), "first");
  EXPECT_EQ(ini.ReadString(kSection, "Allow debug", "no"), "no");
  EXPECT_EQ(ini.ReadString("Other", "Allow debug", "no"), "yes");
  EXPECT_EQ(ini.ReadString(kSection, "Bypass autoscan", "no"), "");
  EXPECT_EQ(ini.ReadString(kSection, "", "d"), "d");
  EXPECT_EQ(ini.ReadString(kSection, "just text", "d"), "d");
}

TEST_F(IniFileTest, Integers) {
  TIniFile ini(
      Write("[S]\na= 42 \nb=-17\nc=0x1F\nd=$FFFFFFFF\ne=12abc\nf=\ng=2147483648\n"
            "h=-2147483648\ni=+5\nj=yes\nk=1\nl=0\n"));
  EXPECT_EQ(ini.ReadInteger("S", "a", 0), 42);
  EXPECT_EQ(ini.ReadInteger("S", "b", 0), -17);
  EXPECT_EQ(ini.ReadInteger("S", "c", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "d", 0), -1);
  EXPECT_EQ(ini.ReadInteger("S", "e", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "f", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "g", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "h", 9), -2147483647 - 1);
  EXPECT_EQ(ini.ReadInteger("S", "i", 9), 5);
  EXPECT_TRUE(ini.ReadBool("S", "j", true));  // not a number: the default
  EXPECT_FALSE(ini.ReadBool("S", "j", false));
  EXPECT_TRUE(ini.ReadBool("S", "k", false));
  EXPECT_FALSE(ini.ReadBool("S", "l", true));
}

TEST_F(IniFileTest, MalformedFilesNeverFail) {
  // NUL bytes spoil only their own line.
  std::string nul = "[Zenkar settings]\nComPort=CO";
  nul += '\0';
  nul += "M1\nAllow debug=yes\n";
  TIniFile withNul(Write(nul));
  EXPECT_EQ(withNul.ReadString(kSection, "ComPort", "d"), "d");
  EXPECT_EQ(withNul.ReadString(kSection, "Allow debug", "no"), "yes");

  // An overlong line is skipped; the lines around it are read.
  TIniFile longLine(
      Write("[Zenkar settings]\nComPort=" + std::string(100000, 'x') + "\nAllow debug=yes\n"));
  EXPECT_EQ(longLine.ReadString(kSection, "ComPort", "d"), "d");
  EXPECT_EQ(longLine.ReadString(kSection, "Allow debug", "no"), "yes");

  // An oversized file is not read at all.
  TIniFile huge(
      Write("[Zenkar settings]\nAllow debug=yes\n" + std::string(TIniFile::kMaxFileBytes, '\n')));
  EXPECT_EQ(huge.ReadString(kSection, "Allow debug", "no"), "no");

  // No sections, empty file, odd byte order mark lengths.
  for (const std::string& text :
       {std::string("ComPort=COM1\n"), std::string(), std::string("\xFF\xFE["),
        std::string("\xEF\xBB"), std::string("[]\n=\n[\n]\n")}) {
    TIniFile ini(Write(text));
    EXPECT_EQ(ini.ReadString(kSection, "ComPort", "d"), "d");
  }

  // Random bytes, with and without some structure mixed in.
  std::mt19937 rng(4);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(size_t(rng() % 5000), '\0');
    for (char& c : bytes) c = char(rng());
    if (round % 2 == 0) bytes.insert(rng() % (bytes.size() + 1), "\n[Zenkar settings]\nComPort=");
    TIniFile ini(Write(bytes));
    (void)ini.ReadString(kSection, "ComPort", "d");
    (void)ini.ReadInteger(kSection, "ComPort", 0);
  }
}
