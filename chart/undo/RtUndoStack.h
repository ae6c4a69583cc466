// Undo stack of the chart objects: records the old value of a published property (by name,
// through Qt's meta-object system), whole component states, created components, edit states and
// vector images, in groups bounded by Limit, and takes them back and puts them forward again.
//
// Chart objects hold a guarded pointer to a stack and call the Push operations from their setters
// before a value really changes. Nothing is recorded while Enabled is false or while an undo or
// redo runs (Restoring).
//
// Besides the Q_PROPERTYs, an object's extra streamed properties (IRtStreamedProperties, for
// example a series' "Layer") are recorded and restored by name the same way. Objects are
// referred to by their component path; an object without one by an identity that holds only
// while the program runs.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "chart/data/RtExceptions.h"

class TRtDoubleVector;
class TRtStreamReader;
class TRtStreamWriter;
class TRtUndoStore;
class TRtFileUndoStore;
class TRtUndoReferences;
struct TRtUndoStackProbe;

inline constexpr const char* RtComponentHasNoNameText = "Component does not have a name";
inline constexpr const char* RtTooManyStopGroupText =
    "Undo stack has too many StopGroup statements";

// "Property: "<name>" not found"
inline std::string RtPropertyNotFoundText(const std::string& Name) {
  return "Property: \"" + Name + "\" not found";
}

// An overflow of a count (more StopGroup than StartGroup).
class ERtOverflowError : public ERtMathError {
 public:
  using ERtMathError::ERtMathError;
};

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
  // Streams in memory, or in three temporary files "<program>.RtUndoStack.<n>" of the temporary
  // folder, deleted with the stack. Switching empties both histories.
  void SetToMemoryStream(bool Value);
  // True while an undo or redo runs; setters called meanwhile record nothing.
  bool Restoring() const { return FRestoring; }
  // True when a Push would record something now.
  bool Recording() const { return FEnabled && !FRestoring; }

  // One entry with the current value of the published property PropName of Instance. Raises
  // ERtError "Property: "<name>" not found" when there is no such property, nothing recorded.
  void PushProperty(QObject* Instance, const QString& Comment, const char* PropName);
  // One entry with the whole state of AComponent.
  void PushComponent(QObject* AComponent, const QString& Comment);
  // One entry whose undo frees AComponent. Raises ERtError "Component does not have a name" when
  // it has no path.
  void PushFreeComponent(QObject* AComponent, const QString& Comment);
  // One entry with an edit control's text and selection.
  void PushEditState(QObject* AEdit, const QString& ACaption, const QString& Comment,
                     int ASelLength, int ASelStart);
  // One entry with the binary image of a vector.
  void PushVectorState(TRtDoubleVector* AVector, const QString& Comment);
  // Entries up to the matching StopGroup form one group, undone and redone as a whole.
  void StartGroup(const QString& Comment);
  // Raises ERtOverflowError "Undo stack has too many StopGroup statements", after writing its
  // entry, when no group is open.
  void StopGroup();

  // Undoes (redoes) the last ToIndex + 1 groups, newest first; OnUndo (OnRedo) afterwards. An
  // error while undoing or redoing empties both histories and is raised again after the signal.
  void Undo(int ToIndex = 0);
  void Redo(int ToIndex = 0);
  bool CanUndo() const;
  bool CanRedo() const;
  // Groups that can be undone (redone).
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
  friend struct TRtUndoStackProbe;
  friend class TRtUndoReferences;

  struct THistory {
    TRtUndoStore* Stream = nullptr;
    std::vector<std::int64_t> Positions;  // stream offset of every entry
    std::vector<int> GroupPositions;      // index of the first entry of every group
    int GroupIdx = -1;                    // last group that can be undone (redone)
    int GroupLevel = 0;                   // depth of open groups
    std::int64_t LastEndPosition = 0;     // end of the written data
  };
  enum class TKind : std::int32_t;

  void EnsureStreams();
  void DropStreams();
  QByteArray Encode(const QString& Comment, TKind Kind, const auto& Body);
  void AppendUndo(const QByteArray& Entry);
  void AppendUndoEntry(const QByteArray& Entry);
  void Append(THistory& H, const QByteArray& Entry);
  void CutOldestGroup();
  static void ResetHistory(THistory& H);
  QString GroupComment(const THistory& H, int Group) const;
  QStringList GroupComments(const THistory& H) const;
  void UndoGroup();
  void RedoGroup();
  // Reads the entry at Pos and restores it; with Mirror, first records the current state of its
  // target into the redo history.
  void RestoreEntry(std::int64_t Pos, TRtUndoStore& Stream, bool Mirror);
  // Runs Step for Groups groups while restoring; an error empties both histories.
  void Restore(int Groups, void (TRtUndoStack::*Step)(), void (TRtUndoStack::*Signal)());
  // Identities of objects without a path, valid while the program runs.
  std::uint32_t IdentityOf(const QObject* Object);
  QObject* ObjectOfIdentity(std::uint32_t Id) const;

  bool FEnabled = true;
  bool FRestoring = false;
  bool FToMemoryStream = true;
  int FLimit = 0;
  QString FCurrentUndoComment;
  THistory FUndo;
  THistory FRedo;
  std::unique_ptr<TRtUndoStore> FUndoStream;
  std::unique_ptr<TRtUndoStore> FRedoStream;
  std::unique_ptr<TRtFileUndoStore> FScratch;
  std::unique_ptr<TRtUndoReferences> FReferences;
  std::unordered_map<const QObject*, std::uint32_t> FIdentityOf;
  std::unordered_map<std::uint32_t, QPointer<QObject>> FObjectOf;
  std::uint32_t FNextIdentity = 1;
  std::size_t FPruneIdentitiesAt = 64;
};

// One group on Stack for the life of the scope, when the stack records: several changes that
// make one action (reading an object's settings) are undone together. Closed however the scope
// ends.
class TRtUndoGroupScope {
 public:
  TRtUndoGroupScope(TRtUndoStack* Stack, const QString& Comment) {
    if (Stack && Stack->Recording()) {
      Stack->StartGroup(Comment);
      fStack = Stack;
    }
  }
  ~TRtUndoGroupScope() {
    if (!fStack) return;
    try {
      fStack->StopGroup();
    } catch (const ERtError&) {
    }
  }
  TRtUndoGroupScope(const TRtUndoGroupScope&) = delete;
  TRtUndoGroupScope& operator=(const TRtUndoGroupScope&) = delete;

 private:
  QPointer<TRtUndoStack> fStack;
};
