// The program log: a list of text lines that is never trimmed. The lines are kept in a compact
// store (one byte per character for ASCII, Latin-1 and the frame's block characters) in chunks,
// and the view draws only the lines that are visible, so appending costs the same however long
// the log has grown. With a log file (TLogFile) only the newest chunks stay in memory: every
// finished line goes to the file, and older chunks are read back from it when they are shown.
#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TLogFile;

// Lines of UTF-8 text, stored compactly. Appending a line or text to the last line is O(1).
class TLogStore {
 public:
  static constexpr int kLinesPerChunk = 4096;
  // With a log file: chunks kept in memory besides those read back, and read-back chunks kept.
  static constexpr int kResidentChunks = 2;
  static constexpr int kCachedChunks = 4;

  TLogStore();
  ~TLogStore();  // writes the last line to the log file too

  void Add(const std::string& line);
  // Appends text to the last line (adds a line when there is none).
  void AppendToLast(const std::string& text);
  // Empties the store; the log file keeps the lines, the new ones follow them.
  void Clear();

  int64_t Count() const { return fCount; }
  std::string Line(int64_t i) const;  // UTF-8; empty outside 0 .. Count-1
  QString LineText(int64_t i) const;
  std::string LastLine() const { return fCount ? Line(fCount - 1) : std::string(); }
  // Characters of the longest line so far.
  int MaxChars() const { return fMaxChars; }
  // Bytes held by the store (buffers, offsets, chunk table, read-back cache).
  size_t MemoryBytes() const;

  // Backs the store with a new log file (see TLogFile::Create); the lines held so far go to it
  // as well. False, with the reason in error, when it cannot be made: everything then stays in
  // memory.
  bool OpenFile(const std::string& path, std::string& error, bool unique = true);
  // Writes the finished lines (all but the last, which may still grow) to the log file and lets
  // chunks that are safely in it go from memory. Also done whenever a chunk fills. False once
  // the file has failed; from then on every line stays in memory.
  bool Flush();
  // Writes the last line as well (at close).
  bool FinishFile();
  bool FileFailed() const { return !fFileError.empty(); }
  const std::string& FileError() const { return fFileError; }  // the reason, once it failed
  std::string FilePath() const;                                // empty without a file
  // Chunks read back from the file so far (cache misses).
  int64_t ReadBacks() const { return fReadBacks; }

 private:
  struct Chunk;
  struct Slot;
  const Chunk* ChunkOf(int64_t i, uint32_t& begin, uint32_t& end) const;
  const Chunk* ReadBack(size_t c) const;
  bool WriteLines(int64_t upTo);
  bool Fail(const std::string& reason);

  std::vector<Slot> fChunks;
  int64_t fCount = 0;
  int fMaxChars = 0;
  int fLastChars = 0;

  std::unique_ptr<TLogFile> fFile;
  std::string fFileError;
  std::string fPending;       // lines for the file not yet written
  int64_t fWritten = 0;       // lines of the store in the file or in fPending
  size_t fFirstResident = 0;  // chunks before it are only in the file
  mutable std::vector<std::pair<size_t, std::unique_ptr<Chunk>>> fCache;  // newest last
  mutable int64_t fReadBacks = 0;
};

// The log line that tells that the log file cannot be written.
std::string LogFileFailureText(const std::string& path, const std::string& reason);

class TLogView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TLogView(QWidget* parent = nullptr);

  void Add(const std::string& line);
  void AppendToLast(const std::string& text);
  // Replaces the whole content with the lines of text (separated by LF or CR LF).
  void SetText(const std::string& text);
  void Clear();

  int64_t Count() const { return fStore.Count(); }
  std::string Line(int64_t i) const { return fStore.Line(i); }
  std::string LastLine() const { return fStore.LastLine(); }
  const TLogStore& Store() const { return fStore; }

  // Called with each line once it is complete (when the next line is added, or at FlushFinished).
  void SetLineFinishedHook(std::function<void(const std::string&)> hook) {
    fFinished = std::move(hook);
  }
  // Passes the last line to the hook as well, and writes the finished lines to the log file.
  void FlushFinished();

  // The log file (TLogStore::OpenFile). A later write failure is told in the log, once.
  bool OpenFile(const std::string& path, std::string& error, bool unique = true);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Changed();
  void UpdateScrollBars();
  void FlushFile();

  TLogStore fStore;
  std::function<void(const std::string&)> fFinished;
  int64_t fFinishedCount = 0;  // lines passed to the hook
  static constexpr qint64 kFrameMs = 16;
  bool fScrollPending = false;
  QElapsedTimer fRefreshed;
  bool fFailureTold = false;
};
