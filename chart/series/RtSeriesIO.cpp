// Streaming of the series, the function series and the linear regression: binary, XML, INI
// and file forms, and the form property "Layer".
#include <QDomDocument>

#include "chart/draw/RtStylesIO.h"
#include "chart/io/RtClassRegistry.h"
#include "chart/io/RtFieldsIO.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtXml.h"
#include "chart/series/RtFunctionSeries.h"
#include "chart/series/RtSeries.h"

RT_REGISTER_CLASS(TRtLineSeries)
RT_REGISTER_CLASS(TRtPointSeries)
RT_REGISTER_CLASS(TRtLinearRegression)

namespace {

using K = TRtFieldKind;

const QString kLayer = QStringLiteral("Layer");
const QString kCaption = QStringLiteral("Caption");
const QString kName = QStringLiteral("Name");
const QString kLine = QStringLiteral("Line");
const QString kArea = QStringLiteral("Area");
const QString kPointSymbol = QStringLiteral("PointSymbol");
const QString kFunctionSeries = QStringLiteral("FunctionSeries");
const QString kLinearRegression = QStringLiteral("LinearRegression");
const QString kFixedOffset = QStringLiteral("FixedOffset");
const QString kOffset = QStringLiteral("Offset");

// Binary order: Visible, OutliersVisible, IncludeInLegend, AutoUpdate, Layer.
const TRtField kProperties[] = {
    {K::Bool, "Visible"},
    RtMemberField<&TRtSeries::OutliersVisible, &TRtSeries::SetOutliersVisible>(K::Bool,
                                                                               "OutliersVisible"),
    {K::Bool, "IncludeInLegend"},
    RtMemberField<&TRtSeries::AutoUpdate, &TRtSeries::SetAutoUpdate>(K::Bool, "AutoUpdate"),
    {K::Int, "Layer"},
};

// The vectors (XData / YData read null where the indexer stands in) and the axes.
const TRtField kLinks[] = {
    RtMemberField<&TRtSeries::XData, &TRtSeries::SetXData>(K::Reference, "XData"),
    RtMemberField<&TRtSeries::YData, &TRtSeries::SetYData>(K::Reference, "YData"),
    RtMemberField<&TRtSeries::XAxis, &TRtSeries::SetXAxis>(K::Reference, "XAxis"),
    RtMemberField<&TRtSeries::YAxis, &TRtSeries::SetYAxis>(K::Reference, "YAxis"),
};
const TRtField kPartners[] = {
    {K::Reference, "MergeLegendItemWith"},
    RtMemberField<&TRtSeries::DrawBandTo, &TRtSeries::SetDrawBandTo>(K::Reference, "DrawBandTo"),
};

const TRtField kPointSymbolFields[] = {
    {K::Bool, "Visible"},      {K::Single, "Size"},     {K::Single, "BorderLineWidth"},
    {K::Color, "BorderColor"}, {K::Color, "FillColor"}, {K::Byte, "PointSymbol", "Symbol"},
};

using F = TRtFunctionSeries;
const TRtField kFunctionFields[] = {
    RtMemberField<&F::Weight, &F::SetWeight>(K::Reference, "Weight"),
    RtMemberField<&F::AutoStart, &F::SetAutoStart>(K::Bool, "AutoStart"),
    RtMemberField<&F::AutoStop, &F::SetAutoStop>(K::Bool, "AutoStop"),
    RtMemberField<&F::DisplayAutoStart, &F::SetDisplayAutoStart>(K::Bool, "DisplayAutoStart"),
    RtMemberField<&F::DisplayAutoStop, &F::SetDisplayAutoStop>(K::Bool, "DisplayAutoStop"),
    RtMemberField<&F::CalculationStart, &F::SetCalculationStart>(K::Double, "CalculationStart"),
    RtMemberField<&F::CalculationStop, &F::SetCalculationStop>(K::Double, "CalculationStop"),
    RtMemberField<&F::DisplayStart, &F::SetDisplayStart>(K::Double, "DisplayStart"),
    RtMemberField<&F::DisplayStop, &F::SetDisplayStop>(K::Double, "DisplayStop"),
    RtMemberField<&F::CoupleCalculationAndDisplay, &F::SetCoupleCalculationAndDisplay>(
        K::Bool, "CoupleCalculationAndDisplay"),
    RtMemberField<&F::ClipYValues, &F::SetClipYValues>(K::Bool, "ClipYValues"),
};

const TRtField kFixedOffsetField[] = {{K::Bool, "FixedOffset"}};
const TRtField kOffsetField[] = {{K::Double, "Offset"}};

// The undo group of reading a series' settings.
const QString kReadComment = QStringLiteral("Read series settings");

// The element a derived class's writer appends its part to: the one its base just wrote.
QDomElement LastWritten(const QDomNode& Parent) {
  return Parent.lastChildElement();
}

}  // namespace

// ---- series: binary ----------------------------------------------------------------------------

void TRtSeries::WriteTo(TRtStreamWriter& Writer) const {
  Writer.WriteString(QString::fromLatin1(metaObject()->className()));
  Writer.WriteString(ComponentPath(this));
  Writer.WriteString(FCaption);
  RtWriteFields(Writer, *this, kProperties);
  RtWriteLine(Writer, *FLineSettings);
  RtWriteArea(Writer, *FAreaSettings);
  RtWriteFields(Writer, *this, kLinks);
  Writer.WriteContinuation(true);
  RtWriteFields(Writer, *this, kPartners);
  Writer.WriteContinuation(false);
  if (FDoPointSettingsStorage) {
    RtWriteFields(Writer, *FPointSymbolSettings, kPointSymbolFields);
    Writer.WriteContinuation(false);
  }
}

void TRtSeries::ReadFrom(TRtStreamReader& Reader) {
  // The layout that follows depends on the class that wrote it.
  if (Reader.ReadString() != QString::fromLatin1(metaObject()->className()))
    throw ERtStreamError(RtStreamReadErrorText);
  Reader.ReadString();
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  SetCaption(Reader.ReadString());
  RtReadFields(Reader, *this, kProperties);
  RtReadLine(Reader, *FLineSettings);
  RtReadArea(Reader, *FAreaSettings);
  RtReadFields(Reader, *this, kLinks);
  if (Reader.ReadContinuation()) {
    RtReadFields(Reader, *this, kPartners);
    Reader.ReadContinuation();
  }
  if (FDoPointSettingsStorage) {
    RtReadFields(Reader, *FPointSymbolSettings, kPointSymbolFields);
    Reader.ReadContinuation();
  }
}

// ---- series: XML -------------------------------------------------------------------------------

void TRtSeries::WriteTo(QDomNode Parent) const {
  QDomElement e = RtXml::AddChild(Parent, QString::fromLatin1(metaObject()->className()));
  RtXml::SetString(e, kName, ComponentPath(this));
  RtXml::AddTextChild(e, kCaption, FCaption);
  QDomElement properties = RtXml::AddChild(e, QStringLiteral("Properties"));
  RtWriteFields(properties, *this, kProperties);
  RtWriteLine(e, kLine, *FLineSettings);
  RtWriteArea(e, *FAreaSettings);
  QDomElement links = RtXml::AddChild(e, QStringLiteral("Links"));
  RtWriteFields(links, *this, kLinks);
  RtWriteFields(links, *this, kPartners);
  if (FDoPointSettingsStorage) {
    QDomElement symbol = RtXml::AddChild(e, kPointSymbol);
    RtWriteFields(symbol, *FPointSymbolSettings, kPointSymbolFields);
  }
}

void TRtSeries::ReadFrom(const QDomElement& Element) {
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  const QDomElement caption = Element.firstChildElement(kCaption);
  if (!caption.isNull()) SetCaption(caption.text());
  RtReadFields(Element.firstChildElement(QStringLiteral("Properties")), *this, kProperties);
  RtReadLine(Element.firstChildElement(kLine), *FLineSettings);
  RtReadArea(Element.firstChildElement(kArea), *FAreaSettings);
  const QDomElement links = Element.firstChildElement(QStringLiteral("Links"));
  RtReadFields(links, *this, kLinks);
  RtReadFields(links, *this, kPartners);
  if (FDoPointSettingsStorage)
    RtReadFields(Element.firstChildElement(kPointSymbol), *FPointSymbolSettings,
                 kPointSymbolFields);
}

// ---- series: INI -------------------------------------------------------------------------------

void TRtSeries::WriteTo(TIniFile& Ini, const QString& Section) const {
  const TRtIniWriter w(Ini, Section);
  w.WriteString(QStringLiteral("Type"), QString::fromLatin1(metaObject()->className()));
  w.WriteString(kName, ComponentPath(this));
  w.WriteString(kCaption, RtIniEscapeLineBreaks(FCaption));
  RtWriteFields(w, *this, kProperties);
  RtWriteLine(w.Sub(kLine), *FLineSettings);
  RtWriteArea(w.Sub(kArea), *FAreaSettings);
  RtWriteFields(w, *this, kLinks);
  RtWriteFields(w, *this, kPartners);
  if (FDoPointSettingsStorage)
    RtWriteFields(w.Sub(kPointSymbol), *FPointSymbolSettings, kPointSymbolFields);
}

void TRtSeries::ReadFrom(const TIniFile& Ini, const QString& Section) {
  const TRtIniReader r(Ini, Section);
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  if (r.Exists(kCaption)) SetCaption(RtIniUnescapeLineBreaks(r.ReadString(kCaption, {})));
  RtReadFields(r, *this, kProperties);
  RtReadLine(r.Sub(kLine), *FLineSettings);
  RtReadArea(r.Sub(kArea), *FAreaSettings);
  RtReadFields(r, *this, kLinks);
  RtReadFields(r, *this, kPartners);
  if (FDoPointSettingsStorage)
    RtReadFields(r.Sub(kPointSymbol), *FPointSymbolSettings, kPointSymbolFields);
}

// ---- series: file and "Layer" ------------------------------------------------------------------

void TRtSeries::WriteTo(const QString& FileName) const {
  RtWriteToFile(*this, FileName);
}

void TRtSeries::ReadFrom(const QString& FileName) {
  RtReadFromFile(*this, FileName);
}

QStringList TRtSeries::StreamedPropertyNames() const {
  return {kLayer};
}

QVariant TRtSeries::StreamedProperty(const QString& Name) const {
  return Name == kLayer ? QVariant(FLayer) : QVariant();
}

bool TRtSeries::SetStreamedProperty(const QString& Name, const QVariant& Value) {
  bool ok = false;
  const int layer = Value.toInt(&ok);
  if (Name != kLayer || !ok) return false;
  SetLayer(layer);
  return true;
}

// ---- function series ---------------------------------------------------------------------------

void TRtFunctionSeries::WriteTo(TRtStreamWriter& Writer) const {
  TRtSeries::WriteTo(Writer);
  RtWriteFields(Writer, *this, kFunctionFields);
  Writer.WriteContinuation(false);
}

void TRtFunctionSeries::ReadFrom(TRtStreamReader& Reader) {
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  TRtSeries::ReadFrom(Reader);
  RtReadFields(Reader, *this, kFunctionFields);
  Reader.ReadContinuation();
}

void TRtFunctionSeries::WriteTo(QDomNode Parent) const {
  TRtSeries::WriteTo(Parent);
  QDomElement e = RtXml::AddChild(LastWritten(Parent), kFunctionSeries);
  RtWriteFields(e, *this, kFunctionFields);
}

void TRtFunctionSeries::ReadFrom(const QDomElement& Element) {
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  TRtSeries::ReadFrom(Element);
  RtReadFields(Element.firstChildElement(kFunctionSeries), *this, kFunctionFields);
}

void TRtFunctionSeries::WriteTo(TIniFile& Ini, const QString& Section) const {
  TRtSeries::WriteTo(Ini, Section);
  RtWriteFields(TRtIniWriter(Ini, Section), *this, kFunctionFields);
}

void TRtFunctionSeries::ReadFrom(const TIniFile& Ini, const QString& Section) {
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  TRtSeries::ReadFrom(Ini, Section);
  RtReadFields(TRtIniReader(Ini, Section), *this, kFunctionFields);
}

// ---- linear regression -------------------------------------------------------------------------

void TRtLinearRegression::WriteTo(TRtStreamWriter& Writer) const {
  TRtFunctionSeries::WriteTo(Writer);
  Writer.WriteBool(FixedOffset());
  if (FixedOffset()) Writer.WriteDouble(Offset());
  Writer.WriteContinuation(false);
}

void TRtLinearRegression::ReadFrom(TRtStreamReader& Reader) {
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  TRtFunctionSeries::ReadFrom(Reader);
  SetFixedOffset(Reader.ReadBool());
  if (FixedOffset()) SetOffset(Reader.ReadDouble());
  Reader.ReadContinuation();
}

void TRtLinearRegression::WriteTo(QDomNode Parent) const {
  TRtFunctionSeries::WriteTo(Parent);
  QDomElement e = RtXml::AddChild(LastWritten(Parent), kLinearRegression);
  RtWriteFields(e, *this, kFixedOffsetField);
  RtWriteFields(e, *this, kOffsetField);
}

void TRtLinearRegression::ReadFrom(const QDomElement& Element) {
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  TRtFunctionSeries::ReadFrom(Element);
  const QDomElement e = Element.firstChildElement(kLinearRegression);
  RtReadFields(e, *this, kFixedOffsetField);
  RtReadFields(e, *this, kOffsetField);
}

void TRtLinearRegression::WriteTo(TIniFile& Ini, const QString& Section) const {
  TRtFunctionSeries::WriteTo(Ini, Section);
  const TRtIniWriter w(Ini, Section);
  RtWriteFields(w, *this, kFixedOffsetField);
  if (FixedOffset()) RtWriteFields(w, *this, kOffsetField);
}

void TRtLinearRegression::ReadFrom(const TIniFile& Ini, const QString& Section) {
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  TRtFunctionSeries::ReadFrom(Ini, Section);
  const TRtIniReader r(Ini, Section);
  RtReadFields(r, *this, kFixedOffsetField);
  if (FixedOffset()) RtReadFields(r, *this, kOffsetField);
}
