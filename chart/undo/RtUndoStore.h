// Byte stores of the undo stack: an undo or redo history kept in memory or in a temporary file.
// Entries are appended at the end of the written data; cutting off the oldest group moves the
// rest of the data to the front (for a file, through the scratch file and back).
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>

class TRtUndoStore {
 public:
  virtual ~TRtUndoStore() = default;
  // Opened for reading and writing; position it before use.
  virtual QIODevice& Device() = 0;
  virtual std::int64_t Size() const = 0;
  // Writes Data at Pos (at most the size), replacing what lies there. Raises ERtStreamError when
  // it cannot be written.
  virtual void WriteAt(std::int64_t Pos, const QByteArray& Data) = 0;
  // Drops everything from Size on.
  virtual void Truncate(std::int64_t Size) = 0;
  // Moves the bytes Offset .. End-1 to the front; End becomes End - Offset.
  virtual void CutFront(std::int64_t Offset, std::int64_t End) = 0;
  // The whole contents (for inspection).
  virtual QByteArray ReadAll();
  virtual void ReplaceAll(const QByteArray& Data);
};

class TRtMemoryUndoStore : public TRtUndoStore {
 public:
  TRtMemoryUndoStore();
  QIODevice& Device() override { return fBuffer; }
  std::int64_t Size() const override { return fData.size(); }
  void WriteAt(std::int64_t Pos, const QByteArray& Data) override;
  void Truncate(std::int64_t Size) override;
  void CutFront(std::int64_t Offset, std::int64_t End) override;
  // Bytes reserved by the store.
  std::int64_t Capacity() const { return fData.capacity(); }

 private:
  QByteArray fData;
  QBuffer fBuffer;
};

// A temporary file, deleted when the store is destroyed. Cutting copies through Scratch, which
// must outlive the store.
class TRtFileUndoStore : public TRtUndoStore {
 public:
  TRtFileUndoStore(std::unique_ptr<QFile> File, TRtFileUndoStore* Scratch);
  ~TRtFileUndoStore() override;
  QIODevice& Device() override { return *fFile; }
  std::int64_t Size() const override { return fFile->size(); }
  void WriteAt(std::int64_t Pos, const QByteArray& Data) override;
  void Truncate(std::int64_t Size) override;
  void CutFront(std::int64_t Offset, std::int64_t End) override;
  QString FileName() const { return fFile->fileName(); }
  void SetScratch(TRtFileUndoStore* Scratch) { fScratch = Scratch; }

 private:
  void Copy(QFile& From, std::int64_t FromPos, QFile& To, std::int64_t Count);
  std::unique_ptr<QFile> fFile;
  TRtFileUndoStore* fScratch;
};

// Creates a new file in the temporary folder named after the program: "<program>.RtUndoStack.<n>"
// with the first n from First upward that is free; Used gets that n. Raises ERtFileError when no
// file can be created.
std::unique_ptr<QFile> RtCreateUndoFile(int First, int& Used);
