// The style objects as blocks of their owners' settings, in the three forms.
//
// Binary (each block ends with a continuation byte; 1 announces an extension):
//   gradient          visible, style, first, middle, last colour, linear angle, linear centre,
//                     radial centre X, Y (singles), 0
//   line              visible, colour, width (single), dash style, 0
//   simple line       colour, width, dash style, 1, gradient, 0
//   area              visible, fore colour, back colour, area style, 1, gradient, 0
//   font              name, size rounded to an integer, style set, 1, draw effects, rendering
//                     hint, fill colour, gradient, 1, size (single), 0
// A reader stops at the first continuation byte 0, so a block written before an extension
// existed reads as far as it goes; at a 1 after the last field it knows, it stops there.
//
// XML: an element of the given name with the settings as attributes, the gradient of an area,
// a simple line and a font as its child "Gradient"; reading gets the block's element (a null
// element reads nothing). INI: keys under the writer's or reader's prefix ("Line.Color"), the
// gradient under ".Gradient"; a missing ".Width" reads as 1, ".LinearAngle" as 90 and the
// gradient centres as 0.5.
#pragma once

#include <QDomElement>
#include <QString>

class TRtAreaSettings;
class TRtFont;
class TRtGradientSettings;
class TRtIniReader;
class TRtIniWriter;
class TRtLineSettings;
class TRtSimpleLineSettings;
class TRtStreamReader;
class TRtStreamWriter;

void RtWriteGradient(TRtStreamWriter& Writer, const TRtGradientSettings& Gradient);
void RtReadGradient(TRtStreamReader& Reader, TRtGradientSettings& Gradient);
void RtWriteGradient(QDomNode Parent, const QString& Name, const TRtGradientSettings& Gradient);
void RtReadGradient(const QDomElement& Element, TRtGradientSettings& Gradient);
void RtWriteGradient(const TRtIniWriter& Writer, const TRtGradientSettings& Gradient);
void RtReadGradient(const TRtIniReader& Reader, TRtGradientSettings& Gradient);

// A line with visibility (series lines, grid lines, frames).
void RtWriteLine(TRtStreamWriter& Writer, const TRtLineSettings& Line);
void RtReadLine(TRtStreamReader& Reader, TRtLineSettings& Line);
void RtWriteLine(QDomNode Parent, const QString& Name, const TRtLineSettings& Line);
void RtReadLine(const QDomElement& Element, TRtLineSettings& Line);
void RtWriteLine(const TRtIniWriter& Writer, const TRtLineSettings& Line);
void RtReadLine(const TRtIniReader& Reader, TRtLineSettings& Line);

void RtWriteSimpleLine(TRtStreamWriter& Writer, const TRtSimpleLineSettings& Line);
void RtReadSimpleLine(TRtStreamReader& Reader, TRtSimpleLineSettings& Line);
void RtWriteSimpleLine(QDomNode Parent, const TRtSimpleLineSettings& Line,
                       const QString& Name = QStringLiteral("Line"));
void RtReadSimpleLine(const QDomElement& Element, TRtSimpleLineSettings& Line);
void RtWriteSimpleLine(const TRtIniWriter& Writer, const TRtSimpleLineSettings& Line);
void RtReadSimpleLine(const TRtIniReader& Reader, TRtSimpleLineSettings& Line);

void RtWriteArea(TRtStreamWriter& Writer, const TRtAreaSettings& Area);
void RtReadArea(TRtStreamReader& Reader, TRtAreaSettings& Area);
void RtWriteArea(QDomNode Parent, const TRtAreaSettings& Area,
                 const QString& Name = QStringLiteral("Area"));
void RtReadArea(const QDomElement& Element, TRtAreaSettings& Area);
void RtWriteArea(const TRtIniWriter& Writer, const TRtAreaSettings& Area);
void RtReadArea(const TRtIniReader& Reader, TRtAreaSettings& Area);

void RtWriteFont(TRtStreamWriter& Writer, const TRtFont& Font);
void RtReadFont(TRtStreamReader& Reader, TRtFont& Font);
void RtWriteFont(QDomNode Parent, const TRtFont& Font,
                 const QString& Name = QStringLiteral("Font"));
void RtReadFont(const QDomElement& Element, TRtFont& Font);
void RtWriteFont(const TRtIniWriter& Writer, const TRtFont& Font);
void RtReadFont(const TRtIniReader& Reader, TRtFont& Font);
