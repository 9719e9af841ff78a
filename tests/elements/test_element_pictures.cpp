// The element pictures made apart from their widgets: a cell put together from pictures
// of its positions is the cell drawn outline by outline, in every face, size and lit
// character; a stop line's scroll at a moment is where a display stepping every frame
// would have it, however often it was asked before.
#include "Cp932.h"
#include "DigitPicture.h"
#include "SegmentGlyphs.h"
#include "StopLine.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

// The cell drawn as the outlines say, position by position, on its background.
QImage drawnByOutlines(const DigitState& st, const QString& lit, bool bold) {
    QImage img(DigitPainter::baseSize(st), QImage::Format_RGB32);
    img.fill(colorFromBgr(st.BackColor));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const int cellW = digitSizeClass(st.DegitSize).digitWidthTwips / limits::kTwipsPerPixel;
    const SegmentGlyphs g(digitFaceName(st.DegitStyle), bold, cellW, st.pixelHeight());
    const QString shown = positionText(lit, st.Keta);
    for (int i = 0; i < st.Keta; ++i) {
        p.setBrush(colorFromBgr(st.BaseForeColor));
        p.drawPath(g.glyph(QLatin1Char('8'), i));
        p.setBrush(colorFromBgr(st.DegitForeColor));
        p.drawPath(g.glyph(shown.at(i), i));
    }
    return img;
}

} // namespace

TEST(ElementPictures, ACellFromPositionPicturesIsTheCellDrawnByOutlines) {
    for (const bool bold : {false, true}) {
        DigitPainter painter(bold);
        for (int16_t style = 0; style <= 2; ++style)
            for (int16_t size = 0; size <= 3; ++size) {
                DigitState st;
                st.setKeta(4);
                st.setDegitSize(size);
                st.DegitStyle = style;
                for (const QString& text :
                     {QStringLiteral("8888"), QStringLiteral("1234"), QStringLiteral("5670"),
                      QStringLiteral("9 -1"), QStringLiteral("   ")}) {
                    st.Value = DigitValue::text(text);
                    const QString lit = litText(st.Value, st);
                    EXPECT_EQ(painter.base(st, lit), drawnByOutlines(st, lit, bold))
                        << "style " << style << " size " << size << " \"" << text.toStdString()
                        << "\" bold " << bold;
                }
            }
    }
}

TEST(ElementPictures, AScrollAtAMomentIsWhereEveryFrameWouldHaveIt) {
    for (const bool led : {false, true}) {
        StopLine stepped;
        stepped.settings.speed = 24;
        stepped.settings.startWait = 700;
        stepped.setLook({led, true, 0}, 0);
        ASSERT_TRUE(
            stepped.setName(cp932::encode(QStringLiteral("中央総合病院西口バスターミナル")), 0));
        StopLine asked = stepped;
        StopLine::Cursor cursor;
        for (int64_t t = 15; t <= 20000; t += 15) {
            stepped.advanceTo(t);
            // Asked every fifth frame through a cursor, and now and then afresh.
            if (t % 75 == 0) {
                ASSERT_EQ(asked.leftAt(t, cursor), stepped.stripLeft()) << "t " << t;
            }
            if (t % 1500 == 0) {
                ASSERT_EQ(asked.leftAt(t), stepped.stripLeft()) << "t " << t;
            }
        }
        // Going back in time starts the cursor again from the line's own state.
        EXPECT_EQ(asked.leftAt(30, cursor), asked.leftAt(30));
        // A new name starts its own scroll: the cursor does not carry the old one on.
        asked.setName(cp932::encode(QStringLiteral("市役所前・中央図書館入口")), 20000);
        StopLine fresh = asked;
        EXPECT_EQ(asked.leftAt(21000, cursor), fresh.leftAt(21000));
    }
}
