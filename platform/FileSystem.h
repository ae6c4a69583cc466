// The file and folder checks of the program's writers (data files, the start-up resource).
#pragma once

#include <string>

// True when path names an existing file that is not a folder.
bool FileExists(const std::string& path);

// True when path names an existing folder.
bool DirectoryExists(const std::string& path);

// Creates the folder path (its parent must exist) unless it is one already. True when path is
// a folder afterwards, also when another process made it meanwhile.
bool MakeFolder(const std::string& path);

// Makes the folder's entries (files created, renamed or removed in it) durable. True on success.
bool SyncFolder(const std::string& path);
