// A whole graph in the three forms: optionally its data vectors (the distinct named X and Y
// vectors of its named series, in series order, X before Y), then its named axes, series and
// legends, no markers, then the graph's own settings (RtGraphSettings, by property name).
//
// Binary: path; IncludeValues; with values the vector count and images; axis count and images;
// series count and images (each starting with its class name); legend count and images (class
// name, path, settings); marker count; the graph's settings; continuation 0.
// XML: an element named after the graph's class with `Name`, holding "Vectors" (with values),
// "Axes", "RelatedSeries", "RelatedLegends", "Markers" (each with `Count`) and the settings
// elements. INI: the graph's section holds "Name", "Vectors.Count", "Axes.Count",
// "RelatedSeries.Count", "RelatedLegends.Count", "Markers.Count" and the settings; each object
// has its own section, the graph's followed by ".Vectors(i)", ".Axes(i)", ".RelatedSeries(i)" or
// ".RelatedLegends(i)".
//
// Reading holds the graph (Hold(true) before, Hold(false) after, also when reading fails) and
// records one undo group. Objects are looked up by their paths; a missing vector, axis, series
// or legend is created from its class name (RtClassRegistry.h) with the owner part of the path
// as owner (the graph's owner when that is not found) and the name part as name, a series of
// another class is replaced. When something was created, every series is read a second time so
// that references between series (MergeLegendItemWith, DrawBandTo) find series read after them.
// Afterwards every series read is recalculated. Unreadable input raises the reader's error with
// what was read applied. The stream form reads ahead and back: its device must be seekable (a
// file or a buffer).
#pragma once

#include <QString>

#include <functional>

#include "chart/io/RtPersistent.h"

class QObject;
class TRtGraphBase;

class TRtGraphIO : public IRtPersistent {
 public:
  // Held = true: BeginUpdate and the loading state; false: both ended.
  using THold = std::function<void(bool Held)>;

  explicit TRtGraphIO(TRtGraphBase& Graph, bool IncludeValues = false, THold Hold = {});

  void WriteTo(TRtStreamWriter& Writer) const override;
  void ReadFrom(TRtStreamReader& Reader) override;
  void WriteTo(QDomNode Parent) const override;
  void ReadFrom(const QDomElement& Element) override;
  void WriteTo(TIniFile& Ini, const QString& Section) const override;
  void ReadFrom(const TIniFile& Ini, const QString& Section) override;
  void WriteTo(const QString& FileName) const;
  void ReadFrom(const QString& FileName);

 private:
  TRtGraphBase& fGraph;
  bool fIncludeValues;
  THold fHold;
};

// A legend's settings (by property name, so any legend class): binary class name, path, the
// settings, continuation 0; XML an element named after the class with `Name`; INI "Type",
// "Name" and the settings keys.
class TRtLegendIO : public IRtPersistent {
 public:
  explicit TRtLegendIO(QObject& Legend) : fLegend(Legend) {}

  void WriteTo(TRtStreamWriter& Writer) const override;
  void ReadFrom(TRtStreamReader& Reader) override;
  void WriteTo(QDomNode Parent) const override;
  void ReadFrom(const QDomElement& Element) override;
  void WriteTo(TIniFile& Ini, const QString& Section) const override;
  void ReadFrom(const TIniFile& Ini, const QString& Section) override;

 private:
  QObject& fLegend;
};
