#include "platform/FileSystem.h"

#include <sys/stat.h>

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolder(const std::string& path) {
  if (DirectoryExists(path)) return true;
  return ::mkdir(path.c_str(), 0777) == 0 || DirectoryExists(path);
}
