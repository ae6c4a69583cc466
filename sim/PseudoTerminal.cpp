#include "sim/PseudoTerminal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace sim {

namespace {
bool Fail(std::string* error, const char* what) {
  if (error) *error = std::string(what) + ": " + std::strerror(errno);
  return false;
}

// Whether a descriptor of process pid ("self" or a number), other than skipFd, refers to path.
bool ProcessHasOpen(const std::string& pid, const std::string& path, int skipFd) {
  std::string dir = "/proc/" + pid + "/fd";
  DIR* fds = opendir(dir.c_str());
  if (!fds) return false;
  bool found = false;
  const std::string skip = std::to_string(skipFd);
  while (dirent* f = readdir(fds)) {
    if (f->d_name[0] == '.' || skip == f->d_name) continue;
    char target[256];
    ssize_t n = readlink((dir + "/" + f->d_name).c_str(), target, sizeof target);
    if (n > 0 && path.compare(0, std::string::npos, target, static_cast<size_t>(n)) == 0) {
      found = true;
      break;
    }
  }
  closedir(fds);
  return found;
}
}  // namespace

bool PseudoTerminal::Open(std::string* error) {
  Close();
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) return Fail(error, "posix_openpt");
  char name[128];
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
      ptsname_r(master_, name, sizeof name) != 0) {
    bool r = Fail(error, "pseudo-terminal set-up");
    Close();
    return r;
  }
  path_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    bool r = Fail(error, "open slave");
    Close();
    return r;
  }
  struct stat st {};
  if (fstat(slave_, &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
  termios t{};
  if (tcgetattr(slave_, &t) == 0) {
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    tcsetattr(slave_, TCSANOW, &t);
  }
  // Our own open came before the watch, so only clients show up in it.
  watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch_ >= 0 &&
      inotify_add_watch(watch_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    close(watch_);
    watch_ = -1;
  }
  return true;
}

void PseudoTerminal::Close() {
  if (watch_ >= 0) close(watch_);
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  watch_ = slave_ = master_ = -1;
}

PseudoTerminal::ClientEvents PseudoTerminal::ReadClientEvents() {
  ClientEvents events;
  if (watch_ < 0) return events;
  alignas(inotify_event) char buf[4096];
  for (;;) {
    ssize_t n = read(watch_, buf, sizeof buf);
    if (n <= 0) break;
    for (char* p = buf; p < buf + n;) {
      auto* e = reinterpret_cast<inotify_event*>(p);
      if (e->mask & IN_OPEN) {
        events.Open = events.Any = true;
      }
      if (e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
        events.Closed = events.Any = true;
        events.Open = false;
      }
      p += sizeof(inotify_event) + e->len;
    }
  }
  return events;
}

bool PseudoTerminal::ClientHoldsSlave() const {
  if (slave_ < 0) return false;
  if (ProcessHasOpen("self", path_, slave_)) return true;
  // Other processes: those that hold a lock on the device. A lock can outlive its descriptor
  // for a moment while the close completes, so the descriptor is looked for too.
  char key[64];
  std::snprintf(key, sizeof key, "%02x:%02x:%lu", major(device_), minor(device_), inode_);
  std::ifstream locks("/proc/locks");
  const std::string self = std::to_string(getpid());
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream in(line);
    std::string token, previous;
    while (in >> token) {
      if (token == key) {
        if (previous != self && ProcessHasOpen(previous, path_, -1)) return true;
        break;
      }
      previous = token;
    }
  }
  return false;
}

void PseudoTerminal::DiscardUnreadOutput() {
  if (slave_ >= 0) tcflush(slave_, TCIFLUSH);
}

}  // namespace sim
