#include "chart/data/RtVectors.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QVariant>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kBig = 1.7976931348623157e308;

// Records every notice a vector gives.
class TProbe : public QObject, public IRtVectorListener {
 public:
  explicit TProbe(TRtListenerKind Kind = TRtListenerKind::Series, QObject* Parent = nullptr)
      : QObject(Parent), fKind(Kind) {}

  TRtListenerKind VectorListenerKind() const override { return fKind; }
  bool IsYDataOf(const TRtCustomDoubleVector* v) const override { return v == YData; }
  void SetLastCount(int Value) override {
    Log.push_back("LastCount:=" + std::to_string(Value));
    if (OnNotice) OnNotice();
  }
  void PointsModified() override {
    Log.push_back("PointsModified");
    if (OnNotice) OnNotice();
  }
  void RangesModified() override { Log.push_back("RangesModified"); }
  void ClearLinkedMarkers() override { Log.push_back("ClearLinkedMarkers"); }
  void DeleteLinkedMarkers(int Idx) override {
    Log.push_back("DeleteLinkedMarkers(" + std::to_string(Idx) + ")");
  }
  void ValueInsertedLinkedMarkers(int Idx) override {
    Log.push_back("ValueInsertedLinkedMarkers(" + std::to_string(Idx) + ")");
  }
  void Modified() override {
    Log.push_back("Modified");
    if (OnNotice) OnNotice();
  }
  void VectorDestroyed(TRtCustomDoubleVector* v) override {
    Log.push_back("VectorDestroyed");
    Destroyed.push_back(v);
  }

  std::vector<std::string> Take() {
    std::vector<std::string> result;
    result.swap(Log);
    return result;
  }

  const TRtCustomDoubleVector* YData = nullptr;
  std::vector<std::string> Log;
  std::vector<TRtCustomDoubleVector*> Destroyed;
  std::function<void()> OnNotice;

 private:
  TRtListenerKind fKind;
};

using Notices = std::vector<std::string>;

void ExpectEmptyStatistics(const TRtCustomDoubleVector& v) {
  EXPECT_EQ(v.Minimum(), kBig);
  EXPECT_EQ(v.Maximum(), -kBig);
  EXPECT_EQ(v.MinimumIdx(), -1);
  EXPECT_EQ(v.MaximumIdx(), -1);
  EXPECT_EQ(v.Sum(), 0);
}

void AppendAll(TRtCustomDoubleVector& v, std::initializer_list<double> values) {
  for (double x : values) v.Add(x);
}

std::vector<double> Contents(const TRtCustomDoubleVector& v) {
  std::vector<double> result;
  for (int i = 0; i < v.Count(); ++i) result.push_back(v.GetValue(i));
  return result;
}

std::set<int> Marks(const TRtCustomDoubleVector& v) {
  std::set<int> result;
  for (int k = 0; k < v.Outliers().Count(); ++k) result.insert(v.Outliers().GetValue(k));
  return result;
}

std::string ErrorText(const std::function<void()>& f) {
  try {
    f();
  } catch (const ERtError& e) {
    return e.what();
  }
  return "no exception";
}

// After every kind of write the block bounds must be those of the values now stored: a stale
// block would let the thinning pass over pairs that no longer lie where it thinks.
TEST(RtDoubleVector, BlockBoundsFollowEveryWrite) {
  TRtDoubleVector v;
  auto expectCurrent = [&v](const char* step) {
    int blocks = -1;
    const TRtBlockBounds* b = v.BlockBounds(blocks);
    ASSERT_NE(b, nullptr) << step;
    ASSERT_EQ(blocks, v.Count() / TRtBlockBounds::kSize) << step;
    for (int k = 0; k < blocks; ++k) {
      double lo = v.GetValue(k * 64), hi = lo;
      bool nan = false;
      for (int j = k * 64; j < k * 64 + 64; ++j) {
        const double d = v.GetValue(j);
        nan |= std::isnan(d);
        lo = std::min(lo, d);
        hi = std::max(hi, d);
      }
      if (nan) {
        EXPECT_EQ(b->Min(k), -std::numeric_limits<double>::infinity()) << step << k;
        EXPECT_EQ(b->Max(k), std::numeric_limits<double>::infinity()) << step << k;
      } else {
        EXPECT_EQ(b->Min(k), lo) << step << k;
        EXPECT_EQ(b->Max(k), hi) << step << k;
      }
    }
  };
  for (int i = 0; i < 1000; ++i) v.Add(std::sin(i * 0.1) * i);
  expectCurrent("add");
  v.SetValue(130, 1e6);
  expectCurrent("set inside");
  v.Insert(5, -1e6);
  expectCurrent("insert");
  v.Delete(5, false);
  v.Delete(130, false);
  expectCurrent("delete");
  v.SetValue(700, std::numeric_limits<double>::quiet_NaN());
  expectCurrent("nan");
  v.Clear(false);
  for (int i = 0; i < 300; ++i) v.Add(i);
  expectCurrent("clear and refill");
  const double more[] = {1e9, -1e9, 3};
  v.AddRange(std::span<const double>(more));
  v.SetValue(1000, 5);  // beyond the end: the gap reads as stored
  expectCurrent("range and gap");
  v.SetInternalArray(std::vector<double>(640, 2.5));
  expectCurrent("internal array");
  std::vector<double> storage(1000, -7.0);
  storage[3] = 8;
  v.AssignInternalArray(std::move(storage), 200);
  expectCurrent("assigned storage");
  TRtIndexer ix;
  int blocks = -1;
  EXPECT_EQ(ix.BlockBounds(blocks), nullptr);
  EXPECT_EQ(blocks, 0);
}

}  // namespace

// ---- statistics --------------------------------------------------------------------------------

TEST(RtVectorStatistics, EmptyVectorHasTheEmptyRange) {
  TRtDoubleVector v;
  ExpectEmptyStatistics(v);
  EXPECT_EQ(v.MinimumIncludingOutliers(), kBig);
  EXPECT_EQ(v.MaximumIncludingOutliers(), -kBig);
  EXPECT_EQ(v.MinimumIdxIncludingOutliers(), -1);
  EXPECT_EQ(v.MaximumIdxIncludingOutliers(), -1);
  EXPECT_EQ(v.SumIncludingOutliers(), 0);
  EXPECT_TRUE(v.OnlyAscending());
  EXPECT_EQ(RtEmptyRangeStart, kBig);
  EXPECT_EQ(RtEmptyRangeStop, -kBig);
}

TEST(RtVectorStatistics, AppendsAreCountedOnTheNextQuery) {
  TRtDoubleVector v;
  AppendAll(v, {1, 3, 2});
  EXPECT_TRUE(v.IsChanged());
  EXPECT_EQ(v.Minimum(), 1);
  EXPECT_EQ(v.MinimumIdx(), 0);
  EXPECT_EQ(v.Maximum(), 3);
  EXPECT_EQ(v.MaximumIdx(), 1);
  EXPECT_EQ(v.Sum(), 6);
  EXPECT_EQ(v.SumIncludingOutliers(), 6);
  EXPECT_FALSE(v.OnlyAscending());
  EXPECT_FALSE(v.IsChanged());
  EXPECT_EQ(v.LastCount(), 3);

  // Further appends continue from the watermark.
  v.Add(-4);
  v.Add(10);
  EXPECT_EQ(v.Minimum(), -4);
  EXPECT_EQ(v.MinimumIdx(), 3);
  EXPECT_EQ(v.MaximumIdx(), 4);
  EXPECT_EQ(v.MaximumIdxIncludingOutliers(), 4);
  EXPECT_EQ(v.Sum(), 12);
}

TEST(RtVectorStatistics, TiesKeepTheEarlierIndexAndBreakAscending) {
  TRtDoubleVector v;
  AppendAll(v, {5, 5});
  EXPECT_FALSE(v.OnlyAscending());
  EXPECT_EQ(v.MaximumIdx(), 0);
  EXPECT_EQ(v.MinimumIdx(), 0);

  TRtDoubleVector up;
  AppendAll(up, {1, 2, 3});
  EXPECT_TRUE(up.OnlyAscending());
  up.Add(3.5);
  EXPECT_TRUE(up.OnlyAscending());
  up.Add(3.5);
  EXPECT_FALSE(up.OnlyAscending());
  up.Add(100);  // nothing sets it back
  EXPECT_FALSE(up.OnlyAscending());
}

TEST(RtVectorStatistics, TiesKeepTheEarlierIndexWhileOutliersExist) {
  // The counting that skips outliers has its own comparisons for both kinds of extremes.
  TRtDoubleVector v;
  v.AddOutlier(1);
  AppendAll(v, {5, 9, 1, 5, 9, 1, 7});  // 9 at index 1 is the outlier
  EXPECT_TRUE(v.AnyOutliers());
  EXPECT_EQ(v.Maximum(), 9);
  EXPECT_EQ(v.MaximumIdx(), 4);
  EXPECT_EQ(v.Minimum(), 1);
  EXPECT_EQ(v.MinimumIdx(), 2);
  EXPECT_EQ(v.MaximumIdxIncludingOutliers(), 1);
  EXPECT_EQ(v.MinimumIdxIncludingOutliers(), 2);
  EXPECT_EQ(v.Sum(), 28);
  EXPECT_EQ(v.SumIncludingOutliers(), 37);

  TRtDoubleVector w;  // ties among non-outliers only, and a tie with an outlier
  w.AddOutlier(0);
  AppendAll(w, {3, 3, 3, 2, 2});
  EXPECT_EQ(w.MaximumIdx(), 1);
  EXPECT_EQ(w.MaximumIdxIncludingOutliers(), 0);
  EXPECT_EQ(w.MinimumIdx(), 3);
  EXPECT_EQ(w.MinimumIdxIncludingOutliers(), 3);
  EXPECT_FALSE(w.OnlyAscending());
}

TEST(RtVectorStatistics, NanBecomesTheMinimum) {
  TRtDoubleVector v;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  AppendAll(v, {2, nan});
  // NaN is not >= the minimum, so it becomes it; any later value is then not >= NaN either.
  EXPECT_TRUE(std::isnan(v.Minimum()));
  EXPECT_EQ(v.MinimumIdx(), 1);
  v.Add(3);
  EXPECT_EQ(v.MinimumIdx(), 2);
  EXPECT_EQ(v.MaximumIdx(), 2);

  TRtDoubleVector w;  // the same while outliers exist
  w.AddOutlier(10);
  AppendAll(w, {2, nan});
  EXPECT_EQ(w.MinimumIdx(), 1);
  EXPECT_EQ(w.MinimumIdxIncludingOutliers(), 1);
  EXPECT_TRUE(std::isnan(w.Sum()));
  EXPECT_TRUE(std::isnan(w.SumIncludingOutliers()));
}

TEST(RtVectorStatistics, MiddleChangeAdjustsSumsExtremeChangeRecounts) {
  TRtDoubleVector v;
  TProbe probe;
  v.AddListener(&probe);
  AppendAll(v, {1, 5, 3, 9, 2});
  EXPECT_EQ(v.Sum(), 20);
  probe.Take();

  v.SetValue(2, 4);  // neither extreme
  EXPECT_EQ(probe.Take(), Notices{"PointsModified"});
  EXPECT_FALSE(v.IsChanged());  // no recount needed
  EXPECT_EQ(v.Sum(), 21);
  EXPECT_EQ(v.SumIncludingOutliers(), 21);
  EXPECT_EQ(v.Minimum(), 1);
  EXPECT_EQ(v.Maximum(), 9);

  v.SetValue(3, 0);  // the maximum
  EXPECT_EQ(probe.Take(), Notices{"LastCount:=0"});
  EXPECT_TRUE(v.IsChanged());
  EXPECT_EQ(v.Maximum(), 5);
  EXPECT_EQ(v.MaximumIdx(), 1);
  EXPECT_EQ(v.Minimum(), 0);
  EXPECT_EQ(v.MinimumIdx(), 3);
  EXPECT_EQ(v.Sum(), 12);

  v.SetValue(1, -7);  // beyond the minimum
  EXPECT_EQ(probe.Take(), Notices{"LastCount:=0"});
  EXPECT_EQ(v.Minimum(), -7);

  // Writing the stored value again tells nobody.
  v.SetValue(1, -7);
  EXPECT_TRUE(probe.Take().empty());
}

TEST(RtVectorStatistics, InPlaceChangeOutOfOrderClearsAscending) {
  TRtDoubleVector v;
  AppendAll(v, {1, 2, 3, 4});
  ASSERT_TRUE(v.OnlyAscending());
  v.SetValue(2, 2.5);  // still ascending
  EXPECT_TRUE(v.OnlyAscending());
  v.SetValue(1, 2.7);  // 1, 2.7, 2.5, 4
  EXPECT_FALSE(v.OnlyAscending());

  TRtDoubleVector w;
  AppendAll(w, {1, 2, 3, 4});
  ASSERT_TRUE(w.OnlyAscending());
  w.Insert(2, 2.5);
  EXPECT_TRUE(w.OnlyAscending());
  w.Insert(1, 3.5);  // 1, 3.5, 2, 2.5, 3, 4
  EXPECT_FALSE(w.OnlyAscending());
}

TEST(RtVectorStatistics, AscendingComparesNeighbouringNonOutliersAcrossEdits) {
  // Each case: counted data with an outlier, an edit that touches no extreme (so nothing is
  // recounted), then an append that must be compared with the last counted non-outlier.
  {
    TRtDoubleVector v;  // 1, 2, (2.5), 3, 5 -> delete 2 -> append 6 (above 5)
    AppendAll(v, {1, 2, 2.5, 3, 5});
    v.AddOutlier(2);
    ASSERT_TRUE(v.OnlyAscending());
    v.Delete(1, false);
    EXPECT_FALSE(v.IsChanged());
    v.Add(6);
    EXPECT_TRUE(v.OnlyAscending());
  }
  {
    TRtDoubleVector v;  // 1, 2, 4, (9) -> insert 1.5 at 1 -> append 3 (below 4)
    AppendAll(v, {1, 2, 4, 9});
    v.AddOutlier(3);
    ASSERT_TRUE(v.OnlyAscending());
    v.Insert(1, 1.5);
    EXPECT_FALSE(v.IsChanged());
    ASSERT_TRUE(v.OnlyAscending());
    v.Add(3);
    EXPECT_FALSE(v.OnlyAscending());
  }
  {
    TRtDoubleVector v;  // 1, 2, 3 counted, then (0) marked before it is counted, then 2.5
    AppendAll(v, {1, 2, 3});
    ASSERT_TRUE(v.OnlyAscending());
    v.Add(0);
    v.AddOutlier(3);
    v.Add(2.5);
    EXPECT_FALSE(v.OnlyAscending());
  }
}

// Statistics computed from scratch, for comparison with the incremental ones.
struct TModel {
  std::vector<double> Values;
  std::set<int> Marks;

  void Check(const TRtCustomDoubleVector& v, const std::string& step) const {
    SCOPED_TRACE(step);
    double mn = kBig, mx = -kBig, mnInc = kBig, mxInc = -kBig, sum = 0, sumInc = 0;
    int mnIdx = -1, mxIdx = -1, mnIncIdx = -1, mxIncIdx = -1;
    bool ascending = true;
    int prev = -1;
    for (int i = 0; i < static_cast<int>(Values.size()); ++i) {
      const double x = Values[i];
      if (x < mnInc) mnInc = x, mnIncIdx = i;
      if (x > mxInc) mxInc = x, mxIncIdx = i;
      sumInc += x;
      if (Marks.count(i)) continue;
      if (x < mn) mn = x, mnIdx = i;
      if (x > mx) mx = x, mxIdx = i;
      if (prev >= 0 && !(x > Values[prev])) ascending = false;
      prev = i;
      sum += x;
    }
    ASSERT_EQ(Contents(v), Values);
    ASSERT_EQ(::Marks(v), Marks);
    EXPECT_EQ(v.Minimum(), mn);
    EXPECT_EQ(v.Maximum(), mx);
    EXPECT_EQ(v.MinimumIdx(), mnIdx);
    EXPECT_EQ(v.MaximumIdx(), mxIdx);
    EXPECT_EQ(v.MinimumIncludingOutliers(), mnInc);
    EXPECT_EQ(v.MaximumIncludingOutliers(), mxInc);
    EXPECT_EQ(v.MinimumIdxIncludingOutliers(), mnIncIdx);
    EXPECT_EQ(v.MaximumIdxIncludingOutliers(), mxIncIdx);
    EXPECT_EQ(v.Sum(), sum);
    EXPECT_EQ(v.SumIncludingOutliers(), sumInc);
    // The flag never comes back once cleared, so only "not ascending" is certain.
    if (!ascending) {
      EXPECT_FALSE(v.OnlyAscending());
    }
  }
};

TEST(RtVectorStatistics, IncrementalStatisticsMatchARecountUnderRandomEdits) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 40; ++round) {
    TRtDoubleVector v;
    TModel m;
    std::set<double> used;
    // Distinct integer values: sums are exact and ties cannot occur.
    auto fresh = [&] {
      for (;;) {
        const double x = std::uniform_int_distribution<int>(-1000000, 1000000)(rng);
        if (used.insert(x).second) return x;
      }
    };
    const int steps = 300;
    for (int s = 0; s < steps; ++s) {
      const int n = static_cast<int>(m.Values.size());
      const int op = std::uniform_int_distribution<int>(0, 9)(rng);
      auto anyIdx = [&] { return std::uniform_int_distribution<int>(0, std::max(n - 1, 0))(rng); };
      std::string step = "round " + std::to_string(round) + " step " + std::to_string(s) + " op " +
                         std::to_string(op);
      if (op <= 3 || n == 0) {
        const double x = fresh();
        v.Add(x);
        m.Values.push_back(x);
      } else if (op == 4) {
        const int i = anyIdx();
        const double x = fresh();
        v.SetValue(i, x);
        m.Values[i] = x;
      } else if (op == 5) {
        const int i = std::uniform_int_distribution<int>(0, n)(rng);
        const double x = fresh();
        v.Insert(i, x);
        m.Values.insert(m.Values.begin() + i, x);
        std::set<int> marks;
        for (int k : m.Marks) marks.insert(k >= i ? k + 1 : k);
        m.Marks = marks;
      } else if (op == 6) {
        const int i = anyIdx();
        v.Delete(i, true);
        m.Values.erase(m.Values.begin() + i);
        std::set<int> marks;
        for (int k : m.Marks)
          if (k != i) marks.insert(k > i ? k - 1 : k);
        m.Marks = marks;
      } else if (op == 7) {
        // Mark the newest element (as the loop does) or any element.
        const int i = (s % 2) ? n - 1 : anyIdx();
        v.AddOutlier(i);
        m.Marks.insert(i);
      } else if (op == 8) {
        const int i = anyIdx();
        v.RemoveOutlier(i);
        m.Marks.erase(i);
      } else {
        m.Check(v, step);  // a query in between moves the watermark
        continue;
      }
      if (s % 7 == 0) m.Check(v, step);
    }
    m.Check(v, "end of round " + std::to_string(round));
  }
}

// ---- outliers ----------------------------------------------------------------------------------

TEST(RtVectorOutliers, AnOutlierIsKeptButNotCounted) {
  TRtDoubleVector v;
  v.Add(0);
  v.AddOutlier(0);
  ExpectEmptyStatistics(v);
  EXPECT_EQ(v.MinimumIncludingOutliers(), 0);
  EXPECT_EQ(v.MaximumIncludingOutliers(), 0);
  EXPECT_EQ(v.MinimumIdxIncludingOutliers(), 0);
  EXPECT_EQ(v.MaximumIdxIncludingOutliers(), 0);
  EXPECT_EQ(v.GetValue(0), 0);
  EXPECT_TRUE(v.IsOutlier(0));
  EXPECT_FALSE(v.IsOutlier(1));
}

TEST(RtVectorOutliers, MarkingACountedElementRecounts) {
  TRtDoubleVector v;
  AppendAll(v, {4, 9, 1});
  EXPECT_EQ(v.Maximum(), 9);
  v.AddOutlier(1);
  EXPECT_EQ(v.Maximum(), 4);
  EXPECT_EQ(v.MaximumIdx(), 0);
  EXPECT_EQ(v.MaximumIncludingOutliers(), 9);
  EXPECT_EQ(v.Sum(), 5);
  EXPECT_EQ(v.SumIncludingOutliers(), 14);
  v.RemoveOutlier(1);
  EXPECT_EQ(v.Maximum(), 9);
  EXPECT_EQ(v.Sum(), 14);
  EXPECT_FALSE(v.AnyOutliers());
}

TEST(RtVectorOutliers, AllElementsOutliersGiveTheEmptyRange) {
  TRtDoubleVector v;
  for (int i = 0; i < 300; ++i) {
    v.Add(i * 0.5);
    v.AddOutlier(i);
    if (i % 50 == 0) ExpectEmptyStatistics(v);  // queried while growing
  }
  ExpectEmptyStatistics(v);
  EXPECT_EQ(v.MinimumIncludingOutliers(), 0);
  EXPECT_EQ(v.MaximumIncludingOutliers(), 149.5);
  EXPECT_EQ(v.MaximumIdxIncludingOutliers(), 299);
  EXPECT_EQ(v.Outliers().Count(), 300);
}

TEST(RtVectorOutliers, TemperaturePatternCountsOnlyMeasuredSlots) {
  // One measured value every third cycle, the others 0 marked as outliers.
  TRtDoubleVector v;
  double sum = 0;
  for (int i = 0; i < 1000; ++i) {
    if (i % 3 == 0) {
      v.Add(700 + i);
      sum += 700 + i;
    } else {
      v.Add(0);
      v.AddOutlier(v.Count() - 1);
    }
    if (i % 10 == 0) {
      EXPECT_EQ(v.Minimum(), 700);
    }
  }
  EXPECT_EQ(v.Minimum(), 700);
  EXPECT_EQ(v.Maximum(), 700 + 999);
  EXPECT_EQ(v.Sum(), sum);
  EXPECT_EQ(v.MinimumIncludingOutliers(), 0);
  EXPECT_EQ(v.MinimumIdxIncludingOutliers(), 1);
  EXPECT_TRUE(v.OnlyAscending());  // the measured values ascend; outliers are skipped
}

TEST(RtVectorOutliers, MarksBeyondTheEndApplyOnceTheVectorGrowsThere) {
  TRtDoubleVector v;
  v.AddOutlier(200);
  ExpectEmptyStatistics(v);
  for (int i = 0; i < 300; ++i) v.Add(i == 200 ? 1e6 : i);
  EXPECT_TRUE(v.IsOutlier(200));
  EXPECT_EQ(v.Maximum(), 299);
  EXPECT_EQ(v.MaximumIncludingOutliers(), 1e6);
  EXPECT_EQ(v.MaximumIdxIncludingOutliers(), 200);
}

TEST(RtVectorOutliers, MarkingTwiceTellsNobody) {
  TRtDoubleVector v;
  TProbe probe;
  v.AddListener(&probe);
  AppendAll(v, {1, 2});
  probe.Take();
  v.AddOutlier(1);
  EXPECT_EQ(probe.Take(), Notices{"LastCount:=0"});
  v.AddOutlier(1);
  EXPECT_TRUE(probe.Take().empty());
  EXPECT_EQ(v.Outliers().Count(), 1);
  v.RemoveOutlier(0);  // not marked
  EXPECT_TRUE(probe.Take().empty());
  v.SetOutlier(1, true);
  EXPECT_TRUE(probe.Take().empty());
  v.SetOutlier(1, false);
  EXPECT_EQ(probe.Take(), Notices{"LastCount:=0"});
  v.ClearOutlieres();  // no marks
  EXPECT_TRUE(probe.Take().empty());
  v.AddOutlier(0);
  v.AddOutlier(1);
  probe.Take();
  v.ClearOutlieres();
  EXPECT_EQ(probe.Take(), Notices{"LastCount:=0"});
  EXPECT_FALSE(v.IsOutlier(0));
  EXPECT_EQ(v.Sum(), 3);
}

TEST(RtVectorOutliers, MarksKeepTheirOrderAndFollowInsertAndDelete) {
  TRtDoubleVector v;
  AppendAll(v, {1, 2});
  v.AddOutlier(1);
  v.Insert(0, 7);
  EXPECT_EQ(Contents(v), (std::vector<double>{7, 1, 2}));
  EXPECT_TRUE(v.IsOutlier(2));
  EXPECT_FALSE(v.IsOutlier(1));

  TRtDoubleVector w;
  AppendAll(w, {10, 11, 12, 13, 14});
  w.AddOutlier(4);
  w.AddOutlier(1);
  w.AddOutlier(3);
  EXPECT_EQ(w.Outliers().GetValue(0), 4);
  EXPECT_EQ(w.Outliers().GetValue(1), 1);
  w.Delete(1, false);  // drops mark 1, lowers 4 and 3
  ASSERT_EQ(w.Outliers().Count(), 2);
  EXPECT_EQ(w.Outliers().GetValue(0), 3);
  EXPECT_EQ(w.Outliers().GetValue(1), 2);
  EXPECT_EQ(Contents(w), (std::vector<double>{10, 12, 13, 14}));
  EXPECT_EQ(w.Sum(), 22);
  w.Delete(3, false);
  w.Delete(2, false);
  EXPECT_FALSE(w.AnyOutliers());
  EXPECT_EQ(w.Sum(), 22);
  EXPECT_EQ(w.SumIncludingOutliers(), 22);
}

// ---- growth ------------------------------------------------------------------------------------

TEST(RtVectorGrowth, CapacityGrowsInWholeIncrements) {
  TRtDoubleVector v;
  EXPECT_EQ(v.Capacity(), 128);
  EXPECT_EQ(v.Increment(), 128);
  for (int i = 0; i < 127; ++i) v.Add(i);
  EXPECT_EQ(v.Capacity(), 128);
  v.Add(127);  // reaching the capacity grows it
  EXPECT_EQ(v.Capacity(), 256);
  v.SetValue(1000, 1);
  EXPECT_EQ(v.Count(), 1001);
  EXPECT_EQ(v.Capacity(), 1024);
  EXPECT_EQ(v.GetValue(999), 0);  // never-used storage reads 0

  v.SetIncrement(100);
  EXPECT_EQ(v.Increment(), 128);
  v.SetIncrement(1000);
  EXPECT_EQ(v.Increment(), 1000);
  v.SetValue(1151, 2);
  EXPECT_EQ(v.Capacity(), 2024);
}

TEST(RtVectorGrowth, CapacitySetterRules) {
  TRtDoubleVector v;
  AppendAll(v, {1, 2, 3});
  v.SetCapacity(3);  // not above the count
  EXPECT_EQ(v.Capacity(), 128);
  v.SetCapacity(2);
  EXPECT_EQ(v.Capacity(), 128);
  v.SetCapacity(4);  // shrinks to count + 1
  EXPECT_EQ(v.Capacity(), 4);
  EXPECT_EQ(v.InternalArray().size(), 4u);
  v.Add(4);  // reaches the capacity
  EXPECT_EQ(v.Capacity(), 132);
  EXPECT_EQ(Contents(v), (std::vector<double>{1, 2, 3, 4}));
  v.SetCapacity(1000);
  EXPECT_EQ(v.Capacity(), 1000);
}

TEST(RtVectorGrowth, ClearKeepsTheStorage) {
  TRtDoubleVector v;
  TProbe probe;
  v.AddListener(&probe);
  AppendAll(v, {5, 6});
  v.AddOutlier(0);
  v.Clear(false);
  EXPECT_EQ(v.Count(), 0);
  EXPECT_EQ(v.Capacity(), 128);
  EXPECT_FALSE(v.AnyOutliers());
  ExpectEmptyStatistics(v);
  EXPECT_EQ(v.InternalArray()[1], 6);
  probe.Take();
  // Appending the value left in the slot stores nothing and tells nobody, like a fresh 0.
  v.Add(5);
  EXPECT_EQ(v.Count(), 1);
  EXPECT_TRUE(probe.Take().empty());
  TRtDoubleVector fresh;
  TProbe freshProbe;
  fresh.AddListener(&freshProbe);
  fresh.Add(0);
  EXPECT_EQ(fresh.Count(), 1);
  EXPECT_TRUE(freshProbe.Take().empty());
  fresh.Add(0);  // above the watermark now
  EXPECT_EQ(freshProbe.Take(), Notices{"PointsModified"});
}

TEST(RtVectorGrowth, StatisticsStayRightAcrossManyGrowthSteps) {
  TRtDoubleVector v;
  double sum = 0;
  for (int i = 0; i < 400000; ++i) {
    v.Add(i);
    sum += i;
    if (i % 997 == 0) {
      ASSERT_EQ(v.Maximum(), i);
    }
  }
  EXPECT_EQ(v.Capacity() % 128, 0);
  EXPECT_GT(v.Capacity(), v.Count());
  EXPECT_LE(v.Capacity(), v.Count() + 128);
  EXPECT_EQ(v.Sum(), sum);
  EXPECT_TRUE(v.OnlyAscending());
  EXPECT_EQ(v.GetValue(399999), 399999);
}

// ---- insert and delete -------------------------------------------------------------------------

TEST(RtVectorEdit, InsertCountsTheNewElementAndMovesExtremes) {
  TRtDoubleVector v;
  AppendAll(v, {3, 8, 1});
  EXPECT_EQ(v.Sum(), 12);
  v.Insert(1, 5);  // not an extreme: added to the sums
  EXPECT_FALSE(v.IsChanged());
  EXPECT_EQ(v.Sum(), 17);
  EXPECT_EQ(v.MaximumIdx(), 2);
  EXPECT_EQ(v.MinimumIdx(), 3);
  v.Insert(0, 20);  // a new maximum
  EXPECT_EQ(v.Maximum(), 20);
  EXPECT_EQ(v.MaximumIdx(), 0);
  EXPECT_EQ(v.Sum(), 37);
  EXPECT_EQ(v.Insert(5, 0), 6);  // at the end: an append
  EXPECT_EQ(Contents(v), (std::vector<double>{20, 3, 5, 8, 1, 0}));
  EXPECT_EQ(ErrorText([&] { v.Insert(7, 1); }), "i=7 index out of range");
  EXPECT_EQ(ErrorText([&] { v.Insert(-1, 1); }), "i=-1 index out of range");
}

TEST(RtVectorEdit, DeleteAdjustsSumsOrRecounts) {
  TRtDoubleVector v;
  AppendAll(v, {3, 8, 1, 4});
  EXPECT_EQ(v.Sum(), 16);
  v.Delete(0, true);  // not an extreme
  EXPECT_EQ(v.Sum(), 13);
  EXPECT_EQ(v.MaximumIdx(), 0);
  EXPECT_EQ(v.MinimumIdx(), 1);
  v.Delete(0, true);  // the maximum
  EXPECT_EQ(v.Maximum(), 4);
  EXPECT_EQ(v.MaximumIdx(), 1);
  EXPECT_EQ(v.Sum(), 5);
  v.Delete(2, true);  // beyond the end
  v.Delete(-1, true);
  EXPECT_EQ(Contents(v), (std::vector<double>{1, 4}));
}

// ---- listeners ---------------------------------------------------------------------------------

TEST(RtVectorListeners, EachKindHearsItsNotice) {
  TRtDoubleVector v;
  TProbe series(TRtListenerKind::Series), function(TRtListenerKind::FunctionSeries),
      graph(TRtListenerKind::NonSeries);
  series.YData = &v;
  v.AddListener(&series);
  v.AddListener(&function);
  v.AddListener(&graph);
  EXPECT_EQ(v.RelatedSeries(), (std::vector<IRtVectorListener*>{&series, &function, &graph}));

  v.Add(1);  // values changed (1 differs from the never-used 0)
  EXPECT_EQ(series.Take(), Notices{"PointsModified"});
  EXPECT_EQ(function.Take(), Notices{"LastCount:=0"});
  EXPECT_EQ(graph.Take(), Notices{"Modified"});

  v.AddOutlier(0);  // recount
  EXPECT_EQ(series.Take(), Notices{"LastCount:=0"});
  EXPECT_EQ(function.Take(), Notices{"LastCount:=0"});
  EXPECT_EQ(graph.Take(), Notices{"Modified"});

  v.Add(2);
  v.Add(3);
  series.Take(), function.Take(), graph.Take();
  v.Insert(1, 9);
  EXPECT_EQ(series.Take(), (Notices{"PointsModified", "ValueInsertedLinkedMarkers(1)"}));
  EXPECT_EQ(function.Take(), Notices{"LastCount:=0"});  // not its Y data
  EXPECT_EQ(graph.Take(), (Notices{"Modified", "Modified"}));

  v.Delete(1, true);
  EXPECT_EQ(series.Take(), (Notices{"DeleteLinkedMarkers(1)", "LastCount:=0"}));
  EXPECT_EQ(function.Take(), Notices{"LastCount:=0"});
  EXPECT_EQ(graph.Take(), Notices{"Modified"});
  v.Delete(1, false);
  EXPECT_EQ(series.Take(), Notices{"LastCount:=0"});
  graph.Take(), function.Take();

  v.Clear(true);
  EXPECT_EQ(series.Take(), (Notices{"ClearLinkedMarkers", "RangesModified"}));
  EXPECT_EQ(function.Take(), Notices{"RangesModified"});
  EXPECT_EQ(graph.Take(), Notices{"Modified"});
  v.Clear(false);
  EXPECT_EQ(series.Take(), Notices{"RangesModified"});

  TRtDoubleVector other;
  other.AddListener(&series);
  other.AddRange({1.0, 2.0, 3.0});  // one recount for the whole range
  EXPECT_EQ(series.Take(), Notices{"LastCount:=0"});
  EXPECT_EQ(other.Sum(), 6);
}

TEST(RtVectorListeners, AppendingTellsEveryListenerOncePerAppend) {
  TRtDoubleVector v;
  TProbe a, b;
  v.AddListener(&a);
  v.AddListener(&b);
  for (int i = 1; i <= 1000; ++i) v.Add(i);
  EXPECT_EQ(a.Take().size(), 1000u);
  EXPECT_EQ(b.Take().size(), 1000u);
  v.RemoveListener(&a);
  v.Add(5000);
  EXPECT_TRUE(a.Take().empty());
  EXPECT_EQ(b.Take().size(), 1u);
  EXPECT_TRUE(a.ListenedVectors().empty());
  EXPECT_EQ(b.ListenedVectors(), std::vector<TRtCustomDoubleVector*>{&v});
}

TEST(RtVectorListeners, ListenersMayDetachOrDieDuringANotice) {
  TRtDoubleVector v;
  TProbe first, third;
  auto second = std::make_unique<TProbe>();
  v.AddListener(&first);
  v.AddListener(second.get());
  v.AddListener(&third);
  first.OnNotice = [&] { v.RemoveListener(&first); };
  second->OnNotice = [&] { second.reset(); };
  v.Add(1);
  EXPECT_EQ(first.Take(), Notices{"PointsModified"});
  EXPECT_EQ(third.Take(), Notices{"PointsModified"});
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(v.RelatedSeries(), std::vector<IRtVectorListener*>{&third});

  // A listener that attaches another during a notice; the newcomer hears the next change.
  TProbe late;
  third.OnNotice = [&] {
    if (late.ListenedVectors().empty()) v.AddListener(&late);
  };
  v.Add(2);
  EXPECT_TRUE(late.Take().empty());
  v.Add(3);
  EXPECT_EQ(late.Take(), Notices{"PointsModified"});
  third.OnNotice = nullptr;

  // A listener that writes to the vector from its notice (nested notices).
  TProbe writer;
  v.AddListener(&writer);
  int depth = 0;
  writer.OnNotice = [&] {
    if (depth++ == 0) {
      v.RemoveListener(&third);
      v.Add(100);
    }
  };
  third.Take();
  v.Add(4);
  EXPECT_EQ(v.Count(), 5);
  EXPECT_EQ(v.RelatedSeries(), (std::vector<IRtVectorListener*>{&late, &writer}));
}

TEST(RtVectorLifetime, ListenerDestroyedFirstIsForgotten) {
  TRtDoubleVector v;
  {
    TProbe probe;
    v.AddListener(&probe);
    v.AddListener(&probe);  // bound as X and as Y
    EXPECT_EQ(v.RelatedSeries().size(), 2u);
  }
  EXPECT_TRUE(v.RelatedSeries().empty());
  v.Add(1);  // must not touch the destroyed listener
  v.Clear(true);
}

TEST(RtVectorLifetime, VectorDestroyedFirstTellsEachListenerOnce) {
  TProbe probe, graph(TRtListenerKind::NonSeries);
  auto v = std::make_unique<TRtDoubleVector>();
  TRtCustomDoubleVector* raw = v.get();
  v->AddListener(&probe);
  v->AddListener(&graph);
  v->AddListener(&probe);
  probe.OnNotice = [&] { v->RemoveListener(&probe); };
  v.reset();
  EXPECT_EQ(probe.Destroyed, std::vector<TRtCustomDoubleVector*>{raw});
  EXPECT_EQ(graph.Destroyed, std::vector<TRtCustomDoubleVector*>{raw});
  EXPECT_TRUE(probe.ListenedVectors().empty());
  EXPECT_TRUE(graph.ListenedVectors().empty());
}

TEST(RtVectorLifetime, OwnerFreesVectorsAndListenersInEitherOrder) {
  for (bool vectorsFirst : {true, false}) {
    auto owner = std::make_unique<QObject>();
    TProbe* probe = nullptr;
    TRtDoubleVector* x = nullptr;
    TRtDoubleVector* y = nullptr;
    if (!vectorsFirst) probe = new TProbe(TRtListenerKind::Series, owner.get());
    x = new TRtDoubleVector(owner.get());
    y = new TRtDoubleVector(owner.get());
    x->setObjectName("RtDoubleVectorTime");
    if (vectorsFirst) probe = new TProbe(TRtListenerKind::Series, owner.get());
    x->AddListener(probe);
    y->AddListener(probe);
    x->Add(1);
    y->Add(2);
    EXPECT_EQ(owner->findChild<TRtDoubleVector*>("RtDoubleVectorTime"), x);
    owner.reset();  // children go in creation order; ASan checks nothing dangles
  }
}

TEST(RtVectorLifetime, ListenerFreedByAnotherDuringVectorDestruction) {
  struct TKiller : TProbe {
    std::unique_ptr<TProbe>* Target = nullptr;
    void VectorDestroyed(TRtCustomDoubleVector* v) override {
      TProbe::VectorDestroyed(v);
      Target->reset();
    }
  };
  auto victim = std::make_unique<TProbe>();
  TKiller killer;
  killer.Target = &victim;
  TProbe survivor;
  TRtDoubleVector other;
  other.AddListener(victim.get());
  {
    TRtDoubleVector v;
    v.AddListener(&killer);
    v.AddListener(victim.get());
    v.AddListener(&survivor);
  }
  EXPECT_EQ(victim, nullptr);
  EXPECT_EQ(survivor.Destroyed.size(), 1u);
  EXPECT_TRUE(other.RelatedSeries().empty());
  other.Add(1);
}

// ---- indexer -----------------------------------------------------------------------------------

TEST(RtIndexer, MirrorsTheReferenceVector) {
  TRtIndexer ix;
  EXPECT_EQ(ix.Count(), 0);
  EXPECT_EQ(ix.GetValue(5), 0);
  EXPECT_EQ(ix.Minimum(), 0);
  EXPECT_EQ(ix.Maximum(), 0);
  EXPECT_EQ(ix.MinimumIdx(), -1);
  EXPECT_EQ(ix.MaximumIdx(), -1);
  EXPECT_EQ(ix.MaximumIdxIncludingOutliers(), -1);
  EXPECT_FALSE(ix.IsChanged());

  auto ref = std::make_unique<TRtDoubleVector>();
  ix.SetRefVector(ref.get());
  AppendAll(*ref, {9, 3, 7, 1, 5});
  EXPECT_EQ(ix.Count(), 5);
  EXPECT_TRUE(ix.IsChanged());  // the reference vector's
  EXPECT_EQ(ix.GetValue(3), 3);
  EXPECT_EQ(ix.Minimum(), 0);
  EXPECT_EQ(ix.Maximum(), 4);
  EXPECT_EQ(ix.LastCount(), 5);
  EXPECT_EQ(ix.MinimumIdx(), 0);
  EXPECT_EQ(ix.MaximumIdx(), 4);
  EXPECT_EQ(ix.MinimumIdxIncludingOutliers(), 0);
  EXPECT_EQ(ix.MaximumIncludingOutliers(), 4);
  EXPECT_TRUE(ix.OnlyAscending());
  EXPECT_EQ(ix.Sum(), 10);
  EXPECT_EQ(ix.SumIncludingOutliers(), 10);
  ref->Minimum();
  EXPECT_FALSE(ix.IsChanged());

  // Reads through the base class reach the indexer's values.
  TRtCustomDoubleVector& asVector = ix;
  std::vector<double> seen;
  auto e = asVector.GetEnumerator();
  while (e.MoveNext()) seen.push_back(e.GetCurrent());
  EXPECT_EQ(seen, (std::vector<double>{0, 1, 2, 3, 4}));

  ref.reset();
  EXPECT_EQ(ix.RefVector(), nullptr);
  EXPECT_EQ(ix.Count(), 0);
}

TEST(RtIndexer, RefusesEveryWrite) {
  TRtDoubleVector ref;
  ref.Add(1);
  TRtIndexer ix;
  ix.SetRefVector(&ref);
  const std::string text = "TRtIndexer is not supposed to set values!";
  EXPECT_EQ(ErrorText([&] { ix.SetValue(0, 1); }), text);
  EXPECT_EQ(ErrorText([&] { ix.Add(1); }), text);
  EXPECT_EQ(ErrorText([&] { ix.Insert(0, 1); }), text);
  EXPECT_EQ(ErrorText([&] { ix.Delete(0, true); }), text);
  EXPECT_EQ(ix.Count(), 1);
}

// ---- errors ------------------------------------------------------------------------------------

TEST(RtVectorErrors, ReadingOutsideTheCountRaisesTheRangeError) {
  TRtDoubleVector v;
  AppendAll(v, {1, 2, 3});
  EXPECT_EQ(ErrorText([&] { v.GetValue(3); }), "i=3 index out of range");
  EXPECT_EQ(ErrorText([&] { v.GetValue(-1); }), "i=-1 index out of range");
  EXPECT_EQ(ErrorText([&] { v.SetValue(-2, 0); }), "i=-2 index out of range");
  EXPECT_THROW(v.GetValue(3), ERtRangeError);

  TRtIntegerVector iv;
  TRtBooleanVector bv;
  TRtSingleVector sv;
  TRtPointVector pv;
  iv.Add(1);
  EXPECT_EQ(ErrorText([&] { iv.GetValue(1); }), "i=1 index out of range");
  EXPECT_EQ(ErrorText([&] { bv.GetValue(0); }), "i=0 index out of range");
  EXPECT_EQ(ErrorText([&] { sv.GetValue(-1); }), "i=-1 index out of range");
  pv.Add(1, 2);
  EXPECT_EQ(ErrorText([&] { pv.GetX(1); }), "i=1 index out of range");
  EXPECT_EQ(ErrorText([&] { pv.GetY(2); }), "i=2 index out of range");
}

// ---- TRtDoubleVector ---------------------------------------------------------------------------

TEST(RtDoubleVector, PublishedPropertiesGoThroughTheSetters) {
  TRtDoubleVector v;
  EXPECT_FALSE(v.property("PersistentValues").toBool());
  EXPECT_TRUE(v.setProperty("Increment", 50));
  EXPECT_EQ(v.Increment(), 128);
  EXPECT_TRUE(v.setProperty("Increment", 256));
  EXPECT_EQ(v.property("Increment").toInt(), 256);
  EXPECT_TRUE(v.setProperty("Capacity", 10));
  EXPECT_EQ(v.property("Capacity").toInt(), 10);
  v.Add(1);
  EXPECT_TRUE(v.setProperty("Capacity", 1));  // not above the count
  EXPECT_EQ(v.Capacity(), 10);
  EXPECT_FALSE(v.DBData());
}

TEST(RtDoubleVector, AddRangeConvertsEveryForm) {
  TRtDoubleVector v;
  v.SetCapacity(2);
  v.AddRange({1.5L, 2.5L});
  const std::vector<double> doubles{3, -4};
  v.AddRange(doubles);
  const std::vector<float> floats{0.25f};
  v.AddRange(floats);
  const std::vector<std::int32_t> ints{7, -8};
  v.AddRange(ints);
  EXPECT_EQ(Contents(v), (std::vector<double>{1.5, 2.5, 3, -4, 0.25, 7, -8}));
  EXPECT_EQ(v.Capacity(), 130);
  EXPECT_EQ(v.Minimum(), -8);
  EXPECT_EQ(v.MinimumIdx(), 6);
  EXPECT_EQ(v.Sum(), 2.25);
}

TEST(RtDoubleVector, InternalArrayBecomesTheStorage) {
  TRtDoubleVector v;
  v.Add(100);
  v.SetInternalArray({4, 2, 6});
  EXPECT_EQ(v.Count(), 3);
  EXPECT_EQ(v.Capacity(), 3);
  EXPECT_EQ(v.Maximum(), 6);
  EXPECT_EQ(v.Sum(), 12);
  v.Add(1);
  EXPECT_EQ(v.Capacity(), 131);
  v.Delete(3, true);  // the minimum, at the last slot
  EXPECT_EQ(v.Minimum(), 2);
}

TEST(RtDoubleVector, ValuesAreStreamedOnlyWhenPersistent) {
  TRtDoubleVector v;
  AppendAll(v, {1, 2});
  EXPECT_FALSE(v.ValuesStored());
  EXPECT_TRUE(v.StoredValues().empty());
  v.SetPersistentValues(true);
  EXPECT_TRUE(v.ValuesStored());
  EXPECT_EQ(v.StoredValues(), (std::vector<double>{1, 2}));
  TRtDoubleVector r;
  r.SetPersistentValues(true);
  EXPECT_FALSE(r.ValuesStored());
  r.ReadStoredValues(v.StoredValues());
  r.ReadStoredValues(std::vector<double>{3});
  EXPECT_EQ(Contents(r), (std::vector<double>{1, 2, 3}));
}

TEST(RtDoubleVector, EnumeratorVisitsEveryElement) {
  TRtDoubleVector v;
  auto empty = v.GetEnumerator();
  EXPECT_FALSE(empty.MoveNext());
  AppendAll(v, {4, 5, 6});
  std::vector<double> seen;
  auto e = v.GetEnumerator();
  while (e.MoveNext()) seen.push_back(e.GetCurrent());
  EXPECT_EQ(seen, (std::vector<double>{4, 5, 6}));
  EXPECT_FALSE(e.MoveNext());
}

// ---- plain vectors -----------------------------------------------------------------------------

TEST(RtPlainVectors, CreateSetsIncrementAndCapacity) {
  TRtIntegerVector a(10), b(0), c;
  EXPECT_EQ(a.Capacity(), 10);
  EXPECT_EQ(a.Increment(), 10);
  EXPECT_EQ(b.Capacity(), 128);
  EXPECT_EQ(c.Increment(), 128);
  EXPECT_EQ(a.Count(), 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(a.Add(i), i + 1);
  EXPECT_EQ(a.Capacity(), 20);
  a.SetValue(35, 1);
  EXPECT_EQ(a.Count(), 36);
  EXPECT_EQ(a.Capacity(), 40);
  EXPECT_EQ(a.GetValue(30), 0);
}

TEST(RtPlainVectors, CountAndCapacitySetters) {
  TRtBooleanVector bv(4);
  bv.SetValue(2, true);
  bv.SetCount(10);
  EXPECT_EQ(bv.Count(), 10);
  EXPECT_EQ(bv.Capacity(), 10);
  EXPECT_TRUE(bv.GetValue(2));
  EXPECT_FALSE(bv.GetValue(9));
  bv.SetCount(1);
  EXPECT_EQ(bv.Capacity(), 1);

  TRtIntegerVector iv(4);
  iv.SetCapacity(3);
  EXPECT_EQ(iv.Capacity(), 4);
  iv.SetCapacity(4);
  EXPECT_EQ(iv.Capacity(), 4);
  iv.SetCapacity(9);
  EXPECT_EQ(iv.Capacity(), 9);

  TRtSingleVector sv(4);
  sv.SetCapacity(4);
  EXPECT_EQ(sv.Capacity(), 4);
  sv.SetCapacity(5);
  EXPECT_EQ(sv.Capacity(), 5);

  TRtPointVector pv(4);
  pv.SetCount(6);
  EXPECT_EQ(pv.Count(), 6);
  EXPECT_EQ(pv.Capacity(), 8);
  pv.SetCount(2);  // never lowers
  EXPECT_EQ(pv.Count(), 6);
}

TEST(RtPlainVectors, DeleteClearAndPoints) {
  TRtSingleVector sv;
  for (float x : {1.f, 2.f, 3.f}) sv.Add(x);
  sv.Delete(0);
  sv.Delete(5);
  EXPECT_EQ(sv.Count(), 2);
  EXPECT_EQ(sv.GetValue(0), 2.f);
  sv.Clear();
  EXPECT_EQ(sv.Count(), 0);
  EXPECT_EQ(sv.Capacity(), 128);

  TRtPointVector pv;
  pv.Add(1, 2);
  pv.SetX(3, 7);
  EXPECT_EQ(pv.Count(), 4);
  pv.SetY(3, 8);
  EXPECT_EQ(pv.GetValue(3), (TRtPointF{7, 8}));
  EXPECT_EQ(pv.GetX(1), 0);
  std::vector<TRtPointF> seen;
  auto e = pv.GetEnumerator();
  while (e.MoveNext()) seen.push_back(e.GetCurrent());
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], (TRtPointF{1, 2}));
}
