// Numeric edit for an Integer on a single-line text input: keystroke filter, limits applied at
// Enter and focus exit, and a row of hash signs when the number does not fit while unfocused.
#pragma once

#include "chart/edits/RtNumericEdit.h"

class TRtIntegerEdit : public TRtNumericEdit {
  Q_OBJECT
  Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
  Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
  Q_PROPERTY(int Value READ Value WRITE SetValue)
  Q_PROPERTY(TRtPropertyLinks* PropertyLinks READ PropertyLinks)

 public:
  explicit TRtIntegerEdit(QWidget* parent = nullptr) : TRtNumericEdit(parent) {}

  int MinValue() const { return FMinValue; }
  void SetMinValue(int v);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int v);
  int Value() const { return FValue; }
  // Clamps v, shows it, and always fires OnValueChanged.
  void SetValue(int v);

  // The width a shown text may take: the client width.
  int AvailableTextWidth() const override;
  int ClampValue(int v) const;
  void ValidateText() override;
  // Rewrites the text from Value; 45 hash signs when unfocused and too wide.
  void UpdateDisplay() override;

 protected:
  bool KeyAccepted(char32_t c) const override;
  bool TakeTypedText(const QString& s) override;
  QVariant LinkValue() const override { return FValue; }
  bool UpdateOnResizeWhenFocused() const override { return true; }

 private:
  bool HasLimits() const { return FMinValue < FMaxValue; }

  int FMinValue = 0;
  int FMaxValue = 0;
  int FValue = 0;
};
