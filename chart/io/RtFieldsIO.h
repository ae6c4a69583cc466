// An object's settings as a table of fields, each written and read in the three forms: binary
// (in table order, each with its kind's width), XML attributes and INI keys. A field goes through
// a property by name (published or streamed), so reading applies every value through its setter
// with the setter's side effects and undo recording; a field with accessor functions stands for
// what is not a property. A read-only property is written and read past.
//
// Reading applies each value as soon as it is read and raises at the first one that cannot be
// read: ERtStreamError for a stream that ends early or holds an ordinal that is no enumerator,
// ERtTextConvertError for an XML attribute that does not convert. In INI form a missing key
// leaves the current value (or gives the field's fixed default) and a value that does not
// convert is passed over.
#pragma once

#include <QDomElement>
#include <QObject>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <span>
#include <type_traits>

class TRtIniReader;
class TRtIniWriter;
class TRtStreamReader;
class TRtStreamWriter;

enum class TRtFieldKind : std::uint8_t {
  Bool,       // 1 byte; XML "true"/"false", INI "1"/"0"
  Byte,       // an enumeration's ordinal or a small set, 1 byte; decimal text
  Int,        // 4 bytes; decimal text
  Color,      // ARGB, 4 bytes; a known-colour name or "$AARRGGBB"
  Single,     // 4-byte float; shortest text that reads back to the same single
  Double,     // 8-byte float; general format with up to 15 digits, "." as separator
  String,     // 4-byte length and UTF-8; INI: carriage return and line feed as "@\r" and "@\n"
  Reference,  // another object, as its component path; resolved on reading (missing: none)
};

struct TRtField {
  TRtFieldKind Kind;
  // Property name; with accessors only the field's name.
  const char* Property;
  // XML attribute (null: Property) and INI key (null: the attribute).
  const char* Attribute = nullptr;
  const char* IniKey = nullptr;
  // Text a missing INI key stands for (null: the current value is kept).
  const char* IniDefault = nullptr;
  // Accessors instead of the property (Set null: written only).
  QVariant (*Get)(const QObject&) = nullptr;
  void (*Set)(QObject&, const QVariant&) = nullptr;
};
using TRtFields = std::span<const TRtField>;

namespace RtFieldDetail {
template <typename T>
struct TGetter;
template <typename C, typename R>
struct TGetter<R (C::*)() const> {
  using Class = C;
};
template <typename T>
struct TSetter;
template <typename C, typename A>
struct TSetter<void (C::*)(A)> {
  using Arg = std::decay_t<A>;
};
template <typename T>
QVariant ToVariant(const T& v) {
  if constexpr (std::is_pointer_v<T>)
    return QVariant::fromValue(
        static_cast<QObject*>(const_cast<std::remove_const_t<std::remove_pointer_t<T>>*>(v)));
  else if constexpr (std::is_enum_v<T>)
    return QVariant(static_cast<int>(v));
  else
    return QVariant::fromValue(v);
}
template <typename T>
T FromVariant(const QVariant& v) {
  if constexpr (std::is_pointer_v<T>)
    return qobject_cast<T>(v.value<QObject*>());
  else if constexpr (std::is_enum_v<T>)
    return static_cast<T>(v.toInt());
  else
    return v.value<T>();
}
}  // namespace RtFieldDetail

// A field through a getter and a setter that are no published property (the object must be of
// the getter's class): RtMemberField<&TRtSeries::AutoUpdate, &TRtSeries::SetAutoUpdate>(...).
template <auto Get, auto Set>
constexpr TRtField RtMemberField(TRtFieldKind Kind, const char* Name,
                                 const char* Attribute = nullptr, const char* IniKey = nullptr) {
  using C = typename RtFieldDetail::TGetter<decltype(Get)>::Class;
  using A = typename RtFieldDetail::TSetter<decltype(Set)>::Arg;
  return {
      Kind,
      Name,
      Attribute,
      IniKey,
      nullptr,
      [](const QObject& o) { return RtFieldDetail::ToVariant((static_cast<const C&>(o).*Get)()); },
      [](QObject& o, const QVariant& v) {
        (static_cast<C&>(o).*Set)(RtFieldDetail::FromVariant<A>(v));
      }};
}

void RtWriteFields(TRtStreamWriter& Writer, const QObject& Object, TRtFields Fields);
void RtReadFields(TRtStreamReader& Reader, QObject& Object, TRtFields Fields);
void RtWriteFields(QDomElement& Element, const QObject& Object, TRtFields Fields);
void RtReadFields(const QDomElement& Element, QObject& Object, TRtFields Fields);
void RtWriteFields(const TRtIniWriter& Writer, const QObject& Object, TRtFields Fields);
void RtReadFields(const TRtIniReader& Reader, QObject& Object, TRtFields Fields);

// Line breaks of a text as INI values hold them ("@\r", "@\n"), and back.
QString RtIniEscapeLineBreaks(const QString& Text);
QString RtIniUnescapeLineBreaks(const QString& Text);
