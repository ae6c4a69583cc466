// Numeric edit for a Double on a single-line text input, shown and typed as a number (general
// format or a number picture), as a date-time, or as a time span. Same rules as the integer
// edit: keystroke filter, limits applied at Enter and focus exit, shortened text or hash signs
// while unfocused. Texts follow the process-wide format settings (platform/FormatSettings.h).
#pragma once

#include <QString>

#include "chart/data/RtExceptions.h"
#include "chart/edits/RtNumericEdit.h"

// A text that does not convert, or a value that has no text (a negative time span).
class ERtConvertError : public ERtError {
 public:
  using ERtError::ERtError;
};

inline constexpr const char* RtNegativeTimeSpanText = "Error no negative Time Span allowed";
// Date range of the date-time mode: 1 January of year 1 to 31 December 9999, 23:59:59.
inline constexpr double RtEditMinDateTime = -693593.0;
inline constexpr double RtEditMaxDateTime = 2958465.99998843;

class TRtCustomDoubleEdit : public TRtNumericEdit {
  Q_OBJECT

 public:
  explicit TRtCustomDoubleEdit(QWidget* parent = nullptr);

  double MinValue() const { return FMinValue; }
  void SetMinValue(double v);
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double v);
  double Value() const { return FValue; }
  // Clamps v and shows it; fires OnValueChanged also when the value did not change. A value
  // without text (negative span) shows "Error" and fires nothing.
  void SetValue(double v);
  bool AsDateTime() const { return FAsDateTime; }
  void SetAsDateTime(bool b);
  bool AsTimeSpan() const { return FAsTimeSpan; }
  void SetAsTimeSpan(bool b);
  bool DoHashes() const { return FDoHashes; }
  void SetDoHashes(bool b);
  // Number picture ("0.######"); empty: the general number format.
  QString Format() const { return FFormat; }
  void SetFormat(const QString& s);

  // The width a shown text may take: the client width - 5.
  int AvailableTextWidth() const override;
  double ClampValue(double v) const;
  // Text of v in the current mode; raises ERtConvertError for a negative span.
  QString ValueToText(double v) const;
  // Value of a text in the current mode; raises ERtConvertError when it does not convert.
  double TextToValue(const QString& s) const;
  void ValidateText() override;
  // Rewrites the text from Value for the unfocused control: shortened, or 45 hash signs.
  // A conversion error is reported through ErrorRaised and leaves the text as it was.
  void UpdateDisplay() override;

  // Optional whole days and ".", then "hh:nn:ss", the decimal separator and milliseconds when
  // the value has a time part; "" for 0. Raises ERtConvertError for negative values.
  static QString TimeSpanToText(double v);
  // "[days.][[hours:]minutes:]seconds"; "" is 0. Raises ERtConvertError.
  static double TextToTimeSpan(const QString& s);
  // x with n significant digits, fewer when the text would be longer than n characters.
  static QString FloatToShortText(int n, double x);
  // The locale's float text: [blanks][sign]digits[separator digits][E[sign]digits][blanks].
  static bool TextToFloat(const QString& s, double& v);
  // The locale's date and/or time text (short date order and separator, time separator,
  // optional seconds, milliseconds and AM/PM designator).
  static bool TextToDateTime(const QString& s, double& v);

 Q_SIGNALS:
  // UpdateDisplay could not show the value.
  void ErrorRaised(const QString& Message);

 protected:
  bool KeyAccepted(char32_t c) const override;
  bool TakeTypedText(const QString& s) override;
  QVariant LinkValue() const override { return FValue; }

 private:
  bool HasLimits() const { return FMaxValue > FMinValue; }
  bool TryTextToValue(const QString& s, double& v) const;
  void ClampLimitsToDateRange();

  double FMinValue = 0;
  double FMaxValue = 0;
  double FValue = 0;
  bool FAsDateTime = false;
  bool FAsTimeSpan = false;
  bool FDoHashes = true;
  QString FFormat;
};

// The published double edit. Set properties in this order so that the limits are in force when
// the value arrives: AsDateTime, AsTimeSpan, DoHashes, Format, MinValue, MaxValue, Value.
class TRtDoubleEdit : public TRtCustomDoubleEdit {
  Q_OBJECT
  Q_PROPERTY(bool AsDateTime READ AsDateTime WRITE SetAsDateTime)
  Q_PROPERTY(bool AsTimeSpan READ AsTimeSpan WRITE SetAsTimeSpan)
  Q_PROPERTY(bool DoHashes READ DoHashes WRITE SetDoHashes)
  Q_PROPERTY(QString Format READ Format WRITE SetFormat)
  Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
  Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
  Q_PROPERTY(double Value READ Value WRITE SetValue)
  Q_PROPERTY(TRtPropertyLinks* PropertyLinks READ PropertyLinks)

 public:
  explicit TRtDoubleEdit(QWidget* parent = nullptr) : TRtCustomDoubleEdit(parent) {}
};
