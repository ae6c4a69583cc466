// Data vectors of the chart: the growable double vector with outlier marks, lazily updated
// statistics and listeners (TRtDoubleVector), the index pseudo-vector (TRtIndexer), and small
// plain vectors of other element types used by series and axes.
//
// All of it is used from the user-interface thread only; nothing is locked. Notices to
// listeners run synchronously inside the write that caused them.
#pragma once

#include <QObject>
#include <QPointer>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <unordered_set>
#include <vector>

#include "chart/data/RtBlockBounds.h"
#include "chart/data/RtExceptions.h"
#include "chart/io/RtComponentStream.h"
#include "chart/io/RtPersistent.h"

// The empty range: start above stop, both the largest finite double.
inline constexpr double RtEmptyRangeStart = 1.7976931348623157e308;
inline constexpr double RtEmptyRangeStop = -1.7976931348623157e308;

// Smallest growth step of the double vectors, and the default step of the plain vectors.
inline constexpr int RtDefaultIncrement = 128;

inline constexpr const char* RtIndexerSetValuesText = "TRtIndexer is not supposed to set values!";

namespace rt_detail {

// Sets the length of v to n. The allocation grows at least geometrically, so many small growth
// steps (one increment at a time) cost amortised O(1) per element; new elements read as zero.
template <typename V>
void ResizeAmortised(V& v, std::size_t n) {
  if (n > v.capacity()) v.reserve(std::max(n, v.capacity() * 2));
  v.resize(n);
}

// Capacity after growing in whole increments until it reaches n; at least one increment is added
// once n reaches the capacity.
inline int GrownCapacity(int Capacity, int Increment, long long n) {
  long long cap = Capacity;
  do {
    cap += Increment;
  } while (cap < n);
  if (cap > INT_MAX) throw ERtRangeError(RtIndexOutOfRangeText(n - 1));
  return static_cast<int>(cap);
}

// Set of element indices with O(1) membership: a bit map for ordinary indices, a hash set for
// negative or huge ones.
class TRtIndexSet {
 public:
  bool Contains(int i) const {
    if (i >= 0 && i < kDenseLimit) {
      const auto w = static_cast<std::size_t>(i) >> 6;
      return w < fBits.size() && ((fBits[w] >> (i & 63)) & 1u) != 0;
    }
    return fSparse.count(i) != 0;
  }
  void Insert(int i);
  void Erase(int i);
  void Clear() {
    fBits.clear();
    fSparse.clear();
  }

 private:
  static constexpr int kDenseLimit = 1 << 24;
  std::vector<std::uint64_t> fBits;
  std::unordered_set<int> fSparse;
};

// Common part of the plain vectors: count, capacity in whole increments, storage.
template <typename T, typename Stored = T>
class TRtPlainVector {
 public:
  int GetCount() const { return FCount; }
  int Count() const { return FCount; }
  int Capacity() const { return FCapacity; }
  int Increment() const { return FIncrement; }

  // Appends v; returns the new count.
  int Add(T v) {
    EnsureCount(static_cast<long long>(FCount) + 1);
    FArray[FCount - 1] = static_cast<Stored>(v);
    return FCount;
  }
  // Raises ERtRangeError ("i=<i> index out of range") outside 0 .. Count-1.
  T GetValue(int i) const {
    CheckIndex(i);
    return static_cast<T>(FArray[i]);
  }
  // Grows the count to at least i + 1 first.
  void SetValue(int i, T v) {
    if (i < 0) throw ERtRangeError(RtIndexOutOfRangeText(i));
    EnsureCount(static_cast<long long>(i) + 1);
    FArray[i] = static_cast<Stored>(v);
  }
  // Count 0; the storage is kept.
  void Clear() { FCount = 0; }
  // Storage of Capacity() elements.
  const Stored* Data() const { return FArray.data(); }

 protected:
  explicit TRtPlainVector(int NewCount)
      : FCapacity(NewCount > 0 ? NewCount : RtDefaultIncrement),
        FIncrement(FCapacity),
        FArray(static_cast<std::size_t>(FCapacity)) {}

  void CheckIndex(int i) const {
    if (i < 0 || i >= FCount) throw ERtRangeError(RtIndexOutOfRangeText(i));
  }
  void EnsureCount(long long n) {
    if (n >= FCapacity) ResizeStorage(GrownCapacity(FCapacity, FIncrement, n));
    if (n > FCount) FCount = static_cast<int>(n);
  }
  void ResizeStorage(int n) {
    ResizeAmortised(FArray, static_cast<std::size_t>(n));
    FCapacity = n;
  }
  // Capacity and count become exactly n.
  void SetExactCount(int n) {
    n = std::max(n, 0);
    FArray.resize(static_cast<std::size_t>(n));
    if (FArray.capacity() > 2 * FArray.size() + 64) FArray.shrink_to_fit();
    FCapacity = n;
    FCount = n;
  }
  void DeleteAt(int i) {
    if (i < 0 || i >= FCount) return;
    std::copy(FArray.begin() + i + 1, FArray.begin() + FCount, FArray.begin() + i);
    --FCount;
  }

  int FCount = 0;
  int FCapacity;
  int FIncrement;
  std::vector<Stored> FArray;
};

}  // namespace rt_detail

// Booleans (one byte each).
class TRtBooleanVector : public rt_detail::TRtPlainVector<bool, std::uint8_t> {
 public:
  explicit TRtBooleanVector(int NewCount = RtDefaultIncrement) : TRtPlainVector(NewCount) {}
  // Capacity and count become exactly n (may shrink).
  void SetCount(int n) { SetExactCount(n); }
  // Moves the later elements down by one; nothing for i >= Count.
  void Delete(int i) { DeleteAt(i); }
};

// 32-bit signed integers.
class TRtIntegerVector : public rt_detail::TRtPlainVector<std::int32_t> {
 public:
  explicit TRtIntegerVector(int NewCount = RtDefaultIncrement) : TRtPlainVector(NewCount) {}
  void SetCount(int n) { SetExactCount(n); }
  // Grows only: takes effect when n >= Capacity.
  void SetCapacity(int n) {
    if (n >= FCapacity) ResizeStorage(n);
  }
  void Delete(int i) { DeleteAt(i); }
};

// 32-bit floats.
class TRtSingleVector : public rt_detail::TRtPlainVector<float> {
 public:
  explicit TRtSingleVector(int NewCount = RtDefaultIncrement) : TRtPlainVector(NewCount) {}
  void SetCount(int n) { SetExactCount(n); }
  // Grows only: takes effect when n > Capacity.
  void SetCapacity(int n) {
    if (n > FCapacity) ResizeStorage(n);
  }
  void Delete(int i) { DeleteAt(i); }
};

// A pixel point.
struct TRtPointF {
  float X = 0;
  float Y = 0;
  friend bool operator==(const TRtPointF&, const TRtPointF&) = default;
};

class TRtPointVector;

// Starts before the first point; MoveNext advances while the index is below Count - 1.
class TRtPointVectorEnum {
 public:
  explicit TRtPointVectorEnum(const TRtPointVector* Vector) : fVector(Vector) {}
  bool MoveNext();
  TRtPointF GetCurrent() const;

 private:
  const TRtPointVector* fVector;
  int fIndex = -1;
};

// Pixel points.
class TRtPointVector : public rt_detail::TRtPlainVector<TRtPointF> {
 public:
  explicit TRtPointVector(int NewCount = RtDefaultIncrement) : TRtPlainVector(NewCount) {}
  int Add(float X, float Y) { return TRtPlainVector::Add(TRtPointF{X, Y}); }
  using TRtPlainVector::Add;
  // Grows the capacity in increments and raises the count to n; never lowers it.
  void SetCount(int n) { EnsureCount(n); }
  float GetX(int i) const { return GetValue(i).X; }
  float GetY(int i) const { return GetValue(i).Y; }
  void SetX(int i, float X);
  void SetY(int i, float Y);
  TRtPointVectorEnum GetEnumerator() const { return TRtPointVectorEnum(this); }
};

class TRtCustomDoubleVector;

// What kind of listener a vector is talking to; it decides which notice each change gives.
enum class TRtListenerKind { NonSeries, Series, FunctionSeries };

// A listener bound to one or more vectors (a series, or a graph). It attaches itself with
// TRtCustomDoubleVector::AddListener and detaches with RemoveListener. A listener that is
// destroyed is forgotten by every vector that still holds it; a vector that is destroyed forgets
// its listeners and tells each one through VectorDestroyed.
class IRtVectorListener {
 public:
  IRtVectorListener(const IRtVectorListener&) = delete;
  IRtVectorListener& operator=(const IRtVectorListener&) = delete;
  virtual ~IRtVectorListener();

  virtual TRtListenerKind VectorListenerKind() const = 0;
  // True when Vector is this series' Y data (linked markers follow only the Y data).
  virtual bool IsYDataOf(const TRtCustomDoubleVector* Vector) const {
    (void)Vector;
    return false;
  }

  // Notices to series.
  virtual void SetLastCount(int Value) { (void)Value; }
  virtual void PointsModified() {}
  // An element was appended (a "values changed" notice); the points of the pairs before it
  // are still valid. By default the same as PointsModified.
  virtual void ValueAppended() { PointsModified(); }
  virtual void RangesModified() {}
  virtual void ClearLinkedMarkers() {}
  virtual void DeleteLinkedMarkers(int Idx) { (void)Idx; }
  virtual void ValueInsertedLinkedMarkers(int Idx) { (void)Idx; }
  // Notice to a listener that is not a series: every kind of change.
  virtual void Modified() {}
  // Vector is being destroyed and has already forgotten this listener.
  virtual void VectorDestroyed(TRtCustomDoubleVector* Vector) { (void)Vector; }

  // Vectors this listener is attached to, once per attachment.
  const std::vector<TRtCustomDoubleVector*>& ListenedVectors() const { return fListenedVectors; }

 protected:
  IRtVectorListener() = default;

 private:
  friend class TRtCustomDoubleVector;
  std::vector<TRtCustomDoubleVector*> fListenedVectors;
};

// Starts before the first element; MoveNext advances while the index is below Count - 1.
class TRtCustomDoubleVectorEnum {
 public:
  explicit TRtCustomDoubleVectorEnum(const TRtCustomDoubleVector* Vector) : fVector(Vector) {}
  bool MoveNext();
  double GetCurrent() const;

 private:
  const TRtCustomDoubleVector* fVector;
  int fIndex = -1;
};

// Growable vector of doubles with outlier marks, statistics and listeners. Everything that reads
// an element, the count or a statistic is virtual so that TRtIndexer can stand in for a vector.
//
// Statistics (minimum, maximum, their indices, sums, each without and with the outliers, and the
// only-ascending flag) cover elements 0 .. LastCount()-1 and are brought up to date on the next
// query: an append costs O(1), a query after k appends O(k). Marking an element that the
// statistics have not counted yet keeps them; touching an extreme element, changing marks of
// counted elements, bulk loads and deleting an extreme recount everything.
class TRtCustomDoubleVector : public QObject {
  Q_OBJECT

 public:
  explicit TRtCustomDoubleVector(QObject* AOwner = nullptr);
  ~TRtCustomDoubleVector() override;

  virtual int GetCount() const;
  int Count() const { return GetCount(); }
  virtual void UpdateStatistics() const;

  virtual double Minimum() const;
  virtual double Maximum() const;
  virtual double MinimumIncludingOutliers() const;
  virtual double MaximumIncludingOutliers() const;
  virtual int MinimumIdx() const;
  virtual int MaximumIdx() const;
  virtual int MinimumIdxIncludingOutliers() const;
  virtual int MaximumIdxIncludingOutliers() const;
  virtual bool OnlyAscending() const;
  virtual double Sum() const;
  virtual double SumIncludingOutliers() const;

  // Raises ERtRangeError ("i=<i> index out of range") outside 0 .. Count-1.
  virtual double GetValue(int i) const;
  // Stores x at i, extending the vector to i + 1 elements when needed. A write of the value
  // already stored at or below the watermark does nothing and tells nobody.
  virtual void SetValue(int i, double x);
  // True while elements exist that the statistics have not counted.
  virtual bool IsChanged() const;
  // Storage for direct reading (Count() valid elements), or null when the vector has none.
  virtual const double* RawData() const { return FArray.data(); }
  // Bounds of the whole 64-element blocks of RawData(), brought up to date; Blocks is how many
  // there are. Null for a vector without raw storage.
  const TRtBlockBounds* BlockBounds(int& Blocks) const;

  int Capacity() const { return FCapacity; }
  // Takes effect only when Value > Count and Value != Capacity; the storage becomes exactly Value.
  void SetCapacity(int Value);
  int Increment() const { return FIncrement; }
  // Values below 128 are ignored.
  void SetIncrement(int Value);
  // Statistics watermark.
  int LastCount() const { return FLastCount; }

  // Appends x; returns the new count.
  int Add(double x);
  // Idx in 0 .. Count (Count appends); returns the new count. Other Idx raise ERtRangeError.
  int Insert(int Idx, double x);
  // Does nothing for Idx outside 0 .. Count-1.
  void Delete(int Idx, bool WithLinkedMarkers);
  // Count 0, marks dropped, statistics reset; the storage keeps its contents.
  void Clear(bool WithLinkedMarkers);

  bool IsOutlier(int Idx) const { return FAnyOutliers && fOutlierSet.Contains(Idx); }
  void AddOutlier(int Idx);
  void RemoveOutlier(int Idx);
  void SetOutlier(int Idx, bool Value);
  void ClearOutlieres();
  bool AnyOutliers() const { return FAnyOutliers; }
  // Outlier marks in the order they were added, without duplicates.
  const TRtIntegerVector& Outliers() const { return FOutliers; }

  // Appends Listener to the listener list (a listener bound twice is listed twice).
  void AddListener(IRtVectorListener* Listener);
  // Removes the first occurrence of Listener.
  void RemoveListener(IRtVectorListener* Listener);
  // Listeners in the order they attached.
  std::vector<IRtVectorListener*> RelatedSeries() const;

  TRtCustomDoubleVectorEnum GetEnumerator() const { return TRtCustomDoubleVectorEnum(this); }

 protected:
  // Grows the storage in whole increments when n reaches the capacity, then raises the count to n.
  void EnsureCount(long long n);
  void ResetStatistics() const;
  // Reset, then tell the listeners to recount.
  void InvalidateStatistics();
  void NotifyValuesChanged(bool Appended = false);
  void NotifyRecount();
  // Raises for vectors whose elements cannot be written.
  virtual void CheckWritable() const {}

  int FCount = 0;
  int FCapacity = RtDefaultIncrement;
  int FIncrement = RtDefaultIncrement;
  mutable int FLastCount = 0;
  mutable int FMinimumIdx = -1;
  mutable int FMaximumIdx = -1;
  mutable int FMinimumIncludingOutliersIdx = -1;
  mutable int FMaximumIncludingOutliersIdx = -1;
  std::vector<double> FArray;
  mutable double FMinimum = RtEmptyRangeStart;
  mutable double FMaximum = RtEmptyRangeStop;
  mutable double FMinimumIncludingOutliers = RtEmptyRangeStart;
  mutable double FMaximumIncludingOutliers = RtEmptyRangeStop;
  mutable double FSum = 0;
  mutable double FSumIncludingOutliers = 0;
  mutable bool FOnlyAscending = true;
  bool FAnyOutliers = false;
  TRtIntegerVector FOutliers;
  // Every write below the count drops the blocks from its index on.
  mutable TRtBlockBounds fBlockBounds;

 private:
  friend class IRtVectorListener;
  template <typename F>
  void ForEachListener(F&& Notice);
  void ForgetListener(IRtVectorListener* Listener);
  void CompactListeners();
  void RebuildOutlierSet();
  int PreviousNonOutlier(int i) const;
  void FollowAscending(int i) const;

  std::vector<IRtVectorListener*> FRelatedSeries;
  rt_detail::TRtIndexSet fOutlierSet;
  // Last counted element that is not an outlier, -1 when none.
  mutable int fLastCountedIdx = -1;
  int fNotifyDepth = 0;
  bool fListenerHoles = false;
};

// The vector the application keeps per recorded quantity.
//
// Streaming (binary, XML, INI, file): reading clears the vector first (with linked markers),
// applies Increment and Capacity through their setters, takes the values as the new contents
// with the capacity they were written with, then marks the outliers. Input that cannot be read
// raises ERtError with what was read so far applied.
class TRtDoubleVector : public TRtCustomDoubleVector,
                        public IRtPersistent,
                        public IRtStreamedProperties {
  Q_OBJECT
  Q_PROPERTY(bool PersistentValues READ PersistentValues WRITE SetPersistentValues)
  Q_PROPERTY(int Capacity READ Capacity WRITE SetCapacity)
  Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)

 public:
  explicit TRtDoubleVector(QObject* AOwner = nullptr);

  bool PersistentValues() const { return FPersistentValues; }
  void SetPersistentValues(bool Value) { FPersistentValues = Value; }
  // Values come from a database field; no database binding is provided, so always false.
  bool DBData() const { return FDBData; }

  // Append all values in order with one growth step, then recount once.
  void AddRange(std::initializer_list<long double> Values);
  void AddRange(std::span<const long double> Values);
  void AddRange(std::span<const double> Values);
  void AddRange(std::span<const float> Values);
  void AddRange(std::span<const std::int32_t> Values);

  // The storage (Capacity() elements).
  const std::vector<double>& InternalArray() const { return FArray; }
  // Values become the storage; count and capacity become its length; statistics recounted.
  void SetInternalArray(std::vector<double> Values);
  // Storage becomes the storage (capacity its length) with its first Count elements in use
  // (Count is limited to the length); statistics recounted.
  void AssignInternalArray(std::vector<double> Storage, int Count);

  void WriteTo(TRtStreamWriter& Writer) const override;
  void ReadFrom(TRtStreamReader& Reader) override;
  // A child element "TRtDoubleVector" of Parent; ReadFrom gets that element.
  void WriteTo(QDomNode Parent) const override;
  void ReadFrom(const QDomElement& Element) override;
  void WriteTo(TIniFile& Ini, const QString& Section) const override;
  void ReadFrom(const TIniFile& Ini, const QString& Section) override;
  // The binary form in a file; raise ERtFileError when it cannot be created or opened.
  void WriteTo(const QString& FileName) const;
  void ReadFrom(const QString& FileName);

  // The streamed form property "Values" (a QList<double>); setting it replaces the contents.
  QStringList StreamedPropertyNames() const override;
  bool StreamedPropertyStored(const QString& Name) const override;
  QVariant StreamedProperty(const QString& Name) const override;
  bool SetStreamedProperty(const QString& Name, const QVariant& Value) override;
  // While an image is read, Capacity and Increment are kept back and applied at the end, no
  // further than a stream may ask (kMaxReadSpare).
  void BeginLoading() override;
  void EndLoading() override;
  // The published setters: as those of the base class, except while loading.
  void SetCapacity(int Value);
  void SetIncrement(int Value);

  // Reading takes no growth step above this, nor more spare capacity above the values read: a
  // garbled stream cannot ask for gigabytes.
  static constexpr int kMaxReadSpare = 1 << 20;

  // The streamed form property "Values": present only with PersistentValues and a count above 0.
  bool ValuesStored() const { return FPersistentValues && FCount > 0; }
  std::vector<double> StoredValues() const;
  // Appends each value with SetValue(Count, x).
  void ReadStoredValues(std::span<const double> Values);

 private:
  template <typename T>
  void AppendRange(std::span<const T> Values);
  void ApplyReadIncrement(int Value);
  // The values read become the contents, keeping the capacity written when it is above them.
  void ApplyReadValues(std::vector<double> Values, long long WrittenCapacity);

  bool FPersistentValues = false;
  bool FLoading = false;
  int FLoadedCapacity = -1;
  bool FDBData = false;
  bool FUpdateDB = false;
  bool FSetting = false;
};

// Read-only pseudo-vector whose element i is i, as long as the reference vector.
class TRtIndexer : public TRtCustomDoubleVector {
  Q_OBJECT

 public:
  explicit TRtIndexer(QObject* AOwner = nullptr);

  TRtCustomDoubleVector* RefVector() const { return FRefVector.data(); }
  void SetRefVector(TRtCustomDoubleVector* Vector) { FRefVector = Vector; }

  int GetCount() const override;
  double Minimum() const override;
  double Maximum() const override;
  double MinimumIncludingOutliers() const override;
  double MaximumIncludingOutliers() const override;
  int MinimumIdx() const override;
  int MaximumIdx() const override;
  int MinimumIdxIncludingOutliers() const override;
  int MaximumIdxIncludingOutliers() const override;
  bool OnlyAscending() const override;
  double Sum() const override;
  double SumIncludingOutliers() const override;
  double GetValue(int i) const override;
  // Raises ERtError "TRtIndexer is not supposed to set values!".
  void SetValue(int i, double x) override;
  bool IsChanged() const override;
  const double* RawData() const override { return nullptr; }

 protected:
  void CheckWritable() const override;

 private:
  QPointer<TRtCustomDoubleVector> FRefVector;
};
