#include "ChimeiLayout.h"
#include "ScrollMotion.h"

#include <gtest/gtest.h>

TEST(ChimeiLayout, FirstCellAndPitchByCharacterCount) {
    struct Row {
        int k, x0, p, x0Prefix, pPrefix;
    };
    const Row table[] = {{1, 188, 0, 242, 0},  {2, 135, 108, 188, 108}, {3, 81, 108, 162, 81},
                         {4, 67, 81, 135, 72}, {5, 27, 81, 135, 54},    {6, 21, 66, 108, 54},
                         {7, 18, 57, 108, 54}, {8, 0, 54, 108, 54},     {9, 0, 54, 108, 54}};
    for (const Row& r : table) {
        const ChimeiLayout plain = layoutChimei(2 * r.k, false);
        const ChimeiLayout pre = layoutChimei(2 * r.k, true);
        EXPECT_EQ(plain.x0, r.x0) << r.k;
        EXPECT_EQ(plain.pitch, r.p) << r.k;
        EXPECT_EQ(pre.x0, r.x0Prefix) << r.k;
        EXPECT_EQ(pre.pitch, r.pPrefix) << r.k;
    }
    const ChimeiLayout single = layoutChimei(1, true);
    EXPECT_EQ(single.x0, 0);
    EXPECT_EQ(single.units, 1);
}

TEST(ChimeiLayout, ScrollStartsAtNineCharactersOrSevenWithThePrefix) {
    EXPECT_FALSE(layoutChimei(16, false).scrolls);
    EXPECT_EQ(layoutChimei(16, false).stripWidth, 432);
    EXPECT_EQ(layoutChimei(16, false).startLeft, 0);
    EXPECT_TRUE(layoutChimei(18, false).scrolls);
    EXPECT_EQ(layoutChimei(18, false).stripWidth, 486);
    EXPECT_EQ(layoutChimei(18, false).startLeft, 432);

    EXPECT_FALSE(layoutChimei(12, true).scrolls);
    EXPECT_EQ(layoutChimei(12, true).stripWidth, 432);
    EXPECT_TRUE(layoutChimei(14, true).scrolls);
    EXPECT_EQ(layoutChimei(14, true).stripWidth, 9 * 54);
    EXPECT_EQ(layoutChimei(14, true).startLeft, 0);
    EXPECT_EQ(layoutChimei(16, true).stripWidth, 10 * 54);
}

TEST(ChimeiLayout, OddByteCountsAddAUnitOfTheirOwn) {
    const ChimeiLayout l = layoutChimei(5, false);
    EXPECT_EQ(l.charCount, 2);
    EXPECT_EQ(l.units, 3);
    const auto units = chimeiUnits(QStringLiteral("AB駅C"));
    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0], QStringLiteral("AB"));
    EXPECT_EQ(units[1], QStringLiteral("駅"));
    EXPECT_EQ(units[2], QStringLiteral("C"));
}

TEST(ChimeiLayout, UprightReplacements) {
    EXPECT_EQ(replaceUnit(QStringLiteral("丨")), QStringLiteral("ー"));
    EXPECT_EQ(replaceUnit(QStringLiteral("｜")), QStringLiteral("－"));
    EXPECT_EQ(replaceUnit(QStringLiteral("↓")), QStringLiteral("→"));
    EXPECT_EQ(replaceUnit(QStringLiteral("↑")), QStringLiteral("←"));
    EXPECT_EQ(replaceUnit(QStringLiteral("ー")), QStringLiteral("ー"));
    EXPECT_EQ(replaceUnit(QStringLiteral("↓↓")), QStringLiteral("↓↓"));
}

TEST(ChimeiLayout, TypefaceByShiftJisCode) {
    const unsigned eki = 0x8977, e = 0x82A6, zenA = 0x8260;
    EXPECT_EQ(faceForName(2, eki), Face::Gothic);
    EXPECT_EQ(faceForName(2, e), Face::Mincho);
    EXPECT_EQ(faceForName(3, eki), Face::Mincho);
    EXPECT_EQ(faceForName(3, e), Face::Gothic);
    EXPECT_EQ(faceForName(4, zenA), Face::Gothic);
    EXPECT_EQ(faceForName(4, eki), Face::Mincho);
    EXPECT_EQ(faceForName(1, zenA), Face::Mincho);
    EXPECT_EQ(faceForName(7, e), Face::Gothic);
    EXPECT_EQ(faceForName(2, 0x41), Face::Gothic); // one-byte characters count as "other"
    EXPECT_FALSE(tsugiwaFaces(7).has_value());
    EXPECT_EQ(tsugiwaFaces(1)->second, Face::Mincho);
    EXPECT_EQ(tsugiwaFaces(3)->first, Face::Mincho);
}

TEST(ScrollMotion, StepPerIterationFollowsSpeed) {
    EXPECT_DOUBLE_EQ(scrollStepPerIteration(5), 0.025);
    EXPECT_DOUBLE_EQ(scrollStepPerIteration(100), 0.5);
    EXPECT_DOUBLE_EQ(scrollStepPerIteration(400), 4.0);
    EXPECT_DOUBLE_EQ(scrollStepPerIteration(2000), 20.0);
}

TEST(ScrollMotion, AfterTMillisecondsTheStripIsWhereTIterationsPutIt) {
    ScrollMotion m(486);
    EXPECT_EQ(m.left(), 432);
    m.advance(100, 400, 1500);
    EXPECT_EQ(m.left(), 432 - 4 * 99 - 2); // the latest move shows the whole-pixel part only
    EXPECT_DOUBLE_EQ(m.position(), 432 - 400.0);
}

TEST(ScrollMotion, WrapsAtMinusWidthThenPausesOutsideTheRightEdge) {
    ScrollMotion m(486);
    // 432 + 486 = 918 px at 4 px per ms: the wrap comes on iteration 230.
    m.advance(229, 400, 1500);
    EXPECT_FALSE(m.pausing());
    m.advance(1, 400, 1500);
    EXPECT_TRUE(m.pausing());
    EXPECT_EQ(m.left(), 432);
    EXPECT_EQ(m.passes(), 1);
    m.advance(1499, 400, 1500);
    EXPECT_EQ(m.left(), 432);
    m.advance(2, 400, 1500);
    EXPECT_FALSE(m.pausing());
    EXPECT_LT(m.left(), 432);
}

TEST(ScrollMotion, SlowSpeedsCreepByTheirFraction) {
    ScrollMotion m(486);
    m.advance(1000, 5, 0);
    EXPECT_NEAR(m.position(), 432 - 25.0, 1e-9);
}
