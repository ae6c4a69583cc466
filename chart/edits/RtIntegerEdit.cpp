#include "chart/edits/RtIntegerEdit.h"

using namespace rt_edit_detail;

void TRtIntegerEdit::SetMinValue(int v) {
  if (v == FMinValue) return;
  FMinValue = v;
  SetValue(FValue);
}

void TRtIntegerEdit::SetMaxValue(int v) {
  if (v == FMaxValue) return;
  FMaxValue = v;
  SetValue(FValue);
}

int TRtIntegerEdit::ClampValue(int v) const {
  if (!HasLimits()) return v;
  if (v < FMinValue) return FMinValue;
  if (v > FMaxValue) return FMaxValue;
  return v;
}

void TRtIntegerEdit::SetValue(int v) {
  FValue = ClampValue(v);
  FSetting = true;
  setText(QString::number(FValue));
  FLastValid = text();
  UpdateDisplay();
  if (fFocused) FNeedSelectAll = true;
  FSetting = false;
  NotifyValueChanged();
}

int TRtIntegerEdit::AvailableTextWidth() const {
  return ClientWidth();
}

void TRtIntegerEdit::UpdateDisplay() {
  if (parentWidget() == nullptr) return;
  FSetting = true;
  QString t = QString::number(FValue);
  if (!fFocused && TextWidth(this, t) > AvailableTextWidth()) t = Hashes();
  setText(t);
  FSetting = false;
}

bool TRtIntegerEdit::TakeTypedText(const QString& s) {
  int v = 0;
  if (!TextToInteger(s, v)) return false;
  if (HasLimits() && (v < FMinValue || v > FMaxValue)) return false;
  FValue = v;
  return true;
}

void TRtIntegerEdit::ValidateText() {
  int typed = 0;
  if (!TextToInteger(text(), typed)) return;
  const int v = ClampValue(typed);
  if (v == FValue) return;
  FValue = v;
  FLastValid = QString::number(v);
  setText(FLastValid);  // not guarded: the change handler stores the value once more
  DoBeep();
  Q_EMIT OnValueChanged(this);
}

bool TRtIntegerEdit::KeyAccepted(char32_t c) const {
  return (c >= U'0' && c <= U'9') || c == U'-';
}
