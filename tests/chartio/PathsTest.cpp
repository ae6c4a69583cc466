#include "chart/io/RtPaths.h"

#include <gtest/gtest.h>

#include "chart/io/RtClassRegistry.h"

namespace {

QObject* Named(QObject* Parent, const char* Name) {
  auto* o = new QObject(Parent);
  o->setObjectName(QString::fromLatin1(Name));
  return o;
}

struct PathsFixture : ::testing::Test {
  PathsFixture() {
    Form.setObjectName(QStringLiteral("FormZenkar2"));
    Module.setObjectName(QStringLiteral("Data"));
    RtRegisterForm(&Form);
    RtRegisterDataModule(&Module);
  }
  ~PathsFixture() override {
    RtUnregisterRoot(&Form);
    RtUnregisterRoot(&Module);
  }
  QObject Form;
  QObject Module;
};

TEST_F(PathsFixture, PathJoinsTheOwnersFromTheOutermostDown) {
  QObject* series = Named(&Form, "RtLinearRegression1");
  EXPECT_EQ(ComponentPath(series), QStringLiteral("FormZenkar2.RtLinearRegression1"));
  EXPECT_EQ(ComponentPath(&Form), QStringLiteral("FormZenkar2"));
  // An unnamed container in between is no owner.
  auto* panel = new QObject(&Form);
  QObject* graph = Named(panel, "RtGraph2D1");
  QObject* axis = Named(graph, "XAxis");
  EXPECT_EQ(ComponentPath(axis), QStringLiteral("FormZenkar2.RtGraph2D1.XAxis"));
  EXPECT_EQ(ComponentOwner(axis), graph);
  EXPECT_EQ(ComponentOwner(graph), &Form);
  EXPECT_EQ(ComponentOwner(&Form), nullptr);
  EXPECT_EQ(FindComponentByPath(QStringLiteral("FormZenkar2.RtGraph2D1.XAxis")), axis);
}

TEST_F(PathsFixture, RootIsFindableOnlyWhenRegistered) {
  EXPECT_TRUE(HasFindableRoot(Named(new QObject(&Form), "Deep")));
  QObject other;
  other.setObjectName(QStringLiteral("Other"));
  EXPECT_FALSE(HasFindableRoot(Named(&other, "X")));
  EXPECT_FALSE(HasFindableRoot(nullptr));
}

TEST_F(PathsFixture, PathIsEmptyForNoObjectNoNameOrAnUnnamedRoot) {
  EXPECT_EQ(ComponentPath(nullptr), QString());
  EXPECT_EQ(ComponentPath(new QObject(&Form)), QString());
  QObject root;
  EXPECT_EQ(ComponentPath(Named(&root, "X")), QString());
}

TEST_F(PathsFixture, FirstSegmentIsCaseSensitiveTheOthersIgnoreCase) {
  QObject* v = Named(&Form, "RtDoubleVectorTime");
  EXPECT_EQ(FindComponentByPath(QStringLiteral("FormZenkar2.rtdoublevectortime")), v);
  EXPECT_EQ(FindComponentByPath(QStringLiteral("formzenkar2.RtDoubleVectorTime")), nullptr);
  EXPECT_EQ(FindComponentByPath(QStringLiteral("FormZenkar2.Missing")), nullptr);
  EXPECT_EQ(FindComponentByPath(QStringLiteral("FormZenkar2.RtDoubleVectorTime.X")), nullptr);
  EXPECT_EQ(FindComponentByPath(QString()), nullptr);
  EXPECT_EQ(FindComponentByPath(QStringLiteral("FormZenkar2..RtDoubleVectorTime")), nullptr);
}

TEST_F(PathsFixture, DataModulesAreSearchedBeforeForms) {
  QObject form2;
  form2.setObjectName(QStringLiteral("Data"));
  RtRegisterForm(&form2);
  Named(&Module, "V");
  Named(&form2, "V");
  EXPECT_EQ(FindComponentByPath(QStringLiteral("Data"))->parent(), nullptr);
  EXPECT_EQ(FindComponentByPath(QStringLiteral("Data.V"))->parent(), &Module);
  RtUnregisterRoot(&form2);
}

TEST_F(PathsFixture, DestroyedRootIsForgotten) {
  {
    QObject gone;
    gone.setObjectName(QStringLiteral("Gone"));
    RtRegisterForm(&gone);
    EXPECT_EQ(FindComponentByPath(QStringLiteral("Gone")), &gone);
  }
  EXPECT_EQ(FindComponentByPath(QStringLiteral("Gone")), nullptr);
}

TEST_F(PathsFixture, OwnerAndNameParts) {
  EXPECT_EQ(PathOwnerPart(QStringLiteral("FormZenkar2.RtGraph2D1.XAxis")),
            QStringLiteral("FormZenkar2.RtGraph2D1"));
  EXPECT_EQ(PathNamePart(QStringLiteral("FormZenkar2.RtGraph2D1.XAxis")), QStringLiteral("XAxis"));
  EXPECT_EQ(PathOwnerPart(QStringLiteral("FormZenkar2")), QString());
  EXPECT_EQ(PathNamePart(QStringLiteral("FormZenkar2")), QStringLiteral("FormZenkar2"));
}

TEST_F(PathsFixture, UniqueNameCountsFromOneUntilFree) {
  EXPECT_EQ(UniqueComponentName(&Form, QStringLiteral("RtLineSeries")),
            QStringLiteral("RtLineSeries1"));
  Named(&Form, "rtlineseries1");
  Named(new QObject(&Form), "RtLineSeries2");  // owned through an unnamed container
  EXPECT_EQ(UniqueComponentName(&Form, QStringLiteral("RtLineSeries")),
            QStringLiteral("RtLineSeries3"));
}

class TRtRegistered : public QObject {
 public:
  using QObject::QObject;
};

TEST(RtClassRegistry, CreatesRegisteredClassesByName) {
  RtRegisterClass("TRtRegistered", [](QObject* o) -> QObject* { return new TRtRegistered(o); });
  QObject owner;
  QObject* o = RtCreateComponent(QStringLiteral("TRtRegistered"), &owner, QStringLiteral("R1"));
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->parent(), &owner);
  EXPECT_EQ(o->objectName(), QStringLiteral("R1"));
  EXPECT_TRUE(RtClassRegistered(QStringLiteral("TRtRegistered")));
  EXPECT_EQ(RtCreateComponent(QStringLiteral("TRtUnknown"), &owner, QStringLiteral("U")), nullptr);
}

}  // namespace
