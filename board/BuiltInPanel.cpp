#include "BuiltInPanel.h"

#include "ApiLib.h"
#include "BoardLayout.h"
#include "SegmentGlyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace {

void drawDimDigits(QPainter& p, const QRect& r) {
    // A dim "888" sits under every fare position, as the printed face of the unit has.
    static const SegmentGlyphs glyphs(QStringLiteral("M_DegitB"), true, 19, 29);
    p.save();
    p.translate(r.topLeft());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(38, 38, 38));
    for (int i = 0; i < 3; ++i)
        p.drawPath(glyphs.glyph(QLatin1Char('8'), i));
    p.restore();
}

} // namespace

QImage builtInPanelPicture() {
    using namespace board;
    QImage img(kClientWidth, kClientHeight, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Stop-name window: a grey frame round the dot line.
    const QRect chimei = chimeiRect();
    p.fillRect(chimei.adjusted(-4, -4, 4, 4), QColor(96, 96, 96));
    p.fillRect(chimei, QColor(64, 64, 64));

    // 「次は」 with an arrow pointing at the line.
    QFont jp(ApiLib::gothicFamily());
    jp.setPixelSize(20);
    jp.setBold(true);
    p.setFont(jp);
    p.setPen(QColor(255, 185, 121));
    p.drawText(QRect(8, chimei.top() + 2, 90, 26), Qt::AlignCenter, QStringLiteral("次は"));
    QPainterPath arrow;
    const int ay = chimei.top() + 42;
    arrow.moveTo(18, ay - 4);
    arrow.lineTo(72, ay - 4);
    arrow.lineTo(72, ay - 11);
    arrow.lineTo(94, ay);
    arrow.lineTo(72, ay + 11);
    arrow.lineTo(72, ay + 4);
    arrow.lineTo(18, ay + 4);
    arrow.closeSubpath();
    p.fillPath(arrow, QColor(255, 185, 121));

    // The fare grid: a dim 888 under each position, thin white frame lines between.
    for (int n = 1; n <= kFareCells; ++n)
        drawDimDigits(p, degitRect(n));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(230, 230, 230), 1));
    const int gridLeft = degitRect(1).left() - 6;
    const int gridRight = degitRect(8).right() + 8;
    const int gridTop = labelRect(1).top() - 4;
    const int gridBottom = degitRect(25).bottom() + 5;
    p.drawRect(gridLeft, gridTop, gridRight - gridLeft, gridBottom - gridTop);
    for (int r = 1; r < 4; ++r) {
        const int y = labelRect(1 + 8 * r).top() - 3;
        p.drawLine(gridLeft, y, gridRight, y);
    }
    for (int c = 1; c < 8; ++c) {
        const int x = (degitRect(c).right() + degitRect(c + 1).left()) / 2;
        p.drawLine(x, gridTop, x, gridBottom);
    }

    // 整理券 above the grid's top-left corner, 運賃 down the left edge.
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont small(ApiLib::gothicFamily());
    small.setPixelSize(12);
    small.setBold(true);
    p.setFont(small);
    p.setPen(Qt::white);
    p.drawText(QRect(gridLeft, gridTop - 16, 60, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("整理券"));
    QFont side(ApiLib::gothicFamily());
    side.setPixelSize(22);
    side.setBold(true);
    p.setFont(side);
    const int midY = (gridTop + gridBottom) / 2;
    p.drawText(QRect(6, midY - 52, 32, 40), Qt::AlignCenter, QStringLiteral("運"));
    p.drawText(QRect(6, midY + 8, 32, 40), Qt::AlignCenter, QStringLiteral("賃"));
    return img;
}
