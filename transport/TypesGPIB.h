// GPIB types shared by the controller, the drivers and the instrument search.
#pragma once

#include <bitset>
#include <cstdint>
#include <stdexcept>
#include <string>

enum class TGPIBTerminator : uint8_t { ct1310 = 0, ct13 = 1, ct10 = 2, ctNo = 3 };

// "CR+LF", "CR", "LF", "Nothing"; any other value "Unknown".
std::string TerminatorName(TGPIBTerminator t);
std::string TerminatorName(uint8_t t);

// A GPIB primary address, 0 to 30.
using TGPIBAddressSpace = uint8_t;
inline constexpr TGPIBAddressSpace kGPIBAddressMax = 30;

// Bit n set: address n answered a serial poll.
using TGPIBSpollResult = std::bitset<32>;

// Raised when a text that must be an integer is not one (a serial-poll reply, for instance).
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Integer of a text: optional sign, decimal digits, or hex after "$" or "0x". Throws
// EConvertError ("'<text>' is not a valid integer value") otherwise.
int32_t StrToInt(const std::string& text);

// Text without leading and trailing blanks and control characters.
std::string Trim(const std::string& text);
