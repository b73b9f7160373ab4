// Scaling 96-DPI lengths to a display's DPI.
#include <gtest/gtest.h>

#include "ui/dpi_scale.h"

namespace {

TEST(ScaleToDpi, GivesTheSizesWindowsUsesAtCommonScales) {
    EXPECT_EQ(scaleToDpi(16, 96), 16); // the small icon at 100, 125, 150, 200 %
    EXPECT_EQ(scaleToDpi(16, 120), 20);
    EXPECT_EQ(scaleToDpi(16, 144), 24);
    EXPECT_EQ(scaleToDpi(16, 192), 32);
    EXPECT_EQ(scaleToDpi(250, 120), 313); // 312.5: halves round up
    EXPECT_EQ(scaleToDpi(80, 168), 140);
}

TEST(ScaleToDpi, RoundsNegativeHalvesAwayFromZeroAndDoesNotOverflow) {
    EXPECT_EQ(scaleToDpi(-250, 120), -313);
    EXPECT_EQ(scaleToDpi(-1, 144), -2);
    EXPECT_EQ(scaleToDpi(100000000, 192), 200000000); // the product needs 64 bits
}

TEST(DrawnIconSizeWithin, TakesTheLargestDrawnSizeThatFits) {
    EXPECT_EQ(drawnIconSizeWithin(32), 32);
    EXPECT_EQ(drawnIconSizeWithin(47), 40);
    EXPECT_EQ(drawnIconSizeWithin(255), 64);
    EXPECT_EQ(drawnIconSizeWithin(1000), 256);
    EXPECT_EQ(drawnIconSizeWithin(10), 16); // nothing smaller is drawn
}

} // namespace
