#include "chart/series/RtFunctionSeries.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

#include "chart/data/RtExceptions.h"

namespace {

constexpr const char* kNotEnough = "Not enough data points to calculate function";
constexpr const char* kInvalidOp = "Invalid floating point operation";

// The two arithmetic failures of a trapping floating-point unit, tested explicitly.
enum class TFpFailure { None, DivisionByZero, Invalid };

struct TFpStep {
  TFpFailure failure = TFpFailure::None;
  double Div(double a, double b) {
    if (b == 0 || std::isnan(a) || std::isnan(b)) {
      if (failure == TFpFailure::None)
        failure = (a == 0 || std::isnan(a) || std::isnan(b)) ? TFpFailure::Invalid
                                                             : TFpFailure::DivisionByZero;
      return 0;
    }
    const double r = a / b;
    if (!std::isfinite(r) && failure == TFpFailure::None) failure = TFpFailure::Invalid;
    return r;
  }
  double Sqrt(double a) {
    if (!(a >= 0)) {
      if (failure == TFpFailure::None) failure = TFpFailure::Invalid;
      return 0;
    }
    return std::sqrt(a);
  }
  double Finite(double a) {
    if (!std::isfinite(a) && failure == TFpFailure::None) failure = TFpFailure::Invalid;
    return a;
  }
  bool Failed() const { return failure != TFpFailure::None; }
};

}  // namespace

// ---- calculation objects

double TRtCalculation::Xi(int Idx) const {
  const double v = XData->GetValue(Idx);
  return mXValueTransformation ? mXValueTransformation(Sender, {v, Idx}) : v;
}

double TRtCalculation::Yi(int Idx) const {
  const double v = YData->GetValue(Idx);
  return mYValueTransformation ? mYValueTransformation(Sender, {v, Idx}) : v;
}

double TRtCalculation::Wi(int Idx) const {
  if (!Weight) return 1;
  const double v = Weight->GetValue(Idx);
  return std::abs(mWeightValueTransformation ? mWeightValueTransformation(Sender, {v, Idx}) : v);
}

bool TRtCalculation::IsValid(int Idx) const {
  if (OutliersVisible) return true;
  if (XData->IsOutlier(Idx) || YData->IsOutlier(Idx)) return false;
  const double x = XData->GetValue(Idx);
  if (!(Start <= x && x <= Stop)) return false;
  return !(Weight && Weight->IsOutlier(Idx));
}

int TRtCalculation::PairCount() const {
  int n = std::min(XData->Count(), YData->Count());
  if (Weight) n = std::min(n, Weight->Count());
  return n;
}

double TRtLinearRegressionCalculation::Xi(int Idx) const {
  const double x = TRtCalculation::Xi(Idx);
  return XLog ? std::log10(x) : x;
}

double TRtLinearRegressionCalculation::Yi(int Idx) const {
  const double y = TRtCalculation::Yi(Idx);
  return YLog ? std::log10(y) : y;
}

template <typename F>
void TRtLinearRegressionCalculation::ForEachValid(F&& f) const {
  const int n = PairCount();
  const double* rx = XData->RawData();
  const double* ry = YData->RawData();
  const bool plain =
      rx && ry && !Weight && !XLog && !YLog && !mXValueTransformation && !mYValueTransformation;
  if (plain) {
    // The common case: raw arrays, unit weights; the same tests as IsValid.
    const bool marks = !OutliersVisible && (XData->AnyOutliers() || YData->AnyOutliers());
    // A whole block whose X bounds lie outside Start .. Stop adds nothing to any sum, so it is
    // passed over; the pairs taken and their order stay the same.
    int blocks = 0;
    const TRtBlockBounds* bounds = OutliersVisible ? nullptr : XData->BlockBounds(blocks);
    for (int lo = 0; lo < n; lo += TRtBlockBounds::kSize) {
      const int b = lo >> TRtBlockBounds::kShift;
      if (bounds && b < blocks && (bounds->Max(b) < Start || bounds->Min(b) > Stop)) continue;
      const int hi = std::min(n, lo + TRtBlockBounds::kSize);
      for (int i = lo; i < hi; ++i) {
        const double x = rx[i];
        if (!OutliersVisible) {
          if (!(Start <= x && x <= Stop)) continue;
          if (marks && (XData->IsOutlier(i) || YData->IsOutlier(i))) continue;
        }
        f(1.0, x, ry[i]);
      }
    }
    return;
  }
  for (int i = 0; i < n; ++i)
    if (IsValid(i)) f(Wi(i), Xi(i), Yi(i));
}

void TRtLinearRegressionCalculation::Calculate() {
  if (!XData) throw ERtMathError("No X vector defined for calculation");
  if (!YData) throw ERtMathError("No Y vector defined for calculation");
  RtClearUpperVectorState();
  Slope = AverageX = AverageY = VarianceX = VarianceY = Probability = Correlation = SumOfResiduals =
      0;
  DeltaSlope = -RtMaxDouble;
  DeltaOffset = RtMaxDouble;
  if (FixedOffset)
    CalculateFixed();
  else
    CalculateFree();
}

void TRtLinearRegressionCalculation::CalculateFree() {
  Offset = 0;
  double sw = 0, sx = 0, sy = 0;
  int m = 0;
  ForEachValid([&](double w, double x, double y) {
    sw += w;
    sx += w * x;
    sy += w * y;
    ++m;
  });
  TFpStep avg;
  AverageX = avg.Div(sx, sw);
  AverageY = avg.Div(sy, sw);
  if (avg.Failed() || m < 2) throw ERtMathError(kNotEnough);
  double sxx = 0, syy = 0, sxy = 0;
  const double ax = AverageX, ay = AverageY;
  ForEachValid([&](double w, double x, double y) {
    sxx += w * (x - ax) * (x - ax);
    syy += w * (y - ay) * (y - ay);
    sxy += w * (x - ax) * y;
  });
  if (sw > 1) {
    VarianceX = sxx / (sw - 1);
    VarianceY = syy / (sw - 1);
  }
  if (sxx > 0) {
    Slope = sxy / sxx;
    Offset = AverageY - Slope * AverageX;
    double sor = 0;
    const double b = Slope, a = Offset;
    ForEachValid([&](double w, double x, double y) {
      const double r = (y - x * b) - a;
      sor += w * r * r;
    });
    SumOfResiduals = sor;
    TFpStep st;
    Correlation = st.Div(std::sqrt(VarianceX) * Slope, st.Sqrt(VarianceY));
    if (!st.Failed()) Probability = 1 - st.Div(SumOfResiduals, syy);
    if (st.failure == TFpFailure::Invalid) throw ERtMathError(kInvalidOp);
    if (st.failure == TFpFailure::DivisionByZero) {
      Slope = 0;
      Offset = AverageY;
      Correlation = 1;
      Probability = 1;
      SumOfResiduals = 0;
    }
  } else {
    Slope = Offset = RtMaxDouble;
    Correlation = 1;
    Probability = 1;
    SumOfResiduals = 0;
  }
  TFpStep d;
  const double ds = d.Sqrt(d.Div(SumOfResiduals, (sw - 2) * sxx));
  const double dof =
      d.Sqrt(d.Div((d.Div(AverageX * AverageX, sxx) + d.Div(1, sw)) * SumOfResiduals, sw - 2));
  if (d.Failed()) {
    DeltaSlope = DeltaOffset = SumOfResiduals = 0;
  } else {
    DeltaSlope = ds;
    DeltaOffset = dof;
  }
}

void TRtLinearRegressionCalculation::CalculateFixed() {
  const double b = Offset;
  double sw = 0, sx = 0, sy = 0, sxx0 = 0, sxb = 0;
  ForEachValid([&](double w, double x, double y) {
    sw += w;
    sx += w * x;
    sy += w * y;
    sxx0 += w * x * x;
    sxb += w * x * (y - b);
  });
  TFpStep avg;
  AverageX = avg.Div(sx, sw);
  AverageY = avg.Div(sy, sw);
  if (avg.Failed()) throw ERtMathError(kNotEnough);
  double sxx = 0, syy = 0;
  const double ax = AverageX, ay = AverageY;
  ForEachValid([&](double w, double x, double y) {
    sxx += w * (x - ax) * (x - ax);
    syy += w * (y - ay) * (y - ay);
  });
  TFpStep sl;
  Slope = sl.Div(sxb, sxx0);
  if (sl.Failed()) Slope = RtMaxDouble;
  TFpStep st;
  double sor = 0;
  const double k = Slope;
  ForEachValid([&](double w, double x, double y) {
    const double r = (y - x * k) - b;
    sor += w * r * r;
  });
  SumOfResiduals = st.Finite(sor);
  if (!st.Failed()) {
    DeltaOffset = 0;
    const double ds = st.Sqrt(st.Div(SumOfResiduals, (sw - 1) * sxx0));
    const double p = 1 - st.Div(SumOfResiduals, syy);
    const double vx = st.Div(sxx, sw - 1);
    const double vy = st.Div(syy, sw - 1);
    if (!st.Failed()) {
      DeltaSlope = ds;
      Probability = p;
      VarianceX = vx;
      VarianceY = vy;
    }
  }
  if (st.Failed()) {
    SumOfResiduals = 0;
    DeltaSlope = 0;
    Probability = 1;
  }
}

// ---- function series

TRtFunctionSeries::TRtFunctionSeries(QObject* AOwner) : TRtLineSeries(AOwner) {
  FMinCount = 2;
  InitDefaultCaption();
}

TRtFunctionSeries::~TRtFunctionSeries() = default;

QString TRtFunctionSeries::Formula() const {
  throw ERtError("Formula function of function series must be overridden in derived classes");
}

void TRtFunctionSeries::RecordGroup(const char* Comment, std::initializer_list<const char*> Props) {
  if (!FUndoStack || !FUndoStack->Recording()) return;
  const QString c = QString::fromUtf8(Comment);
  FUndoStack->StartGroup(c);
  for (const char* p : Props) FUndoStack->PushProperty(this, c, p);
  FUndoStack->StopGroup();
}

void TRtFunctionSeries::SetWeight(TRtCustomDoubleVector* v) {
  if (v == FWeight) return;
  Record("Function series weight", "Weight");
  FWeight = v;
  FLastCount = 0;
}

void TRtFunctionSeries::SetAutoStart(bool v) {
  if (v == FAutoStart) return;
  if (v)
    RecordGroup("Function series calculation start auto", {"CalculationStart", "AutoStart"});
  else
    Record("Function series calculation start auto", "AutoStart");
  FAutoStart = v;
  if (v) FLastCount = 0;
}

void TRtFunctionSeries::SetAutoStop(bool v) {
  if (v == FAutoStop) return;
  if (v)
    RecordGroup("Function series calculation stop auto", {"CalculationStop", "AutoStop"});
  else
    Record("Function series calculation stop auto", "AutoStop");
  FAutoStop = v;
  if (v) FLastCount = 0;
}

void TRtFunctionSeries::SetDisplayAutoStart(bool v) {
  if (v == FDisplayAutoStart) return;
  if (v)
    RecordGroup("Function series display start auto", {"DisplayStart", "DisplayAutoStart"});
  else
    Record("Function series display start auto", "DisplayAutoStart");
  FDisplayAutoStart = v;
  if (v) FLastCount = 0;
}

void TRtFunctionSeries::SetDisplayAutoStop(bool v) {
  if (v == FDisplayAutoStop) return;
  if (v)
    RecordGroup("Function series display stop auto", {"DisplayStop", "DisplayAutoStop"});
  else
    Record("Function series display stop auto", "DisplayAutoStop");
  FDisplayAutoStop = v;
  if (v) FLastCount = 0;
}

void TRtFunctionSeries::SetCoupleCalculationAndDisplay(bool v) {
  if (v == FCoupleCalculationAndDisplay) return;
  if (v)
    RecordGroup("Function series couple calculation and display",
                {"DisplayStop", "DisplayStart", "CoupleCalculationAndDisplay"});
  else
    Record("Function series couple calculation and display", "CoupleCalculationAndDisplay");
  FCoupleCalculationAndDisplay = v;
  FLastCount = 0;
}

void TRtFunctionSeries::SetClipYValues(bool v) {
  if (v == FClipYValues) return;
  Record("Function series clip Y-values", "ClipYValues");
  FClipYValues = v;
  FLastCount = 0;
}

void TRtFunctionSeries::SetCalculationStart(double x) {
  if (x == FCalcStart) return;
  Record("Function series calculation start", "CalculationStart");
  FCalcStart = x;
  FLastCount = 0;
}

void TRtFunctionSeries::SetCalculationStop(double x) {
  if (x == FCalcStop) return;
  Record("Function series calculation stop", "CalculationStop");
  FCalcStop = x;
  FLastCount = 0;
}

void TRtFunctionSeries::SetDisplayStart(double x) {
  if (x == FDisplayStart) return;
  Record("Function series display start", "DisplayStart");
  FDisplayStart = x;
  if (x >= FXStart)
    PointsModified();
  else
    FLastCount = 0;
}

void TRtFunctionSeries::SetDisplayStop(double x) {
  if (x == FDisplayStop) return;
  Record("Function series display stop", "DisplayStop");
  FDisplayStop = x;
  if (x > FXStop)
    FLastCount = 0;
  else
    PointsModified();
}

void TRtFunctionSeries::SetLimits() {
  if (FAutoStart) FCalcStart = FXStart;
  if (FAutoStop) FCalcStop = FXStop;
  if (FCoupleCalculationAndDisplay) {
    FDisplayStart = FCalcStart;
    FDisplayStop = FCalcStop;
  } else {
    if (FDisplayAutoStart) FDisplayStart = FXStart;
    if (FDisplayAutoStop) FDisplayStop = FXStop;
  }
}

void TRtFunctionSeries::PrepareCalculation() {
  TRtCalculation* c = FCalculation;
  c->OutliersVisible = FOutliersVisible;
  c->XData = FXData;
  c->YData = FYData;
  c->Weight = FWeight.data();
  c->Start = FCalcStart;
  c->Stop = FCalcStop;
  c->mXValueTransformation = mXValueTransformation;
  c->mYValueTransformation = mYValueTransformation;
  c->Sender = this;
}

bool TRtFunctionSeries::SharesYAxis() const {
  if (!FGraph) return false;
  for (TRtSeries* s : FGraph->RelatedSeries())
    if (s != this && s->YAxis() == FYAxis && s->SeriesVisible() &&
        !qobject_cast<const TRtFunctionSeries*>(s))
      return true;
  return false;
}

void TRtFunctionSeries::Calculate() {
  if (!NeedsCalculation()) return;
  double lo, hi;
  CollectRange(true, lo, hi);
  if (!FCoupleCalculationAndDisplay) {
    if (!FDisplayAutoStart) lo = std::min(lo, FDisplayStart);
    if (!FDisplayAutoStop) hi = std::max(hi, FDisplayStop);
  }
  StoreRange(true, lo, hi);
  try {
    CalculateFunction();
    FYAxis->RangeModified();
    FRecalculatePoints = true;
  } catch (const std::exception& e) {
    FLastPointsCount = FCount;
    NoteDamage(0);
    FPoints.clear();
    FPointIndex.clear();
    FPointCount = 0;
    FAreaPointCount = 0;
    FRecalculatePoints = false;
    if (!OnCalculationError) throw;
    OnCalculationError(this, e);
  }
  FLastCount = FCount;
  if (FGraph) FGraph->SeriesPointsChanged();
}

void TRtFunctionSeries::CalculateFunction() {
  SetLimits();
  if (FCalculation) {
    PrepareCalculation();
    FCalculation->Calculate();
  }
  const float px = FXAxis ? std::max(1.0f, FXAxis->AxLength()) : 400.0f;
  const double step = (FDisplayStop - FDisplayStart) / px;
  FYStart = RtMaxDouble;
  FYStop = -RtMaxDouble;
  for (int k = 0; k <= int(px) && step >= 0; ++k) {
    const double y = GetY(FDisplayStart + k * step);
    FYStart = std::min(FYStart, y);
    FYStop = std::max(FYStop, y);
    if (step == 0) break;
  }
  if (FClipYValues && SharesYAxis()) {
    FYStart = RtMaxDouble;
    FYStop = -RtMaxDouble;
  }
  if (OnCalculated) OnCalculated(this);
}

std::vector<double> TRtFunctionSeries::PlotXs() const {
  std::vector<double> xs;
  const double a = std::max(FDisplayStart, FXAxis->Start());
  const double b = std::min(FDisplayStop, FXAxis->Stop());
  const float px = std::max(1.0f, FXAxis->AxLength());
  const double step = (b - a) / px;
  for (int k = 0; k <= int(px) && b >= a; ++k) {
    xs.push_back(a + k * step);
    if (step == 0) break;
  }
  return xs;
}

void TRtFunctionSeries::CalculatePoints() {
  NoteDamage(0);
  FPoints.clear();
  FPointIndex.clear();
  FPointCount = 0;
  if (FCount > 1 && FXAxis && FYAxis) {
    for (double x : PlotXs()) {
      FPoints.push_back({FXAxis->NumberToWorld(x), FYAxis->NumberToWorld(GetY(x))});
      FPointIndex.push_back(0);
    }
    FPointCount = int(FPoints.size());
  }
  FLastPointsCount = FCount;
  FRecalculatePoints = false;
  NoteDamage(0);
  CloseAreaPolygon();
}

int TRtFunctionSeries::FindPoint(float X, float Y, float Delta) const {
  return TRtSeries::FindPoint(X, Y, Delta) >= 0 ? 0 : -1;
}

void TRtFunctionSeries::PaintGr(QPainter& P) {
  if (!FVisible) return;
  if (FClipYValues && FGraph) {
    P.save();
    P.setClipRect(FGraph->DrawingArea());
    if (const QRegion* part = FGraph->RepaintRegion()) P.setClipRegion(*part, Qt::IntersectClip);
    TRtSeries::PaintGr(P);
    P.restore();
    return;
  }
  TRtSeries::PaintGr(P);
}

bool TRtFunctionSeries::CheckClippedFunction() {
  if (FClipYValues && FYStart > FYStop && !DependsOnOtherSeries()) FLastCount = 0;
  return true;
}

// ---- linear regression

TRtLinearRegression::TRtLinearRegression(QObject* AOwner)
    : TRtFunctionSeries(AOwner), FRegr(std::make_unique<TRtLinearRegressionCalculation>()) {
  FCalculation = FRegr.get();
  InitDefaultCaption();
}

TRtLinearRegression::~TRtLinearRegression() {
  FCalculation = nullptr;
}

void TRtLinearRegression::SetFixedOffset(bool v) {
  if (v == FRegr->FixedOffset) return;
  Record("Linear regression fixed offset", "FixedOffset");
  FRegr->FixedOffset = v;
  FLastCount = 0;
}

void TRtLinearRegression::SetOffset(double x) {
  if (x == FRegr->Offset) return;
  if (FRegr->FixedOffset) Record("Linear regression offset", "Offset");
  FRegr->Offset = x;
  FLastCount = 0;
}

QString TRtLinearRegression::Formula() const {
  const bool xl = FXAxis && FXAxis->HasLogScaling();
  const bool yl = FYAxis && FYAxis->HasLogScaling();
  return QString::fromLatin1(yl ? "lg(Y)=a+b(" : "Y=a+b(") +
         QString::fromLatin1(xl ? "lg(X))" : "X)");
}

double TRtLinearRegression::GetY(double AtX) const {
  if (FXAxis && FXAxis->HasLogScaling()) AtX = std::log10(AtX);
  const double y = FRegr->Slope * AtX + FRegr->Offset;
  return FYAxis && FYAxis->HasLogScaling() ? std::pow(10.0, y) : y;
}

void TRtLinearRegression::CalculateFunction() {
  if (FCount <= 1) return;
  if (FXAxis->HasLogScaling() && FXAxis->LogToNormalScalingLevel() > 0)
    FXAxis->SetLogToNormalScalingLevel(0);
  if (FYAxis->HasLogScaling() && FYAxis->LogToNormalScalingLevel() > 0) {
    qWarning("Log Y-Axis with regression and LogToNormalScalingLevel>0 not possible\rSetting to 0");
    FYAxis->SetLogToNormalScalingLevel(0);
  }
  SetLimits();
  PrepareCalculation();
  FRegr->XLog = FXAxis->HasLogScaling();
  FRegr->YLog = FYAxis->HasLogScaling();
  FRegr->Calculate();
  const double y1 = GetY(FDisplayStart), y2 = GetY(FDisplayStop);
  if (FClipYValues && SharesYAxis()) {
    FYStart = RtMaxDouble;
    FYStop = -RtMaxDouble;
  } else {
    FYStart = std::min(y1, y2);
    FYStop = std::max(y1, y2);
  }
  if (OnCalculated) OnCalculated(this);
}

std::vector<double> TRtLinearRegression::PlotXs() const {
  return {FDisplayStart, FDisplayStop};
}
