// Replaces the process-wide format settings for the lifetime of the guard, and restores the
// earlier ones however the test ends.
#pragma once

#include "platform/FormatSettings.h"

class ScopedFormatSettings {
 public:
  ScopedFormatSettings() : saved_(FormatSettings()) {}
  explicit ScopedFormatSettings(const TFormatSettings& settings) : saved_(FormatSettings()) {
    SetFormatSettings(settings);
  }
  ~ScopedFormatSettings() { SetFormatSettings(saved_); }
  ScopedFormatSettings(const ScopedFormatSettings&) = delete;
  ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

  // The user's settings with a decimal comma and "." for thousands.
  static TFormatSettings DecimalComma() {
    TFormatSettings fs = FormatSettings();
    fs.DecimalSeparator = ",";
    fs.ThousandSeparator = ".";
    return fs;
  }

 private:
  TFormatSettings saved_;
};
