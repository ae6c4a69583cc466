// What the chart objects need of the graph that contains them, without being a widget.
//
// TRtGraph2D (the chart control, a QWidget) derives from QWidget and from TRtGraphBase and
// implements the pure virtual operations below. Axes (TRtAxis) and series (TRtSeries) hold a
// TRtGraphBase pointer, register themselves in its lists, and call back only through this
// interface. Tests use a small graph with the geometry set by hand.
//
// Lifetime: a member forgets its graph when GraphObject() emits QObject::destroyed. Between the
// start of the graph's destructor and that signal no member calls into the graph on its own (all
// of it runs on the user-interface thread), but the graph must not call members that might call
// back into it from its destructor either; detaching axes and series there is best done by
// letting them go with the destroyed signal.
//
// What the implementing graph does with these objects (layout, polling, painting):
// - Polling step (every 50 ms, when not Updating() and nothing is to be laid out): for every
//   series of RelatedSeries() with AutoUpdate() and SeriesVisible(): CheckDBVectors(),
//   Calculate(); then GetNewRanges() on every axis of Axes().
// - Layout (Calculate()): for every axis RefreshFontSize(), RoundEnds on the current range unless
//   ValuesRounded(), SetAxisLine(...) and CalculateTicks(); place the elements with SetBounds();
//   then SetDrawingArea(); TestVisbleChanged() on every series; SeriesModified().
//   TRtAxis::Calculate() does a stand-alone version of this for an axis without a graph.
// - Paint: series PaintGr in layer order (clip to the drawing area as needed), axes PaintGr
//   translated to their element position, series DrawSymbols, legends.
// - Destruction notices: series and axes remove themselves from the lists when destroyed. Hold
//   the primary axes and the undo stack in QPointer: a series asks for PrimaryYAxis() while it
//   handles an axis's destroyed signal, when a QPointer to that axis already reads null.
// - Membership: TRtAxis::SetGraph(graph) makes an axis an element of the graph (the form's
//   design does this for every axis); a series joins the graph of its Y axis by itself once it
//   has both axes and a vector, and leaves it when it loses them.
// - Undo: axes and series take the graph's UndoStack() when they join and have none; the
//   graph's UndoStack setter hands a new stack to them (TRtAxis/TRtSeries::SetUndoStack).
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <algorithm>
#include <vector>

class QPainter;
class QRegion;
class TRtAxis;
class TRtSeries;
class TRtUndoStack;

namespace RtGraph {
Q_NAMESPACE

// Where a legend sits on its graph.
enum class TRtLegendPosition {
  BottomCenterOfGraph,
  BottomCenterOfAxis,
  LeftCenterOfGraph,
  LeftCenterOfAxis,
  LeftTopOfAxis,
  TopCenterOfGraph,
  TopCenterOfAxis,
  RightCenterOfGraph,
  RightCenterOfAxis,
  RightTopOfAxis,
  FreeFloating
};
Q_ENUM_NS(TRtLegendPosition)

// Smoothing of the graph's drawing.
enum class TRtSmoothingMode { None, HighSpeed, AntiAlias, HighQuality };
Q_ENUM_NS(TRtSmoothingMode)

}  // namespace RtGraph

using RtGraph::TRtLegendPosition;
using RtGraph::TRtSmoothingMode;

// What the graph needs of a legend (TRtLegend implements it). A legend is an element of the
// graph, not a window: the graph places docked legends, paints every visible legend last and
// hands it the mouse first.
class IRtGraphLegend {
 public:
  virtual QObject* LegendObject() = 0;
  virtual bool LegendVisible() const = 0;
  virtual TRtLegendPosition LegendPosition() const = 0;
  // Element rectangle in graph client pixels.
  virtual QRect LegendBounds() const = 0;
  // The graph's layout moves a docked legend (size unchanged).
  virtual void SetLegendOrigin(int Left, int Top) = 0;
  // Collects, measures and arranges the entries when stale; the size is valid afterwards.
  virtual void PreparePaint() = 0;
  // Draws the legend; the painter's origin is the legend's top left corner.
  virtual void PaintGr(QPainter& Canvas) = 0;
  // Entries and layout are stale.
  virtual void Modified() = 0;
  // Mouse in graph client pixels; a press returns true when the legend takes the drag, and
  // then gets the moves and the release.
  virtual bool LegendMousePress(QPoint Pos, Qt::MouseButtons Buttons,
                                Qt::KeyboardModifiers Modifiers) = 0;
  virtual void LegendMouseMove(QPoint Pos) = 0;
  virtual void LegendMouseRelease(QPoint Pos) = 0;

 protected:
  ~IRtGraphLegend() = default;
};

class TRtGraphBase {
 public:
  TRtGraphBase() = default;
  TRtGraphBase(const TRtGraphBase&) = delete;
  TRtGraphBase& operator=(const TRtGraphBase&) = delete;
  virtual ~TRtGraphBase() = default;

  // The graph as a QObject: members connect to its destroyed signal; a series' owner search and
  // the component names go through it.
  virtual QObject* GraphObject() = 0;

  // ---- change notices from axes, series and styles
  // Layout is stale (FRecalculate): lay out at the next paint, and repaint.
  virtual void Modified() = 0;
  // Repaint only.
  virtual void Invalidate() = 0;
  // Every related series' pixel points are stale (TRtSeries::PointsModified); repaint unless
  // panning.
  virtual void SeriesModified() = 0;
  // Every legend attached to the graph must rebuild its entries.
  virtual void LegendsModified() = 0;
  // A series' pixel points changed (pairs appended, a function computed again) with no other
  // change: a graph that can repaints only what the series report (TRtSeries::TakeDamage).
  virtual void SeriesPointsChanged() { Invalidate(); }
  // A free-floating legend's picture or place changed: a graph that can repaints only its old
  // and new bounds.
  virtual void LegendChanged() { Invalidate(); }
  // Lays out all axes (TRtAxis::Calculate of an axis on this graph comes here). Brackets its work
  // with TRtAxis::SetCalculationRunning(true / false).
  virtual void CalculateAxes() = 0;
  // Clears the zoom history of every axis and re-ranges them (TRtAxis::RangeModified), then
  // SeriesModified. Called when an axis changes its scaling.
  virtual void ZoomReset() = 0;

  // ---- state
  // BeginUpdate/EndUpdate nesting depth > 0: layout and polling wait.
  virtual bool Updating() const = 0;
  // Settings are being read: axes ignore re-range requests.
  virtual bool Loading() const = 0;
  // The user is panning: RoundEnds neither rounds nor re-partitions.
  virtual bool Panning() const = 0;
  // The data area in graph client pixels (FDrawingArea).
  virtual QRectF DrawingArea() const = 0;
  virtual TRtUndoStack* UndoStack() const = 0;
  virtual TRtAxis* PrimaryXAxis() const = 0;
  virtual TRtAxis* PrimaryYAxis() const = 0;

  // ---- zoom options (the graph's TRtZoomSettings)
  // The object whose published properties "Auto", "HScrollbarVisible" and "VScrollbarVisible"
  // an axis records on the undo stack before a moving window changes them.
  virtual QObject* ZoomSettings() = 0;
  virtual void SetZoomAuto(bool Value) = 0;
  virtual void SetScrollbarVisible(bool Horizontal, bool Value) = 0;

  // ---- drawing
  // The graph's smoothing (legends and series draw with it).
  virtual TRtSmoothingMode SmoothingMode() const { return TRtSmoothingMode::HighQuality; }
  // Client size of the graph in pixels.
  virtual QSize ClientSize() const { return DrawingArea().toAlignedRect().size(); }
  // While only part of the picture is painted again, that part (client pixels): series leave
  // out what lies wholly outside it, and clips they set are narrowed to it. Null otherwise.
  virtual const QRegion* RepaintRegion() const { return nullptr; }

  // ---- membership, kept here
  // Series drawn in this graph (the graph keeps them sorted by layer).
  const std::vector<TRtSeries*>& RelatedSeries() const { return fRelatedSeries; }
  std::vector<TRtSeries*>& RelatedSeriesList() { return fRelatedSeries; }
  bool HasSeries(const TRtSeries* s) const {
    return std::find(fRelatedSeries.begin(), fRelatedSeries.end(), s) != fRelatedSeries.end();
  }
  // Returns false when already present.
  bool AddSeries(TRtSeries* s) {
    if (!s || HasSeries(s)) return false;
    fRelatedSeries.push_back(s);
    return true;
  }
  void RemoveSeries(TRtSeries* s) {
    fRelatedSeries.erase(std::remove(fRelatedSeries.begin(), fRelatedSeries.end(), s),
                         fRelatedSeries.end());
  }
  // Axes that are elements of this graph, in child order.
  const std::vector<TRtAxis*>& Axes() const { return fAxes; }
  void AddAxis(TRtAxis* a) {
    if (a && std::find(fAxes.begin(), fAxes.end(), a) == fAxes.end()) fAxes.push_back(a);
  }
  void RemoveAxis(TRtAxis* a) {
    fAxes.erase(std::remove(fAxes.begin(), fAxes.end(), a), fAxes.end());
  }
  // Legends attached to this graph (FRelatedLegends), in the order they were attached. A legend
  // adds itself when its Graph is set and removes itself when it goes or changes graph.
  const std::vector<IRtGraphLegend*>& RelatedLegends() const { return fLegends; }
  void AddLegend(IRtGraphLegend* l) {
    if (l && std::find(fLegends.begin(), fLegends.end(), l) == fLegends.end())
      fLegends.push_back(l);
  }
  void RemoveLegend(IRtGraphLegend* l) {
    fLegends.erase(std::remove(fLegends.begin(), fLegends.end(), l), fLegends.end());
  }

 private:
  std::vector<TRtSeries*> fRelatedSeries;
  std::vector<TRtAxis*> fAxes;
  std::vector<IRtGraphLegend*> fLegends;
};

// What an axis reads of a series bound to it (TRtSeries implements it).
class IRtAxisSeries {
 public:
  virtual bool SeriesVisible() const = 0;
  // The series' data extent in the axis direction (X for a horizontal axis); empty when
  // Start > Stop.
  virtual void DataExtent(bool Horizontal, double& Start, double& Stop) const = 0;
  // Smallest positive value in that direction among pairs with values, or +MaxDouble.
  virtual double SmallestPositive(bool Horizontal) const = 0;
  // Room the series needs at a drawing-area edge (0 bottom, 1 left, 2 top, 3 right).
  virtual float ExtraSpaceAt(int Border) const = 0;
  // A function series that clips its Y values, has an empty Y range and depends on no other
  // series recalculates; returns whether this is a function series at all.
  virtual bool CheckClippedFunction() { return false; }

 protected:
  ~IRtAxisSeries() = default;
};
