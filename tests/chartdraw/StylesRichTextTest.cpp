#include <gtest/gtest.h>

#include <QPainter>

#include <set>

#include "Pixels.h"
#include "chart/draw/RtHatch.h"
#include "chart/draw/RtRichText.h"
#include "chart/draw/RtStyles.h"
#include "chart/draw/RtSymbols.h"

namespace {

// Counts the emissions of a signal.
struct TCounter {
  int n = 0;
  int count() const { return n; }
};
template <typename Obj, typename Sig>
TCounter* Count(Obj* o, Sig s, TCounter& c) {
  QObject::connect(o, s, o, [&c] { ++c.n; });
  return &c;
}

TEST(RtColorsTest, KnownNamesGiveTheTableValuesAndBack) {
  EXPECT_EQ(RtColorFromName("Black"), 0xFF000000u);
  EXPECT_EQ(RtColorFromName("red"), 0xFFFF0000u);
  EXPECT_EQ(RtColorFromName("Green"), 0xFF008000u);
  EXPECT_EQ(RtColorFromName("LightGray"), 0xFFD3D3D3u);
  EXPECT_EQ(RtColorFromName("DarkGray"), 0xFFA9A9A9u);
  EXPECT_EQ(RtColorFromName("DarkRed"), 0xFF8B0000u);
  EXPECT_EQ(RtColorFromName("DarkBlue"), 0xFF00008Bu);
  EXPECT_EQ(RtColorFromName("Transparent"), 0x00FFFFFFu);
  EXPECT_FALSE(RtColorFromName("NoSuchColor").has_value());
  EXPECT_TRUE(RtColorFromName("ControlText").has_value());
  EXPECT_EQ(RtColorName(0xFF008000), "Green");
  EXPECT_EQ(RtColorName(0x00FFFFFF), "Transparent");
  EXPECT_EQ(RtColorName(0xFF123456), "");
  // A known colour with another alpha is not that colour.
  EXPECT_EQ(RtColorName(0x80FF0000), "");
}

TEST(RtStylesTest, SettersNormaliseClampAndNotifyOnlyOnChange) {
  TRtGradientSettings g;
  TCounter changed;
  Count(&g, &TRtStyleObject::Changed, changed);
  g.SetLinearAngle(-90);
  EXPECT_FLOAT_EQ(g.LinearAngle(), 270);
  g.SetLinearAngle(360);
  EXPECT_FLOAT_EQ(g.LinearAngle(), 0);
  g.SetLinearAngle(725);
  EXPECT_FLOAT_EQ(g.LinearAngle(), 5);
  g.SetLinearCenter(1.5f);
  EXPECT_FLOAT_EQ(g.LinearCenter(), 1);
  g.SetRadialCenterX(-0.2f);
  EXPECT_FLOAT_EQ(g.RadialCenterX(), 0);
  const int n = changed.count();
  g.SetRadialCenterX(0);  // unchanged
  g.SetLinearAngle(365);  // normalises to the stored 5
  EXPECT_EQ(changed.count(), n);

  TRtLineSettings line;
  EXPECT_TRUE(line.Visible());
  EXPECT_EQ(line.Color(), RtColors::Red);
  EXPECT_FLOAT_EQ(line.Width(), 1);
  TRtAreaSettings area;
  EXPECT_FALSE(area.Visible());
  EXPECT_TRUE(area.Solid());
  area.SetAreaStyle(TRtAreaStyle::Cross);
  EXPECT_FALSE(area.Solid());
  TRtPointSymbolSettings sym;
  EXPECT_FLOAT_EQ(sym.Size(), 11);
  EXPECT_EQ(sym.PointSymbol(), TRtPointSymbol::Circle);
}

TEST(RtStylesTest, ChangesAreRecordedOnceWithTheirDescriptions) {
  TRtUndoStack stack;
  TRtPointSymbolSettings sym;
  sym.SetUndoStack(&stack);
  sym.SetSize(8);
  sym.SetSize(8);
  EXPECT_EQ(stack.UndoCount(), 1);
  EXPECT_EQ(stack.UndoList().value(0), "Point symbol size");
  TRtLineSettings line;
  line.SetUndoStack(&stack);
  line.Gradient()->SetLinearAngle(45);
  EXPECT_EQ(stack.UndoList().value(0), "Linear gradient angle");
  line.SetVisible(false);
  EXPECT_EQ(stack.UndoList().value(0), "Line visible");
  EXPECT_EQ(stack.UndoCount(), 3);
  // The font records its whole look as one group.
  TRtFont f;
  f.PushToUndoStack(&stack, "Axis label font");
  EXPECT_EQ(stack.UndoCount(), 4);
  EXPECT_EQ(stack.UndoList().value(0), "Axis label font");
}

TEST(RtStylesTest, PenCarriesWidthDashAndColourOrGradient) {
  TRtLineSettings line;
  line.SetWidth(4);
  line.SetDashStyle(TDashStyle::DashStyleDash);
  line.SetColor(0xFF0000FF);
  QPen p = line.GetPen(QRectF(0, 0, 100, 100));
  EXPECT_DOUBLE_EQ(p.widthF(), 4);
  EXPECT_EQ(p.dashPattern(), QList<qreal>({3, 1}));
  EXPECT_EQ(p.color().rgba(), 0xFF0000FFu);
  EXPECT_EQ(p.capStyle(), Qt::FlatCap);
  line.Gradient()->SetVisible(true);
  p = line.GetPen(QRectF(0, 0, 100, 100));
  EXPECT_EQ(p.brush().style(), Qt::LinearGradientPattern);
}

TEST(RtFontTest, DrawEffectsKeepOnlyTheNewestMemberInTheFixedOrder) {
  TRtFont f;
  f.SetDrawEffects(TRtCharDrawEffect::Raised | TRtCharDrawEffect::Shadow);
  EXPECT_EQ(f.DrawEffects(), TRtCharDrawEffects(TRtCharDrawEffect::Shadow));
  f.SetDrawEffects(TRtCharDrawEffect::Shadow | TRtCharDrawEffect::Lowered);
  EXPECT_EQ(f.DrawEffects(), TRtCharDrawEffects(TRtCharDrawEffect::Lowered));
  f.SetDrawEffects({});
  EXPECT_EQ(f.DrawEffects(), TRtCharDrawEffects());
}

TEST(RtFontTest, UnknownNameFallsBackToArialAndZeroSizeToOnePoint) {
  TRtFont f;
  f.SetName("No Such Font Family 123");
  f.SetSize(0);
  const QFont q = f.ToQFont();
  EXPECT_EQ(q.family(), "Arial");
  EXPECT_DOUBLE_EQ(q.pointSizeF(), 1);
  f.SetName("Times New Roman");
  EXPECT_EQ(f.ToQFont().family(), "Times New Roman");
  // The form's Tahoma resolves to an installed sans-serif font.
  f.SetName("Tahoma");
  f.SetSize(8);
  const QFontInfo tahoma(f.ToQFont());
  EXPECT_FALSE(tahoma.family().isEmpty());
  EXPECT_NE(tahoma.family(), "Liberation Serif");
  // The fill colour's RGB part is mirrored by Color.
  f.SetFillColor(0x80123456);
  EXPECT_EQ(f.Color(), 0x00123456u);
  f.SetColor(0x00FF0000);
  EXPECT_EQ(f.FillColor(), 0x80FF0000u);
}

TEST(RtFontTest, ResizeAndInvalidateNoticesFollowTheKindOfChange) {
  TRtFont f;
  TCounter resize, invalidate;
  Count(&f, &TRtFont::NeedsResize, resize);
  Count(&f, &TRtFont::NeedsInvalidate, invalidate);
  f.SetSize(14);
  f.SetStyle(TRtFontStyle::Bold);
  EXPECT_EQ(resize.count(), 2);
  EXPECT_EQ(invalidate.count(), 0);
  f.SetFillColor(RtColors::Blue);
  EXPECT_EQ(invalidate.count(), 1);
  EXPECT_EQ(resize.count(), 2);
}

TEST(RtHatchTest, FiftyThreeDistinctPatternsDrawnPixelExact) {
  std::set<std::array<std::uint8_t, 8>> seen;
  for (int s = 0; s < RtDraw::RtHatchStyleCount; ++s) {
    const auto& rows = RtHatchPattern(TRtAreaStyle(s));
    seen.insert(rows);
    int bits = 0;
    for (auto r : rows) bits += __builtin_popcount(r);
    EXPECT_GT(bits, 0) << s;
    EXPECT_LT(bits, 64) << s;
  }
  EXPECT_EQ(seen.size(), 53u);
  // A sheet of all styles to look at: 9 by 6 swatches of 40 x 24 pixels.
  QImage sheet(9 * 44, 6 * 28, QImage::Format_ARGB32);
  sheet.fill(Qt::white);
  {
    QPainter p(&sheet);
    for (int s = 0; s <= RtDraw::RtHatchStyleCount; ++s)
      p.fillRect(QRect((s % 9) * 44 + 2, (s / 9) * 28 + 2, 40, 24),
                 RtHatchBrush(TRtAreaStyle(s), RtColors::Black, 0xFFFFFFC0));
  }
  SavePng(sheet, "hatch-styles");
  // The brush repeats the tile from the origin: pixel (x, y) is fore exactly where the bit is set.
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    p.fillRect(img.rect(), RtHatchBrush(TRtAreaStyle::DiagonalBrick, 0xFFFF0000, 0xFF0000FF));
  }
  const auto& rows = RtHatchPattern(TRtAreaStyle::DiagonalBrick);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool fore = (rows[y % 8] >> (7 - x % 8)) & 1;
      ASSERT_EQ(img.pixel(x, y), fore ? 0xFFFF0000u : 0xFF0000FFu) << x << "," << y;
    }
  // Percentages grow with their number.
  auto bits = [](TRtAreaStyle s) {
    int n = 0;
    for (auto r : RtHatchPattern(s)) n += __builtin_popcount(r);
    return n;
  };
  EXPECT_LT(bits(TRtAreaStyle::Percent05), bits(TRtAreaStyle::Percent10));
  EXPECT_LT(bits(TRtAreaStyle::Percent40), bits(TRtAreaStyle::Percent50));
  EXPECT_EQ(bits(TRtAreaStyle::Percent50), 32);
  EXPECT_LT(bits(TRtAreaStyle::Percent80), bits(TRtAreaStyle::Percent90));
}

TEST(RtAreaTest, BrushIsHatchSolidOrGradient) {
  TRtAreaSettings a;
  EXPECT_EQ(a.GetBrush().style(), Qt::SolidPattern);
  EXPECT_EQ(a.GetBrush().color().rgba(), RtColors::LightGray);
  a.SetAreaStyle(TRtAreaStyle::Percent50);
  EXPECT_EQ(a.GetBrush().style(), Qt::TexturePattern);
  a.Gradient()->SetVisible(true);
  a.Gradient()->SetStyle(TRtGradientStyle::Elliptical);
  EXPECT_EQ(a.GetBrush(QRectF(0, 0, 10, 10)).style(), Qt::RadialGradientPattern);
}

// ---- rich text

std::vector<TRtRichRun> TextRuns(const QString& s) {
  std::vector<TRtRichRun> out;
  for (const TRtRichRun& r : RtParseRichText(s, "Arial", {}))
    if (r.kind == TRtRichRun::Text) out.push_back(r);
  return out;
}

TEST(RtRichTextTest, MarkupCommandsToggleAndEscape) {
  auto runs = TextRuns(QStringLiteral("\u00B710\\+-5"));
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].text, QStringLiteral("\u00B710"));
  EXPECT_FALSE(runs[0].super);
  EXPECT_EQ(runs[1].text, "-5");
  EXPECT_TRUE(runs[1].super);

  runs = TextRuns("H\\-2\\-O");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_TRUE(runs[1].sub);
  EXPECT_FALSE(runs[2].sub);

  // Subscript ends a running superscript.
  runs = TextRuns("a\\+b\\-c");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_TRUE(runs[1].super);
  EXPECT_TRUE(runs[2].sub);
  EXPECT_FALSE(runs[2].super);

  TRtRichCaptionRec r;
  r.Caption = "a\\\\b";
  RtMeasureRichCaption(r);
  EXPECT_EQ(r.FText, "a\\b");
  r.Caption = "x\\qy\\";  // unknown command shows its character; lone trailing backslash dropped
  RtMeasureRichCaption(r);
  EXPECT_EQ(r.FText, "xqy");
  r.Caption = "\\bbold\\b \\iit\\i \\uu\\u \\oo\\o";
  RtMeasureRichCaption(r);
  EXPECT_EQ(r.FText, "bold it u o");
  runs = TextRuns("\\bB\\b\\iI\\i\\uU\\u\\oO\\o");
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_TRUE(runs[0].bold && !runs[0].italic);
  EXPECT_TRUE(runs[1].italic && !runs[1].bold);
  EXPECT_TRUE(runs[2].underline);
  EXPECT_TRUE(runs[3].strikeOut && !runs[3].underline);
}

TEST(RtRichTextTest, ColourAndFontCommandsAndTheirResets) {
  auto runs = TextRuns("\\c[A=255,R=255,G=0,B=0]x\\c[]y\\c[A=255,R=0,G=0,B=255]z");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_TRUE(runs[0].hasColor);
  EXPECT_EQ(runs[0].color, 0xFFFF0000u);
  EXPECT_FALSE(runs[1].hasColor);
  EXPECT_EQ(runs[2].color, 0xFF0000FFu);
  runs = TextRuns("\\f[Times New Roman]a\\f[]b");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].fontName, "Times New Roman");
  EXPECT_EQ(runs[1].fontName, "Arial");
}

TEST(RtRichTextTest, MeasureCountsLinesScriptsAndPadding) {
  TRtFont font;
  font.SetSize(12);
  TRtRichCaptionRec one, two;
  one.Font = two.Font = &font;
  one.Caption = "Ab";
  two.Caption = "Ab\rAb";
  RtMeasureRichCaption(one);
  RtMeasureRichCaption(two);
  ASSERT_GT(one.FLineHeight, 0);
  EXPECT_FLOAT_EQ(one.FHeight, one.FLineHeight);
  EXPECT_FLOAT_EQ(two.FHeight, 2 * one.FLineHeight);
  EXPECT_EQ(two.FLineWidth.size(), 2u);
  EXPECT_FLOAT_EQ(two.FWidth, one.FWidth);
  // Padding of a third of the em (16 px at 12 pt) is in every line.
  EXPECT_FLOAT_EQ(one.FRightAdj, 16.0f / 3);
  // A superscript piece is measured at 0.66 of the size: narrower than the same text plain;
  // the on/off shifts cancel.
  TRtRichCaptionRec plain, sup;
  plain.Font = sup.Font = &font;
  plain.Caption = "x";
  sup.Caption = "\\+x\\+";
  RtMeasureRichCaption(plain);
  RtMeasureRichCaption(sup);
  EXPECT_LT(sup.FWidth, plain.FWidth);
  EXPECT_GT(sup.FWidth, plain.FRightAdj);
  EXPECT_FLOAT_EQ(sup.FSize, 12 * 0.66f);
}

QImage DrawCaption(const QString& Caption, TRtContentAlignment Align, float Size = 20) {
  static TRtFont font;
  font.SetSize(Size);
  font.SetFillColor(RtColors::Black);
  QImage img(300, 140, QImage::Format_ARGB32);
  img.fill(Qt::white);
  TRtRichCaptionRec r;
  r.Font = &font;
  r.Caption = Caption;
  r.X = 150;
  r.Y = 70;
  r.Align = Align;
  QPainter p(&img);
  RtDrawRichCaption(r, p);
  return img;
}

TEST(RtRichTextTest, ExponentIsRaisedAndSubscriptLowered) {
  const QImage e = DrawCaption(QStringLiteral("\u00B710\\+-5"), TRtContentAlignment::MiddleLeft);
  SavePng(e, "richtext-exponent");
  // Glyphs: middle dot, 1, 0, minus, 5. The exponent's 5 is smaller and sits higher than the 0.
  const std::vector<QRect> g = InkSegments(e);
  ASSERT_EQ(g.size(), 5u);
  EXPECT_LT(g[4].bottom(), g[2].bottom() - 3);
  EXPECT_LT(g[4].height(), g[2].height());
  EXPECT_LT(g[4].top(), g[2].top());

  SavePng(DrawCaption("H\\-2\\-O", TRtContentAlignment::MiddleLeft), "richtext-subscript");
  // The same digit plain and as subscript, drawn from the same anchor: the subscript is smaller,
  // its top lies well lower and its foot below the plain one's.
  const QRect plain =
      InkBounds(DrawCaption("2", TRtContentAlignment::TopLeft), QRect(0, 0, 300, 140), NotWhite);
  const QRect sub = InkBounds(DrawCaption("\\-2\\-", TRtContentAlignment::TopLeft),
                              QRect(0, 0, 300, 140), NotWhite);
  EXPECT_GT(sub.top(), plain.top() + 4);
  EXPECT_GT(sub.bottom(), plain.bottom());
  EXPECT_LT(sub.height(), plain.height());
  EXPECT_GT(sub.left(), plain.left());
}

TEST(RtRichTextTest, ColourCommandPaintsThePieceInItsColour) {
  const QImage img = DrawCaption("\\c[A=255,R=255,G=0,B=0]WW\\c[]WW\\c[A=255,R=0,G=0,B=255]WW",
                                 TRtContentAlignment::MiddleCenter);
  SavePng(img, "richtext-colours");
  const QRect all = InkBounds(img, img.rect(), NotWhite);
  const int third = all.width() / 3;
  const QRect a(all.left(), 0, third, 140), b(all.left() + third, 0, third, 140),
      c(all.left() + 2 * third, 0, third + 1, 140);
  EXPECT_GT(CountPixels(img, a, Reddish), 20);
  EXPECT_EQ(CountPixels(img, b, Reddish) + CountPixels(img, b, Bluish), 0);
  EXPECT_GT(CountPixels(img, b, [](QRgb p) { return qGray(p) < 60; }), 20);
  EXPECT_GT(CountPixels(img, c, Bluish), 20);
  EXPECT_EQ(CountPixels(img, c, Reddish), 0);
}

TEST(RtRichTextTest, TwoLinesMiddleCenterSitOnTheAnchor) {
  const QImage img = DrawCaption("Line one\rLine two", TRtContentAlignment::MiddleCenter);
  SavePng(img, "richtext-two-lines");
  const QRect ink = InkBounds(img, img.rect(), NotWhite);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_NEAR(ink.center().x(), 150, 4);
  EXPECT_NEAR(ink.center().y(), 70, 6);
  const QRect top = InkBounds(img, QRect(0, 0, 300, 70), NotWhite);
  const QRect bottom = InkBounds(img, QRect(0, 71, 300, 69), NotWhite);
  EXPECT_NEAR(top.center().x(), 150, 4);
  EXPECT_NEAR(bottom.center().x(), 150, 4);
}

TEST(RtRichTextTest, AlignmentOffsetsAndRotatedLabelBounds) {
  EXPECT_EQ(RtAlignmentOffset(TRtContentAlignment::TopLeft, 40, 10), QPointF(0, 0));
  EXPECT_EQ(RtAlignmentOffset(TRtContentAlignment::MiddleCenter, 40, 10), QPointF(-20, -5));
  EXPECT_EQ(RtAlignmentOffset(TRtContentAlignment::BottomRight, 40, 10), QPointF(-40, -10));
  const TRtLabelBounds b0 = RtRichLabelBounds(40, 10, 0, TRtContentAlignment::TopLeft);
  EXPECT_EQ(b0.Width, 41);
  EXPECT_EQ(b0.Height, 11);
  const TRtLabelBounds b90 = RtRichLabelBounds(40, 10, 90, TRtContentAlignment::TopLeft);
  EXPECT_EQ(b90.Width, 11);
  EXPECT_EQ(b90.Height, 41);
  // Rotated counter-clockwise about the top-left anchor, the box lies above it.
  EXPECT_NEAR(b90.XOffs, 0, 1e-4);
  EXPECT_NEAR(b90.YOffs, 40, 1e-4);
}

TEST(RtSymbolsTest, FilledShapesAndPathsCentredOnThePoint) {
  EXPECT_TRUE(RtSymbolIsFilled(TRtPointSymbol::Square));
  EXPECT_TRUE(RtSymbolIsFilled(TRtPointSymbol::FiveStar));
  EXPECT_FALSE(RtSymbolIsFilled(TRtPointSymbol::Cross));
  EXPECT_FALSE(RtSymbolIsFilled(TRtPointSymbol::Dot));
  for (int s = 0; s <= int(TRtPointSymbol::Nabla); ++s) {
    const QRectF b = RtSymbolPath(TRtPointSymbol(s), 50, 60, 10).boundingRect();
    EXPECT_NEAR(b.width(), 10, 1.0) << s;
    EXPECT_LE(b.height(), 10.01) << s;
    EXPECT_NEAR(b.center().x(), 50, 0.01) << s;
  }
}

}  // namespace
