// The style blocks in stream, XML and INI form.
#include "chart/draw/RtStylesIO.h"

#include <cmath>

#include "chart/draw/RtStyles.h"
#include "chart/io/RtFieldsIO.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtXml.h"

namespace {

using K = TRtFieldKind;

const TRtField kGradientFields[] = {
    {K::Bool, "Visible"},
    {K::Byte, "Style"},
    {K::Color, "FirstColor"},
    {K::Color, "MiddleColor"},
    {K::Color, "LastColor"},
    {K::Single, "LinearAngle", nullptr, nullptr, "90"},
    {K::Single, "LinearCenter", nullptr, nullptr, "0.5"},
    {K::Single, "RadialCenterX", nullptr, nullptr, "0.5"},
    {K::Single, "RadialCenterY", nullptr, nullptr, "0.5"},
};

const TRtField kLineFields[] = {
    {K::Bool, "Visible"},
    {K::Color, "Color"},
    {K::Single, "Width", nullptr, nullptr, "1"},
    {K::Byte, "DashStyle"},
};

// The simple line: the line without its visibility.
const TRtFields kSimpleLineFields = TRtFields(kLineFields).subspan(1);

const TRtField kAreaFields[] = {
    {K::Bool, "Visible"},
    {K::Color, "ForeColor"},
    {K::Color, "BackColor"},
    {K::Byte, "AreaStyle", nullptr, "Style"},
};

const TRtFont& FontOf(const QObject& o) {
  return static_cast<const TRtFont&>(o);
}
TRtFont& FontOf(QObject& o) {
  return static_cast<TRtFont&>(o);
}

const TRtField kFontStyle = {K::Byte,
                             "Style",
                             nullptr,
                             nullptr,
                             nullptr,
                             [](const QObject& o) { return QVariant(FontOf(o).Style().toInt()); },
                             [](QObject& o, const QVariant& v) {
                               FontOf(o).SetStyle(TRtFontStyles::fromInt(v.toInt() & 15));
                             }};
const TRtField kFontEffects = {
    K::Byte,
    "DrawEffects",
    nullptr,
    nullptr,
    nullptr,
    [](const QObject& o) { return QVariant(FontOf(o).DrawEffects().toInt()); },
    [](QObject& o, const QVariant& v) {
      FontOf(o).SetDrawEffects(TRtCharDrawEffects::fromInt(v.toInt() & 15));
    }};

// Binary: name, the size rounded, the style; then effects, hint, fill colour (and the gradient);
// then the exact size.
const TRtField kFontBase[] = {
    {K::String, "Name"},
    {K::Int, "Size", nullptr, nullptr, nullptr,
     [](const QObject& o) { return QVariant(int(std::lround(FontOf(o).GetSize()))); },
     [](QObject& o, const QVariant& v) { FontOf(o).SetSize(float(v.toInt())); }},
    kFontStyle,
};
const TRtField kFontExtension[] = {
    kFontEffects, {K::Byte, "RenderingHint"}, {K::Color, "FillColor"}};
const TRtField kFontSize[] = {{K::Single, "Size"}};
// XML and INI.
const TRtField kFontFields[] = {
    {K::String, "Name"}, {K::Single, "Size"},        kFontStyle,
    kFontEffects,        {K::Byte, "RenderingHint"}, {K::Color, "FillColor"},
};

const QString kGradient = QStringLiteral("Gradient");

// A block of fields, with the gradient as its extension when there is one.
void WriteBlock(TRtStreamWriter& w, const QObject& o, TRtFields f, const TRtGradientSettings* g) {
  RtWriteFields(w, o, f);
  if (g) {
    w.WriteContinuation(true);
    RtWriteGradient(w, *g);
  }
  w.WriteContinuation(false);
}

void ReadBlock(TRtStreamReader& r, QObject& o, TRtFields f, TRtGradientSettings* g) {
  RtReadFields(r, o, f);
  // A 1 after the last field known here is an extension of a later writer: reading stops.
  if (r.ReadContinuation() && g) {
    RtReadGradient(r, *g);
    r.ReadContinuation();
  }
}

void WriteBlock(QDomNode Parent, const QString& Name, const QObject& o, TRtFields f,
                const TRtGradientSettings* g) {
  QDomElement e = RtXml::AddChild(Parent, Name);
  RtWriteFields(e, o, f);
  if (g) RtWriteGradient(e, kGradient, *g);
}

void ReadBlock(const QDomElement& e, QObject& o, TRtFields f, TRtGradientSettings* g) {
  if (e.isNull()) return;
  RtReadFields(e, o, f);
  if (g) RtReadGradient(e.firstChildElement(kGradient), *g);
}

void WriteBlock(const TRtIniWriter& w, const QObject& o, TRtFields f,
                const TRtGradientSettings* g) {
  RtWriteFields(w, o, f);
  if (g) RtWriteGradient(w.Sub(kGradient), *g);
}

void ReadBlock(const TRtIniReader& r, QObject& o, TRtFields f, TRtGradientSettings* g) {
  RtReadFields(r, o, f);
  if (g) RtReadGradient(r.Sub(kGradient), *g);
}

}  // namespace

// ---- gradient ----------------------------------------------------------------------------------

void RtWriteGradient(TRtStreamWriter& Writer, const TRtGradientSettings& Gradient) {
  WriteBlock(Writer, Gradient, kGradientFields, nullptr);
}
void RtReadGradient(TRtStreamReader& Reader, TRtGradientSettings& Gradient) {
  ReadBlock(Reader, Gradient, kGradientFields, nullptr);
}
void RtWriteGradient(QDomNode Parent, const QString& Name, const TRtGradientSettings& Gradient) {
  WriteBlock(Parent, Name, Gradient, kGradientFields, nullptr);
}
void RtReadGradient(const QDomElement& Element, TRtGradientSettings& Gradient) {
  ReadBlock(Element, Gradient, kGradientFields, nullptr);
}
void RtWriteGradient(const TRtIniWriter& Writer, const TRtGradientSettings& Gradient) {
  WriteBlock(Writer, Gradient, kGradientFields, nullptr);
}
void RtReadGradient(const TRtIniReader& Reader, TRtGradientSettings& Gradient) {
  ReadBlock(Reader, Gradient, kGradientFields, nullptr);
}

// ---- line with visibility ----------------------------------------------------------------------

void RtWriteLine(TRtStreamWriter& Writer, const TRtLineSettings& Line) {
  WriteBlock(Writer, Line, kLineFields, nullptr);
}
void RtReadLine(TRtStreamReader& Reader, TRtLineSettings& Line) {
  ReadBlock(Reader, Line, kLineFields, nullptr);
}
void RtWriteLine(QDomNode Parent, const QString& Name, const TRtLineSettings& Line) {
  WriteBlock(Parent, Name, Line, kLineFields, nullptr);
}
void RtReadLine(const QDomElement& Element, TRtLineSettings& Line) {
  ReadBlock(Element, Line, kLineFields, nullptr);
}
void RtWriteLine(const TRtIniWriter& Writer, const TRtLineSettings& Line) {
  WriteBlock(Writer, Line, kLineFields, nullptr);
}
void RtReadLine(const TRtIniReader& Reader, TRtLineSettings& Line) {
  ReadBlock(Reader, Line, kLineFields, nullptr);
}

// ---- simple line -------------------------------------------------------------------------------

void RtWriteSimpleLine(TRtStreamWriter& Writer, const TRtSimpleLineSettings& Line) {
  WriteBlock(Writer, Line, kSimpleLineFields, Line.Gradient());
}
void RtReadSimpleLine(TRtStreamReader& Reader, TRtSimpleLineSettings& Line) {
  ReadBlock(Reader, Line, kSimpleLineFields, Line.Gradient());
}
void RtWriteSimpleLine(QDomNode Parent, const TRtSimpleLineSettings& Line, const QString& Name) {
  WriteBlock(Parent, Name, Line, kSimpleLineFields, Line.Gradient());
}
void RtReadSimpleLine(const QDomElement& Element, TRtSimpleLineSettings& Line) {
  ReadBlock(Element, Line, kSimpleLineFields, Line.Gradient());
}
void RtWriteSimpleLine(const TRtIniWriter& Writer, const TRtSimpleLineSettings& Line) {
  WriteBlock(Writer, Line, kSimpleLineFields, Line.Gradient());
}
void RtReadSimpleLine(const TRtIniReader& Reader, TRtSimpleLineSettings& Line) {
  ReadBlock(Reader, Line, kSimpleLineFields, Line.Gradient());
}

// ---- area --------------------------------------------------------------------------------------

void RtWriteArea(TRtStreamWriter& Writer, const TRtAreaSettings& Area) {
  WriteBlock(Writer, Area, kAreaFields, Area.Gradient());
}
void RtReadArea(TRtStreamReader& Reader, TRtAreaSettings& Area) {
  ReadBlock(Reader, Area, kAreaFields, Area.Gradient());
}
void RtWriteArea(QDomNode Parent, const TRtAreaSettings& Area, const QString& Name) {
  WriteBlock(Parent, Name, Area, kAreaFields, Area.Gradient());
}
void RtReadArea(const QDomElement& Element, TRtAreaSettings& Area) {
  ReadBlock(Element, Area, kAreaFields, Area.Gradient());
}
void RtWriteArea(const TRtIniWriter& Writer, const TRtAreaSettings& Area) {
  WriteBlock(Writer, Area, kAreaFields, Area.Gradient());
}
void RtReadArea(const TRtIniReader& Reader, TRtAreaSettings& Area) {
  ReadBlock(Reader, Area, kAreaFields, Area.Gradient());
}

// ---- font --------------------------------------------------------------------------------------

void RtWriteFont(TRtStreamWriter& Writer, const TRtFont& Font) {
  RtWriteFields(Writer, Font, kFontBase);
  Writer.WriteContinuation(true);
  RtWriteFields(Writer, Font, kFontExtension);
  RtWriteGradient(Writer, *Font.Gradient());
  Writer.WriteContinuation(true);
  RtWriteFields(Writer, Font, kFontSize);
  Writer.WriteContinuation(false);
}

void RtReadFont(TRtStreamReader& Reader, TRtFont& Font) {
  RtReadFields(Reader, Font, kFontBase);
  if (!Reader.ReadContinuation()) return;
  RtReadFields(Reader, Font, kFontExtension);
  RtReadGradient(Reader, *Font.Gradient());
  if (!Reader.ReadContinuation()) return;
  RtReadFields(Reader, Font, kFontSize);
  Reader.ReadContinuation();
}

void RtWriteFont(QDomNode Parent, const TRtFont& Font, const QString& Name) {
  WriteBlock(Parent, Name, Font, kFontFields, Font.Gradient());
}
void RtReadFont(const QDomElement& Element, TRtFont& Font) {
  ReadBlock(Element, Font, kFontFields, Font.Gradient());
}
void RtWriteFont(const TRtIniWriter& Writer, const TRtFont& Font) {
  WriteBlock(Writer, Font, kFontFields, Font.Gradient());
}
void RtReadFont(const TRtIniReader& Reader, TRtFont& Font) {
  ReadBlock(Reader, Font, kFontFields, Font.Gradient());
}
