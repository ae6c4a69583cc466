#include "chart/io/RtComponentStream.h"

#include <QBuffer>
#include <QDataStream>
#include <QMetaProperty>
#include <QPointer>
#include <QSequentialIterable>

#include <vector>

#include "chart/io/RtClassRegistry.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"

namespace {

enum class TTag : std::uint8_t {
  Invalid = 0,
  Bool,
  Int32,
  UInt32,
  Int64,
  UInt64,
  Double,
  String,
  StringList,
  Bytes,
  Reference,
  DoubleList,
  List,
  Streamed,
};

// Images nest no deeper than this; a deeper one is garbled.
constexpr int kMaxDepth = 64;

[[noreturn]] void ThrowGarbled() {
  throw ERtStreamError(RtStreamReadErrorText);
}

// Qt's own classes ("QObject", "QWidget", "QLineEdit"): their properties are not the chart's.
bool IsQtClass(const QMetaObject* m) {
  const char* n = m->className();
  return n[0] == 'Q' && n[1] >= 'A' && n[1] <= 'Z';
}

int FirstOwnPropertyIndex(const QMetaObject* m) {
  int first = m->propertyCount();
  for (; m && !IsQtClass(m); m = m->superClass()) first = m->propertyOffset();
  return first;
}

IRtStreamedProperties* Streamed(const QObject* Object) {
  return dynamic_cast<IRtStreamedProperties*>(const_cast<QObject*>(Object));
}

bool HasStreamed(const QObject* Object, const QString& Name) {
  const IRtStreamedProperties* s = Streamed(Object);
  return s && s->StreamedPropertyNames().contains(Name);
}

QMetaProperty FindProperty(const QObject* Object, const char* Name) {
  const QMetaObject* m = Object->metaObject();
  const int i = m->indexOfProperty(Name);
  return i >= 0 ? m->property(i) : QMetaProperty();
}

bool IsText(QMetaType t) {
  return t == QMetaType::fromType<QString>() || t == QMetaType::fromType<QByteArray>();
}

bool IsList(const QVariant& v) {
  return !IsText(v.metaType()) && v.canConvert<QSequentialIterable>();
}

bool IsListType(QMetaType t) {
  return IsList(QVariant(t));
}

bool IsObjectType(QMetaType t) {
  return (t.flags() & QMetaType::PointerToQObject) != 0;
}

void WriteTag(TRtStreamWriter& w, TTag Tag) {
  w.WriteByte(static_cast<std::uint8_t>(Tag));
}

void WriteStreamedValue(TRtStreamWriter& w, const QVariant& v) {
  QByteArray payload;
  {
    QDataStream ds(&payload, QIODevice::WriteOnly);
    v.metaType().save(ds, v.constData());
  }
  WriteTag(w, TTag::Streamed);
  w.WriteString(QString::fromLatin1(v.metaType().name()));
  w.WriteBytes(payload);
}

QVariant ReadStreamedValue(TRtStreamReader& r) {
  const QByteArray name = r.ReadString().toLatin1();
  const QByteArray payload = r.ReadBytes();
  const QMetaType t = QMetaType::fromName(name);
  if (!t.isValid() || !t.hasRegisteredDataStreamOperators() || IsListType(t) || IsObjectType(t))
    return {};
  QDataStream ds(payload);
  QVariant v(t);
  if (!t.load(ds, v.data()) || ds.status() != QDataStream::Ok) return {};
  return v;
}

void WriteList(TRtStreamWriter& w, const QVariant& Value, IRtReferenceCodec& Codec) {
  const QSequentialIterable list = Value.value<QSequentialIterable>();
  const QMetaType element = list.metaContainer().valueMetaType();
  if (element != QMetaType::fromType<QVariant>() && IsListType(element))
    throw ERtError(RtOneDimensionalArraysText);
  std::vector<QVariant> items;
  for (const QVariant& item : list) {
    if (IsList(item)) throw ERtError(RtOneDimensionalArraysText);
    items.push_back(item);
  }
  WriteTag(w, TTag::List);
  w.WriteInt32(static_cast<std::int32_t>(items.size()));
  for (const QVariant& item : items) RtWriteValue(w, item, Codec);
}

// Builds a value of the property's container type from a list.
QVariant ToContainer(const QVariantList& Items, QMetaType Type) {
  if (Type == QMetaType::fromType<QVariantList>()) return Items;
  QVariant target(Type);
  if (!target.canView<QSequentialIterable>()) return {};
  QSequentialIterable view = target.view<QSequentialIterable>();
  const QMetaType element = view.metaContainer().valueMetaType();
  for (QVariant item : Items) {
    if (element != QMetaType::fromType<QVariant>() && !item.convert(element)) return {};
    view.addValue(item);
  }
  return target;
}

struct TFixup {
  QPointer<QObject> Object;
  QByteArray Property;
  TRtReference Reference;
};

// What reading an image leaves to do once everything is read.
struct TReading {
  std::vector<TFixup> Fixups;
  std::vector<QPointer<QObject>> Loading;
};

QObject* FindChildComponent(QObject* Owner, const QString& Name, const QString& ClassName) {
  for (QObject* c : Owner->children()) {
    if (c->objectName().compare(Name, Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(c->metaObject()->className()) == ClassName ? c : nullptr;
  }
  return RtCreateComponent(ClassName, Owner, Name);
}

// The image holds the whole state: named children that it does not hold and that it could
// create again go.
void DropChildrenNotIn(QObject* Object, const std::vector<QPointer<QObject>>& Kept) {
  std::vector<QObject*> gone;
  for (QObject* c : Object->children()) {
    if (c->objectName().isEmpty() || IsQtClass(c->metaObject()) ||
        !RtClassRegistered(QString::fromLatin1(c->metaObject()->className())))
      continue;
    if (std::find(Kept.begin(), Kept.end(), c) == Kept.end()) gone.push_back(c);
  }
  for (QObject* c : gone) delete c;
}

QObject* ReadComponentInto(TRtStreamReader& r, QObject* Target, QObject* Owner, TReading& Reading,
                           int Depth) {
  if (Depth > kMaxDepth) ThrowGarbled();
  const QString className = r.ReadString();
  const QString name = r.ReadString();
  QObject* o = Target;
  if (!o && Owner && !name.isEmpty()) o = FindChildComponent(Owner, name, className);
  if (IRtStreamedProperties* s = o ? Streamed(o) : nullptr) {
    s->BeginLoading();
    Reading.Loading.emplace_back(o);
  }
  const std::int32_t properties = r.ReadInt32();
  r.RequireItems(properties, 5);
  for (std::int32_t k = 0; k < properties; ++k) {
    const QByteArray property = r.ReadString().toLatin1();
    const QVariant value = RtReadValue(r);
    if (!o) continue;
    if (value.metaType() == QMetaType::fromType<TRtReference>())
      Reading.Fixups.push_back({o, property, value.value<TRtReference>()});
    else
      RtSetPropertyValue(o, property.constData(), value);
  }
  const std::int32_t children = r.ReadInt32();
  r.RequireItems(children, 13);
  std::vector<QPointer<QObject>> read;
  for (std::int32_t k = 0; k < children; ++k)
    read.emplace_back(ReadComponentInto(r, nullptr, o, Reading, Depth + 1));
  r.ReadContinuation();
  if (o) DropChildrenNotIn(o, read);
  return o;
}

}  // namespace

// ---- references --------------------------------------------------------------------------------

TRtReference TRtPathReferences::Reference(const QObject* Object) {
  return {ComponentPath(Object), 0};
}

QObject* TRtPathReferences::Resolve(const TRtReference& Reference) {
  return FindComponentByPath(Reference.Path);
}

void RtWriteReference(TRtStreamWriter& Writer, const TRtReference& Reference) {
  Writer.WriteString(Reference.Path);
  if (Reference.Path.isEmpty()) Writer.WriteUInt32(Reference.Id);
}

TRtReference RtReadReference(TRtStreamReader& Reader) {
  TRtReference ref;
  ref.Path = Reader.ReadString();
  if (ref.Path.isEmpty()) ref.Id = Reader.ReadUInt32();
  return ref;
}

// ---- properties --------------------------------------------------------------------------------

bool RtHasProperty(const QObject* Object, const char* Name) {
  if (!Object || !Name) return false;
  const QMetaProperty p = FindProperty(Object, Name);
  if (p.isValid()) return p.isReadable() && p.isWritable();
  return HasStreamed(Object, QString::fromLatin1(Name));
}

QVariant RtPropertyValue(const QObject* Object, const char* Name) {
  const QMetaProperty p = FindProperty(Object, Name);
  if (p.isValid()) return p.read(Object);
  const QString name = QString::fromLatin1(Name);
  if (HasStreamed(Object, name)) return Streamed(Object)->StreamedProperty(name);
  return {};
}

bool RtSetPropertyValue(QObject* Object, const char* Name, const QVariant& Value) {
  const QMetaProperty p = FindProperty(Object, Name);
  if (!p.isValid()) {
    const QString name = QString::fromLatin1(Name);
    return HasStreamed(Object, name) && Streamed(Object)->SetStreamedProperty(name, Value);
  }
  if (!p.isWritable()) return false;
  const QMetaType type = p.metaType();
  if (p.isEnumType() || Value.metaType() == type || !Value.isValid()) return p.write(Object, Value);
  if (IsObjectType(type)) {
    QObject* target = Value.value<QObject*>();
    if (target && !target->metaObject()->inherits(type.metaObject())) return false;
    QVariant v(type);
    *static_cast<QObject**>(v.data()) = target;
    return p.write(Object, v);
  }
  if (Value.metaType() == QMetaType::fromType<QVariantList>() && IsListType(type)) {
    const QVariant v = ToContainer(Value.toList(), type);
    return v.isValid() && p.write(Object, v);
  }
  QVariant v = Value;
  return v.convert(type) && p.write(Object, v);
}

QStringList RtStoredPropertyNames(const QObject* Object) {
  QStringList names;
  const QMetaObject* m = Object->metaObject();
  for (int i = FirstOwnPropertyIndex(m); i < m->propertyCount(); ++i) {
    const QMetaProperty p = m->property(i);
    if (p.isReadable() && p.isWritable() && p.isStored() && RtValueTypeStorable(p.metaType()))
      names << QString::fromLatin1(p.name());
  }
  if (const IRtStreamedProperties* s = Streamed(Object)) {
    for (const QString& n : s->StreamedPropertyNames())
      if (s->StreamedPropertyStored(n)) names << n;
  }
  return names;
}

// ---- values ------------------------------------------------------------------------------------

bool RtValueTypeStorable(QMetaType Type) {
  switch (Type.id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QString:
    case QMetaType::QStringList:
    case QMetaType::QByteArray:
      return true;
    default:
      break;
  }
  if ((Type.flags() & QMetaType::IsEnumeration) || IsObjectType(Type)) return true;
  if (IsListType(Type)) {
    QVariant empty(Type);
    const QMetaType element = empty.value<QSequentialIterable>().metaContainer().valueMetaType();
    return element == QMetaType::fromType<QVariant>() || !IsListType(element);
  }
  return Type.isValid() && Type.hasRegisteredDataStreamOperators();
}

void RtWriteValue(TRtStreamWriter& Writer, const QVariant& Value, IRtReferenceCodec& Codec) {
  const QMetaType type = Value.metaType();
  switch (type.id()) {
    case QMetaType::UnknownType:
      WriteTag(Writer, TTag::Invalid);
      return;
    case QMetaType::Bool:
      WriteTag(Writer, TTag::Bool);
      Writer.WriteBool(Value.toBool());
      return;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
      WriteTag(Writer, TTag::Int32);
      Writer.WriteInt32(Value.toInt());
      return;
    case QMetaType::UInt:
      WriteTag(Writer, TTag::UInt32);
      Writer.WriteUInt32(Value.toUInt());
      return;
    case QMetaType::LongLong:
      WriteTag(Writer, TTag::Int64);
      Writer.WriteInt64(Value.toLongLong());
      return;
    case QMetaType::ULongLong:
      WriteTag(Writer, TTag::UInt64);
      Writer.WriteInt64(static_cast<std::int64_t>(Value.toULongLong()));
      return;
    case QMetaType::Double:
    case QMetaType::Float:
      WriteTag(Writer, TTag::Double);
      Writer.WriteDouble(Value.toDouble());
      return;
    case QMetaType::QString:
      WriteTag(Writer, TTag::String);
      Writer.WriteString(Value.toString());
      return;
    case QMetaType::QByteArray:
      WriteTag(Writer, TTag::Bytes);
      Writer.WriteBytes(Value.toByteArray());
      return;
    case QMetaType::QStringList: {
      const QStringList lines = Value.toStringList();
      WriteTag(Writer, TTag::StringList);
      Writer.WriteInt32(static_cast<std::int32_t>(lines.size()));
      for (const QString& line : lines) Writer.WriteString(line);
      return;
    }
    default:
      break;
  }
  if (type.flags() & QMetaType::IsEnumeration) {
    WriteTag(Writer, TTag::Int32);
    Writer.WriteInt32(Value.toInt());
  } else if (IsObjectType(type)) {
    WriteTag(Writer, TTag::Reference);
    RtWriteReference(Writer, Codec.Reference(Value.value<QObject*>()));
  } else if (type == QMetaType::fromType<QList<double>>()) {
    const QList<double> values = Value.value<QList<double>>();
    WriteTag(Writer, TTag::DoubleList);
    Writer.WriteInt32(static_cast<std::int32_t>(values.size()));
    Writer.WriteDoubles(values.constData(), static_cast<std::size_t>(values.size()));
  } else if (type == QMetaType::fromType<TRtReference>()) {
    WriteTag(Writer, TTag::Reference);
    RtWriteReference(Writer, Value.value<TRtReference>());
  } else if (IsList(Value)) {
    WriteList(Writer, Value, Codec);
  } else if (type.hasRegisteredDataStreamOperators()) {
    WriteStreamedValue(Writer, Value);
  } else {
    throw ERtError(std::string("Values of type ") + type.name() + " cannot be stored");
  }
}

QVariant RtReadValue(TRtStreamReader& Reader) {
  switch (static_cast<TTag>(Reader.ReadByte())) {
    case TTag::Invalid:
      return {};
    case TTag::Bool:
      return Reader.ReadBool();
    case TTag::Int32:
      return Reader.ReadInt32();
    case TTag::UInt32:
      return Reader.ReadUInt32();
    case TTag::Int64:
      return qlonglong(Reader.ReadInt64());
    case TTag::UInt64:
      return qulonglong(Reader.ReadInt64());
    case TTag::Double:
      return Reader.ReadDouble();
    case TTag::String:
      return Reader.ReadString();
    case TTag::Bytes:
      return Reader.ReadBytes();
    case TTag::StringList: {
      const std::int32_t n = Reader.ReadInt32();
      Reader.RequireItems(n, 4);
      QStringList lines;
      for (std::int32_t k = 0; k < n; ++k) lines << Reader.ReadString();
      return lines;
    }
    case TTag::Reference:
      return QVariant::fromValue(RtReadReference(Reader));
    case TTag::DoubleList: {
      const std::int32_t n = Reader.ReadInt32();
      const std::vector<double> v = Reader.ReadDoubles(n);
      return QVariant::fromValue(QList<double>(v.begin(), v.end()));
    }
    case TTag::List: {
      const std::int32_t n = Reader.ReadInt32();
      Reader.RequireItems(n, 1);
      QVariantList items;
      for (std::int32_t k = 0; k < n; ++k) {
        QVariant item = RtReadValue(Reader);
        if (item.metaType() == QMetaType::fromType<QVariantList>()) ThrowGarbled();
        items << item;
      }
      return items;
    }
    case TTag::Streamed:
      return ReadStreamedValue(Reader);
  }
  ThrowGarbled();
}

// ---- component images --------------------------------------------------------------------------

void RtWriteComponent(TRtStreamWriter& Writer, const QObject* Object, IRtReferenceCodec& Codec) {
  Writer.WriteString(QString::fromLatin1(Object->metaObject()->className()));
  Writer.WriteString(Object->objectName());
  const QStringList names = RtStoredPropertyNames(Object);
  Writer.WriteInt32(static_cast<std::int32_t>(names.size()));
  for (const QString& n : names) {
    Writer.WriteString(n);
    RtWriteValue(Writer, RtPropertyValue(Object, n.toLatin1().constData()), Codec);
  }
  std::vector<const QObject*> children;
  for (const QObject* c : Object->children())
    if (!c->objectName().isEmpty() && !IsQtClass(c->metaObject())) children.push_back(c);
  Writer.WriteInt32(static_cast<std::int32_t>(children.size()));
  for (const QObject* c : children) RtWriteComponent(Writer, c, Codec);
  Writer.WriteContinuation(false);
}

QObject* RtReadComponent(TRtStreamReader& Reader, QObject* Target, QObject* Owner,
                         IRtReferenceCodec& Codec) {
  TReading reading;
  // References are set once everything is read, also when reading stops early; then every
  // object read hears that loading has ended.
  const auto fixUp = [&reading, &Codec] {
    for (const TFixup& f : reading.Fixups)
      if (f.Object)
        RtSetPropertyValue(f.Object, f.Property.constData(),
                           QVariant::fromValue(Codec.Resolve(f.Reference)));
    for (const QPointer<QObject>& o : reading.Loading)
      if (o) Streamed(o)->EndLoading();
  };
  QPointer<QObject> result;
  try {
    result = ReadComponentInto(Reader, Target, Owner, reading, 0);
  } catch (...) {
    fixUp();
    throw;
  }
  fixUp();
  return result.data();
}
