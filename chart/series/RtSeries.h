// Series: join an X and a Y vector to an X and a Y axis of a graph, keep their data range for
// the axes, turn the value pairs into thinned pixel points, and draw them as a polyline, a
// filled area and point symbols. TRtSeries holds the mechanism; TRtLineSeries publishes the line
// properties, TRtPointSeries the point symbols (shown by default).
#pragma once

#include <QObject>
#include <QPainter>
#include <QPointer>

#include <functional>

#include "chart/axes/RtAxis.h"
#include "chart/core/RtGraphBase.h"
#include "chart/data/RtVectors.h"
#include "chart/draw/RtStyles.h"
#include "chart/io/RtComponentStream.h"
#include "chart/io/RtPersistent.h"
#include "chart/series/RtThinning.h"
#include "chart/undo/RtUndoStack.h"

class TRtSeries;
class TRtLineSeries;

// Draws a polyline; a wide solid pen strokes a long one in pieces of RtPolylinePiece segments,
// which the raster engine strokes many times faster than one long wide polyline. With Cull,
// pieces whose points lie farther than Margin outside it are left out (the rest of the picture
// is the same: every piece is drawn as it would be in the whole line).
inline constexpr int RtPolylinePiece = 32;
void RtDrawPolyline(QPainter& P, const QPolygonF& Poly, const QRegion* Cull = nullptr,
                    qreal Margin = 0);
// The same for N points; when their X ascends (Ascending), the pieces near Cull are found by
// binary search instead of testing every piece.
void RtDrawPolyline(QPainter& P, const TRtPointF* Pts, int N, const QRegion* Cull = nullptr,
                    qreal Margin = 0, bool Ascending = false);

struct TRtTransformEventArgs {
  double Value = 0;
  int Index = 0;
};
struct TRtPenEventArgs {
  int Index = 0;
  double X = 0, Y = 0;
  QPen Pen;
  bool Visible = true;
};
struct TRtBrushEventArgs {
  int Index = 0;
  double X = 0, Y = 0;
  QBrush Brush;
  bool Visible = true;
};
struct PointSymbolEventArgs {
  int Index = 0;
  double X = 0, Y = 0;
  float Size = 0;
  QPen Pen;
  QBrush Brush;
  TRtPointSymbol Symbol = TRtPointSymbol::Circle;
  bool Visible = true;
};
struct TRtNearestPointResult {
  bool Found = false;
  float Distance = 3.4028235e38f;
  int Index = -1;
  double X = 0, Y = 0;
  TRtPointF ThePoint;
};

using TRtValueTransformation = std::function<double(TRtSeries*, const TRtTransformEventArgs&)>;
using TRtPenEventHandler = std::function<void(TRtSeries*, TRtPenEventArgs&)>;
using TRtBrushEventHandler = std::function<void(TRtSeries*, TRtBrushEventArgs&)>;
using PointSymbolEventHandler = std::function<void(TRtSeries*, PointSymbolEventArgs&)>;

class TRtSeries : public QObject,
                  public IRtVectorListener,
                  public IRtAxisSeries,
                  public IRtPersistent,
                  public IRtStreamedProperties {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(bool IncludeInLegend READ IncludeInLegend WRITE SetIncludeInLegend)
  Q_PROPERTY(TRtSeries* MergeLegendItemWith READ MergeLegendItemWith WRITE SetMergeLegendItemWith)

 public:
  explicit TRtSeries(QObject* AOwner = nullptr);
  ~TRtSeries() override;

  // ---- binding
  // The vectors as bound (nullptr where the series' indexer stands in).
  TRtCustomDoubleVector* XData() const { return FXData == FIndexer ? nullptr : FXData; }
  TRtCustomDoubleVector* YData() const { return FYData == FIndexer ? nullptr : FYData; }
  void SetXData(TRtCustomDoubleVector* v) { SetData(true, v); }
  void SetYData(TRtCustomDoubleVector* v) { SetData(false, v); }
  // The vectors in use, the indexer included.
  TRtCustomDoubleVector* XVector() const { return FXData; }
  TRtCustomDoubleVector* YVector() const { return FYData; }
  TRtAxis* XAxis() const { return FXAxis.data(); }
  TRtAxis* YAxis() const { return FYAxis.data(); }
  virtual void SetXAxis(TRtAxis* a) { SetAxis(true, a); }
  virtual void SetYAxis(TRtAxis* a) { SetAxis(false, a); }
  TRtGraphBase* Graph() const { return FGraph; }
  // Takes the graph's primary axes.
  virtual void SetDefaultAxis(TRtGraphBase* G);
  TRtUndoStack* UndoStack() const { return FUndoStack.data(); }
  // Also hands the stack to the line, area and point-symbol settings.
  virtual void SetUndoStack(TRtUndoStack* Stack);

  // ---- published state
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  QString Caption() const { return FCaption; }
  // Trailing blanks are removed.
  void SetCaption(const QString& v);
  bool IncludeInLegend() const { return FIncludeInLegend; }
  void SetIncludeInLegend(bool v);
  TRtSeries* MergeLegendItemWith() const { return FMergeLegendItemWith.data(); }
  void SetMergeLegendItemWith(TRtSeries* s);
  int Layer() const { return FLayer; }
  void SetLayer(int v);
  bool AutoUpdate() const { return FAutoUpdate; }
  void SetAutoUpdate(bool v) { FAutoUpdate = v; }
  bool OutliersVisible() const { return FOutliersVisible; }
  void SetOutliersVisible(bool v);
  TRtLineSettings* Line() const { return FLineSettings; }
  void SetLine(TRtLineSettings* v) {
    if (v) FLineSettings->Assign(*v);
  }
  TRtAreaSettings* Area() const { return FAreaSettings; }
  void SetArea(TRtAreaSettings* v) {
    if (v) FAreaSettings->Assign(*v);
  }
  TRtPointSymbolSettings* PointSymbol() const { return FPointSymbolSettings; }
  void SetPointSymbol(TRtPointSymbolSettings* v) {
    if (v) FPointSymbolSettings->Assign(*v);
  }
  TRtLineSeries* DrawBandTo() const;
  void SetDrawBandTo(TRtLineSeries* s);

  // ---- hooks
  TRtValueTransformation XValueTransformation() const { return mXValueTransformation; }
  void SetXValueTransformation(TRtValueTransformation f);
  TRtValueTransformation YValueTransformation() const { return mYValueTransformation; }
  void SetYValueTransformation(TRtValueTransformation f);
  TRtPenEventHandler OnGetPen;
  TRtBrushEventHandler OnGetBrush;
  PointSymbolEventHandler OnGetPointSymbol;

  // ---- drawing objects (handing one in stops the series from rebuilding it)
  QPen LinePen() const { return FPen; }
  void SetLinePen(const QPen& p);
  QBrush AreaBrush() const { return FBrush; }
  void SetAreaBrush(const QBrush& b);
  QPen SymbolBorderPen() const { return FSymbolPen; }
  void SetSymbolBorderPen(const QPen& p);
  QBrush SymbolFillBrush() const { return FSymbolBrush; }
  void SetSymbolFillBrush(const QBrush& b);

  // ---- change notices (vectors, axes, graph)
  TRtListenerKind VectorListenerKind() const override { return TRtListenerKind::Series; }
  bool IsYDataOf(const TRtCustomDoubleVector* v) const override { return v == FYData; }
  void SetLastCount(int Value) override;
  void PointsModified() override;
  // Keeps the points: the next update thins only from the last final point on.
  void ValueAppended() override;
  void RangesModified() override;
  void VectorDestroyed(TRtCustomDoubleVector* Vector) override;
  void Invalidate();

  // ---- update and drawing
  // Brings the data range up to date (incremental through the vectors' statistics).
  virtual void Calculate();
  // Database-bound vectors reload here; none are provided.
  virtual void CheckDBVectors() {}
  virtual int GetPairCount();
  virtual void CalculatePoints();
  virtual void TestVisbleChanged();
  virtual void PaintGr(QPainter& P);
  void DrawSymbols(QPainter& P);
  // Repainting part of the graph: brings the points up to date and adds to Region the client
  // pixels that changed since the last TakeDamage or ClearDamage. False when this series cannot
  // tell (areas, bands, drawing hooks, translucent symbols): the graph then paints everything.
  bool TakeDamage(QRegion& Region);
  void ClearDamage() { fDamaged = false; }
  // Legend sample (style 0 area, 1 area and line, 2 / 3 halves of a merged entry).
  virtual void DrawListItem(QPainter& P, const QRectF& R, int Style);
  virtual void DrawListItem(QPainter& P, const QRectF& R);
  // This series' sample and those of the series merged into it, in one row.
  void DrawMergedItems(QPainter& P, const QRectF& R);

  // ---- queries
  bool SeriesVisible() const override;
  void DataExtent(bool Horizontal, double& Start, double& Stop) const override;
  double SmallestPositive(bool Horizontal) const override;
  float ExtraSpaceAt(int Border) const override;
  bool HasValuesAt(int i) const;
  double TransformX(int i, double v) const;
  double TransformY(int i, double v) const;
  virtual int GetItemHeight() const;
  QString ToString() const;
  virtual double GetY(double AtX) const;

  // ---- hit tests (on current points only)
  bool NearestPoint(QPointF Pos, TRtNearestPointResult& Result) const;
  bool NearestX(float X, TRtNearestPointResult& Result) const;
  bool NearestY(float Y, TRtNearestPointResult& Result) const;
  virtual int FindPoint(float X, float Y, float Delta) const;
  int FindPoint(float X, float Y) const;

  // ---- state
  double XStart() const { return FXStart; }
  double XStop() const { return FXStop; }
  double YStart() const { return FYStart; }
  double YStop() const { return FYStop; }
  int Count() const { return FCount; }
  int LastCount() const { return FLastCount; }
  int LastPointsCount() const { return FLastPointsCount; }
  int MinCount() const { return FMinCount; }
  int PointCount() const { return FPointCount; }
  int AreaPointCount() const { return FAreaPointCount; }
  bool RecalculatePoints() const { return FRecalculatePoints; }
  // Plotted points followed by the area-closing points, and the data index of each plotted one.
  const std::vector<TRtPointF>& Points() const { return FPoints; }
  const std::vector<int>& PointIndex() const { return FPointIndex; }
  bool PointsCurrent() const { return !FRecalculatePoints; }
  // Pair i as pixels.
  TRtPointF DataToPixel(int i) const;

  // ---- persistence (RtSeriesIO.cpp)
  // Binary: class name, path, caption, visibility flags, "Layer", line and area blocks, the
  // paths of the vectors (empty for the indexer) and axes, the legend and band partners, and
  // for point series the point symbol. Reading applies each value through its setter (undo
  // recording and side effects apply; one undo group) and resolves the paths; a stream written
  // by another class is not read ("Stream read error").
  void WriteTo(TRtStreamWriter& Writer) const override;
  void ReadFrom(TRtStreamReader& Reader) override;
  // A child element of Parent named after the class; ReadFrom gets that element.
  void WriteTo(QDomNode Parent) const override;
  void ReadFrom(const QDomElement& Element) override;
  void WriteTo(TIniFile& Ini, const QString& Section) const override;
  void ReadFrom(const TIniFile& Ini, const QString& Section) override;
  void WriteTo(const QString& FileName) const;
  void ReadFrom(const QString& FileName);
  // The streamed form property "Layer" (not published).
  QStringList StreamedPropertyNames() const override;
  QVariant StreamedProperty(const QString& Name) const override;
  bool SetStreamedProperty(const QString& Name, const QVariant& Value) override;
  // Point-symbol settings are persisted (point series).
  bool DoPointSettingsStorage() const { return FDoPointSettingsStorage; }
  // The first and last pair to plot from FirstFrom on; false when none has values.
  bool GetVisibleRange(int FirstFrom, int& First, int& Last) const;

 protected:
  void Record(const char* Comment, const char* PropName);
  void TestAllAssigned();
  void InitDefaultCaption();
  void CloseAreaPolygon();
  // Appends Pts (from Skip on) to the plotted points.
  void StorePoints(const TRtPlotPoints& Pts, std::size_t Skip);
  // Widens the damage by the points from index From on, and by the whole polyline piece that
  // draws the segment ending at From.
  void NoteDamage(int From);
  // Whether the X of the plotted points ascends (checked from where it was last known to).
  bool PointsAscending();
  // Pixels around a point that its line and symbol may touch.
  qreal DamageMargin() const;
  // The first steps of an update: false when a vector or axis is missing, nothing is new, or
  // too few pairs exist; sets FCount.
  bool NeedsCalculation();
  // Stores one direction's data range and tells its axis when it changed.
  void StoreRange(bool X, double Lo, double Hi);
  // Data range of one direction (lo, hi) from the statistics or a scan.
  void CollectRange(bool X, double& Lo, double& Hi) const;
  bool SymbolsVisible() const { return FPointSymbolSettings->Visible(); }
  // Filled symbols whose fill lets the line show through (the line is then clipped around them).
  bool TranslucentSymbols() const;
  bool DependsOnOtherSeries() const { return FDrawBandTo != nullptr; }

  bool FOutliersVisible = false;
  bool FVisible = true;
  bool FAutoUpdate = true;
  bool FLastVisible = true;
  bool FOwnsPen = true, FCaptionSet = false;
  TRtAreaSettings* FAreaSettings;
  QPointer<TRtAxis> FXAxis, FYAxis;
  TRtCustomDoubleVector* FXData = nullptr;
  TRtCustomDoubleVector* FYData = nullptr;
  TRtValueTransformation mXValueTransformation, mYValueTransformation;
  QPen FPen;
  QBrush FBrush;
  QString FCaption;
  QPointer<TRtSeries> FMergeLegendItemWith;
  QPointer<TRtSeries> FDrawBandTo;
  bool FOwnsSymbolPen = true, FOwnsSymbolBrush = true;
  TRtPointSymbolSettings* FPointSymbolSettings;
  QPen FSymbolPen;
  QBrush FSymbolBrush;
  float FLastSymbolSize = 0;
  bool fLastSymbolsVisible = false;
  QPointer<TRtUndoStack> FUndoStack;
  bool FOwnsBrush = true;
  double FXStart = RtMaxDouble, FXStop = -RtMaxDouble, FYStart = RtMaxDouble, FYStop = -RtMaxDouble;
  int FMinCount = 1;
  int FCount = 0;
  int FLastCount = 0;
  int FLastPointsCount = 0;
  int FLayer = 0;
  int FPointCount = 0;
  int FAreaPointCount = 0;
  TRtGraphBase* FGraph = nullptr;
  QMetaObject::Connection fGraphConnection;
  bool FIncludeInLegend = true;
  bool FRecalculatePoints = true;
  bool FDoPointSettingsStorage = false;
  std::vector<TRtPointF> FPoints;
  std::vector<int> FPointIndex;
  TRtIndexer* FIndexer;
  TRtLineSettings* FLineSettings;
  bool fDestroying = false;
  bool fCalculatingPoints = false;
  // The last line-only thinning: its visible pair range (-1: none).
  bool fLinePoints = false;
  int fLineFirst = -1, fLineLast = -1;
  // Bounds of the points changed since the last TakeDamage / ClearDamage.
  bool fDamaged = false;
  float fDamageX0 = 0, fDamageY0 = 0, fDamageX1 = 0, fDamageY1 = 0;
  // The leading points known to have ascending X (NoteDamage cuts it back).
  int fAscendingPoints = 0;

 private:
  void SetData(bool X, TRtCustomDoubleVector* v);
  void SetAxis(bool X, TRtAxis* a);
  void LeaveGraph();
  void SettingsChanged();
  template <typename F>
  void WithSource(F&& Body) const;
  template <typename Inside, typename Distance>
  bool NearestBy(Inside&& In, Distance&& Dist, TRtNearestPointResult& R) const;
};

class TRtLineSeries : public TRtSeries {
  Q_OBJECT
  Q_PROPERTY(bool AutoUpdate READ AutoUpdate WRITE SetAutoUpdate)
  Q_PROPERTY(bool OutliersVisible READ OutliersVisible WRITE SetOutliersVisible)
  Q_PROPERTY(TRtAxis* XAxis READ XAxis WRITE SetXAxis)
  Q_PROPERTY(TRtAxis* YAxis READ YAxis WRITE SetYAxis)
  Q_PROPERTY(TRtCustomDoubleVector* XData READ XData WRITE SetXData)
  Q_PROPERTY(TRtCustomDoubleVector* YData READ YData WRITE SetYData)
  Q_PROPERTY(TRtLineSettings* Line READ Line WRITE SetLine)
  Q_PROPERTY(TRtAreaSettings* Area READ Area WRITE SetArea)
  Q_PROPERTY(TRtLineSeries* DrawBandTo READ DrawBandTo WRITE SetDrawBandTo)

 public:
  explicit TRtLineSeries(QObject* AOwner = nullptr);
};

class TRtPointSeries : public TRtLineSeries {
  Q_OBJECT
  Q_PROPERTY(TRtPointSymbolSettings* PointSymbol READ PointSymbol WRITE SetPointSymbol)

 public:
  explicit TRtPointSeries(QObject* AOwner = nullptr);
};
