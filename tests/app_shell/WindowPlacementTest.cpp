// Window placement inside the screen's available area, as rectangles.
#include <gtest/gtest.h>

#include "app/WindowPlacement.h"

namespace {

const QRect kScreen(0, 0, 1280, 1024);
const QRect kBelowPanel(0, 27, 1280, 997);  // a 27 px panel along the top

TEST(WindowPlacement, CentredInTheAreaAndShrunkWhereLarger) {
  EXPECT_EQ(CentredIn(QSize(960, 768), kScreen), QRect(160, 128, 960, 768));
  EXPECT_EQ(CentredIn(QSize(960, 768), kBelowPanel), QRect(160, 141, 960, 768));
  EXPECT_EQ(CentredIn(QSize(961, 769), kScreen), QRect(159, 127, 961, 769));
  EXPECT_EQ(CentredIn(QSize(2000, 500), kScreen), QRect(0, 262, 1280, 500));
  EXPECT_EQ(CentredIn(QSize(1280, 1024), kBelowPanel), kBelowPanel);
}

TEST(WindowPlacement, KeptInsideMovesOnlyWhatSticksOut) {
  EXPECT_EQ(KeptInside(QRect(100, 200, 640, 480), kScreen), QRect(100, 200, 640, 480));
  EXPECT_EQ(KeptInside(QRect(-160, -144, 960, 768), kScreen), QRect(0, 0, 960, 768));
  EXPECT_EQ(KeptInside(QRect(800, 100, 960, 768), kScreen), QRect(320, 100, 960, 768));
  EXPECT_EQ(KeptInside(QRect(10, 0, 960, 768), kBelowPanel), QRect(10, 27, 960, 768));
  EXPECT_EQ(KeptInside(QRect(10, 300, 960, 768), kBelowPanel), QRect(10, 256, 960, 768));
  EXPECT_EQ(KeptInside(QRect(-5, -5, 1400, 1100), kBelowPanel), kBelowPanel);
  // The exact fit on the right and bottom edges stays where it is.
  EXPECT_EQ(KeptInside(QRect(320, 256, 960, 768), kScreen), QRect(320, 256, 960, 768));
}

}  // namespace
