// Arrangement of legend entries with exact numbers: captions 14 pixels high, entries 12 high,
// sample width 80 and caption offset 84, column gap 10, line gap 3, border 8.
#include <gtest/gtest.h>

#include "chart/legend/RtLegendLayout.h"

namespace {

TRtLegendLayoutInput Entries(std::initializer_list<double> Widths) {
  TRtLegendLayoutInput in;
  for (double w : Widths) in.Captions.emplace_back(w, 14);
  in.ItemHeight = 12;
  in.ItemsOrder = TRtItemsOrder::ByRow;
  return in;
}

TEST(RtLegendLayout, EmptyLegendIsTwiceTheBorderSquareAndGrowsByTheTitle) {
  for (TRtItemsOrder order : {TRtItemsOrder::ByRow, TRtItemsOrder::ByColumn}) {
    TRtLegendLayoutInput in = Entries({});
    in.ItemsOrder = order;
    TRtLegendLayout out = RtArrangeLegend(in);
    EXPECT_EQ(out.Size, QSize(16, 16));
    in.TitleShown = true;
    in.Title = QSizeF(30, 14);
    in.CaptionDistanceBefore = 2;
    in.CaptionDistanceAfter = 3;
    out = RtArrangeLegend(in);
    EXPECT_EQ(out.Size, QSize(46, 35));
    EXPECT_EQ(out.TitlePoint, QPoint(23, 10));
  }
}

TEST(RtLegendLayout, OneRowHoldsAllEntriesSideBySideCentred) {
  TRtLegendLayoutInput in = Entries({40, 50, 30});
  const TRtLegendLayout out = RtArrangeLegend(in);
  EXPECT_EQ(out.Size, QSize(408, 30));
  ASSERT_EQ(out.ItemRects.size(), 3u);
  EXPECT_EQ(out.ItemRects[0], QRect(8, 9, 80, 12));
  EXPECT_EQ(out.ItemRects[1], QRect(142, 9, 80, 12));
  EXPECT_EQ(out.ItemRects[2], QRect(286, 9, 80, 12));
  EXPECT_EQ(out.CaptionPoints[0], QPoint(92, 15));
  EXPECT_EQ(out.CaptionPoints[2], QPoint(370, 15));

  // Without AutoSize the row is centred on the actual width.
  TRtLegendLayoutInput fixed = Entries({40});
  fixed.AutoSize = false;
  fixed.ActualWidth = 300;
  EXPECT_EQ(RtArrangeLegend(fixed).ItemRects[0].x(), 88);
}

TEST(RtLegendLayout, AsManyRowsAsEntriesGivesOneEntryPerRowEachCentred) {
  TRtLegendLayoutInput in = Entries({40, 50, 30});
  in.Rows = 3;
  const TRtLegendLayout out = RtArrangeLegend(in);
  EXPECT_EQ(out.Size, QSize(150, 64));
  EXPECT_EQ(out.ItemRects[0], QRect(13, 9, 80, 12));
  EXPECT_EQ(out.ItemRects[1], QRect(8, 26, 80, 12));
  EXPECT_EQ(out.ItemRects[2], QRect(18, 43, 80, 12));
}

TEST(RtLegendLayout, TwoColumnsOfTwoEqualEntries) {
  TRtLegendLayoutInput in = Entries({40, 40, 40, 40});
  in.ItemsOrder = TRtItemsOrder::ByColumn;
  in.Columns = 2;
  const TRtLegendLayout out = RtArrangeLegend(in);
  EXPECT_EQ(out.Size, QSize(274, 47));
  EXPECT_EQ(out.ItemRects[0], QRect(8, 9, 80, 12));
  EXPECT_EQ(out.ItemRects[1], QRect(8, 26, 80, 12));
  EXPECT_EQ(out.ItemRects[2], QRect(142, 9, 80, 12));
  EXPECT_EQ(out.ItemRects[3], QRect(142, 26, 80, 12));
  EXPECT_EQ(out.CaptionPoints[3], QPoint(226, 32));
}

TEST(RtLegendLayout, WideTitleWidensTheBoxAndShiftsTheEntriesByItsAlignment) {
  struct {
    TAlignment Align;
    int ItemX, TitleX;
  } cases[] = {{TAlignment::taCenter, 46, 108},
               {TAlignment::taRightJustify, 84, 208},
               {TAlignment::taLeftJustify, 8, 8}};
  for (const auto& c : cases) {
    TRtLegendLayoutInput in = Entries({40});
    in.TitleShown = true;
    in.Title = QSizeF(200, 16);
    in.TitleAlignment = c.Align;
    const TRtLegendLayout out = RtArrangeLegend(in);
    EXPECT_EQ(out.Size, QSize(216, 46));
    EXPECT_EQ(out.ItemRects[0], QRect(c.ItemX, 25, 80, 12));
    EXPECT_EQ(out.TitlePoint, QPoint(c.TitleX, 8));
  }
}

TEST(RtLegendLayout, TallerCaptionsCentreTheSampleAndShadowAddsFiveByFour) {
  TRtLegendLayoutInput in = Entries({40});
  in.Captions[0].setHeight(20);
  in.DropShadow = true;
  const TRtLegendLayout out = RtArrangeLegend(in);
  EXPECT_EQ(out.Width, 140);
  EXPECT_EQ(out.Height, 36);
  EXPECT_EQ(out.Size, QSize(145, 40));
  EXPECT_EQ(out.ItemRects[0], QRect(8, 12, 80, 12));
  EXPECT_EQ(out.CaptionPoints[0], QPoint(92, 18));
}

TEST(RtLegendLayout, ShiftStateIsTheExactSetOfButtonsAndKeys) {
  EXPECT_EQ(RtShiftState(Qt::LeftButton, Qt::NoModifier), TRtShiftState(TRtShiftStateItem::ssLeft));
  EXPECT_EQ(RtShiftState(Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier),
            TRtShiftStateItem::ssLeft | TRtShiftStateItem::ssRight | TRtShiftStateItem::ssShift |
                TRtShiftStateItem::ssCtrl);
}

}  // namespace
