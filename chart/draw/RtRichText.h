// Rich-text captions: a caption string with inline markup, measured and drawn by one renderer.
//
// Markup: a carriage return ends a line; a backslash starts a command given by the next
// character: "+" superscript and "-" subscript (toggles; each ends the other), "\" a literal
// backslash, "b" bold, "i" italic, "u" underline, "o" strike-out (toggles), "c[A=a,R=r,G=g,B=b]"
// text colour ("c[]" back to the default colour), "f[Name]" font name ("f[]" back to the record
// font). After any other character the backslash is dropped; a lone trailing backslash is
// ignored. Super- and subscript text uses 0.66 of the font size.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPointer>
#include <QString>

#include <vector>

#include "chart/draw/RtDrawTypes.h"
#include "chart/draw/RtStyles.h"

// One rich text item: the source, where and how it is drawn, and what measuring found.
struct TRtRichCaptionRec {
  // Results of measuring.
  QString FText;             // the text without markup; lines joined by "\r"
  QString FCaptionWithVars;  // the caption after variable substitution
  std::vector<float> FLineWidth;
  float FRightAdj = 0;  // the renderer's trailing padding, added to every line
  float FWidth = 0;
  float FHeight = 0;
  float FLineHeight = 0;
  float FSize = 0;  // point size of the last piece measured
  // Parser state after the last piece (kept for inspection).
  QString FFontName;
  bool FBold = false, FItalic = false, FUnderline = false, FStrikeOut = false;
  bool FSuperScript = false, FSubScript = false;
  int FStyle = 0;
  QFont FFont;

  // Input.
  float Angle = 0;  // degrees, counter-clockwise
  float X = 0, Y = 0;
  TRtContentAlignment Align = TRtContentAlignment::TopLeft;
  QString Caption;
  QPointer<TRtFont> Font;
  TRtColor FColorOverride = 0;  // 0: the font's fill colour

  // The caption and font the results belong to (Draw re-measures when they changed).
  QString fMeasuredCaption;
  bool fMeasured = false;
};

// Growable array of caption records.
class TRtRichCaptionRecVector {
 public:
  int Count() const { return int(fItems.size()); }
  int Add(const TRtRichCaptionRec& r) {
    fItems.push_back(r);
    return Count();
  }
  // Raise ERtRangeError outside 0 .. Count-1.
  const TRtRichCaptionRec& GetValue(int i) const;
  TRtRichCaptionRec& GetValue(int i);
  void SetValue(int i, const TRtRichCaptionRec& r);
  void Delete(int i);
  void Clear() { fItems.clear(); }
  void SetCount(int n) { fItems.resize(std::size_t(std::max(n, 0))); }
  auto begin() { return fItems.begin(); }
  auto end() { return fItems.end(); }
  auto begin() const { return fItems.begin(); }
  auto end() const { return fItems.end(); }

 private:
  std::vector<TRtRichCaptionRec> fItems;
};

// One run of text with uniform attributes, as the parser yields it.
struct TRtRichRun {
  enum Kind { Text, LineBreak, SuperOn, SuperOff, SubOn, SubOff };
  Kind kind = Text;
  QString text;
  QString fontName;
  bool bold = false, italic = false, underline = false, strikeOut = false;
  bool super = false, sub = false;
  bool hasColor = false;  // false: the default colour
  TRtColor color = 0;
};

// Splits Caption into runs. BaseFont gives the initial name and style.
std::vector<TRtRichRun> RtParseRichText(const QString& Caption, const QString& BaseFontName,
                                        TRtFontStyles BaseStyle);
// Measures R (FText, FLineWidth, FWidth, FHeight, FRightAdj, ...). Metrics are those of a
// 96-dpi device, whatever Painter is; Painter may be null.
void RtMeasureRichCaption(TRtRichCaptionRec& R, QPainter* Painter = nullptr);
// Draws R, measuring it first when its caption changed or it was never measured.
void RtDrawRichCaption(TRtRichCaptionRec& R, QPainter& Painter);
// Top-left corner of the (unrotated) box relative to the anchor for an alignment.
QPointF RtAlignmentOffset(TRtContentAlignment Align, float W, float H);

// Size and anchor of an auto-sized label control showing a box W x H rotated by AngleDeg:
// width = round(|cos|W + |sin|H + 0.5), height = round(|sin|W + |cos|H + 0.5), and the anchor
// (XOffs, YOffs) placed so that the rotated box touches the control's edges.
struct TRtLabelBounds {
  int Width = 0, Height = 0;
  float XOffs = 0, YOffs = 0;
};
TRtLabelBounds RtRichLabelBounds(float W, float H, float AngleDeg, TRtContentAlignment Align);
