#include "chart/data/RtVectors.h"

#include <cstring>

namespace rt_detail {

void TRtIndexSet::Insert(int i) {
  if (i >= 0 && i < kDenseLimit) {
    const auto w = static_cast<std::size_t>(i) >> 6;
    if (w >= fBits.size()) ResizeAmortised(fBits, w + 1);
    fBits[w] |= std::uint64_t{1} << (i & 63);
  } else {
    fSparse.insert(i);
  }
}

void TRtIndexSet::Erase(int i) {
  if (i >= 0 && i < kDenseLimit) {
    const auto w = static_cast<std::size_t>(i) >> 6;
    if (w < fBits.size()) fBits[w] &= ~(std::uint64_t{1} << (i & 63));
  } else {
    fSparse.erase(i);
  }
}

}  // namespace rt_detail

// ---- plain vectors -----------------------------------------------------------------------------

void TRtPointVector::SetX(int i, float X) {
  if (i < 0) throw ERtRangeError(RtIndexOutOfRangeText(i));
  EnsureCount(static_cast<long long>(i) + 1);
  FArray[i].X = X;
}

void TRtPointVector::SetY(int i, float Y) {
  if (i < 0) throw ERtRangeError(RtIndexOutOfRangeText(i));
  EnsureCount(static_cast<long long>(i) + 1);
  FArray[i].Y = Y;
}

bool TRtPointVectorEnum::MoveNext() {
  if (fIndex < fVector->GetCount() - 1) {
    ++fIndex;
    return true;
  }
  return false;
}

TRtPointF TRtPointVectorEnum::GetCurrent() const {
  return fVector->GetValue(fIndex);
}

// ---- listeners ---------------------------------------------------------------------------------

IRtVectorListener::~IRtVectorListener() {
  std::vector<TRtCustomDoubleVector*> vectors;
  vectors.swap(fListenedVectors);
  for (TRtCustomDoubleVector* v : vectors) v->ForgetListener(this);
}

bool TRtCustomDoubleVectorEnum::MoveNext() {
  if (fIndex < fVector->GetCount() - 1) {
    ++fIndex;
    return true;
  }
  return false;
}

double TRtCustomDoubleVectorEnum::GetCurrent() const {
  return fVector->GetValue(fIndex);
}

namespace {

void EraseOne(std::vector<TRtCustomDoubleVector*>& List, TRtCustomDoubleVector* v) {
  auto it = std::find(List.begin(), List.end(), v);
  if (it != List.end()) List.erase(it);
}

// Keeps the notify depth right when a listener throws.
struct TNotifyScope {
  int& Depth;
  explicit TNotifyScope(int& d) : Depth(d) { ++Depth; }
  ~TNotifyScope() { --Depth; }
};

}  // namespace

// ---- TRtCustomDoubleVector ---------------------------------------------------------------------

TRtCustomDoubleVector::TRtCustomDoubleVector(QObject* AOwner)
    : QObject(AOwner), FArray(static_cast<std::size_t>(RtDefaultIncrement), 0.0) {}

TRtCustomDoubleVector::~TRtCustomDoubleVector() {
  // Each distinct listener hears once; it is forgotten before it hears, so a listener that
  // detaches itself in its handler finds nothing left to do.
  ++fNotifyDepth;
  for (std::size_t k = 0; k < FRelatedSeries.size(); ++k) {
    IRtVectorListener* l = FRelatedSeries[k];
    if (!l) continue;
    for (std::size_t j = k; j < FRelatedSeries.size(); ++j)
      if (FRelatedSeries[j] == l) FRelatedSeries[j] = nullptr;
    auto& listened = l->fListenedVectors;
    listened.erase(std::remove(listened.begin(), listened.end(), this), listened.end());
    l->VectorDestroyed(this);
  }
  FRelatedSeries.clear();
}

int TRtCustomDoubleVector::GetCount() const {
  return FCount;
}

void TRtCustomDoubleVector::AddListener(IRtVectorListener* Listener) {
  if (!Listener) return;
  FRelatedSeries.push_back(Listener);
  Listener->fListenedVectors.push_back(this);
}

void TRtCustomDoubleVector::RemoveListener(IRtVectorListener* Listener) {
  auto it = std::find(FRelatedSeries.begin(), FRelatedSeries.end(), Listener);
  if (!Listener || it == FRelatedSeries.end()) return;
  if (fNotifyDepth > 0) {
    *it = nullptr;
    fListenerHoles = true;
  } else {
    FRelatedSeries.erase(it);
  }
  EraseOne(Listener->fListenedVectors, this);
}

void TRtCustomDoubleVector::ForgetListener(IRtVectorListener* Listener) {
  if (fNotifyDepth > 0) {
    for (auto& l : FRelatedSeries)
      if (l == Listener) {
        l = nullptr;
        fListenerHoles = true;
      }
  } else {
    FRelatedSeries.erase(std::remove(FRelatedSeries.begin(), FRelatedSeries.end(), Listener),
                         FRelatedSeries.end());
  }
}

void TRtCustomDoubleVector::CompactListeners() {
  FRelatedSeries.erase(std::remove(FRelatedSeries.begin(), FRelatedSeries.end(), nullptr),
                       FRelatedSeries.end());
  fListenerHoles = false;
}

std::vector<IRtVectorListener*> TRtCustomDoubleVector::RelatedSeries() const {
  std::vector<IRtVectorListener*> result;
  result.reserve(FRelatedSeries.size());
  for (IRtVectorListener* l : FRelatedSeries)
    if (l) result.push_back(l);
  return result;
}

template <typename F>
void TRtCustomDoubleVector::ForEachListener(F&& Notice) {
  if (FRelatedSeries.empty()) return;
  {
    TNotifyScope scope(fNotifyDepth);
    // Listeners that attach during the round are not told about this change.
    const std::size_t n = FRelatedSeries.size();
    for (std::size_t k = 0; k < n; ++k)
      if (IRtVectorListener* l = FRelatedSeries[k]) Notice(l);
  }
  if (fNotifyDepth == 0 && fListenerHoles) CompactListeners();
}

void TRtCustomDoubleVector::NotifyValuesChanged(bool Appended) {
  ForEachListener([Appended](IRtVectorListener* l) {
    switch (l->VectorListenerKind()) {
      case TRtListenerKind::FunctionSeries:
        l->SetLastCount(0);
        break;
      case TRtListenerKind::Series:
        if (Appended)
          l->ValueAppended();
        else
          l->PointsModified();
        break;
      case TRtListenerKind::NonSeries:
        l->Modified();
        break;
    }
  });
}

void TRtCustomDoubleVector::NotifyRecount() {
  ForEachListener([](IRtVectorListener* l) {
    if (l->VectorListenerKind() == TRtListenerKind::NonSeries)
      l->Modified();
    else
      l->SetLastCount(0);
  });
}

void TRtCustomDoubleVector::ResetStatistics() const {
  FLastCount = 0;
  FMinimum = FMinimumIncludingOutliers = RtEmptyRangeStart;
  FMaximum = FMaximumIncludingOutliers = RtEmptyRangeStop;
  FMinimumIdx = FMaximumIdx = FMinimumIncludingOutliersIdx = FMaximumIncludingOutliersIdx = -1;
  FSum = FSumIncludingOutliers = 0;
  fLastCountedIdx = -1;
}

void TRtCustomDoubleVector::InvalidateStatistics() {
  ResetStatistics();
  NotifyRecount();
}

void TRtCustomDoubleVector::UpdateStatistics() const {
  const int n = FCount;
  const double* a = FArray.data();
  int i = std::max(FLastCount, 0);
  if (!FAnyOutliers) {
    double mn = FMinimum, mx = FMaximum, sum = FSum;
    int mnIdx = FMinimumIdx, mxIdx = FMaximumIdx;
    bool ascending = FOnlyAscending;
    const int first = i;
    for (; i < n; ++i) {
      const double v = a[i];
      if (!(v >= mn)) {
        mn = v;
        mnIdx = i;
      }
      if (v > mx) {
        mx = v;
        mxIdx = i;
      }
      if (i > 0) ascending = ascending && v > a[i - 1];
      sum += v;
    }
    FMinimum = FMinimumIncludingOutliers = mn;
    FMaximum = FMaximumIncludingOutliers = mx;
    FMinimumIdx = FMinimumIncludingOutliersIdx = mnIdx;
    FMaximumIdx = FMaximumIncludingOutliersIdx = mxIdx;
    FSum = FSumIncludingOutliers = sum;
    FOnlyAscending = ascending;
    if (n > first) fLastCountedIdx = n - 1;
  } else {
    for (; i < n; ++i) {
      const double v = a[i];
      if (!(v >= FMinimumIncludingOutliers)) {
        FMinimumIncludingOutliers = v;
        FMinimumIncludingOutliersIdx = i;
      }
      if (v > FMaximumIncludingOutliers) {
        FMaximumIncludingOutliers = v;
        FMaximumIncludingOutliersIdx = i;
      }
      FSumIncludingOutliers += v;
      if (fOutlierSet.Contains(i)) continue;
      if (!(v >= FMinimum)) {
        FMinimum = v;
        FMinimumIdx = i;
      }
      if (v > FMaximum) {
        FMaximum = v;
        FMaximumIdx = i;
      }
      if (fLastCountedIdx >= 0) FOnlyAscending = FOnlyAscending && v > a[fLastCountedIdx];
      fLastCountedIdx = i;
      FSum += v;
    }
  }
  FLastCount = GetCount();
}

double TRtCustomDoubleVector::Minimum() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FMinimum;
}

double TRtCustomDoubleVector::Maximum() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FMaximum;
}

double TRtCustomDoubleVector::MinimumIncludingOutliers() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FMinimumIncludingOutliers;
}

double TRtCustomDoubleVector::MaximumIncludingOutliers() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FMaximumIncludingOutliers;
}

int TRtCustomDoubleVector::MinimumIdx() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FMinimumIdx;
}

int TRtCustomDoubleVector::MaximumIdx() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FMaximumIdx;
}

int TRtCustomDoubleVector::MinimumIdxIncludingOutliers() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FMinimumIncludingOutliersIdx;
}

int TRtCustomDoubleVector::MaximumIdxIncludingOutliers() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FMaximumIncludingOutliersIdx;
}

bool TRtCustomDoubleVector::OnlyAscending() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FOnlyAscending;
}

double TRtCustomDoubleVector::Sum() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FSum;
}

double TRtCustomDoubleVector::SumIncludingOutliers() const {
  if (FLastCount < FCount) UpdateStatistics();
  return FSumIncludingOutliers;
}

bool TRtCustomDoubleVector::IsChanged() const {
  return FLastCount < FCount;
}

double TRtCustomDoubleVector::GetValue(int i) const {
  if (i < 0 || i >= FCount) throw ERtRangeError(RtIndexOutOfRangeText(i));
  return FArray[i];
}

void TRtCustomDoubleVector::EnsureCount(long long n) {
  if (n >= FCapacity) {
    const int cap = rt_detail::GrownCapacity(FCapacity, FIncrement, n);
    rt_detail::ResizeAmortised(FArray, static_cast<std::size_t>(cap));
    FCapacity = cap;
  }
  if (n >= FCount) FCount = static_cast<int>(n);
}

void TRtCustomDoubleVector::SetCapacity(int Value) {
  if (Value <= FCount || Value == FCapacity) return;
  FArray.resize(static_cast<std::size_t>(Value));
  if (FArray.capacity() > 2 * FArray.size() + 1024) FArray.shrink_to_fit();
  FCapacity = Value;
}

void TRtCustomDoubleVector::SetIncrement(int Value) {
  if (Value >= RtDefaultIncrement) FIncrement = Value;
}

// Previous element below i that is not an outlier, -1 when none.
int TRtCustomDoubleVector::PreviousNonOutlier(int i) const {
  for (int k = i - 1; k >= 0; --k)
    if (!IsOutlier(k)) return k;
  return -1;
}

// Clears the only-ascending flag when the counted element i is out of order with its counted
// neighbours (the elements compared while counting).
void TRtCustomDoubleVector::FollowAscending(int i) const {
  if (!FOnlyAscending || IsOutlier(i)) return;
  const double* a = FArray.data();
  int prev = i - 1, next = i + 1;
  if (FAnyOutliers) {
    prev = PreviousNonOutlier(i);
    while (next < FLastCount && IsOutlier(next)) ++next;
  }
  if ((prev >= 0 && !(a[i] > a[prev])) || (next < FLastCount && !(a[next] > a[i])))
    FOnlyAscending = false;
}

void TRtCustomDoubleVector::SetValue(int i, double x) {
  if (i < 0) throw ERtRangeError(RtIndexOutOfRangeText(i));
  const bool appended = i >= GetCount();
  EnsureCount(static_cast<long long>(i) + 1);
  const double old = FArray[i];
  if (i <= FLastCount && old == x) return;
  fBlockBounds.InvalidateFrom(i);
  bool recount = false;
  if (i < FLastCount) {
    const bool outlier = IsOutlier(i);
    if (i == FMinimumIdx || i == FMaximumIdx || i == FMinimumIncludingOutliersIdx ||
        i == FMaximumIncludingOutliersIdx || x < FMinimumIncludingOutliers ||
        x > FMaximumIncludingOutliers || (!outlier && (x < FMinimum || x > FMaximum))) {
      recount = true;
    } else {
      FSumIncludingOutliers = (FSumIncludingOutliers - old) + x;
      if (!FAnyOutliers)
        FSum = FSumIncludingOutliers;
      else if (!outlier)
        FSum = (FSum - old) + x;
    }
  }
  FArray[i] = x;
  if (recount) {
    InvalidateStatistics();
  } else {
    if (i < FLastCount) FollowAscending(i);
    NotifyValuesChanged(appended);
  }
}

int TRtCustomDoubleVector::Add(double x) {
  SetValue(GetCount(), x);
  return GetCount();
}

const TRtBlockBounds* TRtCustomDoubleVector::BlockBounds(int& Blocks) const {
  const double* raw = RawData();
  Blocks = 0;
  if (!raw) return nullptr;
  Blocks = fBlockBounds.Extend(raw, GetCount());
  return &fBlockBounds;
}

void TRtCustomDoubleVector::RebuildOutlierSet() {
  fOutlierSet.Clear();
  for (int k = 0; k < FOutliers.Count(); ++k) fOutlierSet.Insert(FOutliers.GetValue(k));
  FAnyOutliers = FOutliers.Count() > 0;
}

int TRtCustomDoubleVector::Insert(int Idx, double x) {
  CheckWritable();
  const int n = GetCount();
  if (Idx == n) return Add(x);
  if (Idx < 0 || Idx > n) throw ERtRangeError(RtIndexOutOfRangeText(Idx));

  if (FAnyOutliers) {
    for (int k = 0; k < FOutliers.Count(); ++k) {
      const int mark = FOutliers.GetValue(k);
      if (mark >= Idx) FOutliers.SetValue(k, mark + 1);
    }
    RebuildOutlierSet();
  }
  EnsureCount(static_cast<long long>(n) + 1);
  fBlockBounds.InvalidateFrom(Idx);
  double* a = FArray.data();
  std::memmove(a + Idx + 1, a + Idx, static_cast<std::size_t>(n - Idx) * sizeof(double));
  for (int* e :
       {&FMinimumIdx, &FMaximumIdx, &FMinimumIncludingOutliersIdx, &FMaximumIncludingOutliersIdx})
    if (*e >= Idx) ++*e;
  FArray[Idx] = x;

  bool recount = false;
  const bool counted = Idx < FLastCount;
  if (counted) {
    // The new element is counted and never an outlier; an equal value counts as a new extreme
    // too, since an earlier index would win the tie in a recount.
    ++FLastCount;
    if (!(x > FMinimumIncludingOutliers) || !(x < FMaximumIncludingOutliers) || !(x > FMinimum) ||
        !(x < FMaximum)) {
      recount = true;
    } else {
      FSumIncludingOutliers += x;
      FSum = FAnyOutliers ? FSum + x : FSumIncludingOutliers;
      if (fLastCountedIdx >= Idx)
        ++fLastCountedIdx;
      else
        fLastCountedIdx = Idx;
    }
  }
  if (recount)
    InvalidateStatistics();
  else if (counted)
    FollowAscending(Idx);
  NotifyValuesChanged();
  ForEachListener([this, Idx](IRtVectorListener* l) {
    if (l->VectorListenerKind() == TRtListenerKind::NonSeries)
      l->Modified();
    else if (l->IsYDataOf(this))
      l->ValueInsertedLinkedMarkers(Idx);
  });
  return GetCount();
}

void TRtCustomDoubleVector::Delete(int Idx, bool WithLinkedMarkers) {
  CheckWritable();
  if (Idx < 0 || Idx >= FCount) return;
  const double v = FArray[Idx];
  const bool outlier = IsOutlier(Idx);
  if (Idx < FLastCount) {
    FSumIncludingOutliers -= v;
    if (!FAnyOutliers)
      FSum = FSumIncludingOutliers;
    else if (!outlier)
      FSum -= v;
    --FLastCount;
    if (!outlier && Idx == fLastCountedIdx)
      fLastCountedIdx = PreviousNonOutlier(Idx);
    else if (fLastCountedIdx > Idx)
      --fLastCountedIdx;
  }
  if (FAnyOutliers) {
    for (int k = FOutliers.Count() - 1; k >= 0; --k) {
      const int mark = FOutliers.GetValue(k);
      if (mark == Idx)
        FOutliers.Delete(k);
      else if (mark > Idx)
        FOutliers.SetValue(k, mark - 1);
    }
    RebuildOutlierSet();
  }
  fBlockBounds.InvalidateFrom(Idx);
  double* a = FArray.data();
  std::memmove(a + Idx, a + Idx + 1, static_cast<std::size_t>(FCount - Idx - 1) * sizeof(double));
  if (WithLinkedMarkers) {
    ForEachListener([this, Idx](IRtVectorListener* l) {
      if (l->VectorListenerKind() != TRtListenerKind::NonSeries && l->IsYDataOf(this))
        l->DeleteLinkedMarkers(Idx);
    });
  }
  --FCount;
  if (Idx == FMinimumIdx || Idx == FMaximumIdx || Idx == FMinimumIncludingOutliersIdx ||
      Idx == FMaximumIncludingOutliersIdx) {
    InvalidateStatistics();
  } else {
    for (int* e :
         {&FMinimumIdx, &FMaximumIdx, &FMinimumIncludingOutliersIdx, &FMaximumIncludingOutliersIdx})
      if (*e > Idx) --*e;
    NotifyRecount();
  }
}

void TRtCustomDoubleVector::Clear(bool WithLinkedMarkers) {
  FCount = 0;
  fBlockBounds.InvalidateFrom(0);
  FOutliers.Clear();
  fOutlierSet.Clear();
  FAnyOutliers = false;
  ResetStatistics();
  ForEachListener([this, WithLinkedMarkers](IRtVectorListener* l) {
    if (l->VectorListenerKind() == TRtListenerKind::NonSeries) {
      l->Modified();
    } else {
      if (WithLinkedMarkers && l->IsYDataOf(this)) l->ClearLinkedMarkers();
      l->RangesModified();
    }
  });
}

void TRtCustomDoubleVector::AddOutlier(int Idx) {
  if (IsOutlier(Idx)) return;
  FOutliers.Add(Idx);
  fOutlierSet.Insert(Idx);
  FAnyOutliers = true;
  // An element the statistics have not counted yet leaves them valid.
  if (Idx >= FLastCount && Idx < FCount)
    NotifyRecount();
  else
    InvalidateStatistics();
}

void TRtCustomDoubleVector::RemoveOutlier(int Idx) {
  if (!IsOutlier(Idx)) return;
  for (int k = FOutliers.Count() - 1; k >= 0; --k)
    if (FOutliers.GetValue(k) == Idx) FOutliers.Delete(k);
  fOutlierSet.Erase(Idx);
  FAnyOutliers = FOutliers.Count() > 0;
  if (Idx >= FLastCount && Idx < FCount)
    NotifyRecount();
  else
    InvalidateStatistics();
}

void TRtCustomDoubleVector::SetOutlier(int Idx, bool Value) {
  if (Value)
    AddOutlier(Idx);
  else
    RemoveOutlier(Idx);
}

void TRtCustomDoubleVector::ClearOutlieres() {
  if (FOutliers.Count() == 0) return;
  FOutliers.Clear();
  fOutlierSet.Clear();
  FAnyOutliers = false;
  InvalidateStatistics();
}

// ---- TRtDoubleVector ---------------------------------------------------------------------------

TRtDoubleVector::TRtDoubleVector(QObject* AOwner) : TRtCustomDoubleVector(AOwner) {}

template <typename T>
void TRtDoubleVector::AppendRange(std::span<const T> Values) {
  if (!Values.empty()) {
    const int start = FCount;
    fBlockBounds.InvalidateFrom(start);
    EnsureCount(static_cast<long long>(start) + static_cast<long long>(Values.size()));
    double* a = FArray.data() + start;
    for (std::size_t k = 0; k < Values.size(); ++k) a[k] = static_cast<double>(Values[k]);
  }
  InvalidateStatistics();
}

void TRtDoubleVector::AddRange(std::initializer_list<long double> Values) {
  AppendRange(std::span<const long double>(Values.begin(), Values.size()));
}
void TRtDoubleVector::AddRange(std::span<const long double> Values) {
  AppendRange(Values);
}
void TRtDoubleVector::AddRange(std::span<const double> Values) {
  AppendRange(Values);
}
void TRtDoubleVector::AddRange(std::span<const float> Values) {
  AppendRange(Values);
}
void TRtDoubleVector::AddRange(std::span<const std::int32_t> Values) {
  AppendRange(Values);
}

void TRtDoubleVector::SetInternalArray(std::vector<double> Values) {
  if (Values.size() > static_cast<std::size_t>(INT_MAX))
    throw ERtRangeError(RtIndexOutOfRangeText(INT_MAX));
  FArray = std::move(Values);
  fBlockBounds.InvalidateFrom(0);
  FCount = FCapacity = static_cast<int>(FArray.size());
  InvalidateStatistics();
}

void TRtDoubleVector::AssignInternalArray(std::vector<double> Storage, int Count) {
  if (Storage.size() > static_cast<std::size_t>(INT_MAX))
    throw ERtRangeError(RtIndexOutOfRangeText(INT_MAX));
  FArray = std::move(Storage);
  fBlockBounds.InvalidateFrom(0);
  FCapacity = static_cast<int>(FArray.size());
  FCount = std::clamp(Count, 0, FCapacity);
  InvalidateStatistics();
}

std::vector<double> TRtDoubleVector::StoredValues() const {
  if (!ValuesStored()) return {};
  return std::vector<double>(FArray.begin(), FArray.begin() + FCount);
}

void TRtDoubleVector::ReadStoredValues(std::span<const double> Values) {
  for (double x : Values) SetValue(GetCount(), x);
}

// ---- TRtIndexer --------------------------------------------------------------------------------

TRtIndexer::TRtIndexer(QObject* AOwner) : TRtCustomDoubleVector(AOwner) {}

int TRtIndexer::GetCount() const {
  return FRefVector ? FRefVector->GetCount() : 0;
}

double TRtIndexer::Minimum() const {
  FLastCount = GetCount();
  return 0;
}

double TRtIndexer::Maximum() const {
  const int n = GetCount();
  FLastCount = n;
  return n > 0 ? n - 1 : 0;
}

double TRtIndexer::MinimumIncludingOutliers() const {
  return Minimum();
}
double TRtIndexer::MaximumIncludingOutliers() const {
  return Maximum();
}
int TRtIndexer::MinimumIdx() const {
  return GetCount() > 0 ? 0 : -1;
}
int TRtIndexer::MaximumIdx() const {
  return GetCount() - 1;
}
int TRtIndexer::MinimumIdxIncludingOutliers() const {
  return MinimumIdx();
}
int TRtIndexer::MaximumIdxIncludingOutliers() const {
  return MaximumIdx();
}
bool TRtIndexer::OnlyAscending() const {
  return true;
}

double TRtIndexer::Sum() const {
  const double n = GetCount();
  return (n - 1) / 2 * n;
}

double TRtIndexer::SumIncludingOutliers() const {
  return Sum();
}

double TRtIndexer::GetValue(int i) const {
  return FRefVector ? i : 0;
}

void TRtIndexer::SetValue(int, double) {
  throw ERtError(RtIndexerSetValuesText);
}

bool TRtIndexer::IsChanged() const {
  return FRefVector ? FRefVector->IsChanged() : false;
}

void TRtIndexer::CheckWritable() const {
  throw ERtError(RtIndexerSetValuesText);
}
