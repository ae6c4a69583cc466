#include "chart/graphio/RtSettingsParts.h"

#include <QStringList>

#include <memory>
#include <vector>

#include "chart/draw/RtStyles.h"
#include "chart/draw/RtStylesIO.h"
#include "chart/io/RtComponentStream.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtXml.h"

namespace {

const QString kCount = QStringLiteral("Count");
const QString kItem = QStringLiteral("Item");

// A part's style object, or a default one standing in for a missing one.
template <typename T>
class TStyleOf {
 public:
  TStyleOf(const QObject& Object, const char* Name)
      : fObject(qobject_cast<T*>(RtSubObject(Object, Name))) {
    if (!fObject) {
      fScratch = std::make_unique<T>();
      fObject = fScratch.get();
    }
  }
  bool Present() const { return !fScratch; }
  T& operator*() const { return *fObject; }

 private:
  T* fObject;
  std::unique_ptr<T> fScratch;
};

// The object the part's fields belong to, or an empty stand-in.
class TFieldsOf {
 public:
  TFieldsOf(const QObject& Object, const char* Name)
      : fObject(Name ? RtSubObject(Object, Name) : const_cast<QObject*>(&Object)) {
    if (!fObject) fObject = &fScratch;
  }
  bool Present() const { return fObject != &fScratch; }
  QObject& operator*() const { return *fObject; }

 private:
  QObject* fObject;
  QObject fScratch;
};

QVariant FieldValue(const QObject& o, const TRtField& f) {
  return f.Get ? f.Get(o) : RtPropertyValue(&o, f.Property);
}

// The fields the object has (the text forms leave the others out).
std::vector<TRtField> PresentFields(const QObject& o, TRtFields Fields) {
  std::vector<TRtField> present;
  for (const TRtField& f : Fields)
    if (FieldValue(o, f).isValid()) present.push_back(f);
  return present;
}

QStringList ListOf(const QObject& o, const char* Name) {
  return RtPropertyValue(&o, Name).toStringList();
}

void SetList(QObject& o, const char* Name, const QStringList& List) {
  if (RtHasProperty(&o, Name)) RtSetPropertyValue(&o, Name, List);
}

QString Latin(const char* Text) {
  return QString::fromLatin1(Text ? Text : "");
}

// ---- XML paths ---------------------------------------------------------------------------------

// The element of the path below Element, created when missing.
QDomElement MakePath(QDomElement Element, const char* Path) {
  for (const QString& name : Latin(Path).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    QDomElement child = Element.firstChildElement(name);
    Element = child.isNull() ? RtXml::AddChild(Element, name) : child;
  }
  return Element;
}

QDomElement FindPath(QDomElement Element, const char* Path) {
  for (const QString& name : Latin(Path).split(QLatin1Char('/'), Qt::SkipEmptyParts))
    Element = Element.firstChildElement(name);
  return Element;
}

// The path's last element as the name a style block's writer gives its element, and the
// element of everything before it.
QString LastSegment(const char* Path) {
  return Latin(Path).section(QLatin1Char('/'), -1);
}
QString ParentPath(const char* Path) {
  return Latin(Path).section(QLatin1Char('/'), 0, -2);
}

bool PartPresent(const QObject& o, const TRtSettingsPart& p) {
  switch (p.Kind) {
    case TRtPartKind::Fields:
      return TFieldsOf(o, p.Object).Present();
    case TRtPartKind::Line:
      return TStyleOf<TRtLineSettings>(o, p.Object).Present();
    case TRtPartKind::Gradient:
      return TStyleOf<TRtGradientSettings>(o, p.Object).Present();
    case TRtPartKind::Font:
      return TStyleOf<TRtFont>(o, p.Object).Present();
    case TRtPartKind::StringList:
      return RtPropertyValue(&o, p.Object).isValid();
  }
  return false;
}

}  // namespace

QObject* RtSubObject(const QObject& Object, const char* Name) {
  if (!Name) return nullptr;
  const QVariant v = RtPropertyValue(&Object, Name);
  if (v.metaType().flags() & QMetaType::PointerToQObject) return v.value<QObject*>();
  const QString name = QString::fromLatin1(Name);
  for (QObject* c : Object.children())
    if (c->objectName() == name) return c;
  return nullptr;
}

// ---- binary ------------------------------------------------------------------------------------

void RtWriteParts(TRtStreamWriter& Writer, const QObject& Object, TRtSettingsParts Parts) {
  for (const TRtSettingsPart& p : Parts) {
    if (p.Extension) Writer.WriteContinuation(true);
    switch (p.Kind) {
      case TRtPartKind::Fields:
        RtWriteFields(Writer, *TFieldsOf(Object, p.Object), p.Fields);
        break;
      case TRtPartKind::Line:
        RtWriteLine(Writer, *TStyleOf<TRtLineSettings>(Object, p.Object));
        break;
      case TRtPartKind::Gradient:
        RtWriteGradient(Writer, *TStyleOf<TRtGradientSettings>(Object, p.Object));
        break;
      case TRtPartKind::Font:
        RtWriteFont(Writer, *TStyleOf<TRtFont>(Object, p.Object));
        break;
      case TRtPartKind::StringList: {
        const QStringList list = ListOf(Object, p.Object);
        Writer.WriteInt32(static_cast<std::int32_t>(list.size()));
        for (const QString& s : list) Writer.WriteString(s);
        break;
      }
    }
  }
  Writer.WriteContinuation(false);
}

void RtReadParts(TRtStreamReader& Reader, QObject& Object, TRtSettingsParts Parts) {
  for (const TRtSettingsPart& p : Parts) {
    if (p.Extension && !Reader.ReadContinuation()) return;
    switch (p.Kind) {
      case TRtPartKind::Fields:
        RtReadFields(Reader, *TFieldsOf(Object, p.Object), p.Fields);
        break;
      case TRtPartKind::Line:
        RtReadLine(Reader, *TStyleOf<TRtLineSettings>(Object, p.Object));
        break;
      case TRtPartKind::Gradient:
        RtReadGradient(Reader, *TStyleOf<TRtGradientSettings>(Object, p.Object));
        break;
      case TRtPartKind::Font:
        RtReadFont(Reader, *TStyleOf<TRtFont>(Object, p.Object));
        break;
      case TRtPartKind::StringList: {
        const std::int32_t n = Reader.ReadInt32();
        Reader.RequireItems(n, 4);
        QStringList list;
        for (std::int32_t k = 0; k < n; ++k) list << Reader.ReadString();
        SetList(Object, p.Object, list);
        break;
      }
    }
  }
  // An extension this reader does not know ends here.
  Reader.ReadContinuation();
}

// ---- XML ---------------------------------------------------------------------------------------

void RtWriteParts(QDomElement& Element, const QObject& Object, TRtSettingsParts Parts) {
  for (const TRtSettingsPart& p : Parts) {
    if (!PartPresent(Object, p)) continue;
    switch (p.Kind) {
      case TRtPartKind::Fields: {
        const TFieldsOf o(Object, p.Object);
        const std::vector<TRtField> fields = PresentFields(*o, p.Fields);
        if (fields.empty()) break;
        QDomElement e = MakePath(Element, p.Element);
        RtWriteFields(e, *o, fields);
        break;
      }
      case TRtPartKind::Line:
        RtWriteLine(MakePath(Element, ParentPath(p.Element).toLatin1().constData()),
                    LastSegment(p.Element), *TStyleOf<TRtLineSettings>(Object, p.Object));
        break;
      case TRtPartKind::Gradient:
        RtWriteGradient(MakePath(Element, ParentPath(p.Element).toLatin1().constData()),
                        LastSegment(p.Element), *TStyleOf<TRtGradientSettings>(Object, p.Object));
        break;
      case TRtPartKind::Font:
        RtWriteFont(MakePath(Element, ParentPath(p.Element).toLatin1().constData()),
                    *TStyleOf<TRtFont>(Object, p.Object), LastSegment(p.Element));
        break;
      case TRtPartKind::StringList: {
        const QStringList list = ListOf(Object, p.Object);
        QDomElement e = MakePath(Element, p.Element);
        RtXml::SetInteger(e, kCount, static_cast<int>(list.size()));
        for (const QString& s : list) RtXml::AddTextChild(e, kItem, s);
        break;
      }
    }
  }
}

void RtReadParts(const QDomElement& Element, QObject& Object, TRtSettingsParts Parts) {
  for (const TRtSettingsPart& p : Parts) {
    const QDomElement e = FindPath(Element, p.Element);
    if (e.isNull() || !PartPresent(Object, p)) continue;
    switch (p.Kind) {
      case TRtPartKind::Fields:
        RtReadFields(e, *TFieldsOf(Object, p.Object), p.Fields);
        break;
      case TRtPartKind::Line:
        RtReadLine(e, *TStyleOf<TRtLineSettings>(Object, p.Object));
        break;
      case TRtPartKind::Gradient:
        RtReadGradient(e, *TStyleOf<TRtGradientSettings>(Object, p.Object));
        break;
      case TRtPartKind::Font:
        RtReadFont(e, *TStyleOf<TRtFont>(Object, p.Object));
        break;
      case TRtPartKind::StringList: {
        QStringList list;
        for (QDomElement it = e.firstChildElement(kItem); !it.isNull();
             it = it.nextSiblingElement(kItem))
          list << it.text();
        SetList(Object, p.Object, list);
        break;
      }
    }
  }
}

// ---- INI ---------------------------------------------------------------------------------------

void RtWriteParts(TIniFile& Ini, const QString& Section, const QObject& Object,
                  TRtSettingsParts Parts) {
  for (const TRtSettingsPart& p : Parts) {
    if (!PartPresent(Object, p)) continue;
    const TRtIniWriter w(Ini, Section, Latin(p.IniPrefix));
    switch (p.Kind) {
      case TRtPartKind::Fields: {
        const TFieldsOf o(Object, p.Object);
        RtWriteFields(w, *o, PresentFields(*o, p.Fields));
        break;
      }
      case TRtPartKind::Line:
        RtWriteLine(w, *TStyleOf<TRtLineSettings>(Object, p.Object));
        break;
      case TRtPartKind::Gradient:
        RtWriteGradient(w, *TStyleOf<TRtGradientSettings>(Object, p.Object));
        break;
      case TRtPartKind::Font:
        RtWriteFont(w, *TStyleOf<TRtFont>(Object, p.Object));
        break;
      case TRtPartKind::StringList: {
        const QStringList list = ListOf(Object, p.Object);
        w.WriteInteger(kCount, static_cast<int>(list.size()));
        for (qsizetype k = 0; k < list.size(); ++k)
          w.WriteString(QStringLiteral("Item(%1)").arg(k), RtIniEscapeLineBreaks(list[k]));
        break;
      }
    }
  }
}

void RtReadParts(const TIniFile& Ini, const QString& Section, QObject& Object,
                 TRtSettingsParts Parts) {
  for (const TRtSettingsPart& p : Parts) {
    if (!PartPresent(Object, p)) continue;
    const TRtIniReader r(Ini, Section, Latin(p.IniPrefix));
    switch (p.Kind) {
      case TRtPartKind::Fields:
        RtReadFields(r, *TFieldsOf(Object, p.Object), p.Fields);
        break;
      case TRtPartKind::Line:
        RtReadLine(r, *TStyleOf<TRtLineSettings>(Object, p.Object));
        break;
      case TRtPartKind::Gradient:
        RtReadGradient(r, *TStyleOf<TRtGradientSettings>(Object, p.Object));
        break;
      case TRtPartKind::Font:
        RtReadFont(r, *TStyleOf<TRtFont>(Object, p.Object));
        break;
      case TRtPartKind::StringList: {
        if (!r.Exists(kCount)) break;
        QStringList list;
        // Only the items that are there: a count of junk reads no further.
        for (int k = 0, n = r.ReadInteger(kCount, 0); k < n; ++k) {
          const QString key = QStringLiteral("Item(%1)").arg(k);
          if (!r.Exists(key)) break;
          list << RtIniUnescapeLineBreaks(r.ReadString(key, {}));
        }
        SetList(Object, p.Object, list);
        break;
      }
    }
  }
}
