#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

std::string FileText(const QString& Path) {
  QFile f(Path);
  f.open(QIODevice::ReadOnly);
  return f.readAll().toStdString();
}

TEST(IniWriter, KeepsTheCaseOfNamesAndWritesValuesAsTheyStand) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("chart.ini"));
  TIniFile ini;
  ini.WriteString("Graph1.Vectors(0)", "Values", "1.5 -2");
  ini.WriteString("Graph1.Vectors(0)", "Caption", "a=b; \"c\" %d \\r");
  ini.WriteBool("Graph1", "Zoom.Auto", true);
  ini.WriteInteger("Graph1.Vectors(0)", "Capacity", 128);
  ini.WriteString("graph1.vectors(0)", "VALUES", "None");  // same key: replaced in place
  ASSERT_TRUE(ini.SaveToFile(path.toStdString()));
  EXPECT_EQ(FileText(path),
            "[Graph1.Vectors(0)]\r\nValues=None\r\nCaption=a=b; \"c\" %d \\r\r\nCapacity=128\r\n"
            "\r\n[Graph1]\r\nZoom.Auto=1\r\n");
  const TIniFile back(path.toStdString());
  EXPECT_EQ(back.ReadString("Graph1.Vectors(0)", "Caption", ""), "a=b; \"c\" %d \\r");
  EXPECT_EQ(back.ReadInteger("Graph1.Vectors(0)", "Capacity", 0), 128);
  EXPECT_TRUE(back.ReadBool("Graph1", "Zoom.Auto", false));
}

TEST(IniWriter, WritingAFileThatWasReadKeepsItsNamesAndOrder) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("s.ini"));
  {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("[Zenkar settings]\nBypass autoscan=1\n[Other]\nKey=v\n");
  }
  TIniFile ini(path.toStdString());
  ini.WriteString("zenkar settings", "ComPort", "COM3");
  ini.WriteString("Other", "key", "w");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(FileText(path),
            "[Zenkar settings]\r\nBypass autoscan=1\r\nComPort=COM3\r\n\r\n[Other]\r\nKey=w\r\n");
}

TEST(IniWriter, SectionsCanBeErasedAndTested) {
  TIniFile ini;
  ini.WriteString("A", "k", "1");
  ini.WriteString("B", "k", "2");
  EXPECT_TRUE(ini.SectionExists("a"));
  EXPECT_TRUE(ini.ValueExists("b", "K"));
  ini.EraseSection("A");
  EXPECT_FALSE(ini.SectionExists("A"));
  EXPECT_EQ(ini.ReadString("B", "k", ""), "2");
}

TEST(IniWriter, UnwritableFileFailsAndKeepsTheOldOne) {
  TIniFile ini;
  ini.WriteString("A", "k", "1");
  EXPECT_FALSE(ini.SaveToFile("/nonexistent-folder/x.ini"));
  EXPECT_FALSE(ini.UpdateFile());  // no file name
}

TEST(IniWriter, LongValueListsReadWithLargerLimits) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("big.ini"));
  const std::string values(100000, '1');
  TIniFile ini;
  ini.WriteString("V", "Values", values);
  ASSERT_TRUE(ini.SaveToFile(path.toStdString()));
  EXPECT_EQ(TIniFile(path.toStdString()).ReadString("V", "Values", "None"), "None");
  EXPECT_EQ(TIniFile(path.toStdString(), 1 << 20, 1 << 20).ReadString("V", "Values", ""), values);
}

}  // namespace
