// Switches the process's C locale (what std::toupper, strtod and printf follow) for the
// lifetime of the guard and restores the earlier one however the test ends. scripts/setup.sh
// generates the locales the tests name; one that is missing fails the test that needs it.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <string>

class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    saved_ = old != nullptr ? old : "C";
    ok_ = std::setlocale(LC_ALL, name) != nullptr;
    if (!ok_) ADD_FAILURE() << "locale " << name << " is not installed (scripts/setup.sh makes it)";
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

  bool Ok() const { return ok_; }

 private:
  std::string saved_;
  bool ok_ = false;
};

// The locales a locale-proof test runs under: the plain one and Turkish, whose upper case of
// "i" is not "I" and whose lower case of "I" is not "i".
inline const char* const kCaseTestLocales[] = {"C", "tr_TR.UTF-8"};

// Test-parameter name of a locale ("C", "tr_TR_UTF_8").
inline std::string LocaleParamName(const ::testing::TestParamInfo<const char*>& info) {
  std::string s = info.param;
  for (char& c : s) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) c = '_';
  }
  return s;
}
