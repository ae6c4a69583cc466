#include "chart/draw/RtRichText.h"

#include <QFontMetricsF>
#include <QImage>

#include <cmath>

#include "chart/data/RtExceptions.h"

namespace {

constexpr float kScriptScale = 0.66f;
constexpr float kScriptAdvance = 0.045f;
constexpr float kSuperRaise = 0.075f;
constexpr float kSubLower = 0.34f;

// Metrics come from one 96-dpi device so that sizes do not depend on the screen.
QPaintDevice* ReferenceDevice() {
  static QImage device = [] {
    QImage img(1, 1, QImage::Format_ARGB32);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    return img;
  }();
  return &device;
}

QFont BaseFont(const TRtRichCaptionRec& R) {
  if (R.Font) return R.Font->ToQFont();
  QFont f(QStringLiteral("Arial"));
  f.setPointSizeF(8);
  return f;
}

QFont RunFont(const QFont& Base, const TRtRichRun& r) {
  QFont f = Base;
  if (!r.fontName.isEmpty())
    f.setFamily(TRtFont::FamilyKnown(r.fontName) ? r.fontName : QStringLiteral("Arial"));
  f.setBold(r.bold);
  f.setItalic(r.italic);
  f.setUnderline(r.underline);
  f.setStrikeOut(r.strikeOut);
  if (r.super || r.sub) f.setPointSizeF(Base.pointSizeF() * kScriptScale);
  return f;
}

float PieceWidth(const QFont& f, const QString& text) {
  const QFontMetricsF fm(f, ReferenceDevice());
  return float(fm.horizontalAdvance(QLatin1Char('I') + text + QLatin1Char('I')) -
               fm.horizontalAdvance(QStringLiteral("II")));
}

// "A=255,R=0,G=0,B=255": components by their letter, or by position when unlettered.
TRtColor ParseColorArgument(const QString& arg) {
  int comp[4] = {255, 0, 0, 0};
  const QStringList parts = arg.split(QLatin1Char(','));
  for (int k = 0; k < parts.size() && k < 4; ++k) {
    QString p = parts[k].trimmed();
    int slot = k;
    const int eq = p.indexOf(QLatin1Char('='));
    if (eq >= 0) {
      const QString key = p.left(eq).trimmed().toUpper();
      if (key == QLatin1String("A")) slot = 0;
      if (key == QLatin1String("R")) slot = 1;
      if (key == QLatin1String("G")) slot = 2;
      if (key == QLatin1String("B")) slot = 3;
      p = p.mid(eq + 1).trimmed();
    }
    bool ok = false;
    const int v = p.toInt(&ok);
    if (ok) comp[slot] = std::clamp(v, 0, 255);
  }
  return (TRtColor(comp[0]) << 24) | (TRtColor(comp[1]) << 16) | (TRtColor(comp[2]) << 8) |
         TRtColor(comp[3]);
}

}  // namespace

const TRtRichCaptionRec& TRtRichCaptionRecVector::GetValue(int i) const {
  if (i < 0 || i >= Count()) throw ERtRangeError(RtIndexOutOfRangeText(i));
  return fItems[std::size_t(i)];
}

TRtRichCaptionRec& TRtRichCaptionRecVector::GetValue(int i) {
  if (i < 0 || i >= Count()) throw ERtRangeError(RtIndexOutOfRangeText(i));
  return fItems[std::size_t(i)];
}

void TRtRichCaptionRecVector::SetValue(int i, const TRtRichCaptionRec& r) {
  if (i < 0) throw ERtRangeError(RtIndexOutOfRangeText(i));
  if (i >= Count()) SetCount(i + 1);
  fItems[std::size_t(i)] = r;
}

void TRtRichCaptionRecVector::Delete(int i) {
  if (i >= 0 && i < Count()) fItems.erase(fItems.begin() + i);
}

std::vector<TRtRichRun> RtParseRichText(const QString& Caption, const QString& BaseFontName,
                                        TRtFontStyles BaseStyle) {
  std::vector<TRtRichRun> runs;
  TRtRichRun cur;
  cur.fontName = BaseFontName;
  cur.bold = BaseStyle.testFlag(TRtFontStyle::Bold);
  cur.italic = BaseStyle.testFlag(TRtFontStyle::Italic);
  cur.underline = BaseStyle.testFlag(TRtFontStyle::Underline);
  cur.strikeOut = BaseStyle.testFlag(TRtFontStyle::StrikeOut);
  auto flush = [&] {
    if (!cur.text.isEmpty()) runs.push_back(cur);
    cur.text.clear();
  };
  auto marker = [&](TRtRichRun::Kind k) {
    flush();
    TRtRichRun m = cur;
    m.kind = k;
    runs.push_back(m);
  };
  // Reads "[...]" after a command; returns false when no bracket follows.
  auto bracket = [&](int& i, QString& arg) {
    if (i + 1 >= Caption.size() || Caption[i + 1] != QLatin1Char('[')) return false;
    const int close = Caption.indexOf(QLatin1Char(']'), i + 2);
    const int end = close < 0 ? Caption.size() : close;
    arg = Caption.mid(i + 2, end - i - 2);
    i = close < 0 ? Caption.size() - 1 : close;
    return true;
  };
  for (int i = 0; i < Caption.size(); ++i) {
    const QChar ch = Caption[i];
    if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
      if (ch == QLatin1Char('\r') && i + 1 < Caption.size() && Caption[i + 1] == QLatin1Char('\n'))
        ++i;
      marker(TRtRichRun::LineBreak);
      continue;
    }
    if (ch != QLatin1Char('\\')) {
      cur.text += ch;
      continue;
    }
    if (i + 1 >= Caption.size()) break;  // a lone trailing backslash
    const QChar c = Caption[++i];
    QString arg;
    switch (c.unicode()) {
      case '+':
        flush();
        if (cur.sub) {
          marker(TRtRichRun::SubOff);
          cur.sub = false;
        }
        cur.super = !cur.super;
        marker(cur.super ? TRtRichRun::SuperOn : TRtRichRun::SuperOff);
        break;
      case '-':
        flush();
        if (cur.super) {
          marker(TRtRichRun::SuperOff);
          cur.super = false;
        }
        cur.sub = !cur.sub;
        marker(cur.sub ? TRtRichRun::SubOn : TRtRichRun::SubOff);
        break;
      case '\\':
        cur.text += QLatin1Char('\\');
        break;
      case 'b':
        flush();
        cur.bold = !cur.bold;
        break;
      case 'i':
        flush();
        cur.italic = !cur.italic;
        break;
      case 'u':
        flush();
        cur.underline = !cur.underline;
        break;
      case 'o':
        flush();
        cur.strikeOut = !cur.strikeOut;
        break;
      case 'c':
        if (bracket(i, arg)) {
          flush();
          cur.hasColor = !arg.trimmed().isEmpty();
          cur.color = cur.hasColor ? ParseColorArgument(arg) : 0;
        }
        break;
      case 'f':
        if (bracket(i, arg)) {
          flush();
          cur.fontName = arg.trimmed().isEmpty() ? BaseFontName : arg.trimmed();
        }
        break;
      default:
        cur.text += c;
        break;
    }
  }
  flush();
  return runs;
}

void RtMeasureRichCaption(TRtRichCaptionRec& R, QPainter*) {
  const QFont base = BaseFont(R);
  const TRtFontStyles style = R.Font ? R.Font->Style() : TRtFontStyles();
  R.FCaptionWithVars = R.Caption;
  const std::vector<TRtRichRun> runs = RtParseRichText(R.FCaptionWithVars, base.family(), style);
  const QFontMetricsF fm(base, ReferenceDevice());
  const float h = float(fm.lineSpacing());
  // The padding the reference renderer keeps around a line: one sixth of the em at each end.
  const float em = float(base.pointSizeF() * 96.0 / 72.0);
  R.FRightAdj = em / 3.0f;
  R.FLineHeight = h;
  R.FText.clear();
  R.FLineWidth.assign(1, 0.0f);
  R.FSize = float(base.pointSizeF());
  for (const TRtRichRun& r : runs) {
    float& w = R.FLineWidth.back();
    switch (r.kind) {
      case TRtRichRun::LineBreak:
        R.FText += QLatin1Char('\r');
        R.FLineWidth.push_back(0.0f);
        break;
      case TRtRichRun::SuperOn:
      case TRtRichRun::SubOn:
        w += kScriptAdvance * h;
        break;
      case TRtRichRun::SuperOff:
      case TRtRichRun::SubOff:
        w -= kScriptAdvance * h;
        break;
      case TRtRichRun::Text: {
        const QFont f = RunFont(base, r);
        w += PieceWidth(f, r.text);
        R.FText += r.text;
        R.FSize = float(f.pointSizeF());
        break;
      }
    }
  }
  const TRtRichRun last = runs.empty() ? TRtRichRun() : runs.back();
  R.FFont = base;
  R.FFontName = last.fontName;
  R.FBold = last.bold;
  R.FItalic = last.italic;
  R.FUnderline = last.underline;
  R.FStrikeOut = last.strikeOut;
  R.FSuperScript = last.super;
  R.FSubScript = last.sub;
  R.FStyle = int(style);
  R.FWidth = 0;
  for (float& w : R.FLineWidth) {
    w += R.FRightAdj;
    R.FWidth = std::max(R.FWidth, w);
  }
  R.FHeight = float(R.FLineWidth.size()) * h;
  R.fMeasuredCaption = R.Caption;
  R.fMeasured = true;
}

QPointF RtAlignmentOffset(TRtContentAlignment Align, float W, float H) {
  const int a = int(Align);
  const float dx = (a % 3 == 0) ? 0 : (a % 3 == 1) ? -W / 2 : -W;
  const float dy = (a / 3 == 0) ? 0 : (a / 3 == 1) ? -H / 2 : -H;
  return {dx, dy};
}

void RtDrawRichCaption(TRtRichCaptionRec& R, QPainter& P) {
  if (!R.fMeasured || R.fMeasuredCaption != R.Caption) RtMeasureRichCaption(R, &P);
  const QFont base = BaseFont(R);
  const TRtFontStyles style = R.Font ? R.Font->Style() : TRtFontStyles();
  const std::vector<TRtRichRun> runs = RtParseRichText(R.FCaptionWithVars, base.family(), style);
  const TRtColor defaultColor =
      R.FColorOverride != 0 ? R.FColorOverride : (R.Font ? R.Font->FillColor() : RtColors::Black);
  const float h = R.FLineHeight;
  const QRectF box(0, 0, R.FWidth, R.FHeight);
  const TRtCharDrawEffects effects = R.Font ? R.Font->DrawEffects() : TRtCharDrawEffects();
  const bool useGradient = R.Font && R.Font->Gradient()->Visible();

  P.save();
  P.translate(R.X, R.Y);
  P.rotate(-R.Angle);
  P.translate(RtAlignmentOffset(R.Align, R.FWidth, R.FHeight));
  const int col = int(R.Align) % 3;
  auto lineStart = [&](int line) {
    const float lw = line < int(R.FLineWidth.size()) ? R.FLineWidth[std::size_t(line)] : 0;
    const float x0 = col == 0 ? 0 : col == 1 ? (R.FWidth - lw) / 2 : R.FWidth - lw;
    return x0 + R.FRightAdj / 2;
  };
  int line = 0;
  float x = lineStart(0), shift = 0;
  for (const TRtRichRun& r : runs) {
    switch (r.kind) {
      case TRtRichRun::LineBreak:
        ++line;
        x = lineStart(line);
        continue;
      case TRtRichRun::SuperOn:
        x += kScriptAdvance * h;
        shift = -kSuperRaise * h;
        continue;
      case TRtRichRun::SubOn:
        x += kScriptAdvance * h;
        shift = kSubLower * h;
        continue;
      case TRtRichRun::SuperOff:
      case TRtRichRun::SubOff:
        x -= kScriptAdvance * h;
        shift = 0;
        continue;
      case TRtRichRun::Text:
        break;
    }
    const QFont f = RunFont(base, r);
    const QFontMetricsF fm(f, ReferenceDevice());
    const QPointF at(x, line * h + shift + fm.ascent());
    P.setFont(f);
    auto drawAt = [&](QPointF d, const QColor& c) {
      P.setPen(QPen(c));
      P.drawText(at + d, r.text);
    };
    if (effects.testFlag(TRtCharDrawEffect::Shadow)) drawAt({2, 2}, QColor(0, 0, 0, 96));
    if (effects.testFlag(TRtCharDrawEffect::Outline))
      for (QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        drawAt(d, Qt::white);
    if (effects.testFlag(TRtCharDrawEffect::Lowered)) {
      drawAt({-1, -1}, QColor(0, 0, 0, 128));
      drawAt({1, 1}, Qt::white);
    }
    if (effects.testFlag(TRtCharDrawEffect::Raised)) {
      drawAt({-1, -1}, Qt::white);
      drawAt({1, 1}, QColor(0, 0, 0, 128));
    }
    if (!r.hasColor && useGradient && R.FColorOverride == 0)
      P.setPen(QPen(R.Font->Gradient()->GetBrush(box), 1));
    else
      P.setPen(QPen(RtQColor(r.hasColor ? r.color : defaultColor)));
    P.drawText(at, r.text);
    x += PieceWidth(f, r.text);
  }
  P.restore();
}

TRtLabelBounds RtRichLabelBounds(float W, float H, float AngleDeg, TRtContentAlignment Align) {
  const double a = AngleDeg * M_PI / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  TRtLabelBounds b;
  b.Width = int(std::lround(std::abs(c) * W + std::abs(s) * H + 0.5));
  b.Height = int(std::lround(std::abs(s) * W + std::abs(c) * H + 0.5));
  // Corners of the box relative to the anchor, rotated counter-clockwise on screen (y down).
  const QPointF o = RtAlignmentOffset(Align, W, H);
  double minX = 1e300, minY = 1e300;
  for (QPointF p : {o, o + QPointF(W, 0), o + QPointF(0, H), o + QPointF(W, H)}) {
    const double rx = p.x() * c + p.y() * s;
    const double ry = -p.x() * s + p.y() * c;
    minX = std::min(minX, rx);
    minY = std::min(minY, ry);
  }
  b.XOffs = float(-minX);
  b.YOffs = float(-minY);
  return b;
}
