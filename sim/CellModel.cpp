#include "sim/CellModel.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {
constexpr double kKelvin = 273.15;
// Far below any pressure a compliance of 21 V lets the pump reach, even at room temperature.
constexpr double kMinLogPressure = -20000;
}  // namespace

CellModel::CellModel(const CellParameters& p) : params_(p), rng_(p.Seed) {
  SetPressureBar(p.InitialPressureBar);
}

void CellModel::SetParameters(const CellParameters& p) {
  if (p.InitialPressureBar != params_.InitialPressureBar) SetPressureBar(p.InitialPressureBar);
  if (p.Seed != params_.Seed) rng_.seed(p.Seed);
  params_ = p;
}

void CellModel::SetPressureBar(double p) {
  logPressure_ =
      std::isfinite(p) && p > 0 ? std::max(std::log(p), kMinLogPressure) : kMinLogPressure;
}

double CellModel::PressureBar() const {
  return std::exp(logPressure_);
}

double CellModel::NernstSlopeV() const {
  return kGasConstant * (params_.FurnaceC + kKelvin) / (4 * kFaraday);
}

double CellModel::MolPerBar() const {
  // 1 bar = 1e5 Pa, 1 mL = 1e-6 m3.
  return params_.VolumeML * 1e-6 * 1e5 / (kGasConstant * (params_.FurnaceC + kKelvin));
}

double CellModel::NernstVoltageAtLog(double logPressure) const {
  double ref = params_.RefPressureBar > 0 ? std::log(params_.RefPressureBar) : kMinLogPressure;
  return NernstSlopeV() * (ref - logPressure);
}

PumpOperatingPoint CellModel::PumpAtLog(double logPressure) const {
  PumpOperatingPoint op;
  double e = NernstVoltageAtLog(logPressure);
  double r = std::max(params_.PumpResistanceOhm, 1e-6);
  if (!source_.OutputOn) {
    op.VoltageV = e;
    return op;
  }
  if (source_.SourceCurrent) {
    double i = source_.CurrentLevelA;
    double u = i * r + e;
    double limit = std::fabs(source_.VoltageComplianceV);
    if (std::fabs(u) > limit) {
      u = u > 0 ? limit : -limit;
      double limited = (u - e) / r;
      // The source never drives more than it is set to, nor against its own sign.
      if (i >= 0)
        limited = std::clamp(limited, 0.0, i);
      else
        limited = std::clamp(limited, i, 0.0);
      i = limited;
      op.InCompliance = true;
    }
    op.CurrentA = i;
    op.VoltageV = u;
  } else {
    double u = source_.VoltageLevelV;
    double i = (u - e) / r;
    double limit = std::fabs(source_.CurrentComplianceA);
    if (std::fabs(i) > limit) {
      i = i > 0 ? limit : -limit;
      u = i * r + e;
      op.InCompliance = true;
    }
    op.CurrentA = i;
    op.VoltageV = u;
  }
  return op;
}

double CellModel::Rate(double logPressure) const {
  double molPerSec = -PumpAtLog(logPressure).CurrentA / (4 * kFaraday) +
                     params_.LeakMolPerSecBar * (params_.RefPressureBar - std::exp(logPressure));
  return molPerSec / MolPerBar();
}

// Solves p1 = p0 + h * Rate(p1). Rate falls with p (more leak in at low pressure, more pump
// current where the compliance lets it), so the left side minus the right rises with p1 and
// the root is unique; it is found by bisection on log p.
double CellModel::ImplicitStep(double logPressure, double h) const {
  const double p0 = std::exp(logPressure);
  auto g = [&](double y) { return std::exp(y) - p0 - h * Rate(y); };
  double lo = kMinLogPressure;
  if (g(lo) >= 0) return lo;
  double hi = std::log(std::max({p0, params_.RefPressureBar, 1e-9}) * 2);
  for (int n = 0; g(hi) < 0 && n < 200; ++n) hi += 1;
  for (int n = 0; n < 100 && hi - lo > 1e-12; ++n) {
    double mid = 0.5 * (lo + hi);
    if (g(mid) < 0)
      lo = mid;
    else
      hi = mid;
  }
  return 0.5 * (lo + hi);
}

void CellModel::Advance(double seconds) {
  if (!(seconds > 0)) return;
  // Steps short against the cell's time constant keep the implicit scheme accurate.
  double k = std::max(params_.LeakMolPerSecBar, 1e-30);
  double tau = MolPerBar() / k;
  double h = std::clamp(tau / 50, 1e-4, 0.05);
  long steps = std::min(static_cast<long>(std::ceil(seconds / h)), 200000L);
  h = seconds / static_cast<double>(steps);
  double y = logPressure_;
  for (long n = 0; n < steps; ++n) y = ImplicitStep(y, h);
  logPressure_ = y;
}

double CellModel::Noise(double sigma) {
  if (!(sigma > 0)) return 0;
  std::normal_distribution<double> d(0.0, sigma);
  return d(rng_);
}

}  // namespace sim
