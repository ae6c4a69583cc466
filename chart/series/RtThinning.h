// Turning value pairs into plotted pixel points: the visible range of ascending X data and the
// one-pixel thinning of line-only and symbol series. Templates over a source that yields the
// pixel point of pair i (Point) and whether pair i has values (Has), so the hot loops inline.
#pragma once

#include <algorithm>
#include <cmath>
#include <concepts>
#include <vector>

#include "chart/data/RtVectors.h"

// Clears the upper halves of the vector registers (x86-64 with AVX; nothing elsewhere). Library
// code that uses wide vector instructions and returns without clearing them (some font and raster
// paths do) leaves a state in which every ordinary scalar floating-point instruction after it
// runs several times slower on recent processors; the long loops call this once before they start.
void RtClearUpperVectorState();

struct TRtPlotPoints {
  std::vector<TRtPointF> Points;
  std::vector<int> Index;
  void Add(TRtPointF p, int i) {
    Points.push_back(p);
    Index.push_back(i);
  }
  void Clear() {
    Points.clear();
    Index.clear();
  }
};

// First index after i (up to Last) whose pair has values; Last + 1 when none.
template <typename Src>
inline int RtNextWithValues(const Src& s, int i, int Last) {
  do ++i;
  while (i <= Last && !s.Has(i));
  return i;
}

// A source that can pass over whole blocks of pairs: SkipInside(i, Last, P, Strict, Q) returns
// the largest k in i .. Last such that every pair with values in i+1 .. k lies within a pixel of P
// in x and in y (closer than one pixel when Strict, at most one pixel otherwise), and sets Q to
// the point of pair k when k > i. Returning i is always allowed.
template <typename Src>
concept RtSkipsBlocks = requires(const Src& s, TRtPointF p, TRtPointF& q) {
  { s.SkipInside(0, 0, p, true, q) } -> std::same_as<int>;
};

// Line-only thinning between First and Last (both with values): keeps, per pixel column, the
// entry point, the turning points of the values more than a pixel apart, and the exit point;
// skips points within one pixel of the last kept point; always keeps Last.
template <typename Src>
void RtThinLine(const Src& s, int First, int Last, TRtPlotPoints& Out) {
  TRtPointF P = s.Point(First);
  Out.Add(P, First);
  int i = RtNextWithValues(s, First, Last);
  while (i <= Last) {
    TRtPointF Q = s.Point(i);
    int qi = i;
    while (std::abs(Q.X - P.X) < 1 && std::abs(Q.Y - P.Y) < 1) {
      if constexpr (RtSkipsBlocks<Src>) {
        const int k = s.SkipInside(i, Last, P, true, Q);
        if (k > i) i = qi = k;
      }
      const int j = RtNextWithValues(s, i, Last);
      if (j > Last) break;
      i = qi = j;
      Q = s.Point(i);
    }
    if (i < Last - 1 && std::abs(P.X - Q.X) < 1) {
      int j = RtNextWithValues(s, i, Last);
      const bool down = P.Y < Q.Y;
      while (j <= Last) {
        const TRtPointF R = s.Point(j);
        if (std::abs(P.X - R.X) >= 1 || (down ? !(Q.Y <= R.Y) : !(Q.Y >= R.Y))) break;
        Q = R;
        i = qi = j;
        j = RtNextWithValues(s, j, Last);
      }
    }
    Out.Add(Q, qi);
    P = Q;
    i = RtNextWithValues(s, i, Last);
  }
}

// Symbol thinning: a pair is plotted when it lies more than one pixel (in x or in y) from the
// last plotted point. With points already in Out (an incremental update) First is tested too.
template <typename Src>
void RtThinSymbols(const Src& s, int First, int Last, TRtPlotPoints& Out) {
  int i = First;
  if (Out.Points.empty()) {
    Out.Add(s.Point(First), First);
    i = RtNextWithValues(s, First, Last);
  }
  TRtPointF P = Out.Points.back();
  for (; i <= Last; i = RtNextWithValues(s, i, Last)) {
    const TRtPointF Q = s.Point(i);
    if (std::abs(Q.X - P.X) > 1 || std::abs(Q.Y - P.Y) > 1) {
      Out.Add(Q, i);
      P = Q;
    }
    if constexpr (RtSkipsBlocks<Src>) {
      TRtPointF skipped;
      i = s.SkipInside(i, Last, P, false, skipped);
    }
  }
}

// Visible range of ascending X: First moves up while X(First + 1) < AxisStart and First + 1 <
// Last; Last moves down while X(Last - 1) > AxisStop and Last - 1 > First (one pair outside each
// end remains). X must be strictly ascending over First .. Last.
template <typename XAt>
void RtAscendingVisibleRangeBy(XAt&& X, double AxisStart, double AxisStop, int& First, int& Last) {
  if (Last - First < 2) return;
  // Smallest k in First+1 .. Last with X(k) >= AxisStart (Last + 1 when none).
  int lo = First + 1, hi = Last + 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (X(mid) < AxisStart)
      lo = mid + 1;
    else
      hi = mid;
  }
  First = std::min(lo - 1, Last - 1);
  if (Last - First < 2) return;
  // Largest j in First+1 .. Last-1 with X(j) <= AxisStop.
  lo = First + 1;
  hi = Last;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (X(mid) <= AxisStop)
      lo = mid + 1;
    else
      hi = mid;
  }
  Last = lo - 1 >= First + 1 ? lo : First + 1;
}
inline void RtAscendingVisibleRange(const double* X, double AxisStart, double AxisStop, int& First,
                                    int& Last) {
  RtAscendingVisibleRangeBy([X](int i) { return X[i]; }, AxisStart, AxisStop, First, Last);
}
