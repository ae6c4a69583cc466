#include "chart/undo/RtUndoStack.h"

#include <QBuffer>

#include "chart/data/RtVectors.h"
#include "chart/io/RtComponentStream.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/undo/RtEditState.h"
#include "chart/undo/RtUndoStore.h"

// Entry record: comment (string), kind (32 bits, kind AND 127), then by kind:
//   property           reference, property name, value
//   component          reference, component image
//   created component  path
//   edit state         reference, text, selection start, selection length
//   vector state       reference, the vector's binary image
//   group start / end  nothing
// A reference is a path, or an empty path and the identity of an object without one.
enum class TRtUndoStack::TKind : std::int32_t {
  Property = 0,
  Component = 1,
  CreatedComponent = 2,
  EditState = 3,
  VectorState = 4,
  GroupStart = 5,
  GroupEnd = 6,
};

// Paths where they can find the object again (its root is known), identities of the stack
// otherwise.
class TRtUndoReferences : public IRtReferenceCodec {
 public:
  explicit TRtUndoReferences(TRtUndoStack& Stack) : fStack(Stack) {}
  TRtReference Reference(const QObject* Object) override {
    if (!Object) return {};
    const QString path = ComponentPath(Object);
    if (!path.isEmpty() && HasFindableRoot(Object)) return {path, 0};
    return {QString(), fStack.IdentityOf(Object)};
  }
  QObject* Resolve(const TRtReference& Reference) override {
    if (!Reference.Path.isEmpty()) return FindComponentByPath(Reference.Path);
    return fStack.ObjectOfIdentity(Reference.Id);
  }

 private:
  TRtUndoStack& fStack;
};

namespace {

// Keeps Restoring set while an undo or redo runs, however it ends.
struct TRestoringScope {
  bool& Flag;
  explicit TRestoringScope(bool& f) : Flag(f) { Flag = true; }
  ~TRestoringScope() { Flag = false; }
};

[[noreturn]] void ThrowGarbled() {
  throw ERtStreamError(RtStreamReadErrorText);
}

QObject* Required(QObject* Object) {
  if (!Object) throw ERtError("The object of an undo entry no longer exists");
  return Object;
}

IRtPersistent& PersistentOf(QObject* Object) {
  auto* p = dynamic_cast<IRtPersistent*>(Required(Object));
  if (!p) ThrowGarbled();
  return *p;
}

}  // namespace

TRtUndoStack::TRtUndoStack(QObject* AOwner)
    : QObject(AOwner), FReferences(std::make_unique<TRtUndoReferences>(*this)) {}

TRtUndoStack::~TRtUndoStack() {
  DropStreams();
}

// ---- streams -----------------------------------------------------------------------------------

void TRtUndoStack::EnsureStreams() {
  if (FUndoStream) return;
  if (FToMemoryStream) {
    FUndoStream = std::make_unique<TRtMemoryUndoStore>();
    FRedoStream = std::make_unique<TRtMemoryUndoStore>();
  } else {
    // Numbered in this order; a file already made is deleted again when a later one fails.
    int n = 0;
    auto undo = std::make_unique<TRtFileUndoStore>(RtCreateUndoFile(0, n), nullptr);
    auto redo = std::make_unique<TRtFileUndoStore>(RtCreateUndoFile(n + 1, n), nullptr);
    FScratch = std::make_unique<TRtFileUndoStore>(RtCreateUndoFile(n + 1, n), nullptr);
    undo->SetScratch(FScratch.get());
    redo->SetScratch(FScratch.get());
    FUndoStream = std::move(undo);
    FRedoStream = std::move(redo);
  }
  FUndo.Stream = FUndoStream.get();
  FRedo.Stream = FRedoStream.get();
}

void TRtUndoStack::DropStreams() {
  ResetHistory(FUndo);
  ResetHistory(FRedo);
  FUndo.Stream = FRedo.Stream = nullptr;
  FUndoStream.reset();
  FRedoStream.reset();
  FScratch.reset();
}

void TRtUndoStack::SetToMemoryStream(bool Value) {
  if (Value == FToMemoryStream) return;
  DropStreams();
  FToMemoryStream = Value;
}

void TRtUndoStack::ResetHistory(THistory& H) {
  H.Positions.clear();
  H.GroupPositions.clear();
  H.GroupIdx = -1;
  H.GroupLevel = 0;
  H.LastEndPosition = 0;
  if (H.Stream) H.Stream->Truncate(0);
}

// ---- identities --------------------------------------------------------------------------------

std::uint32_t TRtUndoStack::IdentityOf(const QObject* Object) {
  const auto it = FIdentityOf.find(Object);
  if (it != FIdentityOf.end() && ObjectOfIdentity(it->second) == Object) return it->second;
  // Objects that are gone are forgotten before the table grows beyond twice its live size.
  if (FObjectOf.size() >= FPruneIdentitiesAt) {
    std::erase_if(FObjectOf, [](const auto& e) { return e.second.isNull(); });
    std::erase_if(FIdentityOf, [this](const auto& e) { return !FObjectOf.count(e.second); });
    FPruneIdentitiesAt = std::max<std::size_t>(64, 2 * FObjectOf.size());
  }
  const std::uint32_t id = FNextIdentity++;
  FIdentityOf[Object] = id;
  FObjectOf[id] = const_cast<QObject*>(Object);
  return id;
}

QObject* TRtUndoStack::ObjectOfIdentity(std::uint32_t Id) const {
  const auto it = FObjectOf.find(Id);
  return it != FObjectOf.end() ? it->second.data() : nullptr;
}

// ---- recording ---------------------------------------------------------------------------------

QByteArray TRtUndoStack::Encode(const QString& Comment, TKind Kind, const auto& Body) {
  QByteArray entry;
  QBuffer b(&entry);
  b.open(QIODevice::WriteOnly);
  TRtStreamWriter w(b);
  w.WriteString(Comment);
  w.WriteInt32(static_cast<std::int32_t>(Kind) & 127);
  Body(w);
  return entry;
}

void TRtUndoStack::Append(THistory& H, const QByteArray& Entry) {
  const int index = static_cast<int>(H.Positions.size());
  H.Stream->WriteAt(H.LastEndPosition, Entry);
  H.Positions.push_back(H.LastEndPosition);
  H.LastEndPosition += Entry.size();
  if (H.GroupLevel == 0) {
    H.GroupPositions.push_back(index);
    H.GroupIdx = static_cast<int>(H.GroupPositions.size()) - 1;
  }
}

void TRtUndoStack::AppendUndo(const QByteArray& Entry) {
  EnsureStreams();
  try {
    AppendUndoEntry(Entry);
  } catch (const ERtStreamError&) {
    // A temporary file that cannot be written: no half-written history is kept.
    Clear();
    throw;
  }
}

void TRtUndoStack::AppendUndoEntry(const QByteArray& Entry) {
  THistory& H = FUndo;
  // Groups that were undone are discarded, and the redo history with them.
  const int groups = static_cast<int>(H.GroupPositions.size());
  if (H.GroupIdx < groups - 1) {
    const int keep = H.GroupPositions[H.GroupIdx + 1];
    H.GroupPositions.resize(H.GroupIdx + 1);
    H.LastEndPosition = H.Positions[keep];
    H.Positions.resize(keep);
    H.Stream->Truncate(H.LastEndPosition);
  }
  ResetHistory(FRedo);
  Append(H, Entry);
  while (FLimit > 0 && static_cast<int>(H.GroupPositions.size()) > FLimit) CutOldestGroup();
}

void TRtUndoStack::CutOldestGroup() {
  THistory& H = FUndo;
  if (H.GroupPositions.size() < 2) return;
  const int first = H.GroupPositions[1];
  const std::int64_t offset = H.Positions[first];
  H.Stream->CutFront(offset, H.LastEndPosition);
  H.GroupPositions.erase(H.GroupPositions.begin());
  for (int& g : H.GroupPositions) g -= first;
  H.Positions.erase(H.Positions.begin(), H.Positions.begin() + first);
  for (std::int64_t& p : H.Positions) p -= offset;
  H.LastEndPosition -= offset;
  --H.GroupIdx;
}

void TRtUndoStack::PushProperty(QObject* Instance, const QString& Comment, const char* PropName) {
  if (!Recording()) return;
  if (!RtHasProperty(Instance, PropName))
    throw ERtError(RtPropertyNotFoundText(PropName ? PropName : ""));
  const QVariant value = RtPropertyValue(Instance, PropName);
  AppendUndo(Encode(Comment, TKind::Property, [&](TRtStreamWriter& w) {
    RtWriteReference(w, FReferences->Reference(Instance));
    w.WriteString(QString::fromLatin1(PropName));
    RtWriteValue(w, value, *FReferences);
  }));
}

void TRtUndoStack::PushComponent(QObject* AComponent, const QString& Comment) {
  if (!Recording() || !AComponent) return;
  AppendUndo(Encode(Comment, TKind::Component, [&](TRtStreamWriter& w) {
    RtWriteReference(w, FReferences->Reference(AComponent));
    RtWriteComponent(w, AComponent, *FReferences);
  }));
}

void TRtUndoStack::PushFreeComponent(QObject* AComponent, const QString& Comment) {
  if (!Recording()) return;
  const QString path = ComponentPath(AComponent);
  if (path.isEmpty()) throw ERtError(RtComponentHasNoNameText);
  AppendUndo(
      Encode(Comment, TKind::CreatedComponent, [&](TRtStreamWriter& w) { w.WriteString(path); }));
}

void TRtUndoStack::PushEditState(QObject* AEdit, const QString& ACaption, const QString& Comment,
                                 int ASelLength, int ASelStart) {
  if (!Recording() || !AEdit) return;
  AppendUndo(Encode(Comment, TKind::EditState, [&](TRtStreamWriter& w) {
    RtWriteReference(w, FReferences->Reference(AEdit));
    w.WriteString(ACaption);
    w.WriteInt32(ASelStart);
    w.WriteInt32(ASelLength);
  }));
}

void TRtUndoStack::PushVectorState(TRtDoubleVector* AVector, const QString& Comment) {
  if (!Recording() || !AVector) return;
  AppendUndo(Encode(Comment, TKind::VectorState, [&](TRtStreamWriter& w) {
    RtWriteReference(w, FReferences->Reference(AVector));
    AVector->WriteTo(w);
  }));
}

void TRtUndoStack::StartGroup(const QString& Comment) {
  if (!Recording()) return;
  if (FUndo.GroupLevel == 0) FCurrentUndoComment = Comment;
  AppendUndo(Encode(Comment, TKind::GroupStart, [](TRtStreamWriter&) {}));
  ++FUndo.GroupLevel;
}

void TRtUndoStack::StopGroup() {
  if (!Recording()) return;
  AppendUndo(Encode(FCurrentUndoComment, TKind::GroupEnd, [](TRtStreamWriter&) {}));
  if (--FUndo.GroupLevel < 0) {
    FUndo.GroupLevel = 0;
    throw ERtOverflowError(RtTooManyStopGroupText);
  }
}

// ---- taking back and putting forward -----------------------------------------------------------

void TRtUndoStack::RestoreEntry(std::int64_t Pos, TRtUndoStore& Stream, bool Mirror) {
  QIODevice& d = Stream.Device();
  if (!d.seek(Pos)) ThrowGarbled();
  TRtStreamReader r(d);
  const QString comment = r.ReadString();
  const auto kind = static_cast<TKind>(r.ReadInt32());
  const auto mirror = [&](TKind Kind, const auto& Body) {
    if (Mirror) Append(FRedo, Encode(comment, Kind, Body));
  };
  IRtReferenceCodec& refs = *FReferences;
  switch (kind) {
    case TKind::Property: {
      QObject* o = Required(refs.Resolve(RtReadReference(r)));
      const QByteArray name = r.ReadString().toLatin1();
      QVariant value = RtReadValue(r);
      if (!RtHasProperty(o, name.constData()))
        throw ERtError(RtPropertyNotFoundText(name.toStdString()));
      mirror(TKind::Property, [&](TRtStreamWriter& w) {
        RtWriteReference(w, refs.Reference(o));
        w.WriteString(QString::fromLatin1(name));
        RtWriteValue(w, RtPropertyValue(o, name.constData()), refs);
      });
      if (value.metaType() == QMetaType::fromType<TRtReference>())
        value = QVariant::fromValue(refs.Resolve(value.value<TRtReference>()));
      RtSetPropertyValue(o, name.constData(), value);
      break;
    }
    case TKind::Component: {
      const TRtReference ref = RtReadReference(r);
      QObject* o = refs.Resolve(ref);
      if (o) {
        mirror(TKind::Component, [&](TRtStreamWriter& w) {
          RtWriteReference(w, ref);
          RtWriteComponent(w, o, refs);
        });
        RtReadComponent(r, o, nullptr, refs);
      } else {
        // Gone since: created again in its owner; redoing frees it again.
        QObject* owner = Required(FindComponentByPath(PathOwnerPart(ref.Path)));
        mirror(TKind::CreatedComponent, [&](TRtStreamWriter& w) { w.WriteString(ref.Path); });
        RtReadComponent(r, nullptr, owner, refs);
      }
      break;
    }
    case TKind::CreatedComponent: {
      const QString path = r.ReadString();
      QObject* o = FindComponentByPath(path);
      // A root (a form) is never freed here.
      if (o && ComponentOwner(o)) {
        mirror(TKind::Component, [&](TRtStreamWriter& w) {
          RtWriteReference(w, {path, 0});
          RtWriteComponent(w, o, refs);
        });
        delete o;
      }
      break;
    }
    case TKind::EditState: {
      QObject* o = Required(refs.Resolve(RtReadReference(r)));
      TRtEditState state;
      state.Text = r.ReadString();
      state.SelStart = r.ReadInt32();
      state.SelLength = r.ReadInt32();
      TRtEditState now;
      if (Mirror && RtGetEditState(o, now)) {
        mirror(TKind::EditState, [&](TRtStreamWriter& w) {
          RtWriteReference(w, refs.Reference(o));
          w.WriteString(now.Text);
          w.WriteInt32(now.SelStart);
          w.WriteInt32(now.SelLength);
        });
      }
      RtSetEditState(o, state);
      break;
    }
    case TKind::VectorState: {
      QObject* o = refs.Resolve(RtReadReference(r));
      IRtPersistent& vector = PersistentOf(o);
      mirror(TKind::VectorState, [&](TRtStreamWriter& w) {
        RtWriteReference(w, refs.Reference(o));
        vector.WriteTo(w);
      });
      vector.ReadFrom(r);
      break;
    }
    case TKind::GroupStart:
    case TKind::GroupEnd:
      break;
    default:
      ThrowGarbled();
  }
}

QString TRtUndoStack::GroupComment(const THistory& H, int Group) const {
  QIODevice& d = H.Stream->Device();
  d.seek(H.Positions[H.GroupPositions[Group]]);
  TRtStreamReader r(d);
  return r.ReadString();
}

void TRtUndoStack::UndoGroup() {
  THistory& H = FUndo;
  const int g = H.GroupIdx;
  const int first = H.GroupPositions[g];
  const int last =
      (g + 1 < static_cast<int>(H.GroupPositions.size()) ? H.GroupPositions[g + 1]
                                                         : static_cast<int>(H.Positions.size())) -
      1;
  FCurrentUndoComment = GroupComment(H, g);
  // The redo history gets the states from just before the undo, as one group.
  Append(FRedo, Encode(FCurrentUndoComment, TKind::GroupStart, [](TRtStreamWriter&) {}));
  ++FRedo.GroupLevel;
  for (int e = last; e >= first; --e) RestoreEntry(H.Positions[e], *H.Stream, true);
  Append(FRedo, Encode(FCurrentUndoComment, TKind::GroupEnd, [](TRtStreamWriter&) {}));
  --FRedo.GroupLevel;
  --H.GroupIdx;
}

void TRtUndoStack::RedoGroup() {
  THistory& R = FRedo;
  const int first = R.GroupPositions[R.GroupIdx];
  for (int e = static_cast<int>(R.Positions.size()) - 1; e >= first; --e)
    RestoreEntry(R.Positions[e], *R.Stream, false);
  // Redone: the group is dropped from the redo history and can be undone anew.
  R.LastEndPosition = R.Positions[first];
  R.Positions.resize(first);
  R.GroupPositions.pop_back();
  --R.GroupIdx;
  R.Stream->Truncate(R.LastEndPosition);
  ++FUndo.GroupIdx;
}

void TRtUndoStack::Restore(int Groups, void (TRtUndoStack::*Step)(),
                           void (TRtUndoStack::*Signal)()) {
  FUndo.GroupLevel = 0;
  try {
    TRestoringScope scope(FRestoring);
    for (int k = 0; k < Groups; ++k) (this->*Step)();
  } catch (...) {
    Clear();
    Q_EMIT(this->*Signal)();
    throw;
  }
  Q_EMIT(this->*Signal)();
}

void TRtUndoStack::Undo(int ToIndex) {
  if (!CanUndo() || ToIndex < 0) return;
  Restore(std::min(ToIndex + 1, FUndo.GroupIdx + 1), &TRtUndoStack::UndoGroup,
          &TRtUndoStack::OnUndo);
}

void TRtUndoStack::Redo(int ToIndex) {
  if (!CanRedo() || ToIndex < 0) return;
  Restore(std::min(ToIndex + 1, FRedo.GroupIdx + 1), &TRtUndoStack::RedoGroup,
          &TRtUndoStack::OnRedo);
}

bool TRtUndoStack::CanUndo() const {
  return FEnabled && FUndo.GroupIdx >= 0;
}

bool TRtUndoStack::CanRedo() const {
  return FEnabled && FRedo.GroupIdx >= 0;
}

int TRtUndoStack::UndoCount() const {
  return FUndo.GroupIdx + 1;
}

int TRtUndoStack::RedoCount() const {
  return FRedo.GroupIdx + 1;
}

void TRtUndoStack::Clear() {
  ResetHistory(FUndo);
  ResetHistory(FRedo);
}

QStringList TRtUndoStack::GroupComments(const THistory& H) const {
  QStringList list;
  for (int g = H.GroupIdx; g >= 0; --g) list << GroupComment(H, g);
  return list;
}

QStringList TRtUndoStack::UndoList() const {
  return GroupComments(FUndo);
}

QStringList TRtUndoStack::RedoList() const {
  return GroupComments(FRedo);
}
