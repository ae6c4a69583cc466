#include "app/ControlLaw.h"

#include "platform/FormatSettings.h"

TPiLawResult PiLaw(const TPiLawInput& in) {
  TPiLawResult r;
  std::vector<std::string>& m = r.Lines;
  m.push_back("");
  m.push_back("PID - control");
  const double e = in.TargetSetpoint - in.SensorVoltage;
  double integral = in.ElapsedSeconds * e + in.OldIntegral;
  const double B = in.ProportionalBand;
  const double Ti = in.IntegralStrength;
  const double Imax = in.CurrentCompliance;
  auto bandLines = [&] {
    m.push_back("Proportional band at : " + FormatFloat("0.######", in.TargetSetpoint - B) + " V");
    m.push_back("Sensor voltage at    : " + FormatFloat("0.######", in.SensorVoltage) + " V");
  };
  double q = 0;
  if (e > B) {
    q = Imax;
    integral = 0;
    m.push_back("Below proportional band, MAX pump current");
    bandLines();
    m.push_back("Integral zeroed");
  } else {
    m.push_back("Inside proportional band, PI control");
    bandLines();
    double P = B > 0 ? e / B : 0;
    if (!(P >= 0)) P = 0;
    m.push_back("Proportional effect  : " + FormatFloat("0.###", P * 100) + " %");
    m.push_back("Integral sum         : " + FormatFloat("0.#####", integral));
    const double BTi = B * Ti;
    double I = 0;
    if (BTi > 0) {
      if (!(integral <= BTi)) integral = BTi;
      if (-BTi > integral) integral = -BTi;
      I = integral / BTi;
    } else {
      integral = 0;
    }
    m.push_back("Integral effect      : " + FormatFloat("0.###", I * 100) + " %");
    m.push_back("Total effect         : " + FormatFloat("0.###", I * 100 + P * 100) + " %");
    q = (I + P) * Imax;
    if (q > Imax) q = Imax;
    if (!(q >= 0)) q = 0;
    m.push_back("Max current          : " + FormatFloat("0.###", Imax * 1000) + " mA");
    m.push_back("Apply current        : " + FormatFloat("0.###", q * 1000) + " mA");
  }
  r.LawCurrent = q;
  r.OutputCurrent = in.PumpIsOn ? q : 0;
  r.Integral = integral;
  return r;
}
