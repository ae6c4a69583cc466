// Hidden test options (--test-hook NAME=N, repeatable), for the tests that kill the program:
//   autosave-every=N          autosave every N cycles instead of 100
//   pause-in-autosave=K       stop for good in the K-th autosave of 2 rows or more, once its
//                             first row is in the file
//   pause-after-autosave=K    stop for good once the K-th autosave is durable, before the
//                             journal is emptied
// A stop prints "test hook: paused <name>" on standard error and waits to be killed.
#pragma once

#include <string>
#include <vector>

class TFormZenkar2;

// False with error for a hook it does not know.
bool ApplyTestHooks(const std::vector<std::string>& hooksAsked, TFormZenkar2& window,
                    std::string& error);
