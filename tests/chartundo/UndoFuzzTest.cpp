// Damaged undo and redo histories: undoing and redoing stop with an error that empties both
// histories, or restore something; never a crash, never a leak.
#include <gtest/gtest.h>

#include <random>

#include "chart/data/RtVectors.h"
#include "chart/undo/RtUndoStack.h"
#include "tests/chartundo/TestObjects.h"
#include "tests/support/Mutations.h"

namespace {

constexpr int kRounds = 2000;

// One history with every kind of entry, recorded afresh for every round.
struct History {
  explicit History(TTestForm& Form) : Stack(new TRtUndoStack(&Form)) {
    A = Item(Form, "A");
    B = Item(Form, "B");
    Loose = new TTestItem(&Form);
    Loose->Undo = Stack;
    Vector = new TRtDoubleVector(&Form);
    Vector->setObjectName(QStringLiteral("V"));
    Vector->AddRange({1, 2, 3});
    Vector->AddOutlier(1);
    Edit = new TTestEdit(&Form);
    Edit->setObjectName(QStringLiteral("E"));
    Created = Item(Form, "C");

    Stack->StartGroup(QStringLiteral("all"));
    A->SetValue(1.5);
    A->SetCaption(QStringLiteral("caption"));
    A->SetPartner(B);
    A->SetLines({"x", "y"});
    A->SetMarks({1, 2});
    A->SetAnchor({2, 3});
    A->SetLayer(4);
    Stack->StopGroup();
    Loose->SetValue(2);
    Stack->PushComponent(A, QStringLiteral("component"));
    Stack->PushFreeComponent(Created, QStringLiteral("created"));
    Stack->PushEditState(Edit, QStringLiteral("12"), QStringLiteral("edit"), 1, 0);
    Stack->PushVectorState(Vector, QStringLiteral("vector"));
    Vector->Add(4);
  }
  TTestItem* Item(TTestForm& Form, const char* Name) {
    auto* i = new TTestItem(&Form);
    i->setObjectName(QString::fromLatin1(Name));
    i->Undo = Stack;
    return i;
  }

  QPointer<TRtUndoStack> Stack;
  QPointer<TTestItem> A, B, Loose, Created;
  QPointer<TRtDoubleVector> Vector;
  QPointer<TTestEdit> Edit;
};

// Undoes and redoes everything; an error must leave both histories empty.
void UndoAndRedo(TRtUndoStack& Stack) {
  for (const auto step : {&TRtUndoStack::Undo, &TRtUndoStack::Redo}) {
    try {
      (Stack.*step)(99);
    } catch (const ERtError&) {
      EXPECT_EQ(Stack.UndoCount(), 0);
      EXPECT_EQ(Stack.RedoCount(), 0);
      return;
    }
  }
}

TEST(UndoFuzz, DamagedUndoHistories) {
  std::mt19937 random(7);
  int failed = 0;
  for (int round = 0; round < kRounds; ++round) {
    TTestForm form(QStringLiteral("Fuzz"));
    History h(form);
    TRtUndoStore& store = TRtUndoStackProbe::Undo(*h.Stack);
    store.ReplaceAll(Mutated(store.ReadAll(), random));
    UndoAndRedo(*h.Stack);
    failed += h.Stack->UndoCount() == 0 && h.Stack->RedoCount() == 0;
    if (h.Vector) {
      EXPECT_LE(h.Vector->Count(), h.Vector->Capacity());
    }
  }
  EXPECT_GT(failed, kRounds / 10);
}

TEST(UndoFuzz, DamagedRedoHistories) {
  std::mt19937 random(11);
  for (int round = 0; round < kRounds; ++round) {
    TTestForm form(QStringLiteral("Fuzz"));
    History h(form);
    h.Stack->Undo(99);
    ASSERT_EQ(h.Stack->RedoCount(), 6);
    TRtUndoStore& store = TRtUndoStackProbe::Redo(*h.Stack);
    store.ReplaceAll(Mutated(store.ReadAll(), random));
    try {
      h.Stack->Redo(99);
    } catch (const ERtError&) {
      EXPECT_EQ(h.Stack->UndoCount(), 0);
      EXPECT_EQ(h.Stack->RedoCount(), 0);
    }
  }
}

TEST(UndoFuzz, UndamagedHistoryUndoesEverything) {
  TTestForm form(QStringLiteral("Fuzz"));
  History h(form);
  h.Stack->Undo(99);
  EXPECT_EQ(h.A->Value(), 0);
  EXPECT_EQ(h.A->Layer(), 0);
  EXPECT_EQ(h.Vector->Count(), 3);
  EXPECT_TRUE(h.Created.isNull());
  h.Stack->Redo(99);
  EXPECT_EQ(h.A->Value(), 1.5);
  EXPECT_EQ(h.Vector->Count(), 4);
  EXPECT_EQ(h.Stack->UndoCount(), 6);
}

}  // namespace
