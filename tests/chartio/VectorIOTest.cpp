#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>
#include <QTemporaryDir>

#include <cmath>

#include "chart/data/RtVectors.h"
#include "chart/io/RtComponentStream.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "platform/IniFile.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

std::vector<double> ValuesOf(const TRtDoubleVector& v) {
  std::vector<double> out;
  for (int i = 0; i < v.Count(); ++i) out.push_back(v.GetValue(i));
  return out;
}

std::vector<int> OutliersOf(const TRtDoubleVector& v) {
  std::vector<int> out;
  for (int i = 0; i < v.Outliers().Count(); ++i) out.push_back(v.Outliers().GetValue(i));
  return out;
}

class TMarkerProbe : public IRtVectorListener {
 public:
  TRtListenerKind VectorListenerKind() const override { return TRtListenerKind::Series; }
  bool IsYDataOf(const TRtCustomDoubleVector*) const override { return true; }
  void ClearLinkedMarkers() override { ++Cleared; }
  int Cleared = 0;
};

struct VectorIO : ::testing::Test {
  VectorIO() {
    Form.setObjectName(QStringLiteral("Form1"));
    RtRegisterForm(&Form);
    V->setObjectName(QStringLiteral("V"));
    V->SetIncrement(256);
    V->AddRange({1.5, -2});
    V->SetCapacity(300);
    V->AddOutlier(1);
  }
  ~VectorIO() override { RtUnregisterRoot(&Form); }

  static QByteArray Binary(const TRtDoubleVector& v) { return RtBinaryImage(v); }
  static void ReadBinary(TRtDoubleVector& v, const QByteArray& bytes) {
    RtReadBinaryImage(v, bytes);
  }
  void ExpectSameAsV(const TRtDoubleVector& back) const {
    EXPECT_EQ(ValuesOf(back), (std::vector<double>{1.5, -2}));
    EXPECT_EQ(OutliersOf(back), std::vector<int>{1});
    EXPECT_EQ(back.Increment(), 256);
    EXPECT_EQ(back.Capacity(), 300);
    EXPECT_EQ(back.Maximum(), 1.5);
    EXPECT_EQ(back.MinimumIncludingOutliers(), -2);
  }

  QObject Form;
  TRtDoubleVector* V = new TRtDoubleVector(&Form);
};

// ---- binary ------------------------------------------------------------------------------------

TEST_F(VectorIO, BinaryFieldsInTheirOrder) {
  const QByteArray expected = QByteArray::fromHex("07000000" + QByteArray("Form1.V").toHex() +
                                                  "00010000"  // increment 256
                                                  "2c010000"  // capacity 300
                                                  "00"        // not from a database
                                                  "02000000"
                                                  "000000000000f83f"
                                                  "00000000000000c0"
                                                  "01"  // outliers
                                                  "01000000"
                                                  "01000000"
                                                  "00");
  EXPECT_EQ(Binary(*V).toHex(), expected.toHex());
}

TEST_F(VectorIO, BinaryRoundTripKeepsValuesOutliersAndCapacity) {
  TRtDoubleVector back;
  back.AddRange({9, 9, 9, 9});
  back.AddOutlier(3);
  TMarkerProbe markers;
  back.AddListener(&markers);
  ReadBinary(back, Binary(*V));
  ExpectSameAsV(back);
  EXPECT_EQ(markers.Cleared, 1);  // cleared first, with linked markers
}

TEST_F(VectorIO, EmptyVectorRoundTripsInEveryForm) {
  TRtDoubleVector empty;
  TRtDoubleVector back;
  back.AddRange({1, 2});
  ReadBinary(back, Binary(empty));
  EXPECT_EQ(back.Count(), 0);
  EXPECT_EQ(back.Capacity(), 128);
  QDomDocument doc(QStringLiteral("chart"));
  empty.WriteTo(doc);
  back.Add(1);
  const QDomElement e = doc.documentElement();
  ASSERT_EQ(e.tagName(), QStringLiteral("TRtDoubleVector"));
  back.ReadFrom(e);
  EXPECT_EQ(back.Count(), 0);
}

TEST_F(VectorIO, EveryTruncatedStreamRaisesAndLeavesWhatWasRead) {
  const QByteArray full = Binary(*V);
  for (qsizetype n = 0; n < full.size(); ++n) {
    TRtDoubleVector back;
    EXPECT_THROW(ReadBinary(back, full.left(n)), ERtStreamError) << n;
    // The values are there once the stream held them all.
    const bool valuesRead = n >= 4 + 7 + 4 + 4 + 1 + 4 + 16;
    EXPECT_EQ(back.Count(), valuesRead ? 2 : 0) << n;
  }
}

TEST_F(VectorIO, GarbledCountsAndCapacityAskForNoHugeAllocation) {
  QByteArray bytes = Binary(*V);
  bytes.replace(15, 4, QByteArray::fromHex("ffffff7f"));  // capacity 2^31-1
  TRtDoubleVector back;
  ReadBinary(back, bytes);
  EXPECT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Capacity(), 2);
  bytes = Binary(*V);
  bytes.replace(20, 4, QByteArray::fromHex("ffffff7f"));  // count 2^31-1
  EXPECT_THROW(ReadBinary(back, bytes), ERtStreamError);
  bytes = Binary(*V);
  bytes.replace(11, 4, QByteArray::fromHex("ffffff7f"));  // increment 2^31-1
  TRtDoubleVector fresh;
  ReadBinary(fresh, bytes);
  EXPECT_EQ(fresh.Increment(), 128);
}

TEST_F(VectorIO, BaseOnlyReaderStopsAtAnExtensionOfTheBlock) {
  QByteArray bytes = Binary(*V);
  bytes.chop(1);
  bytes += QByteArray::fromHex(
      "01"
      "0000803f"
      "00");  // an extension this reader does not know
  TRtDoubleVector back;
  ReadBinary(back, bytes);
  ExpectSameAsV(back);
}

TEST_F(VectorIO, FileRoundTripAndFileErrors) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("v.rtv"));
  V->WriteTo(path);
  TRtDoubleVector back;
  back.ReadFrom(path);
  ExpectSameAsV(back);
  EXPECT_EQ(ErrorOf([&] {
              V->WriteTo(QStringLiteral("/nonexistent-folder/v.rtv"));
            }).rfind("Cannot create file \"/nonexistent-folder/v.rtv\". ", 0),
            0u);
  EXPECT_EQ(ErrorOf([&] {
              back.ReadFrom(dir.filePath(QStringLiteral("missing")));
            }).rfind("Cannot open file \"", 0),
            0u);
  EXPECT_EQ(back.Count(), 2);  // a file that cannot be opened changes nothing
}

// ---- XML ---------------------------------------------------------------------------------------

TEST_F(VectorIO, XmlElementsAndAttributes) {
  ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
  QDomDocument doc(QStringLiteral("chart"));
  QDomElement root = doc.createElement(QStringLiteral("Chart"));
  doc.appendChild(root);
  V->WriteTo(root);
  const QDomElement e = root.firstChildElement();
  EXPECT_EQ(e.tagName(), QStringLiteral("TRtDoubleVector"));
  EXPECT_EQ(e.attribute(QStringLiteral("Name")), QStringLiteral("Form1.V"));
  EXPECT_EQ(e.attribute(QStringLiteral("Increment")), QStringLiteral("256"));
  EXPECT_EQ(e.attribute(QStringLiteral("Capacity")), QStringLiteral("300"));
  const QDomElement values = e.firstChildElement();
  EXPECT_EQ(values.tagName(), QStringLiteral("Values"));
  EXPECT_EQ(values.attribute(QStringLiteral("Count")), QStringLiteral("2"));
  EXPECT_EQ(values.firstChildElement(QStringLiteral("Item")).text(), QStringLiteral("1.5"));
  const QDomElement outliers = values.nextSiblingElement();
  EXPECT_EQ(outliers.tagName(), QStringLiteral("Outliers"));
  EXPECT_EQ(outliers.firstChildElement(QStringLiteral("Item")).text(), QStringLiteral("1"));
  // Through text and back, read in the comma locale.
  QDomDocument reread;
  ASSERT_TRUE(reread.setContent(doc.toString()));
  TRtDoubleVector back;
  back.ReadFrom(reread.documentElement().firstChildElement());
  ExpectSameAsV(back);
}

TEST_F(VectorIO, XmlWithoutOutliersHasNoOutliersElement) {
  V->ClearOutlieres();
  QDomDocument doc(QStringLiteral("chart"));
  V->WriteTo(doc);
  EXPECT_TRUE(doc.documentElement().firstChildElement(QStringLiteral("Outliers")).isNull());
}

TEST_F(VectorIO, XmlTextThatDoesNotConvertStopsWithWhatWasRead) {
  QDomDocument doc(QStringLiteral("chart"));
  V->WriteTo(doc);
  QDomElement e = doc.documentElement();
  QDomElement second = e.firstChildElement().firstChildElement().nextSiblingElement();
  second.firstChild().setNodeValue(QStringLiteral("x"));
  TRtDoubleVector back;
  EXPECT_EQ(ErrorOf([&] { back.ReadFrom(e); }), "'x' is not a valid floating point value");
  EXPECT_EQ(ValuesOf(back), std::vector<double>{1.5});
  EXPECT_EQ(back.Capacity(), 300);
  e.setAttribute(QStringLiteral("Increment"), QStringLiteral("abc"));
  EXPECT_EQ(ErrorOf([&] { back.ReadFrom(e); }), "'abc' is not a valid integer value");
  EXPECT_EQ(back.Count(), 0);
}

// ---- INI ---------------------------------------------------------------------------------------

TEST_F(VectorIO, IniValuesAndOutliersAsBlankSeparatedText) {
  TIniFile ini;
  V->WriteTo(ini, QStringLiteral("Vec"));
  EXPECT_EQ(ini.ReadString("Vec", "Name", ""), "Form1.V");
  EXPECT_EQ(ini.ReadString("Vec", "Increment", ""), "256");
  EXPECT_EQ(ini.ReadString("Vec", "Capacity", ""), "300");
  EXPECT_EQ(ini.ReadString("Vec", "FromDatabase", ""), "0");
  EXPECT_EQ(ini.ReadString("Vec", "Values", ""), "1.5 -2");
  EXPECT_EQ(ini.ReadString("Vec", "Outliers", ""), "1");
  TRtDoubleVector back;
  back.ReadFrom(ini, QStringLiteral("Vec"));
  ExpectSameAsV(back);
}

TEST_F(VectorIO, IniEmptyVectorWritesNone) {
  TRtDoubleVector empty;
  TIniFile ini;
  empty.WriteTo(ini, QStringLiteral("E"));
  EXPECT_EQ(ini.ReadString("E", "Values", ""), "None");
  EXPECT_EQ(ini.ReadString("E", "Outliers", ""), "None");
  TRtDoubleVector back;
  back.AddRange({1, 2, 3});
  back.ReadFrom(ini, QStringLiteral("E"));
  EXPECT_EQ(back.Count(), 0);
}

TEST_F(VectorIO, IniJunkWordBetweenNumbersIsReadAround) {
  TIniFile ini;
  ini.WriteString("V", "Values", "1.5e-3 junk 2");
  TRtDoubleVector back;
  back.ReadFrom(ini, QStringLiteral("V"));
  EXPECT_EQ(ValuesOf(back), (std::vector<double>{0.0015, 2}));
}

TEST_F(VectorIO, IniListWithNoNumberLeftStopsWithTheMessageAndKeepsWhatWasRead) {
  TIniFile ini;
  ini.WriteString("V", "Values", "1.5 2 junk");
  ini.WriteString("V", "Outliers", "0");
  TRtDoubleVector back;
  EXPECT_EQ(ErrorOf([&] { back.ReadFrom(ini, QStringLiteral("V")); }),
            "Error during floating point number extraction");
  EXPECT_EQ(ValuesOf(back), (std::vector<double>{1.5, 2}));
  EXPECT_FALSE(back.AnyOutliers());  // reading stopped before the outliers
  ini.WriteString("V", "Values", "7");
  ini.WriteString("V", "Outliers", "0 x");
  EXPECT_EQ(ErrorOf([&] { back.ReadFrom(ini, QStringLiteral("V")); }),
            "Error during integer extraction");
  EXPECT_EQ(OutliersOf(back), std::vector<int>{0});
}

TEST_F(VectorIO, IniMissingKeysKeepTheCurrentSettings) {
  TIniFile ini;
  ini.WriteString("V", "Name", "x");
  ini.WriteString("V", "Capacity", "not a number");
  V->ReadFrom(ini, QStringLiteral("V"));
  EXPECT_EQ(V->Count(), 0);
  EXPECT_EQ(V->Increment(), 256);
  EXPECT_EQ(V->Capacity(), 300);
}

TEST_F(VectorIO, IniRoundTripThroughAFileInTheCommaLocale) {
  ScopedFormatSettings comma(ScopedFormatSettings::DecimalComma());
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("v.ini")).toStdString();
  TIniFile ini;
  for (int k = 0; k < 5000; ++k) V->Add(k * 0.125 - 3e-7);
  V->WriteTo(ini, QStringLiteral("Graph1.Vectors(0)"));
  ASSERT_TRUE(ini.SaveToFile(path));
  const TIniFile file(path, 64 << 20, 64 << 20);
  TRtDoubleVector back;
  back.ReadFrom(file, QStringLiteral("Graph1.Vectors(0)"));
  ASSERT_EQ(back.Count(), V->Count());
  for (int i = 0; i < V->Count(); ++i) EXPECT_EQ(back.GetValue(i), V->GetValue(i)) << i;
  EXPECT_EQ(back.Capacity(), V->Capacity());
}

// ---- form property "Values" --------------------------------------------------------------------

TEST_F(VectorIO, FormPropertyValuesOnlyWithPersistentValues) {
  TRtPathReferences paths;
  const auto image = [&] {
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    TRtStreamWriter w(b);
    RtWriteComponent(w, V, paths);
    return bytes;
  };
  const auto readInto = [&](QObject* owner, const QByteArray& bytes) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    TRtStreamReader r(b);
    return qobject_cast<TRtDoubleVector*>(RtReadComponent(r, nullptr, owner, paths));
  };
  EXPECT_FALSE(RtStoredPropertyNames(V).contains(QStringLiteral("Values")));
  V->SetPersistentValues(true);
  EXPECT_EQ(RtStoredPropertyNames(V),
            (QStringList{"PersistentValues", "Capacity", "Increment", "Values"}));
  QObject other;
  TRtDoubleVector* created = readInto(&other, image());  // made by class name
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->objectName(), QStringLiteral("V"));
  EXPECT_EQ(ValuesOf(*created), (std::vector<double>{1.5, -2}));
  EXPECT_TRUE(created->PersistentValues());
  EXPECT_EQ(created->Increment(), 256);
  // Read again into the existing vector: the values are replaced, not appended.
  EXPECT_EQ(readInto(&other, image()), created);
  EXPECT_EQ(created->Count(), 2);
}

}  // namespace
