// Modal message boxes of the program, through one replaceable handler so that tests and the
// headless run can answer them without blocking.
#pragma once

#include <functional>
#include <string>

using TMessageBoxHandler = std::function<void(const std::string& text)>;

// Shows text in a modal message box with an OK button (or passes it to the installed handler).
void ShowMessage(const std::string& text);

// Installs a handler that answers every message box; an empty function restores the dialog.
// Returns the handler that was installed before.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);
