// On a 1920 x 1080 monitor the board's menu offers 等倍 to 3倍 and greys 4倍, whose window
// (2328 x 1376) the monitor cannot hold, saying why.
#include "BoardRig.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <gtest/gtest.h>

TEST(ZoomMenuOnFullHd, OffersOneToThreeAndGreysFourWithTheReason) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(1920, 1080));
    BoardRig rig;
    rig.board.show();
    EXPECT_EQ(rig.board.largestFittingZoom(), 3);
    const std::unique_ptr<QMenu> menu = rig.board.makeMenu();
    const QList<QAction*> zooms = menu->actions().at(0)->menu()->actions();
    ASSERT_EQ(zooms.size(), 4);
    for (int z = 1; z <= 3; ++z)
        EXPECT_TRUE(zooms[z - 1]->isEnabled()) << z;
    EXPECT_FALSE(zooms[3]->isEnabled());
    EXPECT_EQ(zooms[3]->toolTip(), QStringLiteral("この画面（1920×1080）には収まりません"));
}
