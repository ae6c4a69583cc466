// Streaming of TRtAxis: binary, XML, INI and file forms.
//
// XML: an element "TRtAxis" with `Name` (the path) holding one element per group below, the
// settings as its attributes; the caption and label fonts are "Font" children of "Caption" and
// "Scaling", the rubrics "Item" children of "Rubrics"/"Captions". INI: one section, dotted
// keys ("Caption.Visible", "Numbers.Visible", "MovingSlit.Width", "Ends.StartEnd", "Slave.Offset",
// "Arrow.Visible", "Zoom.Idx", ...), the fonts under "Caption.Font" and "Numbers.Font". Binary:
// the path, then the groups' fields in order (the fonts as font blocks, the rubrics as a count
// and the texts), then a continuation byte 0.
//
// The order is the reading order: the scaling before the range ends it clamps and before the
// tick parts it may fix, the automatic tick parts before the hand-set ones. The caption
// distances are the two stored gaps as they stand, whatever the position. The values of the data
// range and the zoom stage are written for information and not read back.
#include <QDomDocument>

#include "chart/axes/RtAxis.h"
#include "chart/draw/RtStylesIO.h"
#include "chart/io/RtFieldsIO.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtXml.h"

namespace {

using K = TRtFieldKind;

const TRtAxis& AxisOf(const QObject& o) {
  return static_cast<const TRtAxis&>(o);
}
TRtAxis& AxisOf(QObject& o) {
  return static_cast<TRtAxis&>(o);
}

// Bottom and right axes keep the gap to the numbers before the caption.
bool NumbersBefore(const TRtAxis& a) {
  return a.Position() == TRtAxisPosition::Bottom || a.Position() == TRtAxisPosition::Right;
}

template <int Table, int Index>
constexpr TRtField PartField(const char* Name, const char* IniKey) {
  return {K::Double,
          Name,
          nullptr,
          IniKey,
          nullptr,
          [](const QObject& o) { return QVariant(AxisOf(o).PartCandidate(Table, Index)); },
          [](QObject& o, const QVariant& v) {
            AxisOf(o).SetPartCandidate(Table, Index, v.toDouble());
          }};
}

const TRtField kProperties[] = {
    {K::Bool, "Visible"},
    {K::Byte, "Position"},
    {K::Int, "Top"},
    {K::Int, "Left"},
    {K::Bool, "AutoSize"},
    {K::Int, "Width"},
    {K::Int, "Height"},
    {K::Single, "AxisThicknes"},
    {K::Single, "MajorTickThicknes"},
    {K::Single, "TickThicknes"},
    {K::Single, "MajorTickLength"},
    {K::Single, "TickLength"},
    {K::Color, "ForeColor", "AxisColor"},
    {K::Color, "MajorTickColor"},
    {K::Color, "TickColor"},
};

const TRtField kCaption[] = {
    {K::String, "Caption", "Text", "Caption.Text"},
    {K::Bool, "CaptionVisible", "Visible", "Caption.Visible"},
    {K::Bool, "CaptionHorizontalOnVerticalAxis", "HorizontalOnVerticalAxis",
     "Caption.HorizontalOnVerticalAxis"},
    {K::Byte, "CaptionAlignment", "Alignment", "Caption.Alignment"},
    {K::Color, "CaptionColor", "Color", "Caption.Color"},
    {K::Single, "DistanceBefore", nullptr, "Caption.DistanceBefore", nullptr,
     [](const QObject& o) { return QVariant(AxisOf(o).CaptionDistanceBefore()); },
     [](QObject& o, const QVariant& v) {
       TRtAxis& a = AxisOf(o);
       if (NumbersBefore(a))
         a.SetDistanceNumbersCaption(v.toFloat());
       else
         a.SetDistanceToBorder(v.toFloat());
     }},
    {K::Single, "DistanceAfter", nullptr, "Caption.DistanceAfter", nullptr,
     [](const QObject& o) { return QVariant(AxisOf(o).CaptionDistanceAfter()); },
     [](QObject& o, const QVariant& v) {
       TRtAxis& a = AxisOf(o);
       if (NumbersBefore(a))
         a.SetDistanceToBorder(v.toFloat());
       else
         a.SetDistanceNumbersCaption(v.toFloat());
     }},
};

const TRtField kScaling[] = {
    {K::Byte, "Scaling", "Type", "Scaling.Type"},
    {K::Double, "LogToNormalScalingLevel", nullptr, "Scaling.LogToNormalScalingLevel"},
    {K::Bool, "TicksPointToData", nullptr, "Scaling.TicksPointToData"},
    {K::Bool, "Twisted", nullptr, "Scaling.Twisted"},
    {K::Bool, "NumbersVisible", nullptr, "Numbers.Visible"},
    {K::Color, "NumbersColor", nullptr, "Numbers.Color"},
    {K::Single, "RubricsAngle", nullptr, "Scaling.RubricsAngle"},
    {K::Double, "MovingSlitWidth", nullptr, "MovingSlit.Width"},
    {K::Double, "MovingSlitIncrement", nullptr, "MovingSlit.Increment"},
    {K::Int, "ExtraDigits", nullptr, "Numbers.ExtraDigits"},
    {K::Double, "MaxForExtraExponent", nullptr, "Numbers.MaxForExtraExponent"},
    {K::Double, "MinForExtraExponent", nullptr, "Numbers.MinForExtraExponent"},
};

const TRtField kTickParts[] = {
    {K::Single, "LabelDistanceFactor", nullptr, "TickParts.LabelDistanceFactor"},
    PartField<0, 0>("LabelParts.0", "TickParts.LabelParts.0"),
    PartField<0, 1>("LabelParts.1", "TickParts.LabelParts.1"),
    PartField<0, 2>("LabelParts.2", "TickParts.LabelParts.2"),
    PartField<1, 0>("MajorParts.0", "TickParts.MajorParts.0"),
    PartField<1, 1>("MajorParts.1", "TickParts.MajorParts.1"),
    PartField<1, 2>("MajorParts.2", "TickParts.MajorParts.2"),
    PartField<2, 0>("MinorParts.0", "TickParts.MinorParts.0"),
    PartField<2, 1>("MinorParts.1", "TickParts.MinorParts.1"),
    PartField<2, 2>("MinorParts.2", "TickParts.MinorParts.2"),
    {K::Bool, "AutoTickParts", "Auto", "TickParts.Auto"},
    {K::Double, "LabelPart", "Label", "TickParts.Label"},
    {K::Double, "MajorTickPart", "Major", "TickParts.Major"},
    {K::Double, "TickPart", "Minor", "TickParts.Minor"},
    {K::Byte, "MajorGridMode", nullptr, "TickParts.MajorGridMode"},
};

const TRtField kEnds[] = {
    {K::Double, "Start", nullptr, "Ends.Start"},
    {K::Double, "Stop", nullptr, "Ends.Stop"},
    {K::Double, "ValuesStart", nullptr, "Ends.ValuesStart"},
    {K::Double, "ValuesStop", nullptr, "Ends.ValuesStop"},
    {K::Byte, "EndRounding", "Rounding", "Ends.Rounding"},
    {K::Byte, "StartEnd", nullptr, "Ends.StartEnd"},
    {K::Byte, "StopEnd", nullptr, "Ends.StopEnd"},
};

const TRtField kDateTimeFormat[] = {
    {K::String, "ShortMonthFormat", "ShortMonth", "DateTimeFormat.ShortMonth"},
    {K::String, "LongMonthFormat", "LongMonth", "DateTimeFormat.LongMonth"},
    {K::String, "DayFormat", "Day", "DateTimeFormat.Day"},
    {K::String, "DayAndHourFormat", "DayAndHour", "DateTimeFormat.DayAndHour"},
    {K::String, "MinuteFormat", "Minute", "DateTimeFormat.Minute"},
    {K::String, "SecondFormat", "Second", "DateTimeFormat.Second"},
    {K::String, "MilliSecondFormat", "MilliSecond", "DateTimeFormat.MilliSecond"},
};

const TRtField kSlaveAxis[] = {
    {K::Bool, "IsSlaveAxis", "IsSlave", "Slave.IsSlave"},
    {K::Reference, "MasterAxis", nullptr, "Slave.MasterAxis"},
    {K::Double, "SlaveOffset", "Offset", "Slave.Offset"},
    {K::Double, "SlaveSlope", "Slope", "Slave.Slope"},
};

// On the arrow head object.
const TRtField kArrow[] = {
    {K::Bool, "Visible", nullptr, "Arrow.Visible"},
    {K::Single, "PointLength", nullptr, "Arrow.PointLength"},
    {K::Single, "InnerLength", nullptr, "Arrow.InnerLength"},
    {K::Single, "PointHeight", nullptr, "Arrow.PointHeight"},
};

const TRtField kDistance[] = {
    {K::Single, "DistanceValuesAxis", "ValuesAxis", "Distance.ValuesAxis"},
    {K::Single, "DistanceAxisLabels", "AxisLabels", "Distance.AxisLabels"},
    {K::Single, "DistanceAxisExtraExponent", "AxisExtraExponent", "Distance.AxisExtraExponent"},
};

const TRtField kZoom[] = {
    {K::Int, "Idx", nullptr, "Zoom.Idx", nullptr,
     [](const QObject& o) { return QVariant(AxisOf(o).ZoomStage()); }},
};

struct TGroup {
  const char* Element;
  TRtFields Fields;
  // The object the fields belong to (null: the axis).
  QObject* (*Target)(TRtAxis&) = nullptr;
  // A font block after the fields, with its INI prefix.
  TRtFont* (*Font)(TRtAxis&) = nullptr;
  const char* FontKey = nullptr;
  // The rubric texts follow the fields.
  bool Rubrics = false;
};

const TGroup kGroups[] = {
    {"Properties", kProperties},
    {"Caption", kCaption, nullptr, [](TRtAxis& a) { return a.CaptionFont(); }, "Caption.Font"},
    {"Scaling", kScaling, nullptr, [](TRtAxis& a) { return a.Font(); }, "Numbers.Font"},
    {"TickParts", kTickParts},
    {"Ends", kEnds},
    {"Rubrics", {}, nullptr, nullptr, nullptr, true},
    {"DateTimeFormat", kDateTimeFormat},
    {"SlaveAxis", kSlaveAxis},
    {"Arrow", kArrow, [](TRtAxis& a) -> QObject* { return a.ArrowPoint(); }},
    {"Distance", kDistance},
    {"Zoom", kZoom},
};

QObject& TargetOf(const TGroup& g, const TRtAxis& a) {
  TRtAxis& axis = const_cast<TRtAxis&>(a);
  return g.Target ? *g.Target(axis) : axis;
}

TRtFont& FontOf(const TGroup& g, const TRtAxis& a) {
  return *g.Font(const_cast<TRtAxis&>(a));
}

const QString kName = QStringLiteral("Name");
const QString kFont = QStringLiteral("Font");
const QString kItem = QStringLiteral("Item");
const QString kCaptions = QStringLiteral("Captions");
const QString kCount = QStringLiteral("Count");
const QString kRubricsCount = QStringLiteral("Rubrics.Count");
const QString kReadComment = QStringLiteral("Read axis settings");

QString RubricKey(int k) {
  return QStringLiteral("Rubrics.Item%1").arg(k);
}

}  // namespace

// ---- candidate tables --------------------------------------------------------------------------

double TRtAxis::PartCandidate(int Table, int Index) const {
  if (Index < 0 || Index > 2) return 0;
  switch (Table) {
    case 0:
      return FLabelParts[Index];
    case 1:
      return FMajorParts[Index];
    case 2:
      return FMinorParts[Index];
  }
  return 0;
}

void TRtAxis::SetPartCandidate(int Table, int Index, double Value) {
  if (Index < 0 || Index > 2 || Table < 0 || Table > 2) return;
  double* table = Table == 0 ? FLabelParts : Table == 1 ? FMajorParts : FMinorParts;
  if (table[Index] == Value) return;
  table[Index] = Value;
  Modified();
}

// ---- binary ------------------------------------------------------------------------------------

void TRtAxis::WriteTo(TRtStreamWriter& Writer) const {
  Writer.WriteString(ComponentPath(this));
  for (const TGroup& g : kGroups) {
    RtWriteFields(Writer, TargetOf(g, *this), g.Fields);
    if (g.Font) RtWriteFont(Writer, FontOf(g, *this));
    if (g.Rubrics) {
      Writer.WriteInt32(static_cast<std::int32_t>(FRubrics.size()));
      for (const QString& r : FRubrics) Writer.WriteString(r);
    }
  }
  Writer.WriteContinuation(false);
}

void TRtAxis::ReadFrom(TRtStreamReader& Reader) {
  Reader.ReadString();
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  for (const TGroup& g : kGroups) {
    RtReadFields(Reader, TargetOf(g, *this), g.Fields);
    if (g.Font) RtReadFont(Reader, FontOf(g, *this));
    if (g.Rubrics) {
      const std::int32_t n = Reader.ReadInt32();
      Reader.RequireItems(n, 4);
      QStringList rubrics;
      for (std::int32_t k = 0; k < n; ++k) rubrics << Reader.ReadString();
      SetRubrics(rubrics);
    }
  }
  Reader.ReadContinuation();
}

// ---- XML ---------------------------------------------------------------------------------------

void TRtAxis::WriteTo(QDomNode Parent) const {
  QDomElement e = RtXml::AddChild(Parent, QStringLiteral("TRtAxis"));
  RtXml::SetString(e, kName, ComponentPath(this));
  for (const TGroup& g : kGroups) {
    QDomElement ge = RtXml::AddChild(e, QString::fromLatin1(g.Element));
    RtWriteFields(ge, TargetOf(g, *this), g.Fields);
    if (g.Font) RtWriteFont(ge, FontOf(g, *this));
    if (g.Rubrics) {
      QDomElement captions = RtXml::AddChild(ge, kCaptions);
      RtXml::SetInteger(captions, kCount, static_cast<int>(FRubrics.size()));
      for (const QString& r : FRubrics) RtXml::AddTextChild(captions, kItem, r);
    }
  }
}

void TRtAxis::ReadFrom(const QDomElement& Element) {
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  for (const TGroup& g : kGroups) {
    const QDomElement ge = Element.firstChildElement(QString::fromLatin1(g.Element));
    RtReadFields(ge, TargetOf(g, *this), g.Fields);
    if (g.Font) RtReadFont(ge.firstChildElement(kFont), FontOf(g, *this));
    const QDomElement captions = ge.firstChildElement(kCaptions);
    if (g.Rubrics && !captions.isNull()) {
      QStringList rubrics;
      for (QDomElement it = captions.firstChildElement(kItem); !it.isNull();
           it = it.nextSiblingElement(kItem))
        rubrics << it.text();
      SetRubrics(rubrics);
    }
  }
}

// ---- INI ---------------------------------------------------------------------------------------

void TRtAxis::WriteTo(TIniFile& Ini, const QString& Section) const {
  const TRtIniWriter w(Ini, Section);
  w.WriteString(kName, ComponentPath(this));
  for (const TGroup& g : kGroups) {
    RtWriteFields(w, TargetOf(g, *this), g.Fields);
    if (g.Font) RtWriteFont(w.Sub(QString::fromLatin1(g.FontKey)), FontOf(g, *this));
    if (g.Rubrics) {
      w.WriteBool(QStringLiteral("Rubrics.FromDatabase"), false);
      w.WriteInteger(kRubricsCount, static_cast<int>(FRubrics.size()));
      for (int k = 0; k < FRubrics.size(); ++k)
        w.WriteString(RubricKey(k), RtIniEscapeLineBreaks(FRubrics[k]));
    }
  }
}

void TRtAxis::ReadFrom(const TIniFile& Ini, const QString& Section) {
  const TRtIniReader r(Ini, Section);
  const TRtUndoGroupScope group(FUndoStack, kReadComment);
  for (const TGroup& g : kGroups) {
    RtReadFields(r, TargetOf(g, *this), g.Fields);
    if (g.Font) RtReadFont(r.Sub(QString::fromLatin1(g.FontKey)), FontOf(g, *this));
    if (g.Rubrics && r.Exists(kRubricsCount)) {
      // As many texts as there are, up to the count.
      const int n = r.ReadInteger(kRubricsCount, 0);
      QStringList rubrics;
      for (int k = 0; k < n && r.Exists(RubricKey(k)); ++k)
        rubrics << RtIniUnescapeLineBreaks(r.ReadString(RubricKey(k), {}));
      SetRubrics(rubrics);
    }
  }
}

// ---- file --------------------------------------------------------------------------------------

void TRtAxis::WriteTo(const QString& FileName) const {
  RtWriteToFile(*this, FileName);
}

void TRtAxis::ReadFrom(const QString& FileName) {
  RtReadFromFile(*this, FileName);
}
