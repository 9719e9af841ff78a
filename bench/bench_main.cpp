// Speed of what the operator waits for: redrawing the fares, rasterising and scrolling
// a stop name, loading a full-size route.
#include "ApiLib.h"
#include "ChimeiCtl_DX.h"
#include "ChimeiLayout.h"
#include "Companion.h"
#include "Cp932.h"
#include "DataIo.h"
#include "DotRaster.h"
#include "FontSubstitutes.h"
#include "Form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>

namespace {

// A board update writes all 32 fare digits in a row, each redrawing at once.
void BM_RedrawAll32FareDigits(benchmark::State& state) {
    Form1 board;
    int v = 100;
    for (auto _ : state) {
        for (int n = 1; n <= 32; ++n)
            board.Degit[static_cast<size_t>(n)]->setValue(static_cast<double>(v + n));
        v = v == 100 ? 200 : 100;
    }
}
BENCHMARK(BM_RedrawAll32FareDigits)->Unit(benchmark::kMicrosecond);

// Rasterising a 20-character name into dots, glyph cache cold every time.
void BM_Rasterise20CharacterName(benchmark::State& state) {
    const QString name = QStringLiteral("中央総合病院西口バスターミナル前乗換所");
    for (auto _ : state) {
        clearGlyphCache();
        QImage strip(20 * 54, 56, QImage::Format_RGB32);
        strip.fill(Qt::black);
        int x = 0;
        for (const QString& u : chimeiUnits(name)) {
            paintDots(strip, x, 0, sampleGlyph(u, {Face::Gothic, false, 19, 0}), qRgb(255, 190, 0));
            x += 54;
        }
        benchmark::DoNotOptimize(strip.bits());
    }
}
BENCHMARK(BM_Rasterise20CharacterName)->Unit(benchmark::kMicrosecond);

void BM_SetChimeiEightCharacters(benchmark::State& state) {
    ChimeiCtl_DX c;
    const QString names[2] = {QStringLiteral("県立図書館前広場"),
                              QStringLiteral("ミナモ駅北口広場")};
    int i = 0;
    for (auto _ : state)
        c.SetChimei(names[i++ % 2]);
}
BENCHMARK(BM_SetChimeiEightCharacters)->Unit(benchmark::kMicrosecond);

// A long name (40 characters) set again and again with the glyphs remembered: what is
// left is splitting the name into units and placing them, which must stay linear.
void BM_SetChimeiFortyCharacters(benchmark::State& state) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    const QString names[2] = {
        QStringLiteral(
            "中央総合病院西口バスターミナル前乗換所経由県立図書館前広場行き臨時便のりば東口前"),
        QStringLiteral(
            "ミナモ駅北口広場中央総合病院西口バスターミナル前乗換所経由県立図書館前行き臨時便")};
    for (const QString& n : names)
        c.SetChimei(n);
    int i = 0;
    for (auto _ : state)
        c.SetChimei(names[i++ % 2]);
}
BENCHMARK(BM_SetChimeiFortyCharacters)->Unit(benchmark::kMicrosecond);

// CPU time spent per second of scrolling at Speed 400: 66 timer ticks of 15 ms.
void BM_ScrollOneSecondAtSpeed400(benchmark::State& state) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.setSpeed(400);
    c.setScrollStartWait(0);
    c.SetChimei(QStringLiteral("中央総合病院西口バスターミナル"));
    for (auto _ : state) {
        for (int t = 0; t < 66; ++t) {
            c.tick(15);
            QImage frame(432, 56, QImage::Format_RGB32);
            c.render(&frame);
        }
    }
}
BENCHMARK(BM_ScrollOneSecondAtSpeed400)->Unit(benchmark::kMillisecond);

void BM_LoadFareData301Rows(benchmark::State& state) {
    QTemporaryDir dir;
    hy3::File f;
    f.declaredRows = 301;
    for (int i = 1; i <= 301; ++i) {
        hy3::Row r;
        r.name = cp932::encode(QStringLiteral("停留所番号%1番地前").arg(i));
        r.ticketNo = static_cast<int16_t>(i);
        for (int k = 0; k < 150; ++k)
            r.columns[static_cast<size_t>(k)] = static_cast<int16_t>(100 + i + k);
        f.rows.push_back(r);
    }
    const std::string bytes = hy3::write(f);
    QFile out(dir.filePath(QStringLiteral("1.hy3")));
    out.open(QIODevice::WriteOnly);
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    out.close();
    RouteTable table;
    RouteState st;
    st.RouteDigits = QStringLiteral("1");
    for (auto _ : state) {
        st.StartSection = 1;
        if (!LoadFareData(table, st, dir.path()).ok)
            state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadFareData301Rows)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApiLib::installFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
