#include "BoardRenderer.h"

#include "BoardLayout.h"
#include "PixelScale.h"
#include "WindowShape.h"

#include <QPainter>
#include <atomic>
#include <cstring>

namespace {
const QSize kBoard(board::kClientWidth, board::kClientHeight);

QRect zoomed(const QRect& r, int zoom) {
    return {r.topLeft() * zoom, r.size() * zoom};
}

// Everything outside the rounded outline, at `zoom`.
void cutCorners(QImage& img, int zoom, const QColor& with) {
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const auto spans = roundRectSpans(kBoard.width(), kBoard.height(), 3, 3);
    for (int y = 0; y < static_cast<int>(spans.size()); ++y) {
        const auto [l, r] = spans[static_cast<size_t>(y)];
        if (l > 0)
            p.fillRect(0, y * zoom, l * zoom, zoom, with);
        if (r < kBoard.width())
            p.fillRect(r * zoom, y * zoom, (kBoard.width() - r) * zoom, zoom, with);
    }
}
} // namespace

void paintBoardLabel(QPainter& p, const QRect& rect, const BoardLabel& label) {
    if (!label.visible || label.text.isEmpty())
        return;
    p.setFont(label.font);
    p.setPen(QColor::fromRgba(label.colour));
    p.drawText(rect, Qt::AlignCenter | Qt::TextForceLeftToRight, label.text);
}

BoardRenderer::BoardRenderer() = default;

const QImage& BoardRenderer::cell(const BoardModel& m, const DigitState& st, size_t slot, int zoom,
                                  const LedLook& look, bool litOnly) {
    CellPicture& c = cells_[slot];
    const QString lit = litText(st.Value, st);
    if (!c.image.isNull() && c.state == st && c.lit == lit && c.zoom == zoom && c.look == look &&
        c.litOnly == litOnly)
        return c.image;
    DigitPainter& painter = DigitPainter::shared(m.boldSegments);
    c = CellPicture{st, lit, zoom, look, litOnly, {}};
    c.image = litOnly ? painter.litOnly(st, lit, zoom)
                      : painter.shown(st, lit, painter.base(st, lit), zoom, look);
    return c.image;
}

const QImage& BoardRenderer::baseLayer(const BoardModel& m, int zoom, bool litOnly) {
    BaseLayer& c = base_;
    if (!c.image.isNull() && c.zoom == zoom && c.litOnly == litOnly &&
        c.picture == m.picture.cacheKey() && c.window == m.windowColour && c.dpi == m.labelDpi &&
        c.labels == m.labels)
        return c.image;
    // The picture and the labels at 1x, enlarged by whole pixels: the labels' text is
    // drawn exactly as at 1x, so every zoom is the 1x board pixel for pixel.
    QImage base(kBoard, QImage::Format_ARGB32);
    base.fill(litOnly ? QColor(Qt::transparent) : QColor::fromRgba(m.windowColour));
    const int dpm = qRound(m.labelDpi / 0.0254);
    base.setDotsPerMeterX(dpm);
    base.setDotsPerMeterY(dpm);
    {
        QPainter p(&base);
        if (!litOnly)
            p.drawImage(0, 0, m.picture);
        for (int n = 1; n <= limits::kFareCells; ++n)
            paintBoardLabel(p, board::labelRect(n), m.labels[static_cast<size_t>(n)]);
    }
    c = BaseLayer{zoom,
                  litOnly,
                  m.picture.cacheKey(),
                  m.windowColour,
                  m.labelDpi,
                  m.labels,
                  pixelScale(base, zoom).convertToFormat(QImage::Format_ARGB32_Premultiplied)};
    return c.image;
}

QImage& BoardRenderer::canvas(const QSize& size) {
    if (canvas_.size() != size || !canvas_.isDetached())
        canvas_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    else
        // Its last taker may have let it go on another thread (an encoder's): what that
        // thread read of it happens before this thread writes it again.
        std::atomic_thread_fence(std::memory_order_acquire);
    return canvas_;
}

QImage BoardRenderer::render(const BoardModel& m, int64_t timeMs, int zoom, const LedLook& look,
                             BoardBackground background) {
    zoom = std::clamp(zoom, 1, kMaxScreenZoom);
    const bool litOnly = background == BoardBackground::Lit;
    const QImage& base = baseLayer(m, zoom, litOnly);
    QImage& out = canvas(base.size());
    std::memcpy(out.bits(), base.constBits(), static_cast<size_t>(base.sizeInBytes()));
    paintCells(out, m, zoom, look, litOnly);
    paintStopLine(out, m, timeMs, zoom, look, litOnly);
    if (background == BoardBackground::Transparent)
        cutCorners(out, zoom, Qt::transparent);
    else if (background == BoardBackground::Panel)
        cutCorners(out, zoom, Qt::black);
    return out;
}

void BoardRenderer::paintCells(QImage& picture, const BoardModel& m, int zoom, const LedLook& look,
                               bool litOnly) {
    QPainter p(&picture);
    if (litOnly)
        p.setCompositionMode(QPainter::CompositionMode_Source);
    for (size_t n = 1; n <= static_cast<size_t>(limits::kFareCells); ++n)
        p.drawImage(board::degitRect(static_cast<int>(n)).topLeft() * zoom,
                    cell(m, m.cells[n], n, zoom, look, litOnly));
}

void BoardRenderer::paintStopLine(QImage& picture, const BoardModel& m, int64_t timeMs, int zoom,
                                  const LedLook& look, bool litOnly) {
    const QRect line = zoomed(board::chimeiRect(), zoom);
    QPainter p(&picture);
    p.setClipRect(line);
    if (litOnly) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(line, Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    p.translate(line.topLeft());
    line_.paint(p, m.stopLine, m.stopLine.leftAt(timeMs, scroll_), zoom, look,
                litOnly ? StopLineView::Layer::LitOnly : StopLineView::Layer::Whole);
}

QImage renderBoard(const BoardModel& m, int64_t timeMs, int zoom, const LedLook& look,
                   BoardBackground background) {
    static BoardRenderer renderer;
    return renderer.render(m, timeMs, zoom, look, background);
}
