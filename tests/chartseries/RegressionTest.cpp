#include <cmath>
#include <string>
#include <vector>

#include "SeriesFixture.h"
#include "chart/data/RtExceptions.h"

namespace {

TRtLinearRegressionCalculation Calc(TRtDoubleVector& X, TRtDoubleVector& Y, double Start = -1e300,
                                    double Stop = 1e300) {
  TRtLinearRegressionCalculation c;
  c.XData = &X;
  c.YData = &Y;
  c.Start = Start;
  c.Stop = Stop;
  return c;
}

void Fill(TRtDoubleVector& v, std::initializer_list<double> values) {
  for (double d : values) v.Add(d);
}

std::string MathError(TRtLinearRegressionCalculation& c) {
  try {
    c.Calculate();
  } catch (const ERtMathError& e) {
    return e.what();
  }
  return "";
}

TEST(RtRegressionCalcTest, ThreePointsOnALine) {
  TRtDoubleVector x, y;
  Fill(x, {0, 1, 2});
  Fill(y, {1, 3, 5});
  TRtLinearRegressionCalculation c = Calc(x, y);
  EXPECT_EQ(c.Slope, 1);  // before any calculation every result reads 1
  EXPECT_EQ(c.SumOfResiduals, 1);
  c.Calculate();
  EXPECT_DOUBLE_EQ(c.Slope, 2);
  EXPECT_DOUBLE_EQ(c.Offset, 1);
  EXPECT_DOUBLE_EQ(c.AverageX, 1);
  EXPECT_DOUBLE_EQ(c.AverageY, 3);
  EXPECT_DOUBLE_EQ(c.VarianceX, 1);
  EXPECT_DOUBLE_EQ(c.VarianceY, 4);
  EXPECT_DOUBLE_EQ(c.Correlation, 1);
  EXPECT_DOUBLE_EQ(c.Probability, 1);
  EXPECT_DOUBLE_EQ(c.SumOfResiduals, 0);
  EXPECT_DOUBLE_EQ(c.DeltaSlope, 0);
  EXPECT_DOUBLE_EQ(c.DeltaOffset, 0);
}

TEST(RtRegressionCalcTest, NoisyLineGivesItsErrorFigures) {
  TRtDoubleVector x, y;
  Fill(x, {0, 1, 2, 3});
  Fill(y, {1, 2, 2, 4});
  TRtLinearRegressionCalculation c = Calc(x, y);
  c.Calculate();
  // Sxx = 5, Sxy = 4.5, mean y 2.25: slope 0.9, offset 0.9, residuals 0.7.
  EXPECT_DOUBLE_EQ(c.Slope, 0.9);
  EXPECT_NEAR(c.Offset, 0.9, 1e-15);
  EXPECT_NEAR(c.SumOfResiduals, 0.7, 1e-14);
  EXPECT_NEAR(c.DeltaSlope, std::sqrt(0.7 / (2 * 5)), 1e-14);
  EXPECT_NEAR(c.DeltaOffset, std::sqrt((1.5 * 1.5 / 5 + 0.25) * 0.7 / 2), 1e-14);
  EXPECT_NEAR(c.Probability, 1 - 0.7 / 4.75, 1e-14);
  EXPECT_NEAR(c.Correlation, std::sqrt(5.0 / 3) * 0.9 / std::sqrt(4.75 / 3), 1e-14);
}

TEST(RtRegressionCalcTest, RangeEndsAreIncludedAndOutliersLeftOut) {
  TRtDoubleVector x, y;
  Fill(x, {-1, 0, 1, 2, 3});
  Fill(y, {100, 1, 3, 5, -100});
  TRtLinearRegressionCalculation c = Calc(x, y, 0, 2);
  c.Calculate();
  EXPECT_DOUBLE_EQ(c.Slope, 2);
  EXPECT_DOUBLE_EQ(c.Offset, 1);
  // Just inside the ends is not enough to take the outside points.
  c.Start = std::nextafter(-1.0, 0.0);
  c.Calculate();
  EXPECT_DOUBLE_EQ(c.Slope, 2);
  c.Start = -1;
  c.Calculate();
  EXPECT_NE(c.Slope, 2);
  // An outlier inside the range is left out of every sum.
  y.SetValue(0, 99);
  y.AddOutlier(0);
  c.Calculate();
  EXPECT_DOUBLE_EQ(c.Slope, 2);
  EXPECT_DOUBLE_EQ(c.AverageX, 1);
  // ... unless outliers are shown.
  c.OutliersVisible = true;
  c.Calculate();
  EXPECT_DOUBLE_EQ(c.AverageY, 1.6);
}

TEST(RtRegressionCalcTest, FailureBranches) {
  TRtDoubleVector x, y;
  TRtLinearRegressionCalculation none;
  EXPECT_EQ(MathError(none), "No X vector defined for calculation");
  none.XData = &x;
  EXPECT_EQ(MathError(none), "No Y vector defined for calculation");
  // No point at all, then one point.
  TRtLinearRegressionCalculation c = Calc(x, y);
  EXPECT_EQ(MathError(c), "Not enough data points to calculate function");
  Fill(x, {1});
  Fill(y, {2});
  EXPECT_EQ(MathError(c), "Not enough data points to calculate function");
  EXPECT_EQ(c.Slope, 0);
  EXPECT_EQ(c.Offset, 0);
  // Two points: exact line, no error estimates.
  Fill(x, {2});
  Fill(y, {4});
  EXPECT_EQ(MathError(c), "");
  EXPECT_DOUBLE_EQ(c.Slope, 2);
  EXPECT_DOUBLE_EQ(c.VarianceX, 0.5);  // Sxx / (Sw - 1) with Sw = 2
  EXPECT_DOUBLE_EQ(c.VarianceY, 2);
  EXPECT_EQ(c.DeltaSlope, 0);
  EXPECT_EQ(c.DeltaOffset, 0);
  EXPECT_EQ(c.SumOfResiduals, 0);
  // All x equal: no error, the largest double.
  TRtDoubleVector ex, ey;
  Fill(ex, {3, 3, 3});
  Fill(ey, {1, 2, 3});
  TRtLinearRegressionCalculation e = Calc(ex, ey);
  EXPECT_EQ(MathError(e), "");
  EXPECT_EQ(e.Slope, RtMaxDouble);
  EXPECT_EQ(e.Offset, RtMaxDouble);
  EXPECT_EQ(e.Correlation, 1);
  EXPECT_EQ(e.Probability, 1);
  // All y equal with x spread: 0/0 in the correlation is a math error, slope already 0.
  TRtDoubleVector fx, fy;
  Fill(fx, {1, 2, 3});
  Fill(fy, {5, 5, 5});
  TRtLinearRegressionCalculation f = Calc(fx, fy);
  EXPECT_EQ(MathError(f), "Invalid floating point operation");
  EXPECT_EQ(f.Slope, 0);
  EXPECT_EQ(f.Offset, 5);
}

TEST(RtRegressionCalcTest, FixedOffsetAndWeights) {
  TRtDoubleVector x, y, w;
  Fill(x, {1, 2});
  Fill(y, {3, 5});
  TRtLinearRegressionCalculation c = Calc(x, y);
  c.FixedOffset = true;
  c.Offset = 1;
  c.Calculate();
  EXPECT_DOUBLE_EQ(c.Slope, 2);  // (1*2 + 2*4) / (1 + 4)
  EXPECT_EQ(c.Offset, 1);
  EXPECT_EQ(c.DeltaOffset, 0);
  EXPECT_DOUBLE_EQ(c.SumOfResiduals, 0);
  // Weights: a point of weight 0 does not pull the line.
  TRtDoubleVector wx, wy;
  Fill(wx, {0, 1, 2, 3});
  Fill(wy, {1, 3, 5, 100});
  Fill(w, {1, 1, -1, 0});  // absolute values count
  TRtLinearRegressionCalculation d = Calc(wx, wy);
  d.Weight = &w;
  d.Calculate();
  EXPECT_DOUBLE_EQ(d.Slope, 2);
  EXPECT_DOUBLE_EQ(d.Offset, 1);
}

// Every result, or the error text, to compare two calculations bit for bit.
std::vector<double> Results(TRtLinearRegressionCalculation& c, std::string& Error) {
  Error = MathError(c);
  return {c.Slope,     c.DeltaSlope, c.Offset,      c.DeltaOffset, c.AverageX,      c.AverageY,
          c.VarianceX, c.VarianceY,  c.Probability, c.Correlation, c.SumOfResiduals};
}

// The raw-array path passes over whole blocks of X outside the window; a transformation that
// changes nothing forces the pair-by-pair path, which must give the very same numbers.
TEST(RtRegressionCalcTest, WindowsOverManyPairsGiveThePairByPairResults) {
  TRtDoubleVector x, y;
  for (int i = 0; i < 1000; ++i) {
    x.Add(i);
    y.Add(0.5 * i + std::sin(i * 0.7));
  }
  x.SetValue(700, 100.5);  // a pair far behind its neighbours
  x.SetValue(900, std::nan(""));
  y.AddOutlier(300);
  const auto same = [](TRtSeries*, const TRtTransformEventArgs& a) { return a.Value; };
  const auto check = [&](double Start, double Stop, bool Fixed) {
    TRtLinearRegressionCalculation fast = Calc(x, y, Start, Stop);
    TRtLinearRegressionCalculation slow = Calc(x, y, Start, Stop);
    for (TRtLinearRegressionCalculation* c : {&fast, &slow}) {
      c->FixedOffset = Fixed;
      c->Offset = 0.25;
    }
    slow.mXValueTransformation = same;
    std::string fastError, slowError;
    const auto where = ::testing::Message() << Start << " .. " << Stop << (Fixed ? ", fixed" : "");
    EXPECT_EQ(Results(fast, fastError), Results(slow, slowError)) << where;
    EXPECT_EQ(fastError, slowError) << where;
  };
  for (bool fixed : {false, true}) {
    check(-1e300, 1e300, fixed);
    check(255, 400, fixed);  // Start on the largest X of a block
    check(150, 192, fixed);  // Stop on the smallest X of a block
    check(100, 101, fixed);  // only the pair far behind
    check(880, 910, fixed);  // a block holding NaN
    check(980, 999, fixed);  // the rows after the last whole block
    check(2000, 3000, fixed);
    check(299, 301, fixed);  // the outlier left out
  }
  // A write into an early block after a calculation: that block's bounds are renewed.
  TRtLinearRegressionCalculation before = Calc(x, y, 840, 860);
  before.Calculate();
  x.SetValue(10, 850);
  check(840, 860, false);
  check(840, 860, true);
}

using RtRegressionSeriesTest = SeriesFixture;

TEST_F(RtRegressionSeriesTest, FollowsTheCalculationWindowAndDrawsItsRange) {
  TRtLinearRegression r;
  for (int i = 0; i <= 20; ++i) {
    vx.Add(i);
    vy.Add(i < 10 ? 100 : i < 20 ? 2 * i + 1 : 1000);
  }
  vx.SetValue(20, 25);  // an outlier whose X lies beyond the rest
  vx.AddOutlier(20);
  r.SetAutoStart(false);
  r.SetCalculationStart(10);
  Bind(r, &vx, &vy);
  r.Calculate();
  EXPECT_DOUBLE_EQ(r.Slope(), 2);
  EXPECT_DOUBLE_EQ(r.Offset(), 1);
  // With AutoStop the stop is the largest X of the data, outliers excluded.
  EXPECT_EQ(r.CalculationStop(), 19);
  // Coupled: the display is the calculation range.
  EXPECT_EQ(r.DisplayStart(), 10);
  EXPECT_EQ(r.DisplayStop(), 19);
  EXPECT_DOUBLE_EQ(r.YStart(), 21);
  EXPECT_DOUBLE_EQ(r.YStop(), 39);
  Update();
  ASSERT_EQ(r.PointCount(), 2);
  EXPECT_FLOAT_EQ(r.Points()[0].X, x.NumberToWorld(10));
  EXPECT_FLOAT_EQ(r.Points()[1].X, x.NumberToWorld(19));
  EXPECT_FLOAT_EQ(r.Points()[1].Y, y.NumberToWorld(39));
  EXPECT_EQ(r.Formula(), "Y=a+b(X)");
  // Setting the start to its value changes nothing; a new value forces the next calculation.
  EXPECT_EQ(r.LastCount(), r.Count());
  r.SetCalculationStart(10);
  EXPECT_EQ(r.LastCount(), r.Count());
  r.SetCalculationStart(15);
  EXPECT_EQ(r.LastCount(), 0);
}

TEST_F(RtRegressionSeriesTest, FailedCalculationDropsTheLineAndReportsOrRaises) {
  TRtLinearRegression r;
  Fill(vx, {0, 1, 2});
  Fill(vy, {1, 3, 5});
  Bind(r, &vx, &vy);
  r.Calculate();
  Update();
  EXPECT_EQ(r.PointCount(), 2);
  // A window without points.
  r.SetAutoStart(false);
  r.SetCalculationStart(100);
  EXPECT_THROW(r.Calculate(), ERtMathError);
  EXPECT_EQ(r.PointCount(), 0);
  EXPECT_EQ(r.Slope(), 0);
  std::string reported;
  r.OnCalculationError = [&](TRtFunctionSeries*, const std::exception& e) { reported = e.what(); };
  r.SetCalculationStart(101);
  EXPECT_NO_THROW(r.Calculate());
  EXPECT_EQ(reported, "Not enough data points to calculate function");
  EXPECT_EQ(r.PointCount(), 0);
  // The base class has no formula.
  TRtFunctionSeries f;
  EXPECT_THROW(f.Formula(), ERtError);
}

TEST_F(RtRegressionSeriesTest, ClippedLineKeepsOutOfASharedYRange) {
  TRtPointSeries data;
  TRtLinearRegression r;
  Fill(vx, {0, 1, 2, 3});
  Fill(vy, {0, 10, 20, 30});
  Bind(data, &vx, &vy);
  Bind(r, &vx, &vy);
  r.SetCoupleCalculationAndDisplay(false);
  r.SetDisplayAutoStop(false);
  r.SetDisplayStop(100);
  g.Poll();
  r.Calculate();
  // Shares the Y axis with a visible data series: its own Y range stays empty.
  EXPECT_GT(r.YStart(), r.YStop());
  EXPECT_EQ(r.XStop(), 100);  // the display widens the X range
  r.SetClipYValues(false);
  r.Calculate();
  EXPECT_DOUBLE_EQ(r.YStop(), 1000);
}

TEST_F(RtRegressionSeriesTest, WeightVectorGoingAwayIsForgotten) {
  TRtLinearRegression r;
  Fill(vx, {0, 1, 2});
  Fill(vy, {1, 3, 5});
  Bind(r, &vx, &vy);
  {
    TRtDoubleVector w;
    Fill(w, {1, 1, 1});
    r.SetWeight(&w);
    r.Calculate();
    EXPECT_DOUBLE_EQ(r.Slope(), 2);
  }
  EXPECT_EQ(r.Weight(), nullptr);
  r.SetCalculationStop(1.5);
  r.SetAutoStop(false);
  r.SetCalculationStop(2);
  EXPECT_NO_THROW(r.Calculate());
  EXPECT_DOUBLE_EQ(r.Slope(), 2);
}

}  // namespace
