// Text and selection of a single-line edit control, as the undo stack takes and restores them.
//
// By default through the object's properties: "text", the selection from "selectionStart" and
// "selectionLength" (or "SelStart" and "SelLength"), else the caret "cursorPosition" as an empty
// selection; restored through an invokable setSelection(int, int) when the class has one, else
// through those properties. A widget layer registers its own access for classes whose selection
// is not published (RtLineEditState.h does it for QLineEdit).
#pragma once

#include <QObject>
#include <QString>

struct TRtEditState {
  QString Text;
  int SelStart = 0;
  int SelLength = 0;
};

using TRtEditStateGetter = bool (*)(const QObject* Edit, TRtEditState& State);
using TRtEditStateSetter = bool (*)(QObject* Edit, const TRtEditState& State);

// Used for Class and every class derived from it; a later registration takes precedence.
void RtRegisterEditStateAccess(const QMetaObject* Class, TRtEditStateGetter Get,
                               TRtEditStateSetter Set);

// False when the object has no text.
bool RtGetEditState(const QObject* Edit, TRtEditState& State);
bool RtSetEditState(QObject* Edit, const TRtEditState& State);
