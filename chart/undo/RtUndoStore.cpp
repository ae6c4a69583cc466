#include "chart/undo/RtUndoStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "chart/io/RtIOErrors.h"

namespace {

[[noreturn]] void ThrowWrite() {
  throw ERtStreamError(RtStreamWriteErrorText);
}

QString ProgramName() {
  QString path;
  if (QCoreApplication::instance()) path = QCoreApplication::applicationFilePath();
  if (path.isEmpty()) path = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
  QString name = QFileInfo(path).fileName();
  if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) name.chop(4);
  return name.isEmpty() ? QStringLiteral("zenkar") : name;
}

}  // namespace

QByteArray TRtUndoStore::ReadAll() {
  QIODevice& d = Device();
  d.seek(0);
  return d.read(Size());
}

void TRtUndoStore::ReplaceAll(const QByteArray& Data) {
  Truncate(0);
  WriteAt(0, Data);
}

// ---- memory ------------------------------------------------------------------------------------

TRtMemoryUndoStore::TRtMemoryUndoStore() {
  fBuffer.setBuffer(&fData);
  fBuffer.open(QIODevice::ReadWrite);
}

void TRtMemoryUndoStore::WriteAt(std::int64_t Pos, const QByteArray& Data) {
  if (Pos >= fData.size()) {
    fData.append(Data);
  } else {
    const std::int64_t end = Pos + Data.size();
    if (end > fData.size()) fData.resize(end);
    std::copy(Data.begin(), Data.end(), fData.begin() + Pos);
  }
}

void TRtMemoryUndoStore::Truncate(std::int64_t Size) {
  if (Size < fData.size()) fData.truncate(Size);
}

void TRtMemoryUndoStore::CutFront(std::int64_t Offset, std::int64_t End) {
  fData.truncate(End);
  fData.remove(0, Offset);
}

// ---- file --------------------------------------------------------------------------------------

TRtFileUndoStore::TRtFileUndoStore(std::unique_ptr<QFile> File, TRtFileUndoStore* Scratch)
    : fFile(std::move(File)), fScratch(Scratch) {}

TRtFileUndoStore::~TRtFileUndoStore() {
  fFile->close();
  fFile->remove();
}

void TRtFileUndoStore::WriteAt(std::int64_t Pos, const QByteArray& Data) {
  if (!fFile->seek(Pos) || fFile->write(Data) != Data.size() || !fFile->flush()) ThrowWrite();
}

void TRtFileUndoStore::Truncate(std::int64_t Size) {
  if (Size < fFile->size() && !fFile->resize(Size)) ThrowWrite();
}

void TRtFileUndoStore::Copy(QFile& From, std::int64_t FromPos, QFile& To, std::int64_t Count) {
  if (!From.seek(FromPos) || !To.seek(0)) ThrowWrite();
  constexpr std::int64_t kChunk = 1 << 16;
  while (Count > 0) {
    const QByteArray chunk = From.read(std::min(Count, kChunk));
    if (chunk.isEmpty() || To.write(chunk) != chunk.size()) ThrowWrite();
    Count -= chunk.size();
  }
  if (!To.flush()) ThrowWrite();
}

void TRtFileUndoStore::CutFront(std::int64_t Offset, std::int64_t End) {
  const std::int64_t rest = End - Offset;
  Copy(*fFile, Offset, *fScratch->fFile, rest);
  Copy(*fScratch->fFile, 0, *fFile, rest);
  Truncate(rest);
  fScratch->Truncate(0);
}

std::unique_ptr<QFile> RtCreateUndoFile(int First, int& Used) {
  const QString base = QDir::temp().filePath(ProgramName() + QStringLiteral(".RtUndoStack."));
  constexpr int kTries = 10000;
  QString reason;
  for (int n = First; n < First + kTries; ++n) {
    auto f = std::make_unique<QFile>(base + QString::number(n));
    if (f->exists()) continue;
    if (f->open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
      Used = n;
      return f;
    }
    reason = f->errorString();
    if (!f->exists()) break;
  }
  throw ERtFileError("Cannot create file \"" + (base + QString::number(First)).toStdString() +
                     "\". " + reason.toStdString());
}
