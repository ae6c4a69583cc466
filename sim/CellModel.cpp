#include "sim/CellModel.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {
constexpr double kKelvin = 273.15;
}

CellModel::CellModel(const CellParameters& p)
    : params_(p), pressure_(std::max(p.InitialPressureBar, kMinPressureBar)), rng_(p.Seed) {}

void CellModel::SetParameters(const CellParameters& p) {
  if (p.InitialPressureBar != params_.InitialPressureBar) SetPressureBar(p.InitialPressureBar);
  if (p.Seed != params_.Seed) rng_.seed(p.Seed);
  params_ = p;
}

void CellModel::SetPressureBar(double p) {
  pressure_ = std::isfinite(p) ? std::max(p, kMinPressureBar) : kMinPressureBar;
}

double CellModel::NernstSlopeV() const {
  return kGasConstant * (params_.FurnaceC + kKelvin) / (4 * kFaraday);
}

double CellModel::MolPerBar() const {
  // 1 bar = 1e5 Pa, 1 mL = 1e-6 m3.
  return params_.VolumeML * 1e-6 * 1e5 / (kGasConstant * (params_.FurnaceC + kKelvin));
}

double CellModel::NernstVoltageAt(double pressureBar) const {
  double p = std::max(pressureBar, kMinPressureBar);
  double ref = std::max(params_.RefPressureBar, kMinPressureBar);
  return NernstSlopeV() * std::log(ref / p);
}

PumpOperatingPoint CellModel::PumpAt(double pressureBar) const {
  PumpOperatingPoint op;
  double e = NernstVoltageAt(pressureBar);
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

double CellModel::Rate(double p) const {
  double molPerSec = -PumpAt(p).CurrentA / (4 * kFaraday) +
                     params_.LeakMolPerSecBar * (params_.RefPressureBar - p);
  return molPerSec / MolPerBar();
}

// Solves p1 = p0 + h * Rate(p1). Rate falls with p (more leak in at low pressure, more pump
// current where the compliance lets it), so the left side minus the right rises with p1 and
// the root is unique; it is found by bisection on log p.
double CellModel::ImplicitStep(double p0, double h) const {
  auto g = [&](double p) { return p - p0 - h * Rate(p); };
  double lo = kMinPressureBar;
  if (g(lo) >= 0) return lo;
  double hi = std::max({p0, params_.RefPressureBar, 1e-9}) * 2;
  for (int n = 0; g(hi) < 0 && n < 200; ++n) hi *= 2;
  double llo = std::log(lo), lhi = std::log(hi);
  for (int n = 0; n < 80 && lhi - llo > 1e-13; ++n) {
    double mid = 0.5 * (llo + lhi);
    if (g(std::exp(mid)) < 0)
      llo = mid;
    else
      lhi = mid;
  }
  return std::exp(0.5 * (llo + lhi));
}

void CellModel::Advance(double seconds) {
  if (!(seconds > 0)) return;
  // Steps short against the cell's time constant keep the implicit scheme accurate.
  double k = std::max(params_.LeakMolPerSecBar, 1e-30);
  double tau = MolPerBar() / k;
  double h = std::clamp(tau / 50, 1e-4, 0.05);
  long steps = static_cast<long>(std::ceil(seconds / h));
  if (steps > 200000) {
    steps = 200000;
  }
  h = seconds / static_cast<double>(steps);
  double p = pressure_;
  for (long n = 0; n < steps; ++n) p = ImplicitStep(p, h);
  SetPressureBar(p);
}

double CellModel::Noise(double sigma) {
  if (!(sigma > 0)) return 0;
  std::normal_distribution<double> d(0.0, sigma);
  return d(rng_);
}

}  // namespace sim
