#include "chart/series/RtSeries.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "chart/draw/RtSymbols.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

namespace {
__attribute__((target("avx"))) void ZeroUpper() {
  _mm256_zeroupper();
}
}  // namespace

void RtClearUpperVectorState() {
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) ZeroUpper();
}
#else
void RtClearUpperVectorState() {}
#endif

namespace {

QString RightTrimmed(const QString& s) {
  int n = s.size();
  while (n > 0 && s[n - 1].isSpace()) --n;
  return s.left(n);
}

// Pixel points straight from the raw arrays (null: the index), with or without outlier tests.
template <bool CheckOutliers>
struct TRawSource {
  const double* x;
  const double* y;
  const TRtCustomDoubleVector* xv;
  const TRtCustomDoubleVector* yv;
  TRtAxisMapping mx, my;
  TRtPointF Point(int i) const {
    return {mx.Map(x ? x[i] : double(i)), my.Map(y ? y[i] : double(i))};
  }
  bool Has(int i) const {
    if constexpr (CheckOutliers)
      return !xv->IsOutlier(i) && !yv->IsOutlier(i);
    else
      return true;
  }
};

// Whether Map is monotone over values from Lo up, so that the pixels of a block's bounds bound
// the pixels of its every value.
bool MonotoneFrom(const TRtAxisMapping& m, double Lo) {
  if (!std::isfinite(m.NormalizeConst) || m.NormalizeConst == 0 || !std::isfinite(m.Start))
    return false;
  if (m.kind == TRtAxisMapping::Linear) return true;
  // Date-time spans are plain differences only while both ends are not negative.
  return m.kind == TRtAxisMapping::DateTime && m.Start >= 0 && Lo >= 0;
}

// The same points from both raw arrays, mapped a window at a time ahead of the thinning, and
// whole blocks of pairs passed over by their bounds where both mappings allow it.
template <bool CheckOutliers>
struct TBlockSource : TRawSource<CheckOutliers> {
  static constexpr int kWindow = TRtBlockBounds::kSize;
  int count = 0;
  const TRtBlockBounds* xb = nullptr;
  const TRtBlockBounds* yb = nullptr;
  int blocks = 0;
  mutable int from = 0, n = 0;
  mutable float bx[kWindow] = {}, by[kWindow] = {};

  TBlockSource(const TRawSource<CheckOutliers>& Raw, int Count) : TRawSource<CheckOutliers>(Raw) {
    count = Count;
    int nx = 0, ny = 0;
    xb = this->xv->BlockBounds(nx);
    yb = this->yv->BlockBounds(ny);
    blocks = xb && yb ? std::min({nx, ny, Count >> TRtBlockBounds::kShift}) : 0;
  }
  TRtPointF Point(int i) const {
    if (i < from || i >= from + n) {
      from = i & ~(TRtBlockBounds::kSize - 1);
      n = std::min(kWindow, count - from);
      this->mx.MapMany(this->x + from, n, bx);
      this->my.MapMany(this->y + from, n, by);
    }
    return {bx[i - from], by[i - from]};
  }
  bool Inside(int b, TRtPointF P, bool Strict) const {
    const double x0 = xb->Min(b), x1 = xb->Max(b), y0 = yb->Min(b), y1 = yb->Max(b);
    if (!MonotoneFrom(this->mx, x0) || !MonotoneFrom(this->my, y0)) return false;
    const float px[2] = {this->mx.Map(x0) - P.X, this->mx.Map(x1) - P.X};
    const float py[2] = {this->my.Map(y0) - P.Y, this->my.Map(y1) - P.Y};
    for (int k = 0; k < 2; ++k) {
      const float dx = std::abs(px[k]), dy = std::abs(py[k]);
      if (Strict ? !(dx < 1 && dy < 1) : !(dx <= 1 && dy <= 1)) return false;
    }
    return true;
  }
  int SkipInside(int i, int Last, TRtPointF P, bool Strict, TRtPointF& Q) const {
    constexpr int kMask = TRtBlockBounds::kSize - 1;
    if (((i + 1) & kMask) != 0) return i;
    int b = (i + 1) >> TRtBlockBounds::kShift;
    while (b < blocks && (b << TRtBlockBounds::kShift) + kMask <= Last && Inside(b, P, Strict)) ++b;
    int k = (b << TRtBlockBounds::kShift) - 1;
    if constexpr (CheckOutliers)
      while (k > i && !this->Has(k)) --k;
    if (k > i) Q = {this->mx.Map(this->x[k]), this->my.Map(this->y[k])};
    return k;
  }
};

// Through the series (value hooks, vectors without raw storage).
struct TSeriesSource {
  const TRtSeries* s;
  TRtPointF Point(int i) const { return s->DataToPixel(i); }
  bool Has(int i) const { return s->HasValuesAt(i); }
};

QPolygonF ToPolygon(const std::vector<TRtPointF>& pts, std::size_t from, std::size_t n) {
  QPolygonF poly;
  poly.reserve(qsizetype(n));
  for (std::size_t k = from; k < from + n && k < pts.size(); ++k)
    poly << QPointF(pts[k].X, pts[k].Y);
  return poly;
}

}  // namespace

namespace {

// Index ranges [lo, hi) of the points (X ascending) whose X lies within Reach of one of
// Region's rectangles, ascending and merged where they overlap.
std::vector<std::pair<int, int>> NearRegion(const TRtPointF* Pts, int N, const QRegion& Region,
                                            qreal Reach) {
  std::vector<std::pair<int, int>> r;
  for (const QRect& rect : Region) {
    const auto lo = float(rect.left() - Reach), hi = float(rect.right() + 1 + Reach);
    const TRtPointF* a =
        std::lower_bound(Pts, Pts + N, lo, [](const TRtPointF& p, float x) { return p.X < x; });
    const TRtPointF* b =
        std::upper_bound(a, Pts + N, hi, [](float x, const TRtPointF& p) { return x < p.X; });
    r.emplace_back(int(a - Pts), int(b - Pts));
  }
  std::sort(r.begin(), r.end());
  std::vector<std::pair<int, int>> merged;
  for (const auto& x : r) {
    if (!merged.empty() && x.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, x.second);
    else
      merged.push_back(x);
  }
  return merged;
}

// Near enough to the region for the exact test: past the margin, the outward rounding of the
// tested box and float rounding.
constexpr qreal kCullSlack = 2;

}  // namespace

void RtDrawPolyline(QPainter& P, const QPolygonF& Poly, const QRegion* Cull, qreal Margin) {
  std::vector<TRtPointF> pts;
  pts.reserve(std::size_t(Poly.size()));
  for (const QPointF& q : Poly) pts.push_back({float(q.x()), float(q.y())});
  RtDrawPolyline(P, pts.data(), int(pts.size()), Cull, Margin, false);
}

void RtDrawPolyline(QPainter& P, const TRtPointF* Pts, int N, const QRegion* Cull, qreal Margin,
                    bool Ascending) {
  constexpr int kPiece = RtPolylinePiece;
  const QPen& pen = P.pen();
  const int n = N;
  if (n <= 2 * kPiece || pen.widthF() <= 1 || pen.style() != Qt::SolidLine) {
    QPolygonF poly;
    poly.reserve(n);
    for (int k = 0; k < n; ++k) poly << QPointF(Pts[k].X, Pts[k].Y);
    P.drawPolyline(poly);
    return;
  }
  QPointF piece[kPiece + 2];
  // Each piece starts one segment early so that the joint at its first point is drawn.
  const auto draw = [&](int s) {
    const int from = std::max(s - 1, 0), to = std::min(s + kPiece, n - 1);
    const TRtPointF* q = Pts + from;
    if (Cull) {
      float x0 = q->X, x1 = x0, y0 = q->Y, y1 = y0;
      for (int k = 1; k <= to - from; ++k) {
        x0 = std::min(x0, q[k].X);
        x1 = std::max(x1, q[k].X);
        y0 = std::min(y0, q[k].Y);
        y1 = std::max(y1, q[k].Y);
      }
      const QRectF box =
          QRectF(x0, y0, qreal(x1) - x0, qreal(y1) - y0).adjusted(-Margin, -Margin, Margin, Margin);
      if (!Cull->intersects(box.toAlignedRect())) return;
    }
    for (int k = 0; k <= to - from; ++k) piece[k] = QPointF(q[k].X, q[k].Y);
    P.drawPolyline(piece, to - from + 1);
  };
  if (!Cull || !Ascending) {
    for (int s = 0; s < n - 1; s += kPiece) draw(s);
    return;
  }
  // Piece s spans points [max(s - 1, 0), min(s + kPiece, n - 1)]; with X ascending it reaches a
  // range [lo, hi) of near points only if it starts before hi and ends at lo or later.
  int next = 0;
  for (const auto& [lo, hi] : NearRegion(Pts, n, *Cull, Margin + kCullSlack)) {
    int s = lo > 0 ? (lo - 1) / kPiece * kPiece : 0;
    for (s = std::max(s, next); s < n - 1 && std::max(s - 1, 0) <= hi - 1; s += kPiece) draw(s);
    next = std::max(next, s);
  }
}

template <typename F>
void TRtSeries::WithSource(F&& Body) const {
  const double* rx = FXData->RawData();
  const double* ry = FYData->RawData();
  const bool rawX = rx || FXData == FIndexer;
  const bool rawY = ry || FYData == FIndexer;
  if (mXValueTransformation || mYValueTransformation || !rawX || !rawY) {
    Body(TSeriesSource{this});
    return;
  }
  const bool outliers = !FOutliersVisible && (FXData->AnyOutliers() || FYData->AnyOutliers());
  const int count = std::min(FXData->Count(), FYData->Count());
  if (rx && ry && outliers)
    Body(TBlockSource<true>{{rx, ry, FXData, FYData, FXAxis->Mapping(), FYAxis->Mapping()}, count});
  else if (rx && ry)
    Body(
        TBlockSource<false>{{rx, ry, FXData, FYData, FXAxis->Mapping(), FYAxis->Mapping()}, count});
  else if (outliers)
    Body(TRawSource<true>{rx, ry, FXData, FYData, FXAxis->Mapping(), FYAxis->Mapping()});
  else
    Body(TRawSource<false>{rx, ry, FXData, FYData, FXAxis->Mapping(), FYAxis->Mapping()});
}

TRtSeries::TRtSeries(QObject* AOwner)
    : QObject(AOwner),
      FAreaSettings(new TRtAreaSettings(this)),
      FPointSymbolSettings(new TRtPointSymbolSettings(this)),
      FIndexer(new TRtIndexer(this)),
      FLineSettings(new TRtLineSettings(this)) {
  {
    const QSignalBlocker b(FPointSymbolSettings);
    FPointSymbolSettings->SetVisible(false);
  }
  FSymbolPen = QPen(RtQColor(RtColors::Blue), 1);
  FSymbolBrush = QBrush(RtQColor(RtColors::Blue));
  FLastSymbolSize = FPointSymbolSettings->Size();
  fLastSymbolsVisible = false;
  FMinCount = 1;
  for (TRtStyleObject* o :
       std::initializer_list<TRtStyleObject*>{FLineSettings, FAreaSettings, FPointSymbolSettings})
    connect(o, &TRtStyleObject::Changed, this, [this] { SettingsChanged(); });
  InitDefaultCaption();
}

TRtSeries::~TRtSeries() {
  fDestroying = true;
  for (TRtAxis* a : {FXAxis.data(), FYAxis.data()})
    if (a) a->RemoveSeries(this);
  if (FXData && FXData != FIndexer) FXData->RemoveListener(this);
  if (FYData && FYData != FIndexer && FYData != FXData) FYData->RemoveListener(this);
  if (FGraph) {
    TRtGraphBase* g = FGraph;
    LeaveGraph();
    g->SeriesModified();
    g->LegendsModified();
  }
}

void TRtSeries::InitDefaultCaption() {
  if (FCaptionSet) return;
  QString base = QString::fromLatin1(metaObject()->className()).mid(1);
  QString name;
  for (int k = 1;; ++k) {
    name = base + QString::number(k);
    if (!parent() || !parent()->findChild<QObject*>(name, Qt::FindDirectChildrenOnly)) break;
  }
  FCaption = name;
}

void TRtSeries::Record(const char* Comment, const char* PropName) {
  if (FUndoStack && FUndoStack->Recording())
    FUndoStack->PushProperty(this, QString::fromUtf8(Comment), PropName);
}

void TRtSeries::SetUndoStack(TRtUndoStack* Stack) {
  FUndoStack = Stack;
  FLineSettings->SetUndoStack(Stack);
  FAreaSettings->SetUndoStack(Stack);
  FPointSymbolSettings->SetUndoStack(Stack);
}

// ---- binding

void TRtSeries::SetData(bool X, TRtCustomDoubleVector* v) {
  TRtCustomDoubleVector*& field = X ? FXData : FYData;
  TRtCustomDoubleVector*& other = X ? FYData : FXData;
  if (v == field || (v == nullptr && field == FIndexer)) return;
  Record(X ? "Series X-data reference" : "Series Y-data reference", X ? "XData" : "YData");
  if (field && field != FIndexer) field->RemoveListener(this);
  field = v;
  if (v) v->AddListener(this);
  if (!v && other == FIndexer) other = nullptr;
  if (field != FIndexer && other == FIndexer) other = nullptr;
  TestAllAssigned();
}

void TRtSeries::VectorDestroyed(TRtCustomDoubleVector* Vector) {
  if (fDestroying) return;
  if (FXData == Vector) FXData = nullptr;
  if (FYData == Vector) FYData = nullptr;
  if (FXData == FIndexer && !FYData) FXData = nullptr;
  if (FYData == FIndexer && !FXData) FYData = nullptr;
  TestAllAssigned();
}

void TRtSeries::SetAxis(bool X, TRtAxis* a) {
  QPointer<TRtAxis>& field = X ? FXAxis : FYAxis;
  if (a == field) return;
  Record(X ? "Series X-axis reference" : "Series Y-axis reference", X ? "XAxis" : "YAxis");
  if (field && field != (X ? FYAxis : FXAxis)) field->RemoveSeries(this);
  if (field) disconnect(field, &QObject::destroyed, this, nullptr);
  field = a;
  if (a)
    connect(a, &QObject::destroyed, this, [this] {
      if (!fDestroying) TestAllAssigned();
    });
  TestAllAssigned();
}

void TRtSeries::SetDefaultAxis(TRtGraphBase* G) {
  if (!G) return;
  SetXAxis(G->PrimaryXAxis());
  SetYAxis(G->PrimaryYAxis());
}

void TRtSeries::LeaveGraph() {
  if (!FGraph) return;
  disconnect(fGraphConnection);
  FGraph->RemoveSeries(this);
  FGraph = nullptr;
}

void TRtSeries::TestAllAssigned() {
  if (FXAxis && FYAxis && (FXData || FYData)) {
    TRtGraphBase* g = FYAxis->Graph();
    if (g != FGraph) {
      LeaveGraph();
      FGraph = g;
      if (g)
        fGraphConnection = connect(g->GraphObject(), &QObject::destroyed, this, [this] {
          FGraph = nullptr;
          FXAxis = nullptr;
          FYAxis = nullptr;
        });
    }
    if (g && g->AddSeries(this) && !FUndoStack) SetUndoStack(g->UndoStack());
    if (!FXData) {
      FXData = FIndexer;
      FIndexer->SetRefVector(FYData);
    } else if (!FYData) {
      FYData = FIndexer;
      FIndexer->SetRefVector(FXData);
    }
    FXAxis->AddSeries(this);
    FYAxis->AddSeries(this);
    RangesModified();
    if (g) {
      g->LegendsModified();
      g->Modified();
    }
    return;
  }
  for (TRtAxis* a : {FXAxis.data(), FYAxis.data()})
    if (a) a->RemoveSeries(this);
  if (FGraph) {
    TRtGraphBase* g = FGraph;
    LeaveGraph();
    if (TRtAxis* y = g->PrimaryYAxis()) y->RangeModified();
    g->SeriesModified();
    g->LegendsModified();
  }
}

// ---- published state

void TRtSeries::SetVisible(bool v) {
  if (v == FVisible) return;
  Record("Series visibility", "Visible");
  FVisible = v;
  TestVisbleChanged();
  if (FGraph) {
    FGraph->Invalidate();
    FGraph->LegendsModified();
  }
}

void TRtSeries::SetCaption(const QString& v) {
  const QString t = RightTrimmed(v);
  if (t == FCaption) {
    FCaptionSet = true;
    return;
  }
  Record("Series caption", "Caption");
  FCaption = t;
  FCaptionSet = true;
  if (FGraph) FGraph->LegendsModified();
}

void TRtSeries::SetIncludeInLegend(bool v) {
  if (v == FIncludeInLegend) return;
  Record("Series visibility in legends", "IncludeInLegend");
  FIncludeInLegend = v;
  if (FGraph) {
    FGraph->Invalidate();
    FGraph->LegendsModified();
  }
}

void TRtSeries::SetMergeLegendItemWith(TRtSeries* s) {
  FMergeLegendItemWith = s == this ? nullptr : s;
  if (FGraph) FGraph->LegendsModified();
}

void TRtSeries::SetLayer(int v) {
  if (v == FLayer) return;
  Record("Series drawing order", "Layer");
  FLayer = v;
  if (FGraph) FGraph->Modified();
}

void TRtSeries::SetOutliersVisible(bool v) {
  if (v == FOutliersVisible) return;
  Record("Series visibility of outliers", "OutliersVisible");
  FOutliersVisible = v;
  RangesModified();
}

TRtLineSeries* TRtSeries::DrawBandTo() const {
  return qobject_cast<TRtLineSeries*>(FDrawBandTo.data());
}

void TRtSeries::SetDrawBandTo(TRtLineSeries* s) {
  FDrawBandTo = static_cast<TRtSeries*>(s) == this ? nullptr : s;
  PointsModified();
}

void TRtSeries::SetXValueTransformation(TRtValueTransformation f) {
  mXValueTransformation = std::move(f);
  RangesModified();
}

void TRtSeries::SetYValueTransformation(TRtValueTransformation f) {
  mYValueTransformation = std::move(f);
  RangesModified();
}

void TRtSeries::SetLinePen(const QPen& p) {
  FPen = p;
  FOwnsPen = false;
  Invalidate();
}

void TRtSeries::SetAreaBrush(const QBrush& b) {
  FBrush = b;
  FOwnsBrush = false;
  Invalidate();
}

void TRtSeries::SetSymbolBorderPen(const QPen& p) {
  FSymbolPen = p;
  FOwnsSymbolPen = false;
  Invalidate();
}

void TRtSeries::SetSymbolFillBrush(const QBrush& b) {
  FSymbolBrush = b;
  FOwnsSymbolBrush = false;
  Invalidate();
}

void TRtSeries::SettingsChanged() {
  const bool symbols = SymbolsVisible();
  TestVisbleChanged();
  if (symbols != fLastSymbolsVisible) {
    fLastSymbolsVisible = symbols;
    RangesModified();
  }
  if (FGraph) FGraph->LegendsModified();
}

// ---- notices

void TRtSeries::SetLastCount(int Value) {
  if (FLastCount > Value) FLastCount = Value;
  if (FLastPointsCount > FLastCount) FLastPointsCount = FLastCount;
}

void TRtSeries::PointsModified() {
  FLastPointsCount = 0;
  FRecalculatePoints = true;
  Invalidate();
}

void TRtSeries::RangesModified() {
  if (!FXAxis || !FYAxis) return;
  FXStart = FYStart = RtMaxDouble;
  FXStop = FYStop = -RtMaxDouble;
  FLastCount = 0;
  FCount = 0;
  PointsModified();
  FXAxis->RangeModified();
  FYAxis->RangeModified();
}

void TRtSeries::Invalidate() {
  if (FGraph) FGraph->Invalidate();
}

void TRtSeries::ValueAppended() {
  if (FGraph) FGraph->SeriesPointsChanged();
}

// ---- queries

bool TRtSeries::SeriesVisible() const {
  return FVisible && (FLineSettings->Visible() || FAreaSettings->Visible() || SymbolsVisible());
}

void TRtSeries::DataExtent(bool Horizontal, double& Start, double& Stop) const {
  Start = Horizontal ? FXStart : FYStart;
  Stop = Horizontal ? FXStop : FYStop;
}

bool TRtSeries::HasValuesAt(int i) const {
  if (FOutliersVisible) return true;
  return !(FXData && FXData->IsOutlier(i)) && !(FYData && FYData->IsOutlier(i));
}

double TRtSeries::TransformX(int i, double v) const {
  return mXValueTransformation ? mXValueTransformation(const_cast<TRtSeries*>(this), {v, i}) : v;
}

double TRtSeries::TransformY(int i, double v) const {
  return mYValueTransformation ? mYValueTransformation(const_cast<TRtSeries*>(this), {v, i}) : v;
}

double TRtSeries::SmallestPositive(bool Horizontal) const {
  const TRtCustomDoubleVector* v = Horizontal ? FXData : FYData;
  if (!v || !FXData || !FYData) return RtMaxDouble;
  double best = RtMaxDouble;
  const int n = std::min(FXData->Count(), FYData->Count());
  for (int i = 0; i < n; ++i) {
    if (!HasValuesAt(i)) continue;
    const double x = Horizontal ? TransformX(i, v->GetValue(i)) : TransformY(i, v->GetValue(i));
    if (x > 0 && x < best) best = x;
  }
  return best;
}

float TRtSeries::ExtraSpaceAt(int) const {
  if (FVisible && SymbolsVisible() && FXData && FXData->Count() > 1)
    return (FPointSymbolSettings->Size() + FPointSymbolSettings->BorderLineWidth()) / 2 + 1;
  return 0;
}

int TRtSeries::GetItemHeight() const {
  int h = (FLineSettings->Visible() ? int(std::lround(FLineSettings->Width())) : 0) +
          (FAreaSettings->Visible() ? 6 : 0);
  if (SymbolsVisible()) h = std::max(h, int(std::lround(FPointSymbolSettings->Size() + 2)));
  return h;
}

QString TRtSeries::ToString() const {
  return FCaption.isEmpty() ? objectName() : FCaption;
}

TRtPointF TRtSeries::DataToPixel(int i) const {
  return {FXAxis->NumberToWorld(TransformX(i, FXData->GetValue(i))),
          FYAxis->NumberToWorld(TransformY(i, FYData->GetValue(i)))};
}

double TRtSeries::GetY(double AtX) const {
  if (!FXData || !FYData) return 0;
  const int n = std::min(FXData->Count(), FYData->Count());
  int prev = -1, nearest = -1;
  double nearestDist = RtMaxDouble;
  for (int i = 0; i < n; ++i) {
    if (!HasValuesAt(i)) continue;
    const double x = TransformX(i, FXData->GetValue(i));
    if (std::abs(x - AtX) < nearestDist) {
      nearestDist = std::abs(x - AtX);
      nearest = i;
    }
    if (prev >= 0) {
      const double x0 = TransformX(prev, FXData->GetValue(prev));
      if ((x0 <= AtX && AtX <= x) || (x <= AtX && AtX <= x0)) {
        const double y0 = TransformY(prev, FYData->GetValue(prev));
        const double y1 = TransformY(i, FYData->GetValue(i));
        return x == x0 ? y0 : y0 + (y1 - y0) * (AtX - x0) / (x - x0);
      }
    }
    prev = i;
  }
  return nearest >= 0 ? TransformY(nearest, FYData->GetValue(nearest)) : 0;
}

// ---- update

int TRtSeries::GetPairCount() {
  FMinCount = SymbolsVisible() ? 1 : 2;
  if (!FXData || !FYData) return 0;
  return std::min(FXData->Count(), FYData->Count());
}

void TRtSeries::CollectRange(bool X, double& Lo, double& Hi) const {
  const TRtCustomDoubleVector* v = X ? FXData : FYData;
  const TRtCustomDoubleVector* partner = X ? FYData : FXData;
  const TRtValueTransformation& hook = X ? mXValueTransformation : mYValueTransformation;
  Lo = RtMaxDouble;
  Hi = -RtMaxDouble;
  if (partner->Count() < v->Count()) {
    for (int i = 0; i < FCount; ++i) {
      if (!HasValuesAt(i)) continue;
      const double t = X ? TransformX(i, v->GetValue(i)) : TransformY(i, v->GetValue(i));
      Lo = std::min(Lo, t);
      Hi = std::max(Hi, t);
    }
  } else {
    Lo = FOutliersVisible ? v->MinimumIncludingOutliers() : v->Minimum();
    Hi = FOutliersVisible ? v->MaximumIncludingOutliers() : v->Maximum();
    if (hook && Lo <= Hi) {
      const int loIdx = FOutliersVisible ? v->MinimumIdxIncludingOutliers() : v->MinimumIdx();
      const int hiIdx = FOutliersVisible ? v->MaximumIdxIncludingOutliers() : v->MaximumIdx();
      Lo = X ? TransformX(loIdx, Lo) : TransformY(loIdx, Lo);
      Hi = X ? TransformX(hiIdx, Hi) : TransformY(hiIdx, Hi);
      if (Lo > Hi) std::swap(Lo, Hi);
    }
  }
  const TRtAxis* axis = X ? FXAxis.data() : FYAxis.data();
  if (axis && axis->HasLogScaling() && !(Lo > 0) && Lo <= Hi) Lo = SmallestPositive(X);
}

bool TRtSeries::NeedsCalculation() {
  if (!FXData || !FYData || !FXAxis || !FYAxis) return false;
  if (FLastCount >= FXData->Count() && FLastCount >= FYData->Count()) return false;
  FCount = GetPairCount();
  return FLastCount < FCount && FCount >= FMinCount;
}

void TRtSeries::StoreRange(bool X, double Lo, double Hi) {
  double& start = X ? FXStart : FYStart;
  double& stop = X ? FXStop : FYStop;
  if (Lo == start && Hi == stop) return;
  start = Lo;
  stop = Hi;
  (X ? FXAxis : FYAxis)->RangeModified();
}

void TRtSeries::Calculate() {
  if (!NeedsCalculation()) return;
  double lo, hi;
  CollectRange(true, lo, hi);
  StoreRange(true, lo, hi);
  CollectRange(false, lo, hi);
  StoreRange(false, lo, hi);
  FRecalculatePoints = true;
  // New pairs: their points; a change of range lays out and repaints everything at the paint.
  if (FGraph) FGraph->SeriesPointsChanged();
  FLastCount = FCount;
}

bool TRtSeries::GetVisibleRange(int FirstFrom, int& First, int& Last) const {
  if (FCount == 0) {
    First = Last = 0;
    return false;
  }
  First = FirstFrom;
  Last = FCount - 1;
  if (First > Last) First = Last;
  if (FXAxis && Last - First > 20 && FXData->OnlyAscending()) {
    const double start = FXAxis->Start(), stop = FXAxis->Stop();
    const double* raw = FXData->RawData();
    if (!mXValueTransformation && raw && !FXData->AnyOutliers()) {
      RtAscendingVisibleRange(raw, start, stop, First, Last);
    } else if (!mXValueTransformation && FXData == FIndexer) {
      RtAscendingVisibleRangeBy([](int i) { return double(i); }, start, stop, First, Last);
    } else {
      auto x = [this](int i) { return TransformX(i, FXData->GetValue(i)); };
      while (First + 1 < Last && x(First + 1) < start) ++First;
      while (Last - 1 > First && x(Last - 1) > stop) --Last;
    }
  }
  if (First > Last) First = Last;
  while (First <= Last && !HasValuesAt(First)) ++First;
  while (Last >= First && !HasValuesAt(Last)) --Last;
  return First <= Last;
}

void TRtSeries::StorePoints(const TRtPlotPoints& Pts, std::size_t Skip) {
  FPoints.resize(std::size_t(FPointCount));
  FPointIndex.resize(std::size_t(FPointCount));
  for (std::size_t k = Skip; k < Pts.Points.size(); ++k) {
    FPoints.push_back(Pts.Points[k]);
    FPointIndex.push_back(Pts.Index[k]);
  }
  FPointCount = int(FPointIndex.size());
}

void TRtSeries::CalculatePoints() {
  if (fCalculatingPoints) return;
  fCalculatingPoints = true;
  const bool line = !SymbolsVisible();
  if (FLastPointsCount == 0 || line != fLinePoints) {
    NoteDamage(0);
    FPoints.clear();
    FPointIndex.clear();
    FPointCount = 0;
    fLineFirst = -1;
  }
  fLinePoints = line;
  if (FCount > 0 && FXData && FYData && FXAxis && FYAxis) {
    RtClearUpperVectorState();
    TRtPlotPoints pts;
    int first, last;
    if (SymbolsVisible()) {
      if (GetVisibleRange(FLastPointsCount, first, last)) {
        const int keep = FPointCount;
        NoteDamage(keep);
        std::size_t skip = 0;
        if (FPointCount > 0) {
          pts.Add(FPoints[std::size_t(FPointCount - 1)], FPointIndex[std::size_t(FPointCount - 1)]);
          skip = 1;
        }
        WithSource([&](const auto& src) { RtThinSymbols(src, first, last, pts); });
        StorePoints(pts, skip);
        NoteDamage(keep);
      }
    } else if (GetVisibleRange(0, first, last)) {
      // Appended pairs: the points found before the old end stay; thinning resumes at the last
      // of them (it depends only on that point and the pairs after it).
      int from = first, keep = 0;
      if (first == fLineFirst && last >= fLineLast) {
        int k = FPointCount - 2;
        while (k >= 1 && FPointIndex[std::size_t(k + 1)] >= fLineLast - 1) --k;
        if (k >= 1) {
          keep = k;
          from = FPointIndex[std::size_t(k)];
        }
      }
      NoteDamage(keep);
      FPointCount = keep;
      WithSource([&](const auto& src) { RtThinLine(src, from, last, pts); });
      StorePoints(pts, 0);
      NoteDamage(keep);
      fLineFirst = first;
      fLineLast = last;
    }
  }
  FLastPointsCount = FCount;
  FRecalculatePoints = false;
  CloseAreaPolygon();
  fCalculatingPoints = false;
}

bool TRtSeries::PointsAscending() {
  int& k = fAscendingPoints;
  if (k == 0 && FPointCount > 0 && !std::isnan(FPoints[0].X)) k = 1;
  while (k > 0 && k < FPointCount && FPoints[std::size_t(k)].X >= FPoints[std::size_t(k - 1)].X)
    ++k;
  return k >= FPointCount;
}

void TRtSeries::NoteDamage(int From) {
  fAscendingPoints = std::min(fAscendingPoints, From);
  // The piece of a wide line that holds the segment ending at From starts one point before its
  // first segment; a line short enough to be drawn in one goes as a whole.
  int from = From > 0 ? std::max(0, (From - 1) / RtPolylinePiece * RtPolylinePiece - 1) : 0;
  if (FPointCount <= 2 * RtPolylinePiece + 1) from = 0;
  for (int k = from; k < FPointCount; ++k) {
    const TRtPointF p = FPoints[std::size_t(k)];
    if (!fDamaged) {
      fDamaged = true;
      fDamageX0 = fDamageX1 = p.X;
      fDamageY0 = fDamageY1 = p.Y;
      continue;
    }
    fDamageX0 = std::min(fDamageX0, p.X);
    fDamageX1 = std::max(fDamageX1, p.X);
    fDamageY0 = std::min(fDamageY0, p.Y);
    fDamageY1 = std::max(fDamageY1, p.Y);
  }
}

qreal TRtSeries::DamageMargin() const {
  qreal reach = std::max<qreal>(FPen.widthF(), 1);
  if (SymbolsVisible()) {
    const qreal border = std::max<qreal>(FSymbolPen.widthF(), 1);
    reach = std::max<qreal>(reach, FPointSymbolSettings->Size() + 2 * border);
  }
  // Half the reach either side, antialiased edges and rounding.
  return reach / 2 + 3;
}

bool TRtSeries::TranslucentSymbols() const {
  return SymbolsVisible() && RtAlpha(FPointSymbolSettings->FillColor()) != 255 &&
         RtSymbolIsFilled(FPointSymbolSettings->PointSymbol());
}

bool TRtSeries::TakeDamage(QRegion& Region) {
  if (!FXAxis || !FYAxis || !FGraph || !SeriesVisible()) {
    fDamaged = false;
    return true;
  }
  if (FAreaSettings->Visible() || FDrawBandTo || OnGetPen || OnGetBrush || OnGetPointSymbol ||
      TranslucentSymbols())
    return false;
  if (FRecalculatePoints) CalculatePoints();
  if (fDamaged) {
    const qreal m = DamageMargin();
    const QRectF box(fDamageX0, fDamageY0, fDamageX1 - fDamageX0, fDamageY1 - fDamageY0);
    // Points pushed far out (clamped) could make the box absurd; the client area bounds it.
    const QRect client(QPoint(-8, -8), FGraph->ClientSize() + QSize(16, 16));
    Region += box.adjusted(-m, -m, m, m).toAlignedRect().intersected(client);
    fDamaged = false;
  }
  return true;
}

void TRtSeries::CloseAreaPolygon() {
  FPoints.resize(std::size_t(FPointCount));
  TRtSeries* band = FDrawBandTo.data();
  if (band && band->FCount > 0) {
    if (!FAreaSettings->Visible()) {
      const QSignalBlocker b(FAreaSettings);
      FAreaSettings->SetVisible(true);
    }
    if (band->FRecalculatePoints) band->CalculatePoints();
    for (int k = band->FPointCount - 1; k >= 0; --k)
      FPoints.push_back(band->FPoints[std::size_t(k)]);
    FAreaPointCount = FPointCount + band->FPointCount;
    return;
  }
  if (FPointCount > 0 && FYAxis) {
    const double base = FYAxis->Start() > 0 ? FYAxis->Start() : 0;
    const float yb = FYAxis->NumberToWorld(base) - 0.5f;
    FPoints.push_back({FPoints[std::size_t(FPointCount - 1)].X, yb});
    FPoints.push_back({FPoints[0].X, yb});
  }
  FAreaPointCount = FPointCount + (FPointCount > 0 ? 2 : 0);
}

void TRtSeries::TestVisbleChanged() {
  if (SymbolsVisible()) {
    if (FOwnsSymbolPen)
      FSymbolPen = QPen(RtQColor(FPointSymbolSettings->BorderColor()),
                        FPointSymbolSettings->BorderLineWidth());
    if (FOwnsSymbolBrush) FSymbolBrush = QBrush(RtQColor(FPointSymbolSettings->FillColor()));
    if (FPointSymbolSettings->Size() != FLastSymbolSize) {
      FLastSymbolSize = FPointSymbolSettings->Size();
      Invalidate();
      if (FGraph) FGraph->LegendsModified();
    }
  }
  const QRectF area = FGraph ? FGraph->DrawingArea() : QRectF();
  if (FOwnsPen) FPen = FLineSettings->GetPen(area);
  if (FOwnsBrush) FBrush = FAreaSettings->GetBrush(area);
  Invalidate();
  if (SeriesVisible() != FLastVisible) {
    FLastVisible = SeriesVisible();
    for (TRtAxis* a : {FXAxis.data(), FYAxis.data()})
      if (a) a->RangeModified();
  }
}

// ---- drawing

void TRtSeries::PaintGr(QPainter& P) {
  if (!FXAxis || !FYAxis || !FGraph || !SeriesVisible()) return;
  if (FRecalculatePoints) CalculatePoints();
  if (FPointCount <= 0) return;
  P.save();
  const TRtPointSymbol sym = FPointSymbolSettings->PointSymbol();
  if (FPointCount > 1 && TranslucentSymbols()) {
    // Lines do not show through translucent symbols.
    QPainterPath clip;
    clip.setFillRule(Qt::OddEvenFill);
    clip.addRect(P.hasClipping() ? P.clipBoundingRect() : QRectF(-1e5, -1e5, 2e5, 2e5));
    const float size = FPointSymbolSettings->Size();
    for (int k = 0; k < FPointCount; ++k)
      clip.addPath(RtSymbolPath(sym, FPoints[std::size_t(k)].X, FPoints[std::size_t(k)].Y, size));
    P.setClipPath(clip, P.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  if (FPointCount > 1) {
    if (FAreaSettings->Visible()) {
      P.setPen(Qt::NoPen);
      if (OnGetBrush) {
        const float yb = FPoints.size() > std::size_t(FPointCount) ? FPoints.back().Y : 0;
        for (int k = 0; k + 1 < FPointCount; ++k) {
          const int idx = FPointIndex[std::size_t(k)];
          TRtBrushEventArgs a{idx, TransformX(idx, FXData->GetValue(idx)),
                              TransformY(idx, FYData->GetValue(idx)), FBrush, true};
          OnGetBrush(this, a);
          if (!a.Visible) continue;
          const TRtPointF p0 = FPoints[std::size_t(k)], p1 = FPoints[std::size_t(k + 1)];
          P.setBrush(a.Brush);
          P.drawPolygon(QPolygonF(
              {QPointF(p0.X, p0.Y), QPointF(p1.X, p1.Y), QPointF(p1.X, yb), QPointF(p0.X, yb)}));
        }
      } else {
        P.setBrush(FBrush);
        P.drawPolygon(ToPolygon(FPoints, 0, std::size_t(FAreaPointCount)));
      }
    }
    if (FLineSettings->Visible()) {
      P.setBrush(Qt::NoBrush);
      if (OnGetPen) {
        for (int k = 0; k + 1 < FPointCount; ++k) {
          const int idx = FPointIndex[std::size_t(k)];
          TRtPenEventArgs a{idx, TransformX(idx, FXData->GetValue(idx)),
                            TransformY(idx, FYData->GetValue(idx)), FPen, true};
          OnGetPen(this, a);
          if (!a.Visible) continue;
          P.setPen(a.Pen);
          const TRtPointF p0 = FPoints[std::size_t(k)], p1 = FPoints[std::size_t(k + 1)];
          P.drawLine(QPointF(p0.X, p0.Y), QPointF(p1.X, p1.Y));
        }
      } else {
        P.setPen(FPen);
        const QRegion* cull = FGraph->RepaintRegion();
        RtDrawPolyline(P, FPoints.data(), FPointCount, cull, DamageMargin(),
                       cull && PointsAscending());
      }
    }
  }
  P.restore();
}

void TRtSeries::DrawSymbols(QPainter& P) {
  if (!SeriesVisible() || FRecalculatePoints) return;
  const TRtPointSymbolSettings* s = FPointSymbolSettings;
  if (OnGetPointSymbol) {
    PointSymbolEventArgs a;
    a.Size = s->Size();
    a.Symbol = s->PointSymbol();
    a.Visible = s->Visible();
    a.Pen = FSymbolPen;
    a.Brush = FSymbolBrush;
    for (int k = 0; k < FPointCount; ++k) {
      const int idx = FPointIndex[std::size_t(k)];
      a.Index = idx;
      a.X = TransformX(idx, FXData->GetValue(idx));
      a.Y = TransformY(idx, FYData->GetValue(idx));
      OnGetPointSymbol(this, a);
      if (a.Visible)
        RtDrawPointSymbol(P, a.Symbol, FPoints[std::size_t(k)].X, FPoints[std::size_t(k)].Y, a.Size,
                          a.Pen, a.Brush);
    }
    return;
  }
  if (!s->Visible()) return;
  const QRegion* cull = FGraph ? FGraph->RepaintRegion() : nullptr;
  const qreal m = cull ? DamageMargin() : 0;
  const auto draw = [&](int From, int To) {
    for (int k = From; k < To; ++k) {
      const TRtPointF p = FPoints[std::size_t(k)];
      if (cull && !cull->intersects(QRectF(p.X - m, p.Y - m, 2 * m, 2 * m).toAlignedRect()))
        continue;
      RtDrawPointSymbol(P, s->PointSymbol(), p.X, p.Y, s->Size(), FSymbolPen, FSymbolBrush);
    }
  };
  if (cull && PointsAscending()) {
    for (const auto& [lo, hi] : NearRegion(FPoints.data(), FPointCount, *cull, m + kCullSlack))
      draw(lo, hi);
    return;
  }
  draw(0, FPointCount);
}

void TRtSeries::DrawListItem(QPainter& P, const QRectF& R, int Style) {
  P.save();
  P.setClipRect(R, Qt::IntersectClip);
  const QPointF c = R.center();
  if (FAreaSettings->Visible()) {
    P.setPen(Qt::NoPen);
    P.setBrush(FBrush);
    if (Style == 0)
      P.drawRect(R);
    else if (Style == 1)
      P.drawRect(QRectF(R.left(), c.y(), R.width(), R.height() / 2));
    else if (Style == 2)
      P.drawPolygon(QPolygonF({R.topLeft(), R.bottomLeft(), R.bottomRight()}));
    else
      P.drawPolygon(QPolygonF({R.topLeft(), R.topRight(), R.bottomRight()}));
  }
  if (FLineSettings->Visible() && Style >= 1) {
    P.setPen(FPen);
    if (Style == 1)
      P.drawLine(QPointF(R.left(), c.y()), QPointF(R.right(), c.y()));
    else
      P.drawLine(R.bottomLeft(), R.topRight());
  }
  if (SymbolsVisible())
    RtDrawPointSymbol(P, FPointSymbolSettings->PointSymbol(), float(c.x()), float(c.y()),
                      FPointSymbolSettings->Size(), FSymbolPen, FSymbolBrush);
  P.restore();
}

void TRtSeries::DrawListItem(QPainter& P, const QRectF& R) {
  DrawListItem(P, R, FLineSettings->Visible() || SymbolsVisible() ? 1 : 0);
}

void TRtSeries::DrawMergedItems(QPainter& P, const QRectF& R) {
  TRtSeries* partner = nullptr;
  if (FGraph)
    for (TRtSeries* s : FGraph->RelatedSeries())
      if (s != this && s->MergeLegendItemWith() == this && s->SeriesVisible()) partner = s;
  if (!partner) {
    DrawListItem(P, R);
    return;
  }
  DrawListItem(P, R, 2);
  partner->DrawListItem(P, R, 3);
}

// ---- hit tests

template <typename Inside, typename Distance>
bool TRtSeries::NearestBy(Inside&& In, Distance&& Dist, TRtNearestPointResult& R) const {
  R = TRtNearestPointResult();
  if (FRecalculatePoints || !FGraph) return false;
  const QRectF a = FGraph->DrawingArea();
  for (int k = 0; k < FPointCount; ++k) {
    const TRtPointF p = FPoints[std::size_t(k)];
    if (!In(a, p)) continue;
    const float d = Dist(p);
    if (d < R.Distance) {
      R.Found = true;
      R.Distance = d;
      R.Index = FPointIndex[std::size_t(k)];
      R.ThePoint = p;
    }
  }
  if (R.Found) {
    R.X = TransformX(R.Index, FXData->GetValue(R.Index));
    R.Y = TransformY(R.Index, FYData->GetValue(R.Index));
  }
  return R.Found;
}

namespace {

bool InsideX(const QRectF& a, TRtPointF p) {
  return p.X >= a.left() && p.X <= a.right();
}
bool InsideY(const QRectF& a, TRtPointF p) {
  return p.Y >= a.top() && p.Y <= a.bottom();
}

}  // namespace

bool TRtSeries::NearestPoint(QPointF Pos, TRtNearestPointResult& R) const {
  return NearestBy([](const QRectF& a, TRtPointF p) { return InsideX(a, p) && InsideY(a, p); },
                   [&](TRtPointF p) { return float(std::hypot(p.X - Pos.x(), p.Y - Pos.y())); }, R);
}

bool TRtSeries::NearestX(float X, TRtNearestPointResult& R) const {
  return NearestBy(
      InsideX, [&](TRtPointF p) { return std::abs(p.X - X); }, R);
}

bool TRtSeries::NearestY(float Y, TRtNearestPointResult& R) const {
  return NearestBy(
      InsideY, [&](TRtPointF p) { return std::abs(p.Y - Y); }, R);
}

int TRtSeries::FindPoint(float X, float Y, float Delta) const {
  if (FRecalculatePoints) return -1;
  for (int k = 0; k < FPointCount; ++k) {
    const TRtPointF p = FPoints[std::size_t(k)];
    if (std::abs(p.X - X) <= Delta && std::abs(p.Y - Y) <= Delta)
      return FPointIndex[std::size_t(k)];
  }
  return -1;
}

int TRtSeries::FindPoint(float X, float Y) const {
  return FindPoint(X, Y, SymbolsVisible() ? FPointSymbolSettings->Size() : 1.0f);
}

// ---- classes

TRtLineSeries::TRtLineSeries(QObject* AOwner) : TRtSeries(AOwner) {
  InitDefaultCaption();
}

TRtPointSeries::TRtPointSeries(QObject* AOwner) : TRtLineSeries(AOwner) {
  FDoPointSettingsStorage = true;
  {
    const QSignalBlocker b(FPointSymbolSettings);
    FPointSymbolSettings->SetVisible(true);
  }
  fLastSymbolsVisible = true;
  InitDefaultCaption();
}
