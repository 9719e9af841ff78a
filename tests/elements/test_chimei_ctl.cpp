#include "ChimeiCtl_DX.h"

#include <gtest/gtest.h>

namespace {
QString chars(int n) {
    return QString(n, QChar(0x99C5));
} // 駅 repeated

// Columns of the strip that hold a lit dot.
std::vector<int> litColumns(const QImage& strip, QRgb back) {
    std::vector<int> cols;
    for (int x = 0; x < strip.width(); ++x)
        for (int y = 0; y < strip.height(); ++y)
            if (strip.pixel(x, y) != back) {
                cols.push_back(x);
                break;
            }
    return cols;
}
} // namespace

TEST(ChimeiCtl, EightCharactersFillTheLineWithoutScrolling) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.SetChimei(chars(8));
    EXPECT_FALSE(c.scrolling());
    EXPECT_EQ(c.stripWidth(), 432);
    EXPECT_EQ(c.stripLeft(), 0);
    const auto cols = litColumns(c.strip(), c.strip().pixel(431, 55));
    ASSERT_FALSE(cols.empty());
    EXPECT_LT(cols.front(), 54);
    EXPECT_GE(cols.back(), 378);
    for (int x : cols)
        EXPECT_NE(x % 3, 2) << "dots sit on the 3-pixel pitch"; // cell starts are multiples of 54
}

TEST(ChimeiCtl, NineCharactersScrollFromTheRightEdge) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.setSpeed(400);
    c.SetChimei(chars(9));
    EXPECT_TRUE(c.scrolling());
    EXPECT_EQ(c.stripWidth(), 486);
    EXPECT_EQ(c.stripLeft(), 432);
    c.tick(50);
    const int mid = c.stripLeft();
    EXPECT_LT(mid, 432);
    c.tick(50);
    EXPECT_LT(c.stripLeft(), mid);
}

TEST(ChimeiCtl, ANewNameEndsTheOldScrollAndOnlyTheNewestMoves) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.setSpeed(400);
    c.SetChimei(chars(10));
    c.tick(40);
    c.SetChimei(chars(3));
    EXPECT_FALSE(c.scrolling());
    EXPECT_EQ(c.stripLeft(), 0);
    c.tick(100);
    EXPECT_EQ(c.stripLeft(), 0);
}

TEST(ChimeiCtl, AnEmptyNameLeavesARunningScrollMovingABlankStrip) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.setSpeed(400);
    c.SetChimei(chars(10));
    c.tick(20);
    c.SetChimei(QString());
    EXPECT_TRUE(c.scrolling());
    const int before = c.stripLeft();
    c.tick(20);
    EXPECT_LT(c.stripLeft(), before);
    EXPECT_TRUE(litColumns(c.strip(), c.strip().pixel(0, 0)).empty());
}

TEST(ChimeiCtl, SpeedZeroIsRaisedToOneWhenAScrollStarts) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.setSpeed(0);
    c.SetChimei(chars(4));
    EXPECT_EQ(c.Speed(), 0);
    c.SetChimei(chars(12));
    EXPECT_EQ(c.Speed(), 1);
}

TEST(ChimeiCtl, PrefixModeRulesAndPersistedKeys) {
    ChimeiCtl_DX c;
    c.setTsugiwaMode(3);
    EXPECT_EQ(c.TsugiwaMode(), 0);
    c.setTsugiwaMode(-1);
    EXPECT_EQ(c.TsugiwaMode(), 0);
    c.restoreProperties({{QStringLiteral("TsugiwaMode"), QStringLiteral("3")}});
    EXPECT_EQ(c.TsugiwaMode(), 3); // persisted 3 is kept and shows the prefix like 2
    EXPECT_EQ(c.Speed(), 5);
    EXPECT_EQ(c.ScrollStartWait(), 1500);
    EXPECT_EQ(c.BackColor(), 8421504u);
    EXPECT_EQ(c.ForeColor(), 48895u);
    EXPECT_EQ(c.TsugiwaColor(), 7977471u);
    c.setAutoScroll(false);
    c.SetChimei(chars(6));
    EXPECT_FALSE(c.scrolling());
    // The prefix occupies the two leftmost cells.
    const auto cols = litColumns(c.strip(), c.strip().pixel(431, 55));
    ASSERT_FALSE(cols.empty());
    EXPECT_LT(cols.front(), 54);
    const auto saved = c.saveProperties();
    EXPECT_EQ(saved.at(QStringLiteral("TsugiwaMode")), QStringLiteral("3"));
    EXPECT_EQ(saved.count(QStringLiteral("Speed")), 0u);
}

TEST(ChimeiCtl, BackColorErasesTheDots) {
    ChimeiCtl_DX c;
    c.SetChimei(QStringLiteral("港"));
    EXPECT_FALSE(litColumns(c.strip(), c.strip().pixel(0, 0)).empty());
    c.setBackColor(0x112233);
    EXPECT_TRUE(litColumns(c.strip(), c.strip().pixel(0, 0)).empty());
    EXPECT_EQ(c.BackColor(), 0x112233u);
}
