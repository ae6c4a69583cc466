// Raw-data resources carried inside the program (Qt's resource system, top level ":/<name>")
// and the start-up step that writes the controller's device rule into the "Dll" folder once.
#pragma once

#include <string>

// Name of the embedded resource that stands for the controller's driver installer.
inline constexpr const char* kDriverResourceName = "FTDIR";
// The file it is written to inside "Dll": a udev rule on Linux.
inline constexpr const char* kDriverFileName = "99-zenkar-prologix.rules";
inline constexpr const char* kDllFolderName = "Dll";

// The bytes of the top-level resource `name`, matched without regard to case. False when the
// program carries no such resource (the resource library was not linked in).
bool ReadEmbeddedResource(const std::string& name, std::string& bytes);

// Writes the resource to targetPath unless a file already exists there. The bytes go to a
// temporary file next to the target that is renamed into place, so a failed write never leaves
// a partial file that would stop later attempts. True when the file exists afterwards.
bool WriteEmbeddedResourceOnce(const std::string& name, const std::string& targetPath);

enum class TExtractResult { Written, AlreadyPresent, NoFolder, NoResource, WriteFailed };

// Makes sure folder exists (up to maxFolderAttempts creations, 100 ms apart), then writes the
// resource as folder + "/" + fileName unless that file exists; after a write it pauses 150 ms
// and lets a running Qt application process its pending events.
TExtractResult ExtractResourceToFile(const std::string& folder, const std::string& fileName,
                                     const std::string& resourceName, int maxFolderAttempts = 5);

struct TDllFolderOptions {
  // Total time allowed for writing the file, in milliseconds.
  int TimeoutMs = 5000;
  // Pause between attempts.
  int RetryPauseMs = 200;
  int MaxFolderAttempts = 5;
};

// The start-up step: creates baseDir + "/Dll" when missing (a failure is not reported here),
// then tries to write the driver resource as "Dll/99-zenkar-prologix.rules" until that file
// exists or the time is up. Gives up at once when the folder cannot be made or the resource is
// missing, since waiting would not change either. True when the file exists at the end; the
// program goes on either way.
bool PrepareDllFolder(const std::string& baseDir, const TDllFolderOptions& options);
bool PrepareDllFolder(const std::string& baseDir);
