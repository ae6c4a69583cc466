#include "chart/io/RtPersistent.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

#include "chart/io/RtIOErrors.h"
#include "chart/io/RtStream.h"

namespace {

[[noreturn]] void ThrowFile(const char* What, const QString& FileName, const QString& Reason) {
  throw ERtFileError(std::string("Cannot ") + What + " file \"" + FileName.toStdString() + "\". " +
                     Reason.toStdString());
}

}  // namespace

void RtWriteToFile(const IRtPersistent& Object, const QString& FileName) {
  QSaveFile f(FileName);
  if (!f.open(QIODevice::WriteOnly)) ThrowFile("create", FileName, f.errorString());
  try {
    TRtStreamWriter w(f);
    Object.WriteTo(w);
  } catch (const ERtStreamError&) {
    const QString reason = f.errorString();
    f.cancelWriting();
    ThrowFile("create", FileName, reason);
  }
  if (!f.commit()) ThrowFile("create", FileName, f.errorString());
}

void RtReadFromFile(IRtPersistent& Object, const QString& FileName) {
  QFile f(FileName);
  if (!f.open(QIODevice::ReadOnly)) ThrowFile("open", FileName, f.errorString());
  TRtStreamReader r(f);
  Object.ReadFrom(r);
}

QByteArray RtBinaryImage(const IRtPersistent& Object) {
  QByteArray image;
  QBuffer b(&image);
  b.open(QIODevice::WriteOnly);
  TRtStreamWriter w(b);
  Object.WriteTo(w);
  return image;
}

void RtReadBinaryImage(IRtPersistent& Object, const QByteArray& Image) {
  QBuffer b;
  b.setData(Image);
  b.open(QIODevice::ReadOnly);
  TRtStreamReader r(b);
  Object.ReadFrom(r);
}
