#include "platform/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/FileSystem.h"

namespace {

void SleepMs(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

std::string TempNameFor(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return target + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

}  // namespace

bool ReadEmbeddedResource(const std::string& name, std::string& bytes) {
  if (name.empty()) return false;
  QString path = QStringLiteral(":/") + QString::fromStdString(name);
  if (!QFile::exists(path)) {
    // Resource names match without regard to case.
    path.clear();
    const QString wanted = QString::fromStdString(name);
    const QStringList entries = QDir(QStringLiteral(":/")).entryList(QDir::Files);
    for (const QString& e : entries) {
      if (e.compare(wanted, Qt::CaseInsensitive) == 0) {
        path = QStringLiteral(":/") + e;
        break;
      }
    }
    if (path.isEmpty()) return false;
  }
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray data = f.readAll();
  bytes.assign(data.constData(), std::size_t(data.size()));
  return true;
}

bool WriteEmbeddedResourceOnce(const std::string& name, const std::string& targetPath) {
  if (FileExists(targetPath)) return true;
  std::string bytes;
  if (!ReadEmbeddedResource(name, bytes)) return false;
  const std::string temp = TempNameFor(targetPath);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), targetPath.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok && FileExists(targetPath);
}

TExtractResult ExtractResourceToFile(const std::string& folder, const std::string& fileName,
                                     const std::string& resourceName, int maxFolderAttempts) {
  for (int attempt = 0; !DirectoryExists(folder); ++attempt) {
    if (attempt >= maxFolderAttempts) return TExtractResult::NoFolder;
    MakeFolder(folder);
    SleepMs(100);
  }
  const std::string target = folder + "/" + fileName;
  if (FileExists(target)) return TExtractResult::AlreadyPresent;
  std::string probe;
  if (!ReadEmbeddedResource(resourceName, probe)) return TExtractResult::NoResource;
  if (!WriteEmbeddedResourceOnce(resourceName, target)) return TExtractResult::WriteFailed;
  SleepMs(150);
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
  return TExtractResult::Written;
}

bool PrepareDllFolder(const std::string& baseDir, const TDllFolderOptions& options) {
  const std::string folder = (baseDir.empty() ? std::string(".") : baseDir) + "/" + kDllFolderName;
  MakeFolder(folder);
  const std::string target = folder + "/" + kDriverFileName;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(options.TimeoutMs);
  while (std::chrono::steady_clock::now() < deadline && !FileExists(target)) {
    const TExtractResult r = ExtractResourceToFile(folder, kDriverFileName, kDriverResourceName,
                                                   options.MaxFolderAttempts);
    if (r == TExtractResult::NoFolder || r == TExtractResult::NoResource) break;
    SleepMs(options.RetryPauseMs);
  }
  return FileExists(target);
}

bool PrepareDllFolder(const std::string& baseDir) {
  return PrepareDllFolder(baseDir, TDllFolderOptions{});
}
