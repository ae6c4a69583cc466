// Style objects owned by graphs, axes, legends and series: gradients, line pens, area fills,
// point symbols, the axis arrow head and fonts with a fill colour. Each setter does nothing when
// the value is unchanged; otherwise it records the old value on the attached undo stack (by
// property name), stores the new one and emits Changed (fonts: NeedsInvalidate / NeedsResize), so
// the owner repaints or re-lays out.
#pragma once

#include <QBrush>
#include <QFont>
#include <QObject>
#include <QPen>
#include <QPointer>
#include <QRectF>
#include <QString>

#include "chart/draw/RtDrawTypes.h"

#include "chart/undo/RtUndoStack.h"

// Common part: the undo stack and the change notice.
class TRtStyleObject : public QObject {
  Q_OBJECT

 public:
  explicit TRtStyleObject(QObject* Parent = nullptr) : QObject(Parent) {}

  TRtUndoStack* UndoStack() const { return fUndoStack.data(); }
  // Also hands the stack to contained style objects.
  virtual void SetUndoStack(TRtUndoStack* Stack) { fUndoStack = Stack; }

 Q_SIGNALS:
  void Changed();

 protected:
  // Records PropName on the undo stack when one is attached and recording.
  void Record(const char* Comment, const char* PropName);
  // The common setter: false when unchanged; else record, store, notify.
  template <typename T>
  bool Change(T& Field, const T& Value, const char* Comment, const char* PropName) {
    if (Field == Value) return false;
    Record(Comment, PropName);
    Field = Value;
    Q_EMIT Changed();
    return true;
  }

 private:
  QPointer<TRtUndoStack> fUndoStack;
};

class TRtGradientSettings : public TRtStyleObject {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(RtDraw::TRtGradientStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(float LinearAngle READ LinearAngle WRITE SetLinearAngle)
  Q_PROPERTY(float LinearCenter READ LinearCenter WRITE SetLinearCenter)
  Q_PROPERTY(float RadialCenterX READ RadialCenterX WRITE SetRadialCenterX)
  Q_PROPERTY(float RadialCenterY READ RadialCenterY WRITE SetRadialCenterY)
  Q_PROPERTY(quint32 FirstColor READ FirstColor WRITE SetFirstColor)
  Q_PROPERTY(quint32 MiddleColor READ MiddleColor WRITE SetMiddleColor)
  Q_PROPERTY(quint32 LastColor READ LastColor WRITE SetLastColor)

 public:
  explicit TRtGradientSettings(QObject* Parent = nullptr) : TRtStyleObject(Parent) {}

  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { Change(FVisible, v, "Gradient visible", "Visible"); }
  TRtGradientStyle Style() const { return FStyle; }
  void SetStyle(TRtGradientStyle v) { Change(FStyle, v, "Gradient style", "Style"); }
  // Degrees, stored as 0 <= a < 360.
  float LinearAngle() const { return FLinearAngle; }
  void SetLinearAngle(float v);
  // Position of the middle colour, 0 .. 1.
  float LinearCenter() const { return FLinearCenter; }
  void SetLinearCenter(float v);
  float RadialCenterX() const { return FRadialCenterX; }
  void SetRadialCenterX(float v);
  float RadialCenterY() const { return FRadialCenterY; }
  void SetRadialCenterY(float v);
  TRtColor FirstColor() const { return FFirstColor; }
  void SetFirstColor(TRtColor v) { Change(FFirstColor, v, "Gradient first color", "FirstColor"); }
  TRtColor MiddleColor() const { return FMiddleColor; }
  void SetMiddleColor(TRtColor v) {
    Change(FMiddleColor, v, "Gradient middle color", "MiddleColor");
  }
  TRtColor LastColor() const { return FLastColor; }
  void SetLastColor(TRtColor v) { Change(FLastColor, v, "Gradient last color", "LastColor"); }

  // Linear: three colours across Rect at LinearAngle + ExtraAngle, the middle at LinearCenter.
  // Radial / Elliptical: first colour at the centre, last at the rectangle's (ellipse's) edge.
  QBrush GetBrush(const QRectF& Rect, float ExtraAngle = 0) const;
  void Assign(const TRtGradientSettings& Source);

 private:
  bool FVisible = false;
  TRtGradientStyle FStyle = TRtGradientStyle::Linear;
  float FLinearAngle = 0;
  float FLinearCenter = 0.5f;
  float FRadialCenterX = 0.5f;
  float FRadialCenterY = 0.5f;
  TRtColor FFirstColor = 0xFFD3D3D3;
  TRtColor FMiddleColor = 0xFFB0B0B0;
  TRtColor FLastColor = 0xFF808080;
};

// A pen: width, dash style, colour or gradient.
class TRtSimpleLineSettings : public TRtStyleObject {
  Q_OBJECT
  Q_PROPERTY(float Width READ Width WRITE SetWidth)
  Q_PROPERTY(RtDraw::TDashStyle DashStyle READ DashStyle WRITE SetDashStyle)
  Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
  Q_PROPERTY(TRtGradientSettings* Gradient READ Gradient WRITE SetGradient)

 public:
  explicit TRtSimpleLineSettings(QObject* Parent = nullptr);

  float Width() const { return FWidth; }
  void SetWidth(float v) { Change(FWidth, v, "Line width", "Width"); }
  TDashStyle DashStyle() const { return FDashStyle; }
  void SetDashStyle(TDashStyle v) { Change(FDashStyle, v, "Line dash style", "DashStyle"); }
  TRtColor Color() const { return FColor; }
  void SetColor(TRtColor v) { Change(FColor, v, "Line color", "Color"); }
  TRtGradientSettings* Gradient() const { return FGradient; }
  // Copies the settings.
  void SetGradient(TRtGradientSettings* v) {
    if (v) FGradient->Assign(*v);
  }
  void SetUndoStack(TRtUndoStack* Stack) override;

  // The pen: gradient brush over Rect when the gradient is visible, else the colour; flat caps,
  // miter limit 0, the width and the dash style.
  QPen GetPen(const QRectF& Rect = {}, float ExtraAngle = 0) const;
  void Assign(const TRtSimpleLineSettings& Source);

 protected:
  float FWidth = 1;
  TDashStyle FDashStyle = TDashStyle::DashStyleSolid;
  TRtColor FColor = RtColors::Red;
  TRtGradientSettings* FGradient;
};

class TRtLineSettings : public TRtSimpleLineSettings {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)

 public:
  explicit TRtLineSettings(QObject* Parent = nullptr) : TRtSimpleLineSettings(Parent) {}
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { Change(FVisible, v, "Line visible", "Visible"); }
  void Assign(const TRtLineSettings& Source);

 private:
  bool FVisible = true;
};

// A line with an arrow head.
class TRtArrowSettings : public TRtLineSettings {
  Q_OBJECT
  Q_PROPERTY(float PointLength READ PointLength WRITE SetPointLength)
  Q_PROPERTY(float InnerLength READ InnerLength WRITE SetInnerLength)
  Q_PROPERTY(float PointHeight READ PointHeight WRITE SetPointHeight)

 public:
  explicit TRtArrowSettings(QObject* Parent = nullptr) : TRtLineSettings(Parent) {}
  float PointLength() const { return FPointLength; }
  void SetPointLength(float v) { Change(FPointLength, v, "Arrow point length", "PointLength"); }
  float InnerLength() const { return FInnerLength; }
  void SetInnerLength(float v) { Change(FInnerLength, v, "Arrow inner length", "InnerLength"); }
  float PointHeight() const { return FPointHeight; }
  void SetPointHeight(float v) { Change(FPointHeight, v, "Arrow point height", "PointHeight"); }

 private:
  float FPointLength = 5;
  float FInnerLength = 3;
  float FPointHeight = 2;
};

class TRtAreaSettings : public TRtStyleObject {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(RtDraw::TRtAreaStyle AreaStyle READ AreaStyle WRITE SetAreaStyle)
  Q_PROPERTY(quint32 ForeColor READ ForeColor WRITE SetForeColor)
  Q_PROPERTY(quint32 BackColor READ BackColor WRITE SetBackColor)
  Q_PROPERTY(TRtGradientSettings* Gradient READ Gradient WRITE SetGradient)

 public:
  explicit TRtAreaSettings(QObject* Parent = nullptr);

  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { Change(FVisible, v, "Area visible", "Visible"); }
  TRtAreaStyle AreaStyle() const { return FAreaStyle; }
  void SetAreaStyle(TRtAreaStyle v) { Change(FAreaStyle, v, "Area style", "AreaStyle"); }
  TRtColor ForeColor() const { return FForeColor; }
  void SetForeColor(TRtColor v) { Change(FForeColor, v, "Area fore color", "ForeColor"); }
  TRtColor BackColor() const { return FBackColor; }
  void SetBackColor(TRtColor v) { Change(FBackColor, v, "Area back color", "BackColor"); }
  TRtGradientSettings* Gradient() const { return FGradient; }
  void SetGradient(TRtGradientSettings* v) {
    if (v) FGradient->Assign(*v);
  }
  bool Solid() const { return FAreaStyle == TRtAreaStyle::Total; }
  void SetUndoStack(TRtUndoStack* Stack) override;

  // Gradient brush over Rect when visible, else the hatch of the style in fore and back colour
  // (solid fore colour for Total).
  QBrush GetBrush(const QRectF& Rect = {}) const;
  void Assign(const TRtAreaSettings& Source);

 private:
  bool FVisible = false;
  TRtAreaStyle FAreaStyle = TRtAreaStyle::Total;
  TRtColor FForeColor = RtColors::LightGray;
  TRtColor FBackColor = RtColors::DarkGray;
  TRtGradientSettings* FGradient;
};

class TRtPointSymbolSettings : public TRtStyleObject {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(float Size READ Size WRITE SetSize)
  Q_PROPERTY(float BorderLineWidth READ BorderLineWidth WRITE SetBorderLineWidth)
  Q_PROPERTY(quint32 BorderColor READ BorderColor WRITE SetBorderColor)
  Q_PROPERTY(quint32 FillColor READ FillColor WRITE SetFillColor)
  Q_PROPERTY(RtDraw::TRtPointSymbol PointSymbol READ PointSymbol WRITE SetPointSymbol)

 public:
  explicit TRtPointSymbolSettings(QObject* Parent = nullptr) : TRtStyleObject(Parent) {}

  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { Change(FVisible, v, "Point symbol visible", "Visible"); }
  float Size() const { return FSize; }
  void SetSize(float v) { Change(FSize, v, "Point symbol size", "Size"); }
  float BorderLineWidth() const { return FBorderLineWidth; }
  void SetBorderLineWidth(float v) {
    Change(FBorderLineWidth, v, "Point symbol border width", "BorderLineWidth");
  }
  TRtColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TRtColor v) {
    Change(FBorderColor, v, "Point symbol border color", "BorderColor");
  }
  TRtColor FillColor() const { return FFillColor; }
  void SetFillColor(TRtColor v) { Change(FFillColor, v, "Point symbol fill color", "FillColor"); }
  TRtPointSymbol PointSymbol() const { return FPointSymbol; }
  void SetPointSymbol(TRtPointSymbol v) {
    Change(FPointSymbol, v, "Point symbol shape", "PointSymbol");
  }
  void Assign(const TRtPointSymbolSettings& Source);

 private:
  bool FVisible = true;
  float FSize = 11;
  float FBorderLineWidth = 1;
  TRtColor FBorderColor = RtColors::Blue;
  TRtColor FFillColor = RtColors::Blue;
  TRtPointSymbol FPointSymbol = TRtPointSymbol::Circle;
};

// Arrow head at the end of an axis line.
class TRtAxisArrowPoint : public TRtStyleObject {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(float PointLength READ PointLength WRITE SetPointLength)
  Q_PROPERTY(float InnerLength READ InnerLength WRITE SetInnerLength)
  Q_PROPERTY(float PointHeight READ PointHeight WRITE SetPointHeight)

 public:
  explicit TRtAxisArrowPoint(QObject* Parent = nullptr) : TRtStyleObject(Parent) {}
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { Change(FVisible, v, "Axis arrow visible", "Visible"); }
  float PointLength() const { return FPointLength; }
  void SetPointLength(float v) {
    Change(FPointLength, v, "Axis arrow point length", "PointLength");
  }
  float InnerLength() const { return FInnerLength; }
  void SetInnerLength(float v) {
    Change(FInnerLength, v, "Axis arrow inner length", "InnerLength");
  }
  float PointHeight() const { return FPointHeight; }
  void SetPointHeight(float v) {
    Change(FPointHeight, v, "Axis arrow point height", "PointHeight");
  }
  // Closed head polygon (h, -l), (0, 0), (-h, -l), (0, -i), (h, -l) in units of the line width,
  // the tip at the origin pointing along +y.
  QPolygonF HeadPolygon() const;
  void Assign(const TRtAxisArrowPoint& Source);

 private:
  bool FVisible = false;
  float FPointLength = 7;
  float FInnerLength = 5;
  float FPointHeight = 3;
};

// Maps the families the chart names onto the closest installed fonts (once per process).
void RtInstallFontSubstitutes();

// A font with a fill colour, an optional gradient fill, a fractional size and a draw effect.
class TRtFont : public TRtStyleObject {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(RtDraw::TRtFontStyles Style READ Style WRITE SetStyle)
  Q_PROPERTY(float Size READ GetSize WRITE SetSize)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(int Charset READ Charset WRITE SetCharset)
  Q_PROPERTY(quint32 FillColor READ FillColor WRITE SetFillColor)
  Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
  Q_PROPERTY(TRtGradientSettings* Gradient READ Gradient WRITE SetGradient)
  Q_PROPERTY(RtDraw::TRtCharDrawEffects DrawEffects READ DrawEffects WRITE SetDrawEffects)
  Q_PROPERTY(RtDraw::TRtTextRenderingHint RenderingHint READ RenderingHint WRITE SetRenderingHint)

 public:
  explicit TRtFont(QObject* Parent = nullptr);

  QString Name() const { return FName; }
  void SetName(const QString& v);
  TRtFontStyles Style() const { return FStyle; }
  void SetStyle(TRtFontStyles v);
  // The exact size in points, or the integer size when the exact one is 0.
  float GetSize() const { return FSize != 0 ? FSize : float(FIntSize); }
  void SetSize(float v);
  // Character height in pixels, negative as in an ordinary font (-size * 96 / 72).
  int Height() const;
  void SetHeight(int v);
  int Charset() const { return FCharset; }
  void SetCharset(int v) { FCharset = v; }
  TRtColor FillColor() const { return FFillColor; }
  void SetFillColor(TRtColor v);
  // The fill colour without alpha (0x00RRGGBB); setting it keeps the alpha.
  TRtColor Color() const { return FFillColor & 0x00FFFFFF; }
  void SetColor(TRtColor v) { SetFillColor((FFillColor & 0xFF000000) | (v & 0x00FFFFFF)); }
  TRtGradientSettings* Gradient() const { return FGradient; }
  void SetGradient(TRtGradientSettings* v) {
    if (v) FGradient->Assign(*v);
  }
  // At most one member remains: the newly added one, first in the order Shadow, Outline,
  // Lowered, Raised.
  TRtCharDrawEffects DrawEffects() const { return FDrawEffects; }
  void SetDrawEffects(TRtCharDrawEffects v);
  TRtTextRenderingHint RenderingHint() const { return FRenderingHint; }
  void SetRenderingHint(TRtTextRenderingHint v);
  void SetUndoStack(TRtUndoStack* Stack) override;

  // Records name, style, size, fill colour, effects and the gradient as one group.
  void PushToUndoStack(TRtUndoStack* Stack, const QString& Comment);
  // Fill colour, size, effects, rendering hint and gradient (not name and style).
  void Assign(const TRtFont& Source);
  // From an ordinary font: name, colour, size and style; then NeedsResize.
  void AssignFont(const QFont& Source, TRtColor Color);
  // Everything, for copying a whole font between owners.
  void AssignAll(const TRtFont& Source);

  // The platform font: an unknown name becomes "Arial", a size of 0 becomes 1 point.
  QFont ToQFont() const;
  // True when the family resolves to an installed font (directly or by a known alias).
  static bool FamilyKnown(const QString& Family);

 Q_SIGNALS:
  void NeedsInvalidate();
  void NeedsResize();

 private:
  QString FName = QStringLiteral("Arial");
  TRtFontStyles FStyle;
  float FSize = 8;
  int FIntSize = 8;
  int FCharset = 1;
  TRtColor FFillColor = RtColors::Black;
  TRtGradientSettings* FGradient;
  TRtCharDrawEffects FDrawEffects;
  TRtTextRenderingHint FRenderingHint = TRtTextRenderingHint::AntiAlias;
};
