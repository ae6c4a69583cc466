#include "chart/data/RtBlockBounds.h"

#include <limits>

int TRtBlockBounds::Extend(const double* Data, int Count) {
  const int whole = Data && Count > 0 ? Count >> kShift : 0;
  if (whole < fValid) fValid = whole;
  if (fValid == whole) return whole;
  fMin.resize(static_cast<unsigned>(whole));
  fMax.resize(static_cast<unsigned>(whole));
  for (int b = fValid; b < whole; ++b) {
    const double* p = Data + (static_cast<long long>(b) << kShift);
    double lo = p[0], hi = p[0];
    bool nan = p[0] != p[0];
    for (int k = 1; k < kSize; ++k) {
      const double v = p[k];
      nan |= v != v;
      lo = v < lo ? v : lo;
      hi = v > hi ? v : hi;
    }
    if (nan) {
      lo = -std::numeric_limits<double>::infinity();
      hi = std::numeric_limits<double>::infinity();
    }
    fMin[static_cast<unsigned>(b)] = lo;
    fMax[static_cast<unsigned>(b)] = hi;
  }
  fValid = whole;
  return whole;
}
