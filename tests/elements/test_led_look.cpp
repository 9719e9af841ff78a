// The LED look and the zoom's painting: whole-pixel enlargement, the stop-name line as
// LEDs (lit above unlit above the face, a glow that leaves lit LEDs as they are), the
// scroll by whole dots on display frames, and the glow of lit segments.
#include "ChimeiCtl_DX.h"
#include "FrameScroll.h"
#include "LedMatrix.h"
#include "M_Degit.h"
#include "PixelScale.h"
#include "ScrollMotion.h"

#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace {

double luma(QRgb c) {
    return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
}

// The element painted as it is on screen.
QImage painted(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Which LEDs the strip lights at the element's scroll position: (column, row) -> lit.
std::map<std::pair<int, int>, bool> litLeds(const ChimeiCtl_DX& c) {
    std::map<std::pair<int, int>, bool> lit;
    const QImage& s = c.strip();
    const QRgb back = s.pixel(s.width() - 1, s.height() - 1);
    for (int col = 0; col < LedMatrix::kColumns; ++col)
        for (int row = 0; row < LedMatrix::kRows; ++row) {
            const int x = 3 * col - c.stripLeft();
            bool on = false;
            for (int dx = -1; dx <= 0; ++dx)
                if (x + dx >= 0 && x + dx < s.width() && s.pixel(x + dx, 3 * row) != back)
                    on = true;
            lit[{col, row}] = on;
        }
    return lit;
}

ChimeiCtl_DX* ledLine(int zoom, bool glow) {
    auto* c = new ChimeiCtl_DX;
    c->setAutoScroll(false);
    c->setBackColor(4210752);
    c->setForeColor(8438015);
    c->setZoom(zoom);
    c->setLook({true, glow, 0});
    return c;
}

} // namespace

TEST(PixelScale, EachPixelBecomesAWholeBlock) {
    QImage img(2, 2, QImage::Format_ARGB32);
    img.setPixel(0, 0, 0xFF102030);
    img.setPixel(1, 0, 0x80FFFFFF);
    img.setPixel(0, 1, 0xFF000000);
    img.setPixel(1, 1, 0x00000000);
    const QImage big = pixelScale(img, 3);
    ASSERT_EQ(big.size(), QSize(6, 6));
    EXPECT_EQ(big.format(), img.format());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(big.pixel(x, y), img.pixel(x / 3, y / 3)) << x << "," << y;
    EXPECT_EQ(pixelScale(img, 1), img);
}

TEST(FrameScroll, EveryFrameShowsAWholeDotAndStepsAreEven) {
    // Speeds whose dot lasts a whole number of frames step exactly that often; the others
    // differ by one frame at most and keep the millisecond motion's average speed.
    for (int speed : {1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 18, 36, 50, 72, 250, 600}) {
        FrameScroll f(3000);
        std::vector<int64_t> stepAt;
        int last = f.left();
        for (int64_t frame = 1; frame <= 2000 && f.passes() == 0; ++frame) {
            f.advance(1, speed, 0);
            ASSERT_EQ(f.left() % 3, 0) << "speed " << speed << " frame " << frame;
            if (f.left() != last)
                stepAt.push_back(frame);
            last = f.left();
        }
        ASSERT_GT(stepAt.size(), 3u) << speed;
        int64_t shortest = 1 << 30, longest = 0;
        for (size_t i = 1; i < stepAt.size(); ++i) {
            shortest = std::min(shortest, stepAt[i] - stepAt[i - 1]);
            longest = std::max(longest, stepAt[i] - stepAt[i - 1]);
        }
        const int whole = FrameScroll::wholeFramesPerDot(speed);
        if (whole > 0) {
            EXPECT_EQ(shortest, whole) << "speed " << speed;
            EXPECT_EQ(longest, whole) << "speed " << speed;
        } else {
            EXPECT_LE(longest - shortest, 1) << "speed " << speed;
        }
        // Against the millisecond motion over the same time: within a dot.
        FrameScroll again(100000);
        ScrollMotion ms(100000);
        again.advance(600, speed, 0);
        ms.advance(10000, speed, 0);
        EXPECT_NEAR(again.left(), ms.left(), 3) << "speed " << speed;
    }
    EXPECT_EQ(FrameScroll::wholeFramesPerDot(5), 0);
    EXPECT_EQ(FrameScroll::wholeFramesPerDot(12), 3);
}

TEST(FrameScroll, WrapsOutsideTheRightEdgeAndWaitsThePauseInFrames) {
    FrameScroll f(30); // ten dots
    int frames = 0;
    while (f.passes() == 0) {
        f.advance(1, 36, 500);
        ++frames;
    }
    EXPECT_EQ(frames, (432 + 30) / 3);
    EXPECT_EQ(f.left(), 432);
    f.advance(29, 36, 500);
    EXPECT_TRUE(f.pausing());
    EXPECT_EQ(f.left(), 432);
    f.advance(2, 36, 500); // the 30th frame of the half second ends it
    EXPECT_FALSE(f.pausing());
    EXPECT_EQ(f.left(), 429);
}

TEST(LedLook, UnlitLedsAreDimmerThanLitOnesAndBrighterThanTheFace) {
    for (bool glow : {false, true}) {
        std::unique_ptr<ChimeiCtl_DX> c(ledLine(4, glow));
        c->SetChimei(QStringLiteral("中央図書館"));
        const QImage img = painted(*c);
        ASSERT_EQ(img.size(), QSize(432 * 4, 56 * 4));
        const auto lit = litLeds(*c);
        double dimmestLit = 1e9, brightestUnlit = -1, dimmestUnlit = 1e9;
        int litCount = 0;
        for (const auto& [pos, on] : lit) {
            const double b = luma(img.pixel(LedMatrix::centre(pos.first, pos.second, 4)));
            if (on) {
                dimmestLit = std::min(dimmestLit, b);
                ++litCount;
            } else {
                brightestUnlit = std::max(brightestUnlit, b);
                dimmestUnlit = std::min(dimmestUnlit, b);
            }
        }
        ASSERT_GT(litCount, 100);
        const double face = luma(img.pixel(1, 1)); // the margin above the first row
        EXPECT_LT(brightestUnlit, dimmestLit) << "glow " << glow;
        EXPECT_GT(dimmestUnlit, face) << "glow " << glow;
        // Every row is whole: the top row's LEDs are round, not cut by the edge.
        EXPECT_EQ(img.pixel(LedMatrix::centre(0, 0, 4) + QPoint(0, -3)),
                  img.pixel(LedMatrix::centre(0, 0, 4) + QPoint(0, 3)));
    }
}

TEST(LedLook, TheGlowLeavesLitLedsAsBright) {
    // The mean brightness over the lit LEDs' discs, with the glow and without.
    auto meanLit = [](bool glow) {
        std::unique_ptr<ChimeiCtl_DX> c(ledLine(4, glow));
        c->SetChimei(QStringLiteral("市役所前"));
        const QImage img = painted(*c);
        double sum = 0;
        int n = 0;
        for (const auto& [pos, on] : litLeds(*c)) {
            if (!on)
                continue;
            const QPoint m = LedMatrix::centre(pos.first, pos.second, 4);
            for (int dy = -5; dy <= 5; ++dy)
                for (int dx = -5; dx <= 5; ++dx)
                    if (dx * dx + dy * dy <= 16) {
                        sum += luma(img.pixel(m + QPoint(dx, dy)));
                        ++n;
                    }
        }
        return sum / n;
    };
    const double plain = meanLit(false), glowing = meanLit(true);
    EXPECT_GE(glowing, plain * 0.98);
    EXPECT_LE(glowing, plain * 1.02);
    // The glow is there, between the LEDs.
    std::unique_ptr<ChimeiCtl_DX> a(ledLine(4, false)), b(ledLine(4, true));
    a->SetChimei(QStringLiteral("市役所前"));
    b->SetChimei(QStringLiteral("市役所前"));
    double between = 0;
    const QImage pa = painted(*a), pb = painted(*b);
    for (int y = 0; y < pa.height(); ++y)
        for (int x = 0; x < pa.width(); ++x)
            between += luma(pb.pixel(x, y)) - luma(pa.pixel(x, y));
    EXPECT_GT(between, 0);
}

TEST(LedLook, ScrollMovesByWholeDotsOnEveryFrame) {
    std::unique_ptr<ChimeiCtl_DX> c(ledLine(2, true));
    c->setSpeed(5);
    c->SetChimei(QStringLiteral("市役所前・中央図書館入口・総合運動公園"));
    ASSERT_TRUE(c->scrolling());
    int steps = 0, last = c->stripLeft();
    for (int frame = 0; frame < 600; ++frame) {
        c->tickFrames(1);
        ASSERT_EQ(c->stripLeft() % 3, 0) << "frame " << frame;
        steps += c->stripLeft() != last ? 1 : 0;
        EXPECT_LE(last - c->stripLeft(), 3) << "one dot a step at this speed";
        last = c->stripLeft();
    }
    // 25 pixels a second: ten seconds are about 83 dots.
    EXPECT_NEAR(steps, 83, 1);
    // Back to the plain look mid-scroll: it goes on from where it was.
    const int at = c->stripLeft();
    c->setLook({});
    EXPECT_EQ(c->stripLeft(), at);
    c->tick(400);
    EXPECT_EQ(c->stripLeft(), at - 10);
}

TEST(LedLook, TheRunningTimerKeepsWholeDots) {
    std::unique_ptr<ChimeiCtl_DX> c(ledLine(1, false));
    c->setSpeed(100);
    c->SetChimei(QStringLiteral("市役所前・中央図書館入口・総合運動公園"));
    c->setAutoScroll(true);
    int moves = 0, last = c->stripLeft();
    for (int i = 0; i < 40; ++i) {
        QTest::qWait(10);
        EXPECT_EQ(c->stripLeft() % 3, 0);
        moves += c->stripLeft() != last ? 1 : 0;
        last = c->stripLeft();
    }
    EXPECT_GT(moves, 0);
}

TEST(LedLook, LitSegmentsGlowWithoutChangingTheirColour) {
    M_Degit plain, glowing;
    for (M_Degit* d : {&plain, &glowing}) {
        d->setKeta(3);
        d->setDegitSize(2);
        d->setZoom(3);
        d->setValue(180.0);
    }
    glowing.setLook({true, true, 0});
    const QImage a = plain.shownImage().convertToFormat(QImage::Format_RGB32);
    const QImage b = glowing.shownImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(a, pixelScale(plain.image(), 3));
    const QRgb lit = colorFromBgr(plain.DegitForeColor()).rgb();
    int litPixels = 0, brighter = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) == lit) {
                ++litPixels;
                EXPECT_EQ(b.pixel(x, y), lit);
            } else if (luma(b.pixel(x, y)) > luma(a.pixel(x, y)) + 2) {
                ++brighter;
            }
        }
    EXPECT_GT(litPixels, 500);
    EXPECT_GT(brighter, 200);
    // Nothing lit, nothing glows.
    glowing.setValue(QString());
    plain.setValue(QString());
    EXPECT_EQ(glowing.shownImage(), plain.shownImage());
}
