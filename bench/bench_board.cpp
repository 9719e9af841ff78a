// The board drawn from its model, with no window: a whole board at zoom 1, one frame of a
// scrolling name (only the line redrawn into the last picture), and a stop's new fares.
#include "BoardLayout.h"
#include "BoardRenderer.h"
#include "Cp932.h"

#include <QImage>
#include <benchmark/benchmark.h>

namespace {

BoardModel fullBoard() {
    BoardModel m;
    m.rounded = true;
    m.picture = QImage(board::kClientWidth, board::kClientHeight, QImage::Format_RGB32);
    m.picture.fill(Qt::black);
    for (int n = 1; n <= 32; ++n) {
        BoardLabel& l = m.labels[static_cast<size_t>(n)];
        l.text = QString::number(n);
        l.font = QFont(QStringLiteral("IPAPGothic"));
        l.font.setBold(true);
        l.font.setPointSizeF(14.25);
        m.cells[static_cast<size_t>(n)].Value = DigitValue::number(150 + 10 * n);
    }
    m.stopLine.settings.startWait = 0;
    m.stopLine.setName(cp932::encode(QStringLiteral("中央総合病院西口バスターミナル")), 0);
    return m;
}

// Every element drawn into a new picture (nothing on the board changed since the last).
void BM_RenderWholeBoardZoom1(benchmark::State& state) {
    const BoardModel m = fullBoard();
    BoardRenderer r;
    r.render(m, 0, 1, {}, BoardBackground::Panel);
    int64_t t = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(r.render(m, t += 16, 1, {}, BoardBackground::Panel));
}
BENCHMARK(BM_RenderWholeBoardZoom1)->Unit(benchmark::kMicrosecond);

// The same at zoom 4, as a recording or an export of a big board takes it: Arg 0 the
// default look, 1 the LED look with its glow.
void BM_RenderWholeBoardZoom4(benchmark::State& state) {
    const BoardModel m = fullBoard();
    BoardRenderer r;
    const LedLook look{state.range(0) != 0, true, 0};
    r.render(m, 0, 4, look, BoardBackground::Panel);
    int64_t t = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(r.render(m, t += 16, 4, look, BoardBackground::Transparent));
}
BENCHMARK(BM_RenderWholeBoardZoom4)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One display frame of a scrolling name: the line alone drawn again into the picture.
void BM_ScrollFrameZoom1(benchmark::State& state) {
    const BoardModel m = fullBoard();
    BoardRenderer r;
    QImage picture = r.render(m, 0, 1, {}, BoardBackground::Panel);
    int64_t t = 0;
    for (auto _ : state) {
        r.paintStopLine(picture, m, t += 16, 1, {});
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_ScrollFrameZoom1)->Unit(benchmark::kMicrosecond);

// A stop's new fares: all 32 cells change and are drawn into the last picture.
void BM_NewFareSetZoom1(benchmark::State& state) {
    BoardModel m = fullBoard();
    BoardRenderer r;
    QImage picture = r.render(m, 0, 1, {}, BoardBackground::Panel);
    int k = 0;
    for (auto _ : state) {
        ++k;
        for (int n = 1; n <= 32; ++n)
            m.cells[static_cast<size_t>(n)].Value = DigitValue::number(150 + 10 * ((n + k) % 40));
        r.paintCells(picture, m, 1, {});
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_NewFareSetZoom1)->Unit(benchmark::kMicrosecond);

} // namespace
