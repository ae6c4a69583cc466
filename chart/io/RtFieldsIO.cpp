#include "chart/io/RtFieldsIO.h"

#include <QMetaEnum>
#include <QMetaProperty>

#include "chart/io/RtColors.h"
#include "chart/io/RtComponentStream.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtText.h"

namespace {

const char* AttributeOf(const TRtField& f) {
  return f.Attribute ? f.Attribute : f.Property;
}

QString IniKeyOf(const TRtField& f) {
  return QString::fromLatin1(f.IniKey ? f.IniKey : AttributeOf(f));
}

QVariant ValueOf(const QObject& o, const TRtField& f) {
  return f.Get ? f.Get(o) : RtPropertyValue(&o, f.Property);
}

bool Settable(const QObject& o, const TRtField& f) {
  return f.Get ? f.Set != nullptr : RtHasProperty(&o, f.Property);
}

// The enumeration of the field's property, or an invalid one.
QMetaEnum EnumOf(const QObject& o, const TRtField& f) {
  if (f.Get) return {};
  const QMetaObject* m = o.metaObject();
  const int i = m->indexOfProperty(f.Property);
  return i >= 0 && m->property(i).isEnumType() ? m->property(i).enumerator() : QMetaEnum();
}

// True when Value may be stored in the field (an enumeration's ordinal must name an enumerator).
bool OrdinalValid(const QObject& o, const TRtField& f, int Value) {
  const QMetaEnum e = EnumOf(o, f);
  if (!e.isValid()) return true;
  if (!e.isFlag()) return e.valueToKey(Value) != nullptr;
  int all = 0;
  for (int k = 0; k < e.keyCount(); ++k) all |= e.value(k);
  return (Value & ~all) == 0;
}

void Apply(QObject& o, const TRtField& f, const QVariant& Value) {
  if (f.Get) {
    if (f.Set) f.Set(o, Value);
    return;
  }
  if (f.Kind == TRtFieldKind::Reference) {
    // A path that names no object, or one of the wrong class, is a missing reference.
    if (!RtSetPropertyValue(&o, f.Property, Value))
      RtSetPropertyValue(&o, f.Property, QVariant::fromValue<QObject*>(nullptr));
    return;
  }
  RtSetPropertyValue(&o, f.Property, Value);
}

QVariant Resolved(const QString& Path) {
  return QVariant::fromValue(Path.isEmpty() ? nullptr : FindComponentByPath(Path));
}

QString PathOf(const QVariant& v) {
  return ComponentPath(v.value<QObject*>());
}

// ---- text ----------------------------------------------------------------------------------

QString ToText(TRtFieldKind Kind, const QVariant& v) {
  switch (Kind) {
    case TRtFieldKind::Bool:
      return BoolToText(v.toBool());
    case TRtFieldKind::Byte:
    case TRtFieldKind::Int:
      return QString::number(v.toInt());
    case TRtFieldKind::Color:
      return ColorToText(v.toUInt());
    case TRtFieldKind::Single:
      return SingleToText(v.toFloat());
    case TRtFieldKind::Double:
      return FloatToText(v.toDouble());
    case TRtFieldKind::String:
      return v.toString();
    case TRtFieldKind::Reference:
      return PathOf(v);
  }
  return {};
}

// Raises ERtTextConvertError when the text does not convert.
QVariant FromText(const QObject& o, const TRtField& f, const QString& Text) {
  switch (f.Kind) {
    case TRtFieldKind::Bool:
      return TextToBool(Text);
    case TRtFieldKind::Byte:
    case TRtFieldKind::Int: {
      const int v = TextToInteger(Text);
      const bool fits = f.Kind != TRtFieldKind::Byte || (v >= 0 && v <= 255);
      if (!fits || !OrdinalValid(o, f, v)) {
        const QMetaEnum e = EnumOf(o, f);
        const std::string what = std::string(e.isValid() ? e.name() : "ordinal") + " value";
        throw ERtTextConvertError(RtNotValidText(Text.toStdString(), what.c_str()));
      }
      return v;
    }
    case TRtFieldKind::Color:
      return TextToColor(Text);
    case TRtFieldKind::Single:
      return static_cast<float>(TextToFloat(Text));
    case TRtFieldKind::Double:
      return TextToFloat(Text);
    case TRtFieldKind::String:
      return Text;
    case TRtFieldKind::Reference:
      return Resolved(Text.trimmed());
  }
  return {};
}

}  // namespace

// ---- binary ------------------------------------------------------------------------------------

void RtWriteFields(TRtStreamWriter& Writer, const QObject& Object, TRtFields Fields) {
  for (const TRtField& f : Fields) {
    const QVariant v = ValueOf(Object, f);
    switch (f.Kind) {
      case TRtFieldKind::Bool:
        Writer.WriteBool(v.toBool());
        break;
      case TRtFieldKind::Byte:
        Writer.WriteByte(static_cast<std::uint8_t>(v.toInt()));
        break;
      case TRtFieldKind::Int:
        Writer.WriteInt32(v.toInt());
        break;
      case TRtFieldKind::Color:
        Writer.WriteUInt32(v.toUInt());
        break;
      case TRtFieldKind::Single:
        Writer.WriteSingle(v.toFloat());
        break;
      case TRtFieldKind::Double:
        Writer.WriteDouble(v.toDouble());
        break;
      case TRtFieldKind::String:
        Writer.WriteString(v.toString());
        break;
      case TRtFieldKind::Reference:
        Writer.WriteString(PathOf(v));
        break;
    }
  }
}

void RtReadFields(TRtStreamReader& Reader, QObject& Object, TRtFields Fields) {
  for (const TRtField& f : Fields) {
    QVariant v;
    switch (f.Kind) {
      case TRtFieldKind::Bool:
        v = Reader.ReadBool();
        break;
      case TRtFieldKind::Byte:
        v = int(Reader.ReadByte());
        break;
      case TRtFieldKind::Int:
        v = Reader.ReadInt32();
        break;
      case TRtFieldKind::Color:
        v = Reader.ReadUInt32();
        break;
      case TRtFieldKind::Single:
        v = Reader.ReadSingle();
        break;
      case TRtFieldKind::Double:
        v = Reader.ReadDouble();
        break;
      case TRtFieldKind::String:
        v = Reader.ReadString();
        break;
      case TRtFieldKind::Reference:
        v = Resolved(Reader.ReadString());
        break;
    }
    if (f.Kind == TRtFieldKind::Byte && !OrdinalValid(Object, f, v.toInt()))
      throw ERtStreamError(RtStreamReadErrorText);
    if (Settable(Object, f)) Apply(Object, f, v);
  }
}

// ---- XML ---------------------------------------------------------------------------------------

void RtWriteFields(QDomElement& Element, const QObject& Object, TRtFields Fields) {
  for (const TRtField& f : Fields)
    Element.setAttribute(QString::fromLatin1(AttributeOf(f)), ToText(f.Kind, ValueOf(Object, f)));
}

void RtReadFields(const QDomElement& Element, QObject& Object, TRtFields Fields) {
  for (const TRtField& f : Fields) {
    const QString name = QString::fromLatin1(AttributeOf(f));
    if (!Element.hasAttribute(name) || !Settable(Object, f)) continue;
    Apply(Object, f, FromText(Object, f, Element.attribute(name)));
  }
}

// ---- INI ---------------------------------------------------------------------------------------

void RtWriteFields(const TRtIniWriter& Writer, const QObject& Object, TRtFields Fields) {
  for (const TRtField& f : Fields) {
    const QVariant v = ValueOf(Object, f);
    const QString key = IniKeyOf(f);
    if (f.Kind == TRtFieldKind::Bool)
      Writer.WriteBool(key, v.toBool());
    else if (f.Kind == TRtFieldKind::String)
      Writer.WriteString(key, RtIniEscapeLineBreaks(v.toString()));
    else
      Writer.WriteString(key, ToText(f.Kind, v));
  }
}

void RtReadFields(const TRtIniReader& Reader, QObject& Object, TRtFields Fields) {
  for (const TRtField& f : Fields) {
    if (!Settable(Object, f)) continue;
    const QString key = IniKeyOf(f);
    QString text;
    if (Reader.Exists(key))
      text = Reader.ReadString(key, {});
    else if (f.IniDefault)
      text = QString::fromLatin1(f.IniDefault);
    else
      continue;
    if (f.Kind == TRtFieldKind::String) {
      Apply(Object, f, RtIniUnescapeLineBreaks(text));
      continue;
    }
    QVariant v;
    try {
      v = FromText(Object, f, text);
    } catch (const ERtTextConvertError&) {
      continue;
    }
    Apply(Object, f, v);
  }
}

QString RtIniEscapeLineBreaks(const QString& Text) {
  QString t = Text;
  t.replace(QLatin1Char('\r'), QLatin1String("@\\r"));
  t.replace(QLatin1Char('\n'), QLatin1String("@\\n"));
  return t;
}

QString RtIniUnescapeLineBreaks(const QString& Text) {
  QString t = Text;
  t.replace(QLatin1String("@\\r"), QLatin1String("\r"));
  t.replace(QLatin1String("@\\n"), QLatin1String("\n"));
  return t;
}
