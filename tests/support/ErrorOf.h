// The message of the exception a call raises, or "no error".
#pragma once

#include <exception>
#include <functional>
#include <string>

inline std::string ErrorOf(const std::function<void()>& Call) {
  try {
    Call();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}
