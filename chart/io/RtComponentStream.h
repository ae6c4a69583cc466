// Component streaming: the state of an object as its published properties (Q_PROPERTYs that are
// readable, writable and stored, declared by the chart's own classes rather than by Qt's), its
// extra streamed properties, and its named children, recursively. Reading sets every value
// through its setter, so side effects apply; a missing child is created by class name
// (RtClassRegistry.h) and a named child of a registered class that the image does not hold is
// freed; references to other objects are set after the whole image is read, so an image may
// refer to objects it creates itself.
//
// Values carry their own type tag: booleans, integers, floats, strings, string lists, byte
// arrays, object references, one-dimensional lists, and any other type Qt can stream.
#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>

class TRtStreamReader;
class TRtStreamWriter;

inline constexpr const char* RtOneDimensionalArraysText = "Only one dimensional arrays suported";

// Properties a class streams besides its Q_PROPERTYs: "Values" of a vector, "Layer" of a series.
// They are read and written by name like the published ones, always through the class's setters.
class IRtStreamedProperties {
 public:
  virtual ~IRtStreamedProperties() = default;
  virtual QStringList StreamedPropertyNames() const = 0;
  // False when the property is not written now (a vector's "Values" without PersistentValues).
  virtual bool StreamedPropertyStored(const QString& Name) const {
    (void)Name;
    return true;
  }
  virtual QVariant StreamedProperty(const QString& Name) const = 0;
  // False when Name is not one of them or Value does not fit.
  virtual bool SetStreamedProperty(const QString& Name, const QVariant& Value) = 0;
  // Around reading an image of the object: its setters may keep back what only makes sense
  // once every value is there (or what a damaged image must not be allowed to ask for).
  virtual void BeginLoading() {}
  virtual void EndLoading() {}
};

// A reference to another object as it is stored: its path, or, for an object without a path,
// an identity that only the writer's codec can resolve (0: no object).
struct TRtReference {
  QString Path;
  std::uint32_t Id = 0;
};
Q_DECLARE_METATYPE(TRtReference)

class IRtReferenceCodec {
 public:
  virtual ~IRtReferenceCodec() = default;
  virtual TRtReference Reference(const QObject* Object) = 0;
  virtual QObject* Resolve(const TRtReference& Reference) = 0;
};

// Paths only: an object without a path is stored as no object.
class TRtPathReferences : public IRtReferenceCodec {
 public:
  TRtReference Reference(const QObject* Object) override;
  QObject* Resolve(const TRtReference& Reference) override;
};

void RtWriteReference(TRtStreamWriter& Writer, const TRtReference& Reference);
TRtReference RtReadReference(TRtStreamReader& Writer);

// ---- properties by name ------------------------------------------------------------------------

// True for a readable and writable Q_PROPERTY, or a streamed property, of that name.
bool RtHasProperty(const QObject* Object, const char* Name);
QVariant RtPropertyValue(const QObject* Object, const char* Name);
// Through the setter; a list is converted to the property's container type, a reference must be
// resolved first (a QObject* variant). False when there is no such property or the value does
// not convert.
bool RtSetPropertyValue(QObject* Object, const char* Name, const QVariant& Value);
// The names written in an image, in declaration order, streamed properties last.
QStringList RtStoredPropertyNames(const QObject* Object);

// ---- values ------------------------------------------------------------------------------------

// Raises ERtError for a type that cannot be written, and RtOneDimensionalArraysText for a list of
// lists.
void RtWriteValue(TRtStreamWriter& Writer, const QVariant& Value, IRtReferenceCodec& Codec);
// A reference comes back unresolved, as a TRtReference variant.
QVariant RtReadValue(TRtStreamReader& Reader);
// True when RtWriteValue can write a value of this type (not for a list of lists).
bool RtValueTypeStorable(QMetaType Type);

// ---- component images --------------------------------------------------------------------------

void RtWriteComponent(TRtStreamWriter& Writer, const QObject* Object, IRtReferenceCodec& Codec);
// Reads an image into Target; with Target null, into Owner's child of the image's name and class,
// created when missing. Returns the object read into (null when it could not be created: the
// image is then read past). Raises ERtStreamError for a stream that ends early or is garbled,
// with what was read applied.
QObject* RtReadComponent(TRtStreamReader& Reader, QObject* Target, QObject* Owner,
                         IRtReferenceCodec& Codec);
