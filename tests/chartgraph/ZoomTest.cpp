#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include "GraphScene.h"
#include "chart/data/RtExceptions.h"

namespace {

void Drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers mod = Qt::NoModifier) {
  QTest::mousePress(w, Qt::LeftButton, mod, from);
  QTest::mouseMove(w, (from + to) / 2);
  QTest::mouseMove(w, to);
  QTest::mouseRelease(w, Qt::LeftButton, mod, to);
}

void Send(QWidget* w, QEvent::Type t, QPoint p, Qt::MouseButtons held) {
  QMouseEvent e(t, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// What the window system delivers for a double click: press, release, double click, release.
void DoubleClick(QWidget* w, QPoint p) {
  Send(w, QEvent::MouseButtonPress, p, Qt::LeftButton);
  Send(w, QEvent::MouseButtonRelease, p, Qt::NoButton);
  Send(w, QEvent::MouseButtonDblClick, p, Qt::LeftButton);
  Send(w, QEvent::MouseButtonRelease, p, Qt::NoButton);
}

struct TRange {
  double Start, Stop;
  bool operator==(const TRange&) const = default;
};
TRange R(const TRtAxis& a) {
  return {a.Start(), a.Stop()};
}

const QPoint kBeside(5, 200);  // in the left axis band

class ZoomFixture : public ::testing::Test {
 protected:
  void SetUp() override { sc.Render(); }
  void ZoomIn() {
    Drag(&sc.g, {200, 100}, {400, 250});
    sc.Render();
  }
  TGraphScene sc;
};

}  // namespace

TEST(ZoomDecisions, ReleaseScrollBarAndPan) {
  const QRectF d(50, 20, 500, 300);
  using Z = TRtZoomRelease;
  EXPECT_EQ(RtZoomReleaseAction({100, 100}, {300, 200}, d, false, false), Z::ZoomTo);
  EXPECT_EQ(RtZoomReleaseAction({300, 200}, {100, 100}, d, false, false), Z::ZoomTo);
  EXPECT_EQ(RtZoomReleaseAction({100, 100}, {104, 300}, d, false, false), Z::RepaintOnly);
  EXPECT_EQ(RtZoomReleaseAction({300, 200}, {100, 100}, d, false, true), Z::Back);
  EXPECT_EQ(RtZoomReleaseAction({300, 200}, {40, 100}, d, true, true), Z::Reset);
  EXPECT_EQ(RtZoomReleaseAction({300, 200}, {60, 100}, d, true, false), Z::ZoomTo);
  EXPECT_TRUE(RtIsClickBeside({10, 10}, {13, 13}, d));
  EXPECT_FALSE(RtIsClickBeside({10, 10}, {14, 10}, d));
  EXPECT_FALSE(RtIsClickBeside({50, 20}, {50, 20}, d));  // the edge counts as inside

  TRtScrollBarState s = RtScrollBarState(20, 40, 0, 100, true, false);
  EXPECT_EQ(s.PageSize, 2000);
  EXPECT_EQ(s.Position, 2000);
  EXPECT_EQ(RtScrollBarState(20, 40, 0, 100, false, false).Position, 6000);
  EXPECT_EQ(RtScrollBarState(20, 40, 0, 100, true, true).Position, 6000);
  EXPECT_EQ(RtScrollBarState(20, 40, 0, 100, false, true).Position, 2000);
  EXPECT_EQ(RtScrollBarState(-10, 140, 0, 100, true, false).PageSize, 10000);

  double a, b;
  EXPECT_TRUE(RtPanRange(20, 40, 60, false, 0, 100, a, b));
  EXPECT_DOUBLE_EQ(a, 80);
  EXPECT_FALSE(RtPanRange(20, 40, 61, false, 0, 100, a, b));
  EXPECT_TRUE(RtPanRange(0, 1, 1, true, 1, 1000, a, b));
  EXPECT_DOUBLE_EQ(b, 100);
}

TEST(ZoomSettings, ShiftSetsExclusiveAndUndoTexts) {
  TRtGraph2D g;
  TRtZoomSettings* z = g.Zoom();
  EXPECT_EQ(z->StartZoom(), TShiftState(ssLeft));
  EXPECT_EQ(z->StartPanning(), TShiftState(ssShift | ssLeft));
  try {
    z->SetStartZoom(ssShift | ssLeft);
    FAIL();
  } catch (const ERtError& e) {
    EXPECT_STREQ(e.what(), "Zooming and panning not allowed to start with same parameters");
  }
  EXPECT_THROW(z->SetStartPanning(ssLeft), ERtError);
  TRtUndoStack undo;
  g.SetUndoStack(&undo);
  z->SetAuto(false);
  z->SetOptimizeSeries(true);
  z->SetHScrollbarVisible(false);
  EXPECT_EQ(undo.UndoList(),
            QStringList({"Graph zoomed show horizontal scrollbar",
                         "Graph zoom optimize for series data", "Graph auto zooming"}));
  undo.Undo();
  EXPECT_TRUE(z->HScrollbarVisible());
  EXPECT_EQ(g.findChild<TRtZoomSettings*>("Zoom"), z);
}

TEST_F(ZoomFixture, FirstZoomThenClickBesideBackToStageZero) {
  const TRange x0 = R(sc.x), y0 = R(sc.y);
  EXPECT_FALSE(sc.g.CanZoomBack());
  ZoomIn();
  EXPECT_EQ(sc.x.ZoomBufferSize(), 2);
  EXPECT_EQ(sc.y.ZoomStage(), 1);
  EXPECT_TRUE(sc.g.CanZoomBack());
  EXPECT_GT(sc.x.Start(), x0.Start);
  EXPECT_LT(sc.x.Stop(), x0.Stop);
  QTest::mouseClick(&sc.g, Qt::LeftButton, Qt::NoModifier, kBeside);
  sc.Render();
  EXPECT_EQ(sc.y.ZoomStage(), 0);
  EXPECT_FALSE(sc.g.CanZoomBack());
  EXPECT_EQ(R(sc.x), x0);
  EXPECT_EQ(R(sc.y), y0);
  QTest::mouseClick(&sc.g, Qt::LeftButton, Qt::NoModifier, kBeside);
  EXPECT_EQ(sc.y.ZoomStage(), 0);
  EXPECT_EQ(sc.y.ZoomBufferSize(), 2);
  // A click inside the data area does not step back; a tiny rectangle does not zoom.
  ZoomIn();
  const TRange x1 = R(sc.x);
  QTest::mouseClick(&sc.g, Qt::LeftButton, Qt::NoModifier, {300, 200});
  Drag(&sc.g, {300, 200}, {303, 260});
  EXPECT_EQ(R(sc.x), x1);
  EXPECT_EQ(sc.y.ZoomStage(), 1);
}

TEST_F(ZoomFixture, ZoomBackZoomAgainDropsTheRedoStage) {
  ZoomIn();
  ZoomIn();
  EXPECT_EQ(sc.x.ZoomBufferSize(), 3);
  sc.g.ZoomBack();
  sc.Render();
  EXPECT_TRUE(sc.g.CanRedoZoom());
  sc.g.ZoomBack();
  sc.Render();
  ZoomIn();
  EXPECT_EQ(sc.x.ZoomBufferSize(), 2);
  EXPECT_EQ(sc.y.ZoomBufferSize(), 2);
  EXPECT_EQ(sc.y2.ZoomBufferSize(), 2);
  EXPECT_FALSE(sc.g.CanRedoZoom());
}

TEST_F(ZoomFixture, CircularBufferWrapsBothWays) {
  sc.g.Zoom()->SetBufferType(TRtZoomBufferType::AsCircularBuffer);
  ZoomIn();
  ZoomIn();
  sc.g.ZoomToStage(0);
  EXPECT_EQ(sc.y.ZoomStage(), 0);
  sc.g.ZoomBack();
  EXPECT_EQ(sc.y.ZoomStage(), 2);
  sc.g.RedoZoom();
  EXPECT_EQ(sc.y.ZoomStage(), 0);
  sc.g.ZoomToStage(7);  // beyond the list: nothing
  EXPECT_EQ(sc.y.ZoomStage(), 0);
}

TEST_F(ZoomFixture, ReverseDragZoomsLikeAForwardOne) {
  TGraphScene other;
  other.Render();
  Drag(&other.g, {200, 100}, {400, 250});
  Drag(&sc.g, {400, 250}, {200, 100});
  EXPECT_EQ(R(sc.x), R(other.x));
  EXPECT_EQ(R(sc.y), R(other.y));
  EXPECT_EQ(sc.y.ZoomStage(), 1);
}

TEST_F(ZoomFixture, PanningOnlyOnAZoomedGraphAndWithinStageZero) {
  const TRange x0 = R(sc.x), y0 = R(sc.y);
  Drag(&sc.g, {300, 200}, {250, 150}, Qt::ShiftModifier);
  EXPECT_EQ(R(sc.x), x0);
  EXPECT_EQ(R(sc.y), y0);
  EXPECT_EQ(sc.y.ZoomBufferSize(), 0);

  ZoomIn();
  const TRange x1 = R(sc.x), y1 = R(sc.y);
  const QPoint p(300, 200);
  QTest::mousePress(&sc.g, Qt::LeftButton, Qt::ShiftModifier, p);
  EXPECT_TRUE(sc.g.Panning());
  QTest::mouseMove(&sc.g, p + QPoint(-40, 0));  // purely horizontal: no change yet
  EXPECT_EQ(R(sc.x), x1);
  QTest::mouseMove(&sc.g, p + QPoint(-40, 10));
  const double dx = 40 * sc.x.NormalizeConst(), dy = 10 * sc.y.NormalizeConst();
  EXPECT_NEAR(sc.x.Start(), x1.Start + dx, 1e-9);
  EXPECT_NEAR(sc.y.Stop(), y1.Stop + dy, 1e-9);
  QTest::mouseMove(&sc.g, p + QPoint(-2000, 2000));  // beyond the stage-0 range: refused
  EXPECT_NEAR(sc.x.Start(), x1.Start + dx, 1e-9);
  QTest::mouseRelease(&sc.g, Qt::LeftButton, Qt::ShiftModifier, p + QPoint(-2000, 2000));
  EXPECT_FALSE(sc.g.Panning());
  EXPECT_EQ(sc.y.ZoomStage(), 2);  // the panned view is a stage of its own
  EXPECT_GE(sc.x.Start(), sc.x.ScrollStart());
  EXPECT_LE(sc.x.Stop(), sc.x.ScrollStop());
}

TEST_F(ZoomFixture, DoubleClickResetsOnlyBesideTheDataArea) {
  ZoomIn();
  ZoomIn();
  DoubleClick(&sc.g, {300, 200});
  EXPECT_EQ(sc.y.ZoomStage(), 2);
  DoubleClick(&sc.g, kBeside);  // the click steps back, the double click resets
  sc.Render();
  EXPECT_EQ(sc.y.ZoomBufferSize(), 0);
  EXPECT_FALSE(sc.g.CanZoomBack());
}

TEST_F(ZoomFixture, ScrollBarsFollowTheZoomedRange) {
  QScrollBar* h = sc.g.HScrollBar();
  QScrollBar* v = sc.g.VScrollBar();
  EXPECT_TRUE(h->isHidden());
  EXPECT_TRUE(v->isHidden());
  ZoomIn();
  ASSERT_FALSE(h->isHidden());
  ASSERT_FALSE(v->isHidden());
  const double span = sc.x.ScrollStop() - sc.x.ScrollStart();
  EXPECT_EQ(h->pageStep(), std::lround(10000 * (sc.x.Stop() - sc.x.Start()) / span));
  EXPECT_EQ(h->value(), std::lround(10000 * (sc.x.Start() - sc.x.ScrollStart()) / span));
  const double vspan = sc.y.ScrollStop() - sc.y.ScrollStart();
  EXPECT_EQ(v->value(), 10000 - std::lround(10000 * (sc.y.Stop() - sc.y.ScrollStart()) / vspan));
  EXPECT_EQ(h->geometry().left(), int(sc.g.DrawingArea().x()));
  EXPECT_EQ(h->geometry().bottom(), 399);
  EXPECT_EQ(v->geometry().left(), 0);

  const TRange x1 = R(sc.x);
  const int stage = sc.y.ZoomStage();
  h->triggerAction(QAbstractSlider::SliderPageStepAdd);
  sc.Render();
  EXPECT_GT(sc.x.Start(), x1.Start);
  EXPECT_NEAR(sc.x.Stop() - sc.x.Start(), x1.Stop - x1.Start, 1e-9);
  EXPECT_EQ(sc.y.ZoomStage(), stage + 1);
  for (int i = 0; i < 20; ++i) h->triggerAction(QAbstractSlider::SliderPageStepAdd);
  sc.Render();
  EXPECT_LE(sc.x.Stop(), sc.x.ScrollStop());
  EXPECT_EQ(h->value(), h->maximum());
}
