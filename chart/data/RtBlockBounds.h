// Smallest and largest value of each whole block of 64 consecutive elements of a vector, for
// the thinning to pass over a block whose every pair maps within a pixel of the last point.
// Brought up to date lazily; a write drops the blocks from the one it touched.
#pragma once

#include <vector>

class TRtBlockBounds {
 public:
  static constexpr int kShift = 6;
  static constexpr int kSize = 1 << kShift;

  // Blocks from the one holding element i on are no longer valid.
  void InvalidateFrom(int i) {
    const int b = i > 0 ? i >> kShift : 0;
    if (b < fValid) fValid = b;
  }
  // Computes the blocks of Data[0 .. Count-1] not yet valid; returns how many whole blocks there
  // are. A block holding a NaN gets bounds -inf .. +inf, so no range test ever passes it.
  int Extend(const double* Data, int Count);
  // Bounds of block b (b below what Extend returned).
  double Min(int b) const { return fMin[static_cast<unsigned>(b)]; }
  double Max(int b) const { return fMax[static_cast<unsigned>(b)]; }

 private:
  std::vector<double> fMin, fMax;
  int fValid = 0;
};
