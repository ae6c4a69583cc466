// Streaming of TRtDoubleVector: binary, XML, INI and file forms, and the form property "Values".
#include <QDomDocument>
#include <QStringList>

#include "chart/data/RtVectors.h"
#include "chart/io/RtClassRegistry.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtText.h"
#include "chart/io/RtXml.h"

RT_REGISTER_CLASS(TRtDoubleVector)

namespace {

const QString kValues = QStringLiteral("Values");
const QString kOutliers = QStringLiteral("Outliers");
const QString kNone = QStringLiteral("None");
const QString kItem = QStringLiteral("Item");
const QString kCount = QStringLiteral("Count");

bool IsNone(const QString& Text) {
  return Text.trimmed().compare(kNone, Qt::CaseInsensitive) == 0;
}

// Every number of a blank-separated list, handed to Take as it is read.
template <typename Extract, typename Take>
void ForEachListed(const QString& Text, Extract extract, Take take) {
  if (IsNone(Text)) return;
  qsizetype pos = 0;
  while (!OnlyBlanksFrom(Text, pos)) take(extract(QStringView(Text), pos));
}

}  // namespace

void TRtDoubleVector::ApplyReadIncrement(int Value) {
  if (Value <= kMaxReadSpare) TRtCustomDoubleVector::SetIncrement(Value);
}

void TRtDoubleVector::SetCapacity(int Value) {
  if (FLoading)
    FLoadedCapacity = Value;
  else
    TRtCustomDoubleVector::SetCapacity(Value);
}

void TRtDoubleVector::SetIncrement(int Value) {
  if (FLoading)
    ApplyReadIncrement(Value);
  else
    TRtCustomDoubleVector::SetIncrement(Value);
}

void TRtDoubleVector::BeginLoading() {
  FLoading = true;
  FLoadedCapacity = -1;
}

void TRtDoubleVector::EndLoading() {
  FLoading = false;
  if (FLoadedCapacity >= 0 && FLoadedCapacity - static_cast<long long>(FCount) <= kMaxReadSpare)
    TRtCustomDoubleVector::SetCapacity(FLoadedCapacity);
  FLoadedCapacity = -1;
}

void TRtDoubleVector::ApplyReadValues(std::vector<double> Values, long long WrittenCapacity) {
  const long long count = static_cast<long long>(Values.size());
  if (WrittenCapacity > count && WrittenCapacity - count <= kMaxReadSpare)
    Values.resize(static_cast<std::size_t>(WrittenCapacity));
  else if (count == 0)
    return;
  AssignInternalArray(std::move(Values), static_cast<int>(count));
}

// ---- binary ------------------------------------------------------------------------------------

void TRtDoubleVector::WriteTo(TRtStreamWriter& Writer) const {
  Writer.WriteString(ComponentPath(this));
  Writer.WriteInt32(FIncrement);
  Writer.WriteInt32(FCapacity);
  Writer.WriteBool(FDBData);
  if (FDBData) {
    Writer.WriteString({});
    Writer.WriteString({});
  } else {
    Writer.WriteInt32(FCount);
    Writer.WriteDoubles(FArray.data(), static_cast<std::size_t>(FCount));
  }
  Writer.WriteBool(FAnyOutliers);
  if (FAnyOutliers) {
    Writer.WriteInt32(FOutliers.Count());
    for (int k = 0; k < FOutliers.Count(); ++k) Writer.WriteInt32(FOutliers.GetValue(k));
  }
  Writer.WriteContinuation(false);
}

void TRtDoubleVector::ReadFrom(TRtStreamReader& Reader) {
  Reader.ReadString();
  Clear(true);
  ApplyReadIncrement(Reader.ReadInt32());
  const std::int32_t capacity = Reader.ReadInt32();
  if (capacity <= Reader.Remaining() / 8 + kMaxReadSpare)
    TRtCustomDoubleVector::SetCapacity(capacity);
  if (Reader.ReadBool()) {
    // Values from a database: no database binding here, the vector stays empty.
    Reader.ReadString();
    Reader.ReadString();
  } else {
    const std::int32_t count = Reader.ReadInt32();
    ApplyReadValues(Reader.ReadDoubles(count), capacity);
  }
  if (Reader.ReadBool()) {
    const std::int32_t n = Reader.ReadInt32();
    Reader.RequireItems(n, 4);
    for (std::int32_t k = 0; k < n; ++k) AddOutlier(Reader.ReadInt32());
  }
  Reader.ReadContinuation();
}

// ---- XML ---------------------------------------------------------------------------------------

void TRtDoubleVector::WriteTo(QDomNode Parent) const {
  QDomElement e = RtXml::AddChild(Parent, QStringLiteral("TRtDoubleVector"));
  RtXml::SetString(e, QStringLiteral("Name"), ComponentPath(this));
  RtXml::SetInteger(e, QStringLiteral("Increment"), FIncrement);
  RtXml::SetInteger(e, QStringLiteral("Capacity"), FCapacity);
  if (FDBData) {
    QDomElement db = RtXml::AddChild(e, QStringLiteral("Database"));
    RtXml::SetString(db, QStringLiteral("DataSource"), {});
    RtXml::SetString(db, QStringLiteral("DataField"), {});
  } else {
    QDomElement values = RtXml::AddChild(e, kValues);
    RtXml::SetInteger(values, kCount, FCount);
    for (int k = 0; k < FCount; ++k) RtXml::AddTextChild(values, kItem, FloatToText(FArray[k]));
  }
  if (FAnyOutliers) {
    QDomElement outliers = RtXml::AddChild(e, kOutliers);
    RtXml::SetInteger(outliers, kCount, FOutliers.Count());
    for (int k = 0; k < FOutliers.Count(); ++k)
      RtXml::AddTextChild(outliers, kItem, QString::number(FOutliers.GetValue(k)));
  }
}

void TRtDoubleVector::ReadFrom(const QDomElement& Element) {
  Clear(true);
  ApplyReadIncrement(RtXml::Integer(Element, QStringLiteral("Increment"), FIncrement));
  const int capacity = RtXml::Integer(Element, QStringLiteral("Capacity"), FCapacity);
  const QDomElement first = Element.firstChildElement();
  if (first.tagName() == kValues) {
    std::vector<double> values;
    try {
      for (QDomElement it = first.firstChildElement(kItem); !it.isNull();
           it = it.nextSiblingElement(kItem))
        values.push_back(TextToFloat(it.text()));
    } catch (...) {
      ApplyReadValues(std::move(values), capacity);
      throw;
    }
    ApplyReadValues(std::move(values), capacity);
  }
  const QDomElement second = first.nextSiblingElement();
  if (second.tagName() == kOutliers) {
    for (QDomElement it = second.firstChildElement(kItem); !it.isNull();
         it = it.nextSiblingElement(kItem))
      AddOutlier(TextToInteger(it.text()));
  }
}

// ---- INI ---------------------------------------------------------------------------------------

void TRtDoubleVector::WriteTo(TIniFile& Ini, const QString& Section) const {
  const TRtIniWriter w(Ini, Section);
  w.WriteString(QStringLiteral("Name"), ComponentPath(this));
  w.WriteInteger(QStringLiteral("Increment"), FIncrement);
  w.WriteInteger(QStringLiteral("Capacity"), FCapacity);
  w.WriteBool(QStringLiteral("FromDatabase"), FDBData);
  if (FDBData) {
    w.WriteString(QStringLiteral("DataSource"), {});
    w.WriteString(QStringLiteral("DataField"), {});
  } else {
    QStringList values;
    values.reserve(FCount);
    for (int k = 0; k < FCount; ++k) values << FloatToText(FArray[k]);
    w.WriteString(kValues, values.isEmpty() ? kNone : values.join(QLatin1Char(' ')));
  }
  QStringList outliers;
  for (int k = 0; k < FOutliers.Count(); ++k) outliers << QString::number(FOutliers.GetValue(k));
  w.WriteString(kOutliers, outliers.isEmpty() ? kNone : outliers.join(QLatin1Char(' ')));
}

void TRtDoubleVector::ReadFrom(const TIniFile& Ini, const QString& Section) {
  const TRtIniReader r(Ini, Section);
  Clear(true);
  ApplyReadIncrement(r.ReadInteger(QStringLiteral("Increment"), FIncrement));
  const int capacity = r.ReadInteger(QStringLiteral("Capacity"), FCapacity);
  if (!r.ReadBool(QStringLiteral("FromDatabase"), false)) {
    std::vector<double> values;
    const auto extract = [](QStringView t, qsizetype& pos) { return ExtractFloat(t, pos); };
    try {
      ForEachListed(r.ReadString(kValues, kNone), extract,
                    [&values](double x) { values.push_back(x); });
    } catch (...) {
      ApplyReadValues(std::move(values), capacity);
      throw;
    }
    ApplyReadValues(std::move(values), capacity);
  }
  const auto extract = [](QStringView t, qsizetype& pos) { return ExtractInteger(t, pos); };
  ForEachListed(r.ReadString(kOutliers, kNone), extract, [this](int i) { AddOutlier(i); });
}

// ---- file --------------------------------------------------------------------------------------

void TRtDoubleVector::WriteTo(const QString& FileName) const {
  RtWriteToFile(*this, FileName);
}

void TRtDoubleVector::ReadFrom(const QString& FileName) {
  RtReadFromFile(*this, FileName);
}

// ---- form property "Values" --------------------------------------------------------------------

QStringList TRtDoubleVector::StreamedPropertyNames() const {
  return {kValues};
}

bool TRtDoubleVector::StreamedPropertyStored(const QString& Name) const {
  return Name == kValues && ValuesStored();
}

QVariant TRtDoubleVector::StreamedProperty(const QString& Name) const {
  if (Name != kValues) return {};
  return QVariant::fromValue(QList<double>(FArray.begin(), FArray.begin() + FCount));
}

bool TRtDoubleVector::SetStreamedProperty(const QString& Name, const QVariant& Value) {
  if (Name != kValues || !Value.canConvert<QList<double>>()) return false;
  const QList<double> values = Value.value<QList<double>>();
  Clear(false);
  ReadStoredValues(std::span<const double>(values.constData(), std::size_t(values.size())));
  return true;
}
