// Pacing of the repaints a graph asks for itself (new data, changed settings). A graph whose
// drawing has become slow (hundreds of thousands of plotted points) would otherwise repaint on
// every new row and hold the main thread: after a paint slower than kRtSlowPaintMs the next one
// waits until kRtPaintRest times that paint's length has passed since it ended, so such a graph
// takes at most a quarter of the main thread. Paints the window system asks for (expose,
// resize) and pictures are never held back.
#pragma once

#include <cmath>

constexpr double kRtSlowPaintMs = 50;  // the polling interval: faster paints are never held back
constexpr double kRtPaintRest = 3;

// Milliseconds a repaint asked for now waits; 0: paint at once.
inline int RtRepaintDelayMs(double LastPaintMs, double SinceLastPaintMs) {
  if (!(LastPaintMs >= kRtSlowPaintMs)) return 0;
  const double wait = kRtPaintRest * LastPaintMs - SinceLastPaintMs;
  return wait > 0 ? int(std::ceil(wait)) : 0;
}
