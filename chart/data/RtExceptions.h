// Exceptions raised by the chart objects. Their messages are fixed texts that callers may show.
#pragma once

#include <stdexcept>
#include <string>

// Base of every exception the chart side raises.
class ERtError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An element index outside the valid range of a vector.
class ERtRangeError : public ERtError {
 public:
  using ERtError::ERtError;
};

// A calculation that cannot be carried out (missing data, singular sums).
class ERtMathError : public ERtError {
 public:
  using ERtError::ERtError;
};

// "i=<i> index out of range"
inline std::string RtIndexOutOfRangeText(long long i) {
  return "i=" + std::to_string(i) + " index out of range";
}
