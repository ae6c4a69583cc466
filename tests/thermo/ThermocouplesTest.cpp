#include "thermo/Thermocouples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

enum : std::uint8_t { J = 0, K, E, T, S, R, N, B, C, D, G, None };

const char* Name(std::uint8_t type) {
  static const char* const names[] = {"J", "K", "E", "T", "S", "R", "N", "B", "C", "D", "G", "-"};
  return names[type];
}

double Below(double x) {
  return std::nextafter(x, -std::numeric_limits<double>::infinity());
}
double Above(double x) {
  return std::nextafter(x, std::numeric_limits<double>::infinity());
}

// Local dT/dE in degC per uV, from above so that a piece change is not straddled (from below at
// the top of a checked range).
double Slope(std::uint8_t type, double x) {
  double h = 0.01;
  try {
    TemperatureFromEmf(type, x + h);
  } catch (const EThermocouple&) {
    h = -h;
  }
  return std::fabs(TemperatureFromEmf(type, x + h) - TemperatureFromEmf(type, x)) / 0.01;
}

// The message carried by the error raised for (type, emf); empty if nothing was raised.
std::string ErrorOf(std::uint8_t type, double emf) {
  try {
    TemperatureFromEmf(type, emf);
  } catch (const EThermocouple& e) {
    return e.what();
  }
  return {};
}

// ---------------------------------------------------------------------------------------------
// NIST ITS-90 tables (EMF in mV at a 0 degC reference junction, rounded to 1 uV). Error is the
// largest magnitude of NIST's stated error of the inverse polynomial piece that covers the EMF.

struct TNistPoint {
  std::uint8_t Type;
  double Celsius;
  double MilliVolt;
  double PieceError;
};

const std::vector<TNistPoint>& NistTable() {
  static const std::vector<TNistPoint> table = {
      {J, -210, -8.095, 0.05},   {J, -200, -7.890, 0.05},   {J, -100, -4.633, 0.05},
      {J, 100, 5.269, 0.04},     {J, 200, 10.779, 0.04},    {J, 300, 16.327, 0.04},
      {J, 400, 21.848, 0.04},    {J, 500, 27.393, 0.04},    {J, 600, 33.102, 0.04},
      {J, 700, 39.132, 0.04},    {J, 760, 42.919, 0.04},    {J, 800, 45.494, 0.04},
      {J, 900, 51.877, 0.04},    {J, 1000, 57.953, 0.04},   {J, 1100, 63.792, 0.04},
      {J, 1200, 69.553, 0.04},

      {K, -200, -5.891, 0.04},   {K, -100, -3.554, 0.04},   {K, 100, 4.096, 0.05},
      {K, 200, 8.138, 0.05},     {K, 300, 12.209, 0.05},    {K, 400, 16.397, 0.05},
      {K, 500, 20.644, 0.06},    {K, 600, 24.905, 0.06},    {K, 700, 29.129, 0.06},
      {K, 800, 33.275, 0.06},    {K, 900, 37.326, 0.06},    {K, 1000, 41.276, 0.06},
      {K, 1100, 45.119, 0.06},   {K, 1200, 48.838, 0.06},   {K, 1300, 52.410, 0.06},
      {K, 1372, 54.886, 0.06},

      {E, -200, -8.825, 0.03},   {E, -100, -5.237, 0.03},   {E, 100, 6.319, 0.02},
      {E, 200, 13.421, 0.02},    {E, 300, 21.036, 0.02},    {E, 400, 28.946, 0.02},
      {E, 500, 37.005, 0.02},    {E, 600, 45.093, 0.02},    {E, 700, 53.112, 0.02},
      {E, 800, 61.017, 0.02},    {E, 900, 68.787, 0.02},    {E, 1000, 76.373, 0.02},

      {T, -200, -5.603, 0.04},   {T, -100, -3.379, 0.04},   {T, 100, 4.279, 0.03},
      {T, 200, 9.288, 0.03},     {T, 300, 14.862, 0.03},    {T, 400, 20.872, 0.03},

      {S, -50, -0.236, 0.02},    {S, 100, 0.646, 0.02},     {S, 200, 1.441, 0.02},
      {S, 300, 2.323, 0.01},     {S, 400, 3.259, 0.01},     {S, 500, 4.233, 0.01},
      {S, 600, 5.239, 0.01},     {S, 700, 6.275, 0.01},     {S, 800, 7.345, 0.01},
      {S, 900, 8.449, 0.01},     {S, 1000, 9.587, 0.01},    {S, 1100, 10.757, 0.01},
      {S, 1200, 11.951, 0.0002}, {S, 1300, 13.159, 0.0002}, {S, 1400, 14.373, 0.0002},
      {S, 1500, 15.582, 0.0002}, {S, 1600, 16.777, 0.0002}, {S, 1700, 17.947, 0.002},
      {S, 1768, 18.693, 0.002},

      {R, -50, -0.226, 0.02},    {R, 100, 0.647, 0.02},     {R, 200, 1.469, 0.02},
      {R, 300, 2.401, 0.005},    {R, 400, 3.408, 0.005},    {R, 500, 4.471, 0.005},
      {R, 600, 5.583, 0.005},    {R, 700, 6.743, 0.005},    {R, 800, 7.950, 0.005},
      {R, 900, 9.205, 0.005},    {R, 1000, 10.506, 0.005},  {R, 1100, 11.850, 0.005},
      {R, 1200, 13.228, 0.001},  {R, 1300, 14.629, 0.001},  {R, 1400, 16.040, 0.001},
      {R, 1500, 17.451, 0.001},  {R, 1600, 18.849, 0.001},  {R, 1700, 20.222, 0.002},
      {R, 1768, 21.101, 0.002},

      {N, -200, -3.990, 0.03},   {N, -100, -2.407, 0.03},   {N, 100, 2.774, 0.03},
      {N, 200, 5.913, 0.03},     {N, 300, 9.341, 0.03},     {N, 400, 12.974, 0.03},
      {N, 500, 16.748, 0.03},    {N, 600, 20.613, 0.04},    {N, 700, 24.527, 0.04},
      {N, 800, 28.455, 0.04},    {N, 900, 32.371, 0.04},    {N, 1000, 36.256, 0.04},
      {N, 1100, 40.087, 0.04},   {N, 1200, 43.846, 0.04},   {N, 1300, 47.513, 0.04},

      {B, 300, 0.431, 0.03},     {B, 400, 0.787, 0.03},     {B, 500, 1.242, 0.03},
      {B, 600, 1.792, 0.03},     {B, 700, 2.431, 0.02},     {B, 800, 3.154, 0.02},
      {B, 900, 3.957, 0.02},     {B, 1000, 4.834, 0.02},    {B, 1100, 5.780, 0.02},
      {B, 1200, 6.786, 0.02},    {B, 1300, 7.848, 0.02},    {B, 1400, 8.956, 0.02},
      {B, 1500, 10.099, 0.02},   {B, 1600, 11.263, 0.02},   {B, 1700, 12.433, 0.02},
      {B, 1800, 13.591, 0.02},   {B, 1820, 13.820, 0.02},
  };
  return table;
}

TEST(ThermocoupleNist, TemperatureAgreesWithTablesWithinPieceError) {
  for (const TNistPoint& p : NistTable()) {
    const double x = std::round(p.MilliVolt * 1000);
    // The table's EMF is rounded to 1 uV: allow half a microvolt's worth of temperature.
    const double tolerance = p.PieceError + 0.5 * Slope(p.Type, x);
    EXPECT_NEAR(TemperatureFromEmf(p.Type, x), p.Celsius, tolerance)
        << Name(p.Type) << " at " << p.MilliVolt << " mV";
  }
}

TEST(ThermocoupleNist, EmfAgreesWithTablesWithinPieceError) {
  for (const TNistPoint& p : NistTable()) {
    const double x = std::round(p.MilliVolt * 1000);
    // Piece error as EMF, plus the table's rounding and the bisection's 0.1 uV.
    const double tolerance = p.PieceError / Slope(p.Type, x) + 0.5 + 0.1;
    EXPECT_NEAR(EmfFromTemperature(p.Type, p.Celsius), x, tolerance)
        << Name(p.Type) << " at " << p.Celsius << " degC";
  }
}

TEST(ThermocoupleNist, NamedExamples) {
  // Piece error times the Seebeck coefficient, plus rounding and bisection.
  EXPECT_NEAR(EmfFromTemperature(S, 1000), 9587, 0.01 * 11.5 + 0.6);
  EXPECT_NEAR(EmfFromTemperature(K, 100), 4096, 0.05 * 41.4 + 0.6);
  EXPECT_NEAR(EmfFromTemperature(J, 500), 27393, 0.04 * 55.9 + 0.6);
  EXPECT_NEAR(TemperatureFromEmf(S, 9587), 1000, 0.06);
  EXPECT_NEAR(TemperatureFromEmf(K, 4096), 100, 0.07);
  EXPECT_NEAR(TemperatureFromEmf(J, 27393), 500, 0.05);
}

// ---------------------------------------------------------------------------------------------
// Piece thresholds

struct TThreshold {
  std::uint8_t Type;
  double Emf;
  double JoinBound;  // the two pieces' errors added (NIST types), or how well the fits join
};

const TThreshold kThresholds[] = {
    {J, 42919, 0.08},   {K, 20644, 0.11},           {S, 1874, 0.03},   {S, 11950, 0.0102},
    {S, 17536, 0.0022}, {R, 1923, 0.025},           {R, 13228, 0.006}, {R, 19739, 0.003},
    {N, 20613, 0.07},   {B, 2430.6259445764, 0.05}, {C, 14020, 0.02},  {D, 28870, 0.02},
    {D, 38277, 0.02},   {G, 30.88, 0.02},           {G, 3720.2, 0.02},
};

TEST(ThermocouplePieces, NextPieceStartsExactlyAtItsThreshold) {
  for (const TThreshold& th : kThresholds) {
    const double at = TemperatureFromEmf(th.Type, th.Emf);
    const double below = TemperatureFromEmf(th.Type, Below(th.Emf));
    const double twoBelow = TemperatureFromEmf(th.Type, Below(Below(th.Emf)));
    const double above = TemperatureFromEmf(th.Type, Above(th.Emf));
    // The pieces disagree slightly, so a change of piece shows as a step between neighbours.
    EXPECT_GT(std::fabs(at - below), 1e-4) << Name(th.Type) << " " << th.Emf;
    EXPECT_LT(std::fabs(below - twoBelow), 1e-9) << Name(th.Type) << " " << th.Emf;
    EXPECT_LT(std::fabs(above - at), 1e-9) << Name(th.Type) << " " << th.Emf;
    EXPECT_LE(std::fabs(at - below), th.JoinBound) << Name(th.Type) << " " << th.Emf;
  }
}

TEST(ThermocouplePieces, TypeSEitherSideOf11950GivesAbout1200) {
  const double below = TemperatureFromEmf(S, 11949.9);
  const double at = TemperatureFromEmf(S, 11950);
  EXPECT_NEAR(below, 1200, 0.1);
  EXPECT_NEAR(at, 1200, 0.1);
}

// Pieces meeting at 0 uV both give 0 there; their first-order coefficients (NIST's, per uV)
// tell which one is used on each side.
TEST(ThermocouplePieces, ZeroThresholdUsesNegativePieceOnlyBelowZero) {
  struct {
    std::uint8_t Type;
    double SlopeBelow, SlopeAbove;
  } const cases[] = {
      {J, 0.019528268, 0.01978425},     {K, 0.025173462, 0.02508355}, {E, 0.016977288, 0.017057035},
      {T, 0.025949723641258, 0.025928}, {N, 0.038436847, 0.0386896},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TemperatureFromEmf(c.Type, 0), 0) << Name(c.Type);
    EXPECT_NEAR(TemperatureFromEmf(c.Type, -0.01) / -0.01, c.SlopeBelow, 1e-7) << Name(c.Type);
    EXPECT_NEAR(TemperatureFromEmf(c.Type, 0.01) / 0.01, c.SlopeAbove, 1e-7) << Name(c.Type);
  }
}

TEST(ThermocouplePieces, TypeTBelowZeroKeepsItsOwnFirstOrderCoefficient) {
  // d0 + d1*x + d2*x^2 + d3*x^3 + d4*x^4 at x = -1 uV; higher terms are below 1e-16.
  const double d1 = 0.025949723641258, d2 = -2.1316967e-07, d3 = 7.9018692e-10, d4 = 4.2527777e-13;
  const double expected = -d1 + d2 - d3 + d4;
  EXPECT_NEAR(TemperatureFromEmf(T, -1), expected, 1e-15);
  const double withNistD1 = expected + d1 - 0.025949192;
  EXPECT_GT(std::fabs(TemperatureFromEmf(T, -1) - withNistD1), 1e-10);
}

// The NIST inverse polynomials evaluated in 50-digit decimal arithmetic from the standard's
// per-millivolt coefficients (scripts/thermo_reference.py), at the ends of each type's range,
// inside each piece and either side of each threshold. A changed digit of any coefficient moves
// some of these by far more than the tolerance.
TEST(ThermocoupleNist, MatchesTheStandardPolynomialsEvaluatedInDecimal) {
  struct {
    std::uint8_t Type;
    double Emf, Celsius;
  } const cases[] = {
      {J, -8095, -209.95473286759},
      {J, -4000, -84.96937316506},
      {J, -0.5, -0.00976444102},
      {J, 0, 0.00000000000},
      {J, 20000, 366.50430112000},
      {J, 42918.9, 760.04153193657},
      {J, 42919, 759.97560546843},
      {J, 55000, 950.74319364638},
      {J, 69553, 1199.96028612079},
      {K, -5891, -199.93307683474},
      {K, -3000, -82.44699286797},
      {K, -0.5, -0.01258702244},
      {K, 0, 0.00000000000},
      {K, 10000, 246.22195600000},
      {K, 20643.9, 499.97815205089},
      {K, 20644, 499.94737296922},
      {K, 40000, 967.40398560000},
      {K, 54886, 1372.04273474746},
      {E, -8825, -199.99485683824},
      {E, -4000, -73.81465722624},
      {E, -0.5, -0.00848875277},
      {E, 0, 0.00000000000},
      {E, 40000, 536.98660146227},
      {E, 76373, 1000.01782899367},
      {T, -5603, -199.96706203674},
      {T, -3000, -86.99962967747},
      {T, -0.5, -0.01297491521},
      {T, 0, 0.00000000000},
      {T, 10000, 213.29316180000},
      {T, 20872, 399.97507190478},
      {S, -235, -49.84066363227},
      {S, 1000, 146.30575000000},
      {S, 1873.9, 250.04498595703},
      {S, 1874, 250.05448997973},
      {S, 6000, 673.74908206188},
      {S, 11949.9, 1199.95572355306},
      {S, 11950, 1199.95437550910},
      {S, 15000, 1451.79588835188},
      {S, 17535.9, 1664.49492922548},
      {S, 17536, 1664.50478951914},
      {S, 18693, 1768.04591990952},
      {R, -226, -49.85659200954},
      {R, 1000, 145.00322410000},
      {R, 1922.9, 249.93912869976},
      {R, 1923, 249.95852803020},
      {R, 7000, 721.65106835458},
      {R, 13227.9, 1200.00023821026},
      {R, 13228, 1200.00284639344},
      {R, 17000, 1467.99612221930},
      {R, 19738.9, 1664.50529695808},
      {R, 19739, 1664.51342810276},
      {R, 21102.7, 1768.09876303486},
      {N, -3990, -199.93602026748},
      {N, -2000, -81.23742252160},
      {N, -0.5, -0.01921814889},
      {N, 0, 0.00000000000},
      {N, 10000, 318.49572710000},
      {N, 20612.9, 599.98103268157},
      {N, 20613, 599.99538619661},
      {N, 35000, 967.55636929812},
      {N, 47513, 1299.96760667696},
      {B, 291, 249.91607472378},
      {B, 1500, 549.01888449219},
      {B, 2430.6, 699.98207077496},
      {B, 2430.6259445764, 700.01227036592},
      {B, 8000, 1313.92557440038},
      {B, 13820, 1819.96403500476},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(TemperatureFromEmf(c.Type, c.Emf), c.Celsius, 1e-8)
        << Name(c.Type) << " at " << c.Emf << " uV";
  }
}

// ---------------------------------------------------------------------------------------------
// Tungsten-rhenium types C, D, G

TEST(ThermocoupleTungstenRhenium, RisesThroughTheWholeRangeFromZeroTo2315) {
  struct {
    std::uint8_t Type;
    double Lo, Hi;
  } const cases[] = {{C, -233, 37065.98}, {D, -163.23291, 39500.367}, {G, -15.8, 38564.395990718}};
  for (const auto& c : cases) {
    EXPECT_NEAR(TemperatureFromEmf(c.Type, 0), 0, 0.5) << Name(c.Type);
    EXPECT_NEAR(TemperatureFromEmf(c.Type, c.Hi), 2315, 1) << Name(c.Type);
    EXPECT_NEAR(TemperatureFromEmf(c.Type, c.Lo), -17.7, 0.1) << Name(c.Type);
    double previous = TemperatureFromEmf(c.Type, c.Lo);
    const int steps = 20000;
    for (int i = 1; i <= steps; ++i) {
      const double x = c.Lo + (c.Hi - c.Lo) * i / steps;
      const double t = TemperatureFromEmf(c.Type, x);
      ASSERT_GT(t, previous) << Name(c.Type) << " at " << x;
      previous = t;
    }
  }
}

// The defining rational functions evaluated once in 50-digit decimal arithmetic (Python's
// decimal module), at points inside each piece and either side of each threshold.
TEST(ThermocoupleTungstenRhenium, MatchesTheRationalFunctionsEvaluatedInDecimal) {
  struct {
    std::uint8_t Type;
    double Emf, Celsius;
  } const cases[] = {
      {C, -233, -17.6641267385},
      {C, 0, 0.0298452171549},
      {C, 1000, 70.4501271140},
      {C, 14019.9, 775.385486243},
      {C, 14020, 775.392708067},
      {C, 25000, 1390.77707152},
      {C, 37065.98, 2315.54292149},
      {D, -163.23291, -17.7482848142},
      {D, 0, 0.00109219828969},
      {D, 10000, 595.760178626},
      {D, 28869.9, 1568.91653563},
      {D, 28870, 1568.93501414},
      {D, 33000, 1818.89475697},
      {D, 38276.9, 2198.87167691},
      {D, 38277, 2198.88777251},
      {D, 39500.367, 2315.00864047},
      {G, -15.8, -17.7320704155},
      {G, 0, -0.242117009933},
      {G, 30.8, 18.1790498133},
      {G, 30.88, 18.2289719733},
      {G, 1000, 195.782144882},
      {G, 3720.1, 426.662141810},
      {G, 3720.2, 426.669368495},
      {G, 20000, 1266.04998377},
      {G, 38564.395990718, 2315.54324937},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(TemperatureFromEmf(c.Type, c.Emf), c.Celsius, 1e-8)
        << Name(c.Type) << " at " << c.Emf << " uV";
  }
}

// ---------------------------------------------------------------------------------------------
// Range checks

TEST(ThermocoupleRange, CheckedTypesAcceptTheirEndsAndRejectBeyond) {
  struct {
    std::uint8_t Type;
    double Lo, Hi;
    const char* Message;
  } const cases[] = {
      {J, -8095, 69553, "J Thermocouple \u00b5V out of range."},
      {E, -8825, 76373, "E Thermocouple \u00b5V out of range."},
      {T, -6258, 20872, "T Thermocouple \u00b5V out of range."},
      {R, -226.46518817384, 21102.70234786, "R Thermocouple \u00b5V out of range."},
      {N, -4345, 47513, "N Thermocouple \u00b5V out of range."},
      {B, -2.579382319873, 13820.279215181, "B Thermocouple \u00b5V out of range."},
      {C, -233, 37065.98, "C Thermocouple mV out of range."},
      {D, -163.23291, 39500.367, "D Thermocouple mV out of range."},
      {G, -15.8, 38564.395990718, "G Thermocouple mV out of range."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorOf(c.Type, c.Lo), "") << Name(c.Type);
    EXPECT_EQ(ErrorOf(c.Type, c.Hi), "") << Name(c.Type);
    EXPECT_EQ(ErrorOf(c.Type, Below(c.Lo)), c.Message) << Name(c.Type);
    EXPECT_EQ(ErrorOf(c.Type, Above(c.Hi)), c.Message) << Name(c.Type);
    EXPECT_EQ(ErrorOf(c.Type, std::nan("")), c.Message) << Name(c.Type);
    EXPECT_EQ(ErrorOf(c.Type, 1e9), c.Message) << Name(c.Type);
  }
  EXPECT_EQ(ErrorOf(J, 69553.1), "J Thermocouple \u00b5V out of range.");
  // The exact bytes, micro sign in UTF-8.
  EXPECT_EQ(ErrorOf(J, -8095.1), "J Thermocouple \xC2\xB5V out of range.");
}

TEST(ThermocoupleRange, ErrorIsAStandardRuntimeError) {
  EXPECT_THROW(TemperatureFromEmf(T, 30000), std::runtime_error);
}

TEST(ThermocoupleRange, KAndSAndVoltsAreNotChecked) {
  EXPECT_EQ(ErrorOf(K, -20000), "");
  EXPECT_EQ(ErrorOf(K, 100000), "");
  EXPECT_EQ(ErrorOf(S, -1000), "");
  EXPECT_EQ(ErrorOf(S, 30000), "");
  EXPECT_EQ(ErrorOf(None, -5e9), "");
}

TEST(ThermocoupleRange, NoThermocoupleGivesVolts) {
  EXPECT_EQ(TemperatureFromEmf(None, 1500000), 1.5);
  EXPECT_EQ(TemperatureFromEmf(None, -250), -0.00025);
  EXPECT_EQ(EmfFromTemperature(None, 25), 0);
}

TEST(ThermocoupleRange, UnknownTypeIndex) {
  EXPECT_EQ(ErrorOf(12, 1000), "Unknown thermocouple type.");
  EXPECT_EQ(ErrorOf(255, 0), "Unknown thermocouple type.");
  EXPECT_EQ(EmfFromTemperature(12, 100), 0);
}

// ---------------------------------------------------------------------------------------------
// EmfFromTemperature

TEST(ThermocoupleEmf, TypeSAtZeroDegreesIsWithinATenthOfAMicrovoltOfZero) {
  EXPECT_NEAR(EmfFromTemperature(S, 0), 0, 0.1);
}

TEST(ThermocoupleEmf, BeyondTheRangeGivesTheLastPointEvaluatedNearTheBracketEnd) {
  const double lo = -235.55507149267, hi = 18693.544691;
  // Every step moves the lower end up; after 18 halvings the interval is below 0.1 uV and the
  // last EMF evaluated is the lower end of that interval, not its midpoint.
  const double last = hi - (hi - lo) / 262144;
  double emf = 0;
  EXPECT_NO_THROW(emf = EmfFromTemperature(S, 2000));
  EXPECT_NEAR(emf, last, 1e-9);
  EXPECT_NEAR(EmfFromTemperature(S, -100), lo + (hi - lo) / 262144, 1e-9);
  EXPECT_NEAR(EmfFromTemperature(S, 2000), 18693.5, 0.1);
}

TEST(ThermocoupleEmf, NeverRaisesForAnyTypeOrTemperature) {
  const double temperatures[] = {
      -1e6, -300, 0, 500, 3000, 1e6, std::nan(""), std::numeric_limits<double>::infinity()};
  for (int type = 0; type <= 12; ++type) {
    for (double t : temperatures) {
      EXPECT_NO_THROW(EmfFromTemperature(static_cast<std::uint8_t>(type), t)) << type << " " << t;
    }
  }
}

TEST(ThermocoupleEmf, RoundTripsThroughEveryTypesRange) {
  struct {
    std::uint8_t Type;
    double Lo, Hi;
  } const brackets[] = {
      {J, -8095, 69553},
      {K, -6458, 54886},
      {E, -8825, 76373},
      {T, -6258, 20872},
      {S, -235.55507149267, 18693.544691},
      {R, -226.46518817384, 21102.70234786},
      {N, -4345, 47513},
      {B, -2.579382319873, 13820.279215181},
      {C, -233, 37065.98},
      {D, -163.23291, 39500.367},
      {G, -15.8, 38564.395990718},
  };
  for (const auto& b : brackets) {
    const int steps = 997;
    for (int i = 1; i < steps; ++i) {
      const double x = b.Lo + (b.Hi - b.Lo) * i / steps;
      bool nearThreshold = false;
      for (const TThreshold& th : kThresholds) {
        if (th.Type == b.Type && std::fabs(x - th.Emf) < 1) nearThreshold = true;
      }
      if (nearThreshold) continue;
      const double t = TemperatureFromEmf(b.Type, x);
      const double back = TemperatureFromEmf(b.Type, EmfFromTemperature(b.Type, t));
      const double slope =
          std::fabs(TemperatureFromEmf(b.Type, x + 0.2) - TemperatureFromEmf(b.Type, x - 0.2)) /
          0.4;
      EXPECT_NEAR(back, t, 0.1 * slope * 1.1 + 1e-9) << Name(b.Type) << " at " << x << " uV";
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Thermistor

TEST(Thermistor, Examples) {
  double t = 0;
  ASSERT_TRUE(ThermistorTemperature(1000, t));
  EXPECT_NEAR(t, 44.29, 0.005);
  ASSERT_TRUE(ThermistorTemperature(10000, t));
  EXPECT_NEAR(t, -12.32, 0.005);
}

TEST(Thermistor, RangeEndsAcceptedAndBeyondRejectedLeavingTemperatureUntouched) {
  double t = 0;
  ASSERT_TRUE(ThermistorTemperature(66.468, t));
  EXPECT_NEAR(t, 150, 0.05);
  ASSERT_TRUE(ThermistorTemperature(44297, t));
  EXPECT_NEAR(t, -40, 0.05);

  const double untouched = 12345.678;
  for (double r : {Below(66.468), Above(44297.0), 0.0, -10.0, 1e9, std::nan("")}) {
    t = untouched;
    EXPECT_FALSE(ThermistorTemperature(r, t)) << r;
    EXPECT_EQ(t, untouched) << r;
  }
}

TEST(Thermistor, ResistanceIsTheInverse) {
  for (double celsius = -40; celsius <= 149.9; celsius += 0.5) {
    const double r = ThermistorResistance(celsius);
    double back = 0;
    ASSERT_TRUE(ThermistorTemperature(r, back)) << celsius;
    EXPECT_NEAR(back, celsius, 1e-9) << celsius;
  }
  double t1000 = 0;
  ASSERT_TRUE(ThermistorTemperature(1000, t1000));
  EXPECT_NEAR(ThermistorResistance(t1000), 1000, 1e-8);
  EXPECT_GT(ThermistorResistance(0), ThermistorResistance(25));  // falls as it warms
}

TEST(Thermistor, ResistanceBeyondTheRangeGivesTheNearestEnd) {
  EXPECT_EQ(ThermistorResistance(200), 66.468);
  EXPECT_EQ(ThermistorResistance(-60), 44297);
  EXPECT_TRUE(std::isnan(ThermistorResistance(std::nan(""))));
}

// ---------------------------------------------------------------------------------------------

TEST(PolynomialValue, CoefficientsAreStoredHighestOrderFirst) {
  const double c[] = {2, 3, 5};  // 2x^2 + 3x + 5
  EXPECT_EQ(PolynomialValue(c, 2, 10), 235);
  EXPECT_EQ(PolynomialValue(c, 2, 0), 5);
  EXPECT_EQ(PolynomialValue(c, 1, 10), 23);  // 2x + 3
  const double constant[] = {7};
  EXPECT_EQ(PolynomialValue(constant, 0, 1e300), 7);
}

}  // namespace
