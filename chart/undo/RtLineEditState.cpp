#include "chart/undo/RtLineEditState.h"

#include <QLineEdit>

#include "chart/undo/RtEditState.h"

namespace {

bool GetLineEdit(const QObject* Edit, TRtEditState& State) {
  const auto* e = qobject_cast<const QLineEdit*>(Edit);
  if (!e) return false;
  State.Text = e->text();
  State.SelStart = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
  State.SelLength = e->hasSelectedText() ? e->selectionLength() : 0;
  return true;
}

bool SetLineEdit(QObject* Edit, const TRtEditState& State) {
  auto* e = qobject_cast<QLineEdit*>(Edit);
  if (!e) return false;
  e->setText(State.Text);
  if (State.SelLength > 0)
    e->setSelection(State.SelStart, State.SelLength);
  else
    e->setCursorPosition(State.SelStart);
  return true;
}

}  // namespace

void RtRegisterLineEditState() {
  static const bool registered = [] {
    RtRegisterEditStateAccess(&QLineEdit::staticMetaObject, GetLineEdit, SetLineEdit);
    return true;
  }();
  (void)registered;
}
