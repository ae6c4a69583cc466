// An instrument that stops giving readings, and gives them again, is told in the program log
// once each way, not in every cycle.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Why an instrument gave no reading in a cycle's fast query.
inline constexpr const char* kNoAnswer = "no answer";
inline constexpr const char* kReplyNotANumber = "reply not a number";
// "reply not read (<status>)"
std::string ReplyNotReadText(const std::string& status);
// A serial poll that gave no number: "status byte not a number", or with the exchange's failure
// "no status byte (<status>)".
std::string StatusByteProblem(const std::string& status);

class TCycleFaults {
 public:
  // The lines for a presented cycle, from each instrument's problem (empty: it answered; none:
  // not asked, nothing changes): "<instrument>: <problem> since cycle <n>; its readings are
  // recorded as 0." when a problem begins or changes, "<instrument>: readings again from cycle
  // <n>." when it ends.
  std::vector<std::string> Cycle(int32_t cycle, const std::optional<std::string>& smuProblem,
                                 const std::optional<std::string>& dmmProblem);

 private:
  std::string fSmu, fDmm;
};
