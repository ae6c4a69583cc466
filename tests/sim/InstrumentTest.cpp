// The simulated SourceMeter and multimeter behind the controller: SCPI forms, settings,
// errors, readings and what they measure of the cell.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "sim/CellModel.h"
#include "tests/sim/BenchFixture.h"
#include "thermo/Thermocouples.h"

namespace {

using simtest::BenchTest;
using simtest::FastOptions;

std::vector<double> Numbers(const std::string& reply) {
  std::vector<double> v;
  std::stringstream in(reply);
  std::string item;
  while (std::getline(in, item, ',')) v.push_back(std::stod(item));
  return v;
}

// The SourceMeter's cell set-up list, as the driver sends it.
const char* const kSmuSetup[] = {
    "*RST",
    ":ROUT:TERM REAR",
    ":SOUR:FUNC CURR",
    ":SOUR:CURR:MODE FIXED",
    ":SOUR:CURR:RANGE:AUTO 1",
    ":SOUR:CURR:LEVEL 0",
    ":SENS:CURR:PROT 0.008",
    ":SENS:VOLT:PROT 1",
    ":OUTPUT:STATE 1",
    ":SENS:FUNC:CONC ON",
    ":SENS:CURR:DC:RANGE:AUTO 1",
    ":SENS:VOLT:DC:RANGE:AUTO 1",
    ":SENS:FUNC:ON \"VOLT:DC\", \"CURR:DC\" ",
    ":FORM:ELEM VOLT,CURR ",
};

// The multimeter's cell set-up list.
const char* const kDmmSetup[] = {
    "*RST",
    ":SYST:BEEP:STAT 1",
    ":INIT:CONT OFF",
    ":SENS:FUNC 'RES'",
    ":SENS:RES:NPLC 10",
    ":SENS:RES:AVER:STAT 1",
    ":SENS:RES:AVER:TCON REP",
    ":SENS:RES:AVER:COUN 3",
    ":SENS:RES:RANGE 2300",
    ":SENS:FUNC 'VOLT:DC'",
    ":SENS:VOLT:DC:NPLC 10",
    ":SENS:VOLT:DC:AVER:STAT 1",
    ":SENS:VOLT:DC:AVER:TCON REP",
    ":SENS:VOLT:DC:AVER:COUN 3",
    ":SENS:VOLT:DC:RANGE:AUTO 1",
    ":SENS:VOLT:DC:RANGE 1",
};

using SourceMeter = BenchTest;
using Multimeter = BenchTest;

TEST_F(SourceMeter, CellSetupReadsBackEverySetting) {
  StartBench();
  Address(1);
  for (const char* m : kSmuSetup) Client().Send(m);
  EXPECT_EQ(Query(":ROUT:TERM?"), "REAR\n");
  EXPECT_EQ(Query(":SOUR:FUNC?"), "CURR\n");
  EXPECT_EQ(Query(":SOUR:CURR:MODE?"), "FIX\n");
  EXPECT_EQ(Query(":SOUR:CURR:RANGE:AUTO?"), "1\n");
  EXPECT_EQ(Query(":SOUR:CURR:LEVEL?"), "+0.000000E+00\n");
  EXPECT_EQ(Query(":SENS:CURR:PROT?"), "+8.000000E-03\n");
  EXPECT_EQ(Query(":SENS:VOLT:PROT?"), "+1.000000E+00\n");
  EXPECT_EQ(Query(":OUTP?"), "1\n");
  EXPECT_EQ(Query(":SENS:FUNC:CONC?"), "1\n");
  EXPECT_EQ(Query(":SENS:CURR:DC:RANGE:AUTO?"), "1\n");
  EXPECT_EQ(Query(":SENS:VOLT:DC:RANGE:AUTO?"), "1\n");
  EXPECT_EQ(Query(":SENS:FUNC:ON?"), "\"VOLT:DC\",\"CURR:DC\"\n");
  EXPECT_EQ(Query(":FORM:ELEM?"), "VOLT,CURR\n");
  EXPECT_EQ(NextError(), "0,\"No error\"\n");
}

TEST_F(SourceMeter, HeadersInAnyCaseShortOrLongWithOptionalNodes) {
  StartBench();
  Address(1);
  Client().Send(":sour:func curr");
  EXPECT_EQ(Query(":SOURce:FUNCtion:MODE?"), "CURR\n");
  Client().Send("SOURCE:FUNCTION VOLTAGE");
  EXPECT_EQ(Query(":sour:func?"), "VOLT\n");
  Client().Send(":Source:Current:Level:Immediate:Amplitude 1.5E-3");
  EXPECT_EQ(Query(":SOUR:CURR?"), "+1.500000E-03\n");
  Client().Send(":SOUR:CURR 2.5E-6");
  EXPECT_EQ(Query("SOUR:CURR:LEV?"), "+2.500000E-06\n");
  Client().Send(":SENSe:CURRent:DC:PROTection:LEVel 0.01");
  EXPECT_EQ(Query(":CURR:PROT?"), "+1.000000E-02\n");
  EXPECT_EQ(Query(":SENS:CURR:PROT? MAX"), "+1.050000E+00\n");
  Client().Send(":SENS:VOLT:PROT MIN");
  EXPECT_EQ(Query(":SENS:VOLT:PROT?"), "+2.000000E-04\n");
  EXPECT_EQ(NextError(), "0,\"No error\"\n");
}

TEST_F(SourceMeter, SeveralCommandsInOneLine) {
  StartBench();
  Address(1);
  // A leading ':' starts at the root; without it a header continues the previous path.
  Client().Send(":SOUR:FUNC CURR;:SOUR:CURR:MODE FIX;LEV 0.004;:OUTP ON");
  EXPECT_EQ(Query(":SOUR:FUNC?;:SOUR:CURR?;:OUTP?"), "CURR;+4.000000E-03;1\n");
  EXPECT_EQ(Query("*IDN?;*OPT?").find(";0\n") != std::string::npos, true);
  // Common commands in between keep the path.
  Client().Send(":SENS:CURR:PROT 0.002;*CLS;:SENS:VOLT:PROT 0.5");
  EXPECT_EQ(Query(":SENS:CURR:PROT?;:SENS:VOLT:PROT?"), "+2.000000E-03;+5.000000E-01\n");
}

TEST_F(SourceMeter, ErrorQueueAndStatusByte) {
  StartBench();
  Address(1);
  EXPECT_EQ(NextError(), "0,\"No error\"\n");
  EXPECT_EQ(Poll(), "0\r\n");
  Client().Send(":SOUR:BOGUS 1");
  EXPECT_EQ(Poll(), "4\r\n");  // error available
  Client().Send(":SOUR:CURR ABC");
  Client().Send(":SOUR:CURR 5");
  Client().Send(":SOUR:FUNC SIDEWAYS");
  Client().Send(":SENS:CURR:PROT");
  EXPECT_EQ(Query(":SYST:ERR:COUN?"), "5\n");
  EXPECT_EQ(NextError(), "-113,\"Undefined header\"\n");
  EXPECT_EQ(NextError(), "-104,\"Data type error\"\n");
  EXPECT_EQ(NextError(), "-222,\"Parameter data out of range\"\n");
  EXPECT_EQ(NextError(), "-224,\"Illegal parameter value\"\n");
  EXPECT_EQ(NextError(), "-109,\"Missing parameter\"\n");
  EXPECT_EQ(NextError(), "0,\"No error\"\n");
  EXPECT_EQ(Query(":SOUR:CURR?"), "+0.000000E+00\n");  // the bad values changed nothing

  // Command and execution errors show in the event status register.
  Client().Send("*CLS");
  Client().Send(":NOPE");
  Client().Send(":SOUR:CURR 5");
  EXPECT_EQ(Query("*ESR?"), "48\n");
  Client().Send("*ESE 32;:NOPE");
  EXPECT_EQ(Poll(), "36\r\n");  // summary of the enabled event, and the error
  Client().Send("*CLS");
  EXPECT_EQ(Poll(), "0\r\n");
  EXPECT_EQ(Query("*STB?"), "0\n");  // formed before it is waiting itself
}

TEST_F(SourceMeter, UnreadReplyIsDiscardedByTheNextMessage) {
  StartBench();
  Address(1);
  Client().Send("*IDN?");
  Client().Send("*OPT?");
  EXPECT_EQ(Query(":SYST:ERR?"), "-410,\"Query INTERRUPTED\"\n");
}

TEST_F(SourceMeter, ReadingElements) {
  StartBench();
  Address(1);
  Client().Send("*RST");
  std::vector<double> all = Numbers(Query(":READ?"));
  EXPECT_EQ(all.size(), 5u);  // voltage, current, resistance, time stamp, status
  Client().Send(":FORM:ELEM VOLT,CURR");
  std::string two = Query(":READ?");
  ASSERT_EQ(two.size(), 28u) << two;  // "+1.234560E-01,+2.000000E-03" and LF
  EXPECT_EQ(two[0] == '+' || two[0] == '-', true);
  EXPECT_EQ(two.substr(9, 1), "E");
  EXPECT_EQ(two.substr(13, 1), ",");
  Client().Send(":TRIG:COUN 3");
  EXPECT_EQ(Numbers(Query(":READ?")).size(), 6u);
  Client().Send(":TRIG:COUN 1");
  EXPECT_EQ(Numbers(Query(":FETC?")).size(), 6u);  // the last readings again
}

TEST_F(SourceMeter, MeasuresThePump) {
  sim::BenchOptions o = FastOptions();
  o.Cell.VolumeML = 1000;  // the cell hardly moves during the test
  StartBench(o);
  Address(1);
  for (const char* m : kSmuSetup) Client().Send(m);
  const double r = o.Cell.PumpResistanceOhm;

  // Output on, 2 mA: the current is sourced, the voltage is I R plus the Nernst voltage.
  Client().Send(":SOUR:CURR:LEVEL 0.002");
  std::vector<double> v = Numbers(Query(":READ?"));
  ASSERT_EQ(v.size(), 2u);
  EXPECT_DOUBLE_EQ(v[1], 2e-3);
  EXPECT_NEAR(v[0], 2e-3 * r + Bench().SensorVoltageV(), 1e-5);
  EXPECT_NEAR(Bench().PumpCurrentA(), 2e-3, 1e-12);

  // The voltage compliance limits the current.
  Client().Send(":SENS:VOLT:PROT 0.05");
  v = Numbers(Query(":READ?"));
  ASSERT_EQ(v.size(), 2u);
  EXPECT_DOUBLE_EQ(v[0], 0.05);
  EXPECT_LT(v[1], 2e-3);
  EXPECT_NEAR(v[1], (0.05 - Bench().SensorVoltageV()) / r, 1e-6);
  EXPECT_NEAR(Bench().PumpCurrentA(), v[1], 1e-6);

  // Output off: no current, the open-circuit voltage of the pump.
  Client().Send(":OUTP OFF");
  v = Numbers(Query(":READ?"));
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(v[1], 0);
  EXPECT_NEAR(v[0], Bench().SensorVoltageV(), 1e-6);
  EXPECT_EQ(Bench().PumpCurrentA(), 0);
}

TEST_F(SourceMeter, PumpCurrentMovesTheCellToItsSteadyState) {
  sim::BenchOptions o = FastOptions();
  o.Cell.VolumeML = 0.01;  // time constant about 0.3 s
  StartBench(o);
  Address(1);
  for (const char* m : kSmuSetup) Client().Send(m);
  const double current = 2e-3;
  Client().Send(":SOUR:CURR:LEVEL 0.002");
  EXPECT_EQ(Query(":SOUR:CURR?"), "+2.000000E-03\n");
  const double steady =
      o.Cell.RefPressureBar - current / (4 * sim::kFaraday * o.Cell.LeakMolPerSecBar);
  double p = 0;
  for (int i = 0; i < 100; ++i) {
    p = Bench().CellPressureBar();
    if (std::fabs(p - steady) < steady * 1e-3) break;
    Client().ReadFor(50);  // pause
  }
  EXPECT_NEAR(p, steady, steady * 1e-3);
}

TEST_F(Multimeter, CellSetupReadsBackEverySetting) {
  StartBench();
  Address(2);
  for (const char* m : kDmmSetup) Client().Send(m);
  EXPECT_EQ(Query(":SYST:BEEP:STAT?"), "1\n");
  EXPECT_EQ(Query(":INIT:CONT?"), "0\n");
  EXPECT_EQ(Query(":SENS:FUNC?"), "\"VOLT:DC\"\n");
  EXPECT_EQ(Query(":SENS:RES:NPLC?"), "+1.000000E+01\n");
  EXPECT_EQ(Query(":SENS:RES:AVER:STAT?"), "1\n");
  EXPECT_EQ(Query(":SENS:RES:AVER:TCON?"), "REP\n");
  EXPECT_EQ(Query(":SENS:RES:AVER:COUN?"), "3\n");
  EXPECT_EQ(Query(":SENS:RES:RANGE?"), "+1.000000E+04\n");  // 2300 ohm needs the 10 k range
  EXPECT_EQ(Query(":SENS:RES:RANGE:AUTO?"), "0\n");
  EXPECT_EQ(Query(":SENS:VOLT:DC:NPLC?"), "+1.000000E+01\n");
  EXPECT_EQ(Query(":SENS:VOLT:DC:AVER:STAT?"), "1\n");
  EXPECT_EQ(Query(":SENS:VOLT:DC:AVER:TCON?"), "REP\n");
  EXPECT_EQ(Query(":SENS:VOLT:DC:AVER:COUN?"), "3\n");
  EXPECT_EQ(Query(":SENS:VOLT:DC:RANGE?"), "+1.000000E+00\n");
  EXPECT_EQ(Query(":SENS:VOLT:DC:RANGE:AUTO?"), "0\n");  // the fixed range came last
  EXPECT_EQ(NextError(), "0,\"No error\"\n");
  Client().Send("func 'res'");
  EXPECT_EQ(Query(":SENS:FUNC?"), "\"RES\"\n");
}

TEST_F(Multimeter, ScannerChannelsCarryTheCell) {
  sim::BenchOptions o = FastOptions();
  o.Cell.InitialPressureBar = 0.1;
  o.Cell.VolumeML = 1000;
  StartBench(o);
  Address(2);
  for (const char* m : kDmmSetup) Client().Send(m);
  Client().Send(":ROUT:OPEN:ALL");
  Client().Send(":ROUT:CLOSE (@2)");
  EXPECT_EQ(Query(":ROUT:CLOSE?"), "(@2)\n");
  std::string sensor = Query("func 'Volt:DC';:MEAS?");
  EXPECT_EQ(sensor.size(), 16u) << sensor;  // "+1.23456789E-03" and LF
  EXPECT_NEAR(std::stod(sensor), Bench().SensorVoltageV(), 1e-7);
  EXPECT_GT(std::stod(sensor), 0.01);

  Client().Send(":ROUT:CLOSE (@4)");
  double tc = (EmfFromTemperature(4, o.Cell.FurnaceC) - EmfFromTemperature(4, o.Cell.BoxC)) * 1e-6;
  EXPECT_NEAR(std::stod(Query(":MEAS?")), tc, 1e-8);
  EXPECT_GT(tc, 5e-3);  // type S at 700 degC against 25 degC: about 6 mV

  Client().Send(":ROUT:CLOSE (@5)");
  double thermistor = std::stod(Query("func 'res';:MEAS?"));
  EXPECT_NEAR(thermistor, ThermistorResistance(o.Cell.BoxC), 1e-3);
  EXPECT_NEAR(thermistor, 2000, 200);

  Client().Send(":ROUT:CLOSE (@1)");
  EXPECT_NEAR(std::stod(Query(":MEAS?")), o.Cell.LeadResistanceOhm, 1e-9);
  EXPECT_EQ(Query(":SYSTem:FRSWitch?"), "0\n");  // rear inputs

  Client().Send(":ROUT:CLOSE (@3)");
  EXPECT_EQ(Query(":MEAS?"), "+9.90000000E+37\n");  // nothing on channel 3
  Client().Send(":ROUT:OPEN:ALL");
  EXPECT_EQ(Query(":ROUT:CLOSE?"), "(@)\n");
  EXPECT_EQ(Query(":MEAS:VOLT?"), "+0.00000000E+00\n");
  Client().Send(":ROUT:CLOSE (@11)");
  EXPECT_EQ(NextError(), "-222,\"Parameter data out of range\"\n");
}

TEST_F(Multimeter, FixedRangeOverflows) {
  sim::BenchOptions o = FastOptions();
  o.Cell.InitialPressureBar = 1e-4;  // sensor voltage about 0.16 V
  o.Cell.VolumeML = 1e6;             // so large that the leak hardly changes it
  StartBench(o);
  Address(2);
  Client().Send(":ROUT:CLOSE (@2);:SENS:FUNC 'VOLT:DC';:SENS:VOLT:DC:RANGE 0.1");
  EXPECT_EQ(Query(":MEAS?"), "+9.90000000E+37\n");
  Client().Send(":SENS:VOLT:DC:RANGE:AUTO ON");
  EXPECT_NEAR(std::stod(Query(":MEAS?")), Bench().SensorVoltageV(), 1e-7);
}

TEST_F(Multimeter, NoiseOnTheSensorReadings) {
  sim::BenchOptions o = FastOptions();
  o.Cell.NoiseMicroVolt = 3;
  o.Cell.VolumeML = 1000;
  StartBench(o);
  Address(2);
  Client().Send(":ROUT:CLOSE (@2)");
  double first = std::stod(Query(":MEAS?"));
  double second = std::stod(Query(":MEAS?"));
  EXPECT_NE(first, second);
  EXPECT_NEAR(first, Bench().SensorVoltageV(), 30e-6);
  EXPECT_NEAR(second, Bench().SensorVoltageV(), 30e-6);
}

TEST_F(Multimeter, WithoutScannerCard) {
  sim::BenchOptions o = FastOptions();
  o.ScannerCardFitted = false;
  StartBench(o);
  Address(2);
  EXPECT_EQ(Query("*OPT?"), "0,0\n");
  Client().Send(":ROUT:CLOSE (@2)");
  EXPECT_EQ(NextError(), "-241,\"Hardware missing\"\n");
  EXPECT_EQ(Query(":MEAS:RES?"), "+9.90000000E+37\n");
}

}  // namespace
