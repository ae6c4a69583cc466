#include "chart/axes/RtAxis.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/FormatSettings.h"

namespace {

bool gCalculationRunning = false;

TRtFont* MakeFont(QObject* Owner, const char* Name, float Size, TRtColor Color) {
  auto* f = new TRtFont(Owner);
  const QSignalBlocker block(f);
  f->SetName(QString::fromLatin1(Name));
  f->SetSize(Size);
  f->SetStyle(TRtFontStyle::Bold);
  f->SetFillColor(Color);
  return f;
}

QString RightTrimmed(const QString& s) {
  int n = s.size();
  while (n > 0 && s[n - 1].isSpace()) --n;
  return s.left(n);
}

}  // namespace

bool TRtAxis::CalculationRunning() {
  return gCalculationRunning;
}

void TRtAxis::SetCalculationRunning(bool Running) {
  gCalculationRunning = Running;
}

TRtAxis::TRtAxis(QObject* AOwner)
    : QObject(AOwner),
      FArrowPoint(new TRtAxisArrowPoint(this)),
      FFormats(TRtDtFormats::FromLocale()),
      FFont(MakeFont(this, "Arial", 12, RtColors::DarkBlue)),
      FCaptionFont(MakeFont(this, "Times New Roman", 14, RtColors::DarkRed)),
      FExtraExponentFont(MakeFont(this, "Arial", 12, RtColors::DarkBlue)),
      FLastZoomStart(new TRtDoubleVector(this)),
      FLastZoomStop(new TRtDoubleVector(this)) {
  FDtParameters.Format = FFormats.MilliSecond;
  FCaptionRec.Font = FCaptionFont;
  FExtraExponentRec.Font = FExtraExponentFont;
  for (TRtFont* f : {FFont, FCaptionFont, FExtraExponentFont}) {
    connect(f, &TRtFont::NeedsResize, this, [this] {
      RtMeasureRichCaption(FCaptionRec);
      Modified();
    });
    connect(f, &TRtFont::NeedsInvalidate, this, [this] { Repaint(); });
  }
  connect(FArrowPoint, &TRtStyleObject::Changed, this, [this] { Modified(); });
  RtMeasureRichCaption(FCaptionRec);
}

TRtAxis::~TRtAxis() {
  fDestroying = true;
  if (fGraph) {
    disconnect(fGraphConnection);
    fGraph->RemoveAxis(this);
  }
}

// ---- graph, series, undo

void TRtAxis::SetGraph(TRtGraphBase* Graph) {
  if (Graph == fGraph) return;
  if (fGraph) {
    disconnect(fGraphConnection);
    fGraph->RemoveAxis(this);
  }
  fGraph = Graph;
  if (fGraph) {
    fGraph->AddAxis(this);
    fGraphConnection =
        connect(fGraph->GraphObject(), &QObject::destroyed, this, [this] { GraphGone(); });
    if (!FUndoStack) SetUndoStack(fGraph->UndoStack());
  }
  Modified();
}

void TRtAxis::GraphGone() {
  fGraph = nullptr;
}

void TRtAxis::SetUndoStack(TRtUndoStack* Stack) {
  FUndoStack = Stack;
  for (TRtFont* f : {FFont, FCaptionFont, FExtraExponentFont}) f->SetUndoStack(Stack);
  FArrowPoint->SetUndoStack(Stack);
}

void TRtAxis::AddSeries(IRtAxisSeries* s) {
  if (s && std::find(FRelatedSeries.begin(), FRelatedSeries.end(), s) == FRelatedSeries.end())
    FRelatedSeries.push_back(s);
}

void TRtAxis::RemoveSeries(IRtAxisSeries* s) {
  FRelatedSeries.erase(std::remove(FRelatedSeries.begin(), FRelatedSeries.end(), s),
                       FRelatedSeries.end());
}

void TRtAxis::Record(const char* Comment, const char* PropName) {
  if (Recording()) FUndoStack->PushProperty(this, QString::fromUtf8(Comment), PropName);
}

void TRtAxis::StartGroup(const char* Comment) {
  if (Recording()) FUndoStack->StartGroup(QString::fromUtf8(Comment));
}

void TRtAxis::StopGroup() {
  if (Recording()) FUndoStack->StopGroup();
}

void TRtAxis::Modified() {
  FRecalculate = true;
  FValuesRounded = false;
  Repaint();
}

void TRtAxis::Repaint() {
  if (fGraph) fGraph->Invalidate();
}

// ---- element

void TRtAxis::SetVisible(bool v) {
  if (v == FVisible) return;
  Record("Axis visibility", "Visible");
  FVisible = v;
  Modified();
  if (fGraph) fGraph->Modified();
}

void TRtAxis::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
}

void TRtAxis::SetAutoSize(bool v) {
  if (ChangeLayout(FAutoSize, v, "Axis auto size", "AutoSize") && fGraph) fGraph->Modified();
}

void TRtAxis::SetPosition(TRtAxisPosition v) {
  if (ChangeLayout(FPosition, v, "Axis position in graph", "Position") && fGraph)
    fGraph->Modified();
}

void TRtAxis::SetTwisted(bool v) {
  ChangeLayout(FTwisted, v, "Axis twist order of numbers", "Twisted");
}

void TRtAxis::SetAxisLine(float AxLeft, float AxTop, float AxLength) {
  FAxLeft = AxLeft;
  FAxTop = AxTop;
  FAxLength = AxLength;
}

// ---- range

double TRtAxis::ClampDateTime(double v) const {
  return FScaling == TRtAxisScaling::DateTime ? std::clamp(v, RtMinDateTime, RtMaxDateTime) : v;
}

void TRtAxis::SetStart(double v) {
  v = ClampDateTime(v);
  if (v == FStart) return;
  Record("Axis range start", "Start");
  FStart = FInitialStart = FLastStart = v;
  Modified();
}

void TRtAxis::SetStop(double v) {
  v = ClampDateTime(v);
  if (v == FStop) return;
  Record("Axis range stop", "Stop");
  FStop = FInitialStop = FLastStop = v;
  Modified();
}

void TRtAxis::SetStartEnd(TRtAxisEnd v) {
  if (v == TRtAxisEnd::MovingSlit) v = TRtAxisEnd::Fixed;
  if (v == FStartEnd) return;
  if (Recording()) {
    const QString c = QStringLiteral("Auto ranging mode of axis start");
    FUndoStack->StartGroup(c);
    for (const char* p : {"Start", "Stop", "StartEnd"}) FUndoStack->PushProperty(this, c, p);
    FUndoStack->StopGroup();
  }
  FStartEnd = v;
  if (v == TRtAxisEnd::AutoRange)
    RangeModified();
  else
    Modified();
}

void TRtAxis::SetStopEnd(TRtAxisEnd v) {
  if (v == FStopEnd) return;
  if (Recording()) {
    const QString c = QStringLiteral("Auto ranging mode of axis stop");
    FUndoStack->StartGroup(c);
    if (fGraph && fGraph->ZoomSettings()) {
      FUndoStack->PushProperty(fGraph->ZoomSettings(), c, "Auto");
      FUndoStack->PushProperty(fGraph->ZoomSettings(), c,
                               IsHorizontal() ? "HScrollbarVisible" : "VScrollbarVisible");
    }
    for (const char* p : {"Start", "Stop", "StartEnd", "StopEnd"})
      FUndoStack->PushProperty(this, c, p);
    FUndoStack->StopGroup();
  }
  FStopEnd = v;
  if (v == TRtAxisEnd::MovingSlit) {
    FStartEnd = TRtAxisEnd::Fixed;
    if (fGraph) {
      fGraph->SetZoomAuto(false);
      fGraph->SetScrollbarVisible(IsHorizontal(), false);
    }
  }
  if (v == TRtAxisEnd::AutoRange || v == TRtAxisEnd::MovingSlit)
    RangeModified();
  else
    Modified();
}

void TRtAxis::SetEndRounding(TRtAxisEndRounding v) {
  if (v == FEndRounding) return;
  if (Recording()) {
    const QString c = QStringLiteral("Axis ends rounding mode");
    FUndoStack->StartGroup(c);
    for (const char* p : {"Start", "Stop", "EndRounding"}) FUndoStack->PushProperty(this, c, p);
    FUndoStack->StopGroup();
  }
  FEndRounding = v;
  RangeModified();
}

void TRtAxis::SetMovingSlitWidth(double v) {
  if (v == FMovingSlitWidth) return;
  if (Recording()) {
    const QString c = QStringLiteral("Width of moving range scaling");
    FUndoStack->StartGroup(c);
    for (const char* p : {"Start", "Stop", "MovingSlitWidth"}) FUndoStack->PushProperty(this, c, p);
    FUndoStack->StopGroup();
  }
  FMovingSlitWidth = v;
  RangeModified();
}

void TRtAxis::SetMovingSlitIncrement(double v) {
  if (v == FMovingSlitIncrement) return;
  if (Recording()) {
    const QString c = QStringLiteral("Incement to move axis range");
    FUndoStack->StartGroup(c);
    for (const char* p : {"Start", "Stop", "MovingSlitIncrement"})
      FUndoStack->PushProperty(this, c, p);
    FUndoStack->StopGroup();
  }
  FMovingSlitIncrement = v;
  RangeModified();
}

void TRtAxis::SetStartStop(double AStart, double AStop) {
  FStart = FLastStart = AStart;
  FStop = FLastStop = AStop;
  Modified();
}

void TRtAxis::RangeModified() {
  if (fDestroying || (fGraph && fGraph->Loading())) return;
  if (FRelatedSeries.empty()) {
    Modified();
    return;
  }
  FValuesStart = RtMaxDouble;
  FValuesStop = -RtMaxDouble;
  ZoomClearBuffer();
  FRedoRange = true;
  for (IRtAxisSeries* s : FRelatedSeries)
    if (s->SeriesVisible() && s->CheckClippedFunction()) break;
  // The next paint ranges again; it lays out and paints everything only when the ends change.
  if (fGraph) fGraph->SeriesPointsChanged();
}

void TRtAxis::GetNewRanges() {
  if (!FRedoRange) return;
  double lo = RtMaxDouble, hi = -RtMaxDouble;
  for (IRtAxisSeries* s : FRelatedSeries) {
    if (!s->SeriesVisible()) continue;
    double a, b;
    s->DataExtent(IsHorizontal(), a, b);
    if (a <= b) {
      lo = std::min(lo, a);
      hi = std::max(hi, b);
    }
  }
  const bool noData = hi < lo;
  if (!noData && lo == FValuesStart && hi == FValuesStop) {
    FRedoRange = false;
    return;
  }
  if (noData) {
    lo = FInitialStart;
    hi = FInitialStop;
  }
  FValuesStart = lo;
  FValuesStop = hi;
  if (FStopEnd == TRtAxisEnd::MovingSlit) {
    double w = FMovingSlitWidth;
    if (w <= 0) w = FMovingSlitWidth = FInitialStop - FInitialStart;
    double inc = FMovingSlitIncrement;
    if (inc > w || inc <= 0) inc = FMovingSlitIncrement = w / 3;
    if (w > 0 && std::isfinite(w)) {
      RtMovingWindow(FInitialStart, w, inc, FValuesStart, FValuesStop, lo, hi);
    } else {
      lo = FStart;
      hi = FStop;
    }
  } else {
    switch (FStartEnd) {
      case TRtAxisEnd::AutoRange:
        lo = FValuesStart;
        break;
      case TRtAxisEnd::FirstSet:
        lo = FValuesStart >= FStart ? FStart : FValuesStart;
        break;
      default:
        lo = FStart;
        break;
    }
    switch (FStopEnd) {
      case TRtAxisEnd::AutoRange:
        hi = FValuesStop;
        break;
      case TRtAxisEnd::FirstSet:
        hi = FValuesStop > FStop ? FValuesStop : FStop;
        break;
      default:
        hi = FStop;
        break;
    }
  }
  RoundEnds(lo, hi);
  if (lo != FLastStart || hi != FLastStop) {
    FLastStart = lo;
    FLastStop = hi;
  }
  // The same ends with all values inside, before and after: the layout stands (a tick that adds
  // a row inside the rounded range then repaints only its new points).
  const bool inside = FValuesStart >= lo && FValuesStop <= hi;
  const bool same = inside && fValuesWereInside && lo == FStart && hi == FStop;
  fValuesWereInside = inside;
  FStart = lo;
  FStop = hi;
  if (!same) Modified();
  FRedoRange = false;
}

double TRtAxis::SmallestPositiveOfSeries() const {
  double best = RtMaxDouble;
  for (IRtAxisSeries* s : FRelatedSeries)
    best = std::min(best, s->SmallestPositive(IsHorizontal()));
  return best;
}

void TRtAxis::RoundEnds(double& AStart, double& AStop) {
  FNumberFormat.AdditionalExponent = false;
  const bool dt = FScaling == TRtAxisScaling::DateTime;
  const bool log = FScaling == TRtAxisScaling::Log || FScaling == TRtAxisScaling::LogEE;
  if (dt) {
    AStart = std::max(AStart, RtMinDateTime);
    AStop = std::min(AStop, RtMaxDateTime);
    // Reversed ends would give a negative scale.
    if (AStart > AStop) std::swap(AStart, AStop);
  }
  if (FScaling == TRtAxisScaling::Seconds || FScaling == TRtAxisScaling::Rubrics) {
    if (AStart < 0) AStart = 0;
    if (AStop < 0) AStop = 1;
  }
  if (!dt && AStart > AStop) {
    AStart = log ? 1 : 0;
    AStop = log ? 10 : 100;
  }
  if (AStop == AStart) {
    if (dt) {
      AStop = AStart + 1.0 / 1440;
    } else {
      const double p = AStop != 0 ? RtPow10(RtDecimalExponent(AStart)) : 1;
      if (FStartEnd == TRtAxisEnd::AutoRange) AStart -= p;
      if (FStopEnd == TRtAxisEnd::AutoRange || FStartEnd != TRtAxisEnd::AutoRange) AStop += p;
    }
  }
  FHasLogScaling = false;
  if (log) {
    if (AStart <= 0) {
      const double sp = SmallestPositiveOfSeries();
      AStart = FValuesStart > 0 ? FValuesStart : sp < RtMaxDouble ? sp : 0.01;
    }
    if (AStop <= 0) AStop = 1;
    FLogStart = std::log10(AStart);
    FLogStop = std::log10(AStop);
    FHasLogScaling =
        FLogToNormalScalingLevel == 0 || FLogStop - FLogStart > FLogToNormalScalingLevel;
  }
  const bool panning = fGraph && fGraph->Panning();
  if (!FAutoTickParts || panning) {
    if (FScaling == TRtAxisScaling::Normal) FRangeExponent = RtDecimalExponent(AStop - AStart);
    if (FHasLogScaling) FRangeExponent = int(std::lround(FLogStop - FLogStart));
  } else if (FHasLogScaling) {
    FRangeExponent = int(std::lround(FLogStop - FLogStart));
    FLabelPart = 1;
    FMajorTickPart = 1;
    FTickPart = 0.1;
  } else if (FScaling == TRtAxisScaling::DateTime) {
    const float L = float(IsHorizontal() ? FWidth : FHeight);
    FDtParameters =
        RtCalculateDtParameters(AStart, AStop, L, FLabelDistanceFactor, FFormats,
                                [this](const std::string& text, double v) {
                                  return EstimateLabelExtent(QString::fromStdString(text), v);
                                });
  } else if (FScaling == TRtAxisScaling::Rubrics) {
    FLabelPart = FMajorTickPart = FTickPart = 1;
    FRangeExponent = 0;
  } else {
    CalculateTickParts(AStart, AStop);
  }
  if (!panning) {
    const bool zoomed = CanZoomBack();
    int mode = 0;  // 0 none, 1 minor, 2 major
    switch (FEndRounding) {
      case TRtAxisEndRounding::RndToMajorZoomToMinor:
        mode = zoomed ? 1 : 2;
        break;
      case TRtAxisEndRounding::RndToMajorZoomToNothing:
        mode = zoomed ? 0 : 2;
        break;
      case TRtAxisEndRounding::RndToMajor:
        mode = 2;
        break;
      case TRtAxisEndRounding::RndToMinorZoomToNothing:
        mode = zoomed ? 0 : 1;
        break;
      case TRtAxisEndRounding::RndToMinor:
        mode = 1;
        break;
      case TRtAxisEndRounding::RndNothing:
        break;
    }
    if (mode != 0) {
      AStart = RoundEnd(false, mode == 2, AStart);
      AStop = RoundEnd(true, mode == 2, AStop);
    }
  }
  if (dt) {
    AStart = std::max(AStart, RtMinDateTime);
    AStop = std::min(AStop, RtMaxDateTime);
  }
  if (FHasLogScaling) {
    FLogStart = std::log10(AStart);
    FLogStop = std::log10(AStop);
    FRangeExponent = int(std::lround(FLogStop - FLogStart));
    FTickPart = std::max(FTickPart, 0.1);
    FMajorTickPart = std::max(FMajorTickPart, 1.0);
    FLabelPart = std::max(FLabelPart, FTickPart);
  } else {
    CalculateDisplayDigits(AStart, AStop);
  }
}

double TRtAxis::RoundEnd(bool Up, bool Major, double Value) {
  const double part = Major ? FMajorTickPart : FTickPart;
  if (FScaling == TRtAxisScaling::DateTime) return RtRoundDateTime(Up, Major, Value, FDtParameters);
  if (FScaling == TRtAxisScaling::Rubrics) return Value;
  if (FHasLogScaling) {
    if (Value <= 0) return Value;
    const double e = std::floor(std::log10(Value));
    if (Major) return std::pow(10.0, Up ? std::ceil(std::log10(Value) - 1e-9) : e);
    const double p = std::pow(10.0, e);
    return p * (Up ? std::ceil(Value / p - 1e-9) : std::floor(Value / p + 1e-9));
  }
  return Up ? RtRoundUpToGrid(FRangeExponent, part, Value)
            : RtRoundDownToGrid(FRangeExponent, part, Value);
}

void TRtAxis::RoundCurrentRange() {
  if (FValuesRounded) return;
  double a = FStart, b = FStop;
  RoundEnds(a, b);
  FStart = a;
  FStop = b;
  FValuesRounded = true;
}

void TRtAxis::FollowMaster() {
  if (!FIsSlaveAxis || !FMasterAxis) return;
  FScaling = FMasterAxis->Scaling();
  FStart = FMasterAxis->Start() * FSlaveSlope + FSlaveOffset;
  FStop = FMasterAxis->Stop() * FSlaveSlope + FSlaveOffset;
  if (FStart > FStop) std::swap(FStart, FStop);
}

QString TRtAxis::ScaleLabel(const QString& Text, double Value) const {
  if (!OnGetScaleLabel) return Text;
  TRtScaleLabelEventArgs a{Value, Text};
  OnGetScaleLabel(const_cast<TRtAxis*>(this), a);
  return a.Caption;
}

float TRtAxis::EstimateLabelExtent(const QString& Text, double Value) const {
  const QString t = ScaleLabel(Text, Value);
  const double h = FFontSize * 2.5;
  const double w = double(t.size()) * FFontSize * 1.6;
  return float(IsHorizontal() ? w * FRubricsCos + h * FRubricsSin
                              : w * FRubricsSin + h * FRubricsCos);
}

void TRtAxis::CalculateTickParts(double AStart, double AStop) {
  const float L = float(IsHorizontal() ? FWidth : FHeight);
  const TRtTickParts t = RtCalculateTickParts(
      AStart, AStop, L, FLabelDistanceFactor, FLabelParts, FMajorParts, FMinorParts,
      [&](int re, double lp) {
        FRangeExponent = re;
        FLabelPart = lp;
        FNumberFormat = RtCalculateDisplayDigits(AStart, AStop, re, lp, FExtraDigits,
                                                 FMaxForExtraExponent, FMinForExtraExponent);
        const QString a = QString::fromStdString(FormatNumberLabel(AStart));
        const QString b = QString::fromStdString(FormatNumberLabel(AStop));
        return std::max(EstimateLabelExtent(a, AStart), EstimateLabelExtent(b, AStop));
      });
  FRangeExponent = t.RangeExponent;
  FLabelPart = t.LabelPart;
  FMajorTickPart = t.MajorTickPart;
  FTickPart = t.TickPart;
}

void TRtAxis::CalculateDisplayDigits(double AStart, double AStop) {
  FNumberFormat = RtCalculateDisplayDigits(AStart, AStop, FRangeExponent, FLabelPart, FExtraDigits,
                                           FMaxForExtraExponent, FMinForExtraExponent);
  if (FScaling == TRtAxisScaling::DateTime) return;
  if (FTickPart < 1e-5) FTickPart = 0.1;
  FMajorTickPart = std::max(FMajorTickPart, FTickPart);
  FLabelPart = std::max(FLabelPart, FTickPart);
}

// ---- scaling and tick settings

void TRtAxis::SetScaling(TRtAxisScaling v) {
  if (v == FScaling) return;
  Record("Axis scaling", "Scaling");
  FScaling = v;
  if (v == TRtAxisScaling::Seconds || v == TRtAxisScaling::DateTime || v == TRtAxisScaling::Rubrics)
    FAutoTickParts = true;
  FHasLogScaling = v == TRtAxisScaling::Log || v == TRtAxisScaling::LogEE;
  if (fGraph) fGraph->ZoomReset();
  Modified();
}

void TRtAxis::SetLogToNormalScalingLevel(double v) {
  ChangeLayout(FLogToNormalScalingLevel, v, "Axis log to normal scaling level",
               "LogToNormalScalingLevel");
}

void TRtAxis::SetAutoTickParts(bool v) {
  if (v == FAutoTickParts) return;
  if (FScaling != TRtAxisScaling::Normal && FScaling != TRtAxisScaling::Log &&
      FScaling != TRtAxisScaling::LogEE)
    return;
  if (Recording()) {
    const QString c = QStringLiteral("Automatic tick partitions");
    if (v) {
      FUndoStack->StartGroup(c);
      for (const char* p : {"LabelPart", "MajorTickPart", "TickPart", "AutoTickParts"})
        FUndoStack->PushProperty(this, c, p);
      FUndoStack->StopGroup();
    } else {
      FUndoStack->PushProperty(this, c, "AutoTickParts");
    }
  }
  FAutoTickParts = v;
  Modified();
}

void TRtAxis::SetTickPart(double v) {
  if (FAutoTickParts) return;
  ChangeLayout(FTickPart, v == 0 ? 0.001 : std::abs(v), "Axis partitions for minor ticks",
               "TickPart");
}

void TRtAxis::SetMajorTickPart(double v) {
  if (FAutoTickParts) return;
  ChangeLayout(FMajorTickPart, v == 0 ? 0.001 : std::abs(v), "Axis partitions for major ticks",
               "MajorTickPart");
}

void TRtAxis::SetLabelPart(double v) {
  if (FAutoTickParts) return;
  ChangeLayout(FLabelPart, v == 0 ? 0.001 : std::abs(v), "Axis partitions for labels", "LabelPart");
}

void TRtAxis::SetLabelDistanceFactor(float v) {
  ChangeLayout(FLabelDistanceFactor, std::clamp(v, 0.1f, 10.0f),
               "Factor for distance of axis labels", "LabelDistanceFactor");
}

void TRtAxis::SetMajorGridMode(TRtMajorGridMode v) {
  ChangeLayout(FMajorGridMode, v, "Axis major grid mode", "MajorGridMode");
}

void TRtAxis::SetTicksPointToData(bool v) {
  ChangeLayout(FTicksPointToData, v, "Axis ticks point to data", "TicksPointToData");
}

void TRtAxis::SetTickLength(float v) {
  ChangeLayout(FTickLength, v, "Axis minor tick length", "TickLength");
}

void TRtAxis::SetMajorTickLength(float v) {
  ChangeLayout(FMajorTickLength, v, "Axis major tick length", "MajorTickLength");
}

void TRtAxis::SetAxisThicknes(float v) {
  ChangeLayout(FAxisThick, v, "Axis line width", "AxisThicknes");
}

void TRtAxis::SetTickThicknes(float v) {
  ChangePaint(FTickThick, v, "Axis minor tick width", "TickThicknes");
}

void TRtAxis::SetMajorTickThicknes(float v) {
  ChangePaint(FMajorThick, v, "Axis major tick width", "MajorTickThicknes");
}

void TRtAxis::SetForeColor(TRtColor v) {
  if (v == FForeColor) return;
  Record("Axis color", "ForeColor");
  FForeColor = v;
  if (fTickColorFollows) FTickColor = v;
  if (fMajorTickColorFollows) FMajorTickColor = v;
  Repaint();
}

void TRtAxis::SetTickColor(TRtColor v) {
  fTickColorFollows = v == FForeColor;
  ChangePaint(FTickColor, v, "Axis minor tick color", "TickColor");
}

void TRtAxis::SetMajorTickColor(TRtColor v) {
  fMajorTickColorFollows = v == FForeColor;
  ChangePaint(FMajorTickColor, v, "Axis major tick color", "MajorTickColor");
}

// ---- labels and caption

void TRtAxis::SetNumbersVisible(bool v) {
  ChangeLayout(FNumbersVisible, v, "Axis numbers visible", "NumbersVisible");
}

void TRtAxis::SetNumbersColor(TRtColor v) {
  if (v == FFont->FillColor()) return;
  Record("Axis numbers color", "NumbersColor");
  const QSignalBlocker block(FFont);
  FFont->SetFillColor(v);
  for (TRtRichCaptionRec& r : FAxLabels) r.FColorOverride = 0;
  Repaint();
}

void TRtAxis::SetExtraDigits(int v) {
  ChangeLayout(FExtraDigits, v, "Axis extra digits", "ExtraDigits");
}

void TRtAxis::SetMaxForExtraExponent(double v) {
  ChangeLayout(FMaxForExtraExponent, v, "Axis maximum without exponent", "MaxForExtraExponent");
}

void TRtAxis::SetMinForExtraExponent(double v) {
  ChangeLayout(FMinForExtraExponent, v, "Axis minimum without exponent", "MinForExtraExponent");
}

void TRtAxis::SetDistanceAxisExtraExponent(float v) {
  ChangeLayout(FDistanceAxisExtraExponent, v, "Distance of axis exponent",
               "DistanceAxisExtraExponent");
}

void TRtAxis::SetDistanceValuesAxis(float v) {
  ChangeLayout(FDistanceValuesAxis, v, "Distance of data to axis", "DistanceValuesAxis");
}

void TRtAxis::SetDistanceAxisLabels(float v) {
  ChangeLayout(FDistanceAxisLabels, v, "Distance of axis labels", "DistanceAxisLabels");
}

void TRtAxis::SetRubricsAngle(float v) {
  if (!ChangeLayout(FRubricsAngle, v, "Axis label angle", "RubricsAngle")) return;
  FRubricsSin = float(std::sin(v * M_PI / 180.0));
  FRubricsCos = float(std::cos(v * M_PI / 180.0));
}

void TRtAxis::SetRubrics(const QStringList& v) {
  ChangeLayout(FRubrics, v, "Axis rubrics", "Rubrics");
}

void TRtAxis::SetCaption(const QString& v) {
  const QString t = RightTrimmed(v);
  if (t == FCaptionRec.Caption) return;
  Record("Axis caption", "Caption");
  FCaptionRec.Caption = t;
  RtMeasureRichCaption(FCaptionRec);
  Modified();
}

void TRtAxis::SetCaptionVisible(bool v) {
  ChangeLayout(FCaptionVisible, v, "Axis caption visible", "CaptionVisible");
}

void TRtAxis::SetCaptionAlignment(TAlignment v) {
  ChangeLayout(FCaptionAlignment, v, "Axis caption alignment", "CaptionAlignment");
}

void TRtAxis::SetCaptionHorizontalOnVerticalAxis(bool v) {
  ChangeLayout(FHorizontalCaptionOnVerticalAxis, v, "Axis caption horizontal",
               "CaptionHorizontalOnVerticalAxis");
}

float TRtAxis::DistanceNumbersCaption() const {
  const bool before = FPosition == TRtAxisPosition::Bottom || FPosition == TRtAxisPosition::Right;
  return before ? FCaptionDistanceBefore : FCaptionDistanceAfter;
}

void TRtAxis::SetDistanceNumbersCaption(float v) {
  const bool before = FPosition == TRtAxisPosition::Bottom || FPosition == TRtAxisPosition::Right;
  ChangeLayout(before ? FCaptionDistanceBefore : FCaptionDistanceAfter, v,
               "Distance of axis caption to numbers", "DistanceNumbersCaption");
}

float TRtAxis::DistanceToBorder() const {
  const bool before = FPosition == TRtAxisPosition::Bottom || FPosition == TRtAxisPosition::Right;
  return before ? FCaptionDistanceAfter : FCaptionDistanceBefore;
}

void TRtAxis::SetDistanceToBorder(float v) {
  const bool before = FPosition == TRtAxisPosition::Bottom || FPosition == TRtAxisPosition::Right;
  ChangeLayout(before ? FCaptionDistanceAfter : FCaptionDistanceBefore, v,
               "Distance of axis caption to border", "DistanceToBorder");
}

float TRtAxis::CaptionSpace() const {
  if (!FCaptionVisible || FCaptionRec.Caption.isEmpty()) return 0;
  // The record holds the unturned text's size; turned by 90 degrees on a vertical axis the
  // caption's height still lies across the axis.
  return FCaptionRec.FHeight;
}

void TRtAxis::SetFormat(std::string& Field, const QString& v) {
  const std::string s = v.toStdString();
  if (s == Field) return;
  Field = s;
  Modified();
}

void TRtAxis::SetIsSlaveAxis(bool v) {
  ChangeLayout(FIsSlaveAxis, v, "Axis is slave", "IsSlaveAxis");
}

void TRtAxis::SetMasterAxis(TRtAxis* v) {
  if (v == this || v == FMasterAxis) return;
  Record("Axis master", "MasterAxis");
  FMasterAxis = v;
  Modified();
}

void TRtAxis::SetSlaveSlope(double v) {
  ChangeLayout(FSlaveSlope, v, "Axis slave slope", "SlaveSlope");
}

void TRtAxis::SetSlaveOffset(double v) {
  ChangeLayout(FSlaveOffset, v, "Axis slave offset", "SlaveOffset");
}

// ---- ticks

void TRtAxis::UpdateMapping() {
  fMapping.kind = FHasLogScaling                         ? TRtAxisMapping::Log
                  : FScaling == TRtAxisScaling::DateTime ? TRtAxisMapping::DateTime
                                                         : TRtAxisMapping::Linear;
  fMapping.Start = FStart;
  fMapping.LogStart = FLogStart;
  fMapping.NormalizeConst = FNormalizeConst;
  fMapping.Base = IsHorizontal() ? FAxLeft : FAxTop;
  fMapping.Length = FAxLength;
  fMapping.Forward = IsHorizontal() != FTwisted;
}

double TRtAxis::WorldToNumber(float Pixel) const {
  const double d = double(Pixel) - fMapping.Base;
  const double u = fMapping.Forward ? d : fMapping.Length - d;
  if (FHasLogScaling) return std::pow(10.0, FLogStart + u * FNormalizeConst);
  if (FScaling == TRtAxisScaling::DateTime)
    return RtLinearToDateTime(RtDateTimeToLinear(FStart) + u * FNormalizeConst);
  return FStart + u * FNormalizeConst;
}

float TRtAxis::LabelBaseLine() const {
  const float away = FDistanceAxisLabels + (FTicksPointToData ? 0 : FMajorTickLength);
  switch (FPosition) {
    case TRtAxisPosition::Bottom:
      return FAxTop + away;
    case TRtAxisPosition::Left:
      return FAxLeft - away;
    case TRtAxisPosition::Top:
      return FAxTop - away;
    case TRtAxisPosition::Right:
      return FAxLeft + away;
  }
  return 0;
}

void TRtAxis::CalculateTicks() {
  Q_EMIT OnGetTicks();
  if (FAxLength <= 0) FAxLength = 100;
  FTicks.Clear();
  FMajorTick.Clear();
  FMajorGridTick.Clear();
  FAxLabels.Clear();
  FMaxNumberLabelHeight = FMaxNumberLabelWidth = 0;
  fExtraExponentShown = false;
  if (FHasLogScaling)
    FNormalizeConst = (FLogStop - FLogStart) / FAxLength;
  else if (FScaling == TRtAxisScaling::DateTime)
    FNormalizeConst = RtDaySpan(FStop, FStart) / FAxLength;
  else
    FNormalizeConst = (FStop - FStart) / FAxLength;
  if (!(FNormalizeConst != 0) || !std::isfinite(FNormalizeConst)) FNormalizeConst = 1;
  if (!FAutoTickParts) FRangeExponent = RtDecimalExponent(FStop - FStart);
  UpdateMapping();
  if (FHasLogScaling)
    GenerateLogTicks();
  else if (FScaling == TRtAxisScaling::DateTime)
    GenerateDateTimeTicks();
  else if (FScaling == TRtAxisScaling::Rubrics)
    GenerateRubricsTicks();
  else {
    const bool panning = fGraph && fGraph->Panning();
    const bool zoomed = CanZoomBack();
    const bool rounded = !panning && FEndRounding != TRtAxisEndRounding::RndNothing &&
                         !(zoomed && (FEndRounding == TRtAxisEndRounding::RndToMajorZoomToNothing ||
                                      FEndRounding == TRtAxisEndRounding::RndToMinorZoomToNothing));
    GenerateNormalTicks(rounded);
  }
  PlaceCaption();
}

void TRtAxis::AddTick(float Pixel, bool Major, bool Grid) {
  FTicks.Add(Pixel);
  FMajorTick.Add(Major);
  FMajorGridTick.Add(Grid);
}

void TRtAxis::GenerateNormalTicks(bool Rounded) {
  const double first = Rounded ? FStart : RtRoundUpToGrid(FRangeExponent, FTickPart, FStart);
  const double last = Rounded ? FStop : RtRoundDownToGrid(FRangeExponent, FTickPart, FStop);
  const std::vector<TRtTick> ticks = RtNormalTicks(first, last, FStart, FRangeExponent, FTickPart,
                                                   FMajorTickPart, FLabelPart, FNumbersVisible);
  for (const TRtTick& t : ticks) {
    const float p = NumberToWorld(t.Value);
    bool grid = false;
    if (t.Label) {
      AddLabel(QString::fromStdString(FormatNumberLabel(t.Value)), p, t.Value);
      grid = FMajorGridMode == TRtMajorGridMode::AtLabel;
    }
    if (t.Major && FMajorGridMode == TRtMajorGridMode::AtMajorTick) grid = true;
    AddTick(p, t.Major, grid);
  }
  if (FNumbersVisible && FNumberFormat.AdditionalExponent) PlaceExtraExponent();
}

void TRtAxis::GenerateDateTimeTicks() {
  for (const TRtTick& t : RtDateTimeTicks(FStart, FStop, FNormalizeConst, FDtParameters)) {
    const float p = NumberToWorld(t.Value);
    bool grid = FMajorGridMode == TRtMajorGridMode::AtMajorTick && t.Major;
    if (t.Major && FNumbersVisible && t.Label) {
      AddLabel(QString::fromStdString(RtDateTimeTickText(FDtParameters, t.Value)), p, t.Value);
      if (FMajorGridMode == TRtMajorGridMode::AtLabel) grid = true;
    }
    AddTick(p, t.Major, grid);
  }
}

void TRtAxis::GenerateLogTicks() {
  // Decades are major and labelled; 2 .. 9 times the decade are minor ticks.
  const int d0 = int(std::floor(FLogStart)) - 1, d1 = int(std::ceil(FLogStop)) + 1;
  for (int d = d0; d <= d1 && d - d0 < 400; ++d) {
    for (int m = 1; m <= 9; ++m) {
      const double v = m * std::pow(10.0, d);
      if (v < FStart * (1 - 1e-9) || v > FStop * (1 + 1e-9)) continue;
      const float p = NumberToWorld(v);
      const bool major = m == 1;
      bool grid = major && FMajorGridMode == TRtMajorGridMode::AtMajorTick;
      if (major && FNumbersVisible) {
        AddLabel(QString::fromStdString(FloatToStr(v)), p, v);
        if (FMajorGridMode == TRtMajorGridMode::AtLabel) grid = true;
      }
      AddTick(p, major, grid);
    }
  }
}

void TRtAxis::GenerateRubricsTicks() {
  for (int i = 0; i < FRubrics.size() && i < FStop; ++i) {
    if (i < FStart) continue;
    AddTick(NumberToWorld(i), true, FMajorGridMode == TRtMajorGridMode::AtMajorTick);
    if (FNumbersVisible) AddLabel(FRubrics[i], NumberToWorld(i + 0.5), i);
  }
}

void TRtAxis::AddLabel(const QString& Text, float Pixel, double Value) {
  TRtRichCaptionRec r;
  r.Caption = ScaleLabel(Text, Value);
  r.Font = FFont;
  r.Angle = FRubricsAngle;
  r.Align = TRtContentAlignment::MiddleCenter;
  RtMeasureRichCaption(r);
  const float hh = r.FWidth * FRubricsSin + r.FHeight * FRubricsCos;
  const float ww = r.FWidth * FRubricsCos + r.FHeight * FRubricsSin;
  const float base = LabelBaseLine();
  if (IsHorizontal()) {
    r.X = Pixel;
    r.Y = base;
  } else {
    r.X = base;
    r.Y = Pixel;
  }
  switch (FPosition) {
    case TRtAxisPosition::Bottom:
      r.Y += hh / 2;
      break;
    case TRtAxisPosition::Top:
      r.Y -= hh / 2;
      break;
    case TRtAxisPosition::Left:
      r.X -= ww / 2;
      break;
    case TRtAxisPosition::Right:
      r.X += ww / 2;
      break;
  }
  FMaxNumberLabelHeight = std::max(FMaxNumberLabelHeight, hh);
  FMaxNumberLabelWidth = std::max(FMaxNumberLabelWidth, ww);
  FAxLabels.Add(r);
}

void TRtAxis::PlaceExtraExponent() {
  TRtRichCaptionRec& e = FExtraExponentRec;
  e.Caption = QStringLiteral("\u00B710\\+") + QString::number(FNumberFormat.MaxExponent);
  RtMeasureRichCaption(e);
  const int n = FAxLabels.Count();
  float along = IsHorizontal() ? FAxLeft + FAxLength : FAxTop;
  if (n >= 2) {
    const TRtRichCaptionRec& a = FAxLabels.GetValue(n - 2);
    const TRtRichCaptionRec& b = FAxLabels.GetValue(n - 1);
    along = IsHorizontal() ? (a.X + b.X) / 2 : (a.Y + b.Y) / 2;
  } else if (n == 1) {
    along = IsHorizontal() ? FAxLabels.GetValue(0).X : FAxLabels.GetValue(0).Y;
  }
  const float base = LabelBaseLine();
  const float d = FDistanceAxisExtraExponent;
  switch (FPosition) {
    case TRtAxisPosition::Bottom:
      e.X = along;
      e.Y = base + d;
      e.Align = TRtContentAlignment::TopCenter;
      break;
    case TRtAxisPosition::Left:
      e.X = base - d;
      e.Y = along;
      e.Align = TRtContentAlignment::MiddleRight;
      break;
    case TRtAxisPosition::Top:
      e.X = along;
      e.Y = base - d;
      e.Align = TRtContentAlignment::BottomCenter;
      break;
    case TRtAxisPosition::Right:
      e.X = base + d;
      e.Y = along;
      e.Align = TRtContentAlignment::MiddleLeft;
      break;
  }
  fExtraExponentShown = true;
}

void TRtAxis::PlaceCaption() {
  using A = TRtContentAlignment;
  TRtRichCaptionRec& c = FCaptionRec;
  const bool horizontalCaption = IsHorizontal() || FHorizontalCaptionOnVerticalAxis;
  c.Angle = horizontalCaption ? 0 : 90;
  const bool labels = FNumbersVisible && FAxLabels.Count() > 0;
  const float extent = IsHorizontal() ? FMaxNumberLabelHeight : FMaxNumberLabelWidth;
  const float dist = labels ? DistanceNumbersCaption() + extent : 0;
  const float base = LabelBaseLine();
  const int k = FCaptionAlignment == TAlignment::taLeftJustify    ? 0
                : FCaptionAlignment == TAlignment::taRightJustify ? 1
                                                                  : 2;
  const float hStart = FAxLeft, hEnd = FAxLeft + FAxLength, hMid = FAxLeft + FAxLength / 2;
  const float vBottom = FAxTop + FAxLength, vTop = FAxTop, vMid = FAxTop + FAxLength / 2;
  const bool hc = FHorizontalCaptionOnVerticalAxis;
  switch (FPosition) {
    case TRtAxisPosition::Bottom:
      c.Y = base + dist;
      c.X = k == 0 ? hStart : k == 1 ? hEnd : hMid;
      c.Align = k == 0 ? A::TopLeft : k == 1 ? A::TopRight : A::TopCenter;
      break;
    case TRtAxisPosition::Top:
      c.Y = base - dist;
      c.X = k == 0 ? hStart : k == 1 ? hEnd : hMid;
      c.Align = k == 0 ? A::BottomLeft : k == 1 ? A::BottomRight : A::BottomCenter;
      break;
    case TRtAxisPosition::Left:
      c.X = base - dist;
      c.Y = k == 0 ? vBottom : k == 1 ? vTop : vMid;
      if (k == 0) c.Align = hc ? A::BottomRight : A::BottomLeft;
      if (k == 1) c.Align = hc ? A::TopRight : A::BottomRight;
      if (k == 2) c.Align = hc ? A::MiddleRight : A::BottomCenter;
      break;
    case TRtAxisPosition::Right:
      c.X = base + dist;
      c.Y = k == 0 ? vBottom : k == 1 ? vTop : vMid;
      if (k == 0) c.Align = hc ? A::BottomLeft : A::TopLeft;
      if (k == 1) c.Align = hc ? A::TopLeft : A::TopRight;
      if (k == 2) c.Align = hc ? A::MiddleLeft : A::TopCenter;
      break;
  }
}

double TRtAxis::MajorIncrement() const {
  auto unit = [](TRtDtRegion r) {
    switch (r) {
      case TRtDtRegion::Year:
        return 365.0;
      case TRtDtRegion::Month:
        return 28.0;
      case TRtDtRegion::Day:
        return 0.99;
      case TRtDtRegion::Hour:
        return 1 / 24.0;
      case TRtDtRegion::Minute:
        return 1 / 1440.0;
      case TRtDtRegion::Second:
        return 1 / 86400.0;
      case TRtDtRegion::MilliSecond:
        return 1 / 86400000.0;
    }
    return 0.0;
  };
  if (FScaling == TRtAxisScaling::Rubrics) return 0;
  if (FHasLogScaling) return FMajorTickPart;
  if (FScaling == TRtAxisScaling::DateTime)
    return FDtParameters.MajorMod * FDtParameters.Increment * unit(FDtParameters.MajorRgn);
  return FMajorTickPart * RtPow10(FRangeExponent);
}

double TRtAxis::MinorIncrement() const {
  if (FScaling == TRtAxisScaling::Rubrics) return 0;
  if (FHasLogScaling) return 0.04;
  if (FScaling == TRtAxisScaling::DateTime) {
    static constexpr double kUnit[7] = {365.0,      28.0,        0.99,          1 / 24.0,
                                        1 / 1440.0, 1 / 86400.0, 1 / 86400000.0};
    const int r = int(FDtParameters.MinorRgn);
    return FDtParameters.Increment * (r >= 0 && r < 7 ? kUnit[r] : 0.0);
  }
  return FTickPart * RtPow10(FRangeExponent);
}

// ---- layout on its own

void TRtAxis::Calculate() {
  if (fGraph) {
    fGraph->CalculateAxes();
    return;
  }
  SetCalculationRunning(true);
  RefreshFontSize();
  FollowMaster();
  RoundCurrentRange();
  CalculateTicks();
  FRecalculate = false;
  SetCalculationRunning(false);
  Q_EMIT OnCalculated();
}

void TRtAxis::CheckResize() {
  if (CalculationRunning()) return;
  if (FStartEnd == TRtAxisEnd::AutoRange) FStart = FLastStart;
  if (FStopEnd == TRtAxisEnd::AutoRange) FStop = FLastStop;
  Modified();
}

// ---- zoom history

void TRtAxis::ApplyZoomStage() {
  FStart = FLastStart = FLastZoomStart->GetValue(FZoomIdx);
  FStop = FLastStop = FLastZoomStop->GetValue(FZoomIdx);
  Modified();
}

void TRtAxis::ZoomIn(double NewStart, double NewStop) {
  if (FLastZoomStart->Count() == 0) {
    FLastZoomStart->Add(FStart);
    FLastZoomStop->Add(FStop);
    FZoomIdx = 0;
  }
  FStart = FLastStart = NewStart;
  FStop = FLastStop = NewStop;
  ++FZoomIdx;
  while (FLastZoomStart->Count() > FZoomIdx) {
    FLastZoomStart->Delete(FLastZoomStart->Count() - 1, false);
    FLastZoomStop->Delete(FLastZoomStop->Count() - 1, false);
  }
  FLastZoomStart->Add(NewStart);
  FLastZoomStop->Add(NewStop);
  Modified();
}

void TRtAxis::ZoomBack() {
  const int n = FLastZoomStart->Count();
  if (n == 0) return;
  FZoomIdx = FZoomIdx - 1 < 0 ? n - 1 : FZoomIdx - 1;
  ApplyZoomStage();
}

void TRtAxis::RedoZoom() {
  const int n = FLastZoomStart->Count();
  if (n == 0) return;
  FZoomIdx = FZoomIdx + 1 >= n ? 0 : FZoomIdx + 1;
  ApplyZoomStage();
}

void TRtAxis::ZoomToStage(int Stage) {
  if (Stage < 0 || Stage >= FLastZoomStart->Count()) return;
  FZoomIdx = Stage;
  ApplyZoomStage();
}

void TRtAxis::ZoomClearBuffer() {
  FLastZoomStart->Clear(false);
  FLastZoomStop->Clear(false);
  FZoomIdx = 0;
}

double TRtAxis::ScrollStart() const {
  return FLastZoomStart->Count() > 0 ? FLastZoomStart->GetValue(0) : FStart;
}

double TRtAxis::ScrollStop() const {
  return FLastZoomStop->Count() > 0 ? FLastZoomStop->GetValue(0) : FStop;
}

bool TRtAxis::IsClipped() const {
  if (FRedoRange || !fGraph || fGraph->RelatedSeries().empty() || FValuesStart >= FValuesStop)
    return false;
  // Relative to the shown span, not to the ends: an end rounded to 0 from a value a hair below
  // it (a pump voltage of -5e-12 V) leaves nothing outside, while on a date-time axis (values
  // near 46000 days) a zoom that leaves a few seconds of data outside is clipped.
  const double tolerance = std::abs(FStop - FStart) * 1e-8;
  return FStart - tolerance > FValuesStart || FValuesStop > FStop + tolerance;
}

// ---- painting

void TRtAxis::PaintGr(QPainter& P) {
  P.save();
  const bool h = IsHorizontal();
  float out =
      (FPosition == TRtAxisPosition::Bottom || FPosition == TRtAxisPosition::Right) ? 1 : -1;
  if (FTicksPointToData) out = -out;
  auto tick = [&](float at, float len) {
    if (h)
      P.drawLine(QPointF(at, FAxTop), QPointF(at, FAxTop + out * len));
    else
      P.drawLine(QPointF(FAxLeft, at), QPointF(FAxLeft + out * len, at));
  };
  QPen pen(RtQColor(FMajorTickColor), FMajorThick);
  pen.setCapStyle(Qt::FlatCap);
  P.setPen(pen);
  for (int i = 0; i < FTicks.Count(); ++i)
    if (FMajorTick.GetValue(i)) tick(FTicks.GetValue(i), FMajorTickLength);
  pen.setColor(RtQColor(FTickColor));
  pen.setWidthF(FTickThick);
  P.setPen(pen);
  for (int i = 0; i < FTicks.Count(); ++i)
    if (!FMajorTick.GetValue(i)) tick(FTicks.GetValue(i), FTickLength);
  // Axis line, extended for the arrow head at the far end of the values.
  QPointF a = h ? QPointF(FAxLeft, FAxTop) : QPointF(FAxLeft, FAxTop + FAxLength);
  QPointF b = h ? QPointF(FAxLeft + FAxLength, FAxTop) : QPointF(FAxLeft, FAxTop);
  if (FTwisted) std::swap(a, b);
  pen.setColor(RtQColor(FForeColor));
  pen.setWidthF(FAxisThick);
  P.setPen(pen);
  if (FArrowPoint->Visible()) {
    const QPointF dir = (b - a) / std::max(1.0, std::hypot(b.x() - a.x(), b.y() - a.y()));
    b += dir * (3 * FArrowPoint->PointLength());
    P.drawLine(a, b);
    QTransform t;
    t.translate(b.x(), b.y());
    t.rotate(std::atan2(dir.y(), dir.x()) * 180 / M_PI - 90);
    t.scale(FAxisThick, FAxisThick);
    P.setBrush(RtQColor(FForeColor));
    P.drawPolygon(t.map(FArrowPoint->HeadPolygon()));
  } else {
    P.drawLine(a, b);
  }
  if (FNumbersVisible)
    for (TRtRichCaptionRec& r : FAxLabels) RtDrawRichCaption(r, P);
  if (FCaptionVisible && !FCaptionRec.Caption.isEmpty()) RtDrawRichCaption(FCaptionRec, P);
  if (fExtraExponentShown) RtDrawRichCaption(FExtraExponentRec, P);
  P.restore();
}

void TRtAxisMapping::MapMany(const double* X, int N, float* Out) const {
  int k = 0;
#if defined(__SSE2__)
  // The same operations as Map (IEEE division and conversion are exact per lane); date-time
  // values below zero take Map itself.
  if (kind == Linear || (kind == DateTime && Start >= 0)) {
    const __m128d start = _mm_set1_pd(Start), norm = _mm_set1_pd(NormalizeConst);
    const __m128d lo = _mm_set1_pd(-100000), hi = _mm_set1_pd(100000), zero = _mm_setzero_pd();
    const __m128d base = _mm_set1_pd(Forward ? double(Base) : double(Base + Length));
    for (; k + 2 <= N; k += 2) {
      const __m128d x = _mm_loadu_pd(X + k);
      if (kind == DateTime && _mm_movemask_pd(_mm_cmplt_pd(x, zero)) != 0) {
        Out[k] = Map(X[k]);
        Out[k + 1] = Map(X[k + 1]);
        continue;
      }
      __m128d rel = _mm_div_pd(_mm_sub_pd(x, start), norm);
      const __m128d in = _mm_and_pd(_mm_cmpgt_pd(rel, lo), _mm_cmplt_pd(rel, hi));
      const __m128d out = _mm_or_pd(_mm_and_pd(_mm_cmpge_pd(rel, hi), hi),
                                    _mm_andnot_pd(_mm_cmpge_pd(rel, hi), lo));
      rel = _mm_or_pd(_mm_and_pd(in, rel), _mm_andnot_pd(in, out));
      const __m128d v = Forward ? _mm_add_pd(base, rel) : _mm_sub_pd(base, rel);
      const __m128 f = _mm_cvtpd_ps(v);
      _mm_storel_pi(reinterpret_cast<__m64*>(Out + k), f);
    }
  }
#endif
  for (; k < N; ++k) Out[k] = Map(X[k]);
}
