#include "DotRaster.h"

#include <gtest/gtest.h>

TEST(DotRaster, GlyphsSampleWithinTheScratch) {
    const auto dots = sampleGlyph(QStringLiteral("駅"), {Face::Gothic, false, 19, 0});
    ASSERT_GT(dots.size(), 40u);
    for (const QPoint& d : dots) {
        EXPECT_GE(d.x(), 0);
        EXPECT_LT(d.x(), 18); // the 19th column lies outside the scratch
        EXPECT_LT(d.y(), 18);
    }
    EXPECT_TRUE(sampleGlyph(QString(), {}).empty());
}

TEST(DotRaster, TypefacesAndBoldChangeThePattern) {
    const auto gothic = sampleGlyph(QStringLiteral("え"), {Face::Gothic, false, 19, 0});
    const auto mincho = sampleGlyph(QStringLiteral("え"), {Face::Mincho, false, 19, 0});
    const auto bold = sampleGlyph(QStringLiteral("え"), {Face::Gothic, true, 19, 0});
    EXPECT_NE(gothic, mincho);
    EXPECT_GT(bold.size(), gothic.size());
}

TEST(DotRaster, DotsAreTwoPixelSquaresOnAThreePixelPitch) {
    QImage strip(54, 56, QImage::Format_RGB32);
    strip.fill(Qt::black);
    paintDots(strip, 0, 0, {QPoint(0, 0), QPoint(2, 1)}, qRgb(255, 0, 0));
    EXPECT_EQ(strip.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(strip.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(strip.pixel(2, 2), qRgb(0, 0, 0)); // the gap
    EXPECT_EQ(strip.pixel(6, 3), qRgb(255, 0, 0));
    EXPECT_EQ(strip.pixel(7, 4), qRgb(255, 0, 0));
    EXPECT_EQ(strip.pixel(8, 5), qRgb(0, 0, 0));
}

TEST(DotRaster, SmallPrefixHaIsDrawnFourRowsLower) {
    const auto big = sampleGlyph(QStringLiteral("は"), {Face::Gothic, false, 19, 0});
    const auto small = sampleGlyph(QStringLiteral("は"), {Face::Gothic, false, 16, 4});
    auto top = [](const std::vector<QPoint>& v) {
        int t = 99;
        for (const QPoint& p : v)
            t = std::min(t, p.y());
        return t;
    };
    EXPECT_LT(small.size(), big.size());
    EXPECT_GE(top(small), top(big) + 3);
}
