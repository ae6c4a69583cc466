// Thermocouple EMF <-> temperature for eleven thermocouple types, and the instrument box's
// thermistor. Units: EMF in microvolts, temperature in degC (ITS-90), resistance in ohms.
// All functions are pure and allocate nothing; they may run on any thread.
#pragma once

#include <cstdint>
#include <stdexcept>

// Raised by TemperatureFromEmf for an EMF outside the accepted range of a checked type.
class EThermocouple : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Type index: 0 J, 1 K, 2 E, 3 T, 4 S, 5 R, 6 N, 7 B, 8 C, 9 D, 10 G, 11 none (volts).
//
// Temperature in degC for an EMF in uV; for index 11 the EMF in volts (Emf / 1 000 000).
// Accepted EMF (inclusive; anything else, NaN included, raises EThermocouple with the type's text):
//   J -8095 .. 69553, E -8825 .. 76373, T -6258 .. 20872,
//   R -226.46518817384 .. 21102.70234786, N -4345 .. 47513, B -2.579382319873 .. 13820.279215181,
//   C -233 .. 37065.98, D -163.23291 .. 39500.367, G -15.8 .. 38564.395990718.
// K, S and 11 are not checked. An index above 11 raises EThermocouple with the text
// "Unknown thermocouple type.".
double TemperatureFromEmf(std::uint8_t TypeIndex, double Emf);

// EMF in uV whose converted temperature is Temperature, found by bisection of TemperatureFromEmf
// over the type's EMF bracket down to an interval of 0.1 uV; returns the last EMF evaluated. A
// temperature outside the type's range gives an EMF near the end of the bracket. Index 11 and
// indices above 11 give 0. Never raises.
double EmfFromTemperature(std::uint8_t TypeIndex, double Temperature);

// Box thermistor: Temperature in degC from the resistance in ohms. Returns false, leaving
// Temperature untouched, unless 66.468 <= Resistance <= 44297 (about 150 degC down to -40 degC).
bool ThermistorTemperature(double Resistance, double& Temperature);

// Inverse of ThermistorTemperature (for simulating the box): the resistance in ohms at which
// ThermistorTemperature gives TemperatureC, found by bisection on ln R to full double precision.
// Temperatures beyond the thermistor's range give the nearest end resistance (66.468 ohm above
// about 150 degC, 44297 ohm below about -40 degC); NaN gives NaN.
double ThermistorResistance(double TemperatureC);

// Value of the n-th order polynomial whose n + 1 coefficients are stored highest order first:
// Coefficients[n] + Coefficients[n-1]*x + ... + Coefficients[0]*x^n, summed from the constant
// term upwards with a running power of x.
double PolynomialValue(const double Coefficients[], int n, double x);
