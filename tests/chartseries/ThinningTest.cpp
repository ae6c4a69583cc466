#include <gtest/gtest.h>

#include <random>

#include "chart/series/RtThinning.h"

namespace {

struct TPoints {
  std::vector<TRtPointF> p;
  std::vector<bool> has;
  TRtPointF Point(int i) const { return p[std::size_t(i)]; }
  bool Has(int i) const { return has.empty() || has[std::size_t(i)]; }
  int Last() const { return int(p.size()) - 1; }
};

std::vector<int> ThinLine(const TPoints& s) {
  TRtPlotPoints out;
  RtThinLine(s, 0, s.Last(), out);
  return out.Index;
}

TEST(RtThinningTest, OneColumnKeepsEntryTurningPointsAndExit) {
  TPoints s;
  for (int i = 0; i < 3000; ++i) {
    const float y = i <= 999    ? i * 0.05f
                    : i <= 1999 ? 49.95f - (i - 999) * 0.03f
                                : 19.95f + (i - 1999) * 0.02f;
    s.p.push_back({10 + i * 0.0003f, y});
  }
  s.p.push_back({12, 40});
  s.p.push_back({13, 41});
  EXPECT_EQ(ThinLine(s), (std::vector<int>{0, 999, 1999, 2999, 3000, 3001}));
}

TEST(RtThinningTest, MonotonicRunInAColumnLeavesItsLastPoint) {
  TPoints s;
  for (int i = 0; i < 500; ++i) s.p.push_back({20 + i * 0.001f, i * 0.1f});
  s.p.push_back({25, 10});
  EXPECT_EQ(ThinLine(s), (std::vector<int>{0, 499, 500}));
  // The same falling.
  TPoints f;
  for (int i = 0; i < 500; ++i) f.p.push_back({20 + i * 0.001f, 100 - i * 0.1f});
  f.p.push_back({25, 10});
  EXPECT_EQ(ThinLine(f), (std::vector<int>{0, 499, 500}));
}

TEST(RtThinningTest, NearPointsAreSkippedButTheLastIsAlwaysKept) {
  TPoints s;
  s.p = {{0, 0}, {0.5f, 0.5f}, {0.9f, 0.9f}, {0.99f, 0.1f}};
  EXPECT_EQ(ThinLine(s), (std::vector<int>{0, 3}));
  TPoints two;
  two.p = {{0, 0}, {0.2f, 0.2f}};
  EXPECT_EQ(ThinLine(two), (std::vector<int>{0, 1}));
  // No look-ahead from the second-to-last pair: three rising points in one column all stay.
  TPoints three;
  three.p = {{0, 0}, {0.1f, 5}, {0.2f, 10}};
  EXPECT_EQ(ThinLine(three), (std::vector<int>{0, 1, 2}));
  TPoints one;
  one.p = {{3, 3}};
  EXPECT_EQ(ThinLine(one), (std::vector<int>{0}));
  // Points a pixel or more apart are all kept.
  TPoints spread;
  for (int i = 0; i < 10; ++i) spread.p.push_back({float(i), float(i % 2) * 5});
  EXPECT_EQ(ThinLine(spread).size(), 10u);
  // Exactly one pixel apart in x counts as the next column.
  TPoints edge;
  edge.p = {{0, 0}, {1, 0}, {2, 0}};
  EXPECT_EQ(ThinLine(edge), (std::vector<int>{0, 1, 2}));
}

TEST(RtThinningTest, PairsWithoutValuesAreJumped) {
  TPoints s;
  s.p = {{0, 0}, {5, 100}, {10, 0}, {15, 100}, {20, 0}};
  s.has = {true, false, true, false, true};
  EXPECT_EQ(ThinLine(s), (std::vector<int>{0, 2, 4}));
}

TEST(RtThinningTest, SymbolsNeedMoreThanOnePixelDistance) {
  TPoints s;
  s.p = {{0, 0},    {0.5f, 0}, {1.0f, 0},    {1.5f, 0},
         {2.1f, 0}, {3.2f, 0}, {3.2f, 1.0f}, {3.2f, 2.01f}};
  TRtPlotPoints out;
  RtThinSymbols(s, 0, s.Last(), out);
  EXPECT_EQ(out.Index, (std::vector<int>{0, 3, 5, 7}));
  // An incremental update compares the new pairs with the last plotted point.
  TPoints more = s;
  more.p.push_back({3.5f, 2.5f});
  more.p.push_back({5.0f, 2.5f});
  RtThinSymbols(more, 8, more.Last(), out);
  EXPECT_EQ(out.Index, (std::vector<int>{0, 3, 5, 7, 9}));
}

// The range rule as written: one pair outside each end remains.
void LinearRange(const std::vector<double>& X, double a, double b, int& first, int& last) {
  while (first + 1 < last && X[std::size_t(first + 1)] < a) ++first;
  while (last - 1 > first && X[std::size_t(last - 1)] > b) --last;
}

TEST(RtThinningTest, AscendingVisibleRangeAsTheStepwiseRule) {
  std::vector<double> X(100);
  for (int i = 0; i < 100; ++i) X[std::size_t(i)] = i;
  int first = 0, last = 99;
  RtAscendingVisibleRange(X.data(), 30.5, 60.5, first, last);
  EXPECT_EQ(first, 30);
  EXPECT_EQ(last, 61);
  first = 0;
  last = 99;
  RtAscendingVisibleRange(X.data(), 30, 60, first, last);  // values on the ends
  EXPECT_EQ(first, 29);
  EXPECT_EQ(last, 61);
  first = 0;
  last = 99;
  RtAscendingVisibleRange(X.data(), 200, 300, first, last);  // all left of the view
  EXPECT_EQ(first, 98);
  EXPECT_EQ(last, 99);
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    const int n = 2 + int(rng() % 60);
    std::vector<double> v(static_cast<std::size_t>(n));
    double t = 0;
    for (double& e : v) e = (t += 0.5 + (rng() % 100) / 50.0);
    const double a = double(rng() % 80) - 5, b = a + double(rng() % 60);
    int f1 = int(rng() % std::size_t(n)), l1 = n - 1;
    int f2 = f1, l2 = l1;
    LinearRange(v, a, b, f1, l1);
    RtAscendingVisibleRange(v.data(), a, b, f2, l2);
    ASSERT_EQ(f1, f2) << round;
    ASSERT_EQ(l1, l2) << round;
  }
}

}  // namespace
