// The style blocks: their exact binary layout, every field through each form, the INI defaults,
// continuation bytes in both directions, and values that cannot be read.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>

#include <cstring>

#include "chart/draw/RtStyles.h"
#include "chart/draw/RtStylesIO.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtStream.h"
#include "platform/IniFile.h"
#include "tests/support/ErrorOf.h"

namespace {

template <typename Write>
QByteArray Bytes(Write&& write) {
  QByteArray out;
  QBuffer b(&out);
  b.open(QIODevice::WriteOnly);
  TRtStreamWriter w(b);
  write(w);
  return out;
}

// Reads Bytes with read; returns the bytes left unread.
template <typename Read>
qint64 ReadBytes(const QByteArray& bytes, Read&& read) {
  QBuffer b;
  b.setData(bytes);
  b.open(QIODevice::ReadOnly);
  TRtStreamReader r(b);
  read(r);
  return r.Remaining();
}

std::uint32_t U32(const QByteArray& b, int at) {
  std::uint32_t v;
  std::memcpy(&v, b.constData() + at, 4);
  return v;
}
float F32(const QByteArray& b, int at) {
  float v;
  std::memcpy(&v, b.constData() + at, 4);
  return v;
}

void SetAll(TRtGradientSettings& g) {
  g.SetVisible(true);
  g.SetStyle(TRtGradientStyle::Elliptical);
  g.SetFirstColor(0x11223344);
  g.SetMiddleColor(0x55667788);
  g.SetLastColor(0x99AABBCC);
  g.SetLinearAngle(45.5f);
  g.SetLinearCenter(0.25f);
  g.SetRadialCenterX(0.125f);
  g.SetRadialCenterY(0.75f);
}

void ExpectAll(const TRtGradientSettings& g) {
  EXPECT_TRUE(g.Visible());
  EXPECT_EQ(g.Style(), TRtGradientStyle::Elliptical);
  EXPECT_EQ(g.FirstColor(), 0x11223344u);
  EXPECT_EQ(g.MiddleColor(), 0x55667788u);
  EXPECT_EQ(g.LastColor(), 0x99AABBCCu);
  EXPECT_EQ(g.LinearAngle(), 45.5f);
  EXPECT_EQ(g.LinearCenter(), 0.25f);
  EXPECT_EQ(g.RadialCenterX(), 0.125f);
  EXPECT_EQ(g.RadialCenterY(), 0.75f);
}

void SetAll(TRtLineSettings& l) {
  l.SetVisible(false);
  l.SetColor(0xFF00C000);
  l.SetWidth(2.5f);
  l.SetDashStyle(TDashStyle::DashStyleDashDot);
}

void ExpectAll(const TRtLineSettings& l) {
  EXPECT_FALSE(l.Visible());
  EXPECT_EQ(l.Color(), 0xFF00C000u);
  EXPECT_EQ(l.Width(), 2.5f);
  EXPECT_EQ(l.DashStyle(), TDashStyle::DashStyleDashDot);
}

void SetAll(TRtAreaSettings& a) {
  a.SetVisible(true);
  a.SetForeColor(0xFF102030);
  a.SetBackColor(0x80405060);
  a.SetAreaStyle(TRtAreaStyle::Weave);
  SetAll(*a.Gradient());
}

void ExpectAll(const TRtAreaSettings& a) {
  EXPECT_TRUE(a.Visible());
  EXPECT_EQ(a.ForeColor(), 0xFF102030u);
  EXPECT_EQ(a.BackColor(), 0x80405060u);
  EXPECT_EQ(a.AreaStyle(), TRtAreaStyle::Weave);
  ExpectAll(*a.Gradient());
}

void SetAll(TRtFont& f) {
  f.SetName(QStringLiteral("Times New Roman"));
  f.SetSize(13.5f);
  f.SetStyle(TRtFontStyle::Italic | TRtFontStyle::Underline);
  f.SetDrawEffects(TRtCharDrawEffect::Lowered);
  f.SetRenderingHint(TRtTextRenderingHint::ClearTypeGridFit);
  f.SetFillColor(0xC0123456);
  SetAll(*f.Gradient());
}

void ExpectAll(const TRtFont& f) {
  EXPECT_EQ(f.Name(), QStringLiteral("Times New Roman"));
  EXPECT_EQ(f.GetSize(), 13.5f);
  EXPECT_EQ(f.Style(), TRtFontStyle::Italic | TRtFontStyle::Underline);
  EXPECT_EQ(f.DrawEffects(), TRtCharDrawEffects(TRtCharDrawEffect::Lowered));
  EXPECT_EQ(f.RenderingHint(), TRtTextRenderingHint::ClearTypeGridFit);
  EXPECT_EQ(f.FillColor(), 0xC0123456u);
  ExpectAll(*f.Gradient());
}

// ---- binary layout -----------------------------------------------------------------------------

TEST(StyleBlocksBinary, GradientFieldsInOrderWithTheirWidths) {
  TRtGradientSettings g;
  SetAll(g);
  const QByteArray b = Bytes([&](TRtStreamWriter& w) { RtWriteGradient(w, g); });
  ASSERT_EQ(b.size(), 1 + 1 + 3 * 4 + 4 * 4 + 1);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[1], 2);  // Elliptical
  EXPECT_EQ(U32(b, 2), 0x11223344u);
  EXPECT_EQ(U32(b, 6), 0x55667788u);
  EXPECT_EQ(U32(b, 10), 0x99AABBCCu);
  EXPECT_EQ(F32(b, 14), 45.5f);
  EXPECT_EQ(F32(b, 18), 0.25f);
  EXPECT_EQ(F32(b, 22), 0.125f);
  EXPECT_EQ(F32(b, 26), 0.75f);
  EXPECT_EQ(b[30], 0);
}

TEST(StyleBlocksBinary, LineAreaSimpleLineAndFontLayouts) {
  TRtLineSettings line;
  SetAll(line);
  const QByteArray l = Bytes([&](TRtStreamWriter& w) { RtWriteLine(w, line); });
  ASSERT_EQ(l.size(), 1 + 4 + 4 + 1 + 1);
  EXPECT_EQ(l[0], 0);
  EXPECT_EQ(U32(l, 1), 0xFF00C000u);
  EXPECT_EQ(F32(l, 5), 2.5f);
  EXPECT_EQ(l[9], 3);  // DashDot
  EXPECT_EQ(l[10], 0);

  TRtSimpleLineSettings simple;
  simple.SetColor(0xFF0000FF);
  simple.SetWidth(4);
  const QByteArray s = Bytes([&](TRtStreamWriter& w) { RtWriteSimpleLine(w, simple); });
  ASSERT_EQ(s.size(), 4 + 4 + 1 + 1 + 31 + 1);
  EXPECT_EQ(U32(s, 0), 0xFF0000FFu);
  EXPECT_EQ(F32(s, 4), 4.0f);
  EXPECT_EQ(s[9], 1);   // the gradient follows
  EXPECT_EQ(s[41], 0);  // end of the block

  TRtAreaSettings area;
  SetAll(area);
  const QByteArray a = Bytes([&](TRtStreamWriter& w) { RtWriteArea(w, area); });
  ASSERT_EQ(a.size(), 1 + 4 + 4 + 1 + 1 + 31 + 1);
  EXPECT_EQ(a[0], 1);
  EXPECT_EQ(U32(a, 1), 0xFF102030u);
  EXPECT_EQ(U32(a, 5), 0x80405060u);
  EXPECT_EQ(a[9], int(TRtAreaStyle::Weave));
  EXPECT_EQ(a[10], 1);
  EXPECT_EQ(a[11], 1);  // gradient visible
  EXPECT_EQ(a[42], 0);

  TRtFont font;
  SetAll(font);
  const QByteArray f = Bytes([&](TRtStreamWriter& w) { RtWriteFont(w, font); });
  const int name = 4 + 15;  // "Times New Roman"
  ASSERT_EQ(f.size(), name + 4 + 1 + 1 + 1 + 1 + 4 + 31 + 1 + 4 + 1);
  EXPECT_EQ(U32(f, 0), 15u);
  EXPECT_EQ(U32(f, name), 14u);   // 13.5 rounded
  EXPECT_EQ(f[name + 4], 2 | 4);  // italic, underline
  EXPECT_EQ(f[name + 5], 1);
  EXPECT_EQ(f[name + 6], 4);  // lowered
  EXPECT_EQ(f[name + 7], 5);  // ClearTypeGridFit
  EXPECT_EQ(U32(f, name + 8), 0xC0123456u);
  EXPECT_EQ(f[name + 12 + 31], 1);
  EXPECT_EQ(F32(f, name + 12 + 32), 13.5f);
  EXPECT_EQ(f[f.size() - 1], 0);
}

TEST(StyleBlocksBinary, EveryFieldReadsBack) {
  TRtAreaSettings area, areaBack;
  SetAll(area);
  ReadBytes(Bytes([&](TRtStreamWriter& w) { RtWriteArea(w, area); }),
            [&](TRtStreamReader& r) { RtReadArea(r, areaBack); });
  ExpectAll(areaBack);
  TRtLineSettings line, lineBack;
  SetAll(line);
  ReadBytes(Bytes([&](TRtStreamWriter& w) { RtWriteLine(w, line); }),
            [&](TRtStreamReader& r) { RtReadLine(r, lineBack); });
  ExpectAll(lineBack);
  TRtFont font, fontBack;
  SetAll(font);
  ReadBytes(Bytes([&](TRtStreamWriter& w) { RtWriteFont(w, font); }),
            [&](TRtStreamReader& r) { RtReadFont(r, fontBack); });
  ExpectAll(fontBack);
  TRtSimpleLineSettings simple, simpleBack;
  simple.SetDashStyle(TDashStyle::DashStyleDot);
  SetAll(*simple.Gradient());
  ReadBytes(Bytes([&](TRtStreamWriter& w) { RtWriteSimpleLine(w, simple); }),
            [&](TRtStreamReader& r) { RtReadSimpleLine(r, simpleBack); });
  EXPECT_EQ(simpleBack.DashStyle(), TDashStyle::DashStyleDot);
  ExpectAll(*simpleBack.Gradient());
}

// A font block as written before its extensions existed: name, integer size, style, 0.
TEST(StyleBlocksBinary, FontBlockWithoutExtensionsKeepsTheRest) {
  const QByteArray old = Bytes([](TRtStreamWriter& w) {
    w.WriteString(QStringLiteral("Courier New"));
    w.WriteInt32(10);
    w.WriteByte(1);
    w.WriteContinuation(false);
  });
  TRtFont f;
  f.SetFillColor(0xFF112233);
  f.SetDrawEffects(TRtCharDrawEffect::Shadow);
  EXPECT_EQ(ReadBytes(old, [&](TRtStreamReader& r) { RtReadFont(r, f); }), 0);
  EXPECT_EQ(f.Name(), QStringLiteral("Courier New"));
  EXPECT_EQ(f.GetSize(), 10.0f);
  EXPECT_EQ(f.Style(), TRtFontStyles(TRtFontStyle::Bold));
  EXPECT_EQ(f.FillColor(), 0xFF112233u);
  EXPECT_EQ(f.DrawEffects(), TRtCharDrawEffects(TRtCharDrawEffect::Shadow));
}

// A block from a later writer with an extension after the fields known here: the reader stops
// at its continuation byte and leaves the extension unread.
TEST(StyleBlocksBinary, ReaderOfTheBaseFieldsStopsAtAnExtension) {
  TRtLineSettings line;
  SetAll(line);
  QByteArray extended = Bytes([&](TRtStreamWriter& w) { RtWriteLine(w, line); });
  extended[extended.size() - 1] = 1;
  extended.append("\x07\x07\x07\x07\x00", 5);
  TRtLineSettings back;
  EXPECT_EQ(ReadBytes(extended, [&](TRtStreamReader& r) { RtReadLine(r, back); }), 5);
  ExpectAll(back);
  // The same past the exact font size.
  TRtFont font;
  SetAll(font);
  QByteArray fb = Bytes([&](TRtStreamWriter& w) { RtWriteFont(w, font); });
  fb[fb.size() - 1] = 1;
  fb.append("\x01\x02\x03", 3);
  TRtFont fontBack;
  EXPECT_EQ(ReadBytes(fb, [&](TRtStreamReader& r) { RtReadFont(r, fontBack); }), 3);
  ExpectAll(fontBack);
}

TEST(StyleBlocksBinary, OrdinalBeyondTheEnumerationEndsReadingAfterWhatCameBefore) {
  TRtAreaSettings area;
  SetAll(area);
  QByteArray b = Bytes([&](TRtStreamWriter& w) { RtWriteArea(w, area); });
  b[9] = char(int(TRtAreaStyle::Total) + 1);
  TRtAreaSettings back;
  EXPECT_EQ(ErrorOf([&] { ReadBytes(b, [&](TRtStreamReader& r) { RtReadArea(r, back); }); }),
            "Stream read error");
  EXPECT_TRUE(back.Visible());
  EXPECT_EQ(back.BackColor(), 0x80405060u);
  EXPECT_EQ(back.AreaStyle(), TRtAreaStyle::Total);
  // The last enumerator is no error.
  b[9] = char(int(TRtAreaStyle::Total));
  ReadBytes(b, [&](TRtStreamReader& r) { RtReadArea(r, back); });
  EXPECT_EQ(back.AreaStyle(), TRtAreaStyle::Total);
  EXPECT_TRUE(back.Gradient()->Visible());
}

// ---- XML ---------------------------------------------------------------------------------------

TEST(StyleBlocksXml, NamesAttributesAndChildGradient) {
  QDomDocument doc;
  QDomElement root = doc.appendChild(doc.createElement(QStringLiteral("R"))).toElement();
  TRtAreaSettings area;
  SetAll(area);
  area.SetForeColor(0xFF0000FF);
  RtWriteArea(root, area);
  TRtLineSettings line;
  SetAll(line);
  line.SetWidth(0.1f);
  RtWriteLine(root, QStringLiteral("MajorGridHorizontal"), line);
  TRtFont font;
  SetAll(font);
  RtWriteFont(root, font);

  const QDomElement a = root.firstChildElement(QStringLiteral("Area"));
  EXPECT_EQ(a.attribute(QStringLiteral("ForeColor")), QStringLiteral("Blue"));
  EXPECT_EQ(a.attribute(QStringLiteral("BackColor")), QStringLiteral("$80405060"));
  EXPECT_EQ(a.attribute(QStringLiteral("AreaStyle")), QString::number(int(TRtAreaStyle::Weave)));
  EXPECT_EQ(a.attribute(QStringLiteral("Visible")), QStringLiteral("true"));
  const QDomElement g = a.firstChildElement(QStringLiteral("Gradient"));
  EXPECT_EQ(g.attribute(QStringLiteral("LinearAngle")), QStringLiteral("45.5"));
  EXPECT_EQ(g.attribute(QStringLiteral("RadialCenterY")), QStringLiteral("0.75"));
  const QDomElement l = root.firstChildElement(QStringLiteral("MajorGridHorizontal"));
  EXPECT_EQ(l.attribute(QStringLiteral("Width")), QStringLiteral("0.1"));
  EXPECT_EQ(l.attribute(QStringLiteral("DashStyle")), QStringLiteral("3"));
  const QDomElement f = root.firstChildElement(QStringLiteral("Font"));
  EXPECT_EQ(f.attribute(QStringLiteral("Size")), QStringLiteral("13.5"));
  EXPECT_EQ(f.attribute(QStringLiteral("Style")), QStringLiteral("6"));
  EXPECT_EQ(f.attribute(QStringLiteral("DrawEffects")), QStringLiteral("4"));
  EXPECT_FALSE(f.firstChildElement(QStringLiteral("Gradient")).isNull());

  TRtAreaSettings areaBack;
  RtReadArea(a, areaBack);
  EXPECT_EQ(areaBack.ForeColor(), 0xFF0000FFu);
  EXPECT_EQ(areaBack.AreaStyle(), TRtAreaStyle::Weave);
  ExpectAll(*areaBack.Gradient());
  TRtLineSettings lineBack;
  RtReadLine(l, lineBack);
  EXPECT_EQ(lineBack.Width(), 0.1f);
  EXPECT_EQ(lineBack.DashStyle(), TDashStyle::DashStyleDashDot);
  TRtFont fontBack;
  RtReadFont(f, fontBack);
  ExpectAll(fontBack);
}

TEST(StyleBlocksXml, AttributeThatDoesNotConvertStopsWithWhatCameBefore) {
  QDomDocument doc;
  QDomElement e = doc.appendChild(doc.createElement(QStringLiteral("Line"))).toElement();
  e.setAttribute(QStringLiteral("Visible"), QStringLiteral("false"));
  e.setAttribute(QStringLiteral("Color"), QStringLiteral("green"));
  e.setAttribute(QStringLiteral("Width"), QStringLiteral("wide"));
  e.setAttribute(QStringLiteral("DashStyle"), QStringLiteral("2"));
  TRtLineSettings l;
  EXPECT_EQ(ErrorOf([&] { RtReadLine(e, l); }), "'wide' is not a valid floating point value");
  EXPECT_FALSE(l.Visible());
  EXPECT_EQ(l.Color(), 0xFF008000u);  // "Green" in any case
  EXPECT_EQ(l.Width(), 1.0f);
  EXPECT_EQ(l.DashStyle(), TDashStyle::DashStyleSolid);

  e.setAttribute(QStringLiteral("Width"), QStringLiteral("3"));
  e.setAttribute(QStringLiteral("DashStyle"), QStringLiteral("6"));
  EXPECT_EQ(ErrorOf([&] { RtReadLine(e, l); }), "'6' is not a valid TDashStyle value");
  EXPECT_EQ(l.Width(), 3.0f);
}

// ---- INI ---------------------------------------------------------------------------------------

TEST(StyleBlocksIni, DottedKeysUnderThePrefix) {
  TIniFile ini;
  TRtAreaSettings area;
  SetAll(area);
  RtWriteArea(TRtIniWriter(ini, QStringLiteral("S")).Sub(QStringLiteral("Area")), area);
  EXPECT_EQ(ini.ReadString("S", "Area.Visible", ""), "1");
  EXPECT_EQ(ini.ReadString("S", "Area.Style", ""), std::to_string(int(TRtAreaStyle::Weave)));
  EXPECT_EQ(ini.ReadString("S", "Area.BackColor", ""), "$80405060");
  EXPECT_EQ(ini.ReadString("S", "Area.Gradient.LinearAngle", ""), "45.5");
  TRtAreaSettings back;
  RtReadArea(TRtIniReader(ini, QStringLiteral("S")).Sub(QStringLiteral("Area")), back);
  ExpectAll(back);
  TRtFont font, fontBack;
  SetAll(font);
  RtWriteFont(TRtIniWriter(ini, QStringLiteral("F")), font);
  RtReadFont(TRtIniReader(ini, QStringLiteral("F")), fontBack);
  ExpectAll(fontBack);
}

// Missing keys: ".Width" reads as 1, ".LinearAngle" as 90, the centres as 0.5, the rest stays.
TEST(StyleBlocksIni, MissingKeysGiveTheFixedDefaultsOrKeepTheValue) {
  const TIniFile ini;
  TRtLineSettings line;
  SetAll(line);
  RtReadLine(TRtIniReader(ini, QStringLiteral("S")), line);
  EXPECT_EQ(line.Width(), 1.0f);
  EXPECT_EQ(line.Color(), 0xFF00C000u);
  EXPECT_FALSE(line.Visible());
  TRtGradientSettings g;
  SetAll(g);
  RtReadGradient(TRtIniReader(ini, QStringLiteral("S")), g);
  EXPECT_EQ(g.LinearAngle(), 90.0f);
  EXPECT_EQ(g.LinearCenter(), 0.5f);
  EXPECT_EQ(g.RadialCenterX(), 0.5f);
  EXPECT_EQ(g.RadialCenterY(), 0.5f);
  EXPECT_EQ(g.FirstColor(), 0x11223344u);
  EXPECT_EQ(g.Style(), TRtGradientStyle::Elliptical);
}

TEST(StyleBlocksIni, ValuesThatDoNotConvertArePassedOver) {
  TIniFile ini;
  ini.WriteString("S", "Color", "no colour");
  ini.WriteString("S", "Width", "3,5");
  ini.WriteString("S", "DashStyle", "9");
  ini.WriteString("S", "Visible", "1");
  TRtLineSettings line;
  SetAll(line);
  RtReadLine(TRtIniReader(ini, QStringLiteral("S")), line);
  EXPECT_EQ(line.Color(), 0xFF00C000u);
  EXPECT_EQ(line.Width(), 2.5f);
  EXPECT_EQ(line.DashStyle(), TDashStyle::DashStyleDashDot);
  EXPECT_TRUE(line.Visible());
}

}  // namespace
