// A legend's settings in the three forms, by property name.
#include <QDomDocument>

#include "chart/graphio/RtGraphIO.h"
#include "chart/graphio/RtSettingsParts.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtXml.h"

namespace {

using K = TRtFieldKind;
using P = TRtPartKind;

// The legend's window parent, written for information.
const TRtField kParent = {
    K::Reference, "Parent", nullptr,
    nullptr,      nullptr,  [](const QObject& o) { return QVariant::fromValue(o.parent()); }};

const TRtField kProperties[] = {
    kParent,
    {K::Bool, "Visible"},
    {K::String, "Hint"},
    {K::Bool, "ParentShowHint"},
    {K::Bool, "ShowHint"},
    {K::Reference, "Graph"},
    {K::Byte, "Position"},
    {K::Int, "Top"},
    {K::Int, "Left"},
    {K::Bool, "AutoSize"},
    {K::Int, "Width"},
    {K::Int, "Height"},
    {K::Single, "ItemHeight"},
    {K::Single, "ItemWidth"},
    {K::Color, "ForeColor"},
    {K::Color, "BackColor"},
    {K::Bool, "DropShadow"},
    {K::Byte, "LegendCaptionColorFrom"},
    {K::Byte, "ItemsOrder"},
    {K::Int, "Rows"},
    {K::Int, "Columns"},
    {K::Bool, "BorderRaised"},
    {K::Bool, "BorderLowered"},
};
const TRtField kDistances[] = {
    {K::Single, "CornerRounding"},
    {K::Single, "DistanceItemCaption", "ItemCaption"},
    {K::Single, "DistanceBetweenLines", "BetweenLines"},
    {K::Single, "DistanceBetweenColumns", "BetweenColumns"},
    {K::Single, "DistanceToBorder", "ToBorder"},
};
const TRtField kCaption[] = {
    {K::String, "Caption", "Text"},
    {K::Bool, "CaptionVisible", "Visible"},
    {K::Byte, "CaptionAlignment", "Alignment"},
    {K::Color, "CaptionColor", "Color"},
    {K::Single, "CaptionDistanceBefore", "DistanceBefore"},
    {K::Single, "CaptionDistanceAfter", "DistanceAfter"},
};

const TRtSettingsPart kLegendSettings[] = {
    {P::Fields, "Properties", "", nullptr, kProperties},
    {P::StringList, "ItemsOrderList", "ItemsOrderList", "ItemsOrderList"},
    {P::Line, "Frame", "Frame", "Frame"},
    {P::Fields, "Distances", "Distances", nullptr, kDistances},
    {P::Fields, "Caption", "Caption", nullptr, kCaption},
    {P::Font, "Caption/Font", "Caption.Font", "CaptionFont"},
    {P::Gradient, "Gradient", "Gradient", "BackgroundGradient"},
    {P::Font, "Font", "Font", "Font"},
};

const QString kName = QStringLiteral("Name");

QString ClassOf(const QObject& o) {
  return QString::fromLatin1(o.metaObject()->className());
}

}  // namespace

void TRtLegendIO::WriteTo(TRtStreamWriter& Writer) const {
  Writer.WriteString(ClassOf(fLegend));
  Writer.WriteString(ComponentPath(&fLegend));
  RtWriteParts(Writer, fLegend, kLegendSettings);
}

void TRtLegendIO::ReadFrom(TRtStreamReader& Reader) {
  Reader.ReadString();
  Reader.ReadString();
  RtReadParts(Reader, fLegend, kLegendSettings);
}

void TRtLegendIO::WriteTo(QDomNode Parent) const {
  QDomElement e = RtXml::AddChild(Parent, ClassOf(fLegend));
  RtXml::SetString(e, kName, ComponentPath(&fLegend));
  RtWriteParts(e, fLegend, kLegendSettings);
}

void TRtLegendIO::ReadFrom(const QDomElement& Element) {
  RtReadParts(Element, fLegend, kLegendSettings);
}

void TRtLegendIO::WriteTo(TIniFile& Ini, const QString& Section) const {
  const TRtIniWriter w(Ini, Section);
  w.WriteString(QStringLiteral("Type"), ClassOf(fLegend));
  w.WriteString(kName, ComponentPath(&fLegend));
  RtWriteParts(Ini, Section, fLegend, kLegendSettings);
}

void TRtLegendIO::ReadFrom(const TIniFile& Ini, const QString& Section) {
  RtReadParts(Ini, Section, fLegend, kLegendSettings);
}
