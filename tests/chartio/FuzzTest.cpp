// Damaged vector streams, XML and INI texts and component images: reading stops with an error
// or reads something, never crashes, never leaves a vector that breaks its own invariants.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>

#include <random>

#include "chart/data/RtVectors.h"
#include "chart/io/RtComponentStream.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "platform/IniFile.h"
#include "tests/support/Mutations.h"

namespace {

constexpr int kRounds = 3000;

class TCountingListener : public IRtVectorListener {
 public:
  TRtListenerKind VectorListenerKind() const override { return TRtListenerKind::Series; }
  void SetLastCount(int) override { ++Notices; }
  void RangesModified() override { ++Notices; }
  long Notices = 0;
};

// What every vector must hold after any reading.
void ExpectSound(const TRtDoubleVector& v) {
  ASSERT_GE(v.Count(), 0);
  ASSERT_LE(v.Count(), v.Capacity());
  ASSERT_GE(v.Increment(), 128);
  double sum = 0;
  for (int i = 0; i < v.Count(); ++i) sum += v.GetValue(i);
  (void)sum;
  (void)v.Maximum();
  (void)v.SumIncludingOutliers();
}

struct Fuzz : ::testing::Test {
  Fuzz() {
    Form.setObjectName(QStringLiteral("FuzzForm"));
    RtRegisterForm(&Form);
    Source->setObjectName(QStringLiteral("Source"));
    for (int k = 0; k < 40; ++k) Source->Add(k * 0.75 - 3);
    Source->AddOutlier(3);
    Source->AddOutlier(17);
    Target->AddListener(&Listener);
  }
  ~Fuzz() override { RtUnregisterRoot(&Form); }

  QObject Form;
  TRtDoubleVector* Source = new TRtDoubleVector(&Form);
  TRtDoubleVector* Target = new TRtDoubleVector(&Form);
  TCountingListener Listener;
  std::mt19937 Random{20261209};
};

TEST_F(Fuzz, DamagedBinaryVectorStreams) {
  const QByteArray valid = RtBinaryImage(*Source);
  int failed = 0;
  for (int round = 0; round < kRounds; ++round) {
    try {
      RtReadBinaryImage(*Target, Mutated(valid, Random));
    } catch (const ERtError&) {
      ++failed;
    }
    ExpectSound(*Target);
  }
  EXPECT_GT(failed, kRounds / 10);
  RtReadBinaryImage(*Target, valid);
  EXPECT_EQ(Target->Count(), 40);
}

TEST_F(Fuzz, DamagedXmlTexts) {
  QDomDocument doc(QStringLiteral("chart"));
  Source->WriteTo(doc);
  const QByteArray valid = doc.toByteArray();
  for (int round = 0; round < kRounds; ++round) {
    QDomDocument damaged;
    if (!damaged.setContent(Mutated(valid, Random))) continue;
    try {
      Target->ReadFrom(damaged.documentElement());
    } catch (const ERtError&) {
    }
    ExpectSound(*Target);
  }
}

TEST_F(Fuzz, DamagedIniValueLists) {
  TIniFile ini;
  Source->WriteTo(ini, QStringLiteral("V"));
  const QByteArray values = QByteArray::fromStdString(ini.ReadString("V", "Values", ""));
  const QByteArray outliers = QByteArray::fromStdString(ini.ReadString("V", "Outliers", ""));
  for (int round = 0; round < kRounds; ++round) {
    ini.WriteString("V", "Values", Mutated(values, Random).toStdString());
    ini.WriteString("V", "Outliers", Mutated(outliers, Random).toStdString());
    ini.WriteString("V", "Capacity", Mutated("300", Random).toStdString());
    try {
      Target->ReadFrom(ini, QStringLiteral("V"));
    } catch (const ERtError&) {
    }
    ExpectSound(*Target);
  }
}

TEST_F(Fuzz, DamagedComponentImages) {
  Source->SetPersistentValues(true);
  auto* child = new TRtDoubleVector(Source);
  child->setObjectName(QStringLiteral("Child"));
  child->SetPersistentValues(true);
  child->AddRange({1, 2, 3});
  TRtPathReferences paths;
  QByteArray valid;
  {
    QBuffer b(&valid);
    b.open(QIODevice::WriteOnly);
    TRtStreamWriter w(b);
    RtWriteComponent(w, Source, paths);
  }
  for (int round = 0; round < kRounds; ++round) {
    QBuffer b;
    b.setData(Mutated(valid, Random));
    b.open(QIODevice::ReadOnly);
    TRtStreamReader r(b);
    try {
      RtReadComponent(r, Target, nullptr, paths);
    } catch (const ERtError&) {
    }
    ExpectSound(*Target);
  }
}

}  // namespace
