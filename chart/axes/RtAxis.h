// One axis of a graph: its value range (automatic, fixed, first-set or a moving window), end
// rounding, tick partition, value/pixel mapping, tick and label lists, caption, zoom history,
// and its painting. An axis is a rectangular element of its graph (Left, Top, Width, Height in
// graph pixels); the axis line runs inside it from (AxLeft, AxTop) over AxLength pixels.
#pragma once

#include <QObject>
#include <QPainter>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

#include "chart/axes/RtAxisMath.h"
#include "chart/core/RtGraphBase.h"
#include "chart/data/RtVectors.h"
#include "chart/draw/RtRichText.h"
#include "chart/draw/RtStyles.h"
#include "chart/io/RtPersistent.h"
#include "chart/undo/RtUndoStack.h"

struct TRtScaleLabelEventArgs {
  double Value = 0;
  QString Caption;
};

// The value/pixel mapping of an axis at one moment, cheap to copy and to evaluate.
struct TRtAxisMapping {
  enum Kind { Linear, DateTime, Log };
  Kind kind = Linear;
  double Start = 0, NormalizeConst = 1, LogStart = 0;
  float Base = 0, Length = 400;
  bool Forward = true;

  float Map(double x) const {
    double rel;
    if (kind == Linear)
      rel = (x - Start) / NormalizeConst;
    else if (kind == DateTime)
      rel = RtDaySpan(x, Start) / NormalizeConst;
    else
      rel = x > 0 ? (std::log10(x) - LogStart) / NormalizeConst : -100;
    if (!(rel > -100000 && rel < 100000)) rel = rel >= 100000 ? 100000 : -100000;
    return Forward ? float(Base + rel) : float(Base + Length - rel);
  }
  // Out[k] = Map(X[k]) for k < N, bit for bit, two values at a time where the scaling allows.
  void MapMany(const double* X, int N, float* Out) const;
};

class TRtAxis : public QObject, public IRtPersistent {
  Q_OBJECT

 public:
  enum class TRtAxisPosition { Bottom, Left, Top, Right };
  Q_ENUM(TRtAxisPosition)
  enum class TRtAxisScaling { Normal, Log, LogEE, Seconds, DateTime, Rubrics };
  Q_ENUM(TRtAxisScaling)
  enum class TRtAxisEnd { AutoRange, FirstSet, Fixed, MovingSlit };
  Q_ENUM(TRtAxisEnd)
  enum class TRtAxisEndRounding {
    RndToMajorZoomToMinor,
    RndToMajorZoomToNothing,
    RndToMajor,
    RndToMinorZoomToNothing,
    RndToMinor,
    RndNothing
  };
  Q_ENUM(TRtAxisEndRounding)
  enum class TRtMajorGridMode { AtLabel, AtMajorTick };
  Q_ENUM(TRtMajorGridMode)

 private:
  // Element
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(int Left READ Left WRITE SetLeft)
  Q_PROPERTY(int Top READ Top WRITE SetTop)
  Q_PROPERTY(int Width READ Width WRITE SetWidth)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(TRtAxisPosition Position READ Position WRITE SetPosition)
  Q_PROPERTY(bool Twisted READ Twisted WRITE SetTwisted)
  // Range
  Q_PROPERTY(double Start READ Start WRITE SetStart)
  Q_PROPERTY(double Stop READ Stop WRITE SetStop)
  Q_PROPERTY(TRtAxisEnd StartEnd READ StartEnd WRITE SetStartEnd)
  Q_PROPERTY(TRtAxisEnd StopEnd READ StopEnd WRITE SetStopEnd)
  Q_PROPERTY(TRtAxisEndRounding EndRounding READ EndRounding WRITE SetEndRounding)
  Q_PROPERTY(double MovingSlitWidth READ MovingSlitWidth WRITE SetMovingSlitWidth)
  Q_PROPERTY(double MovingSlitIncrement READ MovingSlitIncrement WRITE SetMovingSlitIncrement)
  Q_PROPERTY(double ValuesStart READ ValuesStart)
  Q_PROPERTY(double ValuesStop READ ValuesStop)
  // Scaling and ticks
  Q_PROPERTY(TRtAxisScaling Scaling READ Scaling WRITE SetScaling)
  Q_PROPERTY(
      double LogToNormalScalingLevel READ LogToNormalScalingLevel WRITE SetLogToNormalScalingLevel)
  Q_PROPERTY(bool AutoTickParts READ AutoTickParts WRITE SetAutoTickParts)
  Q_PROPERTY(double TickPart READ TickPart WRITE SetTickPart)
  Q_PROPERTY(double MajorTickPart READ MajorTickPart WRITE SetMajorTickPart)
  Q_PROPERTY(double LabelPart READ LabelPart WRITE SetLabelPart)
  Q_PROPERTY(float LabelDistanceFactor READ LabelDistanceFactor WRITE SetLabelDistanceFactor)
  Q_PROPERTY(TRtMajorGridMode MajorGridMode READ MajorGridMode WRITE SetMajorGridMode)
  Q_PROPERTY(bool TicksPointToData READ TicksPointToData WRITE SetTicksPointToData)
  Q_PROPERTY(float TickLength READ TickLength WRITE SetTickLength)
  Q_PROPERTY(float MajorTickLength READ MajorTickLength WRITE SetMajorTickLength)
  Q_PROPERTY(float AxisThicknes READ AxisThicknes WRITE SetAxisThicknes)
  Q_PROPERTY(float TickThicknes READ TickThicknes WRITE SetTickThicknes)
  Q_PROPERTY(float MajorTickThicknes READ MajorTickThicknes WRITE SetMajorTickThicknes)
  Q_PROPERTY(quint32 ForeColor READ ForeColor WRITE SetForeColor)
  Q_PROPERTY(quint32 TickColor READ TickColor WRITE SetTickColor)
  Q_PROPERTY(quint32 MajorTickColor READ MajorTickColor WRITE SetMajorTickColor)
  Q_PROPERTY(TRtAxisArrowPoint* ArrowPoint READ ArrowPoint WRITE SetArrowPoint)
  // Labels
  Q_PROPERTY(bool NumbersVisible READ NumbersVisible WRITE SetNumbersVisible)
  Q_PROPERTY(quint32 NumbersColor READ NumbersColor WRITE SetNumbersColor)
  Q_PROPERTY(TRtFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(int ExtraDigits READ ExtraDigits WRITE SetExtraDigits)
  Q_PROPERTY(double MaxForExtraExponent READ MaxForExtraExponent WRITE SetMaxForExtraExponent)
  Q_PROPERTY(double MinForExtraExponent READ MinForExtraExponent WRITE SetMinForExtraExponent)
  Q_PROPERTY(float DistanceAxisExtraExponent READ DistanceAxisExtraExponent WRITE
                 SetDistanceAxisExtraExponent)
  Q_PROPERTY(float DistanceValuesAxis READ DistanceValuesAxis WRITE SetDistanceValuesAxis)
  Q_PROPERTY(float DistanceAxisLabels READ DistanceAxisLabels WRITE SetDistanceAxisLabels)
  Q_PROPERTY(float RubricsAngle READ RubricsAngle WRITE SetRubricsAngle)
  Q_PROPERTY(QStringList Rubrics READ Rubrics WRITE SetRubrics)
  // Caption
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(TRtFont* CaptionFont READ CaptionFont WRITE SetCaptionFont)
  Q_PROPERTY(quint32 CaptionColor READ CaptionColor WRITE SetCaptionColor)
  Q_PROPERTY(bool CaptionVisible READ CaptionVisible WRITE SetCaptionVisible)
  Q_PROPERTY(RtDraw::TAlignment CaptionAlignment READ CaptionAlignment WRITE SetCaptionAlignment)
  Q_PROPERTY(bool CaptionHorizontalOnVerticalAxis READ CaptionHorizontalOnVerticalAxis WRITE
                 SetCaptionHorizontalOnVerticalAxis)
  Q_PROPERTY(
      float DistanceNumbersCaption READ DistanceNumbersCaption WRITE SetDistanceNumbersCaption)
  Q_PROPERTY(float DistanceToBorder READ DistanceToBorder WRITE SetDistanceToBorder)
  // Date-time label formats
  Q_PROPERTY(QString ShortMonthFormat READ ShortMonthFormat WRITE SetShortMonthFormat)
  Q_PROPERTY(QString LongMonthFormat READ LongMonthFormat WRITE SetLongMonthFormat)
  Q_PROPERTY(QString DayFormat READ DayFormat WRITE SetDayFormat)
  Q_PROPERTY(QString DayAndHourFormat READ DayAndHourFormat WRITE SetDayAndHourFormat)
  Q_PROPERTY(QString MinuteFormat READ MinuteFormat WRITE SetMinuteFormat)
  Q_PROPERTY(QString SecondFormat READ SecondFormat WRITE SetSecondFormat)
  Q_PROPERTY(QString MilliSecondFormat READ MilliSecondFormat WRITE SetMilliSecondFormat)
  // Slave axis (a linear transform of a master axis)
  Q_PROPERTY(bool IsSlaveAxis READ IsSlaveAxis WRITE SetIsSlaveAxis)
  Q_PROPERTY(TRtAxis* MasterAxis READ MasterAxis WRITE SetMasterAxis)
  Q_PROPERTY(double SlaveSlope READ SlaveSlope WRITE SetSlaveSlope)
  Q_PROPERTY(double SlaveOffset READ SlaveOffset WRITE SetSlaveOffset)

 public:
  explicit TRtAxis(QObject* AOwner = nullptr);
  ~TRtAxis() override;

  // ---- graph and bound series
  TRtGraphBase* Graph() const { return fGraph; }
  // Makes the axis an element of Graph (and takes its undo stack when it has none).
  void SetGraph(TRtGraphBase* Graph);
  TRtUndoStack* UndoStack() const { return FUndoStack.data(); }
  void SetUndoStack(TRtUndoStack* Stack);
  const std::vector<IRtAxisSeries*>& RelatedSeries() const { return FRelatedSeries; }
  // Kept by the series; a series is listed once.
  void AddSeries(IRtAxisSeries* s);
  void RemoveSeries(IRtAxisSeries* s);
  bool IsHorizontal() const {
    return FPosition == TRtAxisPosition::Bottom || FPosition == TRtAxisPosition::Top;
  }

  // ---- element
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  // Places the element (the layout calls this); a size change re-rounds automatic ranges.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  TRtAxisPosition Position() const { return FPosition; }
  void SetPosition(TRtAxisPosition v);
  bool Twisted() const { return FTwisted; }
  void SetTwisted(bool v);
  // The axis line inside the element.
  float AxLeft() const { return FAxLeft; }
  float AxTop() const { return FAxTop; }
  float AxLength() const { return FAxLength; }
  void SetAxisLine(float AxLeft, float AxTop, float AxLength);

  // ---- range
  double Start() const { return FStart; }
  void SetStart(double v);
  double Stop() const { return FStop; }
  void SetStop(double v);
  double InitialStart() const { return FInitialStart; }
  double InitialStop() const { return FInitialStop; }
  double LastStart() const { return FLastStart; }
  double LastStop() const { return FLastStop; }
  double ValuesStart() const { return FValuesStart; }
  double ValuesStop() const { return FValuesStop; }
  TRtAxisEnd StartEnd() const { return FStartEnd; }
  void SetStartEnd(TRtAxisEnd v);
  TRtAxisEnd StopEnd() const { return FStopEnd; }
  void SetStopEnd(TRtAxisEnd v);
  TRtAxisEndRounding EndRounding() const { return FEndRounding; }
  void SetEndRounding(TRtAxisEndRounding v);
  double MovingSlitWidth() const { return FMovingSlitWidth; }
  void SetMovingSlitWidth(double v);
  double MovingSlitIncrement() const { return FMovingSlitIncrement; }
  void SetMovingSlitIncrement(double v);
  bool RedoRange() const { return FRedoRange; }
  // The layout and ticks must be recomputed before the next paint.
  bool NeedsRecalculate() const { return FRecalculate; }
  // The graph's layout has placed the axis and computed its ticks.
  void ClearRecalculate() { FRecalculate = false; }
  bool ValuesRounded() const { return FValuesRounded; }

  // ---- scaling and ticks
  TRtAxisScaling Scaling() const { return FScaling; }
  void SetScaling(TRtAxisScaling v);
  bool HasLogScaling() const { return FHasLogScaling; }
  double LogToNormalScalingLevel() const { return FLogToNormalScalingLevel; }
  void SetLogToNormalScalingLevel(double v);
  bool AutoTickParts() const { return FAutoTickParts; }
  void SetAutoTickParts(bool v);
  double TickPart() const { return FTickPart; }
  void SetTickPart(double v);
  double MajorTickPart() const { return FMajorTickPart; }
  void SetMajorTickPart(double v);
  double LabelPart() const { return FLabelPart; }
  void SetLabelPart(double v);
  int RangeExponent() const { return FRangeExponent; }
  double NormalizeConst() const { return FNormalizeConst; }
  float LabelDistanceFactor() const { return FLabelDistanceFactor; }
  void SetLabelDistanceFactor(float v);
  TRtMajorGridMode MajorGridMode() const { return FMajorGridMode; }
  void SetMajorGridMode(TRtMajorGridMode v);
  bool TicksPointToData() const { return FTicksPointToData; }
  void SetTicksPointToData(bool v);
  float TickLength() const { return FTickLength; }
  void SetTickLength(float v);
  float MajorTickLength() const { return FMajorTickLength; }
  void SetMajorTickLength(float v);
  float AxisThicknes() const { return FAxisThick; }
  void SetAxisThicknes(float v);
  float TickThicknes() const { return FTickThick; }
  void SetTickThicknes(float v);
  float MajorTickThicknes() const { return FMajorThick; }
  void SetMajorTickThicknes(float v);
  TRtColor ForeColor() const { return FForeColor; }
  // Tick colours that were equal to the foreground colour follow it.
  void SetForeColor(TRtColor v);
  TRtColor TickColor() const { return FTickColor; }
  void SetTickColor(TRtColor v);
  TRtColor MajorTickColor() const { return FMajorTickColor; }
  void SetMajorTickColor(TRtColor v);
  TRtAxisArrowPoint* ArrowPoint() const { return FArrowPoint; }
  void SetArrowPoint(TRtAxisArrowPoint* v) {
    if (v) FArrowPoint->Assign(*v);
  }
  const TRtDtParameters& DtParameters() const { return FDtParameters; }
  // The label digits currently in force.
  const TRtNumberFormat& NumberFormat() const { return FNumberFormat; }

  // ---- labels
  bool NumbersVisible() const { return FNumbersVisible; }
  void SetNumbersVisible(bool v);
  TRtColor NumbersColor() const { return FFont->FillColor(); }
  // Recolours the label font and every existing label; repaint only.
  void SetNumbersColor(TRtColor v);
  TRtFont* Font() const { return FFont; }
  void SetFont(TRtFont* v) {
    if (v) FFont->AssignAll(*v);
  }
  // Label font size in points used by the width estimates (refreshed by each layout).
  float FontSize() const { return FFontSize; }
  void RefreshFontSize() { FFontSize = FFont->GetSize(); }
  int ExtraDigits() const { return FExtraDigits; }
  void SetExtraDigits(int v);
  double MaxForExtraExponent() const { return FMaxForExtraExponent; }
  void SetMaxForExtraExponent(double v);
  double MinForExtraExponent() const { return FMinForExtraExponent; }
  void SetMinForExtraExponent(double v);
  float DistanceAxisExtraExponent() const { return FDistanceAxisExtraExponent; }
  void SetDistanceAxisExtraExponent(float v);
  float DistanceValuesAxis() const { return FDistanceValuesAxis; }
  void SetDistanceValuesAxis(float v);
  float DistanceAxisLabels() const { return FDistanceAxisLabels; }
  void SetDistanceAxisLabels(float v);
  float RubricsAngle() const { return FRubricsAngle; }
  void SetRubricsAngle(float v);
  QStringList Rubrics() const { return FRubrics; }
  void SetRubrics(const QStringList& v);
  std::function<void(TRtAxis*, TRtScaleLabelEventArgs&)> OnGetScaleLabel;

  // ---- caption
  QString Caption() const { return FCaptionRec.Caption; }
  // Trailing blanks are removed; re-measured.
  void SetCaption(const QString& v);
  TRtFont* CaptionFont() const { return FCaptionFont; }
  void SetCaptionFont(TRtFont* v) {
    if (v) FCaptionFont->AssignAll(*v);
  }
  TRtColor CaptionColor() const { return FCaptionFont->FillColor(); }
  void SetCaptionColor(TRtColor v) { FCaptionFont->SetFillColor(v); }
  bool CaptionVisible() const { return FCaptionVisible; }
  void SetCaptionVisible(bool v);
  TAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TAlignment v);
  bool CaptionHorizontalOnVerticalAxis() const { return FHorizontalCaptionOnVerticalAxis; }
  void SetCaptionHorizontalOnVerticalAxis(bool v);
  float CaptionDistanceBefore() const { return FCaptionDistanceBefore; }
  float CaptionDistanceAfter() const { return FCaptionDistanceAfter; }
  // Gap between labels and caption (stored before the caption for Bottom and Right axes).
  float DistanceNumbersCaption() const;
  void SetDistanceNumbersCaption(float v);
  // Gap between caption and the outer edge of the element.
  float DistanceToBorder() const;
  void SetDistanceToBorder(float v);
  // Space the caption takes across the axis (0 when hidden or empty).
  float CaptionSpace() const;

  // ---- date-time formats
  QString ShortMonthFormat() const { return QString::fromStdString(FFormats.ShortMonth); }
  void SetShortMonthFormat(const QString& v) { SetFormat(FFormats.ShortMonth, v); }
  QString LongMonthFormat() const { return QString::fromStdString(FFormats.LongMonth); }
  void SetLongMonthFormat(const QString& v) { SetFormat(FFormats.LongMonth, v); }
  QString DayFormat() const { return QString::fromStdString(FFormats.Day); }
  void SetDayFormat(const QString& v) { SetFormat(FFormats.Day, v); }
  QString DayAndHourFormat() const { return QString::fromStdString(FFormats.DayAndHour); }
  void SetDayAndHourFormat(const QString& v) { SetFormat(FFormats.DayAndHour, v); }
  QString MinuteFormat() const { return QString::fromStdString(FFormats.Minute); }
  void SetMinuteFormat(const QString& v) { SetFormat(FFormats.Minute, v); }
  QString SecondFormat() const { return QString::fromStdString(FFormats.Second); }
  void SetSecondFormat(const QString& v) { SetFormat(FFormats.Second, v); }
  QString MilliSecondFormat() const { return QString::fromStdString(FFormats.MilliSecond); }
  void SetMilliSecondFormat(const QString& v) { SetFormat(FFormats.MilliSecond, v); }
  const TRtDtFormats& DtFormats() const { return FFormats; }

  // ---- slave axis
  bool IsSlaveAxis() const { return FIsSlaveAxis; }
  void SetIsSlaveAxis(bool v);
  TRtAxis* MasterAxis() const { return FMasterAxis.data(); }
  void SetMasterAxis(TRtAxis* v);
  double SlaveSlope() const { return FSlaveSlope; }
  void SetSlaveSlope(double v);
  double SlaveOffset() const { return FSlaveOffset; }
  void SetSlaveOffset(double v);

  // ---- operations
  // Layout stale; repaint.
  void Modified();
  // Re-range from the series data at the next GetNewRanges.
  void RangeModified();
  // Carries out a pending re-range.
  void GetNewRanges();
  // Normalises and rounds a candidate range, choosing the tick partition on the way.
  void RoundEnds(double& AStart, double& AStop);
  double RoundEnd(bool Up, bool Major, double Value);
  // Rebuilds the mapping, the tick lists, the labels and the caption position.
  void CalculateTicks();
  float NumberToWorld(double Value) const { return fMapping.Map(Value); }
  double WorldToNumber(float Pixel) const;
  const TRtAxisMapping& Mapping() const { return fMapping; }
  double MajorIncrement() const;
  double MinorIncrement() const;
  void SetStartStop(double AStart, double AStop);
  // Lays out: on a graph the graph's layout; alone, rounds the current range and computes the
  // ticks with the axis line along the whole element.
  void Calculate();
  void CheckResize();
  // Label texts and estimates (also used by the tick partition).
  std::string FormatNumberLabel(double x) const { return RtFormatNumberLabel(FNumberFormat, x); }
  float EstimateLabelExtent(const QString& Text, double Value) const;

  // ---- zoom history
  void ZoomIn(double NewStart, double NewStop);
  void ZoomBack();
  void RedoZoom();
  void ZoomToStage(int Stage);
  void ZoomClearBuffer();
  bool CanZoomBack() const { return FLastZoomStart->Count() > 0; }
  int ZoomStage() const { return FZoomIdx; }
  int ZoomBufferSize() const { return FLastZoomStart->Count(); }
  double ScrollStart() const;
  double ScrollStop() const;
  bool IsClipped() const;

  // ---- results of CalculateTicks
  const TRtSingleVector& Ticks() const { return FTicks; }
  const TRtBooleanVector& MajorTick() const { return FMajorTick; }
  const TRtBooleanVector& MajorGridTick() const { return FMajorGridTick; }
  const TRtRichCaptionRecVector& AxLabels() const { return FAxLabels; }
  float MaxNumberLabelHeight() const { return FMaxNumberLabelHeight; }
  float MaxNumberLabelWidth() const { return FMaxNumberLabelWidth; }
  bool AdditionalExponent() const { return FNumberFormat.AdditionalExponent; }
  const TRtRichCaptionRec& ExtraExponentRec() const { return FExtraExponentRec; }
  bool ExtraExponentShown() const { return fExtraExponentShown; }
  const TRtRichCaptionRec& CaptionRec() const { return FCaptionRec; }
  // Where labels sit across the axis (y for horizontal axes, x for vertical ones).
  float LabelBaseLine() const;

  // Paints ticks, line, labels, caption and exponent caption in element coordinates.
  void PaintGr(QPainter& P);

  // Rounds the current range once per layout (RoundEnds unless ValuesRounded()).
  void RoundCurrentRange();
  // A slave axis takes its master's scaling and its range through Slope and Offset.
  void FollowMaster();

  // ---- persistence (RtAxisIO.cpp)
  // The settings in the order Properties, Caption (with its font), Scaling (with the label
  // font), TickParts, Ends, Rubrics, DateTimeFormat, SlaveAxis, Arrow, Distance, Zoom. Reading
  // applies each value through its setter (one undo group) and resolves the master axis path.
  void WriteTo(TRtStreamWriter& Writer) const override;
  void ReadFrom(TRtStreamReader& Reader) override;
  // A child element "TRtAxis" of Parent; ReadFrom gets that element.
  void WriteTo(QDomNode Parent) const override;
  void ReadFrom(const QDomElement& Element) override;
  void WriteTo(TIniFile& Ini, const QString& Section) const override;
  void ReadFrom(const TIniFile& Ini, const QString& Section) override;
  void WriteTo(const QString& FileName) const;
  void ReadFrom(const QString& FileName);
  // The candidate tables of the automatic partition (Table 0 label, 1 major, 2 minor parts;
  // Index 0 to 2); out of range reads 0 and sets nothing.
  double PartCandidate(int Table, int Index) const;
  void SetPartCandidate(int Table, int Index, double Value);

  // True while some axis calculation runs (resizes are not followed meanwhile).
  static bool CalculationRunning();
  static void SetCalculationRunning(bool Running);

 Q_SIGNALS:
  void OnGetTicks();
  void OnCalculated();

 private:
  void Record(const char* Comment, const char* PropName);
  void StartGroup(const char* Comment);
  void StopGroup();
  bool Recording() const { return FUndoStack && FUndoStack->Recording(); }
  template <typename T>
  bool ChangeLayout(T& Field, const T& Value, const char* Comment, const char* PropName) {
    if (Field == Value) return false;
    Record(Comment, PropName);
    Field = Value;
    Modified();
    return true;
  }
  template <typename T>
  bool ChangePaint(T& Field, const T& Value, const char* Comment, const char* PropName) {
    if (Field == Value) return false;
    Record(Comment, PropName);
    Field = Value;
    Repaint();
    return true;
  }
  void Repaint();
  void SetFormat(std::string& Field, const QString& v);
  void GraphGone();
  double ClampDateTime(double v) const;
  void CalculateTickParts(double AStart, double AStop);
  void CalculateDisplayDigits(double AStart, double AStop);
  void UpdateMapping();
  void GenerateNormalTicks(bool Rounded);
  void GenerateDateTimeTicks();
  void GenerateLogTicks();
  void GenerateRubricsTicks();
  void AddTick(float Pixel, bool Major, bool Grid);
  void AddLabel(const QString& Text, float Pixel, double Value);
  void PlaceExtraExponent();
  void PlaceCaption();
  void ApplyZoomStage();
  QString ScaleLabel(const QString& Text, double Value) const;
  double SmallestPositiveOfSeries() const;

  TRtGraphBase* fGraph = nullptr;
  QMetaObject::Connection fGraphConnection;
  QPointer<TRtUndoStack> FUndoStack;
  std::vector<IRtAxisSeries*> FRelatedSeries;
  TRtAxisMapping fMapping;

  bool FVisible = true;
  int FLeft = 0, FTop = 0, FWidth = 400, FHeight = 20;
  bool FAutoSize = true;
  TRtAxisPosition FPosition = TRtAxisPosition::Bottom;
  bool FTwisted = false;
  float FAxLeft = 0, FAxTop = 0, FAxLength = 400;

  double FStart = 0, FStop = 10;
  double FInitialStart = 0, FInitialStop = 10;
  double FLastStart = 0, FLastStop = 10;
  double FValuesStart = RtMaxDouble, FValuesStop = -RtMaxDouble;
  TRtAxisEnd FStartEnd = TRtAxisEnd::AutoRange, FStopEnd = TRtAxisEnd::AutoRange;
  TRtAxisEndRounding FEndRounding = TRtAxisEndRounding::RndToMajorZoomToMinor;
  double FMovingSlitWidth = 0, FMovingSlitIncrement = 0;
  bool FRedoRange = false;
  bool FRecalculate = true;
  bool FValuesRounded = false;
  // All values lay within the ends at the last ranging.
  bool fValuesWereInside = false;
  bool fDestroying = false;

  TRtAxisScaling FScaling = TRtAxisScaling::Normal;
  bool FHasLogScaling = false;
  double FLogStart = 0, FLogStop = 1, FLogToNormalScalingLevel = 0;
  double FNormalizeConst = 1;
  int FRangeExponent = 0;
  bool FAutoTickParts = true;
  double FTickPart = 0.1, FMajorTickPart = 0.5, FLabelPart = 1;
  double FLabelParts[3] = {1.0, 0.5, 0.2};
  double FMajorParts[3] = {0.5, 0.5, 0.1};
  double FMinorParts[3] = {0.1, 0.1, 0.02};
  float FLabelDistanceFactor = 1;
  TRtMajorGridMode FMajorGridMode = TRtMajorGridMode::AtLabel;
  bool FTicksPointToData = false;
  float FTickLength = 6, FMajorTickLength = 10;
  float FAxisThick = 1, FTickThick = 1, FMajorThick = 1;
  TRtColor FForeColor = RtColors::Black, FTickColor = RtColors::Black,
           FMajorTickColor = RtColors::Black;
  bool fTickColorFollows = true, fMajorTickColorFollows = true;
  TRtAxisArrowPoint* FArrowPoint;
  TRtDtParameters FDtParameters;
  TRtDtFormats FFormats;

  bool FNumbersVisible = true;
  TRtFont* FFont;
  float FFontSize = 20;
  TRtNumberFormat FNumberFormat;
  int FExtraDigits = 0;
  double FMaxForExtraExponent = 1000, FMinForExtraExponent = 0.001;
  float FDistanceAxisExtraExponent = 10, FDistanceValuesAxis = 0, FDistanceAxisLabels = 0;
  float FRubricsAngle = 0, FRubricsSin = 0, FRubricsCos = 1;
  QStringList FRubrics;

  TRtRichCaptionRec FCaptionRec;
  TRtFont* FCaptionFont;
  bool FCaptionVisible = true;
  TAlignment FCaptionAlignment = TAlignment::taCenter;
  bool FHorizontalCaptionOnVerticalAxis = false;
  float FCaptionDistanceBefore = 0, FCaptionDistanceAfter = 0;
  TRtRichCaptionRec FExtraExponentRec;
  TRtFont* FExtraExponentFont;
  bool fExtraExponentShown = false;

  bool FIsSlaveAxis = false;
  QPointer<TRtAxis> FMasterAxis;
  double FSlaveSlope = 1, FSlaveOffset = 0;

  TRtDoubleVector* FLastZoomStart;
  TRtDoubleVector* FLastZoomStop;
  int FZoomIdx = 0;

  TRtSingleVector FTicks;
  TRtBooleanVector FMajorTick;
  TRtBooleanVector FMajorGridTick;
  TRtRichCaptionRecVector FAxLabels;
  float FMaxNumberLabelHeight = 0, FMaxNumberLabelWidth = 0;
};

using TRtAxisPosition = TRtAxis::TRtAxisPosition;
using TRtAxisScaling = TRtAxis::TRtAxisScaling;
using TRtAxisEnd = TRtAxis::TRtAxisEnd;
using TRtAxisEndRounding = TRtAxis::TRtAxisEndRounding;
using TRtMajorGridMode = TRtAxis::TRtMajorGridMode;
