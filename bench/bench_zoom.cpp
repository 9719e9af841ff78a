// The board on a big screen: CPU a second of LED-look scrolling at zoom 4 (with the glow),
// and the time to redraw a whole board at zoom 4 in either look.
#include "BoardRig.h"
#include "ChimeiCtl_DX.h"
#include "Cp932.h"
#include "Form1.h"

#include <QImage>
#include <benchmark/benchmark.h>

namespace {

// A share of one core: CPU time over the simulated seconds, as a percentage.
void reportShareOfACore(benchmark::State& state, double simulatedSecondsEach) {
    state.counters["percent_of_a_core"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * simulatedSecondsEach / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One second of a long name scrolling at `speed`: 60 display frames, the line painted
// whenever it moved, as the window would be.
void BM_LedScrollOneSecondZoom4Glow(benchmark::State& state) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.setBackColor(4210752);
    c.setForeColor(8438015);
    c.setZoom(4);
    c.setLook({true, true, 0});
    c.setSpeed(static_cast<int16_t>(state.range(0)));
    c.setScrollStartWait(0);
    c.SetChimei(QStringLiteral("中央総合病院西口バスターミナル"));
    QImage frame(c.size(), QImage::Format_RGB32);
    c.render(&frame);
    int64_t paints = 0;
    for (auto _ : state) {
        for (int f = 0; f < 60; ++f) {
            const int before = c.stripLeft();
            c.tickFrames(1);
            if (c.stripLeft() != before) {
                c.render(&frame);
                ++paints;
            }
        }
    }
    state.counters["paints_a_second"] =
        benchmark::Counter(static_cast<double>(paints) / static_cast<double>(state.iterations()));
    reportShareOfACore(state, 1.0);
}
BENCHMARK(BM_LedScrollOneSecondZoom4Glow)->Arg(5)->Arg(24)->Arg(36)->Unit(benchmark::kMillisecond);

// The same second in the default look at zoom 4 (the 15 ms timer, whole-pixel strip).
void BM_PlainScrollOneSecondZoom4(benchmark::State& state) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.setZoom(4);
    c.setSpeed(24);
    c.setScrollStartWait(0);
    c.SetChimei(QStringLiteral("中央総合病院西口バスターミナル"));
    QImage frame(c.size(), QImage::Format_RGB32);
    for (auto _ : state)
        for (int t = 0; t < 66; ++t) {
            const int before = c.stripLeft();
            c.tick(15);
            if (c.stripLeft() != before)
                c.render(&frame);
        }
    reportShareOfACore(state, 1.0);
}
BENCHMARK(BM_PlainScrollOneSecondZoom4)->Unit(benchmark::kMillisecond);

// Every element of a full board drawn at zoom 4: Arg 0 the default look, 1 the LED look
// with its glow.
void BM_FullBoardRedrawZoom4(benchmark::State& state) {
    BoardRig rig;
    Form1& b = rig.board;
    b.applyShape();
    b.setLook({state.range(0) != 0, true, 0});
    b.setZoom(4);
    for (int n = 1; n <= 32; ++n)
        b.showFare(n, DigitValue::number(150 + 10 * n));
    b.showStopName(cp932::encode(QStringLiteral("市役所前")), 1, 1);
    b.snapshot();
    for (auto _ : state)
        benchmark::DoNotOptimize(b.snapshot());
}
BENCHMARK(BM_FullBoardRedrawZoom4)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A stop's new fares at zoom 4 in the LED look: 32 digits redrawn, each with its glow.
void BM_NewFaresZoom4Led(benchmark::State& state) {
    BoardRig rig;
    Form1& b = rig.board;
    b.setLook({true, true, 0});
    b.setZoom(4);
    int k = 0;
    for (auto _ : state) {
        ++k;
        for (int n = 1; n <= 32; ++n)
            b.showFare(n, DigitValue::number(150 + 10 * ((n + k) % 40)));
    }
}
BENCHMARK(BM_NewFaresZoom4Led)->Unit(benchmark::kMillisecond);

} // namespace
