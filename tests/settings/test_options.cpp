#include "Options.h"
#include "OwnOptions.h"

#include <QFile>
#include <QTemporaryDir>

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

// Our own options live beside the settings file; a value out of range or a file gone
// keeps the default, and what is saved comes back.
TEST(OwnOptions, BesideTheSettingsFileWithRangesKept) {
    QTemporaryDir dir;
    const QString in4 = dir.filePath(QStringLiteral("527.in4"));
    EXPECT_EQ(ownoptions::pathBeside(in4, QStringLiteral(".display")),
              dir.filePath(QStringLiteral("527.display")));
    Options o;
    ownoptions::load(in4, o); // nothing there yet
    EXPECT_EQ(o.BoardZoom, 1);
    EXPECT_EQ(o.LedGlow, 1);
    {
        QFile f(dir.filePath(QStringLiteral("527.display")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[board]\nzoom=9\n[led]\non=true\ncolor=7\n");
    }
    ownoptions::load(in4, o);
    EXPECT_EQ(o.BoardZoom, 1);
    EXPECT_EQ(o.LedColor, 0);
    EXPECT_EQ(o.LedDisplay, 1);
    o.BoardZoom = 3;
    o.LedColor = 2;
    o.AnnounceDistanceM = 350;
    ASSERT_TRUE(ownoptions::save(in4, o));
    Options back;
    ownoptions::load(in4, back);
    EXPECT_EQ(back.BoardZoom, 3);
    EXPECT_EQ(back.LedColor, 2);
    EXPECT_EQ(back.LedDisplay, 1);
    EXPECT_EQ(back.AnnounceDistanceM, 350);
    EXPECT_FALSE(QFile::exists(in4)) << "the settings file itself is never written";
}

TEST(OwnOptions, ALockFileLeftByAKilledProgramHoldsNoSaveUp) {
    QTemporaryDir dir;
    const QString in4 = dir.filePath(QStringLiteral("527.in4"));
    // What a program killed in the middle of a save of settings files may leave behind.
    for (const char* name : {"527.remote.lock", "527.display.lock"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("999999\nminamo\nhost\n");
    }
    Options o;
    o.RemoteQuit = 1;
    o.LedGlow = 0;
    ASSERT_TRUE(ownoptions::save(in4, o));
    Options back;
    ownoptions::load(in4, back);
    EXPECT_EQ(back.RemoteQuit, 1);
    EXPECT_EQ(back.LedGlow, 0);
}
