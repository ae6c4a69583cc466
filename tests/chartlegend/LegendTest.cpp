// Legends on a test graph: which series get entries, the box size, the position and its undo,
// dragging, lifetime, and a rendered legend.
#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QPainter>

#include <memory>

#include "Pixels.h"
#include "chart/legend/RtLegend.h"
#include "tests/chartseries/SeriesFixture.h"

namespace {

class RtLegendTest : public SeriesFixture {
 protected:
  void SetUp() override {
    SeriesFixture::SetUp();
    g.Undo = &undo;
    Fill(vx, {1, 2, 3});
    Fill(vy, {1, 2, 3});
    legend.setObjectName(QStringLiteral("Legend1"));
  }
  // A point series on the graph (blue symbols, red line).
  TRtPointSeries* AddSeries(const char* Name, const char* Caption) {
    auto* s = new TRtPointSeries(&owner);
    s->setObjectName(QString::fromLatin1(Name));
    s->SetCaption(QString::fromLatin1(Caption));
    Bind(*s, &vx, &vy);
    return s;
  }
  std::vector<TRtSeries*> Items() {
    legend.PreparePaint();
    return legend.Items();
  }

  TRtUndoStack undo;
  QObject owner;
  TRtLegend legend;
};

TEST_F(RtLegendTest, GraphWithoutSeriesGivesTheEmptyBoxAndAShadowOnlyBelowAnOpaqueBack) {
  legend.SetGraph(&g);
  legend.SetDropShadow(true);  // transparent back: no shadow, no extra size
  legend.PreparePaint();
  EXPECT_EQ(legend.LegendBounds().size(), QSize(16, 16));
  EXPECT_FALSE(legend.ShadowDrawn());
  legend.SetBackColor(RtColors::White);
  legend.PreparePaint();
  EXPECT_TRUE(legend.ShadowDrawn());
  EXPECT_EQ(legend.LegendBounds().size(), QSize(21, 20));
}

TEST_F(RtLegendTest, EntriesFollowVisibilityCaptionsAndTheOrderList) {
  TRtSeries* a = AddSeries("SeriesA", "Alpha");
  TRtSeries* b = AddSeries("SeriesB", "Beta");
  TRtSeries* c = AddSeries("SeriesC", "Gamma");
  legend.SetGraph(&g);
  EXPECT_EQ(Items(), (std::vector<TRtSeries*>{a, b, c}));
  ASSERT_EQ(legend.LegendCaptions().Count(), 3);
  EXPECT_EQ(legend.LegendCaptions().GetValue(1).FText, QStringLiteral("Beta"));
  // Entry height: the tallest sample (symbol size + 2) when taller than the font's "M".
  a->PointSymbol()->SetSize(20);
  Items();
  EXPECT_EQ(legend.EffectiveItemHeight(), 22);
  EXPECT_EQ(legend.ItemRects()[0].height(), 22);

  b->SetVisible(false);
  EXPECT_TRUE(legend.NeedsRecalculate());
  EXPECT_EQ(Items(), (std::vector<TRtSeries*>{a, c}));
  const int width = legend.Width();
  c->SetCaption(QStringLiteral("Gamma, a much longer caption"));
  EXPECT_EQ(Items().size(), 2u);
  EXPECT_GT(legend.Width(), width + 50);
  EXPECT_EQ(legend.LegendCaptions().GetValue(1).FText,
            QStringLiteral("Gamma, a much longer caption"));

  c->SetIncludeInLegend(false);
  EXPECT_EQ(Items(), (std::vector<TRtSeries*>{a}));
  delete AddSeries("Gone", "Gone");  // a series that goes takes its entry along
  EXPECT_EQ(Items(), (std::vector<TRtSeries*>{a}));
  c->SetIncludeInLegend(true);
  b->SetVisible(true);
  legend.SetItemsOrderList({QStringLiteral("seriesc"), QStringLiteral("SeriesA")});
  EXPECT_EQ(Items(), (std::vector<TRtSeries*>{c, a, b}));

  legend.OnGetLegendItemCaption = [](TRtSeries*, TRtLegendItemCaptionEventArgs& e) {
    e.Caption = QStringLiteral("#%1 ").arg(e.Index) + e.Caption;
  };
  legend.Modified();
  Items();
  EXPECT_EQ(legend.LegendCaptions().GetValue(2).FText, QStringLiteral("#2 Beta"));
}

TEST_F(RtLegendTest, HiddenSeriesThatAVisibleOneMergesIntoKeepsTheSharedEntry) {
  TRtSeries* hidden = AddSeries("Hidden", "Shared");
  TRtSeries* merging = AddSeries("Merging", "Merged");
  hidden->SetVisible(false);
  legend.SetGraph(&g);
  EXPECT_EQ(Items(), (std::vector<TRtSeries*>{merging}));
  merging->SetMergeLegendItemWith(hidden);
  EXPECT_EQ(Items(), (std::vector<TRtSeries*>{hidden}));
  merging->SetVisible(false);
  EXPECT_TRUE(Items().empty());
}

TEST_F(RtLegendTest, CaptionColoursComeFromTheChosenSource) {
  TRtSeries* a = AddSeries("SeriesA", "Alpha");
  a->Line()->SetColor(0xFF00AA00);
  a->Area()->SetForeColor(0xFF123456);
  legend.SetGraph(&g);
  Items();
  EXPECT_EQ(legend.LegendCaptions().GetValue(0).FColorOverride, 0u);
  legend.SetLegendCaptionColorFrom(TRtLegendCaptionColorFrom::SeriesLineColor);
  Items();
  EXPECT_EQ(legend.LegendCaptions().GetValue(0).FColorOverride, 0xFF00AA00u);
  legend.SetLegendCaptionColorFrom(TRtLegendCaptionColorFrom::SeriesAreaForeColor);
  Items();
  EXPECT_EQ(legend.LegendCaptions().GetValue(0).FColorOverride, 0xFF123456u);
}

TEST_F(RtLegendTest, SettersRecordTheirOwnPropertyUnderTheirDescription) {
  TTestGraph other;
  legend.SetGraph(&g);
  ASSERT_EQ(legend.UndoStack(), &undo);
  const struct {
    const char* Property;
    QVariant Value;
    const char* Description;
  } cases[] = {
      {"DropShadow", true, "Drop shadow below legend"},
      {"ItemHeight", 20.0f, "Legend items height"},
      {"ItemWidth", 60.0f, "Legend item width"},
      {"DistanceItemCaption", 6.0f, "Distance between legend items and caption"},
      {"DistanceBetweenLines", 5.0f, "Distance between legend item lines"},
      {"DistanceBetweenColumns", 12.0f, "Distance between legend item columns"},
      {"DistanceToBorder", 4.0f, "Distance of legend items to border"},
      {"CornerRounding", 3.0f, "Legend border corner rounding radius"},
      {"Columns", 2, "Legend number of columns"},
      {"Rows", 2, "Legend number of rows"},
      {"ItemsOrder", QVariant::fromValue(TRtItemsOrder::ByRow), "Legend items order by row/column"},
      {"ItemsOrderList", QStringList{QStringLiteral("A")}, "Legend items order list"},
      {"Visible", false, "Legend visible"},
      {"Graph", QVariant::fromValue<QObject*>(&other), "Legend graph"},
      {"BorderLowered", true, "Legend border lowered drawing"},
      {"BorderRaised", true, "Legend border raised drawing"},
  };
  for (const auto& c : cases) {
    const QVariant before = legend.property(c.Property);
    ASSERT_TRUE(legend.setProperty(c.Property, c.Value)) << c.Property;
    ASSERT_GE(undo.UndoCount(), 1) << c.Property;
    EXPECT_EQ(undo.UndoList().front(), QString::fromLatin1(c.Description));
    undo.Undo();
    EXPECT_EQ(legend.property(c.Property), before) << c.Property;
  }
  // A border style hides the frame line; one undo brings both back.
  EXPECT_TRUE(legend.Frame()->Visible());
  legend.SetBorderRaised(true);
  EXPECT_FALSE(legend.Frame()->Visible());
  undo.Undo();
  EXPECT_TRUE(legend.Frame()->Visible());
  EXPECT_FALSE(legend.BorderRaised());
  // The enumerations are published as such, and the whole legend can be recorded.
  const QMetaObject* m = legend.metaObject();
  for (const char* e : {"Position", "ItemsOrder", "LegendCaptionColorFrom", "CaptionAlignment"})
    EXPECT_TRUE(m->property(m->indexOfProperty(e)).isEnumType()) << e;
  EXPECT_NO_THROW(undo.PushComponent(&legend, QStringLiteral("Legend")));
  EXPECT_EQ(legend.Font()->objectName(), QStringLiteral("Font"));
  EXPECT_EQ(legend.Frame()->objectName(), QStringLiteral("Frame"));
}

TEST_F(RtLegendTest, DockingSetsTheOrderAndIsUndoneAsOneGroup) {
  legend.SetGraph(&g);
  legend.SetLeft(40);
  legend.SetItemsOrder(TRtItemsOrder::ByColumn);
  undo.Clear();
  const int modified = g.ModifiedCount;
  legend.SetPosition(TRtLegendPosition::BottomCenterOfGraph);
  EXPECT_EQ(legend.ItemsOrder(), TRtItemsOrder::ByRow);
  EXPECT_GT(g.ModifiedCount, modified);
  legend.SetPosition(TRtLegendPosition::RightTopOfAxis);
  EXPECT_EQ(legend.ItemsOrder(), TRtItemsOrder::ByColumn);
  legend.SetPosition(TRtLegendPosition::TopCenterOfAxis);
  EXPECT_EQ(undo.UndoList(), QStringList(3, QStringLiteral("Legend position")));
  // A docked legend's change re-lays the graph out.
  const int before = g.ModifiedCount;
  legend.SetDistanceToBorder(2);
  EXPECT_GT(g.ModifiedCount, before);
  legend.SetLegendOrigin(7, 9);
  undo.Undo(3);
  EXPECT_EQ(legend.Position(), TRtLegendPosition::FreeFloating);
  EXPECT_EQ(legend.ItemsOrder(), TRtItemsOrder::ByColumn);
  EXPECT_EQ(legend.Left(), 40);
  // Docked legends are not dragged.
  legend.SetPosition(TRtLegendPosition::LeftCenterOfGraph);
  EXPECT_FALSE(legend.LegendMousePress(legend.LegendBounds().center(), Qt::LeftButton, {}));
}

TEST_F(RtLegendTest, DragMovesTheLegendAndRecordsOneGroup) {
  legend.SetGraph(&g);
  legend.SetLeft(100);
  legend.SetTop(50);
  legend.PreparePaint();
  const QPoint inside = legend.LegendBounds().topLeft() + QPoint(5, 5);
  EXPECT_FALSE(legend.LegendMousePress(QPoint(20, 20), Qt::LeftButton, {}));
  EXPECT_FALSE(legend.LegendMousePress(inside, Qt::LeftButton, Qt::ShiftModifier));
  EXPECT_FALSE(legend.LegendMousePress(inside, Qt::RightButton, {}));
  EXPECT_EQ(undo.UndoCount(), 0);
  int started = 0;
  legend.OnStartFreeFloating = [&](TRtLegend*) { ++started; };
  ASSERT_TRUE(legend.LegendMousePress(inside, Qt::LeftButton, {}));
  EXPECT_TRUE(legend.Dragging());
  EXPECT_EQ(started, 1);
  const int invalidated = g.InvalidateCount;
  legend.LegendMouseMove(inside + QPoint(10, 4));
  legend.LegendMouseMove(inside + QPoint(30, 20));
  EXPECT_GT(g.InvalidateCount, invalidated);
  legend.LegendMouseRelease(inside + QPoint(31, 22));
  EXPECT_FALSE(legend.Dragging());
  EXPECT_EQ(QPoint(legend.Left(), legend.Top()), QPoint(131, 72));
  EXPECT_EQ(undo.UndoList(), QStringList{QStringLiteral("Legend position")});
  undo.Undo();
  EXPECT_EQ(QPoint(legend.Left(), legend.Top()), QPoint(100, 50));

  // Other keys when asked for.
  legend.SetStartFreeFloatingMovingKeys(TRtShiftStateItem::ssLeft | TRtShiftStateItem::ssCtrl);
  EXPECT_FALSE(legend.LegendMousePress(inside, Qt::LeftButton, {}));
  EXPECT_TRUE(legend.LegendMousePress(inside, Qt::LeftButton, Qt::ControlModifier));
  legend.LegendMouseRelease(inside);
}

TEST_F(RtLegendTest, LegendAndGraphForgetEachOtherWhenEitherGoes) {
  {
    TRtLegend l;
    l.SetGraph(&g);
    ASSERT_EQ(g.RelatedLegends().size(), 1u);
    EXPECT_EQ(g.RelatedLegends()[0], static_cast<IRtGraphLegend*>(&l));
    g.LegendsModified();
    EXPECT_TRUE(l.NeedsRecalculate());
  }
  EXPECT_TRUE(g.RelatedLegends().empty());
  auto other = std::make_unique<TTestGraph>();
  legend.SetGraph(other.get());
  EXPECT_EQ(legend.GraphComponent(), other.get());
  other.reset();
  EXPECT_EQ(legend.Graph(), nullptr);
  legend.SetVisible(false);  // no graph to call
  // A graph as owner becomes the graph at the first paint.
  auto* child = new TRtLegend(&g);
  child->PreparePaint();
  EXPECT_EQ(child->Graph(), &g);
  delete child;
  EXPECT_TRUE(g.RelatedLegends().empty());
}

TEST_F(RtLegendTest, RenderedLegendShowsSamplesAndCaptions) {
  for (TRtAxis* a : {&x, &y}) {
    a->SetStartEnd(TRtAxisEnd::Fixed);
    a->SetStopEnd(TRtAxisEnd::Fixed);
    a->SetStart(0);
    a->SetStop(10);
  }
  TRtSeries* line = AddSeries("Line", "Red line");
  line->PointSymbol()->SetVisible(false);
  line->Line()->SetWidth(3);
  TRtSeries* points = AddSeries("Points", "Blue symbols");
  points->Line()->SetVisible(false);
  legend.SetGraph(&g);
  legend.SetBackColor(RtColors::White);
  legend.SetDropShadow(true);
  legend.SetCaption(QStringLiteral("Legend"));
  legend.SetCaptionVisible(true);
  legend.SetLeft(380);
  legend.SetTop(30);
  const QImage img = g.Render();
  SavePng(img, QStringLiteral("legend-rendered"));

  const QRect box = legend.LegendBounds();
  ASSERT_EQ(legend.ItemRects().size(), 2u);
  const QRect lineSample = legend.ItemRects()[0].translated(box.topLeft());
  const QRect symbolSample = legend.ItemRects()[1].translated(box.topLeft());
  EXPECT_GT(CountPixels(img, lineSample, Reddish), 100);
  EXPECT_EQ(CountPixels(img, lineSample, Bluish), 0);
  EXPECT_GT(CountPixels(img, symbolSample, Bluish), 40);
  EXPECT_EQ(CountPixels(img, symbolSample, Reddish), 0);
  // Nothing of a sample leaks out of its rectangle.
  EXPECT_EQ(CountPixels(img, lineSample.adjusted(0, -6, 0, 6), Reddish),
            CountPixels(img, lineSample, Reddish));
  // Caption ink to the right of each sample, inside the box; the title above.
  for (const QRect& s : {lineSample, symbolSample}) {
    const QRect caption(s.right() + 2, s.top(), box.right() - s.right() - 8, s.height());
    EXPECT_GT(CountPixels(img, caption, NotWhite), 30);
  }
  const QRect title(box.left() + 8, box.top() + 8, box.width() - 16,
                    lineSample.top() - box.top() - 8);
  EXPECT_GT(CountPixels(img, title, NotWhite), 30);
  // The shadow darkens the strip below the box.
  EXPECT_TRUE(NotWhite(img.pixel(box.center().x(), box.bottom() - 2)));

  // An own drawing of the samples stays inside them.
  legend.OnDrawLegendItem = [](TRtSeries*, TRtLegendItemDrawArgs& e) {
    e.Graphics->fillRect(e.Rect.adjusted(-10, -10, 10, 10), Qt::green);
  };
  const QImage own = g.Render();
  auto green = [](QRgb c) { return c == 0xFF00FF00u; };
  EXPECT_EQ(CountPixels(own, box, green), lineSample.width() * lineSample.height() * 2);
}

}  // namespace
