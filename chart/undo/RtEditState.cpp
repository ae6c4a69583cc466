#include "chart/undo/RtEditState.h"

#include <QMetaProperty>
#include <QVariant>

#include <vector>

namespace {

struct TAccess {
  const QMetaObject* Class;
  TRtEditStateGetter Get;
  TRtEditStateSetter Set;
};

std::vector<TAccess>& Accesses() {
  static std::vector<TAccess> list;
  return list;
}

const TAccess* AccessFor(const QObject* Edit) {
  const std::vector<TAccess>& list = Accesses();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (Edit->metaObject()->inherits(it->Class)) return &*it;
  return nullptr;
}

// The first of the names that is a property of Edit, or an invalid property.
QMetaProperty Property(const QObject* Edit, std::initializer_list<const char*> Names) {
  const QMetaObject* m = Edit->metaObject();
  for (const char* n : Names) {
    const int i = m->indexOfProperty(n);
    if (i >= 0) return m->property(i);
  }
  return {};
}

QMetaProperty TextProperty(const QObject* Edit) {
  return Property(Edit, {"text", "Text"});
}
QMetaProperty StartProperty(const QObject* Edit) {
  return Property(Edit, {"selectionStart", "SelStart"});
}
QMetaProperty LengthProperty(const QObject* Edit) {
  return Property(Edit, {"selectionLength", "SelLength"});
}
QMetaProperty CaretProperty(const QObject* Edit) {
  return Property(Edit, {"cursorPosition"});
}

bool GetByProperties(const QObject* Edit, TRtEditState& State) {
  const QMetaProperty text = TextProperty(Edit);
  if (!text.isValid()) return false;
  State.Text = text.read(Edit).toString();
  const QMetaProperty start = StartProperty(Edit);
  const QMetaProperty length = LengthProperty(Edit);
  const QMetaProperty caret = CaretProperty(Edit);
  State.SelStart =
      start.isValid() ? start.read(Edit).toInt() : (caret.isValid() ? caret.read(Edit).toInt() : 0);
  State.SelLength = start.isValid() && length.isValid() ? length.read(Edit).toInt() : 0;
  return true;
}

bool SetByProperties(QObject* Edit, const TRtEditState& State) {
  const QMetaProperty text = TextProperty(Edit);
  if (!text.isValid() || !text.write(Edit, State.Text)) return false;
  const QMetaObject* m = Edit->metaObject();
  if (m->indexOfMethod("setSelection(int,int)") >= 0) {
    return QMetaObject::invokeMethod(Edit, "setSelection", Qt::DirectConnection,
                                     Q_ARG(int, State.SelStart), Q_ARG(int, State.SelLength));
  }
  const QMetaProperty start = StartProperty(Edit);
  const QMetaProperty length = LengthProperty(Edit);
  if (start.isWritable() && length.isWritable())
    return start.write(Edit, State.SelStart) && length.write(Edit, State.SelLength);
  const QMetaProperty caret = CaretProperty(Edit);
  if (caret.isWritable()) return caret.write(Edit, State.SelStart);
  return true;
}

}  // namespace

void RtRegisterEditStateAccess(const QMetaObject* Class, TRtEditStateGetter Get,
                               TRtEditStateSetter Set) {
  if (Class && Get && Set) Accesses().push_back({Class, Get, Set});
}

bool RtGetEditState(const QObject* Edit, TRtEditState& State) {
  if (!Edit) return false;
  const TAccess* a = AccessFor(Edit);
  return a ? a->Get(Edit, State) : GetByProperties(Edit, State);
}

bool RtSetEditState(QObject* Edit, const TRtEditState& State) {
  if (!Edit) return false;
  const TAccess* a = AccessFor(Edit);
  return a ? a->Set(Edit, State) : SetByProperties(Edit, State);
}
