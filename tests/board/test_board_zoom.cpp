// The board zoomed and full screen: every zoom is the 1x board enlarged by whole pixels,
// to the last pixel, and full screen takes the largest whole zoom that fits, centred.
#include "BoardFit.h"
#include "BoardLayout.h"
#include "BoardRig.h"
#include "Cp932.h"
#include "PixelScale.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Every kind of element showing something: fares, ticket numbers, the rounded corners
// and a long stop name caught part way across the line.
void showEverything(BoardRig& rig) {
    Form1& b = rig.board;
    b.applyShape();
    for (int n = 1; n <= 32; ++n)
        b.showFare(n, DigitValue::number(150 + 10 * n));
    b.ChimeiCtl()->setAutoScroll(false);
    b.showStopName(cp932::encode(QStringLiteral("市役所前・中央図書館入口")), 1, 1);
    b.ChimeiCtl()->tick(4321);
}

int differing(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    int off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            off += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return off;
}

} // namespace

TEST(BoardZoom, EveryZoomIsThe1xBoardEnlargedByWholePixels) {
    BoardRig rig;
    showEverything(rig);
    const QImage one = rig.board.snapshot();
    // The name is caught part way across, so the strip's offset is enlarged as well.
    ASSERT_TRUE(rig.board.ChimeiCtl()->scrolling());
    ASSERT_LT(rig.board.ChimeiCtl()->stripLeft(), 432);
    for (int z = 2; z <= 4; ++z) {
        rig.board.setZoom(z);
        const QImage zoomed = rig.board.snapshot();
        ASSERT_EQ(zoomed.size(), one.size() * z);
        EXPECT_EQ(differing(zoomed, pixelScale(one, z)), 0) << "zoom " << z;
        // The stored place stays in twips at 1x whatever the zoom.
        EXPECT_EQ(rig.board.LeftTwips(), rig.board.x() * 15);
    }
    // A picture at another zoom than the one shown, and back to 1x: the same board.
    EXPECT_EQ(differing(rig.board.snapshot(1), one), 0);
    EXPECT_EQ(rig.board.size(), QSize(582, 344) * 4);
    rig.board.setZoom(1);
    EXPECT_EQ(differing(rig.board.snapshot(), one), 0);
}

TEST(BoardZoom, ElementsKeepTheirCellsAndTheCornersScale) {
    BoardRig rig;
    rig.board.applyShape();
    rig.board.setZoom(3);
    EXPECT_EQ(rig.board.Degit(2)->geometry(), QRect(112 * 3, 129 * 3, 57 * 3, 29 * 3));
    EXPECT_EQ(rig.board.lblSeiriNum(2)->geometry(), scaledRect(board::labelRect(2), 3));
    EXPECT_EQ(rig.board.ChimeiCtl()->geometry(), scaledRect(board::chimeiRect(), 3));
    const QImage snap = rig.board.snapshot();
    // The 1x corner pixel is a 3 x 3 block of nothing; its neighbour is board.
    EXPECT_EQ(qAlpha(snap.pixel(2, 2)), 0);
    EXPECT_EQ(qAlpha(snap.pixel(3, 0)), 255);
    EXPECT_EQ(qAlpha(snap.pixel(snap.width() - 1, snap.height() - 3)), 0);
}

TEST(BoardFit, LargestWholeZoomThatFitsCentred) {
    struct Case {
        const char* name;
        QSize screen;
        int zoom;
        QPoint origin;
    };
    const Case cases[] = {
        {"full HD", {1920, 1080}, 3, {87, 24}},
        {"laptop", {1280, 800}, 2, {58, 56}},
        {"small", {800, 600}, 1, {109, 128}},
        {"4K stops at the limit", {3840, 2160}, 6, {174, 48}},
        {"too small is 1x, centred and cut", {500, 300}, 1, {-41, -22}},
    };
    for (const Case& c : cases) {
        const BoardFit f = fitBoard(c.screen, {582, 344}, 8);
        EXPECT_EQ(f.zoom, c.zoom) << c.name;
        EXPECT_EQ(f.origin, c.origin) << c.name;
    }
    EXPECT_EQ(fitBoard({3840, 2160}, {582, 344}, 4).zoom, 4);
}

TEST(BoardZoom, FullScreenCentresOnBlackAndComesBackWhereItWas) {
    BoardRig rig;
    Form1& b = rig.board;
    b.applyShape();
    b.show();
    b.setZoom(2);
    b.move(40, 30);
    const QImage normal = b.snapshot(1);
    b.setFullScreen(true);
    QTest::qWait(50);
    const QSize screen = b.screen()->geometry().size();
    const BoardFit fit = fitBoard(screen, {582, 344}, 8);
    EXPECT_TRUE(b.fullScreen());
    EXPECT_EQ(b.size(), screen);
    EXPECT_EQ(b.shownZoom(), fit.zoom);
    EXPECT_EQ(b.zoom(), 2); // the chosen zoom is kept for afterwards
    EXPECT_EQ(b.boardRect(), QRect(fit.origin, QSize(582, 344) * fit.zoom));
    // The picture of the board is the board alone, not the black around it.
    EXPECT_EQ(differing(b.snapshot(), pixelScale(normal, fit.zoom)), 0);
    const QImage screenShot = b.grab().toImage();
    EXPECT_EQ(screenShot.pixel(2, 2), qRgb(0, 0, 0));
    // Saving while full screen stores where the board stands in a window.
    EXPECT_EQ(b.LeftTwips(), 40 * 15);
    b.setFullScreen(false);
    QTest::qWait(50);
    EXPECT_FALSE(b.fullScreen());
    EXPECT_EQ(b.size(), QSize(582, 344) * 2);
    EXPECT_EQ(b.pos(), QPoint(40, 30));
}

// A window zoom is offered only when the whole board fits the monitor's free area.
TEST(BoardZoom, AWindowZoomIsOfferedOnlyWhenTheBoardFitsTheScreen) {
    struct Case {
        const char* name;
        QSize area;
        int largest;
    };
    const Case cases[] = {
        {"full HD less a panel", {1920, 1040}, 3},
        {"full HD", {1920, 1080}, 3},
        {"laptop", {1366, 728}, 2},
        {"1280 x 800", {1280, 800}, 2},
        {"small", {800, 600}, 1},
        {"4K", {3840, 2120}, 4},
        {"exactly 2x", {1164, 688}, 2},
        {"one pixel short of 2x", {1163, 688}, 1},
        {"smaller than the board: 1x stays offered", {500, 300}, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(largestFittingZoom(c.area, {582, 344}, 4), c.largest) << c.name;
        for (int z = 1; z <= 4; ++z)
            EXPECT_EQ(zoomFits(c.area, {582, 344}, z), z <= c.largest) << c.name << " at " << z;
    }
}

TEST(BoardZoom, TheMenuGreysTheZoomsThatWouldNotFitAndSaysWhy) {
    BoardRig rig;
    Form1& b = rig.board;
    b.show();
    const int largest = b.largestFittingZoom();
    const std::unique_ptr<QMenu> menu = b.makeMenu();
    QMenu* zooms = menu->actions().at(0)->menu();
    ASSERT_NE(zooms, nullptr);
    const QList<QAction*> items = zooms->actions();
    ASSERT_EQ(items.size(), 4);
    for (int z = 1; z <= 4; ++z) {
        EXPECT_EQ(items[z - 1]->isEnabled(), z <= largest) << z;
        if (z > largest) {
            EXPECT_TRUE(items[z - 1]->toolTip().contains(QStringLiteral("収まりません"))) << z;
        }
    }
}
