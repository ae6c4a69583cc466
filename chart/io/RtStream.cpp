#include "chart/io/RtStream.h"

#include <QIODevice>
#include <QtEndian>

#include <cstring>

#include "chart/io/RtIOErrors.h"

namespace {

[[noreturn]] void ThrowRead() {
  throw ERtStreamError(RtStreamReadErrorText);
}

template <typename T>
void WriteLE(TRtStreamWriter& w, T Value) {
  const T le = qToLittleEndian(Value);
  w.WriteRaw(&le, sizeof le);
}

template <typename T>
T ReadLE(TRtStreamReader& r) {
  T le;
  r.ReadRaw(&le, sizeof le);
  return qFromLittleEndian(le);
}

}  // namespace

// ---- writer ------------------------------------------------------------------------------------

void TRtStreamWriter::WriteRaw(const void* Data, std::int64_t Size) {
  if (Size <= 0) return;
  if (fDevice.write(static_cast<const char*>(Data), Size) != Size)
    throw ERtStreamError(RtStreamWriteErrorText);
}

void TRtStreamWriter::WriteInt32(std::int32_t Value) {
  WriteLE(*this, Value);
}
void TRtStreamWriter::WriteUInt32(std::uint32_t Value) {
  WriteLE(*this, Value);
}
void TRtStreamWriter::WriteInt64(std::int64_t Value) {
  WriteLE(*this, Value);
}

void TRtStreamWriter::WriteSingle(float Value) {
  std::uint32_t bits;
  std::memcpy(&bits, &Value, sizeof bits);
  WriteLE(*this, bits);
}

void TRtStreamWriter::WriteDouble(double Value) {
  std::uint64_t bits;
  std::memcpy(&bits, &Value, sizeof bits);
  WriteLE(*this, bits);
}

void TRtStreamWriter::WriteBytes(const QByteArray& Value) {
  if (Value.size() > INT32_MAX) throw ERtStreamError(RtStreamWriteErrorText);
  WriteInt32(static_cast<std::int32_t>(Value.size()));
  WriteRaw(Value.constData(), Value.size());
}

void TRtStreamWriter::WriteString(const QString& Value) {
  WriteBytes(Value.toUtf8());
}

void TRtStreamWriter::WriteDoubles(const double* Values, std::size_t Count) {
  if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
    WriteRaw(Values, static_cast<std::int64_t>(Count * sizeof(double)));
  } else {
    for (std::size_t k = 0; k < Count; ++k) WriteDouble(Values[k]);
  }
}

// ---- reader ------------------------------------------------------------------------------------

std::int64_t TRtStreamReader::Remaining() const {
  return fDevice.bytesAvailable();
}

void TRtStreamReader::ReadRaw(void* Data, std::int64_t Size) {
  if (Size <= 0) return;
  if (Remaining() < Size) ThrowRead();
  const qint64 start = fDevice.pos();
  if (fDevice.read(static_cast<char*>(Data), Size) != Size) {
    if (!fDevice.isSequential()) fDevice.seek(start);
    ThrowRead();
  }
}

std::uint8_t TRtStreamReader::ReadByte() {
  std::uint8_t b;
  ReadRaw(&b, 1);
  return b;
}

std::int32_t TRtStreamReader::ReadInt32() {
  return ReadLE<std::int32_t>(*this);
}
std::uint32_t TRtStreamReader::ReadUInt32() {
  return ReadLE<std::uint32_t>(*this);
}
std::int64_t TRtStreamReader::ReadInt64() {
  return ReadLE<std::int64_t>(*this);
}

float TRtStreamReader::ReadSingle() {
  const std::uint32_t bits = ReadLE<std::uint32_t>(*this);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

double TRtStreamReader::ReadDouble() {
  const std::uint64_t bits = ReadLE<std::uint64_t>(*this);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

QByteArray TRtStreamReader::ReadBytes() {
  const std::int32_t n = ReadInt32();
  if (n < 0 || Remaining() < n) ThrowRead();
  QByteArray bytes(n, Qt::Uninitialized);
  ReadRaw(bytes.data(), n);
  return bytes;
}

QString TRtStreamReader::ReadString() {
  return QString::fromUtf8(ReadBytes());
}

void TRtStreamReader::RequireItems(std::int32_t Count, int ItemSize) {
  if (Count < 0 || Remaining() / ItemSize < Count) ThrowRead();
}

std::vector<double> TRtStreamReader::ReadDoubles(std::int32_t Count) {
  RequireItems(Count, int(sizeof(double)));
  std::vector<double> v(static_cast<std::size_t>(Count));
  if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
    ReadRaw(v.data(), std::int64_t(Count) * std::int64_t(sizeof(double)));
  } else {
    for (double& x : v) x = ReadDouble();
  }
  return v;
}

bool TRtStreamReader::ReadContinuation() {
  const std::uint8_t b = ReadByte();
  if (b > 1) ThrowRead();
  return b == 1;
}
