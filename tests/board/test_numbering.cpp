#include "Numbering.h"

#include <gtest/gtest.h>

namespace {
QString label(const NumberingPlan& p, int n) {
    return p.others[static_cast<size_t>(n - 2)];
}
} // namespace

TEST(Numbering, AllTwelveModes) {
    struct Row {
        int mode;
        const char* first;
        int label2, label32, points;
    };
    const Row table[] = {
        {0, "1", 2, 32, 14},      {1, "0", 1, 31, 14},      {2, "な し", 1, 31, 12},
        {3, "な し", 2, 32, 12},  {4, "無 券", 1, 31, 12},  {5, "無 券", 2, 32, 12},
        {6, "券なし", 1, 31, 12}, {7, "券なし", 2, 32, 12}, {8, "券無し", 1, 31, 12},
        {9, "券無し", 2, 32, 12}, {10, "", 1, 31, 14},      {11, "", 2, 32, 14},
    };
    for (const Row& r : table) {
        const NumberingPlan p = numberingPlan(r.mode, 0);
        ASSERT_TRUE(p.label1Text.has_value()) << r.mode;
        EXPECT_EQ(*p.label1Text, QString::fromUtf8(r.first)) << r.mode;
        EXPECT_EQ(label(p, 2), QString::number(r.label2)) << r.mode;
        EXPECT_EQ(label(p, 32), QString::number(r.label32)) << r.mode;
        EXPECT_EQ(p.label1Points, r.points) << r.mode;
    }
}

TEST(Numbering, LeadingZeroPadsOneDigitNumbers) {
    const NumberingPlan m0 = numberingPlan(0, 1);
    EXPECT_EQ(*m0.label1Text, QStringLiteral("01"));
    EXPECT_EQ(label(m0, 9), QStringLiteral("09"));
    EXPECT_EQ(label(m0, 10), QStringLiteral("10"));
    const NumberingPlan m1 = numberingPlan(1, 1);
    EXPECT_EQ(*m1.label1Text, QStringLiteral("00"));
    EXPECT_EQ(label(m1, 2), QStringLiteral("01"));
}

TEST(Numbering, UnselectedListLeavesLabelOneAndNumbersFromOne) {
    const NumberingPlan p = numberingPlan(-1, 0);
    EXPECT_FALSE(p.label1Text.has_value());
    EXPECT_EQ(label(p, 2), QStringLiteral("1"));
    EXPECT_EQ(label(p, 32), QStringLiteral("31"));
    EXPECT_EQ(p.label1Points, 14);
    const NumberingPlan high = numberingPlan(12, 0);
    EXPECT_EQ(*high.label1Text, QString());
    EXPECT_EQ(label(high, 2), QStringLiteral("1"));
}
