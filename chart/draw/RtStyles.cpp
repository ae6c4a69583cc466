#include "chart/draw/RtStyles.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

#include "chart/draw/RtHatch.h"
#include "chart/undo/RtUndoStack.h"

namespace {

float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}

QGradientStops ThreeStops(TRtColor First, TRtColor Middle, TRtColor Last, float Center) {
  QGradientStops stops;
  stops << QGradientStop(0.0, RtQColor(First));
  if (Center > 0 && Center < 1) stops << QGradientStop(Center, RtQColor(Middle));
  stops << QGradientStop(1.0, RtQColor(Last));
  return stops;
}

}  // namespace

void TRtStyleObject::Record(const char* Comment, const char* PropName) {
  if (fUndoStack && fUndoStack->Recording())
    fUndoStack->PushProperty(this, QString::fromUtf8(Comment), PropName);
}

// ---- gradient

void TRtGradientSettings::SetLinearAngle(float v) {
  v = std::fmod(v, 360.0f);
  if (v < 0) v += 360.0f;
  if (v >= 360.0f) v = 0;
  Change(FLinearAngle, v, "Linear gradient angle", "LinearAngle");
}

void TRtGradientSettings::SetLinearCenter(float v) {
  Change(FLinearCenter, Clamp01(v), "Linear gradient center", "LinearCenter");
}

void TRtGradientSettings::SetRadialCenterX(float v) {
  Change(FRadialCenterX, Clamp01(v), "X component of gradient center", "RadialCenterX");
}

void TRtGradientSettings::SetRadialCenterY(float v) {
  Change(FRadialCenterY, Clamp01(v), "Y component of gradient center", "RadialCenterY");
}

QBrush TRtGradientSettings::GetBrush(const QRectF& Rect, float ExtraAngle) const {
  if (FStyle == TRtGradientStyle::Linear) {
    const double a = (FLinearAngle + ExtraAngle) * M_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    const double half = (Rect.width() * std::abs(c) + Rect.height() * std::abs(s)) / 2;
    const QPointF m = Rect.center();
    QLinearGradient g(m - QPointF(c * half, s * half), m + QPointF(c * half, s * half));
    g.setStops(ThreeStops(FFirstColor, FMiddleColor, FLastColor, FLinearCenter));
    return QBrush(g);
  }
  // Path gradient: first colour at the centre point, the last at the edge of the rectangle
  // (Radial, reached at the corners) or of the inscribed ellipse (Elliptical).
  const QPointF c(Rect.x() + FRadialCenterX * Rect.width(),
                  Rect.y() + FRadialCenterY * Rect.height());
  const double scale = FStyle == TRtGradientStyle::Radial ? std::sqrt(2.0) : 1.0;
  const double rx = std::max(1e-6, Rect.width() / 2 * scale);
  const double ry = std::max(1e-6, Rect.height() / 2 * scale);
  QRadialGradient g(QPointF(0, 0), 1.0);
  g.setStops(ThreeStops(FFirstColor, FMiddleColor, FLastColor, 0.5f));
  QBrush b(g);
  QTransform t;
  t.translate(c.x(), c.y());
  t.scale(rx, ry);
  b.setTransform(t);
  return b;
}

void TRtGradientSettings::Assign(const TRtGradientSettings& s) {
  if (&s == this) return;
  FVisible = s.FVisible;
  FStyle = s.FStyle;
  FLinearAngle = s.FLinearAngle;
  FLinearCenter = s.FLinearCenter;
  FRadialCenterX = s.FRadialCenterX;
  FRadialCenterY = s.FRadialCenterY;
  FFirstColor = s.FFirstColor;
  FMiddleColor = s.FMiddleColor;
  FLastColor = s.FLastColor;
  Q_EMIT Changed();
}

// ---- lines

TRtSimpleLineSettings::TRtSimpleLineSettings(QObject* Parent)
    : TRtStyleObject(Parent), FGradient(new TRtGradientSettings(this)) {
  connect(FGradient, &TRtStyleObject::Changed, this, &TRtStyleObject::Changed);
}

void TRtSimpleLineSettings::SetUndoStack(TRtUndoStack* Stack) {
  TRtStyleObject::SetUndoStack(Stack);
  FGradient->SetUndoStack(Stack);
}

QPen TRtSimpleLineSettings::GetPen(const QRectF& Rect, float ExtraAngle) const {
  QPen pen;
  if (FGradient->Visible())
    pen.setBrush(FGradient->GetBrush(Rect, ExtraAngle));
  else
    pen.setColor(RtQColor(FColor));
  pen.setWidthF(FWidth);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  pen.setMiterLimit(0);
  // Dash lengths in line widths, as the drawing layer defines its dash styles.
  switch (FDashStyle) {
    case TDashStyle::DashStyleSolid:
    case TDashStyle::DashStyleCustom:
      pen.setStyle(Qt::SolidLine);
      break;
    case TDashStyle::DashStyleDash:
      pen.setDashPattern({3, 1});
      break;
    case TDashStyle::DashStyleDot:
      pen.setDashPattern({1, 1});
      break;
    case TDashStyle::DashStyleDashDot:
      pen.setDashPattern({3, 1, 1, 1});
      break;
    case TDashStyle::DashStyleDashDotDot:
      pen.setDashPattern({3, 1, 1, 1, 1, 1});
      break;
  }
  return pen;
}

void TRtSimpleLineSettings::Assign(const TRtSimpleLineSettings& s) {
  if (&s == this) return;
  FWidth = s.FWidth;
  FDashStyle = s.FDashStyle;
  FColor = s.FColor;
  const QSignalBlocker block(FGradient);
  FGradient->Assign(*s.FGradient);
  Q_EMIT Changed();
}

void TRtLineSettings::Assign(const TRtLineSettings& s) {
  FVisible = s.FVisible;
  TRtSimpleLineSettings::Assign(s);
}

// ---- area

TRtAreaSettings::TRtAreaSettings(QObject* Parent)
    : TRtStyleObject(Parent), FGradient(new TRtGradientSettings(this)) {
  connect(FGradient, &TRtStyleObject::Changed, this, &TRtStyleObject::Changed);
}

void TRtAreaSettings::SetUndoStack(TRtUndoStack* Stack) {
  TRtStyleObject::SetUndoStack(Stack);
  FGradient->SetUndoStack(Stack);
}

QBrush TRtAreaSettings::GetBrush(const QRectF& Rect) const {
  if (FGradient->Visible()) return FGradient->GetBrush(Rect);
  if (Solid()) return QBrush(RtQColor(FForeColor));
  return RtHatchBrush(FAreaStyle, FForeColor, FBackColor);
}

void TRtAreaSettings::Assign(const TRtAreaSettings& s) {
  if (&s == this) return;
  FVisible = s.FVisible;
  FAreaStyle = s.FAreaStyle;
  FForeColor = s.FForeColor;
  FBackColor = s.FBackColor;
  const QSignalBlocker block(FGradient);
  FGradient->Assign(*s.FGradient);
  Q_EMIT Changed();
}

// ---- symbols and arrow head

void TRtPointSymbolSettings::Assign(const TRtPointSymbolSettings& s) {
  if (&s == this) return;
  FVisible = s.FVisible;
  FSize = s.FSize;
  FBorderLineWidth = s.FBorderLineWidth;
  FBorderColor = s.FBorderColor;
  FFillColor = s.FFillColor;
  FPointSymbol = s.FPointSymbol;
  Q_EMIT Changed();
}

QPolygonF TRtAxisArrowPoint::HeadPolygon() const {
  const float h = FPointHeight, l = FPointLength, i = FInnerLength;
  return QPolygonF(
      {QPointF(h, -l), QPointF(0, 0), QPointF(-h, -l), QPointF(0, -i), QPointF(h, -l)});
}

void TRtAxisArrowPoint::Assign(const TRtAxisArrowPoint& s) {
  if (&s == this) return;
  FVisible = s.FVisible;
  FPointLength = s.FPointLength;
  FInnerLength = s.FInnerLength;
  FPointHeight = s.FPointHeight;
  Q_EMIT Changed();
}

// ---- font

TRtFont::TRtFont(QObject* Parent)
    : TRtStyleObject(Parent), FGradient(new TRtGradientSettings(this)) {
  connect(FGradient, &TRtStyleObject::Changed, this, &TRtFont::NeedsInvalidate);
  connect(FGradient, &TRtStyleObject::Changed, this, &TRtStyleObject::Changed);
}

void TRtFont::SetUndoStack(TRtUndoStack* Stack) {
  TRtStyleObject::SetUndoStack(Stack);
  FGradient->SetUndoStack(Stack);
}

void TRtFont::SetName(const QString& v) {
  if (Change(FName, v, "Font name", "Name")) Q_EMIT NeedsResize();
}

void TRtFont::SetStyle(TRtFontStyles v) {
  if (Change(FStyle, v, "Font style", "Style")) Q_EMIT NeedsResize();
}

void TRtFont::SetSize(float v) {
  if (v == GetSize()) return;
  Record("Font size", "Size");
  FSize = v;
  FIntSize = int(std::lround(v));
  Q_EMIT Changed();
  Q_EMIT NeedsResize();
}

int TRtFont::Height() const {
  return -int(std::lround(GetSize() * 96.0 / 72.0));
}

void TRtFont::SetHeight(int v) {
  SetSize(float(std::abs(v) * 72.0 / 96.0));
}

void TRtFont::SetFillColor(TRtColor v) {
  if (Change(FFillColor, v, "Font color", "FillColor")) Q_EMIT NeedsInvalidate();
}

void TRtFont::SetDrawEffects(TRtCharDrawEffects v) {
  const TRtCharDrawEffects added = v & ~FDrawEffects;
  TRtCharDrawEffects result = v;
  if (added) {
    for (TRtCharDrawEffect e : {TRtCharDrawEffect::Shadow, TRtCharDrawEffect::Outline,
                                TRtCharDrawEffect::Lowered, TRtCharDrawEffect::Raised})
      if (added.testFlag(e)) {
        result = e;
        break;
      }
  }
  if (Change(FDrawEffects, result, "Font draw effects", "DrawEffects")) Q_EMIT NeedsInvalidate();
}

void TRtFont::SetRenderingHint(TRtTextRenderingHint v) {
  if (Change(FRenderingHint, v, "Font rendering hint", "RenderingHint")) Q_EMIT NeedsResize();
}

void TRtFont::PushToUndoStack(TRtUndoStack* Stack, const QString& Comment) {
  if (!Stack || !Stack->Recording()) return;
  Stack->StartGroup(Comment);
  for (const char* p : {"Name", "Style", "Size", "FillColor", "DrawEffects"})
    Stack->PushProperty(this, Comment, p);
  for (const char* p : {"Visible", "Style", "FirstColor", "MiddleColor", "LastColor", "LinearAngle",
                        "LinearCenter", "RadialCenterX", "RadialCenterY"})
    Stack->PushProperty(FGradient, Comment, p);
  Stack->StopGroup();
}

void TRtFont::Assign(const TRtFont& s) {
  if (&s == this) return;
  FFillColor = s.FFillColor;
  FSize = s.FSize;
  FIntSize = s.FIntSize;
  FDrawEffects = s.FDrawEffects;
  FRenderingHint = s.FRenderingHint;
  {
    const QSignalBlocker block(FGradient);
    FGradient->Assign(*s.FGradient);
  }
  Q_EMIT Changed();
  Q_EMIT NeedsInvalidate();
  Q_EMIT NeedsResize();
}

void TRtFont::AssignAll(const TRtFont& s) {
  if (&s == this) return;
  FName = s.FName;
  FStyle = s.FStyle;
  FCharset = s.FCharset;
  Assign(s);
}

void TRtFont::AssignFont(const QFont& f, TRtColor Color) {
  FName = f.family();
  FSize = f.pointSizeF() > 0 ? float(f.pointSizeF()) : float(f.pixelSize() * 72.0 / 96.0);
  FIntSize = int(std::lround(FSize));
  FFillColor = Color;
  TRtFontStyles st;
  if (f.bold()) st |= TRtFontStyle::Bold;
  if (f.italic()) st |= TRtFontStyle::Italic;
  if (f.underline()) st |= TRtFontStyle::Underline;
  if (f.strikeOut()) st |= TRtFontStyle::StrikeOut;
  FStyle = st;
  Q_EMIT Changed();
  Q_EMIT NeedsResize();
}

bool TRtFont::FamilyKnown(const QString& Family) {
  // Families that fontconfig maps onto their metric-compatible or closest installed fonts.
  static const QStringList aliases = {"Arial",   "Times New Roman", "Courier New", "Tahoma",
                                      "Verdana", "Helvetica",       "Times",       "Courier"};
  if (aliases.contains(Family, Qt::CaseInsensitive)) return true;
  return QFontDatabase::hasFamily(Family);
}

void RtInstallFontSubstitutes() {
  // fontconfig gives the metric-compatible Liberation fonts for Arial and Times New Roman; for
  // Tahoma it would take DejaVu Sans, which runs about a tenth wider: Liberation Sans is closer.
  static const bool installed = [] {
    if (QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
      QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    return true;
  }();
  (void)installed;
}

QFont TRtFont::ToQFont() const {
  RtInstallFontSubstitutes();
  QFont f(FamilyKnown(FName) ? FName : QStringLiteral("Arial"));
  const float size = GetSize();
  f.setPointSizeF(size == 0 ? 1.0 : std::abs(size));
  f.setBold(FStyle.testFlag(TRtFontStyle::Bold));
  f.setItalic(FStyle.testFlag(TRtFontStyle::Italic));
  f.setUnderline(FStyle.testFlag(TRtFontStyle::Underline));
  f.setStrikeOut(FStyle.testFlag(TRtFontStyle::StrikeOut));
  switch (FRenderingHint) {
    case TRtTextRenderingHint::SingleBitPerPixel:
    case TRtTextRenderingHint::SingleBitPerPixelGridFit:
      f.setStyleStrategy(QFont::NoAntialias);
      break;
    default:
      f.setStyleStrategy(QFont::PreferAntialias);
      break;
  }
  return f;
}
