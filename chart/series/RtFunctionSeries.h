// Function series: a line series that draws a function computed from its X and Y data over a
// calculation range, shown over a display range. The computation is a separate calculation
// object; TRtLinearRegression (weighted least-squares line) is the one the program uses.
#pragma once

#include <exception>
#include <functional>
#include <memory>

#include "chart/series/RtSeries.h"

class TRtFunctionSeries;

// The inputs of a calculation and the per-point access to them.
class TRtCalculation {
 public:
  virtual ~TRtCalculation() = default;

  double Start = -RtMaxDouble, Stop = RtMaxDouble;
  TRtCustomDoubleVector* XData = nullptr;
  TRtCustomDoubleVector* YData = nullptr;
  TRtCustomDoubleVector* Weight = nullptr;
  bool OutliersVisible = false;
  TRtValueTransformation mXValueTransformation, mYValueTransformation, mWeightValueTransformation;
  TRtSeries* Sender = nullptr;

  virtual double Xi(int Idx) const;
  virtual double Yi(int Idx) const;
  virtual void Calculate() {}
  // Point Idx is used: not an outlier of X, Y or the weights, raw X within Start .. Stop.
  bool IsValid(int Idx) const;
  double Wi(int Idx) const;
  // Smallest of the X, Y and (when set) weight counts.
  int PairCount() const;
};

class TRtLinearRegressionCalculation : public TRtCalculation {
 public:
  double Slope = 1, DeltaSlope = 1, Offset = 1, DeltaOffset = 1, AverageX = 1, AverageY = 1,
         VarianceX = 1, VarianceY = 1, Probability = 1, Correlation = 1, SumOfResiduals = 1;
  bool FixedOffset = false, XLog = false, YLog = false;

  double Xi(int Idx) const override;
  double Yi(int Idx) const override;
  // Raises ERtMathError with the fixed texts; see the failure rules in the implementation.
  void Calculate() override;

 private:
  void CalculateFree();
  void CalculateFixed();
  template <typename F>
  void ForEachValid(F&& f) const;
};

using TRtCalculationErrorHandler = std::function<void(TRtFunctionSeries*, const std::exception&)>;

class TRtFunctionSeries : public TRtLineSeries {
  Q_OBJECT
  Q_PROPERTY(TRtCustomDoubleVector* Weight READ Weight WRITE SetWeight)
  Q_PROPERTY(bool AutoStart READ AutoStart WRITE SetAutoStart)
  Q_PROPERTY(bool AutoStop READ AutoStop WRITE SetAutoStop)
  Q_PROPERTY(double CalculationStart READ CalculationStart WRITE SetCalculationStart)
  Q_PROPERTY(double CalculationStop READ CalculationStop WRITE SetCalculationStop)
  Q_PROPERTY(bool ClipYValues READ ClipYValues WRITE SetClipYValues)

 public:
  explicit TRtFunctionSeries(QObject* AOwner = nullptr);
  ~TRtFunctionSeries() override;

  TRtListenerKind VectorListenerKind() const override { return TRtListenerKind::FunctionSeries; }

  // Weights per data point; the vector does not notify, so the reference is guarded.
  TRtCustomDoubleVector* Weight() const { return FWeight.data(); }
  void SetWeight(TRtCustomDoubleVector* v);
  bool AutoStart() const { return FAutoStart; }
  void SetAutoStart(bool v);
  bool AutoStop() const { return FAutoStop; }
  void SetAutoStop(bool v);
  bool DisplayAutoStart() const { return FDisplayAutoStart; }
  void SetDisplayAutoStart(bool v);
  bool DisplayAutoStop() const { return FDisplayAutoStop; }
  void SetDisplayAutoStop(bool v);
  bool CoupleCalculationAndDisplay() const { return FCoupleCalculationAndDisplay; }
  void SetCoupleCalculationAndDisplay(bool v);
  bool ClipYValues() const { return FClipYValues; }
  void SetClipYValues(bool v);
  double CalculationStart() const { return FCalcStart; }
  void SetCalculationStart(double x);
  double CalculationStop() const { return FCalcStop; }
  void SetCalculationStop(double x);
  double DisplayStart() const { return FDisplayStart; }
  void SetDisplayStart(double x);
  double DisplayStop() const { return FDisplayStop; }
  void SetDisplayStop(double x);

  TRtCalculationErrorHandler OnCalculationError;
  std::function<void(TRtFunctionSeries*)> OnCalculated;

  TRtCalculation* Calculation() const { return FCalculation; }
  // Text of the formula.
  virtual QString Formula() const;
  // Runs the calculation when the data or the settings changed.
  void Calculate() override;
  virtual void CalculateFunction();
  void CalculatePoints() override;
  // The X values the drawn line passes through: the display range sampled once per pixel.
  virtual std::vector<double> PlotXs() const;
  int FindPoint(float X, float Y, float Delta) const override;
  void PaintGr(QPainter& P) override;
  bool CheckClippedFunction() override;

  // Persistence: the series' data, then the weight path, the automatic ends, the four range
  // values, the coupling and the clipping (RtSeriesIO.cpp).
  using TRtSeries::ReadFrom;
  using TRtSeries::WriteTo;
  void WriteTo(TRtStreamWriter& Writer) const override;
  void ReadFrom(TRtStreamReader& Reader) override;
  void WriteTo(QDomNode Parent) const override;
  void ReadFrom(const QDomElement& Element) override;
  void WriteTo(TIniFile& Ini, const QString& Section) const override;
  void ReadFrom(const TIniFile& Ini, const QString& Section) override;

 protected:
  void SetLimits();
  // Feeds the calculation object the data, the range and the hooks.
  void PrepareCalculation();
  // Another visible series that is not a function series uses the same Y axis.
  bool SharesYAxis() const;
  void RecordGroup(const char* Comment, std::initializer_list<const char*> Props);

  TRtCalculation* FCalculation = nullptr;
  QPointer<TRtCustomDoubleVector> FWeight;
  bool FAutoStart = true, FAutoStop = true, FDisplayAutoStart = true, FDisplayAutoStop = true;
  bool FCoupleCalculationAndDisplay = true;
  bool FClipYValues = true;
  double FCalcStart = 0, FCalcStop = 0, FDisplayStart = 0, FDisplayStop = 0;
};

class TRtLinearRegression : public TRtFunctionSeries {
  Q_OBJECT
  Q_PROPERTY(bool FixedOffset READ FixedOffset WRITE SetFixedOffset)
  Q_PROPERTY(double Offset READ Offset WRITE SetOffset)
  Q_PROPERTY(bool DisplayAutoStart READ DisplayAutoStart WRITE SetDisplayAutoStart)
  Q_PROPERTY(bool DisplayAutoStop READ DisplayAutoStop WRITE SetDisplayAutoStop)
  Q_PROPERTY(double DisplayStart READ DisplayStart WRITE SetDisplayStart)
  Q_PROPERTY(double DisplayStop READ DisplayStop WRITE SetDisplayStop)
  Q_PROPERTY(bool CoupleCalculationAndDisplay READ CoupleCalculationAndDisplay WRITE
                 SetCoupleCalculationAndDisplay)
  Q_PROPERTY(double Slope READ Slope)
  Q_PROPERTY(double DeltaSlope READ DeltaSlope)
  Q_PROPERTY(double DeltaOffset READ DeltaOffset)
  Q_PROPERTY(double AverageX READ AverageX)
  Q_PROPERTY(double AverageY READ AverageY)
  Q_PROPERTY(double VarianceX READ VarianceX)
  Q_PROPERTY(double VarianceY READ VarianceY)
  Q_PROPERTY(double Probability READ Probability)
  Q_PROPERTY(double Correlation READ Correlation)
  Q_PROPERTY(double SumOfResiduals READ SumOfResiduals)

 public:
  explicit TRtLinearRegression(QObject* AOwner = nullptr);
  ~TRtLinearRegression() override;

  bool FixedOffset() const { return FRegr->FixedOffset; }
  void SetFixedOffset(bool v);
  double Offset() const { return FRegr->Offset; }
  void SetOffset(double x);
  double Slope() const { return FRegr->Slope; }
  double DeltaSlope() const { return FRegr->DeltaSlope; }
  double DeltaOffset() const { return FRegr->DeltaOffset; }
  double AverageX() const { return FRegr->AverageX; }
  double AverageY() const { return FRegr->AverageY; }
  double VarianceX() const { return FRegr->VarianceX; }
  double VarianceY() const { return FRegr->VarianceY; }
  double Probability() const { return FRegr->Probability; }
  double Correlation() const { return FRegr->Correlation; }
  double SumOfResiduals() const { return FRegr->SumOfResiduals; }
  const TRtLinearRegressionCalculation& Regression() const { return *FRegr; }

  QString Formula() const override;
  // Slope * AtX + Offset (decimal logarithm of AtX on a log X axis; 10^result on a log Y axis).
  double GetY(double AtX) const override;
  void CalculateFunction() override;
  // The two ends of the display range.
  std::vector<double> PlotXs() const override;

  // Persistence: the function series' data, then FixedOffset and, when fixed, Offset.
  using TRtFunctionSeries::ReadFrom;
  using TRtFunctionSeries::WriteTo;
  void WriteTo(TRtStreamWriter& Writer) const override;
  void ReadFrom(TRtStreamReader& Reader) override;
  void WriteTo(QDomNode Parent) const override;
  void ReadFrom(const QDomElement& Element) override;
  void WriteTo(TIniFile& Ini, const QString& Section) const override;
  void ReadFrom(const TIniFile& Ini, const QString& Section) override;

 private:
  std::unique_ptr<TRtLinearRegressionCalculation> FRegr;
};
