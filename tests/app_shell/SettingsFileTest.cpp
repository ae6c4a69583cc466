// The settings file's name: the program's file name with its extension replaced.
#include <gtest/gtest.h>

#include "app/frmZenkar2.h"

namespace {

TEST(SettingsFile, IsTheProgramsNameWithTheExtensionIni) {
  EXPECT_EQ(SettingsFileName("/opt/lab/cell2"), "cell2.ini");
  EXPECT_EQ(SettingsFileName("/usr/bin/zenkar-pro"), "zenkar-pro.ini");
  EXPECT_EQ(SettingsFileName("zenkar-pro.exe"), "zenkar-pro.ini");
  EXPECT_EQ(SettingsFileName("/opt/lab.d/cell.v2"), "cell.ini");
}

}  // namespace
