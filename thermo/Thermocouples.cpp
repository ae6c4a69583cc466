#include "thermo/Thermocouples.h"

#include <cmath>
#include <cstddef>

namespace {

// NIST ITS-90 inverse reference functions (NIST Monograph 175), t90 = d0 + d1*x + d2*x^2 + ...,
// with NIST's per-millivolt coefficients scaled to microvolts (d_i / 1000^i) by shifting the
// decimal point, so each literal keeps NIST's digits. Constant term first. Each comment gives
// NIST's range of the piece and its stated error. Produced by scripts/gen_thermo_tables.py.
// J: -210 .. 0 degC, -8.095 .. 0 mV, error -0.05 .. 0.03 degC
constexpr double kJ_m210_0[] = {0.0,
                                1.9528268e-02,
                                -1.2286185e-06,
                                -1.0752178e-09,
                                -5.9086933e-13,
                                -1.7256713e-16,
                                -2.8131513e-20,
                                -2.396337e-24,
                                -8.3823321e-29};
// J: 0 .. 760 degC, 0 .. 42.919 mV, error -0.04 .. 0.04 degC
constexpr double kJ_0_760[] = {0.0,           1.978425e-02, -2.001204e-07, 1.036969e-11,
                               -2.549687e-16, 3.585153e-21, -5.344285e-26, 5.09989e-31};
// J: 760 .. 1200 degC, 42.919 .. 69.553 mV, error -0.04 .. 0.03 degC
constexpr double kJ_760_1200[] = {-3.11358187e+03, 3.00543684e-01,  -9.9477323e-06,
                                  1.7027663e-10,   -1.43033468e-15, 4.73886084e-21};
// K: -200 .. 0 degC, -5.891 .. 0 mV, error -0.02 .. 0.04 degC
constexpr double kK_m200_0[] = {0.0,           2.5173462e-02,  -1.1662878e-06, -1.0833638e-09,
                                -8.977354e-13, -3.7342377e-16, -8.6632643e-20, -1.0450598e-23,
                                -5.1920577e-28};
// K: 0 .. 500 degC, 0 .. 20.644 mV, error -0.05 .. 0.04 degC
constexpr double kK_0_500[] = {0.0,          2.508355e-02,  7.860106e-08, -2.503131e-10,
                               8.31527e-14,  -1.228034e-17, 9.804036e-22, -4.41303e-26,
                               1.057734e-30, -1.052755e-35};
// K: 500 .. 1372 degC, 20.644 .. 54.886 mV, error -0.05 .. 0.06 degC
constexpr double kK_500_1372[] = {-1.318058e+02, 4.830222e-02, -1.646031e-06, 5.464731e-11,
                                  -9.650715e-16, 8.802193e-21, -3.11081e-26};
// E: -200 .. 0 degC, -8.825 .. 0 mV, error -0.01 .. 0.03 degC
constexpr double kE_m200_0[] = {0.0,
                                1.6977288e-02,
                                -4.351497e-07,
                                -1.5859697e-10,
                                -9.2502871e-14,
                                -2.6084314e-17,
                                -4.1360199e-21,
                                -3.403403e-25,
                                -1.156489e-29};
// E: 0 .. 1000 degC, 0 .. 76.373 mV, error -0.02 .. 0.02 degC
constexpr double kE_0_1000[] = {
    0.0,           1.7057035e-02,  -2.3301759e-07, 6.5435585e-12, -7.3562749e-17, -1.7896001e-21,
    8.4036165e-26, -1.3735879e-30, 1.0629823e-35,  -3.2447087e-41};
// T: -200 .. 0 degC, -5.603 .. 0 mV, error -0.02 .. 0.04 degC
// d1 is deliberately 0.025949723641258, not NIST's 2.5949192e-02 (at most 4e-6 degC apart here).
constexpr double kT_m200_0[] = {0.0,           0.025949723641258, -2.1316967e-07, 7.9018692e-10,
                                4.2527777e-13, 1.3304473e-16,     2.0241446e-20,  1.2668171e-24};
// T: 0 .. 400 degC, 0 .. 20.872 mV, error -0.03 .. 0.03 degC
constexpr double kT_0_400[] = {0.0,           2.5928e-02,   -7.602961e-07, 4.637791e-11,
                               -2.165394e-15, 6.048144e-20, -7.293422e-25};
// S: -50 .. 250 degC, -0.235 .. 1.874 mV, error -0.02 .. 0.02 degC
constexpr double kS_m50_250[] = {0.0,
                                 1.8494946e-01,
                                 -8.00504062e-05,
                                 1.0223743e-07,
                                 -1.52248592e-10,
                                 1.88821343e-13,
                                 -1.59085941e-16,
                                 8.2302788e-20,
                                 -2.34181944e-23,
                                 2.7978626e-27};
// S: 250 .. 1200 degC, 1.874 .. 11.95 mV, error -0.01 .. 0.01 degC
constexpr double kS_250_1200[] = {
    1.291507177e+01, 1.466298863e-01, -1.534713402e-05, 3.145945973e-09,  -4.163257839e-13,
    3.187963771e-17, -1.2916375e-21,  2.183475087e-26,  -1.447379511e-31, 8.211272125e-36};
// S: 1064 .. 1664.5 degC, 10.332 .. 17.536 mV, error -0.0002 .. 0.0002 degC
constexpr double kS_1064_1664_5[] = {-8.087801117e+01, 1.621573104e-01,  -8.536869453e-06,
                                     4.719686976e-10,  -1.441693666e-14, 2.08161889e-19};
// S: 1664.5 .. 1768.1 degC, 17.536 .. 18.693 mV, error -0.002 .. 0.002 degC
constexpr double kS_1664_5_1768_1[] = {5.333875126e+04, -1.235892298e+01, 1.092657613e-03,
                                       -4.265693686e-08, 6.24720542e-13};
// R: -50 .. 250 degC, -0.226 .. 1.923 mV, error -0.02 .. 0.02 degC
constexpr double kR_m50_250[] = {
    0.0,          1.889138e-01,  -9.383529e-05,  1.3068619e-07, -2.270358e-10, 3.5145659e-13,
    -3.89539e-16, 2.8239471e-19, -1.2607281e-22, 3.1353611e-26, -3.3187769e-30};
// R: 250 .. 1200 degC, 1.923 .. 13.228 mV, error -0.005 .. 0.005 degC
constexpr double kR_250_1200[] = {
    1.334584505e+01, 1.472644573e-01,  -1.844024844e-05, 4.031129726e-09, -6.24942836e-13,
    6.468412046e-17, -4.458750426e-21, 1.994710149e-25,  -5.31340179e-30, 6.481976217e-35};
// R: 1064 .. 1664.5 degC, 11.361 .. 19.739 mV, error -0.0005 .. 0.001 degC
constexpr double kR_1064_1664_5[] = {-8.199599416e+01, 1.553962042e-01, -8.342197663e-06,
                                     4.279433549e-10,  -1.19157791e-14, 1.492290091e-19};
// R: 1664.5 .. 1768.1 degC, 19.739 .. 21.103 mV, error -0.001 .. 0.002 degC
constexpr double kR_1664_5_1768_1[] = {3.406177836e+04, -7.023729171, 5.582903813e-04,
                                       -1.952394635e-08, 2.560740231e-13};
// N: -200 .. 0 degC, -3.99 .. 0 mV, error -0.02 .. 0.03 degC
constexpr double kN_m200_0[] = {0.0,           3.8436847e-02, 1.1010485e-06, 5.2229312e-09,
                                7.2060525e-12, 5.8488586e-15, 2.7754916e-18, 7.7075166e-22,
                                1.1582665e-25, 7.3138868e-30};
// N: 0 .. 600 degC, 0 .. 20.613 mV, error -0.02 .. 0.03 degC
constexpr double kN_0_600[] = {0.0,          3.86896e-02,  -1.08267e-06, 4.70205e-11,
                               -2.12169e-18, -1.17272e-19, 5.3928e-24,   -7.98156e-29};
// N: 600 .. 1300 degC, 20.613 .. 47.513 mV, error -0.04 .. 0.02 degC
constexpr double kN_600_1300[] = {1.972485e+01, 3.300943e-02,  -3.915159e-07,
                                  9.855391e-12, -1.274371e-16, 7.767022e-22};
// B: 250 .. 700 degC, 0.291 .. 2.431 mV, error -0.02 .. 0.03 degC
constexpr double kB_250_700[] = {9.8423321e+01,  6.99715e-01,    -8.4765304e-04,
                                 1.0052644e-06,  -8.3345952e-10, 4.5508542e-13,
                                 -1.5523037e-16, 2.988675e-20,   -2.474286e-24};
// B: 700 .. 1820 degC, 2.431 .. 13.82 mV, error -0.01 .. 0.02 degC
constexpr double kB_700_1820[] = {2.1315071e+02,  2.8510504e-01,  -5.2742887e-05,
                                  9.9160804e-09,  -1.2965303e-12, 1.119587e-16,
                                  -6.0625199e-21, 1.8661696e-25,  -2.4878585e-30};

// Rational functions of L = ln(x * 1e-4 + 0.1) for the tungsten-rhenium types C, D and G:
// t = 100 * P(L) / Q(L). Constant term first.
constexpr double kC_P0[] = {5.1774306099705,  0.35299919611845, -0.28112574678587,
                            0.33074239804438, 0.06127341449328, 0.0086016146591642};
constexpr double kC_Q0[] = {1,
                            -0.92428563928047,
                            0.39471094715038,
                            -0.092714875699396,
                            0.010771526370459,
                            -0.003218373357826};
constexpr double kC_P1[] = {5.1978060475181,  -0.87532533264474, -0.81124364723396,
                            -1.2863566896871, 0.92669914427219,  -0.35853751456904};
constexpr double kC_Q1[] = {1,
                            -1.1276397138831,
                            0.37729408487177,
                            -0.088631421865134,
                            0.038190275851135,
                            -0.0086004861251934};

constexpr double kD_P0[] = {5.46226544716,   -16.319905362466, 9.4545687604265,
                            14.111087697274, 3.137237128683,   0.14037686769395};
constexpr double kD_Q0[] = {
    1, -3.8990325364191, 4.8791769761501, -0.45283511905613, -0.40321861360257, 0.0040651122288936};
constexpr double kD_P1[] = {4.25390840916,     0.51628178174857, -0.57201583695184,
                            -0.15382072873389, 0.31357097557904, -0.61231506012748};
constexpr double kD_Q1[] = {
    1, -1.5200090988065, 1.6067476667216, -1.1614262924291, 0.39036071928776, -0.051297464177067};
constexpr double kD_P2[] = {7.7083225897176, -5.2403504979922};
constexpr double kD_Q2[] = {1, -1.1498176695588, 0.31926960669121};

constexpr double kG_P0[] = {0.21883733893434, -0.19638508371953, 0.043411412489143,
                            0.21696753085275, 0.062168193505153};
constexpr double kG_Q0[] = {1, 0.3545979121579, -0.22954466160969, -0.091648745935489,
                            -0.0029485192368888};
constexpr double kG_P1[] = {7.3154196885329, 3.3613555677209, -2.4045736556184, -1.6280019292528,
                            -0.23839965503992};
constexpr double kG_Q1[] = {1,
                            -0.23280235517201,
                            -0.37801333622365,
                            0.069109176178883,
                            0.054936077567085,
                            0.003193814255178};
constexpr double kG_P2[] = {7.3370876766561,  -1.5549971380794, -1.1531018181605,
                            -1.6963804429745, 0.23365408361932, 0.32237145883147};
constexpr double kG_Q2[] = {
    1, -0.92027199100371, 0.2358015454993, -0.25823561916855, 0.20656985834468, -0.041315683550771};

// Polynomial with its coefficients stored constant term first, summed upwards.
template <std::size_t N>
double Ascending(const double (&d)[N], double x) {
  double sum = 0;
  double power = 1;
  for (std::size_t i = 0; i < N; ++i) {
    sum += d[i] * power;
    power *= x;
  }
  return sum;
}

template <std::size_t NP, std::size_t NQ>
double Rational(const double (&p)[NP], const double (&q)[NQ], double l) {
  return 100 * Ascending(p, l) / Ascending(q, l);
}

struct TEmfLimits {
  double Lo;
  double Hi;
  const char* Message;  // nullptr: this type is not range checked
};

constexpr int kTypeCount = 12;

// Accepted EMF per type index, inclusive.
constexpr TEmfLimits kAccepted[kTypeCount] = {
    {-8095, 69553, "J Thermocouple \u00b5V out of range."},
    {0, 0, nullptr},                                         // K
    {-8825, 76373, "E Thermocouple \u00b5V out of range."},  // NIST's inverse range for E
    {-6258, 20872, "T Thermocouple \u00b5V out of range."},
    {0, 0, nullptr},  // S
    {-226.46518817384, 21102.70234786, "R Thermocouple \u00b5V out of range."},
    {-4345, 47513, "N Thermocouple \u00b5V out of range."},
    {-2.579382319873, 13820.279215181, "B Thermocouple \u00b5V out of range."},
    {-233, 37065.98, "C Thermocouple mV out of range."},
    {-163.23291, 39500.367, "D Thermocouple mV out of range."},
    {-15.8, 38564.395990718, "G Thermocouple mV out of range."},
    {0, 0, nullptr},  // none
};

// Bisection brackets per type index; for the checked types they equal the accepted range, so
// the search never raises.
constexpr double kBracket[kTypeCount][2] = {
    {-8095, 69553},                      // J
    {-6458, 54886},                      // K
    {-8825, 76373},                      // E
    {-6258, 20872},                      // T
    {-235.55507149267, 18693.544691},    // S
    {-226.46518817384, 21102.70234786},  // R
    {-4345, 47513},                      // N
    {-2.579382319873, 13820.279215181},  // B
    {-233, 37065.98},                    // C
    {-163.23291, 39500.367},             // D
    {-15.8, 38564.395990718},            // G
    {0, 0},                              // none
};

constexpr double kThermistorMinOhm = 66.468;
constexpr double kThermistorMaxOhm = 44297;

double ThermistorPolynomial(double l) {
  return 540.701786644811 - 155.418599410385 * l + 21.1149666388676 * l * l -
         1.83726783733946 * l * l * l + 0.0899211949273117 * l * l * l * l -
         0.00187627114897446 * l * l * l * l * l;
}

}  // namespace

double PolynomialValue(const double Coefficients[], int n, double x) {
  double sum = 0;
  double power = 1;
  for (int i = n; i >= 0; --i) {
    sum += Coefficients[i] * power;
    power *= x;
  }
  return sum;
}

double TemperatureFromEmf(std::uint8_t TypeIndex, double Emf) {
  if (TypeIndex >= kTypeCount) throw EThermocouple("Unknown thermocouple type.");
  const TEmfLimits& limits = kAccepted[TypeIndex];
  if (limits.Message != nullptr && !(Emf >= limits.Lo && Emf <= limits.Hi)) {
    throw EThermocouple(limits.Message);
  }
  const double x = Emf;
  switch (TypeIndex) {
    case 0:  // J
      if (x < 0) return Ascending(kJ_m210_0, x);
      if (x < 42919) return Ascending(kJ_0_760, x);
      return Ascending(kJ_760_1200, x);
    case 1:  // K
      if (x < 0) return Ascending(kK_m200_0, x);
      if (x < 20644) return Ascending(kK_0_500, x);
      return Ascending(kK_500_1372, x);
    case 2:  // E
      if (x < 0) return Ascending(kE_m200_0, x);
      return Ascending(kE_0_1000, x);
    case 3:  // T
      if (x < 0) return Ascending(kT_m200_0, x);
      return Ascending(kT_0_400, x);
    case 4:  // S
      if (x < 1874) return Ascending(kS_m50_250, x);
      if (x < 11950) return Ascending(kS_250_1200, x);
      if (x < 17536) return Ascending(kS_1064_1664_5, x);
      return Ascending(kS_1664_5_1768_1, x);
    case 5:  // R
      if (x < 1923) return Ascending(kR_m50_250, x);
      if (x < 13228) return Ascending(kR_250_1200, x);
      if (x < 19739) return Ascending(kR_1064_1664_5, x);
      return Ascending(kR_1664_5_1768_1, x);
    case 6:  // N
      if (x < 0) return Ascending(kN_m200_0, x);
      if (x < 20613) return Ascending(kN_0_600, x);
      return Ascending(kN_600_1300, x);
    case 7:  // B
      if (x < 2430.6259445764) return Ascending(kB_250_700, x);
      return Ascending(kB_700_1820, x);
    case 8: {  // C
      const double l = std::log(x / 1000000 * 100 + 0.1);
      if (x < 14020) return Rational(kC_P0, kC_Q0, l);
      return Rational(kC_P1, kC_Q1, l);
    }
    case 9: {  // D
      const double l = std::log(x / 1000000 * 100 + 0.1);
      if (x < 28870) return Rational(kD_P0, kD_Q0, l);
      if (x < 38277) return Rational(kD_P1, kD_Q1, l);
      return Rational(kD_P2, kD_Q2, l);
    }
    case 10: {  // G
      const double l = std::log(x / 1000000 * 100 + 0.1);
      if (x < 30.88) return Rational(kG_P0, kG_Q0, l);
      if (x < 3720.2) return Rational(kG_P1, kG_Q1, l);
      return Rational(kG_P2, kG_Q2, l);
    }
    default:  // 11: no thermocouple, the EMF in volts
      return x / 1000000;
  }
}

double EmfFromTemperature(std::uint8_t TypeIndex, double Temperature) {
  if (TypeIndex >= kTypeCount) return 0;
  const double lo = kBracket[TypeIndex][0];
  const double hi = kBracket[TypeIndex][1];
  double result = 0;
  double low = lo;
  double high = hi;
  double mid = (lo + hi) / 2;
  while (high - low > 0.1) {
    const double t = TemperatureFromEmf(TypeIndex, mid);
    result = mid;
    if (t >= Temperature) {
      high = mid;
    } else {
      low = mid;
    }
    mid = (low + high) / 2;
  }
  return result;
}

bool ThermistorTemperature(double Resistance, double& Temperature) {
  if (!(Resistance >= kThermistorMinOhm && Resistance <= kThermistorMaxOhm)) return false;
  Temperature = ThermistorPolynomial(std::log(Resistance));
  return true;
}

double ThermistorResistance(double TemperatureC) {
  if (std::isnan(TemperatureC)) return TemperatureC;
  // The temperature falls monotonically with ln R over the accepted range.
  double low = std::log(kThermistorMinOhm);   // hot end
  double high = std::log(kThermistorMaxOhm);  // cold end
  if (TemperatureC >= ThermistorPolynomial(low)) return kThermistorMinOhm;
  if (TemperatureC <= ThermistorPolynomial(high)) return kThermistorMaxOhm;
  for (int i = 0; i < 200; ++i) {
    const double mid = (low + high) / 2;
    if (mid <= low || mid >= high) break;
    if (ThermistorPolynomial(mid) > TemperatureC) {
      low = mid;
    } else {
      high = mid;
    }
  }
  return std::exp((low + high) / 2);
}
