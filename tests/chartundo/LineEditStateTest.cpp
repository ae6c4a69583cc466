#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>

#include "chart/io/RtPaths.h"
#include "chart/undo/RtLineEditState.h"
#include "chart/undo/RtUndoStack.h"

namespace {

TEST(LineEditState, TextAndSelectionOfALineEditComeBack) {
  RtRegisterLineEditState();
  QWidget form;
  form.setObjectName(QStringLiteral("Form1"));
  RtRegisterForm(&form);
  auto* edit = new QLineEdit(&form);
  edit->setObjectName(QStringLiteral("EditSetpoint"));
  TRtUndoStack stack(&form);
  edit->setText(QStringLiteral("12.5"));
  stack.PushEditState(edit, edit->text(), QStringLiteral("Setpoint"), 2, 1);
  edit->setText(QStringLiteral("0.75"));
  edit->setSelection(0, 3);
  stack.Undo();
  EXPECT_EQ(edit->text(), QStringLiteral("12.5"));
  EXPECT_EQ(edit->selectionStart(), 1);
  EXPECT_EQ(edit->selectionLength(), 2);
  stack.Redo();
  EXPECT_EQ(edit->text(), QStringLiteral("0.75"));
  EXPECT_EQ(edit->selectionStart(), 0);
  EXPECT_EQ(edit->selectionLength(), 3);
  // No selection: the caret comes back.
  edit->setCursorPosition(2);
  stack.PushEditState(edit, edit->text(), QStringLiteral("Setpoint"), 0, 2);
  edit->setText(QStringLiteral("1"));
  stack.Undo();
  EXPECT_FALSE(edit->hasSelectedText());
  EXPECT_EQ(edit->cursorPosition(), 2);
  RtUnregisterRoot(&form);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
