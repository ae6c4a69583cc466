#include "app/CycleFaults.h"

namespace {

void Track(std::vector<std::string>& out, const char* instrument, int32_t cycle,
           const std::optional<std::string>& asked, std::string& last) {
  if (!asked || *asked == last) return;
  const std::string& problem = *asked;
  const std::string n = std::to_string(cycle);
  if (problem.empty())
    out.push_back(std::string(instrument) + ": readings again from cycle " + n + ".");
  else
    out.push_back(std::string(instrument) + ": " + problem + " since cycle " + n +
                  "; its readings are recorded as 0.");
  last = problem;
}

}  // namespace

std::string ReplyNotReadText(const std::string& status) {
  return "reply not read (" + status + ")";
}

std::string StatusByteProblem(const std::string& status) {
  return status.empty() ? "status byte not a number" : "no status byte (" + status + ")";
}

std::vector<std::string> TCycleFaults::Cycle(int32_t cycle,
                                             const std::optional<std::string>& smuProblem,
                                             const std::optional<std::string>& dmmProblem) {
  std::vector<std::string> out;
  Track(out, "SourceMeter", cycle, smuProblem, fSmu);
  Track(out, "Multimeter", cycle, dmmProblem, fDmm);
  return out;
}
