#include "Options.h"

#include <gtest/gtest.h>

TEST(Options, DesignTimeDefaults) {
    const Options o;
    EXPECT_EQ(o.AutoTicketNumbers, 1);
    EXPECT_EQ(o.TicketColorOn1, 0xC0FFC0);
    EXPECT_EQ(o.DigitLitColor, 0x72D2F8);
    EXPECT_EQ(o.ChimeiForeColor, 0x00FFFF);
    EXPECT_EQ(o.StepSoundFixed, -1);
    EXPECT_EQ(o.StepSoundAsync, -1);
    EXPECT_EQ(o.PreSoundSync, -1);
    EXPECT_EQ(o.DatePerPrint, -1);
}

TEST(Options, FieldsAreReachedByTheirSettingsNames) {
    Options o;
    EXPECT_FALSE(setOption(o, QStringLiteral("NumberingMode"), QStringLiteral("7")));
    EXPECT_EQ(o.NumberingMode, 7);
    EXPECT_FALSE(setOption(o, QStringLiteral("FareDataFolder"), QStringLiteral("/a b/c")));
    EXPECT_EQ(o.FareDataFolder, QStringLiteral("/a b/c"));
    EXPECT_FALSE(setOption(o, QStringLiteral("ChimeiBackColor"), QStringLiteral("16777215")));
    EXPECT_EQ(getOption(o, QStringLiteral("ChimeiBackColor")), QStringLiteral("16777215"));
    EXPECT_TRUE(setOption(o, QStringLiteral("NoSuchOption"), QStringLiteral("1")));
    EXPECT_TRUE(setOption(o, QStringLiteral("LeadingZero"), QStringLiteral("x")));
    EXPECT_TRUE(setOption(o, QStringLiteral("LeadingZero"), QStringLiteral("40000")));
    EXPECT_EQ(o.LeadingZero, 0);
}
