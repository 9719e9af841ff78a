// The 18-dot bitmap fonts behind the stop-name dots: the reader, the code mapping, and
// what a character samples to (pinned from the fonts themselves), with the fallbacks.
#include "BitmapGlyphs.h"
#include "DotRaster.h"
#include "PcfFont.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// The lit cells of rows of text ('#' lit), in the order sampleGlyph gives them.
std::vector<QPoint> fromRows(const std::vector<const char*>& rows) {
    std::vector<QPoint> lit;
    for (int x = 0; x < 18; ++x)
        for (int y = 0; y < static_cast<int>(rows.size()); ++y)
            if (rows[static_cast<size_t>(y)][x] == '#')
                lit.emplace_back(x, y);
    return lit;
}

std::vector<QPoint> sorted(std::vector<QPoint> v) {
    std::sort(v.begin(), v.end(), [](const QPoint& a, const QPoint& b) {
        return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
    });
    return v;
}

} // namespace

TEST(BitmapGlyphs, ShiftJisMapsToJisRowAndCell) {
    const struct {
        unsigned s1, s2, jis;
    } cases[] = {{0x88, 0x9F, 0x3021}, {0x82, 0xA0, 0x2422}, {0x81, 0x40, 0x2121},
                 {0x89, 0x77, 0x3158}, {0xEA, 0xA4, 0x7426}, {0x98, 0x9F, 0x5021}};
    for (const auto& c : cases)
        EXPECT_EQ(jisFromSjis(c.s1, c.s2), c.jis) << std::hex << c.s1 << c.s2;
}

TEST(BitmapGlyphs, StationAndFrontAreTheFontsOwnDots) {
    BitmapGlyphs& g = BitmapGlyphs::system();
    ASSERT_TRUE(g.available(Face::Gothic, false)) << "xfonts-ayu is not installed";
    const auto eki = g.sample(QStringLiteral("駅"), Face::Gothic, false);
    ASSERT_TRUE(eki);
    EXPECT_EQ(sorted(*eki), fromRows({
                                "..................",
                                ".########.######..",
                                ".#..#.....#....#..",
                                ".#..#.....#....#..",
                                ".#######..#....#..",
                                ".#..#.....#....#..",
                                ".#..#.....#....#..",
                                ".#######..######..",
                                ".#..#.....#..#....",
                                ".#..#.....#..#....",
                                ".#..#.....#..#....",
                                ".########.#..#....",
                                "........#.#...#...",
                                "#.#.#.#.#.#...#...",
                                "#.#.#.#.#.#...#...",
                                "#.#.....#.#....#..",
                                "#......#.#.....#..",
                                "......##.#......#.",
                            }));
    const auto mae = g.sample(QStringLiteral("前"), Face::Gothic, false);
    ASSERT_TRUE(mae);
    EXPECT_EQ(sorted(*mae), fromRows({
                                "....#.......#.....",
                                ".....#......#.....",
                                ".....#.....#......",
                                "#################.",
                                "..................",
                                "..............#...",
                                "..######..#...#...",
                                "..#....#..#...#...",
                                "..#....#..#...#...",
                                "..######..#...#...",
                                "..#....#..#...#...",
                                "..#....#..#...#...",
                                "..#....#..#...#...",
                                "..######..#...#...",
                                "..#....#..#...#...",
                                "..#....#......#...",
                                "..#....#......#...",
                                "..#...##....###...",
                            }));
    // The board's sampling takes the same dots for a full-size character.
    clearGlyphCache();
    EXPECT_EQ(sampleGlyph(QStringLiteral("駅"), {Face::Gothic, false, 19, 0}), sorted(*eki));
}

TEST(BitmapGlyphs, BoldUsesTheBoldStrikeAndHalfWidthSitsSideBySide) {
    BitmapGlyphs& g = BitmapGlyphs::system();
    const auto thin = g.sample(QStringLiteral("車"), Face::Gothic, false);
    const auto bold = g.sample(QStringLiteral("車"), Face::Gothic, true);
    ASSERT_TRUE(thin && bold);
    const auto boldFont = PcfFont::load(QStringLiteral("/usr/share/fonts/X11/misc/k18gmb.pcf.gz"));
    ASSERT_TRUE(boldFont);
    const PcfFont::Glyph* kuruma = boldFont->glyph(0x3C56);
    ASSERT_NE(kuruma, nullptr);
    size_t set = 0;
    for (uint8_t b : kuruma->bits)
        set += b;
    EXPECT_EQ(bold->size(), set);
    EXPECT_GT(bold->size(), thin->size());
    // Two half-width characters share one cell, nine dots each.
    const auto ab = g.sample(QStringLiteral("A1"), Face::Gothic, false);
    ASSERT_TRUE(ab);
    EXPECT_TRUE(std::any_of(ab->begin(), ab->end(), [](const QPoint& p) { return p.x() < 9; }));
    EXPECT_TRUE(std::any_of(ab->begin(), ab->end(), [](const QPoint& p) { return p.x() >= 9; }));
    EXPECT_TRUE(g.sample(QStringLiteral("ｱ"), Face::Mincho, false));
}

TEST(BitmapGlyphs, MissingCharactersFallBackToTheOutlineFaces) {
    BitmapGlyphs& g = BitmapGlyphs::system();
    // 纊 is one of the code page's IBM extensions, 𠮷 is outside it: neither has a glyph.
    EXPECT_FALSE(g.sample(QStringLiteral("纊"), Face::Gothic, false));
    EXPECT_FALSE(g.sample(QStringLiteral("𠮷"), Face::Gothic, false));
    clearGlyphCache();
    EXPECT_FALSE(sampleGlyph(QStringLiteral("纊"), {Face::Gothic, false, 19, 0}).empty());
    // No fonts at all: every character is drawn from the outlines.
    BitmapGlyphs none(QStringLiteral("/nonexistent"));
    EXPECT_FALSE(none.available(Face::Gothic, false));
    EXPECT_FALSE(none.sample(QStringLiteral("駅"), Face::Gothic, false));
}

TEST(PcfFont, DamagedFilesAreRefused) {
    QFile f(QStringLiteral("/usr/share/fonts/X11/misc/9x18gm.pcf.gz"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray gz = f.readAll();
    const auto raw = gunzip(gz);
    ASSERT_TRUE(raw);
    EXPECT_TRUE(PcfFont::parse(*raw));
    EXPECT_FALSE(PcfFont::parse(QByteArray()));
    EXPECT_FALSE(PcfFont::parse(gz.left(gz.size() / 2)));
    EXPECT_FALSE(PcfFont::parse(QByteArray("\x01"
                                           "fcp\xff\xff\xff\xff",
                                           8)));
    // Every cut of the font either parses or is refused; none reads past the end.
    for (qsizetype n = 8; n < raw->size(); n += 97)
        (void)PcfFont::parse(raw->left(n));
}
