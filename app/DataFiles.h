// The data files: every row of the seven data vectors as one fixed-width, semicolon-separated
// line in Windows-1252 with CR LF line ends, written by "Save all" into "Userdata" and appended
// by the hourly autosave into "Userdata/Autosave". No window: the caller shows the message boxes
// and owns the log, the timer and the cursor.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "chart/data/RtVectors.h"
#include "platform/CodePage1252.h"
#include "platform/FormatSettings.h"

// The seven vectors of a row, in file column order after the row number. Row count = count of
// Time; a shorter vector fails the save with its index error.
struct TDataColumns {
  const TRtCustomDoubleVector* Time = nullptr;
  const TRtCustomDoubleVector* Seconds = nullptr;
  const TRtCustomDoubleVector* SensorVoltage = nullptr;
  const TRtCustomDoubleVector* Setpoint = nullptr;
  const TRtCustomDoubleVector* PumpVoltage = nullptr;
  const TRtCustomDoubleVector* PumpCurrent = nullptr;
  const TRtCustomDoubleVector* Temperature = nullptr;  // outliers give an empty field
};

struct TSaveResult {
  bool ok = false;
  std::string errorClass;  // e.g. "EInOutError"; empty on success
  std::string message;
  std::string path;  // the data file, also on failure
  int rowsWritten = 0;
};

// Receives one line (UTF-8) at a time.
using TSaveLine = std::function<void(const std::string& line)>;

// Log and message texts.
inline constexpr const char* kAutosavingText = "Autosaving...";
inline constexpr const char* kSavingAllText = "Saving all data, this may take a while.";
inline constexpr const char* kSaveDoneText = "All done, resuming operation.";
inline constexpr const char* kNoUserdataFolderText = "Could not create 'Userdata' folder";
inline constexpr const char* kNoAutosaveFolderText = "Could not create 'Userdata\\Autosave' folder";

// ---- Lines (bytes in Windows-1252, each ending in CR LF)

// The 171 characters of labels and the CR LF.
std::string DataFileHeader();
// Row i (0-based) of the columns, numbered i + 1. Raises ERtRangeError when a vector is shorter.
std::string DataFileLine(const TDataColumns& columns, int i);
std::string DataFileLine(const TDataColumns& columns, int i, const TFormatSettings& fs);

// ---- Names ("/" separated)

std::string UserdataFolder(const std::string& baseDir);  // baseDir + "/Userdata"
std::string AutosaveFolder(const std::string& baseDir);  // baseDir + "/Userdata/Autosave"
std::string SaveAllFileName(TDateTime now);              // "2024-05-17_14_35.txt"
std::string AutosaveFileName(TDateTime now);             // "2024-05-17_14.txt"
std::string SaveAllPath(const std::string& baseDir, TDateTime now);
std::string AutosavePath(const std::string& baseDir, TDateTime now);

// ---- Saving. Both run on the caller's thread with the process-wide format settings.
//
// log gets the progress lines ("", the opening line, "<n>%" after every row index that is a
// multiple of 500, the closing line); folderMessage the text of a folder that could not be
// created (the caller shows it as a message box; the save goes on and then fails on the file).
// Either may be empty. A failed save leaves no partial data behind: an append is cut back to the
// file's earlier length, a new autosave file is removed, and Save all writes to a temporary file
// that replaces the target only when complete.

// Every row from row 0 into a new file named after now (an earlier file of the same minute is
// replaced).
TSaveResult SaveAll(const std::string& baseDir, const TDataColumns& columns, TDateTime now,
                    const TSaveLine& log, const TSaveLine& folderMessage = {});

// Rows AutosaveStartRow .. count-1 appended to the file of now's hour (created with its header
// when missing). AutosaveStartRow becomes the row count only when the save succeeds.
TSaveResult Autosave(const std::string& baseDir, const TDataColumns& columns, int& AutosaveStartRow,
                     TDateTime now, const TSaveLine& log, const TSaveLine& folderMessage = {});

// "Disk full (name)", "File access denied (name)" ... for a failed file operation.
std::string IoErrorText(int err, const std::string& file);

// Test hooks of the data files and the journal; none by default. Set before the files are used.
struct TDataFileHooks {
  // Asked before each write to path: an errno value fails the write with it, 0 lets it go.
  std::function<int(const std::string& path)> WriteError;
  // A save has written row (firstRow <= row < rows) to its file, the buffer already flushed.
  std::function<void(int row, int firstRow, int rows)> AfterRow;
  // An autosave is durable and the journal not yet emptied.
  std::function<void()> AfterAutosave;
};
void SetDataFileHooks(TDataFileHooks hooks);
const TDataFileHooks& DataFileHooks();

// The text of the failure message box: "Manual or automatic save failed.", the time now in the
// short date and long time form, the error class and the message, separated by blank lines.
std::string SaveFailureText(const TSaveResult& result, TDateTime now);
