// A test graph of 600 x 400 pixels with a bottom X axis and a left Y axis, two vectors, and a
// way to bring everything up to date as the graph's paint would.
#pragma once

#include <gtest/gtest.h>

#include "TestGraph.h"
#include "chart/series/RtFunctionSeries.h"
#include "chart/series/RtSeries.h"
#include "tests/support/ScopedFormatSettings.h"

class SeriesFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    g.SetGeometry(600, 400);
    y.SetPosition(TRtAxisPosition::Left);
    x.SetGraph(&g);
    y.SetGraph(&g);
    g.XAxis = &x;
    g.YAxis = &y;
  }
  void Bind(TRtSeries& s, TRtCustomDoubleVector* X, TRtCustomDoubleVector* Y) {
    s.SetXAxis(&x);
    s.SetYAxis(&y);
    if (X) s.SetXData(X);
    if (Y) s.SetYData(Y);
  }
  // Poll, layout, points.
  void Update() {
    g.Poll();
    g.Layout();
    for (TRtSeries* s : g.RelatedSeries())
      if (s->RecalculatePoints()) s->CalculatePoints();
  }
  void Fill(TRtDoubleVector& v, std::initializer_list<double> values) {
    for (double d : values) v.Add(d);
  }

  ScopedFormatSettings fs{TFormatSettings::FromLocale("C")};
  TTestGraph g;
  TRtAxis x, y;
  TRtDoubleVector vx, vy;
};
