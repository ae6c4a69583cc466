#include "chart/graphio/RtGraphIO.h"

#include <QDomDocument>
#include <QIODevice>
#include <QPointer>

#include <exception>
#include <memory>
#include <vector>

#include "chart/axes/RtAxis.h"
#include "chart/core/RtGraphBase.h"
#include "chart/data/RtVectors.h"
#include "chart/graphio/RtSettingsParts.h"
#include "chart/io/RtClassRegistry.h"
#include "chart/io/RtIOErrors.h"
#include "chart/io/RtIni.h"
#include "chart/io/RtPaths.h"
#include "chart/io/RtStream.h"
#include "chart/io/RtXml.h"
#include "chart/series/RtSeries.h"
#include "platform/IniFile.h"

RT_REGISTER_CLASS(TRtAxis)

namespace {

using K = TRtFieldKind;
using P = TRtPartKind;

// ---- the graph's own settings ------------------------------------------------------------------

const TRtField kProperties[] = {
    {K::Bool, "Visible"},
    {K::Byte, "Anchors"},
    {K::Byte, "Align"},
    {K::Int, "Top"},
    {K::Int, "Left"},
    {K::Int, "Width"},
    {K::Int, "Height"},
    {K::Byte, "BorderStyle"},
    {K::String, "Hint"},
    {K::Bool, "ParentShowHint"},
    {K::Bool, "ShowHint"},
    {K::Color, "BackColor"},
    {K::Color, "DataAreaColor"},
    {K::Bool, "ZeroOrigin"},
    {K::Reference, "PrimaryXAxis"},
    {K::Reference, "PrimaryYAxis"},
    {K::Single, "DistanceBorderAxisTop"},
    {K::Single, "DistanceBorderAxisBottom"},
    {K::Single, "DistanceBorderAxisLeft"},
    {K::Single, "DistanceBorderAxisRight"},
};
const TRtField kCaptionText[] = {{K::String, "Caption", "Text"}};
const TRtField kCaptionProperties[] = {
    {K::Byte, "CaptionAlignment", "Alignment"},
    {K::Color, "CaptionColor", "Color"},
    {K::Single, "CaptionDistanceBefore", "DistanceBefore"},
    {K::Single, "CaptionDistanceAfter", "DistanceAfter"},
};
const TRtField kCaptionVisible[] = {{K::Bool, "CaptionVisible", "Visible"}};
const TRtField kZoom[] = {
    {K::Bool, "Auto"},
    {K::Bool, "OptimizeSeries"},
    {K::Bool, "BackOnClickBeside"},
    {K::Bool, "BackOnRightBottomLeftTopFrame"},
    {K::Bool, "ResetOnDoubleClickBeside"},
    {K::Bool, "ResetOnRightBottomLeftTopFrame"},
    {K::Bool, "HScrollbarVisible"},
    {K::Bool, "VScrollbarVisible"},
    {K::Int, "StartZoom"},
    {K::Int, "StartPanning"},
    {K::Byte, "ScrollSmallIncrement"},
    {K::Byte, "ScrollLargeIncrement"},
};
const TRtField kZoomBufferType[] = {{K::Byte, "BufferType"}};
const TRtField kSmoothing[] = {{K::Byte, "SmoothingMode"}};

const TRtSettingsPart kGraphSettings[] = {
    {P::Fields, "Properties", "", nullptr, kProperties},
    {P::Fields, "Caption", "Caption", nullptr, kCaptionText},
    {P::Fields, "Caption/Properties", "Caption", nullptr, kCaptionProperties},
    {P::Font, "Caption/Font", "Caption.Font", "CaptionFont"},
    {P::Fields, "Zoom", "Zoom", "Zoom", kZoom},
    {P::Line, "Grid/MajorGridHorizontal", "Grid.MajorGridHorizontal", "MajorGridHorizontal"},
    {P::Line, "Grid/MajorGridVertical", "Grid.MajorGridVertical", "MajorGridVertical"},
    {P::Line, "Grid/MinorGridHorizontal", "Grid.MinorGridHorizontal", "MinorGridHorizontal"},
    {P::Line, "Grid/MinorGridVertical", "Grid.MinorGridVertical", "MinorGridVertical"},
    {P::Gradient, "BackgroundGradient", "BackgroundGradient", "BackgroundGradient"},
    {P::Gradient, "DataAreaGradient", "DataAreaGradient", "DataAreaGradient"},
    {P::Fields, "Zoom", "Zoom", "Zoom", kZoomBufferType, true},
    {P::Fields, "Caption/Properties", "Caption", nullptr, kCaptionVisible, true},
    {P::Line, "DataAreaFrame", "DataAreaFrame", "DataAreaFrame", {}, true},
    {P::Fields, "Properties", "", nullptr, kSmoothing},
};

// ---- names -------------------------------------------------------------------------------------

const QString kName = QStringLiteral("Name");
const QString kType = QStringLiteral("Type");
const QString kCount = QStringLiteral("Count");
const QString kVectors = QStringLiteral("Vectors");
const QString kAxes = QStringLiteral("Axes");
const QString kSeries = QStringLiteral("RelatedSeries");
const QString kLegends = QStringLiteral("RelatedLegends");
const QString kMarkers = QStringLiteral("Markers");
const QString kVectorClass = QStringLiteral("TRtDoubleVector");
const QString kAxisClass = QStringLiteral("TRtAxis");
const QString kReadComment = QStringLiteral("Read graph settings");

QString ClassOf(const QObject* o) {
  return QString::fromLatin1(o->metaObject()->className());
}

QString ObjectSection(const QString& Section, const QString& List, int Index) {
  return QStringLiteral("%1.%2(%3)").arg(Section, List).arg(Index);
}

// ---- what a graph writes -----------------------------------------------------------------------

struct TContents {
  std::vector<TRtDoubleVector*> Vectors;
  std::vector<TRtAxis*> Axes;
  std::vector<TRtSeries*> Series;
  std::vector<QObject*> Legends;
};

TContents ContentsOf(const TRtGraphBase& G, bool IncludeValues) {
  TContents c;
  for (TRtAxis* a : G.Axes())
    if (!a->objectName().isEmpty()) c.Axes.push_back(a);
  for (TRtSeries* s : G.RelatedSeries()) {
    if (s->objectName().isEmpty()) continue;
    c.Series.push_back(s);
    if (!IncludeValues) continue;
    for (TRtCustomDoubleVector* d : {s->XData(), s->YData()}) {
      auto* v = qobject_cast<TRtDoubleVector*>(d);
      if (v && !v->objectName().isEmpty() &&
          std::find(c.Vectors.begin(), c.Vectors.end(), v) == c.Vectors.end())
        c.Vectors.push_back(v);
    }
  }
  for (IRtGraphLegend* l : G.RelatedLegends()) {
    QObject* o = l->LegendObject();
    if (o && !o->objectName().isEmpty()) c.Legends.push_back(o);
  }
  return c;
}

template <typename T>
int CountOf(const std::vector<T>& v) {
  return static_cast<int>(v.size());
}

// ---- reading -----------------------------------------------------------------------------------

// One read of a graph: the objects found or created, and what remains to be done at the end.
class TReading {
 public:
  TReading(TRtGraphBase& Graph, const TRtGraphIO::THold& Hold) : fGraph(Graph), fHold(Hold) {}

  // Runs Body with the graph held, then the second pass over the series and their
  // recalculation; an error of Body is raised afterwards.
  template <typename Body, typename Again>
  void Run(Body&& body, Again&& again) {
    const TRtUndoGroupScope group(fGraph.UndoStack(), kReadComment);
    std::exception_ptr error;
    if (fHold) fHold(true);
    try {
      body();
    } catch (...) {
      error = std::current_exception();
    }
    try {
      if (fCreated)
        for (std::size_t k = 0; k < fSeries.size(); ++k)
          if (fSeries[k]) again(k, *fSeries[k]);
    } catch (...) {
      if (!error) error = std::current_exception();
    }
    if (fHold) fHold(false);
    for (const QPointer<TRtSeries>& s : fSeries) {
      if (!s) continue;
      try {
        s->Calculate();
      } catch (const ERtError&) {
        // A regression without enough points in its window: its settings are read all the same.
      }
    }
    fGraph.Modified();
    if (error) std::rethrow_exception(error);
  }

  // The object of that path and class, created when missing; null when the path names
  // something else or nothing can be created.
  TRtDoubleVector* Vector(const QString& Path) {
    return qobject_cast<TRtDoubleVector*>(
        FindOrCreate(Path, kVectorClass, &TRtDoubleVector::staticMetaObject));
  }
  TRtAxis* Axis(const QString& Path) {
    auto* a = qobject_cast<TRtAxis*>(FindOrCreate(Path, kAxisClass, &TRtAxis::staticMetaObject));
    if (a && !a->Graph()) a->SetGraph(&fGraph);
    return a;
  }
  // A series of exactly that class (one of another class is replaced).
  TRtSeries* Series(const QString& Path, const QString& ClassName) {
    QObject* o = FindComponentByPath(Path);
    if (qobject_cast<TRtSeries*>(o) && ClassOf(o) != ClassName && RtClassRegistered(ClassName)) {
      delete o;
      o = nullptr;
    }
    o = o ? o : Create(Path, ClassName);
    auto* s = qobject_cast<TRtSeries*>(o);
    if (s && ClassOf(s) != ClassName) return nullptr;
    if (s) fSeries.emplace_back(s);
    return s;
  }
  // A legend of that class; null when the path names something else.
  QObject* Legend(const QString& Path, const QString& ClassName) {
    QObject* o = FindComponentByPath(Path);
    if (!o) return Create(Path, ClassName);
    return ClassOf(o) == ClassName && dynamic_cast<IRtGraphLegend*>(o) ? o : nullptr;
  }

  std::size_t SeriesCount() const { return fSeries.size(); }

 private:
  QObject* FindOrCreate(const QString& Path, const QString& ClassName, const QMetaObject* Class) {
    QObject* o = FindComponentByPath(Path);
    if (o) return o->metaObject()->inherits(Class) ? o : nullptr;
    return Create(Path, ClassName);
  }

  QObject* Create(const QString& Path, const QString& ClassName) {
    const QString name = PathNamePart(Path);
    if (name.isEmpty() || !RtClassRegistered(ClassName)) return nullptr;
    QObject* owner = FindComponentByPath(PathOwnerPart(Path));
    if (!owner) owner = ComponentOwner(fGraph.GraphObject());
    if (!owner) owner = fGraph.GraphObject()->parent();
    if (!owner || FindOwnedComponent(owner, name)) return nullptr;
    fCreated = true;
    return RtCreateComponent(ClassName, owner, name);
  }

  TRtGraphBase& fGraph;
  const TRtGraphIO::THold& fHold;
  std::vector<QPointer<TRtSeries>> fSeries;
  bool fCreated = false;
};

// Binary: the next string(s) without consuming them.
QString PeekString(TRtStreamReader& r, int Skip = 0) {
  QIODevice& d = r.Device();
  const qint64 at = d.pos();
  QString s;
  try {
    for (int k = 0; k <= Skip; ++k) s = r.ReadString();
  } catch (...) {
    d.seek(at);
    throw;
  }
  d.seek(at);
  return s;
}

// A count of items of at least MinSize bytes each that the stream can hold.
std::int32_t ReadCount(TRtStreamReader& r, int MinSize) {
  const std::int32_t n = r.ReadInt32();
  r.RequireItems(n, MinSize);
  return n;
}

}  // namespace

TRtGraphIO::TRtGraphIO(TRtGraphBase& Graph, bool IncludeValues, THold Hold)
    : fGraph(Graph), fIncludeValues(IncludeValues), fHold(std::move(Hold)) {}

// ---- binary ------------------------------------------------------------------------------------

void TRtGraphIO::WriteTo(TRtStreamWriter& Writer) const {
  const TContents c = ContentsOf(fGraph, fIncludeValues);
  Writer.WriteString(ComponentPath(fGraph.GraphObject()));
  Writer.WriteBool(fIncludeValues);
  if (fIncludeValues) {
    Writer.WriteInt32(CountOf(c.Vectors));
    for (const TRtDoubleVector* v : c.Vectors) v->WriteTo(Writer);
  }
  Writer.WriteInt32(CountOf(c.Axes));
  for (const TRtAxis* a : c.Axes) a->WriteTo(Writer);
  Writer.WriteInt32(CountOf(c.Series));
  for (const TRtSeries* s : c.Series) s->WriteTo(Writer);
  Writer.WriteInt32(CountOf(c.Legends));
  for (QObject* l : c.Legends) TRtLegendIO(*l).WriteTo(Writer);
  Writer.WriteInt32(0);
  RtWriteParts(Writer, *fGraph.GraphObject(), kGraphSettings);
}

void TRtGraphIO::ReadFrom(TRtStreamReader& Reader) {
  TReading reading(fGraph, fHold);
  std::vector<std::pair<qint64, qint64>> spans;  // where each series' image lies
  QIODevice& d = Reader.Device();
  const auto body = [&] {
    Reader.ReadString();
    if (Reader.ReadBool()) {
      for (std::int32_t k = 0, n = ReadCount(Reader, 14); k < n; ++k) {
        TRtDoubleVector* v = reading.Vector(PeekString(Reader));
        // A vector that cannot be had here is read past.
        std::unique_ptr<TRtDoubleVector> scratch(v ? nullptr : new TRtDoubleVector);
        (v ? v : scratch.get())->ReadFrom(Reader);
      }
    }
    for (std::int32_t k = 0, n = ReadCount(Reader, 5); k < n; ++k) {
      TRtAxis* a = reading.Axis(PeekString(Reader));
      std::unique_ptr<TRtAxis> scratch(a ? nullptr : new TRtAxis);
      (a ? a : scratch.get())->ReadFrom(Reader);
    }
    for (std::int32_t k = 0, n = ReadCount(Reader, 9); k < n; ++k) {
      const QString className = PeekString(Reader);
      // A series of a class that cannot be made cannot be read past either.
      TRtSeries* s = reading.Series(PeekString(Reader, 1), className);
      if (!s) throw ERtStreamError(RtStreamReadErrorText);
      const qint64 start = d.pos();
      s->ReadFrom(Reader);
      spans.emplace_back(start, d.pos());
    }
    for (std::int32_t k = 0, n = ReadCount(Reader, 9); k < n; ++k) {
      QObject* l = reading.Legend(PeekString(Reader, 1), PeekString(Reader));
      QObject scratch;
      TRtLegendIO(l ? *l : scratch).ReadFrom(Reader);
    }
    // Markers have no settings here.
    if (Reader.ReadInt32() != 0) throw ERtStreamError(RtStreamReadErrorText);
    RtReadParts(Reader, *fGraph.GraphObject(), kGraphSettings);
  };
  const auto again = [&](std::size_t k, TRtSeries& s) {
    if (k >= spans.size()) return;
    const qint64 end = d.pos();
    d.seek(spans[k].first);
    s.ReadFrom(Reader);
    d.seek(end);
  };
  reading.Run(body, again);
}

// ---- XML ---------------------------------------------------------------------------------------

void TRtGraphIO::WriteTo(QDomNode Parent) const {
  const TContents c = ContentsOf(fGraph, fIncludeValues);
  const QObject* g = fGraph.GraphObject();
  QDomElement e = RtXml::AddChild(Parent, ClassOf(g));
  RtXml::SetString(e, kName, ComponentPath(g));
  const auto list = [&e](const QString& Name, int Count) {
    QDomElement l = RtXml::AddChild(e, Name);
    RtXml::SetInteger(l, kCount, Count);
    return l;
  };
  if (fIncludeValues) {
    QDomElement l = list(kVectors, CountOf(c.Vectors));
    for (const TRtDoubleVector* v : c.Vectors) v->WriteTo(l);
  }
  QDomElement axes = list(kAxes, CountOf(c.Axes));
  for (const TRtAxis* a : c.Axes) a->WriteTo(axes);
  QDomElement series = list(kSeries, CountOf(c.Series));
  for (const TRtSeries* s : c.Series) s->WriteTo(series);
  QDomElement legends = list(kLegends, CountOf(c.Legends));
  for (QObject* l : c.Legends) TRtLegendIO(*l).WriteTo(legends);
  list(kMarkers, 0);
  RtWriteParts(e, *g, kGraphSettings);
}

void TRtGraphIO::ReadFrom(const QDomElement& Element) {
  TReading reading(fGraph, fHold);
  std::vector<QDomElement> read;
  const auto each = [&Element](const QString& List, auto&& Take) {
    for (QDomElement it = Element.firstChildElement(List).firstChildElement(); !it.isNull();
         it = it.nextSiblingElement())
      Take(it, it.attribute(kName));
  };
  const auto body = [&] {
    each(kVectors, [&](const QDomElement& e, const QString& path) {
      if (TRtDoubleVector* v = e.tagName() == kVectorClass ? reading.Vector(path) : nullptr)
        v->ReadFrom(e);
    });
    each(kAxes, [&](const QDomElement& e, const QString& path) {
      if (TRtAxis* a = e.tagName() == kAxisClass ? reading.Axis(path) : nullptr) a->ReadFrom(e);
    });
    each(kSeries, [&](const QDomElement& e, const QString& path) {
      if (TRtSeries* s = reading.Series(path, e.tagName())) {
        read.push_back(e);
        s->ReadFrom(e);
      }
    });
    each(kLegends, [&](const QDomElement& e, const QString& path) {
      if (QObject* l = reading.Legend(path, e.tagName())) TRtLegendIO(*l).ReadFrom(e);
    });
    RtReadParts(Element, *fGraph.GraphObject(), kGraphSettings);
  };
  reading.Run(body, [&](std::size_t k, TRtSeries& s) {
    if (k < read.size()) s.ReadFrom(read[k]);
  });
}

// ---- INI ---------------------------------------------------------------------------------------

void TRtGraphIO::WriteTo(TIniFile& Ini, const QString& Section) const {
  const TContents c = ContentsOf(fGraph, fIncludeValues);
  const TRtIniWriter w(Ini, Section);
  w.WriteString(kName, ComponentPath(fGraph.GraphObject()));
  const auto count = [&](const QString& List, int Count) {
    w.WriteInteger(List + QStringLiteral(".Count"), Count);
  };
  if (fIncludeValues) count(kVectors, CountOf(c.Vectors));
  count(kAxes, CountOf(c.Axes));
  count(kSeries, CountOf(c.Series));
  count(kLegends, CountOf(c.Legends));
  count(kMarkers, 0);
  RtWriteParts(Ini, Section, *fGraph.GraphObject(), kGraphSettings);
  for (int k = 0; k < CountOf(c.Vectors); ++k)
    c.Vectors[k]->WriteTo(Ini, ObjectSection(Section, kVectors, k));
  for (int k = 0; k < CountOf(c.Axes); ++k)
    c.Axes[k]->WriteTo(Ini, ObjectSection(Section, kAxes, k));
  for (int k = 0; k < CountOf(c.Series); ++k)
    c.Series[k]->WriteTo(Ini, ObjectSection(Section, kSeries, k));
  for (int k = 0; k < CountOf(c.Legends); ++k)
    TRtLegendIO(*c.Legends[k]).WriteTo(Ini, ObjectSection(Section, kLegends, k));
}

void TRtGraphIO::ReadFrom(const TIniFile& Ini, const QString& Section) {
  TReading reading(fGraph, fHold);
  const TRtIniReader r(Ini, Section);
  std::vector<QString> read;
  // The sections of a list that are there (a count of junk reads no further).
  const auto each = [&](const QString& List, auto&& Take) {
    const int n = r.ReadInteger(List + QStringLiteral(".Count"), 0);
    for (int k = 0; k < n; ++k) {
      const QString section = ObjectSection(Section, List, k);
      if (!Ini.SectionExists(section.toStdString())) break;
      const TRtIniReader o(Ini, section);
      Take(section, o.ReadString(kName, {}), o.ReadString(kType, {}));
    }
  };
  const auto body = [&] {
    each(kVectors, [&](const QString& section, const QString& path, const QString&) {
      if (TRtDoubleVector* v = reading.Vector(path)) v->ReadFrom(Ini, section);
    });
    each(kAxes, [&](const QString& section, const QString& path, const QString&) {
      if (TRtAxis* a = reading.Axis(path)) a->ReadFrom(Ini, section);
    });
    each(kSeries, [&](const QString& section, const QString& path, const QString& type) {
      if (TRtSeries* s = reading.Series(path, type)) {
        read.push_back(section);
        s->ReadFrom(Ini, section);
      }
    });
    each(kLegends, [&](const QString& section, const QString& path, const QString& type) {
      if (QObject* l = reading.Legend(path, type)) TRtLegendIO(*l).ReadFrom(Ini, section);
    });
    RtReadParts(Ini, Section, *fGraph.GraphObject(), kGraphSettings);
  };
  reading.Run(body, [&](std::size_t k, TRtSeries& s) {
    if (k < read.size()) s.ReadFrom(Ini, read[k]);
  });
}

// ---- file --------------------------------------------------------------------------------------

void TRtGraphIO::WriteTo(const QString& FileName) const {
  RtWriteToFile(*this, FileName);
}

void TRtGraphIO::ReadFrom(const QString& FileName) {
  RtReadFromFile(*this, FileName);
}
