#include "AppError.h"
#include "RouteRules.h"

#include <gtest/gtest.h>

namespace {
RouteTable tableWith(int rows) {
    RouteTable t;
    for (int i = 1; i <= rows; ++i) {
        t.SetRouteCell(i, 1, QStringLiteral("停%1").arg(i));
        t.SetRouteCell(i, 2, 100 + i);
        for (int k = 1; k <= 150; ++k)
            t.SetRouteCell(i, k + 2, k == 7 ? -1 : 200 + 10 * k);
    }
    return t;
}
} // namespace

TEST(Keypad, EntryRules) {
    KeypadEntry k;
    for (int b : {10, 0, 0, 1, 2, 3, 4})
        k.press(b);
    EXPECT_EQ(k.route, QStringLiteral("00123"));

    KeypadEntry first;
    first.press(4);
    first.press(2);
    EXPECT_EQ(first.section, QStringLiteral("42"));
    EXPECT_EQ(first.route, QString());

    KeypadEntry s;
    for (int b : {11, 5, 0, 0, 7})
        s.press(b);
    EXPECT_EQ(s.section, QStringLiteral("500"));
    s.press(11);
    EXPECT_EQ(s.section, QString());
}

TEST(Keypad, SectionIsBoundedToOneToThreeHundred) {
    EXPECT_EQ(normalizeSection(QString()), 1);
    EXPECT_EQ(normalizeSection(QStringLiteral("000")), 1);
    EXPECT_EQ(normalizeSection(QStringLiteral("500")), 300);
    EXPECT_EQ(normalizeSection(QStringLiteral("301")), 300);
    EXPECT_EQ(normalizeSection(QStringLiteral("300")), 300);
    EXPECT_EQ(normalizeSection(QStringLiteral("07")), 7);
}

TEST(Steps, StopAtBothEnds) {
    RouteState s;
    s.RowCount = 5;
    s.CurrentRow = 5;
    EXPECT_FALSE(stepTarget(s, true));
    EXPECT_EQ(*stepTarget(s, false), 4);
    s.CurrentRow = 1;
    EXPECT_FALSE(stepTarget(s, false));
    EXPECT_EQ(*stepTarget(s, true), 2);
}

TEST(Steps, SoundByColumnValue) {
    RouteTable t;
    Options o;
    o.StepSoundFixed = 0;
    o.StepSoundByColumn = -1;
    o.StepSoundColumn = 39; // column 40
    o.StepSound1 = QStringLiteral("one.wav");
    o.StepSound2 = QStringLiteral("two.wav");
    o.StepSound3 = QStringLiteral("three.wav");
    const QString expected[] = {QString(), QStringLiteral("one.wav"), QStringLiteral("two.wav"),
                                QStringLiteral("three.wav"), QString()};
    for (int v = 0; v <= 4; ++v) {
        t.SetRouteCell(2, 42, v);
        EXPECT_EQ(stepSoundFor(o, t, 2), expected[v]) << v;
    }
    o.StepSoundFixed = -1;
    o.StepSoundFile = QStringLiteral("fixed.wav");
    EXPECT_EQ(stepSoundFor(o, t, 2), QStringLiteral("fixed.wav"));
}

TEST(DispPlan, FaresFromTheStartSectionDoubledAtNight) {
    const RouteTable t = tableWith(6);
    RouteState s;
    s.StartSection = 5;
    s.RowCount = 6;
    Options o;
    const DispPlan day = planDispData(t, s, o, false, 5);
    ASSERT_EQ(day.writes.size(), 28u);
    EXPECT_EQ(day.writes.front().position, 5);
    EXPECT_EQ(day.writes.front().value, DigitValue::number(250));

    s.StartSection = 1;
    const DispPlan night = planDispData(t, s, o, true, 2);
    EXPECT_EQ(night.writes[0].value, DigitValue::number(420));
    EXPECT_EQ(night.writes[6].value, DigitValue::number(-1)); // -1 is never doubled
    EXPECT_FALSE(night.firstRow);
    EXPECT_TRUE(planDispData(t, s, o, false, 1).firstRow);
    EXPECT_EQ(night.stopName, QStringLiteral("停2"));
}

TEST(DispPlan, LateNightDoublingBeyondSixteenBitsDoesNotOverflow) {
    RouteTable t;
    t.SetRouteCell(1, 3, 30000);
    RouteState s;
    const DispPlan p = planDispData(t, s, Options{}, true, 1);
    EXPECT_EQ(p.writes[0].value, DigitValue::number(60000));
}

TEST(DispPlan, InformationDigitsOverrideFaresInTheirOrder) {
    const RouteTable t = tableWith(4);
    RouteState s;
    s.RouteDigits = QStringLiteral("00012");
    Options o;
    o.ShowStopOrder = 1;
    o.StopOrderCell = 2; // position 3
    o.StopOrderFromZero = 1;
    o.ShowTicketNumber = 1;
    o.TicketNumberCell = 3;
    o.ShowRouteNumber = 1;
    o.RouteNumberCell = 3; // same position: the later one wins
    o.ShowDataColumn = 1;
    o.DataColumn = 99; // column 100
    o.DataColumnCell = 9;
    const DispPlan p = planDispData(t, s, o, true, 1);
    auto last = [&](int pos) {
        DigitValue v;
        for (const DigitWrite& w : p.writes)
            if (w.position == pos)
                v = w.value;
        return v;
    };
    EXPECT_EQ(last(3), DigitValue::number(0));
    EXPECT_EQ(last(4), DigitValue::text(QStringLiteral("00012")));
    EXPECT_EQ(last(10), DigitValue::number(1200)); // information digits are not doubled
    EXPECT_EQ(last(5), DigitValue::number(500));
    EXPECT_THROW(planDispData(t, s, o, false, 302), AppError);
}

TEST(RouteDate, MonthDayYear) {
    EXPECT_EQ(routeDateText(QDate(2026, 12, 6)), QStringLiteral("12-06-2026"));
}
