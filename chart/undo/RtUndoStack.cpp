#include "chart/undo/RtUndoStack.h"

// Interface only so far: recording keeps nothing, so there is never anything to undo.

TRtUndoStack::TRtUndoStack(QObject* AOwner) : QObject(AOwner) {}
TRtUndoStack::~TRtUndoStack() = default;

void TRtUndoStack::PushProperty(QObject*, const QString&, const char*) {}
void TRtUndoStack::PushComponent(QObject*, const QString&) {}
void TRtUndoStack::PushFreeComponent(QObject*, const QString&) {}
void TRtUndoStack::PushEditState(QObject*, const QString&, const QString&, int, int) {}
void TRtUndoStack::PushVectorState(TRtDoubleVector*, const QString&) {}
void TRtUndoStack::StartGroup(const QString&) {}
void TRtUndoStack::StopGroup() {}
void TRtUndoStack::Undo(int) {}
void TRtUndoStack::Redo(int) {}
bool TRtUndoStack::CanUndo() const {
  return false;
}
bool TRtUndoStack::CanRedo() const {
  return false;
}
int TRtUndoStack::UndoCount() const {
  return 0;
}
int TRtUndoStack::RedoCount() const {
  return 0;
}
void TRtUndoStack::Clear() {}
QStringList TRtUndoStack::UndoList() const {
  return {};
}
QStringList TRtUndoStack::RedoList() const {
  return {};
}
