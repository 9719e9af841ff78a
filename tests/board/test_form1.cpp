#include "BoardRig.h"
#include "FakeCompanion.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

TEST(Form1, ConfirmedDigitDialogCopiesSettingsToAllDigits) {
    auto& fake = FakeCompanion::reset();
    Form1 b;
    bool panelDisabledDuring = false;
    int toggles = 0;
    b.setPanelEnabled = [&](bool on) {
        ++toggles;
        if (!on)
            panelDisabledDuring = true;
    };
    b.Degit(4)->setValue(7.0);
    b.Degit(9)->setKeta(2); // smaller element: FillZero is bounded by its own Keta
    fake.dlg100Answer = {1, 0, 3};
    fake.dlg100Result = 1;
    QTest::mouseDClick(b.Degit(1), Qt::LeftButton);
    EXPECT_TRUE(panelDisabledDuring);
    EXPECT_EQ(toggles, 2);
    for (int j = 1; j <= 32; ++j) {
        EXPECT_EQ(b.Degit(j)->ZeroMode(), 1) << j;
        EXPECT_EQ(b.Degit(j)->FillZero(), j == 9 ? 2 : 3) << j;
    }
    EXPECT_EQ(b.Degit(4)->litNow(), QStringLiteral("007")); // redrawn with its own value
}

TEST(Form1, CancelledDialogOrUserSetOffLeavesTheOthers) {
    auto& fake = FakeCompanion::reset();
    Form1 b;
    fake.dlg100Answer = {2, 1, 0};
    fake.dlg100Result = 2;
    b.Degit_DblClick(5);
    EXPECT_EQ(b.Degit(5)->ZeroMode(), 2); // the clicked element takes the values back
    EXPECT_EQ(b.Degit(6)->ZeroMode(), 0);

    b.Degit(7)->setUserSet(false);
    b.Degit_DblClick(7);
    EXPECT_EQ(fake.dlg100Calls.size(), 1u);
}

TEST(Form1, ClockReceivesNumbers) {
    Form1 b;
    Clock clock;
    clock.stopAt(QDateTime(QDate(2026, 12, 9), QTime(0, 5, 59)));
    b.setClock(&clock);
    b.Timer1_Timer();
    ASSERT_TRUE(b.TimeDegit()[0]->Value().isNumber());
    EXPECT_EQ(b.TimeDegit()[0]->Value().asNumber(), 0.0);
    EXPECT_EQ(b.TimeDegit()[1]->Value().asNumber(), 5.0);
    EXPECT_TRUE(b.Timer1().isActive());
    EXPECT_EQ(b.Timer1().interval(), 1000);
    EXPECT_TRUE(b.TimeDegit()[0]->isHidden());
}

TEST(Form1, ShapeCutsOnlyTheCorners) {
    BoardRig rig;
    Form1& b = rig.board;
    b.applyShape();
    const QImage snap = b.snapshot();
    ASSERT_EQ(snap.size(), QSize(582, 344));
    EXPECT_EQ(qAlpha(snap.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(snap.pixel(581, 343)), 0);
    EXPECT_EQ(qAlpha(snap.pixel(1, 0)), 255);
    EXPECT_EQ(qAlpha(snap.pixel(0, 1)), 255);
    EXPECT_EQ(qAlpha(snap.pixel(300, 200)), 255);
    b.DeleteRgn();
    EXPECT_EQ(b.snapshot(), snap);
}

TEST(Form1, DefaultStyleLaysOutLabelsAndBlankDigits) {
    BoardRig rig;
    Form1& b = rig.board;
    EXPECT_EQ(b.lblSeiriNum(1)->text(), QStringLiteral("1"));
    EXPECT_EQ(b.lblSeiriNum(32)->text(), QStringLiteral("32"));
    EXPECT_FALSE(b.lblSeiriNum(1)->isHidden());
    EXPECT_EQ(b.Degit(3)->litNow(), QString());
    EXPECT_EQ(b.Degit(3)->BackColor(), 0x808080u);
    EXPECT_EQ(b.Degit(2)->geometry(), QRect(112, 129, 57, 29));
    EXPECT_EQ(QColor::fromRgba(b.model().labels[1].colour), QColor(Qt::white));
    EXPECT_FALSE(b.Picture().isNull());
}

TEST(Form1, NumberingModesThroughSetProp) {
    BoardRig rig;
    Options& o = rig.options;
    Form1& b = rig.board;
    auto apply = [&] { SetProp(o, b, 0); };
    o.NumberingMode = 4;
    apply();
    EXPECT_EQ(b.lblSeiriNum(1)->text(), QStringLiteral("無 券"));
    EXPECT_EQ(b.lblSeiriNum(1)->font().pointSizeF(), 12.0);
    o.NumberingMode = 0;
    apply();
    EXPECT_EQ(b.lblSeiriNum(1)->text(), QStringLiteral("1"));
    EXPECT_EQ(b.lblSeiriNum(1)->font().pointSizeF(), 14.0);
    o.AutoTicketNumbers = 0;
    o.NumberingMode = 7;
    apply();
    EXPECT_TRUE(b.lblSeiriNum(2)->isHidden());
    EXPECT_EQ(b.lblSeiriNum(1)->text(), QStringLiteral("券なし")); // hidden but written
    // The ON2 colour applies with the backlight on ON2.
    o.TicketColorOn2 = 0x0000FF;
    SetProp(o, b, 2);
    EXPECT_EQ(QColor::fromRgba(b.model().labels[5].colour), QColor(255, 0, 0));
}

TEST(Form1, OnlyTheLeftButtonOnThePanelStartsADrag) {
    Form1 b;
    b.move(0, 0);
    QTest::mousePress(&b, Qt::RightButton, {}, QPoint(5, 300));
    QTest::mouseMove(&b, QPoint(50, 320));
    QTest::mouseRelease(&b, Qt::RightButton, {}, QPoint(50, 320));
    EXPECT_EQ(b.pos(), QPoint(0, 0));
}

TEST(Form1, LeftButtonDragMovesTheWholeBoardWhereTheWindowSystemCannot) {
    Form1 b;
    b.move(0, 0);
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(55, 320), b.mapToGlobal(QPointF(55, 320)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &move);
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(55, 320));
    EXPECT_EQ(b.pos(), QPoint(50, 20));
    // Presses on a digit or a label do not drag.
    QTest::mousePress(b.Degit(3), Qt::LeftButton);
    QTest::mousePress(b.lblSeiriNum(3), Qt::LeftButton);
    EXPECT_EQ(b.pos(), QPoint(50, 20));
}

TEST(Form1, ACloseRequestNeverHidesTheBoard) {
    BoardRig rig;
    int asked = 0;
    rig.board.closeRequested = [&] { ++asked; };
    rig.board.show();
    EXPECT_FALSE(rig.board.close());
    EXPECT_TRUE(rig.board.isVisible());
    EXPECT_EQ(asked, 1);
}

TEST(Form1, APositionNoScreenShowsPutsTheBoardBackInItsCorner) {
    BoardRig rig;
    rig.board.SetFormInfo({-9000000, 300});
    EXPECT_EQ(rig.board.pos(), QPoint(0, 0));
    rig.board.SetFormInfo({1500, 450}); // on screen: kept
    EXPECT_EQ(rig.board.pos(), QPoint(100, 30));
    FormInfo back;
    rig.board.GetFormInfo(back);
    EXPECT_EQ(back.BoardLeft, 1500);
    EXPECT_EQ(back.BoardTop, 450);
}
