#include "chart/io/RtStream.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <cmath>

#include "chart/io/RtIOErrors.h"

namespace {

QByteArray Written(const std::function<void(TRtStreamWriter&)>& f) {
  QByteArray bytes;
  QBuffer b(&bytes);
  b.open(QIODevice::WriteOnly);
  TRtStreamWriter w(b);
  f(w);
  return bytes;
}

struct Reading {
  explicit Reading(const QByteArray& Bytes) {
    Buffer.setData(Bytes);
    Buffer.open(QIODevice::ReadOnly);
  }
  QBuffer Buffer;
  TRtStreamReader Reader{Buffer};
};

TEST(RtStream, FieldsAreLittleEndianAndStringsUtf8WithFourByteLength) {
  const QByteArray bytes = Written([](TRtStreamWriter& w) {
    w.WriteInt32(0x01020304);
    w.WriteUInt32(0xFF0000FFu);
    w.WriteBool(true);
    w.WriteSingle(1.0f);
    w.WriteDouble(-2.0);
    w.WriteString(QStringLiteral("µA"));
    w.WriteString({});
    w.WriteContinuation(false);
  });
  const QByteArray expected = QByteArray::fromHex(
      "04030201"
      "ff0000ff"
      "01"
      "0000803f"
      "00000000000000c0"
      "03000000c2b541"
      "00000000"
      "00");
  EXPECT_EQ(bytes.toHex(), expected.toHex());
  Reading r(bytes);
  EXPECT_EQ(r.Reader.ReadInt32(), 0x01020304);
  EXPECT_EQ(r.Reader.ReadUInt32(), 0xFF0000FFu);
  EXPECT_TRUE(r.Reader.ReadBool());
  EXPECT_EQ(r.Reader.ReadSingle(), 1.0f);
  EXPECT_EQ(r.Reader.ReadDouble(), -2.0);
  EXPECT_EQ(r.Reader.ReadString(), QStringLiteral("µA"));
  EXPECT_EQ(r.Reader.ReadString(), QString());
  EXPECT_FALSE(r.Reader.ReadContinuation());
  EXPECT_EQ(r.Reader.Remaining(), 0);
}

// Every prefix of a valid stream ends in the read error at the field that is cut, never in a
// value made of missing bytes.
TEST(RtStream, EveryTruncationRaisesTheReadErrorWithoutReadingPastTheEnd) {
  const QByteArray full = Written([](TRtStreamWriter& w) {
    w.WriteString(QStringLiteral("Form1.Vector1"));
    w.WriteInt32(128);
    const double v[] = {1.5, -2};
    w.WriteInt32(2);
    w.WriteDoubles(v, 2);
    w.WriteContinuation(false);
  });
  for (qsizetype n = 0; n < full.size(); ++n) {
    Reading r(full.left(n));
    try {
      r.Reader.ReadString();
      r.Reader.ReadInt32();
      r.Reader.ReadDoubles(r.Reader.ReadInt32());
      r.Reader.ReadContinuation();
      ADD_FAILURE() << "prefix of " << n << " bytes read through";
    } catch (const ERtStreamError& e) {
      EXPECT_STREQ(e.what(), "Stream read error");
      EXPECT_LE(r.Buffer.pos(), n);
    }
  }
}

TEST(RtStream, LengthsBeyondTheStreamAreRefusedBeforeAllocating) {
  Reading huge(QByteArray::fromHex("ffffff7f41"));  // string of 2^31-1 bytes, 1 present
  EXPECT_THROW(huge.Reader.ReadString(), ERtStreamError);
  Reading negative(QByteArray::fromHex("ffffffff"));
  EXPECT_THROW(negative.Reader.ReadString(), ERtStreamError);
  Reading doubles(QByteArray(15, '\0'));
  EXPECT_THROW(doubles.Reader.ReadDoubles(2), ERtStreamError);
  Reading one(QByteArray(16, '\0'));
  EXPECT_EQ(one.Reader.ReadDoubles(2).size(), 2u);
  Reading items(QByteArray(7, '\0'));
  EXPECT_THROW(items.Reader.RequireItems(2, 4), ERtStreamError);
  EXPECT_THROW(items.Reader.RequireItems(-1, 4), ERtStreamError);
}

TEST(RtStream, ContinuationIsZeroOrOne) {
  Reading r(QByteArray::fromHex("000102"));
  EXPECT_FALSE(r.Reader.ReadContinuation());
  EXPECT_TRUE(r.Reader.ReadContinuation());
  EXPECT_THROW(r.Reader.ReadContinuation(), ERtStreamError);
}

// A block of three fields written by a newer writer (base, continuation 1, extension,
// continuation 0) and by an older one (base, continuation 0).
TEST(RtStream, BaseOnlyReaderStopsAtTheExtensionAndNewReaderReadsOldBlocks) {
  const auto base = [](TRtStreamWriter& w) {
    w.WriteBool(true);
    w.WriteUInt32(0xFFFF0000u);
  };
  const QByteArray extended = Written([&](TRtStreamWriter& w) {
    base(w);
    w.WriteContinuation(true);
    w.WriteSingle(2.5f);
    w.WriteContinuation(false);
  });
  const QByteArray old = Written([&](TRtStreamWriter& w) {
    base(w);
    w.WriteContinuation(false);
  });
  // Knows only the base fields.
  Reading r1(extended);
  EXPECT_TRUE(r1.Reader.ReadBool());
  EXPECT_EQ(r1.Reader.ReadUInt32(), 0xFFFF0000u);
  EXPECT_TRUE(r1.Reader.ReadContinuation());
  EXPECT_EQ(r1.Buffer.pos(), 6);
  // Knows the extension, reads an old block.
  Reading r2(old);
  r2.Reader.ReadBool();
  r2.Reader.ReadUInt32();
  float width = 1.0f;
  if (r2.Reader.ReadContinuation()) width = r2.Reader.ReadSingle();
  EXPECT_EQ(width, 1.0f);
  EXPECT_EQ(r2.Reader.Remaining(), 0);
}

TEST(RtStream, WriteToAFullDeviceRaisesTheWriteError) {
  QBuffer closed;  // not open: takes nothing
  TRtStreamWriter w(closed);
  try {
    w.WriteInt32(1);
    FAIL();
  } catch (const ERtStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream write error");
  }
}

}  // namespace
