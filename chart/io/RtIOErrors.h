// Exceptions of the chart's persistence: unreadable streams, number lists that do not convert,
// attribute texts that do not convert, files that cannot be created or opened.
#pragma once

#include <string>

#include "chart/data/RtExceptions.h"

inline constexpr const char* RtStreamReadErrorText = "Stream read error";
inline constexpr const char* RtStreamWriteErrorText = "Stream write error";
inline constexpr const char* RtFloatExtractionErrorText =
    "Error during floating point number extraction";
inline constexpr const char* RtIntegerExtractionErrorText = "Error during integer extraction";

// A binary stream that ends early or holds what cannot be there; a stream that cannot be written.
class ERtStreamError : public ERtError {
 public:
  using ERtError::ERtError;
};

// No number could be taken from a value list ("Error during ... extraction").
class ERtExtractError : public ERtError {
 public:
  using ERtError::ERtError;
};

// A text that does not convert to the type asked for ("'x' is not a valid integer value").
class ERtTextConvertError : public ERtError {
 public:
  using ERtError::ERtError;
};

// A file that cannot be created or opened.
class ERtFileError : public ERtError {
 public:
  using ERtError::ERtError;
};

// "'<text>' is not a valid <what>"
inline std::string RtNotValidText(const std::string& Text, const char* What) {
  return "'" + Text + "' is not a valid " + What;
}
