// A pseudo-terminal pair for the simulated bench. The bench works on the master side; clients
// open the slave path like a serial device. One slave descriptor stays open in the bench, so
// the line settings persist between clients and the master never sees a hang-up. Opens and
// closes of the slave by clients are reported through inotify.
#pragma once

#include <string>

namespace sim {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal() { Close(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Open(std::string* error);
  void Close();
  bool IsOpen() const { return master_ >= 0; }

  int MasterFd() const { return master_; }
  int SlaveFd() const { return slave_; }  // the bench's own slave descriptor
  int WatchFd() const { return watch_; }  // readable when a client opened or closed the slave
  const std::string& SlavePath() const { return path_; }

  struct ClientEvents {
    bool Closed = false;  // a client closed the slave
    bool Open = false;    // the last event was an open
    bool Any = false;
  };
  // Drains the queued client events.
  ClientEvents ReadClientEvents();
  // Drops bytes written to the client that it has not read.
  void DiscardUnreadOutput();
  // Whether a client still has the slave open: a descriptor of this process other than the
  // bench's own, or another process that holds a lock on it (as serial clients do).
  bool ClientHoldsSlave() const;

 private:
  int master_ = -1;
  int slave_ = -1;
  int watch_ = -1;
  std::string path_;
  unsigned long device_ = 0, inode_ = 0;
};

}  // namespace sim
