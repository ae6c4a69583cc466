// A 600 x 400 graph like the program's sensor graph: time along the bottom, the main value on
// the right, a second value on the left, a point series over 0 .. 100 on the first two.
#pragma once

#include <QPainter>

#include <cmath>

#include "chart/graph/RtGraph2D.h"
#include "chart/series/RtFunctionSeries.h"

// What the graph needs of a legend, with a fixed size.
class TFakeLegend : public QObject, public IRtGraphLegend {
 public:
  TFakeLegend(TRtGraphBase* g, TRtLegendPosition p, QSize s) : fGraph(g), fPos(p), fRect({}, s) {
    g->AddLegend(this);
  }
  ~TFakeLegend() override { fGraph->RemoveLegend(this); }
  QObject* LegendObject() override { return this; }
  bool LegendVisible() const override { return true; }
  TRtLegendPosition LegendPosition() const override { return fPos; }
  QRect LegendBounds() const override { return fRect; }
  void SetLegendOrigin(int l, int t) override { fRect.moveTo(l, t); }
  void PreparePaint() override { ++Prepared; }
  void PaintGr(QPainter& p) override { p.fillRect(QRect({}, fRect.size()), Qt::yellow); }
  void Modified() override {}
  bool LegendMousePress(QPoint pos, Qt::MouseButtons, Qt::KeyboardModifiers) override {
    if (fPos != TRtLegendPosition::FreeFloating) return false;
    fDrag = pos;
    return true;
  }
  void LegendMouseMove(QPoint pos) override {
    fRect.translate(pos - fDrag);
    fDrag = pos;
  }
  void LegendMouseRelease(QPoint) override { ++Released; }
  int Prepared = 0, Released = 0;

 private:
  TRtGraphBase* fGraph;
  TRtLegendPosition fPos;
  QRect fRect;
  QPoint fDrag;
};

struct TGraphScene {
  explicit TGraphScene(int n = 101) {
    g.resize(600, 400);
    y.SetPosition(TRtAxisPosition::Right);
    y2.SetPosition(TRtAxisPosition::Left);
    for (TRtAxis* a : {&x, &y, &y2}) a->SetGraph(&g);
    for (int i = 0; i < n; ++i) {
      vx.Add(i * 100.0 / std::max(n - 1, 1));
      vy.Add(5 + 4 * std::sin(i * 0.1));
    }
    s.SetXAxis(&x);
    s.SetYAxis(&y);
    s.SetXData(&vx);
    s.SetYData(&vy);
  }
  QImage Render() { return g.RenderImage(); }
  // The series' axes fixed to 0 .. XStop and YStart .. YStop.
  void FixAxes(double XStop, double YStart, double YStop) {
    for (TRtAxis* a : {&x, &y}) {
      a->SetStartEnd(TRtAxisEnd::Fixed);
      a->SetStopEnd(TRtAxisEnd::Fixed);
    }
    x.SetStartStop(0, XStop);
    y.SetStartStop(YStart, YStop);
  }

  TRtGraph2D g;
  TRtAxis x, y, y2;
  TRtDoubleVector vx, vy;
  TRtPointSeries s;
};
