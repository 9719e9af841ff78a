// The board drawn from its model: the renderer's picture is the window's own, pixel for
// pixel, at every zoom and look, in every backlight, blanked and mid-scroll; it draws
// without any window at all; its overlays keep only what is lit.
#include "BoardLayout.h"
#include "BoardRenderer.h"
#include "BoardRig.h"
#include "Cp932.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <set>

namespace {

const QString kLongName = QStringLiteral("市役所前・中央図書館入口");

// Pixels of `window` (its board) that differ from `rendered`, leaving out the corners
// the rendered picture cuts away.
int differing(Form1& b, const QImage& rendered) {
    const QImage window = b.grab(b.boardRect()).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage r = rendered.convertToFormat(QImage::Format_ARGB32);
    if (window.size() != r.size())
        return -1;
    int off = 0;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x)
            if (qAlpha(r.pixel(x, y)) == 255 && r.pixel(x, y) != window.pixel(x, y))
                ++off;
    return off;
}

void showFaresAndScroll(Form1& b) {
    b.applyShape();
    for (int n = 1; n <= 32; ++n)
        b.showFare(n, DigitValue::number(n % 5 == 0 ? 0 : 150 + 10 * n));
    b.ChimeiCtl()->setAutoScroll(false);
    b.showStopName(cp932::encode(kLongName), 1, 1);
    b.ChimeiCtl()->tick(4321);
}

} // namespace

TEST(BoardRenderer, TheWindowShowsExactlyTheRenderersPicture) {
    BoardRig rig;
    Form1& b = rig.board;
    rig.options.TicketColorOn1 = 0x00FFFF;
    rig.options.TicketColorOn2 = 0xFF8000;
    showFaresAndScroll(b);
    ASSERT_TRUE(b.model().stopLine.scrolling());
    for (const bool led : {false, true})
        for (int backlight = 0; backlight < 3; ++backlight) {
            rig.options.LedDisplay = led ? 1 : 0;
            rig.apply(backlight);
            b.setLook(ledLookOf(rig.options));
            for (int z = 1; z <= 4; ++z) {
                b.setZoom(z);
                EXPECT_EQ(differing(b, b.render(z, BoardBackground::Transparent)), 0)
                    << "zoom " << z << " led " << led << " backlight " << backlight;
            }
        }
    b.setZoom(2);
    b.blank(true);
    EXPECT_EQ(differing(b, b.render(2, BoardBackground::Transparent)), 0) << "blanked";
}

TEST(BoardRenderer, AScrollingNameIsDrawnWithoutAnyWindow) {
    ASSERT_TRUE(QApplication::allWidgets().isEmpty());
    BoardModel m;
    m.rounded = true;
    m.picture = QImage(board::kClientWidth, board::kClientHeight, QImage::Format_RGB32);
    m.picture.fill(Qt::darkGray);
    m.cells[7].Value = DigitValue::number(230);
    ASSERT_TRUE(m.stopLine.setName(cp932::encode(kLongName), 1000));
    BoardRenderer r;
    const QRect line(board::chimeiRect().topLeft() * 3, board::chimeiRect().size() * 3);
    QImage previous;
    int moved = 0;
    for (int k = 0; k < 30; ++k) {
        const QImage frame = r.render(m, 1000 + 2000 + k * 100, 3, {}, BoardBackground::Panel);
        ASSERT_EQ(frame.size(), QSize(board::kClientWidth, board::kClientHeight) * 3);
        const QImage strip = frame.copy(line);
        if (!previous.isNull() && strip != previous)
            ++moved;
        previous = strip;
    }
    // A tenth of a second apart the name has always moved on.
    EXPECT_EQ(moved, 29);
    // The same moment gives the same picture, however it was reached.
    EXPECT_EQ(r.render(m, 2500, 3, {}, BoardBackground::Panel),
              BoardRenderer().render(m, 2500, 3, {}, BoardBackground::Panel));
    EXPECT_TRUE(QApplication::allWidgets().isEmpty());
}

TEST(BoardRenderer, OverlaysAreTransparentOutsideTheShapeAndWhereNothingIsLit) {
    BoardModel m;
    m.rounded = true;
    m.picture = QImage(board::kClientWidth, board::kClientHeight, QImage::Format_RGB32);
    m.picture.fill(Qt::darkGray);
    for (int n = 1; n <= 32; ++n)
        m.cells[static_cast<size_t>(n)].Value =
            DigitValue::text(n == 1 ? QStringLiteral("888") : QString());
    m.stopLine.setName(cp932::encode(QStringLiteral("本町")), 0);
    for (const BoardBackground bg : {BoardBackground::Transparent, BoardBackground::Lit}) {
        const QImage img = BoardRenderer().render(m, 0, 2, {}, bg);
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(img.pixel(img.width() - 1, img.height() - 1)), 0);
    }
    const QImage whole = BoardRenderer().render(m, 0, 1, {}, BoardBackground::Panel);
    EXPECT_EQ(whole.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(whole.pixel(100, 100)), 255);

    const QImage lit = BoardRenderer().render(m, 0, 1, {}, BoardBackground::Lit);
    auto alphas = [&](const QRect& r) {
        std::set<int> seen;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                seen.insert(qAlpha(lit.pixel(x, y)));
        return seen;
    };
    // Cell 1 lights "888": its segments are wholly opaque; an unlit cell is not there.
    EXPECT_TRUE(alphas(board::degitRect(1)).count(255));
    EXPECT_EQ(alphas(board::degitRect(2)), std::set<int>{0});
    EXPECT_TRUE(alphas(board::chimeiRect()).count(255));
    // Between the elements the panel is gone.
    EXPECT_EQ(qAlpha(lit.pixel(5, board::kClientHeight / 2)), 0);
}
