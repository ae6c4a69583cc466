// Undo stack of the chart objects: records the old value of a published property (by name,
// through Qt's meta-object system), whole component states, created components, edit states and
// vector images, in groups bounded by Limit, and takes them back and puts them forward again.
//
// Chart objects hold a guarded pointer to a stack and call the Push operations from their setters
// before a value really changes. Nothing is recorded while Enabled is false or while an undo or
// redo runs (Restoring).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class TRtDoubleVector;

class TRtUndoStack : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(int Limit READ Limit WRITE SetLimit)
  Q_PROPERTY(bool ToMemoryStream READ ToMemoryStream WRITE SetToMemoryStream)

 public:
  explicit TRtUndoStack(QObject* AOwner = nullptr);
  ~TRtUndoStack() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  // Most groups kept; 0 or less keeps every group.
  int Limit() const { return FLimit; }
  void SetLimit(int Value) { FLimit = Value; }
  bool ToMemoryStream() const { return FToMemoryStream; }
  void SetToMemoryStream(bool Value) { FToMemoryStream = Value; }
  // True while an undo or redo runs; setters called meanwhile record nothing.
  bool Restoring() const { return FRestoring; }
  // True when a Push would record something now.
  bool Recording() const { return FEnabled && !FRestoring; }

  // One entry with the current value of the published property PropName of Instance.
  void PushProperty(QObject* Instance, const QString& Comment, const char* PropName);
  // One entry with the whole state of AComponent.
  void PushComponent(QObject* AComponent, const QString& Comment);
  // One entry whose undo frees AComponent.
  void PushFreeComponent(QObject* AComponent, const QString& Comment);
  // One entry with an edit control's text and selection.
  void PushEditState(QObject* AEdit, const QString& ACaption, const QString& Comment,
                     int ASelLength, int ASelStart);
  // One entry with the binary image of a vector.
  void PushVectorState(TRtDoubleVector* AVector, const QString& Comment);
  void StartGroup(const QString& Comment);
  void StopGroup();

  // Undoes (redoes) the last ToIndex + 1 groups.
  void Undo(int ToIndex = 0);
  void Redo(int ToIndex = 0);
  bool CanUndo() const;
  bool CanRedo() const;
  int UndoCount() const;
  int RedoCount() const;
  void Clear();
  // Group comments, newest first.
  QStringList UndoList() const;
  QStringList RedoList() const;

 Q_SIGNALS:
  void OnUndo();
  void OnRedo();

 private:
  bool FEnabled = true;
  bool FRestoring = false;
  bool FToMemoryStream = true;
  int FLimit = 0;
};
