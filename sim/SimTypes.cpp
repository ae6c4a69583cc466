#include "sim/SimTypes.h"

#include "platform/AsciiCase.h"
#include "platform/TermiosPort.h"
#include "sim/GpibInstrument.h"

namespace sim {

namespace {
constexpr Fault kAllFaults[] = {
    Fault::SmuSilent,         Fault::DmmSilent,      Fault::ControllerSilent, Fault::GarbageReply,
    Fault::NonNumericReading, Fault::NonNumericPoll, Fault::NulBytesInReply,  Fault::LongReply,
    Fault::SlowMeasurement,   Fault::VanishDevice};

std::string Folded(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '-' && c != '_') out += AsciiLower(c);
  return out;
}
}  // namespace

const char* FaultName(Fault f) {
  switch (f) {
    case Fault::SmuSilent:
      return "SmuSilent";
    case Fault::DmmSilent:
      return "DmmSilent";
    case Fault::ControllerSilent:
      return "ControllerSilent";
    case Fault::GarbageReply:
      return "GarbageReply";
    case Fault::NonNumericReading:
      return "NonNumericReading";
    case Fault::NonNumericPoll:
      return "NonNumericPoll";
    case Fault::NulBytesInReply:
      return "NulBytesInReply";
    case Fault::LongReply:
      return "LongReply";
    case Fault::SlowMeasurement:
      return "SlowMeasurement";
    case Fault::VanishDevice:
      return "VanishDevice";
  }
  return "";
}

bool FaultFromName(const std::string& name, Fault& f) {
  for (Fault candidate : kAllFaults)
    if (Folded(FaultName(candidate)) == Folded(name)) {
      f = candidate;
      return true;
    }
  return false;
}

Clock::duration Scaled(Clock::duration nominal) {
  const double f = platform::TimeScale();
  if (f == 1.0) return nominal;
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double, Clock::period>(static_cast<double>(nominal.count()) / f));
}

}  // namespace sim
