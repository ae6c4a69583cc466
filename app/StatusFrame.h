// The framed status block the scheduler writes to the program log for each presented cycle.
#pragma once

#include <string>
#include <vector>

#include "app/CellState.h"

// The status frame of the presented cycle, one entry per log line (25 lines with the
// compliance and slow-query lines, 17 without either).
std::vector<std::string> StatusFrame(const TDataFromThread& d);
// " " for a number >= 0, otherwise empty (also for NaN).
std::string Space(double Number);
