// Routines every unit uses: the program log from any thread, numbers in instrument replies.
#pragma once

#include <functional>
#include <string>

// Receives the log lines on the main thread, in the order each thread added them.
using TLogSink = std::function<void(const std::string& line)>;

// Installs (or with an empty function removes) the program log. The calling thread becomes the
// thread that receives the lines. While no sink is installed, lines are dropped.
void SetLogSink(TLogSink sink);

// Appends one line to the program log; callable from any thread. Lines from the receiving thread
// are delivered at once (after any lines still queued from other threads); lines from other
// threads are queued and delivered on the receiving thread, through its Qt event loop when one
// runs, or by the next FlushLog.
void AddToLog(const std::string& Line);

// Delivers queued lines now; call on the receiving thread.
void FlushLog();

// Reads a number written with "." as decimal separator (every "," is taken as "."), in plain or
// scientific notation, after trimming blanks and control characters. Leaves Value unchanged and
// returns false when the text is not exactly one number.
bool TryParseNumber(const std::string& Text, double& Value);
