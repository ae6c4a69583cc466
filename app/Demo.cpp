// Demonstration on the simulated bench through the real drivers: both identifications, one
// DC-voltage reading on scanner channel 2, and one voltage-and-current reading of the
// SourceMeter after setting 1 mA.
#include <cstdio>
#include <exception>
#include <string>

#include "common/_Common2.h"
#include "instruments/Keithley2000_Scan_Zenkar.h"
#include "instruments/Keithley2401_Zenkar.h"
#include "sim/SimBench.h"

namespace {

std::string Identify(TGPIBDevice& dev, TKeithley2000& reader) {
  dev.CommunicatorInitialize();
  dev.Communicator()->GPIBSend2("*IDN?", false, 0);
  TSerialResponse r;
  reader.SetAddr(dev.Addr());
  return reader.GetResponse(r) ? Trim(r.Response) : "(no reply: " + r.Status + ")";
}

}  // namespace

int main() {
  SetLogSink([](const std::string& line) { std::printf("  log: %s\n", line.c_str()); });
  sim::BenchOptions options;
  options.RegisterInPortList = true;
  sim::Bench bench(options);
  std::string error;
  if (!bench.Start(&error)) {
    std::fprintf(stderr, "Cannot start the simulated bench: %s\n", error.c_str());
    return 1;
  }
  const std::string port = "COM" + std::to_string(bench.ComNumber());
  std::printf("Simulated bench on %s (%s)\n", bench.DevicePath().c_str(), port.c_str());

  TPrologix controller;
  TKeithley2401_Zenkar smu;
  TKeithley2000_Scan_Zenkar dmm;
  TKeithley2000 idReader;
  for (TGPIBDevice* d : {static_cast<TGPIBDevice*>(&smu), static_cast<TGPIBDevice*>(&dmm),
                         static_cast<TGPIBDevice*>(&idReader)}) {
    d->SetPort(port);
    d->SetCommunicator(&controller);
    d->SetReadTimeout(5000);
  }
  smu.SetAddr(1);
  dmm.SetAddr(2);

  try {
    std::printf("SourceMeter at 1: %s\n", Identify(smu, idReader).c_str());
    std::printf("Multimeter at 2:  %s\n", Identify(dmm, idReader).c_str());
    std::printf("Scanner card:     %s\n", dmm.Scan2000CardPresent() ? "fitted" : "missing");

    dmm.Initialize_For_Zenkar();
    dmm.UseSingleChanel(2);
    double e = 0;
    if (dmm.ReadDCVoltage(e))
      std::printf("Channel 2 (sensor): %.7f V\n", e);
    else
      std::printf("Channel 2 (sensor): no reading\n");

    smu.Initialize_For_Zenkar();
    smu.SetCurrentLevel(0.001);
    double v = 0, i = 0;
    if (smu.ReadVoltageCurrent(v, i))
      std::printf("SourceMeter at 1 mA: %.6f V, %.6f mA\n", v, i * 1000);
    else
      std::printf("SourceMeter at 1 mA: no reading\n");
  } catch (const std::exception& ex) {
    std::printf("Failed: %s\n", ex.what());
    return 1;
  }
  FlushLog();
  bench.Stop();
  return 0;
}
