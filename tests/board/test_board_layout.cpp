#include "BoardLayout.h"
#include "WindowShape.h"

#include <gtest/gtest.h>

TEST(BoardLayout, TwipPositionsOfTheTable) {
    EXPECT_EQ(board::degitTwips(1), QPoint(720, 1935));
    EXPECT_EQ(board::labelTwips(1), QPoint(757, 1620));
    EXPECT_EQ(board::degitTwips(8), QPoint(7485, 1935));
    EXPECT_EQ(board::degitTwips(9), QPoint(720, 2730));
    EXPECT_EQ(board::labelTwips(16), QPoint(7522, 2430));
    EXPECT_EQ(board::degitTwips(26), QPoint(1680, 4320));
    EXPECT_EQ(board::labelTwips(32), QPoint(7515, 4020));
    EXPECT_THROW(board::degitTwips(0), std::out_of_range);
    EXPECT_THROW(board::labelTwips(33), std::out_of_range);
}

TEST(BoardLayout, PixelsAreTwipsOverFifteen) {
    EXPECT_EQ(board::degitRect(1), QRect(48, 129, 57, 29));
    EXPECT_EQ(board::labelRect(1).size(), QSize(52, 16));
    EXPECT_EQ(board::chimeiRect(), QRect(109, 18, 432, 56));
    // Every cell lies inside the 582 x 344 board.
    const QRect client(0, 0, board::kClientWidth, board::kClientHeight);
    for (int n = 1; n <= 32; ++n) {
        EXPECT_TRUE(client.contains(board::degitRect(n))) << n;
        EXPECT_TRUE(client.contains(board::labelRect(n))) << n;
    }
}

TEST(WindowShape, ThreeByThreeCornersCutOnlyTheCornerPixels) {
    const auto spans = roundRectSpans(582, 344, 3, 3);
    ASSERT_EQ(spans.size(), 344u);
    EXPECT_EQ(spans[0], std::make_pair(1, 581));
    EXPECT_EQ(spans[343], std::make_pair(1, 581));
    for (size_t y = 1; y < 343; ++y)
        EXPECT_EQ(spans[y], std::make_pair(0, 582)) << y;
}
