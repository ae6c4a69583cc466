#include "app/TestHooks.h"

#include <unistd.h>

#include <cstdio>

#include "app/DataFiles.h"
#include "app/frmZenkar2.h"

namespace {

[[noreturn]] void PauseForGood(const char* name) {
  std::fprintf(stderr, "test hook: paused %s\n", name);
  std::fflush(stderr);
  for (;;) ::pause();
}

}  // namespace

bool ApplyTestHooks(const std::vector<std::string>& hooksAsked, TFormZenkar2& window,
                    std::string& error) {
  TDataFileHooks hooks = DataFileHooks();
  for (const std::string& hook : hooksAsked) {
    const size_t eq = hook.find('=');
    const std::string name = hook.substr(0, eq);
    int n = 0;
    try {
      n = eq == std::string::npos ? 0 : std::stoi(hook.substr(eq + 1));
    } catch (...) {
      n = 0;
    }
    if (n < 1) {
      error = "a whole number of 1 or more after '=' in '" + hook + "'";
      return false;
    }
    if (name == "autosave-every") {
      window.SetAutosavePeriod(n);
    } else if (name == "pause-in-autosave") {
      hooks.AfterRow = [n, seen = 0](int row, int firstRow, int rows) mutable {
        if (rows - firstRow < 2 || row != firstRow) return;
        if (++seen == n) PauseForGood("in-autosave");
      };
    } else if (name == "pause-after-autosave") {
      hooks.AfterAutosave = [n, seen = 0]() mutable {
        if (++seen == n) PauseForGood("after-autosave");
      };
    } else {
      error = "no test hook named '" + name + "'";
      return false;
    }
  }
  SetDataFileHooks(hooks);
  return true;
}
