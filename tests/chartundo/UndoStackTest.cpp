#include "chart/undo/RtUndoStack.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <memory>

#include "chart/data/RtVectors.h"
#include "chart/io/RtClassRegistry.h"
#include "tests/chartundo/TestObjects.h"
#include "tests/support/ErrorOf.h"

RT_REGISTER_CLASS(TTestItem)

namespace {

// A form with two named items sharing one stack.
struct UndoFixture : ::testing::Test {
  TTestForm Form{QStringLiteral("Form1")};
  TRtUndoStack* Stack = new TRtUndoStack(&Form);
  TTestItem* A = Item("ItemA");
  TTestItem* B = Item("ItemB");

  TTestItem* Item(const char* Name) {
    auto* i = new TTestItem(&Form);
    i->setObjectName(QString::fromLatin1(Name));
    i->Undo = Stack;
    return i;
  }
};

// ---- limit, groups, order ----------------------------------------------------------------------

TEST_F(UndoFixture, Limit20After25GroupsKeepsTheNewest20) {
  Stack->SetLimit(20);
  for (int k = 1; k <= 25; ++k) {
    Stack->PushProperty(A, QStringLiteral("change %1").arg(k), "Value");
    A->Undo = nullptr;  // the explicit push above is the record
    A->SetValue(k);
    A->Undo = Stack;
  }
  EXPECT_EQ(Stack->UndoCount(), 20);
  const QStringList list = Stack->UndoList();
  ASSERT_EQ(list.size(), 20);
  EXPECT_EQ(list.first(), QStringLiteral("change 25"));
  EXPECT_EQ(list.last(), QStringLiteral("change 6"));
  Stack->Undo(99);
  EXPECT_EQ(A->Value(), 5);  // the state before change 6: the oldest five are gone
  EXPECT_FALSE(Stack->CanUndo());
  EXPECT_EQ(Stack->RedoCount(), 20);
}

TEST_F(UndoFixture, LimitCountsAGroupAsOne) {
  Stack->SetLimit(2);
  Stack->StartGroup(QStringLiteral("three"));
  A->SetValue(1);
  A->SetCaption(QStringLiteral("x"));
  B->SetValue(7);
  Stack->StopGroup();
  A->SetValue(2);
  EXPECT_EQ(Stack->UndoCount(), 2);
  B->SetValue(8);  // the group of three goes as a whole
  EXPECT_EQ(Stack->UndoList(), (QStringList{"Item value", "Item value"}));
  Stack->Undo(1);
  EXPECT_EQ(A->Value(), 1);
  EXPECT_EQ(B->Value(), 7);
  EXPECT_EQ(A->Caption(), QStringLiteral("x"));
}

TEST_F(UndoFixture, AGroupOfThreeIsUndoneAsAWholeInReverseOrder) {
  A->SetValue(1);
  A->SetCaption(QStringLiteral("a"));
  Stack->Clear();
  A->Log.clear();
  Stack->StartGroup(QStringLiteral("Edit item"));
  A->SetValue(2);
  A->SetCaption(QStringLiteral("b"));
  A->SetValue(3);
  Stack->StopGroup();
  EXPECT_EQ(Stack->UndoCount(), 1);
  EXPECT_EQ(Stack->UndoList(), QStringList{QStringLiteral("Edit item")});
  A->Log.clear();
  Stack->Undo();
  EXPECT_EQ(A->Log, (std::vector<std::string>{"Value:=2.000000", "Caption:=a", "Value:=1.000000"}));
  EXPECT_EQ(A->Value(), 1);
  EXPECT_EQ(Stack->UndoCount(), 0);
  EXPECT_EQ(Stack->RedoList(), QStringList{QStringLiteral("Edit item")});
  A->Log.clear();
  Stack->Redo();
  EXPECT_EQ(A->Log, (std::vector<std::string>{"Value:=2.000000", "Caption:=b", "Value:=3.000000"}));
  EXPECT_EQ(Stack->UndoCount(), 1);
  EXPECT_EQ(Stack->RedoCount(), 0);
}

TEST_F(UndoFixture, NestedGroupsFormOneGroupWithTheOuterComment) {
  Stack->StartGroup(QStringLiteral("outer"));
  A->SetValue(1);
  Stack->StartGroup(QStringLiteral("inner"));
  B->SetValue(2);
  Stack->StopGroup();
  Stack->StopGroup();
  A->SetValue(3);
  EXPECT_EQ(Stack->UndoList(), (QStringList{"Item value", "outer"}));
  Stack->Undo(1);
  EXPECT_EQ(A->Value(), 0);
  EXPECT_EQ(B->Value(), 0);
}

TEST_F(UndoFixture, TooManyStopGroupRaisesAfterWritingItsEntry) {
  A->SetValue(1);
  EXPECT_EQ(ErrorOf([&] { Stack->StopGroup(); }), RtTooManyStopGroupText);
  EXPECT_THROW(Stack->StopGroup(), ERtOverflowError);
  EXPECT_EQ(Stack->UndoCount(), 3);
  // The depth is back at 0: a change outside a group is a group of its own again.
  A->SetValue(2);
  B->SetValue(5);
  EXPECT_EQ(Stack->UndoCount(), 5);
  Stack->Undo();
  EXPECT_EQ(A->Value(), 2);
  EXPECT_EQ(B->Value(), 0);
}

// ---- what records nothing ----------------------------------------------------------------------

TEST_F(UndoFixture, DisabledRecordsNothingAndCannotUndo) {
  A->SetValue(1);
  Stack->SetEnabled(false);
  EXPECT_FALSE(Stack->CanUndo());
  A->SetValue(2);
  Stack->PushProperty(B, QStringLiteral("x"), "Value");
  Stack->StartGroup(QStringLiteral("g"));
  Stack->StopGroup();
  Stack->StopGroup();  // no overflow either: nothing is recorded
  Stack->Undo();
  EXPECT_EQ(A->Value(), 2);
  Stack->SetEnabled(true);
  EXPECT_EQ(Stack->UndoCount(), 1);
  Stack->Undo();
  EXPECT_EQ(A->Value(), 0);
}

TEST_F(UndoFixture, RecordingFromInsideAnUndoChangesNoHistory) {
  A->SetValue(1);
  B->SetValue(1);
  // While the undo restores A through its setter, the setter pushes (as every chart setter
  // does) and a handler of the change records more.
  A->OnSetValue = [this] {
    Stack->PushProperty(B, QStringLiteral("inside"), "Value");
    Stack->StartGroup(QStringLiteral("inside"));
    Stack->StopGroup();
    Stack->StopGroup();
  };
  Stack->Undo(1);
  EXPECT_EQ(A->Value(), 0);
  EXPECT_EQ(B->Value(), 0);
  EXPECT_EQ(Stack->UndoCount(), 0);
  EXPECT_EQ(Stack->RedoCount(), 2);
  Stack->Redo(1);
  EXPECT_EQ(A->Value(), 1);
  EXPECT_EQ(Stack->UndoCount(), 2);
  EXPECT_EQ(Stack->RedoCount(), 0);
}

TEST_F(UndoFixture, RedoIsDiscardedByANewChange) {
  A->SetValue(1);
  A->SetValue(2);
  Stack->Undo(0);
  EXPECT_TRUE(Stack->CanRedo());
  B->SetValue(9);
  EXPECT_FALSE(Stack->CanRedo());
  EXPECT_EQ(Stack->RedoCount(), 0);
  EXPECT_EQ(Stack->UndoList(), (QStringList{"Item value", "Item value"}));
  Stack->Undo(5);
  EXPECT_EQ(A->Value(), 0);
  EXPECT_EQ(B->Value(), 0);
}

TEST_F(UndoFixture, UndoRestoresSideEffectsThroughTheSetterAndRedoBringsTheNewValueBack) {
  A->SetValue(3);
  A->SetValue(4);
  EXPECT_EQ(A->Derived(), 8);
  int undone = 0, redone = 0;
  QObject::connect(Stack, &TRtUndoStack::OnUndo, [&] { ++undone; });
  QObject::connect(Stack, &TRtUndoStack::OnRedo, [&] { ++redone; });
  Stack->Undo();
  EXPECT_EQ(A->Value(), 3);
  EXPECT_EQ(A->Derived(), 6);
  Stack->Redo();
  EXPECT_EQ(A->Value(), 4);
  EXPECT_EQ(A->Derived(), 8);
  EXPECT_EQ(undone, 1);
  EXPECT_EQ(redone, 1);
  // Undone anew after the redo.
  Stack->Undo();
  EXPECT_EQ(A->Value(), 3);
}

TEST_F(UndoFixture, UndoOfSeveralGroupsAndRedoOfSomeOfThem) {
  for (int k = 1; k <= 4; ++k) A->SetValue(k);
  Stack->Undo(2);
  EXPECT_EQ(A->Value(), 1);
  EXPECT_EQ(Stack->RedoCount(), 3);
  Stack->Redo(1);
  EXPECT_EQ(A->Value(), 3);
  EXPECT_EQ(Stack->UndoCount(), 3);
  EXPECT_EQ(Stack->RedoCount(), 1);
  Stack->Redo(9);
  EXPECT_EQ(A->Value(), 4);
  Stack->Undo(9);
  EXPECT_EQ(A->Value(), 0);
}

// ---- failures ----------------------------------------------------------------------------------

TEST_F(UndoFixture, UnknownOrReadOnlyPropertyIsNotFoundAndNothingIsRecorded) {
  EXPECT_EQ(ErrorOf([&] { Stack->PushProperty(A, QStringLiteral("x"), "Nope"); }),
            "Property: \"Nope\" not found");
  EXPECT_EQ(ErrorOf([&] { Stack->PushProperty(A, QStringLiteral("x"), "Derived"); }),
            "Property: \"Derived\" not found");
  EXPECT_EQ(Stack->UndoCount(), 0);
}

TEST_F(UndoFixture, ArrayOfArraysIsRefused) {
  EXPECT_EQ(ErrorOf([&] { Stack->PushProperty(A, QStringLiteral("x"), "Grid"); }),
            "Only one dimensional arrays suported");
  EXPECT_EQ(Stack->UndoCount(), 0);
}

TEST_F(UndoFixture, UnnamedComponentCannotBeRecordedAsCreated) {
  TTestItem loose(&Form);
  EXPECT_EQ(ErrorOf([&] { Stack->PushFreeComponent(&loose, QStringLiteral("new")); }),
            "Component does not have a name");
}

TEST_F(UndoFixture, ErrorWhileUndoingEmptiesBothHistoriesAndStillSignals) {
  auto* loose = new TTestItem(&Form);  // no name: referred to by identity
  loose->Undo = Stack;
  loose->SetValue(1);
  A->SetValue(1);
  Stack->Undo();
  delete loose;
  int undone = 0;
  QObject::connect(Stack, &TRtUndoStack::OnUndo, [&] { ++undone; });
  EXPECT_THROW(Stack->Undo(), ERtError);
  EXPECT_EQ(undone, 1);
  EXPECT_EQ(Stack->UndoCount(), 0);
  EXPECT_EQ(Stack->RedoCount(), 0);
}

// ---- what an entry holds -----------------------------------------------------------------------

TEST_F(UndoFixture, EveryKindOfPropertyValueComesBack) {
  auto* loose = new TTestItem(&Form);
  Stack->SetEnabled(false);
  A->SetStyle(TTestStyle::Dot);
  A->SetPartner(B);
  A->SetLines({"one", "two"});
  A->SetMarks({4, 5, 6});
  A->SetBig(1LL << 40);
  A->SetColor(0xFF123456u);
  A->SetAnchor({1.5, -2.25});
  A->SetShown(false);
  Stack->SetEnabled(true);
  Stack->StartGroup(QStringLiteral("all"));
  A->SetStyle(TTestStyle::Dash);
  A->SetPartner(loose);
  A->SetLines({});
  A->SetMarks({});
  A->SetBig(-1);
  A->SetColor(0);
  A->SetAnchor({});
  A->SetShown(true);
  A->SetLayer(3);
  Stack->StopGroup();
  Stack->Undo();
  EXPECT_EQ(A->Style(), TTestStyle::Dot);
  EXPECT_EQ(A->Partner(), B);
  EXPECT_EQ(A->Lines(), (QStringList{"one", "two"}));
  EXPECT_EQ(A->Marks(), (QList<int>{4, 5, 6}));
  EXPECT_EQ(A->Big(), 1LL << 40);
  EXPECT_EQ(A->Color(), 0xFF123456u);
  EXPECT_EQ(A->Anchor(), QPointF(1.5, -2.25));
  EXPECT_FALSE(A->Shown());
  EXPECT_EQ(A->Layer(), 0);
  EXPECT_EQ(A->LayerChanges, 2);  // through SetLayer both ways
  Stack->Redo();
  EXPECT_EQ(A->Partner(), loose);  // no path: found again by identity
  EXPECT_EQ(A->Layer(), 3);
  EXPECT_EQ(A->Style(), TTestStyle::Dash);
}

TEST_F(UndoFixture, ObjectUnderAnUnknownRootIsFoundByIdentity) {
  QObject other;  // named, but no registered form
  other.setObjectName(QStringLiteral("Other"));
  TTestItem item(&other);
  item.setObjectName(QStringLiteral("Item"));
  item.Undo = Stack;
  item.SetValue(1);
  item.SetValue(2);
  Stack->Undo();
  EXPECT_EQ(item.Value(), 1);
}

TEST_F(UndoFixture, ComponentStateComesBackWithChildrenAndReferences) {
  auto* child = new TTestItem(A);
  child->setObjectName(QStringLiteral("Child"));
  child->SetValue(11);
  child->SetPartner(B);
  A->SetValue(5);
  A->SetLayer(2);
  Stack->Clear();
  Stack->PushComponent(A, QStringLiteral("Item settings"));
  Stack->SetEnabled(false);
  A->SetValue(6);
  A->SetLayer(4);
  delete child;
  Stack->SetEnabled(true);
  Stack->Undo();
  EXPECT_EQ(A->Value(), 5);
  EXPECT_EQ(A->Layer(), 2);
  auto* back = A->findChild<TTestItem*>(QStringLiteral("Child"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Value(), 11);
  EXPECT_EQ(back->Partner(), B);
  Stack->Redo();
  EXPECT_EQ(A->Value(), 6);
  EXPECT_EQ(A->findChild<TTestItem*>(QStringLiteral("Child")), nullptr);
}

TEST_F(UndoFixture, ComponentThatIsGoneIsCreatedAgainInItsOwner) {
  B->SetCaption(QStringLiteral("kept"));
  Stack->PushComponent(B, QStringLiteral("Delete item"));
  delete B;
  Stack->Undo();
  auto* back = qobject_cast<TTestItem*>(FindComponentByPath(QStringLiteral("Form1.ItemB")));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Caption(), QStringLiteral("kept"));
  Stack->Redo();
  EXPECT_EQ(FindComponentByPath(QStringLiteral("Form1.ItemB")), nullptr);
}

TEST_F(UndoFixture, CreatedComponentIsFreedByUndoAndCreatedAgainByRedo) {
  TTestItem* c = Item("ItemC");
  c->SetCaption(QStringLiteral("new one"));
  Stack->Clear();
  Stack->PushFreeComponent(c, QStringLiteral("New item"));
  QPointer<TTestItem> guard(c);
  Stack->Undo();
  EXPECT_TRUE(guard.isNull());
  Stack->Redo();
  auto* back = qobject_cast<TTestItem*>(FindComponentByPath(QStringLiteral("Form1.ItemC")));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Caption(), QStringLiteral("new one"));
  Stack->Undo();
  EXPECT_EQ(FindComponentByPath(QStringLiteral("Form1.ItemC")), nullptr);
}

TEST_F(UndoFixture, EditStateComesBackAndRedoTakesTheCurrentOne) {
  auto* edit = new TTestEdit(&Form);
  edit->setObjectName(QStringLiteral("Edit1"));
  edit->setText(QStringLiteral("12.5"));
  Stack->PushEditState(edit, QStringLiteral("12.5"), QStringLiteral("Edit"), 2, 1);
  edit->setText(QStringLiteral("99"));
  edit->setSelection(0, 1);
  Stack->Undo();
  EXPECT_EQ(edit->text(), QStringLiteral("12.5"));
  EXPECT_EQ(edit->selectionStart(), 1);
  EXPECT_EQ(edit->selectionLength(), 2);
  Stack->Redo();
  EXPECT_EQ(edit->text(), QStringLiteral("99"));
  EXPECT_EQ(edit->selectionStart(), 0);
  EXPECT_EQ(edit->selectionLength(), 1);
}

TEST_F(UndoFixture, VectorStateComesBackWithOutliersAndCapacity) {
  auto* v = new TRtDoubleVector(&Form);
  v->setObjectName(QStringLiteral("Vector1"));
  v->AddRange({1.5, -2, 7});
  v->AddOutlier(1);
  Stack->PushVectorState(v, QStringLiteral("Graph series data"));
  for (int k = 0; k < 200; ++k) v->Add(k);
  v->ClearOutlieres();
  Stack->Undo();
  ASSERT_EQ(v->Count(), 3);
  EXPECT_EQ(v->GetValue(0), 1.5);
  EXPECT_EQ(v->GetValue(2), 7);
  EXPECT_TRUE(v->IsOutlier(1));
  EXPECT_EQ(v->Capacity(), 128);
  EXPECT_EQ(v->Maximum(), 7);
  Stack->Redo();
  EXPECT_EQ(v->Count(), 203);
  EXPECT_FALSE(v->AnyOutliers());
  EXPECT_EQ(v->Capacity(), 256);
}

// ---- streams -----------------------------------------------------------------------------------

TEST_F(UndoFixture, TemporaryFilesHoldTheHistoriesAndGoWithTheStack) {
  auto* files = new TRtUndoStack(&Form);
  files->SetToMemoryStream(false);
  files->SetLimit(3);
  A->Undo = files;
  for (int k = 1; k <= 6; ++k) A->SetValue(k);
  const QStringList names = TRtUndoStackProbe::FileNames(*files);
  const QString program =
      QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName();
  const QString prefix = QDir::temp().filePath(program + QStringLiteral(".RtUndoStack."));
  std::vector<int> numbers;
  for (const QString& n : names) {
    ASSERT_TRUE(n.startsWith(prefix)) << n.toStdString();
    EXPECT_TRUE(QFile::exists(n));
    numbers.push_back(n.mid(prefix.size()).toInt());
  }
  EXPECT_LT(numbers[0], numbers[1]);  // undo, redo, scratch: free numbers in that order
  EXPECT_LT(numbers[1], numbers[2]);
  EXPECT_GT(QFileInfo(names[0]).size(), 0);
  EXPECT_EQ(files->UndoCount(), 3);
  files->Undo(1);
  EXPECT_EQ(A->Value(), 4);
  files->Redo();
  EXPECT_EQ(A->Value(), 5);
  files->Undo(9);
  EXPECT_EQ(A->Value(), 3);  // the groups before the newest three were cut off
  delete files;
  for (const QString& n : names) EXPECT_FALSE(QFile::exists(n)) << n.toStdString();
}

TEST_F(UndoFixture, SwitchingTheStreamKindEmptiesTheHistories) {
  A->SetValue(1);
  Stack->SetToMemoryStream(false);
  EXPECT_FALSE(Stack->CanUndo());
  A->SetValue(2);
  Stack->Undo();
  EXPECT_EQ(A->Value(), 1);
}

TEST_F(UndoFixture, ClearEmptiesBothHistories) {
  A->SetValue(1);
  A->SetValue(2);
  Stack->Undo();
  Stack->Clear();
  EXPECT_FALSE(Stack->CanUndo());
  EXPECT_FALSE(Stack->CanRedo());
  EXPECT_TRUE(Stack->UndoList().isEmpty());
  A->SetValue(3);
  Stack->Undo();
  EXPECT_EQ(A->Value(), 1);
}

}  // namespace
