// Binary streams of the chart objects: little-endian fields, booleans and enumerations one byte,
// integers and colours four bytes, strings as a 4-byte length and that many bytes of UTF-8.
// Every block ends with a continuation byte: 0 ends the block, 1 says an extension follows,
// which ends with its own continuation byte. A reader that meets 0 stops reading the block, so
// data written before an extension existed still reads; a reader that knows no extension stops
// at the 1.
//
// The reader never reads past the end of its device: a field that is not all there raises
// ERtStreamError ("Stream read error") and leaves the device where the field began.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

class TRtStreamWriter {
 public:
  // Device must be open for writing; it is written at its current position.
  explicit TRtStreamWriter(QIODevice& Device) : fDevice(Device) {}

  void WriteBool(bool Value) { WriteByte(Value ? 1 : 0); }
  void WriteByte(std::uint8_t Value) { WriteRaw(&Value, 1); }
  void WriteInt32(std::int32_t Value);
  void WriteUInt32(std::uint32_t Value);
  void WriteInt64(std::int64_t Value);
  void WriteSingle(float Value);
  void WriteDouble(double Value);
  void WriteString(const QString& Value);
  void WriteBytes(const QByteArray& Value);
  void WriteDoubles(const double* Values, std::size_t Count);
  // Ends a block (More = false) or announces an extension (More = true).
  void WriteContinuation(bool More) { WriteByte(More ? 1 : 0); }
  // Raises ERtStreamError ("Stream write error") when the device takes fewer bytes.
  void WriteRaw(const void* Data, std::int64_t Size);

  QIODevice& Device() const { return fDevice; }

 private:
  QIODevice& fDevice;
};

class TRtStreamReader {
 public:
  // Device must be open for reading; it is read from its current position.
  explicit TRtStreamReader(QIODevice& Device) : fDevice(Device) {}

  // Any byte but 0 is true.
  bool ReadBool() { return ReadByte() != 0; }
  std::uint8_t ReadByte();
  std::int32_t ReadInt32();
  std::uint32_t ReadUInt32();
  std::int64_t ReadInt64();
  float ReadSingle();
  double ReadDouble();
  QString ReadString();
  QByteArray ReadBytes();
  // Count doubles; a count the stream cannot hold raises before anything is allocated.
  std::vector<double> ReadDoubles(std::int32_t Count);
  // True when an extension follows, false at the end of the block; any other byte raises.
  bool ReadContinuation();
  // Count 4-byte items are still in the stream (raises otherwise); a negative count raises.
  void RequireItems(std::int32_t Count, int ItemSize);

  // Bytes left in the device.
  std::int64_t Remaining() const;
  void ReadRaw(void* Data, std::int64_t Size);
  QIODevice& Device() const { return fDevice; }

 private:
  QIODevice& fDevice;
};
