// The program log: a list of text lines that is never trimmed. The lines are kept in a compact
// store (one byte per character for ASCII, Latin-1 and the frame's block characters) in chunks,
// and the view draws only the lines that are visible, so appending costs the same however long
// the log has grown.
#pragma once

#include <QAbstractScrollArea>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Lines of UTF-8 text, stored compactly. Appending a line or text to the last line is O(1).
class TLogStore {
 public:
  TLogStore();
  ~TLogStore();

  void Add(const std::string& line);
  // Appends text to the last line (adds a line when there is none).
  void AppendToLast(const std::string& text);
  void Clear();

  int64_t Count() const { return fCount; }
  std::string Line(int64_t i) const;  // UTF-8; empty outside 0 .. Count-1
  QString LineText(int64_t i) const;
  std::string LastLine() const { return fCount ? Line(fCount - 1) : std::string(); }
  // Characters of the longest line so far.
  int MaxChars() const { return fMaxChars; }
  // Bytes held by the store (buffers, offsets, chunk table).
  size_t MemoryBytes() const;

 private:
  struct Chunk;
  static constexpr int kLinesPerChunk = 4096;
  const Chunk* ChunkOf(int64_t i, uint32_t& begin, uint32_t& end) const;

  std::vector<std::unique_ptr<Chunk>> fChunks;
  int64_t fCount = 0;
  int fMaxChars = 0;
  int fLastChars = 0;
};

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
  // Passes the last line to the hook as well.
  void FlushFinished();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Changed();
  void UpdateScrollBars();

  TLogStore fStore;
  std::function<void(const std::string&)> fFinished;
  int64_t fFinishedCount = 0;  // lines passed to the hook
  bool fScrollPending = false;
};
