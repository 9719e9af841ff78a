// The panel state alone: what it takes, what it signals, and its settings block.
#include "AppError.h"
#include "Clock.h"
#include "PanelState.h"

#include <gtest/gtest.h>

TEST(PanelState, TakesOnlyWhatItsControlsCanShowAndSignalsChanges) {
    PanelState s;
    std::vector<std::pair<int, int>> scrolls;
    QObject::connect(&s, &PanelState::scrollChanged,
                     [&](int speed, int wait) { scrolls.emplace_back(speed, wait); });
    EXPECT_FALSE(s.setScrollSpeed(0));
    EXPECT_FALSE(s.setScrollSpeed(2001));
    EXPECT_FALSE(s.setScrollInterval(3001));
    EXPECT_TRUE(s.setScrollSpeed(1)); // already so: no signal
    EXPECT_TRUE(s.setScrollSpeed(2000));
    EXPECT_TRUE(s.setScrollInterval(3000));
    EXPECT_EQ(scrolls, (std::vector<std::pair<int, int>>{{2000, 0}, {2000, 3000}}));

    int backlights = 0;
    QObject::connect(&s, &PanelState::backlightChanged, [&] { ++backlights; });
    EXPECT_FALSE(s.setBacklight(3));
    EXPECT_TRUE(s.setBacklight(0)); // the same state applies again (after the options' OK)
    EXPECT_TRUE(s.setBacklight(2));
    EXPECT_EQ(backlights, 2);
    EXPECT_EQ(s.backlight(), 2);
    EXPECT_FALSE(s.setEntryPage(2));
}

TEST(PanelState, ANewCompanyListChoosesItsFirstAndAnEmptyOneNone) {
    PanelState s;
    std::vector<int> chosen;
    QObject::connect(&s, &PanelState::companyChanged, [&](int i) { chosen.push_back(i); });
    s.setCompanies({QStringLiteral("みなも交通"), QStringLiteral("港南バス")});
    s.setCompany(1);
    // Another plug-in whose list is as long: its first company, even though the index
    // was 1 before; the panel's list must hear of it.
    s.setCompanies({QStringLiteral("北岸交通"), QStringLiteral("西浦バス")});
    EXPECT_EQ(s.company(), 0);
    s.setCompanies({});
    EXPECT_EQ(s.company(), -1);
    EXPECT_TRUE(s.companies().isEmpty());
    EXPECT_EQ(chosen, (std::vector<int>{0, 1, 0, -1}));
}

TEST(PanelState, SettingsBlockRoundTripsAndRefusesWhatTheBarsCannotHold) {
    PanelState s;
    CtrlDataInfo in;
    in.ScrollSpeedValue = 450;
    in.ScrollIntervalValue = 9000; // beyond the bar: clamped as the bar does
    in.PanelPage = 7;              // no such page: kept for the file, no page moves
    in.PanelExpand = 1;
    s.restore(in);
    CtrlDataInfo out;
    s.save(out);
    EXPECT_EQ(out.ScrollSpeedValue, 450);
    EXPECT_EQ(out.ScrollIntervalValue, PanelState::kIntervalMax);
    EXPECT_EQ(out.PanelPage, 7);
    EXPECT_EQ(out.PanelExpand, 1);

    CtrlDataInfo wide;
    wide.ScrollSpeedValue = 40000;
    wide.ScrollIntervalValue = 5;
    EXPECT_THROW(s.restore(wide), AppError);
    EXPECT_EQ(s.scrollInterval(), PanelState::kIntervalMax); // nothing of it was taken
}

TEST(Clock, AStoppedClockStaysWhereItWasSetUntilItRuns) {
    Clock c;
    const QDateTime moment(QDate(2026, 12, 9), QTime(23, 59, 58));
    c.stopAt(moment);
    EXPECT_EQ(c.now(), moment);
    EXPECT_EQ(c.today(), QDate(2026, 12, 9));
    c.run();
    EXPECT_FALSE(c.stoppedAt());
    EXPECT_LE(std::abs(c.now().secsTo(QDateTime::currentDateTime())), 1);
}
